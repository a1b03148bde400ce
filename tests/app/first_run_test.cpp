#include "app/first_run.h"

#include <optional>

#include "test_support.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempHome;
using test::WriteFile;

// Sets (or, with nullptr, unsets) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(FirstRun, FillsOnlyAMissingPerUserFolder) {
  struct Case {
    const char* name;
    bool given;            // --home
    bool envHome;          // $TURNBRIX_HOME
    bool xdg;              // $XDG_DATA_HOME
    bool folderExists;     // the per-user folder is already there, empty
    bool shipped;          // the shipped files are found
    bool expectCreated;
  };
  const Case cases[] = {
      {"fresh user", false, false, false, false, true, true},
      {"fresh user with XDG_DATA_HOME", false, false, true, false, true, true},
      {"--home given", true, false, false, false, true, false},
      {"TURNBRIX_HOME given", false, true, false, false, true, false},
      {"folder already there", false, false, false, true, true, false},
      {"shipped files not found", false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    TempHome root;
    const fs::path given = root.path() / "given";
    ScopedEnv home("HOME", (root.path() / "user").c_str());
    ScopedEnv xdg("XDG_DATA_HOME", c.xdg ? (root.path() / "xdg").c_str() : nullptr);
    ScopedEnv env("TURNBRIX_HOME", c.envHome ? given.c_str() : nullptr);
    const fs::path folder =
        c.xdg ? root.path() / "xdg/turnbrix" : root.path() / "user/.local/share/turnbrix";
    if (c.folderExists) fs::create_directories(folder);

    const std::string said = SetUpFirstRun(c.given ? given.c_str() : nullptr,
                                           c.shipped ? fs::path(TURNBRIX_RESOURCES) : fs::path());

    if (!c.expectCreated) {
      EXPECT_EQ(said, "") << c.name;
      EXPECT_EQ(fs::exists(folder), c.folderExists) << c.name;
      EXPECT_FALSE(fs::exists(folder / "data.txt")) << c.name;
      EXPECT_FALSE(fs::exists(given)) << c.name;
      continue;
    }
    EXPECT_EQ(said, "Created " + folder.string() +
                        " with the shipped default.txt and data.txt and the starter tool library tools.toml")
        << c.name;
    for (const char* file : {"default.txt", "data.txt", "tools.toml"})
      EXPECT_EQ(ReadFile(folder / file), ReadFile(fs::path(TURNBRIX_RESOURCES) / file)) << c.name;
    std::ostringstream out, err;
    JobRunner runner(HomeFolder(nullptr), out, err);
    EXPECT_TRUE(runner.Start()) << c.name << err.str();
    EXPECT_EQ(SetUpFirstRun(nullptr, TURNBRIX_RESOURCES), "") << c.name << ": said only once";
  }
}

TEST(FirstRun, AFolderThatCannotBeMadeIsReportedAndLeavesNothing) {
  TempHome root;
  WriteFile(root.path() / "user", "a file where a folder is needed");
  ScopedEnv home("HOME", (root.path() / "user").c_str());
  ScopedEnv xdg("XDG_DATA_HOME", nullptr);
  ScopedEnv env("TURNBRIX_HOME", nullptr);
  const std::string said = SetUpFirstRun(nullptr, TURNBRIX_RESOURCES);
  EXPECT_EQ(said.rfind("Could not create " + (root.path() / "user/.local/share/turnbrix").string() + ": ", 0), 0u)
      << said;
  EXPECT_EQ(ReadFile(root.path() / "user"), "a file where a folder is needed");
}

TEST(FirstRun, ShippedFilesComeFromTheInstallThenTheFallback) {
  TempHome root;
  const fs::path prefix = root.path() / "usr";
  const fs::path share = prefix / "share/turnbrix";
  const fs::path fallback = root.path() / "resources";
  fs::create_directories(prefix / "bin");
  fs::create_directories(share);
  fs::create_directories(fallback);
  for (const char* file : {"default.txt", "data.txt"}) WriteFile(fallback / file, "x");

  WriteFile(share / "data.txt", "x");
  EXPECT_EQ(ShippedDataFolder(prefix / "bin", fallback), fallback) << "an incomplete install";
  WriteFile(share / "default.txt", "x");
  EXPECT_EQ(ShippedDataFolder(prefix / "bin", fallback), share);
  EXPECT_EQ(ShippedDataFolder(root.path() / "elsewhere", fallback), fallback);
  EXPECT_EQ(ShippedDataFolder(root.path() / "elsewhere", root.path() / "none"), fs::path());
  EXPECT_EQ(ShippedDataFolder(fs::path(), fs::path()), fs::path());
}

}  // namespace
}  // namespace tbx
