#pragma once
// Random Face, Turn and Part-off cases for nose-radius compensation, inch and metric,
// chamfers included, each with the drawn surfaces its finish pass cuts.
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "data/nose_path.h"
#include "ops/face.h"
#include "ops/part_off.h"
#include "ops/turn.h"

namespace tbx::test {

inline OpContext Context(bool metric, double radius, int orientation) {
  OpContext ctx;
  ctx.metric = metric;
  ctx.surfaceSpeed = 300;
  ctx.toolChange = {"T01", "01", false, metric ? "100." : "4.", metric ? "150." : "6."};
  ctx.tool = Tool{.number = 1, .offset = 1, .kind = ToolKind::OdTurning, .shape = InsertShape::C,
                  .radius = radius, .orientation = orientation};
  return ctx;
}

inline std::string ProgramText(const Operation& op, const OpContext& ctx) {
  std::string text;
  ProgramState state;
  AppendOperation(text, state, ctx.toolChange, op);
  return text;
}

// A segment of the drawn part: `touch` when the finish pass must cut it, else only never
// crossed.
struct Surface {
  NosePoint a, b;
  bool touch = true;
};

struct CompensationCase {
  int n = 0;
  bool metric = false;
  double radius = 0;
  int orientation = 0;
  OpContext ctx;
  std::vector<Surface> surfaces;
  std::function<Operation(NoseCompensation)> make;
};

inline std::vector<CompensationCase> RandomCompensationCases(int count, unsigned seed) {
  std::vector<CompensationCase> cases;
  std::mt19937 random(seed);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  auto single = [](double v) { return static_cast<float>(std::round(v * 1000) / 1000); };
  for (int n = 0; n < count; ++n) {
    const bool metric = n % 2 == 1;
    const double u = metric ? 25.4 : 1;
    // A tip toward the cut: OD turning 3 4 8, boring 1 2 6, facing 2 3 7, parting 4 1 5, and
    // 4 along a chamfer. (Any other starts the nose's centre short of its offset, and the
    // entry's straight run, on the control as here, touches the corner it ends at.)
    static constexpr int kTips[4][3] = {{3, 4, 8}, {1, 2, 6}, {2, 3, 7}, {4, 1, 5}};
    const bool chamfered = n % 8 >= 2;
    const int orientation = n % 4 == 3 && chamfered ? 4 : kTips[n % 4][(n / 4) % 3];
    const double radius = single(uniform(0.004, 0.047) * u);
    const OpContext ctx = Context(metric, radius, orientation);
    CompensationCase c{n, metric, radius, orientation, ctx, {}, {}};
    switch (n % 4) {
      case 0:
      case 1: {
        TurnInputs in;
        in.inside = n % 4 == 1;
        in.zStart = 0;
        in.zEnd = single(-uniform(0.3, 1.5) * u);
        in.depthOfCut = single(0.05 * u);
        in.roughFeed = in.finishFeed = single(0.005 * u);
        in.clearance = single(uniform(0.05, 0.1) * u);
        in.chamfer = chamfered ? single(uniform(0.01, 0.15) * u) : 0;
        const double small = uniform(0.4, 1.0) * u, big = small + uniform(0.1, 0.4) * u;
        in.startDia = single(in.inside ? small : big);
        in.finalDia = single(in.inside ? big : small);
        const double side = in.inside ? -1 : 1;
        const double rF = in.finalDia / 2.0, r0 = rF - side * in.chamfer, zc = double(in.zStart) - in.chamfer;
        c.surfaces = {{{0, r0}, {zc, rF}}, {{zc, rF}, {in.zEnd, rF}}, {{in.zEnd, rF}, {in.zEnd, in.startDia / 2.0}},
                    {{0, in.inside ? r0 + 1 * u : 0}, {0, r0}, false}};
        c.make = [in, ctx](NoseCompensation mode) { TurnInputs t = in; t.compensation = mode; return TurnOperation(t, ctx); };
        break;
      }
      case 2: {
        FaceInputs in;
        in.stockDia = single(uniform(0.5, 2) * u);
        in.endDia = n % 8 < 4 ? 0 : single(in.stockDia * uniform(0.2, 0.8));
        in.zStart = single(0.05 * u);
        in.zFinal = 0;
        in.depthOfCut = single(0.05 * u);
        in.finishAllowance = single(0.005 * u);
        in.roughFeed = in.finishFeed = single(0.005 * u);
        in.xClearance = single(uniform(0.05, 0.1) * u);
        in.zClearance = single(0.05 * u);
        c.surfaces = {{{0, in.endDia / 2.0}, {0, in.stockDia / 2.0}},
                    {{0, in.endDia / 2.0}, {-1 * u, in.endDia / 2.0}, false}};
        c.make = [in, ctx](NoseCompensation mode) { FaceInputs t = in; t.compensation = mode; return FaceOperation(t, ctx); };
        break;
      }
      case 3: {
        PartOffInputs in;
        in.stockDia = single(uniform(0.5, 2) * u);
        in.endDia = n % 8 < 4 ? 0 : single(in.stockDia * uniform(0.2, 0.6));
        in.zPosition = single(-uniform(0.2, 1) * u);
        in.toolWidth = single(0.125 * u);
        in.feed = single(0.003 * u);
        in.reducedFeedDia = single(0.25 * u);
        in.reducedFeed = single(0.0015 * u);
        in.chamfer = chamfered ? single(uniform(0.01, 0.1) * u) : 0;
        in.clearance = single(uniform(0.05, 0.1) * u);
        const double z = in.zPosition, rs = in.stockDia / 2.0 - in.chamfer;
        c.surfaces = {{{z, in.endDia / 2.0}, {z, rs}}, {{z, rs}, {z + in.chamfer, in.stockDia / 2.0}},
                    {{z + in.chamfer, in.stockDia / 2.0}, {z + 1 * u, in.stockDia / 2.0}, false}};
        c.make = [in, ctx](NoseCompensation mode) { PartOffInputs t = in; t.compensation = mode; return PartOffOperation(t, ctx); };
        break;
      }
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

}  // namespace tbx::test
