#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/app.h"
#include "program/numbers.h"
#include "test_support.h"

namespace tbx::test {
namespace {

using Steps = std::function<void(JobRunner&)>;

struct Typed {
  ControlId id;
  const char* text;
};
// Clicks the check boxes and radio buttons, then types the fields.
Steps Typing(std::vector<Typed> fields, std::vector<ControlId> clicks = {}) {
  return [=](JobRunner& r) {
    for (ControlId c : clicks) r.Click(c);
    for (const Typed& f : fields) r.Type(f.id, f.text);
  };
}

// The tab shown, its fields typed, then its OK.
void RunTab(JobRunner& r, int tab, ControlId ok, const Steps& steps) {
  r.Tab(tab);
  steps(r);
  r.Click(ok);
}

struct TurningCase {
  const char* name;
  bool metric;
  int tab;
  ControlId ok;
  Steps steps;
  std::string program;
};
void PrintTo(const TurningCase& c, std::ostream* os) { *os << c.name; }

class TurningProgram : public testing::TestWithParam<TurningCase> {};

TEST_P(TurningProgram, WritesWholeOperation) {
  const TurningCase& c = GetParam();
  Session s(c.metric ? kMetricDefaults : kInchDefaults);
  ASSERT_TRUE(s.started);
  RunTab(s.runner, c.tab, c.ok, c.steps);
  EXPECT_EQ(s.runner.Messages(), std::vector<std::string>{});
  EXPECT_TRUE(SameProgram(s.Output(), c.program));
}

const std::vector<TurningCase> kTurningCases{
    // A tube face: .115 of roughing in three equal passes, then the finish pass at Z0.
    {"FaceInch", false, 10, id::kFaceOk,
     Typing({{id::kFaceEndDia, ".5"}, {id::kFaceZStart, ".12"}}),
     Program({"N10 T0101 M8", "N20 ( FACE ) ", "N30 G97 S955 M3", "N40 G0 X2.2", "N50 Z.0817",
              "N60 G1 X.5 F.01", "N70 G0 Z.1317", "N80 X2.2", "N90 Z.0433", "N100 G1 X.5",
              "N110 G0 Z.0933", "N120 X2.2", "N130 Z.005", "N140 G1 X.5", "N150 G0 Z.055",
              "N160 X2.2", "N170 Z0.", "N180 G1 X.5 F.005", "N190 G0 Z.05", "N200 X2.2",
              "N210 X4.", "N220 Z6. M9", "N230 M1"})},
    // Constant Surface Speed: the cap before the speed.
    {"FaceMetricConstantSurfaceSpeed", true, 10, id::kFaceOk,
     Typing({{id::kFaceMaxRpm, "2500"}}, {id::kFaceCss}),
     Program({"N10 T0101 M8", "N20 ( FACE ) ", "N30 G50 S2500", "N40 G96 S152 M3",
              "N50 G0 X54.", "N60 Z.2", "N70 G1 X0. F.25", "N80 G0 Z1.2", "N90 X54.",
              "N100 Z0.", "N110 G1 X0. F.1", "N120 G0 Z1.", "N130 X54.", "N140 X4.",
              "N150 Z6. M9", "N160 M1"})},
    // Five passes of .048 a side, each pulled off the shoulder at 45 degrees; one slice of
    // the chamfer below the last; the finish along chamfer, diameter and shoulder.
    {"TurnInch", false, 11, id::kTurnOk, Typing({}),
     Program({"N10 T0101 M8", "N20 ( TURN ) ", "N30 G97 S955 M3", "N40 G0 X2.1", "N50 Z.05",
              "N60 X1.904", "N70 G1 Z-.995 F.01", "N80 X2.004 Z-.945", "N90 G0 Z.05",
              "N100 X1.808", "N110 G1 Z-.995", "N120 X1.908 Z-.945", "N130 G0 Z.05",
              "N140 X1.712", "N150 G1 Z-.995", "N160 X1.812 Z-.945", "N170 G0 Z.05",
              "N180 X1.616", "N190 G1 Z-.995", "N200 X1.716 Z-.945", "N210 G0 Z.05",
              "N220 X1.52", "N230 G1 Z-.995", "N240 X1.62 Z-.945", "N250 G0 Z.05",
              "N260 X1.46", "N270 G1 Z0.", "N280 X1.52 Z-.03", "N290 X1.62 Z.02",
              "N300 G0 Z.05", "N310 X1.44", "N320 G1 Z0. F.005", "N330 X1.5 Z-.03",
              "N340 Z-1.", "N350 X2.1", "N360 G0 Z.05", "N370 X4.", "N380 Z6. M9",
              "N390 M1"})},
    // Boring: the same mirrored, the rpm taken at Final Dia.
    {"TurnMetricInside", true, 11, id::kTurnOk,
     Typing({{id::kTurnStartDia, "20"}, {id::kTurnFinalDia, "26"}, {id::kTurnZEnd, "-15"}},
            {id::kTurnInside}),
     Program({"N10 T0101 M8", "N20 ( TURN ) ", "N30 G97 S1837 M3", "N40 G0 X18.", "N50 Z1.",
              "N60 X21.8667", "N70 G1 Z-14.9 F.25", "N80 X19.8667 Z-13.9", "N90 G0 Z1.",
              "N100 X23.7333", "N110 G1 Z-14.9", "N120 X21.7333 Z-13.9", "N130 G0 Z1.",
              "N140 X25.6", "N150 G1 Z-14.9", "N160 X23.6 Z-13.9", "N170 G0 Z1.",
              "N180 X26.6", "N190 G1 Z0.", "N200 X25.6 Z-.5", "N210 X23.6 Z.5", "N220 G0 Z1.",
              "N230 X27.", "N240 G1 Z0. F.1", "N250 X26. Z-.5", "N260 Z-15.", "N270 X18.",
              "N280 G0 Z1.", "N290 X4.", "N300 Z6. M9", "N310 M1"})},
    // The edge broken first; pecks of .098 a side, each backed off .05; Reduced Feed below
    // .25, also on the way back in after the last chip break.
    {"PartOffInchPecks", false, 12, id::kPartOk,
     Typing({{id::kPartPeck, ".1"}, {id::kPartChamfer, ".02"}}),
     Program({"N10 T0101 M8", "N20 ( PART OFF ) ", "N30 G97 S955 M3", "N40 G0 X2.1",
              "N50 Z-.93", "N60 G1 X1.96 Z-1. F.003", "N70 X1.764", "N80 G0 X1.864",
              "N90 G1 X1.568", "N100 G0 X1.668", "N110 G1 X1.372", "N120 G0 X1.472",
              "N130 G1 X1.176", "N140 G0 X1.276", "N150 G1 X.98", "N160 G0 X1.08",
              "N170 G1 X.784", "N180 G0 X.884", "N190 G1 X.588", "N200 G0 X.688",
              "N210 G1 X.392", "N220 G0 X.492", "N230 G1 X.25", "N240 X.196 F.0015",
              "N250 G0 X.296", "N260 G1 X.25 F.003", "N270 X0. F.0015", "N280 G0 X2.1",
              "N290 X4.", "N300 Z6. M9", "N310 M1"})},
    // A tube: one plunge to its bore, slowing at Reduced Feed Dia.
    {"PartOffMetricTube", true, 12, id::kPartOk,
     Typing({{id::kPartEndDia, "20"}, {id::kPartReducedFeedDia, "30"}}),
     Program({"N10 T0101 M8", "N20 ( PART OFF ) ", "N30 G97 S955 M3", "N40 G0 X52.",
              "N50 Z-25.", "N60 G1 X30. F.08", "N70 X20. F.04", "N80 G0 X52.", "N90 X4.",
              "N100 Z6. M9", "N110 M1"})},
};

INSTANTIATE_TEST_SUITE_P(Turning, TurningProgram, testing::ValuesIn(kTurningCases),
                         [](const auto& info) { return info.param.name; });

struct TurningRefusal {
  const char* name;
  int tab;
  ControlId ok;
  Steps steps;
  std::string message;
};
void PrintTo(const TurningRefusal& c, std::ostream* os) { *os << c.name; }

class TurningRefused : public testing::TestWithParam<TurningRefusal> {};

TEST_P(TurningRefused, WritesNothing) {
  const TurningRefusal& c = GetParam();
  Session s;
  RunTab(s.runner, c.tab, c.ok, Typing({}));  // one operation already there
  const Trace before = TraceOf(s);
  RunTab(s.runner, c.tab, c.ok, c.steps);
  EXPECT_TRUE(Refused(s, before, c.message));
}

INSTANTIATE_TEST_SUITE_P(
    Turning, TurningRefused,
    testing::Values(
        TurningRefusal{"FaceZFinalAboveZStart", 10, id::kFaceOk,
                       Typing({{id::kFaceZFinal, ".1"}}), "Z Final must not be above Z Start"},
        TurningRefusal{"FaceEndDiaAboveStock", 10, id::kFaceOk,
                       Typing({{id::kFaceEndDia, "2.5"}}),
                       "End Dia must not be above Stock Dia"},
        TurningRefusal{"FaceZeroDepthOfCut", 10, id::kFaceOk,
                       Typing({{id::kFaceDepthOfCut, "0"}}),
                       "Depth of Cut must be greater than 0"},
        TurningRefusal{"FaceNegativeFinishFeed", 10, id::kFaceOk,
                       Typing({{id::kFaceFinishFeed, "-.005"}}),
                       "Finish Feed must be greater than 0"},
        TurningRefusal{"FaceTooManyPasses", 10, id::kFaceOk,
                       Typing({{id::kFaceZStart, "1000"}, {id::kFaceDepthOfCut, ".0001"},
                                   {id::kFaceFinishAllowance, "0"}}),
                       "The operation would write more than 9999 blocks"},
        TurningRefusal{"FaceCssWithoutMaxRpm", 10, id::kFaceOk,
                       Typing({{id::kFaceMaxRpm, "0"}}, {id::kFaceCss}),
                       "Max RPM must be greater than 0"},
        TurningRefusal{"TurnOutsideFinalAboveStart", 11, id::kTurnOk,
                       Typing({{id::kTurnFinalDia, "2.1"}}),
                       "Final Dia must not be above Start Dia"},
        TurningRefusal{"TurnInsideFinalBelowStart", 11, id::kTurnOk,
                       Typing({{id::kTurnStartDia, "1"}, {id::kTurnFinalDia, ".9"}},
                              {id::kTurnInside}),
                       "Final Dia must not be below Start Dia"},
        TurningRefusal{"TurnZEndAboveZStart", 11, id::kTurnOk,
                       Typing({{id::kTurnZEnd, ".5"}}), "Z End must not be above Z Start"},
        TurningRefusal{"TurnZeroRoughFeed", 11, id::kTurnOk,
                       Typing({{id::kTurnRoughFeed, "0"}}), "Rough Feed must be greater than 0"},
        TurningRefusal{"TurnChamferLongerThanTheTurnedLength", 11, id::kTurnOk,
                       Typing({{id::kTurnZEnd, "-.02"}, {id::kTurnFinishAllowanceZ, "0"}}),
                       "Chamfer and Finish Allowance Z must fit between Z Start and Z End"},
        TurningRefusal{"TurnChamferPastTheCentre", 11, id::kTurnOk,
                       Typing({{id::kTurnFinalDia, ".05"}}),
                       "Chamfer must not be more than half of Final Dia"},
        TurningRefusal{"PartOffEndDiaAboveStock", 12, id::kPartOk,
                       Typing({{id::kPartEndDia, "3"}}), "End Dia must not be above Stock Dia"},
        TurningRefusal{"PartOffZeroToolWidth", 12, id::kPartOk,
                       Typing({{id::kPartToolWidth, "0"}}), "Tool Width must be greater than 0"},
        TurningRefusal{"PartOffNegativePeck", 12, id::kPartOk,
                       Typing({{id::kPartPeck, "-.1"}}), "Peck must be 0 or more"},
        TurningRefusal{"PartOffZeroReducedFeed", 12, id::kPartOk,
                       Typing({{id::kPartReducedFeed, "0"}}),
                       "Reduced Feed must be greater than 0"},
        TurningRefusal{"PartOffChamferPastTheBore", 12, id::kPartOk,
                       Typing({{id::kPartEndDia, "1.9"}, {id::kPartChamfer, ".06"}}),
                       "Chamfer must not be more than half of Stock Dia - End Dia"}),
    [](const auto& info) { return info.param.name; });

// The straight moves of a program as written, read back by a reader just big enough for the
// blocks of these three tabs (G0/G1, X, Z, F); the tool starts at the tool-change position.
struct Move {
  bool rapid;
  double x0, z0, x1, z1, feed;
  template <class F>
  bool Any(F f) const {  // ends and middle: the lines are straight, the shapes piecewise straight
    return f(x0, z0) || f((x0 + x1) / 2, (z0 + z1) / 2) || f(x1, z1);
  }
};

std::vector<Move> Moves(const std::string& program) {
  std::vector<Move> moves;
  double x = 4, z = 6, feed = 0;
  bool rapid = true;
  for (const std::string& block : Blocks(program)) {
    if (block.find('(') != std::string::npos) continue;
    double nx = x, nz = z;
    bool motion = false;
    std::size_t at = block.find(' ');
    while (at != std::string::npos) {
      const std::size_t end = block.find(' ', at + 1);
      const std::string word = block.substr(at + 1, end - at - 1);
      at = end;
      if (word == "G0" || word == "G1") rapid = word == "G0";
      const double value = word.empty() ? 0 : TextToNumber(word.substr(1));
      if (word[0] == 'X') nx = value, motion = true;
      if (word[0] == 'Z') nz = value, motion = true;
      if (word[0] == 'F') feed = value;
    }
    if (motion) moves.push_back({rapid, x, z, nx, nz, feed});
    x = nx, z = nz;
  }
  // The return to the tool-change position belongs to the Settings tab's values.
  moves.resize(moves.size() >= 2 ? moves.size() - 2 : 0);
  return moves;
}

constexpr double kEps = 1.5e-4;  // two words each rounded to four places

std::string ProgramOf(bool metric, int tab, ControlId ok, const std::vector<Typed>& fields,
                std::vector<ControlId> clicks = {}) {
  Session s(metric ? kMetricDefaults : kInchDefaults);
  RunTab(s.runner, tab, ok, Typing(fields, clicks));
  EXPECT_EQ(s.runner.Messages(), std::vector<std::string>{});
  return s.Output();
}

struct FaceShape {
  bool metric;
  const char *stock, *end, *zStart, *zFinal, *cut, *allowance;
};

TEST(FaceProperties, CutsLayerByLayerDownToZFinalAndNeverBelow) {
  const FaceShape shapes[] = {{false, "2", "0", ".12", "0", ".05", ".005"},
                              {false, "3.1", "1.25", "-.2", "-.537", ".03", "0"},
                              {false, "1", ".5", ".003", "0", ".05", ".01"},
                              {true, "50", "0", "1", "0", "1", ".2"},
                              {true, "81.3", "22", "2.75", "-1.5", ".6", ".15"}};
  for (const FaceShape& f : shapes) {
    SCOPED_TRACE(std::string(f.stock) + " " + f.zStart + " " + f.cut);
    const double end = TextToNumber(f.end), zFinal = TextToNumber(f.zFinal);
    const double cut = TextToNumber(f.cut), stock = TextToNumber(f.stock);
    double cleared = TextToNumber(f.zStart);  // material lies below it, inside Stock Dia
    const std::string program =
        ProgramOf(f.metric, 10, id::kFaceOk,
            {{id::kFaceStockDia, f.stock}, {id::kFaceEndDia, f.end}, {id::kFaceZStart, f.zStart},
             {id::kFaceZFinal, f.zFinal}, {id::kFaceDepthOfCut, f.cut},
             {id::kFaceFinishAllowance, f.allowance}});
    int passes = 0;
    for (const Move& m : Moves(program)) {
      if (m.rapid) {
        EXPECT_FALSE(m.Any([&](double x, double z) {
          return z < cleared - kEps && x > end + kEps && x < stock - kEps;
        })) << "rapid through stock to X" << m.x1 << " Z" << m.z1;
        continue;
      }
      EXPECT_FALSE(m.Any([&](double, double z) { return z < zFinal - kEps; }))
          << "feed below Z Final to Z" << m.z1;
      if (m.z0 == m.z1 && m.x1 < m.x0) {  // a pass across the face
        EXPECT_GE(m.x0, stock);
        EXPECT_NEAR(m.x1, end, kEps);
        EXPECT_LE(cleared - m.z1, cut + kEps) << "pass at Z" << m.z1;
        EXPECT_GE(cleared - m.z1, -kEps);
        cleared = std::min(cleared, m.z1);
        ++passes;
      }
    }
    EXPECT_NEAR(cleared, zFinal, kEps);
    EXPECT_GE(passes, 1);
  }
}

struct TurnShape {
  bool metric, inside;
  const char *start, *final, *zStart, *zEnd, *cut, *allowanceX, *allowanceZ, *chamfer;
};

TEST(TurnProperties, NeverInsideThePartAndEachPassTakesAtMostDepthOfCut) {
  const TurnShape shapes[] = {
      {false, false, "2", "1.5", "0", "-1", ".05", ".01", ".005", ".03"},
      {false, false, "1.25", ".5", ".1", "-2.3", ".04", ".005", ".003", ".125"},
      {false, true, "1", "1.25", "0", "-.5", ".05", ".01", ".005", ".03"},
      {false, false, "3", "2.9", "0", "-1", ".1", "0", "0", "0"},
      {true, false, "50", "40", "0", "-25", "1", ".2", ".1", "2.5"},
      {true, true, "20", "26", "0", "-15", "1", ".2", ".1", ".5"},
      {true, true, "30", "42.6", "5", "-40", "1.5", ".25", ".1", "4"}};
  for (const TurnShape& t : shapes) {
    SCOPED_TRACE(std::string(t.inside ? "inside " : "outside ") + t.start + " " + t.final);
    const double side = t.inside ? -1 : 1;
    const double start = TextToNumber(t.start), final = TextToNumber(t.final);
    const double zStart = TextToNumber(t.zStart), zEnd = TextToNumber(t.zEnd);
    const double cut = TextToNumber(t.cut), chamfer = TextToNumber(t.chamfer);
    const double zc = zStart - chamfer;
    // The finished part's surface diameter at z; beyond Z Start there is none.
    auto part = [&](double z) {
      if (z < zEnd - kEps) return start;
      if (z <= zc) return final;
      return final - side * 2 * (z - zc);
    };
    auto inPart = [&](double x, double z) { return z < zStart - kEps && side * (x - part(z)) < -kEps; };
    double left = start;  // what the passes so far left along the whole length
    const std::string program =
        ProgramOf(t.metric, 11, id::kTurnOk,
            {{id::kTurnStartDia, t.start}, {id::kTurnFinalDia, t.final},
             {id::kTurnZStart, t.zStart}, {id::kTurnZEnd, t.zEnd}, {id::kTurnDepthOfCut, t.cut},
             {id::kTurnFinishAllowanceX, t.allowanceX}, {id::kTurnFinishAllowanceZ, t.allowanceZ},
             {id::kTurnChamfer, t.chamfer}},
            t.inside ? std::vector<ControlId>{id::kTurnInside} : std::vector<ControlId>{});
    bool finished = false;
    for (const Move& m : Moves(program)) {
      if (m.rapid) {
        // Along the length, against what the passes left; over the chamfer, against the part.
        EXPECT_FALSE(m.Any([&](double x, double z) {
          return (z < zc - kEps && side * (x - left) < -kEps) || inPart(x, z);
        })) << "rapid through stock to X" << m.x1 << " Z" << m.z1;
        continue;
      }
      EXPECT_FALSE(m.Any(inPart)) << "feed into the part to X" << m.x1 << " Z" << m.z1;
      // A pass along the whole length, to the shoulder's allowance or the shoulder.
      if (m.x0 == m.x1 && m.z1 < m.z0 && m.z1 < zc - kEps) {
        EXPECT_LE(side * (left - m.x1), 2 * cut + kEps) << "pass at X" << m.x1;
        left = m.x1;
        if (std::fabs(m.z1 - zEnd) < kEps && m.z0 >= zc - kEps) finished = true;
      }
    }
    EXPECT_NEAR(left, final, kEps);
    EXPECT_TRUE(finished) << "no finish pass over the whole length";
  }
}

struct PartOffShape {
  bool metric;
  const char *stock, *end, *zPosition, *peck, *reducedDia, *chamfer;
};

TEST(PartOffProperties, PecksAtMostPeckAndFeedsSlowerBelowReducedFeedDia) {
  const PartOffShape shapes[] = {{false, "2", "0", "-1", ".1", ".25", ".02"},
                                 {false, "1.5", ".75", "-2.125", "0", "1", "0"},
                                 {false, ".75", "0", "-.5", ".03", ".2", ".01"},
                                 {true, "50", "0", "-25", "2", "6", ".5"},
                                 {true, "40", "20", "-12", "1.5", "30", "1"}};
  for (const PartOffShape& p : shapes) {
    SCOPED_TRACE(std::string(p.stock) + " " + p.end + " peck " + p.peck);
    const double stock = TextToNumber(p.stock), end = TextToNumber(p.end);
    const double zPos = TextToNumber(p.zPosition), peck = TextToNumber(p.peck);
    const double reducedDia = TextToNumber(p.reducedDia), chamfer = TextToNumber(p.chamfer);
    Session s(p.metric ? kMetricDefaults : kInchDefaults);
    RunTab(s.runner, 12, id::kPartOk,
           Typing({{id::kPartStockDia, p.stock}, {id::kPartEndDia, p.end},
                   {id::kPartZPosition, p.zPosition}, {id::kPartPeck, p.peck},
                   {id::kPartReducedFeedDia, p.reducedDia}, {id::kPartChamfer, p.chamfer}}));
    const double reducedFeed = s.runner.app().Number(id::kPartReducedFeed);
    // The part lies from Z Position up to its face at Z0, its edge broken by the chamfer.
    auto inPart = [&](double x, double z) {
      if (z <= zPos + kEps || z >= 0) return false;
      return x < std::min(stock, stock - 2 * chamfer + 2 * (z - zPos)) - kEps;
    };
    double deepest = stock;  // the bottom of the cut so far, at Z Position
    for (const Move& m : Moves(s.Output())) {
      if (m.rapid) {
        EXPECT_FALSE(m.Any([&](double x, double z) {
          return (z < zPos + chamfer + kEps && x < deepest - kEps) || inPart(x, z);
        })) << "rapid through stock to X" << m.x1 << " Z" << m.z1;
        continue;
      }
      EXPECT_FALSE(m.Any(inPart)) << "feed into the part to X" << m.x1 << " Z" << m.z1;
      if (std::min(m.x0, m.x1) < reducedDia - kEps)
        EXPECT_EQ(m.feed, reducedFeed) << "feed to X" << m.x1;
      if (std::fabs(m.z1 - zPos) < kEps && m.x1 < deepest) {
        if (peck > 0 && m.z0 == m.z1)
          EXPECT_LE(deepest - m.x1, 2 * peck + kEps) << "peck to X" << m.x1;
        deepest = m.x1;
      }
    }
    EXPECT_NEAR(deepest, end, kEps);
  }
}

}  // namespace
}  // namespace tbx::test
