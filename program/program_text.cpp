#include "program/program_text.h"

#include "app/app.h"

namespace tbx {

void AddBlockNumber(App& app) {
  app.program.programText += "N" + std::to_string(app.program.blockNumber);
  app.program.blockNumber += 10;
}

void ToolChangeBlock(App& app) {
  PushUndo(app, 1);
  app.SetText(id::kScratch, app.Text(id::kOutput));
  AddBlockNumber(app);
  std::string& text = app.program.programText;
  text += " " + app.Text(id::kTool) + app.Text(id::kOffset);
  if (app.Checked(id::kCoolant)) text += " M8";
  text += app.program.newLine;
}

void ReturnBlock(App& app) {
  ProgramState& p = app.program;
  std::string w;
  AddBlockNumber(app);
  if (p.rapidMode == 0) {
    w = " G0";
    p.rapidMode = 1;
  }
  p.programText += w + " X" + app.Text(id::kXToolChange) + p.newLine;
  AddBlockNumber(app);
  p.programText += " Z" + app.Text(id::kZToolChange) + " M9" + p.newLine;
  AddBlockNumber(app);
  p.programText += " M1" + p.newLine;
  app.SetText(id::kOutput, app.Text(id::kScratch) + p.programText);
}

void CopyProgram(App& app) { app.ui.SetClipboard(app.Text(id::kOutput)); }

std::string Operation::Word(char letter, double value, int places) {
  std::string number = FormatValue(value, places);
  if (!IsPlainNumber(number)) {
    std::string shown = number;
    if (shown.back() == '.') shown.pop_back();
    Refuse(std::string("The ") + letter + " word is out of range (" + shown + ")");
  }
  return std::string(" ") + letter + number;
}

std::string Operation::WholeWord(char letter, double value) {
  std::string word = Word(letter, value, 0);
  if (word.back() == '.') word.pop_back();
  return word;
}

std::string Operation::Rapid() {
  if (rapidMode_ != 0) return "";
  rapidMode_ = 1;
  return " G0";
}

void Operation::Block(std::string words) { blocks_.push_back(std::move(words)); }

void Operation::Comment(std::string_view text) {
  if (!text.empty()) Block(" ( " + std::string(text) + " ) ");
}

void Operation::Refuse(std::string message) {
  if (refusal_.empty()) refusal_ = std::move(message);
}

namespace {
// The return block writes the tool-change texts as they stand, so they must be plain numbers.
std::string ToolChangeRefusal(const App& app) {
  if (!IsPlainNumber(app.Text(id::kXToolChange))) return "X Axis Tool Change must be a number";
  if (!IsPlainNumber(app.Text(id::kZToolChange))) return "Z Axis Tool Change must be a number";
  return "";
}
}  // namespace

bool WriteOperation(App& app, const Operation& op) {
  std::string refusal = op.Refusal();
  if (refusal.empty()) refusal = ToolChangeRefusal(app);
  // Tool change and the three return blocks come on top of the operation's own.
  if (refusal.empty() && op.Blocks().size() + 4 > static_cast<std::size_t>(kMaxOperationBlocks))
    refusal = kTooManyBlocks;
  if (!refusal.empty()) {
    app.Error(refusal);
    return false;
  }

  ProgramState& p = app.program;
  ToolChangeBlock(app);
  // Text typed at the end of the box must not run into the tool-change block; the undo entry
  // saved above keeps the box as the user left it.
  std::string before = app.Text(id::kScratch);
  if (!before.empty() && before.back() != '\n' && before.back() != '\r') {
    app.SetText(id::kScratch, before + p.newLine);
  }
  for (const std::string& words : op.Blocks()) {
    AddBlockNumber(app);
    p.programText += words + p.newLine;
  }
  p.rapidMode = op.RapidMode();
  ReturnBlock(app);
  app.SetText(id::kOutput, app.Text(id::kScratch) + p.programText);
  p.programText.clear();
  return true;
}

}  // namespace tbx
