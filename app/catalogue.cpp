#include "app/catalogue.h"

#include "app/tab_reader.h"

#include <algorithm>
#include <cctype>

#include "app/app.h"

namespace tbx {

namespace {

ControlKind KindOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::Number:
    case FieldKind::Text:
    case FieldKind::Program: return ControlKind::TextBox;
    case FieldKind::Check: return ControlKind::CheckBox;
    case FieldKind::Toggle: return ControlKind::Toggle;
    case FieldKind::Options: return ControlKind::Frame;
    case FieldKind::List: return ControlKind::ComboBox;
    case FieldKind::ListBox: return ControlKind::ListBox;
    case FieldKind::Button: return ControlKind::Button;
    case FieldKind::Note: break;
  }
  return ControlKind::Label;
}

// What a control shows at creation: a box its inch text, a fixed list its items, a note its
// caption or text, anything else its caption.
std::string_view CreationText(const Field& f) {
  switch (f.kind) {
    case FieldKind::Number:
    case FieldKind::Text:
    case FieldKind::List: return f.inch;
    case FieldKind::Note: return f.caption.empty() ? f.inch : f.caption;
    case FieldKind::ListBox:
    case FieldKind::Program: return "";
    default: return f.caption;
  }
}

template <typename Visit>
bool EachPage(const Operations& ops, Visit visit) {
  for (std::size_t i = 0; i < ops.pages.size(); ++i)
    if (visit(*ops.pages[i], static_cast<int>(i) + 1)) return true;
  return ops.shared && visit(*ops.shared, 0);
}

class FormSwitch : public FieldSwitch {
 public:
  FormSwitch(App& app, const OperationDescriptor& op) : app_(app), op_(op) {}
  bool Checked(ControlId id) const override { return app_.Checked(id); }
  // A field goes on and off with its label, or an option group with its frame and buttons.
  void Set(ControlId id, bool enabled) override {
    for (const Field& f : op_.fields) {
      if (f.id != id) continue;
      auto set = [&](ControlId c) { enabled ? app_.Enable(c) : app_.Disable(c); };
      set(f.id);
      if (f.label) set(f.label);
      for (const Choice& c : f.choices) set(c.id);
    }
  }

 private:
  App& app_;
  const OperationDescriptor& op_;
};

}  // namespace

std::string KeyOf(std::string_view op, std::string_view caption) {
  std::string key(op);
  key += '.';
  bool gap = false;
  for (char c : caption) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) {
      if (gap && key.back() != '.') key += '_';
      key += static_cast<char>(std::tolower(u));
      gap = false;
    } else {
      gap = true;
    }
  }
  return key;
}

std::string KeyOfField(const OperationDescriptor& op, const Field& field) {
  return KeyOf(op.name, field.key.empty() ? field.caption : field.key);
}

std::string ChoiceKey(const Choice& choice) { return KeyOf("", choice.caption).substr(1); }

std::vector<ControlDesc> ControlsOf(const OperationDescriptor& op, int page) {
  std::vector<ControlDesc> controls;
  for (const Field& f : op.fields) {
    if (f.id != 0) controls.push_back({f.id, KindOf(f.kind), page, CreationText(f)});
    if (f.label != 0) controls.push_back({f.label, ControlKind::Label, page, f.caption});
    for (const Choice& c : f.choices)
      controls.push_back({c.id, c.heading ? ControlKind::Label : ControlKind::Radio, page, c.caption});
  }
  return controls;
}

Operations::Operations(std::span<const OperationDescriptor* const> pageList, const OperationDescriptor* sharedPart)
    : pages(pageList), shared(sharedPart) {
  EachPage(*this, [&](const OperationDescriptor& op, int page) {
    for (const Field& f : op.fields) {
      // A field's own id, its label (0 too: a field without one answers for id 0), its buttons.
      std::vector<ControlId> ids;
      if (f.id != 0) ids.push_back(f.id);
      ids.push_back(f.label);
      for (const Choice& c : f.choices) ids.push_back(c.id);
      for (ControlId id : ids) {
        const Choice* choice = nullptr;
        for (const Choice& c : f.choices)
          if (c.id == id) choice = &c;
        byId.push_back({id, &op, &f, page, choice});
      }
      byKey.push_back({KeyOfField(op, f), {f.id, &op, &f, page, nullptr}});
    }
    return false;
  });
  std::stable_sort(byId.begin(), byId.end(), [](const FieldEntry& a, const FieldEntry& b) { return a.id < b.id; });
  std::stable_sort(byKey.begin(), byKey.end(), [](const KeyEntry& a, const KeyEntry& b) { return a.key < b.key; });
}

FieldRef FindField(const Operations& ops, ControlId id) {
  const auto it = std::lower_bound(ops.byId.begin(), ops.byId.end(), id,
                                   [](const FieldEntry& e, ControlId wanted) { return e.id < wanted; });
  if (it == ops.byId.end() || it->id != id) return {};
  return {it->op, it->field, it->page, it->choice};
}

