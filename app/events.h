#pragma once
#include <string_view>

#include "app/form_model.h"

namespace tbx {
struct App;

// Every user event arrives here: (form, control, message, value). Anything outside the
// dispatch table is ignored.
void EzEvents(App& app, std::string_view form, ControlId control, int message, int value);

// Rewrites a numeric box in the program's number form (4 places) when the user leaves it.
void NormalizeField(App& app, ControlId id);
// Tabs 1 Material ... 9 Settings, 10 Face, 11 Turn, 12 Part-off.
inline constexpr int kTabCount = 12;
void TabChanged(App& app, int tab);
// Events of the About form: its OK button hides it.
void AboutEvent(App& app, ControlId control, int message);
}  // namespace tbx
