#include "app/speeds_and_units.h"

#include <sstream>
#include <vector>

#include "app/machine_boxes.h"
#include "app/startup.h"
#include "data/machine_file.h"
#include "test_support.h"
#include "toolpath/expander.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;
using test::Session;

// Material 2 has no HSS speeds, material 3 a fractional carbide threading speed. With only
// three materials the start-up selection (position 20) finds nothing.
const std::string kData =
    "1/4,.25\r\neof,0\r\n1/4-20,.25,20\r\neof,0,0\r\n"
    "Steel A,400,90,200,40\r\nNo HSS,300,0,150,0\r\nBrass,800,300,412.5,150\r\neof,0,0,0,0\r\n";

std::string SpmAfter(const std::string& defaults, const std::string& script) {
  Session s(defaults, kData);
  std::istringstream in(script);
  EXPECT_EQ(s.runner.RunScript(in), 0) << script;
  return s.Text(id::kSpm);
}

TEST(SurfaceSpeed, FollowsMaterialToolMaterialAndTab) {
  struct Case {
    const char* why;
    std::string script;
    std::string spm;
  };
  const Case cases[] = {
      {"carbide turning", "pick 100 0", " 400"},
      {"HSS turning", "pick 100 2\nclick 1055", " 300"},
      {"back to carbide", "pick 100 2\nclick 1055\nclick 1050", " 800"},
      {"HSS speed 0 falls back to the first material", "click 1055\npick 100 1", " 90"},
      {"the material list applies the turning pair on the Thread tab too", "tab 2\npick 100 2",
       " 800"},
      {"Thread tab with carbide: carbide threading", "pick 100 0\ntab 2", " 200"},
      {"HSS click on the Thread tab: HSS turning, not threading", "pick 100 0\ntab 2\nclick 1055",
       " 90"},
      {"Tap tab with HSS: HSS threading", "pick 100 2\nclick 1055\ntab 6", " 150"},
      {"inch speeds keep their fraction", "pick 100 2\ntab 6", " 412.5"},
      {"HSS threading 0 falls back to the first material", "pick 100 1\nclick 1055\ntab 2", " 40"},
      {"nothing selected: the first material", "tab 1", " 400"},
      {"Drill + Tap Data empties SPM", "pick 100 0\ntab 8", ""},
      {"Settings empties SPM", "pick 100 0\ntab 9", ""},
      {"C'Sink/Drill fills it again", "pick 100 2\ntab 8\ntab 3", " 800"},
      {"Deep Drill: turning", "pick 100 2\ntab 9\ntab 4", " 800"},
      {"Ream: turning", "pick 100 2\ntab 2\ntab 5", " 800"},
      {"Groove: turning", "pick 100 2\ntab 6\ntab 7", " 800"},
      {"Material tab: turning", "pick 100 2\ntab 6\ntab 1", " 800"},
  };
  for (const Case& c : cases) EXPECT_EQ(SpmAfter(test::kInchDefaults, c.script), c.spm) << c.why;
}

TEST(SurfaceSpeed, MetricSpeedsAreWholeMetresPerMinute) {
  struct Case {
    std::string script;
    std::string spm;
  };
  const Case cases[] = {
      {"pick 100 0", " 122"},               // 400 × 0.305 = 122
      {"pick 100 2\ntab 2", " 125"},        // 412.5 × 0.305 = 125.8
      {"pick 100 0\nclick 1055", " 27"},    // 90 × 0.305 = 27.45
  };
  for (const Case& c : cases) EXPECT_EQ(SpmAfter(test::kMetricDefaults, c.script), c.spm) << c.script;
}

TEST(ToolSelection, OffsetFollowsTheToolNumber) {
  Session s(test::kInchDefaults, kData);
  EXPECT_EQ(s.Text(id::kOffset), "01");
  s.runner.Pick(id::kTool, 11);
  EXPECT_EQ(s.Text(id::kTool), "T12");
  EXPECT_EQ(s.Text(id::kOffset), "12");
  // The offset can then be chosen freely; the tool stays.
  s.runner.Pick(id::kOffset, 23);
  EXPECT_EQ(s.Text(id::kOffset), "24");
  EXPECT_EQ(s.Text(id::kTool), "T12");
  s.runner.Pick(id::kTool, 4);
  EXPECT_EQ(s.Text(id::kOffset), "05");
  s.runner.Pick(id::kTool, 0);
  EXPECT_EQ(s.Text(id::kOffset), "01");
}

TEST(UnitChange, MessageOnEachClickAndSavedAtClose) {
  Session s(test::kInchDefaults, kData);
  s.runner.Click(id::kMetric);
  s.runner.Click(id::kMetric);
  EXPECT_EQ(s.runner.Messages(),
            (std::vector<std::string>{
                "[Changing to Metric Settings] Exit and Restart Program for Unit Change",
                "[Changing to Inch Settings] Exit and Restart Program for Unit Change"}));
  EXPECT_TRUE(s.runner.Running());
  s.runner.Close();
  EXPECT_EQ(test::ReadFile(s.home.path() / "default.txt"), "4.\r\n6.\r\n0.\r\n");
}

