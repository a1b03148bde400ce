#include "toolpath/run_time.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "program/numbers.h"

namespace tbx::toolpath {

namespace {

constexpr double kMmPerInch = 25.4;

double PerMinute(double mmPerMin, bool metric) { return metric ? mmPerMin : mmPerMin / kMmPerInch; }

double Length(const Move& m) {
  if (m.arc != ArcDirection::None) {
    const double r = std::hypot(m.start.x / 2 - m.centre.x / 2, m.start.z - m.centre.z);
    return r * std::fabs(ArcSweep(m));
  }
  return std::hypot((m.end.x - m.start.x) / 2, m.end.z - m.start.z);
}

// ∫0..1 max(a, |p + q t|) dt: linear between the points where a branch changes.
double IntegralOfMax(double a, double p, double q) {
  std::vector<double> ts{0, 1};
  if (q != 0) {
    for (double target : {0.0, a, -a}) {
      const double t = (target - p) / q;
      if (t > 0 && t < 1) ts.push_back(t);
    }
  }
  std::sort(ts.begin(), ts.end());
  auto f = [&](double t) { return std::max(a, std::fabs(p + q * t)); };
  double sum = 0;
  for (std::size_t i = 1; i < ts.size(); ++i) sum += (ts[i] - ts[i - 1]) * (f(ts[i - 1]) + f(ts[i])) / 2;
  return sum;
}

// Minutes of a spindle-locked move of `length` at `perRev` under the move's speed rule. The
// control clamps every speed at the machine's maximum, whatever S or G50 asked for.
double LockedMinutes(const Move& m, double length, double perRev, double maxRpm, bool metric) {
  if (m.surfaceSpeed <= 0) return m.rpm > 0 ? length / (perRev * std::min(m.rpm, maxRpm)) : 0;
  // rpm = C / D, clamped: time per unit length is max(1 / limit, D / C) / perRev.
  const double c = (metric ? 1000.0 : 12.0) * m.surfaceSpeed / kPi;
  const double limit = std::min(m.rpmLimit, maxRpm);
  return length / perRev * IntegralOfMax(1 / limit, m.start.x / c, (m.end.x - m.start.x) / c);
}

}  // namespace

double ArcSweep(const Move& m) {
  if (m.arc == ArcDirection::None) return 0;
  const double a0 = std::atan2(m.start.x / 2 - m.centre.x / 2, m.start.z - m.centre.z);
  const double a1 = std::atan2(m.end.x / 2 - m.centre.x / 2, m.end.z - m.centre.z);
  constexpr double kTwoPi = 2 * 3.14159265358979323846;
  double sweep = a1 - a0;
  if (m.arc == ArcDirection::CounterClockwise) {
    while (sweep <= 0) sweep += kTwoPi;
  } else {
    while (sweep >= 0) sweep -= kTwoPi;
  }
  return sweep;
}

double ConstantSurfaceRpm(double v, double d, double limit, bool metric) {
  const double rpm = (metric ? 1000.0 : 12.0) * v / (kPi * std::fabs(d));
  return std::isfinite(rpm) && rpm < limit ? rpm : limit;
}

double CutLength(const Move& move) {
  return move.kind == MoveKind::Feed || move.kind == MoveKind::Thread ? Length(move) : 0;
}

double MoveSeconds(const Move& m, const MachineSettings& machine, bool metric) {
  switch (m.kind) {
    case MoveKind::Dwell: return m.seconds;
    case MoveKind::ToolChange: return machine.toolChangeSeconds;
    case MoveKind::Rapid: {
      const double x = std::fabs(m.end.x - m.start.x) / 2 / PerMinute(machine.rapidXMmPerMin, metric);
      const double z = std::fabs(m.end.z - m.start.z) / PerMinute(machine.rapidZMmPerMin, metric);
      return 60 * std::max(x, z);
    }
    case MoveKind::Feed: {
      if (!(m.feed > 0)) return 0;
      const double length = Length(m);
      if (m.feedPerMinute) return 60 * length / m.feed;
      return 60 * LockedMinutes(m, length, m.feed, machine.maxRpm, metric);
    }
    case MoveKind::Thread: {
      if (!(m.feed > 0)) return 0;
      // The lead runs along the axis that travels farther.
      const double length = std::max(std::fabs(m.end.z - m.start.z), std::fabs(m.end.x - m.start.x) / 2);
      return 60 * LockedMinutes(m, length, m.feed, machine.maxRpm, metric);
    }
  }
  return 0;
}

void TimeToolpath(Toolpath& path, const MachineSettings& machine, bool metric) {
  path.seconds = 0;
  for (Move& m : path.moves) {
    m.seconds = MoveSeconds(m, machine, metric);
    path.seconds += m.seconds;
  }
  for (OperationSummary& op : path.operations) {
    op.cutLength = 0;
    op.seconds = 0;
    for (std::size_t i = op.firstMove; i < op.endMove; ++i) {
      op.cutLength += CutLength(path.moves[i]);
      op.seconds += path.moves[i].seconds;
    }
  }
}

}  // namespace tbx::toolpath
