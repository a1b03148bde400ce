// The block writer, the pass levels and the generators called on values, no window started;
// and the one table of inputs that would write code a lathe must never run.
#include <functional>
#include <string>
#include <vector>

#include "ops/csink_drill.h"
#include "ops/deep_drill.h"
#include "ops/face.h"
#include "ops/groove.h"
#include "ops/part_off.h"
#include "ops/pass_levels.h"
#include "ops/ream.h"
#include "ops/tap.h"
#include "ops/thread.h"
#include "ops/turn.h"
#include "program/block_writer.h"
#include "test_support.h"

namespace tbx::test {
namespace {

// --- The block writer: codes and F words only where they change.

struct WriterCase {
  const char* name;
  int rapidModeFound;
  std::function<void(BlockWriter&)> moves;
  std::vector<std::string> blocks;
  int rapidModeLeft;
};
void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }

const WriterCase kWriterCases[] = {
    {"G0 in force from the operation before",
     1,
     [](BlockWriter& w) {
       w.Rapid({1.5, -.25});
     },
     {" X1.5 Z-.25"},
     1},
    {"G0 stated when the operation before fed",
     0,
     [](BlockWriter& w) { w.Rapid({.x = 1.5}); },
     {" G0 X1.5"},
     1},
    {"feeds: G1 and F once, F again when it changes",
     1,
     [](BlockWriter& w) {
       w.Feed({.z = -1}, .01);
       w.Feed({.x = 2}, .01);
       w.Feed({.z = -2}, .005);
     },
     {" G1 Z-1. F.01", " X2.", " Z-2. F.005"},
     0},
    {"a rapid after a feed states G0, the next feed G1 but not the same F",
     1,
     [](BlockWriter& w) {
       w.Feed({.z = -1}, .01);
       w.Rapid({.z = .1});
       w.Feed({.z = -1}, .01);
     },
     {" G1 Z-1. F.01", " G0 Z.1", " G1 Z-1."},
     0},
    {"codes and F stated on request",
     1,
     [](BlockWriter& w) {
       w.StateCode();
       w.Rapid({.z = .1});
       w.Feed({.z = -1}, .01);
       w.StateCode();
       w.StateFeed();
       w.Feed({.z = -2}, .01);
     },
     {" G0 Z.1", " G1 Z-1. F.01", " G1 Z-2. F.01"},
     0},
    {"threading and arcs state their code every time, the lead only when it changes",
     1,
     [](BlockWriter& w) {
       w.Thread({.z = -1}, .0625, WordClass::Lead, " G32");
       w.Thread({.3, -1.5}, .0625, WordClass::Lead, " G32");
       w.Arc(true, {.9, -.2}, .05, .0625);
       w.Arc(false, {.8, -.3}, -.05, .003);
     },
     {" G32 Z-1. F.0625", " G32 X.3 Z-1.5", " G2 X.9 Z-.2 I.05", " G3 X.8 Z-.3 I-.05 F.003"},
     0},
    {"the centre, dwells, and a cycle after which G0 and F are stated again",
     1,
     [](BlockWriter& w) {
       w.RapidToCentre();
       w.Dwell(0);
       w.Dwell(250);
       w.Cycle(" G83 Z-1. Q.3 F.005");
       w.Rapid({.z = .1}, " M4");
       w.Feed({.z = -1}, .005);
     },
     {" X0", " G4 P250", " G83 Z-1. Q.3 F.005", " G0 Z.1 M4", " G1 Z-1. F.005"},
     0},
    {"a cancelled cycle leaves G0 in force",
     0,
     [](BlockWriter& w) {
       w.Cycle(" G84 Z-1. F.0625");
       w.CancelCycle({.z = .3});
       w.Rapid({.x = 4});
     },
     {" G84 Z-1. F.0625", " G80 Z.3", " X4."},
     1},
    {"a cycle leaves no motion known",
     1,
     [](BlockWriter& w) { w.Cycle(" G76 X.3 Z-1."); },
     {" G76 X.3 Z-1."},
     0},
};

class BlockWriterMoves : public ::testing::TestWithParam<WriterCase> {};

TEST_P(BlockWriterMoves, WriteTheirBlocksModally) {
  const WriterCase& c = GetParam();
  Operation op(c.rapidModeFound);
  BlockWriter writer(op);
  c.moves(writer);
  writer.Finish();
  EXPECT_EQ(op.Blocks(), c.blocks);
  EXPECT_EQ(op.RapidMode(), c.rapidModeLeft);
  EXPECT_TRUE(op.Refusal().empty());
}

INSTANTIATE_TEST_SUITE_P(Values, BlockWriterMoves, ::testing::ValuesIn(kWriterCases));

// --- Pass levels: equal steps, the last exactly on size; a step far too small refused at once.

TEST(PassLevels, EqualStepsEndingOnSize) {
  const struct {
    double from, to, step;
    std::vector<double> levels;
  } cases[] = {
      {2, 1.5, .1, {1.9, 1.8, 1.7, 1.6, 1.5}},
      {2, 1.5, .3, {1.75, 1.5}},  // two equal passes, never a sliver
      {.05, .005, .05, {.005}},   // one pass reaches it
      {1, 1, .1, {}},             // nothing to cut
      {0, .3, .1, {.1, .2, .3}},  // upward (inside) as well
      {1, 0, .1 + 1e-9, {.9, .8, .7, .6, .5, .4, .3, .2, .1, 0}},  // noise takes no extra pass
  };
  for (const auto& c : cases) {
    Operation op(0);
    const std::vector<double> levels = PassLevels(op, c.from, c.to, c.step);
    ASSERT_EQ(levels.size(), c.levels.size()) << c.from << " to " << c.to << " by " << c.step;
    for (std::size_t k = 0; k < levels.size(); ++k) EXPECT_NEAR(levels[k], c.levels[k], 1e-12);
    EXPECT_TRUE(op.Refusal().empty());
  }
  Operation op(0);
  EXPECT_TRUE(PassLevels(op, 0, 1, 1e-5).empty());
  EXPECT_EQ(op.Refusal().text, kTooManyBlocks);
  EXPECT_EQ(op.Refusal().field, "");
}

// --- The generators on the inch defaults of their tabs.

OpContext Inch(float spm = 325) {
  return OpContext{false, kPi, 0, spm, ToolChange{"T01", "01", true, "4.", "6."}};
}

ThreadInputs ThreadDefaults() {
  ThreadInputs in;
  in.comment = "Thread";
  in.majorDia = .375f, in.pitch = .0625f, in.zStart = 0, in.zEnd = -1, in.xClearance = .05f;
  in.dwellPasses = 1, in.leads = 1, in.maxSpm = 125, in.passes = 10;
  return in;
}
CSinkDrillInputs CSinkDefaults() { return {"START DRILL", .375f, 0, .1f, 0, .005f}; }
DeepDrillInputs DeepDefaults() {
  DeepDrillInputs in;
  in.comment = "DRILL", in.point = DrillPoint::Deg118;
  in.drillDia = .5f, in.zStart = 0, in.depth = -1, in.zClearance = .1f, in.feed = .005f;
  in.peckMax = .3f, in.rapidClearance = .025f, in.peckMin = .1f, in.percentPeck = 80;
  return in;
}
ReamInputs ReamDefaults() { return {"REAM", .5f, 0, -1, .1f, .005f, false}; }
TapInputs TapDefaults() { return {"TAP", .375f, .0625f, 0, -1, .3f}; }
GrooveInputs GrooveDefaults() {
  GrooveInputs in;
  in.comment = "GROOVE", in.majorDia = 1, in.minorDia = .5f, in.zStart = 0, in.zAbsClr = .1f;
  in.xIncClr = .05f, in.grooveWidth = 1, in.toolWidth = .125f, in.percentStep = 80;
  in.feed = .005f, in.bottomStock = .01f, in.wallStock = .005f, in.finishPass = true;
  return in;
}
FaceInputs FaceDefaults() {
  return {"FACE", 2, 0, .05f, 0, .05f, .005f, .01f, .005f, .1f, .05f, {}};
}
TurnInputs TurnDefaults() {
  return {"TURN", false, 2, 1.5f, 0, -1, .05f, .01f, .005f, .01f, .005f, .03f, .05f, {}};
}
PartOffInputs PartOffDefaults() {
  return {"PART OFF", 2, 0, -1, .125f, 0, .003f, .25f, .0015f, 0, .05f, {}};
}

// The whole program one operation writes from N10, or its refusal.
std::string ProgramOf(const Operation& op, const OpContext& ctx) {
  const Refusal refusal = WriteRefusal(op, ctx.toolChange);
  if (!refusal.empty()) return "refused " + refusal.field + ": " + refusal.text;
  std::string text;
  ProgramState state;
  AppendOperation(text, state, ctx.toolChange, op);
  return text;
}

// The generator on its tab's defaults, changed by `change`.
template <typename Inputs>
std::function<Operation()> With(Inputs (*defaults)(),
                                Operation (*generate)(const Inputs&, const OpContext&),
                                std::function<void(Inputs&)> change, float spm = 325) {
  return [=] {
    Inputs in = defaults();
    change(in);
    return generate(in, Inch(spm));
  };
}

struct GeneratorCase {
  const char* name;
  std::function<Operation()> run;
  std::string program;
};
void PrintTo(const GeneratorCase& c, std::ostream* os) { *os << c.name; }

class Generators : public ::testing::TestWithParam<GeneratorCase> {};
TEST_P(Generators, WriteWholePrograms) {
  EXPECT_TRUE(SameProgram(ProgramOf(GetParam().run(), Inch()), GetParam().program));
}

// The programs of the tabs' defaults are those the window writes for them (tests/jobs); a
// refusal shows as "refused KEY: TEMPLATE".
const GeneratorCase kThreadCases[] = {
    {"MajorDiaZero",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation, [](auto& in) { in.majorDia = 0; }),
     "refused thread.major_dia: {} must be greater than 0"},
    {"ZEndAtZStart",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation, [](auto& in) { in.zEnd = 0; }),
     "refused thread.z_end: {} must differ from {thread.z_start}"},
    {"Ot", [] { return ThreadOperation(ThreadDefaults(), Inch()); },
     Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.", "N50 X.475",
              "N60 G76 P010000 Q30 R10", "N70 G76 X.2969 Z-1. P390 Q30 F.0625", "N80 G0 X4.",
              "N90 Z6. M9", "N100 M1"})},
    {"G32TwoStartsTwoPasses",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation,
                        [](auto& in) {
                          in.code = ThreadCode::G32, in.leads = 2, in.passes = 2,
                          in.dwellPasses = 0;
                        }),
     Program({"N10 T0101 M8", "N20 ( Thread ) ",     "N30 G97 S998 M3", "N40 G0 Z0.",
              "N50 X.3326",   "N60 G32 Z-1. F.125",  "N70 G0 X.475",    "N80 Z0.",
              "N90 X.2969",   "N100 G32 Z-1.",       "N110 G0 X.475",   "N120 Z.0625",
              "N130 X.3326",  "N140 G32 Z-1. F.125", "N150 G0 X.475",   "N160 Z.0625",
              "N170 X.2969",  "N180 G32 Z-1.",       "N190 G0 X.475",   "N200 Z0.",
              "N210 X4.",     "N220 Z6. M9",         "N230 M1"})},
};
INSTANTIATE_TEST_SUITE_P(Thread, Generators, ::testing::ValuesIn(kThreadCases));

