#include <set>

#include "app/catalogue.h"
#include "app/tap_data.h"
#include "app/tooltips.h"
#include "test_support.h"

namespace tbx {
namespace {

using test::Session;

TEST(FieldHelp, EveryFieldSaysWhatItMeasuresInTheUnitsOfTheSystem) {
  std::set<ControlId> seen;
  for (const FieldHelp& h : FieldHelps()) {
    EXPECT_TRUE(seen.insert(h.id).second) << h.id;
    EXPECT_NE(FindControl(h.id), nullptr) << h.id;
  }
  for (const ControlSpec& c : Catalogue()) {
    const bool field = c.kind == ControlKind::TextBox || c.kind == ControlKind::ComboBox ||
                       c.kind == ControlKind::ListBox;
    if (field && c.id != id::kScratch) {
      EXPECT_TRUE(seen.count(c.id)) << "no help for " << c.id;
    }
  }
  EXPECT_EQ(Tooltip(id::kThreadMajorDia, false), "Major Dia: outside diameter of the thread (in)");
  EXPECT_EQ(Tooltip(id::kThreadMajorDia, true), "Major Dia: outside diameter of the thread (mm)");
  EXPECT_EQ(Tooltip(id::kGrooveFeed, true), "Feedrate: feed per spindle revolution (mm/rev)");
  EXPECT_EQ(Tooltip(id::kSpm, false).substr(Tooltip(id::kSpm, false).size() - 8), "(ft/min)");
  EXPECT_EQ(Tooltip(id::kLeads, true), "Leads: number of starts of the thread (whole number)");
  EXPECT_EQ(Tooltip(id::kThreadOk, false), "");
}

TEST(FieldHelp, LeavingABoxThatHeldNoNumberSaysWhatItReadsAs) {
  struct Case {
    ControlId id;
    const char* typed;
    const char* note;
  };
  const Case cases[] = {
      {id::kXToolChange, "abc", "X Axis Tool Change: \"abc\" is not a number and reads as 0"},
      {id::kThreadMajorDia, "1/2", "Major Dia: \"1/2\" is not a number and reads as 1"},
      {id::kThreadMajorDia, "1e40", "Major Dia: \"1e40\" is beyond single precision and reads as INF"},
      {id::kLeads, "", "Leads: \"\" is not a number and reads as 0"},
      {id::kThreadPitch, "&H10", "Pitch: \"&H10\" is not a number and reads as 16"},
      {id::kThreadPitch, " -.0625 ", ""},
      {id::kThreadPitch, "2.5E+3", ""},
      {id::kThreadPitch, "7.", ""},
  };
  for (const Case& c : cases) {
    Session s;
    ASSERT_TRUE(s.started);
    s.runner.Tab(FindControl(c.id)->layer);
    s.runner.Type(c.id, c.typed);
    EXPECT_EQ(ReadingNote(c.id, c.typed, s.Text(c.id)), c.note) << c.typed;
  }
}

TEST(FieldHelp, ARefusalLeadsToTheFieldItNames) {
  struct Case {
    const char* message;
    int layer;
    ControlId field;
  };
  const Case cases[] = {
      {"Major Dia must be greater than 0", 2, id::kThreadMajorDia},
      {"Major Dia must be greater than 0", 7, id::kGrooveMajorDia},
      {"Major Diameter must be greater than 0", 6, id::kTapMajorDia},
      {"Peck Value (Min) must be greater than 0 when Percent Peck is below 100", 4, id::kPeckMin},
      {"X Axis Tool Change must be a number", 3, id::kXToolChange},
      {"SPM must be at most 32767", 2, id::kSpm},
      {"Max SPM must be from -32768 to 32767", 2, id::kMaxSpm},
      {"Dwell Seconds must be less than 10000", 3, id::kCSinkDwell},
      {"The X word is out of range (INF)", 2, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FieldNamedIn(c.message, c.layer), c.field) << c.message;
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
