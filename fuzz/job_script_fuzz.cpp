// The job-script reader and everything a script can reach: start-up on the shipped data,
// then the script, with no window.
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "gui/job_runner.h"

namespace {
// A copy of the shipped files: "close" and Settings OK write default.txt back.
std::filesystem::path Home() {
  namespace fs = std::filesystem;
  const fs::path home = fs::temp_directory_path() / "turnbrix-fuzz-home";
  fs::create_directories(home);
  for (const char* name : {"default.txt", "data.txt"})
    fs::copy_file(fs::path(TURNBRIX_RESOURCES) / name, home / name,
                  fs::copy_options::overwrite_existing);
  return home;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path home = Home();
  std::filesystem::copy_file(std::filesystem::path(TURNBRIX_RESOURCES) / "default.txt",
                             home / "default.txt",
                             std::filesystem::copy_options::overwrite_existing);
  std::ostringstream out, err;
  tbx::JobRunner runner(home, out, err);
  if (!runner.Start()) return 0;
  std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
  runner.RunScript(script);
  return 0;
}
