#include "app/program_file.h"

#include <unistd.h>

#include "test_support.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::Session;
using test::TraceOf;
using test::WriteFile;

TEST(ProgramFile, OpenMakesLineEndsCrLfAndContinuesAfterTheHighestBlock) {
  struct Case {
    std::string content, box;
    std::int64_t next;
  };
  const Case cases[] = {
      {"N10 G0\nN250 X1.\rN30 M1", "N10 G0\r\nN250 X1.\r\nN30 M1", 260},
      {"%\r\n(NO NUMBERS)\r\nG0 X1\r\n", "%\r\n(NO NUMBERS)\r\nG0 X1\r\n", 10},
      {"n95 G0\r\r\nX1 N7 ( N9999 ) ; N8888\n", "n95 G0\r\n\r\nX1 N7 ( N9999 ) ; N8888\r\n", 105},
      {"TN50 N99999999999999999999 N40\n", "TN50 N99999999999999999999 N40\r\n", 50},
      {"", "", 10},
      {"(D\xC3\xBC\x62\x65L)\tN5\f\x1A", "(D\xC3\xBC\x62\x65L)\tN5\f\x1A", 15},
  };
  for (const Case& c : cases) {
    Session s;
    ASSERT_TRUE(s.started);
    s.runner.Tab(5);
    s.runner.Click(id::kReamOk);  // something to undo, numbering moved on
    const fs::path file = s.home.path() / "in.nc";
    WriteFile(file, c.content);
    ASSERT_TRUE(s.runner.Open(file)) << c.content;
    EXPECT_EQ(s.Output(), c.box);
    EXPECT_EQ(s.runner.app().program.blockNumber, c.next) << c.content;
    EXPECT_FALSE(s.runner.form().Control(kMainForm, id::kUndo)->enabled);
    EXPECT_EQ(s.runner.app().undo.Count(), 0);
    EXPECT_FALSE(s.runner.file().Modified(s.runner.app()));
    EXPECT_EQ(s.runner.file().DisplayName(), "in.nc");
  }
}

TEST(ProgramFile, OpenRefusesWhatIsNotAProgramAndChangesNothing) {
  Session s;
  ASSERT_TRUE(s.started);
  s.runner.Tab(5);
  s.runner.Click(id::kReamOk);
  s.runner.Set(id::kOutput, s.Output() + "(TYPED)");
  const fs::path dir = s.home.path();
  WriteFile(dir / "nul.nc", std::string("N10 G0\r\n\0N20", 13));
  WriteFile(dir / "latin1.nc", "(D\xFC\x62\x65L)\r\n");
  WriteFile(dir / "escape.nc", "N10 \x1B[0m\r\n");
  { std::ofstream(dir / "big.nc", std::ios::binary).seekp(kMaxProgramFileBytes) << 'N'; }
  const std::pair<std::string, std::string> cases[] = {
      {"nul.nc", "it is not a text file"},  {"latin1.nc", "it is not a text file"},
      {"escape.nc", "it is not a text file"}, {"big.nc", "it is larger than 16 MB"},
      {"missing.nc", "No such file or directory"}, {".", "it is a folder"},
  };
  for (const auto& [name, why] : cases) {
    const test::Trace before = TraceOf(s);
    const std::string path = (dir / name).string();
    EXPECT_FALSE(s.runner.Open(dir / name)) << name;
    const test::Trace after = TraceOf(s);
    EXPECT_EQ(after.output, before.output) << name;
    EXPECT_EQ(after.blockNumber, before.blockNumber) << name;
    EXPECT_EQ(after.undoCount, 1) << name;
    EXPECT_TRUE(after.undoEnabled) << name;
    ASSERT_EQ(after.messages, before.messages + 1) << name;
    EXPECT_EQ(s.runner.Messages().back(), "[Open Program] Cannot open " + path + ": " + why);
    EXPECT_TRUE(s.runner.file().Modified(s.runner.app()));
  }
}

TEST(ProgramFile, SaveWritesTheBoxExactlyAndReplacesTheTargetOfALink) {
  Session s;
  ASSERT_TRUE(s.started);
  s.runner.Tab(5);
  s.runner.Click(id::kReamOk);
  s.runner.Set(id::kOutput, s.Output() + "(TYPED, NO LINE END)");
  const std::string program = s.Output();
  EXPECT_TRUE(s.runner.file().Modified(s.runner.app()));

  const fs::path dir = s.home.path();
  WriteFile(dir / "real.nc", "OLD");
  fs::permissions(dir / "real.nc", fs::perms::owner_read | fs::perms::owner_write |
                                       fs::perms::group_read);
  fs::create_symlink("real.nc", dir / "link.nc");
  ASSERT_TRUE(s.runner.Save(dir / "link.nc"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.nc"));
  EXPECT_EQ(ReadFile(dir / "real.nc"), program);
  EXPECT_EQ(fs::status(dir / "real.nc").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_FALSE(fs::exists(dir / "real.nc.new"));
  EXPECT_FALSE(s.runner.file().Modified(s.runner.app()));
  EXPECT_EQ(s.runner.file().Path(), dir / "link.nc");

  // Opened again, the box holds the same bytes.
  s.runner.New();
  EXPECT_EQ(s.Output(), "");
  ASSERT_TRUE(s.runner.Open(dir / "real.nc"));
  EXPECT_EQ(s.Output(), program);
}

TEST(ProgramFile, AFailedSaveSaysWhyAndKeepsTheOldFile) {
  Session s;
  ASSERT_TRUE(s.started);
  s.runner.Tab(5);
  s.runner.Click(id::kReamOk);
  const fs::path dir = s.home.path();
  WriteFile(dir / "plain", "a regular file, so no folder can be under it");
  fs::create_directory(dir / "folder.nc");
  WriteFile(dir / "folder.nc" / "kept", "x");
  const std::pair<fs::path, std::string> cases[] = {
      {dir / "plain" / "out.nc", "Not a directory"},
      {dir / "folder.nc", "Is a directory"},
  };
  for (const auto& [path, why] : cases) {
    EXPECT_FALSE(s.runner.Save(path));
    EXPECT_EQ(s.runner.Messages().back(), "[Save Program] Cannot save " + path.string() + ": " + why);
    EXPECT_TRUE(s.runner.file().Modified(s.runner.app()));
    EXPECT_TRUE(s.runner.file().Path().empty());
  }
  EXPECT_EQ(ReadFile(dir / "plain"), "a regular file, so no folder can be under it");
  EXPECT_EQ(ReadFile(dir / "folder.nc" / "kept"), "x");
  EXPECT_FALSE(fs::exists(dir / "folder.nc.new"));
}

}  // namespace
}  // namespace tbx
