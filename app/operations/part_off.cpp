#include <array>

#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/tab_reader.h"
#include "ops/nose_compensation.h"
#include "ops/part_off.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kCompensations[] = {
    {kPartCompNone, "None"}, {kPartCompComputed, "Computed"}, {kPartCompG41G42, "G41/G42"}};
constexpr std::array kCompensationModes = {NoseCompensation::None, NoseCompensation::Computed,
                                           NoseCompensation::ControlG41G42};

constexpr Field kFields[] = {
    {.id = kPartComment, .kind = FieldKind::Text, .caption = "Comment", .label = 1401,
     .inch = "PART OFF", .metric = "PART OFF",
     .help = "text of the comment block written before the part-off"},
    {.id = kPartStockDia, .kind = FieldKind::Number, .caption = "Stock Dia", .label = 1406,
     .unit = Unit::Length, .inch = "2.", .metric = "50.",
     .help = "outside diameter of the stock being parted", .reformat = true},
    {.id = kPartEndDia, .kind = FieldKind::Number, .caption = "End Dia", .label = 1411,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "diameter the blade feeds to: 0, or a tube's bore", .reformat = true},
    {.id = kPartZPosition, .kind = FieldKind::Number, .caption = "Z Position", .label = 1416,
     .unit = Unit::Length, .inch = "-1.", .metric = "-25.",
     .help = "Z of the finished part's back face (the blade's part-side edge)", .reformat = true},
    {.id = kPartToolWidth, .kind = FieldKind::Number, .caption = "Tool Width", .label = 1421,
     .unit = Unit::Length, .inch = ".125", .metric = "3.", .help = "width of the parting blade",
     .reformat = true},
    {.id = kPartPeck, .kind = FieldKind::Number, .caption = "Peck", .label = 1426,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "depth on the radius between retracts (0 for none)", .reformat = true},
    {.id = kPartFeed, .kind = FieldKind::Number, .caption = "Feed", .label = 1431,
     .unit = Unit::Feed, .inch = ".003", .metric = ".08",
     .help = "feed per spindle revolution of the plunge", .reformat = true},
    {.id = kPartReducedFeedDia, .kind = FieldKind::Number, .caption = "Reduced Feed Dia",
     .label = 1436, .unit = Unit::Length, .inch = ".25", .metric = "6.",
     .help = "diameter below which the blade feeds at Reduced Feed", .reformat = true},
    {.id = kPartReducedFeed, .kind = FieldKind::Number, .caption = "Reduced Feed", .label = 1441,
     .unit = Unit::Feed, .inch = ".0015", .metric = ".04",
     .help = "feed per spindle revolution near the centre", .reformat = true},
    {.id = kPartChamfer, .kind = FieldKind::Number, .caption = "Chamfer", .label = 1446,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "length of the 45 degree chamfer broken on the part's edge first (0 for none)",
     .reformat = true},
    {.id = kPartClearance, .kind = FieldKind::Number, .caption = "Clearance", .label = 1451,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "distance outside Stock Dia where the blade starts, on the radius", .reformat = true},
    {.id = kPartCss, .kind = FieldKind::Check, .caption = "Constant Surface Speed"},
    {.id = kPartMaxRpm, .kind = FieldKind::Number, .caption = "Max RPM", .label = 1458,
     .inch = "3000", .metric = "3000",
     .help = "spindle speed limit under constant surface speed (G50), rev/min", .reformat = true},
    {.id = kPartCompensation, .kind = FieldKind::Options, .caption = "Nose Radius Compensation",
     .help = "None: the programmed point follows the drawing. Computed: the path is offset so that "
             "the tool's nose radius cuts the drawing (chamfers at size). G41/G42: the control "
             "offsets the finish pass; the tool library gives radius and orientation",
     .choices = kCompensations},
    {.id = kPartOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  const PartOffInputs in{r.Text(kPartComment),           r.Single(kPartStockDia),
                         r.Single(kPartEndDia),           r.Single(kPartZPosition),
                         r.Single(kPartToolWidth),        r.Single(kPartPeck),
                         r.Single(kPartFeed),             r.Single(kPartReducedFeedDia),
                         r.Single(kPartReducedFeed),      r.Single(kPartChamfer),
                         r.Single(kPartClearance),        r.SurfaceSpeed(kPartCss, kPartMaxRpm),
                         r.Chosen(kPartCompensation, kCompensationModes)};
  return r.Generate(PartOffOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kPartOffOperation{
    .name = "part_off", .caption = "Part-off", .group = OperationGroup::Turning, .fields = kFields,
    .spindle = SpindleRule::Turning, .ok = kPartOk, .generate = Generate};

}  // namespace tbx
