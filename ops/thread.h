#pragma once
#include <string>

#include "ops/context.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kThreadComment = "thread.comment";
inline constexpr FieldKey kThreadMajorDia = "thread.major_dia";
inline constexpr FieldKey kThreadPitch = "thread.pitch";
inline constexpr FieldKey kThreadZStart = "thread.z_start";
inline constexpr FieldKey kThreadZEnd = "thread.z_end";
inline constexpr FieldKey kThreadXClearance = "thread.x_clearance";
inline constexpr FieldKey kDwellPasses = "thread.dwell_passes";
inline constexpr FieldKey kLeads = "thread.leads";
inline constexpr FieldKey kMaxSpm = "thread.max_spm";
inline constexpr FieldKey kThreadPasses = "thread.thread_passes";
inline constexpr FieldKey kTaperAngle = "thread.taper_angle";
inline constexpr FieldKey kChamfer45 = "thread.chamfer_exit.45_degrees";
}  // namespace key

// The three forms of thread program: the OT and 6T canned cycles, and pass by pass with G32
// or G33.
enum class ThreadCode { Ot, SixT, G32, G33 };

struct ThreadInputs {
  std::string comment;
  bool inside = false;
  float majorDia = 0, pitch = 0, zStart = 0, zEnd = 0, xClearance = 0;
  float dwellPasses = 0;
  float leads = 0, maxSpm = 0, passes = 0;  // whole-number boxes as read
  float taperAngle = 0;
  bool pipe = false;       // pipe-thread taper instead of Taper Angle
  bool chamfer45 = false;  // OT chamfer exit of 45 degrees
  int toolAngle = 0;       // degrees: 0, 29, 30, 55, 60 or 80
  ThreadCode code = ThreadCode::Ot;
};

Operation ThreadOperation(const ThreadInputs& in, const OpContext& ctx);

}  // namespace tbx
