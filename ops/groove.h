#pragma once
namespace tbx {
struct App;
void GrooveOutsideClicked(App& app);  // 810
void GrooveInsideClicked(App& app);   // 815
void RightToggleClicked(App& app);    // 972
void LeftToggleClicked(App& app);     // 973
void GrooveGenerator(App& app);       // 965
}  // namespace tbx
