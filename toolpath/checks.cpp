#include "toolpath/checks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <unordered_map>

#include "program/numbers.h"
#include "toolpath/run_time.h"

namespace tbx::toolpath {

namespace {

constexpr double kEps = 1e-6;
constexpr double kMmPerInch = 25.4;
// Bounds that keep hostile programs cheap: the retract check looks at the latest cuts and the
// first rapids after the last cut.
constexpr std::size_t kCheckedCuts = 256;
constexpr std::size_t kCheckedRapids = 8;

std::string Num(double v) { return PlainDecimal(v, 4); }

// ---- one warning per block and kind -----------------------------------------------------

enum Hazard { kFeedZero, kFeedStopped, kLeadZero, kThreadStopped, kThreadFast, kPastCentre, kHazards };

struct Group {
  std::size_t count = 0;
  double worst = 0;
};

// Counts the hazards of one line's moves (they are consecutive) and writes each as one
// finding when the line ends.
class Groups {
 public:
  Groups(std::vector<Finding>& out, double zLimit) : out_(out), zLimit_(zLimit) {}

  void Add(int line, Hazard h, double value, bool lower) {
    if (line != line_) Flush();
    line_ = line;
    Group& g = groups_[h];
    g.worst = g.count == 0 ? value : lower ? std::min(g.worst, value) : std::max(g.worst, value);
    ++g.count;
  }

  void Flush() {
    for (int h = 0; h < kHazards; ++h) {
      Group& g = groups_[h];
      if (g.count == 0) continue;
      out_.push_back({line_, 0, Text(static_cast<Hazard>(h), g)});
      g = Group{};
    }
  }

 private:
  std::string Text(Hazard h, const Group& g) const {
    const bool one = g.count == 1;
    const std::string n = std::to_string(g.count);
    switch (h) {
      case kFeedZero: return one ? "feed move with F 0" : n + " feed moves with F 0";
      case kFeedStopped: return one ? "feed move with the spindle stopped" : n + " feed moves with the spindle stopped";
      case kLeadZero: return one ? "thread with a lead of 0" : n + " threading moves with a lead of 0";
      case kThreadStopped:
        return one ? "thread with the spindle stopped" : n + " threading moves with the spindle stopped";
      case kThreadFast:
        return (one ? "thread lead x rpm is " : n + " threading moves with lead x rpm up to ") + Num(g.worst) +
               " per minute, above the Z axis limit of " + Num(zLimit_);
      case kPastCentre:
        return one ? "move past the centre line (X" + Num(g.worst) + ")"
                   : n + " moves past the centre line, down to X" + Num(g.worst);
      case kHazards: break;
    }
    return "";
  }

  std::vector<Finding>& out_;
  double zLimit_;
  int line_ = 0;
  std::array<Group, kHazards> groups_{};
};

// The speed the spindle turns at: the control clamps at the machine's maximum.
double TurningRpm(const Move& m, const MachineSettings& machine, bool metric) {
  const double rpm = m.surfaceSpeed > 0 ? std::max(m.rpm, ConstantSurfaceRpm(m.surfaceSpeed, m.start.x, m.rpmLimit, metric))
                                        : m.rpm;
  return std::min(rpm, machine.maxRpm);
}

void CheckMove(const Move& m, const ToolpathSettings& s, double zLimit, Groups& groups) {
  const bool stopped = m.spindle == Spindle::Stopped || !(m.rpm > 0);
  if (m.kind == MoveKind::Feed) {
    if (!(m.feed > 0)) groups.Add(m.line, kFeedZero, 0, false);
    else if (!m.feedPerMinute && stopped) groups.Add(m.line, kFeedStopped, 0, false);
  } else if (m.kind == MoveKind::Thread) {
    if (!(m.feed > 0)) {
      groups.Add(m.line, kLeadZero, 0, false);
    } else if (stopped) {
      groups.Add(m.line, kThreadStopped, 0, false);
    } else {
      const double speed = m.feed * TurningRpm(m, s.machine, s.metric);
      if (speed > zLimit + kEps) groups.Add(m.line, kThreadFast, speed, false);
    }
  }
  if (m.end.x < -kEps || m.start.x < -kEps) groups.Add(m.line, kPastCentre, std::min(m.end.x, m.start.x), true);
}

// ---- rapids through the material an operation left --------------------------------------

// A cut the rapid check compares later rapids with: the material lies on `side` of it.
struct Cut {
  Point a, b;
  int side;  // +1 material at smaller diameters (outside work), -1 at larger (bores), 0 unknown
  std::size_t move;
  int approach;  // the side the last rapid in X before the cut came in from: +1 from larger X
};

int Sign(double v) { return v > kEps ? 1 : v < -kEps ? -1 : 0; }

class RetractCheck {
 public:
  explicit RetractCheck(const MoveList& moves) : moves_(moves) {}

