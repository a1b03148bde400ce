#pragma once
// The roughing passes of a stock-removal cycle, as a lathe control makes them from a finished
// contour: G71 (passes along Z) and G72 (passes along X), type I (a contour that only climbs
// out of the stock) and type II (pockets: a contour that goes down and up again). The toolpath
// reader expands its G71/G72 blocks with it and the Profile operation writes its roughing with
// it, so that a cycle and its moves written out are the same moves.
//
// Coordinates are Z and the radius, as in nose_path.h; allowances and depths as noted.
//
// The finish allowance is a translation: the contour the roughing stops at is the finished
// contour moved by (U/2, W), as the controls do it, not an offset square to each segment. So
// a cylinder keeps U/2 and a face W, but a taper or an arc keeps less measured square to it
// (a 45-degree taper keeps (U/2 + W)/sqrt(2) for allowances that push the same way, and the
// difference when they oppose), and a corner gets no allowance of its own. Signs are as the
// control takes them: U > 0 moves the contour away from the axis (outside work), U < 0 toward
// it (inside work); W > 0 moves it toward +Z.
//
// How the passes run, in the frame of the cut (along: the direction the passes go, from the
// start point toward the contour's end; depth: from the start point toward the contour's
// first point):
// - Pass k cuts at the level the start point's depth less k times the depth of cut, the last
//   at the lowest point of the moved contour; so no pass is deeper than the depth of cut.
// - A pass follows max(level, moved contour) wherever the moved contour lies below the level
//   of the pass before (the start point's, for the first): along the level where the contour
//   is below it, along the contour where it lies between the two levels, going down into a
//   pocket along its wall and out of it along the next. Each stretch ends by following the
//   contour back out to the level before, so no steps are left for the finish pass; the tool
//   then retracts by the retract at 45 degrees (back along and out).
// - Before the contour's first point the moved contour counts as level with it; after its
//   end as a wall going straight out, which the passes do not cut past.
// - Between stretches and passes the tool moves at rapid only through what is already cut:
//   out to clear what lies between (never beyond the start point's depth), across, and in.
//   The entry of each pass, at the start point's place along the cut, is the one move into the
//   depth that the caller takes at rapid or at feed (a control: as the first contour block's
//   G0 or G1). After the last pass the tool returns to the start point.
// Work is linear in passes times segments; passes and moves are bounded by the caller, and
// passes times segments above 20 million are refused as too many passes.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "data/nose_path.h"

namespace tbx {

enum class RoughingAxis { Turn, Face };  // G71: passes along Z; G72: passes along X

struct RoughingCycle {
  // The finished contour: `start` is the first point (where the first contour block ends),
  // each segment one block after it to the last; arcs as in nose_path.h.
  NosePath contour;
  NosePoint start;             // where the tool stands when the cycle is called
  double depthOfCut = 0;       // per pass, measured along the depth (a radius for G71)
  double retract = 0;          // the 45-degree retract after each stretch, along each axis
  double allowanceX = 0;       // on the diameter (U), signed as above
  double allowanceZ = 0;       // W, signed as above
  RoughingAxis axis = RoughingAxis::Turn;
  bool pockets = false;        // type II; type I refuses a contour that goes deeper again
  bool entryAtRapid = true;    // the entry of each pass (see above): rapid or feed
  // The steepest slope below the direction of cut the tool can follow down a pocket's wall,
  // in degrees (90: straight down); a steeper wall is refused with the angle it needs.
  double maxDescent = 90;
  int maxPasses = 10000;         // more passes than this are refused
  std::size_t maxMoves = 500000; // so are more moves than this
};

// What a move of the plan does. The caller picks the feeds by it (a control uses the cycle's
// F for all; the Profile operation its plunge feed for Plunge).
enum class RoughingRole {
  Entry,     // the move into the depth at the start point's place, before a pass
  Cut,       // along a pass's level
  Plunge,    // along the moved contour, deeper (down a pocket's wall)
  Follow,    // along the moved contour, not deeper (out of the stock, or level with it)
  Retract,   // the 45-degree retract at the end of a stretch (rapid)
  Position,  // through what is cut, to the next stretch or back to the start point (rapid)
};

inline constexpr std::size_t kNoContourSegment = static_cast<std::size_t>(-1);

struct RoughingMove {
  // The move to `path.end` (line or arc, as in nose_path.h); `path.source` is the index in
  // the contour's segments of the segment it follows, kNoContourSegment for a move that
  // follows none. `path.feed` is 0: the caller's to fill.
  NoseSegment path;
  RoughingRole role = RoughingRole::Cut;
  bool rapid = false;
  int pass = 0;  // 1 for the first pass; the return to the start point has the last pass's
};

enum class RoughingFault {
  BadValue,        // a depth of cut not above 0, a negative retract, a value not finite
  NoContour,       // no segments
  NoSide,          // the contour's first point is level with the start point in depth
  WrongEnd,        // the contour does not end beyond the start point along the cut
  TurnsBack,       // a segment goes back against the direction of cut
  NotMonotonic,    // type I: a segment goes deeper again
  TooSteep,        // a pocket's wall is steeper than maxDescent
  TooManyPasses,
  TooManyMoves,
};

struct RoughingRefusal {
  RoughingFault fault = RoughingFault::BadValue;
  std::size_t segment = kNoContourSegment;  // the contour segment at fault, if one is
  double angle = 0;                         // TooSteep: the descent it needs, degrees
  std::string text;                         // a sentence for the programmer, without the line
};

struct RoughingPlan {
  std::vector<RoughingMove> moves;  // from the start point back to it; empty when refused
  int passes = 0;
  // The side, as a control decides it from where the contour lies from the start point: the
  // passes work away from the axis (G71: the contour's first point is further out than the
  // start point; G72: the contour's end is), as in a bore.
  bool inside = false;
  std::optional<RoughingRefusal> refusal;
};

RoughingPlan PlanRoughing(const RoughingCycle& cycle);

}  // namespace tbx
