// turnbrix-cli: replays a job script of user events against the real start-up and prints
// the program.
#include <algorithm>
#include <array>
#include <cstdio>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/first_run.h"
#include "app/machine_boxes.h"
#include "app/program_file.h"
#include "app/startup.h"
#include "data/data_files.h"
#include "data/safe_save.h"
#include "data/tool_library.h"
#include "data/machine_file.h"
#include "gui/job_runner.h"
#include "turnbrix_build.h"
#include "program/numbers.h"
#include "toolpath/expander.h"
#include "toolpath/export.h"
#include "toolpath/reader.h"
#include "toolpath/simulation.h"
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
    "  tab N          show tab N (1 to 13) or the tab named N (thread, groove, ...)\n"
    "  menu           the About menu item\n"
    "  close          close the main window\n"
    "  print [ID]     write the text of control ID (default 1070, the program)\n"
    "  new            start a new program (unsaved changes are discarded)\n"
    "  open PATH      read the program from file PATH\n"
    "  save PATH      write the program to file PATH and its job beside it (NAME.tbx)\n"
    "  steps          print the job's steps: number, tab or text, edited, first and\n"
    "                 last program line, comment\n"
    "  edit N         open step N for editing; the tab's OK then updates it\n"
    "  cancel         end the edit, leaving the step as it was\n"
    "  move N M       move step N to position M\n"
    "  delete N       delete step N\n"
    "  duplicate N    copy step N, the copy after it\n"
    "  append TEXT    type TEXT as a new line at the end of the program box\n"
    "  undo           take back the last change (as click 1080)\n"
    "  redo           bring back what the last undo took back\n"
    "  tool NUMBER OFFSET KIND KEY=VALUE ...  define or replace a tool for the rest\n"
    "                 of the job, lengths in the window's units; keys shape, radius,\n"
    "                 orientation, width, diameter, point_angle, lead_angle, name\n"
    "                 (name=\"OD rough\": quotes keep blanks)\n"
    "  stock [OD BORE FRONT_Z CHUCK_Z]  set the job's stock; alone: print it\n"
    "An ID may also be a field's key: type thread.major_dia 1.5; an option group\n"
    "takes its choice: type thread.code_type g32 (the keys are listed in the README).\n"
    "\n"
    "Options:\n"
    "  --home DIR     folder of default.txt and data.txt (else $TURNBRIX_HOME,\n"
    "                 else $XDG_DATA_HOME/turnbrix or ~/.local/share/turnbrix)\n"
    "  --plot FILE    also draw the final program as SVG into FILE\n"
    "  --export DIALECT FILE  also write the final program for another control into\n"
    "                 FILE: as-written (unchanged), moves-only (canned cycles as\n"
    "                 their moves, renumbered) or linuxcnc (with its tool table\n"
    "                 NAME.tbl beside NAME.ngc); what it cannot carry goes\n"
    "                 to standard error as 'warning: line N: text'; a program with\n"
    "                 blocks that cannot be read is not exported (they would be\n"
    "                 left out) unless --force is given\n"
    "  --force        export even when blocks that cannot be read are left out\n"
    "  --tools FILE   take the tool library from FILE instead of DIR/tools.toml\n"
    "  --tool NUMBER,OFFSET,KIND,SHAPE,RADIUS,ORIENTATION[,KEY=VALUE...]\n"
    "                 add or replace a tool (repeatable), lengths in the program's\n"
    "                 units: --tool 1,1,od_turning,C,.031,3; leave a field empty\n"
    "                 where the kind has none: --tool 9,9,drill,,,,diameter=.25,\n"
    "                 point_angle=118. KIND: od_turning, id_boring, grooving,\n"
    "                 parting, od_threading, id_threading, centre_drill, drill,\n"
    "                 reamer, tap; SHAPE: C D S T V W R or blade. The tools also\n"
    "                 serve --check, --plot and --export: G41/G42 are followed\n"
    "                 with the T word's radius and orientation\n"
    "  --help         show this text\n"
    "  --version      show the version\n"
    "\n"
    "With --plot or --export the program is printed only by a 'print' command.\n"
    "Exit status: 0 done, 1 start-up failed, 2 a script line could not run,\n"
    "4 default.txt or toolpath.txt could not be saved.\n"
    "\n"
    "usage: turnbrix-cli [--home DIR] --job FILE.tbx [--set N:ID=TEXT ...]\n"
    "Rebuilds the program of the job file FILE.tbx and prints it; each --set first\n"
    "puts TEXT into box ID (an id or a field key) of step N, as typing and leaving it\n"
    "would, and updates the step. A refused value exits 2 with its message.\n"
    "\n"
    "usage: turnbrix-cli [--home DIR] --check PROGRAM [--metric | --inch]\n"
    "       [--tools FILE] [--tool TOOL ...] [--stock OD,BORE,FRONT_Z,CHUCK_Z]\n"
    "       [--plot FILE]\n"
    "Reads the program file PROGRAM (not a job script) in the units of DIR/default.txt\n"
    "and prints its moves, one a line: kind (rapid, feed, thread, dwell, tool), end X\n"
    "(diameter) and Z, feed per revolution or lead (0 for the rest), rpm, program line;\n"
    "then '#' lines: extents, run time in seconds, number of operations. Warnings go to\n"
    "standard error as 'warning: line N: text' (the first 1000, then a count). Rates\n"
    "and times: DIR/toolpath.txt. Files larger than 16 MB are refused.\n"
    "--stock gives the bar (BORE 0) or tube the program starts from, diameters and\n"
    "the Z of its front face and of the chuck jaws' face, in the program's units: the\n"
    "moves are then simulated against it and its exact checks replace the inferred\n"
    "'runs through the part' one. --plot also draws the program (and the stock and\n"
    "the part) as SVG into FILE.\n"
    "Exit status: 0 no warnings, 3 warnings, 2 the file cannot be read.\n"
    "\n"
    "usage: turnbrix-cli [--home DIR] --simulate PROGRAM --stock OD,BORE,FRONT_Z,CHUCK_Z\n"
    "       [--metric | --inch] [--tools FILE] [--tool TOOL ...] [--profile FILE.dxf]\n"
    "       [--stl FILE.stl] [--plot FILE]\n"
    "Simulates the program against the stock and prints the final part's outline as\n"
    "'profile outer Z X' then 'profile inner Z X' lines (X a diameter, from the front\n"
    "face back), then one 'removed AREA VOLUME AIR_SECONDS' line per operation (the\n"
    "half-section's area and the volume it takes away, the seconds its feeds cut air);\n"
    "warnings as --check gives them. --profile writes the final half-section and its\n"
    "mirror as DXF R12, --stl the part revolved (72 facets around) as ASCII STL.\n"
    "Without --stock nothing is simulated: the program alone cannot tell the bar.\n"
    "Exit status as --check.\n";

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

