#include "data/roughing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace tbx {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();

// A contour drawn in the frame of the cut (s along the passes, h away from the part), and the
// lathe's four ways of standing to it, each a map to Z and the radius.
struct Way {
  RoughingAxis axis;
  bool inside;
};
constexpr Way kWays[] = {{RoughingAxis::Turn, false}, {RoughingAxis::Turn, true}, {RoughingAxis::Face, false},
                         {RoughingAxis::Face, true}};
constexpr double kFar = 20;  // keeps radii positive

NosePoint ToLathe(const Way& w, double s, double h) {
  if (w.axis == RoughingAxis::Turn) return {-s, w.inside ? kFar - h : h};
  return {h, w.inside ? s + 1 : kFar - s};
}
void FromLathe(const Way& w, NosePoint p, double& s, double& h) {
  if (w.axis == RoughingAxis::Turn) {
    s = -p.z;
    h = w.inside ? kFar - p.r : p.r;
  } else {
    s = w.inside ? p.r - 1 : kFar - p.r;
    h = p.z;
  }
}
bool Mirrors(const Way& w) { return (w.axis == RoughingAxis::Turn) != w.inside; }

// A point of a move or of the contour, sampled finely.
struct Sample {
  double s, h;
};

// Samples of a line or arc from `from` (frame of the cut) at most `step` apart.
void SampleSegment(const Way& way, Sample from, const NoseSegment& seg, double step, std::vector<Sample>& out) {
  double es, eh;
  FromLathe(way, seg.end, es, eh);
  if (!seg.arc) {
    const int n = 1 + static_cast<int>(std::hypot(es - from.s, eh - from.h) / step);
    for (int i = 0; i <= n; ++i) out.push_back({from.s + (es - from.s) * i / n, from.h + (eh - from.h) * i / n});
    return;
  }
  double cs, ch;
  FromLathe(way, seg.centre, cs, ch);
  const double rho = std::hypot(from.s - cs, from.h - ch);
  const double a0 = std::atan2(from.h - ch, from.s - cs);
  double a1 = std::atan2(eh - ch, es - cs);
  const bool ccw = seg.clockwise == Mirrors(way);
  while (ccw && a1 < a0) a1 += 2 * kPi;
  while (!ccw && a1 > a0) a1 -= 2 * kPi;
  const int n = 1 + static_cast<int>(rho * std::fabs(a1 - a0) / step);
  for (int i = 0; i <= n; ++i) {
    const double a = a0 + (a1 - a0) * i / n;
    out.push_back({cs + rho * std::cos(a), ch + rho * std::sin(a)});
  }
}

struct Drawn {
  RoughingCycle cycle;
  std::vector<Sample> moved;  // the contour moved by the allowance, sampled
  double startS = 0, startH = 0, endS = 0;
};

