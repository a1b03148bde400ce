#include "app/program_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/app.h"
#include "app/job.h"
#include "app/job_file.h"
#include "data/safe_save.h"

namespace tbx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOpenTitle = "Open Program";
constexpr std::string_view kSaveTitle = "Save Program";

std::string Reason(int error) { return std::generic_category().message(error); }

// Length of the UTF-8 sequence starting at `i`, or 0 when it is not a valid one.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t n = lead >= 0xF0 && lead <= 0xF4  ? 4
                  : lead >= 0xE0                ? 3
                  : lead >= 0xC2 && lead < 0xE0 ? 2
                                                : 0;
  if (n == 0 || lead > 0xF4 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  const unsigned char second = byte(i + 1);
  // Overlong forms, UTF-16 surrogates and code points past U+10FFFF.
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;
  return n;
}

}  // namespace

namespace {
// Every line end (LF, CR or CR LF) made `lineEnd`.
std::string Rejoin(std::string_view text, std::string_view lineEnd) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += lineEnd;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}
}  // namespace

std::string ToCrLf(std::string_view text) { return Rejoin(text, "\r\n"); }

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
  // The box holds CR LF already; written as it stands, what the user typed stays byte for byte.
  return lineEnd == "\r\n" ? std::string(text) : Rejoin(text, lineEnd);
}

std::string FirstLineEnd(std::string_view content) {
  const std::size_t end = content.find_first_of("\r\n");
  if (end == std::string_view::npos) return "\r\n";
  if (content[end] == '\n') return "\n";
  return end + 1 < content.size() && content[end + 1] == '\n' ? "\r\n" : "\r";
}

bool IsProgramText(std::string_view content) {
  for (std::size_t i = 0; i < content.size();) {
    const unsigned char c = static_cast<unsigned char>(content[i]);
    const bool allowedControl = c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x1A;
    if ((c < 0x20 && !allowedControl) || c == 0x7F) return false;
    const std::size_t n = Utf8Length(content, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::int64_t NextBlockNumber(std::string_view text) {
  std::int64_t highest = -1;
  bool comment = false;  // words in "( )" and after ";" to the line end are not words
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '(' || c == ';') comment = true;
    if (c == ')' || c == '\r' || c == '\n') comment = false;
    if (comment || (c != 'N' && c != 'n')) continue;
    const bool wordStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '\t' ||
                           text[i - 1] == '\n' || text[i - 1] == '\r';
    if (!wordStart) continue;
    std::size_t end = i + 1;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    std::int64_t n = 0;
    // A number too long for the counter is no block number we could continue from.
    auto [ptr, ec] = std::from_chars(text.data() + i + 1, text.data() + end, n);
    if (end > i + 1 && ec == std::errc() && n > highest && n <= INT64_MAX - 10) highest = n;
    i = end - 1;
  }
  return highest < 0 ? 10 : highest + 10;
}

namespace {
// The operation steps of both, in order, made by the same tabs with the same values; how the
// text between them falls into text steps does not matter.
bool SameOperations(const std::vector<JobStep>& a, const std::vector<JobStep>& b) {
  auto next = [](const std::vector<JobStep>& steps, std::size_t i) {
    while (i < steps.size() && steps[i].IsText()) ++i;
    return i;
  };
  std::size_t i = next(a, 0), j = next(b, 0);
  for (; i < a.size() && j < b.size(); i = next(a, i + 1), j = next(b, j + 1))
    if (a[i].op != b[j].op || a[i].edited != b[j].edited || a[i].values != b[j].values) return false;
  return i == a.size() && j == b.size();
}
}  // namespace

ProgramFile::ProgramFile(const App& app) : savedText_(app.Text(id::kOutput)) {}

namespace {
// The box holds `text`, numbering continues at `next`, nothing to undo.
void Restart(App& app, const std::string& text, std::int64_t next) {
  // A step being edited ends as Cancel ends it: the tab and the shared controls as they were.
  CancelEdit(app);
  app.program = ProgramState{};
  app.program.blockNumber = next;
  app.undo = UndoHistory{};
  app.Disable(id::kUndo);
  app.SetText(id::kOutput, text);
  // The whole text is one text step, numbered on from as above.
  app.job = Job{};
  if (!text.empty()) app.job.steps.push_back(TextStep(text, next));
  app.job.revision = app.ui.Revision(kMainForm, id::kOutput);
}
}  // namespace

void ProgramFile::New(App& app) {
  Restart(app, "", 10);
  lineEnd_ = "\r\n";
  path_.clear();
  savedText_.clear();
  savedSteps_.clear();
  savedStock_ = {};
}

bool ProgramFile::Open(App& app, const fs::path& path, const Progress& progress) {
  auto refuse = [&](const std::string& why) {
    app.ui.MessageBox("Cannot open " + path.string() + ": " + why, kOpenTitle,
                      MessageIcon::Exclamation);
    return false;
  };
  std::error_code ec;
  if (fs::is_directory(path, ec)) return refuse("it is a folder");
  std::ifstream in(path, std::ios::binary);
  if (!in) return refuse(Reason(errno));
  // Read in chunks up to one past the limit, so a huge file is never loaded whole and a small
  // one costs its own size.
  std::string content;
  std::array<char, 1 << 16> chunk;
  const std::uintmax_t size = fs::file_size(path, ec);
  while (content.size() <= kMaxProgramFileBytes) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    content.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    if (!in) break;
    if (progress && !ec && size > 0) progress(std::min(1.0, static_cast<double>(content.size()) / static_cast<double>(size)));
  }
  if (in.bad()) return refuse(Reason(errno));
  if (content.size() > kMaxProgramFileBytes) return refuse("it is larger than 16 MB");
  if (!IsProgramText(content)) return refuse("it is not a text file");

  if (path.extension() == ".tbx") {
    // A job file on its own: its program is rebuilt, and has no file yet.
    JobFileRead read = ReadJobFile(app.operations, content);
    if (!read) return refuse(read.error);
    LendJobTools(read.tools, app.tools);
    Rebuilt rebuilt = RebuildJob(app.operations, read.job, &app.tools);
    if (!rebuilt.refusal.empty()) {
      rebuilt.refusal.text = "Step " + std::to_string(rebuilt.step + 1) + ": " + rebuilt.refusal.text;
      app.Refuse(rebuilt.refusal);
      return false;
    }
    Restart(app, rebuilt.text, rebuilt.state.blockNumber);
    app.program.rapidMode = rebuilt.state.rapidMode;
    app.job.steps = std::move(read.job.steps);
    app.job.stock = read.job.stock;
    for (const std::string& warning : read.warnings) app.ui.StatusNote(path.string() + ": " + warning);
    lineEnd_ = "\r\n";
    path_.clear();
    savedText_.clear();
    savedSteps_.clear();
    savedStock_ = {};
    return true;
  }

  std::string text = ToCrLf(content);
  Restart(app, text, NextBlockNumber(text));
  RestoreSteps(app, path, content, text);
  lineEnd_ = FirstLineEnd(content);
  path_ = path;
  savedText_ = std::move(text);
  savedSteps_ = app.job.steps;
  savedStock_ = app.job.stock;
  return true;
}

