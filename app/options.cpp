#include "app/options.h"

#include <array>
#include <string>

#include "app/app.h"
#include "data/data_files.h"
#include "ops/csink_drill.h"
#include "ops/tap_drill.h"

namespace tbx {

namespace {

void SetEnabled(App& app, ControlId control, bool on) {
  on ? app.Enable(control) : app.Disable(control);
}

// The record's value as the box shows it, or the first record's when that prints as 0.
std::string ValueOrFirst(const App& app, int record, float ThreadRecord::*field) {
  std::string text = FormatValue(app.threads[record].*field, 4);
  if (TextToNumber(text) == 0) text = FormatValue(app.threads[1].*field, 4);
  return text;
}

// A thread-size list picked: fills the major-diameter and pitch boxes from the thread table.
void FillFromThreadSize(App& app, ControlId list, ControlId majorBox, ControlId pitchBox) {
  int position = app.ui.FindNext(kMainForm, list, app.Text(list));
  int record = position < 0 || position + 1 >= static_cast<int>(app.threads.size()) ? 0 : position + 1;
  app.SetText(majorBox, ValueOrFirst(app, record, &ThreadRecord::majorDia));
  app.SetText(pitchBox, ValueOrFirst(app, record, &ThreadRecord::pitch));
}

// The controls each code type leaves usable: Thread Passes only for the pass-by-pass form,
// the Chamfer Exit frame only for OT.
enum class CodeType { Ot, SixT, G32 };
struct EnablingRow {
  ControlId id;
  bool ot, sixT, g32;
};
constexpr std::array<EnablingRow, 5> kCodeTypeEnabling{{
    {id::kThreadPassesLabel, false, false, true},
    {id::kThreadPasses, false, false, true},
    {id::kChamferFrame, true, false, false},
    {id::kChamfer45, true, false, false},
    {id::kChamferZero, true, false, false},
}};

void ApplyEnabling(App& app, CodeType type) {
  for (const EnablingRow& row : kCodeTypeEnabling)
    SetEnabled(app, row.id, type == CodeType::Ot ? row.ot : type == CodeType::SixT ? row.sixT : row.g32);
}

constexpr std::array<ControlId, kCenterDrillSizes> kCenterDrillRadios{
    id::kCenter0, id::kCenter1, id::kCenter2, id::kCenter3, id::kCenter4,
    id::kCenter5, id::kCenter6, id::kCenter7, id::kCenter8};

// Enabled exactly while 60 Deg Center is chosen, in this order.
constexpr std::array<ControlId, 12> kCenterDrillControls{
    id::kPilotDia, id::kCenter0, id::kPilotDiaLabel, id::kCenter1, id::kCenter2, id::kCenter3,
    id::kCenter4,  id::kCenter5, id::kCenter6,       id::kCenter7, id::kCenter8,
    id::kCenterDrillFrame};

void SetCenterDrillControls(App& app, bool on) {
  for (ControlId control : kCenterDrillControls) SetEnabled(app, control, on);
}

// Drill Diameter (325) and Pilot Dia (405) of the checked size, in the active unit.
void ApplyCenterDrillSize(App& app) {
  const int checked = CheckedCenterDrill(app);
  if (checked < 0) return;
  const CenterDrillSize& size = CenterDrill(checked);
  const bool metric = app.Metric();
  app.SetText(id::kCSinkDrillDia, metric ? size.metricBody : size.inchBody);
  app.SetText(id::kPilotDia, metric ? size.metricPilot : size.inchPilot);
}

// Deep Drill: Rapid Clearance for both manual modes, Peck Value (Min) and Percent Peck for
// % Peck only.
enum class PeckFields { G83, Equal, Percent };
struct PeckField {
  ControlId control;
  bool percentOnly;
};
constexpr std::array<PeckField, 6> kPeckFields{{
    {id::kRapidClearanceLabel, false},
    {id::kRapidClearance, false},
    {id::kPeckMinLabel, true},
    {id::kPeckMin, true},
    {id::kPercentPeckLabel, true},
    {id::kPercentPeck, true},
}};

void SetPeckControls(App& app, PeckFields mode) {
  for (const PeckField& field : kPeckFields)
    SetEnabled(app, field.control,
               field.percentOnly ? mode == PeckFields::Percent : mode != PeckFields::G83);
}

void ShowToggleCaption(App& app, ControlId toggle) {
  // The button has already changed between pressed and released; the caption follows it.
  app.SetText(toggle, app.Checked(toggle) ? "Radius" : "Chamfer");
}

}  // namespace

int CheckedCenterDrill(const App& app) {
  for (int size = 0; size < kCenterDrillSizes; ++size)
    if (app.Checked(kCenterDrillRadios[static_cast<std::size_t>(size)])) return size;
  return -1;
}

void ThreadSizePicked(App& app) {
  FillFromThreadSize(app, id::kThreadSize, id::kThreadMajorDia, id::kThreadPitch);
}
void PipeThreadClicked(App& app) { app.SetText(id::kTaperAngle, "1.78332"); }
void OtControlClicked(App& app) { ApplyEnabling(app, CodeType::Ot); }
void SixTControlClicked(App& app) { ApplyEnabling(app, CodeType::SixT); }
void G32CodeClicked(App& app) { ApplyEnabling(app, CodeType::G32); }

void DrillSizePicked(App& app, ControlId list) {
  const ControlId box = list == id::kDeepDrillSize ? id::kDeepDrillDia : id::kCSinkDrillDia;
  app.SetText(box, FormatNumber(DrillItemDiameter(app.Text(list)), 4));
}

void DrillAngleClicked(App& app) { SetCenterDrillControls(app, false); }
void CenterDrillClicked(App& app) {
  SetCenterDrillControls(app, true);
  ApplyCenterDrillSize(app);
}
void CenterDrillSizeClicked(App& app) { ApplyCenterDrillSize(app); }

void G83Clicked(App& app) { SetPeckControls(app, PeckFields::G83); }
void EqualPeckClicked(App& app) { SetPeckControls(app, PeckFields::Equal); }
void PercentPeckClicked(App& app) { SetPeckControls(app, PeckFields::Percent); }

void TapTabSizePicked(App& app) {
  FillFromThreadSize(app, id::kTapSize, id::kTapMajorDia, id::kTapPitch);
}
// Left Hand is offered only with G32/G33. Its check mark is left alone, so a mark set
// earlier still turns a G84 spindle block to M4.
void G84Clicked(App& app) { app.Disable(id::kLeftHand); }
void TapG32Clicked(App& app) { app.Enable(id::kLeftHand); }
void TapG33Clicked(App& app) { app.Enable(id::kLeftHand); }

void GrooveOutsideClicked(App& app) {
  app.Disable(id::kZAbsClr);
  app.Disable(id::kZAbsClrLabel);
}
void GrooveInsideClicked(App& app) {
  app.Enable(id::kZAbsClr);
  app.Enable(id::kZAbsClrLabel);
}
void RightToggleClicked(App& app) { ShowToggleCaption(app, id::kRightToggle); }
void LeftToggleClicked(App& app) { ShowToggleCaption(app, id::kLeftToggle); }

void TapSizePicked(App& app) {
  FillFromThreadSize(app, id::kDataTapSize, id::kTapDia, id::kDataPitch);
  TapDrillCalculator(app);
}

void TapDrillCalculator(App& app) {
  const TapDrillInputs in{app.Single(id::kTapDia), app.Single(id::kDataPitch),
                          app.Number(id::kPercentThread), app.Checked(id::kStandardTap)};
  app.SetText(id::kTapDrillResult, TapDrillText(in));
}

}  // namespace tbx
