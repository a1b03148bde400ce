#pragma once
// The machine facts of toolpath.txt on the Settings tab: shown at start-up in the units of
// the start, read back from their boxes, saved beside default.txt; and the settings the
// toolpath of the program box is read with.
#include <string>

#include "data/toolpath_settings.h"
#include "toolpath/toolpath.h"

namespace tbx {
struct App;

struct MachineFacts {
  MachineSettings loaded;     // as toolpath.txt held them, or as last saved
  bool metricBoxes = false;   // the boxes show the inch or the metric G76/G83 values
};

// Reads toolpath.txt into the boxes (after the unit system is known).
void ShowMachineSettings(App& app);
// The settings as the boxes hold them. A box that holds no number or one out of range keeps
// the value loaded; `refusal` (when given) then names the first such box.
MachineSettings MachineFromBoxes(const App& app, std::string* refusal = nullptr);
// Writes toolpath.txt when a box holds another value than the file; a box out of range
// refuses the save ("TBX Error"), a failed write keeps the old file and says so.
void SaveMachineBoxes(App& app);

// Units and tool-change position of the form, machine facts of the boxes: what the program
// box is read back with for the preview, the run time, the drawing and the exports.
toolpath::ToolpathSettings ProgramToolpathSettings(const App& app);

}  // namespace tbx
