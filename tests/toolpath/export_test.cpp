// Exports judged from outside: LinuxCNC's own interpreter (rs274) runs every LinuxCNC export
// and must make the moves of our expansion; a "Moves only" export reads back through our
// reader to the same moves; one job per tab matches its golden text in each dialect.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "compensation_cases.h"
#include "test_support.h"
#include "toolpath/job_programs.h"
#include "toolpath/expander.h"
#include "toolpath/export.h"
#include "toolpath/reader.h"

namespace tbx::toolpath {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRs274 = "/usr/bin/rs274";

using test::JobProgram;
using test::ProgramJobs;
using test::RunJob;

// One motion as both sides see it: X as a diameter, the lead of a synchronised move.
struct Motion {
  MoveKind kind = MoveKind::Rapid;
  double x = 0, z = 0;
  double lead = 0;     // Thread
  bool arc = false;
  bool clockwise = false;
  double cx = 0, cz = 0;  // arc centre
  double seconds = 0;     // Dwell
};

std::vector<Motion> OurMotions(const Toolpath& path) {
  std::vector<Motion> list;
  for (const Move& m : path.moves) {
    if (m.kind == MoveKind::ToolChange) continue;
    Motion k{m.kind, m.end.x, m.end.z};
    if (m.kind == MoveKind::Thread) k.lead = m.feed;
    if (m.kind == MoveKind::Dwell) k.seconds = m.seconds;
    if (m.arc != ArcDirection::None) {
      k.arc = true;
      k.clockwise = m.arc == ArcDirection::Clockwise;
      k.cx = m.centre.x;
      k.cz = m.centre.z;
    }
    list.push_back(k);
  }
  return list;
}

std::vector<double> Arguments(const std::string& list) {
  std::vector<double> values;
  std::stringstream s(list);
  std::string item;
  while (std::getline(s, item, ',')) values.push_back(std::strtod(item.c_str(), nullptr));
  return values;
}

struct Rs274Run {
  int status = -1;
  std::string output;
  std::vector<std::string> errors;  // every line that is neither a canonical call nor "executing"
  std::vector<Motion> motions;
};

// rs274 -g on the program with a tool table of the given tools (no offsets). Its canonical
// calls give X as a radius; a RIGID_TAP is the way in and the way back out. rs274 keeps its
// tool table in $HOME/.tool.mmap, truncated and rewritten by every run, and its parameters in a
// var file it rewrites: each run gets its own folder for both, as its home and working folder,
// so that runs in parallel test programs never read each other's.
Rs274Run RunRs274(const std::string& program, const std::set<int>& tools, std::string table = "") {
  test::TempHome dir;
  if (table.empty())
    for (int t : tools) table += "T" + std::to_string(t) + " P" + std::to_string(t) + " X0 Z0 D0.03 ;\n";
  test::WriteFile(dir.path() / "tool.tbl", table);
  test::WriteFile(dir.path() / "program.ngc", program);
  test::WriteFile(dir.path() / "rs274.var", "");
  const std::string folder = "'" + dir.path().string() + "'";
  std::string command = "cd ";
  command += folder + " && HOME=" + folder + " " + kRs274 + " -g -t tool.tbl -v rs274.var program.ngc";
  command += " > out.txt 2>&1 < /dev/null";
  Rs274Run run;
  const int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.output = test::ReadFile(dir.path() / "out.txt");
  static const std::regex canonical(R"(^ *[0-9]+ N[0-9.]+ +([A-Z0-9_]+)\((.*)\)$)");
  std::stringstream lines(run.output);
  std::string line;
  double lead = 0;
  double x = 0, z = 0;
  while (std::getline(lines, line)) {
    std::smatch m;
    // "executing" may run into the last canonical line when standard output ends without one.
    if (line == "executing" || line.empty()) continue;
    if (!std::regex_match(line, m, canonical)) {
      run.errors.push_back(line);
      continue;
    }
    const std::string call = m[1];
    const std::vector<double> a = Arguments(m[2]);
    if (call == "START_SPEED_FEED_SYNC") lead = a.at(0);
    if (call == "STOP_SPEED_FEED_SYNCH") lead = 0;
    if (call == "STRAIGHT_TRAVERSE" || call == "STRAIGHT_FEED") {
      const MoveKind kind = call == "STRAIGHT_TRAVERSE" ? MoveKind::Rapid : lead > 0 ? MoveKind::Thread : MoveKind::Feed;
      run.motions.push_back({kind, 2 * a.at(0), a.at(2), kind == MoveKind::Thread ? lead : 0});
      x = a.at(0);
      z = a.at(2);
    } else if (call == "RIGID_TAP") {
      run.motions.push_back({MoveKind::Thread, 2 * a.at(0), a.at(2), lead});
      run.motions.push_back({MoveKind::Thread, 2 * x, z, lead});
    } else if (call == "ARC_FEED") {
      // XZ plane: first axis Z, second X; rotation -1 is clockwise.
      Motion k{MoveKind::Feed, 2 * a.at(1), a.at(0)};
      k.arc = true;
      k.clockwise = a.at(4) < 0;
      k.cz = a.at(2);
      k.cx = 2 * a.at(3);
      run.motions.push_back(k);
      x = a.at(1);
      z = a.at(0);
    } else if (call == "DWELL") {
      Motion k{MoveKind::Dwell, 2 * x, z};
      k.seconds = a.at(0);
      run.motions.push_back(k);
    }
  }
  return run;
}

std::set<int> Tools(const Toolpath& path) {
  std::set<int> tools;
  for (const Move& m : path.moves) {
    if (m.kind == MoveKind::ToolChange && m.tool > 0) tools.insert(m.tool);
  }
  return tools;
}

// Same motions to the tolerance of the units (X compared as the radius LinuxCNC moves).
::testing::AssertionResult SameMotions(const std::vector<Motion>& got, const std::vector<Motion>& want, bool metric) {
  const double tol = (metric ? 0.001 : 0.0001) + 1e-9;
  for (std::size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
    if (i >= got.size() || i >= want.size()) {
      return ::testing::AssertionFailure() << got.size() << " motions, expected " << want.size();
    }
    const Motion& g = got[i];
    const Motion& w = want[i];
    const bool same = g.kind == w.kind && std::fabs(g.x - w.x) / 2 <= tol && std::fabs(g.z - w.z) <= tol &&
                      std::fabs(g.lead - w.lead) <= 1e-6 && g.arc == w.arc && g.clockwise == w.clockwise &&
                      std::fabs(g.cx - w.cx) / 2 <= tol && std::fabs(g.cz - w.cz) <= tol &&
                      std::fabs(g.seconds - w.seconds) <= 1e-4;
    if (!same) {
      return ::testing::AssertionFailure() << "motion " << i + 1 << " is kind " << static_cast<int>(g.kind) << " X"
                                           << g.x << " Z" << g.z << " lead " << g.lead << " s " << g.seconds
                                           << ", expected kind " << static_cast<int>(w.kind) << " X" << w.x << " Z"
                                           << w.z << " lead " << w.lead << " s " << w.seconds;
    }
  }
  return ::testing::AssertionSuccess();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

// Words a hand-written program adds to what the tabs write: G50 clamp with G96, arcs by R
// and by I K, incremental U W, feed per minute, a dwell in milliseconds, G33 with F as the
// lead, comments LinuxCNC would act on, program number and end.
const std::string kHandProgram = test::Program({
    "%",
    "O1234 (HAND)",
    "N10 T0202 (MSG, CHECK INSERT)",
    "N20 G50 S2500",
    "N30 G96 S400 M4",
    "N40 G0 X1.2 Z.1 M8",
    "N50 G1 Z-.5 F.008",
    "N60 G2 X1.4 Z-.6 R.1",
    "N70 G3 U.2 W-.1 K-.1",
    "N80 G98 G1 X1.8 F10.",
    "N90 G99 G4 P250",
    "N100 G97 S800 (LOGOPEN,/tmp/x.log)",
    "N110 G0 X.6 Z.2",
    "N120 G33 Z-.5 F.05",
    "N130 G0 X1. M5",
    "N140 M30",
    "N150 G0 X9.",
});

TEST(LinuxCncExport, EveryJobInBothUnitsRunsInRs274AndMakesOurMoves) {
  ASSERT_TRUE(fs::exists(kRs274)) << "rs274 (Debian linuxcnc-uspace) is needed: scripts/install-deps installs it";
  std::vector<std::pair<std::string, JobProgram>> programs;
  for (const fs::path& job : ProgramJobs()) {
    for (bool metric : {false, true}) {
      programs.push_back({job.filename().string() + (metric ? " started metric" : " started inch"), RunJob(job, metric)});
    }
  }
  ASSERT_GE(programs.size(), 20u);
  programs.push_back({"hand-written program", {kHandProgram, {}}});
  for (const auto& [name, program] : programs) {
    SCOPED_TRACE(name);
    const Toolpath path = ExpandProgram(program.text, program.settings);
    const ExportResult exported = ExportProgram(program.text, Dialect::LinuxCnc, program.settings);
    ASSERT_FALSE(exported.text.empty());
    const Rs274Run run = RunRs274(exported.text, Tools(path), exported.toolTable);
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Joined(run.errors), "") << exported.text;
    EXPECT_TRUE(SameMotions(run.motions, OurMotions(path), program.settings.metric)) << exported.text;
    EXPECT_EQ(run.output.find("MESSAGE("), std::string::npos) << "a comment became a message";
    EXPECT_EQ(run.output.find("LOGOPEN("), std::string::npos) << "a comment opened a log file";
  }
}

// Over random Face, Turn and Part-off cases, inch and metric, chamfers included: the Computed
// path and the G41/G42 program read back to the same moves (so the same nose-centre path),
// and LinuxCNC's rs274, given the exported tool table, compensates the G41/G42 export to them.
TEST(CompensationExport, ComputedAndG41G42AgreeAndRs274CompensatesAlike) {
  ASSERT_TRUE(fs::exists(kRs274));
  int judged = 0;
  for (const test::CompensationCase& c : test::RandomCompensationCases(40, 11)) {
    SCOPED_TRACE("case " + std::to_string(c.n));
    ToolLibrary library;
    library.metric = c.metric;
    library.Put(*c.ctx.tool);
    ToolpathSettings settings;
    settings.metric = c.metric;
    settings.toolChange = {c.metric ? 100. : 4., c.metric ? 150. : 6.};
    settings.tools = &library;
    const std::string computed = test::ProgramText(c.make(NoseCompensation::Computed), c.ctx);
    const std::string control = test::ProgramText(c.make(NoseCompensation::ControlG41G42), c.ctx);
    const Toolpath ours = ExpandProgram(control, settings);
    EXPECT_TRUE(ours.warnings.empty() || ours.warnings.front().text.find("compensation") == std::string::npos)
        << ours.warnings.front().text;
    const double tol = c.metric ? 0.002 : 0.0001;
    std::vector<Motion> want = OurMotions(ExpandProgram(computed, settings)), got = OurMotions(ours);
    ASSERT_EQ(got.size(), want.size()) << control << computed;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].kind, want[i].kind) << i;
      EXPECT_EQ(got[i].arc, want[i].arc) << i;
      EXPECT_NEAR(got[i].x / 2, want[i].x / 2, tol) << "move " << i << "\n" << control << computed;
      EXPECT_NEAR(got[i].z, want[i].z, tol) << "move " << i << "\n" << control << computed;
    }
    const ExportResult exported = ExportProgram(control, Dialect::LinuxCnc, settings);
    ASSERT_NE(exported.text.find(c.n % 4 == 1 || c.n % 4 == 2 ? "\nG41 " : "\nG42 "), std::string::npos) << exported.text;
    const Rs274Run run = RunRs274(exported.text, {}, exported.toolTable);
    EXPECT_EQ(Joined(run.errors), "") << exported.text << exported.toolTable;
    EXPECT_TRUE(SameMotions(run.motions, got, c.metric)) << exported.text << exported.toolTable;
    ++judged;
  }
  EXPECT_EQ(judged, 40);
}

