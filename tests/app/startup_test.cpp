#include "test_support.h"
#include "app/program_box.h"

namespace tbx {
namespace {

using test::ReadFile;
using test::Session;

TEST(StartUp, SettingsComeFromTheDefaultFileInNumberForm) {
  Session s("4.0000\r\n7.5\r\n0.\r\n");
  ASSERT_TRUE(s.started);
  EXPECT_EQ(s.Text(id::kXToolChange), "4.");
  EXPECT_EQ(s.Text(id::kZToolChange), "7.5");
  EXPECT_EQ(ContextOf(s.runner.app()).pi, 3.141592654);
  EXPECT_EQ(s.runner.app().program.blockNumber, 10);
  EXPECT_TRUE(s.runner.form().Form(kMainForm)->shown);
}

TEST(StartUp, MissingFilesEndTheProgramWithBothMessages) {
  test::TempHome home;
  std::ostringstream out, err;
  JobRunner runner(home.path(), out, err);
  EXPECT_FALSE(runner.Start());
  EXPECT_FALSE(runner.Running());
  ASSERT_EQ(runner.Messages().size(), 2u);
  EXPECT_EQ(runner.Messages()[0], "[TBX Error] Missing Data File " + (home.path() / "default.txt").string());
  EXPECT_EQ(runner.Messages()[1], "[TBX Error] Missing Data File " + (home.path() / "data.txt").string());
}

TEST(ShutDown, ExitAndCloseSaveTheSettings) {
  struct Case {
    const char* name;
    bool exitButton;
    bool clickMetric;
    const char* saved;
  };
  const Case cases[] = {
      {"close after typing", false, false, "4.25\r\n6.\r\n0.\r\n"},
      {"exit with metric ticked: the position in mm", true, true, "107.95\r\n152.4\r\n1.\r\n"},
  };
  for (const Case& c : cases) {
    Session s;
    s.runner.Set(id::kXToolChange, "4.25");  // typed, Settings OK never pressed
    if (c.clickMetric) s.runner.Click(id::kMetric);
    c.exitButton ? (void)s.runner.Click(id::kExit) : s.runner.Close();
    EXPECT_FALSE(s.runner.Running()) << c.name;
    EXPECT_EQ(ReadFile(s.home.path() / "default.txt"), c.saved) << c.name;
  }
}

TEST(ShutDown, MissingDefaultFileIsNotCreated) {
  Session s;
  std::filesystem::remove(s.home.path() / "default.txt");
  s.runner.Click(id::kExit);
  EXPECT_FALSE(s.runner.Running());
  EXPECT_FALSE(std::filesystem::exists(s.home.path() / "default.txt"));
  ASSERT_FALSE(s.runner.Messages().empty());
  EXPECT_EQ(s.runner.Messages().back(),
            "[TBX Error] Missing Data File " + (s.home.path() / "default.txt").string());
}

TEST(StartUp, HomeFolderPrefersTheGivenFolderThenTheEnvironment) {
  EXPECT_EQ(HomeFolder("/given"), std::filesystem::path("/given"));
  setenv("TURNBRIX_HOME", "/from/env", 1);
  EXPECT_EQ(HomeFolder(nullptr), std::filesystem::path("/from/env"));
  unsetenv("TURNBRIX_HOME");
  setenv("XDG_DATA_HOME", "/xdg", 1);
  EXPECT_EQ(HomeFolder(nullptr), std::filesystem::path("/xdg/turnbrix"));
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace tbx
