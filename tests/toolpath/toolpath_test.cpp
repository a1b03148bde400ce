// The reader and expander through their public interface: every program the tabs write reads
// back clean, cycles expand into the moves worked out by hand, run times match closed forms,
// warnings name their line, hostile text only gives diagnostics.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "toolpath/job_programs.h"
#include "toolpath/expander.h"
#include "toolpath/reader.h"
#include "toolpath/run_time.h"
#include "toolpath/svg.h"

namespace tbx::toolpath {
namespace {

namespace fs = std::filesystem;

ToolpathSettings Inch() {
  ToolpathSettings s;
  s.machine.g76MinCutInch = 0.001;
  s.machine.g76FinishInch = 0.001;
  s.machine.g76FinishPasses = 1;
  s.machine.g76ChamferLeads = 0;
  return s;
}

ToolpathSettings Metric() {
  ToolpathSettings s = Inch();
  s.metric = true;
  return s;
}

std::string Lines(std::initializer_list<std::string_view> blocks) {
  std::string text;
  for (auto b : blocks) (text += b) += "\n";
  return text;
}

std::vector<Move> OfKind(const Toolpath& p, MoveKind kind) {
  std::vector<Move> moves;
  for (const Move& m : p.moves) {
    if (m.kind == kind) moves.push_back(m);
  }
  return moves;
}

std::string Findings(const Toolpath& p) {
  std::string s;
  for (const auto* list : {&p.diagnostics, &p.warnings}) {
    for (const Finding& f : *list) s += "line " + std::to_string(f.line) + ": " + f.text + "\n";
  }
  return s;
}

using test::JobProgram;
using test::ProgramJobs;

JobProgram RunJob(const fs::path& job, bool metricStart) { return test::RunJob(job, metricStart, Inch()); }

TEST(ToolpathJobs, EveryProgramTheTabsWriteReadsBackCleanInBothUnits) {
  const std::vector<fs::path> jobs = ProgramJobs();
  ASSERT_GE(jobs.size(), 10u);
  for (const fs::path& job : jobs) {
    for (bool metric : {false, true}) {
      SCOPED_TRACE(job.filename().string() + (metric ? " started metric" : " started inch"));
      const JobProgram program = RunJob(job, metric);
      const Toolpath path = ExpandProgram(program.text, program.settings);
      // The tabs write the speed the tool wants; above the machine's 4000 rpm the reader says so.
      static const std::regex aboveMaximum(R"(line [0-9]+: S[0-9]+ is above the machine's maximum of 4000 rpm\n)");
      EXPECT_EQ(std::regex_replace(Findings(path), aboveMaximum, ""), "");
      EXPECT_EQ(OfKind(path, MoveKind::ToolChange).empty(), program.text.find(" T") == std::string::npos);
      EXPECT_EQ(path.seconds > 0, !path.moves.empty());
      EXPECT_EQ(path.operations.size(), OfKind(path, MoveKind::ToolChange).size());
    }
  }
}

// Golden drawings, one job per tab; regenerate with
// `build/turnbrix-cli --home resources --plot tests/toolpath/golden/NAME.svg tests/jobs/NAME.job`.
TEST(ToolpathJobs, DrawingOfOneJobPerTabMatchesItsGolden) {
  const fs::path golden = fs::path(TURNBRIX_JOBS).parent_path() / "toolpath" / "golden";
  for (const char* name : {"thread_ot_inch", "drill_csink_center", "drill_deep_pecks", "drill_ream_metric",
                           "tap_g84_then_left_hand_g32", "groove_inside_radius_chamfer"}) {
    SCOPED_TRACE(name);
    const JobProgram program = RunJob(fs::path(TURNBRIX_JOBS) / (std::string(name) + ".job"), false);
    const std::string svg = ToolpathSvg(ExpandProgram(program.text, program.settings));
    EXPECT_EQ(svg, test::ReadFile(golden / (std::string(name) + ".svg")));
  }
}

// Two-block G76, worked by hand: m 02, r 05 (a pull-out of half a lead), a 60; minimum cut
// .0020, allowance .0010; height .0300, first cut .0100, lead .05. Depth n is .01 √n while it
// grows by at least .002, else the last plus .002, up to .029; then two passes at .03.
TEST(ToolpathCycles, TwoBlockG76PassesFlankShiftFinishAndChamfer) {
  const Toolpath p = ExpandProgram(Lines({"G97 S1000 M3", "G0 X.5 Z.1", "G76 P020560 Q20 R10",
                                          "G76 X.4 Z-.5 P300 Q100 F.05"}),
                                   Inch());
  const double depths[] = {.01, .0141421, .0173205, .02, .0223607, .0244949, .0264949, .0284949, .029, .03, .03};
  const std::vector<Move> threads = OfKind(p, MoveKind::Thread);
  ASSERT_EQ(threads.size(), 2 * std::size(depths)) << "a cut and a chamfer pull-out per pass";
  const double tan30 = 0.5773503;
  for (std::size_t n = 0; n < std::size(depths); ++n) {
    SCOPED_TRACE("pass " + std::to_string(n + 1));
    const Move& cut = threads[2 * n];
    const Move& pull = threads[2 * n + 1];
    const double x = .4 + 2 * (.03 - depths[n]);
    const double shift = (.03 - depths[n]) * tan30;  // rough passes stand back toward the start
    EXPECT_NEAR(cut.start.x, x, 1e-6);
    EXPECT_NEAR(cut.end.x, x, 1e-6);
    EXPECT_NEAR(cut.start.z, .1 + shift, 1e-6);
    EXPECT_NEAR(cut.end.z, -.5 + .025 + shift, 1e-6);
    EXPECT_NEAR(pull.end.x, x + .05, 1e-6) << "45 degrees out over .025";
    EXPECT_NEAR(pull.end.z, -.5 + shift, 1e-6);
    EXPECT_DOUBLE_EQ(cut.feed, .05);
  }
  EXPECT_NEAR(p.moves.back().end.x, .5, 1e-9) << "the cycle ends at its start point";
  EXPECT_NEAR(p.moves.back().end.z, .1, 1e-9);
  EXPECT_EQ(Findings(p), "");
}

// Metric two-block G76 as the Thread tab writes it: Q100 and Q200 are .1 and .2 mm, R0.02 is
// written with its point; passes .2, .3, ... .8, .81, then .83.
TEST(ToolpathCycles, MetricTwoBlockG76ReadsWordsWithoutPointInMicrons) {
  const Toolpath p = ExpandProgram(Lines({"G97 S2482 M3", "G0 Z0.", "X16.", "G76 P010000 Q100 R0.02",
                                          "G76 X8.338 Z-25. P830 Q200 F1.25"}),
                                   Metric());
  const std::vector<Move> threads = OfKind(p, MoveKind::Thread);
  const double depths[] = {.2, .3, .4, .5, .6, .7, .8, .81, .83};
  ASSERT_EQ(threads.size(), std::size(depths));
  for (std::size_t n = 0; n < std::size(depths); ++n) {
    EXPECT_NEAR(threads[n].end.x, 8.338 + 2 * (.83 - depths[n]), 1e-9) << "pass " << n + 1;
    EXPECT_NEAR(threads[n].start.z, 0, 1e-12) << "tool angle 00 feeds straight in";
  }
}

// One-block G76 with the settings' minimum cut and allowance (.001 in each, one finishing
// pass): D050 is .005 first cut; √n steps until they shrink below .001 after pass 6, then
// .001 steps from .012247 up to .0381: 6 + 26 rough passes and one at the full .0391.
TEST(ToolpathCycles, OneBlockG76TakesMinimumCutAndAllowanceFromSettings) {
  const Toolpath p = ExpandProgram(Lines({"G97 S662 M3", "G0 Z0.", "X.475",
                                          "G76 X.2969 Z-1. K.0391 D050 I-.0311 F.1875 A60"}),
                                   Inch());
  const std::vector<Move> threads = OfKind(p, MoveKind::Thread);
  ASSERT_EQ(threads.size(), 33u);
  EXPECT_NEAR(threads[0].end.x, .2969 + 2 * (.0391 - .005), 1e-9);
  EXPECT_NEAR(threads[0].start.x, threads[0].end.x - .0622, 1e-9) << "I is radius start minus end";
  EXPECT_NEAR(threads[0].start.z, (.0391 - .005) * 0.5773503, 1e-6);
  EXPECT_NEAR(threads[5].end.x, .2969 + 2 * (.0391 - .005 * std::sqrt(6.0)), 1e-9);
  EXPECT_NEAR(threads[6].end.x, threads[5].end.x - .002, 1e-9) << "clamped to the minimum cut";
  EXPECT_NEAR(threads[31].end.x, .2969 + .002, 1e-9) << "last rough pass at height - allowance";
  EXPECT_NEAR(threads[32].end.x, .2969, 1e-9);
  EXPECT_NEAR(threads[32].start.z, 0, 1e-9);

  ToolpathSettings twoFinishing = Inch();
  twoFinishing.machine.g76FinishPasses = 2;
  twoFinishing.machine.g76ChamferLeads = 1;
  const Toolpath q = ExpandProgram(Lines({"G97 S662 M3", "G0 Z0. X.475", "G76 X.2969 Z-1. K.0391 D050 F.1875 A00"}),
                                   twoFinishing);
  EXPECT_EQ(OfKind(q, MoveKind::Thread).size(), 2u * 34) << "one pass more, each with its pull-out";
}

// G83 from Z.1: pecks of .3 to -.2, -.5, -.8, -1.1 and a last short one to -1.1502, each
// followed by a retract to the start, back down at rapid to .01 above the last depth.
TEST(ToolpathCycles, G83PecksFromTheStartWithAShortLastPeck) {
  for (const char* q : {"Q.3", "Q3000"}) {
    SCOPED_TRACE(q);
    const Toolpath p = ExpandProgram(Lines({"G97 S2483 M3", "G0 Z.1", "X0",
                                            std::string("G83 Z-1.1502 ") + q + " P500 F.005", "G80 Z.1"}),
                                     Inch());
    std::vector<std::pair<MoveKind, double>> got;
    for (std::size_t i = 2; i < p.moves.size(); ++i) got.push_back({p.moves[i].kind, p.moves[i].end.z});
    using K = MoveKind;
    const std::vector<std::pair<MoveKind, double>> expected{
        {K::Feed, -.2},  {K::Rapid, .1},  {K::Rapid, -.19},   {K::Feed, -.5},  {K::Rapid, .1},
        {K::Rapid, -.49}, {K::Feed, -.8},  {K::Rapid, .1},     {K::Rapid, -.79}, {K::Feed, -1.1},
        {K::Rapid, .1},  {K::Rapid, -1.09}, {K::Feed, -1.1502}, {K::Dwell, -1.1502}, {K::Rapid, .1},
        {K::Rapid, .1}};
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].first, expected[i].first) << "move " << i;
      EXPECT_NEAR(got[i].second, expected[i].second, 1e-9) << "move " << i;
    }
    EXPECT_NEAR(OfKind(p, MoveKind::Dwell)[0].seconds, .5, 1e-12);
    EXPECT_EQ(Findings(p), "");
  }
}