const Choice* FindChoice(const Field& options, std::string_view text) {
  const Choice* prefixed = nullptr;
  int prefixes = 0;
  for (const Choice& c : options.choices) {
    if (c.heading) continue;
    const std::string key = ChoiceKey(c);
    if (key == text) return &c;
    if (key.size() > text.size() && key.compare(0, text.size(), text) == 0 && key[text.size()] == '_') {
      prefixed = &c;
      ++prefixes;
    }
  }
  return prefixes == 1 ? prefixed : nullptr;
}

FieldRef FindKey(const Operations& ops, std::string_view key) {
  // A field's key holds one point; a choice's adds its own after its group's key.
  const std::size_t second = key.find('.', key.find('.') + 1);
  const std::string_view own = key.substr(0, second);
  auto it = std::lower_bound(ops.byKey.begin(), ops.byKey.end(), own,
                             [](const Operations::KeyEntry& e, std::string_view k) { return e.key < k; });
  for (; it != ops.byKey.end() && it->key == own; ++it) {
    const FieldEntry& e = it->field;
    if (second == std::string_view::npos) return {e.op, e.field, e.page, nullptr};
    if (e.field->kind != FieldKind::Options) continue;
    if (const Choice* c = FindChoice(*e.field, key.substr(second + 1))) return {e.op, e.field, e.page, c};
  }
  return {};
}

std::string KeyOfControl(const Operations& ops, ControlId id) {
  const FieldRef ref = FindField(ops, id);
  return ref ? KeyOfField(*ref.op, *ref.field) : std::string();
}

std::string CaptionOfKey(const Operations& ops, std::string_view key) {
  const FieldRef ref = FindKey(ops, key);
  if (!ref) return std::string(key);
  return std::string(ref.choice ? ref.choice->caption : ref.field->caption);
}

int ChosenIndex(const App& app, ControlId field) {
  return ChosenIndexOf(app.operations, FormSource(app), field);
}

int TabCount(const Operations& ops) { return static_cast<int>(ops.pages.size()); }

std::string TabCaptions(const Operations& ops) {
  std::string captions;
  for (const OperationDescriptor* op : ops.pages) {
    if (!captions.empty()) captions += '|';
    captions += op->caption;
  }
  return captions;
}

std::string KeysTable(const Operations& ops) {
  std::string text;
  EachPage(ops, [&](const OperationDescriptor& op, int page) {
    text += "\n#### `" + std::string(op.name) + "`";
    text += page ? " (tab " + std::to_string(page) + ", " + std::string(op.caption) + ")\n\n"
                 : " (always visible)\n\n";
    text += "| key | control | caption |\n|---|---|---|\n";
    for (const Field& f : op.fields) {
      if (f.kind == FieldKind::Note && f.key.empty()) continue;
      text += "| `" + KeyOfField(op, f) + "` | " + (f.id ? std::to_string(f.id) : "") + " | " +
              std::string(f.caption);
      if (f.kind == FieldKind::Options) {
        text += ":";
        for (const Choice& c : f.choices)
          if (!c.heading) text += " `" + ChoiceKey(c) + "` (" + std::to_string(c.id) + ")";
      }
      text += " |\n";
    }
    return false;
  });
  return text;
}

void FormModel::AddPage(std::string_view form, int page, const OperationDescriptor& op) {
  for (const ControlDesc& c : ControlsOf(op, page)) CreateControl(form, c);
}

void ApplyEnabling(App& app, const OperationDescriptor& op) {
  if (!op.enable) return;
  FormSwitch tab(app, op);
  op.enable(tab);
}

void BuildMainForm(App& app) {
  FormModel& ui = app.ui;
  auto build = [&](const OperationDescriptor& op, int page) {
    ui.AddPage(kMainForm, page, op);
    for (const Field& f : op.fields) {
      if (f.kind == FieldKind::Options) {
        const ControlId chosen = f.chosen ? f.chosen : f.choices.front().id;
        for (const Choice& c : f.choices)
          if (!c.heading) app.SetCheck(c.id, c.id == chosen);
      }
      if (f.checked) app.SetCheck(f.id, true);
      if (f.kind == FieldKind::List && !f.inch.empty() && f.inchItem >= 0)
        ui.SelectItem(kMainForm, f.id, f.inchItem);
    }
    return false;
  };
  EachPage(app.operations, build);
  app.tabCaptions = TabCaptions(app.operations);
  ui.CreateControl(kMainForm, {id::kTabs, ControlKind::TabControl, 0, app.tabCaptions});
  ui.ShowPage(kMainForm, 1);
  ui.SetFormIcon(kMainForm, "tbx.ico");
  EachPage(app.operations, [&](const OperationDescriptor& op, int) {
    for (const Field& f : op.fields)
      if (f.disabled) app.Disable(f.id);
    ApplyEnabling(app, op);
    return false;
  });
}

void ApplyUnitDefaults(App& app) {
  const bool metric = app.Metric();
  EachPage(app.operations, [&](const OperationDescriptor& op, int) {
    for (const Field& f : op.fields) {
      const bool dataList = (f.kind == FieldKind::List || f.kind == FieldKind::ListBox) && f.inch.empty();
      if (dataList && f.inchItem >= 0)
        app.ui.SelectItem(kMainForm, f.id, metric ? f.metricItem : f.inchItem);
      else if (metric && f.metric != f.inch && f.kind != FieldKind::List)
        app.SetText(f.id, f.metric);
    }
    return false;
  });
}

}  // namespace tbx
