#include "gui/qt_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/catalogue.h"
#include "gui/contour_box.h"
#include "gui/icon/turnbrix_icon.h"
#include "gui/qt_tabs.h"

namespace tbx {

namespace {

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

// The program box holds the program with CR LF line ends; the editor keeps LF.
QString ToEditor(std::string_view text) {
  QString shown = ToQt(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

std::string FromEditor(const QString& text) {
  QString program = text;
  program.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FromQt(program);
}

// The fixed-pitch face at the size of `like`.
QFont FixedPitch(const QFont& like) {
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setStyleHint(QFont::TypeWriter);
  fixed.setFixedPitch(true);
  fixed.setPointSizeF(QFontInfo(like).pointSizeF());
  return fixed;
}

// Alt+letter for the buttons (the descriptor's access letter, marked at its first place in the
// caption); the text the logic reads stays without the mark.
QString WithMnemonic(std::string_view text, char access) {
  QString shown = ToQt(text);
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  if (access == 0) return shown;
  const qsizetype at = shown.indexOf(QLatin1Char(access), 0, Qt::CaseInsensitive);
  if (at >= 0) shown.insert(at, QLatin1Char('&'));
  return shown;
}

QString WithoutMnemonic(const QString& shown) {
  QString text;
  for (qsizetype i = 0; i < shown.size(); ++i) {
    if (shown[i] == QLatin1Char('&') && i + 1 < shown.size()) ++i;
    text += shown[i];
  }
  return text;
}

// The newest blocks are at the end: keep them in view.
void ShowEnd(QPlainTextEdit* box) {
  box->moveCursor(QTextCursor::End);
  box->ensureCursorVisible();
  box->horizontalScrollBar()->setValue(0);
}

// A box marked as having held no number: tinted until it holds one again.
const QColor kMarkedBase(255, 214, 214);

// A number box as wide as a number of nine digits, not as wide as the column.
class NumberEdit : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;
  QSize sizeHint() const override {
    QSize hint = QLineEdit::sizeHint();
    hint.setWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 9 +
                  QLineEdit::minimumSizeHint().width());
    return hint;
  }
  QSize minimumSizeHint() const override { return sizeHint(); }
};

// The program box asks for room for the longest block the generators write (a G76 line with
// its block number, about 55 characters) and a screenful of blocks.
//
// A long replacement (a step rebuilt early in a long job renumbers every block after it) goes
// into the document in slices between events, so that the window is redrawn at once instead of
// after the document has taken tens of thousands of lines. From the first slice on, the box has
// the new program's line count: a line not yet replaced holds its old text at its new line
// number, so the caret's line, the drawing's highlight and the step list are right meanwhile.
// The lines in view are replaced before they are drawn. Every key, click or drop, and whatever
// sets the caret or reads the text, first finishes the replacement (Settle).
class ProgramEdit : public QPlainTextEdit {
 public:
  static constexpr int kColumns = 64;
  static constexpr int kSliceLines = 4000;  // about 12 ms of the document's and the colouring's work
  explicit ProgramEdit(QWidget* parent) : QPlainTextEdit(parent) {
    slices_.setSingleShot(true);
    connect(&slices_, &QTimer::timeout, this, [this] { PutFront(kSliceLines, kSliceLines); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { SettleShown(); });
  }
  QSize sizeHint() const override {
    const QFontMetrics metrics(font());
    const int frame = 2 * frameWidth() + 2 * static_cast<int>(document()->documentMargin());
    return QSize(metrics.horizontalAdvance(QLatin1Char('0')) * kColumns + frame +
                     verticalScrollBar()->sizeHint().width(),
                 metrics.lineSpacing() * 24 + frame);
  }
  QSize minimumSizeHint() const override {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(QLatin1Char('0')) * 12, metrics.lineSpacing() * 4);
  }

