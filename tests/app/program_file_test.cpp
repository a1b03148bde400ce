#include "app/program_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>

#include "data/machine_file.h"
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

// --- Saving safely, through the command line as a user's batch does ----------------------------

// What a writer leaves: the exit status (or the signal that ended it) and standard error.
struct CliRun {
  int status = -1;
  bool killed = false;
  std::string err;
};

struct CliLimits {
  rlim_t fileSize = RLIM_INFINITY;  // RLIMIT_FSIZE of the child: a disk that is full at once
  int killAfterMicroseconds = -1;   // SIGKILL the child this long after it started
};

CliRun RunCli(const fs::path& home, const std::string& script, const std::vector<std::string>& options,
              const CliLimits& limits = {}) {
  // The script comes through a pipe: the home folder may be a full disk.
  int errPipe[2], scriptPipe[2];
  if (pipe(errPipe) != 0 || pipe(scriptPipe) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    if (limits.fileSize != RLIM_INFINITY) {
      const rlimit limit{limits.fileSize, limits.fileSize};
      setrlimit(RLIMIT_FSIZE, &limit);
      signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
    }
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(errPipe[1], 2);
    dup2(scriptPipe[0], 0);
    close(errPipe[0]);
    close(scriptPipe[1]);
    std::vector<std::string> args{"turnbrix-cli", "--home", home.string()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("-");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(TURNBRIX_CLI, argv.data());
    _exit(127);
  }
  close(errPipe[1]);
  close(scriptPipe[0]);
  (void)!write(scriptPipe[1], script.data(), script.size());
  close(scriptPipe[1]);
  if (limits.killAfterMicroseconds >= 0) {
    usleep(static_cast<useconds_t>(limits.killAfterMicroseconds));
    kill(pid, SIGKILL);
  }
  CliRun run;
  char buffer[4096];
  for (ssize_t n; (n = read(errPipe[0], buffer, sizeof buffer)) > 0;) run.err.append(buffer, static_cast<std::size_t>(n));
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.killed = WIFSIGNALED(status);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The four kinds of file Turnbrix replaces, each written as a user would write it.
enum class Writer { Program, Export, Defaults, Machine };

struct WriterSpec {
  Writer writer;
  const char* name;
  const char* file;  // in the home folder
  int failedStatus;  // the exit status when the write fails
};
constexpr WriterSpec kWriters[] = {
    {Writer::Program, "save", "job.nc", 2},
    {Writer::Export, "--export", "job.nc", 2},
    {Writer::Defaults, "default.txt", "default.txt", 4},
    {Writer::Machine, "toolpath.txt", "toolpath.txt", 4},
};

// A comment, a line of another program, a value finer than 6 places, a line that is not read.
const std::string kOldMachine =
    "# shop notes\r\nrapid_x_mm_per_min = 9000\r\nspindle_make = ACME\r\ng76_min_cut_inch = 0.0000001\r\n"
    "max_rpm: 100\r\n";

// A program with LF line ends, `lines` blocks long.
std::string LfProgram(std::size_t lines, char tag) {
  std::string text;
  for (std::size_t i = 1; i <= lines; ++i) text += "N" + std::to_string(i * 10) + " G1 X1." + tag + " Z-2.\n";
  return text;
}

CliRun Write(const WriterSpec& w, const fs::path& home, const CliLimits& limits = {}) {
  const std::string program = (home / "new.nc").string(), target = (home / w.file).string();
  switch (w.writer) {
    case Writer::Program:
      return RunCli(home, "open " + program + "\nsave " + target + "\n", {}, limits);
    case Writer::Export:
      return RunCli(home, "open " + program + "\n", {"--export", "as-written", target}, limits);
    case Writer::Defaults:
      return RunCli(home, "tab 9\ntype 1010 4.5\nclick 1037\n", {}, limits);
    case Writer::Machine:
      return RunCli(home, "tab 9\ntype 1505 8000\nclick 1037\n", {}, limits);
  }
  return {};
}

// The old file of each writer, and whether a text is exactly the new one.
std::string OldContent(const WriterSpec& w) {
  return w.writer == Writer::Defaults ? test::kInchDefaults
         : w.writer == Writer::Machine ? kOldMachine
                                       : "(OLD)\r\n";
}
bool IsNew(const WriterSpec& w, const std::string& text, const std::string& program) {
  switch (w.writer) {
    case Writer::Program: return text == program;  // the LF file stays LF
    case Writer::Export: return text == ToCrLf(program);
    case Writer::Defaults: return text == "4.5\r\n6.\r\n0.\r\n";
    case Writer::Machine:
      // The comment and the line end kept, the value replaced in place, the rest added.
      return text.rfind("# shop notes\r\nrapid_x_mm_per_min = 8000\r\nspindle_make = ACME\r\n"
                        "g76_min_cut_inch = 0.0000001\r\nmax_rpm: 100\r\n",
                        0) == 0 &&
             text.find("\r\ng83_clearance_mm = 0.25\r\n") != std::string::npos &&
             ParseMachineSettings(text).rapidXMmPerMin == 8000 && ParseMachineSettings(text).g76MinCutInch == 1e-7;
  }
  return false;
}

// Files of the folder other than those a start-up and the test itself make.
std::vector<std::string> Leftovers(const fs::path& home) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(home)) {
    const std::string name = entry.path().filename().string();
    if (name.front() == '.') names.push_back(name);
  }
  return names;
}

