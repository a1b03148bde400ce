#include "ops/profile.h"

#include <algorithm>
#include <cmath>

#include "data/roughing.h"
#include "program/block_writer.h"
#include "program/numbers.h"

namespace tbx {

namespace {

constexpr double kEps = 1e-9;

NosePoint EndOf(const NosePath& path) { return path.segments.empty() ? path.start : path.segments.back().end; }

// The contour run from its end to its start.
ProfileContour Reversed(const ProfileContour& c) {
  ProfileContour out;
  out.path.start = EndOf(c.path);
  for (std::size_t i = c.path.segments.size(); i-- > 0;) {
    NoseSegment s = c.path.segments[i];
    s.end = i > 0 ? c.path.segments[i - 1].end : c.path.start;
    s.clockwise = !s.clockwise;
    out.path.segments.push_back(s);
    out.lines.push_back(c.lines[i]);
  }
  return out;
}

std::string Tenths(double v) { return PlainDecimal(std::round(v * 10) / 10, 1); }

void Refusals(const ProfileInputs& in, const OpContext& ctx, Operation& op) {
  RequireNumbers(op, {{key::kProfileStartDia, in.startDia}, {key::kProfileStartZ, in.startZ},
                      {key::kProfileDepthOfCut, in.depthOfCut},
                      {key::kProfileFinishAllowanceX, in.finishAllowanceX},
                      {key::kProfileFinishAllowanceZ, in.finishAllowanceZ},
                      {key::kProfileRoughFeed, in.roughFeed}, {key::kProfilePlungeFeed, in.plungeFeed},
                      {key::kProfileFinishFeed, in.finishFeed}, {key::kProfileClearance, in.clearance}});
  if (!in.contour.fault.empty()) op.Refuse(key::kProfileContour, "{} " + in.contour.fault);
  Require(op, !in.contour.path.segments.empty(), key::kProfileContour,
          "{} needs a first point and at least one line after it");
  Require(op, in.startDia > 0, key::kProfileStartDia, "{} must be greater than 0");
  Require(op, in.depthOfCut > 0, key::kProfileDepthOfCut, "{} must be greater than 0");
  Require(op, in.finishAllowanceX >= 0, key::kProfileFinishAllowanceX, "{} must be 0 or more");
  Require(op, in.finishAllowanceZ >= 0, key::kProfileFinishAllowanceZ, "{} must be 0 or more");
  Require(op, in.roughFeed > 0, key::kProfileRoughFeed, "{} must be greater than 0");
  Require(op, in.plungeFeed > 0, key::kProfilePlungeFeed, "{} must be greater than 0");
  Require(op, in.finishFeed > 0, key::kProfileFinishFeed, "{} must be greater than 0");
  Require(op, in.clearance > 0, key::kProfileClearance, "{} must be greater than 0");
  if (ctx.tool && !HasInsert(ctx.tool->kind) && !HasBlade(ctx.tool->kind))
    op.Refuse(key::kProfileContour, "{} needs a turning tool: " + ctx.tool->Word() + " is a " +
                                        std::string(KindName(ctx.tool->kind)));
  // The G70 of a control compensating under G41/G42 is not the same on every control; the
  // cycle form writes the compensated path itself.
  Require(op, !(in.cycle && in.compensation == NoseCompensation::ControlG41G42),
          key::kProfileNoseRadiusCompensation,
          "{} G41/G42 is written with the Moves output; the G71/G70 output takes None or Computed");
}

}  // namespace

double MaxDescent(const Tool& tool, bool face) {
  if (HasBlade(tool.kind)) return 90;
  // The trailing edge of a turning pass is the insert's end edge, 180 - approach - included
  // angle off the cut (approach 90 - lead); facing, the side edge trails, -lead off the cut.
  const double trailing = face ? -tool.leadAngle : 90 + tool.leadAngle - IncludedAngle(tool.shape);
  return std::clamp(trailing - 2, 0.0, 90.0);
}

Operation ProfileOperation(const ProfileInputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  Refusals(in, ctx, op);
  RequireNoseTool(op, in.compensation, ctx, key::kProfileNoseRadiusCompensation, in.clearance,
                  key::kProfileClearance);
  if (!op.Refusal().empty()) return op;

  // The frame: `side` points from the finished surface into the stock. The passes run toward
  // the chuck (turn) or the axis, or away from it inside (face); the contour may be typed
  // either way and is taken in that direction.
  const double side = in.inside ? -1 : 1;
  ProfileContour contour = in.contour;
  {
    const NosePoint a = contour.path.start, b = EndOf(contour.path);
    const bool backwards = in.face ? side * (b.r - a.r) > kEps : b.z > a.z + kEps;
    if (backwards) contour = Reversed(contour);
  }
  const NosePoint first = contour.path.start, last = EndOf(contour.path);
  const double stockR = in.startDia / 2.0;
  const NosePoint start{double(in.startZ) + in.clearance, stockR + side * in.clearance};
  if (!in.face && first.z > in.startZ + kEps)
    op.Refuse(key::kProfileContour, "{} must start at or behind {profile.start_z}");
  // Outside, the contour starts at or below the stock; inside, at or above the bore.
  if (side * (first.r - stockR) > kEps)
    op.Refuse(key::kProfileContour, in.inside ? "{} must start at or above {profile.start_dia}"
                                              : "{} must start at or below {profile.start_dia}");
  if (!op.Refusal().empty()) return op;

  // The finish pass: in from beside the stock to the contour's first point, along it, out
  // past the stock; the segments' `source` is their place here, for naming lines.
  const NosePoint entry = in.face ? NosePoint{first.z, start.r} : NosePoint{start.z, first.r};
  const NosePoint exit = in.face ? NosePoint{start.z, last.r} : NosePoint{last.z, start.r};
  NosePath finish{entry, {}};
  std::vector<int> lineOf;
  auto add = [&](NoseSegment s, int line) {
    s.feed = in.finishFeed;
    s.source = lineOf.size();
    finish.segments.push_back(s);
    lineOf.push_back(line);
  };
  auto lineTo = [](NosePoint to) {
    NoseSegment s;
    s.end = to;
    return s;
  };
  if (std::hypot(first.z - entry.z, first.r - entry.r) > kEps) add(lineTo(first), contour.lines.front());
  for (std::size_t i = 0; i < contour.path.segments.size(); ++i) add(contour.path.segments[i], contour.lines[i]);
  if (std::hypot(exit.z - last.z, exit.r - last.r) > kEps) add(lineTo(exit), contour.lines.back());
  const NoseSide noseSide = (in.face != in.inside) ? NoseSide::Left : NoseSide::Right;
  // Roughing leaves the allowance off the path the programmed point finishes along, so that
  // under Computed the rough passes keep it from what the nose will cut.
  NosePath programmed = ProgrammedPath(in.compensation, ctx, noseSide, finish);
  // The nose swings round a corner that hardly turns on an arc that departs from its chord by
  // less than the blocks' last place: written, its ends rounded would no longer lie on one
  // circle, and could even turn it the other way round. Its chord is the same cut.
  for (std::size_t i = 0; i < programmed.segments.size(); ++i) {
    NoseSegment& seg = programmed.segments[i];
    const NosePoint from = i > 0 ? programmed.segments[i - 1].end : programmed.start;
    const double radius = std::hypot(from.z - seg.centre.z, from.r - seg.centre.r);
    const double half = std::hypot(seg.end.z - from.z, seg.end.r - from.r) / 2;
    if (seg.arc && radius - std::sqrt(std::max(0.0, radius * radius - half * half)) <= 5e-5) seg.arc = false;
  }
  NosePath planned = programmed;
  // Planned from the points as the blocks write them, so that a G71 read back from its
  // contour blocks makes the very moves written out.
  auto written = [](NosePoint p) { return NosePoint{std::round(p.z * 1e4) / 1e4, std::round(p.r * 2e4) / 2e4}; };
  // An arc's centre as a reader finds it: from the written start, I and K rounded.
  auto place = [](double v) { return std::round(v * 1e4) / 1e4; };
  planned.start = written(programmed.start);
  for (std::size_t i = 0; i < planned.segments.size(); ++i) {
    NoseSegment& seg = planned.segments[i];
    const NosePoint from = i > 0 ? programmed.segments[i - 1].end : programmed.start;
    const NosePoint at = written(from);
    seg.end = written(seg.end);
    seg.centre = {at.z + place(seg.centre.z - from.z), at.r + place(seg.centre.r - from.r)};
  }

  RoughingCycle cycle;
  cycle.contour = planned;
  cycle.start = start;
  cycle.depthOfCut = in.depthOfCut;
  cycle.retract = in.clearance;
  cycle.allowanceX = side * 2.0 * in.finishAllowanceX;
  cycle.allowanceZ = in.finishAllowanceZ;
  cycle.axis = in.face ? RoughingAxis::Face : RoughingAxis::Turn;
  cycle.maxDescent = ctx.tool ? MaxDescent(*ctx.tool, in.face) : 90;
  cycle.maxPasses = kMaxOperationBlocks;
  cycle.maxMoves = kMaxOperationBlocks;
  RoughingPlan plan = PlanRoughing(cycle);
  if (plan.refusal && plan.refusal->fault == RoughingFault::NotMonotonic) {
    cycle.pockets = true;
    plan = PlanRoughing(cycle);
  }
  if (plan.refusal) {
    const RoughingRefusal& r = *plan.refusal;
    std::string line;
    if (r.segment < planned.segments.size()) {
      const std::size_t source = planned.segments[r.segment].source;
      if (source < lineOf.size()) line = " line " + std::to_string(lineOf[source]);
    }
    if (r.fault == RoughingFault::TooSteep && ctx.tool) {
      const double need = in.face ? -(r.angle + 2) : 90 + ctx.tool->leadAngle - 2 - r.angle;
      op.Refuse(key::kProfileContour,
                "{}" + line + " goes down at " + Tenths(r.angle) + " degrees below the cut; " +
                    ctx.tool->Word() + " follows " + Tenths(cycle.maxDescent) + " at most: " +
                    (in.face ? "it needs a holder of lead angle " + Tenths(need) + " or less"
                             : need > 0 ? "it needs an insert of " + Tenths(need) + " degrees or less"
                                        : std::string("it needs a grooving tool")));
    } else {
      op.Refuse(key::kProfileContour, "{}" + line + ": " + r.text);
    }
    return op;
  }

  op.Comment(key::kProfileComment, in.comment);
  NoseComment(op, in.compensation, ctx, key::kProfileNoseRadiusCompensation);
  double largest = stockR;
  if (in.inside) {
    largest = 0;
    for (const NoseSegment& s : finish.segments) largest = std::max(largest, s.end.r);
  }
  TurningSpindleBlock(ctx, op, in.inside ? key::kProfileContour : key::kProfileStartDia, float(2 * largest),
                      in.spindle, key::kProfileMaxRpm);
  BlockWriter path(op);
  path.Rapid({.x = 2 * start.r});
  path.Rapid({.z = start.z});

  if (in.cycle) {
    // The contour blocks first, to know how many there are: P names the first, Q the last.
    // The first moves one axis only for type I, both for type II, as the control tells them.
    Operation blocks(0);
    BlockWriter contourPath(blocks);
    if (cycle.pockets)
      contourPath.Rapid({2 * programmed.start.r, programmed.start.z});
    else
      contourPath.Rapid(Change(start, programmed.start));
    WritePath(contourPath, programmed);
    if (!blocks.Refusal().empty()) op.Refuse(blocks.Refusal().field, blocks.Refusal().text);
    const std::string name = in.face ? " G72" : " G71";
    path.Cycle(name + op.Axis(in.face ? 'W' : 'U', in.depthOfCut) + op.Axis('R', in.clearance));
    const std::int64_t p = ctx.firstBlock + 10 * static_cast<std::int64_t>(op.Blocks().size() + 2);
    const std::int64_t q = p + 10 * static_cast<std::int64_t>(blocks.Blocks().size() - 1);
    path.Cycle(name + op.WholeWord('P', double(p)) + op.WholeWord('Q', double(q)) + op.Axis('U', cycle.allowanceX) +
               op.Axis('W', cycle.allowanceZ) + op.Feed(in.roughFeed));
    for (const std::string& words : blocks.Blocks()) op.Block(words);
    path.Cycle(" G70" + op.WholeWord('P', double(p)) + op.WholeWord('Q', double(q)));
    path.Finish();
    return op;
  }

  // Every move written out: the rough passes as planned, plunges down a pocket's wall and
  // entries at feed taken at the plunge feed.
  NosePoint at = start;
  for (const RoughingMove& m : plan.moves) {
    const Point to = Change(at, m.path.end);
    if (!to.x && !to.z) continue;
    if (m.rapid) {
      path.Rapid(to);
    } else {
      const bool plunge = m.role == RoughingRole::Plunge || m.role == RoughingRole::Entry;
      const double feed = plunge ? in.plungeFeed : in.roughFeed;
      if (m.path.arc)
        path.Arc(m.path.clockwise, {2 * m.path.end.r, m.path.end.z}, m.path.centre.r - at.r, m.path.centre.z - at.z,
                 feed);
      else
        path.Feed(to, feed);
    }
    at = m.path.end;
  }
  path.Rapid(Change(at, entry));
  if (in.compensation == NoseCompensation::ControlG41G42) path.Prefix(noseSide == NoseSide::Left ? " G41" : " G42");
  WritePath(path, programmed);
  EndCompensation(path, in.compensation);
  const Point back = in.face ? Point{.x = 2 * start.r} : Point{.z = start.z};
  path.Rapid(ExitPoint(in.compensation, {2 * start.r, start.z}, back));
  path.Finish();
  return op;
}

}  // namespace tbx
