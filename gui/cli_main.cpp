// turnbrix-cli: replays a job script of user events against the real start-up and prints
// the program.
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "app/startup.h"
#include "gui/job_runner.h"

namespace {

constexpr const char* kUsage =
    "usage: turnbrix-cli [--home DIR] SCRIPT\n"
    "Replays the job SCRIPT (- for standard input) and prints the program text.\n"
    "\n"
    "Script commands, one a line (# starts a comment):\n"
    "  set ID TEXT    put TEXT into text box ID, as typing does\n"
    "  leave ID       leave text box ID (end of editing)\n"
    "  type ID TEXT   set, then leave\n"
    "  click ID       click a button, radio button or check box\n"
    "  pick ID INDEX  select item INDEX (from 0) of a list\n"
    "  tab N          show tab N (1 to 9)\n"
    "  menu           the About menu item\n"
    "  close          close the main window\n"
    "  print [ID]     write the text of control ID (default 1070, the program)\n"
    "  new            start a new program (unsaved changes are discarded)\n"
    "  open PATH      read the program from file PATH\n"
    "  save PATH      write the program to file PATH\n"
    "\n"
    "Options:\n"
    "  --home DIR     folder of default.txt and data.txt (else $TURNBRIX_HOME,\n"
    "                 else $XDG_DATA_HOME/turnbrix or ~/.local/share/turnbrix)\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "Exit status: 0 done, 1 start-up failed, 2 a script line could not run.\n";

}  // namespace

int main(int argc, char** argv) {
  const char* home = nullptr;
  const char* script = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kUsage;
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "turnbrix-cli (" << tbx::kProgramTitle << ")\n";
      return 0;
    }
    if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
      home = argv[++i];
    } else if (!script && (std::strcmp(argv[i], "-") == 0 || argv[i][0] != '-')) {
      script = argv[i];
    } else {
      std::cerr << "turnbrix-cli: unexpected argument '" << argv[i] << "'\n" << kUsage;
      return 2;
    }
  }
  if (!script) {
    std::cerr << kUsage;
    return 2;
  }

  std::ifstream file;
  std::istream* in = &std::cin;
  if (std::strcmp(script, "-") != 0) {
    file.open(script, std::ios::binary);
    if (!file) {
      std::cerr << "turnbrix-cli: cannot read " << script << '\n';
      return 2;
    }
    in = &file;
  }

  std::cout.setf(std::ios::unitbuf);
  tbx::JobRunner runner(tbx::HomeFolder(home), std::cout, std::cerr);
  if (!runner.Start()) return 1;
  return runner.RunScript(*in);
}