mode_t Mode(const fs::path& file) {
  struct stat st {};
  lstat(file.c_str(), &st);
  return st.st_mode & 07777;
}

// Every way a save can meet its folder: the old file or the whole new one is there afterwards,
// never a part, never through a link, never someone else's file; failures say why and the
// batch's exit status says so.
TEST(SafeSaving, EveryFileIsTheOldOrTheWholeNewOne) {
  struct Case {
    const char* name;
    std::function<void(const fs::path& home, const fs::path& file)> plant;
    const char* refusal;  // in standard error when the save must fail, "" when it must succeed
    std::function<void(const fs::path& home, const fs::path& file)> check;
    CliLimits limits{};
    bool tmpfs = false;  // the home folder on a full tmpfs
  };
  const Case cases[] = {
      {"a plain file keeps its mode, and its owner where we may give files away",
       [](const fs::path&, const fs::path& file) {
         chmod(file.c_str(), 0640);
         if (geteuid() == 0) (void)!chown(file.c_str(), 4321, 4321);
       },
       "",
       [](const fs::path&, const fs::path& file) {
         struct stat st {};
         stat(file.c_str(), &st);
         EXPECT_EQ(st.st_mode & 07777, 0640u);
         if (geteuid() == 0) {
           EXPECT_EQ(st.st_uid, 4321u);
           EXPECT_EQ(st.st_gid, 4321u);
         }
       }},
      {"a file of the user's named FILE.new stays",
       [](const fs::path&, const fs::path& file) { WriteFile(file.string() + ".new", "mine"); }, "",
       [](const fs::path&, const fs::path& file) { EXPECT_EQ(ReadFile(file.string() + ".new"), "mine"); }},
      {"a link planted as FILE.new is not written through",
       [](const fs::path& home, const fs::path& file) {
         WriteFile(home / "victim", "victim");
         chmod((home / "victim").c_str(), 0600);
         fs::create_symlink(home / "victim", file.string() + ".new");
       },
       "",
       [](const fs::path& home, const fs::path& file) {
         EXPECT_EQ(ReadFile(home / "victim"), "victim");
         EXPECT_EQ(Mode(home / "victim"), 0600u);
         EXPECT_TRUE(fs::is_symlink(file.string() + ".new"));
         EXPECT_FALSE(fs::is_symlink(file));
       }},
      {"a read-only file is refused",
       [](const fs::path&, const fs::path& file) { chmod(file.c_str(), 0444); }, "it is read-only",
       [](const fs::path&, const fs::path& file) { EXPECT_EQ(Mode(file), 0444u); }},
      {"a link is followed and its target replaced",
       [](const fs::path& home, const fs::path& file) {
         fs::create_directory(home / "kept");
         fs::rename(file, home / "kept" / "real");
         fs::create_symlink(home / "kept" / "real", file);
       },
       "",
       [](const fs::path& home, const fs::path& file) {
         EXPECT_TRUE(fs::is_symlink(file));
         EXPECT_TRUE(Leftovers(home / "kept").empty());
       }},
      {"a disk that takes no more bytes (file-size limit)", nullptr, "File too large", nullptr,
       CliLimits{.fileSize = 1}},
      {"a full tmpfs", nullptr, "No space left on device", nullptr, {}, true},
      {"an LF program of 15.99 MB", [](const fs::path& home, const fs::path&) {
         // As CR LF it would pass the open limit: saved as it came, it opens again.
         WriteFile(home / "new.nc", LfProgram(kMaxProgramFileBytes / 22, '9'));
         ASSERT_GT(fs::file_size(home / "new.nc"), kMaxProgramFileBytes - (1u << 20));
       }, "", nullptr},
  };
  const std::string program = LfProgram(2000, '0');
  for (const Case& c : cases) {
    for (const WriterSpec& w : kWriters) {
      const std::string name = std::string(c.name) + " (" + w.name + ")";
      test::TempHome home;
      if (c.tmpfs && mount("tmpfs", home.path().c_str(), "tmpfs", 0, "size=256k") != 0) {
        std::cout << "[  SKIPPED ] " << name << ": no tmpfs can be mounted here\n";
        break;
      }
      WriteFile(home.path() / "default.txt", test::kInchDefaults);
      WriteFile(home.path() / "data.txt", test::ShippedData());
      WriteFile(home.path() / "new.nc", program);
      const fs::path file = home.path() / w.file;
      WriteFile(file, OldContent(w));
      const std::string old = OldContent(w);
      if (c.plant) c.plant(home.path(), file);
      if (c.tmpfs) {
        std::ofstream filler(home.path() / "filler", std::ios::binary);
        for (const std::string block(4096, 'x'); filler.write(block.data(), block.size());) {
        }
      }
      const CliRun run = Write(w, home.path(), c.limits);
      const std::string now = ReadFile(file);
      if (*c.refusal) {
        EXPECT_EQ(run.status, w.failedStatus) << name << run.err;
        EXPECT_EQ(now, old) << name;
        EXPECT_NE(run.err.find(c.refusal), std::string::npos) << name << run.err;
        EXPECT_NE(run.err.find(file.string()), std::string::npos) << name << ": the message names the file";
      } else {
        EXPECT_EQ(run.status, 0) << name << run.err;
        EXPECT_TRUE(IsNew(w, now, ReadFile(home.path() / "new.nc"))) << name << ":\n" << now.substr(0, 200);
        if (w.writer == Writer::Program) {
          EXPECT_EQ(RunCli(home.path(), "open " + file.string() + "\n", {}).status, 0) << name << ": opens again";
        }
      }
      if (w.writer == Writer::Machine) {
        EXPECT_NE(run.err.find("line 5: \"max_rpm: 100\": it is not \"name = value\""), std::string::npos)
            << name << run.err;
      }
      EXPECT_EQ(Leftovers(home.path()), std::vector<std::string>{}) << name << ": a new file left behind";
      if (c.check) c.check(home.path(), file);
      if (c.tmpfs) umount2(home.path().c_str(), MNT_DETACH);
    }
  }

  // Killed at any moment of a large save or export: the old program or the whole new one.
  const std::string programs[] = {LfProgram(100000, 'A'), LfProgram(100000, 'B')};
  for (const WriterSpec& w : {kWriters[0], kWriters[1]}) {
    test::TempHome home;
    WriteFile(home.path() / "default.txt", test::kInchDefaults);
    WriteFile(home.path() / "data.txt", test::ShippedData());
    const fs::path file = home.path() / w.file;
    WriteFile(home.path() / "new.nc", programs[0]);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Write(w, home.path()).status, 0) << w.name;
    const auto full = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::mt19937 random(7);
    std::uniform_int_distribution<long> moment(0, full.count());
    int killed = 0;
    for (int i = 0; i < 24; ++i) {
      WriteFile(home.path() / "new.nc", programs[(i + 1) % 2]);
      const CliRun run = Write(w, home.path(), {.killAfterMicroseconds = static_cast<int>(moment(random))});
      killed += run.killed;
      const std::string now = ReadFile(file);
      EXPECT_TRUE(IsNew(w, now, programs[0]) || IsNew(w, now, programs[1]))
          << w.name << " killed at round " << i << ": " << now.size() << " bytes";
    }
    EXPECT_GT(killed, 0) << w.name << ": no run was killed before it ended";
  }
}

}  // namespace
}  // namespace tbx
