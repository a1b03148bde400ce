#include "gui/qt_step_list.h"

#include <QAction>
#include <QDropEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "app/app.h"
#include "app/catalogue.h"
#include "gui/qt_form.h"
#include "gui/qt_tabs.h"
#include "gui/toolpath_pane.h"
#include "program/numbers.h"

namespace tbx {

namespace {

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The first line of a text step that holds anything but blanks.
QString FirstLine(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    const std::string_view line = text.substr(at, end - at);
    if (line.find_first_not_of(" \t") != std::string_view::npos) return ToQt(line).trimmed();
    at = end + 1;
  }
  return {};
}

// A drag within the list moves a step; the rows are rewritten from the job, not moved by Qt.
class StepTree : public QTreeWidget {
 public:
  std::function<void(int from, int to)> onDrop;

 protected:
  void dropEvent(QDropEvent* event) override {
    const int from = indexOfTopLevelItem(currentItem());
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    int to = target ? indexOfTopLevelItem(target) : topLevelItemCount();
    if (target && dropIndicatorPosition() == QAbstractItemView::BelowItem) ++to;
    if (to > from) --to;  // counted with the dragged row still in place
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    to = std::clamp(to, 0, topLevelItemCount() - 1);
    if (from >= 0 && to != from && onDrop) onDrop(from, to);
  }
};

// The pane asks for little room of its own: the window opens as large as without it, and the
// splitter gives it its share; narrower than its buttons, it cuts them off rather than widen
// the window.
class PaneWidget : public QWidget {
 public:
  QSize sizeHint() const override { return {1, fontMetrics().lineSpacing() * 6}; }
  QSize minimumSizeHint() const override { return {1, fontMetrics().lineSpacing() * 3}; }
};

}  // namespace

StepListPane::StepTool StepListPane::ToolOf(const JobStep& step) const {
  StepTool shown;
  const FieldValue* t = step.IsText() ? nullptr : FindValue(step.values, id::kTool);
  if (!t) return shown;
  const FieldValue* offset = FindValue(step.values, id::kOffset);
  shown.text = ToQt(t->text) + (offset ? ToQt(offset->text) : QString());
  const std::optional<Tool> tool = app_.tools.Lookup(t->text, offset ? offset->text : std::string(), app_.Metric());
  if (!tool) return shown;
  shown.text += QLatin1Char(' ') + (tool->name.empty() ? ToQt(KindName(tool->kind)) : ToQt(tool->name));
  // The geometry the drawing and the compensation use, for a look without opening the library.
  QStringList about{ToQt(KindName(tool->kind)).replace(QLatin1Char('_'), QLatin1Char(' '))};
  if (tool->shape == InsertShape::Blade) about << QStringLiteral("blade");
  else if (tool->shape != InsertShape::None)
    about << ToQt(ShapeName(tool->shape)) + QStringLiteral(" insert") +
                 (IncludedAngle(tool->shape) > 0 ? QStringLiteral(" %1°").arg(IncludedAngle(tool->shape)) : QString());
  const QString unit = app_.Metric() ? QStringLiteral(" mm") : QStringLiteral(" in");
  if (HasInsert(tool->kind) || HasBlade(tool->kind))
    about << QStringLiteral("nose radius ") + ToQt(PlainDecimal(tool->radius, 4)) + unit;
  if (HasBlade(tool->kind)) about << QStringLiteral("width ") + ToQt(PlainDecimal(tool->width, 4)) + unit;
  if (tool->diameter > 0) about << QStringLiteral("diameter ") + ToQt(PlainDecimal(tool->diameter, 4)) + unit;
  if (tool->orientation > 0) about << QStringLiteral("orientation %1").arg(tool->orientation);
  shown.about = about.join(QStringLiteral(", "));
  return shown;
}

