#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/app.h"
#include "test_support.h"
#include "toolpath/expander.h"

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

// ---- What the operations cut, read back through the toolpath expander -------------------

using toolpath::Move;
using toolpath::MoveKind;
using toolpath::Point;

constexpr double kEps = 1.5e-4;  // two words each rounded to four places

// Points along a straight move: its ends and between them, as the shapes are piecewise straight
// with corners finer than the passes.
template <class F>
bool AnyPoint(const Move& m, F inside) {
  constexpr int kSteps = 16;
  for (int i = 0; i <= kSteps; ++i) {
    const double t = static_cast<double>(i) / kSteps;
    if (inside(m.start.x + (m.end.x - m.start.x) * t, m.start.z + (m.end.z - m.start.z) * t)) return true;
  }
  return false;
}

// The work one operation is given and what its feed moves have removed so far, from the values
// in its tab. Each check names the move it fails on.
class Work {
 public:
  virtual ~Work() = default;
  // Inside the finished part: no feed move may reach it.
  virtual bool InPart(double x, double z) const = 0;
  // Material not removed yet (the part included): no rapid may pass it.
  virtual bool Uncut(double x, double z) const = 0;
  // A feed move: each pass removes at most its Depth of Cut (Peck) from what was left.
  virtual void Feed(const Move& m) = 0;
  // After the last move: the finished size, reached over the whole length.
  virtual void Finished() const = 0;
};

// The ring or disc from Stock Dia down to End Dia, from Z Start down to Z Final.
class FaceWork : public Work {
 public:
  explicit FaceWork(const App& app)
      : stock_(app.Number(id::kFaceStockDia)), end_(app.Number(id::kFaceEndDia)),
        zFinal_(app.Number(id::kFaceZFinal)), cut_(app.Number(id::kFaceDepthOfCut)),
        left_(app.Number(id::kFaceZStart)) {}
  bool InPart(double x, double z) const override { return z < zFinal_ - kEps && InRing(x); }
  bool Uncut(double x, double z) const override { return z < left_ - kEps && InRing(x); }
  void Feed(const Move& m) override {
    if (m.start.z != m.end.z || m.end.x >= m.start.x) return;
    // A pass across the face, from beside the stock to End Dia.
    EXPECT_GE(m.start.x, stock_) << "pass at Z" << m.end.z << " starts inside the stock";
    EXPECT_NEAR(m.end.x, end_, kEps) << "pass at Z" << m.end.z;
    EXPECT_LE(left_ - m.end.z, cut_ + kEps) << "pass at Z" << m.end.z;
    left_ = std::min(left_, m.end.z);
  }
  void Finished() const override { EXPECT_NEAR(left_, zFinal_, kEps); }

 private:
  bool InRing(double x) const { return x > end_ + kEps && x < stock_ - kEps; }
  double stock_, end_, zFinal_, cut_;
  double left_;  // the face the passes so far left
};

// Outside: the stock from Start Dia down to Final Dia between Z Start and Z End, the part's edge
// at Z Start chamfered; inside the same mirrored (side -1: the material lies at larger X).
class TurnWork : public Work {
 public:
  explicit TurnWork(const App& app)
      : side_(app.Checked(id::kTurnInside) ? -1 : 1), start_(app.Number(id::kTurnStartDia)),
        final_(app.Number(id::kTurnFinalDia)), zStart_(app.Number(id::kTurnZStart)),
        zEnd_(app.Number(id::kTurnZEnd)), cut_(app.Number(id::kTurnDepthOfCut)),
        zChamfer_(zStart_ - app.Number(id::kTurnChamfer)), left_(start_) {}
  bool InPart(double x, double z) const override { return z < zStart_ - kEps && side_ * (x - Part(z)) < -kEps; }
  // Along the length, what the passes left; over the chamfer, the part.
  bool Uncut(double x, double z) const override {
    return (z < zChamfer_ - kEps && side_ * (x - left_) < -kEps) || InPart(x, z);
  }
  void Feed(const Move& m) override {
    // What of it lies on the finished surface between Z Start and Z End.
    const double z0 = std::clamp(m.start.z, zEnd_, zStart_), z1 = std::clamp(m.end.z, zEnd_, zStart_);
    if (z0 != z1 && OnPart(m, z0) && OnPart(m, z1)) finished_.push_back({std::min(z0, z1), std::max(z0, z1)});
    if (m.start.x != m.end.x || m.end.z >= m.start.z || m.end.z >= zChamfer_ - kEps) return;
    // A pass along the whole length, toward the shoulder.
    EXPECT_LE(side_ * (left_ - m.end.x), 2 * cut_ + kEps) << "pass at X" << m.end.x;
    EXPECT_GE(side_ * (left_ - m.end.x), -kEps) << "pass at X" << m.end.x << " cuts air";
    left_ = m.end.x;
  }
  void Finished() const override {
    EXPECT_NEAR(left_, final_, kEps);
    // The cuts on the finished surface join up from Z End to Z Start.
    std::vector<std::pair<double, double>> spans = finished_;
    std::sort(spans.begin(), spans.end());
    double reached = zEnd_;
    for (const auto& [from, to] : spans) {
      if (from <= reached + kEps) reached = std::max(reached, to);
    }
    EXPECT_NEAR(reached, zStart_, kEps) << "the finished surface is cut from Z End only up to Z" << reached;
  }

