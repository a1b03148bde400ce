#pragma once
// The form model without a window: keeps the full state of every control and draws nothing.
// Used by the job runner and the tests.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/form_model.h"

namespace tbx {

struct HeadlessControl {
  ControlDesc desc{};
  int layer = 0;
  std::string text;
  std::uint64_t revision = 0;  // of `text`, from the form's one counter
  int check = 0;
  bool enabled = true;
  std::vector<std::string> items;
  int selected = -1;
};

struct HeadlessFormState {
  std::string caption;
  bool loaded = true;
  bool shown = false;
  int visibleLayer = 0;
  std::string icon;
  std::map<ControlId, HeadlessControl> controls;
  std::vector<ControlId> order;  // creation order
  ControlId focused = 0;         // where the caret was put last
};

class HeadlessForm : public FormModel {
 public:
  // Every message box is passed here (title, text) and answered OK.
  std::function<void(std::string_view title, std::string_view text)> onMessage;
  // Every status note is passed here.
  std::function<void(std::string_view text)> onNote;

  void CreateForm(std::string_view name, std::string_view parent, std::string_view caption) override;
  void ShowForm(std::string_view name) override;
  void HideForm(std::string_view name) override;
  void UnloadForm(std::string_view name) override;
  bool IsLoaded(std::string_view name) const override;
  void DefineMainMenu(int menuId, std::string_view caption) override;
  void CreateControl(std::string_view form, const ControlDesc& desc) override;
  void ShowPage(std::string_view form, int page) override;
  int ShownPage(std::string_view form) const override { return Form(form) ? Form(form)->visibleLayer : 0; }
  void SetFormIcon(std::string_view form, std::string_view iconFile) override;

  std::string GetText(std::string_view form, ControlId id) const override;
  void SetText(std::string_view form, ControlId id, std::string_view text) override;
  void AppendText(std::string_view form, ControlId id, std::string_view text) override;
  void TruncateText(std::string_view form, ControlId id, std::size_t length) override;
  std::uint64_t Revision(std::string_view form, ControlId id) const override;
  int GetCheck(std::string_view form, ControlId id) const override;
  void SetCheck(std::string_view form, ControlId id, int check) override;
  void Enable(std::string_view form, ControlId id) override;
  void Disable(std::string_view form, ControlId id) override;
  void SelectItem(std::string_view form, ControlId id, int index) override;
  void AddItems(std::string_view form, ControlId id, std::string_view text,
                bool splitItems) override;
  int FindNext(std::string_view form, ControlId id, std::string_view text) const override;
  void SetClipboard(std::string_view text) override { clipboard_ = text; }
  void MessageBox(std::string_view text, std::string_view title, MessageIcon icon) override;
  void FocusField(std::string_view form, ControlId id) override;
  void StatusNote(std::string_view text) override {
    if (onNote) onNote(text);
  }

  // Inspection, for the runner and the tests.
  const HeadlessFormState* Form(std::string_view name) const;
  const HeadlessControl* Control(std::string_view form, ControlId id) const;
  HeadlessControl* Control(std::string_view form, ControlId id);
  // Whether a control can be seen: layer 0, or the form's visible layer.
  bool IsVisible(std::string_view form, ControlId id) const;
  ControlId Focused(std::string_view form) const { return Form(form) ? Form(form)->focused : 0; }
  const std::string& Clipboard() const { return clipboard_; }
  std::string MenuCaption() const { return menuCaption_; }

 private:
  std::map<std::string, HeadlessFormState, std::less<>> forms_;
  std::uint64_t revisions_ = 0;  // the last revision handed out
  std::string clipboard_;
  std::string menuCaption_;
};

}  // namespace tbx
