#pragma once
#include <string_view>

#include "app/form_model.h"

namespace tbx {
struct App;

// Every user event arrives here: (form, control, message, value). The routes follow from the
// operation descriptors: OK runs the generator, leaving a box reformats it, a click applies
// the tab's enabling rule, and a tab's own actions run on their controls.
void DispatchEvent(App& app, std::string_view form, ControlId control, int message, int value);

// Rewrites a numeric box in the program's number form (4 places) when the user leaves it.
void NormalizeField(App& app, ControlId id);
// The page shown and the spindle speed its operation asks for; tabs count from 1.
void TabChanged(App& app, int tab);
// Events of the About form: its OK button hides it.
void AboutEvent(App& app, ControlId control, int message);
}  // namespace tbx
