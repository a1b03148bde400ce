#include "ops/part_off.h"

#include <cmath>
#include <optional>
#include <utility>

#include "ops/pass_levels.h"
#include "program/block_writer.h"

namespace tbx {

namespace {

void Refusals(const PartOffInputs& in, Operation& op) {
  RequireNumbers(op, {{key::kPartStockDia, in.stockDia}, {key::kPartEndDia, in.endDia},
                      {key::kPartZPosition, in.zPosition}, {key::kPartToolWidth, in.toolWidth},
                      {key::kPartPeck, in.peck}, {key::kPartFeed, in.feed},
                      {key::kPartReducedFeedDia, in.reducedFeedDia},
                      {key::kPartReducedFeed, in.reducedFeed},
                      {key::kPartChamfer, in.chamfer}, {key::kPartClearance, in.clearance}});
  Require(op, in.endDia >= 0, key::kPartEndDia, "{} must be 0 or more");
  Require(op, in.endDia <= in.stockDia, key::kPartEndDia,
          "{} must not be above {part_off.stock_dia}");
  Require(op, in.toolWidth > 0, key::kPartToolWidth, "{} must be greater than 0");
  Require(op, in.peck >= 0, key::kPartPeck, "{} must be 0 or more");
  Require(op, in.feed > 0, key::kPartFeed, "{} must be greater than 0");
  Require(op, in.reducedFeed > 0, key::kPartReducedFeed, "{} must be greater than 0");
  Require(op, in.chamfer >= 0, key::kPartChamfer, "{} must be 0 or more");
  Require(op, 2.0 * in.chamfer <= double(in.stockDia) - in.endDia,
          key::kPartChamfer,
          "{} must not be more than half of {part_off.stock_dia} - {part_off.end_dia}");
  Require(op, in.clearance > 0, key::kPartClearance, "{} must be greater than 0");
}

}  // namespace

Operation PartOffOperation(const PartOffInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Refusals(in, op);
  // The entry runs the clearance in to the stock, along the chamfer's line when there is one.
  RequireNoseTool(op, in.compensation, ctx, key::kPartNoseRadiusCompensation,
                  in.chamfer > 0 ? std::sqrt(2.0) * in.clearance : double(in.clearance), key::kPartClearance);
  if (!op.Refusal().empty()) return op;
  const double xClear = in.stockDia + 2.0 * in.clearance;
  const double surface = in.stockDia - 2.0 * in.chamfer;  // where the plunge meets material
  const std::vector<double> pecks =
      in.peck > 0 ? PassLevels(op, surface, in.endDia, 2.0 * in.peck)
                  : std::vector<double>{in.endDia};
  // A little back after each peck to break the chip: half a peck per side.
  const double chipBreak = in.peck;
  auto feedAt = [&](double dia) { return dia < in.reducedFeedDia ? in.reducedFeed : in.feed; };

  op.Comment(key::kPartComment, in.comment);
  NoseComment(op, in.compensation, ctx, key::kPartNoseRadiusCompensation);
  TurningSpindleBlock(ctx, op, key::kPartStockDia, in.stockDia, in.spindle, key::kPartMaxRpm);
  BlockWriter path(op);
  // The plunge changes to Reduced Feed where it crosses Reduced Feed Dia.
  double at = xClear;
  auto plungeTo = [&](double dia) {
    if (at > in.reducedFeedDia && in.reducedFeedDia > dia) {
      path.Feed({.x = in.reducedFeedDia}, in.feed);
    }
    path.Feed({.x = dia}, feedAt(dia));
    at = dia;
  };
  path.Rapid({.x = xClear});
  const double zChamfer = double(in.zPosition) + in.chamfer + in.clearance;
  std::optional<double> exitZ;  // the Z the first move after a computed pass must state
  if (in.compensation != NoseCompensation::None) {
    // The blade's part-side corner along the chamfer and down the back face to the first
    // peck: the entry onto the stock, the chamfer, the plunge with its feed change.
    path.Rapid({.z = in.chamfer > 0 ? zChamfer : double(in.zPosition)});
    NosePath profile{{in.chamfer > 0 ? zChamfer : double(in.zPosition), xClear / 2}, {}};
    const double first = feedAt(surface);
    AddLine(profile, {in.zPosition + double(in.chamfer), in.stockDia / 2.0}, first);
    AddLine(profile, {double(in.zPosition), surface / 2}, first);
    if (surface > in.reducedFeedDia && in.reducedFeedDia > pecks.front())
      AddLine(profile, {double(in.zPosition), in.reducedFeedDia / 2.0}, in.feed);
    AddLine(profile, {double(in.zPosition), pecks.front() / 2}, feedAt(pecks.front()));
    WriteFinish(path, in.compensation, ctx, NoseSide::Right, profile);
    EndCompensation(path, in.compensation);
    at = pecks.front();
    exitZ = ExitPoint(in.compensation, {0.0, double(in.zPosition)}, {}).z;
  } else if (in.chamfer > 0) {
    // Down the chamfer's line from outside the stock, the blade's part-side corner leading.
    path.Rapid({.z = zChamfer});
    path.Feed({surface, in.zPosition}, feedAt(surface));
    at = surface;
  } else {
    path.Rapid({.z = in.zPosition});
  }
  for (std::size_t k = 0; k < pecks.size(); ++k) {
    if (k > 0 || in.compensation == NoseCompensation::None) plungeTo(pecks[k]);
    if (k + 1 < pecks.size()) {
      path.Rapid({.x = pecks[k] + chipBreak, .z = std::exchange(exitZ, std::nullopt)});
      at = pecks[k] + chipBreak;
    }
  }
  path.Rapid({.x = xClear, .z = exitZ});
  path.Finish();
  return op;
}

}  // namespace tbx