  void SetProgram(const QString& text) {
    Forget();
    setPlainText(text);
  }
  // Operations add to the end of the program and Undo cuts it back: only the last `cut`
  // characters are removed and `added` put after them, so a long program is not laid out again.
  void EditEnd(int cut, const QString& added) {
    Settle();
    QTextDocument* document = this->document();
    document->setUndoRedoEnabled(false);  // as setPlainText, it ends the editor's own undo
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    if (cut > 0) {
      end.setPosition(end.position() - cut, QTextCursor::KeepAnchor);
      end.removeSelectedText();
    }
    if (!added.isEmpty()) end.insertText(added);
    document->setUndoRedoEnabled(true);
    ShowEnd(this);
  }
  // Puts `text` in place of the document's characters [from, to), whole lines. Many lines: now
  // only as many as make the line count the new text's; the others as they come into view, as
  // they are asked for, or in slices to come.
  void ReplaceLines(int from, int to, const QString& text) {
    Settle();
    QTextDocument* document = this->document();
    staleAt_ = from;
    tailChars_ = document->characterCount() - 1 - to;
    staleEnds_ = document->findBlock(to).blockNumber() - document->findBlock(from).blockNumber();
    pending_ = text;
    ends_.clear();
    for (qsizetype i = 0; i < text.size(); ++i)  // where the document starts a new line
      if (text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\r') || text[i] == QChar::ParagraphSeparator) ends_.push_back(i);
    front_ = back_ = 0;
    unsettled_ = true;
    const int left = static_cast<int>(ends_.size());
    if (std::max(left, staleEnds_) <= kSliceLines) return Settle();  // quick enough at once
    const int now = std::max(0, left - staleEnds_);
    PutFront(staleEnds_ - (left - now), now);
  }
  void Settle() {
    if (unsettled_) PutFront(staleEnds_, staleEnds_);
  }
  void SettleShown() {
    if (!unsettled_) return;
    const int first = firstVisibleBlock().blockNumber();
    SettleLines(first, first + viewport()->height() / std::max(1, fontMetrics().lineSpacing()) + 1);
  }
  // Lines `first` to `last` (from 0) replaced, from the nearer end of those not yet replaced.
  void SettleLines(int first, int last) {
    if (!unsettled_) return;
    const int stale = document()->findBlock(staleAt_).blockNumber();
    if (last < stale || first > stale + staleEnds_) return;
    const int fromFront = last + 1 - stale, fromBack = stale + staleEnds_ - first + 1;
    if (fromBack < fromFront)
      PutBack(fromBack);
    else
      PutFront(fromFront, fromFront);
  }

 protected:
  void keyPressEvent(QKeyEvent* e) override { Settle(), QPlainTextEdit::keyPressEvent(e); }
  void inputMethodEvent(QInputMethodEvent* e) override { Settle(), QPlainTextEdit::inputMethodEvent(e); }
  void mousePressEvent(QMouseEvent* e) override { Settle(), QPlainTextEdit::mousePressEvent(e); }
  void mouseDoubleClickEvent(QMouseEvent* e) override { Settle(), QPlainTextEdit::mouseDoubleClickEvent(e); }
  void contextMenuEvent(QContextMenuEvent* e) override { Settle(), QPlainTextEdit::contextMenuEvent(e); }
  void dropEvent(QDropEvent* e) override { Settle(), QPlainTextEdit::dropEvent(e); }
  void resizeEvent(QResizeEvent* e) override { QPlainTextEdit::resizeEvent(e), SettleShown(); }

 private:
  // The new text not yet put in, between the line ends put in at the front and at the back.
  qsizetype PendingFrom() const { return front_ == 0 ? 0 : ends_[front_ - 1] + 1; }
  qsizetype PendingTo() const { return back_ == 0 ? pending_.size() : ends_[ends_.size() - back_ - 1] + 1; }
  int StaleTo() const { return document()->characterCount() - 1 - tailChars_; }
  // The first `staleLines` old line ends replaced by the first `newLines` new ones; all that is
  // left when either is all of it.
  void PutFront(int staleLines, int newLines) {
    if (!unsettled_) return;
    const int left = static_cast<int>(ends_.size()) - front_ - back_;
    if (newLines >= left || staleLines >= staleEnds_) return Put(staleAt_, StaleTo(), PendingFrom(), PendingTo(), true);
    const int to = document()->findBlockByNumber(document()->findBlock(staleAt_).blockNumber() + staleLines).position();
    const qsizetype from = PendingFrom();
    front_ += newLines;
    staleEnds_ -= staleLines;
    Put(staleAt_, to, from, PendingFrom(), false);
    staleAt_ += static_cast<int>(PendingFrom() - from);
  }
  // The last `lines` old line ends replaced by as many new ones.
  void PutBack(int lines) {
    if (lines >= staleEnds_) return Settle();
    const int from = document()->findBlockByNumber(document()->findBlock(staleAt_).blockNumber() + staleEnds_ - lines).position();
    const qsizetype to = PendingTo();
    back_ += lines;
    staleEnds_ -= lines;
    Put(from, StaleTo(), PendingTo(), to, false);
    tailChars_ += static_cast<int>(to - PendingTo());
  }
  void Put(int from, int to, qsizetype newFrom, qsizetype newTo, bool rest) {
    const QSignalBlocker quiet(this);  // not typing: nothing to re-read
    QTextDocument* document = this->document();
    document->setUndoRedoEnabled(false);  // as setPlainText, it ends the editor's own undo
    QTextCursor cursor(document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(pending_.mid(newFrom, newTo - newFrom));
    document->setUndoRedoEnabled(true);
    if (rest)
      Forget();
    else
      slices_.start(0);
  }
  void Forget() {
    unsettled_ = false;
    slices_.stop();
    pending_.clear();
    ends_.clear();
  }

  bool unsettled_ = false;
  int staleAt_ = 0;      // where the old lines start
  int staleEnds_ = 0;    // their line ends, as many as the new text left has
  int tailChars_ = 0;    // characters after them
  QString pending_;      // the new text
  std::vector<qsizetype> ends_;  // its line ends
  int front_ = 0, back_ = 0;     // line ends put in at the front and at the back
  QTimer slices_;
};

// The scroll area asks for its whole contents, so that the window opens showing all of them.
class WholeScrollArea : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
  QSize sizeHint() const override {
    const int frame = 2 * frameWidth();
    return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
  }
};

// A frameless scroll area around `inside` that takes no focus of its own: Tab goes to the
// controls inside it, and nothing invisible stops it.
QScrollArea* Scroller(QWidget* inside) {
  auto* scroll = new WholeScrollArea;
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setWidget(inside);
  return scroll;
}

// Leaving a text box for another control ends its editing; another window or a popup taking
// the focus does not.
class LeaveWatcher : public QObject {
 public:
  LeaveWatcher(QWidget* box, std::function<void()> left) : QObject(box), left_(std::move(left)) {
    box->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) left_();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> left_;
};

// Layouts keep the sizes they measured; what was added to a page before the window was ever
// shown has not reached them yet.
void Remeasure(QWidget* root) {
  for (QWidget* w : root->findChildren<QWidget*>()) w->updateGeometry();
  root->updateGeometry();
}

QLabel* Caption(std::string_view text, QWidget* parent) {
  auto* label = new QLabel(ToQt(text), parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

void SettleProgramBox(QWidget* box, int firstLine, int lastLine) {
  auto* edit = dynamic_cast<ProgramEdit*>(box);
  if (!edit) return;
  if (firstLine > 0)
    edit->SettleLines(firstLine - 1, lastLine - 1);
  else
    edit->Settle();
}

// One control: its widget and what the form does with its kind (text, items, selection, the
// events the user's actions raise), in one place per kind.
class QtForm::Control {
 public:
  using Raiser = std::function<void(int message, int value)>;

  Control(ControlId id, ControlKind kind, int page, QWidget* widget)
      : id(id), kind(kind), page(page), widget(widget) {}
  virtual ~Control() = default;

  virtual std::string Text() const = 0;
  virtual void SetText(std::string_view text) = 0;
  virtual void AddItems(const std::vector<std::string_view>&) {}
  virtual void Select(int) {}
  virtual int Find(const QString&) const { return -1; }
  // Wires the user's actions to `raise`; `changed` is called whenever the user changes its text.
  virtual void Connect(const Raiser& raise, const std::function<void()>& changed) = 0;

  const ControlId id;
  const ControlKind kind;
  const int page;
  QWidget* const widget;
  bool marked = false;
  QString note;  // what the status bar says of the box while it is marked
  std::uint64_t revision = 0;  // see FormModel::Revision
};

namespace {

using Control = QtForm::Control;

class LabelControl : public Control {
 public:
  LabelControl(const ControlDesc& desc, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, Caption(desc.text, parent)) {}
  QLabel* label() const { return static_cast<QLabel*>(widget); }
  std::string Text() const override { return FromQt(label()->text()); }
  void SetText(std::string_view text) override { label()->setText(ToQt(text)); }
  void Connect(const Raiser&, const std::function<void()>&) override {}
};

class LineControl : public Control {
 public:
  LineControl(const ControlDesc& desc, bool number, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page,
                number ? new NumberEdit(ToQt(desc.text), parent) : new QLineEdit(ToQt(desc.text), parent)) {}
  QLineEdit* box() const { return static_cast<QLineEdit*>(widget); }
  std::string Text() const override { return FromQt(box()->text()); }
  void SetText(std::string_view text) override { box()->setText(ToQt(text)); }
  void Connect(const Raiser& raise, const std::function<void()>& changed) override {
    QObject::connect(box(), &QLineEdit::textChanged, box(), changed);
    QObject::connect(box(), &QLineEdit::returnPressed, box(), [raise] { raise(kMsgLeave, 0); });
    new LeaveWatcher(box(), [raise] { raise(kMsgLeave, 0); });
  }
};

// The program box: multi-line, never wrapped, fixed pitch. The text the program set comes back
// unchanged until the user edits the box, so the program returns byte for byte.
class ProgramControl : public Control {
 public:
  ProgramControl(const ControlDesc& desc, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, new ProgramEdit(parent)), programText(desc.text) {
    box()->setLineWrapMode(QPlainTextEdit::NoWrap);
    box()->setTabChangesFocus(true);
    box()->setFont(FixedPitch(parent ? parent->font() : QApplication::font()));
    box()->setPlainText(ToEditor(desc.text));
  }
  ProgramEdit* box() const { return static_cast<ProgramEdit*>(widget); }
  std::string Text() const override {
    return editedByUser ? FromEditor(box()->toPlainText()) : programText;
  }
  void SetText(std::string_view text) override {
    // An operation adds to the end of the box: only the new blocks are added, so that a long
    // program is not laid out again for each one.
    const std::string shown = Text();
    const bool extends = !shown.empty() && text.size() > shown.size() &&
                         text.compare(0, shown.size(), shown) == 0 && shown.back() != '\r';
    const bool same = text == shown;
    programText = text;
    editedByUser = false;
    if (extends) {
      box()->EditEnd(0, ToEditor(text.substr(shown.size())));
    } else {
      if (!same) Replace(shown, text);  // else nothing to lay out again
      ShowEnd(box());
      box()->SettleShown();
    }
  }
  // Only the lines that differ are replaced (a step rebuilt in a long job): the lines before
  // and after them keep their layout and colouring.
  void Replace(std::string_view shown, std::string_view text) {
    std::size_t head = 0;
    const std::size_t shorter = std::min(shown.size(), text.size());
    for (std::size_t i = 0; i < shorter && shown[i] == text[i]; ++i)
      if (shown[i] == '\n') head = i + 1;
    std::size_t tail = 0;  // whole lines alike at the end, not reaching into the head
    for (std::size_t i = 1; i < shorter - head && shown[shown.size() - i] == text[text.size() - i]; ++i)
      if (shown[shown.size() - i - 1] == '\n' && text[text.size() - i - 1] == '\n') tail = i;
    if (head == 0 && tail == 0) return box()->SetProgram(ToEditor(text));
    const int from = static_cast<int>(ToEditor(shown.substr(0, head)).size());
    const int to = box()->document()->characterCount() - 1 -
                   static_cast<int>(ToEditor(shown.substr(shown.size() - tail)).size());
    box()->ReplaceLines(from, to, ToEditor(text.substr(head, text.size() - tail - head)));
  }
  // False when the end cannot be changed alone: the box edited, empty, or ending in a line end.
  bool Append(std::string_view text) {
    if (editedByUser || programText.empty() || programText.back() == '\r') return false;
    programText += text;
    box()->EditEnd(0, ToEditor(text));
    return true;
  }
  bool Truncate(std::size_t length) {
    if (editedByUser || length == 0 || length >= programText.size() ||
        programText[length - 1] == '\r')
      return false;
    const auto cut = ToEditor(std::string_view(programText).substr(length)).size();
    programText.resize(length);
    box()->EditEnd(static_cast<int>(cut), QString());
    return true;
  }
  void Connect(const Raiser& raise, const std::function<void()>& changed) override {
    QObject::connect(box(), &QPlainTextEdit::textChanged, box(), [this, changed] {
      editedByUser = true;
      changed();
    });
    new LeaveWatcher(box(), [raise] { raise(kMsgLeave, 0); });
  }

  std::string programText;
  bool editedByUser = false;
};

// A contour's lines beside their drawing. Return starts a new line; Tab, a click elsewhere or
// any other way of leaving the lines ends the editing.
class ContourControl : public Control {
 public:
  ContourControl(const ControlDesc& desc, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, new ContourBox(parent)) {
    box()->Editor()->setFont(FixedPitch(parent ? parent->font() : QApplication::font()));
    box()->SetText(ToQt(desc.text));
  }
  ContourBox* box() const { return static_cast<ContourBox*>(widget); }
  std::string Text() const override { return FromQt(box()->Text()); }
  void SetText(std::string_view text) override { box()->SetText(ToQt(text)); }
  void Connect(const Raiser& raise, const std::function<void()>& changed) override {
    QObject::connect(box()->Editor(), &QPlainTextEdit::textChanged, box(), changed);
    new LeaveWatcher(box()->Editor(), [raise] { raise(kMsgLeave, 0); });
  }
};

// Push buttons, toggles (a push button that stays pressed) and check boxes.
class ButtonControl : public Control {
 public:
  ButtonControl(const ControlDesc& desc, const Field* field, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, MakeButton(desc, field ? field->access : 0, parent)),
        access_(field ? field->access : 0) {}
  QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget); }
  bool pushButton() const { return kind != ControlKind::CheckBox; }
  std::string Text() const override {
    return FromQt(pushButton() ? WithoutMnemonic(button()->text()) : button()->text());
  }
  void SetText(std::string_view text) override {
    button()->setText(pushButton() ? WithMnemonic(text, access_) : ToQt(text));
  }
  void Connect(const Raiser& raise, const std::function<void()>&) override {
    // clicked comes after the check mark has changed, and only from the user.
    QObject::connect(button(), &QAbstractButton::clicked, button(), [raise] { raise(kMsgClick, 0); });
  }

 private:
  static QAbstractButton* MakeButton(const ControlDesc& desc, char access, QWidget* parent) {
    if (desc.kind == ControlKind::CheckBox) return new QCheckBox(ToQt(desc.text), parent);
    auto* button = new QPushButton(WithMnemonic(desc.text, access), parent);
    button->setAutoDefault(false);
    button->setCheckable(desc.kind == ControlKind::Toggle);
    return button;
  }

  char access_;
};

// A radio button of an option group. Its group excludes for the user (a click, the arrow keys,
// which move and choose, and Tab, which enters the group at its chosen button); the program
// sets each button on its own (SetCheck).
class RadioControl : public Control {
 public:
  RadioControl(const ControlDesc& desc, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, new QRadioButton(ToQt(desc.text), parent)) {
    // Without it the arrow keys pass over the buttons Tab skips: the unchosen ones.
    button()->setAutoExclusive(true);
  }
  QRadioButton* button() const { return static_cast<QRadioButton*>(widget); }
  std::string Text() const override { return FromQt(button()->text()); }
  void SetText(std::string_view text) override { button()->setText(ToQt(text)); }
  void Connect(const Raiser& raise, const std::function<void()>&) override {
    QRadioButton* radio = button();
    QObject::connect(radio, &QAbstractButton::clicked, radio, [radio, raise] {
      if (!radio->isEnabled()) return;
      {
        // A click on a checked radio leaves it checked.
        QSignalBlocker quiet(radio);
        radio->setChecked(true);
      }
      if (QButtonGroup* group = radio->group()) {
        for (QAbstractButton* other : group->buttons()) {
          if (other == radio) continue;
          QSignalBlocker quiet(other);
          other->setChecked(false);
        }
      }
      raise(kMsgClick, 0);
    });
  }
};

class FrameControl : public Control {
 public:
  FrameControl(const ControlDesc& desc, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, new QGroupBox(ToQt(desc.text), parent)) {
    widget->setFocusPolicy(Qt::NoFocus);
  }
  QGroupBox* frame() const { return static_cast<QGroupBox*>(widget); }
  std::string Text() const override { return FromQt(frame()->title()); }
  void SetText(std::string_view text) override { frame()->setTitle(ToQt(text)); }
  void Connect(const Raiser&, const std::function<void()>&) override {}
};

// Items laid out in columns (a drill's name filled with blanks, then its size) line up in the
// fixed-pitch face.
void LineUpColumns(QWidget* widget, const std::vector<std::string_view>& items) {
  if (std::any_of(items.begin(), items.end(),
                  [](std::string_view item) { return item.find("  ") != std::string_view::npos; }))
    widget->setFont(FixedPitch(widget->font()));
}

class ComboControl : public Control {
 public:
  ComboControl(const ControlDesc& desc, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, new QComboBox(parent)) {
    combo()->setEditable(false);
    combo()->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    combo()->setMaxVisibleItems(12);
    if (!desc.text.empty()) AddItems(SplitItems(desc.text));
    combo()->setCurrentIndex(-1);  // nothing selected until the program selects
  }
  QComboBox* combo() const { return static_cast<QComboBox*>(widget); }
  std::string Text() const override {
    return combo()->currentIndex() >= 0 ? FromQt(combo()->currentText()) : "";
  }
  void SetText(std::string_view) override {}  // its text is the selected item's
  void AddItems(const std::vector<std::string_view>& items) override {
    LineUpColumns(widget, items);
    const int selected = combo()->currentIndex();
    for (std::string_view item : items) combo()->addItem(ToQt(item));
    combo()->setCurrentIndex(selected);  // adding selects nothing
  }
  void Select(int index) override {
    if (index < combo()->count()) combo()->setCurrentIndex(index);
  }
  int Find(const QString& text) const override {
    for (int i = 0; i < combo()->count(); ++i)
      if (combo()->itemText(i) == text) return i;
    return -1;
  }
  void Connect(const Raiser& raise, const std::function<void()>&) override {
    QObject::connect(combo(), &QComboBox::currentIndexChanged, combo(), [raise](int index) {
      if (index >= 0) raise(kMsgChange, 0);
    });
  }
};

class ListControl : public Control {
 public:
  ListControl(const ControlDesc& desc, QWidget* parent)
      : Control(desc.id, desc.kind, desc.page, new QListWidget(parent)) {
    list()->setSelectionMode(QAbstractItemView::SingleSelection);
    if (!desc.text.empty()) AddItems(SplitItems(desc.text));
  }
  QListWidget* list() const { return static_cast<QListWidget*>(widget); }
  std::string Text() const override {
    return list()->currentItem() ? FromQt(list()->currentItem()->text()) : "";
  }
  void SetText(std::string_view) override {}  // its text is the selected item's
  void AddItems(const std::vector<std::string_view>& items) override {
    LineUpColumns(widget, items);
    for (std::string_view item : items) list()->addItem(ToQt(item));
  }
  void Select(int index) override {
    if (index >= list()->count()) return;
    list()->setCurrentRow(index);
    list()->scrollToItem(list()->item(index));
  }
  int Find(const QString& text) const override {
    for (int i = 0; i < list()->count(); ++i)
      if (list()->item(i)->text() == text) return i;
    return -1;
  }
  void Connect(const Raiser& raise, const std::function<void()>&) override {
    QObject::connect(list(), &QListWidget::currentRowChanged, list(), [raise](int row) {
      if (row >= 0) raise(kMsgChange, 0);
    });
  }
};

// The tab row: its items are the tabs, its selection the page shown.
class TabsControl : public Control {
 public:
  TabsControl(const ControlDesc& desc, PageChooser* tabs) : Control(desc.id, desc.kind, desc.page, tabs) {
    if (!desc.text.empty()) AddItems(SplitItems(desc.text));
  }
  PageChooser* tabs() const { return static_cast<PageChooser*>(widget); }
  std::string Text() const override {
    return tabs()->currentIndex() >= 0 ? FromQt(tabs()->tabText(tabs()->currentIndex())) : "";
  }
  void SetText(std::string_view) override {}
  void AddItems(const std::vector<std::string_view>& items) override {
    for (std::string_view item : items) tabs()->addTab(ToQt(item));
  }
  void Select(int index) override { tabs()->setCurrentIndex(index); }
  int Find(const QString& text) const override {
    for (int i = 0; i < tabs()->count(); ++i)
      if (tabs()->tabText(i) == text) return i;
    return -1;
  }
  void Connect(const Raiser& raise, const std::function<void()>&) override {
    tabs()->onUserChoice = [raise](int index) { raise(kMsgChange, index + 1); };
  }
};

std::unique_ptr<Control> MakeControl(const ControlDesc& desc, const Field* field, QWidget* parent,
                                     PageChooser* tabs) {
  switch (desc.kind) {
    case ControlKind::Label: return std::make_unique<LabelControl>(desc, parent);
    case ControlKind::TextBox:
      if (field && field->kind == FieldKind::Program) return std::make_unique<ProgramControl>(desc, parent);
      if (field && field->kind == FieldKind::Text && field->lines) return std::make_unique<ContourControl>(desc, parent);
      return std::make_unique<LineControl>(desc, field && field->kind == FieldKind::Number, parent);
    case ControlKind::Button:
    case ControlKind::Toggle:
    case ControlKind::CheckBox: return std::make_unique<ButtonControl>(desc, field, parent);
    case ControlKind::Radio: return std::make_unique<RadioControl>(desc, parent);
    case ControlKind::ComboBox: return std::make_unique<ComboControl>(desc, parent);
    case ControlKind::ListBox: return std::make_unique<ListControl>(desc, parent);
    case ControlKind::Frame: return std::make_unique<FrameControl>(desc, parent);
    case ControlKind::TabControl: return std::make_unique<TabsControl>(desc, tabs);
  }
  return std::make_unique<LabelControl>(desc, parent);
}

// The page's OK: the descriptor's, or a button that ends the page.
ControlId FootButton(const OperationDescriptor& op) {
  if (op.ok) return op.ok;
  if (!op.fields.empty() && op.fields.back().kind == FieldKind::Button) return op.fields.back().id;
  return 0;
}

}  // namespace

struct QtForm::Form {
  std::string name;
  std::string parent;
  QPointer<QMainWindow> window;
  QWidget* client = nullptr;  // what holds the controls
  bool loaded = true;
  bool placed = false;  // sized and centred once, on its first showing
  int shownPage = 0;
  std::map<ControlId, std::unique_ptr<Control>> controls;
  std::vector<Control*> order;
  // The main form: the tab row with its pages at the left, the always-visible part beside it,
  // all in a scrolling area.
  QScrollArea* scroll = nullptr;
  PageChooser* tabs = nullptr;
  QWidget* shared = nullptr;
  std::map<int, QScrollArea*> pageScrolls;  // by page
};

// Closing a form by the window's close button is the form's close event.
class QtForm::FormWindow : public QMainWindow {
 public:
  FormWindow(QtForm& owner, Form& form, QWidget* parent)
      : QMainWindow(parent, parent ? Qt::Dialog : Qt::Window), owner_(owner), form_(form) {}