 private:
  // The finished surface's diameter at z; beyond the shoulder, the stock.
  double Part(double z) const {
    if (z < zEnd_ - kEps) return start_;
    if (z <= zChamfer_) return final_;
    return final_ - side_ * 2 * (z - zChamfer_);
  }
  // The move passes z on the finished surface.
  bool OnPart(const Move& m, double z) const {
    const double x = m.start.x + (m.end.x - m.start.x) * (z - m.start.z) / (m.end.z - m.start.z);
    return std::fabs(x - Part(std::max(z, zEnd_))) < kEps;
  }
  int side_;
  double start_, final_, zStart_, zEnd_, cut_, zChamfer_;
  double left_;          // the diameter the full-length passes so far left
  std::vector<std::pair<double, double>> finished_;  // Z spans cut on the finished surface
};

// The part lies from Z Position up to the bar's face at Z0, its edge broken by the chamfer; the
// blade's width lies below Z Position.
class PartOffWork : public Work {
 public:
  explicit PartOffWork(const App& app)
      : stock_(app.Number(id::kPartStockDia)), end_(app.Number(id::kPartEndDia)),
        z_(app.Number(id::kPartZPosition)), width_(app.Number(id::kPartToolWidth)),
        peck_(app.Number(id::kPartPeck)), chamfer_(app.Number(id::kPartChamfer)),
        reducedDia_(app.Number(id::kPartReducedFeedDia)), reducedFeed_(app.Number(id::kPartReducedFeed)),
        deepest_(stock_) {}
  bool InPart(double x, double z) const override {
    return z > z_ + kEps && z < 0 && x > end_ + kEps &&
           x < std::min(stock_, stock_ - 2 * chamfer_ + 2 * (z - z_)) - kEps;
  }
  // The slot the blade has cut so far, the bar on both sides of it.
  bool Uncut(double x, double z) const override {
    if (InPart(x, z)) return true;
    const bool inSlot = z <= z_ + kEps && z >= z_ - width_ - kEps;
    return z < z_ + kEps && x > end_ + kEps && x < (inSlot ? deepest_ : stock_) - kEps;
  }
  void Feed(const Move& m) override {
    if (std::min(m.start.x, m.end.x) < reducedDia_ - kEps) {
      EXPECT_DOUBLE_EQ(m.feed, reducedFeed_) << "feed to X" << m.end.x << " below Reduced Feed Dia";
    }
    if (std::fabs(m.end.z - z_) > kEps || m.end.x >= deepest_) return;
    if (peck_ > 0 && m.start.z == m.end.z) {
      EXPECT_LE(deepest_ - m.end.x, 2 * peck_ + kEps) << "peck to X" << m.end.x;
    }
    deepest_ = m.end.x;
  }
  void Finished() const override { EXPECT_NEAR(deepest_, end_, kEps); }

 private:
  double stock_, end_, z_, width_, peck_, chamfer_, reducedDia_, reducedFeed_;
  double deepest_;  // the bottom of the slot
};

struct CutCase {
  const char* name;
  bool metric;
  int tab;
  std::vector<Typed> fields;
  std::vector<ControlId> clicks;
};