// What compensation cannot follow is a warning naming its line; the path is made all the same.
TEST(CompensationExport, WarningsNameTheLineCompensationCannotFollow) {
  ToolLibrary library;
  library.Put({.number = 1, .offset = 1, .kind = ToolKind::IdBoring, .shape = InsertShape::D, .radius = .03,
               .orientation = 2});
  struct Case {
    std::string program;
    std::string warning;
  };
  const Case cases[] = {
      {"T0101\nG0 X1. Z.02\nG41 G1 Z0. F.005\nZ-1.\nG40 G0 X.8\n",
       "line 3: compensation cannot follow: the move that starts compensation must be longer than the nose radius"},
      {"T0101\nG0 X1. Z.2\nG41 G1 Z0. F.005\nZ-.5\nG3 X.96 Z-.52 K-.02\nG1 X.6\nG40 G0 Z.2\n",
       "line 5: compensation cannot follow: an arc the tool is inside of must be larger than the nose radius"},
      {"T0202\nG0 X1. Z.2\nG42 G1 Z0. F.005\nG40 G0 X2.\n",
       "line 3: G42 needs the tool T0202 with a nose radius in the tool library: the programmed path is drawn"},
  };
  for (const Case& c : cases) {
    ToolpathSettings settings;
    settings.tools = &library;
    const Toolpath path = ExpandProgram(c.program, settings);
    std::string warnings;
    for (const Finding& f : path.warnings) warnings += "line " + std::to_string(f.line) + ": " + f.text + "\n";
    EXPECT_NE(warnings.find(c.warning), std::string::npos) << warnings;
  }
}

