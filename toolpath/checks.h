#pragma once
// What a careful programmer wants to know before running, read off the finished, timed move
// list: feed moves with F 0 or the spindle stopped (S0 included), threads faster than the Z
// axis, moves past the centre line, and rapids through the material an operation left.
//
// One warning per block and kind: a G76 of 9,000 passes below the centre line is one warning
// with the count and the worst value, so that the cost stays linear in the moves.
#include <vector>

#include "toolpath/toolpath.h"

namespace tbx::toolpath {

std::vector<Finding> CheckMoves(const Toolpath& path, const ToolpathSettings& settings);

}  // namespace tbx::toolpath
