#include "ops/face.h"

#include <algorithm>
#include <optional>

#include "ops/lathe_path.h"

namespace tbx {

namespace {

void Refusals(const FaceInputs& in, Operation& op) {
  RequireNumbers(op, {{"Stock Dia", in.stockDia}, {"End Dia", in.endDia},
                      {"Z Start", in.zStart}, {"Z Final", in.zFinal},
                      {"Depth of Cut", in.depthOfCut}, {"Finish Allowance", in.finishAllowance},
                      {"Rough Feed", in.roughFeed}, {"Finish Feed", in.finishFeed},
                      {"X Clearance", in.xClearance}, {"Z Clearance", in.zClearance}});
  Require(op, in.endDia >= 0, "End Dia must be 0 or more");
  Require(op, in.endDia <= in.stockDia, "End Dia must not be above Stock Dia");
  Require(op, in.zFinal <= in.zStart, "Z Final must not be above Z Start");
  Require(op, in.depthOfCut > 0, "Depth of Cut must be greater than 0");
  Require(op, in.finishAllowance >= 0, "Finish Allowance must be 0 or more");
  Require(op, in.finishAllowance <= in.depthOfCut,
          "Finish Allowance must not be more than Depth of Cut");
  Require(op, in.roughFeed > 0, "Rough Feed must be greater than 0");
  Require(op, in.finishFeed > 0, "Finish Feed must be greater than 0");
  Require(op, in.xClearance > 0, "X Clearance must be greater than 0");
  Require(op, in.zClearance > 0, "Z Clearance must be greater than 0");
}

}  // namespace

Operation FaceOperation(const FaceInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Refusals(in, op);
  if (!op.Refusal().empty()) return op;
  const double xClear = in.stockDia + 2.0 * in.xClearance;
  const double zRough = std::min<double>(in.zStart, in.zFinal + double(in.finishAllowance));
  const std::vector<double> roughZ = PassLevels(op, in.zStart, zRough, in.depthOfCut);

  op.Comment(in.comment);
  TurningSpindleBlock(ctx, op, "Stock Dia", in.stockDia, in.spindle);
  LathePath path(op);
  // Each pass: down beside the stock, across the face to End Dia, off the face, back out.
  auto pass = [&](double z, double feed) {
    path.Rapid(std::nullopt, z);
    path.Feed(in.endDia, std::nullopt, feed);
    path.Rapid(std::nullopt, z + in.zClearance);
    path.Rapid(xClear, std::nullopt);
  };
  path.Rapid(xClear, std::nullopt);
  for (double z : roughZ) pass(z, in.roughFeed);
  pass(in.zFinal, in.finishFeed);
  path.Finish();
  return op;
}

}  // namespace tbx
