#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "test_support.h"

namespace tbx::test {
namespace {

// The inch defaults up to the last roughing retract: ten plunges .1 apart, the last on the
// left wall's stock.
const std::string kOutsideRoughing = Program({
    "N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z-.13", "N50 X1.1",
    "N60 G1 X.52 F.005", "N70 G0 X1.1",
    "N80 Z-.23", "N90 G1 X.52", "N100 G0 X1.1",
    "N110 Z-.33", "N120 G1 X.52", "N130 G0 X1.1",
    "N140 Z-.43", "N150 G1 X.52", "N160 G0 X1.1",
    "N170 Z-.53", "N180 G1 X.52", "N190 G0 X1.1",
    "N200 Z-.63", "N210 G1 X.52", "N220 G0 X1.1",
    "N230 Z-.73", "N240 G1 X.52", "N250 G0 X1.1",
    "N260 Z-.83", "N270 G1 X.52", "N280 G0 X1.1",
    "N290 Z-.93", "N300 G1 X.52", "N310 G0 X1.1",
    "N320 Z-.995", "N330 G1 X.52", "N340 G0 X1.1"});

const std::string kInsideRoughing = Program({
    "N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z.1", "N50 X.4",
    "N60 Z-.13", "N70 G1 X.98 F.005", "N80 G0 X.4",
    "N90 Z-.23", "N100 G1 X.98", "N110 G0 X.4",
    "N120 Z-.33", "N130 G1 X.98", "N140 G0 X.4",
    "N150 Z-.43", "N160 G1 X.98", "N170 G0 X.4",
    "N180 Z-.53", "N190 G1 X.98", "N200 G0 X.4",
    "N210 Z-.63", "N220 G1 X.98", "N230 G0 X.4",
    "N240 Z-.73", "N250 G1 X.98", "N260 G0 X.4",
    "N270 Z-.83", "N280 G1 X.98", "N290 G0 X.4",
    "N300 Z-.93", "N310 G1 X.98", "N320 G0 X.4",
    "N330 Z-.995", "N340 G1 X.98", "N350 G0 X.4"});

const std::string kPlainFinish = Program({
    "N350 ( FINISH PASS )", "N360 Z-.125", "N370 G1 X.5", "N380 Z-.995", "N390 G0 X1.1",
    "N400 Z-1.", "N410 G1 X.5", "N420 Z-.995", "N430 G0 X1.1",
    "N440 X4.", "N450 Z6. M9", "N460 M1"});

using Steps = std::function<void(JobRunner&)>;

struct GrooveCase {
  const char* name;
  bool metric;
  Steps steps;
  std::string expected;
};
void PrintTo(const GrooveCase& c, std::ostream* os) { *os << c.name; }

void Inside(JobRunner& r) { r.Click(id::kGrooveInside); }
void RightRadius(JobRunner& r, const char* size) {
  r.Click(id::kRightToggle);
  r.Type(id::kRightSize, size);
}
void LeftRadius(JobRunner& r, const char* size) {
  r.Click(id::kLeftToggle);
  r.Type(id::kLeftSize, size);
}

const GrooveCase kGrooveCases[] = {
    {"OutsideDefaults", false, [](JobRunner&) {}, kOutsideRoughing + kPlainFinish},
    // A size of 0 ignores what the toggle shows.
    {"ZeroSizeWallsWithRadiusToggles", false,
     [](JobRunner& r) {
       r.Click(id::kRightToggle);
       r.Click(id::kLeftToggle);
     },
     kOutsideRoughing + kPlainFinish},
    {"OutsideRightRadiusLeftChamfer", false,
     [](JobRunner& r) {
       RightRadius(r, ".05");
       r.Type(id::kLeftSize, ".03");
     },
     kOutsideRoughing + Program({"N350 ( FINISH PASS )", "N360 G0 Z-.075", "N370 G1 X1.",
                                 "N380 G3 X.9 Z-.125 I-.05", "N390 G1 X.5", "N400 Z-.995",
                                 "N410 G0 X1.1", "N420 Z-1.08", "N430 G1 X.94 Z-1.",
                                 "N440 G1 X.5", "N450 Z-.995", "N460 G0 X1.1", "N470 X4.",
                                 "N480 Z6. M9", "N490 M1"})},
    {"OutsideRightChamferLeftRadius", false,
     [](JobRunner& r) {
       r.Type(id::kRightSize, ".03");
       LeftRadius(r, ".05");
     },
     kOutsideRoughing + Program({"N350 ( FINISH PASS )", "N360 Z-.045", "N370 G1 X.94 Z-.125",
                                 "N380 G1 X.5", "N390 Z-.995", "N400 G0 X1.1",
                                 "N410 G0 Z-1.05", "N420 G1 X1.", "N430 G2 X.9 Z-1. I-.05",
                                 "N440 G1 X.5", "N450 Z-.995", "N460 G0 X1.1", "N470 X4.",
                                 "N480 Z6. M9", "N490 M1"})},
    {"InsideRadii", false,
     [](JobRunner& r) {
       Inside(r);
       RightRadius(r, ".05");
       LeftRadius(r, ".05");
     },
     kInsideRoughing + Program({"N360 ( FINISH PASS )", "N370 G0 Z-.075", "N380 G1 X.5",
                                "N390 G2 X.6 Z-.125 I.05", "N400 G1 X1.", "N410 Z-.995",
                                "N420 G0 X.4", "N430 G0 Z-1.05", "N440 G1 X.5",
                                "N450 G3 X.6 Z-1. I.05", "N460 G1 X1.", "N470 Z-.995",
                                "N480 G0 X.4", "N490 Z.1", "N500 X4.", "N510 Z6. M9",
                                "N520 M1"})},
    {"InsideChamfers", false,
     [](JobRunner& r) {
       Inside(r);
       r.Type(id::kRightSize, ".02");
       r.Type(id::kLeftSize, ".02");
     },
     kInsideRoughing + Program({"N360 ( FINISH PASS )", "N370 Z-.055", "N380 G1 X.54 Z-.125",
                                "N390 G1 X1.", "N400 Z-.995", "N410 G0 X.4", "N420 Z-1.07",
                                "N430 G1 X.54 Z-1.", "N440 G1 X1.", "N450 Z-.995",
                                "N460 G0 X.4", "N470 Z.1", "N480 X4.", "N490 Z6. M9",
                                "N500 M1"})},
    // 100 x Pi x 99 / 20 = 1555.1, not the 1575.6 of 1000 / Pi.
    {"MetricDefaults", true, [](JobRunner&) {},
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1555 M3", "N40 G0 Z-3.25",
              "N50 X26.", "N60 G1 X11. F.2", "N70 G0 X26.",
              "N80 Z-5.65", "N90 G1 X11.", "N100 G0 X26.",
              "N110 Z-8.05", "N120 G1 X11.", "N130 G0 X26.",
              "N140 Z-9.75", "N150 G1 X11.", "N160 G0 X26.",
              "N170 ( FINISH PASS )", "N180 Z-3.", "N190 G1 X10.", "N200 Z-9.75",
              "N210 G0 X26.", "N220 Z-10.", "N230 G1 X10.", "N240 Z-9.75", "N250 G0 X26.",
              "N260 X4.", "N270 Z6. M9", "N280 M1"})},
    // .125 + 2 x .0625 = .25 exactly in binary: z1 and zLast coincide.
    {"SinglePlunge", false,
     [](JobRunner& r) {
       r.Type(id::kZWallStock, ".0625");
       r.Type(id::kGrooveWidth, ".25");
     },
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z-.1875",
              "N50 X1.1", "N60 G1 X.52 F.005", "N70 G0 X1.1", "N80 ( FINISH PASS )",
              "N90 Z-.125", "N100 G1 X.5", "N110 Z-.1875", "N120 G0 X1.1", "N130 Z-.25",
              "N140 G1 X.5", "N150 Z-.1875", "N160 G0 X1.1", "N170 X4.", "N180 Z6. M9",
              "N190 M1"})},
    // A groove as wide as the blade: one plunge on it, none the wall stock past either wall.
    {"BladeWideGrooveCutsBetweenItsWalls", false,
     [](JobRunner& r) { r.Type(id::kGrooveWidth, ".125"); },
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z-.125",
              "N50 X1.1", "N60 G1 X.52 F.005", "N70 G0 X1.1", "N80 ( FINISH PASS )",
              "N90 Z-.125", "N100 G1 X.5", "N110 G0 X1.1", "N120 Z-.125", "N130 G1 X.5",
              "N140 G0 X1.1", "N150 X4.", "N160 Z6. M9", "N170 M1"})},
    // The same sum with .005 and .135, which binary32 cannot hold: z1 and zLast differ in
    // the last bit, so there are two plunges that print alike.
    {"InexactSinglePlungeCutsTwice", false,
     [](JobRunner& r) { r.Type(id::kGrooveWidth, ".135"); },
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z-.13",
              "N50 X1.1", "N60 G1 X.52 F.005", "N70 G0 X1.1", "N80 Z-.13", "N90 G1 X.52",
              "N100 G0 X1.1", "N110 ( FINISH PASS )", "N120 Z-.125", "N130 G1 X.5",
              "N140 Z-.13", "N150 G0 X1.1", "N160 Z-.135", "N170 G1 X.5", "N180 Z-.13",
              "N190 G0 X1.1", "N200 X4.", "N210 Z6. M9", "N220 M1"})},
    {"InexactWallStockCutsTwice", false,
     [](JobRunner& r) {
       r.Type(id::kZWallStock, ".01");
       r.Type(id::kGrooveWidth, ".145");
       r.Click(id::kFinishPass);
     },
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z-.135",
              "N50 X1.1", "N60 G1 X.52 F.005", "N70 G0 X1.1", "N80 Z-.135", "N90 G1 X.52",
              "N100 G0 X1.1", "N110 G0 X4.", "N120 Z6. M9", "N130 M1"})},
    // Narrower than the tool plus both stocks: the second plunge lies on the plus-Z side.
    {"FullToolWidthStep", false,
     [](JobRunner& r) {
       r.Type(id::kPercentStep, "100");
       r.Click(id::kFinishPass);
     },
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z-.13",
              "N50 X1.1", "N60 G1 X.52 F.005", "N70 G0 X1.1",
              "N80 Z-.255", "N90 G1 X.52", "N100 G0 X1.1",
              "N110 Z-.38", "N120 G1 X.52", "N130 G0 X1.1",
              "N140 Z-.505", "N150 G1 X.52", "N160 G0 X1.1",
              "N170 Z-.63", "N180 G1 X.52", "N190 G0 X1.1",
              "N200 Z-.755", "N210 G1 X.52", "N220 G0 X1.1",
              "N230 Z-.88", "N240 G1 X.52", "N250 G0 X1.1",
              "N260 Z-.995", "N270 G1 X.52", "N280 G0 X1.1",
              "N290 G0 X4.", "N300 Z6. M9", "N310 M1"})},
    // Without the finish pass nothing sets the rapid flag, so the first operation after
    // start-up returns with G0; an inside groove still leaves the bore.
    {"NoFinishPassInside", false,
     [](JobRunner& r) {
       Inside(r);
       r.Click(id::kFinishPass);
       r.Type(id::kGrooveWidth, ".3");
       r.Set(id::kGrooveComment, "");
     },
     Program({"N10 T0101 M8", "N20 G97 S1241 M3", "N30 G0 Z.1", "N40 X.4", "N50 Z-.13",
              "N60 G1 X.98 F.005", "N70 G0 X.4", "N80 Z-.23", "N90 G1 X.98", "N100 G0 X.4",
              "N110 Z-.295", "N120 G1 X.98", "N130 G0 X.4", "N140 Z.1", "N150 G0 X4.",
              "N160 Z6. M9", "N170 M1"})},
    // A step of 0 is harmless while the first plunge is already the last.
    {"ZeroStepSinglePlunge", false,
     [](JobRunner& r) {
       r.Type(id::kPercentStep, "0");
       r.Type(id::kZWallStock, "0");
       r.Type(id::kGrooveWidth, ".125");
       r.Click(id::kFinishPass);
     },
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ", "N30 G97 S1241 M3", "N40 G0 Z-.125",
              "N50 X1.1", "N60 G1 X.52 F.005", "N70 G0 X1.1", "N80 G0 X4.", "N90 Z6. M9",
              "N100 M1"})},
};

