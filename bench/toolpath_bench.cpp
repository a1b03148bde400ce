// Reading and expanding a 9,999-block program: the preview redraws after every edit, so this
// must stay well under a frame (goal: under 5 ms).
#include <benchmark/benchmark.h>

#include <string>

#include "toolpath/expander.h"

namespace {

// A realistic mix: per operation a tool change, spindle, rapids, feeds, a G76 pair and a G83
// cycle, repeated to 9,999 blocks.
std::string LongProgram() {
  const char* operation[] = {
      "T0101 M8",        "( Thread )",          "G97 S1996 M3",        "G0 Z0.",
      "X.475",           "G76 P010060 Q30 R10", "G76 X.2969 Z-1. P390 Q50 F.0625",
      "G0 X4.",          "Z6. M9",              "M1",
      "T0202 M8",        "G97 S2483 M3",        "G0 Z.1",              "X0",
      "G83 Z-1.1502 Q.3 P500 F.005",            "G80 Z.1",             "X4.",
      "Z6. M9",          "M1",
      "T0303 M8",        "G97 S1910 M3",        "G0 Z-.13",            "X1.2",
      "G1 X.98 F.005",   "G0 X1.2",             "Z-.23",               "G1 X.98",
      "G0 X1.2",         "G2 X1.1 Z-.28 I-.05", "G1 Z-.4",             "G0 X4.",
      "Z6. M9",          "M1",
  };
  std::string text;
  int block = 0;
  for (long n = 10; block < 9999; ++block) {
    text += "N" + std::to_string(n) + " " + operation[block % std::size(operation)] + "\r\n";
    n += 10;
  }
  return text;
}

void BM_ExpandProgram9999Blocks(benchmark::State& state) {
  const std::string text = LongProgram();
  tbx::toolpath::ToolpathSettings settings;
  std::size_t moves = 0;
  for (auto _ : state) {
    const tbx::toolpath::Toolpath path = tbx::toolpath::ExpandProgram(text, settings);
    moves = path.moves.size();
    benchmark::DoNotOptimize(path.seconds);
  }
  state.counters["moves"] = static_cast<double>(moves);
}
BENCHMARK(BM_ExpandProgram9999Blocks)->Unit(benchmark::kMillisecond);

// Hazards in every block: G76 passes below the centre line, feeds with F 0 and with S0, a
// speed above the machine's, blocks after M30. One warning per block and kind keeps this
// linear in the moves (it was quadratic in the warnings of one line).
std::string HazardProgram() {
  const char* operation[] = {
      "T0101",          "G97 S9549 M3",     "G0 X-.2 Z.1",      "G76 X-.6 Z-1. K.02 D50 F.05",
      "G1 X-.3 Z-2. F0", "G97 S0",          "G1 Z-3. F.01",     "G0 Z.1",
      "G83 X-.1 Z-1. Q.05 F.005",           "G80 X4. Z6.",
  };
  std::string text;
  for (int block = 0; block < 9990; ++block) text += std::string(operation[block % std::size(operation)]) + "\n";
  return text + "M30\nG0 X1.\nG0 X2.\n";
}

void BM_ExpandHazardProgram(benchmark::State& state) {
  const std::string text = HazardProgram();
  tbx::toolpath::ToolpathSettings settings;
  std::size_t moves = 0, warnings = 0;
  for (auto _ : state) {
    const tbx::toolpath::Toolpath path = tbx::toolpath::ExpandProgram(text, settings);
    moves = path.moves.size();
    warnings = path.warnings.size();
    benchmark::DoNotOptimize(path.seconds);
  }
  state.counters["moves"] = static_cast<double>(moves);
  state.counters["warnings"] = static_cast<double>(warnings);
}
BENCHMARK(BM_ExpandHazardProgram)->Unit(benchmark::kMillisecond);

}  // namespace

// A G71 over a contour of 500 segments (flats and arcs rising in steps from X.5 to X2.): the
// cycle found, its contour read and expanded (goal: under 5 ms).
std::string StockRemovalProgram() {
  std::string text = "T0101\r\nG97 S1000 M3\r\nG0 X2.1 Z.1\r\nG71 U.05 R.01\r\nG71 P10 Q20 U.02 W.005 F.01\r\n";
  text += "N10 G0 X.5\r\nG1 Z0.\r\n";
  double x = 0.5, z = 0;
  for (int step = 0; step < 249; ++step) {
    z -= 0.01;
    text += "G1 Z" + std::to_string(z) + "\r\n";
    x += 0.006;
    z -= 0.003;
    text += "G3 X" + std::to_string(x) + " Z" + std::to_string(z) + " R.005\r\n";
  }
  text += "N20 G1 X2.1\r\nG0 X4. Z6.\r\nM30\r\n";
  return text;
}

void BM_ExpandG71Over500Segments(benchmark::State& state) {
  const std::string text = StockRemovalProgram();
  tbx::toolpath::ToolpathSettings settings;
  std::size_t moves = 0;
  for (auto _ : state) {
    const tbx::toolpath::Toolpath path = tbx::toolpath::ExpandProgram(text, settings);
    moves = path.moves.size();
    if (!path.diagnostics.empty()) state.SkipWithError(path.diagnostics.front().text.c_str());
    benchmark::DoNotOptimize(path.seconds);
  }
  state.counters["moves"] = static_cast<double>(moves);
}
BENCHMARK(BM_ExpandG71Over500Segments)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
