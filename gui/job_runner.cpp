#include "gui/job_runner.h"

#include <charconv>
#include <istream>
#include <ostream>

#include "app/catalogue.h"
#include "app/operation.h"
#include "app/events.h"
#include "app/job.h"
#include "app/machine_boxes.h"
#include "app/startup.h"
#include "app/tool_boxes.h"
#include "program/numbers.h"
#include "toolpath/expander.h"

namespace tbx {

JobRunner::JobRunner(std::filesystem::path home, std::ostream& out, std::ostream& err,
                     const Operations& operations)
    : out_(out), err_(err), app_(form_, std::move(home), operations) {
  form_.onMessage = [this](std::string_view title, std::string_view text) {
    std::string line = "[" + std::string(title) + "] " + std::string(text);
    err_ << line << '\n';
    messages_.push_back(std::move(line));
  };
  form_.onNote = [this](std::string_view text) { err_ << "note: " << text << '\n'; };
}

bool JobRunner::Start() { return StartUp(app_); }

bool JobRunner::Usable(ControlId id, std::string_view action) {
  const HeadlessControl* c = form_.Control(kMainForm, id);
  if (c && c->enabled) return true;
  err_ << "warning: " << action << ' ' << id << ": control is disabled, nothing done\n";
  return false;
}

// In a script a box of several lines takes "\n" for each line end.
std::string JobRunner::BoxText(ControlId id, std::string_view text) const {
  const FieldRef ref = FindField(app_.operations, id);
  std::string out(text);
  if (!ref.field || !ref.field->lines) return out;
  for (std::size_t at = 0; (at = out.find("\\n", at)) != std::string::npos; ++at) out.replace(at, 2, "\n");
  return out;
}

bool JobRunner::Set(ControlId id, std::string_view text) {
  if (!Usable(id, "set")) return false;
  form_.SetText(kMainForm, id, BoxText(id, text));
  return true;
}

bool JobRunner::Leave(ControlId id) {
  if (!Usable(id, "leave")) return false;
  DispatchEvent(app_, kMainForm, id, kMsgLeave, 0);
  // Leaving the program box is the runner's pause in typing: what was typed is one change.
  if (id == id::kOutput) EndTyping(app_);
  return true;
}

bool JobRunner::Type(ControlId id, std::string_view text) {
  if (!Usable(id, "type")) return false;
  form_.SetText(kMainForm, id, BoxText(id, text));
  DispatchEvent(app_, kMainForm, id, kMsgLeave, 0);
  if (id == id::kOutput) EndTyping(app_);
  return true;
}

bool JobRunner::Click(ControlId id) {
  if (!Usable(id, "click")) return false;
  HeadlessControl* c = form_.Control(kMainForm, id);
  if (c->desc.kind == ControlKind::Radio) {
    if (const FieldRef ref = FindField(app_.operations, id); ref.choice) {
      for (const Choice& other : ref.field->choices) form_.SetCheck(kMainForm, other.id, 0);
    }
    c->check = 1;
  } else if (c->desc.kind == ControlKind::CheckBox || c->desc.kind == ControlKind::Toggle) {
    c->check = c->check ? 0 : 1;
  }
  DispatchEvent(app_, kMainForm, id, kMsgClick, 0);
  return true;
}

bool JobRunner::Pick(ControlId id, int index) {
  if (!Usable(id, "pick")) return false;
  form_.SelectItem(kMainForm, id, index);
  DispatchEvent(app_, kMainForm, id, kMsgChange, 0);
  return true;
}

void JobRunner::Tab(int tab) {
  form_.SelectItem(kMainForm, id::kTabs, tab - 1);
  DispatchEvent(app_, kMainForm, id::kTabs, kMsgChange, tab);
}

void JobRunner::Menu() { DispatchEvent(app_, kMainForm, kAboutMenu, kMsgClick, 0); }

void JobRunner::Close() { DispatchEvent(app_, kMainForm, 0, kMsgClose, 0); }

void JobRunner::New() {
  if (file_.Modified(app_)) err_ << "note: new: unsaved changes discarded (no window to ask)\n";
  file_.New(app_);
}

bool JobRunner::Open(const std::filesystem::path& path) { return file_.Open(app_, path); }

bool JobRunner::Save(const std::filesystem::path& path) { return file_.Save(app_, path); }

namespace {

struct Line {
  std::string_view command, rest;
};

Line Split(std::string_view line) {
  std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos) return {line, {}};
  return {line.substr(0, blank), line.substr(blank + 1)};
}

bool ParseInt(std::string_view text, int& value) {
  if (text.empty()) return false;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size();
}

// `tool NUMBER OFFSET KIND key=value ...`: the tool, in the window's units, into the library
// for the rest of the job. A value in double quotes keeps its blanks (name="OD rough").
bool DefineTool(App& app, std::string_view rest, std::string& why) {
  std::vector<std::string> words;
  for (std::size_t at = 0; at < rest.size();) {
    if (rest[at] == ' ') {
      ++at;
      continue;
    }
    std::string word;
    bool quoted = false;
    for (; at < rest.size() && (quoted || rest[at] != ' '); ++at) {
      if (rest[at] == '"') quoted = !quoted;
      else word += rest[at];
    }
    if (quoted) {
      why = "'tool': a value in quotes is not closed";
      return false;
    }
    words.push_back(std::move(word));
  }
  if (words.size() < 3) {
    why = "'tool' needs NUMBER OFFSET KIND, then key=value settings";
    return false;
  }
  std::vector<ToolSetting> settings = {{"number", words[0]}, {"offset", words[1]}, {"kind", words[2]}};
  for (std::size_t i = 3; i < words.size(); ++i) {
    const std::size_t equals = words[i].find('=');
    if (equals == std::string::npos) {
      why = "'tool': write each setting as key=value, not '" + words[i] + "'";
      return false;
    }
    const std::string_view word = words[i];
    settings.push_back({word.substr(0, equals), word.substr(equals + 1)});
  }
  Tool tool;
  if (const ToolProblem problem = ToolFromSettings(settings, app.Metric(), tool)) {
    why = "'tool': " + problem.text;
    return false;
  }
  app.tools.Put(tool.InUnits(app.Metric(), app.tools.metric));
  ShowTool(app, false);
  return true;
}

}  // namespace

