#include "ops/part_off.h"

#include <optional>

#include "ops/lathe_path.h"

namespace tbx {

namespace {

void Refusals(const PartOffInputs& in, Operation& op) {
  RequireNumbers(op, {{"Stock Dia", in.stockDia}, {"End Dia", in.endDia},
                      {"Z Position", in.zPosition}, {"Tool Width", in.toolWidth},
                      {"Peck", in.peck}, {"Feed", in.feed},
                      {"Reduced Feed Dia", in.reducedFeedDia}, {"Reduced Feed", in.reducedFeed},
                      {"Chamfer", in.chamfer}, {"Clearance", in.clearance}});
  Require(op, in.endDia >= 0, "End Dia must be 0 or more");
  Require(op, in.endDia <= in.stockDia, "End Dia must not be above Stock Dia");
  Require(op, in.toolWidth > 0, "Tool Width must be greater than 0");
  Require(op, in.peck >= 0, "Peck must be 0 or more");
  Require(op, in.feed > 0, "Feed must be greater than 0");
  Require(op, in.reducedFeed > 0, "Reduced Feed must be greater than 0");
  Require(op, in.chamfer >= 0, "Chamfer must be 0 or more");
  Require(op, 2.0 * in.chamfer <= double(in.stockDia) - in.endDia,
          "Chamfer must not be more than half of Stock Dia - End Dia");
  Require(op, in.clearance > 0, "Clearance must be greater than 0");
}

}  // namespace

Operation PartOffOperation(const PartOffInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Refusals(in, op);
  if (!op.Refusal().empty()) return op;
  const double xClear = in.stockDia + 2.0 * in.clearance;
  const double surface = in.stockDia - 2.0 * in.chamfer;  // where the plunge meets material
  const std::vector<double> pecks =
      in.peck > 0 ? PassLevels(op, surface, in.endDia, 2.0 * in.peck)
                  : std::vector<double>{in.endDia};
  // A little back after each peck to break the chip: half a peck per side.
  const double chipBreak = in.peck;
  auto feedAt = [&](double dia) { return dia < in.reducedFeedDia ? in.reducedFeed : in.feed; };

  op.Comment(in.comment);
  TurningSpindleBlock(ctx, op, "Stock Dia", in.stockDia, in.spindle);
  LathePath path(op);
  // The plunge changes to Reduced Feed where it crosses Reduced Feed Dia.
  double at = xClear;
  auto plungeTo = [&](double dia) {
    if (at > in.reducedFeedDia && in.reducedFeedDia > dia) {
      path.Feed(in.reducedFeedDia, std::nullopt, in.feed);
    }
    path.Feed(dia, std::nullopt, feedAt(dia));
    at = dia;
  };
  path.Rapid(xClear, std::nullopt);
  if (in.chamfer > 0) {
    // Down the chamfer's line from outside the stock, the blade's part-side corner leading.
    path.Rapid(std::nullopt, double(in.zPosition) + in.chamfer + in.clearance);
    path.Feed(surface, in.zPosition, feedAt(surface));
    at = surface;
  } else {
    path.Rapid(std::nullopt, in.zPosition);
  }
  for (std::size_t k = 0; k < pecks.size(); ++k) {
    plungeTo(pecks[k]);
    if (k + 1 < pecks.size()) {
      path.Rapid(pecks[k] + chipBreak, std::nullopt);
      at = pecks[k] + chipBreak;
    }
  }
  path.Rapid(xClear, std::nullopt);
  path.Finish();
  return op;
}

}  // namespace tbx
