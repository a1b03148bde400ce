#include "ops/ream.h"

#include "ops/drilling.h"
#include "ops/spindle.h"

namespace tbx {

Operation ReamOperation(const ReamInputs& in, const OpContext& ctx) {
  const float approach = in.zStart + in.rapidClearance;
  // The reamer goes Rapid Clearance past the hole depth, which does not move with Z Start.
  const float bottom = in.depth - in.rapidClearance;
  Operation op(ctx.rapidMode);

  op.Comment(key::kReamComment, in.comment);
  SpindleBlock(ctx, op, key::kReamerDia, in.reamerDia, true);
  BlockWriter path(op);
  StartDrilling(path, approach);
  path.Feed({.z = bottom}, in.feed);
  if (in.feedOut) {
    path.Feed({.z = approach}, in.feed);
  } else {
    path.Rapid({.z = approach});
  }
  path.Finish();
  RequireSafeDrilling(op, {{key::kReamRapidClearance, in.rapidClearance}},
                      {key::kReamFeed, in.feed});
  return op;
}

}  // namespace tbx
