#include "ops/tap.h"

#include "ops/drilling.h"
#include "ops/spindle.h"

namespace tbx {

Operation TapOperation(const TapInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  // Not Z Start + Tap Depth: the move ends at Tap Depth - Z Start (Z Start .5, Tap Depth -1
  // taps to Z-1.5), and the clearance plane stands Clearance above Z Start.
  const float zDepth = in.depth - in.zStart;
  const float zClear = in.clearance + in.zStart;
  op.Comment(key::kTapComment, in.comment);
  SpindleBlock(ctx, op, key::kTapMajorDia, in.majorDia, true, in.leftHand ? " M4" : " M3");
  BlockWriter path(op);
  StartDrilling(path, zClear);
  if (in.code == TapCode::G84) {
    path.Cycle(" G84" + op.Axis('Z', zDepth) + op.Feed(in.pitch));
    path.CancelCycle({.z = zClear});
  } else {
    const std::string_view g = in.code == TapCode::G32 ? " G32" : " G33";
    path.Thread({.z = zDepth}, in.pitch, WordClass::Feed, g);
    // The spindle reverses to back the tap out along the same lead, stated again.
    path.Rapid({}, in.leftHand ? " M3" : " M4");
    path.StateFeed();
    path.Thread({.z = zClear}, in.pitch, WordClass::Feed, g);
  }
  // The return states its G0 after a tap, whichever way it came out.
  path.StateCode();
  path.Finish();
  RequireSafeDrilling(op, {{key::kTapClearance, in.clearance}}, {key::kTapPitch, in.pitch});
  return op;
}

}  // namespace tbx
