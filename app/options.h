#pragma once
// Fills shared by several tabs: a thread size or a drill picked from a data-file list.
#include "app/form_model.h"
#include "app/speeds_and_units.h"

namespace tbx {
struct App;

// Fills the major-diameter and pitch boxes from the thread table's record of the list's item.
void FillFromThreadSize(App& app, ControlId list, ControlId majorBox, ControlId pitchBox);
// Writes the diameter of the list's drill into the box.
void FillDrillDiameter(App& app, ControlId list, ControlId box);

}  // namespace tbx