 protected:
  // A dialog: Esc closes it, Enter presses its first button.
  void keyPressEvent(QKeyEvent* event) override {
    if (!form_.parent.empty() && event->modifiers() == Qt::NoModifier) {
      if (event->key() == Qt::Key_Escape) {
        close();
        return;
      }
      if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        for (Control* c : form_.order) {
          if (c->kind == ControlKind::Button) {
            static_cast<QAbstractButton*>(c->widget)->click();
            return;
          }
        }
      }
    }
    QMainWindow::keyPressEvent(event);
  }

  void closeEvent(QCloseEvent* event) override {
    owner_.CloseRequested(form_);
    // The main form stays when its close was cancelled (or waits behind a running handler).
    if (form_.parent.empty() && form_.loaded) {
      event->ignore();
    } else {
      event->accept();
    }
  }

 private:
  QtForm& owner_;
  Form& form_;
};

QtForm::QtForm() = default;

QtForm::~QtForm() {
  // Widgets lose focus and items as they go; nothing may reach the logic any more.
  closing_ = true;
  sink_ = nullptr;
  if (menuAction_) QObject::disconnect(menuAction_, nullptr, this, nullptr);
  std::vector<QPointer<QMainWindow>> topLevel;
  for (auto& [name, form] : forms_) {
    if (form->window && !form->window->parentWidget()) topLevel.push_back(form->window);
  }
  for (auto& [name, form] : forms_)
    if (form->tabs) form->tabs->onUserChoice = nullptr;
  // The controls outlive their widgets, whose last signals they may still receive.
  for (auto& window : topLevel) delete window.data();
}

QtForm::Form* QtForm::FindForm(std::string_view name) const {
  auto it = forms_.find(name);
  return it == forms_.end() ? nullptr : it->second.get();
}

QtForm::Control* QtForm::Find(std::string_view form, ControlId id) const {
  Form* f = FindForm(form);
  if (!f) return nullptr;
  auto it = f->controls.find(id);
  return it == f->controls.end() ? nullptr : it->second.get();
}

QWidget* QtForm::Window(std::string_view form) const {
  Form* f = FindForm(form);
  return f ? f->window.data() : nullptr;
}

QWidget* QtForm::Widget(std::string_view form, ControlId id) const {
  Control* c = Find(form, id);
  return c ? c->widget : nullptr;
}

QMainWindow* QtForm::MainWindow() const {
  for (auto& [name, form] : forms_) {
    if (form->parent.empty()) return form->window;
  }
  return nullptr;
}

QScrollArea* QtForm::ScrollArea() const {
  for (auto& [name, form] : forms_) {
    if (form->parent.empty()) return form->scroll;
  }
  return nullptr;
}

QScrollArea* QtForm::PageScroll(int page) const {
  for (auto& [name, form] : forms_) {
    if (!form->parent.empty()) continue;
    auto it = form->pageScrolls.find(page);
    return it == form->pageScrolls.end() ? nullptr : it->second;
  }
  return nullptr;
}

int QtForm::PageOf(std::string_view form, ControlId id) const {
  Control* c = Find(form, id);
  return c ? c->page : -1;
}

int QtForm::ProgramBoxWidth() const {
  if (!programArea_ || programArea_->count() == 0) return 0;
  return programArea_->widget(0)->sizeHint().width();
}

bool QtForm::IsMarked(std::string_view form, ControlId id) const {
  Control* c = Find(form, id);
  return c && c->marked;
}

void QtForm::FitOnScreen(QWidget* window) {
  QScreen* screen = window->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // The frame the window manager adds, as far as it is known yet.
  const QMargins frame(window->geometry().left() - window->frameGeometry().left(),
                       window->geometry().top() - window->frameGeometry().top(),
                       window->frameGeometry().right() - window->geometry().right(),
                       window->frameGeometry().bottom() - window->geometry().bottom());
  const QSize room = area.size().shrunkBy(frame);
  const QSize size =
      window->size().boundedTo(room).expandedTo(window->minimumSize().boundedTo(room));
  if (size != window->size()) window->resize(size);
  QRect outer(window->geometry().topLeft() - QPoint(frame.left(), frame.top()),
              size.grownBy(frame));
  const QPoint was = outer.topLeft();
  const QPoint last(std::max(area.left(), area.right() + 1 - outer.width()),
                    std::max(area.top(), area.bottom() + 1 - outer.height()));
  outer.moveTo(std::clamp(outer.left(), area.left(), last.x()),
               std::clamp(outer.top(), area.top(), last.y()));
  // Moved only when it must be: before the frame is known the window's place is not its frame's.
  if (outer.topLeft() != was) window->move(outer.topLeft());
}

// ---------------------------------------------------------------------------------------------
// Forms

void QtForm::CreateForm(std::string_view name, std::string_view parent, std::string_view caption) {
  if (auto it = forms_.find(name); it != forms_.end()) {
    delete it->second->window.data();
    forms_.erase(it);
  }
  auto form = std::make_unique<Form>();
  form->name = name;
  form->parent = parent;
  Form* owner = FindForm(parent);
  auto* window = new FormWindow(*this, *form, owner ? owner->window.data() : nullptr);
  window->setWindowTitle(ToQt(caption));
  window->setWindowIcon(QApplication::windowIcon());
  form->window = window;
  form->client = new QWidget;
  if (parent.empty()) {
    // Side by side, each as wide as it asks to be: the operation chooser, the chosen page
    // with the always-visible controls below it, and the program box above the drawing,
    // which take the room the window has beyond that.
    auto* row = new QHBoxLayout(form->client);
    row->setContentsMargins(0, 0, 0, 0);
    form->tabs = new PageChooser;
    form->tabs->setObjectName(QStringLiteral("chooser"));
    form->tabs->pages()->setObjectName(QStringLiteral("pages"));
    form->shared = new QWidget;
    form->shared->setObjectName(QStringLiteral("shared"));
    auto* formPane = new QWidget;
    formPane->setObjectName(QStringLiteral("formPane"));
    auto* column = new QVBoxLayout(formPane);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(form->tabs->pages(), 1);
    column->addWidget(form->shared, 0);
    programArea_ = new QSplitter(Qt::Vertical);
    programArea_->setObjectName(QStringLiteral("programArea"));
    programArea_->setChildrenCollapsible(false);
    mainArea_ = new QSplitter(Qt::Horizontal);
    mainArea_->setObjectName(QStringLiteral("mainArea"));
    mainArea_->setChildrenCollapsible(false);
    for (QWidget* pane : {static_cast<QWidget*>(form->tabs), formPane, static_cast<QWidget*>(programArea_)})
      mainArea_->addWidget(pane);
    mainArea_->setStretchFactor(0, 0);
    mainArea_->setStretchFactor(1, 0);
    mainArea_->setStretchFactor(2, 1);
    row->addWidget(mainArea_);
    // Smaller than the least its panes need (a tiny window, a large font), the window scrolls
    // rather than clips; each page scrolls on its own before that.
    form->scroll = Scroller(form->client);
    window->setCentralWidget(form->scroll);
    window->statusBar();  // made now, so that the first size counts it
  } else {
    // Other forms: their controls one below the other, the window as large as they need.
    new QVBoxLayout(form->client);
    window->setCentralWidget(form->client);
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
  }
  // The main menu belongs to the first form without a parent.
  if (!owner && !menuCaption_.empty() && !menuAction_) {
    menuAction_ = window->menuBar()->addAction(ToQt(menuCaption_));
    Form* f = form.get();
    connect(menuAction_, &QAction::triggered, this, [this, f] { Raise(*f, menuId_, kMsgClick, 0); });
  }
  forms_.emplace(std::string(name), std::move(form));
}

void QtForm::ShowForm(std::string_view name) {
  Form* form = FindForm(name);
  if (!form || !form->window) return;
  QMainWindow* window = form->window;
  if (!form->placed) {
    // The whole layout when the screen has room; FitOnScreen shrinks it to the room there is.
    if (form->scroll) {
      Remeasure(form->client);
      window->resize(window->sizeHint());
    } else {
      window->adjustSize();
    }
    QWidget* over = window->parentWidget();
    QRect area = over ? over->frameGeometry()
                      : (window->screen() ? window->screen()->availableGeometry() : QRect());
    if (area.isValid()) window->move(area.center() - window->rect().center());
    FitOnScreen(window);
    form->placed = true;
  }
  if (window->isVisible()) window->raise();  // already open, perhaps behind another window
  window->show();
  window->activateWindow();
  // The window manager's frame is known only once the window is shown.
  QPointer<QMainWindow> shown(window);
  QTimer::singleShot(0, window, [shown] {
    if (shown) FitOnScreen(shown);
  });
}

void QtForm::HideForm(std::string_view name) {
  if (Form* form = FindForm(name); form && form->window) form->window->hide();
}

void QtForm::UnloadForm(std::string_view name) {
  Form* form = FindForm(name);
  if (!form) return;
  form->loaded = false;
  for (auto& [childName, child] : forms_) {
    if (child->parent == form->name && child->window) child->window->hide();
  }
  if (form->window) form->window->hide();
  // Unloading the main form ends the program once the running handler has returned.
  if (form->parent.empty()) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

bool QtForm::IsLoaded(std::string_view name) const {
  Form* form = FindForm(name);
  return form && form->loaded;
}

void QtForm::CloseRequested(Form& form) {
  if (form.loaded) Raise(form, 0, kMsgClose, 0);
}

void QtForm::DefineMainMenu(int menuId, std::string_view caption) {
  menuId_ = menuId;
  menuCaption_ = caption;
  if (menuAction_) menuAction_->setText(ToQt(caption));
}

void QtForm::SetFormIcon(std::string_view form, std::string_view iconFile) {
  Form* f = FindForm(form);
  if (!f || !f->window) return;
  // The icon file in the current folder when there is a readable one; else our own.
  QIcon icon;
  QFileInfo file(ToQt(iconFile));
  if (file.isFile() && !QImageReader(file.absoluteFilePath()).read().isNull())
    icon = QIcon(file.absoluteFilePath());
  if (icon.isNull()) icon = TurnbrixIcon();
  f->window->setWindowIcon(icon);
}

void QtForm::ShowPage(std::string_view formName, int page) {
  Form* form = FindForm(formName);
  if (!form) return;
  form->shownPage = page;
  if (form->tabs && page >= 1 && page <= form->tabs->count()) form->tabs->setCurrentIndex(page - 1);
}

int QtForm::ShownPage(std::string_view formName) const {
  const Form* form = FindForm(formName);
  return form ? form->shownPage : 0;
}

// ---------------------------------------------------------------------------------------------
// Controls

QtForm::Control& QtForm::Add(Form& form, const ControlDesc& entry, const Field* field, QWidget* parent) {
  Remove(form, entry.id);
  std::unique_ptr<Control> made = MakeControl(entry, field, parent, form.tabs);
  Control* c = made.get();
  c->revision = ++revisions_;
  c->widget->setObjectName(QStringLiteral("control%1").arg(entry.id));
  Form* f = &form;
  c->Connect(
      [this, f, c](int message, int value) {
        if (!closing_ && c->widget->isEnabled()) Raise(*f, c->id, message, value);
      },
      [this, f, c] {
        if (closing_) return;
        c->revision = ++revisions_;
        // The user mends the box: its note goes at once, before the box is left.
        if (c->marked) Unmark(*f, *c);
      });
  if (entry.kind == ControlKind::TabControl) {
    // The next or previous page in the chooser's order, entered at its first field.
    auto* tabs = form.tabs;
    auto step = [this, tabs](QKeySequence keys, int steps) {
      auto* s = new QShortcut(keys, tabs->window());
      connect(s, &QShortcut::activated, tabs, [tabs, steps] {
        tabs->choose(tabs->neighbour(steps));
        tabs->enterPage();
      });
    };
    step(QKeySequence::NextChild, 1);
    step(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    step(QKeySequence::PreviousChild, -1);
    step(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
  }
  form.order.push_back(c);
  form.controls[entry.id] = std::move(made);
  return *c;
}

void QtForm::Remove(Form& form, ControlId id) {
  auto old = form.controls.find(id);
  if (old == form.controls.end()) return;
  form.order.erase(std::find(form.order.begin(), form.order.end(), old->second.get()));
  // The widget goes first: its last signals still find their control. The tab row is the form's.
  if (old->second->kind != ControlKind::TabControl) delete old->second->widget;
  form.controls.erase(old);
}

void QtForm::CreateControl(std::string_view formName, const ControlDesc& entry) {
  Form* form = FindForm(formName);
  if (!form) return;
  if (entry.kind == ControlKind::TabControl && form->tabs) {
    Add(*form, entry, nullptr, form->client);
    return;
  }
  // A control outside any descriptor: below the others of its page, or of the form.
  QWidget* parent = form->client;
  if (form->tabs) {
    parent = entry.page >= 1 && entry.page <= form->tabs->pages()->count()
                 ? form->tabs->pages()->widget(entry.page - 1)
                 : form->shared;
  }
  Control& c = Add(*form, entry, nullptr, parent);
  if (!parent->layout()) new QVBoxLayout(parent);
  if (auto* grid = qobject_cast<QGridLayout*>(parent->layout())) {
    grid->addWidget(c.widget, grid->rowCount(), 0, 1, -1);
  } else if (auto* column = qobject_cast<QBoxLayout*>(parent->layout())) {
    column->addWidget(c.widget, 0, c.kind == ControlKind::Button ? Qt::AlignHCenter : Qt::Alignment());
  }
}

// ---------------------------------------------------------------------------------------------
// Pages laid out from their descriptors

namespace {

// A caption the user reads as a heading: a note with a caption of its own.
void MakeHeading(QLabel* label) {
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
}

// A result the program computes, shown as a read-only value: black on white in a frame.
void MakeResult(QLabel* label) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  palette.setColor(QPalette::Window, Qt::white);
  label->setPalette(palette);
  label->setAutoFillBackground(true);
  label->setFrameStyle(QFrame::Box | QFrame::Plain);
  label->setAlignment(Qt::AlignCenter);
  label->setMargin(label->fontMetrics().height() / 6);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10);
}

bool IsResult(const Field& f) { return f.kind == FieldKind::Note && f.caption.empty() && !f.inch.empty(); }

// The option group's buttons in a grid, one column up to four and two beyond, filled down the
// first column first; a heading among them takes its place as a caption.
QGridLayout* ChoiceGrid(std::span<const Choice> choices, const std::function<QWidget*(ControlId)>& widget) {
  auto* grid = new QGridLayout;
  const int n = static_cast<int>(choices.size());
  const int columns = n > 4 ? 2 : 1;
  const int rows = (n + columns - 1) / columns;
  for (int i = 0; i < n; ++i) grid->addWidget(widget(choices[i].id), i % rows, i / rows);
  grid->setColumnStretch(columns, 1);
  return grid;
}

}  // namespace

void QtForm::AddPage(std::string_view formName, int page, const OperationDescriptor& op) {
  Form* form = FindForm(formName);
  if (!form || !form->tabs) return FormModel::AddPage(formName, page, op);
  if (page == 0) return LayOutShared(*form, op);
  LayOutPage(*form, page, op);
}

namespace {

// The controls of one page by id, as the descriptor makes them.
class PageControls {
 public:
  PageControls(const OperationDescriptor& op, int page) {
    for (const ControlDesc& desc : ControlsOf(op, page)) descs_.emplace(desc.id, desc);
  }
  const ControlDesc& operator[](ControlId id) const { return descs_.at(id); }

 private:
  std::map<ControlId, ControlDesc> descs_;
};

}  // namespace

// Two columns: the boxes with their captions beside them, then the option groups, check boxes
// and buttons; the page's OK at its foot. A list shown open takes the room the page has.
void QtForm::LayOutPage(Form& form, int page, const OperationDescriptor& op) {
  // The fields scroll when the window is lower or narrower than they need; the OK below them
  // stays in view.
  auto* shown = new QWidget;
  shown->setObjectName(QStringLiteral("page%1").arg(page));
  auto* host = new QWidget;
  QScrollArea* scroll = Scroller(host);
  form.pageScrolls[page] = scroll;
  auto* pageColumn = new QVBoxLayout(shown);
  pageColumn->addWidget(scroll, 1);
  QStackedWidget* stack = form.tabs->pages();
  stack->insertWidget(std::min(page - 1, stack->count()), shown);
  form.tabs->setPageKind(page - 1, op.group, op.name);
  auto* grid = new QGridLayout(host);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* boxes = new QGridLayout;  // caption, box, what goes beside the box
  auto* choices = new QVBoxLayout;
  const PageControls descs(op, page);
  const ControlId foot = FootButton(op);
  auto make = [&](ControlId id, const Field& f) { return Add(form, descs[id], &f, host).widget; };
  int row = 0;
  int numberRow = -1;      // the row of the number box just made
  bool inChoices = false;  // where the field before stands
  bool growing = false;    // a list box takes the page's room
  bool tall = false;       // a box of several lines takes the page's height
  for (const Field& f : op.fields) {
    const int before = numberRow;
    numberRow = -1;
    switch (f.kind) {
      case FieldKind::Number:
      case FieldKind::Text:
      case FieldKind::List: {
        QWidget* box = make(f.id, f);
        QLabel* label = f.label ? static_cast<QLabel*>(make(f.label, f))
                                : (f.caption.empty() ? nullptr : Caption(f.caption, host));
        const bool lines = f.kind == FieldKind::Text && f.lines;  // a ContourBox
        if (label) {
          label->setBuddy(box);
          boxes->addWidget(label, row, 0, lines ? Qt::AlignTop : Qt::Alignment());
        }
        if (f.kind == FieldKind::Number) {
          boxes->addWidget(box, row, 1, Qt::AlignLeft);
          numberRow = row;
        } else if (lines) {
          // Its caption level with its first line; the room the page has beyond its fields
          // goes to its lines and their drawing.
          const QPlainTextEdit* edit = static_cast<ContourBox*>(box)->Editor();
          if (label)
            label->setContentsMargins(0, edit->frameWidth() + static_cast<int>(edit->document()->documentMargin()), 0, 0);
          boxes->addWidget(box, row, 1, 1, 2);
          boxes->setRowStretch(row, 1);
          tall = true;
        } else {
          boxes->addWidget(box, row, 1, 1, 2, f.kind == FieldKind::List ? Qt::AlignLeft : Qt::Alignment());
        }
        ++row;
        inChoices = false;
        break;
      }
      case FieldKind::ListBox: {
        if (f.caption != op.caption) boxes->addWidget(Caption(f.caption, host), row++, 0, 1, 3);
        boxes->addWidget(make(f.id, f), row, 0, 1, 3);
        boxes->setRowStretch(row++, 1);
        growing = true;
        inChoices = false;
        break;
      }
      case FieldKind::Note: {
        auto* label = static_cast<QLabel*>(make(f.id, f));
        if (!f.caption.empty()) {
          MakeHeading(label);
          if (row > 0) boxes->setRowMinimumHeight(row++, label->fontMetrics().height() / 2);
          boxes->addWidget(label, row++, 0, 1, 3);
          inChoices = false;
          break;
        }
        if (IsResult(f)) MakeResult(label);
        if (inChoices) {
          choices->addWidget(label, 0, Qt::AlignLeft);
        } else {
          boxes->addWidget(label, row++, 0, 1, 3);
        }
        break;
      }
      case FieldKind::Options: {
        if (f.id == 0) {
          // A group without a frame: its caption beside a row of buttons, as a box's.
          auto* buttons = new QHBoxLayout;
          for (const Choice& c : f.choices) buttons->addWidget(make(c.id, f));
          buttons->addStretch(1);
          boxes->addWidget(Caption(f.caption, host), row, 0);
          boxes->addLayout(buttons, row++, 1, 1, 2);
          inChoices = false;
          break;
        }
        auto* frame = static_cast<QGroupBox*>(make(f.id, f));
        auto* buttonGroup = new QButtonGroup(frame);
        frame->setLayout(ChoiceGrid(f.choices, [&](ControlId id) {
          QWidget* w = Add(form, descs[id], &f, frame).widget;
          if (auto* radio = qobject_cast<QRadioButton*>(w)) buttonGroup->addButton(radio, id);
          return w;
        }));
        choices->addWidget(frame);
        inChoices = true;
        break;
      }
      case FieldKind::Toggle:
        // A toggle changes what the box before it means: it stands beside that box.
        if (before >= 0) {
          boxes->addWidget(make(f.id, f), before, 2, Qt::AlignLeft);
          break;
        }
        choices->addWidget(make(f.id, f), 0, Qt::AlignLeft);
        inChoices = true;
        break;
      case FieldKind::Check:
        choices->addWidget(make(f.id, f), 0, Qt::AlignLeft);
        inChoices = true;
        break;
      case FieldKind::Button:
        if (f.id == foot) break;  // made last, at the foot
        choices->addWidget(make(f.id, f), 0, Qt::AlignLeft);
        inChoices = true;
        break;
      case FieldKind::Program:
      case FieldKind::Tabs:
        break;
    }
  }
  // Frameless groups: their buttons exclude each other as a frame's do.
  for (const Field& f : op.fields) {
    if (f.kind != FieldKind::Options || f.id != 0) continue;
    auto* buttonGroup = new QButtonGroup(host);
    for (const Choice& c : f.choices)
      if (auto* radio = qobject_cast<QRadioButton*>(Widget(form.name, c.id))) buttonGroup->addButton(radio, c.id);
  }
  choices->addStretch(1);
  grid->addLayout(boxes, 0, 0);
  // The two columns stand apart by a line's height, so the groups do not crowd the boxes.
  grid->setColumnMinimumWidth(1, host->fontMetrics().height());
  grid->addLayout(choices, 0, 2);
  grid->setColumnStretch(growing ? 0 : 3, 1);
  grid->setRowStretch(growing || tall ? 0 : 1, 1);
  if (foot) {
    for (const Field& f : op.fields)
      if (f.id == foot) pageColumn->addWidget(Add(form, descs[f.id], &f, shown).widget, 0, Qt::AlignRight);
  }
}

// The always-visible part below the page, in rows narrow enough for a small window: the tool
// and its offset, its material, coolant and the surface speed, then the buttons. The program
// box heads the program area, where the drawing stands below it.
void QtForm::LayOutShared(Form& form, const OperationDescriptor& op) {
  QWidget* host = form.shared;
  auto* column = new QVBoxLayout(host);
  auto* line = new QFrame(host);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  column->addWidget(line);
  auto* tools = new QHBoxLayout;
  auto* materials = new QHBoxLayout;
  auto* speeds = new QHBoxLayout;
  auto* buttons = new QHBoxLayout;
  column->addLayout(tools);
  column->addLayout(materials);
  column->addLayout(speeds);
  const PageControls descs(op, 0);
  auto make = [&](ControlId id, const Field& f, QWidget* parent) {
    return Add(form, descs[id], &f, parent).widget;
  };
  for (const Field& f : op.fields) {
    switch (f.kind) {
      case FieldKind::List: {
        QWidget* box = make(f.id, f, host);
        QLabel* label = f.label ? static_cast<QLabel*>(make(f.label, f, host)) : Caption(f.caption, host);
        label->setBuddy(box);
        tools->addWidget(label);
        tools->addWidget(box);
        break;
      }
      case FieldKind::Options: {
        auto* group = new QButtonGroup(host);
        for (const Choice& c : f.choices) {
          QWidget* w = make(c.id, f, host);
          if (auto* radio = qobject_cast<QRadioButton*>(w)) group->addButton(radio, c.id);
          materials->addWidget(w);
        }
        break;
      }
      case FieldKind::Check:
      case FieldKind::Toggle:
        speeds->addWidget(make(f.id, f, host));
        break;
      case FieldKind::Number:
      case FieldKind::Text: {
        QWidget* box = make(f.id, f, host);
        QLabel* label = f.label ? static_cast<QLabel*>(make(f.label, f, host)) : Caption(f.caption, host);
        label->setBuddy(box);
        speeds->addWidget(label);
        speeds->addWidget(box);
        break;
      }
      case FieldKind::Program:
        programArea_->insertWidget(0, make(f.id, f, programArea_));
        programArea_->setStretchFactor(0, 1);
        break;
      case FieldKind::Button:
        buttons->addWidget(make(f.id, f, host));
        break;
      case FieldKind::Note:
        // The tool's name, beside the Tool and Offset boxes.
        tools->addWidget(make(f.id, f, host));
        break;
      case FieldKind::ListBox:
        column->addWidget(make(f.id, f, host), 1);
        break;
      case FieldKind::Tabs:
        break;
    }
  }
  for (QHBoxLayout* row : {tools, materials, speeds, buttons}) row->addStretch(1);
  column->addLayout(buttons);
}

// ---------------------------------------------------------------------------------------------
// Events

void QtForm::Raise(const Form& form, ControlId control, int message, int value) {
  if (closing_) return;
  pending_.push_back({form.name, control, message, value});
  if (dispatching_) return;
  dispatching_ = true;
  while (!pending_.empty()) {
    Event event = std::move(pending_.front());
    pending_.pop_front();
    if (sink_ && IsLoaded(event.form)) sink_(event.form, event.control, event.message, event.value);
  }
  dispatching_ = false;
}

// ---------------------------------------------------------------------------------------------
// Control state

std::string QtForm::GetText(std::string_view form, ControlId id) const {
  const Control* c = Find(form, id);
  return c ? c->Text() : "";
}

void QtForm::SetText(std::string_view form, ControlId id, std::string_view text) {
  Control* c = Find(form, id);
  if (!c) return;
  QSignalBlocker quiet(c->widget);
  c->revision = ++revisions_;
  c->SetText(text);
}

void QtForm::AppendText(std::string_view form, ControlId id, std::string_view text) {
  auto* c = dynamic_cast<ProgramControl*>(Find(form, id));
  if (!c) return FormModel::AppendText(form, id, text);
  QSignalBlocker quiet(c->widget);
  const std::uint64_t revision = ++revisions_;
  if (!c->Append(text)) return FormModel::AppendText(form, id, text);
  c->revision = revision;
}

void QtForm::TruncateText(std::string_view form, ControlId id, std::size_t length) {
  auto* c = dynamic_cast<ProgramControl*>(Find(form, id));
  if (!c) return FormModel::TruncateText(form, id, length);
  QSignalBlocker quiet(c->widget);
  const std::uint64_t revision = ++revisions_;
  if (!c->Truncate(length)) return FormModel::TruncateText(form, id, length);
  c->revision = revision;
}

std::uint64_t QtForm::Revision(std::string_view form, ControlId id) const {
  const Control* c = Find(form, id);
  return c ? c->revision : 0;
}

int QtForm::GetCheck(std::string_view form, ControlId id) const {
  auto* button = qobject_cast<QAbstractButton*>(Widget(form, id));
  return button && button->isChecked() ? 1 : 0;
}

void QtForm::SetCheck(std::string_view form, ControlId id, int check) {
  auto* button = qobject_cast<QAbstractButton*>(Widget(form, id));
  if (!button) return;
  QSignalBlocker quiet(button);
  // The program sets each radio button on its own: its group excludes only for the user.
  QButtonGroup* group = button->group();
  const bool exclusive = group && group->exclusive();
  if (exclusive) group->setExclusive(false);
  button->setChecked(check != 0);
  if (exclusive) group->setExclusive(true);
}

void QtForm::Enable(std::string_view form, ControlId id) {
  if (QWidget* w = Widget(form, id)) w->setEnabled(true);
}

void QtForm::Disable(std::string_view form, ControlId id) {
  if (QWidget* w = Widget(form, id)) w->setEnabled(false);
}

void QtForm::SelectItem(std::string_view form, ControlId id, int index) {
  Control* c = Find(form, id);
  if (!c || index < 0) return;
  QSignalBlocker quiet(c->widget);
  c->Select(index);
}

void QtForm::AddItems(std::string_view form, ControlId id, std::string_view text, bool splitItems) {
  Control* c = Find(form, id);
  if (!c) return;
  QSignalBlocker quiet(c->widget);
  c->AddItems(splitItems ? SplitItems(text) : std::vector<std::string_view>{text});
}

int QtForm::FindNext(std::string_view form, ControlId id, std::string_view text) const {
  const Control* c = Find(form, id);
  return c ? c->Find(ToQt(text)) : -1;
}

void QtForm::SetClipboard(std::string_view text) {
  QGuiApplication::clipboard()->setText(ToQt(text));
}

void QtForm::MessageBox(std::string_view text, std::string_view title, MessageIcon icon) {
  if (messageSink_) {
    messageSink_(title, text);
    return;
  }
  QWidget* parent = nullptr;
  for (auto& [name, form] : forms_) {
    if (form->parent.empty() && form->window && form->window->isVisible()) parent = form->window;
  }
  QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                  ToQt(title), ToQt(text), QMessageBox::Ok, parent);
  box.exec();
}

bool QtForm::Ask(std::string_view text, std::string_view title, std::string_view yes) {
  if (messageSink_) {
    messageSink_(title, text);
    return true;
  }
  QMessageBox box(QMessageBox::Question, ToQt(title), ToQt(text), QMessageBox::Cancel, MainWindow());
  QPushButton* answer = box.addButton(WithMnemonic(yes, yes.empty() ? 0 : yes.front()), QMessageBox::AcceptRole);
  box.setDefaultButton(answer);
  box.setEscapeButton(QMessageBox::Cancel);
  box.exec();
  return box.clickedButton() == answer;
}

void QtForm::FocusField(std::string_view formName, ControlId id) {
  Form* form = FindForm(formName);
  Control* field = Find(formName, id);
  if (!form || !form->loaded || !field) return;
  // A field on another page: its tab is chosen as the user would choose it.
  if (form->tabs && field->page >= 1 && field->page - 1 != form->tabs->currentIndex())
    form->tabs->choose(field->page - 1);
  QPointer<QWidget> widget(field->widget);
  QPointer<QScrollArea> scroll(PageScroll(field->page));
  QTimer::singleShot(0, widget, [widget, scroll] {
    if (!widget || !widget->isVisible() || !widget->isEnabled()) return;
    widget->window()->activateWindow();
    if (scroll && scroll->isAncestorOf(widget)) scroll->ensureWidgetVisible(widget);
    widget->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(widget.data())) line->selectAll();
  });
}

void QtForm::FieldNote(std::string_view form, ControlId id, std::string_view note) {
  Control* c = Find(form, id);
  Form* f = FindForm(form);
  if (!c || !f) return;
  if (note.empty()) {
    if (c->marked) Unmark(*f, *c);
    return;
  }
  c->note = ToQt(note);
  f->window->statusBar()->showMessage(c->note);
  if (c->marked) return;
  c->marked = true;
  QPalette palette = c->widget->palette();
  palette.setColor(QPalette::Base, kMarkedBase);
  c->widget->setPalette(palette);
  c->widget->setProperty("unreadable", true);
}

void QtForm::Unmark(Form& form, Control& c) {
  c.marked = false;
  QPalette palette = c.widget->palette();
  palette.setColor(QPalette::Base, QApplication::palette(c.widget).color(QPalette::Base));
  c.widget->setPalette(palette);
  c.widget->setProperty("unreadable", false);
  // The status bar's note goes with the mark, unless another note has taken its place.
  if (QStatusBar* bar = form.window ? form.window->statusBar() : nullptr; bar && bar->currentMessage() == c.note)
    bar->clearMessage();
  c.note.clear();
}

}  // namespace tbx