std::string JobRunner::StepList() {
  SyncJob(app_);
  std::string list;
  const std::vector<StepLines> lines = LinesOfSteps(app_.job);
  for (std::size_t i = 0; i < app_.job.steps.size(); ++i) {
    const JobStep& step = app_.job.steps[i];
    list += std::to_string(i + 1) + ' ';
    if (step.IsText()) {
      list += "text";
    } else {
      for (std::size_t page = 0; page < app_.operations.pages.size(); ++page)
        if (app_.operations.pages[page] == step.op) list += std::to_string(page + 1);
    }
    if (step.edited) list += " edited";
    list += ' ' + std::to_string(lines[i].first) + ' ' + std::to_string(lines[i].last);
    if (const std::optional<std::string> comment = StepComment(step)) list += ' ' + *comment;
    list += "\r\n";
  }
  return list;
}

bool JobRunner::StepCommand(std::string_view command, std::string_view rest, std::string& printed,
                            std::string& why) {
  SyncJob(app_);
  const std::size_t count = app_.job.steps.size();
  auto stepNumber = [&](std::string_view text, std::size_t& index, std::size_t limit) {
    int n = 0;
    if (!ParseInt(text, n) || n < 1 || static_cast<std::size_t>(n) > limit) {
      why = "'" + std::string(command) + "' needs a step number from 1 to " + std::to_string(limit);
      return false;
    }
    index = static_cast<std::size_t>(n - 1);
    return true;
  };
  std::size_t index = 0;
  if (command == "steps" || command == "cancel") {
    if (!rest.empty()) return why = "'" + std::string(command) + "' takes no arguments", false;
    if (command == "steps") printed += StepList();
    if (command == "cancel") CancelEdit(app_);
    return true;
  }
  if (command == "append") {
    std::string box = Output();
    if (!box.empty() && box.back() != '\n' && box.back() != '\r') box += "\r\n";
    form_.SetText(kMainForm, id::kOutput, box + std::string(rest) + "\r\n");
    EndTyping(app_);  // the typing ends: its text is a step, and a change Undo takes back, at once
    return true;
  }
  if (app_.job.editing >= 0 && command != "edit")
    return why = "step " + std::to_string(app_.job.editing + 1) + " is being edited: update or cancel it first", false;
  if (command == "move") {
    auto [from, to] = Split(rest);
    std::size_t target = 0;
    if (!stepNumber(from, index, count) || !stepNumber(to, target, count)) return false;
    MoveStep(app_, index, target);
    return true;
  }
  if (!stepNumber(rest, index, count)) return false;
  if (command == "delete") DeleteStep(app_, index);
  if (command == "duplicate") DuplicateStep(app_, index);
  if (command == "edit") {
    if (app_.job.editing >= 0)
      return why = "step " + std::to_string(app_.job.editing + 1) + " is being edited already", false;
    const JobStep& step = app_.job.steps[index];
    if (step.IsText()) return why = "step " + std::to_string(index + 1) + " is text, not an operation", false;
    const bool byHand = step.edited;
    EditStep(app_, index);  // shows the step's tab
    if (byHand) err_ << "note: edit: answered Replace (no window to ask)\n";
  }
  return true;
}

