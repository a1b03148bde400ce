#include "ops/groove.h"

#include <string>
#include <vector>

#include "ops/spindle.h"
#include "program/block_writer.h"

namespace tbx {

namespace {

// Each plunge writes three blocks, so more plunges than this can never fit one operation.
constexpr int kMaxPlunges = kMaxOperationBlocks / 3 + 1;

// Z of every roughing plunge: z1, z1 - step, z1 - 2 x step, ..., the last exactly at zLast.
// Empty when the row would not reach zLast within kMaxPlunges.
std::vector<float> PlungePositions(float z1, float zLast, float step) {
  std::vector<float> positions;
  float z = z1;
  for (int k = 1; k <= kMaxPlunges; ++k) {
    positions.push_back(z);
    // Exact equality on purpose: the row ends only where it lands on zLast bit for bit.
    if (z == zLast) return positions;
    z = z1 - static_cast<float>(k) * step;
    if (!(z > zLast)) z = zLast;
  }
  return {};
}

// The groove's shape in program coordinates: X words are diameters, Z is the tool's left
// corner.
struct Geometry {
  bool inside;
  float zR, zL, z1, zLast, step;
  float xRough, xBottom, xClear, xTop;
  float XBreak(float size) const { return inside ? xTop + 2 * size : xTop - 2 * size; }
};

// One wall of the finish pass, from above the corner down to the bottom and along it to the
// last plunge. The corner is broken by a chamfer or a radius of `size`; outside, the right
// wall's arc turns counter-clockwise (G3) into the wall and inside clockwise; the left wall
// mirrors both. The breaks state the codes their moves have always carried.
void FinishWall(BlockWriter& path, const Geometry& g, const GrooveInputs& in, bool right,
                float size, bool radius) {
  const float zWall = right ? g.zR : g.zL;
  if (size == 0) {
    path.Rapid({.z = zWall});
  } else if (!radius) {
    path.Rapid({.z = right ? g.zR + in.xIncClr + size : g.zL - (in.xIncClr + size)});
    path.Feed({g.XBreak(size), zWall}, in.feed);
    path.StateCode();
  } else {
    path.StateCode();
    path.Rapid({.z = right ? zWall + size : zWall - size});
    path.Feed({.x = g.xTop}, in.feed);
    path.Arc(right == g.inside, {g.XBreak(size), zWall}, g.inside ? size : -size, in.feed);
  }
  path.Feed({.x = g.xBottom}, in.feed);
  // A groove of the blade's own width has no bottom to run along.
  if (g.zR != g.zL) path.Feed({.z = g.zLast}, in.feed);
  path.Rapid({.x = g.xClear});
}

// Refusals of what the groove would run into, checked once its blocks are built so that the
// refusals before keep their words.
void RequireSafeGroove(Operation& op, const GrooveInputs& in) {
  Require(op, in.xIncClr >= 0, key::kXIncClr, "{} must be 0 or more");
  Require(op, !in.inside || in.zAbsClr >= 0, key::kZAbsClr, "{} must be 0 or more");
  Require(op, in.feed > 0, key::kGrooveFeed, "{} must be greater than 0");
  Require(op, in.toolWidth <= in.grooveWidth, key::kToolWidth,
          "{} must not be more than {groove.groove_width}");
}

}  // namespace

Operation GrooveOperation(const GrooveInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);

  Geometry g{};
  g.inside = in.inside;
  g.zR = in.zStart - in.toolWidth;
  g.zL = in.zStart - in.grooveWidth;
  g.z1 = g.zR - in.wallStock;
  g.zLast = g.zL + in.wallStock;
  // A groove the blade fits but not with both walls' stock has no room to leave it: the rough
  // plunge goes between the walls instead of the stock's width past each of them. (Ends that
  // differ only by rounding keep their two plunges.)
  if (g.zR >= g.zL && g.zLast - g.z1 > 5e-5f) g.z1 = g.zLast = (g.zR + g.zL) / 2;
  g.step = in.percentStep / 100 * in.toolWidth;
  if (in.inside) {
    g.xRough = in.majorDia - 2 * in.bottomStock;
    g.xBottom = in.majorDia;
    g.xClear = in.minorDia - 2 * in.xIncClr;
    g.xTop = in.minorDia;
  } else {
    g.xRough = in.minorDia + 2 * in.bottomStock;
    g.xBottom = in.minorDia;
    g.xClear = in.majorDia + 2 * in.xIncClr;
    g.xTop = in.majorDia;
  }

  // The plunge row must be able to reach zLast before any block is built: a row that never
  // ends would otherwise hang, a huge one build millions of blocks only to be refused.
  // (The words of its ends are formed first, so that one out of range is named first.)
  op.Axis('Z', g.zLast);
  op.Axis('Z', g.z1);
  if (g.z1 > g.zLast && !(in.percentStep > 0 && in.toolWidth > 0)) {
    op.Refuse(key::kPercentStep, "{} and {groove.tool_width} must be greater than 0");
  }
  std::vector<float> plunges;
  if (op.Refusal().empty()) {
    plunges = PlungePositions(g.z1, g.zLast, g.step);
    if (plunges.empty()) {
      // Same words as the exact count that WriteOperation makes for rows that nearly fit.
      if (g.step > 0) {
        op.Refuse({}, kTooManyBlocks);
      } else {
        op.Refuse(key::kPercentStep, "{} and {groove.tool_width} must be greater than 0");
      }
    }
  }
  if (!op.Refusal().empty()) return op;

  op.Comment(key::kGrooveComment, in.comment);
  SpindleBlock(ctx, op, key::kGrooveMajorDia, in.majorDia, true);
  BlockWriter path(op);
  path.StateCode();
  if (in.inside) {
    path.Rapid({.z = in.zAbsClr});
    path.Rapid({.x = g.xClear});
    path.Rapid({.z = g.z1});
  } else {
    path.Rapid({.z = g.z1});
    path.Rapid({.x = g.xClear});
  }

  for (std::size_t i = 0; i < plunges.size(); ++i) {
    if (i > 0) path.Rapid({.z = plunges[i]});
    path.Feed({.x = g.xRough}, in.feed);
    path.Rapid({.x = g.xClear});
  }

  if (in.finishPass) {
    op.Block(" ( FINISH PASS )");
    FinishWall(path, g, in, true, in.rightSize, in.rightRadius);
    FinishWall(path, g, in, false, in.leftSize, in.leftRadius);
  }

  if (in.inside) path.Rapid({.z = in.zAbsClr});
  // Without a finish pass the return keeps the rapid rule as the operation found it.
  if (in.finishPass) path.Finish();
  RequireSafeGroove(op, in);
  return op;
}

}  // namespace tbx