// At most the size File > Open takes, from a file or a stream; false with the reason said on
// standard error.
template <class Text>
bool ReadBounded(std::istream& in, const char* name, Text& text) {
  // Read straight into the text, into the room reserved for it first.
  while (text.size() <= tbx::kMaxProgramFileBytes) {
    const std::size_t had = text.size();
    const std::size_t chunk = text.capacity() > had ? text.capacity() - had : std::size_t{1} << 16;
    text.resize(had + chunk);
    in.read(text.data() + had, static_cast<std::streamsize>(chunk));
    text.resize(had + static_cast<std::size_t>(in.gcount()));
    if (!in) break;
  }
  if (in.bad()) {
    std::cerr << "turnbrix-cli: cannot read " << name << '\n';
    return false;
  }
  if (text.size() > tbx::kMaxProgramFileBytes) {
    std::cerr << "turnbrix-cli: " << name << " is larger than 16 MB\n";
    return false;
  }
  return true;
}

template <class Text>
bool ReadFileBounded(const char* file, Text& text) {
  std::error_code error;
  if (std::filesystem::is_regular_file(file, error) && std::filesystem::file_size(file, error) > tbx::kMaxProgramFileBytes) {
    std::cerr << "turnbrix-cli: " << file << " is larger than 16 MB\n";
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "turnbrix-cli: cannot read " << file << '\n';
    return false;
  }
  if (const std::uintmax_t size = std::filesystem::file_size(file, error); !error) text.reserve(size + 1);
  return ReadBounded(in, file, text);
}

