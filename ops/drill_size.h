#pragma once
// The drill lists of the C'Sink/Drill and Deep Drill tabs, and the few rules that the three
// drilling generators (C'Sink/Drill, Deep Drill, Ream) share.
#include <optional>
#include <string_view>

#include "app/form_model.h"

namespace tbx {
struct App;
class Operation;

// A drill list picked (320 or 610): its Drill Diameter box gets the diameter of the item.
void DrillSizePicked(App& app, ControlId list);

// Dwell in whole milliseconds: the whole part of the 4-place printed form of the
// single-precision 1000 × seconds, so that .251 s (250.99998 in single precision) gives 251.
// 0 means no dwell is written.
double DwellMilliseconds(float seconds);
// The milliseconds of a Dwell Seconds box; refuses a dwell too long to print as digits.
double ReadDwell(const App& app, ControlId box, Operation& op);

// A box read as a whole number the way a 16-bit integer variable takes it: nearest, a half
// going to the even neighbour. Empty when the result would not fit in 16 bits.
std::optional<int> WholeNumber16(double value);

// Spindle speed for the SPM surface speed on diameter d in the active unit system.
float SpindleSpeed(const App& app, double spm, float diameter);

// Refuses a diameter of 0 or less (named by its caption), a negative SPM, or (wholeSpm) an
// SPM that does not round to a 16-bit whole number; otherwise appends the spindle block
// "G97 S.. M3".
void SpindleBlock(App& app, Operation& op, std::string_view diameterCaption, float diameter,
                    bool wholeSpm);

}  // namespace tbx
