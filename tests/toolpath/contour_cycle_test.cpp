// G70, G71 and G72 read from whole programs: faulty cycles are diagnostics on their line and
// cost little time however large they claim to be; contours read with their corner words.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>

#include "toolpath/contour.h"
#include "toolpath/expander.h"

namespace tbx::toolpath {
namespace {

std::string Diagnostics(const Toolpath& path) {
  std::string all;
  for (const Finding& f : path.diagnostics) all += "line " + std::to_string(f.line) + ": " + f.text + "\n";
  return all;
}

TEST(ContourCycle, FaultyCyclesAreDiagnosticsOnTheirLineAndFinishQuickly) {
  const std::string head = "T0101\nG97 S800 M3\nG0 X2.1 Z.1\nG71 U.1 R.02\n";  // the cycle's second block is line 5
  struct Case {
    const char* name;
    std::string program;
    std::string diagnostic;
  };
  std::string longContour = "G0 X2.1 Z.1\nG71 U1 R0\nG71 P1 Q2\nN1 G0 X1.\n";
  for (int i = 0; i < 4000; ++i) longContour += "G1 W-.001\n";
  longContour += "N2 X2.1\n";
  const Case cases[] = {
      {"a long contour roughed in many passes", longContour,
       "line 3: G71: the cycle needs 5500 passes over 4001 pieces of contour, too many to plan"},
      {"P not found", head + "G71 P10 Q20 U.02 W.005 F.01\nN11 G0 X.8\nG1 Z-1.\nN20 X2.1\n",
       "line 5: G71: no block N10 (P) in the program"},
      {"Q not found", head + "G71 P10 Q20 U.02 W.005 F.01\nN10 G0 X.8\nG1 Z-1.\nN21 X2.1\n",
       "line 5: G71: no block N20 (Q) after N10"},
      {"a pocket in type I", head + "G71 P10 Q20 U.02 W.005 F.01\nN10 G0 X.8\nG1 Z-1.\nX.6 Z-1.2\nZ-1.5\nN20 X2.1\n",
       "line 5: G71: contour line 8: the contour goes deeper again (a pocket needs type II)"},
      {"turns back along Z", head + "G71 P10 Q20 U.02 W.005 F.01\nN10 G0 X.8 Z.1\nG1 Z-1.\nX1.2 Z-.8\nN20 X2.1 Z-1.5\n",
       "line 5: G71: contour line 8: the contour turns back along Z"},
      {"ends at the start's Z", head + "G71 P10 Q20 U.02 W.005 F.01\nN10 G0 X.8\nG1 X1.5\nN20 X2.\n",
       "line 5: G71: the contour ends at the start point's Z: it must end beyond it along Z"},
      // A depth of cut in least increments (no point) over a tall part: 20000 passes.
      {"too many passes", "G0 X4.1 Z.1\nG72 W1 R0\nG72 P1 Q2\nN1 G0 Z-2.\nN2 G1 X0.\n",
       "line 3: G72: the cycle needs more than 10000 passes"},
      {"no first block", "G0 X2.1 Z.1\nG71 P10 Q20 U.02 W.005 F.01\nN10 G0 X.8\nN20 G1 X2.1 Z-1.\n",
       "line 2: G71 P Q needs the G71 block with the depth of cut before it"},
      {"G70 without its contour", "G0 X2.1 Z.1\nG70 P30 Q40\n", "line 2: G70: no block N30 (P) in the program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool streamed : {true, false}) {
      const auto from = std::chrono::steady_clock::now();
      const Toolpath path = streamed ? ExpandProgram(c.program, {}) : ExpandRead(ReadProgram(c.program), {});
      EXPECT_LT(std::chrono::steady_clock::now() - from, std::chrono::milliseconds(200));
      EXPECT_EQ(Diagnostics(path), c.diagnostic + "\n");
      // Contour blocks found after a roughing cycle are never run as moves of their own, even
      // when the cycle cannot be cut.
      if (c.diagnostic.find("no block") == std::string::npos)
        for (const Move& m : path.moves) EXPECT_LE(m.line, 5) << "a move of line " << m.line;
    }
  }
}

// A G71 type I and II and a G72 read the same streamed and read whole; the roughing ends at
// the start point and the control goes on after block Q.
TEST(ContourCycle, CyclesRunFromTheStartPointAndGoOnAfterQ) {
  const std::string programs[] = {
      "G0 X2.1 Z.1\nG71 U.1 R.02\nG71 P10 Q20 U.02 W.005 F.01\nN10 G0 X.8\nG1 Z0\nX1. Z-.1 ,C.02\nZ-.8 ,R.05\nX2.1\n"
      "N20 Z-1.\nG0 X3.\n",
      "G0 X2.1 Z.1\nG71 U1000 R200\nG71 P10 Q20 U.02 W.005 F.01\nN10 G0 X1. Z.1\nG1 Z-.4\nG2 Z-.8 R.3\nG1 Z-1.\n"
      "N20 X2.1\nG0 X3.\n",
      "G0 X2.2 Z.1\nG72 W.1 R.02\nG72 P10 Q20 U.02 W.01 F.01\nN10 G0 Z-.6\nG1 X1.6\nX1. Z-.2\nZ0\nN20 X0\nG0 X3.\n",
  };
  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    const Toolpath streamed = ExpandProgram(program, {});
    const Toolpath whole = ExpandRead(ReadProgram(program), {});
    EXPECT_EQ(Diagnostics(streamed), "");
    ASSERT_EQ(streamed.moves.size(), whole.moves.size());
    for (std::size_t i = 0; i < whole.moves.size(); ++i) {
      EXPECT_EQ(streamed.moves[i].end.x, whole.moves[i].end.x);
      EXPECT_EQ(streamed.moves[i].end.z, whole.moves[i].end.z);
    }
    ASSERT_GE(whole.moves.size(), 10u);
    const Move& back = whole.moves[whole.moves.size() - 2];
    EXPECT_EQ(back.line, 3);
    EXPECT_NEAR(back.end.z, 0.1, 1e-9);
    EXPECT_NEAR(back.end.x, program[4] == '2' && program[5] == '.' && program[6] == '2' ? 2.2 : 2.1, 1e-9);
    EXPECT_EQ(whole.moves.back().end.x, 3.0);  // the block after Q
  }
}

// The contour box's reader: corners by ,C and ,R, arcs by R, and each fault on its line.
TEST(ContourCycle, ContourTextWithCornersAndFaultsByLine) {
  const ContourRead read = ReadContour("X1. Z0\nZ-1. ,C.1\nX2. ,R.2\nZ-2.\nG2 X2.4 Z-2.2 R.1\nG1 X3. ,C5.\nZ-3.\n");
  ASSERT_EQ(read.path.segments.size(), 8u);
  const auto near = [](NosePoint p, double z, double r) { return std::fabs(p.z - z) < 1e-9 && std::fabs(p.r - r) < 1e-9; };
  EXPECT_TRUE(near(read.path.start, 0, 0.5));
  EXPECT_TRUE(near(read.path.segments[0].end, -0.9, 0.5));  // cut back for the chamfer
  EXPECT_TRUE(near(read.path.segments[1].end, -1, 0.6));    // the chamfer
  EXPECT_TRUE(near(read.path.segments[2].end, -1, 0.8));    // up to the radius
  const NoseSegment& radius = read.path.segments[3];
  EXPECT_TRUE(radius.arc && !radius.clockwise);
  EXPECT_TRUE(near(radius.end, -1.2, 1.0));
  EXPECT_TRUE(near(radius.centre, -1.2, 0.8));
  EXPECT_EQ(read.lines, (std::vector<int>{2, 2, 3, 3, 4, 5, 6, 7}));
  // The arc cannot reach its end with R.1: a line; the chamfer is larger than its corner.
  std::string issues;
  for (const Finding& f : read.issues) issues += std::to_string(f.line) + ": " + f.text + "\n";
  EXPECT_EQ(issues, "5: arc radius R0.1 cannot join its ends; taken as a line\n"
                    "6: chamfer ,C5 is too large for its corner\n");
  EXPECT_FALSE(read.path.segments[4].arc);

  // Turning back on itself, named by the later line: crossing an earlier line, or running
  // back along the line before; a contour that only comes near itself is sound.
  for (const auto& [contour, expected] : std::vector<std::pair<const char*, const char*>>{
           {"X1. Z0\nZ-1.\nX2.\nX1.5 Z-.5\nX.5 Z-.5", "5: the contour turns back on itself, across line 2\n"},
           {"X1. Z0\nZ-1.\nZ-.5", "3: the contour turns back on itself, across line 2\n"},
           {"X1. Z0\nZ-1.\nG3 X1. Z-1.5 R.25\nG1 Z-2.\nX1.2 Z-.8", "5: the contour turns back on itself, across line 3\n"},
           {"X1. Z0\nZ-1.\nX2.\nX1.001 Z-.999", ""}}) {
    std::string found;
    for (const Finding& f : ReadContour(contour).issues) found += std::to_string(f.line) + ": " + f.text + "\n";
    EXPECT_EQ(found, expected) << contour;
  }
}

}  // namespace
}  // namespace tbx::toolpath
