#pragma once
// Where the nose of a tool goes: the path of its centre along a programmed profile offset by
// the nose radius, as a control compensates under G41/G42, and the programmed point's path
// that makes the nose cut the profile itself.
//
// Coordinates are Z and the radius (not the diameter), seen with +Z to the right and +X up;
// "clockwise" is as seen so, which is G2.
#include <string>
#include <vector>

namespace tbx {

struct NosePoint {
  double z = 0, r = 0;
};

// A line to `end`, or an arc to it around `centre`.
struct NoseSegment {
  NosePoint end;
  bool arc = false;
  bool clockwise = false;
  NosePoint centre;
  double feed = 0;  // carried along by the paths made from it; an arc round a corner takes the next one's
  std::size_t source = 0;  // in a path made from a profile: the profile segment it comes from
};

struct NosePath {
  NosePoint start;
  std::vector<NoseSegment> segments;
};

// The side of the path the tool is on as it moves along it: G41 left, G42 right.
enum class NoseSide { Left, Right };

// The imaginary tip seen from the nose centre, per unit of radius, for a tip orientation 1 to
// 9 in Fanuc's numbering: 3 is (-1, -1), below and left of the centre; 9 (and anything else)
// the centre itself.
NosePoint TipDirection(int orientation);

// Something along the path that compensation cannot follow, by the segment it is found at.
struct NoseIssue {
  std::size_t segment = 0;
  std::string text;
};

// The nose centre's path for a profile whose first segment is the entry move and whose last
// ends the compensated part, as a control compensates it: the entry runs from the tool's
// uncompensated place (the start less the tip offset) to the entry's offset line; every
// segment lies `radius` to `side` of the profile; where segments meet in a corner the tool is
// inside of, both are cut back to where their offsets meet, and around a corner it is outside
// of the centre swings on an arc about the corner; the last segment ends offset square to
// itself. An entry not longer than the radius, or an arc the tool is inside of that is not
// larger than it, is an issue (the path is made all the same).
NosePath NoseCentrePath(const NosePath& profile, NoseSide side, double radius, int orientation,
                        std::vector<NoseIssue>* issues = nullptr);

// The same path moved by the tip offset: where the programmed point goes while the nose
// centre follows `centre`.
NosePath ShiftedPath(const NosePath& centre, NosePoint by);

}  // namespace tbx