StepListPane::StepListPane(QtForm& form, App& app, ToolpathPane& toolpath, std::function<void()> changed,
                           std::function<void()> undo, std::function<void()> redo, QObject* parent)
    : QObject(parent),
      form_(form),
      app_(app),
      toolpath_(toolpath),
      changed_(std::move(changed)),
      undo_(std::move(undo)),
      redo_(std::move(redo)) {
  box_ = qobject_cast<QPlainTextEdit*>(form_.Widget(kMainForm, id::kOutput));
  pane_ = new PaneWidget;
  pane_->setObjectName(QStringLiteral("stepListPane"));
  auto* column = new QVBoxLayout(pane_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSizeConstraint(QLayout::SetNoConstraint);
  auto* tree = new StepTree;
  list_ = tree;
  list_->setObjectName(QStringLiteral("stepList"));
  list_->setColumnCount(kColumns);
  list_->setHeaderLabels({QStringLiteral("Step"), QStringLiteral("Tab"), QStringLiteral("Comment"),
                          QStringLiteral("Tool"), QStringLiteral("Time")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setDragDropMode(QAbstractItemView::InternalMove);
  list_->setDefaultDropAction(Qt::MoveAction);
  list_->setToolTip(QStringLiteral(
      "The job's steps. Double-click or Enter edits a step; Ctrl+Up and Ctrl+Down move it, "
      "Delete deletes it, Ctrl+D duplicates it; drag a row to move it."));
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionResizeMode(kComment, QHeaderView::Stretch);
  for (int c : {kNumber, kTab, kTool, kTime}) list_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
  // Measured on the rows in view: a row changed in a long job costs the row, not the job.
  list_->header()->setResizeContentsPrecision(0);
  tree->onDrop = [this](int from, int to) {
    if (app_.job.editing >= 0) return;
    Run([&] { return MoveStep(app_, static_cast<std::size_t>(from), static_cast<std::size_t>(to)); });
    Choose(to);
  };
  column->addWidget(list_, 1);

  // The commands: on the list's keys, in its context menu and as buttons below it.
  struct Command {
    const char* name;
    const char* text;
    QKeySequence keys;
    std::function<void()> run;
  };
  const Command commands[] = {
      {"stepEdit", "&Edit", QKeySequence(Qt::Key_Return), [this] { Edit(); }},
      {"stepUp", "&Up", QKeySequence(Qt::CTRL | Qt::Key_Up), [this] { MoveBy(-1); }},
      {"stepDown", "Do&wn", QKeySequence(Qt::CTRL | Qt::Key_Down), [this] { MoveBy(1); }},
      {"stepDelete", "&Delete", QKeySequence(QKeySequence::Delete), [this] { Delete(); }},
      {"stepDuplicate", "Dupl&icate", QKeySequence(Qt::CTRL | Qt::Key_D), [this] { Duplicate(); }},
      {"stepUndo", "Undo", QKeySequence(), [this] { undo_(); }},
      {"stepRedo", "&Redo", QKeySequence(), [this] { redo_(); }},
      {"stepCancel", "Cancel Edit", QKeySequence(), [this] { CancelEdit(); }},
  };
  // Two rows of four, so that the pane is no wider than the program box needs.
  auto* buttons = new QGridLayout;
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
  for (const Command& c : commands) {
    auto* button = new QPushButton(QString::fromUtf8(c.text));
    button->setObjectName(QString::fromLatin1(c.name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, c.run);
    const int at = static_cast<int>(buttons_.size());
    buttons->addWidget(button, at / 4, at % 4);
    buttons_.push_back(button);
    auto* action = new QAction(QString(c.text).remove(QLatin1Char('&')), list_);
    action->setObjectName(QString::fromLatin1(c.name) + QStringLiteral("Action"));
    if (!c.keys.isEmpty()) {
      QList<QKeySequence> keys{c.keys};
      if (c.keys == QKeySequence(Qt::Key_Return)) keys.append(QKeySequence(Qt::Key_Enter));
      action->setShortcuts(keys);
      action->setShortcutContext(Qt::WidgetShortcut);
    }
    connect(action, &QAction::triggered, this, c.run);
    list_->addAction(action);
    actions_.push_back(action);
  }
  buttons->setColumnStretch(4, 1);
  column->addLayout(buttons);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { Edit(); });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    Selected();
    Enable();
  });

  // Esc leaves the edit from anywhere in the window, while there is one.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), form_.MainWindow());
  escape->setObjectName(QStringLiteral("stepCancelShortcut"));
  escape->setEnabled(false);
  connect(escape, &QShortcut::activated, this, [this] { CancelEdit(); });

  // In the status bar, left of the drawing's fields: the step the caret's block belongs to.
  caretStep_ = new QLabel;
  caretStep_->setObjectName(QStringLiteral("caretStep"));
  form_.MainWindow()->statusBar()->insertPermanentWidget(0, caretStep_);
  connect(box_, &QPlainTextEdit::cursorPositionChanged, this, [this] { ShowCaretStep(); });

  // Under the drawing; the three share the area's height.
  QSplitter* area = form_.ProgramArea();
  area->addWidget(pane_);
  area->setStretchFactor(area->indexOf(pane_), 1);
  Refresh();
}

QPushButton* StepListPane::Button(const QString& objectName) const {
  for (QPushButton* b : buttons_)
    if (b->objectName() == objectName) return b;
  return nullptr;
}

int StepListPane::Current() const {
  QTreeWidgetItem* item = list_->currentItem();
  return item ? list_->indexOfTopLevelItem(item) : -1;
}

void StepListPane::Choose(int row) {
  if (row < 0 || row >= list_->topLevelItemCount()) return;
  list_->setCurrentItem(list_->topLevelItem(row));
  Selected();
}

void StepListPane::Refresh() {
  const std::vector<JobStep>& steps = app_.job.steps;
  lines_ = LinesOfSteps(app_.job);
  // Each step's time: the moves its lines made, found by line among the steps' first lines.
  // The step whose lines hold `line`, or none.
  auto stepOf = [this](int line) -> std::optional<std::size_t> {
    auto after = std::upper_bound(lines_.begin(), lines_.end(), line,
                                  [](int l, const StepLines& s) { return l < s.first; });
    if (after == lines_.begin()) return std::nullopt;
    const std::size_t i = static_cast<std::size_t>(after - lines_.begin() - 1);
    if (line > lines_[i].last) return std::nullopt;
    return i;
  };
  std::vector<double> seconds(steps.size(), 0.0);
  for (const toolpath::Move& m : toolpath_.Path().moves)
    if (const auto i = stepOf(m.line); i && *i < steps.size()) seconds[*i] += m.seconds;
  // Each step's warnings (the simulation's among them) and unreadable blocks, by line.
  std::vector<QString> warnings(steps.size());
  for (const auto* findings : {&toolpath_.Path().diagnostics, &toolpath_.Path().warnings})
    for (const toolpath::Finding& f : *findings)
      if (const auto i = stepOf(f.line); i && *i < steps.size())
        warnings[*i] += (warnings[*i].isEmpty() ? QString() : QStringLiteral("\n")) +
                        QStringLiteral("Line %1: %2").arg(f.line).arg(QString::fromStdString(f.text));
  while (list_->topLevelItemCount() > static_cast<int>(steps.size())) delete list_->takeTopLevelItem(list_->topLevelItemCount() - 1);
  shown_.resize(steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const JobStep& step = steps[i];
    const bool editing = static_cast<int>(i) == app_.job.editing;
    QString tab = QStringLiteral("Text"), comment;
    const StepTool tool = ToolOf(step);
    if (!step.IsText()) {
      tab = ToQt(step.op->caption);
      comment = ToQt(StepComment(step).value_or(std::string()));
      if (step.edited) tab += QStringLiteral(" (edited)");
      if (editing) tab += QStringLiteral(" (editing)");
    } else {
      comment = FirstLine(step.text);
    }
    QStringList row{QString::number(i + 1), tab, comment, tool.text, RunTimeText(seconds[i]), tool.about, warnings[i]};
    if (static_cast<int>(i) >= list_->topLevelItemCount()) {
      auto* item = new QTreeWidgetItem;
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
      list_->addTopLevelItem(item);
    } else if (row == shown_[i]) {
      continue;
    }
    QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(i));
    for (int c = 0; c < kColumns; ++c) item->setText(c, row[c]);
    item->setToolTip(kTool, tool.about);
    item->setIcon(kNumber, warnings[i].isEmpty() ? QIcon() : list_->style()->standardIcon(QStyle::SP_MessageBoxWarning));
    item->setToolTip(kNumber, warnings[i]);
    item->setTextAlignment(kTime, Qt::AlignRight | Qt::AlignVCenter);
    QFont font = list_->font();
    font.setBold(editing);
    font.setItalic(step.edited);
    for (int c = 0; c < kColumns; ++c) item->setFont(c, font);
    item->setToolTip(kTab, step.edited ? QStringLiteral("Edited by hand: its blocks go in as typed") : QString());
    shown_[i] = std::move(row);
  }
  ShowEditing();
  Enable();
  ShowCaretStep();
  // The operations of the step chosen may be others in the program read anew.
  ShowPart();
}

