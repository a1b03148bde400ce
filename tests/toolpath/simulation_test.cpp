// The stock simulation through ExpandProgram: hand-made programs each with one fault found on
// its line, and the same programs mended give no warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ops/face.h"
#include "ops/groove.h"
#include "ops/part_off.h"
#include "ops/turn.h"
#include "toolpath/job_programs.h"

#include "toolpath/expander.h"
#include "toolpath/simulation.h"

namespace tbx::toolpath {
namespace {

ToolLibrary Tools() {
  ToolLibrary lib;
  Tool face;
  face.number = face.offset = 1;
  face.kind = ToolKind::OdTurning;
  face.shape = InsertShape::C;
  face.orientation = 3;
  face.leadAngle = -15;
  lib.Put(face);
  Tool bore = face;
  bore.number = bore.offset = 3;
  bore.kind = ToolKind::IdBoring;
  bore.orientation = 2;
  bore.leadAngle = 0;
  lib.Put(bore);
  Tool v = face;
  v.number = v.offset = 2;
  v.shape = InsertShape::V;
  v.leadAngle = 0;
  lib.Put(v);
  return lib;
}

std::vector<Finding> Simulated(const std::string& program) {
  static const ToolLibrary tools = Tools();
  ToolpathSettings s;
  s.tools = &tools;
  s.stock = {2, 0, .05, 0, -2.5};
  const Toolpath path = ExpandProgram(program, s);
  EXPECT_TRUE(path.simulation);
  return path.warnings;
}

TEST(Simulation, EachFaultFoundOnItsLineAndTheMendedProgramIsClean) {
  const std::string face = "N10 T0101\nN20 G97 S955 M3\nN30 G0 X2.2 Z.005\nN40 G1 X0 F.01\nN50 G0 Z.1\n";
  struct Case {
    const char* name;
    std::string faulty, mended;
    int line;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"rapid into the bar", face + "N60 X1.8 Z-.2\nN70 X4 Z6\n", face + "N60 X4 Z6\n", 6, "runs into the stock"},
      {"tool change in a bore", face + "N60 X4 Z6\nN70 T0303\nN80 G0 X0 Z.1\nN90 G1 Z-.5 F.01\nN100 T0101\n",
       face + "N60 X4 Z6\nN70 T0303\nN80 G0 X0 Z.1\nN90 G1 Z-.5 F.01\nN95 G0 Z.1\nN100 T0101\n", 10,
       "tool change with the tool inside the stock"},
      {"feed into the jaws", "N10 T0101\nN20 G97 S955 M3\nN30 G0 X2.1 Z.1\nN40 G1 Z-2.6 F.01\nN50 G0 X4\nN60 Z6\n",
       "N10 T0101\nN20 G97 S955 M3\nN30 G0 X2.1 Z.1\nN40 G1 Z-2.4 F.01\nN50 G0 X4\nN60 Z6\n", 4, "chuck jaws"},
      {"35 degree insert straight down a shoulder",
       "N10 T0202\nN20 G97 S955 M3\nN30 G0 X2.2 Z.1\nN35 G1 Z-.3 F.01\nN40 G1 X1.5 F.01\nN50 G0 X2.2\nN60 X4 Z6\n",
       "N10 T0202\nN20 G97 S955 M3\nN30 G0 X2.2 Z.1\nN35 G1 Z-.3 F.01\nN40 G1 X1.96 F.01\nN50 G0 X2.2\nN60 X4 Z6\n", 5,
       "back of the insert"},
      {"face that stops short", "N10 T0101\nN20 G97 S955 M3\nN30 G0 X2.2 Z.005\nN40 G1 X.2 F.01\nN50 G0 X2.2\nN60 X4 Z6\n",
       face + "N60 X4 Z6\n", 4, "facing pass stops short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Finding> found = Simulated(c.faulty);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front().line, c.line);
    EXPECT_NE(found.front().text.find(c.text), std::string::npos) << found.front().text;
    for (const Finding& f : Simulated(c.mended)) ADD_FAILURE() << "line " << f.line << ": " << f.text;
  }
}

// The largest (outer) or smallest (inner) diameter an outline has at `z`.
double DiameterAt(const std::vector<Point>& outline, double z, bool largest) {
  double best = largest ? -1 : 1e9;
  for (std::size_t i = 0; i + 1 < outline.size(); ++i) {
    const Point a = outline[i], b = outline[i + 1];
    if (z < std::min(a.z, b.z) - 1e-9 || z > std::max(a.z, b.z) + 1e-9) continue;
    const double x = std::fabs(b.z - a.z) < 1e-12 ? (largest ? std::max(a.x, b.x) : std::min(a.x, b.x))
                                                  : a.x + (b.x - a.x) * (z - a.z) / (b.z - a.z);
    best = largest ? std::max(best, x) : std::min(best, x);
  }
  return best;
}

// The whole part from 2 in bar with the tools its steps were written for: the final profile
// has the drawing's dimensions, and the revolved part is closed with the simulated volume.
TEST(Simulation, WholePartHasItsDrawingsDimensions) {
  ToolLibrary tools;
  const auto put = [&](int n, ToolKind kind, InsertShape shape, int orientation, double lead, double width,
                       double diameter, double point) {
    Tool t;
    t.number = t.offset = n;
    t.kind = kind, t.shape = shape, t.orientation = orientation, t.leadAngle = lead;
    t.width = width, t.diameter = diameter, t.pointAngle = point;
    tools.Put(t);
  };
  put(1, ToolKind::OdTurning, InsertShape::C, 3, -15, 0, 0, 0);
  put(2, ToolKind::OdTurning, InsertShape::C, 3, -5, 0, 0, 0);
  put(3, ToolKind::CentreDrill, InsertShape::None, 0, 0, 0, .5, 90);
  put(4, ToolKind::Drill, InsertShape::None, 0, 0, 0, .5, 118);
  put(5, ToolKind::OdThreading, InsertShape::T, 8, 0, 0, 0, 0);
  put(6, ToolKind::Grooving, InsertShape::Blade, 3, 0, .125, 0, 0);
  put(7, ToolKind::Parting, InsertShape::Blade, 4, 0, .125, 0, 0);
  test::JobProgram job = test::RunJob(std::filesystem::path(TURNBRIX_JOBS) / "whole_part_inch.job", false);
  job.settings.tools = &tools;
  job.settings.stock = {2, 0, .05, 0, -2.5};
  const Toolpath path = ExpandProgram(job.text, job.settings);
  ASSERT_TRUE(path.simulation);
  // The thread starts on the chamfer with no run-in: its deepest radial infeeds, rapids at
  // Z0, bring the 60 degree flank into the chamfer's corner.
  std::vector<std::pair<int, std::string>> found;
  for (const Finding& f : path.warnings) found.push_back({f.line, f.text});
  EXPECT_EQ(found, (std::vector<std::pair<int, std::string>>{
                       {57, "S5093 is above the machine's maximum of 4000 rpm"}, {81, "4 rapids run into the stock"}}));
  const Profile& p = path.simulation->profile;
  struct Dimension {
    const char* name;
    double z;
    bool outer;
    double x;
  };
  for (const Dimension& d : std::vector<Dimension>{{"front of the chamfer", 0, true, 1.44},
                                                   {"chamfer", -.015, true, 1.47},
                                                   {"turned diameter", -.5, true, 1.5},
                                                   {"groove", -.8, true, 1.36},
                                                   {"behind the groove", -.95, true, 1.5},
                                                   {"bar", -1.1, true, 2},
                                                   {"edge break", -1.19, true, 1.98},
                                                   {"drilled hole", -.5, false, .5},
                                                   {"drill point", -1.1502 + .0751, false, .25}}) {
    SCOPED_TRACE(d.name);
    EXPECT_NEAR(d.outer ? DiameterAt(p.outer, d.z, true) : DiameterAt(p.inner, d.z, false), d.x, 1e-4);
  }
  EXPECT_NEAR(p.outer.front().z, 0, 1e-4);
  EXPECT_NEAR(p.outer.back().z, -1.2, 1e-4);  // the part-off face

  // Every edge of the revolved part is used by two triangles; its volume is the simulated
  // part's as far as the facets fall inside the true surface.
  std::istringstream stl(PartStl(*path.simulation));
  std::map<std::pair<std::string, std::string>, int> edges;
  std::vector<std::string> loop;
  double volume = 0;
  std::vector<std::array<double, 3>> tri;
  for (std::string word; stl >> word;) {
    if (word != "vertex") continue;
    std::array<double, 3> v{};
    std::string text;
    for (double& c : v) {
      std::string n;
      stl >> n;
      c = std::stod(n);
      text += n + ' ';
    }
    loop.push_back(text);
    tri.push_back(v);
    if (loop.size() < 3) continue;
    for (int i = 0; i < 3; ++i) ++edges[std::minmax(loop[i], loop[(i + 1) % 3])];
    const auto& [a, b, c] = std::tie(tri[0], tri[1], tri[2]);
    volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
               a[2] * (b[0] * c[1] - b[1] * c[0])) / 6;
    loop.clear(), tri.clear();
  }
  ASSERT_FALSE(edges.empty());
  for (const auto& [edge, uses] : edges) ASSERT_EQ(uses, 2) << edge.first << "- " << edge.second;
  const double pi = std::acos(-1.0);
  const double facets = kStlFacets;
  double whole = 0;
  for (const Area& a : FinalPart(*path.simulation)) {
    double m = 0;
    for (std::size_t i = 0; i < a.outer.size(); ++i) {
      const NosePoint &u = a.outer[i], &w = a.outer[(i + 1) % a.outer.size()];
      m += (u.z * w.r - w.z * u.r) * (u.r + w.r) / 6;
    }
    whole += 2 * pi * std::fabs(m);
  }
  EXPECT_NEAR(volume, whole * facets / (2 * pi) * std::sin(2 * pi / facets), 1e-6 * whole);
}

// Random Face, Turn, Groove and Part-off steps on the bar each was written for, with the tool
// its programmed point assumes: no warning, and the part has the step's intended profile.
TEST(Simulation, RandomStepsLeaveTheirIntendedProfile) {
  std::mt19937 rng(7);
  // Three decimals: what the program writes is what was drawn.
  const auto draw = [&](double lo, double hi) {
    return std::round((lo + (hi - lo) * std::uniform_real_distribution<double>(0, 1)(rng)) * 1000) / 1000;
  };
  const OpContext ctx{false, kPi, 0, 325, ToolChange{"T01", "01", true, "4.", "6."}};
  struct Check {
    double z;
    double x;  // the outer diameter there
  };
  for (int round = 0; round < 200; ++round) {
    Tool tool;
    tool.number = tool.offset = 1;
    Stock stock;
    std::vector<Check> checks;
    double backZ = 1e9, frontZ = -1e9;  // the part's faces, where the step sets them
    Operation op(0);
    const int kind = round % 4;
    const double dia = draw(1, 2.5);
    if (kind == 0) {
      FaceInputs in{"FACE", float(dia), 0, float(draw(.02, .2)), 0, float(draw(.02, .06)), float(draw(.002, .01)),
                    .01f, .005f, .1f, .05f, {}};
      in.zFinal = float(draw(-.05, in.zStart - .015));
      op = FaceOperation(in, ctx);
      tool.kind = ToolKind::OdTurning, tool.shape = InsertShape::C, tool.orientation = 3, tool.leadAngle = -15;
      stock = {dia, 0, in.zStart, 0, -2};
      frontZ = in.zFinal;
    } else if (kind == 1) {
      const double finalDia = draw(dia * .6, dia - .06);
      TurnInputs in{"TURN", false, float(dia), float(finalDia), 0, float(draw(-1.5, -.3)), float(draw(.02, .08)),
                    float(draw(.002, .01)), .005f, .01f, .005f, float(draw(0, .04)), .05f, {}};
      op = TurnOperation(in, ctx);
      tool.kind = ToolKind::OdTurning, tool.shape = InsertShape::C, tool.orientation = 3, tool.leadAngle = -5;
      stock = {dia, 0, 0, 0, in.zEnd - 1};
      checks = {{in.zEnd / 2, finalDia}, {in.zEnd - .01, dia}, {-in.chamfer / 2, finalDia - in.chamfer}};
    } else if (kind == 2) {
      GrooveInputs in;
      in.comment = "GROOVE", in.majorDia = float(dia), in.minorDia = float(draw(std::max(dia * .5, dia - 1), dia - .04));  // within the blade's .6
      in.zStart = float(draw(-1, -.2)), in.zAbsClr = .1f, in.xIncClr = .05f, in.toolWidth = .125f;
      in.grooveWidth = float(draw(.16, .6)), in.percentStep = 80, in.feed = .005f;
      in.bottomStock = .01f, in.wallStock = .005f, in.finishPass = true;
      op = GrooveOperation(in, ctx);
      tool.kind = ToolKind::Grooving, tool.shape = InsertShape::Blade, tool.orientation = 3, tool.width = .125;
      stock = {dia, 0, .05, 0, in.zStart - in.grooveWidth - 1};
      checks = {{in.zStart - in.grooveWidth / 2, in.minorDia}, {in.zStart + .01, dia},
                {in.zStart - in.grooveWidth - .01, dia}};
    } else {
      PartOffInputs in{"PART OFF", float(dia), 0, float(draw(-1.5, -.3)), .125f, 0, .003f, .25f, .0015f, 0, .05f, {}};
      op = PartOffOperation(in, ctx);
      tool.kind = ToolKind::Parting, tool.shape = InsertShape::Blade, tool.orientation = 4, tool.width = .125;
      stock = {dia, 0, .05, 0, in.zPosition - 1.5};
      backZ = in.zPosition;
      checks = {{in.zPosition / 2, dia}};
    }
    SCOPED_TRACE(std::to_string(round));
    ASSERT_TRUE(WriteRefusal(op, ctx.toolChange).empty()) << WriteRefusal(op, ctx.toolChange).text;
    std::string program;
    ProgramState state;
    AppendOperation(program, state, ctx.toolChange, op);
    ToolLibrary tools;
    tools.Put(tool);
    ToolpathSettings settings;
    settings.tools = &tools;
    settings.stock = stock;
    const Toolpath path = ExpandProgram(program, settings);
    for (const Finding& f : path.warnings) ADD_FAILURE() << program << "line " << f.line << ": " << f.text;
    const Profile& p = path.simulation->profile;
    ASSERT_FALSE(p.outer.empty());
    for (const Check& c : checks) EXPECT_NEAR(DiameterAt(p.outer, c.z, true), c.x, 1e-4) << "at Z" << c.z;
    if (frontZ > -1e9) {
      double front = -1e9;
      for (const Point& q : p.outer) front = std::max(front, q.z);
      EXPECT_NEAR(front, frontZ, 1e-4);
    }
    if (backZ < 1e9) EXPECT_NEAR(p.outer.back().z, backZ, 1e-4);
  }
}

Tool MakeTool(int n, ToolKind kind, InsertShape shape, double radius, int orientation, double size = 0,
              double point = 0, double lead = 0) {
  Tool t;
  t.number = t.offset = n;
  t.kind = kind, t.shape = shape, t.radius = radius, t.orientation = orientation, t.leadAngle = lead;
  (shape == InsertShape::Blade ? t.width : t.diameter) = size;
  t.pointAngle = point;
  return t;
}

// Every tab-written job against the bar or tube it was written for, with the tools its steps
// assume: it cuts cleanly but for what is really there. A thread started at the face itself
// (Z Start 0, no run-in) rapids each infeed's trailing flank into the corner the pass before
// left; the metric thread's job keeps the tool-change position of 4 and 6, now millimetres
// inside the bar; the start drill's speed is above the machine's.
TEST(Simulation, TabWrittenJobsCutTheirStockCleanly) {
  const auto turn = [](int n, double lead) { return MakeTool(n, ToolKind::OdTurning, InsertShape::C, .031, 3, 0, 0, lead); };
  const Tool thread = MakeTool(1, ToolKind::OdThreading, InsertShape::T, .004, 8);
  const Tool insideBlade = MakeTool(1, ToolKind::Grooving, InsertShape::Blade, .008, 2, .125);
  const Tool reamer = MakeTool(1, ToolKind::Reamer, InsertShape::None, 0, 0, .5);
  const Tool drill = MakeTool(1, ToolKind::Drill, InsertShape::None, 0, 0, .5, 118);
  const Tool spot = MakeTool(1, ToolKind::CentreDrill, InsertShape::None, 0, 0, .5, 90);
  const Tool tap = MakeTool(1, ToolKind::Tap, InsertShape::None, 0, 0, .5);
  struct Case {
    const char* job;
    bool metric;
    Stock stock;
    std::vector<Tool> tools;
    std::vector<std::pair<int, std::string>> findings;
  };
  const std::vector<Case> cases = {
      {"box_beyond_single_range", false, {1, .49, 0, 0, -2.5}, {reamer}, {}},
      {"typed_text_then_ream", false, {1, .49, 0, 0, -2.5}, {reamer}, {}},
      {"drill_csink_center", false, {1, 0, 0, 0, -2.5}, {spot}, {}},
      {"drill_deep_pecks", false, {1, 0, 0, 0, -2.5}, {drill}, {}},
      {"drill_ream_metric", false, {25, 9.8, 0, 0, -60}, {MakeTool(1, ToolKind::Reamer, InsertShape::None, 0, 0, 10)}, {}},
      {"tap_g84_then_left_hand_g32", false, {1, .42, 0, 0, -2.5}, {tap}, {}},
      {"tap_refused_keeps_program", false, {1, .42, 0, 0, -2.5}, {tap}, {}},
      {"groove_inside_radius_chamfer", false, {1.5, .5, 0, 0, -2.5}, {insideBlade}, {}},
      {"new_while_editing", false, {2.1, 0, .05, 0, -2.5}, {turn(3, -5)}, {}},
      {"thread_ot_inch", false, {.375, 0, 0, 0, -2.5}, {thread}, {{7, "14 rapids run into the stock"}}},
      {"thread_g32_inch", false, {.375, 0, 0, 0, -2.5}, {thread},
       {{5, "rapid to X0.3445 Z0 runs into the stock"}, {9, "rapid to X0.3207 Z0 runs into the stock"},
        {13, "rapid to X0.2969 Z0 runs into the stock"}}},
      {"thread_6t_three_starts_pipe", false, {.375, 0, 0, 0, -2.5}, {thread}, {{6, "33 rapids run into the stock"}}},
      {"thread_ot_metric", false, {10, 0, 0, 0, -60}, {MakeTool(1, ToolKind::OdThreading, InsertShape::T, .1, 8)},
       {{4, "rapid to X4 Z0 runs into the stock"}, {5, "rapid to X16 Z0 runs into the stock"},
        {7, "9 rapids run into the stock"}, {8, "rapid to X4 Z0 runs into the stock"},
        {9, "rapid to X4 Z6 runs into the stock"}}},
      {"profile_inch", false, {2, 0, 0, 0, -2.5}, {turn(1, -5)}, {}},
      {"profile_metric", false, {50, 0, 0, 0, -60}, {MakeTool(2, ToolKind::OdTurning, InsertShape::V, .4, 3, 0, 0, -3)}, {}},
      {"undo_redo_steps", false, {2.1, 0, .05, 0, -2.5}, {turn(1, -15), turn(2, -5), MakeTool(3, ToolKind::CentreDrill, InsertShape::None, 0, 0, .5, 90)},
       {{57, "S5093 is above the machine's maximum of 4000 rpm"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.job);
    test::JobProgram job = test::RunJob(std::filesystem::path(TURNBRIX_JOBS) / (std::string(c.job) + ".job"), c.metric);
    ToolLibrary tools;
    tools.metric = job.settings.metric;
    for (const Tool& t : c.tools) tools.Put(t);
    job.settings.tools = &tools;
    job.settings.stock = c.stock;
    const Toolpath path = ExpandProgram(job.text, job.settings);
    ASSERT_TRUE(path.simulation);
    std::vector<std::pair<int, std::string>> found;
    for (const Finding& f : path.warnings) found.push_back({f.line, f.text});
    EXPECT_EQ(found, c.findings);
  }
}

}  // namespace
}  // namespace tbx::toolpath