// G84 feeds in at the lead with the spindle as it runs and out reversed; a left-hand tap (M4)
// the other way round. The spindle runs as before once the cycle is done.
TEST(ToolpathCycles, G84TapsInAndReversesOut) {
  for (Spindle running : {Spindle::Clockwise, Spindle::CounterClockwise}) {
    const bool right = running == Spindle::Clockwise;
    const Toolpath p = ExpandProgram(Lines({right ? "G97 S1910 M3" : "G97 S1910 M4", "G0 Z.3", "X0",
                                            "G84 Z-1. F.0769", "G80 Z.3", "G0 X4."}),
                                     Inch());
    const std::vector<Move> taps = OfKind(p, MoveKind::Thread);
    ASSERT_EQ(taps.size(), 2u);
    EXPECT_NEAR(taps[0].end.z, -1, 1e-12);
    EXPECT_NEAR(taps[1].end.z, .3, 1e-12);
    EXPECT_EQ(taps[0].spindle, running);
    EXPECT_EQ(taps[1].spindle, right ? Spindle::CounterClockwise : Spindle::Clockwise);
    EXPECT_EQ(p.moves.back().spindle, running);
    EXPECT_DOUBLE_EQ(taps[1].feed, .0769);
    EXPECT_EQ(Findings(p), "");
  }
}

