#include "app/job_file.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <toml++/toml.h>

#include "app/catalogue.h"
#include "app/controls.h"
#include "data/toml_read.h"
#include "program/numbers.h"

namespace tbx {

std::string Digest(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

std::filesystem::path JobPathOf(const std::filesystem::path& program) {
  return std::filesystem::path(program).replace_extension(".tbx");
}

namespace {

constexpr std::string_view kText = "text";

// The stock's keys in the job file, with the member each sets.
struct StockKey {
  std::string_view key;
  double toolpath::Stock::*value;
};
constexpr StockKey kStockKeys[] = {
    {"outer_dia", &toolpath::Stock::outerDia}, {"bore", &toolpath::Stock::bore},
    {"front_z", &toolpath::Stock::frontZ},     {"length", &toolpath::Stock::length},
    {"chuck_z", &toolpath::Stock::chuckZ},     {"jaw_dia", &toolpath::Stock::jawDia},
    {"jaw_length", &toolpath::Stock::jawLength}};

// "ream.comment" as the table "ream" and its key "comment".
std::pair<std::string, std::string> SplitKey(const std::string& key) {
  const std::size_t dot = key.find('.');
  return {key.substr(0, dot), key.substr(dot + 1)};
}

const FieldValue* ValueOf(const JobStep& step, ControlId id) { return FindValue(step.values, id); }

std::size_t NumberedLines(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); ++at)
    if ((at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r') && text[at] == 'N') ++count;
  return count;
}

// The values a field starts with in the given unit system, as start-up gives them.
void AddDefaults(const Field& field, bool metric, std::vector<FieldValue>& values) {
  switch (field.kind) {
    case FieldKind::Number:
    case FieldKind::Text:
      values.push_back({field.id, std::string(metric && field.metric != field.inch ? field.metric : field.inch)});
      break;
    case FieldKind::List:
    case FieldKind::ListBox: {
      // A fixed list's item; a data list's items come from data.txt and are not known here.
      const int item = metric ? field.metricItem : field.inchItem;
      const std::vector<std::string_view> items = SplitItems(field.inch);
      const bool fixed = !field.inch.empty() && item >= 0 && item < static_cast<int>(items.size());
      values.push_back({field.id, fixed ? std::string(items[static_cast<std::size_t>(item)]) : std::string()});
      break;
    }
    case FieldKind::Check:
    case FieldKind::Toggle:
      values.push_back({field.id, {}, field.checked});
      break;
    case FieldKind::Options: {
      const Choice* chosen = nullptr;
      for (const Choice& c : field.choices)
        if (!c.heading && (c.id == field.chosen || (!chosen && field.chosen == 0))) chosen = &c;
      for (const Choice& c : field.choices)
        if (!c.heading) values.push_back({c.id, {}, &c == chosen});
      break;
    }
    default:
      break;
  }
}

std::string Line(const toml::source_region& where) {
  return "line " + std::to_string(where.begin.line) + ": ";
}

bool AnyStartsWithLineEnd(const toml::node& node) {
  if (const toml::table* t = node.as_table()) {
    for (const auto& [key, value] : *t)
      if (AnyStartsWithLineEnd(value)) return true;
  } else if (const toml::array* a = node.as_array()) {
    for (const toml::node& value : *a)
      if (AnyStartsWithLineEnd(value)) return true;
  } else if (const auto* text = node.as_string()) {
    const std::string& v = text->get();
    return v.starts_with('\n') || v.starts_with("\r\n");
  }
  return false;
}
}  // namespace

std::string JobFileText(const Operations& ops, const Job& job, std::string_view programDigest,
                        const ToolLibrary* tools) {
  toml::table file;
  file.insert("format", kJobFormat);
  file.insert("program_digest", std::string(programDigest));
  if (tools) {
    ToolLibrary called;
    called.metric = tools->metric;
    for (const JobStep& step : job.steps) {
      const FieldValue* t = step.IsText() ? nullptr : FindValue(step.values, id::kTool);
      const FieldValue* o = step.IsText() ? nullptr : FindValue(step.values, id::kOffset);
      if (!t || !o || t->text.size() < 2) continue;
      int number = 0, offset = 0;
      if (std::sscanf(t->text.c_str() + 1, "%d", &number) != 1 || std::sscanf(o->text.c_str(), "%d", &offset) != 1) continue;
      if (const Tool* tool = tools->Find(number, offset)) called.Put(*tool);
    }
    // The library's own file form, as a table of the job file.
    if (!called.tools.empty()) {
      toml::table library;
      std::string ignored;
      if (ReadToml(ToolLibraryText(called), library, ignored)) file.insert("tool_library", std::move(library));
    }
  }
  // A job whose stock was never set writes none: the default follows its steps.
  if (job.stock.Known()) {
    toml::table stock;
    for (const StockKey& k : kStockKeys) stock.insert(k.key, job.stock.*k.value);
    file.insert("stock", std::move(stock));
  }
  toml::array steps;
  for (const JobStep& step : job.steps) {
    toml::table t;
    if (step.IsText()) {
      t.insert("kind", std::string(kText));
      t.insert("text", step.text);
      if (step.next > 0) t.insert("next_block", step.next);
      steps.push_back(std::move(t));
      continue;
    }
    t.insert("kind", std::string(step.op->name));
    if (step.edited) {
      t.insert("edited", true);
      t.insert("text", step.text);
      t.insert("blocks", step.blocks);
    } else {
      t.insert("length", static_cast<std::int64_t>(step.text.size()));
    }
    if (step.next > 0) t.insert("next_block", step.next);
    EachKeptField(ops, *step.op, [&](const OperationDescriptor& op, const Field& field) {
      const auto [table, key] = SplitKey(KeyOfField(op, field));
      if (!t.contains(table)) t.insert(table, toml::table{});
      toml::table& values = *t[table].as_table();
      if (field.kind == FieldKind::Options) {
        for (const Choice& c : field.choices)
          if (const FieldValue* v = ValueOf(step, c.id); v && v->checked) values.insert(key, ChoiceKey(c));
      } else if (const FieldValue* v = ValueOf(step, field.id)) {
        if (field.kind == FieldKind::Check || field.kind == FieldKind::Toggle)
          values.insert(key, v->checked);
        else
          values.insert(key, v->text);
      }
    });
    steps.push_back(std::move(t));
  }
  file.insert("steps", std::move(steps));
  std::ostringstream out;
  // Never literal strings: toml++ 3.3 writes a multi-line one holding ''' unreadably. Nor
  // multi-line ones when a text starts with a line end: TOML drops a line end straight after
  // the opening quotes, and toml++ writes none there of its own.
  auto flags = toml::toml_formatter::default_flags & ~toml::format_flags::allow_literal_strings;
  if (AnyStartsWithLineEnd(file)) flags = flags & ~toml::format_flags::allow_multi_line_strings;
  out << "# Turnbrix job: the steps of the program beside it\n" << toml::toml_formatter(file, flags) << '\n';
  return out.str();
}

namespace {

// One step's table read into `step`; false with `error` set when it is refused.
bool ReadStep(const Operations& ops, const toml::table& t, JobStep& step, std::size_t& length,
              std::string& error, std::vector<std::string>& warnings) {
  const toml::node* kind = t.get("kind");
  if (!kind || !kind->is_string()) {
    error = Line(t.source()) + "a step needs a kind: \"text\" or an operation's short name";
    return false;
  }
  const std::string name = kind->value_or(std::string());
  const OperationDescriptor* op = nullptr;
  for (const OperationDescriptor* page : ops.pages)
    if (page->name == name && page->generate) op = page;
  if (!op && name != kText) {
    error = Line(kind->source()) + "\"" + name + "\" is no operation that writes blocks";
    return false;
  }
  step.op = op;
  const toml::node* metric = t.at_path("settings.metric").node();
  EachKeptField(ops, *(op ? op : ops.shared), [&](const OperationDescriptor&, const Field& field) {
    if (op) AddDefaults(field, metric && metric->value_or(false), step.values);
  });
  if (!op) step.values.clear();

  auto wrong = [&](const toml::node& node, const std::string& key, const char* what) {
    error = Line(node.source()) + key + " must be " + what;
    return false;
  };
  for (auto&& [key, node] : t) {
    const std::string k(key.str());
    if (k == "kind") continue;
    if (k == "text") {
      if (!node.is_string()) return wrong(node, k, "a string");
      step.text = node.value_or(std::string());
      continue;
    }
    if (k == "edited" || k == "length" || k == "next_block" || k == "blocks") {
      if (k == "edited" ? !node.is_boolean() : !node.is_integer() || node.value_or(std::int64_t{-1}) < 0)
        return wrong(node, k, k == "edited" ? "true or false" : "a whole number, 0 or more");
      if (k == "edited") step.edited = node.value_or(false) && op;
      if (k == "length") length = static_cast<std::size_t>(node.value_or(std::int64_t{0}));
      if (k == "next_block") step.next = node.value_or(std::int64_t{0});
      if (k == "blocks") step.blocks = static_cast<int>(node.value_or(std::int64_t{0}));
      continue;
    }
    const toml::table* values = node.as_table();
    if (!values) {
      warnings.push_back(Line(key.source()) + k + " is not a setting of a step: left out");
      continue;
    }
    for (auto&& [field, value] : *values) {
      const std::string fieldKey = k + "." + std::string(field.str());
      const FieldRef ref = FindKey(ops, fieldKey);
      if (!ref || ref.choice) {
        error = Line(field.source()) + fieldKey + " names no control";
        return false;
      }
      // A control this step does not keep (another tab's) is not applied.
      FieldValue* kept = nullptr;
      const ControlId id = ref.field->kind == FieldKind::Options ? ref.field->choices.front().id : ref.field->id;
      for (FieldValue& v : step.values)
        if (v.id == id || (ref.field->kind == FieldKind::Options && FindField(ops, v.id).field == ref.field)) kept = &v;
      if (!kept || !Kept(*ref.field)) {
        warnings.push_back(Line(field.source()) + fieldKey + " is not kept by a " + name + " step: left out");
        continue;
      }
      switch (ref.field->kind) {
        case FieldKind::Check:
        case FieldKind::Toggle:
          if (!value.is_boolean()) return wrong(value, fieldKey, "true or false");
          kept->checked = value.value_or(false);
          break;
        case FieldKind::Options: {
          const Choice* choice = value.is_string() ? FindChoice(*ref.field, value.value_or(std::string())) : nullptr;
          if (!choice) return wrong(value, fieldKey, "one of its choices");
          for (FieldValue& v : step.values)
            if (FindField(ops, v.id).field == ref.field) v.checked = v.id == choice->id;
          break;
        }
        default:
          if (!value.is_string()) return wrong(value, fieldKey, "a string");
          kept->text = value.value_or(std::string());
      }
    }
  }
  if (op && !step.edited) step.text.clear();
  return true;
}

// The [stock] table; a key it lacks keeps its default, one it does not know is refused, and so
// is a stock that cannot be cut from.
bool ReadStock(const toml::node& node, toolpath::Stock& stock, std::string& error) {
  const toml::table* t = node.as_table();
  if (!t) return error = Line(node.source()) + "stock must be a table ([stock])", false;
  for (auto&& [key, value] : *t) {
    const StockKey* known = nullptr;
    for (const StockKey& k : kStockKeys)
      if (k.key == key.str()) known = &k;
    if (!known) return error = Line(key.source()) + std::string(key.str()) + " is not a setting of the stock", false;
    if (!value.is_number())
      return error = Line(value.source()) + "stock." + std::string(key.str()) + " must be a number", false;
    stock.*known->value = value.value_or(0.0);
  }
  if (const std::string problem = StockProblem(stock); !problem.empty() || !stock.Known())
    return error = Line(node.source()) + "stock: " + (problem.empty() ? "outer_dia must be more than 0" : problem), false;
  return true;
}

}  // namespace

JobFileRead ReadJobFile(const Operations& ops, std::string_view content) {
  JobFileRead read;
  toml::table file;
  if (!ReadToml(content, file, read.error)) return read;
  const toml::node* format = file.get("format");
  if (!format || !format->is_integer() || format->value_or(0) != kJobFormat) {
    read.error = (format ? Line(format->source()) : std::string("line 1: ")) +
                 "not a job file of format " + std::to_string(kJobFormat);
    return read;
  }
  for (auto&& [key, node] : file) {
    const std::string k(key.str());
    if (k == "format") continue;
    if (k == "program_digest") {
      if (!node.is_string()) {
        read.error = Line(node.source()) + "program_digest must be a string";
        return read;
      }
      read.digest = node.value_or(std::string());
      continue;
    }
    if (k == "stock") {
      if (!ReadStock(node, read.job.stock, read.error)) return read;
      continue;
    }
    if (k == "tool_library") {
      std::ostringstream text;
      if (const toml::table* t = node.as_table()) text << *t;
      ToolLibraryRead tools = ParseToolLibrary(text.str());
      if (!node.is_table() || !tools) {
        read.error = Line(node.source()) + "tool_library: " + (tools ? "must be a table" : tools.error);
        return read;
      }
      read.tools = std::move(tools.library);
      continue;
    }
    if (k != "steps") {
      read.warnings.push_back(Line(key.source()) + k + " is not a setting of a job: left out");
      continue;
    }
    const toml::array* steps = node.as_array();
    if (!steps) {
      read.error = Line(node.source()) + "steps must be a list of tables ([[steps]])";
      return read;
    }
    for (const toml::node& s : *steps) {
      const toml::table* t = s.as_table();
      if (!t) {
        read.error = Line(s.source()) + "a step must be a table";
        return read;
      }
      JobStep step;
      std::size_t length = 0;
      if (!ReadStep(ops, *t, step, length, read.error, read.warnings)) return read;
      read.job.steps.push_back(std::move(step));
      read.lengths.push_back(length);
    }
  }
  return read;
}

void LendJobTools(const ToolLibrary& job, ToolLibrary& library) {
  for (const Tool& tool : job.tools)
    if (!library.Find(tool.number, tool.offset)) library.Put(tool.InUnits(job.metric, library.metric));
}

bool TakeProgramTexts(JobFileRead& read, std::string_view program) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < read.job.steps.size(); ++i) {
    JobStep& step = read.job.steps[i];
    if (step.Verbatim()) {
      if (program.compare(at, step.text.size(), step.text) != 0) return false;
      at += step.text.size();
      continue;
    }
    if (at + read.lengths[i] > program.size()) return false;
    step.text = std::string(program.substr(at, read.lengths[i]));
    step.blocks = static_cast<int>(NumberedLines(step.text));
    at += read.lengths[i];
  }
  return at == program.size();
}

}  // namespace tbx
