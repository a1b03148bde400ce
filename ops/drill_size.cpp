#include "ops/drill_size.h"

#include <cmath>
#include <string>

#include "app/app.h"

namespace tbx {

void DrillSizePicked(App& app, ControlId list) {
  const ControlId box = list == id::kDeepDrillSize ? id::kDeepDrillDia : id::kCSinkDrillDia;
  // The item ends with the diameter; the last eight characters hold it in either unit.
  const std::string item = app.Text(list);
  const std::string_view tail =
      std::string_view(item).substr(item.size() > 8 ? item.size() - 8 : 0);
  app.SetText(box, FormatNumber(tail, 4));
}

double DwellMilliseconds(float seconds) {
  const float ms = 1000.0f * seconds;
  // Not finite: handed on as it is so that the P word refuses the operation.
  if (!std::isfinite(ms)) return ms;
  return std::trunc(TextToNumber(FormatValue(ms, 4)));
}

double ReadDwell(const App& app, ControlId box, Operation& op) {
  const double ms = DwellMilliseconds(app.Single(box));
  // Ten million milliseconds and more print in exponent form.
  if (!(std::fabs(ms) < 1e7)) op.Refuse("Dwell Seconds must be less than 10000");
  return ms;
}

}  // namespace tbx
