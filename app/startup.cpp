#include "app/startup.h"

#include <cstdlib>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/events.h"
#include "app/home_files.h"
#include "app/tap_data.h"
#include "data/settings.h"

namespace tbx {

namespace {

constexpr ControlId kAboutTitle = 1;
constexpr ControlId kAboutOk = 2;
constexpr ControlId kAboutFacts = 4;

constexpr ControlSpec kAboutControls[] = {
    {kAboutTitle, ControlKind::Label, 0, kProgramTitle, "C", 2, 2, 26, 1.5},
    {3, ControlKind::Label, 0, "G-code for two-axis lathes", "C", 2, 4, 26, 1.5},
    {kAboutFacts, ControlKind::Label, 0, "", "L", 2, 6.5, 26, 10},
    {kAboutOk, ControlKind::Button, 0, "OK", "T", 10, 18, 10, 1.5},
};

// The unit system was read from default.txt into the Metric box just before.
void ApplyUnitDefaults(App& app) {
  const bool metric = app.ui.GetCheck(kMainForm, id::kMetric) == 1;
  for (const UnitDefault& d : UnitDefaults()) app.SetText(d.id, metric ? d.metric : d.inch);
  for (const StartSelection& s : DataListSelections())
    app.ui.SelectItem(kMainForm, s.id, metric ? s.metricIndex : s.inchIndex);
}

}  // namespace

bool EzDesignWindow(App& app, std::string_view form) {
  if (form == kAboutForm) {
    app.ui.SetLayer(0);
    for (const ControlSpec& desc : kAboutControls) app.ui.CreateControl(kAboutForm, desc);
    return true;
  }
  BuildMainForm(app.ui);
  if (!LoadData(app)) return false;
  app.pi = kPi;
  ApplyUnitDefaults(app);
  ShowMachineSettings(app);
  ShowNearestDrills(app);
  return true;
}

bool EzMain(App& app) {
  FormModel& ui = app.ui;
  ui.DefineMainMenu(kAboutMenu, "About");
  ui.SetColor(-1, -1);
  ui.CreateForm(kMainForm, "", kProgramTitle, 0, 0, 1, 1, "C");
  if (!EzDesignWindow(app, kMainForm)) return false;
  ui.HideForm(kMainForm);
  ui.ResizeForm(kMainForm, 0, 0, 76, 29, 1);
  app.program = ProgramState{};
  app.undo = UndoHistory{};
  ui.CreateForm(kAboutForm, kMainForm, "About", 0, 0, 30, 21.5, "CN");
  EzDesignWindow(app, kAboutForm);
  ui.SetText(kAboutForm, kAboutFacts, AboutFacts(app));
  ui.ShowForm(kMainForm);
  return true;
}

std::string AboutFacts(const App& app) {
  const std::string_view title = kProgramTitle;
  const std::string_view version = title.substr(title.rfind('V') + 1);
  return "Version " + std::string(version) + "\n\nData folder:\n" + app.home.string() + "\n\n" +
         std::to_string(app.drills.size()) + " drills, " + std::to_string(app.threadCount) +
         " threads, " + std::to_string(app.materialCount) + " materials\n\n" +
         "Licence: none stated yet; all rights\nreserved by the Turnbrix developers.";
}

void AboutEvent(App& app, ControlId control, int message) {
  if (control == kAboutOk && message == kMsgClick) app.ui.HideForm(kAboutForm);
  if (control == 0 && message == kMsgClose) app.ui.HideForm(kAboutForm);
}

void ShutDown(App& app) {
  SaveMachineBoxes(app);  // while the form still holds the boxes
  SaveDefaults(app);
  app.ui.UnloadForm(kMainForm);
}

std::filesystem::path HomeFolder(const char* override) {
  if (override && *override) return override;
  if (const char* env = std::getenv("TURNBRIX_HOME"); env && *env) return env;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    return std::filesystem::path(xdg) / "turnbrix";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".local/share/turnbrix";
}

}  // namespace tbx
