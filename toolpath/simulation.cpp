#include "toolpath/simulation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

// Boost's segment intersection multiplies three coordinates; at 1e-6 in that passes 64 bits
// beyond about 2 in, so it must calculate in 128 bits.
#define BOOST_GEOMETRY_ENABLE_INT128
#include <boost/geometry.hpp>

#include "data/tool_outline.h"
#include "program/numbers.h"

namespace tbx::toolpath {

namespace {

namespace bg = boost::geometry;

using Coord = std::int64_t;
using P = bg::model::d2::point_xy<Coord>;  // x: Z, y: the radius
using Poly = bg::model::polygon<P>;        // clockwise, closed
using Multi = bg::model::multi_polygon<Poly>;
using Box = bg::model::box<P>;

const double kPi = std::acos(-1.0);
constexpr double kMmPerInch = 25.4;

std::string Num(double v) { return PlainDecimal(v, 4); }

struct Grid {
  double scale;  // counts per unit
  Coord Of(double v) const { return static_cast<Coord>(std::llround(v * scale)); }
  P Of(NosePoint p) const { return {Of(p.z), Of(p.r)}; }
  NosePoint Back(const P& p) const { return {p.x() / scale, p.y() / scale}; }
};

// Integer coordinates keep the booleans exact where a pass retraces an edge an earlier one
// left: 1e-6 in, or 1e-5 mm.
Grid GridOf(bool metric) { return {metric ? 1e5 : 1e6}; }
// Areas under this, in counts, are touching, not cutting.
double TouchArea(bool metric, const Grid& g) {
  const double unit = metric ? kMmPerInch : 1;
  return 1e-8 * unit * unit * g.scale * g.scale;
}

double AreaOf(const Multi& m) { return static_cast<double>(bg::area(m)); }

Poly BoxPoly(Coord z0, Coord r0, Coord z1, Coord r1) {
  Poly p;
  bg::append(p.outer(), P{z0, r0});
  bg::append(p.outer(), P{z0, r1});
  bg::append(p.outer(), P{z1, r1});
  bg::append(p.outer(), P{z1, r0});
  bg::append(p.outer(), P{z0, r0});
  return p;
}

// A tool's outline about its programmed point at the origin, in counts.
struct Shape {
  std::vector<P> insert, cutting, back, holder;  // cutting and back: the insert split at its reach
  double reach = 0;                               // how far from its nose it cuts, in units
  Box insertBox, holderBox;
  bool known = true;  // from the tool library, not the stand-in round insert
  // A boring bar of known diameter, mirrored about the centre line: what of it passes below
  // the line meets the far side of the bore, which the half-section holds as its mirror.
  std::vector<P> barMirrored;
  Box barMirroredBox;
};

Box BoxOf(const std::vector<P>& points) {
  Box b{P{0, 0}, P{0, 0}};
  if (!points.empty()) {
    bg::model::multi_point<P> mp(points.begin(), points.end());
    bg::envelope(mp, b);
  }
  return b;
}

// The box a sweep of an outline within `box` from a to b stays in.
Box SweptBox(const Box& box, P a, P b) {
  const P& lo = box.min_corner();
  const P& hi = box.max_corner();
  return {P{std::min(a.x(), b.x()) + lo.x(), std::min(a.y(), b.y()) + lo.y()},
          P{std::max(a.x(), b.x()) + hi.x(), std::max(a.y(), b.y()) + hi.y()}};
}

void Boxed(Shape& s) {
  s.insertBox = BoxOf(s.insert);
  s.holderBox = BoxOf(s.holder);
}

std::vector<P> Counts(const std::vector<NosePoint>& points, const Grid& g) {
  std::vector<P> out;
  out.reserve(points.size());
  for (const NosePoint& p : points) out.push_back(g.Of(p));
  return out;
}

// The insert split where it stops cutting: the back lies farther than its cutting reach from
// the nose centre, measured along the line from the nose into the insert (straight back along
// Z for a drill).
void SplitAtReach(const ToolOutline& o, bool drill, const Grid& g, Shape& s) {
  if (o.cuttingReach <= 0 || o.insert.size() < 3) return;
  NosePoint c{0, 0};
  for (const NosePoint& p : o.insert) c.z += p.z, c.r += p.r;
  c.z /= o.insert.size(), c.r /= o.insert.size();
  NosePoint u{c.z - o.noseCentre.z, c.r - o.noseCentre.r};
  if (drill) u = {1, 0};
  const double len = std::hypot(u.z, u.r);
  if (len <= 0) return;
  u = {u.z / len, u.r / len};
  const NosePoint w{-u.r, u.z};
  double far = 0;
  for (const NosePoint& p : o.insert) far = std::max(far, std::hypot(p.z - o.noseCentre.z, p.r - o.noseCentre.r));
  const double big = 2 * far + 1;
  const auto at = [&](double a, double b) {
    return g.Of(NosePoint{o.noseCentre.z + a * u.z + b * w.z, o.noseCentre.r + a * u.r + b * w.r});
  };
  Poly insert;
  for (const NosePoint& p : o.insert) bg::append(insert.outer(), g.Of(p));
  bg::correct(insert);
  const auto part = [&](double from, double to) -> std::vector<P> {
    Poly half;
    for (const P& p : {at(from, -big), at(from, big), at(to, big), at(to, -big)}) bg::append(half.outer(), p);
    bg::correct(half);
    Multi out;
    bg::intersection(insert, half, out);
    if (out.empty()) return {};
    return {out.front().outer().begin(), out.front().outer().end()};
  };
  s.back = part(o.cuttingReach, big);
  if (!s.back.empty()) s.cutting = part(-big, o.cuttingReach);
}

Shape ShapeOf(const Tool* tool, bool metric, double tolerance, const Grid& g) {
  const double unit = metric ? kMmPerInch : 1;
  Shape s;
  if (!tool) {
    // A round insert of .008 in in a narrow shank that stands back from it away from the axis.
    const double r = 0.008 * unit;
    Tool round;
    round.shape = InsertShape::R;
    round.radius = r;
    round.orientation = 9;
    s.insert = Counts(OutlineOf(round, metric, {}, tolerance).insert, g);
    const Coord half = g.Of(0.8 * r), from = g.Of(0.25 * unit), to = g.Of(1.25 * unit);
    s.holder = {P{-half, from}, P{-half, to}, P{half, to}, P{half, from}};
    s.reach = 2 * r;
    s.known = false;
    Boxed(s);
    return s;
  }
  const ToolOutline o = OutlineOf(*tool, metric, {}, tolerance);
  s.insert = Counts(o.insert, g);
  s.holder = Counts(o.holder, g);
  SplitAtReach(o, tool->shape == InsertShape::None, g, s);
  s.reach = o.cuttingReach > 0 ? o.cuttingReach : 2 * tool->radius;
  if (HasBar(tool->kind) && tool->diameter > 0)
    for (const P& p : s.holder) s.barMirrored.push_back(P{p.x(), -p.y()});
  Boxed(s);
  s.barMirroredBox = BoxOf(s.barMirrored);
  return s;
}

// The area a convex outline sweeps moving from a to b.
Poly Sweep(const std::vector<P>& shape, P a, P b) {
  bg::model::multi_point<P> mp;
  mp.reserve(2 * shape.size());
  for (const P& p : shape) {
    mp.push_back(P{p.x() + a.x(), p.y() + a.y()});
    if (a.x() != b.x() || a.y() != b.y()) mp.push_back(P{p.x() + b.x(), p.y() + b.y()});
  }
  Poly hull;
  bg::convex_hull(mp, hull);
  return hull;
}

// The metal as strips along Z: a cut changes only the strips its sweep reaches, and each
// boolean stays small however long the part.
class Metal {
 public:
  Metal(Coord z0, Coord z1, Coord r0, Coord r1, Coord width) {
    for (Coord z = z0; z < z1; z += width) {
      Strip s;
      s.metal.push_back(BoxPoly(z, r0, std::min(z + width, z1), r1));
      bg::envelope(s.metal, s.box);
      strips_.push_back(std::move(s));
    }
  }

