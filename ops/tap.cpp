#include "ops/tap.h"

#include "ops/spindle.h"

namespace tbx {

Operation TapOperation(const TapInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  // Not Z Start + Tap Depth: the move ends at Tap Depth - Z Start (Z Start .5, Tap Depth -1
  // taps to Z-1.5), and the clearance plane stands Clearance above Z Start.
  const float zDepth = in.depth - in.zStart;
  const float zClear = in.clearance + in.zStart;
  op.Comment(in.comment);
  SpindleBlock(ctx, op, key::kTapMajorDia, in.majorDia, true, in.leftHand ? " M4" : " M3");
  op.Block(" G0" + op.Axis('Z', zClear));
  op.Block(" X0");
  if (in.code == TapCode::G84) {
    op.Block(" G84" + op.Axis('Z', zDepth) + op.Feed(in.pitch));
    op.Block(" G80" + op.Axis('Z', zClear));
  } else {
    const std::string g = in.code == TapCode::G32 ? " G32" : " G33";
    op.Block(g + op.Axis('Z', zDepth) + op.Feed(in.pitch));
    // The spindle reverses to back the tap out along the same lead.
    op.Block(std::string(" G0") + (in.leftHand ? " M3" : " M4"));
    op.Block(g + op.Axis('Z', zClear) + op.Feed(in.pitch));
  }
  op.RapidMode() = 0;
  return op;
}

}  // namespace tbx
