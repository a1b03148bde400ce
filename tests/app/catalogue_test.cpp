#include <set>

#include "app/catalogue.h"
#include "test_support.h"

namespace tbx {
namespace {

using test::Session;

TEST(Catalogue, EveryControlOnceWithAPlaceOnItsLayer) {
  std::set<ControlId> seen;
  for (const ControlSpec& c : Catalogue()) {
    EXPECT_TRUE(seen.insert(c.id).second) << c.id;
    EXPECT_GE(c.id, 100) << c.id;
    EXPECT_LE(c.id, 2065) << c.id;
    EXPECT_GE(c.layer, 0) << c.id;
    EXPECT_LE(c.layer, 12) << c.id;
    EXPECT_GT(c.width, 0) << c.id;
  }
  EXPECT_EQ(Catalogue().back().id, id::kTabs);  // the tab control comes last
  for (const RadioGroup& g : RadioGroups()) {
    for (ControlId m : g.members) {
      ASSERT_NE(FindControl(m), nullptr) << m;
      EXPECT_EQ(FindControl(m)->kind, ControlKind::Radio) << m;
      EXPECT_EQ(GroupOf(m), &g) << m;
    }
  }
}

TEST(Catalogue, StartUpShowsMaterialTabAndAlwaysVisibleControls) {
  Session s;
  ASSERT_TRUE(s.started);
  const HeadlessForm& f = s.runner.form();
  EXPECT_EQ(f.Form(kMainForm)->visibleLayer, 1);
  EXPECT_EQ(f.Form(kMainForm)->caption, "Turnbrix V2.5");
  EXPECT_EQ(f.Form(kMainForm)->icon, "tbx.ico");
  EXPECT_EQ(f.MenuCaption(), "About");
  for (const ControlSpec& c : Catalogue()) {
    bool expected = (c.layer == 0 || c.layer == 1) && c.id != id::kScratch;
    EXPECT_EQ(f.IsVisible(kMainForm, c.id), expected) << c.id;
  }
  EXPECT_TRUE(f.Form(kAboutForm) != nullptr);
  EXPECT_FALSE(f.Form(kAboutForm)->shown);
}

TEST(Catalogue, StartUpChecksSelectionsAndDisabling) {
  Session s;
  const HeadlessForm& f = s.runner.form();
  EXPECT_EQ(s.Text(id::kTool), "T01");
  EXPECT_EQ(s.Text(id::kOffset), "01");
  EXPECT_EQ(s.Text(id::kPercentThread), "65");
  EXPECT_EQ(f.Control(kMainForm, id::kOffset)->items.size(), 24u);
  EXPECT_EQ(f.Control(kMainForm, id::kTool)->items.back(), "T12");
  EXPECT_EQ(f.Control(kMainForm, id::kPercentThread)->items.size(), 14u);
  EXPECT_EQ(f.Control(kMainForm, id::kTabs)->items[7], "Drill + Tap Data");

  const ControlId checked[] = {id::kThreadOutside, id::kTaperByAngle, id::kChamferZero,
                               id::kToolAngle0, id::kOtControl, id::kAngle90, id::kCenter0,
                               id::kG83, id::kDeep118, id::kG84, id::kGrooveOutside,
                               id::kStandardTap, id::kCarbide, id::kFinishPass, id::kCoolant};
  for (ControlId c : checked) EXPECT_EQ(f.GetCheck(kMainForm, c), 1) << c;
  for (ControlId c : {id::kColdFormTap, id::kHss, id::kFeedOut, id::kLeftHand, id::kMetric,
                      id::kThreadInside, id::kCenter1})
    EXPECT_EQ(f.GetCheck(kMainForm, c), 0) << c;

  std::set<ControlId> disabled(InitiallyDisabled().begin(), InitiallyDisabled().end());
  EXPECT_TRUE(disabled.count(id::kCenter0));  // checked and disabled at once
  for (const ControlSpec& c : Catalogue())
    EXPECT_EQ(f.Control(kMainForm, c.id)->enabled, !disabled.count(c.id)) << c.id;
}

TEST(Catalogue, UnitDefaultsFollowTheMetricBox) {
  struct Case {
    ControlId id;
    const char* inch;
    const char* metric;
  };
  const Case cases[] = {
      {id::kThreadMajorDia, ".375", "10."}, {id::kMaxSpm, "125.", "38."},
      {id::kDeepDrillDia, ".500", "10."},   {id::kGrooveWidth, "1.", "10."},
      {id::kReamZStart, "0.", "0."},        {id::kTapDrillResult, ".3222", "8.9446"},
      {id::kSpm, "325", "99"},              {id::kThreadComment, "Thread", "Thread"},
      {id::kGrooveFeed, ".005", ".2"},      {id::kXBottomStock, ".01", ".5"},
  };
  Session inch;
  Session metric(test::kMetricDefaults);
  for (const Case& c : cases) {
    EXPECT_EQ(inch.Text(c.id), c.inch) << c.id;
    EXPECT_EQ(metric.Text(c.id), c.metric) << c.id;
  }
  const HeadlessForm& fi = inch.runner.form();
  const HeadlessForm& fm = metric.runner.form();
  for (ControlId list : {id::kThreadSize, id::kTapSize, id::kDataTapSize}) {
    EXPECT_EQ(fi.Control(kMainForm, list)->selected, 17) << list;
    EXPECT_EQ(fm.Control(kMainForm, list)->selected, 41) << list;
  }
  for (ControlId list : {id::kCSinkDrillSize, id::kDeepDrillSize, id::kDataDrillList}) {
    EXPECT_EQ(fi.Control(kMainForm, list)->selected, 187) << list;
    EXPECT_EQ(fm.Control(kMainForm, list)->selected, 172) << list;
  }
}

TEST(Catalogue, ScratchBoxKeepsItsTextUnseen) {
  Session s;
  s.runner.app().SetText(id::kScratch, "hidden");
  EXPECT_EQ(s.Text(id::kScratch), "hidden");
  EXPECT_FALSE(s.runner.form().IsVisible(kMainForm, id::kScratch));
}

}  // namespace
}  // namespace tbx