// The judge can say no: the tabs' own thread blocks are refused by LinuxCNC (with the tool
// table holding T101, so that the thread itself is what fails).
TEST(LinuxCncExport, ThreadProgramsAsWrittenAreRefusedByRs274) {
  ASSERT_TRUE(fs::exists(kRs274));
  for (const auto& [job, refusedBlock] : {std::pair<std::string, std::string>{"thread_ot_inch", "G76"},
                                          {"thread_g32_inch", "G32"}}) {
    SCOPED_TRACE(job);
    const JobProgram program = RunJob(fs::path(TURNBRIX_JOBS) / (job + ".job"), false);
    const ExportResult asWritten = ExportProgram(program.text, Dialect::AsWritten, program.settings);
    const Rs274Run run = RunRs274(asWritten.text + "M2\r\n", {1, 101});
    EXPECT_FALSE(run.errors.empty()) << run.output;
    EXPECT_NE(Joined(run.errors).find(refusedBlock), std::string::npos) << run.output;
  }
}

TEST(MovesOnlyExport, EveryJobInBothUnitsReadsBackToTheSameMovesWithoutCycles) {
  for (const fs::path& job : ProgramJobs()) {
    for (bool metric : {false, true}) {
      SCOPED_TRACE(job.filename().string() + (metric ? " started metric" : " started inch"));
      const JobProgram program = RunJob(job, metric);
      const Toolpath original = ExpandProgram(program.text, program.settings);
      const ExportResult exported = ExportProgram(program.text, Dialect::MovesOnly, program.settings);
      // The only warnings are those of the program itself (speeds above the machine's).
      const auto texts = [](const std::vector<Finding>& list) {
        std::vector<std::string> t;
        for (const Finding& f : list) t.push_back(f.text);
        return t;
      };
      EXPECT_TRUE(original.diagnostics.empty());
      EXPECT_EQ(texts(exported.findings), texts(original.warnings));
      const Toolpath back = ExpandProgram(exported.text, program.settings);
      EXPECT_TRUE(back.diagnostics.empty()) << exported.text;
      EXPECT_EQ(texts(back.warnings), texts(original.warnings)) << exported.text;
      EXPECT_TRUE(SameMotions(OurMotions(back), OurMotions(original), program.settings.metric)) << exported.text;
      std::vector<int> tools, wantTools;
      std::vector<Spindle> spindles, wantSpindles;
      for (const Move& m : back.moves) {
        if (m.kind == MoveKind::ToolChange) tools.push_back(m.tool);
        spindles.push_back(m.spindle);
      }
      for (const Move& m : original.moves) {
        if (m.kind == MoveKind::ToolChange) wantTools.push_back(m.tool);
        wantSpindles.push_back(m.spindle);
      }
      EXPECT_EQ(tools, wantTools);
      EXPECT_EQ(spindles, wantSpindles) << "the tap reverses out and back as the cycle did";
      // No cycle is left, and the blocks count N10, N20, ... in program order.
      std::int64_t next = 10;
      for (const Block& b : ReadProgram(exported.text).blocks) {
        for (const Word& w : b.words) EXPECT_FALSE(w.letter == 'G' && (w.value == 76 || w.value == 83 || w.value == 84));
      }
      for (const std::string& line : test::Blocks(exported.text)) {
        if (line.empty() || line[0] != 'N') continue;
        EXPECT_EQ(line.substr(0, line.find_first_of(" (")), "N" + std::to_string(next));
        next += 10;
      }
    }
  }
}

