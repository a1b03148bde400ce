#include "app/tab_reader.h"

#include <cmath>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/field_help.h"
#include "app/job.h"
#include "app/program_box.h"
#include "program/numbers.h"

namespace tbx {

std::string FormSource::Text(ControlId id) const { return app_.Text(id); }
bool FormSource::Checked(ControlId id) const { return app_.Checked(id); }

OpContext ContextFrom(const FieldSource& source, int rapidMode, const ToolLibrary* tools) {
  ToolChange toolChange{source.Text(id::kTool), source.Text(id::kOffset),
                        source.Checked(id::kCoolant), source.Text(id::kXToolChange),
                        source.Text(id::kZToolChange)};
  const bool metric = source.Checked(id::kMetric);
  std::optional<Tool> tool = tools ? tools->Lookup(toolChange.tool, toolChange.offset, metric) : std::nullopt;
  return OpContext{metric, kPi, rapidMode, ToSingle(BoxNumber(source.Text(id::kSpm))), std::move(toolChange),
                   std::move(tool)};
}

int ChosenIndexOf(const Operations& ops, const FieldSource& source, ControlId field) {
  const FieldRef ref = FindField(ops, field);
  if (!ref) return -1;
  int index = 0;
  for (const Choice& c : ref.field->choices) {
    if (c.heading) continue;
    if (source.Checked(c.id)) return index;
    ++index;
  }
  return -1;
}

TabReader::TabReader(App& app, const OperationDescriptor& op)
    : form_(std::make_unique<FormSource>(app)), ops_(app.operations), op_(op), source_(*form_),
      rapidMode_(app.program.rapidMode), tools_(&app.tools), firstBlock_(app.program.blockNumber) {}

std::string TabReader::KeyOf(ControlId id) const { return KeyOfControl(ops_, id); }

void TabReader::Blame(ControlId id, std::string text) {
  if (refusal_.empty()) refusal_ = Refusal{KeyOf(id), std::move(text)};
}

float TabReader::Single(ControlId id) {
  const double value = Number(id);
  return ToSingle(value);
}

double TabReader::Number(ControlId id) {
  const std::string text = source_.Text(id);
  switch (ReadBoxText(text)) {
    case BoxReading::Number:
    case BoxReading::Blank: break;
    case BoxReading::DecimalComma: Blame(id, "{} holds a decimal comma: use a point for decimals"); break;
    case BoxReading::NotANumber: Blame(id, "{} is not a number"); break;
    case BoxReading::TooLarge: Blame(id, "{} is too large to show in the box"); break;
    case BoxReading::BeyondSingle: Blame(id, "{} is out of range"); break;
  }
  return BoxNumber(text);
}

std::string TabReader::Text(ControlId id) const { return source_.Text(id); }
bool TabReader::Checked(ControlId id) const { return source_.Checked(id); }

int TabReader::ChosenIndex(ControlId field) const { return ChosenIndexOf(ops_, source_, field); }

OpContext TabReader::Context() {
  OpContext ctx = ContextFrom(source_, rapidMode_, tools_);
  ctx.firstBlock = firstBlock_;
  if (!std::isfinite(ctx.surfaceSpeed) && spmRefusal_.empty())
    spmRefusal_ = Refusal{KeyOf(id::kSpm), "{} is out of range"};
  return ctx;
}

void RunOperation(App& app, const OperationDescriptor& op) {
  // What was typed into the box is its own step first, and sets the numbering it goes on from.
  SyncJob(app);
  if (app.job.editing >= 0 && app.job.steps[static_cast<std::size_t>(app.job.editing)].op == &op) {
    UpdateStep(app);
    return;
  }
  TabReader reader(app, op);
  const OpContext ctx = reader.Context();
  WriteOperation(app, op.generate(reader, ctx), &op);
}

}  // namespace tbx
