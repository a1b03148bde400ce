#pragma once
// The form model on Qt widgets. Every control is a real widget placed at its catalogue cell;
// the logic sees only FormModel, and user actions come back through the event sink.
#include <QAction>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QSizeF>
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

namespace tbx {

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
  // The main form may grow past its grid: the control `id` takes the extra room, the controls
  // below it move down with its lower edge. The control is held in a splitter (ProgramArea) so
  // that other panes can stand beside it. Smaller than the grid, the form scrolls.
  void SetStretch(std::string_view form, ControlId id);
  QSplitter* ProgramArea() const { return programArea_; }

  void CreateForm(std::string_view name, std::string_view parent, std::string_view caption,
                  double column, double row, double width, double height,
                  std::string_view style) override;
  void ResizeForm(std::string_view name, double column, double row, double width, double height,
                  int flag) override;
  void ShowForm(std::string_view name) override;
  void HideForm(std::string_view name) override;
  void UnloadForm(std::string_view name) override;
  bool IsLoaded(std::string_view name) const override;
  void DefineMainMenu(int menuId, std::string_view caption) override;
  void SetLayer(int layer) override { layer_ = layer; }
  void CreateControl(std::string_view form, const ControlSpec& entry) override;
  void DefineFont(int slot, std::string_view face, int points, std::string_view style) override;
  void UseFont(int slot) override;
  void SetColor(int foreground, int background) override;
  void DisplayLayer(std::string_view form, int layer, int flag) override;
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
  // The note goes to the status bar and the box is marked; an empty note unmarks it.
  void FieldNote(std::string_view form, ControlId id, std::string_view note) override;

  // The widgets, for the executable (screenshots) and the tests.
  QWidget* Window(std::string_view form) const;
  QWidget* Widget(std::string_view form, ControlId id) const;
  QAction* MenuAction() const { return menuAction_; }
  QMainWindow* MainWindow() const;
  // Keeps a top-level window inside its screen's available area, shrinking it to fit.
  static void FitOnScreen(QWidget* window);
  // The size of a form's grid in pixels.
  QSize GridSize(std::string_view form) const;
  // Whether the box is marked as having held text that was not a number.
  bool IsMarked(std::string_view form, ControlId id) const;
  // Pixels of one grid column and one grid row on the form.
  QSizeF GridUnit(std::string_view form) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Control;
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
  QWidget* MakeWidget(Form& form, Control& control, std::string_view text);
  void Connect(Form& form, Control& control);
  void Raise(const Form& form, ControlId control, int message, int value);
  void RaiseFrom(const Form& form, const Control& control, int message, int value);
  void RadioClicked(const Form& form, const Control& control);
  void CloseRequested(Form& form);
  void FixGridUnit(Form& form);
  void Place(const Form& form, Control& control);
  void ApplySize(Form& form);
  void UpdateVisibility(Form& form);
  void FocusNamedField(std::string_view message);
  void ShowWholeGrid(Form& form);
  void Stretch(Form& form);
  QWidget* Outer(const Control& control) const;

  std::map<std::string, std::unique_ptr<Form>, std::less<>> forms_;
  std::map<const QObject*, std::pair<Form*, Control*>> textBoxes_;  // watched for focus loss
  std::map<int, QFont> fonts_;
  int font_ = -1;
  int layer_ = 0;
  int foreground_ = -1, background_ = -1;
  int menuId_ = 0;
  std::string menuCaption_;
  QPointer<QAction> menuAction_;
  QSplitter* programArea_ = nullptr;
  EventSink sink_;
  MessageSink messageSink_;
  std::deque<Event> pending_;
  bool dispatching_ = false;
  std::uint64_t revisions_ = 0;  // the last revision handed out
};

}  // namespace tbx
