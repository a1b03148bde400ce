#include "app/program_box.h"

#include "app/app.h"

namespace tbx {

OpContext ContextOf(const App& app) {
  ToolChange toolChange{app.Text(id::kTool), app.Text(id::kOffset), app.Checked(id::kCoolant),
                        app.Text(id::kXToolChange), app.Text(id::kZToolChange)};
  return OpContext{app.Metric(), app.pi, app.program.rapidMode, app.Single(id::kSpm),
                   std::move(toolChange)};
}

bool WriteOperation(App& app, const Operation& op) {
  const ToolChange toolChange = ContextOf(app).toolChange;
  const std::string refusal = WriteRefusal(op, toolChange);
  if (!refusal.empty()) {
    app.Error(refusal);
    return false;
  }
  // The one copy of the program an operation makes: the undo entry.
  std::string box = app.Text(id::kOutput);
  std::string text;
  // Text typed at the end of the box must not run into the tool-change block; the undo entry
  // keeps the box as the user left it.
  if (!box.empty() && box.back() != '\n' && box.back() != '\r') text = app.program.newLine;
  SaveUndo(app, std::move(box));
  AppendOperation(text, app.program, toolChange, op);
  app.ui.AppendText(kMainForm, id::kOutput, text);
  return true;
}

void SaveUndo(App& app, std::string boxText) {
  app.undo.Save(std::move(boxText), app.program.blockNumber);
  app.Enable(id::kUndo);
}

void RestoreUndo(App& app) {
  // The button is disabled with an empty history; a stray restore changes nothing.
  std::string text;
  if (!app.undo.Restore(text, app.program.blockNumber)) return;
  app.SetText(id::kOutput, text);
  if (app.undo.undoCount == 0) app.Disable(id::kUndo);
}

void CopyProgram(App& app) { app.ui.SetClipboard(app.Text(id::kOutput)); }

}  // namespace tbx
