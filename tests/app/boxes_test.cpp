// Numeric boxes and the tool-change position at their limits: what the box shows, what an
// operation then does, and every message on the way. Each case is a job script on a fresh
// start.
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace tbx::test {
namespace {

const std::string kSmallData =
    "BIG,1234.5\r\nNEG,-.25\r\neof,0\r\n"
    "1/4-20,.25,20\r\neof,0,0\r\n"
    "Steel,500,100,400,80\r\neof,0,0,0,0\r\n";

struct BoxCase {
  const char* name;
  std::string defaults;
  std::string data;
  std::string script;
  std::string printed;                // standard output: the prints, else the program
  std::vector<std::string> messages;  // "$" stands for the home folder
};
void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class Boxes : public testing::TestWithParam<BoxCase> {};

TEST_P(Boxes, ShowAndRefuseAsTheyShould) {
  const BoxCase& c = GetParam();
  Session s(c.defaults, c.data.empty() ? ShippedData() : c.data);
  ASSERT_TRUE(s.started);
  std::istringstream script(c.script);
  ASSERT_EQ(s.runner.RunScript(script), 0) << s.err.str();
  EXPECT_TRUE(SameProgram(s.out.str(), c.printed));
  std::vector<std::string> expected;
  for (std::string m : c.messages) {
    if (auto at = m.find('$'); at != std::string::npos) m.replace(at, 1, (s.home.path() / "").string());
    expected.push_back("[TBX Error] " + m);
  }
  EXPECT_EQ(s.runner.Messages(), expected);
}

const std::string kReam = "tab 5\ntype 1065 325\n";
const std::string kInchReam =
    Program({"N10 T0101 M8", "N20 ( REAM ) ", "N30 G97 S2483 M3", "N40 G0 Z.1", "N50 X0",
             "N60 G1 Z-1.1 F.005", "N70 G0 Z.1", "N80 X4.", "N90 Z6. M9", "N100 M1"});

INSTANTIATE_TEST_SUITE_P(
    Limits, Boxes,
    testing::Values(
        // Beyond single range the box keeps saying so, leaving it again changes nothing, and
        // the operation names the box.
        BoxCase{"BeyondSingleRange", kInchDefaults, "",
                kReam + "type 650 3.5e38\nprint 650\nleave 650\nprint 650\nclick 705\nprint\n",
                "INFINF", {"Z Start is out of range"}},
        BoxCase{"BeyondDoubleRangeBothSigns", kInchDefaults, "",
                kReam + "set 660 1e999\nleave 660\nprint 660\ntype 660 -1e39\nprint 660\n"
                        "click 705\nprint\n",
                "INF-INF", {"Reamer Diameter is out of range"}},
        BoxCase{"SurfaceSpeedBeyondRange", kInchDefaults, "", kReam + "type 1065 1e39\nclick 705\n",
                "", {"SPM is out of range"}},
        // The turning tabs read their boxes the same way; Max RPM only under constant speed.
        BoxCase{"TurningTabBoxBeyondRange", kInchDefaults, "",
                "tab 11\ntype 1335 1e39\nclick 1380\nprint 1335\ntab 12\ntype 1457 1e39\n"
                "click 1455\nclick 1460\n",
                "INF", {"Depth of Cut is out of range", "Max RPM is out of range"}},
        // A box the chosen form does not read refuses nothing.
        BoxCase{"UnreadBoxBeyondRange", kInchDefaults, "",
                "tab 3\ntype 1065 325\ntype 325 1e39\nclick 470\nprint 325\n", "INF", {}},
        // Leaving a box reads 15 digits before the 4-place form: 1234.56749999 is not 1234.567.
        BoxCase{"FifteenDigitsBeforeFourPlaces", kInchDefaults, "",
                "tab 9\ntype 1010 1234.56749999\nprint 1010\n", "1234.568", {}},
        BoxCase{"DataTabPitchIsReformatted", kInchDefaults, "",
                "tab 8\ntype 1110 0.0500\nprint 1110\n", ".05", {}},
        // Tool-change texts read at start-up take the number form ("4" would write X4).
        BoxCase{"ToolChangeWithoutPointFromFile", "4\r\n6\r\n0\r\n", "", kReam + "click 705\n",
                kInchReam, {}},
        // Seven digits round 1677719.799 to a whole number, which keeps its point.
        BoxCase{"ToolChangeRoundedToSevenDigits", kInchDefaults, "",
                "type 1010 1677719.799\nprint 1010\n", "1677720.", {}},
        // Typed without leaving the box, a position without a point is refused, never "X4".
        BoxCase{"ToolChangeWithoutPointTyped", kInchDefaults, "",
                kReam + "set 1010 4\nclick 705\nprint\n", "",
                {"X Axis Tool Change must be written with a decimal point"}},
        // An empty default.txt: reported at start-up, refused by operations, never saved.
        BoxCase{"ToolChangeNotANumberFromFile", "", "", kReam + "click 705\nclose\n", "",
                {"X Axis Tool Change in $default.txt is not a number",
                 "Z Axis Tool Change in $default.txt is not a number",
                 "X Axis Tool Change must be a number",
                 "X Axis Tool Change must be a number: $default.txt was not saved"}},
        // The drill's whole diameter, not the last 8 characters of its item.
        BoxCase{"LongDrillDiameterReadWhole", kInchDefaults, kSmallData,
                "tab 3\npick 320 0\nprint 325\n", "1234.5", {}},
        BoxCase{"NegativeDrillDiameter", kInchDefaults, kSmallData,
                "tab 3\npick 320 1\nprint 320\nprint 325\n", "NEG      -0.2500-.25", {}},
        BoxCase{"ZeroLengthThread", kInchDefaults, "", "tab 2\ntype 145 0\nclick 305\n", "",
                {"Z End must differ from Z Start"}},
        // The pipe-thread taper grows with the length: 2 inches give twice the rise of 1.
        BoxCase{"PipeThreadOverTwoInches", kInchDefaults, "",
                "tab 2\ntype 1065 325\nclick 275\nclick 195\ntype 145 -2\nclick 305\n",
                Program({"N10 T0101 M8", "N20 ( Thread ) ", "N30 G97 S1996 M3", "N40 G0 Z0.",
                         "N50 X.475", "N60 G76 X.2969 Z-2. K.0391 D050 I-.0623 F.0625 A00",
                         "N70 G0 X4.", "N80 Z6. M9", "N90 M1"}),
                {}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tbx::test
