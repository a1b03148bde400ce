#include "data/roughing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace tbx {

namespace {

// Points closer than this (program units) are one; small against the least increment of
// either unit system, large against the rounding of the arithmetic.
constexpr double kEps = 1e-7;
constexpr double kQuarter = std::numbers::pi / 2;

// A point in the frame of the cut: s grows along the direction the passes go, h away from the
// part toward the start point, so passes step down in h and cut toward +s.
struct V {
  double s = 0, h = 0;
};

struct Frame {
  bool face = false;
  double ss = 1, sh = 1;
  V To(NosePoint p) const { return face ? V{ss * p.r, sh * p.z} : V{ss * p.z, sh * p.r}; }
  NosePoint From(V v) const { return face ? NosePoint{sh * v.h, ss * v.s} : NosePoint{ss * v.s, sh * v.h}; }
  // A reflection of the plane turns clockwise into counter-clockwise.
  bool Mirrors() const { return face ? ss * sh > 0 : ss * sh < 0; }
};

// A part of the moved contour that is monotonic in both s and h (arcs are split at their
// quarter points), so it crosses a level at most once.
struct Piece {
  V a, b;
  bool arc = false;
  V c;
  double rho = 0, th0 = 0, th1 = 0;  // angles of a and b about c, th1 - th0 the signed sweep
  std::size_t seg = kNoContourSegment;