  // Takes the sweep from the metal; the area removed.
  double Remove(const Poly& sweep, const Box& box) {
    double removed = 0;
    for (Strip& s : strips_) {
      if (s.metal.empty() || !bg::intersects(s.box, box)) continue;
      Multi out;
      bg::difference(s.metal, sweep, out);
      const double before = AreaOf(s.metal), after = AreaOf(out);
      if (before - after <= 0) continue;
      removed += before - after;
      s.metal = std::move(out);
      if (!s.metal.empty()) bg::envelope(s.metal, s.box);
    }
    return removed;
  }

  Multi Intersection(const Poly& sweep, const Box& box) const {
    Multi all;
    for (const Strip& s : strips_) {
      if (s.metal.empty() || !bg::intersects(s.box, box)) continue;
      Multi met, merged;
      bg::intersection(s.metal, sweep, met);
      if (met.empty()) continue;
      bg::union_(all, met, merged);
      all = std::move(merged);
    }
    return all;
  }

  // The metal the sweep meets less what `cleared` passes over.
  double OverlapBeyond(const Poly& sweep, const Box& box, const Poly& cleared) const {
    double area = 0;
    for (const Strip& s : strips_) {
      if (s.metal.empty() || !bg::intersects(s.box, box)) continue;
      Multi met, beyond;
      bg::intersection(s.metal, sweep, met);
      if (met.empty()) continue;
      bg::difference(met, cleared, beyond);
      area += AreaOf(beyond);
    }
    return area;
  }

