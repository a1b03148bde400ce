#include <algorithm>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/options.h"
#include "app/tab_reader.h"
#include "ops/csink_drill.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kDrillAngles[] = {
    {kAngle90, "90 Degree"}, {kAngle118, "118 Degree"}, {kAngle135, "135 Degree"}, {kCenterDrill60, "60 Deg Center"}};
constexpr Choice kCenterSizes[] = {{kCenter0, "#0"}, {kCenter1, "#1"}, {kCenter2, "#2"},
                                   {kCenter3, "#3"}, {kCenter4, "#4"}, {kCenter5, "#5"},
                                   {kCenter6, "#6"}, {kCenter7, "#7"}, {kCenter8, "#8"}};

constexpr Field kFields[] = {
    {.id = kCSinkComment, .kind = FieldKind::Text, .caption = "Comment", .label = 315,
     .inch = "START DRILL", .metric = "START DRILL",
     .help = "text of the comment block written before the drilling"},
    {.id = kCSinkDrillSize, .kind = FieldKind::List, .caption = "Drill size",
     .help = "a drill of the data file; fills Drill Diameter", .inchItem = 187, .metricItem = 172},
    {.id = kCSinkDrillDia, .kind = FieldKind::Number, .caption = "Drill Diameter", .label = 355,
     .unit = Unit::Length, .inch = ".5", .metric = "10.", .help = "diameter of the drill", .reformat = true},
    {.id = kCSinkDia, .kind = FieldKind::Number, .caption = "C'Sink Dia.", .label = 360,
     .unit = Unit::Length, .inch = ".375", .metric = "7.5",
     .help = "diameter of the countersink at the face", .reformat = true},
    {.id = kCSinkZStart, .kind = FieldKind::Number, .caption = "Z Start", .label = 365,
     .unit = Unit::Length, .inch = "0.", .metric = "0.", .help = "Z of the face, from the part zero",
     .reformat = true},
    {.id = kCSinkClearance, .kind = FieldKind::Number, .caption = "Clearance", .label = 370,
     .unit = Unit::Length, .inch = ".1", .metric = "3.",
     .help = "distance in front of the face where feeding starts", .reformat = true},
    {.id = kCSinkDwell, .kind = FieldKind::Number, .caption = "Dwell Seconds", .label = 375,
     .unit = Unit::Seconds, .inch = "0.", .metric = "0.", .help = "pause at the bottom of the hole",
     .reformat = true},
    {.id = kCSinkFeed, .kind = FieldKind::Number, .caption = "Feedrate", .label = 380,
     .unit = Unit::Feed, .inch = ".005", .metric = ".3", .help = "feed per spindle revolution",
     .reformat = true},
    {.id = 460, .kind = FieldKind::Options, .caption = "Drill Angle", .choices = kDrillAngles},
    {.id = kCenterDrillFrame, .kind = FieldKind::Options, .caption = "Center Drill Sizes",
     .choices = kCenterSizes},
    {.id = kPilotDia, .kind = FieldKind::Number, .caption = "Pilot Dia", .label = kPilotDiaLabel,
     .unit = Unit::Length, .help = "pilot diameter of the chosen centre drill"},
    {.id = kCSinkOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

// The centre-drill sizes and their pilot only while 60 Deg Center is chosen.
void Enable(FieldSwitch& tab) {
  tab.Set(kCenterDrillFrame, tab.Checked(kCenterDrill60));
  tab.Set(kPilotDia, tab.Checked(kCenterDrill60));
}

// Drill Diameter and Pilot Dia of the chosen centre drill, in the active unit.
void ApplyCenterDrillSize(App& app, ControlId) {
  const int chosen = ChosenIndex(app, kCenterDrillFrame);
  if (chosen < 0) return;
  const CenterDrillSize& size = CenterDrill(chosen);
  app.SetText(kCSinkDrillDia, app.Metric() ? size.metricBody : size.inchBody);
  app.SetText(kPilotDia, app.Metric() ? size.metricPilot : size.inchPilot);
}

constexpr Action kActions[] = {
    {kCSinkDrillSize, Trigger::Change, [](App& app, ControlId) { FillDrillDiameter(app, kCSinkDrillSize, kCSinkDrillDia); }},
    {kCenterDrill60, Trigger::Click, ApplyCenterDrillSize},
    {kCenterDrillFrame, Trigger::Click, ApplyCenterDrillSize},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  CSinkDrillInputs in;
  in.comment = r.Text(kCSinkComment);
  in.csinkDia = r.Single(kCSinkDia);
  in.zStart = r.Single(kCSinkZStart);
  in.clearance = r.Single(kCSinkClearance);
  in.dwellSeconds = r.Single(kCSinkDwell);
  in.feed = r.Single(kCSinkFeed);
  in.centerDrill = r.Checked(kCenterDrill60);
  // 60 Deg Center has no point of its own: the centre drill's table gives the depth.
  in.point = r.Chosen(460, std::array{DrillPoint::Deg90, DrillPoint::Deg118, DrillPoint::Deg135, DrillPoint::Deg90});
  if (in.centerDrill) {
    in.drillDia = r.Single(kCSinkDrillDia);
    in.centerDrillSize = std::max(0, r.ChosenIndex(kCenterDrillFrame));
  }
  return r.Generate(CSinkDrillOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kCSinkDrillOperation{
    .name = "csink_drill", .caption = "C'Sink/Drill", .group = OperationGroup::HoleMaking,
    .fields = kFields, .spindle = SpindleRule::Turning, .enable = Enable, .actions = kActions,
    .ok = kCSinkOk, .generate = Generate};

}  // namespace tbx
