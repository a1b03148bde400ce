#include "app/home_files.h"

#include <initializer_list>
#include <utility>
#include <system_error>

#include "app/app.h"
#include "app/field_help.h"
#include "app/machine_boxes.h"
#include "app/tool_boxes.h"
#include "data/data_files.h"
#include "data/safe_save.h"

namespace tbx {

namespace {

void ReportMissing(App& app, const std::filesystem::path& path) {
  app.Error("Missing Data File " + path.string());
}

void AddToLists(App& app, std::initializer_list<ControlId> lists, std::string_view item) {
  // One item each, even when the name holds "|".
  for (ControlId list : lists) app.ui.AddItems(kMainForm, list, item, /*splitItems=*/false);
}

// The tool-change texts show as leaving their boxes would show them; one that is no number
// stays as read, so that operations refuse it, and is reported rather than taken as 0.
void LoadDefaults(App& app, const std::filesystem::path& path, const std::string& content) {
  const Defaults d = ReadDefaults(content);
  for (const auto& [box, text] : {std::pair{id::kXToolChange, &d.xToolChange},
                                  std::pair{id::kZToolChange, &d.zToolChange}}) {
    if (IsNumberText(*text)) {
      app.SetText(box, BoxText(*text));
    } else {
      app.SetText(box, *text);
      app.Error(FieldCaption(app.operations, box) + " in " + path.string() + " is not a number");
    }
  }
  app.SetCheck(id::kMetric, d.metric);
}

// False after an overflow (message shown).
bool LoadSections(App& app, const std::filesystem::path& path, const std::string& content) {
  DataTables t = ReadDataTables(content, app.Metric());
  for (const std::string& item : t.drillItems)
    AddToLists(app, {id::kCSinkDrillSize, id::kDeepDrillSize, id::kDataDrillList}, item);
  for (const std::string& name : t.threadNames)
    AddToLists(app, {id::kThreadSize, id::kTapSize, id::kDataTapSize}, name);
  for (const std::string& name : t.materialNames) AddToLists(app, {id::kMaterialList}, name);
  app.threads = t.threads;
  app.materials = t.materials;
  app.drills = std::move(t.drills);
  app.threadCount = static_cast<int>(t.threadNames.size());
  app.materialCount = static_cast<int>(t.materialNames.size());
  if (t.overflow.empty()) return true;
  const std::string plural = t.overflow == "Thread" ? "threads" : t.overflow == "Drill" ? "drills" : "materials";
  const std::string why = t.overflowLine == 0 ? ": the file ends before the section's eof record"
                                              : " line " + std::to_string(t.overflowLine) + ": more than " +
                                                    std::to_string(t.overflowLimit) + " " + plural +
                                                    " before the section's eof record";
  app.ui.MessageBox("Error Reading " + t.overflow + " Data: " + path.string() + why, "File Error",
                    MessageIcon::None);
  return false;
}

}  // namespace

std::filesystem::path DefaultFilePath(const App& app) { return app.home / "default.txt"; }
std::filesystem::path DataFilePath(const App& app) { return app.home / "data.txt"; }

bool LoadData(App& app) {
  bool missing = false;

  const auto defaults = DefaultFilePath(app);
  if (auto content = ReadWholeFile(defaults)) {
    LoadDefaults(app, defaults, *content);
  } else {
    ReportMissing(app, defaults);
    missing = true;
  }

  const auto data = DataFilePath(app);
  if (auto content = ReadWholeFile(data)) {
    if (!LoadSections(app, data, *content)) {
      app.ui.UnloadForm(kMainForm);
      return false;
    }
  } else {
    ReportMissing(app, data);
    missing = true;
  }
  app.ui.SelectItem(kMainForm, id::kMaterialList, 20);
  // A library that cannot be read is refused whole and left as it is for the user to mend;
  // the program runs on without tools, as it did before it had a library.
  ToolLibraryRead tools = LoadToolLibrary(app.home / kToolLibraryFileName);
  if (!tools) app.ui.MessageBox("Tool library not loaded: " + tools.error, "File Error", MessageIcon::None);
  app.tools = std::move(tools.library);
  ShowTool(app, false);

  if (missing) {
    app.ui.UnloadForm(kMainForm);
    return false;
  }
  return true;
}

void SaveDefaults(App& app) {
  const auto path = DefaultFilePath(app);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    ReportMissing(app, path);
    app.ui.UnloadForm(kMainForm);
    return;
  }
  // Saved as a number, a text that is none would come back as a position of 0.
  for (ControlId box : {id::kXToolChange, id::kZToolChange}) {
    if (!IsNumberText(app.Text(box))) {
      app.Error(FieldCaption(app.operations, box) + " must be a number: " + path.string() + " was not saved");
      return;
    }
  }
  // The boxes hold the position in the units of the start; the file holds it in the units it
  // names, so a change of the Metric box converts it.
  const double factor = UnitFactor(app.machine.metricBoxes, app.Metric());
  const double x = app.Number(id::kXToolChange) * factor, z = app.Number(id::kZToolChange) * factor;
  const auto old = ReadWholeFile(path);
  const bool wasMetric = old ? ReadDefaults(*old).metric : app.machine.metricBoxes;
  if (const SafeSaveResult saved = SafeSave(path, DefaultsText(x, z, app.Metric())); !saved) {
    app.Error("Error Writing Data File " + path.string() + ": " + saved.error);
    ++app.failedSaves;
    return;
  }
  if (wasMetric == app.Metric()) return;
  const auto position = [](double xValue, double zValue, bool metric) {
    return "X" + PlainDecimal(xValue, 4) + " Z" + PlainDecimal(zValue, 4) + (metric ? " mm" : " in");
  };
  const double back = UnitFactor(app.Metric(), wasMetric);
  app.ui.MessageBox("The tool-change position " + position(x * back, z * back, wasMetric) + " is saved as " +
                        position(x, z, app.Metric()) + " in " + path.string() +
                        ", and the G76 and G83 lengths of toolpath.txt are converted with it. Until the "
                        "restart the program is read in " + (app.machine.metricBoxes ? "mm" : "inches") + ".",
                    app.Metric() ? "Changing to Metric Settings" : "Changing to Inch Settings", MessageIcon::None);
}

}  // namespace tbx