const GeneratorCase kDrillingCases[] = {
    {"PercentPeckWithoutMinimum",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation,
                           [](auto& in) { in.mode = PeckMode::Percent, in.peckMin = 0; }),
     "refused deep_drill.peck_value_min: {} must be greater than 0 when {deep_drill.percent_peck} "
     "is below 100"},
    {"DwellTooLong",
     With<CSinkDrillInputs>(CSinkDefaults, CSinkDrillOperation,
                            [](auto& in) { in.dwellSeconds = 10000; }),
     "refused csink_drill.dwell_seconds: {} must be less than 10000"},
    {"CSink", [] { return CSinkDrillOperation(CSinkDefaults(), Inch()); },
     Program({"N10 T0101 M8", "N20 ( START DRILL ) ", "N30 G97 S3310 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-.1875 F.005", "N70 G0 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    {"DeepG83", [] { return DeepDrillOperation(DeepDefaults(), Inch()); },
     Program({"N10 T0101 M8", "N20 ( DRILL ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G83 Z-1.1502 Q.3 F.005", "N70 G80 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    {"DeepEqualPecksWithDwell",
     With<DeepDrillInputs>(
         DeepDefaults, DeepDrillOperation,
         [](auto& in) { in.mode = PeckMode::Equal, in.peckMax = .6f, in.dwellSeconds = .25f; }),
     Program({"N10 T0101 M8", "N20 ( DRILL ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
              "N60 Z.025", "N70 G1 Z-.6 F.005", "N80 G0 Z.1", "N90 Z-.575", "N100 G1 Z-1.1502",
              "N110 G4 P250", "N120 G0 Z.1", "N130 X4.", "N140 Z6. M9", "N150 M1"})},
    {"ReamFedOut",
     With<ReamInputs>(ReamDefaults, ReamOperation, [](auto& in) { in.feedOut = true; }),
     Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-1.1 F.005", "N70 Z.1", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
    {"TapG84", [] { return TapOperation(TapDefaults(), Inch()); },
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M3", "N40 G0 Z.3", "N50 X0",
              "N60 G84 Z-1. F.0625", "N70 G80 Z.3", "N80 G0 X4.", "N90 Z6. M9", "N100 M1"})},
    {"TapLeftHandG32",
     With<TapInputs>(TapDefaults, TapOperation,
                     [](auto& in) { in.leftHand = true, in.code = TapCode::G32; }),
     Program({"N10 T0101 M8", "N20 ( TAP ) ", "N30 G97 S3310 M4", "N40 G0 Z.3", "N50 X0",
              "N60 G32 Z-1. F.0625", "N70 G0 M3", "N80 G32 Z.3 F.0625", "N90 G0 X4.", "N100 Z6. M9",
              "N110 M1"})},
};
INSTANTIATE_TEST_SUITE_P(Drilling, Generators, ::testing::ValuesIn(kDrillingCases));

const GeneratorCase kGrooveCases[] = {
    {"StepZero",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation, [](auto& in) { in.percentStep = 0; }),
     "refused groove.step: {} and {groove.tool_width} must be greater than 0"},
    {"OutsideWithFinish",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation, [](auto& in) { in.grooveWidth = .3f; }),
     Program({"N10 T0101 M8", "N20 ( GROOVE ) ",      "N30 G97 S1241 M3", "N40 G0 Z-.13",
              "N50 X1.1",     "N60 G1 X.52 F.005",    "N70 G0 X1.1",      "N80 Z-.23",
              "N90 G1 X.52",  "N100 G0 X1.1",         "N110 Z-.295",      "N120 G1 X.52",
              "N130 G0 X1.1", "N140 ( FINISH PASS )", "N150 Z-.125",      "N160 G1 X.5",
              "N170 Z-.295",  "N180 G0 X1.1",         "N190 Z-.3",        "N200 G1 X.5",
              "N210 Z-.295",  "N220 G0 X1.1",         "N230 X4.",         "N240 Z6. M9",
              "N250 M1"})},
    {"InsideRadiusAndChamfer",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation,
                        [](auto& in) {
                          in.inside = true, in.grooveWidth = .3f, in.rightSize = .03f,
                          in.rightRadius = true;
                          in.leftSize = .02f;
                        }),
     Program({"N10 T0101 M8",      "N20 ( GROOVE ) ",   "N30 G97 S1241 M3",
              "N40 G0 Z.1",        "N50 X.4",           "N60 Z-.13",
              "N70 G1 X.98 F.005", "N80 G0 X.4",        "N90 Z-.23",
              "N100 G1 X.98",      "N110 G0 X.4",       "N120 Z-.295",
              "N130 G1 X.98",      "N140 G0 X.4",       "N150 ( FINISH PASS )",
              "N160 G0 Z-.095",    "N170 G1 X.5",       "N180 G2 X.56 Z-.125 I.03",
              "N190 G1 X1.",       "N200 Z-.295",       "N210 G0 X.4",
              "N220 Z-.37",        "N230 G1 X.54 Z-.3", "N240 G1 X1.",
              "N250 Z-.295",       "N260 G0 X.4",       "N270 Z.1",
              "N280 X4.",          "N290 Z6. M9",       "N300 M1"})},
};
INSTANTIATE_TEST_SUITE_P(Groove, Generators, ::testing::ValuesIn(kGrooveCases));

