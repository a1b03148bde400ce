#pragma once
// The form model on Qt widgets. The main form lays each page out from its operation's
// descriptor with Qt layouts, so it follows the font, the screen's scale and the window's size;
// the logic sees only FormModel, and user actions come back through the event sink.
#include <QAction>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/form_model.h"

class QWidget;
class QSplitter;
class QMainWindow;
class QScrollArea;

namespace tbx {

// A long replacement reaches the program box in slices between events (a step rebuilt early in
// a long job). For code about to set the caret or read text: lines `firstLine` to `lastLine`
// (from 1) put in now, or all that is left when none are given.
void SettleProgramBox(QWidget* box, int firstLine = 0, int lastLine = 0);

class QtForm : public QObject, public FormModel {
 public:
  using EventSink =
      std::function<void(std::string_view form, ControlId control, int message, int value)>;
  using MessageSink = std::function<void(std::string_view title, std::string_view text)>;

  QtForm();
  ~QtForm() override;

  // Where user events go (normally DispatchEvent). An event raised while another is being handled
  // (a modal box runs its own loop) waits until that handler has finished.
  void SetEventSink(EventSink sink) { sink_ = std::move(sink); }
  // Unattended runs (screenshots) pass message boxes here instead of waiting for a click.
  void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }
  // The panes side by side: the operation chooser, the form (the page and the always-visible
  // controls), the program area.
  QSplitter* MainArea() const { return mainArea_; }
  // The program box with the drawing below it; the step list's place is a third pane here.
  QSplitter* ProgramArea() const { return programArea_; }
  // The width the program box asks for: enough for the longest block in its fixed-pitch face.
  int ProgramBoxWidth() const;
  // The scrolling area of a page's fields (its OK stands below it), or null.
  QScrollArea* PageScroll(int page) const;

  void CreateForm(std::string_view name, std::string_view parent,
                  std::string_view caption) override;
  void ShowForm(std::string_view name) override;
  void HideForm(std::string_view name) override;
  void UnloadForm(std::string_view name) override;
  bool IsLoaded(std::string_view name) const override;
  void DefineMainMenu(int menuId, std::string_view caption) override;
  void CreateControl(std::string_view form, const ControlDesc& entry) override;
  void AddPage(std::string_view form, int page, const OperationDescriptor& op) override;
  void ShowPage(std::string_view form, int page) override;
  int ShownPage(std::string_view form) const override;
  void SetFormIcon(std::string_view form, std::string_view iconFile) override;

  std::string GetText(std::string_view form, ControlId id) const override;
  void SetText(std::string_view form, ControlId id, std::string_view text) override;
  // The program box gains or loses only its end, so a long program is not laid out again.
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
  void SetClipboard(std::string_view text) override;
  void MessageBox(std::string_view text, std::string_view title, MessageIcon icon) override;
  // A question box: `yes` (the default) and Cancel (Esc).
  bool Ask(std::string_view text, std::string_view title, std::string_view yes) override;
  // Shows the page holding the control as a click on its tab would, then puts the caret in it.
  void FocusField(std::string_view form, ControlId id) override;
  // The note goes to the status bar and the box is marked; an empty note unmarks it.
  void FieldNote(std::string_view form, ControlId id, std::string_view note) override;

  // The widgets, for the executable (screenshots) and the tests.
  QWidget* Window(std::string_view form) const;
  QWidget* Widget(std::string_view form, ControlId id) const;
  QAction* MenuAction() const { return menuAction_; }
  QMainWindow* MainWindow() const;
  // The main form's scrolling area: smaller than its panes need, the window scrolls rather than
  // clips.
  QScrollArea* ScrollArea() const;
  // The page (0: always visible) a control stands on, or -1 for none.
  int PageOf(std::string_view form, ControlId id) const;
  // Keeps a top-level window inside its screen's available area, shrinking it to fit.
  static void FitOnScreen(QWidget* window);
  // Whether the box is marked as having held text that was not a number.
  bool IsMarked(std::string_view form, ControlId id) const;

 // One control of a form, its widget and what its kind does (qt_form.cpp).
  class Control;

 private:
  struct Form;
  class FormWindow;
  struct Event {
    std::string form;
    ControlId control;
    int message;
    int value;
  };

  Form* FindForm(std::string_view name) const;
  Control* Find(std::string_view form, ControlId id) const;
  // Makes the control's widget in `parent` and wires it; the caller lays it out.
  Control& Add(Form& form, const ControlDesc& entry, const Field* field, QWidget* parent);
  void Remove(Form& form, ControlId id);
  void LayOutPage(Form& form, int page, const OperationDescriptor& op);
  void LayOutShared(Form& form, const OperationDescriptor& op);
  void Raise(const Form& form, ControlId control, int message, int value);
  void CloseRequested(Form& form);
  // The box no longer marked, its note gone from the status bar.
  void Unmark(Form& form, Control& c);

  std::map<std::string, std::unique_ptr<Form>, std::less<>> forms_;
  int menuId_ = 0;
  std::string menuCaption_;
  QPointer<QAction> menuAction_;
  QSplitter* mainArea_ = nullptr;
  QSplitter* programArea_ = nullptr;
  EventSink sink_;
  MessageSink messageSink_;
  std::deque<Event> pending_;
  bool dispatching_ = false;
  bool closing_ = false;         // the form is going: nothing reaches the logic any more
  std::uint64_t revisions_ = 0;  // the last revision handed out
};

}  // namespace tbx
