#pragma once
// Drill + Tap Data: the drills of the list nearest to the computed tap drill, and the
// percentage of thread each would give.
#include <optional>
#include <span>
#include <string>

#include "data/tables.h"

namespace tbx {

struct App;

struct DrillThread {
  const DrillRecord* drill;
  double percent;  // of full thread the drill leaves for the tap
};

struct NearestDrills {
  std::optional<DrillThread> smaller;  // the largest drill not above the tap drill
  std::optional<DrillThread> larger;   // the smallest drill above it
};

// The drills of the list on either side of a tap drill, with the percent of thread each gives.
// Nothing when the pitch is 0 or the tap drill is not a finite number.
NearestDrills FindNearestDrills(std::span<const DrillRecord> drills, double tapDrill, double major,
                                double pitch, bool standardTap);
// "Smaller drill: 21/64 .3281 gives 83% thread" and "Larger drill: ..." on two lines; empty
// when there is no drill on either side.
std::string NearestDrillsText(const NearestDrills& nearest);

// The nearest drills to the result the label shows now.
void ShowNearestDrills(App& app);
// The calculator's result from Tap Dia, Pitch, Percent of Thread and the tap kind, then the
// nearest drills under it.
void CalculateTapDrill(App& app);

}  // namespace tbx
