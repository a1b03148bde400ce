#pragma once
// The drill lists of the C'Sink/Drill and Deep Drill tabs, and the few rules that the three
// drilling generators (C'Sink/Drill, Deep Drill, Ream) share.
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

}  // namespace tbx