void ProgramFile::RestoreSteps(App& app, const fs::path& path, std::string_view content,
                               const std::string& text) {
  const fs::path jobPath = JobPathOf(path);
  auto note = [&](const std::string& why) { app.ui.StatusNote("The steps were not restored: " + why); };
  std::error_code ec;
  if (!fs::exists(jobPath, ec)) return note("there is no job file " + jobPath.string());
  std::ifstream in(jobPath, std::ios::binary);
  std::string job;
  std::array<char, 1 << 16> chunk;
  while (in && job.size() <= kMaxProgramFileBytes) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    job.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad() || job.size() > kMaxProgramFileBytes) return note("cannot read " + jobPath.string());
  JobFileRead read = ReadJobFile(app.operations, job);
  if (!read) return note(jobPath.string() + " " + read.error);
  LendJobTools(read.tools, app.tools);
  // The bar is the same whatever was typed into the program outside Turnbrix.
  app.job.stock = read.job.stock;
  if (read.digest != Digest(content) || !TakeProgramTexts(read, text))
    return note(jobPath.string() + " belongs to another text: the program was changed outside Turnbrix");
  for (const std::string& warning : read.warnings) app.ui.StatusNote(jobPath.string() + ": " + warning);
  app.job.steps = std::move(read.job.steps);
}

bool ProgramFile::Save(App& app, const fs::path& path, const ReadOnlyQuestion& overwrite) {
  const std::string text = app.Text(id::kOutput);
  const std::string message = "Cannot save " + path.string() + ": ";
  auto refuse = [&](const std::string& why) {
    app.ui.MessageBox(message + why, kSaveTitle, MessageIcon::Exclamation);
    return false;
  };
  const std::string content = WithLineEnds(text, lineEnd_);
  // What Open would refuse is never written, so every file saved opens again.
  if (content.size() > kMaxProgramFileBytes)
    return refuse("it would be larger than 16 MB, which cannot be opened again");
  if (!IsProgramText(content)) return refuse("it holds a character a text file may not hold");
  SafeSaveResult saved = SafeSave(path, content);
  if (saved.readOnly && overwrite && overwrite(message + saved.error))
    saved = SafeSave(path, content, {.overwriteReadOnly = true});
  if (!saved) return refuse(saved.error);
  path_ = path;
  savedText_ = text;
  // The job beside it, naming the bytes it belongs to.
  SyncJob(app);
  const fs::path jobPath = JobPathOf(path);
  if (jobPath != path) {
    const SafeSaveResult job = SafeSave(jobPath, JobFileText(app.operations, app.job, Digest(content), &app.tools));
    if (!job) {
      app.ui.MessageBox("Cannot save " + jobPath.string() + ": " + job.error, kSaveTitle,
                        MessageIcon::Exclamation);
      return false;
    }
  }
  savedSteps_ = app.job.steps;
  savedStock_ = app.job.stock;
  return true;
}

bool ProgramFile::Modified(const App& app) const {
  if (app.job.stock != savedStock_) return true;
  // Asked after every event: while only operations and Undo changed the box, its text is at
  // hand and unequal lengths settle it at once.
  if (const std::string* known = KnownProgram(app)) {
    if (*known != savedText_) return true;
  } else if (app.Text(id::kOutput) != savedText_) {
    return true;
  }
  // The same text from other operations (steps moved, a step's values changed where they
  // write nothing) is a change the job file would keep. While the box has been typed in since
  // the steps last followed it, the text alone says.
  if (app.job.revision != app.ui.Revision(kMainForm, id::kOutput)) return false;
  return !SameOperations(app.job.steps, savedSteps_);
}

std::string ProgramFile::DisplayName() const {
  return path_.empty() ? "Untitled" : path_.filename().string();
}

}  // namespace tbx
