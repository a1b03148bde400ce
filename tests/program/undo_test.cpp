#include <deque>
#include <random>

#include "app/program_file.h"
#include "test_support.h"
#include "toolpath/expander.h"

namespace tbx {
namespace {

using test::Session;

// One operation of one block: the block number tells the operations apart.
void Operate(App& app) {
  Operation op(app.program.rapidMode);
  op.Block(" M0");
  op.RapidMode() = 1;
  ASSERT_TRUE(WriteOperation(app, op));
}

bool UndoEnabled(Session& s) { return s.runner.form().Control(kMainForm, id::kUndo)->enabled; }

TEST(Undo, OneOperationThenUndoRestoresTheStart) {
  Session s;
  EXPECT_FALSE(UndoEnabled(s));
  Operate(s.runner.app());
  EXPECT_TRUE(UndoEnabled(s));
  ASSERT_TRUE(s.runner.Click(id::kUndo));
  EXPECT_EQ(s.Output(), "");
  EXPECT_EQ(s.runner.app().program.blockNumber, 10);
  EXPECT_FALSE(UndoEnabled(s));
  EXPECT_FALSE(s.runner.Click(id::kUndo));  // disabled: no event, nothing changes
}

TEST(Undo, RestoreWithAnEmptyHistoryChangesNothing) {
  Session s;
  App& app = s.runner.app();
  s.runner.Set(id::kOutput, "typed\r\n");
  app.program.blockNumber = 70;
  RestoreUndo(app);
  EXPECT_EQ(s.Output(), "typed\r\n");
  EXPECT_EQ(app.program.blockNumber, 70);
  EXPECT_EQ(app.undo.Count(), 0);
  EXPECT_FALSE(UndoEnabled(s));
}

TEST(Undo, TenOperationsThenNineUndosReachTheSecondOperationsStart) {
  Session s;
  App& app = s.runner.app();
  std::string beforeSecond;
  for (int i = 0; i < 10; ++i) {
    if (i == 1) beforeSecond = s.Output();
    Operate(app);
  }
  for (int i = 0; i < 9; ++i) {
    EXPECT_TRUE(UndoEnabled(s)) << i;
    s.runner.Click(id::kUndo);
  }
  EXPECT_EQ(s.Output(), beforeSecond);
  EXPECT_EQ(app.program.blockNumber, 60);  // the second operation began at N60
  EXPECT_FALSE(UndoEnabled(s));
}

TEST(Undo, EditsBeforeAnOperationAreKeptAndEditsAfterAreLost) {
  Session s;
  App& app = s.runner.app();
  s.runner.Set(id::kOutput, "typed before\r\n");
  Operate(app);
  s.runner.Set(id::kOutput, s.Output() + "typed after\r\n");
  s.runner.Click(id::kUndo);
  EXPECT_EQ(s.Output(), "typed before\r\n");
}

TEST(Undo, NextOperationReusesTheBlockNumbersTakenBack) {
  Session s;
  App& app = s.runner.app();
  Operate(app);
  std::string first = s.Output();
  Operate(app);
  s.runner.Click(id::kUndo);
  Operate(app);
  EXPECT_EQ(s.Output().substr(first.size(), 15), "N60 T0101 M8\r\nN");
}


// The history as plain copies: every entry the whole box and its block number, the oldest
// dropped when a tenth comes.
struct ReferenceHistory {
  std::string box;
  std::int64_t blockNumber = 10;
  std::string saved;  // what the file holds, for Modified
  std::deque<std::pair<std::string, std::int64_t>> entries;

  void Save() {
    entries.emplace_back(box, blockNumber);
    if (entries.size() == 10) entries.pop_front();
  }
  void Restore() {
    if (entries.empty()) return;
    std::tie(box, blockNumber) = entries.back();
    entries.pop_back();
  }
  void Restart(std::string text) {
    box = saved = std::move(text);
    blockNumber = NextBlockNumber(box);
    entries.clear();
  }
};

// Random runs of operations (some refused), typing anywhere in the box, Open, New, Save and
// Undo, against the reference: after every step the box, the block number, the history's
// depth, the Undo button and the unsaved-changes flag agree.
TEST(Undo, RandomRunsMatchAHistoryOfWholeCopies) {
  const test::TempHome files;
  const std::filesystem::path opened = files.path() / "opened.nc", saved = files.path() / "saved.nc";
  test::WriteFile(opened, "N500 G0 X1.\n( \xC3\x98 50 )\rM30");
  for (unsigned seed = 1; seed <= 100; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    Session s;
    App& app = s.runner.app();
    ReferenceHistory ref;
    for (int step = 0; step < 100; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      const std::size_t action = below(20);
      if (action < 9) {  // an operation
        Operation op(app.program.rapidMode);
        op.Block(" M" + std::to_string(below(100)) + std::string(below(40), 'X'));
        if (below(4) == 0) op.Comment({}, "\xC3\x98 " + std::to_string(step));
        if (below(8) == 0) op.Refuse({}, "refused " + std::to_string(step));
        ProgramState state = app.program;
        std::string expected = ref.box;
        // Typed text may hold an M30: the operation goes before it.
        if (const int end = toolpath::ProgramEndLine(expected); end > 0) {
          std::size_t at = 0;
          for (int line = 1; line < end; ++line) {
            at = expected.find_first_of("\r\n", at);
            at += expected.compare(at, 2, "\r\n") == 0 ? 2 : 1;
          }
          std::string blocks;
          AppendOperation(blocks, state, ContextOf(app).toolChange, op);
          expected.insert(at, blocks);
        } else {
          const bool open = !expected.empty() && expected.back() != '\n' && expected.back() != '\r';
          if (open) expected += state.newLine;
          AppendOperation(expected, state, ContextOf(app).toolChange, op);
        }
        if (WriteOperation(app, op)) {
          ref.Save();
          ref.box = expected;
          ref.blockNumber = state.blockNumber;
        }
      } else if (action < 14) {  // Undo, clicked only while enabled
        if (s.runner.Click(id::kUndo)) ref.Restore();
      } else if (action < 17) {  // typing: a piece taken out, text put in
        std::string text = s.Output();
        const std::size_t at = below(text.size() + 1);
        text.erase(at, below(text.size() - at + 1) / (below(3) + 1));
        static const char* const kTyped[] = {"", "(HAND)", "G4 P1\r\n", "\r", "\r\n", "X"};
        text.insert(below(text.size() + 1), kTyped[below(6)]);
        ASSERT_TRUE(s.runner.Set(id::kOutput, text));
        ref.box = text;
      } else if (action == 17) {
        ASSERT_TRUE(s.runner.Open(opened));
        ref.Restart(ToCrLf(test::ReadFile(opened)));
      } else if (action == 18) {
        s.runner.New();
        ref.Restart("");
      } else {
        // A cut through a multi-byte character is no text Open would take back: not saved.
        const bool text = IsProgramText(ref.box);
        ASSERT_EQ(s.runner.Save(saved), text);
        if (text) ref.saved = ref.box;
      }
      ASSERT_EQ(s.Output(), ref.box);
      ASSERT_EQ(app.program.blockNumber, ref.blockNumber);
      ASSERT_EQ(app.undo.Count(), static_cast<int>(ref.entries.size()));
      ASSERT_EQ(UndoEnabled(s), !ref.entries.empty());
      ASSERT_EQ(s.runner.file().Modified(app), ref.box != ref.saved);
    }
  }
}

}  // namespace
}  // namespace tbx
