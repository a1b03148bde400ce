#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/controls.h"
#include "test_support.h"

namespace tbx::test {
namespace {

using Fields = std::vector<std::pair<ControlId, std::string>>;

// A user on the Ream tab at 325 sfm or 99 m/min: types the fields, sets Feed Out, then OK.
void RunReam(Session& s, const Fields& fields, bool feedOut = false) {
  s.runner.Tab(5);
  s.runner.Type(id::kSpm, s.runner.app().Metric() ? "99" : "325");
  for (const auto& [control, text] : fields) ASSERT_TRUE(s.runner.Type(control, text));
  if (feedOut != s.runner.app().Checked(id::kFeedOut)) {
    ASSERT_TRUE(s.runner.Click(id::kFeedOut));
  }
  ASSERT_TRUE(s.runner.Click(id::kReamOk));
}

struct ReamCase {
  std::string name;
  bool metric;
  Fields fields;
  bool feedOut;
  std::string program;
};
void PrintTo(const ReamCase& c, std::ostream* os) { *os << c.name; }

class ReamProgram : public testing::TestWithParam<ReamCase> {};

TEST_P(ReamProgram, WritesWholeOperation) {
  const ReamCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  ASSERT_TRUE(s.started);
  RunReam(s, c.fields, c.feedOut);
  EXPECT_EQ(s.runner.Messages(), std::vector<std::string>{});
  EXPECT_TRUE(SameProgram(s.Output(), c.program));
}

const std::vector<ReamCase> kReamCases{
    // The feed move goes Rapid Clearance past the hole depth.
    {"Inch", false, {}, false,
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-1.1 F.005", "N70 G0 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    // Withdrawn at feed: G1 still in force, so the return's first block carries G0.
    {"FeedOut", false, {}, true,
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-1.1 F.005", "N70 Z.1", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
    {"Metric", true, {}, false,
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S3110 M3", "N40 G0 Z3.", "N50 X0",
              "N60 G1 Z-28. F.2", "N70 G0 Z3.", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    // The hole depth is absolute: it does not move with Z Start.
    {"ZStartMoved", false, {{id::kReamZStart, "1"}}, false,
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2483 M3", "N40 G0 Z1.1", "N50 X0",
              "N60 G1 Z-1.1 F.005", "N70 G0 Z1.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    {"NoClearance", false, {{id::kReamRapidClearance, "0"}}, false,
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2483 M3", "N40 G0 Z0.", "N50 X0",
              "N60 G1 Z-1. F.005", "N70 G0 Z0.", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    {"EmptyComment", false, {{id::kReamComment, ""}}, false,
     Program({"N10 T0101 M8", "N20 G97 S2483 M3", "N30 G0 Z.1", "N40 X0", "N50 G1 Z-1.1 F.005",
              "N60 G0 Z.1", "N70 X4.", "N80 Z6. M9", "N90 M1"})},
    // SPM is taken as a whole number, a half going to the even neighbour.
    {"SpmHalfUpToEven", false, {{id::kSpm, "325.5"}}, false,
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2490 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-1.1 F.005", "N70 G0 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    {"SpmHalfDownToEven", false, {{id::kSpm, "324.5"}}, false,
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2475 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-1.1 F.005", "N70 G0 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
};

INSTANTIATE_TEST_SUITE_P(Ream, ReamProgram, testing::ValuesIn(kReamCases),
                         [](const auto& info) { return info.param.name; });

TEST(Ream, OperationsFollowOneAnother) {
  Session s;
  RunReam(s, {}, true);
  RunReam(s, {{id::kReamComment, ""}}, false);
  EXPECT_EQ(s.Output(),
            Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
                     "N60 G1 Z-1.1 F.005", "N70 Z.1", "N80 G0 X4.", "N90 Z6. M9", "N100 M1",
                     "N110 T0101 M8", "N120 G97 S2483 M3", "N130 G0 Z.1", "N140 X0",
                     "N150 G1 Z-1.1 F.005", "N160 G0 Z.1", "N170 X4.", "N180 Z6. M9",
                     "N190 M1"}));
}

struct ReamRefusal {
  std::string name;
  Fields fields;
  std::string message;
};
void PrintTo(const ReamRefusal& c, std::ostream* os) { *os << c.name; }

class ReamRefused : public testing::TestWithParam<ReamRefusal> {};

TEST_P(ReamRefused, WritesNothing) {
  const ReamRefusal& c = GetParam();
  Session s;
  RunReam(s, {});
  const Trace before = TraceOf(s);
  RunReam(s, c.fields);
  EXPECT_TRUE(Refused(s, before, c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Ream, ReamRefused,
    testing::Values(
        ReamRefusal{"ZeroDiameter", {{id::kReamerDia, "0"}}, "Reamer Diameter must be greater than 0"},
        ReamRefusal{"NegativeDiameter", {{id::kReamerDia, "-.5"}},
                    "Reamer Diameter must be greater than 0"},
        ReamRefusal{"NegativeSpm", {{id::kSpm, "-3"}}, "SPM must be 0 or more"},
        ReamRefusal{"SpmPastSixteenBits", {{id::kSpm, "99999"}}, "SPM must be at most 32767"}),
    [](const auto& info) { return info.param.name; });

// A speed of ten million needs exponent form: never written as a word.
TEST(Ream, SpeedTooHighToPrintIsRefused) {
  Session s;
  const Trace before = TraceOf(s);
  RunReam(s, {{id::kSpm, "32767"}, {id::kReamerDia, ".01"}});
  EXPECT_TRUE(Refused(s, before, "The S word is out of range (1.251607E+7)"));
}

}  // namespace
}  // namespace tbx::test
