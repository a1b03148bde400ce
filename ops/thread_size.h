#pragma once
#include "app/form_model.h"

namespace tbx {
struct App;
// A thread-size list picked: fills the major-diameter and pitch boxes from ThreadTable, each
// from the first record when the picked record's value prints as 0.
void FillFromThreadSize(App& app, ControlId list, ControlId majorBox, ControlId pitchBox);
}  // namespace tbx
