#include "gui/job_runner.h"

#include <charconv>
#include <istream>
#include <ostream>

#include "app/catalogue.h"
#include "app/operation.h"
#include "app/events.h"
#include "app/startup.h"

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

bool JobRunner::Set(ControlId id, std::string_view text) {
  if (!Usable(id, "set")) return false;
  form_.SetText(kMainForm, id, text);
  return true;
}

bool JobRunner::Leave(ControlId id) {
  if (!Usable(id, "leave")) return false;
  DispatchEvent(app_, kMainForm, id, kMsgLeave, 0);
  return true;
}

bool JobRunner::Type(ControlId id, std::string_view text) {
  if (!Usable(id, "type")) return false;
  form_.SetText(kMainForm, id, text);
  DispatchEvent(app_, kMainForm, id, kMsgLeave, 0);
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

}  // namespace

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
