#include "gui/program_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/events.h"
#include "app/machine_boxes.h"
#include "app/startup.h"
#include "app/field_help.h"
#include "app/tool_boxes.h"
#include "gui/export_dialog.h"
#include "gui/gcode_highlighter.h"
#include "gui/qt_form.h"
#include "gui/qt_preview.h"
#include "gui/qt_step_list.h"
#include "gui/qt_tabs.h"
#include "gui/stock_dialog.h"
#include "gui/tool_library_dialog.h"
#include "gui/toolpath_pane.h"

namespace tbx {

namespace {
constexpr int kMaxRecent = 8;
const QString kRecentKey = QStringLiteral("recentFiles");
const QString kSizeKey = QStringLiteral("window/size");
const QString kPlaceKey = QStringLiteral("window/place");  // of the frame's top left corner
const QString kMaximizedKey = QStringLiteral("window/maximized");
const QString kPanesKey = QStringLiteral("window/panes");           // the main splitter
const QString kProgramPanesKey = QStringLiteral("window/programPanes");  // box over drawing
const QString kFullSectionKey = QStringLiteral("window/fullSection");
const QString kProgramFilter =
    QStringLiteral("Programs, .nc added to a name without one (*.nc *.ngc *.tap *.txt);;All files (*)");

// "part" is saved as "part.nc"; a name with an extension, or ending in a point, as it is.
QString WithProgramSuffix(const QString& path) {
  const QFileInfo info(path);
  if (!info.suffix().isEmpty() || info.fileName().isEmpty() || path.endsWith(QLatin1Char('.'))) return path;
  return path + QStringLiteral(".nc");
}

// The recent files' menu texts: the name, and its folder where another has the same name.
QStringList RecentTexts(const QStringList& paths) {
  QStringList texts;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    const auto same = std::count_if(paths.begin(), paths.end(), [&](const QString& other) {
      return QFileInfo(other).fileName() == info.fileName();
    });
    QString text = info.fileName();
    if (same > 1) {
      QString folder = QDir::toNativeSeparators(info.absolutePath());
      const QString home = QDir::toNativeSeparators(QDir::homePath());
      if (folder == home || folder.startsWith(home + QDir::separator()))
        folder = QStringLiteral("~") + folder.mid(home.size());
      text += QStringLiteral(" (") + folder + QLatin1Char(')');
    }
    texts << text;
  }
  return texts;
}
}  // namespace

ProgramWindow::ProgramWindow(QtForm& form, App& app, QSettings& settings)
    : form_(form), app_(app), settings_(settings), file_(app) {
  prompt_ = [this] {
    QMessageBox box(
        QMessageBox::Question, QString::fromUtf8(kProgramTitle), QString::fromLatin1(kQuestion),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, form_.MainWindow());
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
      case QMessageBox::Save:
        return Answer::Save;
      case QMessageBox::Discard:
        return Answer::Discard;
      default:
        return Answer::Cancel;
    }
  };
  readOnlyPrompt_ = [this](const std::string& refusal) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Save Program"),
                    QString::fromStdString(refusal) + QStringLiteral(".\nOverwrite it all the same?"),
                    QMessageBox::Cancel, form_.MainWindow());
    QPushButton* overwrite = box.addButton(QStringLiteral("&Overwrite"), QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == overwrite;
  };
  chooser_ = [this](bool forSaving, const QString& current) {
    if (!forSaving)
      return QFileDialog::getOpenFileName(form_.MainWindow(), QStringLiteral("Open Program"), current,
                                          kProgramFilter);
    // The dialog adds the suffix itself, so that it asks before replacing "part.nc".
    QFileDialog dialog(form_.MainWindow(), QStringLiteral("Save Program"), current, kProgramFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("nc"));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                  : QString();
  };
}

ProgramWindow::~ProgramWindow() = default;

