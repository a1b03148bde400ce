#pragma once
// The main window around the form: the File menu and program files, the title, the question
// before unsaved changes are lost, keyboard shortcuts, tooltips, program colouring, and the
// window's size and place kept between runs.
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string_view>

#include "app/form_model.h"
#include "app/program_file.h"

class QAction;
class QDialog;
class QMenu;
class QSettings;

namespace tbx {

struct App;
class QtForm;
class GcodeHighlighter;
class ToolpathPane;
class StepListPane;

class ProgramWindow : public QObject {
 public:
  enum class Answer { Save, Discard, Cancel };
  // "Save changes to the program?" The tests answer it themselves.
  using Prompt = std::function<Answer()>;
  // The file to open, or to save to; empty when the user cancelled.
  using FileChooser = std::function<QString(bool forSaving, const QString& current)>;

  static constexpr const char* kQuestion = "Save changes to the program?";

  ProgramWindow(QtForm& form, App& app, QSettings& settings);
  ~ProgramWindow() override;

  // After a successful start-up.
  void Install();
  // Every event of the form comes here (the form's event sink): Exit and closing the main
  // window ask first, then the logic handles it.
  void Event(std::string_view form, ControlId control, int message, int value);

  void SetPrompt(Prompt prompt) { prompt_ = std::move(prompt); }
  // Asked, with the refusal, whether a read-only file may be overwritten; the tests answer it.
  void SetReadOnlyPrompt(ProgramFile::ReadOnlyQuestion prompt) { readOnlyPrompt_ = std::move(prompt); }
  // The status bar's note while the program is read in other units than the Metric box says.
  QLabel* UnitsNote() const { return unitsNote_; }
  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

  // The menu commands.
  void NewProgram();
  void OpenProgram();
  // Also the FILE of `turnbrix FILE`; refusals are shown as messages.
  bool OpenFile(const QString& name);
  bool Save();
  bool SaveAs();
  // File > Export…: the dialog, modal; the tests reach it as the active modal widget.
  void ExportProgram();
  // Tools > Tool Library…, modal likewise; OK saves tools.toml and the window uses it at once.
  void EditToolLibrary();
  // Edit > Stock…: the job's stock, or back to the default.
  void EditStock();

  ProgramFile& File() { return file_; }
  QMenu* FileMenu() const { return fileMenu_; }
  // Export… and its like go in before this separator.
  QAction* ExportPlace() const { return exportPlace_; }
  QStringList RecentFiles() const;
  GcodeHighlighter* Highlighter() const { return highlighter_; }
  ToolpathPane* Toolpath() const { return toolpath_; }
  StepListPane* Steps() const { return steps_; }
  // Edit > Undo and Redo: what was typed is a change of its own first.
  void Undo();
  void Redo();
  QMenu* ViewMenu() const { return viewMenu_; }
  QMenu* EditMenu() const { return editMenu_; }
  QMenu* HelpMenu() const { return helpMenu_; }
  // View > Operations, Program, Drawing, Steps: the panes' toggles.
  const QList<QAction*>& PaneToggles() const { return paneToggles_; }
  // Edit > Find…; the dialog stays open beside the window.
  void ShowFind();
  QDialog* FindDialog() const;
  // The file the export dialog writes, when the tests choose it (else a file dialog).
  void SetExportChooser(std::function<QString(const QString&)> chooser) {
    exportChooser_ = std::move(chooser);
  }

 private:
  // Asks when there are unsaved changes; false when the user cancelled (or saving failed).
  bool MayDropChanges();
  void AddRecent(const QString& path);
  void ShowRecent();
  void UpdateTitle();
  void ShowUnitsNote();
  void ClickIfEnabled(ControlId id);
  // The window follows a change of the program or the job: title, notes, drawing, steps.
  void Follow();
  void PressCurrentOk();
  void ShowTooltips();
  static QString PaneKey(const QAction* toggle);

  QtForm& form_;
  App& app_;
  QSettings& settings_;
  ProgramFile file_;
  Prompt prompt_;
  ProgramFile::ReadOnlyQuestion readOnlyPrompt_;
  FileChooser chooser_;
  QPointer<QLabel> unitsNote_;
  QPointer<QMenu> fileMenu_;
  QPointer<QAction> exportPlace_;
  QPointer<QAction> recentPlace_;
  QList<QAction*> recentActions_;
  GcodeHighlighter* highlighter_ = nullptr;
  ToolpathPane* toolpath_ = nullptr;
  StepListPane* steps_ = nullptr;
  QPointer<QMenu> viewMenu_;
  QPointer<QMenu> editMenu_;
  QPointer<QMenu> helpMenu_;
  QList<QAction*> paneToggles_;
  QAction* fullSection_ = nullptr;  // View > Full Section
  QPointer<QDialog> find_;
  std::function<QString(const QString&)> exportChooser_;
  bool tooltipsMetric_ = false;  // the unit system the tooltips name
};

}  // namespace tbx
