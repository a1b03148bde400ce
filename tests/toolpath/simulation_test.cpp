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

#include "app/controls.h"
#include "program/numbers.h"
#include "toolpath/contour.h"
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
  bore.number = bore.offset = 4;
  bore.diameter = 0.75;  // its bar's
  lib.Put(bore);
  Tool v = face;
  v.number = v.offset = 2;
  v.shape = InsertShape::V;
  v.leadAngle = 0;
  lib.Put(v);
  return lib;
}

std::vector<Finding> Simulated(const std::string& program, const Stock& stock) {
  static const ToolLibrary tools = Tools();
  ToolpathSettings s;
  s.tools = &tools;
  s.stock = stock;
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
    Stock stock{2, 0, .05, 0, -2.5};
  };
  const std::string bore = "N10 T0404\nN20 G97 S955 M3\nN30 G0 X1.05 Z.1\nN40 G1 Z-.5 F.005\n";
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
      {"boring bar retracted across the centre line", bore + "N50 G0 X.4\nN60 Z.1\nN70 X4 Z6\n",
       bore + "N50 G0 X.95\nN60 Z.1\nN70 X4 Z6\n", 5, "the bar meets the far side of the bore",
       Stock{2, 1, .05, 0, -2.5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Finding> found = Simulated(c.faulty, c.stock);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front().line, c.line);
    EXPECT_NE(found.front().text.find(c.text), std::string::npos) << found.front().text;
    for (const Finding& f : Simulated(c.mended, c.stock)) ADD_FAILURE() << "line " << f.line << ": " << f.text;
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
  put(8, ToolKind::OdTurning, InsertShape::C, 3, -5, 0, 0, 0);
  Tool shaft = *tools.Find(8, 8);
  shaft.radius = .016;  // the radius the profile's compensation was computed for
  tools.Put(shaft);
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
                                                   {"shaft", -1.15, true, 1.625},
                                                   {"taper", -1.375, true, 1.6875},
                                                   {"second diameter", -1.55, true, 1.75},
                                                   {"bar behind the radius", -1.8, true, 2},
                                                   {"edge break", -1.99, true, 1.98},
                                                   {"drilled hole", -.5, false, .5},
                                                   {"drill point", -1.1502 + .0751, false, .25}}) {
    SCOPED_TRACE(d.name);
    EXPECT_NEAR(d.outer ? DiameterAt(p.outer, d.z, true) : DiameterAt(p.inner, d.z, false), d.x, 1e-4);
  }
  EXPECT_NEAR(p.outer.front().z, 0, 1e-4);
  EXPECT_NEAR(p.outer.back().z, -2, 1e-4);  // the part-off face

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
// The distance from `p` to the contour (Z and the radius), arcs as arcs.
double DistanceToContour(const NosePath& c, NosePoint p) {
  double best = 1e9;
  NosePoint a = c.start;
  for (const NoseSegment& s : c.segments) {
    const NosePoint b = s.end;
    if (!s.arc) {
      const double dz = b.z - a.z, dr = b.r - a.r, len2 = dz * dz + dr * dr;
      const double t = len2 > 0 ? std::clamp(((p.z - a.z) * dz + (p.r - a.r) * dr) / len2, 0.0, 1.0) : 0;
      best = std::min(best, std::hypot(p.z - a.z - t * dz, p.r - a.r - t * dr));
    } else {
      const double radius = std::hypot(a.z - s.centre.z, a.r - s.centre.r);
      auto angle = [&](NosePoint q) { return std::atan2(q.r - s.centre.r, q.z - s.centre.z); };
      // The sweep from a to b, counter-clockwise positive.
      double sweep = angle(b) - angle(a), at = angle(p) - angle(a);
      const double turn = 2 * std::acos(-1.0);
      if (s.clockwise) sweep = -sweep, at = -at;
      sweep = std::fmod(sweep + 2 * turn, turn), at = std::fmod(at + 2 * turn, turn);
      best = std::min({best, std::hypot(p.z - a.z, p.r - a.r), std::hypot(p.z - b.z, p.r - b.r)});
      if (at <= sweep) best = std::min(best, std::fabs(std::hypot(p.z - s.centre.z, p.r - s.centre.r) - radius));
    }
    a = b;
  }
  return best;
}

