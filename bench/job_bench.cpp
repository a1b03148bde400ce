// A job of 2,224 steps made through the headless runner by the clicks bench/hazard_job.py writes
// (seed 1): its edge-case values have about a third of the OKs refused, so the script runs on
// until 2,224 were taken. The program rebuilt from the steps, and a step moved (the rebuild, the
// box set and the undo entry, as the window does it).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "app/job.h"
#include "gui/job_runner.h"
#include "app/machine_boxes.h"
#include "toolpath/expander.h"
#include "toolpath/simulation.h"

namespace tbx {
namespace {

constexpr std::size_t kSteps = 2224;

// Enough clicks for kSteps taken.
std::string HazardScript() {
  const std::string command = "python3 " TURNBRIX_RESOURCES "/../bench/hazard_job.py " + std::to_string(2 * kSteps) + " 1";
  std::string script;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) script.append(chunk, n);
    pclose(pipe);
  }
  return script;
}

struct HazardJob {
  std::ostringstream out, err;
  JobRunner runner{TURNBRIX_RESOURCES, out, err};
  std::string why;  // empty when the job holds its 2,224 operation steps
};

// Why `made` does not hold the job, or empty.
std::string Make(HazardJob& made) {
  const std::string script = HazardScript();
  App& app = made.runner.app();
  if (!made.runner.Start()) return "start-up failed";
  // One OK at a time (four lines from its "tab"), until the job holds its steps.
  for (std::size_t at = script.find("\ntab "); at != std::string::npos && app.job.steps.size() < kSteps;) {
    const std::size_t next = script.find("\ntab ", at + 1);
    std::istringstream click(script.substr(at + 1, next == std::string::npos ? std::string::npos : next - at));
    if (made.runner.RunScript(click, false) != 0) return "the script did not run: " + made.err.str().substr(0, 200);
    at = next;
  }
  SyncJob(app);
  const auto steps = std::count_if(app.job.steps.begin(), app.job.steps.end(),
                                   [](const JobStep& s) { return !s.IsText(); });
  if (static_cast<std::size_t>(steps) != kSteps) return "the job holds " + std::to_string(steps) + " operation steps";
  if (RebuildJob(app.operations, app.job).text != made.runner.Output())
    return "the rebuilt program differs from the one the OKs wrote";
  return {};
}

// Made once: the benchmarks time the job, not the clicks that made it.
HazardJob& Made() {
  static const std::unique_ptr<HazardJob> job = [] {
    auto made = std::make_unique<HazardJob>();
    made->why = Make(*made);
    return made;
  }();
  return *job;
}

void RebuildHazardJob(benchmark::State& state) {
  HazardJob& job = Made();
  if (!job.why.empty()) return state.SkipWithError(job.why.c_str());
  App& app = job.runner.app();
  for (auto _ : state) benchmark::DoNotOptimize(RebuildJob(app.operations, app.job).text.size());
}
BENCHMARK(RebuildHazardJob)->Unit(benchmark::kMillisecond);

void MoveFirstStepToTheEnd(benchmark::State& state) {
  HazardJob& job = Made();
  if (!job.why.empty()) return state.SkipWithError(job.why.c_str());
  App& app = job.runner.app();
  for (auto _ : state) benchmark::DoNotOptimize(MoveStep(app, 0, app.job.steps.size() - 1));
}
BENCHMARK(MoveFirstStepToTheEnd)->Unit(benchmark::kMillisecond);

// The job's program simulated against a 2 in bar (goal: under 300 ms of CPU), its tools
// those of the job's library (none: the round insert every unknown tool counts as).
void SimulateHazardJob(benchmark::State& state) {
  HazardJob& job = Made();
  if (!job.why.empty()) return state.SkipWithError(job.why.c_str());
  toolpath::ToolpathSettings settings = ProgramToolpathSettings(job.runner.app());
  const toolpath::Toolpath path = toolpath::ExpandProgram(job.runner.Output(), settings);
  const toolpath::Stock stock{2, 0, .05, 0, -2.5};
  std::size_t findings = 0;
  for (auto _ : state) {
    const toolpath::Simulation sim = toolpath::Simulate(path, settings, stock);
    findings = sim.findings.size();
    benchmark::DoNotOptimize(sim.steps.size());
  }
  state.counters["moves"] = static_cast<double>(path.moves.size());
  state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(SimulateHazardJob)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
}  // namespace tbx

BENCHMARK_MAIN();