void ProgramWindow::Install() {
  QMainWindow* window = form_.MainWindow();
  file_ = ProgramFile(app_);

  fileMenu_ = new QMenu(QStringLiteral("&File"), window);
  auto add = [&](const QString& text, QKeySequence keys, auto slot) {
    QAction* action = fileMenu_->addAction(text);
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  add(QStringLiteral("&New"), QKeySequence::New, [this] { NewProgram(); });
  add(QStringLiteral("&Open…"), QKeySequence::Open, [this] { OpenProgram(); });
  add(QStringLiteral("&Save"), QKeySequence::Save, [this] { Save(); });
  add(QStringLiteral("Save &As…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
      [this] { SaveAs(); });
  add(QStringLiteral("&Export…"), QKeySequence(Qt::CTRL | Qt::Key_E), [this] { ExportProgram(); });
  exportPlace_ = fileMenu_->addSeparator();
  recentPlace_ = fileMenu_->addSeparator();
  add(QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
      [this] { ClickIfEnabled(id::kExit); });
  QMenuBar* bar = window->menuBar();
  if (QAction* about = form_.MenuAction()) bar->removeAction(about);  // to the Help menu
  bar->addMenu(fileMenu_);
  ShowRecent();

  auto* box = qobject_cast<QPlainTextEdit*>(form_.Widget(kMainForm, id::kOutput));
  editMenu_ = bar->addMenu(QStringLiteral("&Edit"));
  auto edit = [&](const QString& text, QKeySequence keys, auto slot) {
    QAction* action = editMenu_->addAction(text);
    action->setShortcut(keys);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  // As the buttons: a box being typed in keeps Ctrl+Z for its own typing.
  QAction* undo = edit(QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { Undo(); });
  QAction* redo = edit(QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { Redo(); });
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  edit(QStringLiteral("&Copy Program"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { ClickIfEnabled(id::kCopy); });
  editMenu_->addSeparator();
  edit(QStringLiteral("Select &All"), QKeySequence::SelectAll, [box] {
    box->setFocus(Qt::ShortcutFocusReason);
    box->selectAll();
  });
  edit(QStringLiteral("&Find…"), QKeySequence::Find, [this] { ShowFind(); });
  editMenu_->addSeparator();
  edit(QStringLiteral("S&tock…"), QKeySequence(), [this] { EditStock(); });
  connect(editMenu_, &QMenu::aboutToShow, this, [this, undo, redo] {
    QWidget* button = form_.Widget(kMainForm, id::kUndo);
    undo->setEnabled(button && button->isEnabled());
    redo->setEnabled(CanRedo(app_));
  });

  // The program read back below the box; the window grows by what the drawing and the status
  // bar's new fields ask for.
  toolpath_ = new ToolpathPane(form_, app_, this);
  // The job's steps below the drawing.
  steps_ = new StepListPane(form_, app_, *toolpath_, [this] { Follow(); }, [this] { Undo(); }, [this] { Redo(); }, this);
  toolpath_->OnSimulated([this] { steps_->Refresh(); });
  // Page Up and Page Down in the drawing go through the steps, the part drawn at each.
  connect(toolpath_->Preview(), &ToolpathPreview::StepRequested, this, [this](int by) {
    const int count = steps_->List()->topLevelItemCount();
    if (count == 0) return;
    const int at = steps_->Current();
    steps_->Choose(std::clamp(at < 0 ? (by > 0 ? 0 : count - 1) : at + by, 0, count - 1));
  });
  viewMenu_ = bar->addMenu(QStringLiteral("&View"));
  QAction* warnings = viewMenu_->addAction(QStringLiteral("&Warnings…"));
  connect(warnings, &QAction::triggered, this, [this] { toolpath_->ShowWarnings(); });
  QAction* full = viewMenu_->addAction(QStringLiteral("&Full Section"));
  full->setObjectName(QStringLiteral("fullSection"));
  full->setCheckable(true);
  full->setToolTip(QStringLiteral("The part drawn whole, mirrored about the centre line"));
  connect(full, &QAction::toggled, this, [this](bool on) { toolpath_->Preview()->SetFullSection(on); });
  full->setChecked(settings_.value(kFullSectionKey, false).toBool());
  fullSection_ = full;
  viewMenu_->addSeparator();
  // Panes the user may hide; the always-visible controls stay.
  const std::pair<const char*, QWidget*> panes[] = {
      {"&Operations", form_.MainArea()->widget(0)}, {"&Program", box}, {"&Drawing", toolpath_->Preview()},
      {"&Steps", steps_->Pane()}};
  for (const auto& [text, pane] : panes) {
    QAction* toggle = viewMenu_->addAction(QString::fromUtf8(text));
    toggle->setCheckable(true);
    toggle->setChecked(settings_.value(PaneKey(toggle), true).toBool());
    pane->setVisible(toggle->isChecked());
    QPointer<QWidget> shown(pane);
    connect(toggle, &QAction::toggled, this, [shown](bool on) {
      if (shown) shown->setVisible(on);
    });
    paneToggles_.append(toggle);
  }
  QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
  connect(tools->addAction(QStringLiteral("Tool &Library…")), &QAction::triggered, this, [this] { EditToolLibrary(); });
  helpMenu_ = bar->addMenu(QStringLiteral("&Help"));
  if (QAction* about = form_.MenuAction()) {
    about->setShortcut(QKeySequence(Qt::Key_F1));
    helpMenu_->addAction(about);
  }

  // The OK of the page shown.
  auto shortcut = [&](QKeySequence keys, auto slot) {
    auto* s = new QShortcut(keys, window);
    connect(s, &QShortcut::activated, this, slot);
  };
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), [this] { PressCurrentOk(); });
  shortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), [this] { PressCurrentOk(); });

  ShowTooltips();

  highlighter_ = new GcodeHighlighter(box->document());
  // Typing in a long program compares it with the saved text once a pause, not per key.
  auto* typing = new QTimer(this);
  typing->setSingleShot(true);
  typing->setInterval(150);
  connect(typing, &QTimer::timeout, this, [this] { UpdateTitle(); });
  connect(box, &QPlainTextEdit::textChanged, typing, qOverload<>(&QTimer::start));
  // A pause in typing ends one change: Undo takes it back first, and the steps follow it.
  auto* pause = new QTimer(this);
  pause->setSingleShot(true);
  pause->setInterval(ToolpathPane::kTypingPauseMs);
  connect(pause, &QTimer::timeout, this, [this] {
    if (!form_.IsLoaded(kMainForm)) return;
    EndTyping(app_);
    Follow();
  });
  connect(box, &QPlainTextEdit::textChanged, pause, qOverload<>(&QTimer::start));

  unitsNote_ = new QLabel;
  unitsNote_->setObjectName(QStringLiteral("unitsNote"));
  window->statusBar()->addPermanentWidget(unitsNote_);
  ShowUnitsNote();
  // In a narrow window the fields give way (cut short, their text in the tooltip) rather than
  // run into each other or into a note.
  for (QWidget* field : window->statusBar()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (qobject_cast<QLabel*>(field) || qobject_cast<QAbstractButton*>(field)) field->setMinimumWidth(1);
  }

  window->resize(window->sizeHint().expandedTo(window->size()));
  QtForm::FitOnScreen(window);
  if (settings_.contains(kSizeKey) && settings_.contains(kPlaceKey)) {
    window->resize(settings_.value(kSizeKey).toSize());
    window->move(settings_.value(kPlaceKey).toPoint());
    QtForm::FitOnScreen(window);
    if (settings_.value(kMaximizedKey).toBool()) window->showMaximized();
  }
  form_.MainArea()->restoreState(settings_.value(kPanesKey).toByteArray());
  if (settings_.contains(kProgramPanesKey)) {
    form_.ProgramArea()->restoreState(settings_.value(kProgramPanesKey).toByteArray());
  } else {
    // The box, the drawing and the steps: half, three tenths and a fifth of the height.
    const int height = form_.ProgramArea()->height();
    form_.ProgramArea()->setSizes({height * 5 / 10, height * 3 / 10, height * 2 / 10});
  }
  UpdateTitle();
}