int JobRunner::RunJobFile(const std::filesystem::path& job, const std::vector<std::string>& sets) {
  auto fail = [&](const std::string& why) {
    err_ << "turnbrix-cli: " << why << '\n';
    return 2;
  };
  if (job.extension() != ".tbx") return fail(job.string() + " is not a job file (NAME.tbx)");
  if (!Open(job)) return 2;
  for (const std::string& set : sets) {
    // N:ID=TEXT, ID a control id or a field key.
    const std::size_t colon = set.find(':'), equals = set.find('=');
    if (colon == std::string::npos || equals == std::string::npos || equals < colon)
      return fail("--set " + set + ": write it as STEP:ID=TEXT");
    std::string why, printed;
    if (!StepCommand("edit", std::string_view(set).substr(0, colon), printed, why))
      return fail("--set " + set + ": " + why);
    const std::string name = set.substr(colon + 1, equals - colon - 1);
    int id = 0;
    if (!ParseInt(name, id)) {
      const FieldRef ref = FindKey(app_.operations, name);
      id = ref ? ref.field->id : 0;
    }
    const HeadlessControl* c = form_.Control(kMainForm, id);
    if (!c || c->desc.kind != ControlKind::TextBox) return fail("--set " + set + ": " + name + " is no text box");
    const std::size_t messages = messages_.size();
    Type(id, std::string_view(set).substr(equals + 1));
    Click(app_.job.steps[static_cast<std::size_t>(app_.job.editing)].op->ok);
    if (messages_.size() > messages || app_.job.editing >= 0) return 2;  // refused, said above
  }
  out_ << Output();
  return app_.failedSaves > 0 ? 4 : 0;
}

bool JobRunner::StockCommand(std::string_view rest, std::string& printed, std::string& why) {
  if (rest.empty()) {
    // The stock in effect: the job's, or the default from its steps and its deepest Z.
    const toolpath::Toolpath path = toolpath::ExpandProgram(Output(), ProgramToolpathSettings(app_));
    const toolpath::Stock s = StockInEffect(app_.job, path.extents.empty ? 0.0 : path.extents.minZ);
    if (!s.Known()) {
      printed += "stock none\n";
      return true;
    }
    printed += "stock";
    for (const double v : {s.outerDia, s.bore, s.frontZ, s.chuckZ}) printed += ' ' + PlainDecimal(v, 4);
    printed += app_.job.stock.Known() ? "\n" : " (default)\n";
    return true;
  }
  std::vector<double> values;
  for (std::string_view words = rest; !words.empty();) {
    auto [word, more] = Split(words);
    if (!IsNumberText(word)) return why = "stock needs OD BORE FRONT_Z CHUCK_Z as numbers", false;
    values.push_back(BoxNumber(word));
    words = more;
  }
  if (values.size() != 4) return why = "stock needs OD BORE FRONT_Z CHUCK_Z as numbers", false;
  toolpath::Stock stock{.outerDia = values[0], .bore = values[1], .frontZ = values[2], .chuckZ = values[3]};
  if (!stock.Known()) return why = "stock: the outer diameter must be more than 0", false;
  if (const std::string problem = StockProblem(stock); !problem.empty()) return why = "stock: " + problem, false;
  app_.job.stock = stock;
  return true;
}

