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

// "1,5": a number written with a decimal comma, which the box rules would read as 1. Someone
// used to a comma-decimal locale means 1.5, so it is neither reformatted nor used.
bool HasDecimalComma(std::string_view text);

// What a numeric box's text is to the operation that reads it. The box rules would read "abc"
// as 0, "1/2" as 1 and 99999999 as "1E+8.", so a value typed in error would pass as another;
// such text is kept as typed, marked, and refused naming its box.
enum class BoxReading {
  Number,        // shown plainly once reformatted
  Blank,         // reads as 0, as it always has
  DecimalComma,  // kept, refused
  NotANumber,    // kept, refused
  TooLarge,      // kept, refused: the box could only show it in exponent form
  BeyondSingle,  // shown as INF, refused as out of range
};
BoxReading ReadBoxText(std::string_view typed);
// Whether leaving the box puts the reformatted text in place of what was typed.
bool Reformats(BoxReading reading);

// The note on a box left holding `typed` when it is not a plain number: `X Axis Tool Change:
// "abc" is not a number`. `shown` is the box's text after leaving it. Empty for a number.
std::string ReadingNote(const Operations& ops, ControlId id, std::string_view typed,
                        std::string_view shown);

}  // namespace tbx
