#include "ops/csink_drill.h"

#include <array>
#include <cmath>

#include "app/app.h"
#include "ops/drill_size.h"
#include "ops/spindle.h"

namespace tbx {

namespace {

// The metric texts are the inch sizes × 25.4 as the drill charts print them ("7.937" for #4).
constexpr std::array<CenterDrillSize, 9> kCenterDrills{{
    {id::kCenter0, ".125", ".0312", "3.175", ".792", 0.0312f, 0.0562f},
    {id::kCenter1, ".125", ".0468", "3.175", "1.188", 0.0468f, 0.0608f},
    {id::kCenter2, ".1875", ".0781", "4.762", "1.983", 0.0781f, 0.1015f},
    {id::kCenter3, ".250", ".1094", "6.350", "2.778", 0.1094f, 0.1422f},
    {id::kCenter4, ".3125", ".125", "7.937", "3.175", 0.125f, 0.1625f},
    {id::kCenter5, ".4375", ".1875", "11.112", "4.7625", 0.1875f, 0.2438f},
    {id::kCenter6, ".500", ".2187", "12.7", "5.555", 0.2187f, 0.2843f},
    {id::kCenter7, ".625", ".250", "15.875", "6.35", 0.25f, 0.325f},
    {id::kCenter8, ".750", ".3125", "19.050", "7.938", 0.3125f, 0.406f},
}};

// Enabled exactly while 60 Deg Center is chosen, in this order.
constexpr std::array<ControlId, 12> kCenterDrillControls{
    id::kPilotDia, id::kCenter0, id::kPilotDiaLabel, id::kCenter1, id::kCenter2, id::kCenter3,
    id::kCenter4,  id::kCenter5, id::kCenter6,       id::kCenter7, id::kCenter8,
    id::kCenterDrillFrame};

// Half angle of the point of each pointed tool; the cone depth is r × tan(90° − h).
struct PointAngle {
  ControlId radio;
  double halfAngle;
};
constexpr std::array<PointAngle, 3> kPointAngles{{
    {id::kAngle90, 45}, {id::kAngle118, 59}, {id::kAngle135, 67.5}}};

// Cone depth of a 60 degree centre drill with body diameter `body` (inches): the pilot length
// plus the cone from the pilot to the body (1.732051 = cot 30°).
float CenterDrillDepth(const CenterDrillSize& size, float body) {
  return ToSingle(size.length + 1.732051 * (body - size.pilot) / 2);
}

const CenterDrillSize* CheckedCenterDrill(const App& app) {
  for (const CenterDrillSize& size : kCenterDrills)
    if (app.Checked(size.radio)) return &size;
  return nullptr;
}

// Depth of the cone below Z Start for the chosen drill angle.
float ConeDepth(const App& app, Operation& op) {
  if (!app.Checked(id::kCenterDrill60)) {
    double halfAngle = kPointAngles.front().halfAngle;
    for (const PointAngle& angle : kPointAngles)
      if (app.Checked(angle.radio)) halfAngle = angle.halfAngle;
    const float radius = app.Single(id::kCSinkDia) / 2;
    return ToSingle(radius * std::tan((90 - halfAngle) * app.pi / 180));
  }
  const float body = app.Single(id::kCSinkDrillDia);
  if (!(body > 0)) op.Refuse("Drill Diameter must be greater than 0");
  const CenterDrillSize* size = CheckedCenterDrill(app);
  if (!size) size = &kCenterDrills.front();
  // The pilot and length exist in inches only: metric work is converted through them.
  if (app.Metric()) return ToSingle(25.4 * CenterDrillDepth(*size, ToSingle(body / 25.4)));
  return CenterDrillDepth(*size, body);
}

}  // namespace

std::span<const CenterDrillSize> CenterDrillTable() { return kCenterDrills; }

void SetCenterDrillControls(App& app, bool on) {
  for (ControlId control : kCenterDrillControls) on ? app.Enable(control) : app.Disable(control);
}

void ApplyCenterDrillSize(App& app) {
  const CenterDrillSize* size = CheckedCenterDrill(app);
  if (!size) return;
  const bool metric = app.Metric();
  app.SetText(id::kCSinkDrillDia, metric ? size->metricBody : size->inchBody);
  app.SetText(id::kPilotDia, metric ? size->metricPilot : size->inchPilot);
}

void DrillAngleClicked(App& app) { SetCenterDrillControls(app, false); }

void CenterDrillClicked(App& app) {
  SetCenterDrillControls(app, true);
  ApplyCenterDrillSize(app);
}

void CenterDrillSizeClicked(App& app) { ApplyCenterDrillSize(app); }

void CSinkDrillGenerator(App& app) {
  Operation op(app.program.rapidMode);
  const float csinkDia = app.Single(id::kCSinkDia);
  const float zStart = app.Single(id::kCSinkZStart);
  const float approach = zStart + app.Single(id::kCSinkClearance);
  const float feed = app.Single(id::kCSinkFeed);
  const double dwellMs = ReadDwell(app, id::kCSinkDwell, op);

  op.Comment(app.Text(id::kCSinkComment));
  SpindleBlock(app, op, "C'Sink Dia.", csinkDia, false);
  const float depth = ConeDepth(app, op);
  op.Block(" G0" + op.Word('Z', approach, 4));
  op.Block(" X0");
  op.Block(" G1" + op.Word('Z', zStart - depth, 4) + op.Word('F', feed, 4));
  if (dwellMs != 0) op.Block(" G4" + op.WholeWord('P', dwellMs));
  op.Block(" G0" + op.Word('Z', approach, 4));
  op.RapidMode() = 1;
  WriteOperation(app, op);
}

}  // namespace tbx
