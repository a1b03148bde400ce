#include <set>

#include "app/catalogue.h"
#include "app/tap_data.h"
#include "app/field_help.h"
#include "test_support.h"

namespace tbx {
namespace {

using test::Session;

TEST(FieldHelp, EveryFieldSaysWhatItMeasuresInTheUnitsOfTheSystem) {
  const Operations& ops = StandardOperations();
  Session s;
  for (const auto& [id, control] : s.runner.form().Form(kMainForm)->controls) {
    const FieldRef ref = FindField(ops, id);
    const bool field = ref && ref.field->id == id &&
                       (control.desc.kind == ControlKind::TextBox ||
                        control.desc.kind == ControlKind::ComboBox ||
                        control.desc.kind == ControlKind::ListBox);
    if (field) EXPECT_FALSE(Tooltip(ops, id, false).empty()) << "no help for " << id;
  }
  EXPECT_EQ(Tooltip(ops, id::kThreadMajorDia, false), "Major Dia: outside diameter of the thread (in)");
  EXPECT_EQ(Tooltip(ops, id::kThreadMajorDia, true), "Major Dia: outside diameter of the thread (mm)");
  EXPECT_EQ(Tooltip(ops, id::kGrooveFeed, true), "Feedrate: feed per spindle revolution (mm/rev)");
  EXPECT_EQ(Tooltip(ops, id::kSpm, false).substr(Tooltip(ops, id::kSpm, false).size() - 8), "(ft/min)");
  EXPECT_EQ(Tooltip(ops, id::kLeads, true), "Leads: number of starts of the thread (whole number)");
  EXPECT_EQ(Tooltip(ops, id::kThreadOk, false), "");
}

TEST(FieldHelp, LeavingABoxThatHeldNoNumberSaysWhatItReadsAs) {
  struct Case {
    ControlId id;
    const char* typed;
    const char* note;
  };
  const Case cases[] = {
      {id::kXToolChange, "abc", "X Axis Tool Change: \"abc\" is not a number"},
      {id::kThreadMajorDia, "1/2", "Major Dia: \"1/2\" is not a number"},
      {id::kThreadMajorDia, "99999999", "Major Dia: \"99999999\" is too large to show in the box"},
      {id::kThreadMajorDia, "1e40", "Major Dia: \"1e40\" is beyond single precision and reads as INF"},
      {id::kLeads, "", "Leads: \"\" is not a number and reads as 0"},
      {id::kThreadPitch, "&H10", "Pitch: \"&H10\" is not a number"},
      {id::kThreadPitch, " -.0625 ", ""},
      {id::kThreadPitch, "2.5E+3", ""},
      {id::kThreadPitch, "7.", ""},
  };
  for (const Case& c : cases) {
    Session s;
    ASSERT_TRUE(s.started);
    s.runner.Tab(FindField(StandardOperations(), c.id).page);
    s.runner.Type(c.id, c.typed);
    EXPECT_EQ(ReadingNote(StandardOperations(), c.id, c.typed, s.Text(c.id)), c.note) << c.typed;
  }
}

// A refusal names its field by key: the caret goes there, on whichever tab is shown.
TEST(FieldHelp, ARefusalLeadsToTheFieldItBlames) {
  struct Case {
    const char* script;
    ControlId field;
    const char* message;
  };
  const Case cases[] = {
      {"tab 2\ntype 130 0\nclick 305\n", id::kThreadMajorDia, "Major Dia must be greater than 0"},
      {"tab 7\ntype 825 0\ntype 830 0\nclick 965\n", id::kGrooveMajorDia,
       "Major Dia must be greater than 0"},
      {"tab 3\nset 1010 abc\nclick 470\n", id::kXToolChange, "X Axis Tool Change must be a number"},
      {"tab 2\ntype 190 1e40\nclick 305\n", id::kMaxSpm, "Max SPM is out of range"},
      // Text that is no number is refused as such, not read as 0 and blamed on another box.
      {"tab 11\ntype 1315 abc\nclick 1380\n", id::kTurnStartDia, "Start Dia is not a number"},
      // A decimal comma is kept as typed, marked, and refused rather than read as 1.
      {"tab 10\ntype 1205 1,5\nclick 1260\n", id::kFaceStockDia,
       "Stock Dia holds a decimal comma: use a point for decimals"},
  };
  for (const Case& c : cases) {
    Session s;
    std::istringstream script(c.script);
    ASSERT_EQ(s.runner.RunScript(script), 0) << c.script;
    ASSERT_EQ(s.runner.Messages().size(), 1u) << c.script;
    EXPECT_EQ(s.runner.Messages().back(), std::string("[TBX Error] ") + c.message);
    EXPECT_EQ(s.runner.form().Focused(kMainForm), c.field) << s.runner.Messages().back();
  }
}

TEST(TapData, TheNearestDrillsOnEitherSideWithTheirThread) {
  const std::vector<DrillRecord> drills = {{"Q", .332f}, {"5/16", .3125f}, {"21/64", .3281f},
                                           {"O", .316f}};
  // 3/8-16 standard tap at 75%: .375 - 75 x .01299 / 16 = .31411.
  NearestDrills n = FindNearestDrills(drills, .31411, .375, .0625, true);
  ASSERT_TRUE(n.smaller && n.larger);
  EXPECT_EQ(n.smaller->drill->name, "5/16");
  EXPECT_EQ(n.larger->drill->name, "O");
  EXPECT_NEAR(n.smaller->percent, 76.99, 0.01);
  EXPECT_EQ(NearestDrillsText(n), "Smaller drill: 5/16 .3125 gives 77% thread\n"
                                  "Larger drill: O .316 gives 73% thread");
  // An exact drill is the smaller one; past the ends only one side remains.
  EXPECT_EQ(FindNearestDrills(drills, .3281, .375, .0625, true).smaller->drill->name, "21/64");
  EXPECT_FALSE(FindNearestDrills(drills, .5, .375, .0625, true).larger);
  EXPECT_EQ(NearestDrillsText(FindNearestDrills(drills, .1, .375, .0625, false)),
            "Larger drill: 5/16 .3125 gives 147% thread");
  EXPECT_EQ(NearestDrillsText(FindNearestDrills(drills, .31, .375, 0, true)), "");
  EXPECT_EQ(NearestDrillsText(FindNearestDrills({}, .31, .375, .0625, true)), "");
}

TEST(TapData, CalcShowsTheNearestDrillsAndKeepsTheResultAndTheList) {
  Session s;
  ASSERT_TRUE(s.started);
  s.runner.Tab(8);
  const std::string selected = s.Text(id::kDataDrillList);
  s.runner.Click(id::kCalc);
  const std::string result = s.Text(id::kTapDrillResult);
  EXPECT_EQ(result, ".3222");  // 65% of a 3/8-16 thread
  const std::string near = s.Text(id::kNearestDrills);
  EXPECT_EQ(near.rfind("Smaller drill: ", 0), 0u) << near;
  EXPECT_NE(near.find("\nLarger drill: "), std::string::npos) << near;
  EXPECT_EQ(s.Text(id::kDataDrillList), selected);
  s.runner.Pick(id::kDataTapSize, 3);  // a new size recomputes both
  EXPECT_NE(s.Text(id::kNearestDrills), near);
}

}  // namespace
}  // namespace tbx
