#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/options.h"
#include "app/tab_reader.h"
#include "ops/tap.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kCodeTypes[] = {{kG84, "G84"}, {kTapG32, "G32"}, {kTapG33, "G33"}};

constexpr Field kFields[] = {
    {.id = kTapComment, .kind = FieldKind::Text, .caption = "Comment", .label = 790,
     .inch = "TAP", .metric = "TAP", .help = "text of the comment block written before the tapping"},
    {.id = kTapSize, .kind = FieldKind::List, .caption = "Tap size",
     .help = "a thread of the data file; fills Major Diameter and Pitch", .inchItem = 17,
     .metricItem = 41},
    {.id = kTapMajorDia, .kind = FieldKind::Number, .caption = "Major Diameter", .label = 745,
     .unit = Unit::Length, .inch = ".375", .metric = "10.", .help = "outside diameter of the tap",
     .reformat = true},
    {.id = kTapPitch, .kind = FieldKind::Number, .caption = "Pitch", .label = 750,
     .unit = Unit::Length, .inch = ".0625", .metric = "1.25",
     .help = "distance from one thread to the next along Z", .reformat = true},
    {.id = kTapZStart, .kind = FieldKind::Number, .caption = "Z Start", .label = 755,
     .unit = Unit::Length, .inch = "0.", .metric = "0.", .help = "Z of the face, from the part zero",
     .reformat = true},
    {.id = kTapDepth, .kind = FieldKind::Number, .caption = "Tap Depth", .label = 760,
     .unit = Unit::Length, .inch = "-1.", .metric = "-25.",
     .help = "Z of the end of the thread, from the part zero", .reformat = true},
    {.id = kTapClearance, .kind = FieldKind::Number, .caption = "Clearance", .label = 765,
     .unit = Unit::Length, .inch = ".3", .metric = "3.",
     .help = "distance in front of the face where the tap starts", .reformat = true},
    {.id = kLeftHand, .kind = FieldKind::Check, .caption = "Left Hand"},
    {.id = 800, .kind = FieldKind::Options, .caption = "Code Type", .choices = kCodeTypes},
    {.id = kTapOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

// Left Hand is offered only with G32/G33. Its check mark is left alone, so a mark set earlier
// still turns a G84 spindle block to M4.
void Enable(FieldSwitch& tab) { tab.Set(kLeftHand, !tab.Checked(kG84)); }

constexpr Action kActions[] = {
    {kTapSize, Trigger::Change,
     [](App& app, ControlId) { FillFromThreadSize(app, kTapSize, kTapMajorDia, kTapPitch); }},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  TapInputs in;
  in.comment = r.Text(kTapComment);
  in.majorDia = r.Single(kTapMajorDia);
  in.pitch = r.Single(kTapPitch);
  in.zStart = r.Single(kTapZStart);
  in.depth = r.Single(kTapDepth);
  in.clearance = r.Single(kTapClearance);
  in.leftHand = r.Checked(kLeftHand);
  in.code = r.Chosen(800, std::array{TapCode::G84, TapCode::G32, TapCode::G33});
  return r.Generate(TapOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kTapOperation{
    .name = "tap", .caption = "Tap", .group = OperationGroup::HoleMaking, .fields = kFields,
    .spindle = SpindleRule::Threading, .enable = Enable, .actions = kActions, .ok = kTapOk,
    .generate = Generate};

}  // namespace tbx