  // Rapids after an operation's last cut run toward the tool change: none may pass through the
  // material left by the operation's cuts. The first such rapid is the fault; the ones after
  // only follow it.
  void Check(const OperationSummary& op, std::vector<Finding>& out) {
    // Bounded work on huge operations: the cuts nearest the retract decide.
    std::vector<Cut> latest;
    int approach = 0;
    std::size_t lastCut = op.firstMove;
    for (std::size_t i = op.firstMove; i < op.endMove; ++i) {
      const Move& m = moves_[i];
      if (m.kind == MoveKind::Rapid && std::fabs(m.end.x - m.start.x) > kEps) approach = m.start.x > m.end.x ? 1 : -1;
      if (m.kind != MoveKind::Feed && m.kind != MoveKind::Thread) continue;
      if (latest.size() == 2 * kCheckedCuts) latest.erase(latest.begin(), latest.begin() + kCheckedCuts);
      latest.push_back({m.start, m.end, 0, i, approach});
      lastCut = i + 1;
    }
    if (latest.empty()) return;
    const std::size_t from = latest.size() > kCheckedCuts ? latest.size() - kCheckedCuts : 0;
    // Rough threading passes with a tool angle (a G76's, the Thread tab's G32 passes) stand
    // back from the thread's start by the flank infeed, in front of the face: the work begins
    // where the full-depth pass starts, the start nearest the work of the passes of one length.
    std::unordered_map<long long, double> threadStart;
    const auto strokeKey = [](const Cut& c) {
      const double length = c.b.z - c.a.z;  // signed: direction and length together
      return std::llround(length * 1e4);
    };
    for (std::size_t i = from; i < latest.size(); ++i) {
      const Cut& c = latest[i];
      if (moves_[c.move].kind != MoveKind::Thread || std::fabs(c.b.z - c.a.z) < kEps) continue;
      const double dir = c.b.z > c.a.z ? 1 : -1;
      const auto [it, added] = threadStart.try_emplace(strokeKey(c), c.a.z);
      if (!added && dir * (c.a.z - it->second) > 0) it->second = c.a.z;
    }
    std::vector<Cut> cuts;
    for (std::size_t i = from; i < latest.size(); ++i) {
      Cut c = latest[i];
      c.side = MaterialSide(c, op.endMove);
      if (c.side == 0) continue;
      // A plunge stands against the material at its deepest point.
      if (std::fabs(c.b.z - c.a.z) < kEps) c.a.x = c.b.x;
      if (const auto it = threadStart.find(strokeKey(c));
          it != threadStart.end() && moves_[c.move].kind == MoveKind::Thread && std::fabs(c.b.z - c.a.z) >= kEps) {
        const double dir = c.b.z > c.a.z ? 1 : -1;
        if (dir * (it->second - c.a.z) > 0 && dir * (c.b.z - it->second) > 0) {
          c.a.x += (c.b.x - c.a.x) * (it->second - c.a.z) / (c.b.z - c.a.z);
          c.a.z = it->second;
        }
      }
      cuts.push_back(c);
    }
    std::size_t rapids = 0;
    NearCuts near;
    for (std::size_t i = lastCut; i < op.endMove && rapids < kCheckedRapids; ++i) {
      const Move& r = moves_[i];
      if (r.kind != MoveKind::Rapid) continue;
      ++rapids;
      if (const Cut* c = ThroughMaterial(r, cuts, near)) {
        out.push_back({r.line, 0,
                       "rapid to X" + Num(r.end.x) + " Z" + Num(r.end.z) + " runs through the part (cut to X" +
                           Num(c->b.x) + " at Z" + Num(c->b.z) + ")"});
        return;
      }
    }
  }

 private:
  // Which side of a cut the material is on. A cut clearly steeper than 45 degrees is a plunge
  // and feeds toward its material, unless it climbs straight on from a cut along Z: then it is
  // the shoulder or floor of a profile (the finish pass out along a shoulder, down the bottom
  // of a bore), whose material lies beside it in Z, not beyond it in X. A cut along Z (45
  // degrees included: a chamfer's side is no more its direction than its retract's) has it on
  // the far side from the first rapid in X after it, else from the side the last rapid in X
  // came in from (not from where that rapid started: a finish pass often comes in from below
  // its diameter, where the chamfer's roughing left the tool).
  int MaterialSide(const Cut& c, std::size_t end) const {
    // 45 degree moves written to four places come out a little either side of 45 degrees.
    constexpr double kBeyond45 = 1.2;
    const auto steep = [](Point a, Point b) { return std::fabs(b.x - a.x) / 2 > kBeyond45 * std::fabs(b.z - a.z); };
    const auto alongZ = [](Point a, Point b) { return kBeyond45 * std::fabs(b.x - a.x) / 2 < std::fabs(b.z - a.z); };
    if (steep(c.a, c.b)) {
      // Back along the feeds that lead to it without a rapid between: a corner radius or
      // chamfer of a contour may stand between the cut along Z and the shoulder.
      bool continuesProfile = false;
      std::size_t at = c.move;
      for (int k = 0; k < 16 && !continuesProfile; ++k) {
        const Move* before = PreviousMotion(at);
        if (!before || (before->kind != MoveKind::Feed && before->kind != MoveKind::Thread)) break;
        continuesProfile = alongZ(before->start, before->end);
        at = static_cast<std::size_t>(before - moves_.data());
      }
      return continuesProfile ? 0 : Sign(c.a.x - c.b.x);
    }
    // The cuts that follow it in one stroke share its side; the retract that ends them tells.
    for (std::size_t i = c.move + 1; i < end && i < c.move + 64; ++i) {
      const Move& m = moves_[i];
      if (m.kind != MoveKind::Rapid) continue;
      const int away = Sign(m.end.x - m.start.x);
      if (away != 0) return away;
      break;
    }
    return c.approach;
  }

