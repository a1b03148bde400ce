#include "data/tool_outline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace tbx {
namespace {

const double kPiHere = std::acos(-1.0);

Tool Insert(InsertShape shape, double radius, int orientation, double lead = 0) {
  Tool t;
  t.number = t.offset = 1;
  t.kind = shape == InsertShape::Blade ? ToolKind::Grooving : ToolKind::OdTurning;
  t.shape = shape;
  t.radius = radius;
  t.orientation = orientation;
  t.leadAngle = lead;
  if (shape == InsertShape::Blade) t.width = 0.125;
  return t;
}

struct Box {
  double minZ = 1e300, maxZ = -1e300, minR = 1e300, maxR = -1e300;
};
Box BoxOf(const std::vector<NosePoint>& polygon) {
  Box b;
  for (const NosePoint& p : polygon)
    b.minZ = std::min(b.minZ, p.z), b.maxZ = std::max(b.maxZ, p.z), b.minR = std::min(b.minR, p.r),
    b.maxR = std::max(b.maxR, p.r);
  return b;
}

double Distance(NosePoint a, NosePoint b) { return std::hypot(a.z - b.z, a.r - b.r); }

// A convex polygon's inside, counter-clockwise.
bool InsideConvex(const std::vector<NosePoint>& polygon, NosePoint p) {
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const NosePoint a = polygon[i], b = polygon[(i + 1) % polygon.size()];
    if ((b.z - a.z) * (p.r - a.r) - (b.r - a.r) * (p.z - a.z) < 0) return false;
  }
  return true;
}

const InsertShape kShapes[] = {InsertShape::C, InsertShape::D, InsertShape::S, InsertShape::T,
                               InsertShape::V, InsertShape::W, InsertShape::Blade};

// For every shape and tip orientation, in both unit systems and with and without a lead angle:
// the nose circle stands off the programmed point by the tip offset; the insert never crosses
// the lines through the programmed point that the orientation makes it touch; the two edges
// either side of the nose meet at the shape's included angle, the one on the tip's Z side
// leaving square to the feed turned by the lead; and the holder keeps clear of the nose.
TEST(ToolOutline, NoseTipAndEdgesForEveryShapeAndOrientation) {
  for (const bool metric : {false, true}) {
    const double unit = metric ? 25.4 : 1, tol = 1e-4 * unit, r = 0.031 * unit;
    const NosePoint at = {-1.25 * unit, 0.75 * unit};
    for (const InsertShape shape : kShapes)
      for (int o = 1; o <= 9; ++o)
        for (const double lead : {0.0, -5.0}) {
          Tool tool = Insert(shape, r, o, lead);
          if (shape == InsertShape::Blade) tool.width *= unit;
          const std::string where = std::string(ShapeName(shape)) + " orientation " + std::to_string(o) +
                                    " lead " + std::to_string(lead) + (metric ? " mm" : " in");
          const ToolOutline out = OutlineOf(tool, metric, at, tol);
          const NosePoint tip = TipDirection(o);
          EXPECT_NEAR(out.noseCentre.z, at.z - r * tip.z, 1e-12 * unit) << where;
          EXPECT_NEAR(out.noseCentre.r, at.r - r * tip.r, 1e-12 * unit) << where;
          EXPECT_GT(PolygonArea(out.insert), 0) << where;
          EXPECT_GT(PolygonArea(out.holder), 0) << where;
          EXPECT_FALSE(InsideConvex(out.holder, out.noseCentre)) << where;

          // At lead 0 the insert touches the tangent lines and stays on its side of them:
          // the programmed point is the box's corner (1 to 4) or on its side (5 to 8).
          const Box box = BoxOf(out.insert);
          if (lead == 0 && (shape != InsertShape::Blade || o <= 4)) {
            if (tip.z < 0) EXPECT_NEAR(box.minZ, at.z, 1e-9 * unit) << where;
            if (tip.z > 0) EXPECT_NEAR(box.maxZ, at.z, 1e-9 * unit) << where;
            if (tip.r < 0) EXPECT_NEAR(box.minR, at.r, 1e-9 * unit) << where;
            if (tip.r > 0) EXPECT_NEAR(box.maxR, at.r, 1e-9 * unit) << where;
          }
          if (o == 9 || (shape == InsertShape::Blade && o > 4)) continue;

          // The nose: the run of outline points on the circle about its centre.
          const std::vector<NosePoint>& p = out.insert;
          const std::size_t n = p.size();
          auto onNose = [&](std::size_t i) { return std::abs(Distance(p[i % n], out.noseCentre) - r) < 1e-9 * unit; };
          std::size_t first = 0;
          while (first < n && !(onNose(first) && !onNose(first + n - 1))) ++first;
          ASSERT_LT(first, n) << where;
          std::size_t last = first;
          while (onNose(last + 1)) ++last;
          for (std::size_t i = 0; i < n; ++i)
            EXPECT_GE(Distance(p[i], out.noseCentre), r - tol - 1e-12) << where;
          const NosePoint before = p[(first + n - 1) % n], from = p[first % n];
          const NosePoint after = p[(last + 1) % n], to = p[last % n];
          const double a1 = std::atan2(before.r - from.r, before.z - from.z);
          const double a2 = std::atan2(after.r - to.r, after.z - to.z);
          double between = std::abs(a1 - a2) * 180 / kPiHere;
          if (between > 180) between = 360 - between;
          const double included = shape == InsertShape::Blade ? 90 : IncludedAngle(shape);
          EXPECT_NEAR(between, included, 1e-6) << where;
          if (o <= 4) {
            // Square to Z at lead 0; the lead leans it toward the feed's side (the tip's).
            const double s = std::sin(lead * kPiHere / 180), c = std::cos(lead * kPiHere / 180);
            const double want = std::atan2(-tip.r * c, tip.z * s);
            const double gap = std::min(std::abs(std::remainder(a1 - want, 2 * kPiHere)),
                                        std::abs(std::remainder(a2 - want, 2 * kPiHere)));
            EXPECT_LT(gap, 1e-9) << where;
          }
        }
  }
}