TEST(UnitChange, NothingIsConverted) {
  Session s(test::kInchDefaults, kData);
  s.runner.Pick(id::kMaterialList, 0);
  s.runner.Click(id::kMetric);
  s.runner.Click(id::kCarbide);
  EXPECT_EQ(s.Text(id::kSpm), " 400");
  EXPECT_EQ(s.runner.form().Control(kMainForm, id::kCSinkDrillSize)->items[0], "1/4      0.2500");
}

// The save that switches units converts what the next start reads in the new units; until
// the restart the program is still read in the units it was started in.
TEST(UnitChange, TheSaveThatSwitchesUnitsConvertsTheLengths) {
  struct Case {
    std::string defaults;
    const char* saved;      // default.txt after Settings OK
    const char* notice;     // its message
    const char* note;       // the status bar's
    const char* g76MinCut;  // the box after the restart
    double g83Clearance;    // the other system's value in toolpath.txt
  };
  const Case cases[] = {
      {test::kInchDefaults, "101.6\r\n152.4\r\n1.\r\n",
       "[Changing to Metric Settings] The tool-change position X4 Z6 in is saved as X101.6 Z152.4 mm in ",
       "Metric is ticked: until the restart the program is read in inches", ".0254", 0.254},
      {test::kMetricShopDefaults, "3.937\r\n5.9055\r\n0.\r\n",
       "[Changing to Inch Settings] The tool-change position X100 Z150 mm is saved as X3.937 Z5.9055 in in ",
       "Metric is cleared: until the restart the program is read in mm", ".001", 0.25 / 25.4},
  };
  for (const Case& c : cases) {
    Session s(c.defaults);
    s.runner.Tab(2);
    s.runner.Click(id::kThreadOk);
    const App& app = s.runner.app();
    const toolpath::ToolpathSettings before = ProgramToolpathSettings(app);
    const double seconds = toolpath::ExpandProgram(s.Output(), before).seconds;
    s.runner.Click(id::kMetric);
    const toolpath::ToolpathSettings after = ProgramToolpathSettings(app);
    EXPECT_EQ(after.metric, before.metric) << c.saved;
    EXPECT_EQ(toolpath::ExpandProgram(s.Output(), after).seconds, seconds) << c.saved;
    EXPECT_EQ(UnitsNote(app), c.note);

    s.runner.Click(id::kSettingsOk);
    s.runner.Click(id::kSettingsOk);  // the flag is saved already: no second notice
    const fs::path home = s.home.path();
    EXPECT_EQ(test::ReadFile(home / "default.txt"), c.saved);
    ASSERT_EQ(s.runner.Messages().size(), 2u);
    EXPECT_EQ(s.runner.Messages()[1].rfind(c.notice + (home / "default.txt").string(), 0), 0u)
        << s.runner.Messages()[1];
    const MachineSettings saved = LoadMachineSettings(home / "toolpath.txt");
    EXPECT_NEAR(before.metric ? saved.g83ClearanceInch : saved.g83ClearanceMm, c.g83Clearance, 1e-6);

    // The next start: the position where the machine has it, the thread retracts to it.
    std::ostringstream out, err;
    JobRunner again(home, out, err);
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(again.app().Text(id::kG76MinCut), c.g76MinCut);
    const std::string x = again.app().Text(id::kXToolChange), z = again.app().Text(id::kZToolChange);
    EXPECT_EQ(x + "\r\n" + z + "\r\n", std::string(c.saved).substr(0, x.size() + z.size() + 4));
    again.Tab(2);
    again.Click(id::kThreadOk);
    EXPECT_NE(again.Output().find("G0 X" + x + "\r\nN90 Z" + z + " M9"), std::string::npos) << again.Output();
    EXPECT_EQ(UnitsNote(again.app()), "");
  }
}

class IconForm : public HeadlessForm {
 public:
  void MessageBox(std::string_view, std::string_view, MessageIcon icon) override {
    icons.push_back(icon);
  }
  std::vector<MessageIcon> icons;
};

TEST(UnitChange, MessageHasNoIcon) {
  test::TempHome home;
  test::WriteFile(home.path() / "default.txt", test::kInchDefaults);
  test::WriteFile(home.path() / "data.txt", kData);
  IconForm form;
  App app(form, home.path());
  ASSERT_TRUE(StartUp(app));
  app.SetCheck(id::kMetric, true);
  MetricClicked(app);
  EXPECT_EQ(form.icons, std::vector<MessageIcon>{MessageIcon::None});
}

}  // namespace
}  // namespace tbx
