#include "app/startup.h"

#include <cstdlib>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/events.h"
#include "app/home_files.h"
#include "app/tap_data.h"

namespace tbx {

namespace {

constexpr ControlId kAboutTitle = 1;
constexpr ControlId kAboutOk = 2;
constexpr ControlId kAboutFacts = 4;

constexpr ControlDesc kAboutControls[] = {
    {kAboutTitle, ControlKind::Label, 0, kProgramTitle},
    {3, ControlKind::Label, 0, "G-code for two-axis lathes"},
    {kAboutFacts, ControlKind::Label, 0, ""},
    {5, ControlKind::Label, 0,
     "Turnbrix is free software: you may share and change it under the GNU General Public "
     "License, version 3 or later. It comes with no warranty."},
    {kAboutOk, ControlKind::Button, 0, "OK"},
};

}  // namespace

bool BuildWindow(App& app, std::string_view form) {
  if (form == kAboutForm) {
    for (const ControlDesc& desc : kAboutControls) app.ui.CreateControl(kAboutForm, desc);
    return true;
  }
  BuildMainForm(app);
  if (!LoadData(app)) return false;
  // The unit system was read from default.txt into the Metric box just now.
  ApplyUnitDefaults(app);
  ShowMachineSettings(app);
  ShowNearestDrills(app);
  return true;
}

bool StartUp(App& app) {
  FormModel& ui = app.ui;
  ui.DefineMainMenu(kAboutMenu, "About");
  ui.CreateForm(kMainForm, "", kProgramTitle);
  if (!BuildWindow(app, kMainForm)) return false;
  ui.HideForm(kMainForm);
  app.program = ProgramState{};
  app.undo = UndoHistory{};
  ui.CreateForm(kAboutForm, kMainForm, "About");
  BuildWindow(app, kAboutForm);
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
