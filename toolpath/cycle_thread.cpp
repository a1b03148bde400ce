// G76 in both forms, pass by pass. (G32 and G33 are single threading moves, made where the
// motion words are.)
#include <algorithm>
#include <cmath>
#include <string>

#include "program/numbers.h"
#include "toolpath/expander.h"
#include "toolpath/interpreter.h"

namespace tbx::toolpath {

namespace {
constexpr double kEps = 1e-6;
constexpr double kDegrees = 3.14159265358979323846 / 180;
std::string Num(double v) { return PlainDecimal(v, 4); }
}  // namespace

void Interpreter::Cycle76(BlockWords& w, int line) {
  const bool hasEnd = w.Has('X') || w.Has('Z') || w.Has('U') || w.Has('W');
  if (!hasEnd) {
    // First block of the two-block form: P m r a, Q minimum cut, R finishing allowance.
    otRead_ = true;
    if (const Word* p = w.Take('P')) {
      if (p->hasPoint || !(p->value >= 0 && p->value <= 999999) || p->value != std::floor(p->value)) {
        Warn(line, "G76 P" + Num(p->value) + " is not a six-digit m r a field", p->column);
      } else {
        const int field = static_cast<int>(p->value);
        otPasses_ = field / 10000;
        otChamfer_ = field / 100 % 100;
        otAngle_ = field % 100;
      }
    }
    if (const Word* q = w.Take('Q')) otMinCut_ = Depth(*q);
    if (const Word* r = w.Take('R')) otFinish_ = Depth(*r);
    return;
  }
  const std::optional<Point> end = Target(w);
  ThreadCycle c;
  c.start = pos_;
  c.end = *end;
  c.lead = feed_;
  const MachineSettings& m = settings_.machine;
  const Word* k = w.Take('K');
  const bool oneBlock = k || w.Has('D');
  if (oneBlock) {
    // One-block form: K height, D first cut, I taper, A tool angle; the rest from settings.
    const Word* d = w.Take('D');
    const Word* i = w.Take('I');
    const Word* a = w.Take('A');
    c.height = k ? k->value : 0;
    c.firstCut = d ? Depth(*d) : 0;
    c.taper = i ? i->value : 0;
    c.angle = a ? a->value : 0;
  } else {
    const Word* p = w.Take('P');
    const Word* q = w.Take('Q');
    const Word* r = w.Take('R');
    c.height = p ? Depth(*p) : 0;
    c.firstCut = q ? Depth(*q) : 0;
    c.taper = r ? r->value : 0;
  }
  if (!oneBlock && otRead_) {
    c.minCut = otMinCut_;
    c.finish = otFinish_;
    c.finishPasses = otPasses_;
    c.angle = otAngle_;
    c.chamfer = otChamfer_ / 10.0 * c.lead;
  } else {
    // The one-block form, or a second block with no first: the control's parameters stand in.
    if (!oneBlock && !otDefaultsWarned_) {
      Warn(line, "G76 without its first block (P m r a Q R): minimum cut, finishing allowance, finishing passes and "
                 "chamfer from the settings");
      otDefaultsWarned_ = true;
    }
    c.minCut = metric_ ? m.g76MinCutMm : m.g76MinCutInch;
    c.finish = metric_ ? m.g76FinishMm : m.g76FinishInch;
    c.finishPasses = m.g76FinishPasses;
    c.chamfer = m.g76ChamferLeads * c.lead;
  }
  ExpandThreadCycle(c, line);
}

// Depths of the passes (radius, from the crest): first cut × √n, at least the minimum cut
// deeper than the pass before, up to height − allowance; then the finishing passes at the
// full height.
std::vector<double> Interpreter::PassDepths(const ThreadCycle& c, int line) {
  std::vector<double> depths;
  const double rough = c.height - c.finish;
  if (rough > kEps) {
    double bound = (rough / c.firstCut) * (rough / c.firstCut) + 1;
    if (c.minCut > 0) bound = std::min(bound, rough / c.minCut + 1);
    if (!(bound <= kMaxCyclePasses)) {
      Warn(line, "G76 would need more than " + std::to_string(kMaxCyclePasses) + " passes");
      return {};
    }
    double depth = std::min(c.firstCut, rough);
    depths.push_back(depth);
    for (int n = 2; depth < rough - kEps; ++n) {
      double next = c.firstCut * std::sqrt(static_cast<double>(n));
      if (next - depth < c.minCut) next = depth + c.minCut;
      depth = std::min(next, rough);
      depths.push_back(depth);
    }
  }
  for (int i = 0; i < std::max(1, c.finishPasses); ++i) depths.push_back(c.height);
  return depths;
}

void Interpreter::ExpandThreadCycle(const ThreadCycle& c, int line) {
  if (!(c.height > 0) || !(c.firstCut > 0)) {
    Warn(line, "G76 can never finish: thread height and first cut must be greater than 0");
    return;
  }
  if (!(c.lead > 0)) {
    Warn(line, "G76 without a lead F greater than 0");
    return;
  }
  if (!(c.angle >= 0 && c.angle < 180)) {
    Warn(line, "G76 tool angle " + Num(c.angle) + " is not an angle");
    return;
  }
  const std::vector<double> depths = PassDepths(c, line);
  if (depths.empty()) return;
  Room(depths.size() * 5);
  const double outward = c.start.x >= c.end.x ? 1 : -1;  // outside threads stand above the root
  const double dir = c.end.z < c.start.z ? -1 : 1;
  const double flank = std::tan(c.angle / 2 * kDegrees);
  const double length = std::fabs(c.end.z - c.start.z);
  const double chamfer = std::min(c.chamfer, length);
  for (double depth : depths) {
    const double left = c.height - depth;
    // Flank infeed: the full-depth pass runs on the programmed line, the rough ones stand
    // back toward the start by what is left to cut times tan(a / 2).
    const double shift = -dir * left * flank;
    const double xEnd = c.end.x + outward * 2 * left;
    const Point from{xEnd + 2 * c.taper, c.start.z + shift};
    const Point to{xEnd, c.end.z + shift};
    Add(MoveKind::Rapid, from, line);
    if (chamfer > kEps) {
      const double fraction = length > 0 ? (length - chamfer) / length : 0;
      const Point pull{from.x + (to.x - from.x) * fraction, to.z - dir * chamfer};
      FeedMove(pull, line, MoveKind::Thread, c.lead);
      FeedMove({to.x + outward * 2 * chamfer, to.z}, line, MoveKind::Thread, c.lead);
    } else {
      FeedMove(to, line, MoveKind::Thread, c.lead);
    }
    Add(MoveKind::Rapid, {c.start.x, pos_.z}, line);
    Add(MoveKind::Rapid, c.start, line);
  }
}

}  // namespace tbx::toolpath
