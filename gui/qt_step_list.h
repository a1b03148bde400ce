#pragma once
// The job's steps as a list below the drawing: one row a step (its number, tab, comment, tool
// by T word and library name, and run time), the step being edited and the steps edited by hand marked. Choosing a row
// selects its blocks in the program box, so the drawing shows its moves bold and the part as it
// leaves it; a step with warnings is marked, its warnings in the tooltip; the list edits,
// moves, deletes and duplicates steps, by keys, buttons, a context menu and dragging.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "app/job.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QWidget;

namespace tbx {

struct App;
class QtForm;
class ToolpathPane;

class StepListPane : public QObject {
 public:
  // `changed` runs after the list changed the job (the window's title, drawing and the list
  // follow it); `undo` and `redo` are the window's own commands.
  StepListPane(QtForm& form, App& app, ToolpathPane& toolpath, std::function<void()> changed,
               std::function<void()> undo, std::function<void()> redo, QObject* parent);

  // Shows the job as it stands: rows are rewritten only where a step changed.
  void Refresh();

  QWidget* Pane() const { return pane_; }
  QTreeWidget* List() const { return list_; }
  // The row chosen, from 0, or -1.
  int Current() const;
  void Choose(int row);
  // The chosen row's blocks selected again, after Undo or Redo changed the program under it.
  void Reselect() { Choose(Current()); }
  // The commands, on the row chosen; false when none applies.
  bool Edit();
  bool MoveBy(int rows);
  bool Delete();
  bool Duplicate();
  void CancelEdit();
  QPushButton* Button(const QString& objectName) const;

  enum Column { kNumber, kTab, kComment, kTool, kTime, kColumns };
  // In the status bar: the step whose blocks hold the caret, with its tool.
  QLabel* CaretStep() const { return caretStep_; }

 private:
  // A step's T word with the library tool's name ("T0101 OD rough CNMG 432"), and the tool's
  // kind and geometry for the tooltip; empty for a text step.
  struct StepTool {
    QString text, about;
  };
  StepTool ToolOf(const JobStep& step) const;
  void ShowCaretStep();
  // The drawing's part as the chosen step leaves it; the whole job with none chosen.
  void ShowPart();
  void Selected();
  void Enable();
  // Runs a command of the job and has the window follow it.
  bool Run(const std::function<bool()>& command);
  void ShowEditing();

  QtForm& form_;
  App& app_;
  ToolpathPane& toolpath_;
  std::function<void()> changed_, undo_, redo_;
  QPlainTextEdit* box_ = nullptr;
  QWidget* pane_ = nullptr;
  QTreeWidget* list_ = nullptr;
  std::vector<QPushButton*> buttons_;
  std::vector<QAction*> actions_;
  QLabel* caretStep_ = nullptr;
  // What the rows show, to rewrite only those that changed.
  std::vector<QStringList> shown_;
  std::vector<StepLines> lines_;
  int editing_ = -1;             // the step the window shows as being edited
  QString okCaption_;            // the edited tab's OK caption, given back after the edit
  QPointer<QWidget> okButton_;
  bool quiet_ = false;           // the program chooses the row: no blocks selected
};

}  // namespace tbx
