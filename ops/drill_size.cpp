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

std::optional<int> WholeNumber16(double value) {
  if (!(value >= -32768.5 && value <= 32767.5)) return std::nullopt;  // NaN fails too
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  if (whole < -32768 || whole > 32767) return std::nullopt;
  return static_cast<int>(whole);
}

float SpindleSpeed(const App& app, double spm, float diameter) {
  // Metric uses 100 × Pi (314.159...), not 1000 / Pi: the program's own factor.
  const double speed = app.Metric() ? 100 * app.pi * spm / diameter : 12 / app.pi * spm / diameter;
  return ToSingle(speed);
}

void SpindleBlock(App& app, Operation& op, std::string_view diameterCaption, float diameter,
                  bool wholeSpm) {
  if (!(diameter > 0)) op.Refuse(std::string(diameterCaption) + " must be greater than 0");
  double spm = app.Single(id::kSpm);
  if (wholeSpm) {
    const std::optional<int> whole = WholeNumber16(app.Number(id::kSpm));
    if (!whole) {
      op.Refuse(app.Number(id::kSpm) < 0 ? "SPM must be 0 or more" : "SPM must be at most 32767");
      return;
    }
    spm = *whole;
  }
  if (spm < 0) op.Refuse("SPM must be 0 or more");
  if (!op.Refusal().empty()) return;
  op.Block(" G97" + op.WholeWord('S', SpindleSpeed(app, spm, diameter)) + " M3");
}

}  // namespace tbx
