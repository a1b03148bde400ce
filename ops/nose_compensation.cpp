#include "ops/nose_compensation.h"

#include <cmath>

namespace tbx {

Point Change(NosePoint from, NosePoint to) {
  // The compensated path's sums leave a hair where the drawn profile has none.
  Point p;
  if (std::fabs(to.r - from.r) > 1e-9) p.x = 2 * to.r;
  if (std::fabs(to.z - from.z) > 1e-9) p.z = to.z;
  return p;
}

void WritePath(BlockWriter& path, const NosePath& moves) {
  NosePoint at = moves.start;
  for (const NoseSegment& s : moves.segments) {
    if (s.arc)
      path.Arc(s.clockwise, {2 * s.end.r, s.end.z}, s.centre.r - at.r, s.centre.z - at.z, s.feed);
    else
      path.Feed(Change(at, s.end), s.feed);
    at = s.end;
  }
}

NosePath ProgrammedPath(NoseCompensation mode, const OpContext& ctx, NoseSide side, const NosePath& profile) {
  if (mode != NoseCompensation::Computed) return profile;
  const double radius = ctx.tool ? ctx.tool->radius : 0;
  const int orientation = ctx.tool ? ctx.tool->orientation : 0;
  const NosePoint tip = TipDirection(orientation);
  return ShiftedPath(NoseCentrePath(profile, side, radius, orientation), {radius * tip.z, radius * tip.r});
}

void AddLine(NosePath& profile, NosePoint to, double feed) {
  const NosePoint from = profile.segments.empty() ? profile.start : profile.segments.back().end;
  if (std::fabs(to.z - from.z) > 1e-9 || std::fabs(to.r - from.r) > 1e-9) profile.segments.push_back({to, false, false, {}, feed});
}

void RequireNoseTool(Operation& op, NoseCompensation mode, const OpContext& ctx, FieldKey field,
                     double leadIn, FieldKey leadInField) {
  if (mode == NoseCompensation::None) return;
  if (!ctx.tool) {
    op.Refuse(field, "{} needs the tool " + ctx.toolChange.tool + ctx.toolChange.offset +
                         " in the tool library");
    return;
  }
  if (!HasInsert(ctx.tool->kind) && !HasBlade(ctx.tool->kind)) {
    op.Refuse(field, "{} needs a tool with a nose: " + ctx.tool->Word() + " is a " +
                         std::string(KindName(ctx.tool->kind)));
    return;
  }
  Require(op, leadIn > ctx.tool->radius, leadInField,
          "{} must be more than the nose radius for the compensation's entry move");
}

void NoseComment(Operation& op, NoseCompensation mode, const OpContext& ctx, FieldKey field) {
  if (mode != NoseCompensation::ControlG41G42 || !ctx.tool) return;
  const std::string radius = op.Axis('R', ctx.tool->radius).substr(2);
  op.Comment(field, ctx.tool->Word() + " NOSE RADIUS " + radius + " ORIENTATION " +
                        std::to_string(ctx.tool->orientation));
}

void WriteFinish(BlockWriter& path, NoseCompensation mode, const OpContext& ctx, NoseSide side,
                 const NosePath& profile) {
  if (mode == NoseCompensation::ControlG41G42) {
    path.Prefix(side == NoseSide::Left ? " G41" : " G42");
  }
  WritePath(path, ProgrammedPath(mode, ctx, side, profile));
}

void EndCompensation(BlockWriter& path, NoseCompensation mode) {
  if (mode == NoseCompensation::ControlG41G42) path.Prefix(" G40");
}

}  // namespace tbx