const GeneratorCase kTurningCases[] = {
    {"FaceEndDiaAboveStock",
     With<FaceInputs>(FaceDefaults, FaceOperation, [](auto& in) { in.endDia = 3; }),
     "refused face.end_dia: {} must not be above {face.stock_dia}"},
    {"TurnMaxRpmZero",
     With<TurnInputs>(TurnDefaults, TurnOperation,
                      [](auto& in) {
                        in.spindle = {true, 0};
                      }),
     "refused turn.max_rpm: {} must be greater than 0"},
    {"Face", [] { return FaceOperation(FaceDefaults(), Inch()); },
     Program({"N10 T0101 M8", "N20 ( FACE ) ", "N30 G97 S621 M3", "N40 G0 X2.2", "N50 Z.005",
              "N60 G1 X0. F.01", "N70 G0 Z.055", "N80 X2.2", "N90 Z0.", "N100 G1 X0. F.005",
              "N110 G0 Z.05", "N120 X2.2", "N130 X4.", "N140 Z6. M9", "N150 M1"})},
    {"PartOffUnderConstantSurfaceSpeed",
     With<PartOffInputs>(PartOffDefaults, PartOffOperation,
                         [](auto& in) {
                           in.spindle = {true, 3000};
                         }),
     Program({"N10 T0101 M8", "N20 ( PART OFF ) ", "N30 G50 S3000", "N40 G96 S325 M3",
              "N50 G0 X2.1", "N60 Z-1.", "N70 G1 X.25 F.003", "N80 X0. F.0015", "N90 G0 X2.1",
              "N100 X4.", "N110 Z6. M9", "N120 M1"})},
};
INSTANTIATE_TEST_SUITE_P(Turning, Generators, ::testing::ValuesIn(kTurningCases));

