#include "ops/face.h"

#include <algorithm>

#include "ops/pass_levels.h"
#include "program/block_writer.h"

namespace tbx {

namespace {

void Refusals(const FaceInputs& in, Operation& op) {
  RequireNumbers(op, {{key::kFaceStockDia, in.stockDia}, {key::kFaceEndDia, in.endDia},
                      {key::kFaceZStart, in.zStart}, {key::kFaceZFinal, in.zFinal},
                      {key::kFaceDepthOfCut, in.depthOfCut},
                      {key::kFaceFinishAllowance, in.finishAllowance},
                      {key::kFaceRoughFeed, in.roughFeed}, {key::kFaceFinishFeed, in.finishFeed},
                      {key::kFaceXClearance, in.xClearance},
                      {key::kFaceZClearance, in.zClearance}});
  Require(op, in.endDia >= 0, key::kFaceEndDia, "{} must be 0 or more");
  Require(op, in.endDia <= in.stockDia, key::kFaceEndDia, "{} must not be above {face.stock_dia}");
  Require(op, in.zFinal <= in.zStart, key::kFaceZFinal, "{} must not be above {face.z_start}");
  Require(op, in.depthOfCut > 0, key::kFaceDepthOfCut, "{} must be greater than 0");
  Require(op, in.finishAllowance >= 0, key::kFaceFinishAllowance, "{} must be 0 or more");
  Require(op, in.finishAllowance <= in.depthOfCut,
          key::kFaceFinishAllowance, "{} must not be more than {face.depth_of_cut}");
  Require(op, in.roughFeed > 0, key::kFaceRoughFeed, "{} must be greater than 0");
  Require(op, in.finishFeed > 0, key::kFaceFinishFeed, "{} must be greater than 0");
  Require(op, in.xClearance > 0, key::kFaceXClearance, "{} must be greater than 0");
  Require(op, in.zClearance > 0, key::kFaceZClearance, "{} must be greater than 0");
}

}  // namespace

Operation FaceOperation(const FaceInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Refusals(in, op);
  // The finish pass's entry runs X Clearance in to Stock Dia.
  RequireNoseTool(op, in.compensation, ctx, key::kFaceNoseRadiusCompensation, in.xClearance,
                  key::kFaceXClearance);
  if (!op.Refusal().empty()) return op;
  const double xClear = in.stockDia + 2.0 * in.xClearance;
  const double zRough = std::min<double>(in.zStart, in.zFinal + double(in.finishAllowance));
  const std::vector<double> roughZ = PassLevels(op, in.zStart, zRough, in.depthOfCut);

  op.Comment(key::kFaceComment, in.comment);
  NoseComment(op, in.compensation, ctx, key::kFaceNoseRadiusCompensation);
  TurningSpindleBlock(ctx, op, key::kFaceStockDia, in.stockDia, in.spindle, key::kFaceMaxRpm);
  BlockWriter path(op);
  // Each pass: down beside the stock, across the face to End Dia, off the face, back out.
  auto pass = [&](double z, double feed) {
    path.Rapid({.z = z});
    path.Feed({.x = in.endDia}, feed);
    path.Rapid({.z = z + in.zClearance});
    path.Rapid({.x = xClear});
  };
  path.Rapid({.x = xClear});
  for (double z : roughZ) pass(z, in.roughFeed);
  if (in.compensation == NoseCompensation::None) {
    pass(in.zFinal, in.finishFeed);
  } else {
    // The finish pass from an entry onto Stock Dia, the tool on the face's +Z side.
    path.Rapid({.z = in.zFinal});
    NosePath profile{{in.zFinal, xClear / 2}, {}};
    AddLine(profile, {in.zFinal, in.stockDia / 2.0}, in.finishFeed);
    AddLine(profile, {in.zFinal, in.endDia / 2.0}, in.finishFeed);
    WriteFinish(path, in.compensation, ctx, NoseSide::Left, profile);
    EndCompensation(path, in.compensation);
    path.Rapid(ExitPoint(in.compensation, {in.endDia, in.zFinal + in.zClearance}, {.z = in.zFinal + in.zClearance}));
    path.Rapid({.x = xClear});
  }
  path.Finish();
  return op;
}

}  // namespace tbx
