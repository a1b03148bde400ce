#pragma once
// A finished contour read from blocks of G1/G2/G3 moves: the blocks P to Q of a G70/G71/G72,
// and the lines of the Profile operation's contour box, by the one reader.
//
// Each block is a line or an arc (G2/G3 with R, or with I and K, I a radius) to its X
// (diameter) and Z, U and W incremental; G0 and G1 both make a line, the motion is modal
// and starts as G1. ",C" and ",R" at the end of a block put a chamfer (its length along each
// side from the corner) or a radius tangent to both sides into the corner the block ends in;
// both sides of such a corner must be lines. F, S, T and N words are taken and left alone.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/nose_path.h"
#include "toolpath/reader.h"

namespace tbx::toolpath {

struct ContourRead {
  // Radius coordinates as in nose_path.h. A chamfer or a corner radius is a segment of its
  // own, attributed to the block that asked for it.
  NosePath path;
  std::vector<int> lines;  // for each segment: the line of the block it comes from
  // What cannot be made a contour, by line (the contour is made without it: an arc that does
  // not close becomes a line, a corner too small for its chamfer or radius stays sharp).
  std::vector<Finding> issues;
};

// The contour of `blocks`, the first of which moves from `from` (a diameter and Z) to the
// contour's first point; the rest are its segments.
ContourRead ContourFromBlocks(std::span<const Block> blocks, Point from);

// The lines of a contour box: the first line names the first point (X and Z both), each line
// after it a segment.
ContourRead ReadContour(std::string_view text);

}  // namespace tbx::toolpath
