// The job: the steps every OK and every pause in typing make, and the program rebuilt from them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/job.h"
#include "test_support.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> JobScripts() {
  std::vector<fs::path> jobs;
  for (const auto& entry : fs::directory_iterator(TURNBRIX_JOBS))
    if (entry.path().extension() == ".job") jobs.push_back(entry.path());
  std::sort(jobs.begin(), jobs.end());
  return jobs;
}

// A session on the shipped files, as the job scripts run.
struct Shipped : test::Session {
  Shipped() : test::Session(test::ReadFile(fs::path(TURNBRIX_RESOURCES) / "default.txt")) {}
};

// Every job script, replayed: its steps make the program, and rebuilding them from their values
// gives the program's bytes exactly.
TEST(Job, EveryJobScriptRebuildsToItsProgram) {
  const std::vector<fs::path> jobs = JobScripts();
  ASSERT_GE(jobs.size(), 15u);
  for (const fs::path& job : jobs) {
    SCOPED_TRACE(job.filename().string());
    Shipped s;
    ASSERT_TRUE(s.started);
    std::ifstream script(job);
    ASSERT_EQ(s.runner.RunScript(script), 0) << s.err.str();
    App& app = s.runner.app();
    SyncJob(app);
    EXPECT_EQ(JobText(app.job), s.Output());
    const std::size_t operations = static_cast<std::size_t>(
        std::count_if(app.job.steps.begin(), app.job.steps.end(), [](const JobStep& st) { return !st.IsText(); }));
    const Rebuilt rebuilt = RebuildJob(app.operations, app.job);
    EXPECT_TRUE(rebuilt.refusal.empty()) << rebuilt.refusal.text;
    EXPECT_TRUE(test::SameProgram(rebuilt.text, s.Output()));
    EXPECT_EQ(rebuilt.state.blockNumber, app.program.blockNumber);
    if (s.Output().find("T0") != std::string::npos) EXPECT_GT(operations, 0u);
  }
}

// Typing before, between, after and inside steps: what was typed becomes text at its place, or
// marks the step it fell in as edited by hand; a rebuild keeps every typed byte.
TEST(Job, TypingMakesTextStepsAndHandEditedSteps) {
  const struct {
    const char* name;
    std::size_t step;  // typed at the start of this step's text (steps.size(): at the end)
    std::size_t into;  // this many bytes into it
    const char* typed;
    const char* kinds;  // t text, o operation, e edited, for each step afterwards
  } cases[] = {
      {"before", 0, 0, "(SETUP)\r\n", "too"},
      {"between", 1, 0, "M0\r\n", "oto"},
      {"after", 2, 0, "(END)", "oot"},
      {"inside", 1, 5, "Z", "oe"},
      {"over a boundary", 0, 0, "", "t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Shipped s;
    App& app = s.runner.app();
    s.runner.Tab(5);
    s.runner.Click(id::kReamOk);
    s.runner.Type(id::kReamerDia, ".625");
    s.runner.Click(id::kReamOk);
    std::string box = s.Output();
    std::size_t at = 0;
    for (std::size_t i = 0; i < c.step && i < app.job.steps.size(); ++i) at += app.job.steps[i].text.size();
    if (std::string(c.name) == "over a boundary") {
      // A selection from inside the first step into the second, deleted.
      box.erase(app.job.steps[0].text.size() - 4, 8);
    } else {
      box.insert(at + c.into, c.typed);
    }
    s.runner.Set(id::kOutput, box);
    SyncJob(app);
    std::string kinds;
    for (const JobStep& st : app.job.steps) kinds += st.IsText() ? 't' : st.edited ? 'e' : 'o';
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(JobText(app.job), box);
    const Rebuilt rebuilt = RebuildJob(app.operations, app.job);
    EXPECT_EQ(rebuilt.text, box);
    // The next OK comes after all of it.
    s.runner.Click(id::kReamOk);
    EXPECT_EQ(s.Output().substr(0, box.size()), box);
    EXPECT_EQ(RebuildJob(app.operations, app.job).text, s.Output());
  }
}

}  // namespace
}  // namespace tbx
