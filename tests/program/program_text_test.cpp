#include "app/catalogue.h"
#include "test_support.h"

namespace tbx {
namespace {

using test::Program;
using test::Session;

// A stand-in operation: a comment and four blocks, leaving RapidMode as given.
bool SmallOperation(App& app, int rapidAfter, std::string_view comment = "TAP") {
  Operation op(app.program.rapidMode);
  op.Comment({}, comment);
  op.Block(op.Axis('S', 3310));
  op.Block(" G0" + op.Axis('Z', .3));
  op.Block(op.Axis('X', 0));
  op.Block(" G84" + op.Axis('Z', -1) + op.Feed(.0625));
  op.RapidMode() = rapidAfter;
  return WriteOperation(app, op);
}

TEST(ProgramText, OperationIsFramedByToolChangeAndReturn) {
  Session s;
  ASSERT_TRUE(SmallOperation(s.runner.app(), 1));
  EXPECT_EQ(s.Output(), Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 S3310.", "N40 G0 Z.3",
                                 "N50 X0.", "N60 G84 Z-1. F.0625", "N70 X4.", "N80 Z6. M9",
                                 "N90 M1"}));
  EXPECT_EQ(s.runner.app().program.blockNumber, 100);
}

TEST(ProgramText, ReturnWritesG0OnlyAfterAFeedMove) {
  Session s;
  ASSERT_TRUE(SmallOperation(s.runner.app(), 0));
  EXPECT_NE(s.Output().find("N70 G0 X4.\r\n"), std::string::npos);
  EXPECT_EQ(s.runner.app().program.rapidMode, 1);
}

TEST(ProgramText, ToolBlockFollowsToolOffsetAndCoolant) {
  Session s;
  s.runner.Pick(id::kTool, 4);
  s.runner.Click(id::kCoolant);
  ASSERT_TRUE(SmallOperation(s.runner.app(), 1, ""));
  EXPECT_EQ(s.Output().substr(0, 15), "N10 T0505\r\nN20 ");  // tool picks its offset; no M8
  EXPECT_NE(s.Output().find("Z6. M9"), std::string::npos);
}

TEST(ProgramText, NextOperationContinuesAfterUserEdits) {
  Session s;
  App& app = s.runner.app();
  s.runner.Set(id::kOutput, "%\r\n");
  ASSERT_TRUE(SmallOperation(app, 1));
  EXPECT_EQ(s.Output().substr(0, 17), "%\r\nN10 T0101 M8\r\n");
  ASSERT_TRUE(SmallOperation(app, 1));
  EXPECT_NE(s.Output().find("N90 M1\r\nN100 T0101 M8\r\n"), std::string::npos);
}

TEST(ProgramText, RefusedOperationLeavesNoTrace) {
  struct Case {
    const char* name;
    const char* xToolChange;
    double value;
    const char* message;
  };
  const Case cases[] = {
      {"word in exponent form", "4.", 1e12, "The X word is out of range (1E+12)"},
      {"infinite word", "4.", std::numeric_limits<double>::infinity(),
       "The X word is out of range (INF)"},
      {"tool change not a number", "hello", 1, "X Axis Tool Change must be a number"},
      {"tool change empty", "", 1, "X Axis Tool Change must be a number"},
      {"tool change in exponent form", "2.147484E+9.", 1, "X Axis Tool Change must be a number"},
      {"tool change without a point", "1677720", 1,
       "X Axis Tool Change must be written with a decimal point"},

  };
  for (const Case& c : cases) {
    Session s;
    App& app = s.runner.app();
    s.runner.Set(id::kOutput, "kept");
    app.SetText(id::kXToolChange, c.xToolChange);
    const test::Trace before = test::TraceOf(s);
    Operation op(app.program.rapidMode);
    op.Block(op.Axis('X', c.value));
    EXPECT_FALSE(WriteOperation(app, op)) << c.name;
    EXPECT_TRUE(test::Refused(s, before, c.message)) << c.name;
  }
}

// A refusal names its field by key; the message puts the captions in, "{}" for the field blamed.
TEST(ProgramText, RefusalMessagesPutInTheCaptionsOfTheirKeys) {
  const struct {
    Refusal refusal;
    const char* message;
  } cases[] = {
      {{"thread.major_dia", "{} must be greater than 0"}, "Major Dia must be greater than 0"},
      {{"face.end_dia", "{} must not be above {face.stock_dia}"},
       "End Dia must not be above Stock Dia"},
      {{"csink_drill.c_sink_dia", "{}"}, "C'Sink Dia."},
      {{"groove.step", "{} and {groove.tool_width}"}, "% Step and Tool Width"},
      {{"deep_drill.peck_value_max", "{}"}, "Peck Value (Max)"},
      {{"shared.spm", "{}"}, "SPM"},
      {{"thread.taper_angle", "{}"}, "Taper Angle"},
      {{"settings.z_axis_tool_change", "{}"}, "Z Axis Tool Change"},
      {{"groove.right", "{} {groove.left}"}, "Right Left"},
      {{"thread.code_type", "{}: {thread.code_type.g32_code}"}, "Code Type: G32 Code"},
      {{"", "The operation would write more than 9999 blocks"},
       "The operation would write more than 9999 blocks"},
      {{"", "{no.such_key} {unclosed"}, "no.such_key {unclosed"},
  };
  auto captionOf = [](std::string_view key) { return CaptionOfKey(StandardOperations(), key); };
  for (const auto& c : cases) EXPECT_EQ(RefusalMessage(c.refusal, captionOf), c.message);
}

TEST(ProgramText, ToolChangeTextIsWrittenAsItStands) {
  Session s;
  s.runner.Set(id::kXToolChange, "4.0000");
  ASSERT_TRUE(SmallOperation(s.runner.app(), 1, ""));
  EXPECT_NE(s.Output().find(" X4.0000\r\n"), std::string::npos);
}

TEST(ProgramText, OperationsAreLimitedToNineThousandNineHundredNinetyNineBlocks) {
  for (int own : {9995, 9996}) {
    Session s;
    App& app = s.runner.app();
    Operation op(0);
    for (int i = 0; i < own; ++i) op.Block(" M0");
    EXPECT_EQ(WriteOperation(app, op), own == 9995) << own;
  }
}

TEST(ProgramText, BlockNumbersKeepCountingPast32767) {
  Session s;
  App& app = s.runner.app();
  app.program.blockNumber = 32760;
  ASSERT_TRUE(SmallOperation(app, 1, ""));
  EXPECT_NE(s.Output().find("N32770 S3310."), std::string::npos);
  EXPECT_NE(s.Output().find("N32830 M1"), std::string::npos);
  RestoreUndo(app);
  EXPECT_EQ(app.program.blockNumber, 32760);
}

TEST(ProgramText, CopyTakesTheBoxAsItStands) {
  Session s;
  ASSERT_TRUE(SmallOperation(s.runner.app(), 1));
  s.runner.Set(id::kOutput, s.Output() + "edited");
  s.runner.Click(id::kCopy);
  EXPECT_EQ(s.runner.form().Clipboard(), s.Output());
  s.runner.Set(id::kOutput, "");
  s.runner.Click(id::kCopy);
  EXPECT_EQ(s.runner.form().Clipboard(), "");
}

}  // namespace
}  // namespace tbx
