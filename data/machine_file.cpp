#include "data/machine_file.h"

#include <algorithm>
#include <array>
#include <charconv>
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
// Counts and switches.
struct WholeField {
  const char* name;
  int MachineSettings::*value;
  int low, high;
};
constexpr std::array<WholeField, 3> kWholeFields{{
    {"g76_finish_passes", &MachineSettings::g76FinishPasses, 1, 99},
    {"program_start_end", &MachineSettings::programStartEnd, 0, 1},
    {"program_number", &MachineSettings::programNumber, 1, 9999},
}};
struct TextField {
  const char* name;
  std::string MachineSettings::*value;
};
constexpr std::array<TextField, 2> kTextFields{{
    {"program_name", &MachineSettings::programName},
    {"program_start_codes", &MachineSettings::programStartCodes},
}};

const WholeField* FindWhole(std::string_view name) {
  for (const WholeField& f : kWholeFields)
    if (name == f.name) return &f;
  return nullptr;
}

const TextField* FindText(std::string_view name) {
  for (const TextField& f : kTextFields)
    if (name == f.name) return &f;
  return nullptr;
}

bool IsMachineTextValue(std::string_view text) {
  if (text.size() > kMaxMachineText) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7e && c != '(' && c != ')'; });
}

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

// The shortest plain decimal that reads back as the same double: a value is never rounded
// away on its way through the file.
std::string ExactDecimal(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  std::string text(buffer, result.ptr);
  return text == "-0" ? "0" : text;
}

std::string ValueText(const MachineSettings& s, std::string_view name) {
  return IsMachineTextSetting(name) ? MachineText(s, name) : ExactDecimal(MachineSetting(s, name));
}

// One line of the file: a comment or blank line (no name), a setting taken (taken), or one
// that is not (why says what is wrong with it).
struct ParsedLine {
  std::string_view name;
  double value = 0;
  std::string_view text;  // of a text setting
  bool taken = false;
  std::string why;
};

ParsedLine ParseLine(std::string_view line) {
  ParsedLine p;
  const std::string_view view = Trim(line);
  if (view.empty() || view.front() == '#') return p;
  const std::size_t eq = view.find('=');
  if (eq == std::string_view::npos) {
    p.why = "it is not \"name = value\"";
    return p;
  }
  p.name = Trim(view.substr(0, eq));
  const std::string_view number = Trim(view.substr(eq + 1));
  double low = 0, high = 0;
  if (IsMachineTextSetting(p.name)) {
    p.text = number;
    p.taken = IsMachineTextValue(number);
    if (!p.taken)
      p.why = "the text must be at most " + std::to_string(kMaxMachineText) +
              " printable characters without \"(\" or \")\"";
  } else if (!MachineSettingRange(p.name, low, high)) {
    p.why = "no setting is called \"" + std::string(p.name) + "\"";
  } else if (!IsPlainNumber(number)) {
    p.why = "the value is not a plain number";
  } else {
    p.value = TextToNumber(number);
    MachineSettings probe;
    p.taken = SetMachineSetting(probe, p.name, p.value);
    if (!p.taken)
      p.why = "the value must be " + std::string(FindWhole(p.name) ? "a whole number " : "") + "from " +
              PlainDecimal(low, 6) + " to " + PlainDecimal(high, 6);
  }
  return p;
}

// The lines of a text with their line ends ("" for a last line without one).
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line = text.substr(start, end - start);
    std::size_t body = line.size();
    if (body > 0 && line[body - 1] == '\n') --body;
    if (body > 0 && line[body - 1] == '\r') --body;
    visit(line.substr(0, body), line.substr(body));
    start = end;
  }
}

}  // namespace

std::filesystem::path MachineSettingsPath(const std::filesystem::path& home) {
  return home / "toolpath.txt";
}