// Faces, turns and part-offs, inch and metric, outside and in, with and without Constant
// Surface Speed: every one through the expander, as a machine would run it.
const CutCase kCutCases[] = {
    {"face 2\" bar, .12 in .05 passes", false, 10, {{id::kFaceEndDia, "0"}, {id::kFaceZStart, ".12"}}, {}},
    {"face a tube below Z0, no allowance", false, 10,
     {{id::kFaceStockDia, "3.1"}, {id::kFaceEndDia, "1.25"}, {id::kFaceZStart, "-.2"}, {id::kFaceZFinal, "-.537"},
      {id::kFaceDepthOfCut, ".03"}, {id::kFaceFinishAllowance, "0"}}, {}},
    {"face a skim under one pass", false, 10,
     {{id::kFaceStockDia, "1"}, {id::kFaceEndDia, ".5"}, {id::kFaceZStart, ".003"}, {id::kFaceDepthOfCut, ".05"},
      {id::kFaceFinishAllowance, ".01"}}, {}},
    {"face metric G96 clamped at the centre", true, 10, {{id::kFaceZStart, "2.75"}, {id::kFaceMaxRpm, "2500"}},
     {id::kFaceCss}},
    {"face metric tube", true, 10,
     {{id::kFaceStockDia, "81.3"}, {id::kFaceEndDia, "22"}, {id::kFaceZStart, "2.75"}, {id::kFaceZFinal, "-1.5"},
      {id::kFaceDepthOfCut, ".6"}, {id::kFaceFinishAllowance, ".15"}}, {}},
    {"turn 2\" to 1.5 with a chamfer", false, 11, {}, {}},
    {"turn long and thin, G96", false, 11,
     {{id::kTurnStartDia, "1.25"}, {id::kTurnFinalDia, ".5"}, {id::kTurnZStart, ".1"}, {id::kTurnZEnd, "-2.3"},
      {id::kTurnDepthOfCut, ".04"}, {id::kTurnFinishAllowanceX, ".005"}, {id::kTurnFinishAllowanceZ, ".003"},
      {id::kTurnChamfer, ".125"}, {id::kTurnMaxRpm, "3000"}}, {id::kTurnCss}},
    {"turn a skim, no allowance or chamfer", false, 11,
     {{id::kTurnStartDia, "3"}, {id::kTurnFinalDia, "2.9"}, {id::kTurnDepthOfCut, ".1"},
      {id::kTurnFinishAllowanceX, "0"}, {id::kTurnFinishAllowanceZ, "0"}, {id::kTurnChamfer, "0"}}, {}},
    {"bore inch", false, 11,
     {{id::kTurnStartDia, "1"}, {id::kTurnFinalDia, "1.25"}, {id::kTurnZEnd, "-.5"}}, {id::kTurnInside}},
    {"turn metric 50 to 40", true, 11,
     {{id::kTurnFinalDia, "40"}, {id::kTurnZEnd, "-25"}, {id::kTurnChamfer, "2.5"}}, {}},
    {"bore metric G96", true, 11,
     {{id::kTurnStartDia, "20"}, {id::kTurnFinalDia, "26"}, {id::kTurnZEnd, "-15"}, {id::kTurnMaxRpm, "2000"}},
     {id::kTurnInside, id::kTurnCss}},
    {"bore metric deep, a large chamfer", true, 11,
     {{id::kTurnStartDia, "30"}, {id::kTurnFinalDia, "42.6"}, {id::kTurnZStart, "5"}, {id::kTurnZEnd, "-40"},
      {id::kTurnDepthOfCut, "1.5"}, {id::kTurnFinishAllowanceX, ".25"}, {id::kTurnChamfer, "4"}},
     {id::kTurnInside}},
    {"part off 2\" pecking, edge broken", false, 12, {{id::kPartPeck, ".1"}, {id::kPartChamfer, ".02"}}, {}},
    {"part off a tube in one plunge", false, 12,
     {{id::kPartStockDia, "1.5"}, {id::kPartEndDia, ".75"}, {id::kPartZPosition, "-2.125"}, {id::kPartPeck, "0"},
      {id::kPartReducedFeedDia, "1"}}, {}},
    {"part off small, G96", false, 12,
     {{id::kPartStockDia, ".75"}, {id::kPartZPosition, "-.5"}, {id::kPartPeck, ".03"},
      {id::kPartReducedFeedDia, ".2"}, {id::kPartChamfer, ".01"}, {id::kPartMaxRpm, "3500"}}, {id::kPartCss}},
    {"part off metric pecking", true, 12,
     {{id::kPartPeck, "2"}, {id::kPartReducedFeedDia, "6"}, {id::kPartChamfer, ".5"}}, {}},
    {"part off metric tube, G96", true, 12,
     {{id::kPartStockDia, "40"}, {id::kPartEndDia, "20"}, {id::kPartZPosition, "-12"}, {id::kPartPeck, "1.5"},
      {id::kPartReducedFeedDia, "30"}, {id::kPartChamfer, "1"}, {id::kPartMaxRpm, "1800"}}, {id::kPartCss}},
};

