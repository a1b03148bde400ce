// The Thread tab: whole programs for every code type, the tab's option handlers, and the inputs
// the generator refuses.
#include <chrono>
#include <string>
#include <vector>

#include "app/options.h"
#include "test_support.h"

namespace tbx::test {
namespace {

// A user action on the form before OK is clicked.
struct Step {
  enum Kind { kType, kClick } kind;
  ControlId id;
  std::string text;
};
Step Type(ControlId id, std::string text) { return {Step::kType, id, std::move(text)}; }
Step Click(ControlId id) { return {Step::kClick, id, ""}; }

void Apply(Session& s, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    bool taken = step.kind == Step::kType ? s.runner.Type(step.id, step.text) : s.runner.Click(step.id);
    ASSERT_TRUE(taken) << "control " << step.id << " took no action";
  }
}

#define EXPECT_PROGRAM(actual, expected) EXPECT_TRUE(SameProgram(actual, expected))

// The block of a program that contains `part`, or "" when none does.
std::string BlockWith(const std::string& program, const std::string& part) {
  for (const std::string& block : Blocks(program)) {
    if (block.find(part) != std::string::npos) return block;
  }
  return "";
}

// Sessions start in inch with SPM 325 or in metric with SPM 99; the steps say so again so that
// the programs below do not hang on the start-up speed.
std::vector<Step> Inch(std::vector<Step> more) {
  std::vector<Step> steps{Type(id::kSpm, "325")};
  steps.insert(steps.end(), more.begin(), more.end());
  return steps;
}
std::vector<Step> Metric(std::vector<Step> more) {
  std::vector<Step> steps{Type(id::kSpm, "99")};
  steps.insert(steps.end(), more.begin(), more.end());
  return steps;
}

struct ProgramCase {
  const char* name;
  bool metric;
  std::vector<Step> steps;
  std::string expected;
};
void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

std::vector<ProgramCase> ProgramCases() {
  using namespace id;
  return {
      {"InchOt", false, Inch({}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 P010000 Q30 R10", "N70 G76 X.2969 Z-1. P390 Q30 F.0625", "N80 G0 X4.",
                "N90 Z6. M9", "N100 M1"})},
      {"Inch6t", false, Inch({Click(k6tControl)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 X.2969 Z-1. K.0391 D050 F.0625 A00", "N70 G0 X4.", "N80 Z6. M9", "N90 M1"})},
      {"Inch6tPipeThread", false, Inch({Click(k6tControl), Click(kPipeThread)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 X.2969 Z-1. K.0391 D050 I-.0311 F.0625 A00", "N70 G0 X4.", "N80 Z6. M9",
                "N90 M1"})},
      // Two starts halve the speed cap (98) and move the second start one pitch off the cut.
      {"InchOtTwoLeadsChamferAngle60", false,
       Inch({Type(kLeads, "2"), Click(kChamfer45), Click(kToolAngle60)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S998 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 P013160 Q30 R10", "N70 G76 X.2969 Z-1. P390 Q30 F.125", "N80 G0 Z.0625",
                "N90 X.475", "N100 G76 P013160 Q30 R10", "N110 G76 X.2969 Z-1. P390 Q30 F.125",
                "N120 G0 X4.", "N130 Z6. M9", "N140 M1"})},
      {"MetricOt", true, Metric({}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S2482 M3", "N40 G0 Z0.", "N50 X16.",
                "N60 G76 P010000 Q100 R0.02", "N70 G76 X8.338 Z-25. P830 Q200 F1.25", "N80 G0 X4.",
                "N90 Z6. M9", "N100 M1"})},
      {"Metric6t", true, Metric({Click(k6tControl)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S2482 M3", "N40 G0 Z0.", "N50 X16.",
                "N60 G76 X8.3383 Z-25. K.8308 D050 F1.25 A00", "N70 G0 X4.", "N80 Z6. M9", "N90 M1"})},
      // The fourth pass repeats the last at full depth (Dwell Passes 1); RapidMode is 1 after the
      // final Z block, so the return needs no G0.
      {"InchG32", false, Inch({Click(kG32Code), Type(kThreadPasses, "3")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.3445",
                "N60 G32 Z-1. F.0625", "N70 G0 X.475", "N80 Z0.", "N90 X.3207", "N100 G32 Z-1.",
                "N110 G0 X.475", "N120 Z0.", "N130 X.2969", "N140 G32 Z-1.", "N150 G0 X.475",
                "N160 Z0.", "N170 X.2969", "N180 G32 Z-1.", "N190 G0 X.475", "N200 Z0.", "N210 X4.",
                "N220 Z6. M9", "N230 M1"})},
      {"InchG33", false, Inch({Click(kG33Code), Type(kThreadPasses, "3")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.3445",
                "N60 G33 Z-1. F.0625", "N70 G0 X.475", "N80 Z0.", "N90 X.3207", "N100 G33 Z-1.",
                "N110 G0 X.475", "N120 Z0.", "N130 X.2969", "N140 G33 Z-1.", "N150 G0 X.475",
                "N160 Z0.", "N170 X.2969", "N180 G33 Z-1.", "N190 G0 X.475", "N200 Z0.", "N210 X4.",
                "N220 Z6. M9", "N230 M1"})},
      // Each pass starts and ends one flank shift (.0068646) farther out, none on the last.
      {"InchG32ToolAngle60", false,
       Inch({Click(kG32Code), Type(kThreadPasses, "3"), Type(kDwellPasses, "0"), Click(kToolAngle60)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z.0137", "N50 X.3445",
                "N60 G32 Z-.9863 F.0625", "N70 G0 X.475", "N80 Z.0069", "N90 X.3207",
                "N100 G32 Z-.9931", "N110 G0 X.475", "N120 Z0.", "N130 X.2969", "N140 G32 Z-1.",
                "N150 G0 X.475", "N160 Z0.", "N170 X4.", "N180 Z6. M9", "N190 M1"})},
      {"MetricG32", true, Metric({Click(kG32Code), Type(kThreadPasses, "3"), Type(kDwellPasses, "0")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S2482 M3", "N40 G0 Z0.", "N50 X9.3559",
                "N60 G32 Z-25. F1.25", "N70 G0 X16.", "N80 Z0.", "N90 X8.8471", "N100 G32 Z-25.",
                "N110 G0 X16.", "N120 Z0.", "N130 X8.3383", "N140 G32 Z-25.", "N150 G0 X16.",
                "N160 Z0.", "N170 X4.", "N180 Z6. M9", "N190 M1"})},
      // Inside: approach from the minor diameter, the cycle's X is the major diameter.
      {"InchOtInside", false, Inch({Click(kThreadInside)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.1969",
                "N60 G76 P010000 Q30 R10", "N70 G76 X.375 Z-1. P390 Q30 F.0625", "N80 G0 X4.",
                "N90 Z6. M9", "N100 M1"})},
      {"Inch6tInside", false, Inch({Click(kThreadInside), Click(k6tControl)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.1969",
                "N60 G76 X.375 Z-1. K.0391 D050 F.0625 A00", "N70 G0 X4.", "N80 Z6. M9", "N90 M1"})},
      // Inside passes: depth .56 H without crest truncation, from the minor diameter .3143782
      // out to the major diameter, retracting inward.
      {"InchG32Inside", false,
       Inch({Click(kThreadInside), Click(kG32Code), Type(kThreadPasses, "3"), Type(kDwellPasses, "0")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.3346",
                "N60 G32 Z-1. F.0625", "N70 G0 X.2144", "N80 Z0.", "N90 X.3548", "N100 G32 Z-1.",
                "N110 G0 X.2144", "N120 Z0.", "N130 X.375", "N140 G32 Z-1.", "N150 G0 X.2144",
                "N160 Z0.", "N170 X4.", "N180 Z6. M9", "N190 M1"})},
      // Three starts, each a pitch farther from the cut, each tapered from its own start Z.
      {"Inch6tThreeStartsPipe", false, Inch({Click(k6tControl), Type(kLeads, "3"), Click(kPipeThread)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S662 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 X.2969 Z-1. K.0391 D050 I-.0311 F.1875 A00", "N70 G0 Z.0625", "N80 X.475",
                "N90 G76 X.2969 Z-1. K.0391 D050 I-.0331 F.1875 A00", "N100 G0 Z.125", "N110 X.475",
                "N120 G76 X.2969 Z-1. K.0391 D050 I-.035 F.1875 A00", "N130 G0 X4.", "N140 Z6. M9",
                "N150 M1"})},
      {"InchOtThreeStartsTaperAngle", false, Inch({Type(kLeads, "3"), Type(kTaperAngle, "5")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S662 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 P010000 Q30 R10", "N70 G76 X.2969 Z-1. P390 Q30 R-.0875 F.1875",
                "N80 G0 Z.0625", "N90 X.475", "N100 G76 P010000 Q30 R10",
                "N110 G76 X.2969 Z-1. P390 Q30 R-.093 F.1875", "N120 G0 Z.125", "N130 X.475",
                "N140 G76 P010000 Q30 R10", "N150 G76 X.2969 Z-1. P390 Q30 R-.0984 F.1875",
                "N160 G0 X4.", "N170 Z6. M9", "N180 M1"})},
      // Cutting toward plus Z: further starts lie below Z Start and an outside taper is positive.
      {"InchOtZEndAboveZStart", false,
       Inch({Type(kThreadZEnd, "1"), Type(kLeads, "3"), Click(kPipeThread)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S662 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 P010000 Q30 R10", "N70 G76 X.2969 Z1. P390 Q30 R.0311 F.1875",
                "N80 G0 Z-.0625", "N90 X.475", "N100 G76 P010000 Q30 R10",
                "N110 G76 X.2969 Z1. P390 Q30 R.0331 F.1875", "N120 G0 Z-.125", "N130 X.475",
                "N140 G76 P010000 Q30 R10", "N150 G76 X.2969 Z1. P390 Q30 R.035 F.1875",
                "N160 G0 X4.", "N170 Z6. M9", "N180 M1"})},
      // Toward plus Z the flank shifts and start offsets turn negative.
      {"InchG32ZEndAboveZStartTwoStarts", false,
       Inch({Type(kThreadZEnd, "1"), Type(kLeads, "2"), Click(kG32Code), Type(kThreadPasses, "2"),
             Type(kDwellPasses, "0"), Click(kToolAngle60)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S998 M3", "N40 G0 Z-.0103", "N50 X.3326",
                "N60 G32 Z.9897 F.125", "N70 G0 X.475", "N80 Z0.", "N90 X.2969", "N100 G32 Z1.",
                "N110 G0 X.475", "N120 Z-.0728", "N130 X.3326", "N140 G32 Z.9897 F.125",
                "N150 G0 X.475", "N160 Z-.0625", "N170 X.2969", "N180 G32 Z1.", "N190 G0 X.475",
                "N200 Z0.", "N210 X4.", "N220 Z6. M9", "N230 M1"})},
      // A taper angle moves every infeed in and gives each threading block its end X.
      {"InchG32TaperAngle", false,
       Inch({Click(kG32Code), Type(kThreadPasses, "2"), Type(kDwellPasses, "0"), Click(kPipeThread)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.2703",
                "N60 G32 X.3326 Z-1. F.0625", "N70 G0 X.475", "N80 Z0.", "N90 X.2346",
                "N100 G32 X.2969 Z-1.", "N110 G0 X.475", "N120 Z0.", "N130 X4.", "N140 Z6. M9",
                "N150 M1"})},
      // One pass: the F word stands in every repeat too.
      {"InchG32OnePassTwoDwells", false,
       Inch({Click(kG32Code), Type(kThreadPasses, "1"), Type(kDwellPasses, "2")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.2969",
                "N60 G32 Z-1. F.0625", "N70 G0 X.475", "N80 Z0.", "N90 X.2969", "N100 G32 Z-1. F.0625",
                "N110 G0 X.475", "N120 Z0.", "N130 X.2969", "N140 G32 Z-1. F.0625", "N150 G0 X.475",
                "N160 Z0.", "N170 X4.", "N180 Z6. M9", "N190 M1"})},
      // Dwell Passes 1.5 shows as 02 in the OT m field, so the last pass is repeated twice.
      {"InchG32FractionalDwellRoundsHalfUp", false,
       Inch({Click(kG32Code), Type(kThreadPasses, "1"), Type(kDwellPasses, "1.5")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.2969",
                "N60 G32 Z-1. F.0625", "N70 G0 X.475", "N80 Z0.", "N90 X.2969", "N100 G32 Z-1. F.0625",
                "N110 G0 X.475", "N120 Z0.", "N130 X.2969", "N140 G32 Z-1. F.0625", "N150 G0 X.475",
                "N160 Z0.", "N170 X4.", "N180 Z6. M9", "N190 M1"})},
      {"InchG32NegativeDwellRepeatsNothing", false,
       Inch({Click(kG32Code), Type(kThreadPasses, "1"), Type(kDwellPasses, "-2.7")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.2969",
                "N60 G32 Z-1. F.0625", "N70 G0 X.475", "N80 Z0.", "N90 X4.", "N100 Z6. M9",
                "N110 M1"})},
      // No pass at all: the head, the final Z block and the return.
      {"InchG32NoThreadPasses", false, Inch({Click(kG32Code), Type(kThreadPasses, "0")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X4.",
                "N60 Z6. M9", "N70 M1"})},
      {"SpmBelowCapIsKept", false, Inch({Type(id::kSpm, "100"), Click(k6tControl)}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1019 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 X.2969 Z-1. K.0391 D050 F.0625 A00", "N70 G0 X4.", "N80 Z6. M9", "N90 M1"})},
      {"EmptyCommentWritesNoBlock", false, Inch({Type(kThreadComment, ""), Click(k6tControl)}),
       Program({"N10 T0101 M8", "N20 G97 S1996 M3", "N30 G0 Z0.", "N40 X.475",
                "N50 G76 X.2969 Z-1. K.0391 D050 F.0625 A00", "N60 G0 X4.", "N70 Z6. M9", "N80 M1"})},
      {"BlankCommentIsWritten", false, Inch({Type(kThreadComment, "  "), Click(k6tControl)}),
       Program({"N10 T0101 M8", "N20 (    ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.475",
                "N60 G76 X.2969 Z-1. K.0391 D050 F.0625 A00", "N70 G0 X4.", "N80 Z6. M9", "N90 M1"})},
      // The Metric box decides at OK time, whatever unit the form was built in.
      {"MetricTickedWithoutRestart", false,
       Inch({Click(kMetric), Type(kThreadMajorDia, "10"), Type(kThreadPitch, "1.25"),
             Type(kThreadZEnd, "-25"), Type(kThreadXClearance, "3"), Type(kMaxSpm, "38"),
             Type(id::kSpm, "99")}),
       Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S2482 M3", "N40 G0 Z0.", "N50 X16.",
                "N60 G76 P010000 Q100 R0.02", "N70 G76 X8.338 Z-25. P830 Q200 F1.25", "N80 G0 X4.",
                "N90 Z6. M9", "N100 M1"})},
  };
}

class ThreadProgram : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ThreadProgram, WritesWholeOperation) {
  const ProgramCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  ASSERT_TRUE(s.started);
  Apply(s, c.steps);
  s.runner.Click(id::kThreadOk);
  EXPECT_PROGRAM(s.Output(), c.expected);
  for (const std::string& message : s.runner.Messages())
    EXPECT_EQ(message.rfind("[TBX Error]", 0), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Thread, ThreadProgram, ::testing::ValuesIn(ProgramCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The r field of the first OT block: five times the pitch in hundredths, in single precision
// step by step, at most 99.
struct ChamferCase {
  const char* pitch;
  const char* pField;
};
void PrintTo(const ChamferCase& c, std::ostream* os) { *os << "pitch " << c.pitch; }

class ThreadChamfer : public ::testing::TestWithParam<ChamferCase> {};

TEST_P(ThreadChamfer, FillsTheRField) {
  Session s;
  // A major diameter that leaves the coarsest pitch a root above the centre.
  Apply(s, {Type(id::kThreadMajorDia, "3"), Type(id::kThreadPitch, GetParam().pitch),
            Click(id::kChamfer45)});
  s.runner.Click(id::kThreadOk);
  EXPECT_EQ(BlockWith(s.Output(), "G76 P"), std::string("N60 G76 ") + GetParam().pField + " Q30 R10");
}

INSTANTIATE_TEST_SUITE_P(Thread, ThreadChamfer,
                         ::testing::Values(ChamferCase{".0625", "P013100"}, ChamferCase{".0156", "P010700"},
                                           ChamferCase{".02", "P011000"}, ChamferCase{".03", "P011500"},
                                           ChamferCase{".06", "P013000"}, ChamferCase{".12", "P016000"},
                                           ChamferCase{".2", "P019900"}, ChamferCase{"1.25", "P019900"}));

TEST(ThreadChamfer, ZeroWritesDoubleZero) {
  Session s;
  Apply(s, {Click(id::kChamfer45), Click(id::kChamferZero)});
  s.runner.Click(id::kThreadOk);
  EXPECT_EQ(BlockWith(s.Output(), "G76 P"), "N60 G76 P010000 Q30 R10");
}

// The m field: Dwell Passes rounded half up, its last two digits; none below 0.
TEST(ThreadDwellField, KeepsLastTwoDigits) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"0", "N60 G76 P000000 Q30 R10"}, {"12", "N60 G76 P120000 Q30 R10"},
      {"123", "N60 G76 P230000 Q30 R10"}, {"2.5", "N60 G76 P030000 Q30 R10"},
      {"2.4", "N60 G76 P020000 Q30 R10"}, {"-1", "N60 G76 P000000 Q30 R10"}};
  for (const auto& [dwell, block] : cases) {
    Session s;
    Apply(s, {Type(id::kDwellPasses, dwell)});
    s.runner.Click(id::kThreadOk);
    EXPECT_EQ(BlockWith(s.Output(), "G76 P"), block) << "Dwell Passes " << dwell;
  }
}

// Every return block leaves RapidMode 1: a second pass-by-pass operation's first approach has
// no G0, and a second cycle operation's return has none either.
TEST(ThreadRapidMode, SecondOperationsFollowTheReturn) {
  Session s;
  Apply(s, Inch({Click(id::k6tControl)}));
  s.runner.Click(id::kThreadOk);
  s.runner.Click(id::kThreadOk);
  Apply(s, {Click(id::kG32Code), Type(id::kThreadPasses, "1"), Type(id::kDwellPasses, "0")});
  s.runner.Click(id::kThreadOk);
  EXPECT_PROGRAM(
      s.Output(),
      Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.475",
               "N60 G76 X.2969 Z-1. K.0391 D050 F.0625 A00", "N70 G0 X4.", "N80 Z6. M9", "N90 M1",
               "N100 T0101 M8", "N110 ( Thread ) ", "N120 G97 S1996 M3", "N130 G0 Z0.", "N140 X.475",
               "N150 G76 X.2969 Z-1. K.0391 D050 F.0625 A00", "N160 X4.", "N170 Z6. M9", "N180 M1",
               "N190 T0101 M8", "N200 ( Thread ) ", "N210 G97 S1996 M3", "N220 Z0.", "N230 X.2969",
               "N240 G32 Z-1. F.0625", "N250 G0 X.475", "N260 Z0.", "N270 X4.", "N280 Z6. M9",
               "N290 M1"}));
}

