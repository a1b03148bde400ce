#include "app/catalogue.h"
#include "app/events.h"
#include "test_support.h"

namespace tbx {
namespace {

using test::Session;

TEST(NormalizeField, RewritesNumericBoxesWhenTheUserLeavesThem) {
  struct Case {
    ControlId box;
    const char* typed;
    const char* shown;
  };
  const Case cases[] = {
      {id::kThreadMajorDia, "2", "2."},        {id::kThreadMajorDia, "0.5", ".5"},
      {id::kThreadPitch, "-0.50", "-.5"},      {id::kThreadZEnd, "1.23456", "1.2346"},
      {id::kThreadZStart, "", "0."},           {id::kDwellPasses, "abc", "abc"},
      {id::kLeads, "3mm", "3mm"},               {id::kMaxSpm, "1234.5678", "1234.568"},
      {id::kThreadMajorDia, "1/2", "1/2"},      {id::kTaperAngle, ".00004", "0."},
      {id::kGrooveWidth, "-.00006", "-.0001"}, {id::kXToolChange, "4.25", "4.25"},
      {id::kTapDia, "&H10", "&H10"},          {id::kRightSize, " 1e1", "10."},
      {id::kThreadZEnd, "99999999", "99999999"}, {id::kThreadZEnd, "9999999", "9999999."},
  };
  for (const Case& c : cases) {
    Session s;
    if (!s.runner.form().Control(kMainForm, c.box)->enabled) s.runner.app().Enable(c.box);
    s.runner.Type(c.box, c.typed);
    EXPECT_EQ(s.Text(c.box), c.shown) << c.box << " \"" << c.typed << "\"";
  }
}

TEST(NormalizeField, BoxesOutsideTheListKeepTheirText) {
  Session s;
  for (ControlId box : {id::kDeepDrillDia, id::kDeepStart, id::kThreadComment, id::kSpm,
                        id::kDeepComment, id::kOutput}) {
    s.runner.Type(box, "0.50");
    EXPECT_EQ(s.Text(box), "0.50") << box;
  }
}

TEST(Dispatch, IgnoresEventsOutsideTheTable) {
  Session s;
  App& app = s.runner.app();
  s.runner.Set(id::kThreadMajorDia, "0.50");
  // A change instead of the end of editing, another form, an unknown control, a label.
  DispatchEvent(app, kMainForm, id::kThreadMajorDia, kMsgChange, 0);
  DispatchEvent(app, "OTHER", id::kThreadMajorDia, kMsgLeave, 0);
  DispatchEvent(app, kMainForm, 9999, kMsgClick, 0);
  DispatchEvent(app, kMainForm, 150, kMsgClick, 0);
  EXPECT_EQ(s.Text(id::kThreadMajorDia), "0.50");
  s.runner.Pick(id::kOffset, 5);  // the offset is only read when an operation is written
  EXPECT_EQ(s.Text(id::kOffset), "06");
  EXPECT_EQ(s.Text(id::kTool), "T01");
  EXPECT_TRUE(s.runner.Messages().empty());
  EXPECT_EQ(s.Output(), "");
}

TEST(Dispatch, AboutMenuShowsTheAboutFormAndItsOkHidesIt) {
  Session s;
  s.runner.Menu();
  EXPECT_TRUE(s.runner.form().Form(kAboutForm)->shown);
  DispatchEvent(s.runner.app(), kAboutForm, 2, kMsgClick, 0);
  EXPECT_FALSE(s.runner.form().Form(kAboutForm)->shown);
  EXPECT_TRUE(s.runner.Running());
}

TEST(TabChange, ShowsTheLayerAndSetsTheSurfaceSpeed) {
  Session s;
  App& app = s.runner.app();
  EXPECT_EQ(s.Text(id::kSpm), "325");  // kept until the first tab change
  s.runner.Tab(9);
  EXPECT_EQ(s.runner.form().Form(kMainForm)->visibleLayer, 9);
  EXPECT_TRUE(s.runner.form().IsVisible(kMainForm, id::kMetric));
  EXPECT_FALSE(s.runner.form().IsVisible(kMainForm, id::kMaterialList));
  EXPECT_EQ(s.Text(id::kSpm), "");
  s.runner.Tab(3);
  EXPECT_FALSE(s.Text(id::kSpm).empty());
  // A tab number outside 1..13 changes nothing.
  DispatchEvent(app, kMainForm, id::kTabs, kMsgChange, 14);
  EXPECT_EQ(s.runner.form().Form(kMainForm)->visibleLayer, 3);
}

TEST(Dispatch, DisabledControlsTakeNoUserAction) {
  Session s;
  s.runner.Set(id::kThreadPasses, "3");
  EXPECT_EQ(s.Text(id::kThreadPasses), "10.");
  EXPECT_FALSE(s.runner.Click(id::kLeftHand));
  EXPECT_FALSE(s.runner.app().Checked(id::kLeftHand));
  EXPECT_NE(s.err.str().find("disabled"), std::string::npos);
}

// An operation never lands after an end already in the box, where it would never run.
TEST(WriteOperation, GoesBeforeTheEndOfTheProgram) {
  const struct {
    const char* box;      // typed before the OK
    const char* program;  // @: the operation's blocks
  } cases[] = {
      {"N10 G0 X1.\r\nM30\r\n%\r\n", "N10 G0 X1.\r\n@M30\r\n%\r\n"},
      {"%\r\nN10 X1.\r\n%\r\n(NOTES)\r\n", "%\r\nN10 X1.\r\n@%\r\n(NOTES)\r\n"},
      {"N10 M2\r\nN20 X1.\nM30", "@N10 M2\r\nN20 X1.\nM30"},
      {"N10 M3 (M30 LATER)\r\n", "N10 M3 (M30 LATER)\r\n@"},
      {"%\nN10 M30", "%\n@N10 M30"},
  };
  Session alone;
  alone.runner.Tab(FindField(StandardOperations(), id::kReamOk).page);
  alone.runner.Click(id::kReamOk);
  for (const auto& c : cases) {
    Session s;
    s.runner.Set(id::kOutput, c.box);
    s.runner.Tab(FindField(StandardOperations(), id::kReamOk).page);
    s.runner.Click(id::kReamOk);
    std::string expected = c.program;
    expected.replace(expected.find('@'), 1, alone.Output());
    EXPECT_EQ(s.Output(), expected) << c.box;
    s.runner.Click(id::kUndo);
    EXPECT_EQ(s.Output(), c.box);
  }
}

}  // namespace
}  // namespace tbx
