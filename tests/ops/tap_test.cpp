#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "test_support.h"

namespace tbx::test {
namespace {

using Steps = std::function<void(JobRunner&)>;

struct TapCase {
  const char* name;
  bool metric;
  Steps steps;
  std::string expected;
};
void PrintTo(const TapCase& c, std::ostream* os) { *os << c.name; }

const TapCase kTapCases[] = {
    {"G84Inch", false, [](JobRunner&) {},
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M3", "N40 G0 Z.3", "N50 X0",
              "N60 G84 Z-1. F.0625", "N70 G80 Z.3", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
    {"G32Inch", false, [](JobRunner& r) { r.Click(id::kTapG32); },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M3", "N40 G0 Z.3", "N50 X0",
              "N60 G32 Z-1. F.0625", "N70 G0 M4", "N80 G32 Z.3 F.0625", "N90 G0 X4.",
              "N100 Z6. M9", "N110 M1"})},
    {"G33Inch", false, [](JobRunner& r) { r.Click(id::kTapG33); },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M3", "N40 G0 Z.3", "N50 X0",
              "N60 G33 Z-1. F.0625", "N70 G0 M4", "N80 G33 Z.3 F.0625", "N90 G0 X4.",
              "N100 Z6. M9", "N110 M1"})},
    // 100 x Pi x 99 / 10 = 3110.2; the 1000 / Pi factor would give 3151.
    {"G84Metric", true, [](JobRunner&) {},
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3110 M3", "N40 G0 Z3.", "N50 X0",
              "N60 G84 Z-25. F1.25", "N70 G80 Z3.", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
    // The depth box counts from the face, the clearance from Z Start.
    {"ZStartMoved", false, [](JobRunner& r) { r.Type(id::kTapZStart, "0.5"); },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M3", "N40 G0 Z.8", "N50 X0",
              "N60 G84 Z-1.5 F.0625", "N70 G80 Z.8", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
    {"LeftHandG32", false,
     [](JobRunner& r) {
       r.Click(id::kTapG32);
       r.Click(id::kLeftHand);
     },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M4", "N40 G0 Z.3", "N50 X0",
              "N60 G32 Z-1. F.0625", "N70 G0 M3", "N80 G32 Z.3 F.0625", "N90 G0 X4.",
              "N100 Z6. M9", "N110 M1"})},
    {"LeftHandG33", false,
     [](JobRunner& r) {
       r.Click(id::kTapG33);
       r.Click(id::kLeftHand);
     },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M4", "N40 G0 Z.3", "N50 X0",
              "N60 G33 Z-1. F.0625", "N70 G0 M3", "N80 G33 Z.3 F.0625", "N90 G0 X4.",
              "N100 Z6. M9", "N110 M1"})},
    // G84 disables the box but keeps its check mark, and the spindle block still obeys it.
    {"LeftHandKeptAfterG84", false,
     [](JobRunner& r) {
       r.Click(id::kTapG32);
       r.Click(id::kLeftHand);
       r.Click(id::kG84);
     },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M4", "N40 G0 Z.3", "N50 X0",
              "N60 G84 Z-1. F.0625", "N70 G80 Z.3", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
    {"NoCommentNoCoolant", false,
     [](JobRunner& r) {
       r.Set(id::kTapComment, "");
       r.Click(id::kCoolant);
     },
     Program({"N10 T0101", "N20 G97 S3310 M3", "N30 G0 Z.3", "N40 X0", "N50 G84 Z-1. F.0625",
              "N60 G80 Z.3", "N70 G0 X4.", "N80 Z6. M9", "N90 M1"})},
    {"SizeFromList", false,
     [](JobRunner& r) {
       r.Pick(id::kTapSize, 21);  // 1/2-13
       r.Set(id::kTapComment, "1/2-13 TAP");
     },
     Program({"N10 T0101 M8", "N20 ( 1/2-13 TAP ) ", "N30 G97 S2483 M3", "N40 G0 Z.3",
              "N50 X0", "N60 G84 Z-1. F.0769", "N70 G80 Z.3", "N80 G0 X4.", "N90 Z6. M9",
              "N100 M1"})},
    // The whole-number SPM goes to the even neighbour: 324.5 is used as 324.
    {"SpmHalfToEven", false, [](JobRunner& r) { r.Set(id::kSpm, "324.5"); },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3300 M3", "N40 G0 Z.3", "N50 X0",
              "N60 G84 Z-1. F.0625", "N70 G80 Z.3", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
};

class TapProgram : public ::testing::TestWithParam<TapCase> {};

TEST_P(TapProgram, WritesWholeOperation) {
  const TapCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  ASSERT_TRUE(s.started);
  c.steps(s.runner);
  s.runner.Click(id::kTapOk);
  EXPECT_TRUE(SameProgram(s.Output(), c.expected));
  EXPECT_TRUE(s.runner.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Tap, TapProgram, ::testing::ValuesIn(kTapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TapProgram, ReturnAlwaysRapidAfterEarlierOperation) {
  Session s;
  s.runner.Click(id::kTapOk);
  s.runner.Click(id::kTapG32);
  s.runner.Set(id::kTapComment, "");
  s.runner.Click(id::kTapOk);
  std::string first = Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M3", "N40 G0 Z.3",
                               "N50 X0", "N60 G84 Z-1. F.0625", "N70 G80 Z.3", "N80 G0 X4.",
                               "N90 Z6. M9", "N100 M1"});
  EXPECT_TRUE(SameProgram(
      s.Output(), first + Program({"N110 T0101 M8", "N120 G97 S3310 M3", "N130 G0 Z.3",
                                   "N140 X0", "N150 G32 Z-1. F.0625", "N160 G0 M4",
                                   "N170 G32 Z.3 F.0625", "N180 G0 X4.", "N190 Z6. M9",
                                   "N200 M1"})));
}

TEST(TapHandlers, CodeTypeEnablesLeftHandWithoutTouchingItsCheck) {
  Session s;
  const HeadlessControl* leftHand = s.runner.form().Control(kMainForm, id::kLeftHand);
  EXPECT_FALSE(leftHand->enabled);
  EXPECT_FALSE(s.runner.Click(id::kLeftHand));  // a disabled box takes no click

  s.runner.Click(id::kTapG33);
  EXPECT_TRUE(leftHand->enabled);
  s.runner.Click(id::kLeftHand);
  s.runner.Click(id::kG84);
  EXPECT_FALSE(leftHand->enabled);
  EXPECT_EQ(leftHand->check, 1);
  s.runner.Click(id::kTapG32);
  EXPECT_TRUE(leftHand->enabled);
  EXPECT_EQ(leftHand->check, 1);
}

TEST(TapHandlers, SizeListFillsDiameterAndPitch) {
  struct Pick {
    bool metric;
    int index;
    const char* major;
    const char* pitch;
  };
  const Pick picks[] = {
      {false, 0, ".06", ".0125"},    // #0-80
      {false, 13, ".25", ".05"},     // 1/4-20
      {false, 21, ".5", ".0769"},    // 1/2-13: 1/13 shown to 4 places
      {false, 78, "2.", ".2222"},    // 2-4.5
      {true, 40, "10.", "1.5"},      // M10x1.5 from the inch file
      {true, 13, "6.35", "1.27"},    // 1/4-20 in millimetres
  };
  for (const Pick& p : picks) {
    Session s(p.metric ? kMetricDefaults : kInchDefaults);
    s.runner.Pick(id::kTapSize, p.index);
    EXPECT_EQ(s.Text(id::kTapMajorDia), p.major) << "item " << p.index;
    EXPECT_EQ(s.Text(id::kTapPitch), p.pitch) << "item " << p.index;
  }
}

TEST(TapHandlers, SizeWithZeroValuesFallsBackToFirstRecord) {
  std::string data = ShippedData();
  // Second thread record: a diameter and a pitch that both print as 0 at 4 places.
  data.replace(data.find("#2-56,.086,56"), 13, "TINY,.00004,1000000");
  Session s(kInchDefaults, data);
  ASSERT_TRUE(s.started);
  s.runner.Pick(id::kTapSize, 1);
  EXPECT_EQ(s.Text(id::kTapMajorDia), ".06");
  EXPECT_EQ(s.Text(id::kTapPitch), ".0125");
}

struct Refusal {
  const char* name;
  Steps steps;
  const char* message;  // the text of the message box
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

const Refusal kTapRefusals[] = {
    {"ZeroMajor", [](JobRunner& r) { r.Type(id::kTapMajorDia, "0"); },
     "Major Diameter must be greater than 0"},
    {"NegativeMajor", [](JobRunner& r) { r.Type(id::kTapMajorDia, "-.375"); },
     "Major Diameter must be greater than 0"},
    {"TextMajor", [](JobRunner& r) { r.Set(id::kTapMajorDia, "abc"); },
     "Major Diameter is not a number"},
    {"NegativeSpm", [](JobRunner& r) { r.Set(id::kSpm, "-0.6"); },
     "SPM must be 0 or more"},
    {"SpmPast16Bits", [](JobRunner& r) { r.Set(id::kSpm, "32767.5"); },
     "SPM must be at most 32767"},
    {"SpmInfinite", [](JobRunner& r) { r.Set(id::kSpm, "1E999"); }, "SPM is out of range"},
    // A speed of 10 digits would print in exponent form.
    {"SpeedTooLarge", [](JobRunner& r) { r.Set(id::kTapMajorDia, ".0000001"); },
     "The S word is out of range (1.241408E+10)"},
};

class TapRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(TapRefusal, WritesNothing) {
  Session s;
  s.runner.Set(id::kOutput, "(KEEP)\r\n");
  const Trace before = TraceOf(s);
  GetParam().steps(s.runner);
  s.runner.Click(id::kTapOk);
  EXPECT_TRUE(Refused(s, before, GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(Tap, TapRefusal, ::testing::ValuesIn(kTapRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tbx::test