// Findings as 'warning: line N: text' lines, the first kShownFindings and then a count (the
// reader keeps as many diagnostics and counts the rest itself).
constexpr std::size_t kShownFindings = tbx::toolpath::kMaxDiagnostics;
void WriteFindings(const std::vector<tbx::toolpath::Finding>& list, std::string& err) {
  const std::size_t shown = std::min(list.size(), kShownFindings);
  for (std::size_t i = 0; i < shown; ++i) {
    const tbx::toolpath::Finding& f = list[i];
    err += "warning: line " + std::to_string(f.line) + ": ";
    if (f.column > 0) err += "column " + std::to_string(f.column) + ": ";
    err += f.text;
    err += '\n';
  }
  if (list.size() > shown + 1) {
    err += "warning: " + std::to_string(list.size() - shown) + " more warnings not shown\n";
  } else if (list.size() > shown) {
    err += "warning: line " + std::to_string(list.back().line) + ": " + list.back().text + '\n';
  }
}

void WriteAll(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

// Standard output through one reused buffer, written a block at a time: the text of a long
// move list never stands whole in memory.
class BufferedOut {
 public:
  ~BufferedOut() { Flush(); }
  void Put(std::string_view text) {
    if (used_ + text.size() > buffer_.size()) Flush();
    if (text.size() > buffer_.size()) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      return;
    }
    std::memcpy(buffer_.data() + used_, text.data(), text.size());
    used_ += text.size();
  }
  void Put(char c) {
    if (used_ == buffer_.size()) Flush();
    buffer_[used_++] = c;
  }
  // PlainDecimal's text without a string of its own per number. A value of moderate size that
  // is not within a hair of a tie rounds the same scaled to a whole number as digit by digit,
  // which costs a tenth as much; the rest take the exact way. The places are a constant, so
  // that the divisions by powers of ten become multiplications.
  template <int kPlaces>
  void Decimal(double value) {
    static_assert(kPlaces >= 0 && kPlaces <= 6);
    constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    const double scaled = value * kScale[kPlaces];
    if (std::fabs(scaled) < 1e9) {
      auto whole = static_cast<long long>(scaled);  // toward zero: one below for negatives
      if (static_cast<double>(whole) > scaled) --whole;
      const double fraction = scaled - static_cast<double>(whole);
      if (std::fabs(fraction - 0.5) > 1e-6) {
        Whole<kPlaces>(fraction > 0.5 ? whole + 1 : whole);
        return;
      }
    }
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, kPlaces);
    if (r.ec != std::errc() || !std::isfinite(value)) {
      Put(tbx::PlainDecimal(value, kPlaces));
      return;
    }
    char* end = r.ptr;
    if (kPlaces > 0) {
      while (end[-1] == '0') --end;
      if (end[-1] == '.') --end;
    }
    if (end - text == 2 && text[0] == '-' && text[1] == '0') {
      Put('0');
      return;
    }
    Put(std::string_view(text, static_cast<std::size_t>(end - text)));
  }
  // n / 10^places with the trailing zeros of the fraction dropped; "0" for 0.
  template <int kPlaces>
  void Whole(long long n) {
    constexpr unsigned long long kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    if (used_ + 64 > buffer_.size()) Flush();
    char* out = buffer_.data() + used_;
    if (n < 0) *out++ = '-';
    const unsigned long long u = n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    unsigned long long fraction = u % kPowers[kPlaces];
    out = Digits(out, u / kPowers[kPlaces]);
    if (kPlaces > 0 && fraction != 0) {
      int digits = kPlaces;
      while (fraction % 10 == 0) fraction /= 10, --digits;
      *out++ = '.';
      for (char* p = out + digits; p != out; fraction /= 10) *--p = static_cast<char>('0' + fraction % 10);
      out += digits;
    }
    used_ = static_cast<std::size_t>(out - buffer_.data());
  }
  // v's digits from `out` on, two at a time from the last; returns the end.
  static char* Digits(char* out, unsigned long long v) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    int length = 1;
    for (unsigned long long rest = v; rest >= 10; rest /= 10) ++length;
    char* p = out + length;
    while (v >= 100) {
      const auto pair = static_cast<std::size_t>(v % 100) * 2;
      v /= 100;
      *--p = kPairs[pair + 1];
      *--p = kPairs[pair];
    }
    if (v >= 10) {
      *--p = kPairs[v * 2 + 1];
      *--p = kPairs[v * 2];
    } else {
      *--p = static_cast<char>('0' + v);
    }
    return out + length;
  }
  void Flush() {
    std::fwrite(buffer_.data(), 1, used_, stdout);
    used_ = 0;
  }

 private:
  std::array<char, 1 << 16> buffer_;
  std::size_t used_ = 0;
};