int JobRunner::RunScript(std::istream& script, bool printProgramAtEnd) {
  // Commands are checked as they come; output is held back so that a bad line leaves
  // standard output empty.
  std::string printed;
  bool anyPrint = false;
  std::string raw;
  int number = 0;
  auto fail = [&](const std::string& reason) {
    err_ << "line " << number << ": " << reason << '\n';
    return 2;
  };
  while (Running() && std::getline(script, raw)) {
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.empty() || raw[0] == '#') continue;
    auto [command, rest] = Split(raw);

    if (command == "menu" || command == "close") {
      if (!rest.empty()) return fail("'" + std::string(command) + "' takes no arguments");
      command == "menu" ? Menu() : Close();
      continue;
    }
    if (command == "new") {
      if (!rest.empty()) return fail("'new' takes no arguments");
      New();
      continue;
    }
    if (command == "open" || command == "save") {
      if (rest.empty()) return fail("'" + std::string(command) + "' needs a file path");
      const std::filesystem::path path(rest);
      if (!(command == "open" ? Open(path) : Save(path)))
        return fail(std::string(command) + " failed");
      continue;
    }
    if (command == "tab") {
      const int count = TabCount(app_.operations);
      int tab = 0;
      for (int page = 1; page <= count; ++page)
        if (app_.operations.pages[static_cast<std::size_t>(page - 1)]->name == rest) tab = page;
      if (tab == 0 && (!ParseInt(rest, tab) || tab < 1 || tab > count))
        return fail("tab needs a number from 1 to " + std::to_string(count) + " or an operation's name");
      Tab(tab);
      continue;
    }
    if (command == "undo" || command == "redo") {
      if (!rest.empty()) return fail("'" + std::string(command) + "' takes no arguments");
      // As the Undo button and Edit > Redo: with nothing to take back or bring back, nothing.
      if (command == "undo") Click(id::kUndo);
      else if (!RedoChange(app_)) err_ << "note: redo: nothing to redo\n";
      continue;
    }
    if (command == "steps" || command == "edit" || command == "cancel" || command == "move" ||
        command == "delete" || command == "duplicate" || command == "append") {
      std::string why;
      if (!StepCommand(command, rest, printed, why)) return fail(why);
      if (command == "steps") anyPrint = true;
      continue;
    }
    if (command == "tool") {
      std::string why;
      if (!DefineTool(app_, rest, why)) return fail(why);
      continue;
    }
    if (command == "stock") {
      std::string why;
      if (!StockCommand(rest, printed, why)) return fail(why);
      if (rest.empty()) anyPrint = true;
      continue;
    }
    if (command != "set" && command != "leave" && command != "type" && command != "click" &&
        command != "pick" && command != "print")
      return fail("unknown command '" + std::string(command) + "'");

    auto [idText, argument] = Split(rest);
    int id = id::kOutput;
    if (!(command == "print" && rest.empty())) {
      if (!ParseInt(idText, id)) {
        // A field named by its key; an option group takes its choice as the argument.
        const FieldRef ref = FindKey(app_.operations, idText);
        if (!ref) return fail("'" + std::string(idText) + "' is neither a control id nor a field key");
        if (ref.field->kind == FieldKind::Options && !ref.choice) {
          if (command == "print") {
            const int chosen = ChosenIndex(app_, ref.field->choices.front().id);
            for (const Choice& c : ref.field->choices)
              if (!c.heading && chosen >= 0 && app_.Checked(c.id)) printed += ChoiceKey(c);
            anyPrint = true;
            continue;
          }
          const Choice* choice = FindChoice(*ref.field, argument);
          if (!choice) return fail("'" + std::string(argument) + "' is no choice of " + std::string(idText));
          Click(choice->id);
          continue;
        }
        id = ref.choice ? ref.choice->id : ref.field->id;
      }
      const HeadlessControl* c = form_.Control(kMainForm, id);
      if (!c) return fail("unknown control id " + std::to_string(id));
      const ControlKind kind = c->desc.kind;
      const bool textBox = kind == ControlKind::TextBox;
      const bool list = kind == ControlKind::ComboBox || kind == ControlKind::ListBox;
      if ((command == "set" || command == "type" || command == "leave") && !textBox)
        return fail("control " + std::to_string(id) + " is not a text box");
      if (command == "click" && kind != ControlKind::Button && kind != ControlKind::Toggle &&
          kind != ControlKind::Radio &&
          kind != ControlKind::CheckBox)
        return fail("control " + std::to_string(id) + " cannot be clicked");
      if ((command == "leave" || command == "click" || command == "print") && !argument.empty())
        return fail("'" + std::string(command) + "' takes only a control id");
      if (command == "pick") {
        int index = -1;
        if (!list) return fail("control " + std::to_string(id) + " is not a list");
        if (!ParseInt(argument, index) || index < 0 || index >= static_cast<int>(c->items.size()))
          return fail("no item " + std::string(argument) + " in list " + std::to_string(id));
        Pick(id, index);
        continue;
      }
    }
    if (command == "set") Set(id, argument);
    if (command == "leave") Leave(id);
    if (command == "type") Type(id, argument);
    if (command == "click") Click(id);
    if (command == "print") {
      printed += form_.GetText(kMainForm, id);
      anyPrint = true;
    }
  }
  if (!anyPrint && printProgramAtEnd) printed = Output();
  out_ << printed;
  // The program is printed all the same; the status tells a batch that settings were lost.
  return app_.failedSaves > 0 ? 4 : 0;
}

}  // namespace tbx
