#include "app/speeds_and_units.h"

#include "app/app.h"
#include "app/home_files.h"
#include "app/tool_boxes.h"

namespace tbx {

void ApplyMaterialSpeed(App& app, SpeedSet set) {
  int p = app.ui.FindNext(kMainForm, id::kMaterialList, app.Text(id::kMaterialList));
  // Record 0 (all zeros) when the selected text is not found.
  int record = p >= 0 && p < kMaxMaterials ? p + 1 : 0;
  float speed = MaterialSpeed(app.materials, record, set, app.Checked(id::kCarbide));
  app.SetText(id::kSpm, NumberToText(speed, 7));
}

void ToolSelected(App& app) {
  std::string tool = app.Text(id::kTool);
  std::string number = tool.size() > 2 ? tool.substr(tool.size() - 2) : tool;
  int p = app.ui.FindNext(kMainForm, id::kOffset, number);
  app.ui.SelectItem(kMainForm, id::kOffset, p < 0 ? 0 : p);
  ShowTool(app, true);
}

void MetricClicked(App& app) {
  // Nothing changes now: lists, tables and default texts follow the units of the next start,
  // and the saves of default.txt and toolpath.txt convert their lengths to the new units.
  std::string_view title = app.Metric() ? "Changing to Metric Settings" : "Changing to Inch Settings";
  app.ui.MessageBox("Exit and Restart Program for Unit Change", title, MessageIcon::None);
}

void SettingsOk(App& app) {
  SaveDefaults(app);
  SaveMachineBoxes(app);
}

void ApplyTabSpeed(App& app, SpindleRule rule) {
  switch (rule) {
    case SpindleRule::Turning: ApplyMaterialSpeed(app, SpeedSet::Turning); break;
    case SpindleRule::Threading: ApplyMaterialSpeed(app, SpeedSet::Threading); break;
    case SpindleRule::Empty: app.SetText(id::kSpm, ""); break;
  }
}

}  // namespace tbx