  // Whether any metal stands in the box.
  bool Near(const Box& box) const {
    for (const Strip& s : strips_)
      if (!s.metal.empty() && bg::intersects(s.box, box)) return true;
    return false;
  }

  double Overlap(const Poly& sweep, const Box& box) const {
    double area = 0;
    for (const Strip& s : strips_) {
      if (s.metal.empty() || !bg::intersects(s.box, box)) continue;
      Multi out;
      bg::intersection(s.metal, sweep, out);
      area += AreaOf(out);
    }
    return area;
  }

  Multi All() const {
    Multi all;
    for (const Strip& s : strips_) {
      if (s.metal.empty()) continue;
      Multi merged;
      bg::union_(all, s.metal, merged);
      all = std::move(merged);
    }
    return all;
  }

 private:
  struct Strip {
    Multi metal;
    Box box;
  };
  std::vector<Strip> strips_;
};

// A closed ring without its repeated last point and without the points where it runs on
// straight (the seams between strips among them).
Ring RingOf(const bg::model::ring<P>& r, const Grid& g, bool reverse) {
  Ring out;
  if (r.size() < 2) return out;
  const std::size_t n = r.size() - 1;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const P& a = r[(i + n - 1) % n];
    const P& b = r[i];
    const P& c = r[(i + 1) % n];
    const __int128 cross = static_cast<__int128>(b.x() - a.x()) * (c.y() - b.y()) -
                           static_cast<__int128>(b.y() - a.y()) * (c.x() - b.x());
    if (cross != 0) out.push_back(g.Back(b));
  }
  if (reverse) std::reverse(out.begin(), out.end());
  return out;
}

Section SectionOf(const Multi& m, const Grid& g) {
  Section out;
  for (const Poly& p : m) {
    Area a;
    a.outer = RingOf(p.outer(), g, true);
    for (const auto& h : p.inners()) a.holes.push_back(RingOf(h, g, true));
    out.push_back(std::move(a));
  }
  return out;
}

// The volume of revolution of an area: its area times the path of its centroid (Pappus).
double RingMoment(const Ring& r) {
  double m = 0;
  for (std::size_t i = 0; i < r.size(); ++i) {
    const NosePoint& a = r[i];
    const NosePoint& b = r[(i + 1) % r.size()];
    m += (a.z * b.r - b.z * a.r) * (a.r + b.r);
  }
  return m / 6;
}

double Volume(const Section& s) {
  double m = 0;
  for (const Area& a : s) {
    m += std::fabs(RingMoment(a.outer));
    for (const Ring& h : a.holes) m -= std::fabs(RingMoment(h));
  }
  return 2 * kPi * m;
}

enum Kind { kUnknownTool, kRapidInto, kToolChangeInside, kJaws, kBack, kHolder, kFaceShort, kBarAcross, kKinds };

// One finding per block and kind, with the count of its moves.
class Findings {
 public:
  explicit Findings(std::vector<Finding>& out) : out_(out) {}
  void Add(int line, Kind k, const Move& m, std::string detail = {}) {
    if (line != line_) Flush();
    line_ = line;
    Group& g = groups_[k];
    if (g.count++ == 0) g.first = m, g.detail = std::move(detail);
  }
  void Flush() {
    for (int k = 0; k < kKinds; ++k) {
      Group& g = groups_[k];
      if (g.count) out_.push_back({line_, 0, Text(static_cast<Kind>(k), g)});
      g = Group{};
    }
  }

