#include "app/tap_data.h"

#include <cmath>

#include "app/app.h"
#include "app/options.h"
#include "ops/tap_drill.h"
#include "program/numbers.h"

namespace tbx {

namespace {
std::string DrillLine(const char* side, const DrillThread& d) {
  std::string percent = FormatValue(d.percent, 0);
  if (!percent.empty() && percent.back() == '.') percent.pop_back();
  return std::string(side) + " drill: " + d.drill->name + " " + FormatValue(d.drill->diameter, 4) +
         " gives " + percent + "% thread";
}
}  // namespace

NearestDrills FindNearestDrills(std::span<const DrillRecord> drills, double tapDrill, double major,
                                double pitch, bool standardTap) {
  NearestDrills nearest;
  if (pitch == 0 || !std::isfinite(tapDrill) || !std::isfinite(major) || !std::isfinite(pitch))
    return nearest;
  const DrillRecord* below = nullptr;
  const DrillRecord* above = nullptr;
  for (const DrillRecord& d : drills) {
    if (d.diameter <= tapDrill) {
      if (!below || d.diameter > below->diameter) below = &d;
    } else if (!above || d.diameter < above->diameter) {
      above = &d;
    }
  }
  auto withPercent = [&](const DrillRecord* d) -> std::optional<DrillThread> {
    if (!d) return std::nullopt;
    return DrillThread{d, PercentOfThread(major, pitch, d->diameter, standardTap)};
  };
  nearest.smaller = withPercent(below);
  nearest.larger = withPercent(above);
  return nearest;
}

std::string NearestDrillsText(const NearestDrills& nearest) {
  std::string text;
  if (nearest.smaller) text = DrillLine("Smaller", *nearest.smaller);
  if (nearest.larger) text += (text.empty() ? "" : "\n") + DrillLine("Larger", *nearest.larger);
  return text;
}

void ShowNearestDrills(App& app) {
  const std::string result = app.Text(id::kTapDrillResult);
  NearestDrills nearest;
  if (IsPlainNumber(result)) {
    nearest = FindNearestDrills(app.drills, TextToNumber(result), app.Single(id::kTapDia),
                                app.Single(id::kDataPitch), app.Checked(id::kStandardTap));
  }
  app.SetText(id::kNearestDrills, NearestDrillsText(nearest));
}

void CalculateTapDrill(App& app) {
  const TapDrillInputs in{app.Single(id::kTapDia), app.Single(id::kDataPitch),
                          app.Number(id::kPercentThread), app.Checked(id::kStandardTap)};
  app.SetText(id::kTapDrillResult, TapDrillText(in));
  ShowNearestDrills(app);
}

}  // namespace tbx
