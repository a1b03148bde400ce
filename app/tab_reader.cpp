#include "app/tab_reader.h"

#include <cmath>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/field_help.h"
#include "app/program_box.h"
#include "program/numbers.h"

namespace tbx {

std::string TabReader::KeyOf(ControlId id) const {
  const FieldRef ref = FindField(app_.operations, id);
  return ref ? KeyOfField(*ref.op, *ref.field) : std::string();
}

void TabReader::Blame(ControlId id, std::string text) {
  if (refusal_.empty()) refusal_ = Refusal{KeyOf(id), std::move(text)};
}

float TabReader::Single(ControlId id) {
  const double value = Number(id);
  return ToSingle(value);
}

double TabReader::Number(ControlId id) {
  const std::string text = app_.Text(id);
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

std::string TabReader::Text(ControlId id) const { return app_.Text(id); }
bool TabReader::Checked(ControlId id) const { return app_.Checked(id); }

int TabReader::ChosenIndex(ControlId field) const { return tbx::ChosenIndex(app_, field); }

OpContext TabReader::Context() {
  OpContext ctx = ContextOf(app_);
  if (!std::isfinite(ctx.surfaceSpeed) && spmRefusal_.empty())
    spmRefusal_ = Refusal{KeyOf(id::kSpm), "{} is out of range"};
  return ctx;
}

void RunOperation(App& app, const OperationDescriptor& op) {
  TabReader reader(app, op);
  const OpContext ctx = reader.Context();
  WriteOperation(app, op.generate(reader, ctx));
}

}  // namespace tbx