QString ProgramWindow::PaneKey(const QAction* toggle) {
  return QStringLiteral("window/show") + QString(toggle->text()).remove(QLatin1Char('&'));
}

void ProgramWindow::Event(std::string_view form, ControlId control, int message, int value) {
  const bool leaving = form == kMainForm && ((control == id::kExit && message == kMsgClick) ||
                                             (control == 0 && message == kMsgClose));
  if (leaving) {
    if (!MayDropChanges()) return;
    if (QMainWindow* window = form_.MainWindow()) {
      settings_.setValue(kMaximizedKey, window->isMaximized());
      settings_.setValue(kSizeKey, window->normalGeometry().size());
      settings_.setValue(
          kPlaceKey, window->isMaximized() ? window->normalGeometry().topLeft() : window->pos());
      settings_.setValue(kPanesKey, form_.MainArea()->saveState());
      settings_.setValue(kProgramPanesKey, form_.ProgramArea()->saveState());
      for (const QAction* toggle : paneToggles_) settings_.setValue(PaneKey(toggle), toggle->isChecked());
      if (fullSection_) settings_.setValue(kFullSectionKey, fullSection_->isChecked());
      settings_.sync();
    }
  }
  // Undo right after typing takes the typing back, as after a pause.
  if (form == kMainForm && control == id::kUndo && message == kMsgClick) EndTyping(app_);
  DispatchEvent(app_, form, control, message, value);
  if (form_.IsLoaded(kMainForm)) {
    if (app_.Metric() != tooltipsMetric_) ShowTooltips();
    Follow();
    if (control == id::kUndo && steps_) steps_->Reselect();
  }
}

