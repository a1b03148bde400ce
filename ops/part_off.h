#pragma once
#include <string>

#include "ops/context.h"
#include "ops/spindle.h"
#include "program/program_text.h"

namespace tbx {

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
};

Operation PartOffOperation(const PartOffInputs& in, const OpContext& ctx);

}  // namespace tbx
