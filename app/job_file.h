#pragma once
// The job as a file: NAME.tbx beside the program NAME.nc, TOML (read and written with toml++).
// A format version, the digest of the program text it belongs to, and one table per step with
// the values keyed by the descriptors' field keys.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/job.h"
#include "data/tool_library.h"

namespace tbx {

inline constexpr int kJobFormat = 1;

// FNV-1a, 64 bits, of `bytes`, as 16 lower-case hex digits: the digest a job file keeps of its
// program's bytes as written.
std::string Digest(std::string_view bytes);

// NAME.tbx for NAME.EXT (any extension, or none).
std::filesystem::path JobPathOf(const std::filesystem::path& program);

// The job file's text for `job`, belonging to the program whose bytes have `programDigest`.
// The tools of `tools` that its operation steps call go with it ([tool_library]), so that the
// job rebuilds where the library lacks them.
std::string JobFileText(const Operations& ops, const Job& job, std::string_view programDigest,
                        const ToolLibrary* tools = nullptr);

struct JobFileRead {
  Job job;                  // the steps: values, kinds, texts of text and edited steps
  std::vector<std::size_t> lengths;  // per step, the length of its text in the program (0: unknown)
  std::string digest;       // of the program it belongs to
  std::string error;        // "line 7: ...", empty when read
  std::vector<std::string> warnings;  // keys left out, "line 9: ..."
  ToolLibrary tools;        // the tools the job's steps called when it was saved
  explicit operator bool() const { return error.empty(); }
};

// Lends `library` the tools of `job` it lacks, in its units, for as long as it is open; the
// tools it holds stay as they are.
void LendJobTools(const ToolLibrary& job, ToolLibrary& library);
// Reads a job file. A file that is no TOML, of another format version, or with a key naming
// no control is refused (`error` names its line); keys Turnbrix does not know are left out
// with a warning.
JobFileRead ReadJobFile(const Operations& ops, std::string_view content);

// The steps of `read` given their texts from `program`, the text they belong to; false when
// their lengths do not make it.
bool TakeProgramTexts(JobFileRead& read, std::string_view program);

}  // namespace tbx