  // The move that brought the tool to where move `index` starts (dwells stand still).
  const Move* PreviousMotion(std::size_t index) const {
    for (std::size_t i = index; i-- > 0;) {
      const Move& m = moves_[i];
      if (m.kind == MoveKind::Dwell) continue;
      return m.kind == MoveKind::ToolChange ? nullptr : &m;
    }
    return nullptr;
  }

  // The Z span a cut stands against. The Z where a cut along Z began is left out: that is
  // where the tool met the work, not inside it.
  static std::pair<double, double> ZSpan(const Cut& c) {
    if (std::fabs(c.b.z - c.a.z) < kEps) return {c.a.z - kEps, c.a.z + kEps};
    const double dir = c.b.z > c.a.z ? 1 : -1;
    const double from = c.a.z + dir * 2 * kEps, to = c.b.z + dir * kEps;
    return {std::min(from, to), std::max(from, to)};
  }

  // A cut with the Z span it stands against.
  struct SpannedCut {
    const Cut* cut;
    double zlo, zhi;
  };

  // The first cut whose remaining material the rapid enters: material stands beyond every cut
  // of the same side at that Z (the deepest cut there is the surface left). Only cuts whose
  // span meets the Z the rapid passes can stand against it; `near` is room for them, a list for
  // each side of the material.
  using NearCuts = std::array<std::vector<SpannedCut>, 2>;
  static const Cut* ThroughMaterial(const Move& r, const std::vector<Cut>& cuts, NearCuts& near) {
    const double dz = r.end.z - r.start.z, dx = r.end.x - r.start.x;
    const double zmin = std::min(r.start.z, r.end.z), zmax = std::max(r.start.z, r.end.z);
    near[0].clear();
    near[1].clear();
    for (const Cut& c : cuts) {
      const auto [lo, hi] = ZSpan(c);
      if (hi >= zmin && lo <= zmax) near[c.side > 0 ? 0 : 1].push_back({&c, lo, hi});
    }
    std::vector<double> ts{0, 1};
    if (std::fabs(dz) >= kEps) {
      for (const std::vector<SpannedCut>& sideCuts : near) {
        for (const SpannedCut& n : sideCuts) {
          for (double z : {n.zlo, n.zhi}) {
            const double t = (z - r.start.z) / dz;
            if (t > 0 && t < 1) ts.push_back(t);
          }
        }
      }
      std::sort(ts.begin(), ts.end());
    }
    constexpr double kTolerance = 1e-4;
    for (std::size_t k = 1; k < ts.size(); ++k) {
      const double mid = r.start.z + dz * (ts[k - 1] + ts[k]) / 2;
      for (int side : {1, -1}) {
        double lo = ts[k - 1], hi = ts[k];
        const Cut* covering = nullptr;
        for (const SpannedCut& n : near[side > 0 ? 0 : 1]) {
          const Cut& c = *n.cut;
          if (mid < n.zlo || mid > n.zhi) continue;
          covering = &c;
          // g(t) = side (cutX(z(t)) - x(t)) - tolerance must stay above 0.
          const double span = c.b.z - c.a.z;
          const double slope = std::fabs(span) < kEps ? 0 : (c.b.x - c.a.x) / span;
          const double base = std::fabs(span) < kEps ? c.b.x : c.a.x + slope * (r.start.z - c.a.z);
          const double g0 = side * (base - r.start.x) - kTolerance;
          const double g1 = side * (slope * dz - dx);
          if (std::fabs(g1) < 1e-12) {
            if (g0 <= 0) hi = lo - 1;
          } else if (g1 > 0) {
            lo = std::max(lo, -g0 / g1);
          } else {
            hi = std::min(hi, -g0 / g1);
          }
          if (lo > hi) break;
        }
        if (covering && lo <= hi) return covering;
      }
    }
    return nullptr;
  }

  const MoveList& moves_;
};

}  // namespace

std::vector<Finding> CheckMoves(const Toolpath& path, const ToolpathSettings& settings) {
  std::vector<Finding> out;
  const double zLimit = settings.metric ? settings.machine.maxZFeedMmPerMin
                                        : settings.machine.maxZFeedMmPerMin / kMmPerInch;
  Groups groups(out, zLimit);
  for (const Move& m : path.moves) CheckMove(m, settings, zLimit, groups);
  groups.Flush();
  // A known stock is simulated exactly (toolpath/simulation.h) in place of the inferred check.
  if (!settings.stock.Known()) {
    RetractCheck retract(path.moves);
    for (const OperationSummary& op : path.operations) retract.Check(op, out);
  }
  std::stable_sort(out.begin(), out.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return out;
}

}  // namespace tbx::toolpath
