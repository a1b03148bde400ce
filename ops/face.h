#pragma once
#include <string>

#include "ops/context.h"
#include "ops/spindle.h"
#include "program/program_text.h"

namespace tbx {

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
};

Operation FaceOperation(const FaceInputs& in, const OpContext& ctx);

}  // namespace tbx
