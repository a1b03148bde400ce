#include "app/app.h"
#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/options.h"
#include "app/tab_reader.h"
#include "ops/deep_drill.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kPeckModes[] = {
    {kG83, "G83"}, {605, "Manual", true}, {kEqualPeck, "Equal Peck"}, {kPercentPeckMode, "% Peck"}};
constexpr Choice kDrillAngles[] = {{kFlatBottom, "Flat Bottom"}, {kDeep118, "118 Degree"}, {kDeep135, "135 Degree"}};

constexpr Field kFields[] = {
    {.id = kDeepComment, .kind = FieldKind::Text, .caption = "Comment", .label = 620,
     .inch = "DRILL", .metric = "DRILL",
     .help = "text of the comment block written before the drilling"},
    {.id = kDeepDrillSize, .kind = FieldKind::List, .caption = "Drill size",
     .help = "a drill of the data file; fills Drill Diameter", .inchItem = 187, .metricItem = 172},
    {.id = kDeepDrillDia, .kind = FieldKind::Number, .caption = "Drill Diameter", .label = 525,
     .unit = Unit::Length, .inch = ".500", .metric = "10.", .help = "diameter of the drill"},
    {.id = kDeepStart, .kind = FieldKind::Number, .caption = "Start", .label = 530,
     .unit = Unit::Length, .inch = "0.", .metric = "0.", .help = "Z of the face, from the part zero"},
    {.id = kDeepDepth, .kind = FieldKind::Number, .caption = "Depth", .label = 535,
     .unit = Unit::Length, .inch = "-1.", .metric = "-25.",
     .help = "Z of the bottom of the hole, from the part zero", .reformat = true},
    {.id = kDeepZClearance, .kind = FieldKind::Number, .caption = "Z ABS Clearance", .label = 540,
     .unit = Unit::Length, .inch = ".1", .metric = "3.",
     .help = "absolute Z the drill rapids to before and after the hole", .reformat = true},
    {.id = kRapidClearance, .kind = FieldKind::Number, .caption = "Rapid Clearance",
     .label = kRapidClearanceLabel, .unit = Unit::Length, .inch = ".025", .metric = ".5",
     .help = "distance short of the last peck the drill rapids back to", .reformat = true},
    {.id = kPeckMax, .kind = FieldKind::Number, .caption = "Peck Value (Max)", .label = 550,
     .unit = Unit::Length, .inch = ".3", .metric = "6.", .help = "depth of the first (largest) peck",
     .reformat = true},
    {.id = kPeckMin, .kind = FieldKind::Number, .caption = "Peck Value (Min)", .label = kPeckMinLabel,
     .unit = Unit::Length, .inch = ".1", .metric = "3.", .help = "depth of the smallest peck",
     .reformat = true},
    {.id = kPercentPeck, .kind = FieldKind::Number, .caption = "Percent Peck", .label = kPercentPeckLabel,
     .unit = Unit::Percent, .inch = "80.", .metric = "80.",
     .help = "each peck as a share of the one before", .reformat = true},
    {.id = kDeepDwell, .kind = FieldKind::Number, .caption = "Dwell Seconds", .label = 565,
     .unit = Unit::Seconds, .inch = "0.", .metric = "0.", .help = "pause at the bottom of the hole",
     .reformat = true},
    {.id = kDeepFeed, .kind = FieldKind::Number, .caption = "Feedrate", .label = 570,
     .unit = Unit::Feed, .inch = ".005", .metric = ".2", .help = "feed per spindle revolution",
     .reformat = true},
    {.id = 630, .kind = FieldKind::Options, .caption = "Deep Drill", .choices = kPeckModes},
    {.id = 635, .kind = FieldKind::Options, .caption = "Drill Angle", .choices = kDrillAngles,
     .chosen = kDeep118},
    {.id = kDeepOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

// G83 pecks by itself; the manual modes need the rapid clearance, % Peck its smallest peck
// and its percentage too.
void Enable(FieldSwitch& tab) {
  tab.Set(kRapidClearance, !tab.Checked(kG83));
  tab.Set(kPeckMin, tab.Checked(kPercentPeckMode));
  tab.Set(kPercentPeck, tab.Checked(kPercentPeckMode));
}

constexpr Action kActions[] = {
    {kDeepDrillSize, Trigger::Change, [](App& app, ControlId) { FillDrillDiameter(app, kDeepDrillSize, kDeepDrillDia); }},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  DeepDrillInputs in;
  in.comment = r.Text(kDeepComment);
  in.mode = r.Chosen(630, std::array{PeckMode::G83, PeckMode::Equal, PeckMode::Percent});
  in.point = r.Chosen(635, std::array{DrillPoint::Flat, DrillPoint::Deg118, DrillPoint::Deg135});
  in.drillDia = r.Single(kDeepDrillDia);
  in.zStart = r.Single(kDeepStart);
  in.depth = r.Single(kDeepDepth);
  in.zClearance = r.Single(kDeepZClearance);
  in.peckMax = r.Single(kPeckMax);
  in.dwellSeconds = r.Single(kDeepDwell);
  in.feed = r.Single(kDeepFeed);
  if (in.mode != PeckMode::G83) in.rapidClearance = r.Single(kRapidClearance);
  if (in.mode == PeckMode::Percent) {
    in.peckMin = r.Single(kPeckMin);
    in.percentPeck = r.Number(kPercentPeck);
  }
  return r.Generate(DeepDrillOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kDeepDrillOperation{
    .name = "deep_drill", .caption = "Deep Drill", .group = OperationGroup::HoleMaking,
    .fields = kFields, .spindle = SpindleRule::Turning, .enable = Enable, .actions = kActions,
    .ok = kDeepOk, .generate = Generate};

}  // namespace tbx
