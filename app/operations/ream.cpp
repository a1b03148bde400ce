#include "app/controls.h"
#include "app/operations/operations.h"
#include "app/tab_reader.h"
#include "ops/ream.h"

namespace tbx {

namespace {
using namespace id;

constexpr Field kFields[] = {
    {.id = kReamComment, .kind = FieldKind::Text, .caption = "Comment", .label = 645,
     .inch = "REAM", .metric = "REAM", .help = "text of the comment block written before the reaming"},
    {.id = kReamerDia, .kind = FieldKind::Number, .caption = "Reamer Diameter", .label = 690,
     .unit = Unit::Length, .inch = ".500", .metric = "10.", .help = "diameter of the reamer",
     .reformat = true},
    {.id = kReamZStart, .kind = FieldKind::Number, .caption = "Z Start", .label = 675,
     .unit = Unit::Length, .inch = "0.", .metric = "0.",
     .help = "Z where feeding starts, from the part zero", .reformat = true},
    {.id = kReamDepth, .kind = FieldKind::Number, .caption = "Z Hole Depth", .label = 680,
     .unit = Unit::Length, .inch = "-1.", .metric = "-25.",
     .help = "Z of the bottom of the reamed hole, from the part zero", .reformat = true},
    {.id = kReamRapidClearance, .kind = FieldKind::Number, .caption = "Rapid Clearance", .label = 685,
     .unit = Unit::Length, .inch = ".1", .metric = "3.",
     .help = "distance in front of Z Start the reamer rapids to", .reformat = true},
    {.id = kReamFeed, .kind = FieldKind::Number, .caption = "Feedrate", .label = 695,
     .unit = Unit::Feed, .inch = ".005", .metric = ".2", .help = "feed per spindle revolution",
     .reformat = true},
    {.id = kFeedOut, .kind = FieldKind::Check, .caption = "Feed Out"},
    {.id = kReamOk, .kind = FieldKind::Button, .caption = "OK", .access = 'O'},
};

Operation Generate(TabReader& r, const OpContext& ctx) {
  const ReamInputs in{r.Text(kReamComment),      r.Single(kReamerDia),
                      r.Single(kReamZStart),     r.Single(kReamDepth),
                      r.Single(kReamRapidClearance), r.Single(kReamFeed),
                      r.Checked(kFeedOut)};
  return r.Generate(ReamOperation, in, ctx);
}
}  // namespace

const OperationDescriptor kReamOperation{
    .name = "ream", .caption = "Ream", .group = OperationGroup::HoleMaking, .fields = kFields,
    .spindle = SpindleRule::Turning, .ok = kReamOk, .generate = Generate};

}  // namespace tbx
