#pragma once
// Tool, unit system and surface speed as the always-visible controls and the Settings tab
// handle them.
#include "data/settings.h"

namespace tbx {
struct App;

void ApplyMaterialSpeed(App& app, SpeedSet set);
void ToolSelected(App& app);
void MetricClicked(App& app);
void SettingsOk(App& app);
// SPM after a tab change: threading on Thread and Tap, turning on the machining tabs and
// Material, empty on Drill + Tap Data and Settings.
void ApplyTabSpeed(App& app, int tab);

}  // namespace tbx