MachineSettings ParseMachineSettings(const std::string& text, std::vector<MachineSettingsProblem>* problems) {
  MachineSettings s;
  int number = 0;
  ForEachLine(text, [&](std::string_view line, std::string_view) {
    ++number;
    const ParsedLine p = ParseLine(line);
    if (p.taken && !SetMachineText(s, p.name, p.text)) SetMachineSetting(s, p.name, p.value);
    if (!p.why.empty() && problems) problems->push_back({number, std::string(Trim(line)), p.why});
  });
  return s;
}

bool MachineSettingRange(std::string_view name, double& low, double& high) {
  if (const WholeField* f = FindWhole(name)) {
    low = f->low, high = f->high;
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
  if (const WholeField* f = FindWhole(name)) {
    if (value != std::floor(value)) return false;
    s.*f->value = static_cast<int>(value);
    return true;
  }
  for (const Field& f : kFields) {
    if (name == f.name) s.*f.value = value;
  }
  return true;
}

double MachineSetting(const MachineSettings& s, std::string_view name) {
  if (const WholeField* f = FindWhole(name)) return s.*f->value;
  for (const Field& f : kFields) {
    if (name == f.name) return s.*f.value;
  }
  return 0;
}

bool IsMachineTextSetting(std::string_view name) { return FindText(name) != nullptr; }

bool SetMachineText(MachineSettings& s, std::string_view name, std::string_view text) {
  const TextField* f = FindText(name);
  if (!f || !IsMachineTextValue(text)) return false;
  s.*f->value = std::string(text);
  return true;
}

std::string MachineText(const MachineSettings& s, std::string_view name) {
  const TextField* f = FindText(name);
  return f ? s.*f->value : std::string();
}

MachineSettings LoadMachineSettings(const std::filesystem::path& file) {
  return ReadMachineSettingsFile(file).settings;
}

MachineSettingsFile ReadMachineSettingsFile(const std::filesystem::path& file) {
  MachineSettingsFile f;
  f.text = ReadWhole(file, f.found);
  f.settings = ParseMachineSettings(f.text, &f.problems);
  return f;
}

std::string MachineSettingsText(const MachineSettings& s) { return MachineSettingsText(s, ""); }

std::string MachineSettingsText(const MachineSettings& s, const std::string& original) {
  std::string text;
  std::vector<std::string_view> written;
  std::string_view lineEnd = "\n";
  ForEachLine(original, [&](std::string_view line, std::string_view end) {
    // A lone CR closing the file ends no line for the reader: settings added after it would
    // run on in the same line and be lost.
    if (end.find('\n') == std::string_view::npos) end = {};
    if (!end.empty()) lineEnd = end;
    const ParsedLine p = ParseLine(line);
    if (!p.taken) {
      text.append(line).append(end);  // comments, blank lines and lines not read stay as they are
      return;
    }
    // The name and what stands before the value keep their spacing.
    const std::size_t eq = line.find('=');
    std::size_t valueAt = eq + 1;
    while (valueAt < line.size() && (line[valueAt] == ' ' || line[valueAt] == '\t')) ++valueAt;
    text.append(line.substr(0, valueAt)).append(ValueText(s, p.name)).append(end);
    written.push_back(p.name);
  });
  if (original.empty()) text = "# Machine facts for the toolpath preview and run time (mm, seconds, rpm)\n";
  auto add = [&](std::string_view name) {
    if (std::find(written.begin(), written.end(), name) != written.end()) return;
    if (!text.empty() && text.back() != '\n') text.append(lineEnd);
    text.append(name).append(" = ").append(ValueText(s, name)).append(lineEnd);
  };
  for (const Field& f : kFields) add(f.name);
  for (const WholeField& f : kWholeFields) add(f.name);
  for (const TextField& f : kTextFields) add(f.name);
  return text;
}

SafeSaveResult SaveMachineSettings(const std::filesystem::path& file, const MachineSettings& s) {
  bool found = false;
  const std::string original = ReadWhole(file, found);
  return SafeSave(file, MachineSettingsText(s, original));
}


}  // namespace tbx
