#pragma once
// The rules the drilling generators (C'Sink/Drill, Deep Drill) share.
#include <initializer_list>

#include "ops/context.h"
#include "program/block_writer.h"
#include "program/program_text.h"

namespace tbx {

// The point of a drilling tool: flat, or pointed with the included angle named.
enum class DrillPoint { Flat, Deg90, Deg118, Deg135 };

// How far the point reaches below the full diameter: (D / 2) × tan(90° − half angle).
double PointDepth(DrillPoint point, float diameter, double pi);

// Dwell in whole milliseconds: the whole part of the 4-place printed form of the
// single-precision 1000 × seconds, so that .251 s (250.99998 in single precision) gives 251.
// 0 means no dwell is written.
double DwellMilliseconds(float seconds);
// The drill in front of the hole at `z`, then onto the centre line; the first G0 is stated
// whatever the operation before left in force.
void StartDrilling(BlockWriter& path, float z);

// Refusals of what a drilling tab would run into, checked once its blocks are built so that
// the refusals before keep their words: a clearance below 0 rapids into the work, a feed of 0
// or less never reaches the bottom.
void RequireSafeDrilling(Operation& op, std::initializer_list<NamedValue> clearances,
                         NamedValue feed);

// The milliseconds of the Dwell Seconds box `field`; refuses a dwell too long to print as
// digits.
double CheckedDwell(float seconds, FieldKey field, Operation& op);

}  // namespace tbx