// Golden exports, one job per tab (the whole part for Face, Turn and Part-off); regenerate with
// `build/turnbrix-cli --home resources --export DIALECT tests/export/golden/NAME.DIALECT tests/jobs/NAME.job`.
// As written is the job's own output, byte for byte.
TEST(ExportGolden, OneJobPerTabInEachDialect) {
  const fs::path golden = fs::path(TURNBRIX_JOBS).parent_path() / "export" / "golden";
  for (const char* name : {"thread_ot_inch", "drill_csink_center", "drill_deep_pecks", "drill_ream_metric",
                           "tap_g84_then_left_hand_g32", "groove_inside_radius_chamfer",
                           "whole_part_inch", "profile_inch", "profile_metric"}) {
    const fs::path job = fs::path(TURNBRIX_JOBS) / (std::string(name) + ".job");
    const JobProgram program = RunJob(job, false);
    for (const DialectName& d : Dialects()) {
      SCOPED_TRACE(std::string(name) + " " + d.id);
      const ExportResult exported = ExportProgram(program.text, d.dialect, program.settings);
      const fs::path expected = d.dialect == Dialect::AsWritten
                                    ? fs::path(job).replace_extension(".out")
                                    : golden / (std::string(name) + "." + d.id);
      EXPECT_TRUE(test::SameProgram(exported.text, test::ReadFile(expected)));
    }
  }
}

