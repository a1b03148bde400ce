#pragma once
#include <span>
#include <string_view>

#include "app/form_model.h"

namespace tbx {
struct App;
void DrillAngleClicked(App& app);       // 385, 390, 395
void CenterDrillClicked(App& app);      // 400
void CenterDrillSizeClicked(App& app);  // 410 .. 455
void CSinkDrillGenerator(App& app);     // 470

// One standard combined centre drill: the texts shown for it and the pilot diameter P and
// pilot length L (tip to the start of the 60 degree cone) in inches.
struct CenterDrillSize {
  ControlId radio;
  std::string_view inchBody, inchPilot, metricBody, metricPilot;
  float pilot, length;
};
// #0 to #8 in radio order.
std::span<const CenterDrillSize> CenterDrillTable();

// Enables (60 Deg Center) or disables the centre-drill size controls.
void SetCenterDrillControls(App& app, bool on);
// Drill Diameter (325) and Pilot Dia (405) of the checked size, in the active unit.
void ApplyCenterDrillSize(App& app);
}  // namespace tbx