void StepListPane::ShowCaretStep() {
  const int line = box_->textCursor().blockNumber() + 1;
  auto after = std::upper_bound(lines_.begin(), lines_.end(), line,
                                [](int l, const StepLines& s) { return l < s.first; });
  const std::size_t i = static_cast<std::size_t>(after - lines_.begin()) - 1;
  QString text;
  // The lines are those of the last Refresh: a change of the box that the list has not yet
  // followed (Undo, an OK) may have fewer steps.
  if (after != lines_.begin() && line <= lines_[i].last && i < app_.job.steps.size()) {
    const JobStep& step = app_.job.steps[i];
    text = QStringLiteral("Step %1 ").arg(i + 1);
    if (step.IsText()) {
      text += QStringLiteral("(text)");
    } else {
      text += QStringLiteral("(%1)").arg(ToQt(step.op->caption));
      if (const QString tool = ToolOf(step).text; !tool.isEmpty()) text += QStringLiteral(": ") + tool;
    }
  }
  if (caretStep_->text() != text) caretStep_->setText(text);
  caretStep_->setToolTip(text);
}

void StepListPane::ShowEditing() {
  const int editing = app_.job.editing, was = editing_;
  if (editing == editing_) return;
  if (okButton_) static_cast<QPushButton*>(okButton_.data())->setText(okCaption_);
  okButton_ = nullptr;
  editing_ = editing;
  // An Update writes the box anew: its step's blocks are chosen again, for the user to see
  // what the new values made, as the row still chosen says.
  if (was >= 0 && editing < 0 && was == Current()) Choose(was);
  QStatusBar* bar = form_.MainWindow()->statusBar();
  if (auto* escape = form_.MainWindow()->findChild<QShortcut*>(QStringLiteral("stepCancelShortcut")))
    escape->setEnabled(editing >= 0);
  if (editing < 0) {
    if (bar->currentMessage().startsWith(QStringLiteral("Editing step"))) bar->clearMessage();
    return;
  }
  const JobStep& step = app_.job.steps[static_cast<std::size_t>(editing)];
  if (auto* ok = qobject_cast<QPushButton*>(form_.Widget(kMainForm, step.op->ok))) {
    okButton_ = ok;
    okCaption_ = ok->text();
    ok->setText(QStringLiteral("&Update"));
  }
  bar->showMessage(QStringLiteral("Editing step %1 (%2): Update puts the new values in, Esc or Cancel Edit leaves it as it was")
                       .arg(editing + 1)
                       .arg(ToQt(step.op->caption)));
}