// Pass by pass: two starts one pitch apart, each pass tapered (X changes along the cut); the
// F of the first pass stays for the next, in G32 and G33 alike.
TEST(ToolpathCycles, G32AndG33MultiStartTaperAsWritten) {
  const Toolpath p = ExpandProgram(Lines({"G97 S800 M3", "G0 Z.1", "X.5", "G32 X.56 Z-1. F.2", "G0 X.7", "Z.2",
                                          "X.5", "G33 X.56 Z-1.", "G0 X.7"}),
                                   Inch());
  const std::vector<Move> t = OfKind(p, MoveKind::Thread);
  ASSERT_EQ(t.size(), 2u);
  const double starts[] = {.1, .2};
  for (int k = 0; k < 2; ++k) {
    EXPECT_NEAR(t[k].start.z, starts[k], 1e-12);
    EXPECT_NEAR(t[k].start.x, .5, 1e-12);
    EXPECT_NEAR(t[k].end.x, .56, 1e-12);
    EXPECT_DOUBLE_EQ(t[k].feed, .2);
    EXPECT_DOUBLE_EQ(t[k].rpm, 800);
  }
  EXPECT_EQ(Findings(p), "");
}

// Run time against closed forms, metric, rapids X 6000 and Z 12000 mm/min.
TEST(ToolpathRunTime, MovesTakeTheirClosedFormTimes) {
  ToolpathSettings s = Metric();
  s.toolChange = {0, 0};
  s.machine.rapidXMmPerMin = 6000;
  s.machine.rapidZMmPerMin = 12000;
  s.machine.toolChangeSeconds = 7;
  constexpr double kPi = 3.141592654;
  const double cssLimitD = 1000 * 200 / (kPi * 2000);  // where 200 m/min reaches 2000 rpm
  struct Case {
    const char* name;
    std::string program;
    double seconds;
  } cases[] = {
      {"G97 feed: 50 mm at .2 x 1000", Lines({"G97 S1000 M3", "G1 Z-50. F.2"}), 60 * 50 / (.2 * 1000)},
      {"threading pass: 30 mm at 1.5 x 600", Lines({"G97 S600 M3", "G32 Z-30. F1.5"}), 60 * 30 / (1.5 * 600)},
      {"dwells in ms and in s", Lines({"G4 P2500", "G4 X1.5"}), 4},
      {"rapid: X 50 radius at 6000 beats Z 60 at 12000", Lines({"G0 X100. Z-60."}), 60 * 50.0 / 6000},
      {"tool change", Lines({"T0101"}), 7},
      {"feed per minute", Lines({"G98 G1 Z-30. F300"}), 6},
      {"G96 face to centre, clamped at 2000 rpm",
       Lines({"G50 S2000", "G96 S200 M3", "G0 X100.", "G1 X0 F.1"}),
       60 * 50.0 / 6000 +
           60 * (kPi / (2 * .1 * 1000 * 200) * (100.0 * 100 - cssLimitD * cssLimitD) / 2 + cssLimitD / 2 / (.1 * 2000))},
  };
  for (const Case& c : cases) {
    const Toolpath p = ExpandProgram(c.program, s);
    EXPECT_NEAR(p.seconds, c.seconds, 1e-9 * std::max(1.0, c.seconds)) << c.name;
  }
  // Operations run from one T word to the next, each with its own length of cut and time.
  const Toolpath ops = ExpandProgram(Lines({"T0101", "G97 S1000 M3", "G0 X20. Z1.", "G1 Z-10. F.1", "G0 X30.",
                                            "T0202", "G1 X10. F.2", "G4 P500"}),
                                     s);
  ASSERT_EQ(ops.operations.size(), 2u);
  EXPECT_NEAR(ops.operations[0].cutLength, 11, 1e-9);
  EXPECT_NEAR(ops.operations[1].cutLength, 10, 1e-9) << "X travel is half the diameter change";
  EXPECT_NEAR(ops.operations[1].seconds, 7 + 60 * 10 / (.2 * 1000) + .5, 1e-9);
  EXPECT_EQ(ops.operations[1].line, 6);
  EXPECT_NEAR(ops.operations[0].seconds + ops.operations[1].seconds, ops.seconds, 1e-9);
  // Inch constant surface speed: 12 V / (Pi D).
  const Toolpath inch = ExpandProgram(Lines({"G96 S400 M3", "G1 X2. F.01"}), Inch());
  EXPECT_NEAR(inch.moves.back().rpm, 12 * 400 / (kPi * 2), 1e-9);
}

