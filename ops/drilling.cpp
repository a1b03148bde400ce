#include "ops/drilling.h"

#include <array>
#include <cmath>

#include "program/numbers.h"

namespace tbx {

namespace {
// Half the included angle of each point, in DrillPoint order.
constexpr std::array<double, 4> kHalfAngles{90, 45, 59, 67.5};
}  // namespace

double PointDepth(DrillPoint point, float diameter, double pi) {
  const double halfAngle = kHalfAngles[static_cast<std::size_t>(point)];
  return diameter / 2.0 * std::tan((90 - halfAngle) * pi / 180);
}

void StartDrilling(BlockWriter& path, float z) {
  path.StateCode();
  path.Rapid({.z = z});
  path.RapidToCentre();
}

void RequireSafeDrilling(Operation& op, std::initializer_list<NamedValue> clearances,
                         NamedValue feed) {
  for (const NamedValue& clearance : clearances)
    Require(op, clearance.value >= 0, clearance.field, "{} must be 0 or more");
  Require(op, feed.value > 0, feed.field, "{} must be greater than 0");
}

double DwellMilliseconds(float seconds) {
  const float ms = 1000.0f * seconds;
  // Not finite: handed on as it is so that the P word refuses the operation.
  if (!std::isfinite(ms)) return ms;
  return std::trunc(TextToNumber(FormatValue(ms, 4)));
}

double CheckedDwell(float seconds, FieldKey field, Operation& op) {
  const double ms = DwellMilliseconds(seconds);
  // Ten million milliseconds and more print in exponent form.
  if (!(std::fabs(ms) < 1e7)) op.Refuse(field, "{} must be less than 10000");
  return ms;
}

}  // namespace tbx
