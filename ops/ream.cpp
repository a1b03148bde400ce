#include "ops/ream.h"

#include "ops/spindle.h"

namespace tbx {

Operation ReamOperation(const ReamInputs& in, const OpContext& ctx) {
  const float approach = in.zStart + in.rapidClearance;
  // The reamer goes Rapid Clearance past the hole depth, which does not move with Z Start.
  const float bottom = in.depth - in.rapidClearance;
  Operation op(ctx.rapidMode);

  op.Comment(in.comment);
  SpindleBlock(ctx, op, key::kReamerDia, in.reamerDia, true);
  op.Block(" G0" + op.Axis('Z', approach));
  op.Block(" X0");
  op.Block(" G1" + op.Axis('Z', bottom) + op.Feed(in.feed));
  if (in.feedOut) {
    op.Block(op.Axis('Z', approach));  // still G1: withdrawn at feed
    op.RapidMode() = 0;
  } else {
    op.Block(" G0" + op.Axis('Z', approach));
    op.RapidMode() = 1;
  }
  return op;
}

}  // namespace tbx
