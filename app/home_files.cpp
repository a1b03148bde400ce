#include "app/home_files.h"

#include <initializer_list>
#include <utility>
#include <system_error>

#include "app/app.h"
#include "data/data_files.h"

namespace tbx {

namespace {

void ReportMissing(App& app, const std::filesystem::path& path) {
  app.Error("Missing Data File " + path.string());
}

void AddToLists(App& app, std::initializer_list<ControlId> lists, std::string_view item) {
  // One item each, even when the name holds "|".
  for (ControlId list : lists) app.ui.AddItems(kMainForm, list, item, /*splitItems=*/false);
}

struct ToolChangeBox {
  ControlId id;
  const char* name;
};
constexpr ToolChangeBox kToolChangeBoxes[] = {{id::kXToolChange, "X Axis Tool Change"},
                                              {id::kZToolChange, "Z Axis Tool Change"}};

// The tool-change texts show as leaving their boxes would show them; one that is no number
// stays as read, so that operations refuse it, and is reported rather than taken as 0.
void LoadDefaults(App& app, const std::filesystem::path& path, const std::string& content) {
  const Defaults d = ReadDefaults(content);
  for (const auto& [box, text] : {std::pair{kToolChangeBoxes[0], &d.xToolChange},
                                  std::pair{kToolChangeBoxes[1], &d.zToolChange}}) {
    if (IsNumberText(*text)) {
      app.SetText(box.id, BoxText(*text));
    } else {
      app.SetText(box.id, *text);
      app.Error(std::string(box.name) + " in " + path.string() + " is not a number");
    }
  }
  app.SetCheck(id::kMetric, d.metric);
}

// False after an overflow (message shown).
bool LoadSections(App& app, const std::string& content) {
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
  app.ui.MessageBox("Error Reading " + t.overflow + " Data", "File Error", MessageIcon::None);
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
    if (!LoadSections(app, *content)) {
      app.ui.UnloadForm(kMainForm);
      return false;
    }
  } else {
    ReportMissing(app, data);
    missing = true;
  }
  app.ui.SelectItem(kMainForm, id::kMaterialList, 20);

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
  for (const ToolChangeBox& box : kToolChangeBoxes) {
    if (!IsNumberText(app.Text(box.id))) {
      app.Error(std::string(box.name) + " must be a number: " + path.string() + " was not saved");
      return;
    }
  }
  const std::string content =
      DefaultsText(app.Number(id::kXToolChange), app.Number(id::kZToolChange), app.Metric());
  if (!ReplaceFile(path, content)) app.Error("Error Writing Data File " + path.string());
}

}  // namespace tbx
