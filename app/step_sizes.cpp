#include "app/step_sizes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "app/controls.h"
#include "program/numbers.h"
#include "toolpath/simulation.h"

namespace tbx {

namespace {

std::string Num(double v) { return PlainDecimal(v, 4); }

// The corner radius of the tool the simulation cut the step with: the library's first tool of
// the step's T number, as the simulation takes it. None for a tool the library lacks: the
// simulation's stand-in, far smaller, leaves webs the real tool takes.
std::optional<double> CornerRadius(const StepSource& values, const toolpath::ToolpathSettings& settings) {
  const std::string tool = values.Text(id::kTool);
  std::string_view number = tool;
  if (!number.empty() && (number.front() == 'T' || number.front() == 't')) number.remove_prefix(1);
  int n = 0;
  const auto read = std::from_chars(number.data(), number.data() + number.size(), n);
  if (!settings.tools || number.empty() || read.ec != std::errc() || read.ptr != number.data() + number.size())
    return std::nullopt;
  for (const Tool& t : settings.tools->tools)
    if (t.number == n) return t.InUnits(settings.tools->metric, settings.metric).radius;
  return std::nullopt;
}

// What one step is meant to leave: no metal from `low` to `high` along Z beyond the diameter
// `size`, outside it (above) or inside it (below).
struct Size {
  double low = 0, high = 0, size = 0;
  bool inside = false;
  std::string made, named;  // "turned diameter", "Final Dia X1.5"
};

std::optional<Size> SizeOf(const JobStep& step) {
  const StepSource v(step.values);
  const auto number = [&](ControlId id) { return BoxNumber(v.Text(id)); };
  Size s;
  if (step.op->name == "turn") {
    s.inside = v.Checked(id::kTurnInside);
    s.size = number(id::kTurnFinalDia);
    s.low = number(id::kTurnZEnd);
    s.high = number(id::kTurnZStart) - number(id::kTurnChamfer);
    s.made = s.inside ? "bored diameter" : "turned diameter";
    s.named = "Final Dia X" + Num(s.size);
  } else if (step.op->name == "groove") {
    s.inside = v.Checked(id::kGrooveInside);
    // An inside groove's bottom is its major diameter.
    const double bottom = number(s.inside ? id::kGrooveMajorDia : id::kGrooveMinorDia);
    const double z = number(id::kGrooveZStart), width = number(id::kGrooveWidth);
    s.size = bottom;
    s.low = z - width;
    s.high = z;
    s.made = "grooved diameter";
    s.named = (s.inside ? "Major Dia X" : "Minor Dia X") + Num(bottom);
    if (!v.Checked(id::kFinishPass)) {
      // The roughing alone leaves the finish pass's stock on the bottom and on each wall.
      const double bottomStock = number(id::kXBottomStock), wallStock = number(id::kZWallStock);
      s.size += (s.inside ? -2 : 2) * bottomStock;
      s.low += wallStock;
      s.high -= wallStock;
      s.named = "X" + Num(s.size) + ", " + s.named + " with X Bottom Stock " + Num(bottomStock) + " (no finish pass)";
    }
  } else {
    return std::nullopt;
  }
  for (const double x : {s.low, s.high, s.size})
    if (!std::isfinite(x)) return std::nullopt;
  return s;
}

}  // namespace

std::vector<toolpath::Finding> StepsLeftShort(const Job& job, const toolpath::Toolpath& path,
                                              const toolpath::ToolpathSettings& settings) {
  std::vector<toolpath::Finding> found;
  if (!path.simulation) return found;
  const toolpath::Simulation& sim = *path.simulation;
  const std::vector<StepLines> lines = LinesOfSteps(job);
  // Each step's part is the one its last operation (tool change to tool change) leaves.
  std::vector<const toolpath::Section*> after(job.steps.size(), nullptr);
  for (std::size_t k = 0; k < sim.steps.size() && k < path.operations.size(); ++k) {
    const toolpath::OperationSummary& op = path.operations[k];
    if (op.firstMove >= op.endMove || op.endMove > path.moves.size()) continue;
    const int line = path.moves[op.firstMove].line;
    auto next = std::upper_bound(lines.begin(), lines.end(), line,
                                 [](int l, const StepLines& s) { return l < s.first; });
    if (next == lines.begin()) continue;
    const std::size_t i = static_cast<std::size_t>(next - lines.begin() - 1);
    if (line <= lines[i].last) after[i] = &sim.steps[k].after;
  }
  const double tolerance = toolpath::LengthTolerance(settings.metric);
  for (std::size_t i = 0; i < job.steps.size(); ++i) {
    const JobStep& step = job.steps[i];
    if (step.IsText() || !after[i]) continue;
    const StepSource values(step.values);
    // A step of the other unit system (Metric changed, the restart to come) reads in the wrong units.
    if (values.Checked(id::kMetric) != settings.metric) continue;
    const std::optional<Size> s = SizeOf(step);
    const std::optional<double> radius = CornerRadius(values, settings);
    if (!s || !radius) continue;
    const double margin = *radius + tolerance;
    const double low = s->low + margin, high = s->high - margin, r = s->size / 2;
    if (low >= high) continue;
    const toolpath::Bounds left =
        s->inside ? toolpath::MetalWithin(*after[i], settings.metric, {low, 0}, {high, r - tolerance})
                  : toolpath::MetalWithin(*after[i], settings.metric, {low, r + tolerance}, {high, 1e6});
    if (left.empty) continue;
    // Metal up to the margin is reported as reaching the step's own end.
    const double from = left.maxZ >= high ? s->high : left.maxZ, to = left.minZ <= low ? s->low : left.minZ;
    found.push_back({lines[i].first, 0,
                     s->made + " left at X" + Num(2 * (s->inside ? left.minR : left.maxR)) + " over Z" + Num(from) +
                         " to Z" + Num(to) + ": short of " + s->named});
  }
  return found;
}

}  // namespace tbx
