// G2 and G3: the centre from I K (I a radius) or from R, on the side the direction gives.
#include <algorithm>
#include <cmath>

#include "program/numbers.h"
#include "toolpath/interpreter.h"

namespace tbx::toolpath {

namespace {
constexpr double kEps = 1e-6;
}

std::optional<Point> ArcCentre(Point from, Point to, bool clockwise, const Word* i, const Word* k, const Word* r,
                               std::string& why) {
  Point centre = from;
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
      why = "arc radius R" + PlainDecimal(r->value, 4) + " cannot join its ends";
      return std::nullopt;
    }
    const double h = std::sqrt(std::max(0.0, radius * radius - chord * chord / 4));
    // Left of the chord (in Z right, X up) is counter-clockwise's centre for the short arc.
    double sign = clockwise ? -1 : 1;
    if (r->value < 0) sign = -sign;
    centre.z = mz - sign * h * dx / chord;
    centre.x = 2 * (mx + sign * h * dz / chord);
  } else {
    why = "arc without I, K or R";
    return std::nullopt;
  }
  const double r0 = std::hypot((from.x - centre.x) / 2, from.z - centre.z);
  const double r1 = std::hypot((to.x - centre.x) / 2, to.z - centre.z);
  if (std::fabs(r0 - r1) > 0.001 * std::max(1.0, r0)) why = "arc ends are not the same distance from the centre";
  return centre;
}

void Interpreter::Arc(BlockWords& w, Point to, int line) {
  const Word* i = w.Take('I');
  const Word* k = w.Take('K');
  const Word* r = w.Take('R');
  std::string why;
  const std::optional<Point> centre = ArcCentre(pos_, to, motion_ == Motion::ArcCw, i, k, r, why);
  if (!centre) {
    Warn(line, why + "; cut as a line");
    FeedMove(to, line);
    return;
  }
  if (!why.empty()) Warn(line, why);
  FeedMove(to, line);
  Move& m = path_.moves.back();
  m.arc = motion_ == Motion::ArcCw ? ArcDirection::Clockwise : ArcDirection::CounterClockwise;
  m.centre = *centre;
}

}  // namespace tbx::toolpath
