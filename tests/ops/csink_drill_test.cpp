#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/controls.h"
#include "ops/csink_drill.h"
#include "test_support.h"

namespace tbx::test {
namespace {

using Fields = std::vector<std::pair<ControlId, std::string>>;

struct CSinkCase {
  std::string name;
  bool metric;
  Fields fields;
  std::vector<ControlId> clicks;
  std::string program;
};
void PrintTo(const CSinkCase& c, std::ostream* os) { *os << c.name; }

// A user on the C'Sink/Drill tab at 325 sfm or 99 m/min: clicks the radios, types the
// fields, then OK.
void RunCSink(Session& s, const Fields& fields, const std::vector<ControlId>& clicks) {
  s.runner.Tab(3);
  s.runner.Type(id::kSpm, s.runner.app().Metric() ? "99" : "325");
  for (ControlId control : clicks) ASSERT_TRUE(s.runner.Click(control));
  for (const auto& [control, text] : fields) ASSERT_TRUE(s.runner.Type(control, text));
  ASSERT_TRUE(s.runner.Click(id::kCSinkOk));
}

// Blocks numbered from N10, each ended by CR LF.
std::string Numbered(const std::vector<std::string>& blocks) {
  std::string text;
  for (std::size_t i = 0; i < blocks.size(); ++i)
    text += "N" + std::to_string(10 * (i + 1)) + " " + blocks[i] + "\r\n";
  return text;
}

// The inch defaults with the plunge block replaced and an optional dwell block after it.
std::string InchProgram(const std::string& plunge, const std::string& dwell = "") {
  std::vector<std::string> blocks{"T0101 M8", "( START DRILL ) ", "G97 S3310 M3", "G0 Z.1", "X0",
                                  plunge};
  if (!dwell.empty()) blocks.push_back(dwell);
  for (const char* tail : {"G0 Z.1", "X4.", "Z6. M9", "M1"}) blocks.push_back(tail);
  return Numbered(blocks);
}

class CSinkProgram : public testing::TestWithParam<CSinkCase> {};

TEST_P(CSinkProgram, WritesWholeOperation) {
  const CSinkCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  ASSERT_TRUE(s.started);
  RunCSink(s, c.fields, c.clicks);
  EXPECT_EQ(s.runner.Messages(), std::vector<std::string>{});
  EXPECT_TRUE(SameProgram(s.Output(), c.program));
}

const std::vector<CSinkCase> kCSinkCases{
    {"Countersink90Inch", false, {}, {},
     Program({"N10 T0101 M8", "N20 ( START DRILL ) ", "N30 G97 S3310 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-.1875 F.005", "N70 G0 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    // r × tan 31° and r × tan 22.5°.
    {"Drill118Inch", false, {}, {id::kAngle118}, InchProgram("G1 Z-.1127 F.005")},
    {"Drill135Inch", false, {}, {id::kAngle135}, InchProgram("G1 Z-.0777 F.005")},
    // 100 × Pi, not 1000 / Pi: 314.159 × 99 / 7.5 = 4146.9.
    {"Countersink90Metric", true, {}, {},
     Program({"N10 T0101 M8", "N20 ( START DRILL ) ", "N30 G97 S4147 M3", "N40 G0 Z3.", "N50 X0",
              "N60 G1 Z-3.75 F.3", "N70 G0 Z3.", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    // Centre drills: L + 1.732051 × (body − P) / 2; the speed still comes from C'Sink Dia.
    {"CenterDrill0Inch", false, {}, {id::kCenterDrill60}, InchProgram("G1 Z-.1374 F.005")},
    {"CenterDrill2Inch", false, {}, {id::kCenterDrill60, id::kCenter2},
     InchProgram("G1 Z-.1962 F.005")},
    {"CenterDrill8Inch", false, {}, {id::kCenterDrill60, id::kCenter8},
     InchProgram("G1 Z-.7849 F.005")},
    {"CenterDrill0Metric", true, {}, {id::kCenterDrill60},
     Program({"N10 T0101 M8", "N20 ( START DRILL ) ", "N30 G97 S4147 M3", "N40 G0 Z3.", "N50 X0",
              "N60 G1 Z-3.4908 F.3", "N70 G0 Z3.", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
    // A body diameter that matches no size is used as typed.
    {"CenterDrillEditedBody", false, {{id::kCSinkDrillDia, ".2"}}, {id::kCenterDrill60},
     InchProgram("G1 Z-.2024 F.005")},
    {"Dwell0", false, {{id::kCSinkDwell, "0"}}, {}, InchProgram("G1 Z-.1875 F.005")},
    {"DwellHalfSecond", false, {{id::kCSinkDwell, ".5"}}, {},
     InchProgram("G1 Z-.1875 F.005", "G4 P500")},
    {"DwellTwoSeconds", false, {{id::kCSinkDwell, "2"}}, {},
     InchProgram("G1 Z-.1875 F.005", "G4 P2000")},
    // 1000 × .251 is 250.99998 in single precision: the printed form decides, not a floor.
    {"DwellPrintedMilliseconds", false, {{id::kCSinkDwell, ".251"}}, {},
     InchProgram("G1 Z-.1875 F.005", "G4 P251")},
    {"DwellWholePartOfMilliseconds", false, {{id::kCSinkDwell, ".0015"}}, {},
     InchProgram("G1 Z-.1875 F.005", "G4 P1")},
    {"DwellBelowOneMillisecond", false, {{id::kCSinkDwell, ".0004"}}, {},
     InchProgram("G1 Z-.1875 F.005")},
    {"EmptyComment", false, {{id::kCSinkComment, ""}}, {},
     Program({"N10 T0101 M8", "N20 G97 S3310 M3", "N30 G0 Z.1", "N40 X0", "N50 G1 Z-.1875 F.005",
              "N60 G0 Z.1", "N70 X4.", "N80 Z6. M9", "N90 M1"})},
    {"ZStartMoved", false, {{id::kCSinkZStart, "1"}}, {},
     Program({"N10 T0101 M8", "N20 ( START DRILL ) ", "N30 G97 S3310 M3", "N40 G0 Z1.1",
              "N50 X0", "N60 G1 Z.8125 F.005", "N70 G0 Z1.1", "N80 X4.", "N90 Z6. M9",
              "N100 M1"})},
    // SPM enters unrounded: 3.8197 × 325.5 / .375 = 3315.5.
    {"FractionalSpm", false, {{id::kSpm, "325.5"}}, {},
     Program({"N10 T0101 M8", "N20 ( START DRILL ) ", "N30 G97 S3316 M3", "N40 G0 Z.1", "N50 X0",
              "N60 G1 Z-.1875 F.005", "N70 G0 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"})},
};

INSTANTIATE_TEST_SUITE_P(CSinkDrill, CSinkProgram, testing::ValuesIn(kCSinkCases),
                         [](const auto& info) { return info.param.name; });

// --- Refusals: nothing written, no undo entry, numbering goes on as if nothing happened.

struct CSinkRefusal {
  std::string name;
  Fields fields;
  std::vector<ControlId> clicks;
  std::string message;
};
void PrintTo(const CSinkRefusal& c, std::ostream* os) { *os << c.name; }

class CSinkRefused : public testing::TestWithParam<CSinkRefusal> {};

TEST_P(CSinkRefused, WritesNothing) {
  const CSinkRefusal& c = GetParam();
  Session s;
  RunCSink(s, {}, {});  // one good operation: N10 .. N100
  const Trace before = TraceOf(s);
  RunCSink(s, c.fields, c.clicks);
  EXPECT_TRUE(Refused(s, before, c.message));
}

const std::vector<CSinkRefusal> kCSinkRefusals{
    {"ZeroCSinkDia", {{id::kCSinkDia, "0"}}, {}, "C'Sink Dia. must be greater than 0"},
    {"NegativeCSinkDia", {{id::kCSinkDia, "-.375"}}, {}, "C'Sink Dia. must be greater than 0"},
    {"TextCSinkDia", {{id::kCSinkDia, "abc"}}, {}, "C'Sink Dia. is not a number"},
    {"ZeroCenterDrillBody", {{id::kCSinkDrillDia, "0"}}, {id::kCenterDrill60},
     "Drill Diameter must be greater than 0"},
    {"NegativeSpm", {{id::kSpm, "-1"}}, {}, "SPM must be 0 or more"},
    {"DwellTooLongToPrint", {{id::kCSinkDwell, "100000"}}, {},
     "Dwell Seconds must be less than 10000"},
};

INSTANTIATE_TEST_SUITE_P(CSinkDrill, CSinkRefused, testing::ValuesIn(kCSinkRefusals),
                         [](const auto& info) { return info.param.name; });

// Without 60 Deg Center the Drill Diameter box is not read, so not refused either.
TEST(CSinkDrill, ZeroDrillDiameterIsNotReadWithoutCenterDrill) {
  Session s;
  RunCSink(s, {{id::kCSinkDrillDia, "0"}}, {});
  EXPECT_EQ(s.Output(), InchProgram("G1 Z-.1875 F.005"));
}

TEST(CSinkDrill, NumberingContinuesAfterRefusal) {
  Session s;
  RunCSink(s, {{id::kCSinkDia, "0"}}, {});
  RunCSink(s, {{id::kCSinkDia, ".375"}, {id::kCSinkComment, ""}}, {});
  EXPECT_EQ(s.Output(),
            Program({"N10 T0101 M8", "N20 G97 S3310 M3", "N30 G0 Z.1", "N40 X0",
                     "N50 G1 Z-.1875 F.005", "N60 G0 Z.1", "N70 X4.", "N80 Z6. M9", "N90 M1"}));
}

// --- The tab's handlers.

const std::vector<ControlId> kCenterDrillControls{
    id::kPilotDia, id::kCenter0, id::kPilotDiaLabel, id::kCenter1, id::kCenter2, id::kCenter3,
    id::kCenter4,  id::kCenter5, id::kCenter6,       id::kCenter7, id::kCenter8,
    id::kCenterDrillFrame};

std::vector<ControlId> Enabled(Session& s, const std::vector<ControlId>& controls) {
  std::vector<ControlId> on;
  for (ControlId c : controls)
    if (s.runner.form().Control(kMainForm, c)->enabled) on.push_back(c);
  return on;
}

TEST(CSinkDrillHandlers, CenterDrillControlsFollowTheDrillAngle) {
  Session s;
  s.runner.Tab(3);
  EXPECT_EQ(Enabled(s, kCenterDrillControls), std::vector<ControlId>{});
  EXPECT_FALSE(s.runner.Click(id::kCenter4));  // disabled: takes no click

  s.runner.Click(id::kCenterDrill60);
  EXPECT_EQ(Enabled(s, kCenterDrillControls), kCenterDrillControls);
  for (ControlId angle : {id::kAngle90, id::kAngle118, id::kAngle135}) {
    s.runner.Click(angle);
    EXPECT_EQ(Enabled(s, kCenterDrillControls), std::vector<ControlId>{}) << angle;
    s.runner.Click(id::kCenterDrill60);
    EXPECT_EQ(Enabled(s, kCenterDrillControls), kCenterDrillControls) << angle;
  }
}

struct SizeCase {
  ControlId radio;
  bool metric;
  std::string body, pilot;
};

class CenterDrillSizes : public testing::TestWithParam<SizeCase> {};

TEST_P(CenterDrillSizes, FillBodyAndPilot) {
  const SizeCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  s.runner.Tab(3);
  s.runner.Click(id::kCenterDrill60);
  s.runner.Click(c.radio);
  EXPECT_EQ(s.Text(id::kCSinkDrillDia), c.body);
  EXPECT_EQ(s.Text(id::kPilotDia), c.pilot);
}

INSTANTIATE_TEST_SUITE_P(CSinkDrill, CenterDrillSizes,
                         testing::Values(SizeCase{id::kCenter0, false, ".125", ".0312"},
                                         SizeCase{id::kCenter2, false, ".1875", ".0781"},
                                         SizeCase{id::kCenter8, false, ".750", ".3125"},
                                         SizeCase{id::kCenter0, true, "3.175", ".792"},
                                         SizeCase{id::kCenter4, true, "7.937", "3.175"},
                                         SizeCase{id::kCenter5, true, "11.112", "4.7625"}));

TEST(CSinkDrillHandlers, SizeIsKeptWhileDisabledAndDrillDiameterIsNotRestored) {
  Session s;
  s.runner.Tab(3);
  EXPECT_EQ(s.Text(id::kPilotDia), "");
  s.runner.Click(id::kCenterDrill60);
  EXPECT_EQ(s.Text(id::kCSinkDrillDia), ".125");  // #0 chosen at start
  s.runner.Click(id::kCenter6);
  s.runner.Click(id::kAngle90);
  EXPECT_EQ(s.Text(id::kCSinkDrillDia), ".500");
  s.runner.Type(id::kCSinkDrillDia, ".3");
  s.runner.Click(id::kCenterDrill60);  // back with #6 still chosen
  EXPECT_EQ(s.Text(id::kCSinkDrillDia), ".500");
  EXPECT_EQ(s.Text(id::kPilotDia), ".2187");
}

// --- The drill lists of both drilling tabs, filled from the shipped data file.

struct PickCase {
  std::string name;
  bool metric;
  ControlId list, box;
  int index;
  std::string diameter;
};
void PrintTo(const PickCase& c, std::ostream* os) { *os << c.name; }

class DrillListPick : public testing::TestWithParam<PickCase> {};

TEST_P(DrillListPick, FillsItsDrillDiameter) {
  const PickCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  const ControlId other = c.box == id::kCSinkDrillDia ? id::kDeepDrillDia : id::kCSinkDrillDia;
  const std::string otherBefore = s.Text(other);
  ASSERT_TRUE(s.runner.Pick(c.list, c.index));
  EXPECT_EQ(s.Text(c.box), c.diameter);
  EXPECT_EQ(s.Text(other), otherBefore);
}

// Items: "#80      0.0135" first, "1/4      0.2500" at 130, "3/4      0.7500" at 216,
// "1        1.0000" at 238.
INSTANTIATE_TEST_SUITE_P(
    DrillSize, DrillListPick,
    testing::Values(PickCase{"CSinkFirst", false, id::kCSinkDrillSize, id::kCSinkDrillDia, 0, ".0135"},
                    PickCase{"CSinkQuarter", false, id::kCSinkDrillSize, id::kCSinkDrillDia, 130, ".25"},
                    PickCase{"CSinkWholeInch", false, id::kCSinkDrillSize, id::kCSinkDrillDia, 238, "1."},
                    PickCase{"DeepWholeInchMetric", true, id::kDeepDrillSize, id::kDeepDrillDia, 238, "25.4"},
                    PickCase{"DeepThreeQuarter", false, id::kDeepDrillSize, id::kDeepDrillDia, 216, ".75"},
                    PickCase{"CSinkMetric", true, id::kCSinkDrillSize, id::kCSinkDrillDia, 216, "19.05"},
                    PickCase{"DeepMetric", true, id::kDeepDrillSize, id::kDeepDrillDia, 0, ".3429"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tbx::test