// The code type radios leave usable only the fields their form reads.
TEST(ThreadHandlers, CodeTypeEnablesItsFields) {
  using namespace id;
  struct Row {
    ControlId radio;
    bool passes;   // Thread Passes and its label
    bool chamfer;  // the Chamfer Exit frame and its radios
  };
  const std::vector<Row> rows = {{kG32Code, true, false}, {k6tControl, false, false},
                                 {kOtControl, false, true}, {kG33Code, true, false},
                                 {kOtControl, false, true}};
  Session s;
  auto enabled = [&](ControlId c) { return s.runner.form().Control(kMainForm, c)->enabled; };
  EXPECT_FALSE(enabled(kThreadPasses));
  EXPECT_FALSE(enabled(kThreadPassesLabel));
  for (const Row& row : rows) {
    s.runner.Click(row.radio);
    for (ControlId c : {kThreadPasses, kThreadPassesLabel})
      EXPECT_EQ(enabled(c), row.passes) << "control " << c << " after clicking " << row.radio;
    for (ControlId c : {kChamferFrame, kChamfer45, kChamferZero})
      EXPECT_EQ(enabled(c), row.chamfer) << "control " << c << " after clicking " << row.radio;
  }
}

TEST(ThreadHandlers, PipeThreadSetsTaperAngle) {
  Session s;
  s.runner.Click(id::kPipeThread);
  EXPECT_EQ(s.Text(id::kTaperAngle), "1.78332");
  // Angle has no handler: the pipe angle stays until the user changes it.
  s.runner.Click(id::kTaperByAngle);
  EXPECT_EQ(s.Text(id::kTaperAngle), "1.78332");
}

