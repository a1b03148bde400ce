#include <string>

#include "app/app.h"
#include "test_support.h"

namespace tbx::test {
namespace {

// Item of the percentage list for a percentage: "35", "40", ... "100".
int PercentItem(int percent) { return (percent - 35) / 5; }

struct Example {
  const char* tapDia;
  const char* pitch;
  int percent;
  bool coldForm;
  const char* result;
};
void PrintTo(const Example& e, std::ostream* os) {
  *os << e.tapDia << " / " << e.pitch << " / " << e.percent << (e.coldForm ? "% cold form" : "%");
}

const Example kExamples[] = {
    {".375", ".0625", 65, false, ".3222"},
    {"10.", "1.25", 65, false, "8.9446"},  // 8.9445625 rounds half up
    {".25", ".05", 75, false, ".2013"},
    {".25", ".05", 65, true, ".2279"},
    {".5", ".0625", 100, false, ".4188"},  // D - 1.299 x P
    {".5", ".0625", 35, true, ".4851"},
    {"1.", ".125", 50, false, ".9188"},
    {".375", "0", 65, false, ".375"},      // no pitch, no thread removed
    {"0", ".0625", 65, false, "-.0528"},   // written as computed
};

class TapDrillExample : public ::testing::TestWithParam<Example> {};

TEST_P(TapDrillExample, CalcShowsDrillSize) {
  const Example& e = GetParam();
  Session s;
  s.runner.Type(id::kTapDia, e.tapDia);
  s.runner.Type(id::kDataPitch, e.pitch);
  s.runner.Pick(id::kPercentThread, PercentItem(e.percent));
  if (e.coldForm) s.runner.Click(id::kColdFormTap);
  s.runner.Click(id::kCalc);
  EXPECT_EQ(s.Text(id::kTapDrillResult), e.result);
}

INSTANTIATE_TEST_SUITE_P(TapDrill, TapDrillExample, ::testing::ValuesIn(kExamples));

TEST(TapDrill, StartUpTextsAreTheDefaultResults) {
  Session inch;
  EXPECT_EQ(inch.Text(id::kTapDrillResult), ".3222");
  inch.runner.Click(id::kCalc);
  EXPECT_EQ(inch.Text(id::kTapDrillResult), ".3222");

  Session metric(kMetricDefaults);
  EXPECT_EQ(metric.Text(id::kTapDrillResult), "8.9446");
  metric.runner.Click(id::kCalc);
  EXPECT_EQ(metric.Text(id::kTapDrillResult), "8.9446");
}

TEST(TapDrill, EachSelectionRecomputesButTypingDoesNot) {
  Session s;
  s.runner.Type(id::kTapDia, ".5");
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".3222");
  s.runner.Click(id::kCalc);
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".4472");
  s.runner.Type(id::kDataPitch, ".05");
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".4472");
  s.runner.Pick(id::kPercentThread, PercentItem(75));
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".4513");
  s.runner.Click(id::kColdFormTap);
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".4745");
  s.runner.Click(id::kStandardTap);
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".4513");
  s.runner.Pick(id::kDataDrillList, 10);  // looking up a drill changes nothing
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".4513");
  EXPECT_EQ(s.Text(id::kTapDia), ".5");
  EXPECT_EQ(s.Text(id::kDataPitch), ".05");
}

TEST(TapDrill, SizePickedFillsBoxesAndUsesPitchAsShown) {
  struct Pick {
    bool metric;
    int index;
    const char* tapDia;
    const char* pitch;
    const char* result;
  };
  const Pick picks[] = {
      // 1/2-13 uses the pitch .0769 as shown: .5 - .0649305 = .4350695; with the exact 1/13
      // it would be the tie .43505.
      {false, 21, ".5", ".0769", ".4351"},
      {false, 13, ".25", ".05", ".2078"},
      {true, 41, "10.", "1.25", "8.9446"},
      {true, 40, "10.", "1.5", "8.7335"},
  };
  for (const Pick& p : picks) {
    Session s(p.metric ? kMetricDefaults : kInchDefaults);
    s.runner.Pick(id::kDataTapSize, p.index);
    EXPECT_EQ(s.Text(id::kTapDia), p.tapDia) << "item " << p.index;
    EXPECT_EQ(s.Text(id::kDataPitch), p.pitch) << "item " << p.index;
    EXPECT_EQ(s.Text(id::kTapDrillResult), p.result) << "item " << p.index;
  }
}

TEST(TapDrill, SizeWithZeroValuesFallsBackToFirstRecord) {
  std::string data = ShippedData();
  data.replace(data.find("#2-56,.086,56"), 13, "TINY,.00004,1000000");
  Session s(kInchDefaults, data);
  ASSERT_TRUE(s.started);
  s.runner.Pick(id::kDataTapSize, 1);
  EXPECT_EQ(s.Text(id::kTapDia), ".06");     // #0-80
  EXPECT_EQ(s.Text(id::kDataPitch), ".0125");
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".0494");
}

TEST(TapDrill, ResultOutsidePlainNumbersShowsEmptyLabel) {
  const char* const dias[] = {"20000000", "-20000000", "1E30"};
  for (const char* dia : dias) {
    Session s;
    s.runner.Set(id::kTapDia, dia);
    s.runner.Click(id::kCalc);
    EXPECT_EQ(s.Text(id::kTapDrillResult), "") << dia;
    EXPECT_TRUE(s.runner.Messages().empty());
  }
  Session s;
  s.runner.Set(id::kDataPitch, "1E-45");  // 1 / P overflows: nothing taken off
  s.runner.Click(id::kCalc);
  EXPECT_EQ(s.Text(id::kTapDrillResult), ".375");
}

}  // namespace
}  // namespace tbx::test
