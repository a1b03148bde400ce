#pragma once
// Any turned shape from its contour: rough passes along Z (turn) or X (face) that leave the
// finish allowance and follow the contour back out, then one finish pass along the contour;
// written out move by move, or as the control's G71/G72 and G70 with the contour in the
// blocks P to Q. Both forms come from the one planner of data/roughing.h, so they make the
// same moves.
#include <string>
#include <vector>

#include "data/nose_path.h"
#include "ops/context.h"
#include "ops/nose_compensation.h"
#include "ops/spindle.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kProfileComment = "profile.comment";
inline constexpr FieldKey kProfileContour = "profile.contour";
inline constexpr FieldKey kProfileStartDia = "profile.start_dia";
inline constexpr FieldKey kProfileStartZ = "profile.start_z";
inline constexpr FieldKey kProfileDepthOfCut = "profile.depth_of_cut";
inline constexpr FieldKey kProfileFinishAllowanceX = "profile.finish_allowance_x";
inline constexpr FieldKey kProfileFinishAllowanceZ = "profile.finish_allowance_z";
inline constexpr FieldKey kProfileRoughFeed = "profile.rough_feed";
inline constexpr FieldKey kProfilePlungeFeed = "profile.plunge_feed";
inline constexpr FieldKey kProfileFinishFeed = "profile.finish_feed";
inline constexpr FieldKey kProfileClearance = "profile.clearance";
inline constexpr FieldKey kProfileMaxRpm = "profile.max_rpm";
inline constexpr FieldKey kProfileOutput = "profile.output";
inline constexpr FieldKey kProfileNoseRadiusCompensation = "profile.nose_radius_compensation";
}  // namespace key

// The contour as its box's lines made it: Z and the radius, each segment with the line of the
// box it comes from; a chamfer or radius of a corner is a segment of its own.
struct ProfileContour {
  NosePath path;
  std::vector<int> lines;
  std::string fault;  // the first line the box cannot make a contour of: "line 3: ..."
};

struct ProfileInputs {
  std::string comment;
  bool inside = false;
  ProfileContour contour;
  float startDia = 0;  // the stock (outside) or the bore (inside)
  float startZ = 0;    // the stock's front face
  float depthOfCut = 0;        // per side (turn) or along Z (face)
  float finishAllowanceX = 0;  // per side
  float finishAllowanceZ = 0;
  float roughFeed = 0;
  float plungeFeed = 0;  // the moves that go deeper along the contour, into a pocket
  float finishFeed = 0;
  float clearance = 0;  // off the stock where passes start, and each pass's retract
  SurfaceSpeedMode spindle;
  bool cycle = false;  // G71 (G72) and G70 rather than every move
  bool face = false;   // passes along X
  NoseCompensation compensation = NoseCompensation::None;
};

// The block numbers P and Q name are the ones the program gives the operation's blocks from
// ctx.firstBlock on.
Operation ProfileOperation(const ProfileInputs& in, const OpContext& ctx);

// The steepest descent below the direction of cut, in degrees, that `tool` can follow down a
// pocket's wall without rubbing its trailing edge: the angle between that edge and the cut,
// less 2 degrees of clearance.
double MaxDescent(const Tool& tool, bool face);

}  // namespace tbx