void ProgramWindow::Follow() {
  if (!form_.IsLoaded(kMainForm)) return;
  UpdateTitle();
  ShowUnitsNote();
  if (toolpath_) toolpath_->Refresh();
  if (steps_) steps_->Refresh();
}

void ProgramWindow::Undo() { ClickIfEnabled(id::kUndo); }

void ProgramWindow::Redo() {
  EndTyping(app_);
  if (!RedoChange(app_)) return;
  Follow();
  if (steps_) steps_->Reselect();
}

void ProgramWindow::ShowUnitsNote() {
  if (!unitsNote_) return;
  const QString note = QString::fromStdString(tbx::UnitsNote(app_));
  unitsNote_->setText(note);
  unitsNote_->setVisible(!note.isEmpty());
}

bool ProgramWindow::MayDropChanges() {
  if (!file_.Modified(app_)) return true;
  switch (prompt_()) {
    case Answer::Save:
      return Save();
    case Answer::Discard:
      return true;
    case Answer::Cancel:
      break;
  }
  return false;
}

void ProgramWindow::NewProgram() {
  if (!MayDropChanges()) return;
  file_.New(app_);
  if (toolpath_) toolpath_->ForgetView();
  Follow();
}

void ProgramWindow::OpenProgram() {
  if (!MayDropChanges()) return;
  const QString path = chooser_(false, QString::fromStdString(file_.Path().string()));
  if (!path.isEmpty()) OpenFile(path);
}

