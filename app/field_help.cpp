#include "app/field_help.h"

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

std::string ReadingNote(const Operations& ops, ControlId id, std::string_view typed,
                        std::string_view shown) {
  if (HasDecimalComma(typed))
    return FieldCaption(ops, id) + ": \"" + std::string(typed) + "\" holds a decimal comma: use a point for decimals";
  const bool number = IsNumberSyntax(typed);
  const bool finite = IsPlainNumber(shown);
  if (number && finite) return "";
  std::string value(shown);
  if (finite && value.size() > 1 && value.back() == '.') value.pop_back();
  if (value == ".") value = "0";
  const char* what = number ? "is beyond single precision" : "is not a number";
  return FieldCaption(ops, id) + ": \"" + std::string(typed) + "\" " + what + " and reads as " + value;
}

}  // namespace tbx
