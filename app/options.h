#pragma once
// The option handlers of the machining and data tabs: they enable and disable controls and
// fill fields, never write the program.
#include "app/form_model.h"

namespace tbx {
struct App;

// Thread
void ThreadSizePicked(App& app);      // 125
void PipeThreadClicked(App& app);     // 195
void OtControlClicked(App& app);      // 270
void SixTControlClicked(App& app);    // 275
void G32CodeClicked(App& app);        // 280 and 285
// C'Sink/Drill and Deep Drill
void DrillSizePicked(App& app, ControlId list);  // 320 and 610
void DrillAngleClicked(App& app);       // 385, 390, 395
void CenterDrillClicked(App& app);      // 400
void CenterDrillSizeClicked(App& app);  // 410 .. 455
void G83Clicked(App& app);              // 575
void EqualPeckClicked(App& app);        // 580
void PercentPeckClicked(App& app);      // 585
// Tap
void TapTabSizePicked(App& app);  // 715
void G84Clicked(App& app);        // 775
void TapG32Clicked(App& app);     // 780
void TapG33Clicked(App& app);     // 785
// Groove
void GrooveOutsideClicked(App& app);  // 810
void GrooveInsideClicked(App& app);   // 815
void RightToggleClicked(App& app);    // 972
void LeftToggleClicked(App& app);     // 973
// Drill + Tap Data
void TapSizePicked(App& app);       // 980
void TapDrillCalculator(App& app);  // 985, 1120, 1150, 1160

// The centre-drill radio that is checked, as a size #0 to #8; -1 when none is.
int CheckedCenterDrill(const App& app);

}  // namespace tbx
