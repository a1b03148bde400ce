#include "app/machine_boxes.h"

#include <algorithm>
#include <cmath>

#include "app/app.h"
#include "app/home_files.h"
#include "app/catalogue.h"
#include "app/field_help.h"
#include "toolpath/codes.h"
#include "toolpath/reader.h"
#include "program/numbers.h"

namespace tbx {

namespace {

// A box and the setting it shows: in an inch or a metric start.
struct MachineBox {
  ControlId id;
  const char* inch;
  const char* metric;
};
constexpr MachineBox kBoxes[] = {
    {id::kRapidX, "rapid_x_mm_per_min", "rapid_x_mm_per_min"},
    {id::kRapidZ, "rapid_z_mm_per_min", "rapid_z_mm_per_min"},
    {id::kMaxZFeed, "max_z_feed_mm_per_min", "max_z_feed_mm_per_min"},
    {id::kMachineMaxRpm, "max_rpm", "max_rpm"},
    {id::kToolChangeTime, "tool_change_seconds", "tool_change_seconds"},
    {id::kG76MinCut, "g76_min_cut_inch", "g76_min_cut_mm"},
    {id::kG76Finish, "g76_finish_inch", "g76_finish_mm"},
    {id::kG76FinishPasses, "g76_finish_passes", "g76_finish_passes"},
    {id::kG76Chamfer, "g76_chamfer_leads", "g76_chamfer_leads"},
    {id::kG83Clearance, "g83_clearance_inch", "g83_clearance_mm"},
    {id::kProgramNumber, "program_number", "program_number"},
};
// Text boxes and the setting each shows.
constexpr std::pair<ControlId, const char*> kTextBoxes[] = {
    {id::kProgramName, "program_name"},
    {id::kProgramStartCodes, "program_start_codes"},
};

const char* NameOf(const MachineBox& box, bool metric) { return metric ? box.metric : box.inch; }

// What the box showed for a value: a box still showing it keeps the value exactly, so that a
// value finer than the box's places is not lost by a save.
std::string Shown(double value) { return BoxText(PlainDecimal(value, 6)); }

constexpr std::size_t kProblemsListed = 20;

// What a text box of the Settings tab may hold, after its caption.
std::string TextRule() {
  return " must be at most " + std::to_string(kMaxMachineText) +
         " characters and must not hold \"(\", \")\" or a control character";
}

}  // namespace

double UnitFactor(bool fromMetric, bool toMetric) {
  if (fromMetric == toMetric) return 1;
  return toMetric ? 25.4 : 1 / 25.4;
}

std::string UnitsNote(const App& app) {
  if (app.Metric() == app.machine.metricBoxes) return {};
  return std::string("Metric is ") + (app.Metric() ? "ticked" : "cleared") + ": until the restart the program is read in " +
         (app.machine.metricBoxes ? "mm" : "inches");
}

void ShowMachineSettings(App& app) {
  const auto path = MachineSettingsPath(app.home);
  const MachineSettingsFile file = ReadMachineSettingsFile(path);
  app.machine.loaded = file.settings;
  app.machine.metricBoxes = app.Metric();
  for (const MachineBox& box : kBoxes)
    app.SetText(box.id, Shown(MachineSetting(app.machine.loaded, NameOf(box, app.machine.metricBoxes))));
  for (const auto& [box, name] : kTextBoxes) app.SetText(box, MachineText(app.machine.loaded, name));
  app.SetCheck(id::kProgramStartEnd, app.machine.loaded.programStartEnd == 1);
  if (file.problems.empty()) return;
  std::string text = "Error Reading Data File " + path.string() + ": lines left out, their values as before:";
  for (std::size_t i = 0; i < file.problems.size() && i < kProblemsListed; ++i) {
    const MachineSettingsProblem& p = file.problems[i];
    text += "\nline " + std::to_string(p.line) + ": \"" + p.text + "\": " + p.why;
  }
  if (file.problems.size() > kProblemsListed)
    text += "\nand " + std::to_string(file.problems.size() - kProblemsListed) + " more";
  app.ui.MessageBox(text, "File Error", MessageIcon::None);
}

MachineSettings MachineFromBoxes(const App& app, std::string* refusal) {
  MachineSettings s = app.machine.loaded;
  for (const MachineBox& box : kBoxes) {
    const std::string name = NameOf(box, app.machine.metricBoxes);
    const std::string text = app.Text(box.id);
    if (text == Shown(MachineSetting(app.machine.loaded, name))) continue;
    if (IsNumberText(text) && SetMachineSetting(s, name, app.Number(box.id))) continue;
    if (refusal && refusal->empty()) {
      double low = 0, high = 0;
      MachineSettingRange(name, low, high);
      *refusal = FieldCaption(app.operations, box.id) + " must be a number from " + PlainDecimal(low, 6) + " to " +
                 PlainDecimal(high, 6);
    }
  }
  for (const auto& [box, name] : kTextBoxes) {
    if (SetMachineText(s, name, app.Text(box)) || !refusal || !refusal->empty()) continue;
    *refusal = FieldCaption(app.operations, box) + TextRule();
  }
  s.programStartEnd = app.Checked(id::kProgramStartEnd) ? 1 : 0;
  return s;
}

void SaveMachineBoxes(App& app) {
  const auto path = MachineSettingsPath(app.home);
  std::string refusal;
  MachineSettings s = MachineFromBoxes(app, &refusal);
  if (!refusal.empty()) {
    app.Error(refusal + ": " + path.string() + " was not saved");
    return;
  }
  // After a change of the Metric box the next start reads the other system's lengths: they
  // take the boxes' values converted (rounded to a millionth, as no length needs more).
  const double factor = UnitFactor(app.machine.metricBoxes, app.Metric());
  for (const MachineBox& box : kBoxes) {
    if (factor == 1 || std::string_view(box.inch) == box.metric) continue;
    const double value = MachineSetting(s, NameOf(box, app.machine.metricBoxes)) * factor;
    SetMachineSetting(s, NameOf(box, app.Metric()), std::round(value * 1e6) / 1e6);
  }
  // An untouched Settings tab writes nothing, so no file appears that nobody asked for.
  if (MachineSettingsText(s) == MachineSettingsText(app.machine.loaded)) return;
  if (const SafeSaveResult saved = SaveMachineSettings(path, s); !saved) {
    app.Error("Error Writing Data File " + path.string() + ": " + saved.error);
    ++app.failedSaves;
    return;
  }
  app.machine.loaded = s;
}

std::optional<ProgramFrame> ProgramFrameOf(const App& app, Refusal& refusal) {
  if (!app.Checked(id::kProgramStartEnd)) return std::nullopt;
  auto keyOf = [&app](ControlId id) { return KeyOfControl(app.operations, id); };
  MachineSettings s;
  if (!IsNumberText(app.Text(id::kProgramNumber)) ||
      !SetMachineSetting(s, "program_number", app.Number(id::kProgramNumber)))
    refusal = {keyOf(id::kProgramNumber), "{} must be a whole number from 1 to 9999"};
  for (const auto& [box, name] : kTextBoxes)
    if (!SetMachineText(s, name, app.Text(box)) && refusal.empty())
      refusal = {keyOf(box), "{}" + TextRule()};
  // What the control reads before the first operation: codes only, nothing that moves.
  const toolpath::ReadResult codes = toolpath::ReadProgram(s.programStartCodes);
  const bool onlyCodes = codes.diagnostics.empty() &&
                         std::all_of(codes.words.begin(), codes.words.end(), [](const toolpath::Word& w) {
                           return (w.letter == 'G' || w.letter == 'M') && !toolpath::IsMotionOrCycle(
                                      toolpath::CodeOf(w).value_or(toolpath::Code::NoEffect));
                         });
  if (!onlyCodes && refusal.empty())
    refusal = {keyOf(id::kProgramStartCodes), "{} must be G and M codes that make no move"};
  if (!refusal.empty()) return std::nullopt;
  return ProgramFrame{s.programNumber, s.programName, s.programStartCodes, app.Metric()};
}

toolpath::ToolpathSettings ProgramToolpathSettings(const App& app) {
  toolpath::ToolpathSettings settings;
  settings.metric = app.machine.metricBoxes;
  settings.toolChange = {app.Number(id::kXToolChange), app.Number(id::kZToolChange)};
  settings.machine = MachineFromBoxes(app);
  settings.tools = &app.tools;
  return settings;
}

}  // namespace tbx