TEST(ToolpathWarnings, EachDoubtfulBlockIsNamedByItsLine) {
  struct Case {
    std::string program;
    bool metric;
    int line;
    const char* text;
  } cases[] = {
      {Lines({"G0 Z.1", "G1 Z-1. F.01"}), false, 2, "feed move with the spindle stopped"},
      {Lines({"G97 S500 M3", "G1 Z-1. F0"}), false, 2, "feed move with F 0"},
      {Lines({"G0 X-.1"}), false, 1, "move past the centre line (X-0.1)"},
      {Lines({"G97 S3000 M3", "G32 Z-1. F.5"}), false, 2, "thread lead x rpm is 1500 per minute"},
      {Lines({"G97 S500 M3", "G0 X.5 Z.1", "G76 P010060 Q10 R1", "G76 X.4 Z-1. P0 Q10 F.05"}), false, 4,
       "G76 can never finish"},
      {Lines({"G97 S500 M3", "G0 X.5 Z.1", "G76 X.4 Z-1. K.03 D0 F.05 A60"}), false, 3, "G76 can never finish"},
      {Lines({"G12 X1."}), false, 1, "word G12 is not understood here"},
      {Lines({"G0 X1. Q5"}), false, 1, "word Q5 is not understood here"},
      // An outside groove to 40 mm left with the inch tool-change X of 4: the retract runs
      // through the work.
      {Lines({"T0101 M8", "G97 S500 M3", "G0 Z-10.", "X52.", "G1 X40. F.1", "G0 X52.", "X4.", "Z6. M9"}), true, 7,
       "rapid to X4 Z-10 runs through the part"},
      {Lines({"T0101", "G97 S500 M3", "G0 Z-.2", "X.4", "G1 X.98 F.005", "G0 X.4", "X0"}), false, 0, ""},
      {Lines({"T0101", "G97 S500 M3", "G0 Z-.2", "X.4", "G1 X.98 F.005", "G0 X1.2"}), false, 6,
       "rapid to X1.2 Z-0.2 runs through the part"},
      // A finish pass out along the shoulder beyond the 2" stock, then away along Z or further
      // out: the shoulder face and the 45 degree chamfer before it have no material beyond them.
      {Lines({"T0101", "G97 S955 M3", "G0 X2.1 Z.05", "X1.44", "G1 Z0. F.005", "X1.5 Z-.03", "Z-1.", "X2.1",
              "G0 Z.05", "X4."}), false, 0, ""},
      {Lines({"T0101", "G97 S955 M3", "G0 X2.1 Z.05", "X1.5", "G1 Z-1. F.005", "X2.1", "G0 X2.3", "Z6."}), false, 0,
       ""},
      // A finish pass that comes in from below its diameter (where the chamfer's roughing left
      // the tool), after a 45 degree pull-off written a hair steeper than 45 degrees.
      {Lines({"T0101", "G97 S600 M3", "G0 X52. Z1.", "X35.4", "G1 Z0. F.2", "X37.0667 Z-.8333", "X39.0667 Z.1667",
              "G0 Z1.", "X35.", "G1 Z0. F.1", "X40. Z-2.5", "Z-25.", "X52.", "G0 Z1.", "X100."}), true, 0, ""},
      {Lines({"T0101", "G97 S955 M3", "G0 X.6 Z.15", "X.385", "G1 Z.0375 F.01", "X.4475 Z.0063", "X.5475 Z.0562",
              "G0 Z.15", "X.25", "G1 Z.1", "X.5 Z-.025", "Z-2.3", "X1.35", "G0 Z.15"}), false, 0, ""},
      // The bore's mirror: down its floor and away inward is clear, out through its wall is not.
      {Lines({"T0101", "G97 S955 M3", "G0 X.6 Z.05", "X1.06", "G1 Z0. F.005", "X1. Z-.03", "Z-1.", "X.8",
              "G0 X.6", "Z.1"}), false, 0, ""},
      {Lines({"T0101", "G97 S955 M3", "G0 X.6 Z.05", "X1.06", "G1 Z0. F.005", "X1. Z-.03", "Z-1.", "X.8",
              "G0 X.6", "X4."}), false, 10, "rapid to X4 Z-1 runs through the part"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const Toolpath p = ExpandProgram(c.program, c.metric ? Metric() : Inch());
    if (c.line == 0) {
      EXPECT_EQ(Findings(p), "");
      continue;
    }
    ASSERT_EQ(p.warnings.size(), 1u) << Findings(p);
    EXPECT_EQ(p.warnings[0].line, c.line);
    EXPECT_EQ(p.warnings[0].text.rfind(c.text, 0), 0u) << p.warnings[0].text;
  }
}

// What a control does with programs the tabs never write, each read from the tool-change
// position X0 Z.1 (no approach rapid) with a G76 of two finishing passes and a chamfer of one
// lead in the settings: the findings and, where the speed decides, the run time.
TEST(ToolpathHazards, ProgramsReadAsTheControlRunsThem) {
  ToolpathSettings s = Inch();
  s.toolChange = {0, .1};
  s.machine.g76FinishPasses = 2;
  s.machine.g76ChamferLeads = 1;
  const double zRapid = 12000 / 25.4, xRapid = 10000 / 25.4;  // in/min
  constexpr double kPi = 3.141592654;
  // Drill .6562 to 1 deep, then an inside 3/4-10 thread with a 60 degree tool angle: the rough
  // passes start in front of the face, so the retract along it is clear.
  const std::vector<std::string_view> insideThread = {
      "T0101 M8", "G97 S2910 M3", "G0 Z.1", "X0", "G83 Z-1.1971 Q.3 F.005", "G80 Z.1", "X4.", "Z6. M9", "M1",
      "T0101 M8", "G97 S1248 M3", "G0 Z0.", "X.525", "G76 P010060 Q30 R10", "G76 X.75 Z-1. P624 Q30 F.1"};
  const auto with = [](std::vector<std::string_view> blocks, std::initializer_list<std::string_view> more) {
    blocks.insert(blocks.end(), more);
    std::string text;
    for (auto b : blocks) (text += b) += "\n";
    return text;
  };
  struct Case {
    std::string program;
    std::string findings;
    double seconds;  // < 0: not checked
    int moves;       // < 0: not checked
  } cases[] = {
      // S0 is a stopped spindle, as M5 is; per minute it feeds all the same.
      {Lines({"G97 S0 M3", "G1 Z-1. F.01"}), "line 2: feed move with the spindle stopped\n", 0, 1},
      {Lines({"G97 S0 M3", "G98 G1 Z-1. F10."}), "", 60 * 1.1 / 10, 1},
      // Above the machine's 4000 rpm: warned, and timed at 4000 as the control clamps.
      {Lines({"G97 S9549 M3", "G1 Z-.9 F.01"}), "line 1: S9549 is above the machine's maximum of 4000 rpm\n",
       60 * 1 / (.01 * 4000), 1},
      {Lines({"G50 S9000", "G96 S400 M3", "G1 X.1 F.01"}), "", -1, 1},
      {with(insideThread, {"X4.", "Z6. M9"}), "", -1, -1},
      {with(insideThread, {"G0 Z-.5", "X4."}), "line 17: rapid to X4 Z-0.5 runs through the part (cut to X0.75 at Z-1)\n",
       -1, -1},
      // The same as the Thread tab's G32 passes, each rough one standing back by its infeed.
      {with({insideThread.begin(), insideThread.begin() + 12},
            {"G0 Z.0252", "X.6627", "G32 Z-.9748 F.1", "G0 X.553", "Z.0112", "X.7209", "G32 Z-.9888", "G0 X.553",
             "Z0.", "X.75", "G32 Z-1.", "G0 X.553", "Z0.", "X4."}),
       "", -1, -1},
      // G83 without Q since the last G80 drills to Z in one feed; Q0 never gets there.
      {Lines({"G97 S1000 M3", "G83 Z-1. F.01", "G80"}), "", 60 * 1.1 / 10 + 60 * 1.1 / zRapid, 2},
      {Lines({"G97 S1000 M3", "G83 Z-1. Q.3 F.01", "G80", "G83 Z-1."}), "", -1, 11 + 2},
      {Lines({"G97 S1000 M3", "G83 Z-1. Q0 F.01"}), "line 2: G83 with a peck Q of 0 or less never reaches its depth\n",
       -1, 0},
      // A second G76 block with no first takes the settings: allowance .001, so 9 rough
      // passes to .029, 2 finishing passes, each with its chamfer pull-out (5 moves a pass).
      {Lines({"G97 S500 M3", "G0 X.6", "G76 X.44 Z-1. P300 Q100 F.05", "G76 X.44 Z-1. P300 Q100 F.05"}),
       "line 3: G76 without its first block (P m r a Q R): minimum cut, finishing allowance, finishing passes and "
       "chamfer from the settings\n",
       -1, 1 + 2 * 11 * 5},
      // G97 without S after G96 keeps the speed the spindle turns at: 12 x 400 / (pi x 2).
      {Lines({"G96 S400 M3", "G0 X2.", "G97", "G1 Z-.9 F.01"}), "", 60 * 1 / xRapid + 60 * 1 / (.01 * 12 * 400 / (kPi * 2)),
       2},
      // Nothing after M30, M2 or the closing % runs.
      {Lines({"G0 X1.", "M30", "G0 X2.", "(note)", "G0 X3."}), "line 3: 2 blocks after M30 are never run (to line 5)\n",
       -1, 1},
      {Lines({"%", "G0 X1.", "M2", "G0 X2."}), "line 4: block after M2 is never run\n", -1, 1},
      {Lines({"%", "O100", "G0 X1.", "%", "G0 X2."}), "line 5: block after the closing % is never run\n", -1, 1},
      // One warning per block and kind, with the count and the worst value.
      {Lines({"G97 S500 M3", "G0 X-.2", "G83 X-.1 Z-.9 Q.1 F.01", "G80"}),
       "line 2: move past the centre line (X-0.2)\nline 3: 30 moves past the centre line, down to X-0.2\n", -1, 31},
      {Lines({"G97 S500 M3", "G1 Z-1. F.01 Q1 Y2 B3"}), "line 2: 3 words are not understood here: Q1 Y2 B3\n", -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const Toolpath p = ExpandProgram(c.program, s);
    EXPECT_EQ(Findings(p), c.findings);
    if (c.seconds >= 0) EXPECT_NEAR(p.seconds, c.seconds, 1e-9);
    if (c.moves >= 0) EXPECT_EQ(p.moves.size(), static_cast<std::size_t>(c.moves));
  }
}

TEST(ToolpathReader, LineEndsCaseBlanksCommentsAndProgramLines) {
  const std::string forms[] = {
      "%\r\nO1234 (PART)\r\nN10 G0X1.Z-.5\r\nn20 g1 z-1 f.01 (FEED)\r\n%\r\n",
      "%\nO1234 (PART)\nN10 G0 X1. Z-.5\nG1Z-1.F.01\n%\n",
      "%\rO1234 (PART)\rG0 X 1. Z -.5\rN20G1 Z-1 F .01\r%",
      // Lines longer than the reader's search window, with each kind of line end.
      "%\r\nO1234 (" + std::string(700, 'P') + ")\r\nG0 X1. Z-.5 (" + std::string(300, 'R') + ")\r\nG1 Z-1. F.01\r\n%\r\n",
      "%\rO1234 (" + std::string(700, 'P') + ")\rG0 X1. Z-.5 (" + std::string(300, 'R') + ")\rG1 Z-1. F.01\r%",
      "%\nO1234 (" + std::string(700, 'P') + ")\nG0 X1. Z-.5 (" + std::string(300, 'R') + ")\nG1 Z-1. F.01\n%",
  };
  for (const std::string& text : forms) {
    SCOPED_TRACE(text);
    const Toolpath p = ExpandProgram(text, Inch());
    EXPECT_TRUE(p.diagnostics.empty()) << Findings(p);
    ASSERT_EQ(p.moves.size(), 2u);
    EXPECT_EQ(p.moves[0].kind, MoveKind::Rapid);
    EXPECT_EQ(p.moves[0].line, 3);
    EXPECT_NEAR(p.moves[0].end.x, 1, 1e-12);
    EXPECT_NEAR(p.moves[0].end.z, -.5, 1e-12);
    EXPECT_EQ(p.moves[1].kind, MoveKind::Feed);
    EXPECT_NEAR(p.moves[1].end.z, -1, 1e-12);
    EXPECT_DOUBLE_EQ(p.moves[1].feed, .01);
  }
}

TEST(ToolpathReader, UnreadableBlocksAreSkippedWithLineAndColumn) {
  const Toolpath p = ExpandProgram(Lines({"G0 X1.", "G1 X2. Z# F.1", "G0 Z.5 (open", "G0 X--1", "X 3."}), Inch());
  ASSERT_EQ(p.diagnostics.size(), 3u) << Findings(p);
  EXPECT_EQ(p.diagnostics[0].line, 2);
  EXPECT_EQ(p.diagnostics[0].column, 9) << "where the number should start";
  EXPECT_EQ(p.diagnostics[1].line, 3);
  EXPECT_EQ(p.diagnostics[1].column, 8);
  EXPECT_EQ(p.diagnostics[2].line, 4);
  ASSERT_EQ(p.moves.size(), 2u) << "the unreadable blocks move nothing";
  EXPECT_NEAR(p.moves[1].end.x, 3, 1e-12);
}

// Every number reads as the library's correctly rounded conversion gives it, to the bit, on
// the short path and the long one alike.
TEST(ToolpathReader, NumbersReadExactlyAsTheLibraryConvertsThem) {
  std::mt19937 random(5);
  std::string program;
  std::vector<std::string> numbers;
  for (int i = 0; i < 200000; ++i) {
    std::string n;
    const int sign = static_cast<int>(random() % 3);
    if (sign == 1) n += '-';
    if (sign == 2) n += '+';
    const int whole = static_cast<int>(random() % 13), fraction = static_cast<int>(random() % 10);
    for (int d = 0; d < whole; ++d) n += static_cast<char>('0' + random() % 10);
    if (fraction > 0 || whole == 0 || random() % 2) n += '.';
    for (int d = 0; d < (whole == 0 && fraction == 0 ? 1 : fraction); ++d) n += static_cast<char>('0' + random() % 10);
    numbers.push_back(n);
    program += "X" + n + "\n";
  }
  const ReadResult read = ReadProgram(program);
  ASSERT_TRUE(read.diagnostics.empty());
  ASSERT_EQ(read.words.size(), numbers.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const std::string_view text = numbers[i][0] == '+' ? std::string_view(numbers[i]).substr(1) : numbers[i];
    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(std::bit_cast<std::uint64_t>(read.words[i].value), std::bit_cast<std::uint64_t>(expected)) << numbers[i];
  }
}

// Hostile text ends in diagnostics, never a crash or a hang (the sanitizer build runs this).
TEST(ToolpathReader, HostileTextGivesDiagnostics) {
  std::mt19937 random(11);
  std::string bytes(200000, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xff);
  const std::string hostile[] = {
      bytes,
      "G0 X" + std::string(1000000, '9'),
      "G0 X." + std::string(1000000, '0') + "1",
      std::string(100000, '('),
      std::string(100000, '(') + std::string(100000, ')'),
      "G76 P010060 Q0 R0\nG76 X0 Z-99999. P99999 Q1 F.001",
      "G0 Z99999.\nG1 Z-99999. F.00001\nG83 Z-99999. Q.00001 F1",
  };
  for (const std::string& text : hostile) {
    const Toolpath p = ExpandProgram(text, Inch());
    EXPECT_FALSE(p.diagnostics.empty() && p.warnings.empty()) << text.substr(0, 40);
    EXPECT_LT(p.moves.size(), 200000u);
  }
  // Fifteen G76 blocks of 9,900 passes each: expansion stops at the move limit.
  std::string deep = "G97 S100 M3\nG0 X1. Z.1\n";
  for (int i = 0; i < 15; ++i) deep += "G76 X0 Z-1. K9.9 D1 F.1\n";
  const Toolpath p = ExpandProgram(deep, Inch());
  EXPECT_LE(p.moves.size(), kMaxMoves + 5u * kMaxCyclePasses);
  ASSERT_FALSE(p.warnings.empty());
  EXPECT_EQ(p.warnings.back().text, "more than 500000 moves: the rest is not expanded");
}

TEST(ToolpathSettingsFile, SavedSettingsLoadBackAndBadValuesKeepDefaults) {
  test::TempHome home;
  const fs::path file = MachineSettingsPath(home.path());
  EXPECT_EQ(LoadMachineSettings(file).rapidXMmPerMin, MachineSettings{}.rapidXMmPerMin) << "missing file";
  MachineSettings s;
  s.rapidXMmPerMin = 8000;
  s.rapidZMmPerMin = 9500.5;
  s.toolChangeSeconds = 2.25;
  s.g76FinishPasses = 3;
  s.g83ClearanceMm = .4;
  ASSERT_TRUE(SaveMachineSettings(file, s));
  EXPECT_EQ(MachineSettingsText(LoadMachineSettings(file)), MachineSettingsText(s));
  const MachineSettings bad = ParseMachineSettings(
      "rapid_x_mm_per_min = -5\nmax_rpm = abc\ng76_finish_passes = 0\ntool_change_seconds = 1E3\nnonsense\n"
      "rapid_z_mm_per_min = 7000\n");
  EXPECT_EQ(bad.rapidXMmPerMin, MachineSettings{}.rapidXMmPerMin);
  EXPECT_EQ(bad.maxRpm, MachineSettings{}.maxRpm);
  EXPECT_EQ(bad.g76FinishPasses, 1);
  EXPECT_EQ(bad.toolChangeSeconds, MachineSettings{}.toolChangeSeconds);
  EXPECT_EQ(bad.rapidZMmPerMin, 7000);
  EXPECT_FALSE(SaveMachineSettings(home.path() / "no-such-folder" / "toolpath.txt", s));
}

// turnbrix-cli --check: moves on standard output, warnings on standard error, exit 0/3/2;
// files larger than File > Open takes are refused, and of 1,500 unreadable lines the first
// 1,000 are named and the rest counted.
TEST(ToolpathCli, CheckPrintsMovesAndExitsByWarnings) {
  constexpr std::size_t kHugeBytes = 16u * 1024u * 1024u + 1;
  test::TempHome home;
  test::WriteFile(home.path() / "default.txt", test::kInchDefaults);
  test::WriteFile(home.path() / "clean.nc", "N10 G97 S1996 M3\r\nN20 G0 X.475 Z0.\r\nN30 G32 X.3689 Z-1. F.0625\r\n");
  test::WriteFile(home.path() / "doubtful.nc", "G0 X1.\nG1 Z-1. F.01\n");
  test::WriteFile(home.path() / "fast.nc", "G97 S3000 M3\nG32 Z-1. F.5\n");
  std::string garbage;
  for (int i = 0; i < 1500; ++i) garbage += "G1 X?\n";
  test::WriteFile(home.path() / "garbage.nc", garbage);
  std::ofstream(home.path() / "huge.nc") << std::string(kHugeBytes, ' ');
  struct Case {
    std::string args;
    int status;
    std::string firstLine, errors;
  } cases[] = {
      {"--check clean.nc", 0, "rapid 0.475 0 0 1996 2", ""},
      {"--check fast.nc", 3, "thread 4 -1 0.5 3000 2", "warning: line 2: thread lead x rpm is 1500 per minute"},
      {"--check fast.nc --metric", 0, "thread 4 -1 0.5 3000 2", ""},
      {"--check doubtful.nc", 3, "rapid 1 6 0 0 1", "warning: line 2: feed move with the spindle stopped\n"},
      {"--check missing.nc", 2, "", "turnbrix-cli: cannot read missing.nc\n"},
      {"--check huge.nc", 2, "", "turnbrix-cli: huge.nc is larger than 16 MB\n"},
      {"--check garbage.nc", 3, "# extents X 0 0 Z 0 0", ""},
      // No tool library: the tool is a stand-in whose rapids are not judged, and says so.
      {"--simulate clean.nc --stock .475,0,0,-2", 3, "profile outer 0 0.475",
       "warning: line 2: tool 0 is not in the tool library: it cuts as a round insert of .008 in, and its "
       "rapids and body are not checked against the stock\n"},
      {"--simulate clean.nc", 2, "", "turnbrix-cli: --simulate needs the stock"},
      {"--check clean.nc --stock 1,0,x,-2", 2, "", "turnbrix-cli: --stock 1,0,x,-2: write it as OD,BORE,FRONT_Z,CHUCK_Z"},
  };
  // --plot draws what the library draws for the same job.
  test::WriteFile(home.path() / "data.txt", test::ShippedData());
  const fs::path job = fs::path(TURNBRIX_JOBS) / "thread_ot_inch.job";
  const std::string plot = "cd '" + home.path().string() + "' && '" + TURNBRIX_CLI + "' --home . --plot plot.svg '" +
                           job.string() + "' >/dev/null";
  ASSERT_EQ(std::system(plot.c_str()), 0);
  EXPECT_EQ(test::ReadFile(home.path() / "plot.svg"),
            test::ReadFile(fs::path(TURNBRIX_JOBS).parent_path() / "toolpath" / "golden" / "thread_ot_inch.svg"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string command = "cd '" + home.path().string() + "' && '" + TURNBRIX_CLI + "' --home . " + c.args +
                                " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    const std::string out = test::ReadFile(home.path() / "out.txt");
    EXPECT_EQ(out.substr(0, out.find('\n')), c.firstLine);
    EXPECT_EQ(test::ReadFile(home.path() / "err.txt").substr(0, c.errors.size()), c.errors);
    if (c.args == "--check garbage.nc") {
      const std::string err = test::ReadFile(home.path() / "err.txt");
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1001);
      EXPECT_NE(err.find("warning: line 1000: column 5: "), std::string::npos);
      EXPECT_NE(err.find("\nwarning: line 1001: 500 more lines cannot be read\n"), std::string::npos) << err.substr(err.size() - 200);
    }
        if (c.status != 2 && c.args != "--check garbage.nc" && c.args.rfind("--check", 0) == 0) {
      EXPECT_NE(out.find("\n# operations 1\n"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tbx::toolpath