// The Profile tab's program for `contour`, as Moves and as the cycles, with `tool` in the
// library, Computed compensation and the values the random profiles share; `choose` the side or
// direction clicked.
std::vector<std::string> ProfilePrograms(const std::string& contour, const Tool& tool, bool metric, ControlId choose,
                                         double startDia) {
  const double u = metric ? 25 : 1;
  auto num = [](double v) { return PlainDecimal(std::round(v * 1e4) / 1e4, 4); };
  std::vector<std::string> programs;
  for (ControlId form : {id::kProfileMoves, id::kProfileCycle}) {
    test::Session s(metric ? test::kMetricShopDefaults : test::kInchDefaults);
    s.runner.app().tools.metric = metric;
    s.runner.app().tools.Put(tool);
    s.runner.Tab(13);
    s.runner.Click(choose);
    s.runner.Set(id::kProfileContour, contour);
    s.runner.Type(id::kProfileStartDia, num(startDia));
    s.runner.Type(id::kProfileDepthOfCut, num(.04 * u));
    s.runner.Type(id::kProfileFinishAllowanceX, num(.01 * u));
    s.runner.Type(id::kProfileFinishAllowanceZ, num(.005 * u));
    s.runner.Type(id::kProfileClearance, num(.05 * u));
    s.runner.Type(id::kProfileRoughFeed, num(.01 * u));
    s.runner.Type(id::kProfilePlungeFeed, num(.004 * u));
    s.runner.Type(id::kProfileFinishFeed, num(.005 * u));
    s.runner.Click(form);
    s.runner.Click(id::kProfileCompComputed);
    s.runner.Click(id::kProfileOk);
    programs.push_back(s.Output());
    EXPECT_FALSE(programs.back().empty()) << contour << "\n" << s.err.str();
  }
  return programs;
}

// The library of `tool` and the settings a random profile is read back with.
struct ProfileReading {
  ProfileReading(const Tool& tool, bool metric, double stock, double bore) {
    tools.metric = metric;
    tools.Put(tool);
    settings.metric = metric;
    settings.tools = &tools;
    settings.toolChange = metric ? Point{100, 150} : Point{4, 6};
    settings.stock = {stock, bore, 0, 0, metric ? -75.0 : -3.0};
  }
  ProfileReading(const ProfileReading&) = delete;
  ToolLibrary tools;
  ToolpathSettings settings;
};

// Every point of a part's outline, four to a piece, with whether it lies near a corner of the
// contour (within two nose radii and a little): the nose leaves its radius in an inside one.
void EachPartPoint(const std::vector<Point>& part, const NosePath& contour, double nearCorner,
                   const std::function<void(NosePoint q, bool nearCorner)>& visit) {
  std::vector<NosePoint> corners{contour.start};
  for (const NoseSegment& seg : contour.segments) corners.push_back(seg.end);
  ASSERT_FALSE(part.empty());
  for (std::size_t i = 1; i < part.size(); ++i) {
    for (double t : {0.0, .25, .5, .75}) {
      const NosePoint q{part[i - 1].z + t * (part[i].z - part[i - 1].z), (part[i - 1].x + t * (part[i].x - part[i - 1].x)) / 2};
      double nearest = 1e9;
      for (const NosePoint& c : corners) nearest = std::min(nearest, std::hypot(q.z - c.z, q.r - c.r));
      visit(q, nearest < nearCorner);
    }
  }
}

// Expands `program`: no diagnostic, no finding; its moves but those shorter than `tol`, which
// rounding may leave in either form.
std::vector<Move> CleanMoves(const Toolpath& path, const std::string& program, double tol) {
  EXPECT_TRUE(path.simulation);
  for (const Finding& f : path.diagnostics) ADD_FAILURE() << f.line << ": " << f.text << "\n" << program;
  for (const Finding& f : path.warnings) ADD_FAILURE() << f.line << ": " << f.text << "\n" << program;
  std::vector<Move> moves;
  for (const Move& m : path.moves)
    if (m.kind == MoveKind::ToolChange || std::hypot(m.end.x - m.start.x, m.end.z - m.start.z) > tol) moves.push_back(m);
  return moves;
}

void ExpectSameMoves(const std::vector<Move>& a, const std::vector<Move>& b, double tol) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_NEAR(a[i].end.x, b[i].end.x, 2 * tol) << i;
    EXPECT_NEAR(a[i].end.z, b[i].end.z, tol) << i;
    EXPECT_EQ(a[i].kind, b[i].kind) << i;
  }
}

