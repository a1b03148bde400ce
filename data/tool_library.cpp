#include "data/tool_library.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <system_error>
#include <toml++/toml.h>

#include "data/data_files.h"
#include "data/toml_read.h"

namespace tbx {

namespace {

constexpr double kMmPerInch = 25.4;

struct KindEntry {
  ToolKind kind;
  std::string_view name;
};
constexpr std::array<KindEntry, 10> kKinds = {{
    {ToolKind::OdTurning, "od_turning"}, {ToolKind::IdBoring, "id_boring"},
    {ToolKind::Grooving, "grooving"},     {ToolKind::Parting, "parting"},
    {ToolKind::OdThreading, "od_threading"}, {ToolKind::IdThreading, "id_threading"},
    {ToolKind::CentreDrill, "centre_drill"}, {ToolKind::Drill, "drill"},
    {ToolKind::Reamer, "reamer"},         {ToolKind::Tap, "tap"},
}};

struct ShapeEntry {
  InsertShape shape;
  std::string_view name;
  double included;
};
constexpr std::array<ShapeEntry, 9> kShapes = {{
    {InsertShape::None, "", 0},   {InsertShape::C, "C", 80}, {InsertShape::D, "D", 55},
    {InsertShape::S, "S", 90},    {InsertShape::T, "T", 60}, {InsertShape::V, "V", 35},
    {InsertShape::W, "W", 80},    {InsertShape::R, "R", 0},  {InsertShape::Blade, "blade", 0},
}};

const ShapeEntry& EntryOf(InsertShape shape) {
  for (const ShapeEntry& e : kShapes)
    if (e.shape == shape) return e;
  return kShapes.front();
}

std::string TwoDigits(int n) {
  const std::string text = std::to_string(n);
  return text.size() < 2 ? "0" + text : text;
}

// The names of a tool's settings in the file, the job script and the checks.
constexpr std::string_view kNumber = "number", kOffset = "offset", kName = "name", kKind = "kind",
                           kShape = "shape", kRadius = "radius", kOrientation = "orientation",
                           kLeadAngle = "lead_angle", kWidth = "width", kDiameter = "diameter",
                           kPointAngle = "point_angle";

bool IsDrill(ToolKind kind) { return !HasInsert(kind) && !HasBlade(kind); }

}  // namespace

std::string Tool::Word() const { return "T" + TwoDigits(number) + TwoDigits(offset); }

Tool Tool::InUnits(bool fromMetric, bool toMetric) const {
  if (fromMetric == toMetric) return *this;
  const double f = toMetric ? kMmPerInch : 1 / kMmPerInch;
  Tool t = *this;
  t.radius *= f;
  t.width *= f;
  t.diameter *= f;
  return t;
}

std::string_view KindName(ToolKind kind) {
  for (const KindEntry& e : kKinds)
    if (e.kind == kind) return e.name;
  return "";
}

bool KindFromName(std::string_view name, ToolKind& kind) {
  for (const KindEntry& e : kKinds)
    if (e.name == name) {
      kind = e.kind;
      return true;
    }
  return false;
}

std::string_view ShapeName(InsertShape shape) { return EntryOf(shape).name; }

bool ShapeFromName(std::string_view name, InsertShape& shape) {
  for (const ShapeEntry& e : kShapes)
    if (!e.name.empty() && e.name == name) {
      shape = e.shape;
      return true;
    }
  return false;
}

double IncludedAngle(InsertShape shape) { return EntryOf(shape).included; }

bool HasInsert(ToolKind kind) {
  return kind == ToolKind::OdTurning || kind == ToolKind::IdBoring || kind == ToolKind::OdThreading ||
         kind == ToolKind::IdThreading;
}

bool HasBlade(ToolKind kind) { return kind == ToolKind::Grooving || kind == ToolKind::Parting; }

bool HasBar(ToolKind kind) { return kind == ToolKind::IdBoring || kind == ToolKind::IdThreading; }

ToolProblem CheckTool(const Tool& t, bool metric) {
  const double unit = metric ? kMmPerInch : 1;
  const char* lengthUnit = metric ? " mm" : " in";
  auto limit = [&](double inches) {
    std::ostringstream text;
    text << inches * unit << lengthUnit;
    return text.str();
  };
  auto problem = [](std::string_view field, std::string text) {
    return ToolProblem{field, std::string(field) + " " + text};
  };
  if (t.number < 1 || t.number > 99) return problem(kNumber, "must be a whole number from 1 to 99");
  if (t.offset < 1 || t.offset > 99) return problem(kOffset, "must be a whole number from 1 to 99");
  // The name goes into comments, where a parenthesis or a line break would end one early.
  if (t.name.size() > 60) return problem(kName, "must be at most 60 characters");
  if (std::any_of(t.name.begin(), t.name.end(),
                  [](char c) { return c == '(' || c == ')' || static_cast<unsigned char>(c) < 0x20; }))
    return problem(kName, "must not hold parentheses or control characters");
  const double values[] = {t.radius, t.leadAngle, t.width, t.diameter, t.pointAngle};
  const std::string_view names[] = {kRadius, kLeadAngle, kWidth, kDiameter, kPointAngle};
  for (std::size_t i = 0; i < std::size(values); ++i)
    if (!std::isfinite(values[i])) return problem(names[i], "must be a number");
  const bool drill = IsDrill(t.kind);
  const std::string_view kind = KindName(t.kind);
  auto leftOut = [&](std::string_view field) {
    return problem(field, "is no setting of a " + std::string(kind) + " tool: leave it out");
  };
  if (HasInsert(t.kind) && (t.shape == InsertShape::None || t.shape == InsertShape::Blade))
    return problem(kShape, "must be an insert's ISO letter: C, D, S, T, V, W or R");
  if (HasBlade(t.kind) && t.shape != InsertShape::Blade) return problem(kShape, "must be blade");
  if (drill && t.shape != InsertShape::None) return leftOut(kShape);
  if (t.radius < 0) return problem(kRadius, "must be 0 or more");
  if (t.radius > 1 * unit) return problem(kRadius, "must not be more than " + limit(1));
  if (drill && t.radius != 0) return leftOut(kRadius);
  if (!drill && (t.orientation < 1 || t.orientation > 9))
    return problem(kOrientation, "must be a whole number from 1 to 9");
  if (drill && t.orientation != 0) return leftOut(kOrientation);
  if (t.leadAngle <= -90 || t.leadAngle >= 90) return problem(kLeadAngle, "must be between -90 and 90");
  if (drill && t.leadAngle != 0) return leftOut(kLeadAngle);
  if (HasBlade(t.kind)) {
    if (t.width <= 0) return problem(kWidth, "must be greater than 0");
    if (t.width > 1 * unit) return problem(kWidth, "must not be more than " + limit(1));
    if (2 * t.radius > t.width) return problem(kRadius, "must not be more than half the width");
  } else if (t.width != 0) {
    return leftOut(kWidth);
  }
  if (drill) {
    if (t.diameter <= 0) return problem(kDiameter, "must be greater than 0");
    if (t.diameter > 4 * unit) return problem(kDiameter, "must not be more than " + limit(4));
  } else if (HasBar(t.kind)) {
    if (t.diameter < 0) return problem(kDiameter, "must be 0 (not known) or more");
    if (t.diameter > 4 * unit) return problem(kDiameter, "must not be more than " + limit(4));
  } else if (t.diameter != 0) {
    return leftOut(kDiameter);
  }
  if (t.kind == ToolKind::Drill || t.kind == ToolKind::CentreDrill) {
    if (t.pointAngle <= 0 || t.pointAngle >= 180) return problem(kPointAngle, "must be between 0 and 180");
  } else if (t.pointAngle != 0) {
    return leftOut(kPointAngle);
  }
  return {};
}

bool SetToolSetting(Tool& tool, std::string_view key, std::string_view value, std::string& why) {
  const auto whole = [&](int& out) {
    const auto r = std::from_chars(value.data(), value.data() + value.size(), out);
    return !value.empty() && r.ec == std::errc() && r.ptr == value.data() + value.size();
  };
  const auto number = [&](double& out) {
    const auto r = std::from_chars(value.data(), value.data() + value.size(), out);
    return !value.empty() && r.ec == std::errc() && r.ptr == value.data() + value.size();
  };
  bool ok = true;
  const char* type = "a number";
  if (key == kNumber || key == kOffset || key == kOrientation) {
    type = "a whole number";
    ok = whole(key == kNumber ? tool.number : key == kOffset ? tool.offset : tool.orientation);
  } else if (key == kRadius) ok = number(tool.radius);
  else if (key == kLeadAngle) ok = number(tool.leadAngle);
  else if (key == kWidth) ok = number(tool.width);
  else if (key == kDiameter) ok = number(tool.diameter);
  else if (key == kPointAngle) ok = number(tool.pointAngle);
  else if (key == kName) tool.name = std::string(value);
  else if (key == kKind) {
    type = "one of od_turning, id_boring, grooving, parting, od_threading, id_threading, centre_drill, "
           "drill, reamer, tap";
    ok = KindFromName(value, tool.kind);
  } else if (key == kShape) {
    type = "C, D, S, T, V, W, R or blade";
    ok = ShapeFromName(value, tool.shape);
  } else {
    why = std::string(key) + " is no setting of a tool";
    return false;
  }
  if (!ok) why = std::string(key) + " must be " + type + ", not '" + std::string(value) + "'";
  return ok;
}

ToolProblem ToolFromSettings(std::span<const ToolSetting> settings, bool metric, Tool& tool) {
  tool = Tool{};
  bool shapeGiven = false;
  for (const ToolSetting& s : settings) {
    std::string why;
    if (!SetToolSetting(tool, s.key, s.value, why)) return {s.key, why};
    shapeGiven = shapeGiven || s.key == kShape;
  }
  if (!shapeGiven && HasBlade(tool.kind)) tool.shape = InsertShape::Blade;
  return CheckTool(tool, metric);
}

const Tool* ToolLibrary::Find(int number, int offset) const {
  for (const Tool& t : tools)
    if (t.number == number && t.offset == offset) return &t;
  return nullptr;
}

void ToolLibrary::Put(Tool tool) {
  for (Tool& t : tools)
    if (t.number == tool.number && t.offset == tool.offset) {
      t = std::move(tool);
      return;
    }
  tools.push_back(std::move(tool));
}

std::optional<Tool> ToolLibrary::Lookup(std::string_view number, std::string_view offset,
                                         bool programMetric) const {
  // The Tool box holds "T03", the Offset box "05".
  if (!number.empty() && (number.front() == 'T' || number.front() == 't')) number.remove_prefix(1);
  int n = 0, o = 0;
  const auto whole = [](std::string_view text, int& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size();
  };
  if (!whole(number, n) || !whole(offset, o)) return std::nullopt;
  const Tool* tool = Find(n, o);
  if (!tool) return std::nullopt;
  return tool->InUnits(metric, programMetric);
}

namespace {

std::string Line(const toml::source_region& where) {
  return "line " + std::to_string(where.begin.line) + ": ";
}

// One [[tools]] table; false with `error` set.
bool ReadTool(const toml::table& table, bool metric, Tool& tool, std::string& error) {
  std::vector<std::pair<std::string_view, const toml::node*>> seen;
  auto fail = [&](const toml::node& node, std::string text) {
    error = Line(node.source()) + std::move(text);
    return false;
  };
  for (auto&& [key, value] : table) {
    const std::string_view k = key.str();
    const toml::node& node = value;  // a binding of its own: lambdas below take it
    const auto whole = [&](int& value) {
      const std::optional<std::int64_t> v = node.value_exact<std::int64_t>();
      if (!v) return false;
      value = static_cast<int>(std::clamp<std::int64_t>(*v, -1, 1000));
      return true;
    };
    const auto number = [&](double& value) {
      if (!node.is_number()) return false;
      value = node.value_or(0.0);
      return true;
    };
    const auto text = [&](std::string& value) {
      if (!node.is_string()) return false;
      value = node.value_or(std::string());
      return true;
    };
    bool ok = true;
    std::string word;
    if (k == kNumber) ok = whole(tool.number);
    else if (k == kOffset) ok = whole(tool.offset);
    else if (k == kOrientation) ok = whole(tool.orientation);
    else if (k == kRadius) ok = number(tool.radius);
    else if (k == kLeadAngle) ok = number(tool.leadAngle);
    else if (k == kWidth) ok = number(tool.width);
    else if (k == kDiameter) ok = number(tool.diameter);
    else if (k == kPointAngle) ok = number(tool.pointAngle);
    else if (k == kName) ok = text(tool.name);
    else if (k == kKind) {
      if (!text(word) || !KindFromName(word, tool.kind))
        return fail(node, "kind must be one of od_turning, id_boring, grooving, parting, od_threading, "
                          "id_threading, centre_drill, drill, reamer, tap");
    } else if (k == kShape) {
      if (!text(word) || !ShapeFromName(word, tool.shape))
        return fail(node, "shape must be C, D, S, T, V, W, R or blade");
    } else {
      return fail(node, std::string(k) + " is no setting of a tool");
    }
    if (!ok) {
      const bool integral = k == kNumber || k == kOffset || k == kOrientation;
      return fail(node, std::string(k) + (integral ? " must be a whole number" : k == kName ? " must be a string" : " must be a number"));
    }
    seen.emplace_back(k, &node);
  }
  const auto where = [&](std::string_view field) -> const toml::node& {
    for (const auto& [k, node] : seen)
      if (k == field) return *node;
    return table;
  };
  if (!table.contains(kKind)) return fail(table, "a tool needs a kind");
  for (std::string_view needed : {kNumber, kOffset})
    if (!table.contains(needed)) return fail(table, "a tool needs its " + std::string(needed));
  if (const ToolProblem p = CheckTool(tool, metric))
    return fail(where(p.field), p.text + " (tool " + tool.Word() + ")");
  return true;
}

}  // namespace

ToolLibraryRead ParseToolLibrary(std::string_view text) {
  ToolLibraryRead read;
  toml::table file;
  if (!ReadToml(text, file, read.error)) return read;
  auto refuse = [&](const toml::source_region& where, std::string why) {
    read.error = Line(where) + std::move(why);
    read.library = {};
    return std::move(read);
  };
  const toml::node* format = file.get("format");
  if (!format || format->value_exact<std::int64_t>() != kToolLibraryFormat)
    return refuse(format ? format->source() : file.source(),
                  "not a tool library of format " + std::to_string(kToolLibraryFormat));
  const toml::node* units = file.get("units");
  const std::optional<std::string> unitName = units ? units->value_exact<std::string>() : std::nullopt;
  if (!unitName || (*unitName != "inch" && *unitName != "mm"))
    return refuse(units ? units->source() : file.source(), "units must be \"inch\" or \"mm\"");
  read.library.metric = *unitName == "mm";
  for (auto&& [key, node] : file) {
    const std::string_view k = key.str();
    if (k == "format" || k == "units") continue;
    if (k != "tools") return refuse(key.source(), std::string(k) + " is no setting of a tool library");
    const toml::array* tools = node.as_array();
    if (!tools) return refuse(node.source(), "tools must be a list of tables ([[tools]])");
    for (const toml::node& entry : *tools) {
      const toml::table* table = entry.as_table();
      if (!table) return refuse(entry.source(), "a tool must be a table");
      Tool tool;
      std::string error;
      if (!ReadTool(*table, read.library.metric, tool, error)) {
        read.error = std::move(error);
        read.library = {};
        return read;
      }
      if (const Tool* twin = read.library.Find(tool.number, tool.offset); twin)
        return refuse(table->source(), "tool " + tool.Word() + " is in the library twice");
      read.library.tools.push_back(std::move(tool));
    }
  }
  return read;
}

std::string ToolLibraryText(const ToolLibrary& library) {
  toml::table file;
  file.insert("format", kToolLibraryFormat);
  file.insert("units", library.metric ? "mm" : "inch");
  toml::array tools;
  for (const Tool& t : library.tools) {
    toml::table entry;
    entry.insert(kNumber, t.number);
    entry.insert(kOffset, t.offset);
    entry.insert(kName, t.name);
    entry.insert(kKind, std::string(KindName(t.kind)));
    if (t.shape != InsertShape::None) entry.insert(kShape, std::string(ShapeName(t.shape)));
    if (!IsDrill(t.kind)) {
      entry.insert(kRadius, t.radius);
      entry.insert(kOrientation, t.orientation);
      entry.insert(kLeadAngle, t.leadAngle);
    }
    if (HasBlade(t.kind)) entry.insert(kWidth, t.width);
    if (IsDrill(t.kind) || (HasBar(t.kind) && t.diameter > 0)) entry.insert(kDiameter, t.diameter);
    if (t.pointAngle != 0) entry.insert(kPointAngle, t.pointAngle);
    tools.push_back(std::move(entry));
  }
  file.insert("tools", std::move(tools));
  std::ostringstream out;
  out << "# Turnbrix tool library. Lengths (radius, width, diameter) are in the unit named by\n"
         "# `units`; a program in the other unit system converts them. Angles are degrees.\n"
      // As the job file: toml++ 3.3 can write a literal string it cannot read back.
      << toml::toml_formatter(file, toml::toml_formatter::default_flags & ~toml::format_flags::allow_literal_strings)
      << '\n';
  return out.str();
}

ToolLibraryRead LoadToolLibrary(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error) && !error) return {};
  const std::optional<std::string> text = ReadWholeFile(file);
  if (!text) return {{}, "cannot read " + file.string()};
  ToolLibraryRead read = ParseToolLibrary(*text);
  if (!read) read.error = file.string() + " " + read.error;
  return read;
}

SafeSaveResult SaveToolLibrary(const std::filesystem::path& file, const ToolLibrary& library) {
  return SafeSave(file, ToolLibraryText(library));
}

}  // namespace tbx
