#include "app/app.h"
#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/tab_reader.h"
#include "ops/groove.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kSides[] = {{kGrooveOutside, "Outside"}, {kGrooveInside, "Inside"}};

constexpr Field kFields[] = {
    {.id = kGrooveComment, .kind = FieldKind::Text, .caption = "Comment", .label = 930,
     .inch = "GROOVE", .metric = "GROOVE",
     .help = "text of the comment block written before the groove"},
    {.id = 0, .kind = FieldKind::Options, .caption = "Side", .choices = kSides},
    {.id = kGrooveMajorDia, .kind = FieldKind::Number, .caption = "Major Dia", .label = 880,
     .unit = Unit::Length, .inch = "1.", .metric = "20.", .help = "diameter the groove is cut from",
     .reformat = true},
    {.id = kGrooveMinorDia, .kind = FieldKind::Number, .caption = "Minor Dia", .label = 885,
     .unit = Unit::Length, .inch = ".5", .metric = "10.",
     .help = "diameter at the bottom of the groove", .reformat = true},
    {.id = kGrooveZStart, .kind = FieldKind::Number, .caption = "Z Start", .label = 890,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "Z of the groove's right wall, from the part zero", .reformat = true},
    {.id = kXIncClr, .kind = FieldKind::Number, .caption = "X INC Clr", .label = 895,
     .unit = Unit::Length, .inch = ".05", .metric = "3.",
     .help = "distance from Major Dia the tool retracts to, on the radius", .reformat = true},
    {.id = kGrooveWidth, .kind = FieldKind::Number, .caption = "Groove Width", .label = 900,
     .unit = Unit::Length, .inch = "1.", .metric = "10.", .help = "width of the groove along Z",
     .reformat = true},
    {.id = kToolWidth, .kind = FieldKind::Number, .caption = "Tool Width", .label = 905,
     .unit = Unit::Length, .inch = ".125", .metric = "3.", .help = "width of the grooving tool",
     .reformat = true},
    {.id = kPercentStep, .kind = FieldKind::Number, .caption = "% Step", .label = 910,
     .unit = Unit::Percent, .inch = "80.", .metric = "80.",
     .help = "step between plunges as a share of Tool Width", .reformat = true},
    {.id = kGrooveFeed, .kind = FieldKind::Number, .caption = "Feedrate", .label = 915,
     .unit = Unit::Feed, .inch = ".005", .metric = ".2", .help = "feed per spindle revolution",
     .reformat = true},
    {.id = kXBottomStock, .kind = FieldKind::Number, .caption = "X Bottom Stock", .label = 920,
     .unit = Unit::Length, .inch = ".01", .metric = ".5",
     .help = "stock left on the bottom for the finish pass, on the radius", .reformat = true},
    {.id = kZWallStock, .kind = FieldKind::Number, .caption = "Z Wall Stock", .label = 925,
     .unit = Unit::Length, .inch = ".005", .metric = ".25",
     .help = "stock left on each wall for the finish pass", .reformat = true},
    {.id = kZAbsClr, .kind = FieldKind::Number, .caption = "Z ABS Clr", .label = kZAbsClrLabel,
     .unit = Unit::Length, .inch = ".1", .metric = "3.",
     .help = "absolute Z the tool goes to between the roughing and finish of an inside groove",
     .reformat = true},
    {.id = kFinishPass, .kind = FieldKind::Check, .caption = "Finish Pass", .checked = true},
    // The corner breaks of the finish pass; each toggle turns its chamfer into a radius.
    {.id = kLeftSize, .kind = FieldKind::Number, .caption = "Left", .label = 950,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "size of the chamfer or radius on the left wall", .reformat = true},
    {.id = kLeftToggle, .kind = FieldKind::Toggle, .caption = "Chamfer", .key = "left_radius"},
    {.id = kRightSize, .kind = FieldKind::Number, .caption = "Right", .label = 945,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "size of the chamfer or radius on the right wall", .reformat = true},
    {.id = kRightToggle, .kind = FieldKind::Toggle, .caption = "Chamfer", .key = "right_radius"},
    {.id = kGrooveOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

void Enable(FieldSwitch& tab) { tab.Set(kZAbsClr, tab.Checked(kGrooveInside)); }

// The button has already changed between pressed and released; the caption follows it.
void ShowToggleCaption(App& app, ControlId toggle) {
  app.SetText(toggle, app.Checked(toggle) ? "Radius" : "Chamfer");
}

constexpr Action kActions[] = {
    {kRightToggle, Trigger::Click, ShowToggleCaption},
    {kLeftToggle, Trigger::Click, ShowToggleCaption},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  GrooveInputs in;
  in.comment = r.Text(kGrooveComment);
  in.inside = r.Checked(kGrooveInside);
  in.majorDia = r.Single(kGrooveMajorDia);
  in.minorDia = r.Single(kGrooveMinorDia);
  in.zStart = r.Single(kGrooveZStart);
  if (in.inside) in.zAbsClr = r.Single(kZAbsClr);
  in.xIncClr = r.Single(kXIncClr);
  in.grooveWidth = r.Single(kGrooveWidth);
  in.toolWidth = r.Single(kToolWidth);
  in.percentStep = r.Single(kPercentStep);
  in.feed = r.Single(kGrooveFeed);
  in.bottomStock = r.Single(kXBottomStock);
  in.wallStock = r.Single(kZWallStock);
  in.finishPass = r.Checked(kFinishPass);
  if (in.finishPass) {
    in.rightSize = r.Single(kRightSize);
    in.leftSize = r.Single(kLeftSize);
    in.rightRadius = r.Checked(kRightToggle);
    in.leftRadius = r.Checked(kLeftToggle);
  }
  return r.Generate(GrooveOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kGrooveOperation{
    .name = "groove", .caption = "Groove", .group = OperationGroup::Turning, .fields = kFields,
    .spindle = SpindleRule::Turning, .enable = Enable, .actions = kActions, .ok = kGrooveOk,
    .generate = Generate};

}  // namespace tbx
