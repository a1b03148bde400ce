#include "app/first_run.h"

#include <array>
#include <cstdlib>
#include <system_error>

#include "app/startup.h"

namespace tbx {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 2> kShippedFiles = {"default.txt", "data.txt"};
// Copied when shipped: a data folder without it simply knows no tools.
constexpr const char* kShippedToolLibrary = "tools.toml";

bool HoldsShippedFiles(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  for (const char* name : kShippedFiles)
    if (!fs::is_regular_file(folder / name, error)) return false;
  return true;
}

}  // namespace

fs::path ExecutableFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path();
}

fs::path ShippedDataFolder(const fs::path& executableFolder, const fs::path& fallback) {
  if (!executableFolder.empty()) {
    const fs::path installed = executableFolder.parent_path() / "share" / "turnbrix";
    if (HoldsShippedFiles(installed)) return installed;
  }
  return HoldsShippedFiles(fallback) ? fallback : fs::path();
}

std::string SetUpFirstRun(const char* override, const fs::path& shipped) {
  if (override && *override) return {};
  if (const char* env = std::getenv("TURNBRIX_HOME"); env && *env) return {};
  const fs::path home = HomeFolder(nullptr);
  std::error_code error;
  if (fs::exists(home, error) || error || !HoldsShippedFiles(shipped)) return {};
  fs::create_directories(home, error);
  for (const char* name : kShippedFiles) {
    if (error) break;
    fs::copy_file(shipped / name, home / name, error);
  }
  const bool tools = !error && fs::is_regular_file(shipped / kShippedToolLibrary, error);
  if (tools) fs::copy_file(shipped / kShippedToolLibrary, home / kShippedToolLibrary, error);
  if (error) {
    // A half-filled folder would never be completed, as only a missing folder is filled.
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return "Could not create " + home.string() + ": " + error.message();
  }
  return "Created " + home.string() + " with the shipped default.txt and data.txt" +
         (tools ? std::string(" and the starter tool library ") + kShippedToolLibrary : std::string());
}

}  // namespace tbx