class GrooveProgram : public ::testing::TestWithParam<GrooveCase> {};

TEST_P(GrooveProgram, WritesWholeOperation) {
  const GrooveCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  ASSERT_TRUE(s.started);
  c.steps(s.runner);
  s.runner.Click(id::kGrooveOk);
  EXPECT_TRUE(SameProgram(s.Output(), c.expected));
  EXPECT_TRUE(s.runner.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Groove, GrooveProgram, ::testing::ValuesIn(kGrooveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GrooveProgram, NoFinishPassAfterEarlierOperationKeepsRapid) {
  Session s;
  s.runner.Click(id::kFinishPass);
  s.runner.Type(id::kGrooveWidth, ".135");
  s.runner.Set(id::kGrooveComment, "");
  s.runner.Click(id::kGrooveOk);
  s.runner.Click(id::kGrooveOk);
  const std::string expected = Program({"N130 T0101 M8", "N140 G97 S1241 M3", "N150 G0 Z-.13",
                                         "N160 X1.1", "N170 G1 X.52 F.005", "N180 G0 X1.1",
                                         "N190 Z-.13", "N200 G1 X.52", "N210 G0 X1.1",
                                         "N220 X4.", "N230 Z6. M9", "N240 M1"});
  const std::string out = s.Output();
  ASSERT_GE(out.size(), expected.size());
  EXPECT_TRUE(SameProgram(out.substr(out.size() - expected.size()), expected));
}

TEST(GrooveProgram, BlockLimitIsExact) {
  // Plunges one unit apart from Z-1 to Z-3331: 3331 plunges, 3 x 3331 - 1 roughing blocks,
  // plus tool change, spindle, approach and return: 9999 blocks.
  auto setUp = [](JobRunner& r) {
    r.Type(id::kToolWidth, "1");
    r.Type(id::kPercentStep, "100");
    r.Type(id::kZWallStock, "0");
    r.Type(id::kGrooveWidth, "3331");
    r.Click(id::kFinishPass);
  };
  Session fits;
  setUp(fits.runner);
  fits.runner.Set(id::kGrooveComment, "");
  fits.runner.Click(id::kGrooveOk);
  EXPECT_TRUE(fits.runner.Messages().empty());
  const std::string out = fits.Output();
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 9999);
  const std::string tail = Program({"N99940 Z-3331.", "N99950 G1 X.52", "N99960 G0 X1.1",
                                    "N99970 G0 X4.", "N99980 Z6. M9", "N99990 M1"});
  ASSERT_GE(out.size(), tail.size());
  EXPECT_TRUE(SameProgram(out.substr(out.size() - tail.size()), tail));

  Session over;  // one comment block more
  const Trace before = TraceOf(over);
  setUp(over.runner);
  over.runner.Click(id::kGrooveOk);
  EXPECT_TRUE(Refused(over, before, "The operation would write more than 9999 blocks"));
}

TEST(GrooveHandlers, InsideEnablesZAbsClearanceAndItsLabel) {
  Session s;
  auto enabled = [&](ControlId id) { return s.runner.form().Control(kMainForm, id)->enabled; };
  EXPECT_FALSE(enabled(id::kZAbsClr));
  EXPECT_FALSE(enabled(id::kZAbsClrLabel));
  s.runner.Click(id::kGrooveInside);
  EXPECT_TRUE(enabled(id::kZAbsClr));
  EXPECT_TRUE(enabled(id::kZAbsClrLabel));
  s.runner.Click(id::kGrooveOutside);
  EXPECT_FALSE(enabled(id::kZAbsClr));
  EXPECT_FALSE(enabled(id::kZAbsClrLabel));
}

TEST(GrooveHandlers, TogglesFollowTheirCheckMark) {
  Session s;
  for (ControlId toggle : {id::kRightToggle, id::kLeftToggle}) {
    EXPECT_EQ(s.Text(toggle), "Chamfer");
    s.runner.Click(toggle);
    EXPECT_EQ(s.Text(toggle), "Radius");
    EXPECT_TRUE(s.runner.app().Checked(toggle));
    s.runner.Click(toggle);
    EXPECT_EQ(s.Text(toggle), "Chamfer");
    EXPECT_FALSE(s.runner.app().Checked(toggle));
  }
  s.runner.Click(id::kRightToggle);
  EXPECT_EQ(s.Text(id::kLeftToggle), "Chamfer");  // each toggle keeps its own state
}

struct Refusal {
  const char* name;
  Steps steps;
  const char* message;  // the text of the message box
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

const Refusal kGrooveRefusals[] = {
    {"ZeroMajor", [](JobRunner& r) { r.Type(id::kGrooveMajorDia, "0"); },
     "Major Dia must be greater than 0"},
    {"NegativeMajorInside",
     [](JobRunner& r) {
       r.Click(id::kGrooveInside);
       r.Type(id::kGrooveMajorDia, "-1");
     },
     "Major Dia must be greater than 0"},
    {"NegativeSpm", [](JobRunner& r) { r.Set(id::kSpm, "-1"); },
     "SPM must be 0 or more"},
    {"SpmPast16Bits", [](JobRunner& r) { r.Set(id::kSpm, "40000"); },
     "SPM must be at most 32767"},
    {"ZeroStep", [](JobRunner& r) { r.Type(id::kPercentStep, "0"); },
     "% Step and Tool Width must be greater than 0"},
    {"NegativeStep", [](JobRunner& r) { r.Type(id::kPercentStep, "-80"); },
     "% Step and Tool Width must be greater than 0"},
    {"ZeroToolWidth", [](JobRunner& r) { r.Type(id::kToolWidth, "0"); },
     "% Step and Tool Width must be greater than 0"},
    // Both negative make a positive step, but a tool of negative width is still refused.
    {"NegativeToolWidthAndStep",
     [](JobRunner& r) {
       r.Type(id::kToolWidth, "-.125");
       r.Type(id::kPercentStep, "-80");
     },
     "% Step and Tool Width must be greater than 0"},
    // Narrow groove whose second plunge would step away from zLast for ever.
    {"NarrowGrooveStepAway",
     [](JobRunner& r) {
       r.Type(id::kGrooveWidth, ".1");
       r.Type(id::kPercentStep, "-500");
     },
     "% Step and Tool Width must be greater than 0"},
    // Seven hundred thousand plunges: refused at once instead of built.
    {"TinyStep", [](JobRunner& r) { r.Type(id::kPercentStep, ".001"); },
     "The operation would write more than 9999 blocks"},
    {"HugeGroove", [](JobRunner& r) { r.Type(id::kGrooveWidth, "9999999"); },
     "The operation would write more than 9999 blocks"},
    {"UnprintableWidth", [](JobRunner& r) { r.Set(id::kGrooveWidth, "1E30"); },
     "Groove Width is too large to show in the box"},
};

class GrooveRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(GrooveRefusal, WritesNothing) {
  Session s;
  s.runner.Set(id::kOutput, "(KEEP)\r\n");
  const Trace before = TraceOf(s);
  GetParam().steps(s.runner);
  s.runner.Click(id::kGrooveOk);
  EXPECT_TRUE(Refused(s, before, GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(Groove, GrooveRefusal, ::testing::ValuesIn(kGrooveRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tbx::test
