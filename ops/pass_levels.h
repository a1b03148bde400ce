#pragma once
// Rough passes of the turning tabs (Face, Turn, Part-off).
#include <vector>

#include "program/program_text.h"

namespace tbx {

// The levels of passes that go from `from` to `to` in equal steps of at most maxStep: every
// level after `from`, the last exactly `to`; none when they are equal. The caller refuses a
// step of 0 or less; a step so small that the passes could never fit the block limit refuses
// the operation here, before any of them is built.
std::vector<double> PassLevels(Operation& op, double from, double to, double maxStep);

}  // namespace tbx
