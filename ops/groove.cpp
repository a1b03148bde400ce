#include "ops/groove.h"

#include <string>
#include <vector>

#include "ops/spindle.h"

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
// mirrors both.
void FinishWall(Operation& op, const Geometry& g, float xIncClr, bool right, float size,
                bool radius, const std::string& endZ) {
  const float zWall = right ? g.zR : g.zL;
  if (size == 0) {
    op.Block(op.Axis('Z', zWall));
  } else if (!radius) {
    op.Block(op.Axis('Z', right ? g.zR + xIncClr + size : g.zL - (xIncClr + size)));
    op.Block(" G1" + op.Axis('X', g.XBreak(size)) + op.Axis('Z', zWall));
  } else {
    op.Block(" G0" + op.Axis('Z', right ? zWall + size : zWall - size));
    op.Block(" G1" + op.Axis('X', g.xTop));
    op.Block((right == g.inside ? " G2" : " G3") + op.Axis('X', g.XBreak(size)) +
             op.Axis('Z', zWall) + op.Axis('I', g.inside ? size : -size));
  }
  op.Block(" G1" + op.Axis('X', g.xBottom));
  op.Block(endZ);
  op.Block(" G0" + op.Axis('X', g.xClear));
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
  const std::string endZ = op.Axis('Z', g.zLast);
  const std::string startZ = op.Axis('Z', g.z1);
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

  op.Comment(in.comment);
  SpindleBlock(ctx, op, key::kGrooveMajorDia, in.majorDia, true);
  if (in.inside) {
    op.Block(" G0" + op.Axis('Z', in.zAbsClr));
    op.Block(op.Axis('X', g.xClear));
    op.Block(startZ);
  } else {
    op.Block(" G0" + startZ);
    op.Block(op.Axis('X', g.xClear));
  }

  // Only the first plunge carries the feed; it stays modal for the rest.
  for (std::size_t i = 0; i < plunges.size(); ++i) {
    if (i > 0) op.Block(op.Axis('Z', plunges[i]));
    std::string feedWord = i == 0 && in.feed != 0 ? op.Feed(in.feed) : "";
    op.Block(" G1" + op.Axis('X', g.xRough) + feedWord);
    op.Block(" G0" + op.Axis('X', g.xClear));
  }

  if (in.finishPass) {
    op.Block(" ( FINISH PASS )");
    FinishWall(op, g, in.xIncClr, true, in.rightSize, in.rightRadius, endZ);
    FinishWall(op, g, in.xIncClr, false, in.leftSize, in.leftRadius, endZ);
    op.RapidMode() = 1;
  }

  if (in.inside) op.Block(op.Axis('Z', in.zAbsClr));
  return op;
}

}  // namespace tbx
