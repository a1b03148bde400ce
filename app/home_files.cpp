#include "app/home_files.h"

#include <initializer_list>
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

void LoadDefaults(App& app, const std::string& content) {
  const Defaults d = ReadDefaults(content);
  app.SetText(id::kXToolChange, d.xToolChange);
  app.SetText(id::kZToolChange, d.zToolChange);
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
    LoadDefaults(app, *content);
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
  const std::string content =
      DefaultsText(app.Number(id::kXToolChange), app.Number(id::kZToolChange), app.Metric());
  if (!ReplaceFile(path, content)) app.Error("Error Writing Data File " + path.string());
}

}  // namespace tbx
