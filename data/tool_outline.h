#pragma once
// What a tool looks like in the lathe's half-section: its insert (or blade, or drill) and its
// holder as closed polygons in the Z/X plane, X as a radius, placed with the programmed point
// where the caller says. The drawing shows them; the stock simulation removes what the insert
// sweeps and checks the holder against the metal.
//
// The library gives no insert size or holder, so a turning insert has the inscribed circle of
// the common size for its shape (1/2 in for C, D, S; 3/8 in for T, V, W), a blade is .6 in
// long, a drill's body six diameters, and the holders are square shanks and bars of common
// sizes (a boring bar of the library's diameter where it gives one); all of it in mm for a
// metric program.
#include <vector>

#include "data/nose_path.h"
#include "data/tool_library.h"

namespace tbx {

struct ToolOutline {
  // Counter-clockwise, the last point not repeating the first; arcs flattened so that no
  // chord is farther than the tolerance from its arc.
  std::vector<NosePoint> insert;
  std::vector<NosePoint> holder;
  NosePoint noseCentre;  // the programmed point less the tip offset; the point for a drill
  // How far from the nose centre, into the insert, its edges cut: half the inscribed circle
  // of a turning insert, the width of a blade, the point of a drill (its body does not cut);
  // 0 for a round insert, which cuts all round.
  double cuttingReach = 0;
};

// The outline of `tool` (lengths in mm when `metric`, inch otherwise, as Tool::InUnits gives
// them) with its programmed point at `at`. A turning insert or a blade has its nose circle
// placed by the tip orientation (TipDirection): for 1 to 4 the circle touches the two axis
// lines through the programmed point, and a lead angle of 0 puts the main cutting edge square
// to the feed along Z, positive angles leaning it over the cut; for 5 to 9 the insert stands
// on its bisector, turned counter-clockwise by the lead angle. A drill points along -Z, its
// half above the axis. A round insert with no radius has no outline.
ToolOutline OutlineOf(const Tool& tool, bool metric, NosePoint at, double chordTolerance);

// The area of a closed polygon, positive when counter-clockwise.
double PolygonArea(const std::vector<NosePoint>& polygon);

}  // namespace tbx
