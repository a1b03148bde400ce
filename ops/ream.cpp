#include "ops/ream.h"

#include "ops/spindle.h"

namespace tbx {

Operation ReamOperation(const ReamInputs& in, const OpContext& ctx) {
  const float approach = in.zStart + in.rapidClearance;
  // The reamer goes Rapid Clearance past the hole depth, which does not move with Z Start.
  const float bottom = in.depth - in.rapidClearance;
  Operation op(ctx.rapidMode);

  op.Comment(in.comment);
  SpindleBlock(ctx, op, "Reamer Diameter", in.reamerDia, true);
  op.Block(" G0" + op.Word('Z', approach, 4));
  op.Block(" X0");
  op.Block(" G1" + op.Word('Z', bottom, 4) + op.Word('F', in.feed, 4));
  if (in.feedOut) {
    op.Block(op.Word('Z', approach, 4));  // still G1: withdrawn at feed
    op.RapidMode() = 0;
  } else {
    op.Block(" G0" + op.Word('Z', approach, 4));
    op.RapidMode() = 1;
  }
  return op;
}

}  // namespace tbx
