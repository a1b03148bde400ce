#pragma once
// The spindle-speed rule every generator shares, and the reading of whole-number boxes.
#include <optional>
#include <string_view>

#include "ops/context.h"

namespace tbx {

// S for surface speed V on diameter D: inch (12 / Pi) × V / D, metric 100 × Pi × V / D
// (314.16, not 1000 / Pi), stored in single precision.
float SpindleSpeed(const OpContext& ctx, double surfaceSpeed, float diameter);

// How a value becomes the whole number a 16-bit integer variable takes: rounded down, or to
// the nearest with a half going to the even neighbour.
enum class Rounding { Down, HalfEven };
// Empty when the whole number would not fit in 16 bits (or the value is NaN).
std::optional<int> WholeNumber16(double value, Rounding rounding);

// SPM as a whole number from 0 to 32767, or a refusal of the operation.
std::optional<int> WholeSurfaceSpeed(const OpContext& ctx, Operation& op);

// Refuses, blaming `field`, a speed whose S word is 0: the feed-per-revolution moves after it
// would never move.
void RequireTurning(Operation& op, double speed, FieldKey field);
// The speed block, " G97 S<speed>" or " G96 S<speed>", and the direction word, under
// RequireTurning.
void SpeedBlock(Operation& op, std::string_view code, double speed, FieldKey field,
                std::string_view direction);

// Refuses a diameter of 0 or less (blaming `diameterField`) and a negative or (wholeSpm)
// out-of-range SPM; otherwise appends the spindle block " G97 S.." and the direction word.
void SpindleBlock(const OpContext& ctx, Operation& op, FieldKey diameterField,
                  float diameter, bool wholeSpm, std::string_view direction = " M3");

}  // namespace tbx

namespace tbx {

// How a turning tab runs the spindle: a fixed rpm, or Constant Surface Speed capped at maxRpm.
struct SurfaceSpeedMode {
  bool constant = false;
  float maxRpm = 0;
};

// Refuses what SpindleBlock refuses (SPM taken as a whole number). Fixed rpm: SpindleBlock at
// the largest diameter the operation cuts. Constant Surface Speed: the cap (the tab's Max RPM,
// `maxRpmField`) first, so that the spindle never runs past it, then the speed:
// " G50 S<Max RPM>", " G96 S<SPM>" and direction.
void TurningSpindleBlock(const OpContext& ctx, Operation& op, FieldKey diameterField,
                         float diameter, const SurfaceSpeedMode& mode, FieldKey maxRpmField,
                         std::string_view direction = " M3");

}  // namespace tbx
