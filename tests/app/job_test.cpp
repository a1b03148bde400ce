// The job: the steps every OK and every pause in typing make, and the program rebuilt from them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/job.h"
#include "app/job_file.h"
#include "app/machine_boxes.h"
#include "app/step_sizes.h"
#include "toolpath/expander.h"
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
    // Compensated steps read their tools from the library the session had.
    const Rebuilt rebuilt = RebuildJob(app.operations, app.job, &app.tools);
    EXPECT_TRUE(rebuilt.refusal.empty()) << rebuilt.refusal.text;
    EXPECT_TRUE(test::SameProgram(rebuilt.text, s.Output()));
    EXPECT_EQ(rebuilt.state.blockNumber, app.program.blockNumber);
    if (s.Output().find("T0") != std::string::npos) EXPECT_GT(operations, 0u);

    // Saved, the program and its job reopen as the same steps; the job alone rebuilds it.
    const fs::path program = s.home.path() / "part.nc";
    ASSERT_TRUE(s.runner.Save(program));
    for (const fs::path& opened : {program, fs::path(s.home.path() / "part.tbx")}) {
      Shipped again;
      ASSERT_TRUE(again.runner.Open(opened)) << again.err.str();
      EXPECT_EQ(again.err.str(), "");
      EXPECT_TRUE(test::SameProgram(again.Output(), s.Output())) << opened;
      Job& reopened = again.runner.app().job;
      ASSERT_EQ(reopened.steps.size(), app.job.steps.size());
      EXPECT_EQ(RebuildJob(again.runner.app().operations, reopened, &app.tools).text, s.Output());
      EXPECT_EQ(again.runner.app().program.blockNumber, app.program.blockNumber);
      EXPECT_EQ(reopened.stock, app.job.stock);
    }
  }
}

// A job file that cannot be read whole is refused naming its line, and nothing changes; one
// that does not belong to the program beside it leaves the program one text step, and says so.
TEST(Job, JobFilesThatCannotBeTakenAreRefusedOrLeftAside) {
  const std::string good = "format = 1\nprogram_digest = \"x\"\n[[steps]]\nkind = \"ream\"\n";
  const struct {
    const char* name;
    std::string file;
    const char* said;  // the message box, or the note after "note: "
  } cases[] = {
      {"no TOML", "format = 1\n[[steps]\n", "[Open Program] Cannot open @: line 2: "},
      {"another format", "format = 2\n", "[Open Program] Cannot open @: line 1: not a job file of format 1"},
      {"a key naming no control", good + "ream.reamer_width = \"1.\"\n",
       "[Open Program] Cannot open @: line 5: ream.reamer_width names no control"},
      {"a value of the wrong kind", good + "ream.feed_out = \"yes\"\n",
       "[Open Program] Cannot open @: line 5: ream.feed_out must be true or false"},
      {"no operation", "format = 1\n[[steps]]\nkind = \"material\"\n",
       "[Open Program] Cannot open @: line 3: \"material\" is no operation that writes blocks"},
      {"an unknown key", good + "colour = \"red\"\nthread.major_dia = \"1.\"\n",
       "note: @: line 5: colour is not a setting of a step: left out"},
      {"a stock that cannot be cut", "format = 1\n[stock]\nouter_dia = 2.0\nbore = 2.5\n",
       "[Open Program] Cannot open @: line 2: stock: the bore must be smaller than the outer diameter"},
      {"a stock of no size", "format = 1\n[stock]\nbore = 0.5\n",
       "[Open Program] Cannot open @: line 2: stock: outer_dia must be more than 0"},
      {"a stock key unknown", "format = 1\n[stock]\nouter_dia = 2\nwidth = 1\n",
       "[Open Program] Cannot open @: line 4: width is not a setting of the stock"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Shipped s;
    const fs::path path = s.home.path() / "job.tbx";
    test::WriteFile(path, c.file);
    s.runner.Set(id::kOutput, "KEPT");
    const bool opened = s.runner.Open(path);
    std::string said = c.said;
    said.replace(said.find('@'), 1, path.string());
    EXPECT_EQ(s.err.str().substr(0, said.size()), said);
    EXPECT_EQ(opened, said.rfind("note", 0) == 0);
    if (!opened) EXPECT_EQ(s.Output(), "KEPT");
  }
  // The program changed outside Turnbrix: opened as it is, one text step.
  Shipped s;
  s.runner.Tab(5);
  s.runner.Click(id::kReamOk);
  const fs::path program = s.home.path() / "p.nc";
  ASSERT_TRUE(s.runner.Save(program));
  test::WriteFile(program, test::ReadFile(program) + "M30\r\n");
  Shipped again;
  ASSERT_TRUE(again.runner.Open(program));
  EXPECT_EQ(again.err.str(), "note: The steps were not restored: " + (s.home.path() / "p.tbx").string() +
                                 " belongs to another text: the program was changed outside Turnbrix\n");
  ASSERT_EQ(again.runner.app().job.steps.size(), 1u);
  EXPECT_TRUE(again.runner.app().job.steps[0].IsText());
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
      {"a blank line first", 0, 0, "\n", "too"},
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
    // Saved beside its program, the job opens again as the same steps.
    JobFileRead saved = ReadJobFile(app.operations, JobFileText(app.operations, app.job, Digest(box)));
    ASSERT_TRUE(saved) << saved.error;
    EXPECT_TRUE(TakeProgramTexts(saved, box));
    EXPECT_TRUE(saved.job.steps == app.job.steps);
    // The next OK comes after all of it.
    s.runner.Click(id::kReamOk);
    EXPECT_EQ(s.Output().substr(0, box.size()), box);
    EXPECT_EQ(RebuildJob(app.operations, app.job).text, s.Output());
  }
}

}  // namespace
}  // namespace tbx

