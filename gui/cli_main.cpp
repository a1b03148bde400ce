// turnbrix-cli: replays a job script of user events against the real start-up and prints
// the program.
#include <cstring>
#include <fstream>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "app/first_run.h"
#include "app/machine_boxes.h"
#include "app/startup.h"
#include "data/data_files.h"
#include "data/safe_save.h"
#include "data/machine_file.h"
#include "gui/job_runner.h"
#include "turnbrix_build.h"
#include "program/numbers.h"
#include "toolpath/expander.h"
#include "toolpath/export.h"
#include "toolpath/svg.h"

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
    "  tab N          show tab N (1 to 12)\n"
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
    "  --plot FILE    also draw the final program as SVG into FILE\n"
    "  --export DIALECT FILE  also write the final program for another control into\n"
    "                 FILE: as-written (unchanged), moves-only (canned cycles as\n"
    "                 their moves, renumbered) or linuxcnc; what it cannot carry goes\n"
    "                 to standard error as 'warning: line N: text'\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "Exit status: 0 done, 1 start-up failed, 2 a script line could not run,\n"
    "4 default.txt or toolpath.txt could not be saved.\n"
    "\n"
    "usage: turnbrix-cli [--home DIR] --check PROGRAM [--metric | --inch]\n"
    "Reads the program file PROGRAM (not a job script) in the units of DIR/default.txt\n"
    "and prints its moves, one a line: kind (rapid, feed, thread, dwell, tool), end X\n"
    "(diameter) and Z, feed per revolution or lead (0 for the rest), rpm, program line;\n"
    "then '#' lines: extents, run time in seconds, number of operations. Warnings go to\n"
    "standard error as 'warning: line N: text'. Rates and times: DIR/toolpath.txt.\n"
    "Exit status: 0 no warnings, 3 warnings, 2 the file cannot be read.\n";

const char* KindName(tbx::toolpath::MoveKind kind) {
  using tbx::toolpath::MoveKind;
  switch (kind) {
    case MoveKind::Rapid: return "rapid";
    case MoveKind::Feed: return "feed";
    case MoveKind::Thread: return "thread";
    case MoveKind::Dwell: return "dwell";
    case MoveKind::ToolChange: return "tool";
  }
  return "?";
}

tbx::toolpath::ToolpathSettings HomeToolpathSettings(const std::filesystem::path& home) {
  const tbx::DefaultValues defaults = tbx::ReadDefaultValues(home / "default.txt");
  tbx::toolpath::ToolpathSettings settings;
  settings.metric = defaults.metric;
  settings.toolChange = {defaults.xToolChange, defaults.zToolChange};
  settings.machine = tbx::LoadMachineSettings(tbx::MachineSettingsPath(home));
  return settings;
}

// --check: the move list of a program file; 0 clean, 3 with warnings, 2 unreadable.
int CheckProgram(const std::filesystem::path& home, const char* file, int units) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    std::cerr << "turnbrix-cli: cannot read " << file << '\n';
    return 2;
  }
  tbx::toolpath::ToolpathSettings settings = HomeToolpathSettings(home);
  if (units != 0) settings.metric = units > 0;
  const tbx::toolpath::Toolpath path = tbx::toolpath::ExpandProgram(text.str(), settings);
  using tbx::PlainDecimal;
  std::string out;
  for (const tbx::toolpath::Move& m : path.moves) {
    out += std::string(KindName(m.kind)) + ' ' + PlainDecimal(m.end.x, 4) + ' ' + PlainDecimal(m.end.z, 4) + ' ' +
           PlainDecimal(m.feed, 6) + ' ' + PlainDecimal(m.rpm, 0) + ' ' + std::to_string(m.line) + '\n';
  }
  const tbx::toolpath::Extents& e = path.extents;
  out += "# extents X " + PlainDecimal(e.minX, 4) + ' ' + PlainDecimal(e.maxX, 4) + " Z " + PlainDecimal(e.minZ, 4) +
         ' ' + PlainDecimal(e.maxZ, 4) + '\n';
  out += "# run time " + PlainDecimal(path.seconds, 1) + " s\n";
  out += "# operations " + std::to_string(path.operations.size()) + '\n';
  std::cout << out;
  for (const auto* list : {&path.diagnostics, &path.warnings}) {
    for (const tbx::toolpath::Finding& f : *list) {
      std::cerr << "warning: line " << f.line << ": "
                << (f.column > 0 ? "column " + std::to_string(f.column) + ": " : std::string()) << f.text << '\n';
    }
  }
  return path.diagnostics.empty() && path.warnings.empty() ? 0 : 3;
}