// --tools and --tool: the library the program's tools come from, `library` (the data folder's)
// unless a file is given; false with the reason said.
bool CommandLineTools(const char* file, const std::vector<std::string>& toolTexts, bool metric,
                      tbx::ToolLibrary& library) {
  if (file) {
    tbx::ToolLibraryRead read = tbx::LoadToolLibrary(file);
    if (read && !std::filesystem::is_regular_file(file)) read.error = std::string("cannot read ") + file;
    if (!read) {
      std::cerr << "turnbrix-cli: --tools: " << read.error << '\n';
      return false;
    }
    library = std::move(read.library);
  }
  static constexpr const char* kPlaces[] = {"number", "offset", "kind", "shape", "radius", "orientation"};
  for (const std::string& text : toolTexts) {
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
      const std::size_t comma = text.find(',', at);
      fields.push_back(std::string_view(text).substr(at, comma == std::string::npos ? std::string::npos : comma - at));
      if (comma == std::string::npos) break;
      at = comma + 1;
    }
    std::vector<tbx::ToolSetting> settings;
    for (std::size_t place = 0; place < fields.size(); ++place) {
      const std::string_view field = fields[place];
      if (place < std::size(kPlaces)) {
        if (!field.empty() || place < 3) settings.push_back({kPlaces[place], field});
        continue;
      }
      const std::size_t equals = field.find('=');
      if (equals == std::string_view::npos) {
        std::cerr << "turnbrix-cli: --tool " << text << ": write a setting after the sixth field as KEY=VALUE\n";
        return false;
      }
      settings.push_back({field.substr(0, equals), field.substr(equals + 1)});
    }
    if (fields.size() < 3) {
      std::cerr << "turnbrix-cli: --tool " << text << ": write it as NUMBER,OFFSET,KIND,SHAPE,RADIUS,ORIENTATION\n";
      return false;
    }
    tbx::Tool tool;
    if (const tbx::ToolProblem problem = tbx::ToolFromSettings(settings, metric, tool)) {
      std::cerr << "turnbrix-cli: --tool " << text << ": " << problem.text << '\n';
      return false;
    }
    library.Put(tool.InUnits(metric, library.metric));
  }
  return true;
}

// "OD,BORE,FRONT_Z,CHUCK_Z", each a number; false with the reason said.
bool ParseStock(const char* text, tbx::toolpath::Stock& stock) {
  std::array<double, 4> v{};
  std::string_view rest = text;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::size_t comma = rest.find(',');
    const std::string_view field = rest.substr(0, comma);
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v[i]);
    const bool last = i + 1 == v.size();
    if (ec != std::errc{} || end != field.data() + field.size() || !std::isfinite(v[i]) ||
        last != (comma == std::string_view::npos)) {
      std::cerr << "turnbrix-cli: --stock " << text << ": write it as OD,BORE,FRONT_Z,CHUCK_Z (four numbers)\n";
      return false;
    }
    rest = last ? std::string_view{} : rest.substr(comma + 1);
  }
  stock.outerDia = v[0], stock.bore = v[1], stock.frontZ = v[2], stock.chuckZ = v[3];
  if (!(stock.outerDia > 0) || stock.bore < 0 || stock.bore >= stock.outerDia || stock.chuckZ >= stock.frontZ) {
    std::cerr << "turnbrix-cli: --stock " << text
              << ": the diameter must be more than 0 and than the bore, the chuck behind the front face\n";
    return false;
  }
  return true;
}

