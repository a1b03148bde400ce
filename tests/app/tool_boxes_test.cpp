// The tool of the Tool and Offset boxes: named beside them, and the boxes it answers filled.
#include <cstdlib>
#include <sstream>

#include "test_support.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempHome;
using test::WriteFile;

struct ScriptRun {
  std::string printed, err;
  int status = -1;
};

// The script on a data folder with the shipped starter library, "|" between printed values.
ScriptRun RunWithLibrary(const std::string& defaults, const std::string& script, bool library = true) {
  TempHome home;
  WriteFile(home.path() / "default.txt", defaults);
  WriteFile(home.path() / "data.txt", test::ShippedData());
  if (library) fs::copy_file(fs::path(TURNBRIX_RESOURCES) / "tools.toml", home.path() / "tools.toml");
  std::ostringstream out, err;
  JobRunner runner(home.path(), out, err);
  ScriptRun run;
  if (!runner.Start()) return run;
  std::istringstream in(script);
  run.status = runner.RunScript(in);
  run.printed = out.str();
  run.err = err.str();
  return run;
}

TEST(ToolBoxes, ChoosingALibraryToolNamesItAndFillsWhatItAnswers) {
  struct Case {
    const char* why;
    std::string defaults, script;
    std::string printed;
    bool library = true;
  };
  const std::string p = "\nprint 1041\nprint ";
  const Case cases[] = {
      {"start-up names T0101", test::kInchDefaults, "print 1041", "OD rough CNMG 432"},
      {"parting blade", test::kInchDefaults, "type 1420 .2\npick 1040 4" + p + "1420", "Parting blade .125.125"},
      {"grooving blade in mm", test::kMetricDefaults, "pick 1040 3" + p + "855", "Grooving blade .1253.175"},
      {"a boring bar fills nothing", test::kInchDefaults, "type 855 .3\npick 1040 2" + p + "855",
       "Boring bar DCMT 21.51.3"},
      {"no such tool", test::kInchDefaults, "pick 1040 11\nprint 1041", ""},
      {"an offset without a tool", test::kInchDefaults, "pick 1045 3\nprint 1041", ""},
      {"a script's drill", test::kInchDefaults,
       "tool 12 12 drill diameter=.4375 point_angle=135 name=\"7/16 drill\"\npick 1040 11" + p +
           "475\nprint 325\nprint deep_drill.drill_angle",
       "7/16 drill.4375.4375135_degree"},
      {"a script's tool named for the boxes as they stand", test::kInchDefaults,
       "tool 1 1 reamer diameter=.25\nprint 1041\nprint 660", "reamer.500"},
      {"no library at all", test::kInchDefaults, "pick 1040 4\nprint 1041\nprint 1420", ".125", false},
  };
  for (const Case& c : cases) {
    const ScriptRun run = RunWithLibrary(c.defaults, c.script, c.library);
    EXPECT_EQ(run.status, 0) << c.why << "\n" << run.err;
    EXPECT_EQ(run.printed, c.printed) << c.why;
  }
}

// A width the tool fills writes the same program as the same width typed.
TEST(ToolBoxes, AFilledWidthWritesTheBytesOfATypedOne) {
  const std::string tool = "tool 5 5 parting width=.094 orientation=3 radius=.004\n";
  const ScriptRun filled = RunWithLibrary(test::kInchDefaults, tool + "pick 1040 4\ntab part_off\nclick 1460\nprint 1070");
  const ScriptRun typed = RunWithLibrary(test::kInchDefaults,
                                   tool + "pick 1040 4\ntype 1420 .094\ntab part_off\nclick 1460\nprint 1070", false);
  EXPECT_NE(filled.printed.find("T0505"), std::string::npos) << filled.printed;
  EXPECT_EQ(filled.printed, typed.printed);
}

// The shipped library names tools but changes no existing job's program: its blades are as
// wide as the tabs' defaults.
TEST(ToolBoxes, EveryJobPrintsTheSameWithTheShippedLibrary) {
  TempHome home;
  for (const char* name : {"default.txt", "data.txt", "tools.toml"})
    fs::copy_file(fs::path(TURNBRIX_RESOURCES) / name, home.path() / name);
  int jobs = 0;
  for (const auto& entry : fs::directory_iterator(TURNBRIX_JOBS)) {
    if (entry.path().extension() != ".job") continue;
    const fs::path out = home.path() / "out.txt";
    const std::string command = std::string(TURNBRIX_CLI) + " --home '" + home.path().string() + "' '" +
                                entry.path().string() + "' > '" + out.string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << entry.path();
    EXPECT_EQ(ReadFile(out), ReadFile(fs::path(entry.path()).replace_extension(".out"))) << entry.path();
    ++jobs;
  }
  EXPECT_GE(jobs, 16);
}

}  // namespace
}  // namespace tbx
