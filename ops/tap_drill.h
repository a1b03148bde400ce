#pragma once
namespace tbx {
struct App;
void TapSizePicked(App& app);       // 980
void TapDrillCalculator(App& app);  // 985, 1120, 1150, 1160
}  // namespace tbx
