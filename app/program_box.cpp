#include "app/program_box.h"

#include "app/app.h"
#include "app/catalogue.h"
#include "app/events.h"
#include "app/job.h"
#include "app/machine_boxes.h"
#include "app/tab_reader.h"
#include "toolpath/expander.h"

namespace tbx {

OpContext ContextOf(const App& app) { return ContextFrom(FormSource(app), app.program.rapidMode); }

namespace {
std::uint64_t BoxRevision(const App& app) { return app.ui.Revision(kMainForm, id::kOutput); }
}  // namespace

namespace {
// The step an OK writes: the values the tab and the shared controls hold, or, for an operation
// that came from no tab, its text as text.
JobStep MadeStep(const App& app, const OperationDescriptor* made, std::string text, const Operation& op) {
  if (!made) return TextStep(std::move(text));
  JobStep step;
  step.op = made;
  step.values = ValuesOf(app, *made);
  step.text = std::move(text);
  step.blocks = static_cast<int>(op.Blocks().size()) + kFrameBlocks;
  return step;
}
}  // namespace

bool WriteOperation(App& app, const Operation& op, const OperationDescriptor* made) {
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
  SyncJob(app);
  SaveUndo(app);
  const std::string& box = app.undo.Box();
  // Blocks after an M30, M2 or closing "%" would never run: the operation goes before them.
  // The search goes on from where the last OK's stopped, while the box holds what it left: the
  // text before that place is unchanged, and what the OK put after it is read again.
  const toolpath::ReadPoint from = app.endSearch.revision == BoxRevision(app) ? app.endSearch.from : toolpath::ReadPoint{};
  const toolpath::ProgramEnd programEnd = toolpath::FindProgramEnd(box, from);
  if (programEnd.line > 0) {
    const std::size_t at = programEnd.at.offset;
    std::string opText;
    AppendOperation(opText, app.program, toolChange, op);
    std::string text = box.substr(0, at) + opText;
    text.append(box, at);
    InsertStep(app.job, at, MadeStep(app, made, std::move(opText), op));
    app.SetText(id::kOutput, text);
    app.undo.Rebase(std::move(text), BoxRevision(app));
    app.job.revision = BoxRevision(app);
    app.endSearch = {BoxRevision(app), programEnd.at};
    return true;
  }
  // The start, the operation and the end, each a step of its own.
  // Text typed at the end of the box must not run into what follows it; the undo entry keeps
  // the box as the user left it.
  const bool open = !box.empty() && box.back() != '\n' && box.back() != '\r';
  std::string start, opText = open ? app.program.newLine : std::string(), end;
  if (frame && box.find_first_not_of(" \t\r\n") == std::string::npos) {
    start = opText + ProgramStartText(*frame, app.program.newLine);
    opText.clear();
  }
  AppendOperation(opText, app.program, toolChange, op);
  if (frame) end = ProgramEndText(app.program.newLine);
  const std::string text = start + opText + end;
  app.ui.AppendText(kMainForm, id::kOutput, text);
  app.undo.Append(text, BoxRevision(app));
  if (!start.empty()) app.job.steps.push_back(TextStep(std::move(start)));
  app.job.steps.push_back(MadeStep(app, made, std::move(opText), op));
  if (!end.empty()) app.job.steps.push_back(TextStep(std::move(end)));
  app.job.revision = BoxRevision(app);
  app.endSearch = {BoxRevision(app), programEnd.at};
  return true;
}

namespace {
// The history's box kept for Undo, with `steps` to give back with it (none: the box's own
// undo takes the step back, as after an OK).
void SaveEntry(App& app, std::optional<std::vector<JobStep>> steps) {
  app.undo.Save(app.program.blockNumber);
  // The steps' entries follow the history's, the oldest going with its entry.
  app.job.undo.push_back(std::move(steps));
  const std::size_t kept = static_cast<std::size_t>(app.undo.Count());
  if (app.job.undo.size() > kept) app.job.undo.erase(app.job.undo.begin(), app.job.undo.end() - static_cast<std::ptrdiff_t>(kept));
  app.Enable(id::kUndo);
}

// The same for the box as it stands.
void KeepForUndo(App& app, std::optional<std::vector<JobStep>> steps) {
  const std::uint64_t revision = BoxRevision(app);
  if (!app.undo.Knows(revision)) app.undo.Rebase(app.Text(id::kOutput), revision);
  SaveEntry(app, std::move(steps));
}
}  // namespace

void SaveUndo(App& app) {
  KeepForUndo(app, std::nullopt);
  app.job.redo.clear();
}

void EndTyping(App& app) {
  const std::uint64_t before = app.job.revision, revision = BoxRevision(app);
  if (revision == before) return;
  std::string typed = app.Text(id::kOutput);
  std::string old = JobText(app.job);
  if (typed == old) {
    app.job.revision = revision;
    return;
  }
  // The entry holds the box as it was before the typing, which the job's steps still make.
  std::vector<JobStep> steps = app.job.steps;
  if (!app.undo.Knows(before)) app.undo.Rebase(std::move(old), before);
  SaveEntry(app, std::move(steps));
  app.job.redo.clear();
  ReconcileJob(app.job, typed);
  app.undo.Rebase(std::move(typed), revision);
  app.job.revision = revision;
}

void RestoreUndo(App& app) {
  // The button is disabled with an empty history; a stray restore changes nothing.
  if (app.undo.Count() == 0) return;
  CancelEdit(app);
  SyncJob(app);
  const std::string* known = KnownProgram(app);
  Undone undone{known ? *known : app.Text(id::kOutput), app.program.blockNumber, app.program.rapidMode,
                app.job.steps};
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
  app.job.redo.push_back(std::move(undone));
  if (!app.job.undo.empty()) {
    if (app.job.undo.back()) {
      app.job.steps = std::move(*app.job.undo.back());
      app.job.revision = BoxRevision(app);
    }
    app.job.undo.pop_back();
  }
  if (app.undo.Count() == 0) app.Disable(id::kUndo);
}

bool CanRedo(const App& app) { return !app.job.redo.empty(); }

bool RedoChange(App& app) {
  if (app.job.redo.empty()) return false;
  CancelEdit(app);
  SyncJob(app);
  Undone undone = std::move(app.job.redo.back());
  app.job.redo.pop_back();
  KeepForUndo(app, app.job.steps);
  // Redoing an OK only adds its end: the box is not laid out again.
  const std::string& box = app.undo.Box();
  if (undone.box.size() >= box.size() && undone.box.compare(0, box.size(), box) == 0)
    app.ui.AppendText(kMainForm, id::kOutput, std::string_view(undone.box).substr(box.size()));
  else
    app.SetText(id::kOutput, undone.box);
  app.undo.Rebase(std::move(undone.box), BoxRevision(app));
  app.program.blockNumber = undone.blockNumber;
  app.program.rapidMode = undone.rapidMode;
  app.job.steps = std::move(undone.steps);
  app.job.revision = BoxRevision(app);
  return true;
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
