// G2 and G3: the centre from I K (I a radius) or from R, on the side the direction gives.
#include <algorithm>
#include <cmath>

#include "program/numbers.h"
#include "toolpath/interpreter.h"

namespace tbx::toolpath {

namespace {
constexpr double kEps = 1e-6;
}

void Interpreter::Arc(BlockWords& w, Point to, int line) {
  const Point from = pos_;
  Point centre = from;
  const Word* i = w.Take('I');
  const Word* k = w.Take('K');
  const Word* r = w.Take('R');
  if (i || k) {
    centre.x = from.x + 2 * (i ? i->value : 0);  // I is a radius
    centre.z = from.z + (k ? k->value : 0);
  } else if (r) {
    // R < 0 takes the longer arc.
    const double ax = from.x / 2, az = from.z, bx = to.x / 2, bz = to.z;
    const double mx = (ax + bx) / 2, mz = (az + bz) / 2;
    const double dx = bx - ax, dz = bz - az;
    const double chord = std::hypot(dx, dz);
    const double radius = std::fabs(r->value);
    if (chord < kEps || radius < chord / 2 - kEps) {
      Warn(line, "arc radius R" + PlainDecimal(r->value, 4) + " cannot join its ends; cut as a line");
      FeedMove(to, line);
      return;
    }
    const double h = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
    // Left of the chord (in Z right, X up) is counter-clockwise's centre for the short arc.
    double sign = motion_ == Motion::ArcCcw ? 1 : -1;
    if (r->value < 0) sign = -sign;
    centre.z = mz - sign * h * dx / chord;
    centre.x = 2 * (mx + sign * h * dz / chord);
  } else {
    Warn(line, "arc without I, K or R; cut as a line");
    FeedMove(to, line);
    return;
  }
  const double r0 = std::hypot((from.x - centre.x) / 2, from.z - centre.z);
  const double r1 = std::hypot((to.x - centre.x) / 2, to.z - centre.z);
  if (std::fabs(r0 - r1) > 0.001 * std::max(1.0, r0)) {
    Warn(line, "arc ends are not the same distance from the centre");
  }
  FeedMove(to, line);
  Move& m = path_.moves.back();
  m.arc = motion_ == Motion::ArcCw ? ArcDirection::Clockwise : ArcDirection::CounterClockwise;
  m.centre = centre;
}

}  // namespace tbx::toolpath