bool WriteFile(const char* file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (out) return true;
  std::cerr << "turnbrix-cli: cannot write " << file << '\n';
  return false;
}

// What --check and --simulate do with a program file.
struct ProgramRequest {
  const char* file = nullptr;
  bool simulate = false;
  int units = 0;
  const char* toolsFile = nullptr;
  std::vector<std::string> toolTexts;
  tbx::toolpath::Stock stock;
  const char* plot = nullptr;
  const char* profile = nullptr;
  const char* stl = nullptr;
};

void WriteSimulation(const tbx::toolpath::Simulation& sim) {
  using tbx::PlainDecimal;
  std::string out;
  for (const auto& [name, points] : {std::pair{"outer", &sim.profile.outer}, std::pair{"inner", &sim.profile.inner}}) {
    for (const tbx::toolpath::Point& p : *points)
      out += std::string("profile ") + name + ' ' + PlainDecimal(p.z, 4) + ' ' + PlainDecimal(p.x, 4) + '\n';
  }
  for (const tbx::toolpath::StepResult& step : sim.steps)
    out += "removed " + PlainDecimal(step.area, 6) + ' ' + PlainDecimal(step.volume, 6) + ' ' +
           PlainDecimal(step.airSeconds, 2) + '\n';
  WriteAll(stdout, out);
}

// --check: the move list of a program file; 0 clean, 3 with warnings, 2 unreadable. Both
// streams are written whole at the end, not a line at a time. --simulate: the part instead.
int CheckProgram(const std::filesystem::path& home, const ProgramRequest& request) {
  const char* file = request.file;
  const int units = request.units;
  if (request.simulate && !request.stock.Known()) {
    std::cerr << "turnbrix-cli: --simulate needs the stock: give --stock OD,BORE,FRONT_Z,CHUCK_Z\n";
    return 2;
  }
  // On large pages, as the move list is: a check reads a long program once.
  std::vector<char, tbx::toolpath::HugePageAllocator<char>> text;
  if (!ReadFileBounded(file, text)) return 2;
  tbx::toolpath::ToolpathSettings settings = HomeToolpathSettings(home);
  if (units != 0) settings.metric = units > 0;
  // G41/G42 follow the data folder's library unless the command line gives one.
  tbx::ToolLibraryRead homeTools = tbx::LoadToolLibrary(home / tbx::kToolLibraryFileName);
  if (!homeTools && !request.toolsFile) std::cerr << "turnbrix-cli: tool library not loaded: " << homeTools.error << '\n';
  tbx::ToolLibrary tools = std::move(homeTools.library);
  if (!CommandLineTools(request.toolsFile, request.toolTexts, settings.metric, tools)) return 2;
  settings.tools = &tools;
  settings.stock = request.stock;
  const tbx::toolpath::Toolpath path =
      tbx::toolpath::ExpandProgram(std::string_view(text.data(), text.size()), settings);
  decltype(text)().swap(text);
  using tbx::PlainDecimal;
  if (request.plot && !WriteFile(request.plot, tbx::toolpath::ToolpathSvg(path))) return 2;
  if (request.simulate) {
    const tbx::toolpath::Simulation& sim = *path.simulation;
    if (request.profile && !WriteFile(request.profile, tbx::toolpath::PartDxf(sim))) return 2;
    if (request.stl && !WriteFile(request.stl, tbx::toolpath::PartStl(sim))) return 2;
    WriteSimulation(sim);
  } else {
    BufferedOut out;
    for (const tbx::toolpath::Move& m : path.moves) {
      out.Put(KindName(m.kind));
      out.Put(' ');
      out.Decimal<4>(m.end.x);
      out.Put(' ');
      out.Decimal<4>(m.end.z);
      out.Put(' ');
      out.Decimal<6>(m.feed);
      out.Put(' ');
      out.Decimal<0>(m.rpm);
      out.Put(' ');
      out.Whole<0>(m.line);
      out.Put('\n');
    }
    const tbx::toolpath::Extents& e = path.extents;
    out.Put("# extents X " + PlainDecimal(e.minX, 4) + ' ' + PlainDecimal(e.maxX, 4) + " Z " +
            PlainDecimal(e.minZ, 4) + ' ' + PlainDecimal(e.maxZ, 4) + '\n');
    out.Put("# run time " + PlainDecimal(path.seconds, 1) + " s\n");
    out.Put("# operations " + std::to_string(path.operations.size()) + '\n');
  }
  std::fflush(stdout);
  std::string err;
  WriteFindings(path.diagnostics, err);
  WriteFindings(path.warnings, err);
  WriteAll(stderr, err);
  return path.diagnostics.empty() && path.warnings.empty() ? 0 : 3;
}

