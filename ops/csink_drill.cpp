#include "ops/csink_drill.h"

#include <array>

#include "ops/spindle.h"
#include "program/block_writer.h"
#include "program/numbers.h"

namespace tbx {

namespace {

// The metric texts are the inch sizes × 25.4 as the drill charts print them ("7.937" for #4).
constexpr std::array<CenterDrillSize, kCenterDrillSizes> kCenterDrills{{
    {".125", ".0312", "3.175", ".792", 0.0312f, 0.0562f},
    {".125", ".0468", "3.175", "1.188", 0.0468f, 0.0608f},
    {".1875", ".0781", "4.762", "1.983", 0.0781f, 0.1015f},
    {".250", ".1094", "6.350", "2.778", 0.1094f, 0.1422f},
    {".3125", ".125", "7.937", "3.175", 0.125f, 0.1625f},
    {".4375", ".1875", "11.112", "4.7625", 0.1875f, 0.2438f},
    {".500", ".2187", "12.7", "5.555", 0.2187f, 0.2843f},
    {".625", ".250", "15.875", "6.35", 0.25f, 0.325f},
    {".750", ".3125", "19.050", "7.938", 0.3125f, 0.406f},
}};

// Cone depth of a 60 degree centre drill with body diameter `body` (inches): the pilot length
// plus the cone from the pilot to the body (1.732051 = cot 30°).
float CenterDrillDepth(const CenterDrillSize& size, float body) {
  return ToSingle(size.length + 1.732051 * (body - size.pilot) / 2);
}

// Depth of the cone below Z Start for the chosen tool.
float ConeDepth(const CSinkDrillInputs& in, const OpContext& ctx, Operation& op) {
  if (!in.centerDrill) return ToSingle(PointDepth(in.point, in.csinkDia, ctx.pi));
  if (!(in.drillDia > 0)) op.Refuse(key::kCSinkDrillDia, "{} must be greater than 0");
  const CenterDrillSize& size = CenterDrill(in.centerDrillSize);
  // The pilot and length exist in inches only: metric work is converted through them.
  if (ctx.metric) return ToSingle(25.4 * CenterDrillDepth(size, ToSingle(in.drillDia / 25.4)));
  return CenterDrillDepth(size, in.drillDia);
}

}  // namespace

const CenterDrillSize& CenterDrill(int size) {
  return kCenterDrills[size >= 0 && size < kCenterDrillSizes ? static_cast<std::size_t>(size) : 0];
}

Operation CSinkDrillOperation(const CSinkDrillInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  const float approach = in.zStart + in.clearance;
  const double dwellMs = CheckedDwell(in.dwellSeconds, key::kCSinkDwell, op);

  op.Comment(key::kCSinkComment, in.comment);
  SpindleBlock(ctx, op, key::kCSinkDia, in.csinkDia, false);
  const float depth = ConeDepth(in, ctx, op);
  BlockWriter path(op);
  StartDrilling(path, approach);
  path.Feed({.z = in.zStart - depth}, in.feed);
  path.Dwell(dwellMs);
  path.Rapid({.z = approach});
  path.Finish();
  RequireSafeDrilling(op, {{key::kCSinkClearance, in.clearance}}, {key::kCSinkFeed, in.feed});
  return op;
}

}  // namespace tbx
