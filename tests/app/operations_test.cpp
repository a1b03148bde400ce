#include <fstream>
#include <set>
#include <sstream>

#include "app/catalogue.h"
#include "app/field_help.h"
#include "app/tab_reader.h"
#include "test_support.h"

namespace tbx {
namespace {

using test::Session;

// The controls of every page, the field they belong to and the key of each field: nothing
// found twice.
TEST(Operations, EveryControlAndEveryKeyOnce) {
  const Operations& ops = StandardOperations();
  std::set<ControlId> ids;
  std::set<std::string> keys;
  auto page = [&](const OperationDescriptor& op, int number) {
    for (const ControlDesc& c : ControlsOf(op, number)) {
      EXPECT_TRUE(ids.insert(c.id).second) << c.id;
      EXPECT_GE(c.id, 100) << c.id;
      EXPECT_LE(c.id, 2065) << c.id;
      EXPECT_EQ(FindField(ops, c.id).op, &op) << c.id;
    }
    for (const Field& f : op.fields) {
      const std::string key = KeyOfField(op, f);
      EXPECT_TRUE(keys.insert(key).second) << key;
      EXPECT_EQ(FindKey(ops, key).field, &f) << key;
      for (const Choice& c : f.choices)
        if (!c.heading) EXPECT_EQ(FindKey(ops, key + "." + ChoiceKey(c)).choice, &c) << key;
    }
  };
  for (std::size_t i = 0; i < ops.pages.size(); ++i) page(*ops.pages[i], static_cast<int>(i) + 1);
  page(*ops.shared, 0);
  EXPECT_EQ(TabCount(ops), 13);
  EXPECT_EQ(KeyOf("csink_drill", "C'Sink Dia."), "csink_drill.c_sink_dia");
  EXPECT_EQ(KeyOf("groove", "% Step"), "groove.step");
  EXPECT_EQ(FindKey(ops, "thread.code_type.g32").field->id, 295);  // a choice's first word
  EXPECT_EQ(FindKey(ops, "thread.code_type.g32").choice->id, id::kG32Code);
  EXPECT_FALSE(FindKey(ops, "thread.angle_of_tooltip.6"));
}

TEST(Operations, StartUpShowsMaterialWithItsChecksSelectionsAndDisabling) {
  Session s;
  ASSERT_TRUE(s.started);
  const HeadlessForm& f = s.runner.form();
  EXPECT_EQ(f.Form(kMainForm)->visibleLayer, 1);
  EXPECT_EQ(f.Form(kMainForm)->caption, "Turnbrix V2.5");
  EXPECT_EQ(f.Form(kMainForm)->icon, "tbx.ico");
  EXPECT_EQ(f.MenuCaption(), "About");
  EXPECT_FALSE(f.Form(kAboutForm)->shown);
  EXPECT_TRUE(f.IsVisible(kMainForm, id::kMaterialList));
  EXPECT_TRUE(f.IsVisible(kMainForm, id::kSpm));
  EXPECT_FALSE(f.IsVisible(kMainForm, id::kThreadMajorDia));

  EXPECT_EQ(s.Text(id::kTool), "T01");
  EXPECT_EQ(s.Text(id::kOffset), "01");
  EXPECT_EQ(s.Text(id::kPercentThread), "65");
  EXPECT_EQ(f.Control(kMainForm, id::kOffset)->items.size(), 24u);
  EXPECT_EQ(f.Control(kMainForm, id::kTool)->items.back(), "T12");
  EXPECT_EQ(f.Control(kMainForm, id::kPercentThread)->items.size(), 14u);
  EXPECT_EQ(f.Control(kMainForm, id::kTabs)->items[7], "Drill + Tap Data");
  EXPECT_EQ(f.Control(kMainForm, id::kTabs)->items[11], "Part-off");

  const ControlId checked[] = {id::kThreadOutside, id::kTaperByAngle, id::kChamferZero,
                               id::kToolAngle0, id::kOtControl, id::kAngle90, id::kCenter0,
                               id::kG83, id::kDeep118, id::kG84, id::kGrooveOutside,
                               id::kStandardTap, id::kCarbide, id::kFinishPass, id::kCoolant,
                               id::kTurnOutside};
  for (ControlId c : checked) EXPECT_EQ(f.GetCheck(kMainForm, c), 1) << c;
  for (ControlId c : {id::kColdFormTap, id::kHss, id::kFeedOut, id::kLeftHand, id::kMetric,
                      id::kThreadInside, id::kCenter1, id::kFaceCss})
    EXPECT_EQ(f.GetCheck(kMainForm, c), 0) << c;

  // Disabled at start-up, and only these: what the tabs' starting options leave unused.
  const std::set<ControlId> disabled = {
      id::kThreadPasses, id::kThreadPassesLabel, id::kPilotDia, id::kPilotDiaLabel,
      id::kCenterDrillFrame, id::kCenter0, id::kCenter1, id::kCenter2, id::kCenter3,
      id::kCenter4, id::kCenter5, id::kCenter6, id::kCenter7, id::kCenter8, id::kZAbsClr,
      id::kZAbsClrLabel, id::kUndo, id::kRapidClearanceLabel, id::kPeckMinLabel,
      id::kPercentPeckLabel, id::kRapidClearance, id::kPeckMin, id::kPercentPeck, id::kLeftHand};
  for (const auto& [id, control] : f.Form(kMainForm)->controls)
    EXPECT_EQ(control.enabled, !disabled.count(id)) << id;
}

TEST(Operations, UnitDefaultsFollowTheMetricBox) {
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
      {id::kXToolChange, "4.", "4."},       {id::kPartReducedFeed, ".0015", ".04"},
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

// Every number box is rewritten in the program's form when it is left, but these four, which
// have always kept what was typed.
TEST(Operations, EveryNumberBoxButFourIsReformattedOnLeaving) {
  const std::set<ControlId> kept = {id::kDeepDrillDia, id::kDeepStart, id::kSpm, id::kPilotDia};
  const Operations& ops = StandardOperations();
  Session s;
  int boxes = 0;
  for (const auto& [id, control] : s.runner.form().Form(kMainForm)->controls) {
    const FieldRef ref = FindField(ops, id);
    if (!ref || ref.field->id != id || ref.field->kind != FieldKind::Number) continue;
    ++boxes;
    s.runner.app().Enable(id);
    s.runner.Type(id, "0.50");
    EXPECT_EQ(s.Text(id), kept.count(id) ? "0.50" : ".5") << id;
  }
  EXPECT_EQ(boxes, 110);
}

// What each option enables, click by click.
TEST(Operations, OptionsEnableTheFieldsTheyUse) {
  struct Step {
    ControlId click;
    std::vector<ControlId> on, off;
  };
  const std::vector<Step> steps = {
      {id::kG32Code, {id::kThreadPasses, id::kThreadPassesLabel}, {id::kChamfer45, id::kChamferFrame}},
      {id::kOtControl, {id::kChamfer45, id::kChamferZero}, {id::kThreadPasses}},
      {id::k6tControl, {}, {id::kThreadPasses, id::kChamferZero}},
      {id::kThreadInside, {}, {id::kThreadPasses, id::kChamferZero}},
      {id::kCenterDrill60, {id::kPilotDia, id::kCenter4, id::kCenterDrillFrame}, {}},
      {id::kAngle118, {}, {id::kPilotDia, id::kCenter4, id::kPilotDiaLabel}},
      {id::kEqualPeck, {id::kRapidClearance, id::kRapidClearanceLabel}, {id::kPeckMin, id::kPercentPeck}},
      {id::kPercentPeckMode, {id::kRapidClearance, id::kPeckMin, id::kPercentPeckLabel}, {}},
      {id::kG83, {}, {id::kRapidClearance, id::kPeckMin, id::kPercentPeck}},
      {id::kTapG33, {id::kLeftHand}, {}},
      {id::kG84, {}, {id::kLeftHand}},
      {id::kGrooveInside, {id::kZAbsClr, id::kZAbsClrLabel}, {}},
      {id::kGrooveOutside, {}, {id::kZAbsClr}},
  };
  Session s;
  for (const Step& step : steps) {
    ASSERT_TRUE(s.runner.Click(step.click)) << step.click;
    for (ControlId c : step.on) EXPECT_TRUE(s.runner.form().Control(kMainForm, c)->enabled) << step.click << " " << c;
    for (ControlId c : step.off) EXPECT_FALSE(s.runner.form().Control(kMainForm, c)->enabled) << step.click << " " << c;
  }
}

// Job scripts name fields by key as well as by id, option groups by their choices.
TEST(Operations, JobScriptsNameFieldsByKey) {
  const std::string byId =
      "tab 2\ntype 130 .5\ntype 135 .05\nclick 280\ntype 191 4\nclick 260\nclick 305\n";
  const std::string byKey =
      "tab thread\ntype thread.major_dia .5\nset thread.pitch .05\nleave thread.pitch\n"
      "type thread.code_type g32\npick shared.tool 0\nclick thread.angle_of_tooltip.60\n"
      "type thread.thread_passes 4\nclick thread.ok\n";
  std::string out[2];
  for (int i = 0; i < 2; ++i) {
    Session s;
    std::istringstream script(i == 0 ? byId : byKey);
    ASSERT_EQ(s.runner.RunScript(script), 0) << s.err.str();
    out[i] = s.out.str();
  }
  EXPECT_EQ(out[0], out[1]);
  EXPECT_NE(out[0].find(" G32 "), std::string::npos);
  Session s;
  std::istringstream script("type shared.tool_material hss\nprint shared.tool_material\n");
  ASSERT_EQ(s.runner.RunScript(script), 0);
  EXPECT_EQ(s.out.str(), "hss");
  for (const char* bad : {"type thread.major 1\n", "type thread.code_type g3\n", "tab lathe\n"}) {
    Session t;
    std::istringstream wrong(bad);
    EXPECT_EQ(t.runner.RunScript(wrong), 2) << bad;
  }
}

// The README lists the keys exactly as the descriptors give them.
TEST(Operations, TheReadmeListsEveryKey) {
  std::ifstream readme(std::string(TURNBRIX_RESOURCES) + "/../README.md");
  std::stringstream text;
  text << readme.rdbuf();
  const std::string table = KeysTable(StandardOperations());
  const bool listed = text.str().find(table) != std::string::npos;
  if (!listed) std::ofstream("keys-table.md") << table;
  EXPECT_TRUE(listed) << "the README's key tables differ; the tables are in keys-table.md";
}

// An operation is one unit: a descriptor and a generator, and the window, the help, the job
// scripts and the reader all know it.
namespace probe {
constexpr ControlId kDepth = 1990, kDepthLabel = 1991, kOk = 1992;
struct Inputs {
  float depth = 0;
};
Operation Spot(const Inputs& in, const OpContext& ctx) {
  Operation op(ctx.rapidMode);
  if (in.depth >= 0) op.Refuse("spot.depth", "{} must be below 0");
  op.Block(" G0" + op.Axis('Z', .1));
  op.Block(" G1" + op.Axis('Z', in.depth) + op.Feed(.002));
  return op;
}
Operation Generate(TabReader& r, const OpContext& ctx) { return r.Generate(Spot, Inputs{r.Single(kDepth)}, ctx); }
constexpr Field kFields[] = {
    {.id = kDepth, .kind = FieldKind::Number, .caption = "Depth", .label = kDepthLabel,
     .unit = Unit::Length, .inch = "-.05", .metric = "-1.", .help = "how deep the spot goes",
     .reformat = true},
    {.id = kOk, .kind = FieldKind::Button, .caption = "OK"},
};
const OperationDescriptor kSpot{.name = "spot", .caption = "Spot", .group = OperationGroup::HoleMaking,
                                .fields = kFields, .spindle = SpindleRule::Turning, .ok = kOk,
                                .generate = Generate};
}  // namespace probe

TEST(Operations, AnOperationIsOneDescriptorAndOneGenerator) {
  std::vector<const OperationDescriptor*> pages(StandardOperations().pages.begin(),
                                                StandardOperations().pages.end());
  pages.push_back(&probe::kSpot);
  const Operations ops{pages, StandardOperations().shared};

  test::TempHome home;
  test::WriteFile(home.path() / "default.txt", test::kInchDefaults);
  test::WriteFile(home.path() / "data.txt", test::ShippedData());
  std::ostringstream out, err;
  JobRunner runner(home.path(), out, err, ops);
  ASSERT_TRUE(runner.Start());
  EXPECT_EQ(runner.form().Control(kMainForm, id::kTabs)->items.back(), "Spot");
  EXPECT_EQ(runner.form().Control(kMainForm, probe::kDepthLabel)->text, "Depth");
  EXPECT_EQ(runner.app().Text(probe::kDepth), "-.05");
  EXPECT_EQ(Tooltip(ops, probe::kDepth, false), "Depth: how deep the spot goes (in)");
  EXPECT_NE(KeysTable(ops).find("| `spot.depth` | 1990 | Depth |"), std::string::npos);

  std::istringstream script("tab 13\ntype spot.depth -0.1\nclick spot.ok\ntype spot.depth 1\nclick 1992\n");
  ASSERT_EQ(runner.RunScript(script), 0) << err.str();
  EXPECT_EQ(runner.app().Text(probe::kDepth), "1.");
  EXPECT_TRUE(test::SameProgram(out.str(), test::Program({"N10 T0101 M8", "N20 G0 Z.1",
                                                          "N30 G1 Z-.1 F.002", "N40 G0 X4.",
                                                          "N50 Z6. M9", "N60 M1"})));
  ASSERT_EQ(runner.Messages().size(), 1u);
  EXPECT_EQ(runner.Messages().back(), "[TBX Error] Depth must be below 0");
  EXPECT_EQ(runner.form().Focused(kMainForm), probe::kDepth);
}

}  // namespace
}  // namespace tbx
