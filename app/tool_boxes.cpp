#include "app/tool_boxes.h"

#include <initializer_list>

#include "app/app.h"
#include "app/catalogue.h"
#include "program/numbers.h"

namespace tbx {

namespace {

// What the box shows after leaving it, so that a filled box reads as a typed one.
void Fill(App& app, ControlId box, double value) { app.SetText(box, BoxText(PlainDecimal(value, 6))); }

void Choose(App& app, ControlId chosen) {
  const FieldRef ref = FindField(app.operations, chosen);
  if (!ref || !ref.choice) return;
  for (const Choice& c : ref.field->choices)
    if (!c.heading) app.SetCheck(c.id, c.id == chosen);
  for (const OperationDescriptor* page : app.operations.pages)
    for (const Field& f : page->fields)
      if (&f == ref.field) ApplyEnabling(app, *page);
}

}  // namespace

void ShowTool(App& app, bool fill) {
  const std::optional<Tool> tool = app.tools.Lookup(app.Text(id::kTool), app.Text(id::kOffset), app.Metric());
  app.SetText(id::kToolName, !tool ? "" : tool->name.empty() ? std::string(KindName(tool->kind)) : tool->name);
  if (!tool || !fill) return;
  switch (tool->kind) {
    case ToolKind::Grooving: Fill(app, id::kToolWidth, tool->width); break;
    case ToolKind::Parting: Fill(app, id::kPartToolWidth, tool->width); break;
    case ToolKind::Drill:
      for (ControlId box : {id::kCSinkDrillDia, id::kDeepDrillDia}) Fill(app, box, tool->diameter);
      if (tool->pointAngle == 118) Choose(app, id::kDeep118);
      if (tool->pointAngle == 135) Choose(app, id::kDeep135);
      break;
    case ToolKind::Reamer: Fill(app, id::kReamerDia, tool->diameter); break;
    default: break;
  }
}

}  // namespace tbx
