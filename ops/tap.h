#pragma once
#include <string>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kTapComment = "tap.comment";
inline constexpr FieldKey kTapMajorDia = "tap.major_diameter";
inline constexpr FieldKey kTapPitch = "tap.pitch";
inline constexpr FieldKey kTapZStart = "tap.z_start";
inline constexpr FieldKey kTapDepth = "tap.tap_depth";
inline constexpr FieldKey kTapClearance = "tap.clearance";
}  // namespace key

// G84 canned cycle, or the tap fed in and backed out with G32 or G33.
enum class TapCode { G84, G32, G33 };

struct TapInputs {
  std::string comment;
  float majorDia = 0, pitch = 0, zStart = 0, depth = 0, clearance = 0;
  bool leftHand = false;
  TapCode code = TapCode::G84;
};

Operation TapOperation(const TapInputs& in, const OpContext& ctx);

}  // namespace tbx
