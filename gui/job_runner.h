#pragma once
// Replays a job script of user events against the real start-up and the headless form model.
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "app/program_file.h"
#include "gui/headless_form.h"

namespace tbx {

class JobRunner {
 public:
  // Message boxes go to `err` as "[TITLE] TEXT" lines and are kept in Messages().
  // The window is built from `operations` (Turnbrix's own unless a test brings others).
  JobRunner(std::filesystem::path home, std::ostream& out, std::ostream& err,
            const Operations& operations = StandardOperations());

  // Runs start-up; false when it failed (missing file, data-file overflow).
  bool Start();

  // User actions. A disabled control takes none: false, a warning on `err`, no event.
  bool Set(ControlId id, std::string_view text);  // typing, no event
  bool Leave(ControlId id);                       // end of editing
  bool Type(ControlId id, std::string_view text); // Set then Leave
  bool Click(ControlId id);
  bool Pick(ControlId id, int index);
  void Tab(int tab);
  void Menu();
  void Close();
  // Program files. New with unsaved changes has no one to ask: the changes are discarded and
  // a note says so on `err`. Open and Save show their failures as message boxes.
  void New();
  bool Open(const std::filesystem::path& path);
  bool Save(const std::filesystem::path& path);

  // Runs a whole script (after Start) and returns the exit status: 0, 1 start-up failed,
  // 2 a line that cannot run, 4 default.txt or toolpath.txt could not be saved.
  // printProgramAtEnd false: a script without `print` prints nothing.
  int RunScript(std::istream& script, bool printProgramAtEnd = true);

  // turnbrix-cli --job: opens a job file, puts each "N:ID=TEXT" of `sets` into box ID of step
  // N as typing and leaving it would, updates the step, and prints the program. 0, or 2 for a
  // file that cannot be opened, a --set that cannot be made or a refused value.
  int RunJobFile(const std::filesystem::path& job, const std::vector<std::string>& sets);

  App& app() { return app_; }
  ProgramFile& file() { return file_; }
  HeadlessForm& form() { return form_; }
  std::string Output() const { return form_.GetText(kMainForm, id::kOutput); }
  const std::vector<std::string>& Messages() const { return messages_; }
  bool Running() const { return form_.IsLoaded(kMainForm); }

  // The steps, one a line: number, the tab's number or "text", "edited" where typed over, the
  // first and last program line of its text, and its comment.
  std::string StepList();

 private:
  // The text a script gives a box as the box holds it.
  std::string BoxText(ControlId id, std::string_view text) const;
  // steps, edit, cancel, move, delete, duplicate, append; false with `why` for a line that
  // cannot run.
  bool StepCommand(std::string_view command, std::string_view rest, std::string& printed,
                   std::string& why);
  // `stock OD BORE FRONT_Z CHUCK_Z` sets the job's stock; `stock` alone prints the one in
  // effect ("stock 2 0 0.05 -3.5", " (default)" when taken from the steps).
  bool StockCommand(std::string_view rest, std::string& printed, std::string& why);
  bool Usable(ControlId id, std::string_view action);

  std::ostream& out_;
  std::ostream& err_;
  HeadlessForm form_;
  App app_;
  ProgramFile file_{app_};
  std::vector<std::string> messages_;
};

}  // namespace tbx