// --- Code that must never be written: each input and its refusal, on values; nothing of the
// operation is written.

struct HazardCase {
  const char* name;
  std::function<Operation()> run;
  Refusal refusal;
};
void PrintTo(const HazardCase& c, std::ostream* os) { *os << c.name; }

constexpr const char* kCommentText = "{} must not hold \"(\", \")\" or a control character";
constexpr const char* kNotBelowZero = "{} must be 0 or more";
constexpr const char* kAboveZero = "{} must be greater than 0";
constexpr const char* kStillSpindle = "{} is too low: the spindle speed would be S0";
constexpr const char* kRootPastCentre =
    "{} is too large: the root of the thread would lie on or past the centre";

const HazardCase kHazards[] = {
    // 1. A comment that closes itself lets the control run the rest as code.
    {"TurnCommentClosesItself",
     With<TurnInputs>(TurnDefaults, TurnOperation,
                      [](auto& in) { in.comment = "TURN) G0 X0. Z-1. ("; }),
     {"turn.comment", kCommentText}},
    {"ThreadCommentOpens",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation, [](auto& in) { in.comment = "M8 (x"; }),
     {"thread.comment", kCommentText}},
    {"CSinkCommentWithLineEnd",
     With<CSinkDrillInputs>(CSinkDefaults, CSinkDrillOperation,
                            [](auto& in) { in.comment = "A\r\nG0 X0"; }),
     {"csink_drill.comment", kCommentText}},
    {"DeepCommentWithTab",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation, [](auto& in) { in.comment = "A\tB"; }),
     {"deep_drill.comment", kCommentText}},
    {"ReamComment",
     With<ReamInputs>(ReamDefaults, ReamOperation, [](auto& in) { in.comment = ")"; }),
     {"ream.comment", kCommentText}},
    {"TapComment",
     With<TapInputs>(TapDefaults, TapOperation, [](auto& in) { in.comment = "("; }),
     {"tap.comment", kCommentText}},
    {"GrooveComment",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation, [](auto& in) { in.comment = "a)b"; }),
     {"groove.comment", kCommentText}},
    {"FaceComment",
     With<FaceInputs>(FaceDefaults, FaceOperation, [](auto& in) { in.comment = "\x7f"; }),
     {"face.comment", kCommentText}},
    {"PartOffComment",
     With<PartOffInputs>(PartOffDefaults, PartOffOperation, [](auto& in) { in.comment = "(X)"; }),
     {"part_off.comment", kCommentText}},
    // 2. Feeds of 0 or less.
    {"DeepFeedNegative",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation, [](auto& in) { in.feed = -.005f; }),
     {"deep_drill.feedrate", kAboveZero}},
    {"DeepEqualFeedZero",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation,
                           [](auto& in) { in.mode = PeckMode::Equal, in.feed = 0; }),
     {"deep_drill.feedrate", kAboveZero}},
    {"GrooveFeedNegative",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation, [](auto& in) { in.feed = -.003f; }),
     {"groove.feedrate", kAboveZero}},
    {"GrooveFeedZero",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation, [](auto& in) { in.feed = 0; }),
     {"groove.feedrate", kAboveZero}},
    {"CSinkFeedZero",
     With<CSinkDrillInputs>(CSinkDefaults, CSinkDrillOperation, [](auto& in) { in.feed = 0; }),
     {"csink_drill.feedrate", kAboveZero}},
    {"ReamFeedNegative",
     With<ReamInputs>(ReamDefaults, ReamOperation, [](auto& in) { in.feed = -.005f; }),
     {"ream.feedrate", kAboveZero}},
    {"TapPitchZero",
     With<TapInputs>(TapDefaults, TapOperation, [](auto& in) { in.pitch = 0; }),
     {"tap.pitch", kAboveZero}},
    {"TapG32PitchNegative",
     With<TapInputs>(TapDefaults, TapOperation,
                     [](auto& in) { in.code = TapCode::G32, in.pitch = -.0625f; }),
     {"tap.pitch", kAboveZero}},
    {"ThreadLeadNegative",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation,
                        [](auto& in) { in.pitch = -.0625f, in.maxSpm = 0; }),
     {"thread.pitch", "{} must not be negative"}},
    // 3. Clearances below 0 rapid into the work.
    {"CSinkClearanceNegative",
     With<CSinkDrillInputs>(CSinkDefaults, CSinkDrillOperation,
                            [](auto& in) { in.clearance = -.05f; }),
     {"csink_drill.clearance", kNotBelowZero}},
    {"GrooveXIncClrNegative",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation, [](auto& in) { in.xIncClr = -.05f; }),
     {"groove.x_inc_clr", kNotBelowZero}},
    {"InsideGrooveZAbsClrNegative",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation,
                        [](auto& in) { in.inside = true, in.zAbsClr = -.1f; }),
     {"groove.z_abs_clr", kNotBelowZero}},
    {"ThreadXClearanceNegative",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation, [](auto& in) { in.xClearance = -.05f; }),
     {"thread.x_clearance", kNotBelowZero}},
    {"DeepZClearanceNegative",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation,
                           [](auto& in) { in.zClearance = -.1f; }),
     {"deep_drill.z_abs_clearance", kNotBelowZero}},
    {"DeepRapidClearanceNegative",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation,
                           [](auto& in) { in.mode = PeckMode::Equal, in.rapidClearance = -.01f; }),
     {"deep_drill.rapid_clearance", kNotBelowZero}},
    {"ReamClearanceNegative",
     With<ReamInputs>(ReamDefaults, ReamOperation, [](auto& in) { in.rapidClearance = -.1f; }),
     {"ream.rapid_clearance", kNotBelowZero}},
    {"TapClearanceNegative",
     With<TapInputs>(TapDefaults, TapOperation, [](auto& in) { in.clearance = -.1f; }),
     {"tap.clearance", kNotBelowZero}},
    // 4. A spindle that never turns.
    {"ReamSpmZero",
     With<ReamInputs>(
         ReamDefaults, ReamOperation, [](auto&) {}, 0),
     {"shared.spm", kStillSpindle}},
    {"TapSpmRoundingToZero",
     With<TapInputs>(
         TapDefaults, TapOperation, [](auto&) {}, -.5f),
     {"shared.spm", kStillSpindle}},
    {"CSinkSpmZero",
     With<CSinkDrillInputs>(
         CSinkDefaults, CSinkDrillOperation, [](auto&) {}, 0),
     {"shared.spm", kStillSpindle}},
    {"TurnConstantSurfaceSpeedZero",
     With<TurnInputs>(
         TurnDefaults, TurnOperation,
         [](auto& in) {
           in.spindle = {true, 3000};
         },
         0),
     {"shared.spm", kStillSpindle}},
    {"ThreadSpmZero",
     With<ThreadInputs>(
         ThreadDefaults, ThreadOperation, [](auto&) {}, 0),
     {"shared.spm", kStillSpindle}},
    {"ThreadMaxSpmZero",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation, [](auto& in) { in.maxSpm = 0; }),
     {"thread.max_spm", kStillSpindle}},
    // 5. A thread whose root lies past the centre.
    {"ThreadRootPastCentre",
     With<ThreadInputs>(ThreadDefaults, ThreadOperation, [](auto& in) { in.pitch = .5f; }),
     {"thread.pitch", kRootPastCentre}},
    {"InsideG32MinorPastCentre",
     With<ThreadInputs>(
         ThreadDefaults, ThreadOperation,
         [](auto& in) { in.inside = true, in.code = ThreadCode::G32, in.pitch = .5f; }),
     {"thread.pitch", kRootPastCentre}},
    // 6. A groove narrower than its tool.
    {"GrooveNarrowerThanTool",
     With<GrooveInputs>(GrooveDefaults, GrooveOperation, [](auto& in) { in.grooveWidth = .1f; }),
     {"groove.tool_width", "{} must not be more than {groove.groove_width}"}},
    // 7. A G83 that never reaches the bottom, and a hole above its start.
    {"G83PeckZero",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation, [](auto& in) { in.peckMax = 0; }),
     {"deep_drill.peck_value_max", kAboveZero}},
    {"DeepDepthAboveStart",
     With<DeepDrillInputs>(DeepDefaults, DeepDrillOperation, [](auto& in) { in.depth = 1; }),
     {"deep_drill.depth", "{} must be below 0: the hole goes down from {deep_drill.start}"}},
};