namespace tbx {
namespace {

std::string RunJobScript(const std::string& script, std::string* err = nullptr, int* status = nullptr) {
  Shipped s;
  std::istringstream in(script);
  const int st = s.runner.RunScript(in);
  if (status) *status = st;
  if (err) *err = s.err.str();
  return s.out.str();
}

// Editing, moving, deleting and duplicating steps give exactly the program of the job made
// that way in the first place; typed text stays where it was, byte for byte; a line that
// cannot run changes nothing.
TEST(Job, StepCommandsGiveTheProgramOfTheJobMadeThatWay) {
  const std::string ream = "tab ream\nclick ream.ok\n", ream625 = "tab ream\ntype ream.reamer_diameter .625\nclick ream.ok\ntype ream.reamer_diameter .500\n";
  const std::string thread = "tab thread\ntype shared.spm 325\nclick thread.ok\n";
  const std::string face = "tab face\nclick face.ok\n", metricTurn = "tab 9\nclick 1030\ntab turn\nclick turn.ok\ntab 9\nclick 1030\n";
  const std::string note = "append (NOTE)\n";
  const std::string base = ream + note + ream625 + thread + face + metricTurn;
  const struct {
    const char* name;
    std::string commands;  // after the base job
    std::string madeSo;    // the same program made directly
  } cases[] = {
      {"rebuilt as it is", "", base},
      {"edit of the first step", "edit 1\ntype ream.z_hole_depth -2.\nclick ream.ok\n",
       "tab ream\ntype ream.z_hole_depth -2.\nclick ream.ok\ntype ream.z_hole_depth -1.\n" + note + ream625 + thread + face + metricTurn},
      {"edit with coolant off", "edit 4\nclick shared.coolant\nclick thread.ok\n",
       ream + note + ream625 + "tab thread\ntype shared.spm 325\nclick shared.coolant\nclick thread.ok\nclick shared.coolant\n" + face + metricTurn},
      {"edit of a metric step", "edit 6\ntype turn.depth_of_cut 1.5\nclick turn.ok\n",
       ream + note + ream625 + thread + face + "tab 9\nclick 1030\ntab turn\ntype turn.depth_of_cut 1.5\nclick turn.ok\ntab 9\nclick 1030\n"},
      {"edit cancelled", "edit 3\ntype ream.reamer_diameter .9\ncancel\n", base},
      {"move down", "move 1 5\n", note + ream625 + thread + face + ream + metricTurn},
      {"move up", "move 5 1\n", face + ream + note + ream625 + thread + metricTurn},
      {"delete", "delete 3\n", ream + note + thread + face + metricTurn},
      {"delete of text", "delete 2\n", ream + ream625 + thread + face + metricTurn},
      {"duplicate", "duplicate 4\n", ream + note + ream625 + thread + thread + face + metricTurn},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string err;
    int status = -1;
    const std::string got = RunJobScript(base + c.commands + "steps\nprint\n", &err, &status);
    EXPECT_EQ(status, 0) << err;
    const std::string want = RunJobScript(c.madeSo + "steps\nprint\n");
    EXPECT_TRUE(test::SameProgram(got, want));
    EXPECT_EQ(got.find("(NOTE)") != std::string::npos, c.madeSo.find("(NOTE)") != std::string::npos);
    // Undo gives back the program and the steps as they were before the command.
    if (c.madeSo != base)
      EXPECT_TRUE(test::SameProgram(RunJobScript(base + c.commands + "click shared.undo\nsteps\nprint\n"),
                                    RunJobScript(base + "steps\nprint\n")));
  }
  // Lines that cannot run: exit 2, nothing printed.
  for (const std::string bad : {"edit 9\n", "edit 2\n", "move 1 7\n", "edit 1\nedit 3\n", "edit 1\ndelete 2\n", "delete 0\n"}) {
    SCOPED_TRACE(bad);
    int status = 0;
    EXPECT_EQ(RunJobScript(base + bad + "print\n", nullptr, &status), "");
    EXPECT_EQ(status, 2);
  }
}

// A step typed over asks before its edits are replaced; the runner answers Replace.
TEST(Job, EditingAStepEditedByHandAsksFirst) {
  Shipped s;
  s.runner.Tab(5);
  s.runner.Click(id::kReamOk);
  const std::string made = s.Output();
  std::string box = made;
  box.replace(box.find("Z-1.1"), 5, "Z-1.2");
  s.runner.Set(id::kOutput, box);
  std::istringstream in("steps\nedit 1\nclick ream.ok\n");
  EXPECT_EQ(s.runner.RunScript(in), 0);
  EXPECT_EQ(s.out.str().substr(0, 11), "1 5 edited ");
  EXPECT_NE(s.err.str().find("[Edit Step] Step 1 was edited by hand. Replace the edits with newly generated blocks?\n"
                             "note: edit: answered Replace (no window to ask)\n"),
            std::string::npos);
  EXPECT_EQ(s.Output(), made);
}

// The steps against the part the simulation leaves: the whole part, a Turn, a bore and a
// Groove cut to size say nothing, nor does a Groove left for its finish pass; a finish pass
// typed over, or a blade narrower than the Tool Width the groove was written for, leaves its
// step short, said once on the step's first line.
TEST(Job, StepsThePartIsLeftShortOfAreNamed) {
  const std::string turn = "tool 1 1 od_turning shape=C radius=.031 orientation=3 lead_angle=-5\ntab 11\nclick 1380\n";
  const std::string bore = "tool 3 3 id_boring shape=D radius=.016 orientation=2 lead_angle=-3\nstock 2 1 0 -2.5\n"
                           "tab 11\npick 1040 2\nclick 1310\ntype 1315 1\ntype 1320 1.25\nclick 1380\n";
  const std::string groove = "stock 1 0 0 -2.5\ntab 7\npick 1040 3\ntype 835 -.25\ntype 850 .5\n";
  const std::string blade = "tool 4 4 grooving shape=blade radius=.008 orientation=3 width=";
  // The whole part with the tools its steps were written for.
  const std::string od = " od_turning shape=C radius=.031 orientation=3 lead_angle=";
  const std::string wholePart =
      "tool 1 1" + od + "-15\ntool 2 2" + od + "-5\ntool 3 3 centre_drill diameter=.5 point_angle=90\n"
      "tool 4 4 drill diameter=.5 point_angle=118\ntool 5 5 od_threading shape=T radius=.004 orientation=8\n"
      "tool 6 6 grooving shape=blade radius=.008 orientation=3 width=.125\n"
      "tool 7 7 parting shape=blade radius=.004 orientation=4 width=.125\n" +
      test::ReadFile(fs::path(TURNBRIX_JOBS) / "whole_part_inch.job");
  const struct {
    const char* name;
    std::string script;
    std::string typed, over;  // the program box typed over: `typed` in place of `over`
    std::string finding;      // on the last step
  } cases[] = {
      {"the whole part", wholePart, "", "", ""},
      {"turned to size", turn, "", "", ""},
      {"the finish pass typed .01 large", turn, "X1.51", "X1.5 ",
       "turned diameter left at X1.51 over Z-0.03 to Z-1: short of Final Dia X1.5"},
      {"bored to size", bore, "", "", ""},
      {"the bore's finish pass typed .01 small", bore, "X1.24", "X1.25 ",
       "bored diameter left at X1.24 over Z-0.03 to Z-1: short of Final Dia X1.25"},
      {"grooved to size", blade + ".125\n" + groove + "click 965\n", "", "", ""},
      {"roughed for its finish pass", blade + ".125\n" + groove + "click 962\nclick 965\n", "", "", ""},
      {"a blade narrower than Tool Width", blade + ".093\n" + groove + "type 855 .125\nclick 965\n", "", "",
       "grooved diameter left at X1 over Z-0.25 to Z-0.2888: short of Minor Dia X0.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Shipped s;
    std::istringstream script(c.script);
    ASSERT_EQ(s.runner.RunScript(script, false), 0) << s.err.str();
    App& app = s.runner.app();
    if (!c.typed.empty()) {
      std::string box = s.Output();
      const std::size_t at = box.rfind(c.over);
      ASSERT_NE(at, std::string::npos);
      s.runner.Set(id::kOutput, box.replace(at, c.over.size() - 1, c.typed));
    }
    SyncJob(app);
    toolpath::ToolpathSettings settings = ProgramToolpathSettings(app);
    const toolpath::Toolpath plain = toolpath::ExpandProgram(s.Output(), settings);
    settings.stock = StockInEffect(app.job, plain.extents.minZ);
    const toolpath::Toolpath path = toolpath::ExpandProgram(s.Output(), settings);
    ASSERT_TRUE(path.simulation);
    std::vector<std::pair<int, std::string>> found;
    for (const toolpath::Finding& f : StepsLeftShort(app.job, path, settings)) found.push_back({f.line, f.text});
    std::vector<std::pair<int, std::string>> expected;
    if (!c.finding.empty()) expected.push_back({LinesOfSteps(app.job).back().first, c.finding});
    EXPECT_EQ(found, expected);
  }
}

// The Profile tab's From Stock: the job's own bar, else the one its first Face step gives; the
// bore for a contour inside; none known, a message and the boxes as they were.
TEST(Job, ProfileStartsFromTheStockOfTheJob) {
  const struct {
    const char* script;
    const char* dia;
    const char* z;
    const char* message;
  } cases[] = {
      {"tab 10\nclick 1260\ntab profile\n", "2.", ".05", nullptr},
      {"stock 2.5 .5 .1 -3\ntab profile\n", "2.5", ".1", nullptr},
      {"stock 2.5 .5 .1 -3\ntab profile\nclick 1606\n", ".5", ".1", nullptr},
      {"tab profile\nclick 1606\ntype 1615 1.\n", "1.", "0.", "No bore is known: set the stock (Edit, Stock) first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    test::Session s;
    std::istringstream script(std::string(c.script) + "click 1690\n");
    ASSERT_EQ(s.runner.RunScript(script, false), 0) << s.err.str();
    EXPECT_EQ(s.Text(id::kProfileStartDia), c.dia);
    EXPECT_EQ(s.Text(id::kProfileStartZ), c.z);
    EXPECT_EQ(s.runner.Messages(), c.message ? std::vector<std::string>{std::string("[Profile] ") + c.message}
                                             : std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace tbx
