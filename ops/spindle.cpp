#include "ops/spindle.h"

#include <cmath>
#include <string>

#include "program/numbers.h"

namespace tbx {

float SpindleSpeed(const OpContext& ctx, double surfaceSpeed, float diameter) {
  const double speed = ctx.metric ? 100 * ctx.pi * surfaceSpeed / diameter
                                  : 12 / ctx.pi * surfaceSpeed / diameter;
  return ToSingle(speed);
}

std::optional<int> WholeNumber16(double value, Rounding rounding) {
  double whole = std::floor(value);
  if (rounding == Rounding::HalfEven) {
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  }
  if (!(whole >= -32768 && whole <= 32767)) return std::nullopt;  // NaN fails too
  return static_cast<int>(whole);
}

std::optional<int> WholeSurfaceSpeed(const OpContext& ctx, Operation& op) {
  const double spm = ctx.surfaceSpeed;
  const std::optional<int> whole = WholeNumber16(spm, Rounding::HalfEven);
  if (!whole || *whole < 0) {
    op.Refuse(key::kSpm, spm < 0 ? "{} must be 0 or more" : "{} must be at most 32767");
    return std::nullopt;
  }
  return whole;
}

void RequireTurning(Operation& op, double speed, FieldKey field) {
  const std::string word = op.WholeWord('S', speed);
  if (word == " S0" || word == " S-0")
    op.Refuse(field, "{} is too low: the spindle speed would be S0");
}

void SpeedBlock(Operation& op, std::string_view code, double speed, FieldKey field,
                std::string_view direction) {
  RequireTurning(op, speed, field);
  op.Block(std::string(code) + op.WholeWord('S', speed) + std::string(direction));
}

void SpindleBlock(const OpContext& ctx, Operation& op, FieldKey diameterField,
                  float diameter, bool wholeSpm, std::string_view direction) {
  if (!(diameter > 0)) op.Refuse(diameterField, "{} must be greater than 0");
  double spm = ctx.surfaceSpeed;
  if (wholeSpm) {
    const std::optional<int> whole = WholeSurfaceSpeed(ctx, op);
    if (!whole) return;
    spm = *whole;
  }
  if (spm < 0) op.Refuse(key::kSpm, "{} must be 0 or more");
  if (!op.Refusal().empty()) return;
  SpeedBlock(op, " G97", SpindleSpeed(ctx, spm, diameter), key::kSpm, direction);
}


void TurningSpindleBlock(const OpContext& ctx, Operation& op, FieldKey diameterField,
                         float diameter, const SurfaceSpeedMode& mode, FieldKey maxRpmField,
                         std::string_view direction) {
  if (!mode.constant) {
    SpindleBlock(ctx, op, diameterField, diameter, true, direction);
    return;
  }
  if (!(diameter > 0)) op.Refuse(diameterField, "{} must be greater than 0");
  const std::optional<int> spm = WholeSurfaceSpeed(ctx, op);
  const std::optional<int> maxRpm = WholeNumber16(mode.maxRpm, Rounding::HalfEven);
  if (!(mode.maxRpm > 0) || (maxRpm && *maxRpm <= 0)) {
    op.Refuse(maxRpmField, "{} must be greater than 0");
  } else if (!maxRpm) {
    op.Refuse(maxRpmField, "{} must be at most 32767");
  }
  if (!spm || !op.Refusal().empty()) return;
  op.Block(" G50" + op.WholeWord('S', *maxRpm));
  SpeedBlock(op, " G96", *spm, key::kSpm, direction);
}

}  // namespace tbx
