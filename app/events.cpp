#include "app/events.h"

#include "app/app.h"
#include "app/catalogue.h"
#include "app/field_help.h"
#include "app/speeds_and_units.h"
#include "app/startup.h"
#include "app/tab_reader.h"

namespace tbx {

namespace {

// Whether an action answers this event: its own control, or any button of its option group.
bool Answers(const Action& action, const FieldRef& ref, ControlId control, Trigger trigger) {
  if (action.trigger != trigger) return false;
  return action.control == control ||
         (ref.choice && ref.field->id != 0 && action.control == ref.field->id);
}

}  // namespace

void DispatchEvent(App& app, std::string_view form, ControlId control, int message, int value) {
  if (form == kAboutForm) {
    AboutEvent(app, control, message);
    return;
  }
  if (form != kMainForm) return;
  if (control == kAboutMenu) {
    app.ui.ShowForm(kAboutForm);
    return;
  }
  if (control == 0 && message == kMsgClose) {
    ShutDown(app);
    return;
  }
  if (control == id::kTabs) {
    if (message == kMsgChange) TabChanged(app, value);
    return;
  }
  const FieldRef ref = FindField(app.operations, control);
  if (!ref) return;
  const OperationDescriptor& op = *ref.op;
  if (message == kMsgLeave) {
    if (ref.field->id == control && ref.field->reformat) NormalizeField(app, control);
    return;
  }
  if (message == kMsgClick && control == op.ok && op.generate) {
    RunOperation(app, op);
    return;
  }
  if (message != kMsgClick && message != kMsgChange) return;
  const Trigger trigger = message == kMsgClick ? Trigger::Click : Trigger::Change;
  for (const Action& action : op.actions)
    if (Answers(action, ref, control, trigger)) action.handle(app, control);
  if (trigger == Trigger::Click) ApplyEnabling(app, op);
}

void NormalizeField(App& app, ControlId id) {
  const std::string typed = app.Text(id);
  const bool reformat = Reformats(ReadBoxText(typed));
  const std::string shown = reformat ? BoxText(typed) : typed;
  if (reformat) app.SetText(id, shown);
  app.ui.FieldNote(kMainForm, id, ReadingNote(app.operations, id, typed, shown));
}

void TabChanged(App& app, int tab) {
  if (tab < 1 || tab > TabCount(app.operations)) return;
  app.ui.ShowPage(kMainForm, tab);
  ApplyTabSpeed(app, app.operations.pages[static_cast<std::size_t>(tab - 1)]->spindle);
}

}  // namespace tbx