// Hand-written stock-removal programs, one per unit system: G71 type I with ,R and ,C corners
// and an arc, G72 facing, G71 type II with a pocket, each finished by G70. The LinuxCNC export
// writes the expanded moves, which rs274 makes as ours; the Moves-only export reads back to the
// same moves; both match their golden text (regenerate with `build/turnbrix-cli --export`).
TEST(ExportGolden, StockRemovalCyclesRunInRs274AsTheirExpandedMoves) {
  ASSERT_TRUE(fs::exists(kRs274));
  const fs::path dir = fs::path(TURNBRIX_JOBS).parent_path() / "toolpath" / "golden";
  for (const auto& [name, metric] : {std::pair{"g71_g70_inch", false}, {"g71_type2_metric", true}}) {
    SCOPED_TRACE(name);
    ToolpathSettings settings;
    settings.metric = metric;
    settings.toolChange = metric ? Point{100, 150} : Point{4, 6};
    const std::string text = test::ReadFile(dir / (std::string(name) + ".nc"));
    const Toolpath path = ExpandProgram(text, settings);
    EXPECT_TRUE(path.diagnostics.empty()) << path.diagnostics.front().text;
    ASSERT_GT(path.moves.size(), 50u);
    for (Dialect dialect : {Dialect::LinuxCnc, Dialect::MovesOnly}) {
      const ExportResult exported = ExportProgram(text, dialect, settings);
      const char* id = dialect == Dialect::LinuxCnc ? "linuxcnc" : "moves-only";
      EXPECT_TRUE(test::SameProgram(exported.text, test::ReadFile(dir / (std::string(name) + "." + id)))) << id;
      if (dialect == Dialect::LinuxCnc) {
        const Rs274Run run = RunRs274(exported.text, Tools(path));
        EXPECT_EQ(Joined(run.errors), "") << exported.text;
        EXPECT_TRUE(SameMotions(run.motions, OurMotions(path), metric)) << exported.text;
      } else {
        for (const Block& b : ReadProgram(exported.text).blocks) {
          for (const Word& w : b.words) EXPECT_FALSE(w.letter == 'G' && w.value >= 70 && w.value <= 72) << b.line;
        }
        EXPECT_TRUE(SameMotions(OurMotions(ExpandProgram(exported.text, settings)), OurMotions(path), metric));
      }
    }
  }
}