class Hazards : public ::testing::TestWithParam<HazardCase> {};

TEST_P(Hazards, AreRefusedNamingTheirBox) {
  const Operation op = GetParam().run();
  EXPECT_EQ(op.Refusal().field, GetParam().refusal.field);
  EXPECT_EQ(op.Refusal().text, GetParam().refusal.text);
}

INSTANTIATE_TEST_SUITE_P(Values, Hazards, ::testing::ValuesIn(kHazards),
                         [](const auto& info) { return std::string(info.param.name); });

// The same through the window: the box names the field and nothing is written.
TEST(Hazards, AreRefusedInTheWindowWithNothingWritten) {
  const struct {
    int tab;
    std::vector<std::pair<ControlId, const char*>> typed;
    ControlId ok;
    const char* message;
  } cases[] = {
      {11,
       {{id::kTurnComment, "TURN) G0 X0. Z-1. ("}},
       id::kTurnOk,
       "Comment must not hold \"(\", \")\" or a control character"},
      {4, {{id::kDeepFeed, "-.005"}}, id::kDeepOk, "Feedrate must be greater than 0"},
      {2,
       {{id::kMaxSpm, "0"}},
       id::kThreadOk,
       "Max SPM is too low: the spindle speed would be S0"},
      {7,
       {{id::kGrooveWidth, ".1"}},
       id::kGrooveOk,
       "Tool Width must not be more than Groove Width"},
  };
  for (const auto& c : cases) {
    Session s;
    s.runner.Tab(c.tab);
    for (const auto& [box, text] : c.typed) s.runner.Type(box, text);
    const Trace before = TraceOf(s);
    s.runner.Click(c.ok);
    EXPECT_TRUE(Refused(s, before, c.message)) << c.message;
  }
}

}  // namespace
}  // namespace tbx::test
