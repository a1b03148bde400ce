#include <chrono>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/controls.h"
#include "ops/deep_drill.h"
#include "test_support.h"

namespace tbx::test {
namespace {

using Fields = std::vector<std::pair<ControlId, std::string>>;

// A user on the Deep Drill tab at 325 sfm or 99 m/min: clicks the radios, types the fields
// (or, for values the box would reformat, sets them without leaving), then OK.
struct Drilling {
  Fields typed;
  std::vector<ControlId> clicks;
  Fields set = {};
};

void RunDeepDrill(Session& s, const Drilling& d) {
  s.runner.Tab(4);
  s.runner.Type(id::kSpm, s.runner.app().Metric() ? "99" : "325");
  for (ControlId control : d.clicks) ASSERT_TRUE(s.runner.Click(control));
  for (const auto& [control, text] : d.typed) ASSERT_TRUE(s.runner.Type(control, text));
  for (const auto& [control, text] : d.set) ASSERT_TRUE(s.runner.Set(control, text));
  ASSERT_TRUE(s.runner.Click(id::kDeepOk));
}

// The inch defaults up to X0, then the cycle blocks, then the return; numbered from N10.
std::string InchProgram(const std::vector<std::string>& cycle,
                        const std::string& speed = "G97 S2483 M3") {
  std::vector<std::string> blocks{"T0101 M8", "( DRILL ) ", speed, "G0 Z.1", "X0"};
  blocks.insert(blocks.end(), cycle.begin(), cycle.end());
  for (const char* tail : {"X4.", "Z6. M9", "M1"}) blocks.push_back(tail);
  std::string text;
  for (std::size_t i = 0; i < blocks.size(); ++i)
    text += "N" + std::to_string(10 * (i + 1)) + " " + blocks[i] + "\r\n";
  return text;
}

struct DeepCase {
  std::string name;
  bool metric;
  Drilling drilling;
  std::string program;
};
void PrintTo(const DeepCase& c, std::ostream* os) { *os << c.name; }

class DeepDrillProgram : public testing::TestWithParam<DeepCase> {};

TEST_P(DeepDrillProgram, WritesWholeOperation) {
  const DeepCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  ASSERT_TRUE(s.started);
  RunDeepDrill(s, c.drilling);
  EXPECT_EQ(s.runner.Messages(), std::vector<std::string>{});
  EXPECT_TRUE(SameProgram(s.Output(), c.program));
}

const std::vector<DeepCase> kDeepCases{
    // Point length of the 118 degree drill: .25 × tan 31° = .1502 below the depth.
    {"G83Inch", false, {},
     Program({"N10 T0101 M8", "N20 ( DRILL ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G83 Z-1.1502 Q.3 F.005", "N70 G80 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    {"G83Metric", true, {},
     Program({"N10 T0101 M8", "N20 ( DRILL ) ", "N30 G97 S3110 M3", "N40 G0 Z3.", "N50 X0",
              "N60 G83 Z-28.0043 Q6. F.2", "N70 G80 Z3.", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    {"G83Dwell", false, {{{id::kDeepDwell, ".5"}}, {}},
     InchProgram({"G83 Z-1.1502 Q.3 P500 F.005", "G80 Z.1"})},
    {"G83DwellPrintedMilliseconds", false, {{{id::kDeepDwell, ".251"}}, {}},
     InchProgram({"G83 Z-1.1502 Q.3 P251 F.005", "G80 Z.1"})},
    {"G83DwellBelowOneMillisecond", false, {{{id::kDeepDwell, ".0009"}}, {}},
     InchProgram({"G83 Z-1.1502 Q.3 F.005", "G80 Z.1"})},
    {"G83FlatBottom", false, {{}, {id::kFlatBottom}},
     InchProgram({"G83 Z-1. Q.3 F.005", "G80 Z.1"})},
    {"G83Angle135", false, {{}, {id::kDeep135}},
     InchProgram({"G83 Z-1.1036 Q.3 F.005", "G80 Z.1"})},
    {"EmptyComment", false, {{{id::kDeepComment, ""}}, {}},
     Program({"N10 T0101 M8", "N20 G97 S2483 M3", "N30 G0 Z.1", "N40 X0",
              "N50 G83 Z-1.1502 Q.3 F.005", "N60 G80 Z.1", "N70 X4.", "N80 Z6. M9", "N90 M1"})},
    // SPM is taken as a whole number, a half going to the even neighbour.
    {"SpmHalfUpToEven", false, {{{id::kSpm, "325.5"}}, {}},
     InchProgram({"G83 Z-1.1502 Q.3 F.005", "G80 Z.1"}, "G97 S2490 M3")},
    {"SpmHalfDownToEven", false, {{{id::kSpm, "324.5"}}, {}},
     InchProgram({"G83 Z-1.1502 Q.3 F.005", "G80 Z.1"}, "G97 S2475 M3")},

    {"EqualPeck", false, {{}, {id::kEqualPeck}},
     Program({"N10 T0101 M8", "N20 ( DRILL ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
              "N60 Z.025", "N70 G1 Z-.3 F.005", "N80 G0 Z.1", "N90 Z-.275", "N100 G1 Z-.6",
              "N110 G0 Z.1", "N120 Z-.575", "N130 G1 Z-.9", "N140 G0 Z.1", "N150 Z-.875",
              "N160 G1 Z-1.1502", "N170 G0 Z.1", "N180 X4.", "N190 Z6. M9", "N200 M1"})},
    {"EqualPeckDwell", false, {{{id::kDeepDwell, "2"}, {id::kPeckMax, ".6"}}, {id::kEqualPeck}},
     InchProgram({"Z.025", "G1 Z-.6 F.005", "G0 Z.1", "Z-.575", "G1 Z-1.1502", "G4 P2000",
                  "G0 Z.1"})},
    // The sixth peck is the first held at the minimum .1.
    {"PercentPeck", false, {{}, {id::kPercentPeckMode}},
     InchProgram({"Z.025", "G1 Z-.3 F.005", "G0 Z.1", "Z-.275", "G1 Z-.54", "G0 Z.1", "Z-.515",
                  "G1 Z-.732", "G0 Z.1", "Z-.707", "G1 Z-.8856", "G0 Z.1", "Z-.8606",
                  "G1 Z-1.0085", "G0 Z.1", "Z-.9835", "G1 Z-1.1085", "G0 Z.1", "Z-1.0835",
                  "G1 Z-1.1502", "G0 Z.1"})},
    {"PercentPeckWholeNumber", false, {{{id::kPercentPeck, "79.5"}}, {id::kPercentPeckMode}},
     InchProgram({"Z.025", "G1 Z-.3 F.005", "G0 Z.1", "Z-.275", "G1 Z-.54", "G0 Z.1", "Z-.515",
                  "G1 Z-.732", "G0 Z.1", "Z-.707", "G1 Z-.8856", "G0 Z.1", "Z-.8606",
                  "G1 Z-1.0085", "G0 Z.1", "Z-.9835", "G1 Z-1.1085", "G0 Z.1", "Z-1.0835",
                  "G1 Z-1.1502", "G0 Z.1"})},
    // 100 percent keeps the pecks equal, but the minimum still holds.
    {"PercentPeck100MinimumInForce", false,
     {{{id::kPercentPeck, "100"}, {id::kPeckMin, ".5"}}, {id::kPercentPeckMode}},
     InchProgram({"Z.025", "G1 Z-.3 F.005", "G0 Z.1", "Z-.275", "G1 Z-.8", "G0 Z.1", "Z-.775",
                  "G1 Z-1.1502", "G0 Z.1"})},
    {"PercentPeck100NoMinimum", false,
     {{{id::kPercentPeck, "100"}, {id::kPeckMin, "0"}, {id::kPeckMax, ".5"}},
      {id::kPercentPeckMode}},
     InchProgram({"Z.025", "G1 Z-.5 F.005", "G0 Z.1", "Z-.475", "G1 Z-1.", "G0 Z.1", "Z-.975",
                  "G1 Z-1.1502", "G0 Z.1"})},
    {"FirstPeckPastFinalDepth", false, {{{id::kPeckMax, "2"}}, {id::kEqualPeck}},
     InchProgram({"Z.025", "G1 Z-1.1502 F.005", "G0 Z.1"})},
    // Lands exactly on the final depth: once round the loop, then again without F.
    {"FirstPeckOnFinalDepth", false,
     {{{id::kDeepDepth, "-.3"}}, {id::kEqualPeck, id::kFlatBottom}},
     InchProgram({"Z.025", "G1 Z-.3 F.005", "G0 Z.1", "Z-.275", "G1 Z-.3", "G0 Z.1"})},
    // A later peck exactly on the final depth ends the loop; the last G1 goes there.
    {"LaterPeckOnFinalDepth", false,
     {{{id::kDeepDepth, "-.6"}}, {id::kEqualPeck, id::kFlatBottom}},
     InchProgram({"Z.025", "G1 Z-.3 F.005", "G0 Z.1", "Z-.275", "G1 Z-.6", "G0 Z.1"})},
    {"EqualPeck135", false, {{{id::kPeckMax, ".6"}}, {id::kEqualPeck, id::kDeep135}},
     InchProgram({"Z.025", "G1 Z-.6 F.005", "G0 Z.1", "Z-.575", "G1 Z-1.1036", "G0 Z.1"})},
    {"StartMoved", false, {{{id::kDeepStart, "1"}}, {id::kEqualPeck}},
     Program({"N10 T0101 M8", "N20 ( DRILL ) ", "N30 G97 S2483 M3", "N40 G0 Z1.1", "N50 X0",
              "N60 Z1.025", "N70 G1 Z.7 F.005", "N80 G0 Z1.1", "N90 Z.725", "N100 G1 Z.4",
              "N110 G0 Z1.1", "N120 Z.425", "N130 G1 Z.1", "N140 G0 Z1.1", "N150 Z.125",
              "N160 G1 Z-.1502", "N170 G0 Z1.1", "N180 X4.", "N190 Z6. M9", "N200 M1"})},
    {"EqualPeckMetric", true, {{{id::kDeepDepth, "-12"}}, {id::kEqualPeck}},
     Program({"N10 T0101 M8", "N20 ( DRILL ) ", "N30 G97 S3110 M3", "N40 G0 Z3.", "N50 X0",
              "N60 Z.5", "N70 G1 Z-6. F.2", "N80 G0 Z3.", "N90 Z-5.5", "N100 G1 Z-12.",
              "N110 G0 Z3.", "N120 Z-11.5", "N130 G1 Z-15.0043", "N140 G0 Z3.", "N150 X4.",
              "N160 Z6. M9", "N170 M1"})},
};

INSTANTIATE_TEST_SUITE_P(DeepDrill, DeepDrillProgram, testing::ValuesIn(kDeepCases),
                         [](const auto& info) { return info.param.name; });

// --- Refusals: nothing written, no undo entry, numbering goes on as if nothing happened.

struct DeepRefusal {
  std::string name;
  Drilling drilling;
  std::string message;
};
void PrintTo(const DeepRefusal& c, std::ostream* os) { *os << c.name; }

class DeepDrillRefused : public testing::TestWithParam<DeepRefusal> {};

TEST_P(DeepDrillRefused, WritesNothingAndReturnsAtOnce) {
  const DeepRefusal& c = GetParam();
  Session s;
  RunDeepDrill(s, {});  // one good operation: N10 .. N100
  const Trace before = TraceOf(s);
  const auto started = std::chrono::steady_clock::now();
  RunDeepDrill(s, c.drilling);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_TRUE(Refused(s, before, c.message));
}

const std::vector<DeepRefusal> kDeepRefusals{
    {"ZeroDiameter", {{}, {}, {{id::kDeepDrillDia, "0"}}}, "Drill Diameter must be greater than 0"},
    {"NegativeDiameter", {{}, {id::kEqualPeck}, {{id::kDeepDrillDia, "-.5"}}},
     "Drill Diameter must be greater than 0"},
    {"NegativeSpm", {{{id::kSpm, "-1"}}, {}}, "SPM must be 0 or more"},
    {"SpmPastSixteenBits", {{{id::kSpm, "40000"}}, {}}, "SPM must be at most 32767"},
    {"SpmRoundsPastSixteenBits", {{{id::kSpm, "32767.5"}}, {}}, "SPM must be at most 32767"},
    {"SpmHugelyNegative", {{{id::kSpm, "-1E+30"}}, {}}, "SPM must be 0 or more"},
    {"DwellTooLong", {{{id::kDeepDwell, "10000"}}, {}}, "Dwell Seconds must be less than 10000"},
    {"EqualPeckZero", {{{id::kPeckMax, "0"}}, {id::kEqualPeck}},
     "Peck Value (Max) must be greater than 0"},
    {"PercentPeckNegativeMax", {{{id::kPeckMax, "-.3"}}, {id::kPercentPeckMode}},
     "Peck Value (Max) must be greater than 0"},
    {"ShrinkingPecksWithoutMinimum",
     {{{id::kPeckMin, "0"}}, {id::kPercentPeckMode}},
     "Peck Value (Min) must be greater than 0 when Percent Peck is below 100"},
    {"PercentRoundsBelow100WithoutMinimum",
     {{{id::kPeckMin, "-1"}, {id::kPercentPeck, "99.4"}}, {id::kPercentPeckMode}},
     "Peck Value (Min) must be greater than 0 when Percent Peck is below 100"},
    {"PercentPastSixteenBits", {{{id::kPercentPeck, "40000"}}, {id::kPercentPeckMode}},
     "Percent Peck must be between -32768 and 32767"},
    // Counts checked before any block is built: these would run for ever or write millions.
    {"TinyEqualPecks", {{}, {id::kEqualPeck}, {{id::kPeckMax, ".0000001"}}},
     "Peck Value (Max) is too small: the operation would write more than 9,999 blocks"},
    // .2 + .16 + ... never passes 1.0: the pecks shrink to the minimum short of the depth.
    {"TinyMinimumPecks",
     {{{id::kPeckMax, ".2"}}, {id::kPercentPeckMode}, {{id::kPeckMin, "1E-30"}}},
     "Peck Value (Min) is too small: the operation would write more than 9,999 blocks"},
    // Far from zero a .01 peck is below the spacing of single-precision values: z never moves.
    {"PecksLostInPrecision",
     {{}, {id::kEqualPeck}, {{id::kDeepStart, "1000000"}, {id::kPeckMax, ".01"}}},
     "Peck Value (Max) is too small: the operation would write more than 9,999 blocks"},
};

INSTANTIATE_TEST_SUITE_P(DeepDrill, DeepDrillRefused, testing::ValuesIn(kDeepRefusals),
                         [](const auto& info) { return info.param.name; });

// 3329 whole-number pecks with comment and dwell make exactly 9,999 blocks; one more peck is
// refused.
TEST(DeepDrillBlockLimit, NineThousandNineHundredNinetyNineBlocksAreWritten) {
  Session s;
  RunDeepDrill(s, {{{id::kDeepDepth, "-3329.5"}, {id::kPeckMax, "1"}, {id::kDeepDwell, "1"}},
                   {id::kEqualPeck, id::kFlatBottom}});
  EXPECT_EQ(s.runner.Messages(), std::vector<std::string>{});
  const std::string out = s.Output();
  EXPECT_EQ(out.substr(out.rfind("N99"), 10), "N99990 M1\r");
  EXPECT_NE(out.find("N99940 G1 Z-3329.5\r\nN99950 G4 P1000\r\nN99960 G0 Z.1\r\n"),
            std::string::npos);
}

TEST(DeepDrillBlockLimit, TenThousandBlocksAreRefused) {
  Session s;
  RunDeepDrill(s, {{{id::kDeepDepth, "-3330.5"}, {id::kPeckMax, "1"}, {id::kDeepDwell, "1"}},
                   {id::kEqualPeck, id::kFlatBottom}});
  EXPECT_EQ(s.runner.Messages(),
            std::vector<std::string>{"[TBX Error] Peck Value (Max) is too small: the operation "
                                     "would write more than 9,999 blocks"});
  EXPECT_EQ(s.Output(), "");
}

TEST(DeepDrill, G83ReadsNoPercentPeck) {
  Session s;
  s.runner.Tab(4);
  s.runner.Click(id::kPercentPeckMode);
  s.runner.Type(id::kPercentPeck, "40000");
  RunDeepDrill(s, {{}, {id::kG83}});
  EXPECT_EQ(s.runner.Messages(), std::vector<std::string>{});
  EXPECT_EQ(s.Output(), InchProgram({"G83 Z-1.1502 Q.3 F.005", "G80 Z.1"}));
}

TEST(DeepDrill, EqualPeckLeavesMinimumBoxAlone) {
  Session s;
  RunDeepDrill(s, {{}, {id::kEqualPeck}});
  EXPECT_EQ(s.Text(id::kPeckMin), ".1");
}

// --- The mode radios enable what each mode reads.

const std::vector<ControlId> kPeckFields{id::kRapidClearanceLabel, id::kRapidClearance,
                                         id::kPeckMinLabel,        id::kPeckMin,
                                         id::kPercentPeckLabel,    id::kPercentPeck};

std::vector<ControlId> Enabled(Session& s) {
  std::vector<ControlId> on;
  for (ControlId c : kPeckFields)
    if (s.runner.form().Control(kMainForm, c)->enabled) on.push_back(c);
  return on;
}

TEST(DeepDrillHandlers, ModeRadiosEnableTheFieldsTheModeReads) {
  Session s;
  s.runner.Tab(4);
  EXPECT_EQ(Enabled(s), std::vector<ControlId>{});
  EXPECT_FALSE(s.runner.Type(id::kPeckMin, ".2"));  // disabled: takes no typing

  const std::vector<ControlId> equal{id::kRapidClearanceLabel, id::kRapidClearance};
  const std::vector<std::pair<ControlId, std::vector<ControlId>>> steps{
      {id::kEqualPeck, equal},       {id::kPercentPeckMode, kPeckFields},
      {id::kEqualPeck, equal},       {id::kG83, {}},
      {id::kPercentPeckMode, kPeckFields}, {id::kG83, {}}};
  for (const auto& [radio, enabled] : steps) {
    s.runner.Click(radio);
    EXPECT_EQ(Enabled(s), enabled) << "after clicking " << radio;
  }
}

TEST(DeepDrillHandlers, DrillAngleRadiosChangeNoField) {
  Session s;
  s.runner.Tab(4);
  s.runner.Click(id::kPercentPeckMode);
  for (ControlId angle : {id::kFlatBottom, id::kDeep135, id::kDeep118}) {
    s.runner.Click(angle);
    EXPECT_EQ(Enabled(s), kPeckFields);
  }
  EXPECT_EQ(s.Text(id::kDeepDrillDia), ".500");
}

}  // namespace
}  // namespace tbx::test