// A random contour that climbs out of the stock, with pockets when asked: flats, rises, walls,
// tapers and arcs, each arc within one quarter so that it stays monotonic.
Drawn RandomCycle(std::mt19937& rng, const Way& way, bool pockets, bool metric) {
  const double unit = metric ? 25.4 : 1;
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<NoseSegment> segs;
  double s = 0, h = 0.3 * unit;
  NosePoint first = ToLathe(way, s, h);
  const int n = 3 + static_cast<int>(u(rng) * 10);
  for (int i = 0; i < n; ++i) {
    NoseSegment seg;
    const double kind = u(rng);
    const bool down = pockets && u(rng) < 0.35 && h > 0.4 * unit;
    double ds = (0.05 + 0.3 * u(rng)) * unit, dh = (0.02 + 0.2 * u(rng)) * unit;
    if (kind < 0.3) {
      seg.end = ToLathe(way, s + ds, down ? h - std::min(dh, h - 0.1 * unit) : h + dh);  // taper
      double es, eh;
      FromLathe(way, seg.end, es, eh);
      s = es, h = eh;
    } else if (kind < 0.5) {
      s += ds;  // flat
      seg.end = ToLathe(way, s, h);
    } else if (kind < 0.65 && !down) {
      h += dh;  // wall
      seg.end = ToLathe(way, s, h);
    } else {
      // A part of a quarter circle: up (cw in the second quarter, ccw in the fourth) or down
      // (ccw in the third, cw in the first), never steeper than 78 degrees going down.
      const double rho = (0.05 + 0.2 * u(rng)) * unit;
      const bool ccw = u(rng) < 0.5;
      const double f = 0.3 + 0.7 * u(rng);
      double a0, a1;
      if (down) {
        a0 = ccw ? kPi + 0.2 + 0.3 * u(rng) : 0.5 * kPi - 0.3 * u(rng);
        a1 = ccw ? a0 + (1.5 * kPi - a0) * f : a0 - (a0 - 0.2) * f;
      } else {
        a0 = ccw ? 1.5 * kPi + 0.3 * u(rng) : kPi - 0.3 * u(rng);
        a1 = ccw ? a0 + (2 * kPi - a0) * f : a0 - (a0 - 0.5 * kPi) * f;
      }
      const double cs = s - rho * std::cos(a0), ch = h - rho * std::sin(a0);
      s = cs + rho * std::cos(a1);
      h = ch + rho * std::sin(a1);
      seg.arc = true;
      seg.clockwise = ccw == Mirrors(way);
      seg.centre = ToLathe(way, cs, ch);
      seg.end = ToLathe(way, s, h);
    }
    segs.push_back(seg);
  }
  Drawn d;
  RoughingCycle& c = d.cycle;
  c.contour = {first, segs};
  double topH = -kInf;
  for (const NoseSegment& sg : segs) {
    double a, b;
    FromLathe(way, sg.end, a, b);
    topH = std::max(topH, b);
  }
  d.startS = -(0.05 + 0.2 * u(rng)) * unit;
  d.startH = topH + (0.02 + 0.1 * u(rng)) * unit;
  c.start = ToLathe(way, d.startS, d.startH);
  c.depthOfCut = (0.03 + 0.1 * u(rng)) * unit;
  c.retract = (0.005 + 0.03 * u(rng)) * unit;
  const double as = 0.01 * u(rng) * unit, ah = 0.01 * u(rng) * unit;
  // In the frame of the cut the allowance moves the contour back along s and out in h.
  const bool turn = way.axis == RoughingAxis::Turn;
  c.allowanceZ = turn ? as : ah;
  c.allowanceX = turn ? (way.inside ? -2 * ah : 2 * ah) : (way.inside ? -2 * as : 2 * as);
  c.axis = way.axis;
  c.pockets = pockets;
  c.maxDescent = 80;
  Sample from{0, 0.3 * unit};
  for (const NoseSegment& sg : segs) {
    SampleSegment(way, from, sg, 0.002 * unit, d.moved);
    from = d.moved.back();
  }
  for (Sample& p : d.moved) p = {p.s - as, p.h + ah};
  d.endS = d.moved.back().s;
  return d;
}

// Over random contours, both types, both unit systems, all four ways to stand to the work:
// the moves never enter the moved contour nor pass its end, leave no step on it, take no more
// than the depth of cut below what earlier passes reached, and rapid only through what is cut.
TEST(Roughing, RandomContoursAreRoughedToTheAllowanceWithinTheDepthOfCut) {
  std::mt19937 rng(20261208);
  int planned = 0;
  for (int round = 0; round < 240; ++round) {
    const Way& way = kWays[round % 4];
    const bool pockets = round % 8 >= 4, metric = round % 16 >= 8;
    Drawn d = RandomCycle(rng, way, pockets, metric);
    const RoughingPlan plan = PlanRoughing(d.cycle);
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_FALSE(plan.refusal) << plan.refusal->text;
    EXPECT_EQ(plan.inside, way.inside);
    const double unit = metric ? 25.4 : 1, tol = 1e-5 * unit, depth = d.cycle.depthOfCut;
    // Columns along s, each with what the contour and the tool reach in it.
    const double width = 0.004 * unit, s0 = d.startS - 1 * unit;
    const auto column = [&](double s) { return static_cast<std::size_t>(std::max(0.0, (s - s0) / width)); };
    const std::size_t columns = column(d.endS + 1 * unit) + 1;
    std::vector<double> contourLow(columns, kInf);
    for (const Sample& p : d.moved) contourLow[column(p.s)] = std::min(contourLow[column(p.s)], p.h);
    const double firstS = d.moved.front().s;
    // The contour's height near s: the lowest over the columns either side (walls stand in one).
    const auto contourNear = [&](double s) {
      double low = kInf;
      for (std::size_t c = column(s) > 0 ? column(s) - 1 : 0; c <= std::min(columns - 1, column(s) + 1); ++c) low = std::min(low, contourLow[c]);
      return low;
    };
    std::vector<double> reached(columns, kInf), before(columns, kInf);
    int pass = 1;
    Sample at{d.startS, d.startH};
    for (const RoughingMove& m : plan.moves) {
      if (m.pass != pass) {
        before = reached;
        pass = m.pass;
      }
      std::vector<Sample> samples;
      SampleSegment(way, at, m.path, width / 4, samples);
      for (const Sample& p : samples) {
        const std::size_t c = column(p.s);
        ASSERT_LE(p.s, d.endS + tol) << "past the contour's end";
        if (p.s >= firstS + width) ASSERT_GE(p.h, contourNear(p.s) - tol) << "into the allowance at s " << p.s;
        const bool stock = p.s > firstS + width && p.h < d.startH - tol;
        if (m.rapid && stock) ASSERT_GE(p.h, reached[c] - tol) << "rapid into stock";
        if (!m.rapid && stock) ASSERT_GE(p.h, std::min(before[c], d.startH) - depth - tol) << "deeper than the cut";
        if (!m.rapid) reached[c] = std::min(reached[c], p.h);
      }
      at = samples.back();
    }
    EXPECT_NEAR(at.s, d.startS, tol);
    EXPECT_NEAR(at.h, d.startH, tol);
    // No step left: in every column the tool went down to the contour (a wall's foot may
    // fall in the column beside it).
    for (std::size_t c = column(firstS) + 2; c + 2 < column(d.endS); ++c) {
      const double tool = std::min({reached[c - 1], reached[c], reached[c + 1]});
      if (contourLow[c] < d.startH - depth && contourLow[c] < kInf)
        ASSERT_LE(tool, contourLow[c] + 0.01 * depth) << "a step left at s " << s0 + c * width;
    }
    ++planned;
  }
  EXPECT_EQ(planned, 240);
}

