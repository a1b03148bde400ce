#pragma once
// Tool, unit system and surface speed as the always-visible controls and the Settings tab
// handle them.
#include "app/operation.h"
#include "data/material_speeds.h"

namespace tbx {
struct App;

void ApplyMaterialSpeed(App& app, SpeedSet set);
void ToolSelected(App& app);
void MetricClicked(App& app);
void SettingsOk(App& app);
// SPM after a tab change, as the tab's operation asks.
void ApplyTabSpeed(App& app, SpindleRule rule);

}  // namespace tbx
