#include "app/field_help.h"

#include <cmath>

#include "app/catalogue.h"
#include "program/numbers.h"

namespace tbx {

std::string_view UnitText(Unit unit, bool metric) {
  switch (unit) {
    case Unit::Length: return metric ? "mm" : "in";
    case Unit::Feed: return metric ? "mm/rev" : "in/rev";
    case Unit::SurfaceSpeed: return metric ? "m/min" : "ft/min";
    case Unit::Seconds: return "s";
    case Unit::Percent: return "%";
    case Unit::Degrees: return "degrees";
    case Unit::MmPerMin: return "mm/min";
    case Unit::Rpm: return "rev/min";
    case Unit::None: break;
  }
  return "";
}

std::string Tooltip(const Operations& ops, ControlId id, bool metric) {
  const FieldRef ref = FindField(ops, id);
  if (!ref || ref.field->help.empty() || ref.choice) return "";
  std::string text = std::string(ref.field->caption) + ": " + std::string(ref.field->help);
  if (std::string_view unit = UnitText(ref.field->unit, metric); !unit.empty())
    text += " (" + std::string(unit) + ")";
  return text;
}

std::string FieldCaption(const Operations& ops, ControlId id) {
  const FieldRef ref = FindField(ops, id);
  return ref ? std::string(ref.field->caption) : "Field " + std::to_string(id);
}

bool HasDecimalComma(std::string_view text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos || comma + 1 >= text.size()) return false;
  const char next = text[comma + 1];
  return IsNumberSyntax(text.substr(0, comma)) && next >= '0' && next <= '9';
}

BoxReading ReadBoxText(std::string_view typed) {
  if (HasDecimalComma(typed)) return BoxReading::DecimalComma;
  if (!std::isfinite(ToSingle(BoxNumber(typed)))) return BoxReading::BeyondSingle;
  if (typed.find_first_not_of(' ') == std::string_view::npos) return BoxReading::Blank;
  if (!IsNumberSyntax(typed)) return BoxReading::NotANumber;
  if (!IsPlainNumber(BoxText(typed))) return BoxReading::TooLarge;
  return BoxReading::Number;
}

bool Reformats(BoxReading reading) {
  return reading == BoxReading::Number || reading == BoxReading::Blank ||
         reading == BoxReading::BeyondSingle;
}

std::string ReadingNote(const Operations& ops, ControlId id, std::string_view typed,
                        std::string_view shown) {
  const std::string quoted = FieldCaption(ops, id) + ": \"" + std::string(typed) + "\" ";
  switch (ReadBoxText(typed)) {
    case BoxReading::Number: return "";
    case BoxReading::DecimalComma: return quoted + "holds a decimal comma: use a point for decimals";
    case BoxReading::NotANumber: return quoted + "is not a number";
    case BoxReading::TooLarge: return quoted + "is too large to show in the box";
    case BoxReading::Blank: return quoted + "is not a number and reads as 0";
    case BoxReading::BeyondSingle: break;
  }
  return quoted + "is beyond single precision and reads as " + std::string(shown);
}

}  // namespace tbx
