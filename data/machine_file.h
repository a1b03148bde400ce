#pragma once
// The machine facts the toolpath reader needs to time a program and to fill in what a
// one-block G76 or a G83 leaves to the control: kept in toolpath.txt beside default.txt,
// never in default.txt itself (its three lines keep their exact form).
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/safe_save.h"

namespace tbx {

struct MachineSettings {
  // Rapid traverse per axis (X as radius travel), mm/min.
  double rapidXMmPerMin = 10000;
  double rapidZMmPerMin = 12000;
  // The fastest Z feed the axis can follow, mm/min: a thread above it cannot be cut in sync.
  double maxZFeedMmPerMin = 5000;
  // Spindle limit when G96 runs without a G50 S clamp, rpm.
  double maxRpm = 4000;
  double toolChangeSeconds = 4;
  // One-block G76: minimum cut, finishing allowance (radius), passes at full depth, and the
  // chamfer pull-out in leads (0 none). The control keeps these as parameters.
  double g76MinCutInch = 0.001;
  double g76MinCutMm = 0.025;
  double g76FinishInch = 0.001;
  double g76FinishMm = 0.025;
  int g76FinishPasses = 1;
  double g76ChamferLeads = 0;
  // G83: how far above the previous peck the drill comes back down at rapid.
  double g83ClearanceInch = 0.01;
  double g83ClearanceMm = 0.25;
  // The program's start ("%", O number and name, the units code and these codes) and end
  // ("M30", "%"), written around the operations when programStartEnd is 1.
  int programStartEnd = 0;
  int programNumber = 1000;
  std::string programName;
  std::string programStartCodes = "G18 G40 G99";
};

// toolpath.txt in the folder of default.txt.
std::filesystem::path MachineSettingsPath(const std::filesystem::path& home);

// A line of toolpath.txt that was not taken: its number, its text and why.
struct MachineSettingsProblem {
  int line = 0;
  std::string text, why;
};

// "name = value" lines, "#" comments; unknown names, unreadable or out-of-range values and a
// missing file leave the defaults, and each line not taken is listed in `problems`.
MachineSettings ParseMachineSettings(const std::string& text,
                                     std::vector<MachineSettingsProblem>* problems = nullptr);
MachineSettings LoadMachineSettings(const std::filesystem::path& file);
struct MachineSettingsFile {
  bool found = false;
  std::string text;  // as read
  MachineSettings settings;
  std::vector<MachineSettingsProblem> problems;
};
MachineSettingsFile ReadMachineSettingsFile(const std::filesystem::path& file);
// The text of a new file; with the text of an existing one, that text with each setting's
// value replaced in place (comments, unknown and unreadable lines, spacing and line ends kept)
// and the settings it lacks added at its end. Values carry the digits that read back the same.
std::string MachineSettingsText(const MachineSettings& s);
std::string MachineSettingsText(const MachineSettings& s, const std::string& original);

// One setting by its name in the file ("rapid_x_mm_per_min", "g76_finish_passes", ...).
// Setting refuses (false, nothing changed) an unknown name or a value out of the setting's
// range, which low and high report; the pass count takes whole numbers only.
bool MachineSettingRange(std::string_view name, double& low, double& high);
bool SetMachineSetting(MachineSettings& s, std::string_view name, double value);
double MachineSetting(const MachineSettings& s, std::string_view name);
// The settings that hold text: at most kMaxMachineText printable characters, no "(" or ")"
// (the name stands in a comment). Setting refuses other text; reading an unknown name gives "".
inline constexpr std::size_t kMaxMachineText = 40;
bool IsMachineTextSetting(std::string_view name);
bool SetMachineText(MachineSettings& s, std::string_view name, std::string_view text);
std::string MachineText(const MachineSettings& s, std::string_view name);
// The file as it stands updated with `s` (MachineSettingsText), written by SafeSave; a symbolic
// link is followed. On failure the old file is kept and the result says why.
SafeSaveResult SaveMachineSettings(const std::filesystem::path& file, const MachineSettings& s);


}  // namespace tbx
