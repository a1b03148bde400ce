#pragma once
// What every field measures, from where, and in which unit, as its descriptor says: the
// window's tooltips and the notes on a box left holding no number.
#include <string>
#include <string_view>

#include "app/form_model.h"
#include "app/operation.h"

namespace tbx {

// "in", "mm", "in/rev", ... or empty for Unit::None.
std::string_view UnitText(Unit unit, bool metric);
// "Major Dia: outside diameter of the thread (in)", or empty for a control without help.
std::string Tooltip(const Operations& ops, ControlId id, bool metric);
// The caption of the field a control belongs to, or "Field 1234" for one outside the form.
std::string FieldCaption(const Operations& ops, ControlId id);

// When a numeric box is left holding `typed` that is not wholly a number, or a number beyond
// single precision, what it was read as: `X Axis Tool Change: "abc" is not a number and reads
// as 0`. `shown` is the box's text after it was reformatted. Empty when the text was a number.
// "1,5": a number written with a decimal comma, which the box rules would read as 1. Someone
// used to a comma-decimal locale means 1.5, so it is neither reformatted nor used.
bool HasDecimalComma(std::string_view text);

std::string ReadingNote(const Operations& ops, ControlId id, std::string_view typed,
                        std::string_view shown);

}  // namespace tbx
