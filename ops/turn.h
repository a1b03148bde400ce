#pragma once
#include <string>

#include "ops/context.h"
#include "ops/nose_compensation.h"
#include "ops/spindle.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kTurnComment = "turn.comment";
inline constexpr FieldKey kTurnStartDia = "turn.start_dia";
inline constexpr FieldKey kTurnFinalDia = "turn.final_dia";
inline constexpr FieldKey kTurnZStart = "turn.z_start";
inline constexpr FieldKey kTurnZEnd = "turn.z_end";
inline constexpr FieldKey kTurnDepthOfCut = "turn.depth_of_cut";
inline constexpr FieldKey kTurnFinishAllowanceX = "turn.finish_allowance_x";
inline constexpr FieldKey kTurnFinishAllowanceZ = "turn.finish_allowance_z";
inline constexpr FieldKey kTurnRoughFeed = "turn.rough_feed";
inline constexpr FieldKey kTurnFinishFeed = "turn.finish_feed";
inline constexpr FieldKey kTurnChamfer = "turn.chamfer";
inline constexpr FieldKey kTurnClearance = "turn.clearance";
inline constexpr FieldKey kTurnMaxRpm = "turn.max_rpm";
inline constexpr FieldKey kTurnNoseRadiusCompensation = "turn.nose_radius_compensation";
}  // namespace key

// Outside: the material between Start Dia (the stock) and Final Dia from Z Start down to Z End
// (the shoulder). Inside (boring): the same with Start Dia the bore and Final Dia above it.
struct TurnInputs {
  std::string comment;
  bool inside = false;
  float startDia = 0;
  float finalDia = 0;
  float zStart = 0;
  float zEnd = 0;
  float depthOfCut = 0;        // per side
  float finishAllowanceX = 0;  // per side
  float finishAllowanceZ = 0;
  float roughFeed = 0;
  float finishFeed = 0;
  float chamfer = 0;    // 45 degrees at the edge at Z Start, its length on the side
  float clearance = 0;  // per side and in Z
  SurfaceSpeedMode spindle;
  NoseCompensation compensation = NoseCompensation::None;
};

Operation TurnOperation(const TurnInputs& in, const OpContext& ctx);

}  // namespace tbx
