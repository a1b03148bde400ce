#include "gui/toolpath_pane.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/machine_boxes.h"
#include "app/step_sizes.h"
#include "gui/qt_form.h"
#include "gui/qt_preview.h"
#include "program/numbers.h"
#include "toolpath/expander.h"

namespace tbx {

namespace {

QString Counted(std::size_t n, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

// Unreadable blocks and warnings together, in program order.
std::vector<toolpath::Finding> Findings(const toolpath::Toolpath& path) {
  std::vector<toolpath::Finding> all = path.diagnostics;
  all.insert(all.end(), path.warnings.begin(), path.warnings.end());
  std::stable_sort(all.begin(), all.end(),
                   [](const auto& a, const auto& b) { return a.line < b.line; });
  return all;
}

// Everything the drawing depends on besides the text.
std::string SettingsKey(const toolpath::ToolpathSettings& s) {
  return std::string(s.metric ? "mm " : "in ") + PlainDecimal(s.toolChange.x, 6) + ' ' +
         PlainDecimal(s.toolChange.z, 6) + '\n' + MachineSettingsText(s.machine) +
         (s.tools ? ToolLibraryText(*s.tools) : std::string());
}

}  // namespace

QString RunTimeText(double seconds) {
  const long long whole = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
  const long long h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
  if (h > 0) return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
  return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

ToolpathPane::ToolpathPane(QtForm& form, App& app, QObject* parent)
    : QObject(parent), form_(form), app_(app) {
  box_ = qobject_cast<QPlainTextEdit*>(form_.Widget(kMainForm, id::kOutput));
  QSplitter* area = form_.ProgramArea();
  preview_ = new ToolpathPreview;
  preview_->setObjectName(QStringLiteral("toolpathPreview"));
  preview_->setToolTip(QStringLiteral(
      "The program read back: rapids dashed, feeds blue, threads orange, tool changes circled. "
      "Wheel or + and - to zoom, drag or the arrow keys to pan, double-click or Home to fit; "
      "click a move to select its block."));
  // Below the program box, which is as wide as the area; the two share its height.
  area->addWidget(preview_);
  area->setStretchFactor(0, 1);
  area->setStretchFactor(1, 1);

  QStatusBar* bar = form_.MainWindow()->statusBar();
  pointer_ = new QLabel;
  pointer_->setMinimumWidth(pointer_->fontMetrics().horizontalAdvance(QStringLiteral("X -000.0000  Z -0000.0000")));
  bar->addPermanentWidget(pointer_);
  connect(preview_, &ToolpathPreview::PointerMoved, pointer_, &QLabel::setText);
  runTime_ = new QLabel;
  operations_ = new QLabel;
  warnings_ = new QToolButton;
  warnings_->setAutoRaise(true);
  warnings_->setToolTip(QStringLiteral("List the warnings"));
  for (QWidget* w : {static_cast<QWidget*>(runTime_), static_cast<QWidget*>(operations_),
                     static_cast<QWidget*>(warnings_)})
    bar->addPermanentWidget(w);
  connect(warnings_, &QToolButton::clicked, this, [this] { ShowWarnings(); });

  typing_ = new QTimer(this);
  typing_->setSingleShot(true);
  typing_->setInterval(kTypingPauseMs);
  connect(typing_, &QTimer::timeout, this, [this] { Refresh(); });
  connect(box_, &QPlainTextEdit::textChanged, typing_, qOverload<>(&QTimer::start));
  connect(box_, &QPlainTextEdit::cursorPositionChanged, this, [this] { HighlightSelection(); });
  connect(box_, &QPlainTextEdit::selectionChanged, this, [this] { HighlightSelection(); });
  preview_->SetOverlay([this](QPainter& painter, const QTransform& view) { tool_.Paint(painter, view); });
  connect(preview_, &ToolpathPreview::MoveClicked, this,
          [this](int line) { GoToLine(line, true); });
  Refresh();
}

ToolpathPane::~ToolpathPane() {
  if (worker_.joinable()) worker_.join();
}

void ToolpathPane::Refresh() {
  if (!form_.IsLoaded(kMainForm)) return;
  toolpath::ToolpathSettings settings = ProgramToolpathSettings(app_);
  const std::string text = app_.Text(id::kOutput);
  // The default stock follows the steps; the job's own is part of the key.
  const toolpath::Stock& set = app_.job.stock;
  std::string key = SettingsKey(settings) + text;
  for (const double v : {set.outerDia, set.bore, set.frontZ, set.length, set.chuckZ, set.jawDia, set.jawLength})
    key += ' ' + PlainDecimal(v, 6);
  const toolpath::Stock fallback = StockInEffect(app_.job, 0);
  for (const double v : {fallback.outerDia, fallback.frontZ}) key += ' ' + PlainDecimal(v, 6);
  if (drawn_ && key == drawnKey_) return;
  typing_->stop();
  // A long program's simulation takes seconds: its moves are drawn at once and the part and
  // the stock's findings follow from a worker; a short one is simulated in line.
  const bool inWorker = std::count(text.begin(), text.end(), '\n') >= kWorkerLines;
  settings.stock = inWorker ? toolpath::Stock{} : set;
  toolpath::Toolpath path = toolpath::ExpandProgram(text, settings);
  // Not set: the default needs the job's deepest Z, which only the moves know.
  settings.stock = set.Known() ? set : StockInEffect(app_.job, path.extents.empty ? 0.0 : path.extents.minZ);
  if (!inWorker && !set.Known() && settings.stock.Known()) path = toolpath::ExpandProgram(text, settings);
  drawnKey_ = std::move(key);
  drawn_ = true;
  if (inWorker && settings.stock.Known()) {
    // The worker reads its own copy of the tools: the window may change them meanwhile.
    auto job = std::make_shared<SimulationJob>(SimulationJob{drawnKey_, text, settings, app_.tools, {}});
    job->settings.tools = &job->tools;
    next_ = std::move(job);
    if (!worker_.joinable()) StartWorker();
  } else {
    next_.reset();
  }
  Show(std::move(path), text, settings);
}

void ToolpathPane::Show(toolpath::Toolpath path, const std::string& text, const toolpath::ToolpathSettings& settings) {
  path_ = std::move(path);
  AddShortSteps(text, settings);
  // A program of unreadable lines would list millions: the first ones and a count do.
  unlisted_ = path_.diagnostics.size() > kMaxKeptDiagnostics ? path_.diagnostics.size() - kMaxKeptDiagnostics : 0;
  if (unlisted_ > 0) {
    path_.diagnostics.resize(kMaxKeptDiagnostics);
    path_.diagnostics.shrink_to_fit();
  }
  preview_->SetMetric(settings.metric);
  preview_->SetToolpath(path_);
  // While the worker simulates, the part it simulated last stays under the new moves.
  if (path_.simulation || !Simulating()) preview_->SetSimulation(path_.simulation);
  tool_.SetPath(path_, text, settings);
  HighlightSelection();
  ShowStatus();
  if (dialog_ && dialog_->isVisible()) FillWarnings();
}

void ToolpathPane::AddShortSteps(const std::string& text, const toolpath::ToolpathSettings& settings) {
  if (!path_.simulation) return;
  // The job as the box holds it: typing not yet taken into the steps is taken into a copy.
  Job typed;
  const bool taken = JobText(app_.job) == text;
  if (!taken) {
    typed.steps = app_.job.steps;
    ReconcileJob(typed, text);
  }
  const std::vector<toolpath::Finding> found = StepsLeftShort(taken ? app_.job : typed, path_, settings);
  if (found.empty()) return;
  std::vector<toolpath::Finding>& all = path_.warnings;
  const std::ptrdiff_t own = static_cast<std::ptrdiff_t>(all.size());
  all.insert(all.end(), found.begin(), found.end());
  std::inplace_merge(all.begin(), all.begin() + own, all.end(),
                     [](const toolpath::Finding& a, const toolpath::Finding& b) { return a.line < b.line; });
}

bool ToolpathPane::Simulating() const { return worker_.joinable(); }

void ToolpathPane::StartWorker() {
  std::shared_ptr<SimulationJob> job = std::move(next_);
  worker_ = std::thread([this, job] {
    job->path = toolpath::ExpandProgram(job->text, job->settings);
    QMetaObject::invokeMethod(this, [this, job] { Simulated(job); }, Qt::QueuedConnection);
  });
}

void ToolpathPane::Simulated(const std::shared_ptr<SimulationJob>& job) {
  worker_.join();
  if (next_) StartWorker();
  // A program changed since has its own simulation coming.
  if (job->key != drawnKey_) return;
  Show(std::move(job->path), job->text, job->settings);
  if (simulated_) simulated_();
}

void ToolpathPane::ForgetView() { preview_->ZoomToFit(); }

void ToolpathPane::ShowWholePart() { preview_->ShowWholePart(); }

void ToolpathPane::ShowPartAtLines(int first, int last) {
  // The operations (tool change to tool change) whose moves lie on the lines; none: the part
  // as the operations before them leave it.
  int from = -1, to = -1, before = -1;
  for (std::size_t i = 0; i < path_.operations.size(); ++i) {
    const toolpath::OperationSummary& op = path_.operations[i];
    if (op.firstMove >= op.endMove || op.endMove > path_.moves.size()) continue;
    const int a = path_.moves[op.firstMove].line, b = path_.moves[op.endMove - 1].line;
    if (b < first) before = static_cast<int>(i);
    if (a <= last && b >= first) {
      if (from < 0) from = static_cast<int>(i);
      to = static_cast<int>(i);
    }
  }
  if (from < 0) preview_->ShowPartAt(before + 1, before);
  else preview_->ShowPartAt(from, to);
}

void ToolpathPane::ShowStatus() {
  runTime_->setText(QStringLiteral("Run time ") + RunTimeText(path_.seconds));
  runTime_->setToolTip(QStringLiteral("%1 s at the machine settings of the Settings tab")
                           .arg(QString::fromStdString(PlainDecimal(path_.seconds, 1))));
  operations_->setText(Counted(path_.operations.size(), "operation", "operations"));
  const std::size_t count = path_.warnings.size() + path_.diagnostics.size() + unlisted_;
  warnings_->setText(count == 0 ? QStringLiteral("No warnings") : Counted(count, "warning", "warnings"));
}

void ToolpathPane::ShowWarnings() {
  Refresh();
  if (!dialog_) {
    dialog_ = new QDialog(form_.MainWindow());
    dialog_->setWindowTitle(QStringLiteral("Warnings"));
    auto* layout = new QVBoxLayout(dialog_);
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("warnings"));
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, dialog_, &QDialog::reject);
    auto go = [this](QListWidgetItem* item) {
      if (item) GoToLine(item->data(Qt::UserRole).toInt(), false);
    };
    connect(list_, &QListWidget::itemClicked, this, go);
    connect(list_, &QListWidget::itemActivated, this, go);
    const QFontMetrics metrics(list_->font());
    dialog_->resize(metrics.averageCharWidth() * 80, metrics.lineSpacing() * 16);
  }
  FillWarnings();
  dialog_->show();
  dialog_->raise();
  dialog_->activateWindow();
}

void ToolpathPane::FillWarnings() {
  list_->clear();
  for (const toolpath::Finding& f : Findings(path_)) {
    QString text = QStringLiteral("Line %1: ").arg(f.line);
    if (f.column > 0) text += QStringLiteral("column %1: ").arg(f.column);
    auto* item = new QListWidgetItem(text + QString::fromStdString(f.text), list_);
    item->setData(Qt::UserRole, f.line);
  }
  if (unlisted_ > 0) {
    auto* item = new QListWidgetItem(
        QStringLiteral("… and %1 more blocks that cannot be read").arg(unlisted_), list_);
    item->setFlags(Qt::NoItemFlags);
  }
  if (list_->count() == 0) {
    auto* item = new QListWidgetItem(QStringLiteral("The program reads back without warnings."), list_);
    item->setFlags(Qt::NoItemFlags);
  }
}

void ToolpathPane::HighlightSelection() {
  const QTextCursor cursor = box_->textCursor();
  QTextDocument* document = box_->document();
  const QTextBlock first = document->findBlock(cursor.selectionStart());
  QTextBlock last = document->findBlock(cursor.selectionEnd());
  // A selection that ends at a line's start takes none of that line.
  if (last.blockNumber() > first.blockNumber() && cursor.selectionEnd() == last.position()) last = last.previous();
  if (tool_.SetCaretLine(document->findBlock(cursor.position()).blockNumber() + 1)) preview_->update();
  preview_->HighlightLines(first.blockNumber() + 1, last.blockNumber() + 1);
}

void ToolpathPane::GoToLine(int line, bool selectBlock) {
  SettleProgramBox(box_, line, line);
  const QTextBlock block = box_->document()->findBlockByNumber(line - 1);
  if (!block.isValid()) return;
  // The caret at the block's start, its end the anchor: the box never scrolls sideways to it.
  QTextCursor cursor(block);
  if (selectBlock) {
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.setPosition(block.position(), QTextCursor::KeepAnchor);
  }
  box_->setTextCursor(cursor);
  box_->centerCursor();
  if (QWidget* window = box_->window(); window && window->isActiveWindow()) box_->setFocus();
}

}  // namespace tbx
