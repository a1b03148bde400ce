#include "gui/export_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "app/machine_boxes.h"
#include "data/safe_save.h"
#include "toolpath/export.h"

namespace tbx {

namespace {
constexpr const char* kExportTitle = "Export Program";
const QString kExportFilter =
    QStringLiteral("Programs (*.nc *.ngc *.tap *.txt);;All files (*)");

std::string Listed(const std::vector<toolpath::Finding>& findings) {
  std::string text;
  for (const toolpath::Finding& f : findings)
    text += "\nLine " + std::to_string(f.line) + ": " + f.text;
  return text;
}
}  // namespace

ExportDialog::ExportDialog(App& app, const QString& suggestedFile, QWidget* parent)
    : QDialog(parent), app_(app) {
  setWindowTitle(QStringLiteral("Export"));
  chooser_ = [this](const QString& current) {
    return QFileDialog::getSaveFileName(this, QString::fromLatin1(kExportTitle), current,
                                        kExportFilter);
  };
  dialect_ = new QComboBox;
  for (const toolpath::DialectName& d : toolpath::Dialects())
    dialect_->addItem(QString::fromLatin1(d.display), QString::fromLatin1(d.id));
  units_ = new QLabel(QStringLiteral("%1, the unit system the program was started in")
                          .arg(QLatin1String(toolpath::UnitSystemName(app_.machine.metricBoxes))));
  file_ = new QLineEdit(suggestedFile);
  file_->setMinimumWidth(file_->fontMetrics().averageCharWidth() * 48);
  auto* browse = new QPushButton(QStringLiteral("&Browse…"));
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(file_, 1);
  fileRow->addWidget(browse);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Dialect:"), dialect_);
  form->addRow(QStringLiteral("Units:"), units_);
  // A label given as text has no buddy when its field is a layout, and would show its "&".
  auto* fileLabel = new QLabel(QStringLiteral("&File:"));
  fileLabel->setBuddy(file_);
  form->addRow(fileLabel, fileRow);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
  export_ = buttons->addButton(QStringLiteral("&Export"), QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Export()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  // Made default once in the dialog, so that the dialog knows it as its own: Enter in the File
  // box exports, where it would press whichever button had last been focused (Cancel).
  export_->setDefault(true);
}

void ExportDialog::Browse() {
  const QString chosen = chooser_(file_->text());
  if (!chosen.isEmpty()) file_->setText(chosen);
}

bool ExportDialog::Export() {
  if (file_->text().trimmed().isEmpty()) Browse();
  const QString file = file_->text().trimmed();
  if (file.isEmpty()) return false;
  if (const std::string note = UnitsNote(app_); !note.empty()) {
    app_.ui.MessageBox("Not exported: " + note + "; " + kRestartBeforeExport, kExportTitle, MessageIcon::Exclamation);
    return false;
  }
  toolpath::Dialect dialect = toolpath::Dialect::AsWritten;
  toolpath::DialectFromId(dialect_->currentData().toString().toStdString(), dialect);
  const toolpath::ExportResult result =
      toolpath::ExportProgram(app_.Text(id::kOutput), dialect, ProgramToolpathSettings(app_));
  const std::string path = file.toStdString();
  // Blocks that cannot be read are left out, so the file would not cut the program's path.
  const std::vector<toolpath::Finding> firstDropped(
      result.dropped.begin(), result.dropped.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(result.dropped.size(), 20)));
  if (!result.dropped.empty() && !result.text.empty() &&
      QMessageBox::question(this, QString::fromLatin1(kExportTitle),
                            QString::fromStdString("These blocks cannot be read and would be left out of " + path +
                                                   ":" + Listed(firstDropped) +
                                                   (result.dropped.size() > 20 ? "\n..." : "") + "\n\nExport without them?"),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
    return false;
  }
  if (result.text.empty() && !result.findings.empty()) {
    app_.ui.MessageBox("Nothing to export to " + path + ":" + Listed(result.findings),
                       kExportTitle, MessageIcon::Exclamation);
    return false;
  }
  // LinuxCNC's tool table beside the program, as the command line writes it, for the diameters
  // and orientations G41/G42 compensate with.
  const bool withTable = dialect == toolpath::Dialect::LinuxCnc;
  const std::filesystem::path table = std::filesystem::path(path).replace_extension(".tbl");
  if (withTable && table == std::filesystem::path(path)) {
    app_.ui.MessageBox("Cannot export to " + path + ": the tool table " + table.filename().string() +
                           " would be written over it; name the program .ngc",
                       kExportTitle, MessageIcon::Exclamation);
    return false;
  }
  if (const SafeSaveResult saved = SafeSave(path, result.text); !saved) {
    app_.ui.MessageBox("Cannot export to " + path + ": " + saved.error, kExportTitle,
                       MessageIcon::Exclamation);
    return false;
  }
  if (const SafeSaveResult saved = withTable ? SafeSave(table, result.toolTable) : SafeSaveResult{}; !saved) {
    app_.ui.MessageBox(path + " was written, but not its tool table: cannot write " + table.string() + ": " +
                           saved.error,
                       kExportTitle, MessageIcon::Exclamation);
    return false;
  }
  if (!result.findings.empty()) {
    app_.ui.MessageBox(path + " was written. What it could not carry:" + Listed(result.findings),
                       kExportTitle, MessageIcon::Exclamation);
  }
  outcome_ = withTable ? QStringLiteral("Exported to %1 and its tool table %2 (%3)")
                             .arg(file, QString::fromStdString(table.string()), dialect_->currentText())
                       : QStringLiteral("Exported to %1 (%2)").arg(file, dialect_->currentText());
  const auto lines = [](std::size_t n) { return QString::number(n) + (n == 1 ? QStringLiteral(" line") : QStringLiteral(" lines")); };
  if (!result.findings.empty()) outcome_ += QStringLiteral("; it could not carry ") + lines(result.findings.size());
  if (!result.dropped.empty()) outcome_ += QStringLiteral("; left out ") + lines(result.dropped.size()) + QStringLiteral(" that cannot be read");
  return true;
}

}  // namespace tbx
