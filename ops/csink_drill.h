#pragma once
#include <string>
#include <string_view>

#include "ops/context.h"
#include "ops/drilling.h"
#include "program/program_text.h"

namespace tbx {

namespace key {
inline constexpr FieldKey kCSinkComment = "csink_drill.comment";
inline constexpr FieldKey kCSinkDrillDia = "csink_drill.drill_diameter";
inline constexpr FieldKey kCSinkDia = "csink_drill.c_sink_dia";
inline constexpr FieldKey kCSinkZStart = "csink_drill.z_start";
inline constexpr FieldKey kCSinkClearance = "csink_drill.clearance";
inline constexpr FieldKey kCSinkDwell = "csink_drill.dwell_seconds";
inline constexpr FieldKey kCSinkFeed = "csink_drill.feedrate";
}  // namespace key

// One standard combined centre drill (#0 to #8): the texts shown for it and the pilot
// diameter P and pilot length L (tip to the start of the 60 degree cone) in inches.
struct CenterDrillSize {
  std::string_view inchBody, inchPilot, metricBody, metricPilot;
  float pilot, length;
};
inline constexpr int kCenterDrillSizes = 9;
const CenterDrillSize& CenterDrill(int size);

struct CSinkDrillInputs {
  std::string comment;
  float csinkDia = 0, zStart = 0, clearance = 0, dwellSeconds = 0, feed = 0;
  bool centerDrill = false;             // 60 Deg Center rather than a pointed tool
  DrillPoint point = DrillPoint::Deg90;  // the pointed tool's angle
  float drillDia = 0;                   // body diameter of the centre drill
  int centerDrillSize = 0;              // #0 to #8
};

Operation CSinkDrillOperation(const CSinkDrillInputs& in, const OpContext& ctx);

}  // namespace tbx
