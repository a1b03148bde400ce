// Costs that grow with use: the number formatter, each generator on its own, whole jobs of
// 139 and 2,224 operations through the headless runner, and start-up on the shipped data.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "gui/job_runner.h"
#include "ops/csink_drill.h"
#include "ops/deep_drill.h"
#include "ops/groove.h"
#include "ops/ream.h"
#include "ops/tap.h"
#include "ops/thread.h"

namespace tbx {
namespace {

void NumberFormatter(benchmark::State& state) {
  double x = 0.0001;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatValue(x, 4));
    x += 0.37;
  }
}
BENCHMARK(NumberFormatter);

void NumberToText7(benchmark::State& state) {
  double x = 0.0001;
  for (auto _ : state) {
    benchmark::DoNotOptimize(NumberToText(x, 7));
    x += 0.37;
  }
}
BENCHMARK(NumberToText7);

OpContext Inch() {
  OpContext ctx;
  ctx.surfaceSpeed = 325;
  return ctx;
}

template <typename Inputs>
void Generate(benchmark::State& state, Operation (*generator)(const Inputs&, const OpContext&),
              const Inputs& in) {
  const OpContext ctx = Inch();
  for (auto _ : state) benchmark::DoNotOptimize(generator(in, ctx));
}

ThreadInputs InchThread(ThreadCode code) {
  ThreadInputs in{"Thread", false, .375f, .0625f, 0, -1, .05f, 1, 1, 125, 10};
  in.code = code;
  return in;
}

void ThreadOt(benchmark::State& s) { Generate(s, ThreadOperation, InchThread(ThreadCode::Ot)); }
void ThreadG32(benchmark::State& s) { Generate(s, ThreadOperation, InchThread(ThreadCode::G32)); }
void CSinkDrill(benchmark::State& s) {
  Generate(s, CSinkDrillOperation, CSinkDrillInputs{"C'SINK", .5f, 0, .1f, .25f, .005f});
}
void DeepDrillEqualPecks(benchmark::State& s) {
  Generate(s, DeepDrillOperation,
           DeepDrillInputs{"DRILL", PeckMode::Equal, DrillPoint::Deg118, .25f, 0, -2, .1f, .005f,
                           0, .1f, .05f});
}
void Ream(benchmark::State& s) {
  Generate(s, ReamOperation, ReamInputs{"REAM", .5f, 0, -1, .1f, .005f, false});
}
void Tap(benchmark::State& s) {
  Generate(s, TapOperation, TapInputs{"TAP", .375f, .0625f, 0, -1, .3f, false, TapCode::G84});
}
void Groove(benchmark::State& s) {
  Generate(s, GrooveOperation,
           GrooveInputs{"GROOVE", false, 1.f, .8f, 0, 0, .05f, .5f, .125f, 80, .005f, .005f,
                        .005f, true, .01f, .01f, true, false});
}
BENCHMARK(ThreadOt);
BENCHMARK(ThreadG32);
BENCHMARK(CSinkDrill);
BENCHMARK(DeepDrillEqualPecks);
BENCHMARK(Ream);
BENCHMARK(Tap);
BENCHMARK(Groove);

// One of each machining operation on its tab, as a user would run them.
const std::string kCycle =
    "tab 2\nclick 305\ntab 3\nclick 470\ntab 4\nclick 580\nclick 625\ntab 5\nclick 705\n"
    "tab 6\nclick 795\ntab 7\nclick 962\nclick 965\n";

std::string JobOf(int operations) {
  std::string script;
  for (int n = 0; n < operations; n += 6) script += kCycle;
  // The last cycle ends early so that exactly `operations` OKs are clicked.
  int extra = (operations + 5) / 6 * 6 - operations;
  while (extra-- > 0) script.erase(script.rfind("\ntab "), std::string::npos), script += "\n";
  return script;
}

void Job(benchmark::State& state) {
  const std::string script = JobOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ostringstream out, err;
    JobRunner runner(TURNBRIX_RESOURCES, out, err);
    runner.Start();
    std::istringstream in(script);
    runner.RunScript(in);
    benchmark::DoNotOptimize(out.str().size());
  }
}
BENCHMARK(Job)->Arg(139)->Arg(2224)->Unit(benchmark::kMillisecond);

void StartUp(benchmark::State& state) {
  for (auto _ : state) {
    std::ostringstream out, err;
    JobRunner runner(TURNBRIX_RESOURCES, out, err);
    benchmark::DoNotOptimize(runner.Start());
  }
}
BENCHMARK(StartUp)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tbx

BENCHMARK_MAIN();
