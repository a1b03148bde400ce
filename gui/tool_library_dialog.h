#pragma once
// Tools > Tool Library…: the library's tools in a table to add, duplicate, delete and edit,
// the selected one drawn to scale beside its fields. A field that CheckTool refuses is
// marked and named below the fields; OK saves the whole library by the safe save and is
// refused while any tool is wrong; Cancel changes nothing.
#include <QDialog>
#include <QWidget>
#include <filesystem>
#include <optional>

#include "data/tool_library.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tbx {

// The insert and holder of one tool, fitted to the widget around the insert.
class ToolSketch : public QWidget {
 public:
  explicit ToolSketch(QWidget* parent = nullptr);
  void SetTool(std::optional<Tool> tool, bool metric);
  QSize sizeHint() const override { return {260, 260}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<Tool> tool_;
  bool metric_ = false;
};

class ToolLibraryDialog : public QDialog {
 public:
  ToolLibraryDialog(ToolLibrary library, std::filesystem::path file, QWidget* parent);

  // The library as edited; after an accepted dialog, as saved.
  const ToolLibrary& Library() const { return library_; }

  QTableWidget* Table() const { return table_; }
  // The editor of a setting by its name in the file ("radius").
  QWidget* Editor(std::string_view field) const;
  QLabel* Problem() const { return problem_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DuplicateButton() const { return duplicate_; }
  QPushButton* DeleteButton() const { return delete_; }
  ToolSketch* Sketch() const { return sketch_; }

  void accept() override;

 private:
  struct Field {
    std::string_view key;
    QLineEdit* edit = nullptr;
    QComboBox* combo = nullptr;
    QLabel* label = nullptr;
  };
  // The editors of the current tool read into it; the problem with it, if any.
  ToolProblem ReadEditors();
  // What CheckTool says of a tool, or that its T word is another's.
  ToolProblem ProblemOf(int row) const;
  void ShowTool(int row);
  void ShowRow(int row);
  // Names and marks the problem (none clears the marks); the editor at fault gets the focus
  // when `focus`.
  void ShowProblem(const ToolProblem& problem, bool focus);
  void Edited();
  void KindChanged();
  void Add(const Tool& tool);
  void Delete();
  void EnableFields();
  int FreeNumber() const;
  Field* FieldOf(std::string_view key);

  ToolLibrary library_;
  std::filesystem::path file_;
  int current_ = -1;
  bool filling_ = false;
  QTableWidget* table_ = nullptr;
  std::vector<Field> fields_;
  QLabel* problem_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* duplicate_ = nullptr;
  QPushButton* delete_ = nullptr;
  ToolSketch* sketch_ = nullptr;
};

}  // namespace tbx
