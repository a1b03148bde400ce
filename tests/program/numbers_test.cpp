#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

#include <clocale>
#include <limits>

#include "program/numbers.h"

namespace tbx {
namespace {

struct FormatCase {
  const char* in;
  int places;
  const char* out;
};

// Every example the shop relies on; the comments say why the less obvious ones come out so.
TEST(FormatNumber, PrintsTheProgramsNumberForm) {
  const FormatCase cases[] = {
      {"1.23456", 4, "1.2346"},
      {"0.5", 4, ".5"},
      {"-0.0625", 4, "-.0625"},
      {"2", 4, "2."},
      {"0", 4, "0."},
      {"-3", 4, "-3."},
      {"0.12345", 4, ".1235"},
      {"1.00005", 4, "1."},        // the single-precision 1.00005 lies below the tie
      {"1234.5678", 4, "1234.568"},  // 7 significant digits
      {"0.00004", 4, "0."},
      {"-0.00006", 4, "-.0001"},
      {"1.25", 1, "1.3"},
      {"2483.7", 0, "2484."},
      {"2.5", 0, "3."},
      {"-2.5", 0, "-2."},          // halves go towards plus infinity
      {"abc", 4, "0."},
      {"", 4, "0."},
      {" 1996.44", 0, "1996."},
      {".0625", 5, ".0625"},
      {"25.4", 4, "25.4"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.in, c.places), c.out) << c.in << ", " << c.places;
}

TEST(FormatNumber, HugeValuesAreNotPlainNumbers) {
  EXPECT_EQ(FormatNumber("2147483647", 4), "2.147484E+9.");
  EXPECT_FALSE(IsPlainNumber(FormatNumber("2147483647", 4)));
  EXPECT_FALSE(IsPlainNumber(FormatNumber("1e39", 4)));  // beyond single precision
  EXPECT_FALSE(IsPlainNumber(FormatValue(std::numeric_limits<double>::quiet_NaN(), 4)));
}

struct TextCase {
  double value;
  int digits;
  const char* text;
};

TEST(NumberToText, SignificantDigitsAndForms) {
  const TextCase cases[] = {
      {10, 7, " 10"},
      {0, 7, " 0"},
      {0.5, 7, " .5"},
      {-0.0625, 7, "-.0625"},
      {1.23456, 15, " 1.23456"},
      {12345678, 7, " 1.234568E+7"},
      {1e-8, 7, " 1E-8"},
      {1e7, 7, " 1E+7"},
      {9999999, 7, " 9999999"},
      {1234567.5, 7, " 1234568"},    // exactly 5 further: to the even neighbour
      {1234568.5, 7, " 1234568"},
      {0.00004, 15, " .00004"},
      {400, 7, " 400"},
      {152.5, 7, " 152.5"},
      {static_cast<float>(0.1), 7, " .1"},
      {static_cast<float>(0.1), 15, " .100000001490116"},
      {-2.5, 7, "-2.5"},
      {99999995, 7, " 1E+8"},        // rounding carries into a new digit
  };
  for (const auto& c : cases) EXPECT_EQ(NumberToText(c.value, c.digits), c.text) << c.value;
}

struct ReadCase {
  const char* text;
  double value;
};

TEST(TextToNumber, ReadsTheLongestNumberAtTheStart) {
  const ReadCase cases[] = {
      {"1/2", 1},       {"3mm", 3},         {"  -0.50", -0.5},  {"\t\n.25", 0.25},
      {"+7", 7},        {"1.5.3", 1.5},     {"abc", 0},         {"", 0},
      {"-", 0},         {".", 0},           {"1e3", 1000},      {"2D2", 200},
      {"1.5e-1x", 0.15}, {"1e", 1},         {"1e+", 1},         {"&HFF", 255},
      {"&hff", 255},    {"&O17", 15},       {"&Q17", 15},       {"&17", 15},
      {"&B101", 5},     {"&H", 0},          {"&HG", 0},         {" 4.", 4},
      {"1e-400", 0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(TextToNumber(c.text), c.value) << c.text;
  EXPECT_EQ(TextToNumber("1e400"), std::numeric_limits<double>::infinity());
  // Out of range is told by the value, not by the spelling of its exponent.
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    std::string text;
    double value;
  } extremes[] = {
      {"1" + std::string(405, '0') + "e-5", inf},     {"-1" + std::string(405, '0') + "e-5", -inf},
      {"." + std::string(400, '0') + "1e5", 0},       {"0.00" + std::string(330, '0') + "1", 0},
      {"1e99999999999999999999", inf},                {"1e-99999999999999999999", 0},
      {std::string(310, '9'), inf},                   {"2e308", inf},
  };
  for (const auto& c : extremes) EXPECT_EQ(TextToNumber(c.text), c.value) << c.text.substr(0, 20);
}

// Rounding on the one digit after the kept ones, from the exact expansion of the double: a
// carry through nines, a 4 under a 9, a tie to even, and text that reads back to itself.
TEST(NumberToText, RoundsTheExactExpansionOnOneFurtherDigit) {
  EXPECT_EQ(NumberToText(std::nextafter(1.0, 0.0), 15), " 1");
  EXPECT_EQ(NumberToText(9.9999995, 7), " 9.999999");  // 9.99999949999...
  EXPECT_EQ(NumberToText(1234.5675, 7), " 1234.568");  // 5 after an odd 7: up
  EXPECT_EQ(NumberToText(0.125, 2), " .12");
  EXPECT_EQ(NumberToText(99999995, 7), " 1E+8");
  std::uint64_t state = 88172645463325252u;
  for (int i = 0; i < 20000; ++i) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    const double x = std::ldexp(static_cast<double>(state >> 11), static_cast<int>(state % 80) - 100);
    const std::string text = NumberToText(x, 15);
    EXPECT_EQ(NumberToText(TextToNumber(text), 15), text) << x;
  }
}

TEST(BoxNumber, ShownInfinitiesReadBackAndStayShown) {
  EXPECT_EQ(BoxNumber("INF"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(BoxNumber(" -INF"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(BoxNumber("INFO"), 0);
  for (const char* text : {"3.5e38", "1e999", "INF", "-1e39", "-INF"})
    EXPECT_EQ(BoxText(BoxText(text)), text[0] == '-' ? "-INF" : "INF") << text;
}

TEST(IsNumberText, TheWholeTextIsOneNumber) {
  for (const char* yes : {"4", " -.5 ", "1.5E2", "+7", "2d1", "0"}) EXPECT_TRUE(IsNumberText(yes)) << yes;
  for (const char* no : {"", " ", "abc", "4x", "1e999", "3.5e38", "1e", ".", "-", "INF", "1 2"})
    EXPECT_FALSE(IsNumberText(no)) << no;
}

TEST(IsPlainNumber, TellsDigitsFromAnythingElse) {
  for (const char* plain : {"0.", "-.0625", "2.", "1996", ".5", "4.0000"}) EXPECT_TRUE(IsPlainNumber(plain)) << plain;
  for (const char* other : {"", "-", ".", "1.2E+7", "INF.", "NAN", "hello", "1.2.3", " 1", "+1"})
    EXPECT_FALSE(IsPlainNumber(other)) << other;
}

TEST(Numbers, CommaDecimalLocaleChangesNothing) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no comma-decimal locale here";
  EXPECT_EQ(FormatNumber("1,5", 4), "1.");
  EXPECT_EQ(FormatNumber("1.23456", 4), "1.2346");
  EXPECT_DOUBLE_EQ(TextToNumber("2.5"), 2.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace tbx
