#pragma once
#include <string>

#include "ops/context.h"
#include "ops/nose_compensation.h"
#include "ops/spindle.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kFaceComment = "face.comment";
inline constexpr FieldKey kFaceStockDia = "face.stock_dia";
inline constexpr FieldKey kFaceEndDia = "face.end_dia";
inline constexpr FieldKey kFaceZStart = "face.z_start";
inline constexpr FieldKey kFaceZFinal = "face.z_final";
inline constexpr FieldKey kFaceDepthOfCut = "face.depth_of_cut";
inline constexpr FieldKey kFaceFinishAllowance = "face.finish_allowance";
inline constexpr FieldKey kFaceRoughFeed = "face.rough_feed";
inline constexpr FieldKey kFaceFinishFeed = "face.finish_feed";
inline constexpr FieldKey kFaceXClearance = "face.x_clearance";
inline constexpr FieldKey kFaceZClearance = "face.z_clearance";
inline constexpr FieldKey kFaceMaxRpm = "face.max_rpm";
inline constexpr FieldKey kFaceNoseRadiusCompensation = "face.nose_radius_compensation";
}  // namespace key

// The ring or disc from Stock Dia to End Dia between Z Start (the stock face) and Z Final.
struct FaceInputs {
  std::string comment;
  float stockDia = 0;
  float endDia = 0;  // 0 for a solid face
  float zStart = 0;
  float zFinal = 0;
  float depthOfCut = 0;
  float finishAllowance = 0;
  float roughFeed = 0;
  float finishFeed = 0;
  float xClearance = 0;  // per side, outside Stock Dia
  float zClearance = 0;  // the retract off the face
  SurfaceSpeedMode spindle;
  NoseCompensation compensation = NoseCompensation::None;
};

Operation FaceOperation(const FaceInputs& in, const OpContext& ctx);

}  // namespace tbx