bool WritePlot(tbx::App& app, const char* file) {
  const tbx::toolpath::ToolpathSettings settings = tbx::ProgramToolpathSettings(app);
  const std::string svg = tbx::toolpath::ToolpathSvg(tbx::toolpath::ExpandProgram(app.Text(tbx::id::kOutput), settings));
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << svg;
  out.close();
  if (out) return true;
  std::cerr << "turnbrix-cli: cannot write " << file << '\n';
  return false;
}

bool WriteExport(tbx::App& app, const char* dialectId, const char* file) {
  tbx::toolpath::Dialect dialect;
  if (!tbx::toolpath::DialectFromId(dialectId, dialect)) {
    std::cerr << "turnbrix-cli: unknown dialect '" << dialectId << "' (as-written, moves-only, linuxcnc)\n";
    return false;
  }
  const tbx::toolpath::ExportResult result =
      tbx::toolpath::ExportProgram(app.Text(tbx::id::kOutput), dialect, tbx::ProgramToolpathSettings(app));
  for (const tbx::toolpath::Finding& f : result.findings) {
    std::cerr << "warning: line " << f.line << ": " << f.text << '\n';
  }
  if (result.text.empty() && !result.findings.empty()) return false;
  const tbx::SafeSaveResult saved = tbx::SafeSave(file, result.text);
  if (saved) return true;
  std::cerr << "turnbrix-cli: cannot write " << file << ": " << saved.error << '\n';
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const char* home = nullptr;
  const char* script = nullptr;
  const char* plot = nullptr;
  const char* check = nullptr;
  const char* exportDialect = nullptr;
  const char* exportFile = nullptr;
  int units = 0;  // --metric 1, --inch -1
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kUsage;
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << "turnbrix-cli " TURNBRIX_VERSION "\n";
      return 0;
    }
    if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
      home = argv[++i];
    } else if (std::strcmp(argv[i], "--plot") == 0 && i + 1 < argc) {
      plot = argv[++i];
    } else if (std::strcmp(argv[i], "--export") == 0 && i + 2 < argc) {
      exportDialect = argv[++i];
      exportFile = argv[++i];
    } else if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc) {
      check = argv[++i];
    } else if (std::strcmp(argv[i], "--metric") == 0 || std::strcmp(argv[i], "--inch") == 0) {
      units = argv[i][2] == 'm' ? 1 : -1;
    } else if (!script && (std::strcmp(argv[i], "-") == 0 || argv[i][0] != '-')) {
      script = argv[i];
    } else {
      std::cerr << "turnbrix-cli: unexpected argument '" << argv[i] << "'\n" << kUsage;
      return 2;
    }
  }
  if (check && !script && !plot && !exportFile) return CheckProgram(tbx::HomeFolder(home), check, units);
  if (!script || check || units != 0) {
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

  const std::string firstRun = tbx::SetUpFirstRun(
      home, tbx::ShippedDataFolder(tbx::ExecutableFolder(), TURNBRIX_SOURCE_RESOURCES));
  if (!firstRun.empty()) std::cerr << "turnbrix-cli: " << firstRun << '\n';
  std::cout.setf(std::ios::unitbuf);
  tbx::JobRunner runner(tbx::HomeFolder(home), std::cout, std::cerr);
  if (!runner.Start()) return 1;
  const int status = runner.RunScript(*in);
  if (plot && status == 0 && !WritePlot(runner.app(), plot)) return 2;
  if (exportFile && status == 0 && !WriteExport(runner.app(), exportDialect, exportFile)) return 2;
  return status;
}
