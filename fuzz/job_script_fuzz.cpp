// The job-script reader and everything a script can reach: start-up on the shipped data,
// then the script, with no window. It runs against a scratch folder of its own; `open` and
// `save` name files there only, so that no input can read or replace a file elsewhere.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <string_view>

#include "gui/job_runner.h"

namespace {

namespace fs = std::filesystem;

std::string ReadShipped(const char* name) {
  std::ifstream in(fs::path(TURNBRIX_RESOURCES) / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Written through a stream rather than copied: a file copy may be cut short by the fuzzer's
// own timer signal.
void Write(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

struct Scratch {
  fs::path home;
  std::string defaults, data;
};

const Scratch& ScratchFolder() {
  static const Scratch scratch = [] {
    Scratch s{fs::temp_directory_path() / "turnbrix-fuzz-home", ReadShipped("default.txt"),
              ReadShipped("data.txt")};
    fs::create_directories(s.home);
    return s;
  }();
  return scratch;
}

// The script with the file name of every `open` and `save` placed in the scratch folder;
// nothing when one names a path rather than a plain file name.
std::optional<std::string> InScratch(std::string_view script, const fs::path& home) {
  std::string placed;
  std::size_t start = 0;
  while (start < script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string_view::npos) end = script.size();
    const std::string_view line = script.substr(start, end - start);
    if (line.starts_with("open ") || line.starts_with("save ")) {
      const std::string_view name = line.substr(5);
      if (name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos ||
          name.starts_with(".."))
        return std::nullopt;
      placed += std::string(line.substr(0, 5)) + (home / std::string(name)).string();
    } else {
      placed += line;
    }
    placed += '\n';
    start = end + 1;
  }
  return placed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Scratch& scratch = ScratchFolder();
  const std::optional<std::string> text =
      InScratch(std::string_view(reinterpret_cast<const char*>(data), size), scratch.home);
  if (!text) return -1;  // not kept in the corpus
  // "close" and Settings OK write the settings back; every input starts from the shipped ones.
  Write(scratch.home / "default.txt", scratch.defaults);
  Write(scratch.home / "data.txt", scratch.data);
  std::error_code ignored;
  fs::remove(scratch.home / "toolpath.txt", ignored);
  std::ostringstream out, err;
  tbx::JobRunner runner(scratch.home, out, err);
  if (!runner.Start()) return 0;
  std::istringstream script(*text);
  runner.RunScript(script);
  return 0;
}
