#include "data/toolpath_settings.h"

#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string_view>

#include "data/data_files.h"
#include "program/numbers.h"

namespace tbx {

namespace {

// One row per setting: its name in the file, where it lives and the range it may take.
struct Field {
  const char* name;
  double MachineSettings::*value;
  double low, high;
};
constexpr std::array<Field, 12> kFields{{
    {"rapid_x_mm_per_min", &MachineSettings::rapidXMmPerMin, 1, 1e7},
    {"rapid_z_mm_per_min", &MachineSettings::rapidZMmPerMin, 1, 1e7},
    {"max_z_feed_mm_per_min", &MachineSettings::maxZFeedMmPerMin, 1, 1e7},
    {"max_rpm", &MachineSettings::maxRpm, 1, 1e6},
    {"tool_change_seconds", &MachineSettings::toolChangeSeconds, 0, 1e5},
    {"g76_min_cut_inch", &MachineSettings::g76MinCutInch, 0, 1},
    {"g76_min_cut_mm", &MachineSettings::g76MinCutMm, 0, 25},
    {"g76_finish_inch", &MachineSettings::g76FinishInch, 0, 1},
    {"g76_finish_mm", &MachineSettings::g76FinishMm, 0, 25},
    {"g76_chamfer_leads", &MachineSettings::g76ChamferLeads, 0, 9.9},
    {"g83_clearance_inch", &MachineSettings::g83ClearanceInch, 0, 1},
    {"g83_clearance_mm", &MachineSettings::g83ClearanceMm, 0, 25},
}};
constexpr const char* kFinishPasses = "g76_finish_passes";

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string ReadWhole(const std::filesystem::path& file, bool& found) {
  std::ifstream in(file, std::ios::binary);
  found = static_cast<bool>(in);
  std::ostringstream s;
  if (found) s << in.rdbuf();
  return s.str();
}

}  // namespace

std::filesystem::path MachineSettingsPath(const std::filesystem::path& home) {
  return home / "toolpath.txt";
}

MachineSettings ParseMachineSettings(const std::string& text) {
  MachineSettings s;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::string_view view = Trim(line);
    if (view.empty() || view.front() == '#') continue;
    const std::size_t eq = view.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = Trim(view.substr(0, eq));
    const std::string_view number = Trim(view.substr(eq + 1));
    if (!IsPlainNumber(number)) continue;
    SetMachineSetting(s, name, TextToNumber(number));
  }
  return s;
}

bool MachineSettingRange(std::string_view name, double& low, double& high) {
  if (name == kFinishPasses) {
    low = 1, high = 99;
    return true;
  }
  for (const Field& f : kFields) {
    if (name == f.name) {
      low = f.low, high = f.high;
      return true;
    }
  }
  return false;
}

bool SetMachineSetting(MachineSettings& s, std::string_view name, double value) {
  double low = 0, high = 0;
  if (!MachineSettingRange(name, low, high) || !(value >= low && value <= high)) return false;
  if (name == kFinishPasses) {
    if (value != std::floor(value)) return false;
    s.g76FinishPasses = static_cast<int>(value);
    return true;
  }
  for (const Field& f : kFields) {
    if (name == f.name) s.*f.value = value;
  }
  return true;
}

double MachineSetting(const MachineSettings& s, std::string_view name) {
  if (name == kFinishPasses) return s.g76FinishPasses;
  for (const Field& f : kFields) {
    if (name == f.name) return s.*f.value;
  }
  return 0;
}

MachineSettings LoadMachineSettings(const std::filesystem::path& file) {
  bool found = false;
  return ParseMachineSettings(ReadWhole(file, found));
}

std::string MachineSettingsText(const MachineSettings& s) {
  std::string text = "# Machine facts for the toolpath preview and run time (mm, seconds, rpm)\n";
  for (const Field& f : kFields) text += std::string(f.name) + " = " + PlainDecimal(s.*f.value, 6) + "\n";
  text += std::string(kFinishPasses) + " = " + std::to_string(s.g76FinishPasses) + "\n";
  return text;
}

bool SaveMachineSettings(const std::filesystem::path& file, const MachineSettings& s) {
  auto fresh = file;
  fresh += ".new";
  bool written = false;
  {
    std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
    out << MachineSettingsText(s);
    out.close();
    written = static_cast<bool>(out);
  }
  std::error_code ec;
  if (written) std::filesystem::rename(fresh, file, ec);
  if (!written || ec) {
    std::filesystem::remove(fresh, ec);
    return false;
  }
  return true;
}

DefaultValues ReadDefaultValues(const std::filesystem::path& defaultFile) {
  DefaultValues v;
  std::string content = ReadWhole(defaultFile, v.found);
  if (!v.found) return v;
  FieldReader fields(std::move(content));
  v.xToolChange = TextToNumber(fields.Next());
  v.zToolChange = TextToNumber(fields.Next());
  const double units = TextToNumber(fields.Next());
  v.metric = units > 0.5 && units < 1.5;  // the start-up rule: halves go to even

  return v;
}

}  // namespace tbx
