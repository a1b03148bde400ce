#pragma once
// The program in the output box as a file: new, open, save, and whether the box holds
// changes not yet saved. Both front ends drive the same unit.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tbx {

struct App;

// Files larger than this are refused on opening.
inline constexpr std::uintmax_t kMaxProgramFileBytes = 16u * 1024u * 1024u;

// The file text as the output box holds it: every line end (LF, CR or CR LF) made CR LF.
std::string ToCrLf(std::string_view text);
// Whether file content reads as program text: no NUL or other control byte apart from tab,
// line ends, form feed and the end-of-file mark, and valid UTF-8.
bool IsProgramText(std::string_view content);
// The block number 10 after the highest N word of the text ("N" at a line's start or after a
// blank, then digits, outside comments), or 10 when there is none.
std::int64_t NextBlockNumber(std::string_view text);

// Writes text exactly to a new file beside PATH (beside the target of a symbolic link) and
// renames it over, keeping the old file's permissions; a failure keeps the old file. Returns
// why it failed ("Permission denied"), empty when written.
std::string WriteTextFile(const std::filesystem::path& path, std::string_view text);

class ProgramFile {
 public:
  // Starts with the output box as it stands counted as saved (empty after start-up).
  explicit ProgramFile(const App& app);

  // Empties the box, the undo history and the numbering; the program has no file.
  void New(App& app);
  // Reads PATH into the box. A file that cannot be read, is not text or is larger than
  // kMaxProgramFileBytes is refused with a message and nothing changes. Returns whether opened.
  bool Open(App& app, const std::filesystem::path& path);
  // Writes the box's text exactly to a new file beside PATH (beside the target of a symbolic
  // link) and renames it over, so a failure keeps the old file; a failure is shown with its
  // reason. Returns whether saved.
  bool Save(App& app, const std::filesystem::path& path);

  // The box differs from what was last opened, saved or started new.
  bool Modified(const App& app) const;
  // The file of the program, empty for a new one.
  const std::filesystem::path& Path() const { return path_; }
  // "name.nc", or "Untitled" for a program without a file.
  std::string DisplayName() const;

 private:
  std::filesystem::path path_;
  std::string savedText_;
};

}  // namespace tbx
