// G83 peck drilling and G84 tapping.
#include <algorithm>
#include <cmath>
#include <string>

#include "toolpath/expander.h"
#include "toolpath/interpreter.h"

namespace tbx::toolpath {

namespace {
constexpr double kEps = 1e-6;
}

// G83: pecks of Q from the start point, a full retract to it after each, back down at rapid
// to the clearance above the last depth, the last peck short; dwell at the bottom. Without a
// Q since the last G80 it drills to Z in one feed, as controls do.
void Interpreter::PeckDrill(Point to, int line) {
  if (std::fabs(to.x - pos_.x) > kEps) Add(MoveKind::Rapid, {to.x, pos_.z}, line);
  const double start = pos_.z;
  const double bottom = to.z;
  const double depth = std::fabs(bottom - start);
  const double dir = bottom < start ? -1 : 1;
  const double peck = peck_.value_or(depth);
  if (peck_ && !(peck > 0)) {
    Warn(line, "G83 with a peck Q of 0 or less never reaches its depth");
    return;
  }
  if (peck_ && depth / peck > kMaxCyclePasses) {
    Warn(line, "G83 would need more than " + std::to_string(kMaxCyclePasses) + " pecks");
    return;
  }
  const double clearance = metric_ ? settings_.machine.g83ClearanceMm : settings_.machine.g83ClearanceInch;
  if (const double pecks = depth / peck; pecks >= 0 && pecks <= kMaxCyclePasses) {
    Room(static_cast<std::size_t>(pecks) * 3 + 4);
  }
  double reached = 0;
  while (reached < depth - kEps) {
    const double next = std::min(depth, reached + peck);
    if (reached > 0) Add(MoveKind::Rapid, {pos_.x, start + dir * std::max(0.0, reached - clearance)}, line);
    FeedMove({pos_.x, start + dir * next}, line);
    reached = next;
    if (reached >= depth - kEps && cycleDwell_ > 0) DwellAt(cycleDwell_, line);
    Add(MoveKind::Rapid, {pos_.x, start}, line);
  }
}

// G84: in at the lead with the spindle as it runs, out at the lead with it reversed.
void Interpreter::Tap(Point to, int line) {
  if (std::fabs(to.x - pos_.x) > kEps) Add(MoveKind::Rapid, {to.x, pos_.z}, line);
  const double start = pos_.z;
  FeedMove({pos_.x, to.z}, line, MoveKind::Thread, feed_);
  if (cycleDwell_ > 0) DwellAt(cycleDwell_, line);
  const Spindle running = spindle_;
  spindle_ = running == Spindle::Clockwise ? Spindle::CounterClockwise
             : running == Spindle::CounterClockwise ? Spindle::Clockwise : running;
  FeedMove({pos_.x, start}, line, MoveKind::Thread, feed_);
  spindle_ = running;
}

}  // namespace tbx::toolpath
