#include <array>

#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/tab_reader.h"
#include "ops/nose_compensation.h"
#include "ops/turn.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kSides[] = {{kTurnOutside, "Outside"}, {kTurnInside, "Inside"}};

constexpr Choice kCompensations[] = {
    {kTurnCompNone, "None"}, {kTurnCompComputed, "Computed"}, {kTurnCompG41G42, "G41/G42"}};
constexpr std::array kCompensationModes = {NoseCompensation::None, NoseCompensation::Computed,
                                           NoseCompensation::ControlG41G42};

constexpr Field kFields[] = {
    {.id = kTurnComment, .kind = FieldKind::Text, .caption = "Comment", .label = 1301,
     .inch = "TURN", .metric = "TURN", .help = "text of the comment block written before the turning"},
    {.id = 0, .kind = FieldKind::Options, .caption = "Side", .choices = kSides},
    {.id = kTurnStartDia, .kind = FieldKind::Number, .caption = "Start Dia", .label = 1316,
     .unit = Unit::Length, .inch = "2.", .metric = "50.",
     .help = "diameter of the stock (outside) or of the bore (inside)", .reformat = true},
    {.id = kTurnFinalDia, .kind = FieldKind::Number, .caption = "Final Dia", .label = 1321,
     .unit = Unit::Length, .inch = "1.5", .metric = "40.", .help = "finished diameter",
     .reformat = true},
    {.id = kTurnZStart, .kind = FieldKind::Number, .caption = "Z Start", .label = 1326,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "Z of the part's end where turning starts, from the part zero", .reformat = true},
    {.id = kTurnZEnd, .kind = FieldKind::Number, .caption = "Z End", .label = 1331,
     .unit = Unit::Length, .inch = "-1.", .metric = "-25.",
     .help = "Z of the shoulder, from the part zero", .reformat = true},
    {.id = kTurnDepthOfCut, .kind = FieldKind::Number, .caption = "Depth of Cut", .label = 1336,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "most material one rough pass takes, on the radius", .reformat = true},
    {.id = kTurnFinishAllowanceX, .kind = FieldKind::Number, .caption = "Finish Allowance X",
     .label = 1341, .unit = Unit::Length, .inch = ".01", .metric = ".2",
     .help = "material left on the diameter for the finish pass, on the radius", .reformat = true},
    {.id = kTurnFinishAllowanceZ, .kind = FieldKind::Number, .caption = "Finish Allowance Z",
     .label = 1346, .unit = Unit::Length, .inch = ".005", .metric = ".1",
     .help = "material left on the shoulder for the finish pass", .reformat = true},
    {.id = kTurnRoughFeed, .kind = FieldKind::Number, .caption = "Rough Feed", .label = 1351,
     .unit = Unit::Feed, .inch = ".01", .metric = ".25",
     .help = "feed per spindle revolution of the rough passes", .reformat = true},
    {.id = kTurnFinishFeed, .kind = FieldKind::Number, .caption = "Finish Feed", .label = 1356,
     .unit = Unit::Feed, .inch = ".005", .metric = ".1",
     .help = "feed per spindle revolution of the finish pass", .reformat = true},
    {.id = kTurnChamfer, .kind = FieldKind::Number, .caption = "Chamfer", .label = 1361,
     .unit = Unit::Length, .inch = ".03", .metric = ".5",
     .help = "length of the 45 degree chamfer at the edge at Z Start (0 for none)", .reformat = true},
    {.id = kTurnClearance, .kind = FieldKind::Number, .caption = "Clearance", .label = 1366,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "distance off the material where passes start and end", .reformat = true},
    {.id = kTurnCss, .kind = FieldKind::Check, .caption = "Constant Surface Speed"},
    {.id = kTurnMaxRpm, .kind = FieldKind::Number, .caption = "Max RPM", .label = 1373,
     .inch = "3000", .metric = "3000",
     .help = "spindle speed limit under constant surface speed (G50), rev/min", .reformat = true},
    {.id = kTurnCompensation, .kind = FieldKind::Options, .caption = "Nose Radius Compensation",
     .help = "None: the programmed point follows the drawing. Computed: the path is offset so that "
             "the tool's nose radius cuts the drawing (chamfers at size). G41/G42: the control "
             "offsets the finish pass; the tool library gives radius and orientation",
     .choices = kCompensations},
    {.id = kTurnOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  const TurnInputs in{r.Text(kTurnComment),            r.Checked(kTurnInside),
                      r.Single(kTurnStartDia),          r.Single(kTurnFinalDia),
                      r.Single(kTurnZStart),            r.Single(kTurnZEnd),
                      r.Single(kTurnDepthOfCut),        r.Single(kTurnFinishAllowanceX),
                      r.Single(kTurnFinishAllowanceZ),  r.Single(kTurnRoughFeed),
                      r.Single(kTurnFinishFeed),        r.Single(kTurnChamfer),
                      r.Single(kTurnClearance),         r.SurfaceSpeed(kTurnCss, kTurnMaxRpm),
                      r.Chosen(kTurnCompensation, kCompensationModes)};
  return r.Generate(TurnOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kTurnOperation{
    .name = "turn", .caption = "Turn", .group = OperationGroup::Turning, .fields = kFields,
    .spindle = SpindleRule::Turning, .ok = kTurnOk, .generate = Generate};

}  // namespace tbx