void StepListPane::Enable() {
  const int row = Current();
  const bool any = row >= 0, free = app_.job.editing < 0;
  const int count = list_->topLevelItemCount();
  // The job may already be emptied (New, Open) while the list still removes its rows.
  const bool operation = any && static_cast<std::size_t>(row) < app_.job.steps.size() &&
                         !app_.job.steps[static_cast<std::size_t>(row)].IsText();
  const bool on[] = {operation,
                     free && any && row > 0,
                     free && any && row + 1 < count,
                     free && any,
                     free && any,
                     form_.Widget(kMainForm, id::kUndo) && form_.Widget(kMainForm, id::kUndo)->isEnabled(),
                     CanRedo(app_),
                     !free};
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setEnabled(on[i]);
    actions_[i]->setEnabled(on[i]);
  }
}

void StepListPane::ShowPart() {
  const int row = Current();
  if (row < 0 || static_cast<std::size_t>(row) >= lines_.size()) return toolpath_.ShowWholePart();
  toolpath_.ShowPartAtLines(lines_[static_cast<std::size_t>(row)].first, lines_[static_cast<std::size_t>(row)].last);
}

void StepListPane::Selected() {
  ShowPart();
  const int row = Current();
  if (row < 0 || static_cast<std::size_t>(row) >= lines_.size()) return;
  SettleProgramBox(box_, lines_[static_cast<std::size_t>(row)].first, lines_[static_cast<std::size_t>(row)].last);
  QTextDocument* document = box_->document();
  const QTextBlock first = document->findBlockByNumber(lines_[static_cast<std::size_t>(row)].first - 1);
  QTextBlock last = document->findBlockByNumber(lines_[static_cast<std::size_t>(row)].last - 1);
  if (!first.isValid()) return;
  if (!last.isValid()) last = document->lastBlock();
  // The caret at the first block's start, the anchor at the last one's end: the box does not
  // scroll sideways, and the drawing shows every move of the step bold.
  QTextCursor cursor(document);
  cursor.setPosition(last.position() + last.length() - 1);
  cursor.setPosition(first.position(), QTextCursor::KeepAnchor);
  box_->setTextCursor(cursor);
  box_->ensureCursorVisible();
}

