#include "ops/groove.h"

#include <cmath>
#include <string>
#include <vector>

#include "app/app.h"
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

}  // namespace

void GrooveOutsideClicked(App& app) {
  app.Disable(id::kZAbsClr);
  app.Disable(id::kZAbsClrLabel);
}

void GrooveInsideClicked(App& app) {
  app.Enable(id::kZAbsClr);
  app.Enable(id::kZAbsClrLabel);
}

// The button has already changed between pressed and released; the caption follows it.
void RightToggleClicked(App& app) {
  app.SetText(id::kRightToggle, app.Checked(id::kRightToggle) ? "Radius" : "Chamfer");
}

void LeftToggleClicked(App& app) {
  app.SetText(id::kLeftToggle, app.Checked(id::kLeftToggle) ? "Radius" : "Chamfer");
}

void GrooveGenerator(App& app) {
  Operation op(app.program.rapidMode);

  float majorDia = app.Single(id::kGrooveMajorDia);
  float minorDia = app.Single(id::kGrooveMinorDia);
  float zStart = app.Single(id::kGrooveZStart);
  float zAbsClr = app.Single(id::kZAbsClr);
  float xIncClr = app.Single(id::kXIncClr);
  float grooveWidth = app.Single(id::kGrooveWidth);
  float toolWidth = app.Single(id::kToolWidth);
  float percentStep = app.Single(id::kPercentStep);
  float feed = app.Single(id::kGrooveFeed);
  float bottomStock = app.Single(id::kXBottomStock);
  float wallStock = app.Single(id::kZWallStock);
  float right = app.Single(id::kRightSize);
  float left = app.Single(id::kLeftSize);
  bool rightRadius = app.Checked(id::kRightToggle);
  bool leftRadius = app.Checked(id::kLeftToggle);
  bool inside = app.Checked(id::kGrooveInside);

  Geometry g{};
  g.inside = inside;
  g.zR = zStart - toolWidth;
  g.zL = zStart - grooveWidth;
  g.z1 = g.zR - wallStock;
  g.zLast = g.zL + wallStock;
  g.step = percentStep / 100 * toolWidth;
  if (inside) {
    g.xRough = majorDia - 2 * bottomStock;
    g.xBottom = majorDia;
    g.xClear = minorDia - 2 * xIncClr;
    g.xTop = minorDia;
  } else {
    g.xRough = minorDia + 2 * bottomStock;
    g.xBottom = minorDia;
    g.xClear = majorDia + 2 * xIncClr;
    g.xTop = majorDia;
  }

  // The plunge row must be able to reach zLast before any block is built: a row that never
  // ends would otherwise hang, a huge one build millions of blocks only to be refused.
  std::string endZ = op.Word('Z', g.zLast, 4);
  std::string startZ = op.Word('Z', g.z1, 4);
  if (g.z1 > g.zLast && !(percentStep > 0 && toolWidth > 0)) {
    op.Refuse("% Step and Tool Width must be greater than 0");
  }
  std::vector<float> plunges;
  if (op.Refusal().empty()) {
    plunges = PlungePositions(g.z1, g.zLast, g.step);
    if (plunges.empty()) {
      // Same words as the exact count that WriteOperation makes for rows that nearly fit.
      op.Refuse(g.step > 0 ? kTooManyBlocks
                           : "% Step and Tool Width must be greater than 0");
    }
  }
  if (!op.Refusal().empty()) {
    WriteOperation(app, op);
    return;
  }

  op.Comment(app.Text(id::kGrooveComment));
  SpindleBlock(app, op, "Major Dia", majorDia, true);
  if (inside) {
    op.Block(" G0" + op.Word('Z', zAbsClr, 4));
    op.Block(op.Word('X', g.xClear, 4));
    op.Block(startZ);
  } else {
    op.Block(" G0" + startZ);
    op.Block(op.Word('X', g.xClear, 4));
  }

  // Only the first plunge carries the feed; it stays modal for the rest.
  for (std::size_t i = 0; i < plunges.size(); ++i) {
    if (i > 0) op.Block(op.Word('Z', plunges[i], 4));
    std::string feedWord = i == 0 && feed != 0 ? op.Word('F', feed, 4) : "";
    op.Block(" G1" + op.Word('X', g.xRough, 4) + feedWord);
    op.Block(" G0" + op.Word('X', g.xClear, 4));
  }

  if (app.Checked(id::kFinishPass)) {
    op.Block(" ( FINISH PASS )");
    // Right wall. Outside the arc turns counter-clockwise (G3) into the wall, inside
    // clockwise; the left wall mirrors both.
    if (right == 0) {
      op.Block(op.Word('Z', g.zR, 4));
    } else if (!rightRadius) {
      op.Block(op.Word('Z', g.zR + xIncClr + right, 4));
      op.Block(" G1" + op.Word('X', g.XBreak(right), 4) + op.Word('Z', g.zR, 4));
    } else {
      op.Block(" G0" + op.Word('Z', g.zR + right, 4));
      op.Block(" G1" + op.Word('X', g.xTop, 4));
      op.Block((inside ? " G2" : " G3") + op.Word('X', g.XBreak(right), 4) +
               op.Word('Z', g.zR, 4) + op.Word('I', inside ? right : -right, 4));
    }
    op.Block(" G1" + op.Word('X', g.xBottom, 4));
    op.Block(endZ);
    op.Block(" G0" + op.Word('X', g.xClear, 4));

    if (left == 0) {
      op.Block(op.Word('Z', g.zL, 4));
    } else if (!leftRadius) {
      op.Block(op.Word('Z', g.zL - (xIncClr + left), 4));
      op.Block(" G1" + op.Word('X', g.XBreak(left), 4) + op.Word('Z', g.zL, 4));
    } else {
      op.Block(" G0" + op.Word('Z', g.zL - left, 4));
      op.Block(" G1" + op.Word('X', g.xTop, 4));
      op.Block((inside ? " G3" : " G2") + op.Word('X', g.XBreak(left), 4) +
               op.Word('Z', g.zL, 4) + op.Word('I', inside ? left : -left, 4));
    }
    op.Block(" G1" + op.Word('X', g.xBottom, 4));
    op.Block(endZ);
    op.Block(" G0" + op.Word('X', g.xClear, 4));
    op.RapidMode() = 1;
  }

  if (inside) op.Block(op.Word('Z', zAbsClr, 4));
  WriteOperation(app, op);
}

}  // namespace tbx