// A data file whose second thread has no diameter and a pitch that prints as 0.
std::string DataWithBlankThread() {
  std::string data = ShippedData();
  const std::string first = "#0-80,.06,80\r\n";
  std::size_t at = data.find(first);
  EXPECT_NE(at, std::string::npos);
  data.insert(at + first.size(), "Blank,0,1e30\r\n");
  return data;
}

TEST(ThreadHandlers, ThreadSizeFillsMajorDiaAndPitch) {
  Session s;
  s.runner.Pick(id::kThreadSize, 17);  // 3/8-16
  EXPECT_EQ(s.Text(id::kThreadMajorDia), ".375");
  EXPECT_EQ(s.Text(id::kThreadPitch), ".0625");

  Session m(kMetricDefaults);
  m.runner.Pick(id::kThreadSize, 17);
  EXPECT_EQ(m.Text(id::kThreadMajorDia), "9.525");
  EXPECT_EQ(m.Text(id::kThreadPitch), "1.5875");
}

TEST(ThreadHandlers, ThreadSizeFallsBackToFirstEntry) {
  Session s(kInchDefaults, DataWithBlankThread());
  ASSERT_TRUE(s.started);
  s.runner.Pick(id::kThreadSize, 1);
  EXPECT_EQ(s.Text(id::kThreadMajorDia), ".06");
  EXPECT_EQ(s.Text(id::kThreadPitch), ".0125");

  // A text that names no entry reads record 0, which holds zeros.
  s.runner.Set(id::kThreadSize, "no such size");
  s.runner.app().SetText(id::kThreadMajorDia, "1.");
  FillFromThreadSize(s.runner.app(), id::kThreadSize, id::kThreadMajorDia, id::kThreadPitch);
  EXPECT_EQ(s.Text(id::kThreadMajorDia), ".06");
  EXPECT_EQ(s.Text(id::kThreadPitch), ".0125");
}

