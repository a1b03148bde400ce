#pragma once
// File > Export…: the program box for another control. The dialect, the unit system it is
// read in (the Metric box) and a file; the box itself is never changed. LinuxCNC's tool table
// goes beside the program, NAME.tbl for NAME.ngc, as the command line writes it.
#include <QDialog>
#include <QString>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tbx {

struct App;

class ExportDialog : public QDialog {
 public:
  // The file to write, from the user; empty when cancelled. The tests answer it themselves.
  using FileChooser = std::function<QString(const QString& current)>;

  ExportDialog(App& app, const QString& suggestedFile, QWidget* parent);
  void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

  // Writes the export to the file named; false (the dialog stays) when there is nothing to
  // write or the file cannot be written, which a message says.
  bool Export();

  QComboBox* Dialect() const { return dialect_; }
  QLabel* Units() const { return units_; }
  QLineEdit* File() const { return file_; }
  QPushButton* ExportButton() const { return export_; }
  // After a successful export: where it and its tool table were written, as what, and how much
  // it could not carry.
  QString Outcome() const { return outcome_; }

 private:
  void Browse();

  App& app_;
  FileChooser chooser_;
  QComboBox* dialect_ = nullptr;
  QLabel* units_ = nullptr;
  QLineEdit* file_ = nullptr;
  QPushButton* export_ = nullptr;
  QString outcome_;
};

}  // namespace tbx