 private:
  struct Group {
    std::size_t count = 0;
    Move first;
    std::string detail;
  };
  static std::string Text(Kind k, const Group& g) {
    const bool one = g.count == 1;
    const std::string n = std::to_string(g.count);
    const std::string to = " to X" + Num(g.first.end.x) + " Z" + Num(g.first.end.z);
    switch (k) {
      case kRapidInto: return one ? "rapid" + to + " runs into the stock" : n + " rapids run into the stock";
      case kToolChangeInside:
        return "tool change with the tool inside the stock (X" + Num(g.first.start.x) + " Z" + Num(g.first.start.z) + ")";
      case kJaws: return one ? "move" + to + " runs into the chuck jaws" : n + " moves run into the chuck jaws";
      case kBack:
        return (one ? "feed" + to + " meets the stock with the back of the insert"
                    : n + " feed moves meet the stock with the back of the insert") +
               ": steeper than the insert allows";
      case kHolder:
        return one ? "feed" + to + " meets the stock with the holder" : n + " feed moves meet the stock with the holder";
      case kFaceShort: return "facing pass stops short: " + g.detail;
      case kBarAcross:
        return (one ? "move" + to + " reaches" : n + " moves reach") +
               " across the centre line: the bar meets the far side of the bore";
      case kUnknownTool:
        return "tool " + std::to_string(g.first.tool) + " is not in the tool library: it cuts as a round insert of " +
               g.detail + ", and its rapids and body are not checked against the stock";
      case kKinds: break;
    }
    return "";
  }
  std::vector<Finding>& out_;
  int line_ = 0;
  std::array<Group, kKinds> groups_{};
};

// The programmed point's path of a move as chords no farther than `tolerance` from an arc.
void Chords(const Move& m, double tolerance, std::vector<NosePoint>& out) {
  out.clear();
  const NosePoint a{m.start.z, m.start.x / 2}, b{m.end.z, m.end.x / 2};
  out.push_back(a);
  if (m.arc != ArcDirection::None && m.kind == MoveKind::Feed) {
    const NosePoint c{m.centre.z, m.centre.x / 2};
    const double radius = std::hypot(a.z - c.z, a.r - c.r);
    const double a0 = std::atan2(a.r - c.r, a.z - c.z), a1 = std::atan2(b.r - c.r, b.z - c.z);
    double sweep = a1 - a0;
    if (m.arc == ArcDirection::CounterClockwise) {
      while (sweep <= 1e-12) sweep += 2 * kPi;
    } else {
      while (sweep >= -1e-12) sweep -= 2 * kPi;
    }
    if (radius > tolerance) {
      const double step = 2 * std::acos(1 - tolerance / radius);
      const int n = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / step)), 1, 4096);
      for (int i = 1; i < n; ++i) {
        const double t = a0 + sweep * i / n;
        out.push_back({c.z + radius * std::cos(t), c.r + radius * std::sin(t)});
      }
    }
  }
  out.push_back(b);
}

}  // namespace

