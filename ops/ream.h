#pragma once
#include <string>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kReamComment = "ream.comment";
inline constexpr FieldKey kReamerDia = "ream.reamer_diameter";
inline constexpr FieldKey kReamZStart = "ream.z_start";
inline constexpr FieldKey kReamDepth = "ream.z_hole_depth";
inline constexpr FieldKey kReamRapidClearance = "ream.rapid_clearance";
inline constexpr FieldKey kReamFeed = "ream.feedrate";
}  // namespace key

struct ReamInputs {
  std::string comment;
  float reamerDia = 0;
  float zStart = 0;
  float depth = 0;
  float rapidClearance = 0;
  float feed = 0;
  bool feedOut = false;  // withdraw at feed rather than in rapid
};

Operation ReamOperation(const ReamInputs& in, const OpContext& ctx);

}  // namespace tbx