std::string Findings(const toolpath::Toolpath& p) {
  std::string s;
  for (const auto* list : {&p.diagnostics, &p.warnings}) {
    for (const toolpath::Finding& f : *list) s += "line " + std::to_string(f.line) + ": " + f.text + "\n";
  }
  return s;
}

TEST(TurningToolpath, CutsTheFinishedPartPassByPassAndReadsBackClean) {
  int clamped = 0, followed = 0;  // G96 feed moves at the G50 clamp and below it
  for (const CutCase& c : kCutCases) {
    SCOPED_TRACE(c.name);
    Session s(c.metric ? kMetricShopDefaults : kInchDefaults);
    const ControlId ok = c.tab == 10 ? id::kFaceOk : c.tab == 11 ? id::kTurnOk : id::kPartOk;
    RunTab(s.runner, c.tab, ok, Typing(c.fields, c.clicks));
    ASSERT_EQ(s.runner.Messages(), std::vector<std::string>{});
    const App& app = s.runner.app();
    toolpath::ToolpathSettings settings;
    settings.metric = c.metric;
    settings.toolChange = {app.Number(id::kXToolChange), app.Number(id::kZToolChange)};
    const toolpath::Toolpath path = toolpath::ExpandProgram(s.Output(), settings);
    EXPECT_EQ(Findings(path), "");
    std::unique_ptr<Work> work;
    if (c.tab == 10) work = std::make_unique<FaceWork>(app);
    if (c.tab == 11) work = std::make_unique<TurnWork>(app);
    if (c.tab == 12) work = std::make_unique<PartOffWork>(app);
    const ControlId maxRpm = c.tab == 10 ? id::kFaceMaxRpm : c.tab == 11 ? id::kTurnMaxRpm : id::kPartMaxRpm;
    const bool css = app.Checked(c.tab == 10 ? id::kFaceCss : c.tab == 11 ? id::kTurnCss : id::kPartCss);
    for (const Move& m : path.moves) {
      if (m.kind == MoveKind::Rapid) {
        EXPECT_FALSE(AnyPoint(m, [&](double x, double z) { return work->Uncut(x, z); }))
            << "rapid through material to X" << m.end.x << " Z" << m.end.z << " (line " << m.line << ")";
      }
      if (m.kind != MoveKind::Feed) continue;
      EXPECT_FALSE(AnyPoint(m, [&](double x, double z) { return work->InPart(x, z); }))
          << "feed into the part to X" << m.end.x << " Z" << m.end.z << " (line " << m.line << ")";
      work->Feed(m);
      if (!css) continue;
      // Under G96 the rpm follows the diameter up to the G50 clamp.
      constexpr double kPi = 3.141592654;
      const double cap = app.Number(maxRpm);
      const double unrestricted = (c.metric ? 1000 : 12) * app.Number(id::kSpm) / (kPi * m.end.x);
      EXPECT_DOUBLE_EQ(m.surfaceSpeed, app.Number(id::kSpm));
      EXPECT_NEAR(m.rpm, std::min(cap, unrestricted), 1e-9 * cap) << "feed to X" << m.end.x;
      ++(unrestricted > cap ? clamped : followed);
    }
    work->Finished();
  }
  EXPECT_GT(followed, 0);
  EXPECT_GT(clamped, 0) << "the centre is reached only under the clamp";
}

}  // namespace
}  // namespace tbx::test