// Areas in closed form: a square insert of inscribed circle d with corners rounded to r, a
// round one, a blade, a drill's half-section; the chords fall short of the arcs by at most
// the tolerance along them.
TEST(ToolOutline, AreasInClosedForm) {
  const double pi = kPiHere;
  struct Case {
    const char* name;
    Tool tool;
    bool metric;
    double area;
    double arcLength;
  };
  Tool drill;
  drill.kind = ToolKind::Drill, drill.diameter = 0.25, drill.pointAngle = 118;
  Tool reamer;
  reamer.kind = ToolKind::Reamer, reamer.diameter = 0.5;
  const double cone = 0.125 / std::tan(59 * pi / 180);
  Tool blade = Insert(InsertShape::Blade, 0.008, 4);
  const Case cases[] = {
      {"S .031", Insert(InsertShape::S, 0.031, 3), false, 0.25 - (4 - pi) * 0.031 * 0.031, 2 * pi * 0.031},
      {"S sharp", Insert(InsertShape::S, 0, 1, 12), false, 0.25, 0},
      {"S 0.8 mm", Insert(InsertShape::S, 0.8, 6), true, 12.7 * 12.7 - (4 - pi) * 0.64, 2 * pi * 0.8},
      {"R 6 mm", Insert(InsertShape::R, 6, 3), true, pi * 36, 2 * pi * 6},
      {"R .25", Insert(InsertShape::R, 0.25, 8), false, pi * 0.0625, 2 * pi * 0.25},
      {"blade .125", blade, false, 0.125 * 0.6 - (1 - pi / 4) * 2 * 0.008 * 0.008, pi * 0.008},
      {"drill 118", drill, false, 0.125 * 1.5 - 0.5 * 0.125 * cone, 0},
      {"reamer", reamer, false, 0.25 * 3 - 0.5 * 0.05 * 0.05, 0},
  };
  for (const Case& c : cases)
    for (const double tol : {1e-3, 1e-5}) {
      const double t = tol * (c.metric ? 25.4 : 1);
      const double area = PolygonArea(OutlineOf(c.tool, c.metric, {0.5, 0}, t).insert);
      EXPECT_LE(area, c.area + 1e-12) << c.name;
      EXPECT_GE(area, c.area - c.arcLength * t - 1e-12) << c.name;
    }
  const ToolOutline d = OutlineOf(drill, false, {-0.3, 0}, 1e-4);
  EXPECT_EQ(BoxOf(d.insert).minZ, -0.3);
  EXPECT_EQ(BoxOf(d.insert).minR, 0);
  EXPECT_EQ(BoxOf(d.holder).minZ, BoxOf(d.insert).maxZ);
}

}  // namespace
}  // namespace tbx
