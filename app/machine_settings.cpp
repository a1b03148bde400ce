#include "app/machine_settings.h"

#include "app/app.h"
#include "app/home_files.h"
#include "app/field_help.h"
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
};

const char* NameOf(const MachineBox& box, bool metric) { return metric ? box.metric : box.inch; }

}  // namespace

void ShowMachineSettings(App& app) {
  app.machine.loaded = LoadMachineSettings(MachineSettingsPath(app.home));
  app.machine.metricBoxes = app.Metric();
  for (const MachineBox& box : kBoxes) {
    const double value = MachineSetting(app.machine.loaded, NameOf(box, app.machine.metricBoxes));
    app.SetText(box.id, BoxText(PlainDecimal(value, 6)));
  }
}

MachineSettings MachineFromBoxes(const App& app, std::string* refusal) {
  MachineSettings s = app.machine.loaded;
  for (const MachineBox& box : kBoxes) {
    const std::string name = NameOf(box, app.machine.metricBoxes);
    const std::string text = app.Text(box.id);
    if (IsNumberText(text) && SetMachineSetting(s, name, app.Number(box.id))) continue;
    if (refusal && refusal->empty()) {
      double low = 0, high = 0;
      MachineSettingRange(name, low, high);
      *refusal = FieldCaption(app.operations, box.id) + " must be a number from " + PlainDecimal(low, 6) + " to " +
                 PlainDecimal(high, 6);
    }
  }
  return s;
}

void SaveMachineBoxes(App& app) {
  const auto path = MachineSettingsPath(app.home);
  std::string refusal;
  const MachineSettings s = MachineFromBoxes(app, &refusal);
  if (!refusal.empty()) {
    app.Error(refusal + ": " + path.string() + " was not saved");
    return;
  }
  // An untouched Settings tab writes nothing, so no file appears that nobody asked for.
  if (MachineSettingsText(s) == MachineSettingsText(app.machine.loaded)) return;
  if (!SaveMachineSettings(path, s)) {
    app.Error("Error Writing Data File " + path.string());
    return;
  }
  app.machine.loaded = s;
}

toolpath::ToolpathSettings ProgramToolpathSettings(const App& app) {
  toolpath::ToolpathSettings settings;
  settings.metric = app.Metric();
  settings.toolChange = {app.Number(id::kXToolChange), app.Number(id::kZToolChange)};
  settings.machine = MachineFromBoxes(app);
  return settings;
}

}  // namespace tbx
