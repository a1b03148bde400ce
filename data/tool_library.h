#pragma once
// The tool library: what a T word's tool is (its kind, insert and holder), read from and
// written to tools.toml in the data folder, beside default.txt.
//
// The file states the unit its lengths are in (units = "inch" or "mm"); a program in the other
// unit system sees every length converted (Tool::InUnits), so one library serves both.
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/safe_save.h"

namespace tbx {

enum class ToolKind {
  OdTurning, IdBoring, Grooving, Parting, OdThreading, IdThreading, CentreDrill, Drill, Reamer, Tap,
};

// The insert by its ISO shape letter; Blade for grooving and parting, None for drills and taps.
enum class InsertShape { None, C, D, S, T, V, W, R, Blade };

struct Tool {
  int number = 0;  // the T word's first half: T0305 is tool 3
  int offset = 0;  // and its second, offset 5
  std::string name;
  ToolKind kind = ToolKind::OdTurning;
  InsertShape shape = InsertShape::None;
  double radius = 0;      // nose radius; a blade's corner radius
  int orientation = 0;    // tip orientation 1 to 9 as Fanuc and LinuxCNC number it; 0 for drills
  double leadAngle = 0;   // the holder's approach angle, degrees
  double width = 0;       // of a grooving or parting blade
  double diameter = 0;    // of a drill, reamer, tap or centre drill; of a boring bar (0: not known)
  double pointAngle = 0;  // of a drill or centre drill, degrees

  // "T0305"
  std::string Word() const;
  // The same tool with its lengths in the other unit system when `to` differs from `from`.
  Tool InUnits(bool fromMetric, bool toMetric) const;
};

// The names the file, the job scripts and the command line use: "od_turning", "C", "blade".
std::string_view KindName(ToolKind kind);
bool KindFromName(std::string_view name, ToolKind& kind);
std::string_view ShapeName(InsertShape shape);
bool ShapeFromName(std::string_view name, InsertShape& shape);
// The insert's included angle in degrees (C 80, D 55, ...); 0 for a round insert, a blade or
// none.
double IncludedAngle(InsertShape shape);
// Whether a kind cuts with an insert (turning, boring, threading), a blade, or is a drill.
bool HasInsert(ToolKind kind);
bool HasBlade(ToolKind kind);
// Whether a kind is held in a round bar inside the bore, whose diameter the library may give.
bool HasBar(ToolKind kind);

// One setting by its name in the file ("radius", ".031"; "kind", "drill"; "shape", "C"), as the
// job script's `tool` command and the command line give it; false with `why` when the value
// is not of the setting's type. The tool as a whole is checked by CheckTool.
bool SetToolSetting(Tool& tool, std::string_view key, std::string_view value, std::string& why);

// What is wrong with a tool: the field at fault ("radius") and why, the field's name first
// ("radius must be 0 or more"); empty when the tool is sound.
struct ToolProblem {
  std::string_view field;
  std::string text;
  explicit operator bool() const { return !text.empty(); }
};
// Checks a tool whose lengths are inch (metric false) or mm.
ToolProblem CheckTool(const Tool& tool, bool metric);

// A tool from its settings in order ({"number", "3"}, {"kind", "drill"}, ...), lengths in inch
// or mm as `metric` says, checked whole: a blade kind's shape is blade unless given. The
// problem names the setting at fault.
struct ToolSetting {
  std::string_view key, value;
};
ToolProblem ToolFromSettings(std::span<const ToolSetting> settings, bool metric, Tool& tool);

struct ToolLibrary {
  bool metric = false;  // the unit of the lengths
  std::vector<Tool> tools;

  const Tool* Find(int number, int offset) const;
  // Adds the tool, or replaces the one of the same number and offset.
  void Put(Tool tool);
  // The tool of a T word's halves ("03", "05") in the program's units; none when the library
  // holds no such tool.
  std::optional<Tool> Lookup(std::string_view number, std::string_view offset, bool programMetric) const;
};

struct ToolLibraryRead {
  ToolLibrary library;
  // "line 12: radius must be 0 or more (tool T0101)"; empty when read. A refused file gives an
  // empty library: no tool of it is half taken.
  std::string error;
  explicit operator bool() const { return error.empty(); }
};

inline constexpr int kToolLibraryFormat = 1;
inline constexpr std::string_view kToolLibraryFileName = "tools.toml";

ToolLibraryRead ParseToolLibrary(std::string_view text);
// The library as the file holds it; ParseToolLibrary reads it back to the same library.
std::string ToolLibraryText(const ToolLibrary& library);
// A missing file is an empty inch library, no error: data folders from before the library.
ToolLibraryRead LoadToolLibrary(const std::filesystem::path& file);
SafeSaveResult SaveToolLibrary(const std::filesystem::path& file, const ToolLibrary& library);

}  // namespace tbx
