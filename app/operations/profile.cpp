#include <array>

#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/app.h"
#include "app/events.h"
#include "app/job.h"
#include "app/tab_reader.h"
#include "program/numbers.h"
#include "ops/profile.h"
#include "toolpath/contour.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kSides[] = {{kProfileOutside, "Outside"}, {kProfileInside, "Inside"}};
constexpr Choice kOutputs[] = {{kProfileMoves, "Moves"}, {kProfileCycle, "G71/G70"}};
constexpr Choice kDirections[] = {{kProfileTurn, "Turn"}, {kProfileFace, "Face"}};
constexpr Choice kCompensations[] = {
    {kProfileCompNone, "None"}, {kProfileCompComputed, "Computed"}, {kProfileCompG41G42, "G41/G42"}};
constexpr std::array kCompensationModes = {NoseCompensation::None, NoseCompensation::Computed,
                                           NoseCompensation::ControlG41G42};

constexpr Field kFields[] = {
    {.id = kProfileComment, .kind = FieldKind::Text, .caption = "Comment", .label = 1601,
     .inch = "PROFILE", .metric = "PROFILE", .help = "text of the comment block written before the profile"},
    {.id = 0, .kind = FieldKind::Options, .caption = "Side", .choices = kSides},
    {.id = kProfileContour, .kind = FieldKind::Text, .caption = "Contour", .label = 1611,
     .inch = "X.75 Z0\nX1. Z-.125\nZ-.75 ,R.06\nX1.5 ,C.03\nZ-1.5\nX2. Z-1.75",
     .metric = "X20. Z0\nX25. Z-3.\nZ-20. ,R1.5\nX38. ,C.8\nZ-38.\nX50. Z-45.",
     .help = "the finished shape, a line a point: the first gives X (a diameter) and Z, each after "
             "it a line (X Z, U W), an arc (G2/G3 X Z R, or I K) or the corner it ends in (,C a "
             "chamfer, ,R a radius); typed or pasted from G1/G2/G3 blocks",
     .lines = true},
    {.id = kProfileStartDia, .kind = FieldKind::Number, .caption = "Start Dia", .label = 1616,
     .unit = Unit::Length, .inch = "2.", .metric = "50.",
     .help = "diameter of the stock (outside) or of the bore (inside)", .reformat = true},
    {.id = kProfileStartZ, .kind = FieldKind::Number, .caption = "Start Z", .label = 1621,
     .unit = Unit::Length, .inch = "0.", .metric = "0.", .help = "Z of the stock's front face",
     .reformat = true},
    {.id = kProfileDepthOfCut, .kind = FieldKind::Number, .caption = "Depth of Cut", .label = 1626,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "most material one rough pass takes: on the radius turning, along Z facing", .reformat = true},
    {.id = kProfileFinishAllowanceX, .kind = FieldKind::Number, .caption = "Finish Allowance X",
     .label = 1631, .unit = Unit::Length, .inch = ".01", .metric = ".2",
     .help = "material left for the finish pass, on the radius", .reformat = true},
    {.id = kProfileFinishAllowanceZ, .kind = FieldKind::Number, .caption = "Finish Allowance Z",
     .label = 1636, .unit = Unit::Length, .inch = ".005", .metric = ".1",
     .help = "material left on the faces for the finish pass", .reformat = true},
    {.id = kProfileRoughFeed, .kind = FieldKind::Number, .caption = "Rough Feed", .label = 1641,
     .unit = Unit::Feed, .inch = ".01", .metric = ".25",
     .help = "feed per spindle revolution of the rough passes", .reformat = true},
    {.id = kProfilePlungeFeed, .kind = FieldKind::Number, .caption = "Plunge Feed", .label = 1646,
     .unit = Unit::Feed, .inch = ".005", .metric = ".1",
     .help = "feed per revolution going down into a pocket (Moves; a cycle roughs at its one feed)",
     .reformat = true},
    {.id = kProfileFinishFeed, .kind = FieldKind::Number, .caption = "Finish Feed", .label = 1651,
     .unit = Unit::Feed, .inch = ".005", .metric = ".1",
     .help = "feed per spindle revolution of the finish pass", .reformat = true},
    {.id = kProfileClearance, .kind = FieldKind::Number, .caption = "Clearance", .label = 1656,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "distance off the stock where passes start, and each pass's retract", .reformat = true},
    {.id = kProfileCss, .kind = FieldKind::Check, .caption = "Constant Surface Speed"},
    {.id = kProfileMaxRpm, .kind = FieldKind::Number, .caption = "Max RPM", .label = 1663,
     .inch = "3000", .metric = "3000",
     .help = "spindle speed limit under constant surface speed (G50), rev/min", .reformat = true},
    {.id = kProfileOutput, .kind = FieldKind::Options, .caption = "Output",
     .help = "Moves: every pass written out, for any control. G71/G70: the control's roughing "
             "cycle (G72 facing) and finishing cycle, the contour in the blocks P to Q",
     .choices = kOutputs},
    {.id = kProfileDirection, .kind = FieldKind::Options, .caption = "Direction",
     .help = "Turn: passes along Z. Face: passes along X", .choices = kDirections},
    {.id = kProfileCompensation, .kind = FieldKind::Options, .caption = "Nose Radius Compensation",
     .help = "None: the programmed point follows the contour. Computed: the path is offset so that "
             "the tool's nose radius cuts the contour. G41/G42: the control offsets the finish "
             "pass; the tool library gives radius and orientation",
     .choices = kCompensations},
    {.id = kProfileFromStock, .kind = FieldKind::Button, .caption = "From Stock"},
    {.id = kProfileOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

// Start Dia and Start Z from the bar the job is cut from: its own stock, or the one its steps
// give (the first Face or outside Turn).
void FillFromStock(App& app) {
  const toolpath::Stock stock = StockInEffect(app.job, 0);
  const double dia = app.Checked(kProfileInside) ? stock.bore : stock.outerDia;
  if (!stock.Known() || !(dia > 0)) {
    app.ui.MessageBox(app.Checked(kProfileInside) ? "No bore is known: set the stock (Edit, Stock) first"
                                                  : "No stock is known: set it (Edit, Stock) or write a Face or Turn step first",
                      "Profile", MessageIcon::None);
    return;
  }
  app.SetText(kProfileStartDia, PlainDecimal(dia, 4));
  NormalizeField(app, kProfileStartDia);
  app.SetText(kProfileStartZ, PlainDecimal(stock.frontZ, 4));
  NormalizeField(app, kProfileStartZ);
}

constexpr Action kActions[] = {{kProfileFromStock, Trigger::Click, [](App& app, ControlId) { FillFromStock(app); }}};

// The box's lines by the toolpath reader, so that a contour reads as a cycle's blocks do.
ProfileContour ContourOf(const std::string& text) {
  const toolpath::ContourRead read = toolpath::ReadContour(text);
  ProfileContour contour{read.path, read.lines, {}};
  if (!read.issues.empty()) {
    contour.fault = "line " + std::to_string(read.issues.front().line) + ": " + read.issues.front().text;
    // A brace would read as a caption's key in the message.
    for (char& c : contour.fault)
      if (c == '{' || c == '}') c = c == '{' ? '(' : ')';
  }
  return contour;
}

Operation Generate(TabReader& r, const OpContext& ctx) {
  ProfileInputs in;
  in.comment = r.Text(kProfileComment);
  in.inside = r.Checked(kProfileInside);
  in.contour = ContourOf(r.Text(kProfileContour));
  in.startDia = r.Single(kProfileStartDia);
  in.startZ = r.Single(kProfileStartZ);
  in.depthOfCut = r.Single(kProfileDepthOfCut);
  in.finishAllowanceX = r.Single(kProfileFinishAllowanceX);
  in.finishAllowanceZ = r.Single(kProfileFinishAllowanceZ);
  in.roughFeed = r.Single(kProfileRoughFeed);
  in.plungeFeed = r.Single(kProfilePlungeFeed);
  in.finishFeed = r.Single(kProfileFinishFeed);
  in.clearance = r.Single(kProfileClearance);
  in.spindle = r.SurfaceSpeed(kProfileCss, kProfileMaxRpm);
  in.cycle = r.Checked(kProfileCycle);
  in.face = r.Checked(kProfileFace);
  in.compensation = r.Chosen(kProfileCompensation, kCompensationModes);
  return r.Generate(ProfileOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kProfileOperation{
    .name = "profile", .caption = "Profile", .group = OperationGroup::Turning, .fields = kFields,
    .spindle = SpindleRule::Turning, .actions = kActions, .ok = kProfileOk, .generate = Generate};

}  // namespace tbx
