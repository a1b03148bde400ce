// Nose-radius compensation of Face, Turn and Part-off, the generators called on values.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "data/nose_path.h"
#include "ops/face.h"
#include "ops/part_off.h"
#include "ops/turn.h"
#include "compensation_cases.h"
#include "test_support.h"
#include "toolpath/expander.h"

namespace tbx {
namespace {

using toolpath::Move;
using toolpath::MoveKind;

std::string Text(const Operation& op, const OpContext& ctx) {
  EXPECT_EQ(op.Refusal().text, "");
  return test::ProgramText(op, ctx);
}

double ToSegment(NosePoint p, NosePoint a, NosePoint b) {
  const double dz = b.z - a.z, dr = b.r - a.r, l2 = dz * dz + dr * dr;
  const double t = l2 > 0 ? std::clamp(((p.z - a.z) * dz + (p.r - a.r) * dr) / l2, 0.0, 1.0) : 0;
  return std::hypot(p.z - a.z - t * dz, p.r - a.r - t * dr);
}

// The nose centre along one read-back move: the programmed point less the tip offset.
struct CentreMove {
  NosePoint a, b;
  bool arc = false, clockwise = false;
  NosePoint centre;
  NosePoint At(double t) const {
    if (!arc) return {a.z + t * (b.z - a.z), a.r + t * (b.r - a.r)};
    const double a0 = std::atan2(a.r - centre.r, a.z - centre.z);
    double a1 = std::atan2(b.r - centre.r, b.z - centre.z);
    const double pi2 = 2 * std::acos(-1.0);
    if (!clockwise && a1 < a0) a1 += pi2;
    if (clockwise && a1 > a0) a1 -= pi2;
    const double rho = std::hypot(a.r - centre.r, a.z - centre.z), angle = a0 + t * (a1 - a0);
    return {centre.z + rho * std::cos(angle), centre.r + rho * std::sin(angle)};
  }
};

// The feed moves of the finish pass: the last run of feeds of the program.
std::vector<CentreMove> FinishCentre(const std::string& program, bool metric, double radius, int orientation) {
  toolpath::ToolpathSettings settings;
  settings.metric = metric;
  const toolpath::Toolpath path = toolpath::ExpandProgram(program, settings);
  std::size_t end = path.moves.size();
  while (end > 0 && path.moves[end - 1].kind != MoveKind::Feed) --end;
  std::size_t begin = end;
  while (begin > 0 && path.moves[begin - 1].kind == MoveKind::Feed) --begin;
  const NosePoint tip = TipDirection(orientation);
  auto centre = [&](toolpath::Point p) { return NosePoint{p.z - radius * tip.z, p.x / 2 - radius * tip.r}; };
  std::vector<CentreMove> moves;
  for (std::size_t i = begin; i < end; ++i) {
    const Move& m = path.moves[i];
    moves.push_back({centre(m.start), centre(m.end), m.arc != toolpath::ArcDirection::None,
                     m.arc == toolpath::ArcDirection::Clockwise, centre(m.centre)});
  }
  return moves;
}

double ToChain(NosePoint p, const std::vector<CentreMove>& chain) {
  double best = 1e300;
  for (const CentreMove& m : chain) {
    if (!m.arc) {
      best = std::min(best, ToSegment(p, m.a, m.b));
      continue;
    }
    for (int k = 0; k <= 400; ++k) {
      const NosePoint q = m.At(k / 400.0);
      best = std::min(best, std::hypot(p.z - q.z, p.r - q.r));
    }
  }
  return best;
}

// Over random Face, Turn and Part-off cases, inch and metric, chamfers included: the nose
// circle along the Computed finish pass cuts every drawn surface and never crosses one.
TEST(NoseCompensation, ComputedNoseCircleTouchesTheProfileAndNeverCrossesIt) {
  int checked = 0;
  for (const test::CompensationCase& c : test::RandomCompensationCases(240, 7)) {
    const int n = c.n;
    const bool metric = c.metric;
    const double radius = c.radius, tol = metric ? 0.002 : 0.0001;
    const int orientation = c.orientation;
    const std::vector<test::Surface>& surfaces = c.surfaces;
    const std::string program = Text(c.make(NoseCompensation::Computed), c.ctx);
    const std::vector<CentreMove> chain = FinishCentre(program, metric, radius, orientation);
    ASSERT_FALSE(chain.empty()) << program;
    // Never crossed: no point of the centre's path comes nearer a surface than the radius.
    for (const CentreMove& m : chain)
      for (int k = 0; k <= 50; ++k)
        for (const test::Surface& s : surfaces) {
          const NosePoint p = m.At(k / 50.0);
          ASSERT_GE(ToSegment(p, s.a, s.b), radius - tol)
              << "case " << n << ": the nose crosses the drawing at Z" << p.z << " R" << p.r << "\n" << program;
        }
    // Touched: every point of a surface away from its inside corners is the radius from the path.
    for (const test::Surface& s : surfaces) {
      if (!s.touch) continue;
      const double length = std::hypot(s.b.z - s.a.z, s.b.r - s.a.r), margin = 2.5 * radius;
      if (length <= 2 * margin) continue;
      for (int k = 0; k <= 20; ++k) {
        const double t = (margin + (length - 2 * margin) * k / 20) / length;
        const NosePoint p{s.a.z + t * (s.b.z - s.a.z), s.a.r + t * (s.b.r - s.a.r)};
        ASSERT_LE(ToChain(p, chain), radius + tol)
            << "case " << n << ": the nose misses the drawing at Z" << p.z << " R" << p.r << "\n" << program;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 2000);
}

// Whole programs against golden text: Turn's 45 degree chamfer computed for a .031 nose (tip
// 3) and left to the control under G42, the same roughing before both.
TEST(NoseCompensation, TurnedChamferAgainstGoldenText) {
  const OpContext ctx = test::Context(false, 0.031, 3);
  TurnInputs turn;
  turn.comment = "TURN";
  turn.startDia = 1.6f, turn.finalDia = 1.5f, turn.zStart = 0, turn.zEnd = -1;
  turn.depthOfCut = .05f, turn.roughFeed = .01f, turn.finishFeed = .005f, turn.chamfer = .1f;
  turn.clearance = .05f;
  const std::string rough =
      "G0 X1.7\r\nZ.05\r\nX1.5\r\nG1 Z-1. F.01\r\nX1.6 Z-.95\r\nG0 Z.05\r\nX1.4\r\nG1 Z-.05\r\n"
      "X1.5 Z-.1\r\nX1.6 Z-.05\r\nG0 Z.05\r\nX1.3\r\nG1 Z0.\r\nX1.4 Z-.05\r\nX1.5 Z0.\r\nG0 Z.05\r\n"
      "X1.3\r\n";
  const std::string back = "G0 Z.05\r\nX4.\r\nZ6. M9\r\nM1\r\n";
  // Numbered as the program numbers them, from N10 by 10.
  auto numbered = [](const std::string& lines) {
    std::string text;
    int n = 10;
    for (std::size_t at = 0; at < lines.size();) {
      const std::size_t end = lines.find("\r\n", at) + 2;
      text += "N" + std::to_string(n) + " " + lines.substr(at, end - at);
      n += 10, at = end;
    }
    return text;
  };
  turn.compensation = NoseCompensation::Computed;
  EXPECT_TRUE(test::SameProgram(
      Text(TurnOperation(turn, ctx), ctx),
      numbered("T0101\r\n( TURN ) \r\nG97 S716 M3\r\n" + rough +
               "G1 Z-.0182 F.005\r\nX1.4818 Z-.1091\r\nG3 X1.5 Z-.131 I-.0219 K-.0219\r\nG1 Z-1.\r\n"
               "X1.638\r\nG0 X1.7 Z.05\r\n" + back.substr(back.find("X4.")))));
  turn.compensation = NoseCompensation::ControlG41G42;
  EXPECT_TRUE(test::SameProgram(
      Text(TurnOperation(turn, ctx), ctx),
      numbered("T0101\r\n( TURN ) \r\n( T0101 NOSE RADIUS .031 ORIENTATION 3 ) \r\nG97 S716 M3\r\n" + rough +
               "G42 G1 Z0. F.005\r\nX1.5 Z-.1\r\nZ-1.\r\nX1.7\r\nG40 " + back)));
}

TEST(NoseCompensation, RefusedWithoutAToolThatHasANose) {
  struct Case {
    const char* why;
    std::optional<Tool> tool;
    float clearance;
    std::string refusal;
  };
  const Case cases[] = {
      {"no library tool", std::nullopt, .05f, "{} needs the tool T0101 in the tool library"},
      {"a drill", Tool{.number = 1, .offset = 1, .kind = ToolKind::Drill, .diameter = .25, .pointAngle = 118}, .05f,
       "{} needs a tool with a nose: T0101 is a drill"},
      {"entry too short", Tool{.number = 1, .offset = 1, .kind = ToolKind::OdTurning, .shape = InsertShape::C,
                               .radius = .05, .orientation = 3}, .04f,
       "{} must be more than the nose radius for the compensation's entry move"},
  };
  for (const Case& c : cases) {
    OpContext ctx = test::Context(false, 0, 3);
    ctx.tool = c.tool;
    TurnInputs in;
    in.startDia = 2, in.finalDia = 1.5f, in.zEnd = -1, in.depthOfCut = .05f, in.roughFeed = in.finishFeed = .005f;
    in.clearance = c.clearance;
    in.compensation = NoseCompensation::ControlG41G42;
    EXPECT_EQ(TurnOperation(in, ctx).Refusal().text, c.refusal) << c.why;
    in.compensation = NoseCompensation::None;
    EXPECT_EQ(TurnOperation(in, ctx).Refusal().text, "") << c.why;
  }
}

}  // namespace
}  // namespace tbx
