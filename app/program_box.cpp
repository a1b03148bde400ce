#include "app/program_box.h"

#include "app/app.h"
#include "app/catalogue.h"
#include "app/events.h"
#include "app/machine_boxes.h"
#include "toolpath/expander.h"

namespace tbx {

OpContext ContextOf(const App& app) {
  ToolChange toolChange{app.Text(id::kTool), app.Text(id::kOffset), app.Checked(id::kCoolant),
                        app.Text(id::kXToolChange), app.Text(id::kZToolChange)};
  return OpContext{app.Metric(), kPi, app.program.rapidMode, app.Single(id::kSpm),
                   std::move(toolChange)};
}

namespace {
std::uint64_t BoxRevision(const App& app) { return app.ui.Revision(kMainForm, id::kOutput); }
}  // namespace

bool WriteOperation(App& app, const Operation& op) {
  const ToolChange toolChange = ContextOf(app).toolChange;
  const Refusal refusal = WriteRefusal(op, toolChange);
  if (!refusal.empty()) {
    app.Refuse(refusal);
    return false;
  }
  Refusal frameRefusal;
  const std::optional<ProgramFrame> frame = ProgramFrameOf(app, frameRefusal);
  if (!frameRefusal.empty()) {
    app.Refuse(frameRefusal);
    return false;
  }
  SaveUndo(app);
  const std::string& box = app.undo.Box();
  // Blocks after an M30, M2 or closing "%" would never run: the operation goes before them.
  if (const int endLine = toolpath::ProgramEndLine(box); endLine > 0) {
    std::size_t at = 0;
    for (int line = 1; line < endLine; ++line) at = toolpath::NextLine(box, toolpath::LineEnd(box, at));
    std::string text = box.substr(0, at);
    AppendOperation(text, app.program, toolChange, op);
    text.append(box, at);
    app.SetText(id::kOutput, text);
    app.undo.Rebase(std::move(text), BoxRevision(app));
    return true;
  }
  std::string text;
  // Text typed at the end of the box must not run into the tool-change block; the undo entry
  // keeps the box as the user left it.
  if (!box.empty() && box.back() != '\n' && box.back() != '\r') text = app.program.newLine;
  if (frame && box.find_first_not_of(" \t\r\n") == std::string::npos)
    text += ProgramStartText(*frame, app.program.newLine);
  AppendOperation(text, app.program, toolChange, op);
  if (frame) text += ProgramEndText(app.program.newLine);
  app.ui.AppendText(kMainForm, id::kOutput, text);
  app.undo.Append(text, BoxRevision(app));
  return true;
}

void SaveUndo(App& app) {
  const std::uint64_t revision = BoxRevision(app);
  if (!app.undo.Knows(revision)) app.undo.Rebase(app.Text(id::kOutput), revision);
  app.undo.Save(app.program.blockNumber);
  app.Enable(id::kUndo);
}

void RestoreUndo(App& app) {
  // The button is disabled with an empty history; a stray restore changes nothing.
  switch (app.undo.Restore(BoxRevision(app), app.program.blockNumber)) {
    case UndoHistory::Restored::Nothing:
      return;
    case UndoHistory::Restored::Cut:
      app.ui.TruncateText(kMainForm, id::kOutput, app.undo.Box().size());
      break;
    case UndoHistory::Restored::Whole:
      app.SetText(id::kOutput, app.undo.Box());
      break;
  }
  app.undo.Track(BoxRevision(app));
  if (app.undo.Count() == 0) app.Disable(id::kUndo);
}

const std::string* KnownProgram(const App& app) {
  return app.undo.Knows(BoxRevision(app)) ? &app.undo.Box() : nullptr;
}

void CopyProgram(App& app) { app.ui.SetClipboard(app.Text(id::kOutput)); }

}  // namespace tbx

namespace tbx {

void App::Refuse(const Refusal& refusal) {
  Error(RefusalMessage(refusal, [this](std::string_view key) { return CaptionOfKey(operations, key); }));
  if (const FieldRef ref = FindKey(operations, refusal.field)) {
    // A field on another tab: that tab is chosen as the user would choose it, in every binding.
    if (ref.page >= 1 && ref.page != ui.ShownPage(kMainForm)) TabChanged(*this, ref.page);
    const ControlId id = ref.choice ? ref.choice->id : ref.field->id ? ref.field->id : ref.field->choices.front().id;
    ui.FocusField(kMainForm, id);
  }
}

}  // namespace tbx
