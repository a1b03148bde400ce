#pragma once
#include <optional>
#include <string>
#include <vector>

#include "ops/context.h"
#include "ops/drilling.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kDeepComment = "deep_drill.comment";
inline constexpr FieldKey kDeepDrillDia = "deep_drill.drill_diameter";
inline constexpr FieldKey kDeepStart = "deep_drill.start";
inline constexpr FieldKey kDeepDepth = "deep_drill.depth";
inline constexpr FieldKey kDeepZClearance = "deep_drill.z_abs_clearance";
inline constexpr FieldKey kRapidClearance = "deep_drill.rapid_clearance";
inline constexpr FieldKey kPeckMax = "deep_drill.peck_value_max";
inline constexpr FieldKey kPeckMin = "deep_drill.peck_value_min";
inline constexpr FieldKey kPercentPeck = "deep_drill.percent_peck";
inline constexpr FieldKey kDeepDwell = "deep_drill.dwell_seconds";
inline constexpr FieldKey kDeepFeed = "deep_drill.feedrate";
}  // namespace key

enum class PeckMode { G83, Equal, Percent };

struct DeepDrillInputs {
  std::string comment;
  PeckMode mode = PeckMode::G83;
  DrillPoint point = DrillPoint::Flat;
  float drillDia = 0, zStart = 0, depth = 0, zClearance = 0, feed = 0, dwellSeconds = 0;
  float peckMax = 0;
  // Read by the manual modes only: Rapid Clearance by both, the rest by % Peck.
  float rapidClearance = 0, peckMin = 0;
  double percentPeck = 0;  // taken as a whole number, a half going to the even neighbour
};

Operation DeepDrillOperation(const DeepDrillInputs& in, const OpContext& ctx);

// Depths of the manual pecks before the last one, which always goes to finalZ. Each peck is
// `factor` times the one before but not less than minPeck. Empty when there would be more
// than `limit` of them.
std::optional<std::vector<float>> PeckDepths(float start, float finalZ, float maxPeck,
                                             float minPeck, float factor, std::size_t limit);

}  // namespace tbx
