#include "program/program_text.h"

#include <utility>

#include "program/numbers.h"

namespace tbx {

namespace {
// Decimal places of each word class, in WordClass order.
constexpr int kPlaces[] = {
    4,  // Axis
    3,  // OtMetricDiameter
    4,  // Feed
    5,  // OtLead
    6,  // Lead
    0,  // Whole
};
}  // namespace

std::string Operation::Word(char letter, WordClass wordClass, double value) {
  std::string number = FormatValue(value, kPlaces[static_cast<int>(wordClass)]);
  if (!IsPlainNumber(number)) {
    std::string shown = number;
    if (shown.back() == '.') shown.pop_back();
    Refuse({}, std::string("The ") + letter + " word is out of range (" + shown + ")");
  }
  // Others keep the point FormatValue gives every plain number it prints (its 7-digit text
  // of a value is whole or has a fraction).
  if (wordClass == WordClass::Whole && number.back() == '.') number.pop_back();
  return std::string(" ") + letter + number;
}

void Operation::Block(std::string words) { blocks_.push_back(std::move(words)); }

void Operation::Comment(FieldKey field, std::string_view text) {
  for (unsigned char c : text) {
    if (c == '(' || c == ')' || c < 0x20 || c == 0x7f) {
      Refuse(field, "{} must not hold \"(\", \")\" or a control character");
      return;
    }
  }
  if (!text.empty()) Block(" ( " + std::string(text) + " ) ");
}

void Operation::Refuse(FieldKey field, std::string text) {
  if (refusal_.empty()) refusal_ = {std::string(field), std::move(text)};
}

std::string RefusalMessage(const Refusal& refusal,
                           const std::function<std::string(std::string_view key)>& captionOf) {
  const std::string_view text = refusal.text;
  std::string message;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t open = text.find('{', at);
    const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
    if (close == std::string_view::npos) {
      message += text.substr(at);
      break;
    }
    message += text.substr(at, open - at);
    const std::string_view key = text.substr(open + 1, close - open - 1);
    message += captionOf(key.empty() ? std::string_view(refusal.field) : key);
    at = close + 1;
  }
  return message;
}

Refusal WriteRefusal(const Operation& op, const ToolChange& toolChange) {
  if (!op.Refusal().empty()) return op.Refusal();
  // The return block writes the tool-change texts as they stand, so they must be plain numbers.
  for (const auto& [text, field] : {std::pair{&toolChange.x, key::kXToolChange},
                                    std::pair{&toolChange.z, key::kZToolChange}}) {
    if (!IsPlainNumber(*text)) return {std::string(field), "{} must be a number"};
    if (text->find('.') == std::string::npos)
      return {std::string(field), "{} must be written with a decimal point"};
  }
  if (op.Blocks().size() + kFrameBlocks > static_cast<std::size_t>(kMaxOperationBlocks))
    return {"", kTooManyBlocks};
  return {};
}

namespace {
void NumberedBlock(std::string& text, ProgramState& state, std::string_view words) {
  text += 'N';
  text += std::to_string(state.blockNumber);
  state.blockNumber += 10;
  text += words;
  text += state.newLine;
}
}  // namespace

std::string ProgramStartText(const ProgramFrame& frame, std::string_view newLine) {
  std::string number = std::to_string(frame.number);
  if (number.size() < 4) number.insert(0, 4 - number.size(), '0');
  std::string text = "%" + std::string(newLine) + "O" + number;
  if (!frame.name.empty()) text += " (" + frame.name + ")";
  text += std::string(newLine) + (frame.metric ? "G21" : "G20");
  if (!frame.startCodes.empty()) text += " " + frame.startCodes;
  return text + std::string(newLine);
}

std::string ProgramEndText(std::string_view newLine) {
  return "M30" + std::string(newLine) + "%" + std::string(newLine);
}

void AppendOperation(std::string& text, ProgramState& state, const ToolChange& toolChange,
                     const Operation& op) {
  NumberedBlock(text, state, " " + toolChange.tool + toolChange.offset +
                                 (toolChange.coolant ? " M8" : ""));
  for (const std::string& words : op.Blocks()) NumberedBlock(text, state, words);
  state.rapidMode = op.RapidMode();
  std::string rapid;
  if (state.rapidMode == 0) {
    rapid = " G0";
    state.rapidMode = 1;
  }
  NumberedBlock(text, state, rapid + " X" + toolChange.x);
  NumberedBlock(text, state, " Z" + toolChange.z + " M9");
  NumberedBlock(text, state, " M1");
}

}  // namespace tbx
