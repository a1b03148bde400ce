#include "ops/spindle.h"

#include <cmath>
#include <string>

#include "app/app.h"

namespace tbx {

float SpindleSpeed(const App& app, double surfaceSpeed, float diameter) {
  const double speed = app.Metric() ? 100 * app.pi * surfaceSpeed / diameter
                                    : 12 / app.pi * surfaceSpeed / diameter;
  return ToSingle(speed);
}

std::optional<int> WholeNumber16(double value) {
  if (!(value >= -32768.5 && value <= 32767.5)) return std::nullopt;  // NaN fails too
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  if (whole < -32768 || whole > 32767) return std::nullopt;
  return static_cast<int>(whole);
}

std::optional<int> WholeSurfaceSpeed(const App& app, Operation& op) {
  const double spm = app.Single(id::kSpm);
  const std::optional<int> whole = WholeNumber16(spm);
  if (!whole || *whole < 0) {
    op.Refuse(spm < 0 ? "SPM must be 0 or more" : "SPM must be at most 32767");
    return std::nullopt;
  }
  return whole;
}

void SpindleBlock(const App& app, Operation& op, std::string_view diameterCaption,
                  float diameter, bool wholeSpm, std::string_view direction) {
  if (!(diameter > 0)) op.Refuse(std::string(diameterCaption) + " must be greater than 0");
  double spm = app.Single(id::kSpm);
  if (wholeSpm) {
    const std::optional<int> whole = WholeSurfaceSpeed(app, op);
    if (!whole) return;
    spm = *whole;
  }
  if (spm < 0) op.Refuse("SPM must be 0 or more");
  if (!op.Refusal().empty()) return;
  op.Block(" G97" + op.WholeWord('S', SpindleSpeed(app, spm, diameter)) + std::string(direction));
}

}  // namespace tbx
