#include "data/nose_path.h"

#include <cmath>
#include <optional>

namespace tbx {

namespace {

constexpr double kEps = 1e-9;

NosePoint operator+(NosePoint a, NosePoint b) { return {a.z + b.z, a.r + b.r}; }
NosePoint operator-(NosePoint a, NosePoint b) { return {a.z - b.z, a.r - b.r}; }
NosePoint operator*(double k, NosePoint a) { return {k * a.z, k * a.r}; }
double Dot(NosePoint a, NosePoint b) { return a.z * b.z + a.r * b.r; }
double Cross(NosePoint a, NosePoint b) { return a.z * b.r - a.r * b.z; }
double Length(NosePoint a) { return std::hypot(a.z, a.r); }
NosePoint Unit(NosePoint a) {
  const double l = Length(a);
  return l > kEps ? (1 / l) * a : NosePoint{};
}
NosePoint Left(NosePoint d) { return {-d.r, d.z}; }

// The direction of travel of a segment from `from`, at its start or at its end.
NosePoint Tangent(NosePoint from, const NoseSegment& s, bool atEnd) {
  if (!s.arc) return Unit(s.end - from);
  const NosePoint radial = (atEnd ? s.end : from) - s.centre;
  const NosePoint ccw = Unit(Left(radial));
  return s.clockwise ? -1 * ccw : ccw;
}

// The offset of one segment: a line through `point` along `dir`, or a circle.
struct Element {
  bool circle = false;
  NosePoint point, dir;  // line
  NosePoint centre;      // circle
  double radius = 0;
};

std::vector<NosePoint> Meet(const Element& a, const Element& b) {
  if (!a.circle && !b.circle) {
    const double den = Cross(a.dir, b.dir);
    if (std::fabs(den) < kEps) return {};
    const double t = Cross(b.point - a.point, b.dir) / den;
    return {a.point + t * a.dir};
  }
  if (a.circle && b.circle) {
    const NosePoint d = b.centre - a.centre;
    const double l = Length(d);
    if (l < kEps || l > a.radius + b.radius || l < std::fabs(a.radius - b.radius)) return {};
    const double along = (a.radius * a.radius - b.radius * b.radius + l * l) / (2 * l);
    const double h = std::sqrt(std::max(0.0, a.radius * a.radius - along * along));
    const NosePoint u = (1 / l) * d, mid = a.centre + along * u;
    return {mid + h * Left(u), mid - h * Left(u)};
  }
  const Element& line = a.circle ? b : a;
  const Element& circle = a.circle ? a : b;
  const NosePoint f = line.point - circle.centre;
  const double p = Dot(f, line.dir), q = Dot(f, f) - circle.radius * circle.radius;
  const double disc = p * p - q;
  if (disc < 0) return {};
  const double root = std::sqrt(disc);
  return {line.point + (-p + root) * line.dir, line.point + (-p - root) * line.dir};
}

}  // namespace

NosePoint TipDirection(int orientation) {
  switch (orientation) {
    case 1: return {1, 1};
    case 2: return {-1, 1};
    case 3: return {-1, -1};
    case 4: return {1, -1};
    case 5: return {1, 0};
    case 6: return {0, 1};
    case 7: return {-1, 0};
    case 8: return {0, -1};
    default: return {0, 0};
  }
}

NosePath NoseCentrePath(const NosePath& profile, NoseSide side, double radius, int orientation,
                        std::vector<NoseIssue>* issues) {
  const NosePoint tip = radius * TipDirection(orientation);
  NosePath centre{profile.start - tip, {}};
  const std::size_t n = profile.segments.size();
  if (n == 0) return centre;
  auto issue = [&](std::size_t segment, std::string text) {
    if (issues) issues->push_back({segment, std::move(text)});
  };
  const double sign = side == NoseSide::Left ? 1 : -1;  // the tool's side as a multiple of Left
  auto normal = [&](NosePoint tangent) { return sign * Left(tangent); };

  // Each segment's offset and its start and end before the corners trim them.
  std::vector<Element> offsets(n);
  std::vector<NosePoint> starts(n), ends(n);
  NosePoint from = profile.start;
  for (std::size_t i = 0; i < n; ++i) {
    const NoseSegment& s = profile.segments[i];
    const NosePoint t0 = Tangent(from, s, false), t1 = Tangent(from, s, true);
    starts[i] = from + radius * normal(t0);
    ends[i] = s.end + radius * normal(t1);
    if (s.arc) {
      // The tool is inside the arc when its side is toward the centre.
      const bool inside = (s.clockwise ? -1 : 1) * sign > 0;
      const double rho = Length(from - s.centre);
      offsets[i] = {.circle = true, .centre = s.centre, .radius = inside ? rho - radius : rho + radius};
      if (inside && rho <= radius + kEps)
        issue(i, "an arc the tool is inside of must be larger than the nose radius");
    } else {
      offsets[i] = {.point = starts[i], .dir = t0};
    }
    from = s.end;
  }
  if (!profile.segments.front().arc && Length(profile.segments.front().end - profile.start) <= radius + kEps)
    issue(0, "the move that starts compensation must be longer than the nose radius");

  // The corners: in one, both offsets meet; around one, an arc about the corner joins them.
  std::vector<std::optional<NoseSegment>> swings(n);
  from = profile.start;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const NoseSegment& s = profile.segments[i];
    const NosePoint corner = s.end;
    const NosePoint t1 = Tangent(from, s, true), t2 = Tangent(corner, profile.segments[i + 1], false);
    from = s.end;
    const double turn = Cross(t1, t2);
    if (std::fabs(turn) < 1e-9 && Dot(t1, t2) > 0) continue;  // tangent: the offsets meet
    const bool inward = turn * sign > 0;  // turning toward the tool's side
    if (inward) {
      const std::vector<NosePoint> meets = Meet(offsets[i], offsets[i + 1]);
      if (meets.empty()) {
        issue(i + 1, "the offsets of this corner do not meet: the nose cannot reach into it");
        continue;
      }
      NosePoint best = meets.front();
      for (const NosePoint& m : meets)
        if (Length(m - ends[i]) < Length(best - ends[i])) best = m;
      ends[i] = starts[i + 1] = best;
    } else {
      swings[i] = NoseSegment{starts[i + 1], true, side == NoseSide::Left, corner, profile.segments[i + 1].feed, i + 1};
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    const NoseSegment& s = profile.segments[i];
    centre.segments.push_back({ends[i], s.arc, s.clockwise, s.centre, s.feed, i});
    if (swings[i]) centre.segments.push_back(*swings[i]);
  }
  return centre;
}

NosePath ShiftedPath(const NosePath& centre, NosePoint by) {
  NosePath moved{centre.start + by, {}};
  for (const NoseSegment& s : centre.segments) moved.segments.push_back({s.end + by, s.arc, s.clockwise, s.centre + by, s.feed, s.source});
  return moved;
}

}  // namespace tbx
