#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "test_support.h"
#include "turnbrix_build.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempHome;
using test::WriteFile;

struct CliRun {
  int status;
  std::string out, err;
};

// Runs build/turnbrix-cli as a user would, on a home folder holding the shipped files.
class Cli {
 public:
  Cli() {
    for (const char* name : {"default.txt", "data.txt"})
      fs::copy_file(fs::path(TURNBRIX_RESOURCES) / name, home.path() / name);
  }

  CliRun Script(const std::string& script) {
    WriteFile(home.path() / "job.txt", script);
    return Args("--home " + home.path().string() + " " + (home.path() / "job.txt").string());
  }

  CliRun Args(const std::string& args) {
    std::string errFile = (home.path() / "stderr.txt").string();
    std::string command = std::string(TURNBRIX_CLI) + " " + args + " 2>" + errFile;
    CliRun run{};
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    run.status = WEXITSTATUS(pclose(pipe));
    run.err = ReadFile(errFile);
    return run;
  }

  TempHome home;
};

TEST(JobRunner, PrintsTheProgramWhenTheScriptPrintsNothing) {
  Cli cli;
  CliRun run = cli.Script("# comment\n\ntype 1065 325\nclick 305\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 14), "N10 T0101 M8\r\n");
}

TEST(JobRunner, PrintWritesTheControlTextExactly) {
  Cli cli;
  CliRun run = cli.Script("print 130\nset 105 \nprint 105\nset 105  two words \nprint 105\nprint 1040\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, ".375 two words T01");
}

TEST(JobRunner, MaterialSpeedsFollowTabsAndPicks) {
  Cli cli;
  CliRun run = cli.Script("tab 1\nprint 1065\ntab 8\nprint 1065\npick 100 0\nprint 1065\nclick 1055\nprint 1065\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(run.out.empty());
  EXPECT_EQ(run.out.find("  "), std::string::npos) << "each speed printed once: " << run.out;
}

TEST(JobRunner, MessagesGoToStandardErrorAndAreAnsweredOk) {
  Cli cli;
  CliRun run = cli.Script("tab 9\nclick 1030\nclick 1030\nprint 1030\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "[Changing to Metric Settings] Exit and Restart Program for Unit Change\n"
            "[Changing to Inch Settings] Exit and Restart Program for Unit Change\n");
}

TEST(JobRunner, DisabledControlsWarnAndTheScriptGoesOn) {
  Cli cli;
  CliRun run = cli.Script("type 191 3\nclick 770\nprint 191\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "10.");
  EXPECT_NE(run.err.find("191"), std::string::npos);
  EXPECT_NE(run.err.find("770"), std::string::npos);
}

TEST(JobRunner, CloseSavesAndPrintsWhatTheBoxHeldLast) {
  Cli cli;
  CliRun run = cli.Script("type 1065 325\nclick 305\ntype 1010 4.5\nclose\nclick 305\nprint 130\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 14), "N10 T0101 M8\r\n");  // nothing after close ran
  EXPECT_EQ(ReadFile(cli.home.path() / "default.txt"), "4.5\r\n6.\r\n0.\r\n");
}

TEST(JobRunner, BadLinesStopWithStatusTwoAndNoOutput) {
  struct Case {
    const char* script;
    const char* reason;
  };
  const Case cases[] = {
      {"print 130\nfly 130\n", "line 2: unknown command 'fly'"},
      {"click 4242\n", "line 1: unknown control id 4242"},
      {"pick 1040 12\n", "line 1: no item 12 in list 1040"},
      {"pick 1040 x\n", "line 1: no item x in list 1040"},
      {"pick 130 1\n", "line 1: control 130 is not a list"},
      {"tab 14\n", "line 1: tab needs a number from 1 to 13 or an operation's name"},
      {"type abc 1\n", "line 1: 'abc' is neither a control id nor a field key"},
      {"type 305 1\n", "line 1: control 305 is not a text box"},
      {"click 130\n", "line 1: control 130 cannot be clicked"},
      {"tool 1 1\n", "line 1: 'tool' needs NUMBER OFFSET KIND, then key=value settings"},
      {"print 130\ntool 1 1 od_turning shape=C radius=.03\n",
       "line 2: 'tool': orientation must be a whole number from 1 to 9"},
      {"tool 1 1 od_turning shape=Q\n", "line 1: 'tool': shape must be C, D, S, T, V, W, R or blade, not 'Q'"},
      {"tool 4 4 grooving orientation=3 width=.1 name=\"blade\n", "line 1: 'tool': a value in quotes is not closed"},
      {"tool 9 9 drill diameter\n", "line 1: 'tool': write each setting as key=value, not 'diameter'"},
      {"tool 9 9 drill diameter=.25 point_angle=118 colour=red\n", "line 1: 'tool': colour is no setting of a tool"},
      {"stock 2 0 .1\n", "line 1: stock needs OD BORE FRONT_Z CHUCK_Z as numbers"},
      {"stock 2 0 .1 -3x\n", "line 1: stock needs OD BORE FRONT_Z CHUCK_Z as numbers"},
      {"stock 2 2 .1 -3\n", "line 1: stock: the bore must be smaller than the outer diameter"},
      {"stock 2 0 .1 .2\n", "line 1: stock: the chuck's face must stand behind the front face (a smaller Z)"},
  };
  for (const Case& c : cases) {
    Cli cli;
    CliRun run = cli.Script(c.script);
    EXPECT_EQ(run.status, 2) << c.script;
    EXPECT_EQ(run.out, "") << c.script;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
  }
}

TEST(JobRunner, FailedStartUpPrintsNothingAndReturnsOne) {
  Cli cli;
  fs::remove(cli.home.path() / "data.txt");
  CliRun run = cli.Script("print 130\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("[TBX Error] Missing Data File "), std::string::npos);
}

TEST(JobRunner, HelpVersionAndUsage) {
  Cli cli;
  CliRun help = cli.Args("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: turnbrix-cli"), std::string::npos);
  CliRun version = cli.Args("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "turnbrix-cli " TURNBRIX_VERSION "\n");
  EXPECT_EQ(cli.Args("").status, 2);
  EXPECT_EQ(cli.Args("--home").status, 2);
  EXPECT_EQ(cli.Args("/no/such/script").status, 2);
}

TEST(JobRunner, ReadsTheScriptFromStandardInput) {
  Cli cli;
  CliRun run = cli.Args("--home " + cli.home.path().string() + " - < /dev/null");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
}

TEST(JobRunner, NewOpenAndSaveProgramFiles) {
  Cli cli;
  const std::string file = (cli.home.path() / "part.nc").string();
  CliRun run = cli.Script("tab 5\nclick 705\nsave " + file + "\nprint\nnew\nprint\nopen " +
                          file + "\nclick 705\nprint\nset 1070 \nnew\n");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string first = ReadFile(file);
  ASSERT_EQ(first.substr(0, 7), "N10 T01");
  // Printed: the saved program, the empty new one, then the opened one with a ream after it.
  EXPECT_EQ(run.out.substr(0, first.size()), first);
  EXPECT_EQ(run.out.substr(first.size(), first.size()), first);
  const std::string next = run.out.substr(2 * first.size());
  EXPECT_EQ(next.substr(0, 4), "N" + std::to_string(10 * (1 + std::count(first.begin(), first.end(), '\n'))));
  // Only the last new, after a change, had something to discard.
  EXPECT_EQ(run.err, "note: new: unsaved changes discarded (no window to ask)\n");

  for (const std::string& line : {"save " + cli.home.path().string() + "/default.txt/x.nc",
                                  "open " + cli.home.path().string() + "/none.nc",
                                  std::string("open"), std::string("new 1")}) {
    CliRun bad = cli.Script("tab 5\nclick 705\n" + line + "\nprint\n");
    EXPECT_EQ(bad.status, 2) << line;
    EXPECT_EQ(bad.out, "") << line;
    EXPECT_NE(bad.err.find("line 3: "), std::string::npos) << bad.err;
  }
}

// The machine facts of the Settings tab live in toolpath.txt: a changed box is saved on the
// way out and read back by the next start, in the units of the start; default.txt keeps its
// bytes, and an untouched tab writes no file.
TEST(JobRunner, MachineSettingsAreSavedBesideDefaultsAndReadBack) {
  const std::string shippedDefaults = ReadFile(fs::path(TURNBRIX_RESOURCES) / "default.txt");
  struct Case {
    const char* script;
    const char* units;  // the third line of default.txt
    const char* printed;  // after a restart: print 1505, then print 1530
    const char* fileHas;  // a line of toolpath.txt; "" when no file may be written
  };
  const Case cases[] = {
      {"tab 9\ntype 1505 8000\ntype 1530 .002\nclose\n", "0.", "8000..002", "g76_min_cut_inch = 0.002\n"},
      {"tab 9\ntype 1505 8000\nclick 1037\n", "0.", "8000..001", "rapid_x_mm_per_min = 8000\n"},
      {"tab 9\ntype 1530 .05\nclose\n", "1.", "10000..05", "g76_min_cut_mm = 0.05\n"},
      {"tab 9\ntype 1010 4.5\nclose\n", "0.", "10000..001", ""},
      {"tab 9\ntype 1505 0\nclose\n", "0.", "10000..001", ""},
      {"tab 9\nclick 1560\nset 1570 FLANGE 2\nclick 1037\n", "0.", "10000..001", "program_name = FLANGE 2\n"},
  };
  for (const Case& c : cases) {
    Cli cli;
    const std::string defaults = "4.\r\n6.\r\n" + std::string(c.units) + "\r\n";
    WriteFile(cli.home.path() / "default.txt", defaults);
    CliRun run = cli.Script(c.script);
    EXPECT_EQ(run.status, 0) << c.script << run.err;
    const fs::path file = cli.home.path() / "toolpath.txt";
    if (*c.fileHas) {
      EXPECT_NE(ReadFile(file).find(c.fileHas), std::string::npos) << c.script << ReadFile(file);
      EXPECT_EQ(ReadFile(cli.home.path() / "default.txt"), defaults) << c.script;
    } else {
      EXPECT_FALSE(fs::exists(file)) << c.script;
    }
    CliRun again = cli.Script("print 1505\nprint 1530\n");
    EXPECT_EQ(again.out, c.printed) << c.script;
    EXPECT_EQ(again.err, "") << c.script;
  }

  // Refused and failed saves say so and keep what was there.
  Cli cli;
  CliRun refused = cli.Script("tab 9\ntype 1505 0\nclick 1037\n");
  EXPECT_EQ(refused.err, "[TBX Error] Rapid X mm/min must be a number from 1 to 10000000: " +
                             (cli.home.path() / "toolpath.txt").string() + " was not saved\n");
  fs::create_directory(cli.home.path() / "toolpath.txt");
  CliRun failed = cli.Script("tab 9\ntype 1505 9000\nclose\n");
  EXPECT_EQ(failed.status, 4);
  EXPECT_EQ(failed.err, "[TBX Error] Error Writing Data File " + (cli.home.path() / "toolpath.txt").string() +
                            ": Is a directory\n");
  EXPECT_EQ(ReadFile(cli.home.path() / "default.txt"), shippedDefaults);
}

// A job that ticks Metric writes its later blocks in mm while the program is read in the units
// of the start until a restart: an export then would carry the wrong G20/G21, so none is written.
TEST(JobRunner, NoExportWhileTheUnitsWaitForARestart) {
  for (const bool switched : {false, true}) {
    Cli cli;
    const fs::path job = cli.home.path() / "ream.job", exported = cli.home.path() / "ream.ngc";
    WriteFile(job, std::string(switched ? "tab 9\nclick 1030\n" : "") + "tab 5\ntype 660 .5\nclick 705\n");
    const CliRun run = cli.Args("--home " + cli.home.path().string() + " --export linuxcnc " + exported.string() + " " +
                                job.string());
    EXPECT_EQ(run.status, switched ? 2 : 0) << run.err;
    EXPECT_EQ(fs::exists(exported), !switched);
    EXPECT_EQ(run.err.find("Metric is ticked: until the restart the program is read in inches; restart Turnbrix "
                           "before exporting") != std::string::npos, switched) << run.err;
  }
}

// Every tests/jobs/NAME.job must print exactly tests/jobs/NAME.out.
TEST(JobRunner, JobFilesPrintTheirExpectedPrograms) {
  std::vector<fs::path> jobs;
  for (const auto& entry : fs::directory_iterator(TURNBRIX_JOBS))
    if (entry.path().extension() == ".job") jobs.push_back(entry.path());
  std::sort(jobs.begin(), jobs.end());
  for (const fs::path& job : jobs) {
    Cli cli;
    CliRun run = cli.Args("--home " + cli.home.path().string() + " " + job.string());
    fs::path expected = fs::path(job).replace_extension(".out");
    ASSERT_TRUE(fs::exists(expected)) << expected;
    EXPECT_EQ(run.status, 0) << job << "\n" << run.err;
    EXPECT_EQ(run.out, ReadFile(expected)) << job << "\n" << run.err;
  }
}

// With the program's start and end on, every job gives the same blocks between them.
TEST(JobRunner, JobsWriteTheSameBlocksBetweenTheProgramsStartAndEnd) {
  std::vector<fs::path> jobs;
  for (const auto& entry : fs::directory_iterator(TURNBRIX_JOBS))
    if (entry.path().extension() == ".job") jobs.push_back(entry.path());
  const std::string end = "M30\r\n%\r\n";
  int framed = 0;
  for (const fs::path& job : jobs) {
    // The start and end are steps of their own: a script naming steps by number names others.
    const std::string script = ReadFile(job);
    if (script.find("\nsteps\n") != std::string::npos) continue;
    Cli cli;
    WriteFile(cli.home.path() / "toolpath.txt", "program_start_end = 1\nprogram_name = JOB 7\n");
    CliRun run = cli.Args("--home " + cli.home.path().string() + " " + job.string());
    // Scripts may print the box more than once.
    std::string out = run.out;
    auto erase = [&out](const std::string& lines) {
      bool found = false;
      for (std::size_t at; (at = out.find(lines)) != std::string::npos; found = true) out.erase(at, lines.size());
      return found;
    };
    const bool inch = erase("%\r\nO1000 (JOB 7)\r\nG20 G18 G40 G99\r\n");
    const bool metric = erase("%\r\nO1000 (JOB 7)\r\nG21 G18 G40 G99\r\n");
    framed += inch + metric + erase(end);
    EXPECT_EQ(out, ReadFile(fs::path(job).replace_extension(".out"))) << job << "\n" << run.err;
  }
  EXPECT_GE(framed, 2 * 12);  // most jobs both start and end the program

}

}  // namespace
}  // namespace tbx
