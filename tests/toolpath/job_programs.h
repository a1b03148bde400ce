#pragma once
// The programs the job scripts under tests/jobs leave, for the tests that read them back.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "test_support.h"
#include "toolpath/toolpath.h"

namespace tbx::test {

// The program a job script leaves, with the units and tool-change position of its window.
struct JobProgram {
  std::string text;
  toolpath::ToolpathSettings settings;
  // The tools the job's session knew (its script's `tool` lines), which settings.tools names
  // unless `base` gave its own; shared, so that copies keep it.
  std::shared_ptr<const ToolLibrary> tools;
};

// Runs `job` in a window started in inch (kInchDefaults) or in metric (kMetricShopDefaults);
// the machine settings are `base`'s.
inline JobProgram RunJob(const std::filesystem::path& job, bool metricStart,
                         const toolpath::ToolpathSettings& base = {}) {
  Session s(metricStart ? kMetricShopDefaults : kInchDefaults);
  std::ifstream script(job);
  s.runner.RunScript(script);
  JobProgram p;
  p.text = s.Output();
  p.settings = base;
  p.settings.metric = s.runner.app().Metric();
  p.settings.toolChange = {s.runner.app().Number(id::kXToolChange), s.runner.app().Number(id::kZToolChange)};
  p.tools = std::make_shared<const ToolLibrary>(s.runner.app().tools);
  if (!p.settings.tools) p.settings.tools = p.tools.get();
  return p;
}

// Every job script under tests/jobs whose expected output is a program (starts with a tool
// change), in name order.
inline std::vector<std::filesystem::path> ProgramJobs() {
  std::vector<std::filesystem::path> jobs;
  for (const auto& entry : std::filesystem::directory_iterator(TURNBRIX_JOBS)) {
    if (entry.path().extension() != ".job") continue;
    std::filesystem::path out = entry.path();
    out.replace_extension(".out");
    if (ReadFile(out).find("N10 T") != std::string::npos) jobs.push_back(entry.path());
  }
  std::sort(jobs.begin(), jobs.end());
  return jobs;
}

}  // namespace tbx::test