  V At(double u) const {
    if (u <= 0) return a;
    if (u >= 1) return b;
    if (!arc) return {a.s + u * (b.s - a.s), a.h + u * (b.h - a.h)};
    const double th = th0 + u * (th1 - th0);
    return {c.s + rho * std::cos(th), c.h + rho * std::sin(th)};
  }
  Piece Part(double u0, double u1) const {
    Piece p = *this;
    p.a = At(u0);
    p.b = At(u1);
    p.th0 = th0 + u0 * (th1 - th0);
    p.th1 = th0 + u1 * (th1 - th0);
    return p;
  }
  // Where the piece reaches `value` in h (byH) or in s, as a parameter in [0, 1]; the piece
  // must reach it.
  double Cross(double value, bool byH) const {
    const double from = byH ? a.h : a.s, to = byH ? b.h : b.s;
    if (!arc) return std::clamp((value - from) / (to - from), 0.0, 1.0);
    // Within one quarter the angle follows from one inverse function.
    const double mid = (th0 + th1) / 2;
    const double turns = std::floor(mid / (4 * kQuarter));
    const int quarter = std::clamp(static_cast<int>((mid - turns * 4 * kQuarter) / kQuarter), 0, 3);
    const double v = std::clamp((value - (byH ? c.h : c.s)) / rho, -1.0, 1.0);
    double th = 0;
    if (byH) {
      const double phi = std::asin(v);
      th = quarter == 0 ? phi : quarter == 3 ? 4 * kQuarter + phi : 2 * kQuarter - phi;
    } else {
      const double phi = std::acos(v);
      th = quarter <= 1 ? phi : 4 * kQuarter - phi;
    }
    th += turns * 4 * kQuarter;
    return std::clamp((th - th0) / (th1 - th0), 0.0, 1.0);
  }
};

double Degrees(double radians) { return radians * 180 / std::numbers::pi; }

// The descent below the direction of cut at each end of a piece, the steeper of the two.
double Descent(const Piece& p) {
  if (!p.arc) return Degrees(std::atan2(p.a.h - p.b.h, p.b.s - p.a.s));
  const double dir = p.th1 > p.th0 ? 1 : -1;
  double most = 0;
  for (double th : {p.th0, p.th1}) {
    const double ts = -dir * std::sin(th), th2 = dir * std::cos(th);  // the tangent
    most = std::max(most, Degrees(std::atan2(-th2, ts)));
  }
  return most;
}

std::string Tenths(double v) {
  const long t = std::lround(v * 10);
  return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

RoughingPlan Refuse(RoughingFault fault, std::string text, std::size_t segment = kNoContourSegment, double angle = 0) {
  RoughingPlan plan;
  plan.refusal = RoughingRefusal{fault, segment, angle, std::move(text)};
  return plan;
}

// The passes of a checked cycle, in the frame of the cut.
class Planner {
 public:
  Planner(const RoughingCycle& cycle, const Frame& frame, std::vector<Piece> pieces, V start)
      : cycle_(cycle), frame_(frame), q_(std::move(pieces)), start_(start), tool_(start) {
    prefixMax_.reserve(q_.size());
    double most = -std::numeric_limits<double>::infinity();
    for (const Piece& p : q_) prefixMax_.push_back(most = std::max({most, p.a.h, p.b.h}));
    r_ = cycle.retract;
    top_ = start.h;
  }

  // False when the moves would be more than the cycle allows.
  bool Run(int passes, double lowest) {
    moves_.reserve(std::min<std::size_t>(static_cast<std::size_t>(passes) * 8, cycle_.maxMoves));
    for (int k = 1; k <= passes; ++k) {
      pass_ = k;
      const double level = k == passes ? lowest : start_.h - k * cycle_.depthOfCut;
      const double before = k == 1 ? start_.h : start_.h - (k - 1) * cycle_.depthOfCut;
      if (!Level(level, before)) return false;
    }
    Travel(start_, carry_, RoughingRole::Position);
    return moves_.size() <= cycle_.maxMoves;
  }

  std::vector<RoughingMove> Take() { return std::move(moves_); }

 private:
  bool Level(double level, double before) {
    in_ = false;
    outMax_ = -std::numeric_limits<double>::infinity();
    firstStretch_ = true;
    for (std::size_t i = 0; i < q_.size(); ++i) {
      const Piece& p = q_[i];
      double us[4] = {0, 0, 0, 1};
      int n = 1;
      for (double value : {before, level}) {
        const double lo = std::min(p.a.h, p.b.h), hi = std::max(p.a.h, p.b.h);
        if (value > lo + kEps && value < hi - kEps) us[n++] = p.Cross(value, true);
      }
      if (n == 3 && us[2] < us[1]) std::swap(us[1], us[2]);
      us[n] = 1;
      for (int j = 0; j < n; ++j) {
        if (us[j + 1] - us[j] <= 0) continue;
        const Piece part = p.Part(us[j], us[j + 1]);
        const double lo = std::min(part.a.h, part.b.h), hi = std::max(part.a.h, part.b.h);
        if (lo >= before - kEps) {
          if (in_) EndStretch(before, i);
          outMax_ = std::max(outMax_, hi);
          continue;
        }
        if (!in_) StartStretch(part.a, level, i == 0 && us[j] == 0);
        if (hi <= level + kEps) {
          CutTo({part.b.s, level});
        } else {
          Follow(part, part.b.h < part.a.h - kEps ? RoughingRole::Plunge : RoughingRole::Follow);
        }
        if (moves_.size() > cycle_.maxMoves) return false;
      }
    }
    if (in_) {
      // Past its end the contour is a wall straight out: up it to the level before.
      if (tool_.h < before - kEps) Add({tool_.s, before}, RoughingRole::Follow, false);
      EndStretch(before, q_.size() - 1);
    }
    return moves_.size() <= cycle_.maxMoves;
  }

  void StartStretch(V from, double level, bool open) {
    const V target{from.s, std::max(level, from.h)};
    // What lies between the tool and the stretch: this level's contour since the last
    // stretch, and on the first stretch of a level, the contour up to where the last ended.
    const double between = firstStretch_ ? std::max(carry_, outMax_) : outMax_;
    if (open) {
      // The entry, at the start point's place: straight in from where the tool stands.
      Travel({target.s, std::max(tool_.h, from.h)}, between, RoughingRole::Position);
      Add(target, RoughingRole::Entry, cycle_.entryAtRapid);
    } else {
      Travel({target.s, target.h + r_}, between, RoughingRole::Position);
      Add(target, RoughingRole::Plunge, false);
    }
    in_ = true;
    firstStretch_ = false;
    stretchFrom_ = target.s;
  }

  void EndStretch(double before, std::size_t piece) {
    in_ = false;
    if (r_ > 0) Add({std::max(stretchFrom_, tool_.s - r_), before + r_}, RoughingRole::Retract, true);
    outMax_ = before;
    // The piece it ended on lies below `before` up to where it ended.
    carry_ = std::max(piece > 0 ? prefixMax_[piece - 1] : before, before);
  }

  // Rapid to `to` through what is cut: out to clear the contour between by the retract (but
  // never past the start point's depth, above which nothing is stock), across, and in.
  void Travel(V to, double between, RoughingRole role) {
    double h = std::max(tool_.h, to.h);
    if (between + r_ > h) h = std::min(between + r_, std::max({top_, tool_.h, to.h}));
    if (h > tool_.h + kEps) Add({tool_.s, h}, role, true);
    if (std::fabs(to.s - tool_.s) > kEps) Add({to.s, h}, role, true);
    Add(to, role, true);
  }

  void CutTo(V to) {
    if (!moves_.empty()) {
      RoughingMove& last = moves_.back();
      if (last.role == RoughingRole::Cut && last.pass == pass_) {
        last.path.end = frame_.From(to);
        tool_ = to;
        return;
      }
    }
    Add(to, RoughingRole::Cut, false);
  }

  void Follow(const Piece& part, RoughingRole role) {
    if (!part.arc) {
      Add(part.b, role, false, part.seg);
      return;
    }
    if (std::hypot(part.b.s - tool_.s, part.b.h - tool_.h) <= kEps) return;
    RoughingMove m;
    m.path.end = frame_.From(part.b);
    m.path.arc = true;
    m.path.clockwise = (part.th1 < part.th0) != frame_.Mirrors();
    m.path.centre = frame_.From(part.c);
    m.path.source = part.seg;
    m.role = role;
    m.pass = pass_;
    moves_.push_back(m);
    tool_ = part.b;
  }

  void Add(V to, RoughingRole role, bool rapid, std::size_t seg = kNoContourSegment) {
    if (std::hypot(to.s - tool_.s, to.h - tool_.h) <= kEps) return;
    RoughingMove m;
    m.path.end = frame_.From(to);
    m.path.source = seg;
    m.role = role;
    m.rapid = rapid;
    m.pass = pass_;
    moves_.push_back(m);
    tool_ = to;
  }

  const RoughingCycle& cycle_;
  Frame frame_;
  std::vector<Piece> q_;
  std::vector<double> prefixMax_;
  V start_, tool_;
  double r_ = 0, top_ = 0;
  int pass_ = 0;
  bool in_ = false, firstStretch_ = true;
  double outMax_ = 0, stretchFrom_ = 0;
  double carry_ = -std::numeric_limits<double>::infinity();
  std::vector<RoughingMove> moves_;
};

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

RoughingPlan PlanRoughing(const RoughingCycle& cycle) {
  const bool face = cycle.axis == RoughingAxis::Face;
  const char* along = face ? "X" : "Z";
  if (!Finite(cycle.depthOfCut) || cycle.depthOfCut <= 0)
    return Refuse(RoughingFault::BadValue, "the depth of cut must be more than 0");
  if (!Finite(cycle.retract) || cycle.retract < 0) return Refuse(RoughingFault::BadValue, "the retract cannot be negative");
  if (!Finite(cycle.allowanceX) || !Finite(cycle.allowanceZ) || !Finite(cycle.start.z) || !Finite(cycle.start.r))
    return Refuse(RoughingFault::BadValue, "a value of the cycle is not a number");
  const std::vector<NoseSegment>& segs = cycle.contour.segments;
  if (segs.empty()) return Refuse(RoughingFault::NoContour, "the contour has no segments");

  const NosePoint first = cycle.contour.start, last = segs.back().end;
  const double depthGap = face ? cycle.start.z - first.z : cycle.start.r - first.r;
  const double alongGap = face ? last.r - cycle.start.r : last.z - cycle.start.z;
  if (std::fabs(depthGap) <= kEps) {
    return Refuse(RoughingFault::NoSide, std::string("the contour's first point is at the start point's ") +
                                             (face ? "Z" : "diameter") + ": no side to cut from");
  }
  if (std::fabs(alongGap) <= kEps) {
    return Refuse(RoughingFault::WrongEnd, std::string("the contour ends at the start point's ") + (face ? "diameter" : "Z") +
                                               ": it must end beyond it along " + along);
  }
  Frame frame{face, alongGap > 0 ? 1.0 : -1.0, depthGap > 0 ? 1.0 : -1.0};
  const V shift = frame.To({cycle.allowanceZ, cycle.allowanceX / 2});
  auto moved = [&](NosePoint p) {
    const V v = frame.To(p);
    return V{v.s + shift.s, v.h + shift.h};
  };

  // The moved contour as pieces, checked as they are made.
  std::vector<Piece> pieces;
  pieces.reserve(segs.size() * 2 + 1);
  NosePoint from = first;
  for (std::size_t i = 0; i < segs.size(); ++i) {
    const NoseSegment& seg = segs[i];
    Piece base;
    base.a = moved(from);
    base.b = moved(seg.end);
    base.seg = i;
    if (!Finite(seg.end.z) || !Finite(seg.end.r) || (seg.arc && (!Finite(seg.centre.z) || !Finite(seg.centre.r))))
      return Refuse(RoughingFault::BadValue, "a point of the contour is not a number", i);
    std::vector<Piece> parts;
    if (seg.arc) {
      base.arc = true;
      base.c = moved(seg.centre);
      base.rho = std::hypot(base.a.s - base.c.s, base.a.h - base.c.h);
      const bool ccw = seg.clockwise == frame.Mirrors();
      base.th0 = std::atan2(base.a.h - base.c.h, base.a.s - base.c.s);
      double th1 = std::atan2(base.b.h - base.c.h, base.b.s - base.c.s);
      const bool whole = std::hypot(base.b.s - base.a.s, base.b.h - base.a.h) <= kEps;
      if (whole) {
        th1 = base.th0 + (ccw ? 4 : -4) * kQuarter;
      } else if (ccw) {
        while (th1 <= base.th0) th1 += 4 * kQuarter;
      } else {
        while (th1 >= base.th0) th1 -= 4 * kQuarter;
      }
      base.th1 = th1;
      if (base.rho <= kEps) return Refuse(RoughingFault::BadValue, "an arc of the contour has no radius", i);
      // Split at every quarter point strictly inside the sweep.
      std::vector<double> cuts{0};
      const double lo = std::min(base.th0, th1), hi = std::max(base.th0, th1);
      for (double q = std::ceil(lo / kQuarter) * kQuarter; q < hi; q += kQuarter) {
        if (q > lo + 1e-12 && q < hi - 1e-12) cuts.push_back((q - base.th0) / (th1 - base.th0));
      }
      cuts.push_back(1);
      std::sort(cuts.begin(), cuts.end());
      for (std::size_t j = 0; j + 1 < cuts.size(); ++j) parts.push_back(base.Part(cuts[j], cuts[j + 1]));
      parts.back().b = base.b;
    } else {
      parts.push_back(base);
    }
    for (const Piece& p : parts) {
      if (p.b.s < p.a.s - kEps)
        return Refuse(RoughingFault::TurnsBack, std::string("the contour turns back along ") + along, i);
      if (p.b.h < p.a.h - kEps) {
        if (!cycle.pockets)
          return Refuse(RoughingFault::NotMonotonic, "the contour goes deeper again (a pocket needs type II)", i);
        const double descent = Descent(p);
        if (descent > cycle.maxDescent + 1e-6) {
          return Refuse(RoughingFault::TooSteep, "the contour falls at " + Tenths(descent) +
                                                     " degrees below the cut, steeper than the tool can follow (" +
                                                     Tenths(cycle.maxDescent) + ")", i, descent);
        }
      }
      pieces.push_back(p);
    }
    from = seg.end;
  }

  // Only what lies beyond the start point along the cut is roughed: before the contour's
  // first point it is level with it, behind the start point it is left to the finish pass.
  const V start = frame.To(cycle.start);
  std::vector<Piece> q;
  q.reserve(pieces.size() + 1);
  if (pieces.front().a.s > start.s + kEps) {
    Piece lead;
    lead.a = {start.s, pieces.front().a.h};
    lead.b = pieces.front().a;
    q.push_back(lead);
  }
  for (const Piece& p : pieces) {
    if (p.b.s <= start.s + kEps) continue;
    q.push_back(p.a.s < start.s ? p.Part(p.Cross(start.s, false), 1) : p);
  }
  if (q.empty()) {
    return Refuse(RoughingFault::WrongEnd, std::string("the contour with its allowance ends behind the start point along ") + along);
  }
  double lowest = std::numeric_limits<double>::infinity();
  for (const Piece& p : q) lowest = std::min({lowest, p.a.h, p.b.h});

  RoughingPlan plan;
  plan.inside = face ? frame.ss > 0 : frame.sh < 0;
  const double span = (start.h - lowest) / cycle.depthOfCut;
  if (span <= 1e-9) return plan;  // nothing lies below the start point's depth
  if (!(span - 1e-6 < cycle.maxPasses)) {
    return Refuse(RoughingFault::TooManyPasses, "the cycle needs more than " + std::to_string(cycle.maxPasses) + " passes");
  }
  const int passes = std::max(1, static_cast<int>(std::ceil(span - 1e-6)));
  // Every pass walks the whole contour: a long contour bounds the passes further.
  constexpr double kMaxWork = 2e7;
  if (static_cast<double>(passes) * static_cast<double>(q.size()) > kMaxWork) {
    return Refuse(RoughingFault::TooManyPasses, "the cycle needs " + std::to_string(passes) + " passes over " +
                                                    std::to_string(q.size()) + " pieces of contour, too many to plan");
  }
  Planner planner(cycle, frame, std::move(q), start);
  if (!planner.Run(passes, lowest)) {
    return Refuse(RoughingFault::TooManyMoves, "the cycle makes more than " + std::to_string(cycle.maxMoves) + " moves");
  }
  plan.moves = planner.Take();
  plan.passes = passes;
  return plan;
}

}  // namespace tbx