Simulation Simulate(const Toolpath& path, const ToolpathSettings& settings, const Stock& stock) {
  Simulation sim;
  sim.stock = stock;
  if (!stock.Known()) return sim;
  const bool metric = settings.metric;
  const double unit = metric ? kMmPerInch : 1;
  const Grid g = GridOf(metric);
  // Chords and outlines within this of their arcs.
  const double tolerance = 2e-5 * unit;
  const double touch = TouchArea(metric, g);
  const double lengthTol = LengthTolerance(metric);

  const double outerR = stock.outerDia / 2, boreR = std::max(0.0, stock.bore / 2);
  const double jawR = (stock.jawDia > 0 ? stock.jawDia : 1.25 * stock.outerDia) / 2;
  const double jawLength = stock.jawLength > 0 ? stock.jawLength : stock.outerDia / 3;
  const double backZ = stock.length > 0 ? stock.frontZ - stock.length : stock.chuckZ - jawLength;
  // Integer coordinates hold a lathe's sizes many times over, not any number at all.
  const double limit = 1000 * unit;
  for (double v : {stock.outerDia, stock.bore, stock.frontZ, stock.chuckZ, backZ, 2 * jawR, jawLength}) {
    if (!std::isfinite(v) || std::fabs(v) > limit) {
      sim.findings.push_back({0, 0, "stock not simulated: its sizes must lie within " + Num(limit)});
      return sim;
    }
  }
  // Strips of .25 in, fewer and longer on a long bar.
  const double strip = std::max(0.25 * unit, (stock.frontZ - backZ) / 256);
  Metal metal(g.Of(backZ), g.Of(stock.frontZ), g.Of(boreR), g.Of(outerR), g.Of(strip));
  const Poly jaws = BoxPoly(g.Of(stock.chuckZ - jawLength), g.Of(outerR), g.Of(stock.chuckZ), g.Of(jawR));
  Box jawBox;
  bg::envelope(jaws, jawBox);
  Multi current = metal.All();
  sim.blank = SectionOf(current, g);
  sim.jaws = SectionOf(Multi{jaws}, g);

  std::unordered_map<int, Shape> shapes;
  const auto shapeOf = [&](int number) -> const Shape& {
    auto it = shapes.find(number);
    if (it != shapes.end()) return it->second;
    std::optional<Tool> tool;
    if (settings.tools) {
      for (const Tool& t : settings.tools->tools) {
        if (t.number == number) {
          tool = t.InUnits(settings.tools->metric, metric);
          break;
        }
      }
    }
    return shapes.emplace(number, ShapeOf(tool ? &*tool : nullptr, metric, tolerance, g)).first->second;
  };

  // A stand-in tool is far smaller than the real one: it leaves webs the real one takes, and
  // its rapids and body meeting those would be false alarms. Only the jaws are certain.
  std::vector<int> unknownTools;
  Multi threadCut;  // what threads took, which the part shows still standing
  Findings findings(sim.findings);
  std::vector<NosePoint> chords;
  const auto overlapsJaws = [&](const Poly& sweep, const Box& box) {
    if (!bg::intersects(jawBox, box)) return false;
    Multi out;
    bg::intersection(jaws, sweep, out);
    return AreaOf(out) > touch;
  };
  for (std::size_t k = 0; k < path.operations.size(); ++k) {
    const OperationSummary& op = path.operations[k];
    StepResult step;
    step.operation = k;
    const Move* lastFeed = nullptr;
    bool changed = false;  // the metal: a step that took nothing leaves the part as it was
    for (std::size_t i = op.firstMove; i < op.endMove; ++i) {
      const Move& m = path.moves[i];
      if (m.kind == MoveKind::Dwell) continue;
      if (m.kind == MoveKind::ToolChange) {
        if (m.start.z < stock.frontZ - lengthTol && m.start.x / 2 < outerR - lengthTol)
          findings.Add(m.line, kToolChangeInside, m);
        continue;
      }
      const Shape& shape = shapeOf(m.tool);
      if (!shape.known && std::find(unknownTools.begin(), unknownTools.end(), m.tool) == unknownTools.end()) {
        unknownTools.push_back(m.tool);
        findings.Add(m.line, kUnknownTool, m, metric ? "0.2 mm" : ".008 in");
      }
      Chords(m, tolerance, chords);
      double removed = 0;
      bool rapidInto = false, jawsHit = false, backHit = false, holderHit = false, barAcross = false;
      for (std::size_t c = 1; c < chords.size(); ++c) {
        const P a = g.Of(chords[c - 1]), b = g.Of(chords[c]);
        // Most moves are in the air: their boxes meet neither metal nor jaws.
        const Box ib = SweptBox(shape.insertBox, a, b), hb = SweptBox(shape.holderBox, a, b);
        if (!shape.barMirrored.empty() && hb.min_corner().y() < 0) {
          const P ma{a.x(), -a.y()}, mb{b.x(), -b.y()};
          const Box mbox = SweptBox(shape.barMirroredBox, ma, mb);
          barAcross = barAcross || (metal.Near(mbox) && metal.Overlap(Sweep(shape.barMirrored, ma, mb), mbox) > touch);
        }
        const bool hasHolder = !shape.holder.empty();
        const bool insertNear = metal.Near(ib), holderNear = hasHolder && metal.Near(hb);
        const bool insertJaws = bg::intersects(jawBox, ib), holderJaws = hasHolder && bg::intersects(jawBox, hb);
        if (!insertNear && !holderNear && !insertJaws && !holderJaws) continue;
        const Poly insert = insertNear || insertJaws ? Sweep(shape.insert, a, b) : Poly{};
        const Poly holder = holderNear || holderJaws ? Sweep(shape.holder, a, b) : Poly{};
        jawsHit = jawsHit || (insertJaws && overlapsJaws(insert, ib)) || (holderJaws && overlapsJaws(holder, hb));
        if (!insertNear && !holderNear) continue;
        if (m.kind == MoveKind::Rapid) {
          rapidInto = rapidInto || (insertNear && metal.Overlap(insert, ib) > touch) ||
                      (holderNear && metal.Overlap(holder, hb) > touch);
          continue;
        }
        if (m.kind == MoveKind::Thread) {
          // A thread is a helix the half-section cannot hold: its passes clear their way for
          // the checks of the moves after them, but the part keeps its crest.
          Multi met = insertNear ? metal.Intersection(insert, ib) : Multi{}, crest;
          const double cut = AreaOf(met);
          if (cut > 0) {
            bg::union_(threadCut, met, crest);
            threadCut = std::move(crest);
            removed += metal.Remove(insert, ib);
          }
          if (holderNear) holderHit = holderHit || metal.Overlap(holder, hb) > touch;
          continue;
        }
        if (!insertNear) {
          holderHit = holderHit || metal.Overlap(holder, hb) > touch;
          continue;
        }
        if (!shape.back.empty()) {
          const Poly back = Sweep(shape.back, a, b);
          Box bb;
          bg::envelope(back, bb);
          // Where the cutting part passes on the same move it clears the way for the back.
          backHit = backHit || metal.OverlapBeyond(back, bb, Sweep(shape.cutting, a, b)) > touch;
        }
        removed += metal.Remove(insert, ib);
        if (!threadCut.empty()) {
          Box tb;
          bg::envelope(threadCut, tb);
          if (bg::intersects(tb, ib)) {
            Multi left;
            bg::difference(threadCut, insert, left);
            threadCut = std::move(left);
          }
        }
        if (holderNear) holderHit = holderHit || metal.Overlap(holder, hb) > touch;
      }
      if (rapidInto && shape.known) findings.Add(m.line, kRapidInto, m);
      if (jawsHit) findings.Add(m.line, kJaws, m);
      if (backHit && shape.known) findings.Add(m.line, kBack, m);
      if (holderHit && shape.known) findings.Add(m.line, kHolder, m);
      if (barAcross) findings.Add(m.line, kBarAcross, m);
      if (m.kind != MoveKind::Rapid) {
        changed = changed || removed > 0;
        if (removed <= touch) step.airSeconds += m.seconds;
        if (m.kind == MoveKind::Feed) lastFeed = &m;
      }
    }
    Multi after = changed ? metal.All() : current;
    if (changed && !threadCut.empty()) {
      Multi withCrest;
      bg::union_(after, threadCut, withCrest);
      after = std::move(withCrest);
    }
    // A facing pass is meant to leave nothing in front of it below where it ends: the last
    // feed of an operation, straight in along X, that stops short of the centre with metal
    // still standing in front of it between its end and the axis, all of it within the
    // tool's cutting reach of the pass (else it is a plunge into the bar, not a face).
    if (lastFeed && lastFeed->arc == ArcDirection::None && std::fabs(lastFeed->end.z - lastFeed->start.z) < 1e-9 &&
        lastFeed->end.x < lastFeed->start.x && lastFeed->end.x / 2 > lengthTol) {
      const Poly front = BoxPoly(g.Of(lastFeed->end.z + lengthTol), 0, g.Of(stock.frontZ + unit),
                                 g.Of(lastFeed->end.x / 2 - lengthTol));
      Multi left;
      bg::intersection(after, front, left);
      Box lb;
      if (!left.empty()) bg::envelope(left, lb);
      if (AreaOf(left) > touch && lb.max_corner().x() <= g.Of(lastFeed->end.z + shapeOf(lastFeed->tool).reach + lengthTol))
        findings.Add(lastFeed->line, kFaceShort, *lastFeed,
                     "material left in front of Z" + Num(lastFeed->end.z) + " below X" + Num(lastFeed->end.x));
    }
    Multi removedArea;
    if (changed) bg::difference(current, after, removedArea);
    step.removed = SectionOf(removedArea, g);
    step.area = (AreaOf(current) - AreaOf(after)) / (g.scale * g.scale);
    step.volume = Volume(step.removed);
    step.after = SectionOf(after, g);
    current = std::move(after);
    sim.steps.push_back(std::move(step));
  }
  findings.Flush();
  std::stable_sort(sim.findings.begin(), sim.findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  sim.profile = ProfileOf(SectionOf(current, g));
  return sim;
}

Profile ProfileOf(const Section& part) {
  Profile out;
  // The part is the piece standing farthest out from the chuck: what a part-off cuts free.
  const Area* front = nullptr;
  double frontZ = 0;
  for (const Area& a : part) {
    if (a.outer.size() < 3) continue;
    double z = a.outer.front().z;
    for (const NosePoint& p : a.outer) z = std::max(z, p.z);
    if (!front || z > frontZ) front = &a, frontZ = z;
  }
  if (!front) return out;
  const Ring& r = front->outer;
  const std::size_t n = r.size();
  double minZ = r[0].z, maxZ = r[0].z, minR = r[0].r;
  for (const NosePoint& p : r) minZ = std::min(minZ, p.z), maxZ = std::max(maxZ, p.z), minR = std::min(minR, p.r);
  const double eps = 1e-9 * std::max(1.0, std::fabs(maxZ));
  std::size_t top = n, bottom = n, backTop = n, backBottom = n;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::fabs(r[i].z - maxZ) <= eps) {
      if (top == n || r[i].r > r[top].r) top = i;
      if (bottom == n || r[i].r < r[bottom].r) bottom = i;
    }
    if (std::fabs(r[i].z - minZ) <= eps) {
      if (backTop == n || r[i].r > r[backTop].r) backTop = i;
      if (backBottom == n || r[i].r < r[backBottom].r) backBottom = i;
    }
  }
  // Counter-clockwise the ring runs along the top towards the chuck, so the outer outline
  // follows it from the front face's top and the inner one runs against it from its foot.
  for (std::size_t i = top;; i = (i + 1) % n) {
    out.outer.push_back({2 * r[i].r, r[i].z});
    if (i == backTop) break;
  }
  for (std::size_t i = bottom;; i = (i + n - 1) % n) {
    out.inner.push_back({2 * r[i].r, r[i].z});
    if (i == backBottom) break;
  }
  // A solid part's inner outline is the centre line: only the point where a hole ends stays.
  if (minR <= eps) {
    std::size_t keep = 0;
    while (keep < out.inner.size() && out.inner[keep].x > 2 * eps) ++keep;
    out.inner.resize(keep == out.inner.size() ? keep : keep + 1);
    if (out.inner.size() == 1) out.inner.clear();
  }
  return out;
}

}  // namespace tbx::toolpath

