// The job-file reader on any content. A file it refuses, and every key it leaves out, is named by
// its line. A job it takes, given its texts from a program, makes that program exactly; rebuilt
// as Open rebuilds a .tbx and not refused, it is saved beside its program and opens again as
// the same steps with their texts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/job_file.h"

namespace {

// "line N: ...", N from 1.
bool NamesItsLine(std::string_view message) {
  if (!message.starts_with("line ")) return false;
  const std::size_t colon = message.find(": ");
  return colon != std::string_view::npos && colon > 5 && message[5] != '0' &&
         message.substr(5, colon - 5).find_first_not_of("0123456789") == std::string_view::npos;
}

// What a job file keeps of a step.
std::string Kept(const tbx::JobStep& step) {
  std::string kept = step.op ? std::string(step.op->name) : "text";
  kept += (step.edited ? " edited " + std::to_string(step.blocks) : std::string()) + " next " +
          std::to_string(step.next) + "\n" + step.text + "\n";
  for (const tbx::FieldValue& v : step.values)
    kept += std::to_string(v.id) + (v.checked ? "+" : "-") + v.text + "\n";
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tbx::Operations& ops = tbx::StandardOperations();
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  tbx::JobFileRead read = tbx::ReadJobFile(ops, content);
  if (!read) {
    if (!NamesItsLine(read.error)) std::abort();
    return 0;
  }
  for (const std::string& warning : read.warnings)
    if (!NamesItsLine(warning)) std::abort();
  // Taken as the job of a program (the input itself), its steps' texts must make it exactly.
  tbx::JobFileRead beside = read;
  if (tbx::TakeProgramTexts(beside, content) && tbx::JobText(beside.job) != content) std::abort();
  const tbx::Rebuilt rebuilt = tbx::RebuildJob(ops, read.job);
  if (!rebuilt.refusal.empty()) {
    if (rebuilt.step >= read.job.steps.size()) std::abort();
    return 0;
  }
  const std::string digest = tbx::Digest(rebuilt.text);
  tbx::JobFileRead again = tbx::ReadJobFile(ops, tbx::JobFileText(ops, read.job, digest));
  if (!again || !again.warnings.empty() || again.digest != digest || !tbx::TakeProgramTexts(again, rebuilt.text) ||
      again.job.steps.size() != read.job.steps.size())
    std::abort();
  for (std::size_t i = 0; i < read.job.steps.size(); ++i)
    if (Kept(again.job.steps[i]) != Kept(read.job.steps[i])) std::abort();
  return 0;
}