// The runner writes what the library gives, and refuses a dialect it does not know.
// The command line's tools: --check follows G42 with a --tool's radius, the data folder's
// library otherwise, and the LinuxCNC export writes the table beside the program.
TEST(ExportCli, ToolsFromTheCommandLineServeCheckAndExport) {
  test::TempHome home;
  test::WriteFile(home.path() / "default.txt", test::kInchDefaults);
  test::WriteFile(home.path() / "data.txt", test::ShippedData());
  test::WriteFile(home.path() / "g42.nc", "T0101\nG97 S500 M3\nG0 X1.3 Z.05\nG42 G1 Z0. F.005\nX1.5 Z-.1\n"
                                         "Z-1.\nX1.7\nG40 G0 Z.05\nX4. Z6.\nM30\n");
  test::WriteFile(home.path() / "g42.job", "open " + (home.path() / "g42.nc").string() + "\n");
  const std::string cli = std::string(TURNBRIX_CLI) + " --home '" + home.path().string() + "' ";
  auto run = [&](const std::string& args) {
    const std::string out = (home.path() / "out.txt").string();
    const int raw = std::system((cli + args + " > '" + out + "' 2>&1").c_str());
    return std::pair{WEXITSTATUS(raw), test::ReadFile(out)};
  };
  const std::string check = "--check '" + (home.path() / "g42.nc").string() + "'";
  const auto [plainStatus, plain] = run(check);
  EXPECT_EQ(plainStatus, 3);  // no library: the programmed path, and a warning says why
  EXPECT_NE(plain.find("line 4: G42 needs the tool T0101"), std::string::npos) << plain;
  const auto [status, compensated] = run(check + " --tool 1,1,od_turning,C,.031,3");
  EXPECT_EQ(status, 0) << compensated;
  EXPECT_NE(compensated.find("feed 1.3 -0.0182 0.005 500 4\nfeed 1.4818 -0.1091 0.005 500 5\n"
                             "feed 1.5 -0.131 0.005 500 6\nfeed 1.5 -1 0.005 500 6\nfeed 1.638 -1 0.005 500 7\n"),
            std::string::npos)
      << compensated;
  // The library of the data folder serves the same.
  test::WriteFile(home.path() / "tools.toml", test::ReadFile(fs::path(TURNBRIX_RESOURCES) / "tools.toml"));
  EXPECT_EQ(run(check).second, compensated);
  const auto [exportStatus, said] = run("--export linuxcnc '" + (home.path() / "g42.ngc").string() + "' '" +
                                        (home.path() / "g42.job").string() + "'");
  EXPECT_EQ(exportStatus, 0) << said;
  EXPECT_EQ(test::ReadFile(home.path() / "g42.tbl"), "T1 P1 X0 Z0 D0.062 Q2 ;T0101 OD rough CNMG 432\n");
  EXPECT_NE(test::ReadFile(home.path() / "g42.ngc").find("\nG42 G1 Z0. F.005\n"), std::string::npos);
  // A program named as its table would be lost under it: refused, the table kept.
  EXPECT_EQ(run("--export linuxcnc '" + (home.path() / "g42.tbl").string() + "' '" + (home.path() / "g42.job").string() + "'").first, 2);
  EXPECT_EQ(test::ReadFile(home.path() / "g42.tbl"), "T1 P1 X0 Z0 D0.062 Q2 ;T0101 OD rough CNMG 432\n");
  EXPECT_EQ(run(check + " --tool 1,1,od_turning,C,-1,3").first, 2);
  EXPECT_EQ(run(check + " --tools '" + (home.path() / "none.toml").string() + "'").first, 2);
}

