#pragma once
// default.txt and data.txt of the home folder, read into the form at start-up and the
// defaults saved back.
#include <filesystem>

namespace tbx {
struct App;

std::filesystem::path DefaultFilePath(const App& app);
std::filesystem::path DataFilePath(const App& app);

// Reads both files into the Settings controls, the lists and the tables. Returns false when
// loading failed (the message has been shown and the main form unloaded).
bool LoadData(App& app);
// Writes the Settings values back to an existing default.txt; never creates it.
void SaveDefaults(App& app);

}  // namespace tbx
