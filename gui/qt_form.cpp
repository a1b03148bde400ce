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
#include <QGroupBox>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "app/catalogue.h"
#include "app/tooltips.h"
#include "gui/icon/turnbrix_icon.h"
#include "gui/qt_tabs.h"

namespace tbx {

namespace {

// Grid units from the form font: a column a third wider than its average character, so that
// the catalogue's captions fit their cells, and a row 1.4 of its line, so that a text box
// 1.2 rows tall holds its line inside the style's frame.
constexpr double kColumnPerCharacter = 4.0 / 3.0;
constexpr double kRowPerLine = 1.4;

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

bool HasStyle(std::string_view style, char letter) {
  return style.find(letter) != std::string_view::npos;
}

// The multi-line boxes hold the program with CR LF line ends; the editor keeps LF.
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

// How far the mark and caption of a radio button or check box reach from its left edge,
// with room for the focus frame around the caption.
int CaptionReach(QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
  const QRect contents = button->style()->subElementRect(
      radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
  return contents.left() + button->fontMetrics().horizontalAdvance(button->text()) + 3;
}

// Alt+letter for the buttons; the text the logic reads stays without the mark.
QString WithMnemonic(std::string_view text) {
  static const std::pair<std::string_view, const char*> marks[] = {
      {"OK", "&OK"}, {"Undo", "&Undo"}, {"Copy", "&Copy"}, {"Exit", "E&xit"}, {"Calc", "C&alc"}};
  for (const auto& [plain, marked] : marks) {
    if (text == plain) return QString::fromLatin1(marked);
  }
  QString shown = ToQt(text);
  return shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
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

// Operations add to the end of the program and Undo cuts it back: only the last `cut`
// characters are removed and `added` put after them, so a long program is not laid out again.
void EditEnd(QPlainTextEdit* box, int cut, const QString& added) {
  QTextDocument* document = box->document();
  document->setUndoRedoEnabled(false);  // as setPlainText, it ends the editor's own undo
  QTextCursor end(document);
  end.movePosition(QTextCursor::End);
  if (cut > 0) {
    end.setPosition(end.position() - cut, QTextCursor::KeepAnchor);
    end.removeSelectedText();
  }
  if (!added.isEmpty()) end.insertText(added);
  document->setUndoRedoEnabled(true);
  ShowEnd(box);
}

// A box marked as having held no number: tinted until it holds one again.
const QColor kMarkedBase(255, 214, 214);

// The library's 16-colour palette.
QColor PaletteColour(int index) {
  static const QColor colours[16] = {
      {0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},  {128, 0, 0}, {128, 0, 128},
      {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},    {0, 255, 0}, {0, 255, 255},
      {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
  return colours[std::clamp(index, 0, 15)];
}

}  // namespace

struct QtForm::Control {
  ControlId id = 0;
  ControlKind kind = ControlKind::Label;
  int layer = 0;
  std::string style;
  double column = 0, row = 0, width = 0, height = 0;
  QWidget* widget = nullptr;
  QWidget* outer = nullptr;  // what is placed on the form: the widget, or its splitter
  bool multiLine = false;
  bool marked = false;
  // Multi-line boxes: the text as the program last set it, returned unchanged until the user
  // edits the box, so that the program text comes back byte for byte.
  std::string programText;
  bool editedByUser = false;
  std::uint64_t revision = 0;  // see FormModel::Revision
};

struct QtForm::Form {
  std::string name;
  std::string parent;
  QPointer<QMainWindow> window;
  QWidget* client = nullptr;  // the controls' area, the grid's origin
  bool loaded = true;
  bool placed = false;  // centred once, on its first showing
  int visibleLayer = 0;
  double width = 1, height = 1;  // grid units
  QSizeF unit;                   // pixels per column and per row
  bool unitFixed = false;
  ControlId stretchId = 0;  // takes the room beyond the grid
  QSize extra;              // pixels beyond the grid
  QScrollArea* scroll = nullptr;
  std::map<ControlId, std::unique_ptr<Control>> controls;
  std::vector<Control*> order;
  std::map<const RadioGroup*, QButtonGroup*> groups;
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
  for (auto& [name, form] : forms_) {
    for (Control* c : form->order) {
      QObject::disconnect(c->widget, nullptr, this, nullptr);
      if (c->kind == ControlKind::TabControl)
        static_cast<MultiRowTabs*>(c->widget)->onUserChoice = nullptr;
    }
  }
  if (menuAction_) QObject::disconnect(menuAction_, nullptr, this, nullptr);
  sink_ = nullptr;
  textBoxes_.clear();
  std::vector<QPointer<QMainWindow>> topLevel;
  for (auto& [name, form] : forms_) {
    if (form->window && !form->window->parentWidget()) topLevel.push_back(form->window);
  }
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

QSizeF QtForm::GridUnit(std::string_view form) const {
  Form* f = FindForm(form);
  return f ? f->unit : QSizeF();
}

QMainWindow* QtForm::MainWindow() const {
  for (auto& [name, form] : forms_) {
    if (form->parent.empty()) return form->window;
  }
  return nullptr;
}

QSize QtForm::GridSize(std::string_view form) const {
  Form* f = FindForm(form);
  if (!f) return {};
  return QSize(qRound(f->width * f->unit.width()), qRound(f->height * f->unit.height()));
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

void QtForm::SetStretch(std::string_view name, ControlId id) {
  Form* form = FindForm(name);
  Control* c = Find(name, id);
  if (!form || !c || form->stretchId) return;
  form->stretchId = id;
  QMainWindow* window = form->window;
  window->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
  window->setMinimumSize(0, 0);
  window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  // Smaller than its grid (a small screen, a large font), the form scrolls rather than clips.
  form->scroll = new QScrollArea;
  form->scroll->setFrameShape(QFrame::NoFrame);
  form->scroll->setWidgetResizable(true);
  window->takeCentralWidget();
  form->scroll->setWidget(form->client);
  window->setCentralWidget(form->scroll);
  window->statusBar();  // made now, so that the first size counts it
  form->client->installEventFilter(this);

  programArea_ = new QSplitter(Qt::Horizontal, form->client);
  programArea_->setObjectName(QStringLiteral("programArea"));
  programArea_->setChildrenCollapsible(false);
  programArea_->addWidget(c->widget);
  c->outer = programArea_;
  ApplySize(*form);
  Place(*form, *c);
  UpdateVisibility(*form);
  if (form->placed) {
    ShowWholeGrid(*form);
    FitOnScreen(window);
  }
}

// The window as large as the whole grid with its menu and status bars; FitOnScreen then
// shrinks it to the screen's room.
void QtForm::ShowWholeGrid(Form& form) {
  QMainWindow* window = form.window;
  int chrome = 0;
  for (QWidget* bar : {window->menuWidget(), static_cast<QWidget*>(window->statusBar())}) {
    if (bar) chrome += bar->sizeHint().height();
  }
  window->resize(GridSize(form.name) + QSize(0, chrome));
}

QWidget* QtForm::Outer(const Control& control) const {
  return control.outer ? control.outer : control.widget;
}

void QtForm::Stretch(Form& form) {
  const QSize grid = GridSize(form.name);
  const QSize extra = (form.client->size() - grid).expandedTo(QSize(0, 0));
  if (extra == form.extra) return;
  form.extra = extra;
  for (Control* c : form.order) Place(form, *c);
}

// ---------------------------------------------------------------------------------------------
// Forms

void QtForm::CreateForm(std::string_view name, std::string_view parent, std::string_view caption,
                        double, double, double width, double height, std::string_view) {
  if (auto it = forms_.find(name); it != forms_.end()) {
    for (auto w = textBoxes_.begin(); w != textBoxes_.end();) {
      w = w->second.first == it->second.get() ? textBoxes_.erase(w) : std::next(w);
    }
    delete it->second->window.data();
    forms_.erase(it);
  }
  auto form = std::make_unique<Form>();
  form->name = name;
  form->parent = parent;
  form->width = width;
  form->height = height;
  Form* owner = FindForm(parent);
  auto* window = new FormWindow(*this, *form, owner ? owner->window.data() : nullptr);
  window->setWindowTitle(ToQt(caption));
  window->setWindowIcon(QApplication::windowIcon());
  form->client = new QWidget;
  window->setCentralWidget(form->client);
  window->layout()->setSizeConstraint(QLayout::SetFixedSize);
  form->window = window;
  // The main menu belongs to the first form without a parent.
  if (!owner && !menuCaption_.empty() && !menuAction_) {
    menuAction_ = window->menuBar()->addAction(ToQt(menuCaption_));
    Form* f = form.get();
    connect(menuAction_, &QAction::triggered, this,
            [this, f] { Raise(*f, menuId_, kMsgClick, 0); });
  }
  forms_.emplace(std::string(name), std::move(form));
}

void QtForm::FixGridUnit(Form& form) {
  if (form.unitFixed) return;
  QFont font = font_ >= 0 ? fonts_[font_] : QApplication::font();
  form.window->setFont(font);
  QFontMetrics metrics(font);
  form.unit =
      QSizeF(metrics.averageCharWidth() * kColumnPerCharacter, metrics.lineSpacing() * kRowPerLine);
  form.unitFixed = true;
}

void QtForm::ApplySize(Form& form) {
  FixGridUnit(form);
  const QSize grid = GridSize(form.name);
  if (form.stretchId) {
    form.client->setMinimumSize(grid);
    form.client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    form.client->setFixedSize(grid);
  }
}

void QtForm::ResizeForm(std::string_view name, double, double, double width, double height, int) {
  Form* form = FindForm(name);
  if (!form) return;
  form->width = width;
  form->height = height;
  ApplySize(*form);
  UpdateVisibility(*form);
}

void QtForm::ShowForm(std::string_view name) {
  Form* form = FindForm(name);
  if (!form || !form->window) return;
  QMainWindow* window = form->window;
  if (!form->placed) {
    ApplySize(*form);
    UpdateVisibility(*form);
    window->adjustSize();
    if (form->scroll) {
      ShowWholeGrid(*form);
    } else {
      // A fixed form grows to hold a caption wider than its cell (a long folder name).
      const QRect used = form->client->childrenRect();
      form->client->setFixedSize(GridSize(form->name).expandedTo(
          QSize(used.right() + qRound(form->unit.width()), used.bottom())));
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

void QtForm::DefineFont(int slot, std::string_view face, int points, std::string_view style) {
  QFont font(ToQt(face), points);
  font.setBold(HasStyle(style, 'B'));
  font.setItalic(HasStyle(style, 'I'));
  font.setUnderline(HasStyle(style, 'U'));
  fonts_[slot] = font;
}

void QtForm::UseFont(int slot) { font_ = fonts_.count(slot) ? slot : -1; }

void QtForm::SetColor(int foreground, int background) {
  foreground_ = foreground;
  background_ = background;
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

// ---------------------------------------------------------------------------------------------
// Controls

QWidget* QtForm::MakeWidget(Form& form, Control& control, std::string_view text) {
  QWidget* parent = form.client;
  switch (control.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setText(ToQt(text));
      label->setAlignment((HasStyle(control.style, 'C') ? Qt::AlignHCenter : Qt::AlignLeft) |
                          Qt::AlignVCenter);
      if (HasStyle(control.style, 'F')) label->setFrameStyle(QFrame::Box | QFrame::Plain);
      return label;
    }
    case ControlKind::TextBox: {
      if (HasStyle(control.style, 'M')) {
        control.multiLine = true;
        auto* box = new QPlainTextEdit(parent);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setTabChangesFocus(true);
        box->setFont(FixedPitch(font_ >= 0 ? fonts_[font_] : form.window->font()));
        control.programText = text;
        box->setPlainText(ToEditor(text));
        return box;
      }
      return new QLineEdit(ToQt(text), parent);
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(WithMnemonic(text), parent);
      button->setAutoDefault(false);
      button->setCheckable(HasStyle(control.style, 'X'));  // a toggle keeps its check mark
      return button;
    }
    case ControlKind::Radio: {
      auto* radio = new QRadioButton(ToQt(text), parent);
      // Exclusion follows the catalogue's groups, and only for the user's clicks.
      radio->setAutoExclusive(false);
      if (const RadioGroup* group = form.name == kMainForm ? GroupOf(control.id) : nullptr) {
        QButtonGroup*& buttons = form.groups[group];
        if (!buttons) {
          buttons = new QButtonGroup(form.window);
          buttons->setExclusive(false);
        }
        buttons->addButton(radio, control.id);
      }
      return radio;
    }
    case ControlKind::CheckBox:
      return new QCheckBox(ToQt(text), parent);
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      if (!text.empty()) {
        for (std::string_view item : SplitItems(text)) combo->addItem(ToQt(item));
      }
      combo->setCurrentIndex(-1);  // nothing selected until the program selects
      combo->setMaxVisibleItems(std::max(1, static_cast<int>(control.height) - 1));
      return combo;
    }
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      if (!text.empty()) {
        for (std::string_view item : SplitItems(text)) list->addItem(ToQt(item));
      }
      return list;
    }
    case ControlKind::Frame: {
      auto* frame = new QGroupBox(ToQt(text), parent);
      frame->setFocusPolicy(Qt::NoFocus);
      return frame;
    }
    case ControlKind::TabControl: {
      // The controls of layer n are the form's own, shown while tab n is chosen.
      auto* tabs = new MultiRowTabs(parent);
      if (!text.empty()) {
        for (std::string_view item : SplitItems(text)) tabs->addTab(ToQt(item));
      }
      auto* next = new QShortcut(QKeySequence::NextChild, form.window);
      connect(next, &QShortcut::activated, tabs,
              [tabs] { tabs->choose((tabs->currentIndex() + 1) % tabs->count()); });
      auto* previous = new QShortcut(QKeySequence::PreviousChild, form.window);
      connect(previous, &QShortcut::activated, tabs,
              [tabs] { tabs->choose((tabs->currentIndex() + tabs->count() - 1) % tabs->count()); });
      return tabs;
    }
  }
  return new QWidget(parent);
}

void QtForm::CreateControl(std::string_view formName, const ControlSpec& entry) {
  Form* form = FindForm(formName);
  if (!form) return;
  FixGridUnit(*form);
  if (auto old = form->controls.find(entry.id); old != form->controls.end()) {
    textBoxes_.erase(old->second->widget);
    form->order.erase(std::find(form->order.begin(), form->order.end(), old->second.get()));
    delete old->second->widget;
    form->controls.erase(old);
  }

  auto control = std::make_unique<Control>();
  control->id = entry.id;
  control->kind = entry.kind;
  control->layer = layer_;
  control->style = entry.style;
  control->column = entry.column;
  control->row = entry.row;
  control->width = entry.width;
  control->height = entry.height;
  QWidget* widget = MakeWidget(*form, *control, entry.text);
  control->widget = widget;
  if (font_ >= 0 && !control->multiLine) widget->setFont(fonts_[font_]);
  if (foreground_ >= 0 || background_ >= 0) {
    QPalette palette = widget->palette();
    if (foreground_ >= 0) {
      for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, PaletteColour(foreground_));
    }
    if (background_ >= 0) {
      for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, PaletteColour(background_));
      widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
  }
  control->outer = widget;
  widget->setObjectName(QStringLiteral("control%1").arg(entry.id));
  Place(*form, *control);

  // Frames and the tab pane are drawn behind the controls they hold.
  if (entry.kind == ControlKind::Frame || entry.kind == ControlKind::TabControl) widget->lower();
  for (Control* other : form->order) {
    if (other->kind == ControlKind::TabControl) other->widget->lower();
  }

  Control* raw = control.get();
  form->order.push_back(raw);
  form->controls[entry.id] = std::move(control);
  Connect(*form, *raw);
  UpdateVisibility(*form);
}

void QtForm::Place(const Form& form, Control& control) {
  const double cu = form.unit.width(), ru = form.unit.height();
  // Edges are rounded, not sizes, so that cells that meet in the grid meet on screen.
  int left = qRound(control.column * cu), top = qRound(control.row * ru);
  int right = qRound((control.column + control.width) * cu);
  int bottom = qRound((control.row + control.height) * ru);
  // Room beyond the grid goes to the stretching control; what stands below or right of it
  // moves with its edges.
  if (const Control* s = form.stretchId ? Find(form.name, form.stretchId) : nullptr) {
    if (&control == s) {
      right += form.extra.width();
      bottom += form.extra.height();
    } else {
      const int dx = control.column >= s->column + s->width ? form.extra.width() : 0;
      const int dy = control.row >= s->row + s->height ? form.extra.height() : 0;
      left += dx, right += dx, top += dy, bottom += dy;
    }
  }
  QWidget* w = control.widget;
  // A combo box is drawn as tall as its style makes it; its cell's height is the drop-down's.
  if (control.kind == ControlKind::ComboBox) bottom = top + w->sizeHint().height();
  // A caption a little wider in this font than in the grid's reaches on into the free space
  // beside it rather than being cut.
  if (control.kind == ControlKind::Radio || control.kind == ControlKind::CheckBox)
    right = std::max(right, left + CaptionReach(static_cast<QAbstractButton*>(w)));
  auto* label = qobject_cast<QLabel*>(w);
  if (label && label->frameShape() == QFrame::NoFrame) {
    const bool lines = label->text().contains(QLatin1Char('\n'));
    if (!HasStyle(control.style, 'C')) {
      int widest = 0;
      for (const QString& line : label->text().split(QLatin1Char('\n')))
        widest = std::max(widest, label->fontMetrics().horizontalAdvance(line));
      right = std::max(right, left + widest + 1);
    }
    // Centred on the first row of its cell: level with a box in the same row, and close to
    // one a quarter row above, as the catalogue places some captions. Text of several lines
    // fills the cell from its top.
    if (lines) label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setContentsMargins(0, 0, 0, lines ? 0 : std::max(0, bottom - top - qRound(ru)));
  }
  Outer(control)->setGeometry(left, top, right - left, bottom - top);
}

void QtForm::Connect(Form& form, Control& control) {
  QWidget* widget = control.widget;
  Form* f = &form;
  Control* c = &control;
  switch (control.kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
      // clicked comes after the check mark has changed, and only from the user.
      connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
              [this, f, c] { RaiseFrom(*f, *c, kMsgClick, 0); });
      break;
    case ControlKind::Radio:
      connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
              [this, f, c] { RadioClicked(*f, *c); });
      break;
    case ControlKind::TextBox:
      textBoxes_[widget] = {f, c};
      widget->installEventFilter(this);
      if (control.multiLine) {
        connect(static_cast<QPlainTextEdit*>(widget), &QPlainTextEdit::textChanged, this,
                [this, c] {
                  c->editedByUser = true;
                  c->revision = ++revisions_;
                });
      } else {
        connect(static_cast<QLineEdit*>(widget), &QLineEdit::textChanged, this,
                [this, c] { c->revision = ++revisions_; });
        connect(static_cast<QLineEdit*>(widget), &QLineEdit::returnPressed, this,
                [this, f, c] { RaiseFrom(*f, *c, kMsgLeave, 0); });
      }
      break;
    case ControlKind::ComboBox:
      connect(static_cast<QComboBox*>(widget), &QComboBox::currentIndexChanged, this,
              [this, f, c](int index) {
                if (index >= 0) RaiseFrom(*f, *c, kMsgChange, 0);
              });
      break;
    case ControlKind::ListBox:
      connect(static_cast<QListWidget*>(widget), &QListWidget::currentRowChanged, this,
              [this, f, c](int row) {
                if (row >= 0) RaiseFrom(*f, *c, kMsgChange, 0);
              });
      break;
    case ControlKind::TabControl:
      static_cast<MultiRowTabs*>(widget)->onUserChoice = [this, f, c](int index) {
        RaiseFrom(*f, *c, kMsgChange, index + 1);
      };
      break;
    case ControlKind::Label:
    case ControlKind::Frame:
      break;
  }
}

void QtForm::UpdateVisibility(Form& form) {
  for (Control* c : form.order) {
    const bool onForm = c->column < form.width && c->row < form.height;
    const bool layerShown = c->layer == 0 || c->layer == form.visibleLayer;
    Outer(*c)->setVisible(onForm && layerShown);
  }
}

void QtForm::DisplayLayer(std::string_view formName, int layer, int) {
  Form* form = FindForm(formName);
  if (!form) return;
  form->visibleLayer = layer;
  for (Control* c : form->order) {
    if (c->kind != ControlKind::TabControl) continue;
    auto* tabs = static_cast<MultiRowTabs*>(c->widget);
    if (layer >= 1 && layer <= tabs->count()) tabs->setCurrentIndex(layer - 1);
  }
  UpdateVisibility(*form);
}

// ---------------------------------------------------------------------------------------------
// Events

void QtForm::Raise(const Form& form, ControlId control, int message, int value) {
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

void QtForm::RaiseFrom(const Form& form, const Control& control, int message, int value) {
  if (!control.widget->isEnabled()) return;
  Raise(form, control.id, message, value);
}

void QtForm::RadioClicked(const Form& form, const Control& control) {
  auto* radio = static_cast<QAbstractButton*>(control.widget);
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
  Raise(form, control.id, kMsgClick, 0);
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    for (auto& [name, form] : forms_) {
      if (form->client == watched && form->stretchId) Stretch(*form);
    }
  }
  if (event->type() == QEvent::FocusOut) {
    auto it = textBoxes_.find(watched);
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Another window or a popup taking the focus does not end the editing.
    if (it != textBoxes_.end() && reason != Qt::ActiveWindowFocusReason &&
        reason != Qt::PopupFocusReason) {
      RaiseFrom(*it->second.first, *it->second.second, kMsgLeave, 0);
    }
  }
  return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Control state

std::string QtForm::GetText(std::string_view form, ControlId id) const {
  Control* c = Find(form, id);
  if (!c) return "";
  switch (c->kind) {
    case ControlKind::Label:
      return FromQt(static_cast<QLabel*>(c->widget)->text());
    case ControlKind::TextBox:
      if (c->multiLine) {
        return c->editedByUser ? FromEditor(static_cast<QPlainTextEdit*>(c->widget)->toPlainText())
                               : c->programText;
      }
      return FromQt(static_cast<QLineEdit*>(c->widget)->text());
    case ControlKind::Button:
      return FromQt(WithoutMnemonic(static_cast<QAbstractButton*>(c->widget)->text()));
    case ControlKind::Radio:
    case ControlKind::CheckBox:
      return FromQt(static_cast<QAbstractButton*>(c->widget)->text());
    case ControlKind::Frame:
      return FromQt(static_cast<QGroupBox*>(c->widget)->title());
    case ControlKind::ComboBox: {
      auto* combo = static_cast<QComboBox*>(c->widget);
      return combo->currentIndex() >= 0 ? FromQt(combo->currentText()) : "";
    }
    case ControlKind::ListBox: {
      auto* list = static_cast<QListWidget*>(c->widget);
      return list->currentItem() ? FromQt(list->currentItem()->text()) : "";
    }
    case ControlKind::TabControl: {
      auto* tabs = static_cast<MultiRowTabs*>(c->widget);
      return tabs->currentIndex() >= 0 ? FromQt(tabs->tabText(tabs->currentIndex())) : "";
    }
  }
  return "";
}

void QtForm::SetText(std::string_view form, ControlId id, std::string_view text) {
  Control* c = Find(form, id);
  if (!c) return;
  QSignalBlocker quiet(c->widget);
  c->revision = ++revisions_;
  switch (c->kind) {
    case ControlKind::Label:
      static_cast<QLabel*>(c->widget)->setText(ToQt(text));
      if (Form* f = FindForm(form)) Place(*f, *c);
      break;
    case ControlKind::TextBox:
      if (c->multiLine) {
        auto* box = static_cast<QPlainTextEdit*>(c->widget);
        // An operation adds to the end of the box: only the new blocks are added, so that a
        // long program is not laid out again for each one.
        const std::string shown = GetText(form, id);
        const bool extends = !shown.empty() && text.size() > shown.size() &&
                             text.compare(0, shown.size(), shown) == 0 && shown.back() != '\r';
        const bool same = text == shown;
        c->programText = text;
        c->editedByUser = false;
        if (extends) {
          EditEnd(box, 0, ToEditor(std::string_view(text).substr(shown.size())));
        } else {
          if (!same) box->setPlainText(ToEditor(text));  // else nothing to lay out again
          ShowEnd(box);
        }
      } else {
        static_cast<QLineEdit*>(c->widget)->setText(ToQt(text));
      }
      break;
    case ControlKind::Button:
      static_cast<QAbstractButton*>(c->widget)->setText(WithMnemonic(text));
      break;
    case ControlKind::Radio:
    case ControlKind::CheckBox:
      static_cast<QAbstractButton*>(c->widget)->setText(ToQt(text));
      break;
    case ControlKind::Frame:
      static_cast<QGroupBox*>(c->widget)->setTitle(ToQt(text));
      break;
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
    case ControlKind::TabControl:
      break;  // their text is the selected item's
  }
}

int QtForm::GetCheck(std::string_view form, ControlId id) const {
  auto* button = qobject_cast<QAbstractButton*>(Widget(form, id));
  return button && button->isChecked() ? 1 : 0;
}

void QtForm::SetCheck(std::string_view form, ControlId id, int check) {
  auto* button = qobject_cast<QAbstractButton*>(Widget(form, id));
  if (!button) return;
  QSignalBlocker quiet(button);
  button->setChecked(check != 0);
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
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) {
    if (index < combo->count()) combo->setCurrentIndex(index);
  } else if (auto* list = qobject_cast<QListWidget*>(c->widget)) {
    if (index < list->count()) {
      list->setCurrentRow(index);
      list->scrollToItem(list->item(index));
    }
  } else if (c->kind == ControlKind::TabControl) {
    static_cast<MultiRowTabs*>(c->widget)->setCurrentIndex(index);
  }
}

void QtForm::AddItems(std::string_view form, ControlId id, std::string_view text, bool splitItems) {
  Control* c = Find(form, id);
  if (!c) return;
  std::vector<std::string_view> items =
      splitItems ? SplitItems(text) : std::vector<std::string_view>{text};
  QSignalBlocker quiet(c->widget);
  // Items laid out in columns (a drill's name filled with blanks, then its size) line up in
  // the fixed-pitch face.
  if (std::any_of(items.begin(), items.end(),
                  [](std::string_view item) { return item.find("  ") != std::string_view::npos; }))
    c->widget->setFont(FixedPitch(c->widget->font()));
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) {
    const int selected = combo->currentIndex();
    for (std::string_view item : items) combo->addItem(ToQt(item));
    combo->setCurrentIndex(selected);  // adding selects nothing
  } else if (auto* list = qobject_cast<QListWidget*>(c->widget)) {
    for (std::string_view item : items) list->addItem(ToQt(item));
  } else if (c->kind == ControlKind::TabControl) {
    for (std::string_view item : items) static_cast<MultiRowTabs*>(c->widget)->addTab(ToQt(item));
  }
}

void QtForm::AppendText(std::string_view form, ControlId id, std::string_view text) {
  Control* c = Find(form, id);
  // An empty box, one the user edited and one ending inside a line end are set whole.
  if (!c || !c->multiLine || c->editedByUser || c->programText.empty() ||
      c->programText.back() == '\r')
    return FormModel::AppendText(form, id, text);
  auto* box = static_cast<QPlainTextEdit*>(c->widget);
  QSignalBlocker quiet(box);
  c->revision = ++revisions_;
  c->programText += text;
  EditEnd(box, 0, ToEditor(text));
}

void QtForm::TruncateText(std::string_view form, ControlId id, std::size_t length) {
  Control* c = Find(form, id);
  // A box the user edited, or a cut inside a line end, is set whole.
  if (!c || !c->multiLine || c->editedByUser || length == 0 || length >= c->programText.size() ||
      c->programText[length - 1] == '\r')
    return FormModel::TruncateText(form, id, length);
  auto* box = static_cast<QPlainTextEdit*>(c->widget);
  QSignalBlocker quiet(box);
  c->revision = ++revisions_;
  const auto cut = ToEditor(std::string_view(c->programText).substr(length)).size();
  c->programText.resize(length);
  EditEnd(box, static_cast<int>(cut), QString());
}

std::uint64_t QtForm::Revision(std::string_view form, ControlId id) const {
  const Control* c = Find(form, id);
  return c ? c->revision : 0;
}

int QtForm::FindNext(std::string_view form, ControlId id, std::string_view text) const {
  Control* c = Find(form, id);
  if (!c) return -1;
  const QString wanted = ToQt(text);
  if (auto* combo = qobject_cast<QComboBox*>(c->widget)) {
    for (int i = 0; i < combo->count(); ++i) {
      if (combo->itemText(i) == wanted) return i;
    }
  } else if (auto* list = qobject_cast<QListWidget*>(c->widget)) {
    for (int i = 0; i < list->count(); ++i) {
      if (list->item(i)->text() == wanted) return i;
    }
  } else if (c->kind == ControlKind::TabControl) {
    auto* tabs = static_cast<MultiRowTabs*>(c->widget);
    for (int i = 0; i < tabs->count(); ++i) {
      if (tabs->tabText(i) == wanted) return i;
    }
  }
  return -1;
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
  if (title == "TBX Error") FocusNamedField(text);
}

void QtForm::FocusNamedField(std::string_view message) {
  Form* form = FindForm(kMainForm);
  if (!form || !form->loaded) return;
  const ControlId id = FieldNamedIn(message, form->visibleLayer);
  Control* field = id ? Find(kMainForm, id) : nullptr;
  if (!field) return;
  // A field on another tab: that tab is chosen as the user would choose it.
  if (field->layer != 0 && field->layer != form->visibleLayer) {
    for (Control* c : form->order) {
      if (c->kind == ControlKind::TabControl)
        static_cast<MultiRowTabs*>(c->widget)->choose(field->layer - 1);
    }
  }
  QPointer<QWidget> widget(field->widget);
  QTimer::singleShot(0, widget, [widget] {
    if (!widget || !widget->isVisible() || !widget->isEnabled()) return;
    widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(widget.data())) line->selectAll();
  });
}

void QtForm::FieldNote(std::string_view form, ControlId id, std::string_view note) {
  Control* c = Find(form, id);
  Form* f = FindForm(form);
  if (!c || !f) return;
  if (!note.empty()) f->window->statusBar()->showMessage(ToQt(note));
  const bool mark = !note.empty();
  if (mark == c->marked) return;
  c->marked = mark;
  QPalette palette = c->widget->palette();
  const QColor plain = QApplication::palette(c->widget).color(QPalette::Base);
  palette.setColor(QPalette::Base, mark ? kMarkedBase : plain);
  c->widget->setPalette(palette);
  c->widget->setProperty("unreadable", mark);
}

}  // namespace tbx
