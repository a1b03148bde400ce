#include "data/nose_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tbx {
namespace {

const double kPiHere = std::acos(-1.0);

struct Expected {
  NosePoint end;
  bool arc = false;
  bool clockwise = false;
  NosePoint centre;
};

// Closed-form nose-centre paths of an OD profile (tool on the right as it cuts toward the
// chuck) for a 45 degree chamfer, a 30 degree taper and a quarter arc, each checked for four
// tip orientations: the programmed point runs the centre path moved by the tip offset.
TEST(NosePath, ClosedFormCornersForEachTipOrientation) {
  const double R = 0.05;
  const double t30 = std::tan(kPiHere / 6), s30 = 0.5, c30 = std::cos(kPiHere / 6);
  struct Case {
    const char* name;
    NosePath profile;
    std::vector<Expected> centre;
  };
  const double rs = R / std::sqrt(2.0);
  const Case cases[] = {
      // Along -Z at r .5, the chamfer up to r .6, along Z, up the shoulder.
      {"45 degree chamfer",
       {{0.1, 0.5}, {{{0, 0.5}}, {{-0.1, 0.6}}, {{-1, 0.6}}, {{-1, 0.8}}}},
       {{{R * std::tan(kPiHere / 8), 0.5 + R}},            // the entry cut back into the corner
        {{-0.1 + rs, 0.6 + rs}},                             // the chamfer's offset
        {{-0.1, 0.6 + R}, true, false, {-0.1, 0.6}},         // around its outer end
        {{-1 + R, 0.6 + R}},                                 // into the shoulder's corner
        {{-1 + R, 0.8}}}},                                   // square off the last move
      // A 30 degree taper (from the Z axis) rising half an inch along Z.
      {"30 degree taper",
       {{0.1, 0.5}, {{{0, 0.5}}, {{-0.5, 0.5 + 0.5 * t30}}}},
       {{{R * std::tan(kPiHere / 12), 0.5 + R}},
        {{-0.5 + R * s30, 0.5 + 0.5 * t30 + R * c30}}}},
      // Up the face at Z0, a quarter arc of radius .1 round the corner, along Z: all tangent.
      {"quarter arc",
       {{0, 0.3}, {{{0, 0.5}}, {{-0.1, 0.6}, true, false, {-0.1, 0.5}}, {{-1, 0.6}}}},
       {{{R, 0.5}}, {{-0.1, 0.6 + R}, true, false, {-0.1, 0.5}}, {{-1, 0.6 + R}}}},
  };
  struct Orientation {
    int number;
    NosePoint tip;
  };
  const Orientation orientations[] = {{2, {-1, 1}}, {3, {-1, -1}}, {7, {-1, 0}}, {8, {0, -1}}};
  for (const Case& c : cases) {
    for (const Orientation& o : orientations) {
      const std::string why = std::string(c.name) + ", orientation " + std::to_string(o.number);
      std::vector<NoseIssue> issues;
      const NosePath centre = NoseCentrePath(c.profile, NoseSide::Right, R, o.number, &issues);
      EXPECT_TRUE(issues.empty()) << why << ": " << issues.front().text;
      const NosePoint tip{R * o.tip.z, R * o.tip.r};
      EXPECT_EQ(TipDirection(o.number).z, o.tip.z) << why;
      EXPECT_EQ(TipDirection(o.number).r, o.tip.r) << why;
      // The tool starts where it stands uncompensated: its programmed point at the start.
      const NosePath programmed = ShiftedPath(centre, tip);
      EXPECT_NEAR(programmed.start.z, c.profile.start.z, 1e-12) << why;
      EXPECT_NEAR(programmed.start.r, c.profile.start.r, 1e-12) << why;
      ASSERT_EQ(programmed.segments.size(), c.centre.size()) << why;
      for (std::size_t i = 0; i < c.centre.size(); ++i) {
        const NoseSegment& s = programmed.segments[i];
        const Expected& e = c.centre[i];
        EXPECT_NEAR(s.end.z, e.end.z + tip.z, 1e-12) << why << " segment " << i;
        EXPECT_NEAR(s.end.r, e.end.r + tip.r, 1e-12) << why << " segment " << i;
        EXPECT_EQ(s.arc, e.arc) << why << " segment " << i;
        if (!e.arc) continue;
        EXPECT_EQ(s.clockwise, e.clockwise) << why << " segment " << i;
        EXPECT_NEAR(s.centre.z, e.centre.z + tip.z, 1e-12) << why << " segment " << i;
        EXPECT_NEAR(s.centre.r, e.centre.r + tip.r, 1e-12) << why << " segment " << i;
      }
    }
  }
}

// The tool on the left (a bore, cut toward the chuck) mirrors the corners; what it cannot
// follow is an issue naming the segment.
TEST(NosePath, LeftSideAndWhatCannotBeFollowed) {
  const double R = 0.03, rs = R / std::sqrt(2.0);
  // Along -Z at r .6, the mouth's chamfer down to r .5, along Z, down the shoulder.
  const NosePath bore{{0.1, 0.6}, {{{0, 0.6}}, {{-0.1, 0.5}}, {{-1, 0.5}}, {{-1, 0.3}}}};
  const NosePath centre = NoseCentrePath(bore, NoseSide::Left, R, 9);
  const Expected expected[] = {{{R * std::tan(kPiHere / 8), 0.6 - R}},
                               {{-0.1 + rs, 0.5 - rs}},
                               {{-0.1, 0.5 - R}, true, true, {-0.1, 0.5}},
                               {{-1 + R, 0.5 - R}},
                               {{-1 + R, 0.3}}};
  ASSERT_EQ(centre.segments.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_NEAR(centre.segments[i].end.z, expected[i].end.z, 1e-12) << i;
    EXPECT_NEAR(centre.segments[i].end.r, expected[i].end.r, 1e-12) << i;
    EXPECT_EQ(centre.segments[i].arc, expected[i].arc) << i;
    EXPECT_EQ(centre.segments[i].clockwise, expected[i].clockwise) << i;
  }

  struct Bad {
    const char* name;
    NosePath profile;
    std::size_t segment;
  };
  const Bad bad[] = {
      {"entry as short as the radius", {{0.03, 0.5}, {{{0, 0.5}}, {{-1, 0.5}}}}, 0},
      // Along -Z in a bore, then a fillet of radius .02 down into the shoulder.
      {"concave arc smaller than the nose",
       {{0.5, 0.5}, {{{0, 0.5}}, {{-0.02, 0.48}, true, false, {0, 0.48}}, {{-0.02, 0.3}}}}, 1},
  };
  for (const Bad& b : bad) {
    std::vector<NoseIssue> issues;
    NoseCentrePath(b.profile, NoseSide::Left, R, 3, &issues);
    ASSERT_FALSE(issues.empty()) << b.name;
    EXPECT_EQ(issues.front().segment, b.segment) << b.name;
  }
}

}  // namespace
}  // namespace tbx