// Inputs that make the operation meaningless: nothing written, the counter and the undo
// history untouched, the reason shown.
struct RefusalCase {
  const char* name;
  std::vector<Step> steps;
  const char* message;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

std::vector<RefusalCase> RefusalCases() {
  using namespace id;
  return {
      {"MajorDiaZero", {Type(kThreadMajorDia, "0")}, "Major Dia must be greater than 0"},
      {"MajorDiaNegative", {Type(kThreadMajorDia, "-.375")}, "Major Dia must be greater than 0"},
      {"PitchZero", {Type(kThreadPitch, "0")}, "Pitch must not be 0"},
      {"LeadsZero", {Type(kLeads, "0")}, "Leads must be at least 1"},
      {"LeadsFraction", {Type(kLeads, ".9")}, "Leads must be at least 1"},
      {"LeadsNegative", {Type(kLeads, "-3")}, "Leads must be at least 1"},
      {"LeadsBeyond16Bit", {Type(kLeads, "40000")}, "Leads must be at most 32767"},
      {"MaxSpmBeyond16Bit", {Type(kMaxSpm, "32768")}, "Max SPM must be from -32768 to 32767"},
      {"MaxSpmNegative", {Type(kMaxSpm, "-125")}, "Max SPM must not be negative"},
      {"PitchNegative", {Type(kThreadPitch, "-.0625")}, "Pitch must not be negative"},
      {"SpmNegative", {Type(id::kSpm, "-5")}, "SPM must not be negative"},
      {"SpeedCapBeyond16Bit",
       {Type(kMaxSpm, "32000"), Type(kThreadPitch, ".001")},
       "Max SPM must be lower: the speed cap it gives for this thread must be at most 32767"},
      {"HeightWordBeyond16Bit",
       {Type(kThreadMajorDia, "100"), Type(kThreadPitch, "6")},
       "Pitch must give a thread height word from -32768 to 32767"},
      {"DwellBeyondPlainDigits", {Type(kDwellPasses, "1e8")}, "Dwell Passes is too large to show in the box"},
      {"ChamferWithNegativePitch",
       {Type(kThreadPitch, "-.0625"), Type(kMaxSpm, "0"), Click(kChamfer45)},
       "Pitch must be greater than 0 for a 45 Degrees chamfer exit"},
      {"ThreadPassesBeyond16Bit",
       {Click(kG32Code), Type(kThreadPasses, "99999")},
       "Thread Passes must be from -32768 to 32767"},
      {"OtTooManyLeads", {Type(kLeads, "2500"), Type(kMaxSpm, "1")},
       "Leads must give at most 9999 blocks: an OT thread writes 4 blocks per lead"},
      {"SixTTooManyLeads", {Click(k6tControl), Type(kLeads, "3333"), Type(kMaxSpm, "1")},
       "Leads must give at most 9999 blocks: a 6T thread writes 3 blocks per lead"},
      {"PassesTooMany",
       {Click(kG32Code), Type(kLeads, "32767"), Type(kThreadPasses, "32767"), Type(kMaxSpm, "1"),
        Type(kDwellPasses, "9999999")},
       "Leads, Thread Passes and Dwell Passes must give at most 9999 blocks: each pass of each lead writes 4"},
      {"DwellRepeatsTooMany",
       {Click(kG32Code), Type(kThreadPasses, "3"), Type(kDwellPasses, "2496")},
       "Leads, Thread Passes and Dwell Passes must give at most 9999 blocks: each pass of each lead writes 4"},
      // A G-code word that would need an exponent is refused, not written.
      {"SpindleSpeedBeyondPlainDigits",
       {Type(kThreadMajorDia, ".0001"), Type(kThreadPitch, ".001"), Type(kMaxSpm, "32767")},
       "The S word is out of range (1.241409E+7)"},
  };
}

class ThreadRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ThreadRefusal, WritesNothing) {
  Session s;
  s.runner.Click(id::kThreadOk);
  const Trace before = TraceOf(s);

