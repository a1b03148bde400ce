#pragma once
// Units, tool, surface speed and the shared constant Pi.
namespace tbx {

struct App;

// The ten-digit value every spindle-speed formula uses, not the full-precision constant.
inline constexpr double kPi = 3.141592654;

enum class SpeedSet { Turning, Threading };

void ApplyMaterialSpeed(App& app, SpeedSet set);
void ToolSelected(App& app);
void MetricClicked(App& app);
void SettingsOk(App& app);
// SPM after a tab change: threading on Thread and Tap, turning on the machining tabs and
// Material, empty on Drill + Tap Data and Settings.
void ApplyTabSpeed(App& app, int tab);

}  // namespace tbx
