#include "test_support.h"

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
  EXPECT_EQ(app.undo.undoCount, 0);
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

}  // namespace
}  // namespace tbx
