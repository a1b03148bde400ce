#include "gui/headless_form.h"

#include <utility>

namespace tbx {

namespace {
bool HasItems(ControlKind kind) {
  return kind == ControlKind::ComboBox || kind == ControlKind::ListBox ||
         kind == ControlKind::TabControl;
}
}  // namespace

void HeadlessForm::CreateForm(std::string_view name, std::string_view, std::string_view caption) {
  HeadlessFormState& form = forms_[std::string(name)];
  form = HeadlessFormState{};
  form.caption = caption;
}

void HeadlessForm::ShowForm(std::string_view name) {
  if (auto it = forms_.find(name); it != forms_.end()) it->second.shown = true;
}

void HeadlessForm::HideForm(std::string_view name) {
  if (auto it = forms_.find(name); it != forms_.end()) it->second.shown = false;
}

void HeadlessForm::UnloadForm(std::string_view name) {
  if (auto it = forms_.find(name); it != forms_.end()) {
    it->second.loaded = false;
    it->second.shown = false;
  }
}

bool HeadlessForm::IsLoaded(std::string_view name) const {
  auto it = forms_.find(name);
  return it != forms_.end() && it->second.loaded;
}

void HeadlessForm::DefineMainMenu(int, std::string_view caption) { menuCaption_ = caption; }

void HeadlessForm::CreateControl(std::string_view form, const ControlDesc& desc) {
  auto it = forms_.find(form);
  if (it == forms_.end()) return;
  HeadlessControl control;
  control.desc = desc;
  control.layer = desc.page;
  control.revision = ++revisions_;
  if (HasItems(desc.kind)) {
    if (!desc.text.empty()) {
      for (std::string_view item : SplitItems(desc.text)) control.items.emplace_back(item);
    }
  } else {
    control.text = desc.text;
  }
  it->second.order.push_back(desc.id);
  it->second.controls[desc.id] = std::move(control);
}

void HeadlessForm::ShowPage(std::string_view form, int page) {
  auto it = forms_.find(form);
  if (it == forms_.end()) return;
  it->second.visibleLayer = page;
  // The tab row follows the page shown, as a window's does.
  for (auto& [id, control] : it->second.controls)
    if (control.desc.kind == ControlKind::TabControl && page >= 1 && page <= static_cast<int>(control.items.size()))
      control.selected = page - 1;
}

void HeadlessForm::FocusField(std::string_view form, ControlId id) {
  if (auto it = forms_.find(form); it != forms_.end()) it->second.focused = id;
}

void HeadlessForm::SetFormIcon(std::string_view form, std::string_view iconFile) {
  if (auto it = forms_.find(form); it != forms_.end()) it->second.icon = iconFile;
}

std::string HeadlessForm::GetText(std::string_view form, ControlId id) const {
  const HeadlessControl* c = Control(form, id);
  if (!c) return "";
  if (HasItems(c->desc.kind)) {
    bool valid = c->selected >= 0 && c->selected < static_cast<int>(c->items.size());
    return valid ? c->items[c->selected] : "";
  }
  return c->text;
}

void HeadlessForm::SetText(std::string_view form, ControlId id, std::string_view text) {
  if (HeadlessControl* c = Control(form, id)) {
    c->text = text;
    c->revision = ++revisions_;
  }
}

void HeadlessForm::AppendText(std::string_view form, ControlId id, std::string_view text) {
  if (HeadlessControl* c = Control(form, id)) {
    c->text += text;
    c->revision = ++revisions_;
  }
}

void HeadlessForm::TruncateText(std::string_view form, ControlId id, std::size_t length) {
  if (HeadlessControl* c = Control(form, id)) {
    if (length < c->text.size()) c->text.resize(length);
    c->revision = ++revisions_;
  }
}

std::uint64_t HeadlessForm::Revision(std::string_view form, ControlId id) const {
  const HeadlessControl* c = Control(form, id);
  return c ? c->revision : 0;
}

int HeadlessForm::GetCheck(std::string_view form, ControlId id) const {
  const HeadlessControl* c = Control(form, id);
  return c ? c->check : 0;
}

void HeadlessForm::SetCheck(std::string_view form, ControlId id, int check) {
  if (HeadlessControl* c = Control(form, id)) c->check = check;
}

void HeadlessForm::Enable(std::string_view form, ControlId id) {
  if (HeadlessControl* c = Control(form, id)) c->enabled = true;
}

void HeadlessForm::Disable(std::string_view form, ControlId id) {
  if (HeadlessControl* c = Control(form, id)) c->enabled = false;
}

void HeadlessForm::SelectItem(std::string_view form, ControlId id, int index) {
  HeadlessControl* c = Control(form, id);
  if (c && index >= 0 && index < static_cast<int>(c->items.size())) c->selected = index;
}

void HeadlessForm::AddItems(std::string_view form, ControlId id, std::string_view text,
                            bool splitItems) {
  HeadlessControl* c = Control(form, id);
  if (!c) return;
  if (splitItems) {
    for (std::string_view item : SplitItems(text)) c->items.emplace_back(item);
  } else {
    c->items.emplace_back(text);
  }
}

int HeadlessForm::FindNext(std::string_view form, ControlId id, std::string_view text) const {
  const HeadlessControl* c = Control(form, id);
  if (!c) return -1;
  for (std::size_t i = 0; i < c->items.size(); ++i) {
    if (c->items[i] == text) return static_cast<int>(i);
  }
  return -1;
}

void HeadlessForm::MessageBox(std::string_view text, std::string_view title, MessageIcon) {
  if (onMessage) onMessage(title, text);
}

const HeadlessFormState* HeadlessForm::Form(std::string_view name) const {
  auto it = forms_.find(name);
  return it == forms_.end() ? nullptr : &it->second;
}

const HeadlessControl* HeadlessForm::Control(std::string_view form, ControlId id) const {
  const HeadlessFormState* f = Form(form);
  if (!f) return nullptr;
  auto it = f->controls.find(id);
  return it == f->controls.end() ? nullptr : &it->second;
}

HeadlessControl* HeadlessForm::Control(std::string_view form, ControlId id) {
  return const_cast<HeadlessControl*>(std::as_const(*this).Control(form, id));
}

bool HeadlessForm::IsVisible(std::string_view form, ControlId id) const {
  const HeadlessFormState* f = Form(form);
  const HeadlessControl* c = Control(form, id);
  if (!f || !c || !f->shown) return false;
  return c->layer == 0 || c->layer == f->visibleLayer;
}

}  // namespace tbx