// What cannot be roughed is refused, naming the segment, quickly and without moves.
TEST(Roughing, RefusesWhatCannotBeCutNamingTheSegment) {
  const NosePath monotonic{{0.1, 0.4}, {{{0, 0.4}}, {{-1, 0.4}}, {{-1, 0.6}}, {{-2, 0.6}}}};
  const NosePath pocket{{0.1, 0.4}, {{{0, 0.4}}, {{-1, 0.4}}, {{-1.2, 0.3}}, {{-2, 0.3}}, {{-2, 0.8}}}};
  const NosePath steep{{0.1, 0.4}, {{{0, 0.4}}, {{-1, 0.4}}, {{-1.05, 0.3}}, {{-2, 0.8}}}};
  const NosePath back{{0.1, 0.4}, {{{0, 0.4}}, {{-1, 0.5}}, {{-0.8, 0.6}}, {{-2, 0.8}}}};
  struct Case {
    const char* name;
    NosePath contour;
    NosePoint start;
    bool pockets;
    double depth;
    RoughingFault fault;
    std::size_t segment;
  };
  const Case cases[] = {
      {"a pocket in type I", pocket, {0.1, 0.5}, false, 0.05, RoughingFault::NotMonotonic, 2},
      {"a wall steeper than the tool", steep, {0.1, 0.9}, true, 0.05, RoughingFault::TooSteep, 2},
      {"back along Z", back, {0.1, 0.9}, true, 0.05, RoughingFault::TurnsBack, 2},
      {"no depth of cut", monotonic, {0.1, 0.7}, false, 0, RoughingFault::BadValue, kNoContourSegment},
      {"no side to cut from", monotonic, {0.1, 0.4}, false, 0.05, RoughingFault::NoSide, kNoContourSegment},
      {"ends at the start's Z", NosePath{{0.1, 0.4}, {{{0.1, 0.8}}}}, {0.1, 0.9}, false, 0.05,
       RoughingFault::WrongEnd, kNoContourSegment},
      {"too many passes", monotonic, {0.1, 1e6}, false, 0.001, RoughingFault::TooManyPasses, kNoContourSegment},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RoughingCycle cycle;
    cycle.contour = c.contour;
    cycle.start = c.start;
    cycle.depthOfCut = c.depth;
    cycle.pockets = c.pockets;
    cycle.maxDescent = 60;
    const RoughingPlan plan = PlanRoughing(cycle);
    ASSERT_TRUE(plan.refusal);
    EXPECT_EQ(plan.refusal->fault, c.fault) << plan.refusal->text;
    EXPECT_EQ(plan.refusal->segment, c.segment);
    EXPECT_TRUE(plan.moves.empty());
    if (c.fault == RoughingFault::TooSteep) EXPECT_NEAR(plan.refusal->angle, std::atan(2.0) * 180 / kPi, 1e-6);
  }
}

}  // namespace
}  // namespace tbx
