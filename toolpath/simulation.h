#pragma once
// The stock and what the tools take from it. The bar (or tube) is a half-section in the Z/R
// plane; every move sweeps its tool's outline (data/tool_outline.h) along its path, the
// insert's sweep is taken from the metal, and what the holder, the back of the insert or a
// rapid meets is a finding on its line. The drawing, `--simulate` and the exact checks read
// the result and nothing else.
#include <cstddef>
#include <string>
#include <vector>

#include "data/nose_path.h"
#include "toolpath/toolpath.h"

namespace tbx::toolpath {

// A closed ring in the half-section, counter-clockwise, the last point not repeating the first.
using Ring = std::vector<NosePoint>;
struct Area {
  Ring outer;
  std::vector<Ring> holes;  // clockwise
};
using Section = std::vector<Area>;

// What one operation (Toolpath::operations, tool change to tool change) did to the stock.
struct StepResult {
  std::size_t operation = 0;
  double area = 0;        // removed from the half-section
  double volume = 0;      // removed from the part: the area revolved
  double airSeconds = 0;  // time of its feed and thread moves that removed nothing
  Section removed;        // what it took away
  Section after;          // the part as it stands after it
};

// The outline of the part as a programmer dimensions it: Z from the front face back, X as a
// diameter; the inner outline is the bore's (empty for a solid part).
struct Profile {
  std::vector<Point> outer, inner;
};

struct Simulation {
  Stock stock;
  Section blank;  // the stock before the first move
  Section jaws;
  std::vector<StepResult> steps;  // one per operation, in order
  Profile profile;                // of the part at the end
  std::vector<Finding> findings;  // warnings, in program order, one per block and kind
};

// Lengths closer than this are the same to the simulation: 1e-4 in, or 0.00254 mm.
inline double LengthTolerance(bool metric) { return metric ? 1e-4 * 25.4 : 1e-4; }

// `settings.tools` gives each tool's outline; a tool it lacks counts as a round insert of
// 0.2 mm (.008 in) radius in a narrow holder.
Simulation Simulate(const Toolpath& path, const ToolpathSettings& settings, const Stock& stock);

Profile ProfileOf(const Section& part);

// The part at the end (the last step's, else the blank) for a drawing program: DXF R12 text
// with a LINE for every edge of the half-section on layer PART and of its mirror image below
// the centre line on layer MIRROR, Z along DXF's X and the radius along its Y.
std::string PartDxf(const Simulation& sim);
// The part revolved about the centre line as an ASCII STL of `facets` facets around, Z along
// the STL's Z: closed (every edge shared by two triangles) and facing out.
inline constexpr int kStlFacets = 72;
std::string PartStl(const Simulation& sim, int facets = kStlFacets);
// Where metal of `part` stands within the box from `low` to `high` (Z, radius), beyond
// touching it: the bounds of that metal, or nothing.
struct Bounds {
  bool empty = true;
  double minZ = 0, maxZ = 0, minR = 0, maxR = 0;
};
Bounds MetalWithin(const Section& part, bool metric, NosePoint low, NosePoint high);
// The final part as the simulation left it.
const Section& FinalPart(const Simulation& sim);

}  // namespace tbx::toolpath
