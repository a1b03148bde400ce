#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace tbx {
struct App;

inline constexpr const char* kProgramTitle = "Turnbrix V2.5";

// Start-up: main menu, the main form with its controls and data, the About form, the main
// form shown. Returns false when start-up failed (the main form has been unloaded).
bool StartUp(App& app);
// Builds the controls of the form named and, for the main form, loads the data files and
// applies the unit defaults. Returns false when loading failed.
bool BuildWindow(App& app, std::string_view form);
// Folder of default.txt and data.txt: `override` when given, else $TURNBRIX_HOME, else the
// per-user data folder ($XDG_DATA_HOME/turnbrix or ~/.local/share/turnbrix).
std::filesystem::path HomeFolder(const char* override);

// The About form's facts: version, data folder, what was loaded, the licence.
std::string AboutFacts(const App& app);

// Exit button and close of the main form: save the defaults, unload the main form.
void ShutDown(App& app);
}  // namespace tbx