  Apply(s, GetParam().steps);
  const auto started = std::chrono::steady_clock::now();
  s.runner.Click(id::kThreadOk);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_TRUE(Refused(s, before, GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(Thread, ThreadRefusal, ::testing::ValuesIn(RefusalCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The most blocks an operation may hold are written: 2 head blocks, 2498 starts of 4, and
// tool change and return make 9998.
TEST(ThreadLimits, LargestOtOperationIsWritten) {
  Session s;
  Apply(s, {Type(id::kLeads, "2498"), Type(id::kMaxSpm, "2000")});
  s.runner.Click(id::kThreadOk);
  EXPECT_TRUE(s.runner.Messages().empty());
  EXPECT_EQ(Blocks(s.Output()).size(), 9998u);
}

// 2 head blocks, 3 + 2495 passes of 4, the final Z block, tool change and return: 9999.
TEST(ThreadLimits, LargestPassOperationIsWritten) {
  Session s;
  Apply(s, {Click(id::kG32Code), Type(id::kThreadPasses, "3"), Type(id::kDwellPasses, "2495")});
  s.runner.Click(id::kThreadOk);
  EXPECT_TRUE(s.runner.Messages().empty());
  const std::vector<std::string> blocks = Blocks(s.Output());
  ASSERT_EQ(blocks.size(), 9999u);
  EXPECT_EQ(blocks[9995], "N99960 Z0.");
  EXPECT_EQ(blocks[9998], "N99990 M1");
}

}  // namespace
}  // namespace tbx::test
