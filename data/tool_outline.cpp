#include "data/tool_outline.h"

#include <algorithm>
#include <cmath>

#include <boost/geometry.hpp>

namespace tbx {
namespace {

const double kPi = std::acos(-1.0);
constexpr double kMmPerInch = 25.4;

NosePoint Add(NosePoint a, NosePoint b) { return {a.z + b.z, a.r + b.r}; }
NosePoint Sub(NosePoint a, NosePoint b) { return {a.z - b.z, a.r - b.r}; }
NosePoint Scale(double k, NosePoint a) { return {k * a.z, k * a.r}; }
double Dot(NosePoint a, NosePoint b) { return a.z * b.z + a.r * b.r; }
double Cross(NosePoint a, NosePoint b) { return a.z * b.r - a.r * b.z; }
NosePoint Turned(NosePoint p, double radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  return {c * p.z - s * p.r, s * p.z + c * p.r};
}
NosePoint Unit(double radians) { return {std::cos(radians), std::sin(radians)}; }
double Radians(double degrees) { return degrees * kPi / 180; }

// The arc of `radius` about `centre` from angle `from` counter-clockwise to `to`, both ends
// included, in as few chords as keep within `tolerance` of it.
void AppendArc(std::vector<NosePoint>& out, NosePoint centre, double radius, double from, double to,
               double tolerance) {
  if (radius <= 0) {
    out.push_back(centre);
    return;
  }
  // A point at each quarter the arc passes keeps its extremes in Z and X exact.
  const double quarter = kPi / 2;
  const double step = 2 * std::acos(std::max(-1.0, 1 - std::min(tolerance, radius) / radius));
  out.push_back(Add(centre, Scale(radius, Unit(from))));
  for (double a = from; a < to;) {
    const double next = std::min(to, (std::floor(a / quarter + 1e-9) + 1) * quarter);
    // However fine the tolerance, a quarter takes at most 256 chords.
    const int chords = std::clamp(static_cast<int>(std::ceil((next - a) / step - 1e-9)), 1, 256);
    for (int i = 1; i <= chords; ++i) out.push_back(Add(centre, Scale(radius, Unit(a + (next - a) * i / chords))));
    a = next;
  }
}

// A polygon whose sides all touch a circle of radius `inscribed` about the origin, given by
// its sides' outward normals in counter-clockwise order, with every corner rounded to
// `radius`: the polygon of the sides moved in by the radius, grown by it again; all of it
// turned counter-clockwise by `turn`. `corner` receives the rounded first corner's centre
// (between the first two normals).
std::vector<NosePoint> RoundedPolygon(const std::vector<double>& normals, double inscribed, double radius,
                                      double tolerance, NosePoint& corner, double turn) {
  std::vector<NosePoint> out;
  const double inner = inscribed - radius;
  const std::size_t n = normals.size();
  for (std::size_t i = 0; i < n; ++i) {
    const double a = normals[i] + turn;
    double b = normals[(i + 1) % n] + turn;
    while (b <= a) b += 2 * kPi;
    const NosePoint na = Unit(a), nb = Unit(b);
    const NosePoint vertex = Scale(inner / (1 + Dot(na, nb)), Add(na, nb));
    if (i == 0) corner = vertex;
    AppendArc(out, vertex, radius, a, b, tolerance);
  }
  return out;
}

// The insert's sides' normals with its cutting corner pointing along -Z (angle pi).
std::vector<double> InsertNormals(InsertShape shape) {
  const double half = Radians(IncludedAngle(shape)) / 2;
  const double b = kPi / 2 - half;  // each side's normal from the corner's direction
  switch (shape) {
    case InsertShape::T:
      return {kPi - b, kPi + b, 2 * kPi};
    case InsertShape::W:
      // Three 80 degree corners between three 160 degree ones, the sides equally long.
      return {kPi - b, kPi + b, kPi + b + Radians(20), kPi + b + Radians(120),
              kPi + b + Radians(140), kPi + b + Radians(240)};
    default:  // the rhombi C, D, S, V
      return {kPi - b, kPi + b, 2 * kPi - b, 2 * kPi + b};
  }
}

double InscribedDiameter(InsertShape shape) {
  switch (shape) {
    case InsertShape::C:
    case InsertShape::D:
    case InsertShape::S:
      return 0.5;
    default:
      return 0.375;
  }
}

// How the frame of orientation 3 (tip below and left of the nose centre) or of 8 (straight
// below it) maps onto the orientation's: a mirror or a quarter turn.
struct Frame {
  double zz = 1, zr = 0, rz = 0, rr = 1;
  NosePoint Of(NosePoint p) const { return {zz * p.z + zr * p.r, rz * p.z + rr * p.r}; }
  bool Mirrors() const { return zz * rr - zr * rz < 0; }
};

Frame FrameOf(int orientation) {
  switch (orientation) {
    case 1: return {-1, 0, 0, -1};
    case 2: return {1, 0, 0, -1};
    case 4: return {-1, 0, 0, 1};
    case 5: return {0, -1, 1, 0};
    case 6: return {1, 0, 0, -1};
    case 7: return {0, 1, -1, 0};
    default: return {};
  }
}

bool IsCorner(int orientation) { return orientation >= 1 && orientation <= 4; }

std::vector<NosePoint> Placed(const std::vector<NosePoint>& local, const Frame& frame, NosePoint at) {
  std::vector<NosePoint> out;
  out.reserve(local.size());
  for (const NosePoint& p : local) out.push_back(Add(at, frame.Of(p)));
  if (frame.Mirrors()) std::reverse(out.begin(), out.end());
  return out;
}

// The cutting part in the frame of orientation 3 or 8 with the programmed point at the
// origin; `centre` is the nose centre there.
std::vector<NosePoint> LocalInsert(const Tool& tool, double unit, double tolerance, NosePoint& centre) {
  const double r = tool.radius;
  const bool corner = IsCorner(tool.orientation);
  centre = corner ? NosePoint{r, r} : NosePoint{0, r};
  if (tool.orientation == 9) centre = {};
  const double lead = Radians(tool.leadAngle);
  std::vector<NosePoint> out;
  if (tool.shape == InsertShape::R) {
    if (r > 0) AppendArc(out, centre, r, 0, 2 * kPi, tolerance), out.pop_back();
    return out;
  }
  if (tool.shape == InsertShape::Blade) {
    // Square to the cut, its corner (1 to 4) or its middle (5 to 9) at the programmed point.
    // A parting blade stands out far enough to part a bar of 2 in (50 mm) before its holder meets it.
    const double w = tool.width, length = (tool.kind == ToolKind::Parting ? 1.5 : 0.6) * unit;
    const double left = corner ? 0 : -w / 2;
    const NosePoint bottom = {left, tool.orientation == 9 ? -r : 0};
    AppendArc(out, Add(bottom, {r, r}), r, kPi, 1.5 * kPi, tolerance);
    AppendArc(out, Add(bottom, {w - r, r}), r, 1.5 * kPi, 2 * kPi, tolerance);
    out.push_back(Add(bottom, {w, length}));
    out.push_back(Add(bottom, {0, length}));
  } else {
    const double inscribed = std::max(InscribedDiameter(tool.shape) * unit, 4 * r) / 2;
    // The corner's outward bisector: at lead 0 the edge on the -Z side runs straight up
    // from the nose, square to the feed. Turning the sides rather than the points keeps the
    // arcs' quarter points where they belong.
    const double half = Radians(IncludedAngle(tool.shape)) / 2;
    const double bisector = (corner ? 1.5 * kPi - half : 1.5 * kPi) + lead;
    NosePoint vertex;
    const std::vector<NosePoint> local =
        RoundedPolygon(InsertNormals(tool.shape), inscribed, r, tolerance, vertex, bisector - kPi);
    for (const NosePoint& p : local) out.push_back(Add(centre, Sub(p, vertex)));
    return out;
  }
  for (NosePoint& p : out) p = Add(centre, Turned(Sub(p, centre), lead));
  return out;
}

// The convex hull, counter-clockwise, the last point not repeating the first.
std::vector<NosePoint> Hull(const std::vector<NosePoint>& points) {
  namespace bg = boost::geometry;
  using P = bg::model::d2::point_xy<double>;
  bg::model::multi_point<P> in;
  for (const NosePoint& p : points) in.push_back({p.z, p.r});
  bg::model::ring<P, false> hull;  // counter-clockwise
  bg::convex_hull(in, hull);
  std::vector<NosePoint> out;
  for (std::size_t i = 0; i + 1 < hull.size(); ++i) out.push_back({hull[i].x(), hull[i].y()});
  return out;
}

// A shank or bar leaving the insert away from the work: up in X for a tool whose tip is below
// its nose (outside the part), along Z out of the bore for one whose tip is above it, and
// straight back from a tip to the side; joined to the back of the insert by its head.
std::vector<NosePoint> Holder(const std::vector<NosePoint>& insert, int orientation, NosePoint at, double unit,
                              bool blade, double barDiameter) {
  if (insert.empty()) return {};
  const NosePoint tip = TipDirection(orientation);
  const bool bore = tip.r > 0;
  NosePoint along = {0, 1};
  if (bore) along = {tip.z > 0 ? -1.0 : 1.0, 0};
  else if (tip.r == 0 && tip.z != 0) along = {-tip.z, 0};
  NosePoint across = {along.r, -along.z};
  if (Dot(across, tip) > 0) across = Scale(-1, across);
  const bool centred = Dot(across, tip) == 0;
  // The back of the insert, away from its tip, is what the head holds.
  NosePoint back = Dot(tip, tip) > 0 ? Scale(-1 / std::sqrt(Dot(tip, tip)), tip) : along;
  double minA = 1e300, maxA = -1e300, minU = 1e300, maxU = -1e300, minB = 1e300, maxB = -1e300;
  for (const NosePoint& p : insert) {
    const NosePoint d = Sub(p, at);
    minA = std::min(minA, Dot(d, along)), maxA = std::max(maxA, Dot(d, along));
    minU = std::min(minU, Dot(d, across)), maxU = std::max(maxU, Dot(d, across));
    minB = std::min(minB, Dot(d, back)), maxB = std::max(maxB, Dot(d, back));
  }
  const double width = bore && barDiameter > 0 ? barDiameter : (bore ? 0.625 : 1.0) * unit;
  const double length = (bore ? 5.0 : 3.0) * unit;
  // A bar square to the tip (an inside tool plunging outward) runs under the insert's back
  // half; any other shank starts where the insert ends.
  const bool square = Dot(along, back) < 0.5;
  double u0 = centred ? (minU + maxU - width) / 2 : minU + 0.05 * width;
  // So does a blade in a bore: what stands above the bar is what it may plunge.
  if (square || (blade && bore)) u0 = minU + 0.5 * (maxU - minU);
  // A blade is held by its far end only, so that it can plunge its length deep (in a bore,
  // where the bar runs along Z, the end away from its tip).
  const double a0 = minA + (blade ? 0.9 : square ? 0.5 : 0.7) * (maxA - minA);
  auto point = [&](double a, double u) { return Add(at, Add(Scale(a, along), Scale(u, across))); };
  std::vector<NosePoint> points = {point(a0, u0), point(a0, u0 + width), point(a0 + length, u0),
                                   point(a0 + length, u0 + width)};
  for (const NosePoint& p : insert)
    if (!blade ? Dot(Sub(p, at), back) >= minB + 0.45 * (maxB - minB)
        : bore  ? Dot(Sub(p, at), back) >= minB + 0.85 * (maxB - minB)
                : Dot(Sub(p, at), along) >= minA + 0.85 * (maxA - minA))
      points.push_back(p);
  return Hull(points);
}

ToolOutline DrillOutline(const Tool& tool, NosePoint at, double unit) {
  const double radius = tool.diameter / 2;
  const double flutes = std::max(6 * tool.diameter, 1.0 * unit);
  // A reamer or tap has no point, only a chamfer leading it in.
  const double lead = tool.pointAngle > 0 ? radius / std::tan(Radians(tool.pointAngle) / 2) : 0.1 * tool.diameter;
  ToolOutline out;
  out.noseCentre = at;
  const auto p = [&](double z, double r) { return NosePoint{at.z + z, at.r + r}; };
  out.insert = {p(0, 0), p(flutes, 0), p(flutes, radius), p(lead, radius)};
  if (tool.pointAngle <= 0) out.insert.push_back(p(0, radius - lead));
  out.cuttingReach = lead;
  const double collet = radius + 0.25 * unit;
  out.holder = {p(flutes, 0), p(flutes + 2 * unit, 0), p(flutes + 2 * unit, collet), p(flutes, collet)};
  return out;
}

}  // namespace

double PolygonArea(const std::vector<NosePoint>& polygon) {
  double twice = 0;
  for (std::size_t i = 0; i < polygon.size(); ++i)
    twice += Cross(polygon[i], polygon[(i + 1) % polygon.size()]);
  return twice / 2;
}

ToolOutline OutlineOf(const Tool& tool, bool metric, NosePoint at, double chordTolerance) {
  const double unit = metric ? kMmPerInch : 1;
  const double tolerance = chordTolerance > 0 ? chordTolerance : 1e-4 * unit;
  if (tool.shape == InsertShape::None) return DrillOutline(tool, at, unit);
  ToolOutline out;
  NosePoint centre;
  const std::vector<NosePoint> local = LocalInsert(tool, unit, tolerance, centre);
  const Frame frame = FrameOf(tool.orientation);
  out.noseCentre = Add(at, frame.Of(centre));
  out.insert = Placed(local, frame, at);
  out.holder = Holder(out.insert, tool.orientation, at, unit, tool.shape == InsertShape::Blade,
                      HasBar(tool.kind) ? tool.diameter : 0);
  if (tool.shape == InsertShape::Blade) out.cuttingReach = tool.width;
  else if (tool.shape != InsertShape::R) out.cuttingReach = std::max(InscribedDiameter(tool.shape) * unit, 4 * tool.radius) / 4;
  return out;
}

}  // namespace tbx