namespace tbx::toolpath {

Bounds MetalWithin(const Section& part, bool metric, NosePoint low, NosePoint high) {
  const Grid g = GridOf(metric);
  const double touch = TouchArea(metric, g);
  // Far beyond any bar, and within what the counts hold.
  const auto at = [&](double v) { return g.Of(std::clamp(v, -1e6, 1e6)); };
  Bounds out;
  for (const Area& a : part) {
    Poly p;
    for (const NosePoint& q : a.outer) bg::append(p.outer(), g.Of(q));
    p.inners().resize(a.holes.size());
    for (std::size_t i = 0; i < a.holes.size(); ++i)
      for (const NosePoint& q : a.holes[i]) bg::append(p.inners()[i], g.Of(q));
    bg::correct(p);
    Box pb;
    bg::envelope(p, pb);
    // The box need reach no farther than the area: a caller may ask for all beyond a size.
    const Coord z0 = std::max(at(low.z), pb.min_corner().x()), z1 = std::min(at(high.z), pb.max_corner().x());
    const Coord r0 = std::max(at(low.r), pb.min_corner().y()), r1 = std::min(at(high.r), pb.max_corner().y());
    if (z0 >= z1 || r0 >= r1) continue;
    Multi met;
    bg::intersection(p, BoxPoly(z0, r0, z1, r1), met);
    for (const Poly& piece : met) {
      if (static_cast<double>(bg::area(piece)) <= touch) continue;
      Box e;
      bg::envelope(piece, e);
      const NosePoint lo = g.Back(e.min_corner()), hi = g.Back(e.max_corner());
      if (out.empty) out = {false, lo.z, hi.z, lo.r, hi.r};
      out.minZ = std::min(out.minZ, lo.z), out.maxZ = std::max(out.maxZ, hi.z);
      out.minR = std::min(out.minR, lo.r), out.maxR = std::max(out.maxR, hi.r);
    }
  }
  return out;
}

const Section& FinalPart(const Simulation& sim) { return sim.steps.empty() ? sim.blank : sim.steps.back().after; }

std::string PartDxf(const Simulation& sim) {
  std::string out = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
  const auto line = [&](const char* layer, NosePoint a, NosePoint b, double sign) {
    out += "0\nLINE\n8\n";
    out += layer;
    out += "\n10\n" + PlainDecimal(a.z, 6) + "\n20\n" + PlainDecimal(sign * a.r, 6) + "\n30\n0\n11\n" +
           PlainDecimal(b.z, 6) + "\n21\n" + PlainDecimal(sign * b.r, 6) + "\n31\n0\n";
  };
  const auto ring = [&](const Ring& r) {
    for (std::size_t i = 0; i < r.size(); ++i) {
      line("PART", r[i], r[(i + 1) % r.size()], 1);
      line("MIRROR", r[i], r[(i + 1) % r.size()], -1);
    }
  };
  for (const Area& a : FinalPart(sim)) {
    ring(a.outer);
    for (const Ring& h : a.holes) ring(h);
  }
  return out + "0\nENDSEC\n0\nEOF\n";
}

std::string PartStl(const Simulation& sim, int facets) {
  const double pi = std::acos(-1.0);
  std::string out = "solid part\n";
  std::vector<double> c(facets + 1), s(facets + 1);
  for (int i = 0; i <= facets; ++i) c[i] = std::cos(2 * pi * (i % facets) / facets), s[i] = std::sin(2 * pi * (i % facets) / facets);
  struct V {
    double x, y, z;
  };
  const auto at = [&](NosePoint p, int i) { return p.r == 0 ? V{0, 0, p.z} : V{p.r * c[i], p.r * s[i], p.z}; };
  const auto tri = [&](V a, V b, V d) {
    const V u{b.x - a.x, b.y - a.y, b.z - a.z}, w{d.x - a.x, d.y - a.y, d.z - a.z};
    V n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
    const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len > 0) n = {n.x / len, n.y / len, n.z / len};
    out += "facet normal " + PlainDecimal(n.x, 6) + ' ' + PlainDecimal(n.y, 6) + ' ' + PlainDecimal(n.z, 6) +
           "\nouter loop\n";
    for (const V& v : {a, b, d})
      out += "vertex " + PlainDecimal(v.x, 6) + ' ' + PlainDecimal(v.y, 6) + ' ' + PlainDecimal(v.z, 6) + '\n';
    out += "endloop\nendfacet\n";
  };
  // Each edge of the half-section sweeps a band; an end on the centre line makes it a fan.
  const auto ring = [&](const Ring& r) {
    for (std::size_t k = 0; k < r.size(); ++k) {
      const NosePoint a = r[k], b = r[(k + 1) % r.size()];
      if (a.r == 0 && b.r == 0) continue;
      for (int i = 0; i < facets; ++i) {
        if (b.r != 0) tri(at(a, i), at(b, i), at(b, i + 1));
        if (a.r != 0) tri(at(a, i), at(b, i + 1), at(a, i + 1));
      }
    }
  };
  for (const Area& a : FinalPart(sim)) {
    ring(a.outer);
    for (const Ring& h : a.holes) ring(h);
  }
  return out + "endsolid part\n";
}

}  // namespace tbx::toolpath