// Random contours through the Profile tab, the program they make and the stock simulation with
// the tool's outline: outside and inside, inch and metric, steps, tapers, chamfers, corner radii
// and pockets; each as moves and as G71/G70 under Computed compensation. Both forms make the
// same moves, the simulation finds nothing, and the finished part is the contour: every point
// of the part's outline within the tolerance of it, and the contour's points on the part.
TEST(Simulation, RandomProfilesFinishToTheirContourInBothForms) {
  std::mt19937 rng(20261208);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  int pockets = 0;
  for (int n = 0; n < 48; ++n) {
    const bool metric = n % 2 == 1, inside = n % 4 >= 2, pocket = n % 8 >= 4;
    const double u = metric ? 25 : 1, tol = metric ? .002 : .0001;
    SCOPED_TRACE("case " + std::to_string(n) + (metric ? " metric" : " inch") + (inside ? " inside" : " outside") +
                 (pocket ? " with a pocket" : ""));
    // Outside the diameter climbs from the front toward the chuck; inside it falls.
    const double side = inside ? -1 : 1, stock = 2 * u, bore = inside ? .5 * u : 0;
    double d = std::round((inside ? uniform(1.3, 1.6) : uniform(.4, .8)) * u * 1e4) / 1e4, z = 0;
    auto num = [](double v) { return PlainDecimal(std::round(v * 1e4) / 1e4, 4); };
    std::string text = "X" + num(d) + " Z0";
    bool pocketed = false;
    for (int k = 0; k < 5; ++k) {
      const int feature = static_cast<int>(rng() % 4);
      // Values of four places, so that the sums the lines write are the points meant: a quarter
      // arc's R then closes it exactly.
      auto places = [](double v) { return std::round(v * 1e4) / 1e4; };
      const double run = places(uniform(.1, .25) * u), rise = places(uniform(.02, .06) * u) * 2;
      std::string corner = rng() % 3 == 0 ? " ,C" + num(.015 * u) : rng() % 3 == 0 ? " ,R" + num(.02 * u) : "";
      if (pocket && !pocketed && k == 2) {
        // Down at 30 degrees or less, along, and back up.
        z -= run;
        text += "\nZ" + num(z) + corner;
        // A bore's pocket stays shallower than the bar's clearance under the insert.
        const double depth = places(rise * (inside ? .2 : .5));
        d -= side * 2 * depth;
        z -= places(depth / std::tan(30 * kPi / 180) + .01 * u);
        text += "\nX" + num(d) + " Z" + num(z);
        z -= run;
        text += "\nZ" + num(z);
        d += side * 2 * (depth + rise);
        text += "\nX" + num(d);
        pocketed = true;
        continue;
      }
      z -= run;
      if (feature == 0) text += "\nZ" + num(z);                                 // along Z
      if (feature == 1) d += side * 2 * rise * .5, text += "\nX" + num(d) + " Z" + num(z);  // a taper
      if (feature == 2) text += "\nZ" + num(z) + corner, d += side * 2 * rise, text += "\nX" + num(d);
      if (feature == 3) {
        // A convex quarter arc that climbs by its radius.
        const double r = rise;
        text += "\nZ" + num(z);
        d += side * 2 * r, z -= r;
        text += std::string(inside ? "\nG3" : "\nG2") + " X" + num(d) + " Z" + num(z) + " R" + num(r);
        text += "\nG1";
      }
    }
    text += "\nX" + num(inside ? bore : stock);
    pockets += pocketed;
    Tool tool;
    tool.number = tool.offset = 1;
    tool.kind = inside ? ToolKind::IdBoring : ToolKind::OdTurning;
    tool.shape = InsertShape::V;
    tool.radius = .004 * u;
    tool.orientation = inside ? 2 : 3;
    tool.leadAngle = -3;
    const std::vector<std::string> programs =
        ProfilePrograms(text, tool, metric, inside ? id::kProfileInside : id::kProfileOutside, inside ? bore : stock);
    const ProfileReading reading(tool, metric, stock, bore);
    const ToolpathSettings& settings = reading.settings;
    const ContourRead contour = ReadContour(text);
    const double zEnd = contour.path.segments.back().end.z;
    // The outline between the face and the last shoulder.
    auto eachPoint = [&](const Toolpath& path, const std::function<void(NosePoint q, bool nearCorner)>& visit) {
      EachPartPoint(inside ? path.simulation->profile.inner : path.simulation->profile.outer, contour.path,
                    2 * tool.radius + .015 * u, [&](NosePoint q, bool nearCorner) {
                      if (q.z >= zEnd + tol && q.z <= -tol) visit(q, nearCorner);
                    });
    };
    std::vector<std::vector<Move>> moves;
    for (const std::string& program : programs) {
      const Toolpath path = ExpandProgram(program, settings);
      moves.push_back(CleanMoves(path, program, tol));
      ASSERT_TRUE(path.simulation);
      eachPoint(path, [&](NosePoint q, bool nearCorner) {
        EXPECT_LE(DistanceToContour(contour.path, q), nearCorner ? tool.radius : tol)
            << "part X" << 2 * q.r << " Z" << q.z << "\n" << text;
      });
    }
    // The roughing alone (the program up to the finish pass's entry) leaves the allowance, as the
    // contour moved by (U/2, W) leaves it on walls of 30 degrees or less: never less than W, and
    // never more than the move itself, but in corners; plunges go at the plunge feed, passes no
    // deeper than the depth of cut.
    const Toolpath whole = ExpandProgram(programs[0], settings);
    const auto finish = std::find_if(whole.moves.begin(), whole.moves.end(),
                                     [&](const Move& m) { return m.kind == MoveKind::Feed && std::fabs(m.feed - .005 * u) < 1e-9; });
    ASSERT_NE(finish, whole.moves.end());
    std::string rough;
    for (std::size_t at = 0, line = 1; at < programs[0].size() && line + 1 < static_cast<std::size_t>(finish->line); ++line) {
      const std::size_t next = programs[0].find('\n', at) + 1;
      rough += programs[0].substr(at, next - at);
      at = next;
    }
    const Toolpath roughed = ExpandProgram(rough, settings);
    ASSERT_TRUE(roughed.simulation);
    const double ax = .01 * u, az = .005 * u;
    eachPoint(roughed, [&](NosePoint q, bool nearCorner) {
      const double d = DistanceToContour(contour.path, q);
      EXPECT_GE(d, az - tol) << "roughed X" << 2 * q.r << " Z" << q.z << "\n" << text;
      if (!nearCorner) EXPECT_LE(d, std::hypot(ax, az) + tol) << "roughed X" << 2 * q.r << " Z" << q.z << "\n" << text;
    });
    std::set<double> levels;
    for (auto m = whole.moves.begin(); m != finish; ++m) {
      if (m->kind != MoveKind::Feed) continue;
      const bool deeper = side * (m->end.x - m->start.x) < -1e-9;
      EXPECT_DOUBLE_EQ(m->feed, deeper ? .004 * u : .01 * u) << "line " << m->line;
      if (std::fabs(m->end.x - m->start.x) < 1e-9) levels.insert(m->end.x / 2);
    }
    for (auto a = levels.begin(), b = std::next(a); b != levels.end(); ++a, ++b) EXPECT_LE(*b - *a, .04 * u + 1e-9);
    ExpectSameMoves(moves[0], moves[1], tol);
  }
  EXPECT_GE(pockets, 12);
}

