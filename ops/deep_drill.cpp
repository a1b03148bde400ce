#include "ops/deep_drill.h"

#include <string>

#include "ops/spindle.h"
#include "program/block_writer.h"
#include "program/numbers.h"

namespace tbx {

namespace {

// Blocks of a manual operation besides its pecks and frame: G97, G0 Z, X0, approach, last G1,
// retract; comment and dwell when written.
constexpr int kFixedManualBlocks = kFrameBlocks + 6;

// What both kinds of cycle need, in single precision as read and derived.
struct Hole {
  float start, retract, finalZ, maxPeck, feed;
  double dwellMs;
};

// Equal Peck: every peck is the first one. % Peck: each a share of the one before, down to
// the minimum.
void ManualPeckBlocks(const DeepDrillInputs& in, Operation& op, BlockWriter& path,
                      const Hole& hole, int fixedBlocks) {
  float factor = 1;
  float minPeck = hole.maxPeck;
  if (in.mode == PeckMode::Percent) {
    const std::optional<int> percent = WholeNumber16(in.percentPeck, Rounding::HalfEven);
    if (!percent) op.Refuse(key::kPercentPeck, "{} must be between -32768 and 32767");
    factor = static_cast<float>(percent.value_or(100)) / 100.0f;
    minPeck = in.peckMin;
  }
  if (!(hole.maxPeck > 0)) op.Refuse(key::kPeckMax, "{} must be greater than 0");
  if (factor < 1 && !(minPeck > 0))
    op.Refuse(key::kPeckMin,
              "{} must be greater than 0 when {deep_drill.percent_peck} is below 100");
  if (!op.Refusal().empty()) return;
  const auto pecks = PeckDepths(hole.start, hole.finalZ, hole.maxPeck, minPeck, factor,
                                static_cast<std::size_t>((kMaxOperationBlocks - fixedBlocks) / 3));
  if (!pecks) {
    op.Refuse(factor < 1 ? key::kPeckMin : key::kPeckMax,
              "{} is too small: the operation would write more than 9,999 blocks");
    return;
  }

  path.Rapid({.z = hole.start + in.rapidClearance});
  for (float z : *pecks) {
    path.Feed({.z = z}, hole.feed);
    path.Rapid({.z = hole.retract});
    path.Rapid({.z = z + in.rapidClearance});
  }
  path.Feed({.z = hole.finalZ}, hole.feed);
  path.Dwell(hole.dwellMs);
  path.Rapid({.z = hole.retract});
}

}  // namespace

std::optional<std::vector<float>> PeckDepths(float start, float finalZ, float maxPeck,
                                             float minPeck, float factor, std::size_t limit) {
  std::vector<float> depths;
  float z = start - maxPeck;
  float peck = maxPeck;
  if (!(z >= finalZ)) return depths;
  do {
    if (depths.size() == limit) return std::nullopt;
    depths.push_back(z);
    peck = factor * peck;
    if (!(peck > minPeck)) peck = minPeck;
    z = z - peck;
  } while (z > finalZ);
  return depths;
}

Operation DeepDrillOperation(const DeepDrillInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Hole hole;
  hole.start = in.zStart;
  hole.retract = hole.start + in.zClearance;
  hole.finalZ = ToSingle(hole.start + in.depth - PointDepth(in.point, in.drillDia, ctx.pi));
  hole.maxPeck = in.peckMax;
  hole.feed = in.feed;
  hole.dwellMs = CheckedDwell(in.dwellSeconds, key::kDeepDwell, op);

  op.Comment(key::kDeepComment, in.comment);
  SpindleBlock(ctx, op, key::kDeepDrillDia, in.drillDia, true);
  BlockWriter path(op);
  StartDrilling(path, hole.retract);
  if (in.mode == PeckMode::G83) {
    path.Cycle(" G83" + op.Axis('Z', hole.finalZ) + op.Axis('Q', hole.maxPeck) +
               (hole.dwellMs != 0 ? op.WholeWord('P', hole.dwellMs) : "") + op.Feed(hole.feed));
    path.CancelCycle({.z = hole.retract});
    // A peck of 0 never reaches the bottom (the manual modes refuse it as they count pecks).
    Require(op, hole.maxPeck > 0, key::kPeckMax, "{} must be greater than 0");
  } else {
    const int fixedBlocks =
        kFixedManualBlocks + (in.comment.empty() ? 0 : 1) + (hole.dwellMs != 0 ? 1 : 0);
    ManualPeckBlocks(in, op, path, hole, fixedBlocks);
  }
  path.Finish();
  Require(op, in.depth < 0, key::kDeepDepth,
          "{} must be below 0: the hole goes down from {deep_drill.start}");
  RequireSafeDrilling(op,
                      {{key::kDeepZClearance, in.zClearance},
                       {key::kRapidClearance, in.rapidClearance}},
                      {key::kDeepFeed, in.feed});
  return op;
}

}  // namespace tbx
