#pragma once
// The move list drawn as lathe programmers draw it: the XZ plane with Z to the right and X up
// as a radius, the spindle centre line dash-dotted, rapids dashed, feeds solid, threading in
// its own colour, dwells as dots and each tool-change position marked with a circled cross.
// Scaled to fit 800 pixels wide (at most 600 high) with the same scale on both axes. With a
// simulated stock, beneath the moves: the jaws, the part as it stands at the end filled as a
// half-section, and the stock's outline dashed.
#include <string>

#include "toolpath/toolpath.h"

namespace tbx::toolpath {

std::string ToolpathSvg(const Toolpath& path);

}  // namespace tbx::toolpath