// Random faced contours (passes along X, G72), outside, inch and metric: steps and tapers
// from the bar toward the axis, each as moves and as G72/G70 under Computed compensation; the
// simulation finds nothing, both forms make the same moves, and the faced part is the contour.
TEST(Simulation, RandomFacedProfilesFinishToTheirContour) {
  std::mt19937 rng(7);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  for (int n = 0; n < 12; ++n) {
    const bool metric = n % 2 == 1;
    const double u = metric ? 25 : 1, tol = metric ? .002 : .0001, stock = 2 * u;
    SCOPED_TRACE("face case " + std::to_string(n) + (metric ? " metric" : " inch"));
    auto places = [](double v) { return std::round(v * 1e4) / 1e4; };
    auto num = [](double v) { return PlainDecimal(std::round(v * 1e4) / 1e4, 4); };
    double d = stock, z = -places(uniform(.2, .3) * u);
    std::string text = "X" + num(d) + " Z" + num(z);
    for (int k = 0; k < 3; ++k) {
      d -= 2 * places(uniform(.1, .25) * u);
      const double rise = places(uniform(.02, .05) * u);
      if (rng() % 2) {
        text += "\nX" + num(d) + (rng() % 2 ? " ,C" + num(.01 * u) : "");
        z += rise;
        text += "\nZ" + num(z);
      } else {
        z += rise;
        text += "\nX" + num(d) + " Z" + num(z);
      }
    }
    text += "\nX0";
    Tool tool;
    tool.number = tool.offset = 1;
    tool.kind = ToolKind::OdTurning;
    tool.shape = InsertShape::C;
    tool.radius = .004 * u;
    tool.orientation = 3;
    tool.leadAngle = -5;
    const std::vector<std::string> programs = ProfilePrograms(text, tool, metric, id::kProfileFace, stock);
    EXPECT_NE(programs[1].find(" G72 W"), std::string::npos);
    const ProfileReading reading(tool, metric, stock, 0);
    const ContourRead contour = ReadContour(text);
    std::vector<std::vector<Move>> moves;
    for (const std::string& program : programs) {
      const Toolpath path = ExpandProgram(program, reading.settings);
      moves.push_back(CleanMoves(path, program, tol));
      ASSERT_TRUE(path.simulation);
      EachPartPoint(path.simulation->profile.outer, contour.path, 2 * tool.radius + .015 * u, [&](NosePoint q, bool nearCorner) {
        if (q.r > stock / 2 - tol || q.r < tol || q.z < contour.path.start.z + tol) return;  // the bar beyond
        EXPECT_LE(DistanceToContour(contour.path, q), nearCorner ? tool.radius : tol)
            << "part X" << 2 * q.r << " Z" << q.z << "\n" << text;
      });
    }
    ExpectSameMoves(moves[0], moves[1], tol);
  }
}

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