bool StepListPane::Run(const std::function<bool()>& command) {
  // What was typed is a change of its own before the step changes.
  EndTyping(app_);
  const bool done = command();
  changed_();
  return done;
}

bool StepListPane::Edit() {
  const int row = Current();
  if (row < 0 || static_cast<std::size_t>(row) >= app_.job.steps.size() ||
      app_.job.steps[static_cast<std::size_t>(row)].IsText())
    return false;
  const OperationDescriptor* op = app_.job.steps[static_cast<std::size_t>(row)].op;
  const bool edited = Run([&] {
    tbx::CancelEdit(app_);
    return EditStep(app_, static_cast<std::size_t>(row));
  });
  if (!edited) return false;
  // Its tab, as the user would choose it.
  if (auto* tabs = dynamic_cast<PageChooser*>(form_.Widget(kMainForm, id::kTabs))) {
    for (std::size_t page = 0; page < app_.operations.pages.size(); ++page)
      if (app_.operations.pages[page] == op && tabs->currentIndex() != static_cast<int>(page))
        tabs->choose(static_cast<int>(page));
  }
  Refresh();
  return true;
}

bool StepListPane::MoveBy(int rows) {
  const int row = Current(), to = row + rows;
  if (row < 0 || app_.job.editing >= 0 || to < 0 || to >= list_->topLevelItemCount()) return false;
  const bool moved = Run([&] { return MoveStep(app_, static_cast<std::size_t>(row), static_cast<std::size_t>(to)); });
  Choose(moved ? to : row);
  return moved;
}

bool StepListPane::Delete() {
  const int row = Current();
  if (row < 0 || app_.job.editing >= 0) return false;
  const bool deleted = Run([&] { return DeleteStep(app_, static_cast<std::size_t>(row)); });
  Choose(std::min(row, list_->topLevelItemCount() - 1));
  return deleted;
}

bool StepListPane::Duplicate() {
  const int row = Current();
  if (row < 0 || app_.job.editing >= 0) return false;
  const bool copied = Run([&] { return DuplicateStep(app_, static_cast<std::size_t>(row)); });
  Choose(copied ? row + 1 : row);
  return copied;
}

void StepListPane::CancelEdit() {
  if (app_.job.editing < 0) return;
  Run([&] {
    tbx::CancelEdit(app_);
    return true;
  });
}

}  // namespace tbx
