#pragma once
#include <string>

#include "ops/context.h"
#include "ops/nose_compensation.h"
#include "ops/spindle.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kPartComment = "part_off.comment";
inline constexpr FieldKey kPartStockDia = "part_off.stock_dia";
inline constexpr FieldKey kPartEndDia = "part_off.end_dia";
inline constexpr FieldKey kPartZPosition = "part_off.z_position";
inline constexpr FieldKey kPartToolWidth = "part_off.tool_width";
inline constexpr FieldKey kPartPeck = "part_off.peck";
inline constexpr FieldKey kPartFeed = "part_off.feed";
inline constexpr FieldKey kPartReducedFeedDia = "part_off.reduced_feed_dia";
inline constexpr FieldKey kPartReducedFeed = "part_off.reduced_feed";
inline constexpr FieldKey kPartChamfer = "part_off.chamfer";
inline constexpr FieldKey kPartClearance = "part_off.clearance";
inline constexpr FieldKey kPartMaxRpm = "part_off.max_rpm";
inline constexpr FieldKey kPartNoseRadiusCompensation = "part_off.nose_radius_compensation";
}  // namespace key

// Z Position is the Z of the finished part's back face and the programmed Z: the blade's edge
// on the part's side, its width lying toward the chuck.
struct PartOffInputs {
  std::string comment;
  float stockDia = 0;
  float endDia = 0;  // 0, or a tube's bore
  float zPosition = 0;
  float toolWidth = 0;
  float peck = 0;  // per side, 0 for none
  float feed = 0;
  float reducedFeedDia = 0;
  float reducedFeed = 0;
  float chamfer = 0;    // 45 degrees on the part's edge at Stock Dia
  float clearance = 0;  // per side, outside Stock Dia
  SurfaceSpeedMode spindle;
  NoseCompensation compensation = NoseCompensation::None;
};

Operation PartOffOperation(const PartOffInputs& in, const OpContext& ctx);

}  // namespace tbx
