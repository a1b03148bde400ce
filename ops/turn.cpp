#include "ops/turn.h"

#include <algorithm>

#include "ops/pass_levels.h"
#include "program/block_writer.h"

namespace tbx {

namespace {

void Refusals(const TurnInputs& in, Operation& op) {
  RequireNumbers(op, {{key::kTurnStartDia, in.startDia}, {key::kTurnFinalDia, in.finalDia},
                      {key::kTurnZStart, in.zStart}, {key::kTurnZEnd, in.zEnd},
                      {key::kTurnDepthOfCut, in.depthOfCut},
                      {key::kTurnFinishAllowanceX, in.finishAllowanceX},
                      {key::kTurnFinishAllowanceZ, in.finishAllowanceZ},
                      {key::kTurnRoughFeed, in.roughFeed}, {key::kTurnFinishFeed, in.finishFeed},
                      {key::kTurnChamfer, in.chamfer}, {key::kTurnClearance, in.clearance}});
  if (in.inside) {
    Require(op, in.startDia > 0, key::kTurnStartDia, "{} must be greater than 0");
    Require(op, in.finalDia >= in.startDia, key::kTurnFinalDia,
            "{} must not be below {turn.start_dia}");
  } else {
    Require(op, in.finalDia >= 0, key::kTurnFinalDia, "{} must be 0 or more");
    Require(op, in.finalDia <= in.startDia, key::kTurnFinalDia,
            "{} must not be above {turn.start_dia}");
  }
  Require(op, in.zEnd <= in.zStart, key::kTurnZEnd, "{} must not be above {turn.z_start}");
  Require(op, in.depthOfCut > 0, key::kTurnDepthOfCut, "{} must be greater than 0");
  Require(op, in.finishAllowanceX >= 0, key::kTurnFinishAllowanceX, "{} must be 0 or more");
  Require(op, in.finishAllowanceX <= in.depthOfCut,
          key::kTurnFinishAllowanceX, "{} must not be more than {turn.depth_of_cut}");
  Require(op, in.finishAllowanceZ >= 0, key::kTurnFinishAllowanceZ, "{} must be 0 or more");
  Require(op, in.finishAllowanceZ <= in.depthOfCut,
          key::kTurnFinishAllowanceZ, "{} must not be more than {turn.depth_of_cut}");
  Require(op, in.roughFeed > 0, key::kTurnRoughFeed, "{} must be greater than 0");
  Require(op, in.finishFeed > 0, key::kTurnFinishFeed, "{} must be greater than 0");
  Require(op, in.chamfer >= 0, key::kTurnChamfer, "{} must be 0 or more");
  // The chamfer and the shoulder's allowance must both fit the turned length.
  Require(op, double(in.chamfer) + in.finishAllowanceZ <= double(in.zStart) - in.zEnd,
          key::kTurnChamfer,
          "{} and {turn.finish_allowance_z} must fit between {turn.z_start} and {turn.z_end}");
  Require(op, in.inside || 2.0 * in.chamfer <= in.finalDia,
          key::kTurnChamfer, "{} must not be more than half of {turn.final_dia}");
  Require(op, in.clearance > 0, key::kTurnClearance, "{} must be greater than 0");
}

}  // namespace

Operation TurnOperation(const TurnInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Refusals(in, op);
  // The finish pass's entry runs the clearance down to Z Start.
  RequireNoseTool(op, in.compensation, ctx, key::kTurnNoseRadiusCompensation, in.clearance, key::kTurnClearance);
  if (!op.Refusal().empty()) return op;
  // Diameters grow into the material outside and shrink into it inside: `side` points from
  // the finished surface into the stock, which is also the way off the wall.
  const double side = in.inside ? -1 : 1;
  const double off = side * 2.0 * in.clearance;
  const double xClear = std::max(0.0, in.startDia + off);
  const double zApproach = double(in.zStart) + in.clearance;
  const double zRoughEnd = double(in.zEnd) + in.finishAllowanceZ;
  const double roughDia = in.finalDia + side * 2.0 * in.finishAllowanceX;
  const double chamferStart = double(in.zStart) - in.chamfer;  // where the chamfer meets Final Dia
  // The chamfer offset by the X allowance: Z where a pass at diameter d meets it.
  auto chamferZ = [&](double d) { return chamferStart + side * (roughDia - d) / 2; };
  const double step = 2.0 * in.depthOfCut;
  const std::vector<double> fullLength = PassLevels(op, in.startDia, roughDia, step);
  const std::vector<double> intoChamfer =
      PassLevels(op, roughDia, roughDia - side * 2.0 * in.chamfer, step);

  op.Comment(key::kTurnComment, in.comment);
  NoseComment(op, in.compensation, ctx, key::kTurnNoseRadiusCompensation);
  TurningSpindleBlock(ctx, op, in.inside ? key::kTurnFinalDia : key::kTurnStartDia,
                      in.inside ? in.finalDia : in.startDia, in.spindle, key::kTurnMaxRpm);
  BlockWriter path(op);
  path.Rapid({.x = xClear});
  path.Rapid({.z = zApproach});
  // Rough passes along -Z to Finish Allowance Z short of the shoulder, each pulled off the
  // wall at 45 degrees before the rapid back.
  for (double d : fullLength) {
    path.Rapid({.x = d});
    path.Feed({.z = zRoughEnd}, in.roughFeed);
    path.Feed({d + off, zRoughEnd + in.clearance}, in.roughFeed);
    path.Rapid({.z = zApproach});
  }
  // The chamfer's material below the last full pass, in slices that each end on the offset
  // chamfer and follow it back up to the slice before.
  double previous = roughDia;
  for (double d : intoChamfer) {
    path.Rapid({.x = d});
    path.Feed({.z = chamferZ(d)}, in.roughFeed);
    path.Feed({previous, chamferZ(previous)}, in.roughFeed);
    path.Feed({previous + off, chamferZ(previous) + in.clearance}, in.roughFeed);
    path.Rapid({.z = zApproach});
    previous = d;
  }
  // Finish along the profile: the chamfer, Final Dia to Z End, the shoulder out past Start Dia.
  const double chamferDia = in.finalDia - side * 2.0 * in.chamfer;
  path.Rapid({.x = chamferDia});
  if (in.compensation == NoseCompensation::None) {
    if (in.chamfer > 0) {
      path.Feed({.z = in.zStart}, in.finishFeed);
      path.Feed({in.finalDia, chamferStart}, in.finishFeed);
    }
    path.Feed({.z = in.zEnd}, in.finishFeed);
    path.Feed({.x = xClear}, in.finishFeed);
    path.Rapid({.z = zApproach});
  } else {
    // The same profile from an entry along Z onto the part's end; the tool is outside the
    // diameter it turns, inside the bore it bores.
    NosePath profile{{zApproach, chamferDia / 2}, {}};
    AddLine(profile, {in.zStart, chamferDia / 2}, in.finishFeed);
    AddLine(profile, {chamferStart, in.finalDia / 2.0}, in.finishFeed);
    AddLine(profile, {in.zEnd, in.finalDia / 2.0}, in.finishFeed);
    AddLine(profile, {in.zEnd, xClear / 2}, in.finishFeed);
    WriteFinish(path, in.compensation, ctx, in.inside ? NoseSide::Left : NoseSide::Right, profile);
    EndCompensation(path, in.compensation);
    path.Rapid(ExitPoint(in.compensation, {xClear, zApproach}, {.z = zApproach}));
  }
  path.Finish();
  return op;
}

}  // namespace tbx