bool WritePlot(tbx::App& app, const char* file, const tbx::toolpath::Stock& stock) {
  tbx::toolpath::ToolpathSettings settings = tbx::ProgramToolpathSettings(app);
  if (stock.Known()) settings.stock = stock;
  return WriteFile(file, tbx::toolpath::ToolpathSvg(tbx::toolpath::ExpandProgram(app.Text(tbx::id::kOutput), settings)));
}

bool WriteExport(tbx::App& app, const char* dialectId, const char* file, bool force) {
  tbx::toolpath::Dialect dialect;
  if (!tbx::toolpath::DialectFromId(dialectId, dialect)) {
    std::cerr << "turnbrix-cli: unknown dialect '" << dialectId << "' (as-written, moves-only, linuxcnc)\n";
    return false;
  }
  // A program read in the units of the start would carry the wrong G20/G21.
  if (const std::string note = tbx::UnitsNote(app); !note.empty()) {
    std::cerr << "turnbrix-cli: not exported to " << file << ": " << note << "; " << tbx::kRestartBeforeExport << '\n';
    return false;
  }
  const tbx::toolpath::ExportResult result =
      tbx::toolpath::ExportProgram(app.Text(tbx::id::kOutput), dialect, tbx::ProgramToolpathSettings(app));
  std::string err;
  WriteFindings(result.findings, err);
  if (!result.dropped.empty() && !force) {
    err += "turnbrix-cli: not exported to " + std::string(file) + ": " + std::to_string(result.dropped.size()) +
           " blocks cannot be read and would be left out (--force exports without them):\n";
    std::size_t shown = 0;
    for (const tbx::toolpath::Finding& f : result.dropped) {
      if (++shown > kShownFindings) break;
      err += "  line " + std::to_string(f.line) + ": " + f.text + '\n';
    }
    if (result.dropped.size() > kShownFindings) {
      err += "  and " + std::to_string(result.dropped.size() - kShownFindings) + " more\n";
    }
  }
  std::cerr << err;
  if (!result.dropped.empty() && !force) return false;
  if (result.text.empty() && !result.findings.empty()) return false;
  std::string written = file;
  const std::string table = std::filesystem::path(file).replace_extension(".tbl").string();
  if (dialect == tbx::toolpath::Dialect::LinuxCnc && table == written) {
    std::cerr << "turnbrix-cli: not exported to " << file << ": its tool table would be written over it\n";
    return false;
  }
  tbx::SafeSaveResult saved = tbx::SafeSave(file, result.text);
  if (saved && dialect == tbx::toolpath::Dialect::LinuxCnc) {
    // LinuxCNC's tool table beside the program, for the diameters and orientations G41/G42 use.
    written = table;
    saved = tbx::SafeSave(written, result.toolTable);
  }
  if (saved) return true;
  std::cerr << "turnbrix-cli: cannot write " << written << ": " << saved.error << '\n';
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
  bool force = false;
  const char* job = nullptr;
  std::vector<std::string> sets;
  const char* toolsFile = nullptr;
  std::vector<std::string> toolTexts;
  ProgramRequest request;
  bool stockGiven = false;
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
    } else if (std::strcmp(argv[i], "--force") == 0) {
      force = true;
    } else if (std::strcmp(argv[i], "--job") == 0 && i + 1 < argc) {
      job = argv[++i];
    } else if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
      sets.emplace_back(argv[++i]);
    } else if (std::strcmp(argv[i], "--tools") == 0 && i + 1 < argc) {
      toolsFile = argv[++i];
    } else if (std::strcmp(argv[i], "--tool") == 0 && i + 1 < argc) {
      toolTexts.emplace_back(argv[++i]);
    } else if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc) {
      check = argv[++i];
    } else if (std::strcmp(argv[i], "--simulate") == 0 && i + 1 < argc) {
      check = argv[++i];
      request.simulate = true;
    } else if (std::strcmp(argv[i], "--stock") == 0 && i + 1 < argc) {
      if (!ParseStock(argv[++i], request.stock)) return 2;
      stockGiven = true;
    } else if (std::strcmp(argv[i], "--profile") == 0 && i + 1 < argc) {
      request.profile = argv[++i];
    } else if (std::strcmp(argv[i], "--stl") == 0 && i + 1 < argc) {
      request.stl = argv[++i];
    } else if (std::strcmp(argv[i], "--metric") == 0 || std::strcmp(argv[i], "--inch") == 0) {
      units = argv[i][2] == 'm' ? 1 : -1;
    } else if (!script && (std::strcmp(argv[i], "-") == 0 || argv[i][0] != '-')) {
      script = argv[i];
    } else {
      std::cerr << "turnbrix-cli: unexpected argument '" << argv[i] << "'\n" << kUsage;
      return 2;
    }
  }
  if ((request.profile || request.stl) && !request.simulate) {
    std::cerr << "turnbrix-cli: --profile and --stl go with --simulate\n";
    return 2;
  }
  if (check && !script && !exportFile) {
    request.file = check;
    request.units = units;
    request.toolsFile = toolsFile;
    request.toolTexts = toolTexts;
    request.plot = plot;
    return CheckProgram(tbx::HomeFolder(home), request);
  }
  if (stockGiven && !plot) {
    std::cerr << "turnbrix-cli: --stock goes with --check, --simulate or --plot\n";
    return 2;
  }
  if (job || !sets.empty()) {
    if (!job || script || check || plot || exportFile || units != 0 || force) {
      std::cerr << kUsage;
      return 2;
    }
    const std::string firstRun = tbx::SetUpFirstRun(
        home, tbx::ShippedDataFolder(tbx::ExecutableFolder(), TURNBRIX_SOURCE_RESOURCES));
    if (!firstRun.empty()) std::cerr << "turnbrix-cli: " << firstRun << '\n';
    tbx::JobRunner runner(tbx::HomeFolder(home), std::cout, std::cerr);
    if (!runner.Start()) return 1;
    if (!CommandLineTools(toolsFile, toolTexts, runner.app().Metric(), runner.app().tools)) return 2;
    return runner.RunJobFile(job, sets);
  }
  if (!script || check || units != 0 || (force && !exportFile)) {
    std::cerr << kUsage;
    return 2;
  }

  std::string scriptText;
  if (std::strcmp(script, "-") == 0 ? !ReadBounded(std::cin, "standard input", scriptText)
                                    : !ReadFileBounded(script, scriptText)) {
    return 2;
  }
  std::istringstream in(std::move(scriptText));

  const std::string firstRun = tbx::SetUpFirstRun(
      home, tbx::ShippedDataFolder(tbx::ExecutableFolder(), TURNBRIX_SOURCE_RESOURCES));
  if (!firstRun.empty()) std::cerr << "turnbrix-cli: " << firstRun << '\n';
  std::cout.setf(std::ios::unitbuf);
  tbx::JobRunner runner(tbx::HomeFolder(home), std::cout, std::cerr);
  if (!runner.Start()) return 1;
  if (!CommandLineTools(toolsFile, toolTexts, runner.app().Metric(), runner.app().tools)) return 2;
  // A script run for its drawing or export prints the program only when it says `print`.
  const int status = runner.RunScript(in, !plot && !exportFile);
  if (plot && status == 0 && !WritePlot(runner.app(), plot, request.stock)) return 2;
  if (exportFile && status == 0 && !WriteExport(runner.app(), exportDialect, exportFile, force)) return 2;
  return status;
}