TEST(ExportCli, WritesTheExportOfTheFinalProgram) {
  test::TempHome home;
  test::WriteFile(home.path() / "default.txt", test::kInchDefaults);
  test::WriteFile(home.path() / "data.txt", test::ShippedData());
  const fs::path job = fs::path(TURNBRIX_JOBS) / "thread_g32_inch.job";
  const JobProgram program = RunJob(job, false);
  for (const DialectName& d : Dialects()) {
    SCOPED_TRACE(d.id);
    const fs::path out = home.path() / "out.nc";
    const std::string command = std::string(TURNBRIX_CLI) + " --home '" + home.path().string() + "' --export " + d.id +
                                " '" + out.string() + "' '" + job.string() + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::ReadFile(out), ExportProgram(program.text, d.dialect, program.settings).text);
  }
  const std::string bad = std::string(TURNBRIX_CLI) + " --home '" + home.path().string() + "' --export fanuc '" +
                          (home.path() / "x.nc").string() + "' '" + job.string() + "' > /dev/null 2>&1";
  const int raw = std::system(bad.c_str());
  EXPECT_EQ(WEXITSTATUS(raw), 2);
  EXPECT_FALSE(fs::exists(home.path() / "x.nc"));

  // A feed move that cannot be read would be left out of the export: refused (exit 2, no
  // file, what was dropped listed) unless --force; the program is printed only by `print`.
  test::WriteFile(home.path() / "dropped.nc", "G97 S500 M3\nG0 X1. Z.1\nG1 X.5 Z-1. F.01 ?\nG0 X4.\n");
  test::WriteFile(home.path() / "open.job", "open dropped.nc\n");
  test::WriteFile(home.path() / "print.job", "open dropped.nc\nprint\n");
  struct Case {
    const char* dialect;
    const char* options;
    const char* job;
    int status;
    bool written, printed;
  } cases[] = {
      {"linuxcnc", "", "open.job", 2, false, false},
      {"moves-only", "", "open.job", 2, false, false},
      {"linuxcnc", "--force", "open.job", 0, true, false},
      {"linuxcnc", "--force", "print.job", 0, true, true},
      {"as-written", "", "open.job", 0, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dialect) + " " + c.options + " " + c.job);
    fs::remove(home.path() / "e.nc");
    const std::string command = "cd '" + home.path().string() + "' && '" + TURNBRIX_CLI + "' --home . " + c.options +
                                " --export " + c.dialect + " e.nc " + c.job + " >out.txt 2>err.txt";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), c.status);
    EXPECT_EQ(fs::exists(home.path() / "e.nc"), c.written);
    EXPECT_EQ(test::ReadFile(home.path() / "out.txt").empty(), !c.printed);
    const std::string err = test::ReadFile(home.path() / "err.txt");
    EXPECT_EQ(err.find("  line 3: G1 X.5 Z-1. F.01 ?\n") != std::string::npos, c.status == 2) << err;
  }
}

}  // namespace
}  // namespace tbx::toolpath