bool ProgramWindow::OpenFile(const QString& name) {
  // A name given on the command line is relative to where turnbrix was started.
  const QString path = QFileInfo(name).absoluteFilePath();
  // Shown only for an open that takes more than half a second: reading the file, then laying
  // it out in the box and reading it back.
  QProgressDialog progress(QStringLiteral("Opening %1…").arg(QFileInfo(path).fileName()), QString(), 0, 100,
                           form_.MainWindow());
  progress.setWindowTitle(QStringLiteral("Open Program"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  progress.setCancelButton(nullptr);
  progress.setValue(0);
  const bool opened =
      file_.Open(app_, path.toStdString(), [&](double share) { progress.setValue(static_cast<int>(share * 40)); });
  progress.setValue(50);
  if (opened) AddRecent(path);
  if (opened && toolpath_) toolpath_->ForgetView();
  UpdateTitle();
  progress.setValue(70);
  if (toolpath_) toolpath_->Refresh();
  if (steps_) steps_->Refresh();
  progress.setValue(100);
  return opened;
}

bool ProgramWindow::Save() {
  if (file_.Path().empty()) return SaveAs();
  const bool saved = file_.Save(app_, file_.Path(), readOnlyPrompt_);
  if (saved) AddRecent(QString::fromStdString(file_.Path().string()));
  UpdateTitle();
  return saved;
}

bool ProgramWindow::SaveAs() {
  const QString path = WithProgramSuffix(chooser_(true, QString::fromStdString(file_.Path().string())));
  if (path.isEmpty()) return false;
  const bool saved = file_.Save(app_, path.toStdString(), readOnlyPrompt_);
  if (saved) AddRecent(path);
  UpdateTitle();
  return saved;
}

void ProgramWindow::ExportProgram() {
  const std::filesystem::path program = file_.Path();
  const QString suggested =
      program.empty() ? QString()
                      : QString::fromStdString(
                            (program.parent_path() / (program.stem().string() + "-export.nc")).string());
  ExportDialog dialog(app_, suggested, form_.MainWindow());
  if (exportChooser_) dialog.SetFileChooser(exportChooser_);
  if (dialog.exec() == QDialog::Accepted && form_.MainWindow())
    form_.MainWindow()->statusBar()->showMessage(dialog.Outcome());
}

void ProgramWindow::EditToolLibrary() {
  ToolLibraryDialog dialog(app_.tools, app_.home / kToolLibraryFileName, form_.MainWindow());
  if (dialog.exec() != QDialog::Accepted) return;
  app_.tools = dialog.Library();
  ShowTool(app_, false);
  Follow();
}

void ProgramWindow::EditStock() {
  SyncJob(app_);
  const toolpath::Toolpath& path = toolpath_->Path();
  StockDialog dialog(app_.job.stock, StockInEffect(Job{.steps = app_.job.steps}, path.extents.empty ? 0.0 : path.extents.minZ),
                     app_.Metric(), form_.MainWindow());
  if (dialog.exec() != QDialog::Accepted || dialog.Stock() == app_.job.stock) return;
  app_.job.stock = dialog.Stock();
  Follow();
}

// Edit > Find…: beside the window, the caret in the box on what it finds, from the caret on,
// round the end to the start; no letter case.
void ProgramWindow::ShowFind() {
  auto* box = qobject_cast<QPlainTextEdit*>(form_.Widget(kMainForm, id::kOutput));
  if (!box) return;
  if (!find_) {
    find_ = new QDialog(form_.MainWindow());
    find_->setWindowTitle(QStringLiteral("Find in the Program"));
    auto* text = new QLineEdit;
    text->setObjectName(QStringLiteral("findText"));
    auto* said = new QLabel;
    said->setObjectName(QStringLiteral("findResult"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* next = buttons->addButton(QStringLiteral("Find &Next"), QDialogButtonBox::ActionRole);
    QPushButton* previous = buttons->addButton(QStringLiteral("Find &Previous"), QDialogButtonBox::ActionRole);
    next->setDefault(true);
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("F&ind:"));
    caption->setBuddy(text);
    row->addWidget(caption);
    row->addWidget(text, 1);
    auto* column = new QVBoxLayout(find_);
    column->addLayout(row);
    column->addWidget(said);
    column->addWidget(buttons);
    auto go = [box, text, said](bool back) {
      SettleProgramBox(box);
      const QTextDocument::FindFlags flags = back ? QTextDocument::FindBackward : QTextDocument::FindFlags();
      QTextCursor found = box->document()->find(text->text(), box->textCursor(), flags);
      if (found.isNull()) {
        QTextCursor from(box->document());
        if (back) from.movePosition(QTextCursor::End);
        found = box->document()->find(text->text(), from, flags);
      }
      said->setText(found.isNull() && !text->text().isEmpty() ? QStringLiteral("Not in the program") : QString());
      if (!found.isNull()) box->setTextCursor(found);
    };
    connect(next, &QPushButton::clicked, find_, [go] { go(false); });
    connect(previous, &QPushButton::clicked, find_, [go] { go(true); });
    connect(buttons, &QDialogButtonBox::rejected, find_, &QDialog::reject);
  }
  SettleProgramBox(box);
  if (QTextCursor selected = box->textCursor(); selected.hasSelection() && !selected.selectedText().contains(QChar::ParagraphSeparator))
    find_->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(selected.selectedText());
  find_->show();
  find_->raise();
  find_->activateWindow();
  auto* text = find_->findChild<QLineEdit*>(QStringLiteral("findText"));
  text->setFocus(Qt::ShortcutFocusReason);
  text->selectAll();
}

QDialog* ProgramWindow::FindDialog() const { return find_; }

QStringList ProgramWindow::RecentFiles() const {
  return settings_.value(kRecentKey).toStringList();
}

void ProgramWindow::AddRecent(const QString& path) {
  QStringList recent = RecentFiles();
  const QString full = QFileInfo(path).absoluteFilePath();
  recent.removeAll(full);
  recent.prepend(full);
  while (recent.size() > kMaxRecent) recent.removeLast();
  settings_.setValue(kRecentKey, recent);
  ShowRecent();
}

void ProgramWindow::ShowRecent() {
  for (QAction* action : recentActions_) delete action;
  recentActions_.clear();
  const QStringList recent = RecentFiles();
  const QStringList texts = RecentTexts(recent);
  for (int i = 0; i < recent.size(); ++i) {
    const QString path = recent[i];
    QString name = texts[i];
    auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
                                   name.replace(QLatin1Char('&'), QStringLiteral("&&"))),
                               fileMenu_);
    action->setToolTip(path);
    action->setStatusTip(path);
    connect(action, &QAction::triggered, this, [this, path] {
      if (MayDropChanges()) OpenFile(path);
    });
    fileMenu_->insertAction(recentPlace_, action);
    recentActions_.append(action);
  }
}

void ProgramWindow::UpdateTitle() {
  QMainWindow* window = form_.MainWindow();
  if (!window) return;
  window->setWindowTitle(QString::fromStdString(file_.DisplayName()) + QStringLiteral("[*] - ") +
                         QString::fromUtf8(kProgramTitle));
  window->setWindowModified(file_.Modified(app_));
}

void ProgramWindow::ClickIfEnabled(ControlId id) {
  auto* button = qobject_cast<QAbstractButton*>(form_.Widget(kMainForm, id));
  if (button && button->isEnabled() && button->isVisible()) button->click();
}

// The fields' help with its unit in the unit system in use, on the box and on its caption.
void ProgramWindow::ShowTooltips() {
  tooltipsMetric_ = app_.Metric();
  auto show = [&](const OperationDescriptor& op) {
    for (const Field& f : op.fields) {
      const QString tip = QString::fromStdString(Tooltip(app_.operations, f.id, tooltipsMetric_));
      if (tip.isEmpty()) continue;
      for (ControlId id : {f.id, f.label})
        if (QWidget* w = id ? form_.Widget(kMainForm, id) : nullptr) w->setToolTip(tip);
    }
  };
  for (const OperationDescriptor* op : app_.operations.pages) show(*op);
  if (app_.operations.shared) show(*app_.operations.shared);
}

// The shown page's OK, or on a page without one its first button (Calc).
void ProgramWindow::PressCurrentOk() {
  auto* tabs = dynamic_cast<PageChooser*>(form_.Widget(kMainForm, id::kTabs));
  if (!tabs || tabs->currentIndex() < 0 || tabs->currentIndex() >= TabCount(app_.operations)) return;
  const OperationDescriptor& op = *app_.operations.pages[static_cast<std::size_t>(tabs->currentIndex())];
  ControlId ok = op.ok;
  for (const Field& f : op.fields)
    if (!ok && f.kind == FieldKind::Button) ok = f.id;
  auto* button = qobject_cast<QAbstractButton*>(form_.Widget(kMainForm, ok));
  if (!button || !button->isEnabled()) return;
  // As a click would: the box being edited is left first.
  button->setFocus(Qt::ShortcutFocusReason);
  button->click();
}

}  // namespace tbx
