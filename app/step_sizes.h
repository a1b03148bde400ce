#pragma once
// The steps against the part the simulation leaves: a Turn or Groove step whose part, as it
// stands after the step, is short of the size the step's values ask for.
#include <vector>

#include "app/job.h"
#include "toolpath/toolpath.h"

namespace tbx {

// One finding per such step, on its first line and in line order, worded as the simulation's
// own: "turned diameter left at X1.52 over Z-0.03 to Z-1: short of Final Dia X1.5". Metal
// within the tool's nose or corner radius of a shoulder or wall is the tool's shape, not a
// fault; a Groove without its finish pass is held to its rough size, and a step whose tool
// the library lacks is not judged. `path` is the job's program read with `settings`; without
// its simulation there is nothing to say.
std::vector<toolpath::Finding> StepsLeftShort(const Job& job, const toolpath::Toolpath& path,
                                              const toolpath::ToolpathSettings& settings);

}  // namespace tbx
