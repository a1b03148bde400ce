#pragma once
// What every field of the main form measures, from where, and in which unit: one table beside
// the control catalogue, read by the window's tooltips and by the messages that name a field.
#include <span>
#include <string>
#include <string_view>

#include "app/form_model.h"

namespace tbx {

// The unit of a field, shown in inch or metric form as the unit system gives it.
enum class UnitKind { None, Length, Feed, SurfaceSpeed, Seconds, Percent, Degrees, MmPerMin, Rpm };

struct FieldHelp {
  ControlId id;
  std::string_view name;  // as the field's caption reads
  std::string_view what;  // what it measures, and from where
  UnitKind unit;
};

std::span<const FieldHelp> FieldHelps();
const FieldHelp* FindFieldHelp(ControlId id);
// "in", "mm", "in/rev", ... or empty for UnitKind::None.
std::string_view UnitText(UnitKind unit, bool metric);
// "Major Dia: outside diameter of the thread (in)", or empty for a control not in the table.
std::string Tooltip(ControlId id, bool metric);

// When a numeric box is left holding `typed` that is not wholly a number, or a number beyond
// single precision, what it was read as: `X Axis Tool Change: "abc" is not a number and reads
// as 0`. `shown` is the box's text after it was reformatted. Empty when the text was a number.
std::string ReadingNote(ControlId id, std::string_view typed, std::string_view shown);

// The caption of the field (or choice) a refusal names by key ("thread.major_dia" gives
// "Major Dia"): labels, frames and check boxes of the catalogue, the names of this table for
// boxes, radios under their frame's key. The key itself when no field has it.
std::string CaptionOfKey(std::string_view key);

// The field a refusal message names ("Major Dia must be greater than 0"), looked for among the
// fields of `layer` and of the always-visible layer first, then everywhere; 0 when none.
ControlId FieldNamedIn(std::string_view message, int layer);

}  // namespace tbx
