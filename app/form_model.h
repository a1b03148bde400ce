#pragma once
// The one road from the logic to the user interface. Bindings: gui/headless_form (no window)
// and gui/qt_form (Qt widgets). Forms are addressed by name, controls by id.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/operation.h"

namespace tbx {

inline constexpr std::string_view kMainForm = "TBXMAIN";
inline constexpr std::string_view kAboutForm = "ABOUT";

enum class ControlKind {
  Label, TextBox, Button, Toggle, Radio, CheckBox, ComboBox, ListBox, Frame, TabControl
};

enum class MessageIcon { None, Exclamation };

// Event messages as the dispatcher reads them.
enum Message : int { kMsgClose = 0, kMsgClick = 1, kMsgLeave = 4, kMsgChange = 6 };

inline constexpr ControlId kAboutMenu = 533;

// A control as created: its page of the main form (0: always visible), its caption, initial
// text, or "|"-separated items. A binding lays controls out itself.
struct ControlDesc {
  ControlId id;
  ControlKind kind;
  int page;
  std::string_view text;
};

// The items of a fixed list as the catalogue gives them: one text, items separated by "|".
inline std::vector<std::string_view> SplitItems(std::string_view text) {
  std::vector<std::string_view> items;
  for (std::size_t start = 0;;) {
    std::size_t bar = text.find('|', start);
    items.push_back(text.substr(start, bar - start));
    if (bar == std::string_view::npos) return items;
    start = bar + 1;
  }
}

class FormModel {
 public:
  virtual ~FormModel() = default;

  virtual void CreateForm(std::string_view name, std::string_view parent,
                          std::string_view caption) = 0;
  virtual void ShowForm(std::string_view name) = 0;
  virtual void HideForm(std::string_view name) = 0;
  virtual void UnloadForm(std::string_view name) = 0;
  virtual bool IsLoaded(std::string_view name) const = 0;

  virtual void DefineMainMenu(int menuId, std::string_view caption) = 0;
  virtual void CreateControl(std::string_view form, const ControlDesc& desc) = 0;
  // Creates every control of one page of the main form (0: the always-visible part) from its
  // operation's descriptor. Bindings that lay pages out override it; the others get the
  // controls one by one, in the descriptor's order.
  virtual void AddPage(std::string_view form, int page, const OperationDescriptor& op);
  virtual void ShowPage(std::string_view form, int page) = 0;
  // The page ShowPage showed last (0 before any).
  virtual int ShownPage(std::string_view form) const = 0;
  virtual void SetFormIcon(std::string_view form, std::string_view iconFile) = 0;

  virtual std::string GetText(std::string_view form, ControlId id) const = 0;
  virtual void SetText(std::string_view form, ControlId id, std::string_view text) = 0;
  // Adds text at the end of a text box. Bindings that hold the text themselves override it,
  // so that writing an operation costs the length of the operation, not of the program.
  virtual void AppendText(std::string_view form, ControlId id, std::string_view text) {
    SetText(form, id, GetText(form, id).append(text));
  }
  // Keeps the first `length` characters of a text box; as AppendText, bindings that hold the
  // text override it to cost what is cut off.
  virtual void TruncateText(std::string_view form, ControlId id, std::size_t length) {
    SetText(form, id, GetText(form, id).substr(0, length));
  }
  // A number that changes whenever the text of a text box changes, by the program or the
  // user, and never comes back: an unchanged revision means an unchanged text.
  virtual std::uint64_t Revision(std::string_view form, ControlId id) const = 0;
  virtual int GetCheck(std::string_view form, ControlId id) const = 0;
  virtual void SetCheck(std::string_view form, ControlId id, int check) = 0;
  virtual void Enable(std::string_view form, ControlId id) = 0;
  virtual void Disable(std::string_view form, ControlId id) = 0;
  virtual void SelectItem(std::string_view form, ControlId id, int index) = 0;
  // Appends items; the text is one item (the data-file lists) or several separated by "|"
  // when splitItems is set (the fixed lists of the catalogue).
  virtual void AddItems(std::string_view form, ControlId id, std::string_view text,
                        bool splitItems) = 0;
  // Index (from 0) of the first item whose whole text equals `text`, or -1.
  virtual int FindNext(std::string_view form, ControlId id, std::string_view text) const = 0;
  virtual void SetClipboard(std::string_view text) = 0;
  // Modal, one OK button.
  virtual void MessageBox(std::string_view text, std::string_view title, MessageIcon icon) = 0;
  // After a refusal that blames a field: the control to put the caret in.
  virtual void FocusField(std::string_view /*form*/, ControlId /*id*/) {}
  // What a numeric box left just now was read as, when that was not what it held; empty when
  // it held a number. A window shows it and marks the box; nothing else needs it.
  virtual void FieldNote(std::string_view /*form*/, ControlId /*id*/, std::string_view /*note*/) {}
  // A question with two answers, `yes` (as "Replace") and Cancel; true for `yes`. Bindings that
  // can ask override it; the others show it as a message and take `yes`.
  virtual bool Ask(std::string_view text, std::string_view title, std::string_view yes) {
    MessageBox(text, title, MessageIcon::None);
    (void)yes;
    return true;
  }
  // A passing note for the status bar (why a job's steps were not restored); nothing to answer.
  virtual void StatusNote(std::string_view /*text*/) {}
};

}  // namespace tbx
