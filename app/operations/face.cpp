#include <array>

#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/tab_reader.h"
#include "ops/nose_compensation.h"
#include "ops/face.h"

namespace tbx {

namespace {
using namespace id;

constexpr Choice kCompensations[] = {
    {kFaceCompNone, "None"}, {kFaceCompComputed, "Computed"}, {kFaceCompG41G42, "G41/G42"}};
constexpr std::array kCompensationModes = {NoseCompensation::None, NoseCompensation::Computed,
                                           NoseCompensation::ControlG41G42};

constexpr Field kFields[] = {
    {.id = kFaceComment, .kind = FieldKind::Text, .caption = "Comment", .label = 1201,
     .inch = "FACE", .metric = "FACE", .help = "text of the comment block written before the facing"},
    {.id = kFaceStockDia, .kind = FieldKind::Number, .caption = "Stock Dia", .label = 1206,
     .unit = Unit::Length, .inch = "2.", .metric = "50.",
     .help = "outside diameter of the stock being faced", .reformat = true},
    {.id = kFaceEndDia, .kind = FieldKind::Number, .caption = "End Dia", .label = 1211,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "diameter the facing passes stop at: 0 for a solid face, or a bore", .reformat = true},
    {.id = kFaceZStart, .kind = FieldKind::Number, .caption = "Z Start", .label = 1216,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "Z of the stock's face before facing, from the part zero", .reformat = true},
    {.id = kFaceZFinal, .kind = FieldKind::Number, .caption = "Z Final", .label = 1221,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "Z of the finished face, from the part zero", .reformat = true},
    {.id = kFaceDepthOfCut, .kind = FieldKind::Number, .caption = "Depth of Cut", .label = 1226,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "most material one rough pass takes along Z", .reformat = true},
    {.id = kFaceFinishAllowance, .kind = FieldKind::Number, .caption = "Finish Allowance",
     .label = 1231, .unit = Unit::Length, .inch = ".005", .metric = ".2",
     .help = "material the rough passes leave for the finish pass, along Z", .reformat = true},
    {.id = kFaceRoughFeed, .kind = FieldKind::Number, .caption = "Rough Feed", .label = 1236,
     .unit = Unit::Feed, .inch = ".01", .metric = ".25",
     .help = "feed per spindle revolution of the rough passes", .reformat = true},
    {.id = kFaceFinishFeed, .kind = FieldKind::Number, .caption = "Finish Feed", .label = 1241,
     .unit = Unit::Feed, .inch = ".005", .metric = ".1",
     .help = "feed per spindle revolution of the finish pass", .reformat = true},
    {.id = kFaceXClearance, .kind = FieldKind::Number, .caption = "X Clearance", .label = 1246,
     .unit = Unit::Length, .inch = ".1", .metric = "2.",
     .help = "distance outside Stock Dia where each pass starts, on the radius", .reformat = true},
    {.id = kFaceZClearance, .kind = FieldKind::Number, .caption = "Z Clearance", .label = 1251,
     .unit = Unit::Length, .inch = ".05", .metric = "1.",
     .help = "distance the tool backs off the face before rapiding out", .reformat = true},
    {.id = kFaceCss, .kind = FieldKind::Check, .caption = "Constant Surface Speed"},
    {.id = kFaceMaxRpm, .kind = FieldKind::Number, .caption = "Max RPM", .label = 1258,
     .inch = "3000", .metric = "3000",
     .help = "spindle speed limit under constant surface speed (G50), rev/min", .reformat = true},
    {.id = kFaceCompensation, .kind = FieldKind::Options, .caption = "Nose Radius Compensation",
     .help = "None: the programmed point follows the drawing. Computed: the path is offset so that "
             "the tool's nose radius cuts the drawing (chamfers at size). G41/G42: the control "
             "offsets the finish pass; the tool library gives radius and orientation",
     .choices = kCompensations},
    {.id = kFaceOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  const FaceInputs in{r.Text(kFaceComment),           r.Single(kFaceStockDia),
                      r.Single(kFaceEndDia),           r.Single(kFaceZStart),
                      r.Single(kFaceZFinal),           r.Single(kFaceDepthOfCut),
                      r.Single(kFaceFinishAllowance),  r.Single(kFaceRoughFeed),
                      r.Single(kFaceFinishFeed),       r.Single(kFaceXClearance),
                      r.Single(kFaceZClearance),       r.SurfaceSpeed(kFaceCss, kFaceMaxRpm),
                      r.Chosen(kFaceCompensation, kCompensationModes)};
  return r.Generate(FaceOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kFaceOperation{
    .name = "face", .caption = "Face", .group = OperationGroup::Turning, .fields = kFields,
    .spindle = SpindleRule::Turning, .ok = kFaceOk, .generate = Generate};

}  // namespace tbx
