#pragma once
// The stock and what the tools take from it. The bar (or tube) is a half-section in the Z/R
// plane; every move sweeps its tool's outline (data/tool_outline.h) along its path, the
// insert's sweep is taken from the metal, and what the holder, the back of the insert or a
// rapid meets is a finding on its line. The drawing, `--simulate` and the exact checks read
// the result and nothing else.
#include <cstddef>
#include <vector>

#include "data/nose_path.h"
#include "toolpath/toolpath.h"

namespace tbx::toolpath {

// In the program's units; X words are diameters, so the stock's are too.
struct Stock {
  double outerDia = 0;  // 0: no stock known
  double bore = 0;      // 0 for a bar
  double frontZ = 0;    // its front face (face stock stands beyond Z0)
  double length = 0;    // from the front face towards the chuck; 0: into the jaws and beyond
  double chuckZ = 0;    // the face of the jaws
  // The jaws' outline: the diameter they reach out to (0: the bar's diameter and a quarter of
  // it again) and how far they grip along Z from their face (0: a third of the bar's diameter).
  double jawDia = 0;
  double jawLength = 0;
  bool Known() const { return outerDia > 0; }
  bool operator==(const Stock&) const = default;
};

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

// `settings.tools` gives each tool's outline; a tool it lacks counts as a round insert of
// 0.2 mm (.008 in) radius in a narrow holder.
Simulation Simulate(const Toolpath& path, const ToolpathSettings& settings, const Stock& stock);

Profile ProfileOf(const Section& part);

}  // namespace tbx::toolpath
