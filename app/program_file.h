#pragma once
// The program in the output box as a file: new, open, save, and whether the box holds
// changes not yet saved. Both front ends drive the same unit.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/job.h"
#include "data/limits.h"

namespace tbx {

struct App;

// The file text as the output box holds it: every line end (LF, CR or CR LF) made CR LF.
std::string ToCrLf(std::string_view text);
// The box's text as the file is written: exactly when `lineEnd` is CR LF, else with every line
// end made `lineEnd`.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);
// The line end a file uses, by its first one; CR LF for a file without any.
std::string FirstLineEnd(std::string_view content);
// Whether file content reads as program text: no NUL or other control byte apart from tab,
// line ends, form feed and the end-of-file mark, and valid UTF-8.
bool IsProgramText(std::string_view content);
// The block number 10 after the highest N word of the text ("N" at a line's start or after a
// blank, then digits, outside comments), or 10 when there is none.
std::int64_t NextBlockNumber(std::string_view text);

class ProgramFile {
 public:
  // Starts with the output box as it stands counted as saved (empty after start-up).
  explicit ProgramFile(const App& app);

  // Empties the box, the undo history and the numbering; the program has no file.
  void New(App& app);
  // Reads PATH into the box; the steps of the job file beside it (NAME.tbx) are restored when
  // it belongs to these bytes, else the program is one text step and a status note says why.
  // A .tbx file itself is read as a job and its program rebuilt. A file that cannot be read, is not text or is larger than
  // kMaxProgramFileBytes is refused with a message and nothing changes. Returns whether opened.
  // `progress` (when given) hears the share of the file read so far, from 0 to 1.
  using Progress = std::function<void(double share)>;
  bool Open(App& app, const std::filesystem::path& path, const Progress& progress = {});
  // Asked whether a read-only file may be replaced, with the refusal ("Cannot save PATH: it
  // is read-only"); true overwrites it.
  using ReadOnlyQuestion = std::function<bool(const std::string& refusal)>;
  // Writes the box's text, and the job beside it as NAME.tbx, through SafeSave, with the line ends of the file it was opened from
  // (CR LF for a new program). A read-only file is replaced only when `overwrite` agrees; a
  // text that Open would refuse (too large, not text) is not written. A failure is shown with
  // its reason and keeps the old file. Returns whether saved.
  bool Save(App& app, const std::filesystem::path& path, const ReadOnlyQuestion& overwrite = {});

  // The box or the job's steps differ from what was last opened, saved or started new.
  bool Modified(const App& app) const;
  // The file of the program, empty for a new one.
  const std::filesystem::path& Path() const { return path_; }
  // "name.nc", or "Untitled" for a program without a file.
  std::string DisplayName() const;

 private:
  void RestoreSteps(App& app, const std::filesystem::path& path, std::string_view content,
                    const std::string& text);

  std::filesystem::path path_;
  std::string savedText_;
  std::vector<JobStep> savedSteps_;
  toolpath::Stock savedStock_;
  std::string lineEnd_ = "\r\n";  // of the file opened, kept by Save
};

}  // namespace tbx
