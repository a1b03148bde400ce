#pragma once
// The machine facts of toolpath.txt on the Settings tab: shown at start-up in the units of
// the start, read back from their boxes, saved beside default.txt; and the settings the
// toolpath of the program box is read with.
#include <optional>
#include <string>

#include "data/machine_file.h"
#include "program/program_text.h"
#include "toolpath/toolpath.h"

namespace tbx {
struct App;

struct MachineFacts {
  MachineSettings loaded;     // as toolpath.txt held them, or as last saved
  // The unit system of the start: the boxes show its G76/G83 values, the tool-change boxes
  // its lengths, and the program is read in it until the next start.
  bool metricBoxes = false;
};

// 25.4 from inch to metric, 1 / 25.4 back, else 1.
double UnitFactor(bool fromMetric, bool toMetric);
// The status bar's note while the Metric box differs from the start's unit system, else empty.
std::string UnitsNote(const App& app);
// Why no export is written while that note stands: the blocks after the change are in the new
// units and would be read, and headed, in the old.
inline constexpr const char* kRestartBeforeExport = "restart Turnbrix before exporting";

// Reads toolpath.txt into the boxes (after the unit system is known); lines it does not take
// are listed in a "File Error" box.
void ShowMachineSettings(App& app);
// The settings as the boxes hold them. A box that holds no number or one out of range keeps
// the value loaded; `refusal` (when given) then names the first such box.
MachineSettings MachineFromBoxes(const App& app, std::string* refusal = nullptr);
// Writes toolpath.txt when a box holds another value than the file (the other unit system's
// G76/G83 lengths converted from the boxes when the Metric box changed); a box out of range
// refuses the save ("TBX Error"), a failed write keeps the old file and says why.
void SaveMachineBoxes(App& app);

// The program's start and end as the Settings tab holds them, for the next OK: empty while
// "Write Start and End" is clear. A box that cannot be written refuses the OK naming it.
std::optional<ProgramFrame> ProgramFrameOf(const App& app, Refusal& refusal);

// Units of the start, tool-change position of the form, machine facts of the boxes: what the
// program box is read back with for the preview, the run time, the drawing and the exports.
toolpath::ToolpathSettings ProgramToolpathSettings(const App& app);

}  // namespace tbx
