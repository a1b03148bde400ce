#pragma once
#include <filesystem>
#include <string>

namespace tbx {

// Folder of the running executable, from /proc/self/exe; empty when it cannot be read.
std::filesystem::path ExecutableFolder();

// Folder of the shipped default.txt and data.txt: ../share/turnbrix beside the executable's
// folder when it holds both (an installed program), else `fallback` when it holds both (the
// source tree's resources/ for a build folder), else empty.
std::filesystem::path ShippedDataFolder(const std::filesystem::path& executableFolder,
                                        const std::filesystem::path& fallback);

// First run: when no folder was given (neither `override` nor $TURNBRIX_HOME) and the per-user
// data folder does not exist yet, creates it and copies the shipped files from `shipped` into
// it. Returns the line to tell the user, empty when nothing was done. A folder that was given
// or that already exists is never touched, so a missing file there is still reported by
// start-up.
std::string SetUpFirstRun(const char* override, const std::filesystem::path& shipped);

}  // namespace tbx
