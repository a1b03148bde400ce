#pragma once
#include <string>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kGrooveComment = "groove.comment";
inline constexpr FieldKey kGrooveMajorDia = "groove.major_dia";
inline constexpr FieldKey kGrooveMinorDia = "groove.minor_dia";
inline constexpr FieldKey kGrooveZStart = "groove.z_start";
inline constexpr FieldKey kZAbsClr = "groove.z_abs_clr";
inline constexpr FieldKey kXIncClr = "groove.x_inc_clr";
inline constexpr FieldKey kGrooveWidth = "groove.groove_width";
inline constexpr FieldKey kToolWidth = "groove.tool_width";
inline constexpr FieldKey kPercentStep = "groove.step";
inline constexpr FieldKey kGrooveFeed = "groove.feedrate";
inline constexpr FieldKey kXBottomStock = "groove.x_bottom_stock";
inline constexpr FieldKey kZWallStock = "groove.z_wall_stock";
inline constexpr FieldKey kRightSize = "groove.right";
inline constexpr FieldKey kLeftSize = "groove.left";
inline constexpr FieldKey kRightToggle = "groove.right_radius";
inline constexpr FieldKey kLeftToggle = "groove.left_radius";
}  // namespace key

struct GrooveInputs {
  std::string comment;
  bool inside = false;
  float majorDia = 0, minorDia = 0, zStart = 0;
  float zAbsClr = 0;  // inside grooves: the Z the tool enters and leaves the bore at
  float xIncClr = 0, grooveWidth = 0, toolWidth = 0, percentStep = 0, feed = 0;
  float bottomStock = 0, wallStock = 0;
  bool finishPass = false;
  // Corner breaks of the finish pass: size, and radius rather than chamfer.
  float rightSize = 0, leftSize = 0;
  bool rightRadius = false, leftRadius = false;
};

Operation GrooveOperation(const GrooveInputs& in, const OpContext& ctx);

}  // namespace tbx
