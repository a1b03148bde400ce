// The desktop window driven through its real widgets: mouse clicks, typed keys, list popups.
// Every job must leave the window in the state the headless runner reaches on the same files.
#include "gui/qt_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDrag>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QMenu>
#include <QTextBlock>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTextLayout>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QTimer>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/catalogue.h"
#include "app/events.h"
#include "app/startup.h"
#include "app/machine_boxes.h"
#include "app/step_sizes.h"
#include "toolpath/expander.h"
#include "toolpath/export.h"
#include "gui/contour_box.h"
#include "gui/icon/turnbrix_icon.h"
#include "gui/job_runner.h"
#include "gui/program_window.h"
#include "gui/gcode_highlighter.h"
#include "gui/export_dialog.h"
#include "gui/qt_preview.h"
#include "gui/toolpath_pane.h"
#include "gui/qt_step_list.h"
#include "gui/qt_tabs.h"
#include "gui/stock_dialog.h"
#include "toolpath/contour.h"
#include "toolpath/simulation.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every control of the main form as the descriptors make it, the tab row last.
const std::vector<ControlDesc>& AllControls() {
  static const std::vector<ControlDesc> all = [] {
    const Operations& ops = StandardOperations();
    std::vector<ControlDesc> controls;
    for (int page = 1; page <= TabCount(ops); ++page)
      for (const ControlDesc& c : ControlsOf(*ops.pages[page - 1], page)) controls.push_back(c);
    for (const ControlDesc& c : ControlsOf(*ops.shared, 0)) controls.push_back(c);
    controls.push_back({id::kTabs, ControlKind::TabControl, 0, ""});
    return controls;
  }();
  return all;
}

// A home folder holding the shipped default.txt and, unless told otherwise, data.txt.
class Home {
 public:
  explicit Home(bool withData = true) {
    for (const char* name : {"default.txt", "data.txt"}) {
      if (!withData && std::string(name) == "data.txt") continue;
      fs::copy_file(fs::path(TURNBRIX_RESOURCES) / name, path() / name);
    }
  }
  fs::path path() const { return dir_.path().toStdString(); }

 private:
  QTemporaryDir dir_;
};

struct Raised {
  std::string form;
  ControlId control;
  int message;
  int value;
  bool operator==(const Raised&) const = default;
};

char* toString(const std::vector<Raised>& events) {
  QString text;
  for (const Raised& e : events)
    text += QStringLiteral("(%1 %2 %3 %4) ")
                .arg(QString::fromStdString(e.form))
                .arg(e.control)
                .arg(e.message)
                .arg(e.value);
  return qstrdup(text.toUtf8().constData());
}

// Answers every message box as the user would, with its OK button, and keeps what it said.
class BoxWatcher {
 public:
  BoxWatcher() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // Questions (Cancel and a named answer) are the test's to answer.
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->button(QMessageBox::Ok)) return;
      seen.push_back("[" + box->windowTitle().toStdString() + "] " + box->text().toStdString());
      icons.push_back(box->icon());
      QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    timer_.start();
  }
  std::vector<std::string> seen;
  std::vector<QMessageBox::Icon> icons;

 private:
  QTimer timer_;
};

enum class Frame { kFormOnly, kDesktop };

// The program in the Qt window, with a record of every event the window raised. As the
// desktop program, the form stands in its ProgramWindow (menus, files, shortcuts), whose
// questions and file choices the test answers.
class Window {
 public:
  explicit Window(bool withData = true, Frame frame = Frame::kFormOnly,
                  const QString& settingsFile = {})
      : home(withData), app(form, home.path()) {
    if (frame == Frame::kDesktop) {
      settings = std::make_unique<QSettings>(
          settingsFile.isEmpty() ? settingsDir.filePath(QStringLiteral("turnbrix.conf")) : settingsFile,
          QSettings::IniFormat);
      program = std::make_unique<ProgramWindow>(form, app, *settings);
      program->SetPrompt([this] {
        ++asked;
        return answer;
      });
      program->SetFileChooser([this](bool, const QString&) { return chosen; });
    }
    form.SetEventSink([this](std::string_view name, ControlId control, int message, int value) {
      events.push_back({std::string(name), control, message, value});
      if (program) {
        program->Event(name, control, message, value);
      } else {
        DispatchEvent(app, name, control, message, value);
      }
    });
    started = StartUp(app);
    if (started && program) program->Install();
    if (started) {
      main()->activateWindow();
      started = QTest::qWaitForWindowActive(main());
    }
  }

  QWidget* main() { return form.Window(kMainForm); }
  template <class T = QWidget>
  T* W(ControlId id) {
    return qobject_cast<T*>(form.Widget(kMainForm, id));
  }
  std::string Text(ControlId id) { return form.GetText(kMainForm, id); }
  PageChooser* Tabs() { return dynamic_cast<PageChooser*>(W(id::kTabs)); }

  // User actions on the real widgets.
  void Click(ControlId id) {
    QWidget* w = W(id);
    QPoint at = w->rect().center();
    // Radio buttons and check boxes take clicks on their mark and caption only.
    if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))
      at = QPoint(w->height() / 2, w->height() / 2);
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
  }
  void Type(ControlId id, const QString& text) {
    auto* box = W<QLineEdit>(id);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
  }
  void Pick(ControlId id, int index) {
    if (auto* combo = W<QComboBox>(id)) {
      QTest::mouseClick(combo, Qt::LeftButton);  // opens the drop-down
      QAbstractItemView* view = combo->view();
      QVERIFY(QTest::qWaitForWindowExposed(view->window()));
      // The pointer resting on the item makes it current; Enter takes it. (A click on it can
      // be dropped by the drop-down's guard against the release of the opening click.)
      view->setCurrentIndex(view->model()->index(index, combo->modelColumn()));
      QTest::keyClick(view, Qt::Key_Return);
      QTRY_VERIFY(!view->isVisible());
    } else {
      auto* list = W<QListWidget>(id);
      list->scrollToItem(list->item(index));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(index)).center());
    }
  }
  // A click on the page's row in the chooser, which shows every row without scrolling.
  void Tab(int tab) {
    PageChooser* chooser = Tabs();
    const QRect row = chooser->visualItemRect(chooser->itemOf(tab - 1));
    QVERIFY2(chooser->viewport()->rect().contains(row), qPrintable(QStringLiteral("page %1 out of view").arg(tab)));
    QTest::mouseClick(chooser->viewport(), Qt::LeftButton, {}, row.center());
  }

  BoxWatcher boxes;
  Home home;
  QtForm form;
  App app;
  std::vector<Raised> events;
  bool started = false;
  QTemporaryDir settingsDir;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<ProgramWindow> program;
  ProgramWindow::Answer answer = ProgramWindow::Answer::Cancel;
  int asked = 0;
  QString chosen;
};

// The same program without a window.
class Headless {
 public:
  Headless() : runner(home.path(), out, err) { started = runner.Start(); }
  Home home;
  std::ostringstream out, err;
  JobRunner runner;
  bool started = false;
};

struct Step {
  enum Kind { kTab, kType, kPick, kClick } kind;
  int id;  // the tab number for kTab
  QString text = {};
  int index = 0;
};

Step Tab(int tab) { return {Step::kTab, tab}; }
Step Type(int id, const char* text) { return {Step::kType, id, QString::fromUtf8(text)}; }
Step Pick(int id, int index) { return {Step::kPick, id, {}, index}; }
Step Click(int id) { return {Step::kClick, id}; }

struct Job {
  const char* name;
  std::vector<Step> steps;
};

const std::vector<Job>& Jobs() {
  using namespace id;
  static const std::vector<Job> jobs = {
      {"thread OT then G33 with a 45 degree exit, the second undone",
       {Tab(2), Pick(kThreadSize, 20), Type(kThreadMajorDia, "0.5"), Type(kThreadZEnd, "-1.25"),
        Click(kG32Code), Click(kOtControl), Click(kThreadOk), Click(kChamfer45), Click(kG33Code),
        Type(kThreadPasses, "6"), Click(kThreadOk), Click(kUndo), Click(kCopy)}},
      {"center drill and countersink",
       {Tab(3), Pick(kCSinkDrillSize, 150), Click(kAngle118), Type(kCSinkDwell, ".5"),
        Click(kCSinkOk), Click(kCenterDrill60), Click(kCenter3), Click(kCSinkOk), Click(kCopy)}},
      {"deep drill by percent peck, then ream with feed out",
       {Tab(4), Pick(kDeepDrillSize, 120), Click(kPercentPeckMode), Type(kPercentPeck, "70"),
        Click(kDeep135), Click(kDeepOk), Tab(5), Type(kReamerDia, "0.25"), Click(kFeedOut),
        Click(kReamOk), Click(kUndo), Click(kCopy)}},
      {"material, tool, offset and coolant, then tap and groove",
       {Tab(1), Pick(kMaterialList, 5), Click(kHss), Pick(kTool, 2), Pick(kOffset, 4),
        Click(kCoolant), Tab(6), Pick(kTapSize, 10), Click(kTapG32), Click(kTapOk), Tab(7),
        Click(kGrooveInside), Click(kRightToggle), Click(kLeftToggle), Type(kRightSize, ".03"),
        Click(kFinishPass), Click(kGrooveOk), Click(kCopy)}},
      {"tap drill data",
       {Tab(8), Pick(kDataTapSize, 5), Pick(kPercentThread, 3), Click(kColdFormTap),
        Type(kTapDia, "0.3125"), Click(kCalc), Pick(kDataDrillList, 30)}},
      {"settings",
       {Tab(9), Type(kXToolChange, "4.25"), Type(kZToolChange, "5.5"), Click(kSettingsOk), Tab(2),
        Click(kThreadOk)}},
  };
  return jobs;
}

void Run(Window& window, const Step& step) {
  switch (step.kind) {
    case Step::kTab:
      window.Tab(step.id);
      break;
    case Step::kType:
      window.Type(step.id, step.text);
      break;
    case Step::kPick:
      window.Pick(step.id, step.index);
      break;
    case Step::kClick:
      window.Click(step.id);
      break;
  }
}

void Run(JobRunner& runner, const Step& step) {
  switch (step.kind) {
    case Step::kTab:
      runner.Tab(step.id);
      break;
    case Step::kType:
      runner.Type(step.id, step.text.toStdString());
      break;
    case Step::kPick:
      runner.Pick(step.id, step.index);
      break;
    case Step::kClick:
      runner.Click(step.id);
      break;
  }
}

// Every control whose text, check mark or enabled state differs between the two.
QStringList Differences(Window& window, Headless& headless) {
  QStringList differences;
  HeadlessForm& model = headless.runner.form();
  for (const ControlDesc& entry : AllControls()) {
    const HeadlessControl* expected = model.Control(kMainForm, entry.id);
    const std::string text = window.Text(entry.id);
    const std::string wanted = model.GetText(kMainForm, entry.id);
    if (text != wanted) {
      differences << QStringLiteral("%1 text '%2' instead of '%3'")
                         .arg(entry.id)
                         .arg(QString::fromStdString(text), QString::fromStdString(wanted));
    }
    if (window.form.GetCheck(kMainForm, entry.id) != model.GetCheck(kMainForm, entry.id))
      differences << QStringLiteral("%1 check differs").arg(entry.id);
    if (window.W(entry.id)->isEnabled() != expected->enabled)
      differences << QStringLiteral("%1 enabled differs").arg(entry.id);
  }
  return differences;
}

// The first block where two program texts part, for a readable failure.
QString FirstDifference(const std::string& got, const std::string& wanted) {
  QStringList a = QString::fromStdString(got).split(QStringLiteral("\r\n"));
  QStringList b = QString::fromStdString(wanted).split(QStringLiteral("\r\n"));
  for (int i = 0; i < std::max(a.size(), b.size()); ++i) {
    QString x = i < a.size() ? a[i] : QStringLiteral("(end)");
    QString y = i < b.size() ? b[i] : QStringLiteral("(end)");
    if (x != y) return QStringLiteral("block %1: '%2' instead of '%3'").arg(i + 1).arg(x, y);
  }
  return {};
}

// Where a control's drawing reaches: captions end at their text, not at their cell.
QRect Painted(QWidget* w) {
  QRect cell = w->geometry();
  if (auto* label = qobject_cast<QLabel*>(w); label && label->frameShape() == QFrame::NoFrame) {
    return label->fontMetrics().boundingRect(cell, int(label->alignment()), label->text());
  }
  if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w)) {
    auto* button = static_cast<QAbstractButton*>(w);
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect contents = button->style()->subElementRect(qobject_cast<QRadioButton*>(w)
                                                               ? QStyle::SE_RadioButtonContents
                                                               : QStyle::SE_CheckBoxContents,
                                                           &option, button);
    cell.setWidth(contents.left() + button->fontMetrics().horizontalAdvance(button->text()) + 2);
  }
  return cell;
}

}  // namespace

// The starter library of the data folder, as a first run copies it.
void UseShippedTools(App& app) {
  ToolLibraryRead read = LoadToolLibrary(fs::path(TURNBRIX_RESOURCES) / kToolLibraryFileName);
  QVERIFY2(read, read.error.c_str());
  app.tools = std::move(read.library);
}

// The window beside the headless runner for the step list: what the list does to the job in
// the window, the runner's script does to its own, and the two must agree.
struct StepsBeside {
  StepsBeside() : window(true, Frame::kDesktop) {
    if (!window.started) return;
    steps = window.program->Steps();
    list = steps->List();
  }
  // Face, Turn and Ream, by OK in the window and in the runner.
  bool ThreeOks() {
    const std::pair<int, ControlId> oks[] = {{10, id::kFaceOk}, {11, id::kTurnOk}, {5, id::kReamOk}};
    for (const auto& [tab, ok] : oks) {
      window.Tab(tab);
      window.Click(ok);
    }
    return Run("tab 10\nclick 1260\ntab 11\nclick 1380\ntab 5\nclick 705\n");
  }
  bool Run(const std::string& script) {
    std::istringstream in(script);
    return headless.runner.RunScript(in, false) == 0;
  }
  // The same program and steps; the rows show them, with their run times; the chosen row's
  // blocks selected in the box and its moves bold in the drawing; the caret's step in the
  // status bar.
  void Same(const char* what) {
    QVERIFY2(window.Text(id::kOutput) == headless.runner.Output(), what);
    const std::vector<JobStep>& shown = window.app.job.steps;
    const std::vector<JobStep>& made = headless.runner.app().job.steps;
    QCOMPARE(shown.size(), made.size());
    QCOMPARE(window.app.job.editing, headless.runner.app().job.editing);
    QCOMPARE(list->topLevelItemCount(), static_cast<int>(shown.size()));
    const std::vector<StepLines> lines = LinesOfSteps(window.app.job);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      QVERIFY2(shown[i].op == made[i].op && shown[i].values == made[i].values && shown[i].text == made[i].text, what);
      QTreeWidgetItem* row = list->topLevelItem(static_cast<int>(i));
      QCOMPARE(row->text(StepListPane::kNumber), QString::number(i + 1));
      if (shown[i].op)
        QVERIFY(row->text(StepListPane::kTab).startsWith(QString::fromUtf8(shown[i].op->caption.data(), shown[i].op->caption.size())));
      QCOMPARE(row->text(StepListPane::kTime), RunTimeText([&] {
        double seconds = 0;
        for (const toolpath::Move& m : window.program->Toolpath()->Path().moves)
          if (m.line >= lines[i].first && m.line <= lines[i].last) seconds += m.seconds;
        return seconds;
      }()));
    }
    const int chosen = steps->Current();
    if (chosen < 0) return;
    const StepLines at = lines[static_cast<std::size_t>(chosen)];
    QCOMPARE(window.program->Toolpath()->Preview()->HighlightedLine(), at.first);
    QCOMPARE(window.program->Toolpath()->Preview()->HighlightedLast(), at.last);
    QCOMPARE(Box()->document()->findBlock(Box()->textCursor().selectionStart()).blockNumber() + 1, at.first);
    QVERIFY2(steps->CaretStep()->text().startsWith(QStringLiteral("Step %1 (").arg(chosen + 1)),
             qPrintable(steps->CaretStep()->text()));
  }
  QPlainTextEdit* Box() { return window.W<QPlainTextEdit>(id::kOutput); }
  QPoint RowAt(int row) { return list->visualItemRect(list->topLevelItem(row)).center(); }
  // A double-click is taken on the row its first press chose.
  void DoubleClick(int row) {
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, RowAt(row));
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, RowAt(row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowAt(row));
  }

  Window window;
  Headless headless;
  StepListPane* steps = nullptr;
  QTreeWidget* list = nullptr;
};

class QtFormTest : public QObject {
  Q_OBJECT

 private slots:
  void jobsLeaveTheStateOfTheHeadlessRunner_data() {
    QTest::addColumn<int>("job");
    for (std::size_t i = 0; i < Jobs().size(); ++i) QTest::newRow(Jobs()[i].name) << int(i);
  }

  void jobsLeaveTheStateOfTheHeadlessRunner() {
    QFETCH(int, job);
    Window window;
    Headless headless;
    QVERIFY(window.started && headless.started);
    QGuiApplication::clipboard()->clear();
    for (const Step& step : Jobs()[job].steps) {
      Run(window, step);
      Run(headless.runner, step);
    }
    const std::string output = window.Text(id::kOutput);
    const QString firstDifference = FirstDifference(output, headless.runner.Output());
    QVERIFY2(firstDifference.isEmpty(), qPrintable(firstDifference));
    const QStringList differences = Differences(window, headless);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QStringLiteral("; "))));
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(),
             headless.runner.form().Clipboard());
    QCOMPARE(window.boxes.seen, headless.runner.Messages());
    // The output box shows the program, one block a line.
    QCOMPARE(window.W<QPlainTextEdit>(id::kOutput)->toPlainText(),
             QString::fromStdString(output).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }

  void startUpShowsTheMaterialTabAndItsCaption() {
    Window window;
    QVERIFY(window.started);
    QCOMPARE(window.main()->windowTitle(), QStringLiteral("Turnbrix V2.5"));
    QVERIFY(window.W(id::kMaterialList)->isVisible());
    QVERIFY(!window.W(id::kThreadMajorDia)->isVisible());
    QVERIFY(window.W(id::kOutput)->isVisible());
    QCOMPARE(window.Tabs()->currentIndex(), 0);
    QCOMPARE(window.Text(id::kTool), std::string("T01"));
    QCOMPARE(window.Text(id::kOffset), std::string("01"));
    QVERIFY(!window.W<QComboBox>(id::kTool)->isEditable());
    QVERIFY(window.W<QPlainTextEdit>(id::kOutput)->font().fixedPitch());
    const QPalette result = window.W(id::kTapDrillResult)->palette();
    QCOMPARE(result.color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(result.color(QPalette::Window), QColor(Qt::white));
    QVERIFY(window.W(id::kTapDrillResult)->autoFillBackground());
    QCOMPARE(window.W<QPlainTextEdit>(id::kOutput)->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(window.events.empty());
  }

  void tabsShowTheirLayerAndRaiseTheTabNumber() {
    Window window;
    QVERIFY(window.started);
    for (int tab : {5, 2, 9, 1}) {
      window.events.clear();
      window.Tab(tab);
      QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kTabs, kMsgChange, tab}}));
      for (const ControlDesc& entry : AllControls()) {
        const bool shown = entry.page == 0 || entry.page == tab;
        QVERIFY2(window.W(entry.id)->isVisible() == shown, qPrintable(QString::number(entry.id)));
      }
    }
    // From the keyboard, in the chooser's order (Material, Drill + Tap Data, Settings): Ctrl+Tab
    // anywhere in the window, entering the page at its first field; the arrow keys in the
    // chooser, which keeps the focus.
    window.events.clear();
    QTest::keyClick(window.W(id::kMaterialList), Qt::Key_Tab, Qt::ControlModifier);
    QTRY_VERIFY(window.Tabs()->pages()->currentWidget()->isAncestorOf(QApplication::focusWidget()));
    window.Tabs()->setFocus();
    QTest::keyClick(window.Tabs(), Qt::Key_Down);
    QTest::keyClick(window.Tabs(), Qt::Key_Up);
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kTabs, kMsgChange, 8},
                                                 {"TBXMAIN", id::kTabs, kMsgChange, 9},
                                                 {"TBXMAIN", id::kTabs, kMsgChange, 8}}));
    QVERIFY(window.W(id::kDataTapSize)->isVisible());
    // Grouped as the work is, in machining order.
    QStringList rows;
    for (int row = 0; row < window.Tabs()->QListWidget::count(); ++row)
      rows << window.Tabs()->item(row)->text().trimmed();
    QCOMPARE(rows.join(QLatin1Char('|')),
             QStringLiteral("Turning|Face|Turn|Profile|Groove|Thread|Part-off|Hole making|C'Sink/Drill|"
                            "Deep Drill|Ream|Tap|Data|Material|Drill + Tap Data|Settings"));
  }

  void programChangesRaiseNoEvents() {
    Window window;
    QVERIFY(window.started);
    QtForm& form = window.form;
    form.SetText(kMainForm, id::kThreadMajorDia, "7");
    form.SetText(kMainForm, id::kOutput, "N10 G0\r\n");
    form.SetCheck(kMainForm, id::kToolAngle29, 1);
    form.SetCheck(kMainForm, id::kCoolant, 0);
    form.SetCheck(kMainForm, id::kRightToggle, 1);
    form.SelectItem(kMainForm, id::kThreadSize, 3);
    form.SelectItem(kMainForm, id::kMaterialList, 2);
    form.SelectItem(kMainForm, id::kTabs, 4);
    form.AddItems(kMainForm, id::kOffset, "25|26", true);
    form.AddItems(kMainForm, id::kMaterialList, "Unobtainium", false);
    form.ShowPage(kMainForm, 3);
    form.Disable(kMainForm, id::kCSinkDrillDia);
    form.Enable(kMainForm, id::kCSinkDrillDia);
    QTest::qWait(50);
    QCOMPARE(window.events, std::vector<Raised>{});
    // ...and only the named radio changes: the others of its group keep their marks.
    QCOMPARE(form.GetCheck(kMainForm, id::kToolAngle0), 1);
    QCOMPARE(form.GetCheck(kMainForm, id::kToolAngle29), 1);
    QCOMPARE(window.Text(id::kOffset), std::string("01"));
    QCOMPARE(form.FindNext(kMainForm, id::kOffset, "26"), 25);
    QCOMPARE(form.FindNext(kMainForm, id::kMaterialList, "unobtainium"), -1);
  }

  void disabledControlsRaiseNothing() {
    Window window;
    QVERIFY(window.started);
    window.Tab(3);
    window.events.clear();
    window.Click(id::kUndo);     // disabled until there is something to undo
    window.Click(id::kCenter2);  // centre-drill sizes wait for 60 Deg Center
    QTest::keyClicks(window.W(id::kPilotDia), "5");
    window.Tab(6);
    window.events.clear();
    window.Click(id::kLeftHand);
    QCOMPARE(window.events, std::vector<Raised>{});
    QCOMPARE(window.form.GetCheck(kMainForm, id::kCenter2), 0);
    QCOMPARE(window.form.GetCheck(kMainForm, id::kLeftHand), 0);
    QCOMPARE(window.Text(id::kPilotDia), std::string());
  }

  void radioClickChecksItAndClearsOnlyItsGroup() {
    Window window;
    QVERIFY(window.started);
    window.Tab(2);
    for (int twice = 0; twice < 2; ++twice) {  // a checked radio stays checked
      window.events.clear();
      window.Click(id::kToolAngle60);
      QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kToolAngle60, kMsgClick, 0}}));
      for (const Choice& member : FindField(StandardOperations(), id::kToolAngle60).field->choices)
        QCOMPARE(window.form.GetCheck(kMainForm, member.id), member.id == id::kToolAngle60 ? 1 : 0);
      QCOMPARE(window.form.GetCheck(kMainForm, id::kOtControl), 1);
      QCOMPARE(window.form.GetCheck(kMainForm, id::kThreadOutside), 1);
    }
  }

  void toggleButtonsKeepTheirCheckMark() {
    Window window;
    QVERIFY(window.started);
    window.Tab(7);
    for (int expected : {1, 0, 1}) {
      window.events.clear();
      window.Click(id::kLeftToggle);
      QCOMPARE(window.form.GetCheck(kMainForm, id::kLeftToggle), expected);
      QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kLeftToggle, kMsgClick, 0}}));
    }
  }

  void leavingOrEnterEndsTheEditing() {
    Window window;
    QVERIFY(window.started);
    window.Tab(2);
    auto* major = window.W<QLineEdit>(id::kThreadMajorDia);
    QTest::mouseClick(major, Qt::LeftButton);
    window.events.clear();
    QTest::keyClick(major, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(major, "0.50");
    QCOMPARE(window.events, std::vector<Raised>{});  // typing alone ends nothing
    QTest::keyClick(major, Qt::Key_Return);
    QCOMPARE(window.Text(id::kThreadMajorDia), std::string(".5"));
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kThreadMajorDia, kMsgLeave, 0}}));

    // Tab leaves the box for the next one in creation order.
    window.events.clear();
    QTest::keyClicks(major, "5");
    QTest::keyClick(major, Qt::Key_Tab);
    QCOMPARE(window.Text(id::kThreadMajorDia), std::string(".55"));
    QCOMPARE(QApplication::focusWidget(), window.W(id::kThreadPitch));
    QTest::keyClick(window.W(id::kThreadPitch), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.W(id::kThreadZStart));
    QTest::keyClick(window.W(id::kThreadZStart), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), window.W(id::kThreadPitch));
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kThreadMajorDia, kMsgLeave, 0},
                                                 {"TBXMAIN", id::kThreadPitch, kMsgLeave, 0},
                                                 {"TBXMAIN", id::kThreadZStart, kMsgLeave, 0}}));

    // Clicking OK leaves the box first, then clicks.
    window.events.clear();
    window.Click(id::kThreadOk);
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kThreadPitch, kMsgLeave, 0},
                                                 {"TBXMAIN", id::kThreadOk, kMsgClick, 0}}));
  }

  void theOutputBoxKeepsCrLfThroughUserEdits() {
    Window window;
    QVERIFY(window.started);
    window.form.SetText(kMainForm, id::kOutput, "N10 G0\r\nN20 M1\r\n");
    QCOMPARE(window.Text(id::kOutput), std::string("N10 G0\r\nN20 M1\r\n"));
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(box, "N30 M30");
    QCOMPARE(window.Text(id::kOutput), std::string("N10 G0\r\nN20 M1\r\nN30 M30"));
  }

  void messageBoxesCarryTheirIcon() {
    Window window;
    QVERIFY(window.started);
    window.Tab(3);
    window.Click(id::kCenterDrill60);
    window.Type(id::kCSinkDrillDia, "0");
    window.Click(id::kCSinkOk);
    QTRY_COMPARE(window.boxes.seen.size(), std::size_t(1));
    QCOMPARE(window.boxes.seen[0],
             std::string("[TBX Error] Drill Diameter must be greater than 0"));
    QCOMPARE(window.boxes.icons[0], QMessageBox::Warning);
    QCOMPARE(window.Text(id::kOutput), std::string());

    window.Tab(9);
    window.Click(id::kMetric);
    QTRY_COMPARE(window.boxes.seen.size(), std::size_t(2));
    QCOMPARE(window.boxes.icons[1], QMessageBox::NoIcon);
  }

  void aFailedStartUpShowsItsMessageAndUnloads() {
    Window window(false);
    QVERIFY(!window.started);
    QCOMPARE(window.boxes.seen.size(), std::size_t(1));
    QVERIFY(window.boxes.seen[0].rfind("[TBX Error] Missing Data File ", 0) == 0);
    QCOMPARE(window.boxes.icons[0], QMessageBox::Warning);
    QVERIFY(!window.form.IsLoaded(kMainForm));
    QVERIFY(!window.main()->isVisible());
  }

  void closingTheWindowSavesAndUnloads() {
    Window window;
    QVERIFY(window.started);
    window.Tab(9);
    window.Type(id::kXToolChange, "4.25");
    window.events.clear();
    QVERIFY(window.main()->close());
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", 0, kMsgClose, 0}}));
    QVERIFY(!window.form.IsLoaded(kMainForm));
    QVERIFY(!window.main()->isVisible());
    QCOMPARE(ReadFile(window.home.path() / "default.txt"), std::string("4.25\r\n6.\r\n0.\r\n"));
  }

  void exitEndsTheEventLoop() {
    Window window;
    QVERIFY(window.started);
    QTimer::singleShot(0, [&window] { window.Click(id::kExit); });
    // Should it not end; stopped with the test, so that it ends no later test's dialog.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    guard.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kExit, kMsgClick, 0}}));
    QVERIFY(!window.form.IsLoaded(kMainForm));
    QVERIFY(!window.main()->isVisible());
  }

  void aboutMenuOpensTheAboutForm() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    auto* mainWindow = qobject_cast<QMainWindow*>(window.main());
    QMenuBar* menu = mainWindow->menuBar();
    QStringList menus;
    for (QAction* a : menu->actions()) menus << a->text();
    QCOMPARE(menus.join(QLatin1Char(' ')), QStringLiteral("&File &Edit &View &Tools &Help"));
    QCOMPARE(window.form.MenuAction()->text(), QStringLiteral("About"));
    QMenu* help = window.program->HelpMenu();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(help->menuAction()).center());
    QTRY_VERIFY(help->isVisible());
    QTest::mouseClick(help, Qt::LeftButton, {}, help->actionGeometry(window.form.MenuAction()).center());
    QWidget* about = window.form.Window(kAboutForm);
    QTRY_VERIFY(about->isVisible());
    QCOMPARE(window.form.GetText(kAboutForm, 1), std::string(kProgramTitle));
    QTest::mouseClick(window.form.Widget(kAboutForm, 2), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    QVERIFY(window.main()->isVisible());
  }

  void iconComesFromTbxIcoOrIsOurOwn() {
    Window window;
    QVERIFY(window.started);
    const QImage ours = TurnbrixIcon().pixmap(32).toImage();
    QCOMPARE(window.main()->windowIcon().pixmap(32).toImage(), ours);

    QTemporaryDir dir;
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const QString file = dir.filePath(QStringLiteral("tbx.ico"));
    QVERIFY(red.save(file, "ICO"));
    window.form.SetFormIcon(kMainForm, file.toStdString());
    QCOMPARE(window.main()->windowIcon().pixmap(32).toImage().pixelColor(16, 16), QColor(Qt::red));
  }

  // The window at its opening size, 1366 × 768, 640 × 480 and 400 × 300 (at scale 1, 2 and
  // 144 dpi in the three runs): every operation chosen in the chooser without scrolling it;
  // on every page each control, scrolled to if need be, shown whole, not squeezed, overlapping
  // no other and no frame it does not stand in, each caption beside its own box; the shared
  // controls, the page's OK and the status bar's fields apart and in view. At the opening
  // size nothing scrolls and the longest block of every golden program fits the program box.
  void layoutIsTidy_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("opening") << QSize();
    QTest::newRow("1366x768") << QSize(1366, 768);
    QTest::newRow("640x480") << QSize(640, 480);
    QTest::newRow("400x300") << QSize(400, 300);
  }

  void layoutIsTidy() {
    QFETCH(QSize, size);
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    auto* main = qobject_cast<QMainWindow*>(window.main());
    if (size.isValid()) main->resize(size);
    QScrollArea* outer = window.form.ScrollArea();
    PageChooser* chooser = window.Tabs();
    const Operations& ops = StandardOperations();
    // Where a widget is drawn in the outer viewport, cut to the scroll areas it stands in.
    auto seen = [&](QWidget* w) {
      QRect r(w->mapTo(outer->viewport(), QPoint(0, 0)), w->size());
      for (QWidget* up = w->parentWidget(); up && up != outer->viewport(); up = up->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(up))
          r &= QRect(area->viewport()->mapTo(outer->viewport(), QPoint(0, 0)), area->viewport()->size());
      return r & outer->viewport()->rect();
    };
    auto whole = [&](QWidget* w) { return seen(w).size() == w->size(); };
    // As the user scrolls to it: the page, then the window (a box's caret alone is not enough).
    auto bring = [&](QWidget* w) {
      for (QWidget* up = w->parentWidget(); up; up = up->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(up)) {
          const QRect r(w->mapTo(area->widget(), QPoint(0, 0)), w->size());
          area->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 1, r.height() / 2 + 1);
        }
      }
      QApplication::processEvents();
    };
    auto at = [&](QWidget* w, QWidget* in) { return QRect(w->mapTo(in, QPoint(0, 0)), w->size()); };
    QApplication::processEvents();
    const bool small = size.isValid() && size.width() < 600;
    if (!small) {
      for (int page = 0; page < chooser->count(); ++page) {
        bring(chooser);
        QVERIFY2(whole(chooser) && chooser->viewport()->rect().contains(chooser->visualItemRect(chooser->itemOf(page))),
                 qPrintable(QStringLiteral("page %1 cannot be chosen without scrolling").arg(page + 1)));
      }
    }
    // The status bar's fields and its note stand apart, however narrow the window.
    main->statusBar()->showMessage(QStringLiteral("X Axis Tool Change: \"abc\" is not a number and reads as 0"));
    QApplication::processEvents();
    std::vector<QWidget*> fields;
    for (QWidget* w : main->statusBar()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (w->isVisible() && (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))) fields.push_back(w);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      QVERIFY2(main->statusBar()->rect().contains(fields[i]->geometry()), qPrintable(fields[i]->objectName()));
      for (std::size_t j = i + 1; j < fields.size(); ++j) QVERIFY(!fields[i]->geometry().intersects(fields[j]->geometry()));
    }
    if (small) return;
    for (int tab = 1; tab <= chooser->count(); ++tab) {
      bring(chooser);
      window.Tab(tab);
      QApplication::processEvents();
      QWidget* page = chooser->pages()->currentWidget();
      if (!size.isValid()) {
        QVERIFY2(!outer->verticalScrollBar()->isVisible() && !outer->horizontalScrollBar()->isVisible(), "the window scrolls");
        QScrollArea* fieldsArea = window.form.PageScroll(tab);
        QVERIFY2(!fieldsArea->verticalScrollBar()->isVisible() && !fieldsArea->horizontalScrollBar()->isVisible(),
                 qPrintable(QStringLiteral("page %1 scrolls").arg(tab)));
      }
      std::vector<QWidget*> shown, frames;
      for (const ControlDesc& entry : AllControls()) {
        if ((entry.page != 0 && entry.page != tab) || entry.kind == ControlKind::TabControl) continue;
        QWidget* w = window.W(entry.id);
        const QString name = QStringLiteral("page %1 control %2").arg(tab).arg(entry.id);
        QVERIFY2(w->isVisible(), qPrintable(name + " is hidden"));
        if (entry.id != id::kOutput) {  // the box scrolls its program itself
          bring(w);
          QVERIFY2(whole(w), qPrintable(name + " cannot be seen whole: " + QDebug::toString(seen(w)) + " of " +
                                        QDebug::toString(w->size()) + " window " + QDebug::toString(main->size()) +
                                        " client " + QDebug::toString(outer->widget()->minimumSizeHint())));
        }
        if (entry.page == tab) QVERIFY2(page->isAncestorOf(w), qPrintable(name + " leaves its page"));
        QVERIFY2(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height(),
                 qPrintable(name + " is squeezed"));
        (entry.kind == ControlKind::Frame ? frames : shown).push_back(w);
        if (auto* label = qobject_cast<QLabel*>(w)) {
          const QStringList lines = label->text().split(QLatin1Char('\n'));
          for (const QString& line : lines)
            QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width(), qPrintable(name));
          QVERIFY2(lines.size() * label->fontMetrics().lineSpacing() <= label->contentsRect().height(),
                   qPrintable(name + " is too low"));
        }
        if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))
          QVERIFY2(Painted(w).width() <= w->width(), qPrintable(name + " is cut"));
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
          QStyleOptionComboBox option;
          option.initFrom(combo);
          const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                             QStyle::SC_ComboBoxEditField, combo);
          for (int i = 0; i < combo->count(); ++i)
            QVERIFY2(combo->fontMetrics().horizontalAdvance(combo->itemText(i)) <= field.width(),
                     qPrintable(name + " cuts " + combo->itemText(i)));
        }
        if (auto* button = qobject_cast<QPushButton*>(w))
          QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 8 <= button->width(), qPrintable(name));
        if (auto* frame = qobject_cast<QGroupBox*>(w))
          QVERIFY2(frame->fontMetrics().horizontalAdvance(frame->title()) + 16 <= frame->width(), qPrintable(name));
        // A caption stands left of its own box, level with it and near it.
        const FieldRef ref = FindField(ops, entry.id);
        if (ref && ref.field->label == entry.id) {
          const QRect label = at(w, main), box = at(window.W(ref.field->id), main);
          QVERIFY2(label.right() < box.left() && box.left() - label.right() < 4 * w->fontMetrics().height() &&
                       label.center().y() >= box.top() && label.center().y() <= box.bottom(),
                   qPrintable(name + " is not beside its box"));
        }
      }
      // Controls that scroll together are compared where they stand, the others where they
      // are seen.
      QScrollArea* fieldsArea = window.form.PageScroll(tab);
      auto apart = [&](QWidget* a, QWidget* b) {
        if (fieldsArea->isAncestorOf(a) == fieldsArea->isAncestorOf(b)) return !at(a, main).intersects(at(b, main));
        return !seen(a).intersects(seen(b));
      };
      for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j)
          QVERIFY2(apart(shown[i], shown[j]),
                   qPrintable(QStringLiteral("page %1: %2 and %3 overlap").arg(tab).arg(shown[i]->objectName(), shown[j]->objectName())));
        for (QWidget* frame : frames)
          QVERIFY2(frame->isAncestorOf(shown[i]) || apart(frame, shown[i]),
                   qPrintable(QStringLiteral("page %1: %2 crosses %3").arg(tab).arg(shown[i]->objectName(), frame->objectName())));
      }
    }
    if (size.isValid()) return;
    // Every golden program's longest block shows whole, its N number in view.
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    for (const auto& entry : fs::directory_iterator(TURNBRIX_JOBS)) {
      if (entry.path().extension() != ".out") continue;
      window.form.SetText(kMainForm, id::kOutput, ReadFile(entry.path()));
      QApplication::processEvents();
      QVERIFY2(box->horizontalScrollBar()->maximum() == 0, entry.path().filename().c_str());
    }
  }

  // From the chooser, Tab goes round the whole window and back, every stop a control the user
  // sees and may use; it passes the page's first field, its OK and the program box.
  void tabChainHasNoInvisibleStop() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    PageChooser* chooser = window.Tabs();
    for (int tab = 1; tab <= chooser->count(); ++tab) {
      window.Tab(tab);
      chooser->setFocus(Qt::TabFocusReason);
      std::vector<QWidget*> visited;
      for (int presses = 0; presses < 200; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* w = QApplication::focusWidget();
        QVERIFY(w);
        if (w == chooser) break;
        QVERIFY2(w->isVisible() && w->isEnabled() && w->window() == window.main() && !w->visibleRegion().isEmpty(),
                 qPrintable(QStringLiteral("page %1: %2 (%3) is no place to stop")
                                .arg(tab).arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()))));
        visited.push_back(w);
      }
      QCOMPARE(QApplication::focusWidget(), chooser);
      // Into the page first, then through it and the rest of the window.
      QVERIFY2(!visited.empty() && chooser->pages()->currentWidget()->isAncestorOf(visited.front()),
               qPrintable(QStringLiteral("page %1 is not entered first").arg(tab)));
      QVERIFY(std::find(visited.begin(), visited.end(), window.W(id::kOutput)) != visited.end());
    }
  }

  // The keyboard alone: pages by Ctrl+Tab and Ctrl+PgUp, fields by Tab, choices by the arrow
  // keys, OK by Ctrl+Enter, writes what the job script's clicks write.
  void keyboardAloneWritesWhatTheMouseDoes() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    auto key = [](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), m);
    };
    // Tab until the focus is on one of `targets`.
    auto tabTo = [&](std::initializer_list<ControlId> targets) {
      for (int presses = 0; presses < 60; ++presses) {
        for (ControlId id : targets)
          if (QApplication::focusWidget() == window.W(id)) return true;
        key(Qt::Key_Tab);
      }
      return false;
    };
    window.Tabs()->setFocus(Qt::OtherFocusReason);
    // Material, then seven pages on round the end: Thread, entered at its comment.
    for (int i = 0; i < 7; ++i) key(Qt::Key_Tab, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::focusWidget(), window.W(id::kThreadComment));
    // The tooltip's group takes Tab at its chosen button; the arrows move and choose.
    QVERIFY(tabTo({id::kToolAngle0, id::kToolAngle29, id::kToolAngle30, id::kToolAngle55, id::kToolAngle60, id::kToolAngle80}));
    QCOMPARE(QApplication::focusWidget(), window.W(id::kToolAngle0));
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    QCOMPARE(window.form.GetCheck(kMainForm, id::kToolAngle60), 1);
    QCOMPARE(window.form.GetCheck(kMainForm, id::kToolAngle0), 0);
    key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.W(id::kOtControl));
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    QCOMPARE(window.form.GetCheck(kMainForm, id::kG32Code), 1);
    key(Qt::Key_Return, Qt::ControlModifier);
    // The page before it: Groove, an inside one with a .02 chamfer on its right wall.
    key(Qt::Key_PageUp, Qt::ControlModifier);
    QTRY_VERIFY(window.Tabs()->pages()->currentWidget()->isAncestorOf(QApplication::focusWidget()));
    QVERIFY(tabTo({id::kGrooveOutside}));
    key(Qt::Key_Right);
    QCOMPARE(window.form.GetCheck(kMainForm, id::kGrooveInside), 1);
    QVERIFY(tabTo({id::kRightSize}));
    QTest::keyClicks(QApplication::focusWidget(), ".02");
    key(Qt::Key_Enter, Qt::ControlModifier);
    QCOMPARE(window.Text(id::kOutput),
             ReadFile(fs::path(TURNBRIX_JOBS) / "thread_60_g32_then_inside_groove_chamfer.out"));
  }

  // Tab from a tab's first field reaches every field it may take before the tab's OK.
  void tabKeyReachesEveryFieldBeforeOk() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    for (int tab = 2; tab <= window.Tabs()->count(); ++tab) {
      if (tab == 8) continue;  // Calc stands above the drill list it fills
      window.Tab(tab);
      std::vector<QWidget*> fields;
      QWidget* ok = nullptr;
      for (const ControlDesc& c : AllControls()) {
        QWidget* w = window.W(c.id);
        if (c.page != tab || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus) continue;
        if (c.kind == ControlKind::Button && c.text == "OK") ok = w;
        else if (c.kind == ControlKind::TextBox || c.kind == ControlKind::CheckBox ||
                 c.kind == ControlKind::ComboBox)
          fields.push_back(w);
      }
      QVERIFY(ok && !fields.empty());
      fields.front()->setFocus();
      std::vector<QWidget*> visited;
      for (int presses = 0; presses < 100 && QApplication::focusWidget() != ok; ++presses) {
        visited.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
      QCOMPARE(QApplication::focusWidget(), ok);
      for (QWidget* field : fields)
        QVERIFY2(std::find(visited.begin(), visited.end(), field) != visited.end(),
                 qPrintable(QStringLiteral("tab %1: %2 comes after OK").arg(tab).arg(field->objectName())));
    }
  }

  // The program box as the user leaves it after typing at its end, then an operation.
  void typedTextThenAnOperationStartsOnANewLine() {
    Window window;
    QVERIFY(window.started);
    window.Tab(5);
    window.Click(id::kReamOk);
    const std::string first = window.Text(id::kOutput);
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(box, "(HAND EDIT)");
    auto* mark = new QTextBlockUserData;  // gone, were the box laid out anew
    box->document()->firstBlock().setUserData(mark);
    window.Click(id::kReamOk);
    QCOMPARE(box->document()->firstBlock().userData(), mark);
    const std::string both = window.Text(id::kOutput);
    const std::string typed = first + "(HAND EDIT)";
    QCOMPARE(both.substr(0, typed.size() + 2), typed + "\r\n");
    QCOMPARE(both.substr(typed.size() + 2, 4), std::string("N110"));
    QCOMPARE(box->toPlainText(), QString::fromStdString(both).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    window.Click(id::kUndo);
    QCOMPARE(window.Text(id::kOutput), typed);
    QCOMPARE(box->toPlainText(),
             QString::fromStdString(typed).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  }

  // Undo cuts the end off the box, the blocks before keep their layout, and text typed
  // between operations comes back exactly.
  void undoCutsTheProgramBackWithoutLayingItOutAgain() {
    Window window;
    QVERIFY(window.started);
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    const auto shows = [&](const std::string& text) {
      return box->toPlainText() ==
             QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    };
    window.Tab(5);
    window.Click(id::kReamOk);
    const std::string first = window.Text(id::kOutput);
    auto* mark = new QTextBlockUserData;  // gone, were the box laid out anew
    box->document()->firstBlock().setUserData(mark);
    window.Click(id::kReamOk);
    window.Click(id::kUndo);
    QCOMPARE(window.Text(id::kOutput), first);
    QVERIFY(shows(first));
    QCOMPARE(box->document()->firstBlock().userData(), mark);

    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(box, "(TOP)");
    QTest::keyClick(box, Qt::Key_Return);
    const std::string typed = window.Text(id::kOutput);
    QCOMPARE(typed, "(TOP)\r\n" + first);
    window.Click(id::kReamOk);
    const std::string second = window.Text(id::kOutput);
    window.Click(id::kReamOk);
    for (const std::string& back : {second, typed, std::string()}) {
      window.Click(id::kUndo);
      QCOMPARE(window.Text(id::kOutput), back);
      QVERIFY(shows(back));
    }
    QVERIFY(!window.W(id::kUndo)->isEnabled());
  }

  // The step list of the real window against the runner's step commands on the same job: OK
  // three operations, edit step 2 from the list and update it, then move, duplicate and delete
  // by the list's keys and Undo and Redo by the window's: after each the same program and
  // steps, a row a step, and the chosen row's blocks selected and drawn bold.
  void stepListEditsMovesAndUndoesAsTheRunner() {
    StepsBeside t;
    QVERIFY(t.window.started && t.headless.started);
    auto& window = t.window;
    auto& headless = t.headless;
    StepListPane* steps = t.steps;
    QTreeWidget* list = t.list;
    auto* bar = qobject_cast<QMainWindow*>(window.main())->statusBar();
    auto run = [&](const std::string& script) { QVERIFY(t.Run(script)); };
    auto same = [&](const char* what) { t.Same(what); };
    auto rowAt = [&](int row) { return t.RowAt(row); };
    auto doubleClick = [&](int row) { t.DoubleClick(row); };

    const std::pair<int, ControlId> oks[] = {{10, id::kFaceOk}, {11, id::kTurnOk}, {5, id::kReamOk}};
    for (const auto& [tab, ok] : oks) {
      window.Tab(tab);
      window.Click(ok);
    }
    run("tab 10\nclick 1260\ntab 11\ntype 1320 1.25\nclick 1380\ntype 1320 1.5\ntab 5\nclick 705\n");
    QVERIFY(window.Text(id::kOutput) != headless.runner.Output());  // the runner's turn is to 1.25

    // Step 2 edited from the list: its tab with its values, OK reads Update.
    doubleClick(1);
    QCOMPARE(window.app.job.editing, 1);
    QCOMPARE(window.Tabs()->currentIndex(), 10);
    auto* ok = window.W<QPushButton>(id::kTurnOk);
    QCOMPARE(ok->text(), QStringLiteral("&Update"));
    QVERIFY(bar->currentMessage().startsWith(QStringLiteral("Editing step 2 (Turn)")));
    QVERIFY(list->topLevelItem(1)->text(StepListPane::kTab).endsWith(QStringLiteral("(editing)")));
    window.Type(id::kTurnFinalDia, "1.25");
    window.Click(id::kTurnOk);
    QCOMPARE(window.app.job.editing, -1);
    QVERIFY(ok->text() != QStringLiteral("&Update"));
    QCOMPARE(window.Text(id::kTurnFinalDia), std::string("1.5"));  // the tab as before the edit
    steps->Choose(1);
    same("update");

    // Esc leaves an edit with the step as it was.
    doubleClick(0);
    QCOMPARE(window.app.job.editing, 0);
    window.Type(id::kFaceStockDia, "3.");
    QTest::keyClick(window.W(id::kFaceStockDia), Qt::Key_Escape);
    QCOMPARE(window.app.job.editing, -1);
    QVERIFY(!steps->Button(QStringLiteral("stepCancel"))->isEnabled());
    same("cancel");

    struct Act {
      int row;  // chosen first, or -1
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      const char* script;
    };
    const Act acts[] = {
        {0, Qt::Key_Down, Qt::ControlModifier, "move 1 2"},
        {2, Qt::Key_D, Qt::ControlModifier, "duplicate 3"},
        {1, Qt::Key_Delete, Qt::NoModifier, "delete 2"},
        {2, Qt::Key_Up, Qt::ControlModifier, "move 3 2"},
        {-1, Qt::Key_Z, Qt::ControlModifier, "undo"},
        {-1, Qt::Key_Z, Qt::ControlModifier, "undo"},
        {-1, Qt::Key_Y, Qt::ControlModifier, "redo"},
        {-1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "redo"},
        {-1, Qt::Key_Z, Qt::ControlModifier, "undo"},
    };
    for (const Act& act : acts) {
      if (act.row >= 0) QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowAt(act.row));
      list->setFocus();
      QTest::keyClick(list, act.key, act.modifiers);
      run(std::string(act.script) + "\n");
      same(act.script);
    }
  }

  // Each command of the list, from its context menu and from its key, does to the job what the
  // runner's command does: the same program, steps, rows and step being edited.
  void stepListMenuAndKeysDoWhatTheRunnerDoes_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("context menu") << true;
    QTest::newRow("keys") << false;
  }

  void stepListMenuAndKeysDoWhatTheRunnerDoes() {
    QFETCH(bool, byMenu);
    StepsBeside t;
    QVERIFY(t.window.started && t.headless.started);
    UseShippedTools(t.window.app);
    QVERIFY(t.ThreeOks());
    QTreeWidget* list = t.list;
    // The tool by its T word and library name; the status bar names the caret's step and tool.
    QCOMPARE(list->topLevelItem(1)->text(StepListPane::kTool), QStringLiteral("T0101 OD rough CNMG 432"));
    QVERIFY(list->topLevelItem(1)->toolTip(StepListPane::kTool).startsWith(QStringLiteral("od turning, C insert 80°, nose radius 0.031 in")));
    t.steps->Choose(1);
    QCOMPARE(t.steps->CaretStep()->text(), QStringLiteral("Step 2 (Turn): T0101 OD rough CNMG 432"));
    struct Act {
      int row;  // right-clicked or clicked first; -1: the row chosen stays
      const char* action;
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      const char* script;
    };
    const Act acts[] = {
        {1, "stepEditAction", Qt::Key_Return, Qt::NoModifier, "edit 2"},
        {-1, "stepCancelAction", Qt::Key_Escape, Qt::NoModifier, "cancel"},
        {2, "stepEditAction", Qt::Key_Enter, Qt::KeypadModifier, "edit 3"},
        {-1, "stepCancelAction", Qt::Key_Escape, Qt::NoModifier, "cancel"},
        {0, "stepDownAction", Qt::Key_Down, Qt::ControlModifier, "move 1 2"},
        {2, "stepUpAction", Qt::Key_Up, Qt::ControlModifier, "move 3 2"},
        {0, "stepDuplicateAction", Qt::Key_D, Qt::ControlModifier, "duplicate 1"},
        {2, "stepDeleteAction", Qt::Key_Delete, Qt::NoModifier, "delete 3"},
        {-1, "stepUndoAction", Qt::Key_Z, Qt::ControlModifier, "undo"},
        {-1, "stepUndoAction", Qt::Key_Z, Qt::ControlModifier, "undo"},
        {-1, "stepRedoAction", Qt::Key_Y, Qt::ControlModifier, "redo"},
    };
    for (const Act& act : acts) {
      const int row = act.row >= 0 ? act.row : t.steps->Current();
      QVERIFY(row >= 0);
      if (byMenu) {
        // A right-click chooses the row and opens the menu on it; the action is clicked.
        QString missing;
        QTimer::singleShot(0, [&] {
          auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
          if (!menu) {
            missing = QStringLiteral("no menu");
            return;
          }
          for (QAction* a : menu->actions())
            if (a->objectName() == QLatin1String(act.action) && a->isEnabled()) {
              QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
              return;
            }
          missing = QStringLiteral("%1 not offered").arg(QLatin1String(act.action));
          menu->close();
        });
        const QPoint at = t.RowAt(row);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &menuEvent);
        QVERIFY2(missing.isEmpty(), qPrintable(missing));
        QTRY_VERIFY(!QApplication::activePopupWidget());
      } else {
        if (act.row >= 0) QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, t.RowAt(row));
        list->setFocus();
        QTest::keyClick(list, act.key, act.modifiers);
      }
      QVERIFY(t.Run(std::string(act.script) + "\n"));
      t.Same(act.script);
      if (t.window.app.job.editing >= 0) {
        const OperationDescriptor* op = t.window.app.job.steps[static_cast<std::size_t>(t.window.app.job.editing)].op;
        QCOMPARE(t.window.app.operations.pages[static_cast<std::size_t>(t.window.Tabs()->currentIndex())], op);
      }
    }
  }

  // A row dragged to its new place moves the step as Ctrl+Up and Ctrl+Down do: dropped on a
  // row's upper half it goes before it, on its lower half after it, below the rows last.
  void draggingAStepMovesIt() {
    // The offscreen platform ends every drag at once; ctest runs this under Xvfb as well.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) QSKIP("no drag and drop on the offscreen platform");
    StepsBeside t;
    QVERIFY(t.window.started && t.headless.started);
    QVERIFY(t.ThreeOks());
    QTreeWidget* list = t.list;
    QWindow* handle = t.window.main()->windowHandle();
    auto inWindow = [&](QPoint inViewport) { return list->viewport()->mapTo(t.window.main(), inViewport); };
    // The drag runs its own event loop from the first move past the start distance: the
    // pointer is taken on and let go from within it.
    auto drag = [&](QPoint from, QPoint to) {
      bool dropped = false;
      QTimer watch;
      watch.setInterval(10);
      QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!list->findChild<QDrag*>()) return;
        watch.stop();
        QTest::mouseMove(handle, inWindow(to - QPoint(0, 1)));
        QTest::mouseMove(handle, inWindow(to));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, inWindow(to));
        dropped = true;
      });
      watch.start();
      QTest::mousePress(handle, Qt::LeftButton, {}, inWindow(from));
      // The first move makes ready to drag, the next starts it.
      for (int by : {2, QApplication::startDragDistance() + 4})
        QTest::mouseMove(handle, inWindow(from + QPoint(by, 0)));
      if (!QTest::qWaitFor([&] { return dropped; }, 2000)) QTest::mouseRelease(handle, Qt::LeftButton, {}, inWindow(from));
      return dropped;
    };
    struct Drag {
      int from, onto;  // onto -1: the room below the rows
      bool upperHalf;
      const char* script;  // none: nothing moves
    };
    const Drag drags[] = {
        {0, 2, false, "move 1 3"}, {2, 0, true, "move 3 1"}, {1, 0, true, "move 2 1"},
        {0, 1, false, "move 1 2"}, {0, -1, false, "move 1 3"}, {2, 2, true, nullptr},
    };
    for (const Drag& d : drags) {
      const std::string before = t.window.Text(id::kOutput);
      QPoint target = list->viewport()->rect().bottomLeft() + QPoint(20, -2);
      if (d.onto >= 0) {
        const QRect rect = list->visualItemRect(list->topLevelItem(d.onto));
        target = QPoint(rect.center().x(), d.upperHalf ? rect.top() + 2 : rect.bottom() - 2);
      }
      QVERIFY(drag(t.RowAt(d.from), target));
      if (!d.script) {
        QCOMPARE(t.window.Text(id::kOutput), before);
        continue;
      }
      QVERIFY(t.Run(std::string(d.script) + "\n"));
      t.Same(d.script);
    }
    // While a step is being edited, the order stays.
    t.steps->Choose(0);
    QVERIFY(t.steps->Edit());
    const std::string editing = t.window.Text(id::kOutput);
    QVERIFY(drag(t.RowAt(0), t.RowAt(2)));
    QCOMPARE(t.window.Text(id::kOutput), editing);
    QCOMPARE(t.window.app.job.editing, 0);
  }

  // Editing a step that was edited by hand asks first: Replace regenerates its blocks from its
  // values, Cancel leaves the box, the job and the tab shown as they were.
  void reEditingAStepEditedByHandAsks() {
    StepsBeside t;
    QVERIFY(t.window.started && t.headless.started);
    QVERIFY(t.ThreeOks());
    // The Turn's last block typed over, as a user would: its step is edited by hand.
    const int turnLast = LinesOfSteps(t.window.app.job)[1].last;
    QPlainTextEdit* box = t.Box();
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    box->setTextCursor(QTextCursor(box->document()->findBlockByNumber(turnLast - 1)));
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, " (hand)");
    QTRY_VERIFY(t.window.app.job.steps[1].edited);
    QVERIFY(t.list->topLevelItem(1)->text(StepListPane::kTab).contains(QStringLiteral("(edited)")));

    struct Answer {
      const char* button;
      bool replaced;
    };
    for (const Answer& a : {Answer{"Cancel", false}, Answer{"&Replace", true}}) {
      t.window.Tab(1);
      const std::string program = t.window.Text(id::kOutput);
      const std::vector<JobStep> job = t.window.app.job.steps;
      const std::string finalDia = t.window.Text(id::kTurnFinalDia);
      QString asked;
      QTimer answerer;
      answerer.setInterval(10);
      QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!question) return;
        asked = question->text();
        for (QAbstractButton* b : question->buttons())
          if (b->text() == QLatin1String(a.button)) QTest::mouseClick(b, Qt::LeftButton);
      });
      answerer.start();
      t.DoubleClick(1);
      QTRY_VERIFY(!QApplication::activeModalWidget());
      answerer.stop();
      QCOMPARE(asked, QStringLiteral("Step 2 was edited by hand. Replace the edits with newly generated blocks?"));
      if (!a.replaced) {
        QCOMPARE(t.window.Text(id::kOutput), program);
        QVERIFY(t.window.app.job.steps == job);
        QCOMPARE(t.window.app.job.editing, -1);
        QCOMPARE(t.window.Tabs()->currentIndex(), 0);
        QCOMPARE(t.window.Text(id::kTurnFinalDia), finalDia);
        continue;
      }
      // The blocks as the runner's step, never typed over, gives them.
      QCOMPARE(t.window.app.job.editing, 1);
      QCOMPARE(t.window.Tabs()->currentIndex(), 10);
      t.window.Click(id::kTurnOk);
      QVERIFY(t.Run("edit 2\nclick 1380\n"));
      t.Same("update after Replace");
      QVERIFY(!t.window.app.job.steps[1].edited);
      QVERIFY(t.window.Text(id::kOutput).find("(hand)") == std::string::npos);
    }
  }

  // Editing one step of a job of 2,224 in the window, from the list's Edit to the program, the
  // drawing and the list redrawn after Update (README: the figures): a feed, which leaves the
  // blocks after it as they were, and a diameter, which changes the number of passes and so
  // renumbers every block after it.
  void updatingOneStepOfALongJob_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("back");
    QTest::newRow("feed") << int(id::kTurnRoughFeed) << QStringLiteral(".012") << QStringLiteral(".01");
    QTest::newRow("diameter") << int(id::kTurnFinalDia) << QStringLiteral("1.25") << QStringLiteral("1.5");
  }

  void updatingOneStepOfALongJob() {
    QFETCH(int, box);
    QFETCH(QString, value);
    QFETCH(QString, back);
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("long.nc")).toStdString();
    Headless headless;
    const std::pair<int, ControlId> oks[] = {{10, id::kFaceOk}, {11, id::kTurnOk}, {5, id::kReamOk}};
    for (int i = 0; i < 2224; ++i) {
      headless.runner.Tab(oks[i % 3].first);
      headless.runner.Click(oks[i % 3].second);
    }
    QVERIFY(headless.runner.Save(path));
    QVERIFY(window.program->OpenFile(QString::fromStdString(path)));
    StepListPane* steps = window.program->Steps();
    QCOMPARE(steps->List()->topLevelItemCount(), 2224);
    auto* output = window.W<QPlainTextEdit>(id::kOutput);
    QWidget* redrawn[] = {window.program->Toolpath()->Preview(), output->viewport(), steps->List()->viewport()};
    auto program = [&] { return QString::fromStdString(window.Text(id::kOutput)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); };
    const QString values[] = {value, back};
    int edits = 0;
    std::vector<double> redraws, settles;  // milliseconds from OK
    for (int i = 0; i < 6; ++i) {
      steps->Choose(1000);  // a Turn step
      QVERIFY(steps->Edit());
      window.Type(box, values[edits++ % 2]);
      QElapsedTimer clock;
      clock.start();
      window.Click(id::kTurnOk);
      for (QWidget* w : redrawn) w->repaint();
      redraws.push_back(clock.nsecsElapsed() / 1e6);
      // The line count is the program's at once, while later lines may wait for their text.
      QCOMPARE(output->blockCount(), static_cast<int>(program().count(QLatin1Char('\n'))) + 1);
      QVERIFY(QTest::qWaitFor([&] { return output->toPlainText() == program(); }, 5000));
      settles.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(redraws.begin(), redraws.end());
    std::sort(settles.begin(), settles.end());
    qInfo("OK to redrawn %.1f ms, to the whole box %.1f ms (medians)", redraws[3], settles[3]);
    QTest::setBenchmarkResult(redraws[3], QTest::WalltimeMilliseconds);
    // A step chosen in the lines not yet replaced is selected in the program's own text.
    steps->Choose(1000);
    QVERIFY(steps->Edit());
    window.Type(box, values[edits++ % 2]);
    window.Click(id::kTurnOk);
    steps->Choose(2000);
    const std::vector<StepLines> lines = LinesOfSteps(window.app.job);
    const QStringList programLines = program().split(QLatin1Char('\n'));
    QCOMPARE(output->textCursor().selectedText(),
             programLines.mid(lines[2000].first - 1, lines[2000].last - lines[2000].first + 1).join(QChar::ParagraphSeparator));
    QCOMPARE(window.app.job.editing, -1);
    // The program is the job typed with the last value in the first place.
    std::istringstream script("edit 1001\ntype " + std::to_string(box) + ' ' + values[(edits - 1) % 2].toStdString() +
                              "\nclick " + std::to_string(id::kTurnOk) + '\n');
    QCOMPARE(headless.runner.RunScript(script, false), 0);
    QVERIFY(window.Text(id::kOutput) == headless.runner.Output());
    tbx::Job whole = window.app.job;  // rebuilt from its first step, as Open of its job file does
    QVERIFY(RebuildJob(window.app.operations, whole).text == window.Text(id::kOutput));
    QCOMPARE(window.program->Toolpath()->Path().moves.size(),
             toolpath::ExpandProgram(headless.runner.Output(), ProgramToolpathSettings(window.app)).moves.size());
    // The worker's part, warnings and step marks are those of the program simulated in line,
    // after the edits that overtook one another.
    ToolpathPane* pane = window.program->Toolpath();
    QTRY_VERIFY_WITH_TIMEOUT(!pane->Simulating(), 120000);
    toolpath::ToolpathSettings settings = ProgramToolpathSettings(window.app);
    settings.stock = StockInEffect(window.app.job, pane->Path().extents.minZ);
    const toolpath::Toolpath full = toolpath::ExpandProgram(window.Text(id::kOutput), settings);
    QVERIFY(full.simulation && pane->Path().simulation);
    QCOMPARE(toolpath::PartDxf(*pane->Path().simulation), toolpath::PartDxf(*full.simulation));
    QCOMPARE(pane->Path().simulation->steps.size(), full.simulation->steps.size());
    for (std::size_t i = 0; i < full.simulation->steps.size(); ++i)
      QCOMPARE(pane->Path().simulation->steps[i].area, full.simulation->steps[i].area);
    std::vector<toolpath::Finding> expected = full.warnings;
    for (const toolpath::Finding& f : StepsLeftShort(window.app.job, full, settings)) expected.push_back(f);
    std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.line < b.line; });
    QCOMPARE(pane->Path().warnings.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      QCOMPARE(pane->Path().warnings[i].line, expected[i].line);
      QCOMPARE(pane->Path().warnings[i].text, expected[i].text);
    }
    // The step list took the findings in: its marks as a list refreshed now shows them.
    auto marks = [&] {
      QStringList all;
      for (int i = 0; i < steps->List()->topLevelItemCount(); ++i) all << steps->List()->topLevelItem(i)->toolTip(0);
      return all;
    };
    const QStringList shown = marks();
    steps->Refresh();
    QCOMPARE(shown, marks());
    // Typing at once after an update types into the whole new program.
    steps->Choose(1000);
    QVERIFY(steps->Edit());
    window.Type(box, values[edits++ % 2]);
    window.Click(id::kTurnOk);
    const QString updated = program();
    QTest::keyClick(output, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(output, "(A)");
    QCOMPARE(output->toPlainText(), QStringLiteral("(A)") + updated);
  }

  void savedAndOpenedProgramsKeepEveryByte() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    QCOMPARE(window.main()->windowTitle(), QStringLiteral("Untitled[*] - Turnbrix V2.5"));
    window.Tab(2);
    window.Click(id::kThreadOk);
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(box, "M30");
    QTRY_VERIFY(window.main()->isWindowModified());
    const std::string program = window.Text(id::kOutput);

    QTemporaryDir dir;
    window.chosen = dir.filePath(QStringLiteral("part.nc"));
    QTest::keyClick(window.main(), Qt::Key_S, Qt::ControlModifier);  // no file yet: Save As
    QCOMPARE(ReadFile(window.chosen.toStdString()), program);
    QVERIFY(!window.main()->isWindowModified());
    QCOMPARE(window.main()->windowTitle(), QStringLiteral("part.nc[*] - Turnbrix V2.5"));
    QCOMPARE(window.program->RecentFiles(), QStringList{window.chosen});
    QStringList items;
    for (QAction* action : window.program->FileMenu()->actions()) items << action->text();
    QVERIFY2(items.contains(QStringLiteral("&1 part.nc")), qPrintable(items.join(u'|')));

    QTest::keyClick(window.main(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(window.asked, 0);  // nothing unsaved
    QCOMPARE(window.Text(id::kOutput), std::string());
    QCOMPARE(box->toPlainText(), QString());

    QTest::keyClick(window.main(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(window.Text(id::kOutput), program);
    QVERIFY(!window.W(id::kUndo)->isEnabled());
    window.Tab(5);
    window.Click(id::kReamOk);  // before the typed M30, numbering on after the highest block
    const std::size_t end = program.rfind("M30");
    QCOMPARE(window.Text(id::kOutput).substr(end, 4), std::string("N110"));
    QVERIFY(window.Text(id::kOutput).ends_with("\r\nM30"));
    QVERIFY(window.main()->isWindowModified());

    // Save As to a place that cannot be written: the reason is shown, the old file stays.
    window.chosen = dir.filePath(QStringLiteral("part.nc/inside.nc"));
    QTest::keyClick(window.main(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(!window.boxes.seen.empty());
    QCOMPARE(QString::fromStdString(window.boxes.seen.back()),
             QStringLiteral("[Save Program] Cannot save %1: Not a directory").arg(window.chosen));
    QCOMPARE(ReadFile(dir.filePath(QStringLiteral("part.nc")).toStdString()), program);
    QVERIFY(window.main()->isWindowModified());
    QCOMPARE(window.main()->windowTitle(), QStringLiteral("part.nc[*] - Turnbrix V2.5"));
  }

  // A view the user zoomed stays through an OK, but Open and New fit the program they bring;
  // the pointer's place over the drawing stands in the status bar.
  void openAndNewFitTheirProgram() {
    QTemporaryDir dir;
    std::ofstream(fs::path(dir.path().toStdString()) / "long.nc", std::ios::binary)
        << "G0 X2. Z.1\nG1 Z-30. F.01\n";
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    ToolpathPreview* preview = window.program->Toolpath()->Preview();
    auto fits = [&] {
      const QTransform shown = preview->View();
      preview->ZoomToFit();
      return shown == preview->View();
    };
    auto zoom = [&] {
      const QPointF at(20, 20);
      QWheelEvent wheel(at, preview->mapToGlobal(at), {}, {0, 600}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
      QApplication::sendEvent(preview, &wheel);
      return preview->View();
    };
    window.Tab(5);
    window.Click(id::kReamOk);
    const QTransform zoomed = zoom();
    window.Click(id::kReamOk);
    QCOMPARE(preview->View(), zoomed);
    window.answer = ProgramWindow::Answer::Discard;
    QVERIFY(window.program->OpenFile(dir.filePath(QStringLiteral("long.nc"))));
    QVERIFY(fits());
    zoom();
    window.program->NewProgram();
    QVERIFY(fits());

    QTest::mouseMove(preview, preview->View().map(QPointF(0, 0)).toPoint());
    QTRY_VERIFY(window.program->Toolpath()->PointerLabel()->text().startsWith(QStringLiteral("X ")));
  }

  // `turnbrix FILE`: the name as typed in the folder turnbrix started in; a file the window
  // cannot take is refused with a message and the box stays as it was.
  void aFileNamedAtStartIsOpened() {
    QTemporaryDir dir;
    const std::string program = "%\r\nN10 G0 X1. Z.1\nN40 M30\r\n";
    std::ofstream(fs::path(dir.path().toStdString()) / "start.nc", std::ios::binary) << program;
    std::ofstream(fs::path(dir.path().toStdString()) / "chips.bin", std::ios::binary)
        << std::string("N10\0\x01\x02", 6);
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    QVERIFY(!window.program->OpenFile(QStringLiteral("chips.bin")));
    QVERIFY(window.program->OpenFile(QStringLiteral("start.nc")));
    QDir::setCurrent(before);
    QCOMPARE(window.boxes.seen,
             std::vector<std::string>{"[Open Program] Cannot open " +
                                      dir.filePath(QStringLiteral("chips.bin")).toStdString() +
                                      ": it is not a text file"});
    const std::string opened = "%\r\nN10 G0 X1. Z.1\r\nN40 M30\r\n";
    QCOMPARE(window.Text(id::kOutput), opened);
    QCOMPARE(window.main()->windowTitle(), QStringLiteral("start.nc[*] - Turnbrix V2.5"));
    QVERIFY(!window.main()->isWindowModified());
    QVERIFY(!window.W(id::kUndo)->isEnabled());
    QCOMPARE(window.program->RecentFiles(), QStringList{dir.filePath(QStringLiteral("start.nc"))});
    QCOMPARE(window.program->Toolpath()->Path().moves.size(), std::size_t(1));
    window.Tab(5);
    window.Click(id::kReamOk);
    QCOMPARE(window.Text(id::kOutput).substr(opened.find("N40"), 4), std::string("N50 "));
  }

  void unsavedChangesAreAskedAbout_data() {
    QTest::addColumn<int>("way");  // 0 File > New, 1 the Exit button, 2 closing the window
    QTest::addColumn<int>("answer");
    const char* ways[] = {"new", "exit", "close"};
    const char* answers[] = {"save", "discard", "cancel"};
    for (int w = 0; w < 3; ++w) {
      for (int a = 0; a < 3; ++a)
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(ways[w], answers[a]))) << w << a;
    }
  }

  void unsavedChangesAreAskedAbout() {
    QFETCH(int, way);
    QFETCH(int, answer);
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    QTemporaryDir dir;
    window.chosen = dir.filePath(QStringLiteral("kept.nc"));
    window.answer = ProgramWindow::Answer(answer);
    window.Tab(9);
    window.Type(id::kXToolChange, "4.5");
    window.Tab(5);
    window.Click(id::kReamOk);
    const std::string program = window.Text(id::kOutput);
    switch (way) {
      case 0: window.program->FileMenu()->actions().first()->trigger(); break;
      case 1: window.Click(id::kExit); break;
      case 2: window.main()->close(); break;
    }
    QCOMPARE(window.asked, 1);
    const bool cancelled = window.answer == ProgramWindow::Answer::Cancel;
    const bool saved = window.answer == ProgramWindow::Answer::Save;
    QCOMPARE(QFileInfo::exists(window.chosen), saved);
    if (saved) QCOMPARE(ReadFile(window.chosen.toStdString()), program);
    if (way == 0 || cancelled) {
      QVERIFY(window.form.IsLoaded(kMainForm));
      QVERIFY(window.main()->isVisible());
      QCOMPARE(window.Text(id::kOutput), cancelled ? program : std::string());
      QCOMPARE(window.W(id::kUndo)->isEnabled(), cancelled);
    } else {
      QVERIFY(!window.form.IsLoaded(kMainForm));
      QVERIFY(!window.main()->isVisible());
      // The settings are saved on the way out, as ever.
      QCOMPARE(ReadFile(window.home.path() / "default.txt"), std::string("4.5\r\n6.\r\n0.\r\n"));
    }
  }

  // Run with QT_SCALE_FACTOR=2 as well (a second ctest entry). View > Full Section comes back
  // as it was left.
  void theWindowOpensOnTheScreenAndComesBackWhereItWas() {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("turnbrix.conf"));
    QRect area, left;
    {
      Window window(true, Frame::kDesktop, settings);
      QVERIFY(window.started);
      area = window.main()->screen()->availableGeometry();
      QVERIFY2(area.contains(window.main()->frameGeometry()),
               qPrintable(QDebug::toString(window.main()->frameGeometry()) + QDebug::toString(area)));
      // The whole grid when the screen has room, else as much as fits.
      QScrollArea* scroll = window.form.ScrollArea();
      QWidget* client = scroll->widget();
      QVERIFY(client->width() >= client->minimumSizeHint().width());
      if (area.height() > client->sizeHint().height() + 80 && area.width() > client->sizeHint().width() + 80)
        QVERIFY(!scroll->verticalScrollBar()->isVisible() && !scroll->horizontalScrollBar()->isVisible());
      window.main()->resize(area.size() / 2 + QSize(10, 10));
      window.main()->move(area.topLeft() + QPoint(7, 9));
      left = window.main()->geometry();
      window.main()->findChild<QAction*>(QStringLiteral("fullSection"))->trigger();
      window.Click(id::kExit);
    }
    {
      Window window(true, Frame::kDesktop, settings);
      QVERIFY(window.started);
      QCOMPARE(window.main()->geometry(), left);
      QVERIFY(window.main()->findChild<QAction*>(QStringLiteral("fullSection"))->isChecked());
      QVERIFY(window.program->Toolpath()->Preview()->FullSection());
      window.main()->move(area.bottomRight() + QPoint(500, 500));  // say, a screen since removed
      window.Click(id::kExit);
    }
    Window window(true, Frame::kDesktop, settings);
    QVERIFY(window.started);
    QTRY_VERIFY(area.contains(window.main()->frameGeometry()));
  }

  void everyFieldSaysWhatItMeasuresAndItsUnit() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    // Every box, and the caption beside it, says what it measures.
    for (const ControlDesc& entry : AllControls()) {
      const FieldRef ref = FindField(StandardOperations(), entry.id);
      const bool box = entry.kind == ControlKind::TextBox || entry.kind == ControlKind::ComboBox ||
                       entry.kind == ControlKind::ListBox;
      if (!box && !(ref && entry.id == ref.field->label)) continue;
      QVERIFY2(!window.W(entry.id)->toolTip().isEmpty(), qPrintable(QString::number(entry.id)));
    }
    QVERIFY(window.W(id::kXToolChange)->toolTip().endsWith(QStringLiteral("(in)")));
    QVERIFY(window.W(id::kReamFeed)->toolTip().endsWith(QStringLiteral("(in/rev)")));
    // They follow the unit system.
    window.Tab(9);
    window.Click(id::kMetric);
    QTRY_VERIFY(window.W(id::kReamFeed)->toolTip().endsWith(QStringLiteral("(mm/rev)")));
  }

  void metricFieldsSayMillimetres() {
    QTemporaryDir dir;
    const fs::path home = dir.path().toStdString();
    std::ofstream(home / "default.txt", std::ios::binary) << "4.\r\n6.\r\n1.\r\n";
    fs::copy_file(fs::path(TURNBRIX_RESOURCES) / "data.txt", home / "data.txt");
    QtForm form;
    App app(form, home);
    QSettings settings(dir.filePath(QStringLiteral("s.conf")), QSettings::IniFormat);
    ProgramWindow program(form, app, settings);
    QVERIFY(StartUp(app));
    program.Install();
    QVERIFY(form.Widget(kMainForm, id::kThreadMajorDia)->toolTip().endsWith(QStringLiteral("(mm)")));
    QVERIFY(form.Widget(kMainForm, id::kReamFeed)->toolTip().endsWith(QStringLiteral("(mm/rev)")));
  }

  void keyboardShortcuts() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    window.Tab(2);
    auto* major = window.W<QLineEdit>(id::kThreadMajorDia);
    QTest::mouseClick(major, Qt::LeftButton);
    QTest::keyClick(major, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(major, "0.50");
    window.events.clear();
    QTest::keyClick(major, Qt::Key_Return, Qt::ControlModifier);  // the tab's OK, as a click
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kThreadMajorDia, kMsgLeave, 0},
                                                 {"TBXMAIN", id::kThreadOk, kMsgClick, 0}}));
    QCOMPARE(window.Text(id::kOutput).substr(0, 4), std::string("N10 "));
    window.events.clear();
    QTest::keyClick(window.main(), Qt::Key_O, Qt::AltModifier);  // Alt+O: OK, shown pressed
    QTRY_COMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kThreadOk, kMsgClick, 0}}));
    QTest::keyClick(window.main(), Qt::Key_Z, Qt::ControlModifier);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(window.main(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kThreadOk, kMsgClick, 0},
                                                 {"TBXMAIN", id::kUndo, kMsgClick, 0},
                                                 {"TBXMAIN", id::kCopy, kMsgClick, 0}}));
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), window.Text(id::kOutput));
    window.Tab(8);
    window.events.clear();
    QTest::keyClick(window.main(), Qt::Key_Enter, Qt::ControlModifier);  // here: Calc
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kCalc, kMsgClick, 0}}));
    QVERIFY(window.Text(id::kNearestDrills).rfind("Smaller drill: ", 0) == 0);
    QVERIFY(window.W<QLabel>(id::kNearestDrills)->isVisible());

    // F1 opens About; Esc and Enter close it.
    QWidget* about = window.form.Window(kAboutForm);
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
      QTest::keyClick(window.main(), Qt::Key_F1);
      QTRY_VERIFY(about->isVisible());
      QVERIFY(QTest::qWaitForWindowActive(about));
      QVERIFY(window.form.GetText(kAboutForm, 4).find(window.home.path().string()) != std::string::npos);
      QTest::keyClick(about, Qt::Key(key));
      QTRY_VERIFY(!about->isVisible());
    }
    QVERIFY(window.form.IsLoaded(kMainForm));
  }

  // The whole part's job with its stock: the drawing shows the part at the end until a step is
  // chosen, then as that step leaves it, and Page Up/Down in the drawing go through the steps.
  // Edit > Stock… opens on the stock in effect, refuses a bore as large as the bar and, by the
  // keyboard alone, sets the job's own: a change the title marks and the drawing simulates, that
  // Undo of the program leaves; Default gives the job back to the default.
  void stockDialogAndThePartStepByStep() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("part.nc")).toStdString();
    Headless headless;
    std::ifstream script(fs::path(TURNBRIX_JOBS) / "whole_part_inch.job");
    QCOMPARE(headless.runner.RunScript(script, false), 0);
    QVERIFY(headless.runner.Save(path));
    QVERIFY(window.program->OpenFile(QString::fromStdString(path)));
    ToolpathPreview* preview = window.program->Toolpath()->Preview();
    StepListPane* steps = window.program->Steps();
    const toolpath::Toolpath& drawn = window.program->Toolpath()->Path();
    // The default: the Face step's 2" bar from Z .05, the jaws .5 behind the part-off at -2.
    QVERIFY(drawn.simulation);
    QVERIFY((drawn.simulation->stock == toolpath::Stock{.outerDia = 2, .frontZ = 0.05, .chuckZ = -2.5}));
    QCOMPARE(preview->PartLast(), ToolpathPreview::kWholeJob);
    steps->Choose(1);  // the Turn: the second operation
    QCOMPARE(std::pair(preview->PartFirst(), preview->PartLast()), std::pair(1, 1));
    preview->setFocus();
    QTest::keyClick(preview, Qt::Key_PageDown);
    QCOMPARE(steps->Current(), 2);
    QCOMPARE(std::pair(preview->PartFirst(), preview->PartLast()), std::pair(2, 2));
    QTest::keyClick(preview, Qt::Key_PageUp);
    QTest::keyClick(preview, Qt::Key_PageUp);
    QTest::keyClick(preview, Qt::Key_PageUp);  // stays on the first
    QCOMPARE(steps->Current(), 0);

    QAction* edit = nullptr;
    for (QAction* a : qobject_cast<QMainWindow*>(window.main())->menuBar()->findChildren<QAction*>())
      if (a->text() == QStringLiteral("S&tock…")) edit = a;
    QVERIFY(edit);
    auto answer = [](const std::function<void(StockDialog&)>& act) {
      QTimer::singleShot(0, [act] {
        QPointer<StockDialog> dialog = dynamic_cast<StockDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        act(*dialog);
        if (dialog && dialog->isVisible()) dialog->reject();  // a check above failed
      });
    };
    auto retype = [](QDoubleSpinBox* box, const char* text) {
      box->setFocus();
      QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(box, text);
    };
    QVERIFY(!window.main()->isWindowModified());
    answer([&](StockDialog& dialog) {
      QCOMPARE(dialog.Box("outerDia")->value(), 2.0);
      QCOMPARE(dialog.Box("chuckZ")->value(), -2.5);
      QWidget* ok = dialog.Buttons()->button(QDialogButtonBox::Ok);
      retype(dialog.Box("outerDia"), "2.125");
      retype(dialog.Box("bore"), "2.5");
      QVERIFY(!ok->isEnabled());
      QCOMPARE(dialog.Problem()->text(), QStringLiteral("The bore must be smaller than the outer diameter."));
      retype(dialog.Box("bore"), ".5");
      QVERIFY(ok->isEnabled());
      retype(dialog.Box("chuckZ"), "-2");
      QTest::keyClick(dialog.Box("chuckZ"), Qt::Key_Return);
    });
    edit->trigger();
    const toolpath::Stock set{.outerDia = 2.125, .bore = 0.5, .frontZ = 0.05, .chuckZ = -2};
    QVERIFY(window.app.job.stock == set);
    QVERIFY(window.main()->isWindowModified());
    QVERIFY(drawn.simulation && drawn.simulation->stock == set);
    // Undo takes back the program, not the bar it is cut from.
    window.Tab(5);
    window.Click(id::kReamOk);
    const std::string reamed = window.Text(id::kOutput);
    window.program->Undo();
    QVERIFY(window.Text(id::kOutput) != reamed);
    QVERIFY(window.app.job.stock == set);

    answer([&](StockDialog& dialog) {
      QCOMPARE(dialog.Box("bore")->value(), 0.5);
      auto* reset = qobject_cast<QPushButton*>(dialog.Buttons()->button(QDialogButtonBox::RestoreDefaults));
      QCOMPARE(reset->shortcut(), QKeySequence(Qt::ALT | Qt::Key_D));
      reset->setFocus();
      QTest::keyClick(reset, Qt::Key_Space);
      QCOMPARE(dialog.Box("bore")->value(), 0.0);
      QTest::keyClick(dialog.Box("bore"), Qt::Key_Return);
    });
    edit->trigger();
    QVERIFY(!window.app.job.stock.Known());

    // The turning tool and a grooving blade narrower than the Tool Width the groove was
    // written for: the groove is left short, among the warnings and on its step.
    Tool turn, blade;
    turn.number = turn.offset = 2;
    turn.kind = ToolKind::OdTurning, turn.shape = InsertShape::C, turn.radius = .031, turn.orientation = 3;
    turn.leadAngle = -5;
    blade.number = blade.offset = 6;
    blade.kind = ToolKind::Grooving, blade.shape = InsertShape::Blade, blade.orientation = 3, blade.width = .1;
    window.app.tools.Put(turn);
    window.app.tools.Put(blade);
    window.program->Toolpath()->Refresh();
    steps->Refresh();
    const std::string groove = "grooved diameter left at X1.5 over Z-0.75 to Z-0.775: short of Minor Dia X1.36";
    QVERIFY(std::any_of(drawn.warnings.begin(), drawn.warnings.end(),
                        [&](const toolpath::Finding& f) { return f.text == groove; }));
    QVERIFY(steps->List()->topLevelItem(5)->toolTip(0).contains(QString::fromStdString(groove)));
  }

  // "part" is saved as part.nc; two recent files of one name say where each is; Find finds; a
  // box's mark goes as soon as the box is mended.
  void saveRecentFilesFindAndMarks() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    window.Tab(5);
    window.Click(id::kReamOk);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("second")));
    for (const QString& name : {QStringLiteral("part"), QStringLiteral("second/part")}) {
      window.chosen = dir.filePath(name);
      QVERIFY(window.program->SaveAs());
      QVERIFY(QFileInfo::exists(dir.filePath(name + QStringLiteral(".nc"))));
    }
    QStringList items;
    for (QAction* action : window.program->FileMenu()->actions()) items << action->text();
    const QString newest = QStringLiteral("&1 part.nc (") + QDir::toNativeSeparators(dir.filePath(QStringLiteral("second"))) + u')';
    const QString older = QStringLiteral("&2 part.nc (") + QDir::toNativeSeparators(dir.path()) + u')';
    QVERIFY2(items.contains(newest) && items.contains(older), qPrintable(items.join(u'|')));

    // Edit > Find: the caret on the next match, round the end, "Not in the program" else.
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    QTest::keyClick(window.main(), Qt::Key_F, Qt::ControlModifier);
    auto* find = window.main()->findChild<QLineEdit*>(QStringLiteral("findText"));
    QVERIFY(find && find->isVisible());
    QPushButton* next = nullptr;
    for (auto* button : find->window()->findChildren<QPushButton*>())
      if (button->text() == QStringLiteral("Find &Next")) next = button;
    QVERIFY(next);
    QTest::keyClicks(find, "g0 ");
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("G0 "));
    const int first = box->textCursor().position();
    bool moved = false;  // on to the next, then round the end to the first again
    for (int i = 0; i < 8 && !(moved && box->textCursor().position() == first); ++i) {
      QTest::mouseClick(next, Qt::LeftButton);
      moved = moved || box->textCursor().position() != first;
    }
    QVERIFY(moved);
    QCOMPARE(box->textCursor().position(), first);
    QCOMPARE(box->textCursor().selectedText(), QStringLiteral("G0 "));
    find->setText(QStringLiteral("G76"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(window.main()->findChild<QLabel*>(QStringLiteral("findResult"))->text(), QStringLiteral("Not in the program"));
    find->window()->close();

    window.Tab(2);
    window.Type(id::kThreadMajorDia, "abc");
    QVERIFY(window.form.IsMarked(kMainForm, id::kThreadMajorDia));
    auto* major = window.W<QLineEdit>(id::kThreadMajorDia);
    major->setFocus();
    QTest::keyClick(major, Qt::Key_Backspace);
    QVERIFY(!window.form.IsMarked(kMainForm, id::kThreadMajorDia));
    QCOMPARE(qobject_cast<QMainWindow*>(window.main())->statusBar()->currentMessage(), QString());
  }

  void aBoxLeftWithoutANumberIsNamedAndMarked() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    window.Tab(9);
    window.Type(id::kXToolChange, "abc");
    QCOMPARE(qobject_cast<QMainWindow*>(window.main())->statusBar()->currentMessage(),
             QStringLiteral("X Axis Tool Change: \"abc\" is not a number"));
    QVERIFY(window.form.IsMarked(kMainForm, id::kXToolChange));
    window.Type(id::kZToolChange, "1e40");
    QCOMPARE(qobject_cast<QMainWindow*>(window.main())->statusBar()->currentMessage(),
             QStringLiteral("Z Axis Tool Change: \"1e40\" is beyond single precision and reads as INF"));
    window.Type(id::kXToolChange, "4");
    QVERIFY(!window.form.IsMarked(kMainForm, id::kXToolChange));
    QVERIFY(window.form.IsMarked(kMainForm, id::kZToolChange));

    // A refusal naming a field on another tab: that tab comes up with the field in focus.
    window.form.SetText(kMainForm, id::kZToolChange, "abc");  // not left yet
    window.Tab(2);
    window.Click(id::kThreadOk);
    QTRY_COMPARE(window.boxes.seen.size(), std::size_t(1));
    QCOMPARE(window.boxes.seen[0], std::string("[TBX Error] Z Axis Tool Change must be a number"));
    QTRY_COMPARE(window.main()->focusWidget(), window.W(id::kZToolChange));
    QCOMPARE(window.Tabs()->currentIndex(), 8);
  }

  void programWordsAreColoured() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    window.form.SetText(kMainForm, id::kOutput, "N10 G0 X1.5 Z-.1 M8 ( NOTE )\r\n");
    GcodeHighlighter* colours = window.program->Highlighter();
    const QTextBlock block = window.W<QPlainTextEdit>(id::kOutput)->document()->firstBlock();
    std::map<int, QColor> at;
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) at[r.start] = r.format.foreground().color();
    QCOMPARE(at[0], colours->blockNumber.foreground().color());
    QCOMPARE(at[4], colours->gmWord.foreground().color());
    QCOMPARE(at[7], colours->axisWord.foreground().color());
    QCOMPARE(at[12], colours->axisWord.foreground().color());
    QCOMPARE(at[17], colours->gmWord.foreground().color());
    QCOMPARE(at[20], colours->comment.foreground().color());
  }

  // The drawing follows the box: at once after OK and Undo, after a pause in typing; the
  // caret on a block makes its moves bold, a click on a move selects its block.
  void previewFollowsTheProgram() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    ToolpathPane* pane = window.program->Toolpath();
    ToolpathPreview* preview = pane->Preview();
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    auto library = [&] {
      return toolpath::ExpandProgram(window.Text(id::kOutput), ProgramToolpathSettings(window.app));
    };
    auto threadPixels = [&] {
      const QImage image = preview->grab().toImage();
      int n = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == QColor(0xd8, 0x43, 0x15);
      return n;
    };
    QCOMPARE(pane->Path().moves.size(), std::size_t(0));
    window.Tab(2);
    window.Click(id::kThreadOk);
    const toolpath::Toolpath thread = library();
    QVERIFY(thread.moves.size() > 20);
    QCOMPARE(pane->Path().moves.size(), thread.moves.size());
    QVERIFY(threadPixels() > 0);
    window.Tab(5);
    window.Click(id::kReamOk);
    QCOMPARE(pane->Path().moves.size(), library().moves.size());
    QVERIFY(pane->Path().moves.size() > thread.moves.size());
    window.Click(id::kUndo);
    QCOMPARE(pane->Path().moves.size(), thread.moves.size());

    // Typing: nothing until the pause, then the box as typed.
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(box, "G1 X.2 Z-2. F.01");
    QCOMPARE(pane->Path().moves.size(), thread.moves.size());
    QTRY_COMPARE(pane->Path().moves.size(), thread.moves.size() + 1);
    QCOMPARE(pane->Path().moves.back().end.z, -2.0);

    // The caret on the G76 block (line 7) by a click on it.
    const QTextBlock g76 = box->document()->findBlockByNumber(6);
    QVERIFY(g76.text().startsWith(QStringLiteral("N70 G76 X")));
    QTextCursor on(g76);
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->cursorRect(on).center() + QPoint(2, 0));
    QCOMPARE(preview->HighlightedLine(), 7);
    // A click on a threading pass halfway along it selects that block again, from line 1.
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->cursorRect(QTextCursor(box->document()->firstBlock())).center());
    QCOMPARE(preview->HighlightedLine(), 1);
    const toolpath::Move* pass = nullptr;
    for (const toolpath::Move& m : pane->Path().moves)
      if (m.kind == toolpath::MoveKind::Thread && m.line == 7) pass = &m;
    QVERIFY(pass);
    const QPointF mid((pass->start.z + pass->end.z) / 2, (pass->start.x + pass->end.x) / 4);
    QTest::mouseClick(preview, Qt::LeftButton, {}, preview->View().map(mid).toPoint());
    QCOMPARE(box->textCursor().blockNumber(), 6);
    QCOMPARE(box->textCursor().selectedText(), g76.text());
    QCOMPARE(preview->HighlightedLine(), 7);
  }

  // The Profile's contour typed line by line into its box: every segment the toolpath reader
  // makes of the lines is drawn as they are typed (an arc along its arc, not its chord), a
  // corner too large for its sides is named on its line under the box, underlined in it and
  // drawn in the fault colour, and goes once mended; Return starts a line, Tab leaves the box;
  // OK writes what the job script writes from the same lines.
  void contourBoxDrawsAndNamesTheFaultsAsTyped() {
    Window window;
    QVERIFY(window.started);
    window.Tab(window.form.PageOf(kMainForm, id::kProfileContour));
    auto* box = window.W<ContourBox>(id::kProfileContour);
    QVERIFY(box);
    QPlainTextEdit* editor = box->Editor();
    QVERIFY(editor->font().fixedPitch());
    QCOMPARE(editor->lineWrapMode(), QPlainTextEdit::NoWrap);
    QLabel* list = box->findChild<QLabel*>();
    QVERIFY(list && !list->isVisible());
    // What the drawing shows at a point of the contour: 'c' the contour, 'f' a fault, ' ' none.
    auto shownAt = [&](NosePoint p) {
      const QImage image = box->Drawing()->grab().toImage();
      const QPoint at = (box->Drawing()->Map(p) * image.devicePixelRatio()).toPoint();
      const int reach = static_cast<int>(image.devicePixelRatio());
      char seen = ' ';
      for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
          const QColor c = image.pixelColor(at + QPoint(dx, dy));
          if (c.blue() > 150 && c.red() < 90) seen = 'c';
          if (seen == ' ' && c.red() > 180 && c.blue() < 90) seen = 'f';
        }
      return seen;
    };
    // The box against the reader: each segment's middle drawn, in the fault colour where its
    // line is faulty; an arc's chord clear of it.
    auto drawsTheRead = [&](const std::vector<int>& faultyLines) {
      const toolpath::ContourRead read = toolpath::ReadContour(window.Text(id::kProfileContour));
      QVERIFY(!read.path.segments.empty());
      QCOMPARE(box->Drawing()->Path().segments.size(), read.path.segments.size());
      int arcs = 0;
      NosePoint from = read.path.start;
      for (std::size_t i = 0; i < read.path.segments.size(); ++i) {
        const NoseSegment& s = read.path.segments[i];
        NosePoint mid{(from.z + s.end.z) / 2, (from.r + s.end.r) / 2};
        const char wanted =
            std::find(faultyLines.begin(), faultyLines.end(), read.lines[i]) != faultyLines.end() ? 'f' : 'c';
        if (s.arc) {
          const double radius = std::hypot(s.end.z - s.centre.z, s.end.r - s.centre.r);
          const double chord = std::hypot(mid.z - s.centre.z, mid.r - s.centre.r);
          // The arcs here sweep less than half a turn: the arc's middle is beyond the chord's.
          const NosePoint onArc{s.centre.z + (mid.z - s.centre.z) * radius / chord,
                                s.centre.r + (mid.r - s.centre.r) * radius / chord};
          const QPointF apart = box->Drawing()->Map(onArc) - box->Drawing()->Map(mid);
          if (std::hypot(apart.x(), apart.y()) > 5) {
            QCOMPARE(shownAt(mid), ' ');
            ++arcs;
          }
          mid = onArc;
        }
        QVERIFY2(shownAt(mid) == wanted, qPrintable(QStringLiteral("segment %1 of line %2").arg(i).arg(read.lines[i])));
        from = s.end;
      }
      QVERIFY(arcs > 0);
      QCOMPARE(shownAt(read.path.start), 'c');
    };

    const QStringList lines = {"X.75 Z0", "X1. Z-.125", "Z-.75 ,R.5", "X1.5", "Z-1.", "G2 X2. Z-1.25 R.25", "G1 Z-1.75"};
    QTest::mouseClick(editor->viewport(), Qt::LeftButton);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    window.events.clear();
    for (const QString& line : lines) {
      QTest::keyClicks(editor, line);
      if (&line != &lines.back()) QTest::keyClick(editor, Qt::Key_Return);
    }
    QCOMPARE(window.events, std::vector<Raised>{});
    QCOMPARE(window.Text(id::kProfileContour), lines.join(QLatin1Char('\n')).toStdString());
    const QString fault = QStringLiteral("line 3: radius ,R0.5 is too large for its corner");
    QCOMPARE(box->Faults(), QStringList{fault});
    QVERIFY(list->isVisible());
    QCOMPARE(list->text(), fault);
    QStringList marked;
    for (const QTextEdit::ExtraSelection& mark : editor->extraSelections())
      if (mark.format.underlineStyle() == QTextCharFormat::WaveUnderline)
        marked << QStringLiteral("%1 %2 %3").arg(mark.cursor.blockNumber() + 1).arg(mark.cursor.selectedText(), mark.format.toolTip());
    QCOMPARE(marked, QStringList{QStringLiteral("3 ,R.5 radius ,R0.5 is too large for its corner")});
    drawsTheRead({3});

    // Mended: ,R.06 rounds the corner with an arc of its own.
    QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, "06");
    QCOMPARE(box->Faults(), QStringList{});
    QVERIFY(!list->isVisible());
    QVERIFY(editor->extraSelections().isEmpty());
    QCOMPARE(toolpath::ReadContour(window.Text(id::kProfileContour)).path.segments.size(), std::size_t(lines.size()));
    drawsTheRead({});
    QCOMPARE(window.events, std::vector<Raised>{});
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window.W(id::kProfileStartDia));
    QCOMPARE(window.events, (std::vector<Raised>{{"TBXMAIN", id::kProfileContour, kMsgLeave, 0}}));

    window.Click(id::kProfileOk);
    QCOMPARE(window.boxes.seen, std::vector<std::string>{});
    Headless headless;
    QVERIFY(headless.started);
    QString typed = QString::fromStdString(window.Text(id::kProfileContour));
    std::istringstream script(QStringLiteral("tab %1\ntype %2 %3\nclick %4\n")
                                  .arg(window.form.PageOf(kMainForm, id::kProfileContour))
                                  .arg(id::kProfileContour)
                                  .arg(typed.replace(QLatin1Char('\n'), QStringLiteral("\\n")))
                                  .arg(id::kProfileOk)
                                  .toStdString());
    QCOMPARE(headless.runner.RunScript(script, false), 0);
    const std::string program = window.Text(id::kOutput);
    QVERIFY2(program == headless.runner.Output(), qPrintable(FirstDifference(program, headless.runner.Output())));
    QVERIFY(program.find("( PROFILE )") != std::string::npos);
    // The finish pass along the typed arc.
    QVERIFY(program.find("Z-1.\r\nN910 G2 X2. Z-1.25 I.25 K0.\r\n") != std::string::npos);
  }

  // The status bar after a known job: the library's run time, the operations, the warnings;
  // the warnings listed with their lines, and choosing one puts the caret there.
  void statusBarAndWarnings() {
    struct Case {
      double seconds;
      const char* text;
    };
    for (const Case& c : {Case{0, "0:00"}, Case{59.4, "0:59"}, Case{59.6, "1:00"},
                          Case{3599.5, "1:00:00"}, Case{3725, "1:02:05"}, Case{-1, "0:00"}})
      QCOMPARE(RunTimeText(c.seconds), QString::fromLatin1(c.text));

    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    ToolpathPane* pane = window.program->Toolpath();
    window.Tab(2);
    window.Click(id::kThreadOk);
    window.Tab(3);
    window.Click(id::kCSinkOk);
    const toolpath::Toolpath path =
        toolpath::ExpandProgram(window.Text(id::kOutput), ProgramToolpathSettings(window.app));
    QVERIFY(path.seconds > 1);
    QCOMPARE(pane->RunTimeLabel()->text(), QStringLiteral("Run time ") + RunTimeText(path.seconds));
    QCOMPARE(pane->OperationsLabel()->text(), QStringLiteral("2 operations"));
    // The C'Sink's S5093 is above the machine's 4000 rpm.
    QCOMPARE(pane->WarningsButton()->text(), QStringLiteral("1 warning"));
    QVERIFY(pane->RunTimeLabel()->isVisible());

    // Slower rapids, a longer run.
    window.Tab(9);
    window.Type(id::kRapidZ, "1200");
    QVERIFY(pane->Path().seconds > path.seconds);

    // A block past the centre line with the spindle stopped, and one that cannot be read.
    auto* box = window.W<QPlainTextEdit>(id::kOutput);
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    for (const char* line : {"M5", "G1 X-.2 F.01", "G1 X"}) {
      QTest::keyClicks(box, line);
      QTest::keyClick(box, Qt::Key_Return);
    }
    // The first warning is the C'Sink's S5093, above the machine's 4000 rpm.
    QTRY_COMPARE(pane->WarningsButton()->text(), QStringLiteral("4 warnings"));
    const int first = box->document()->blockCount() - 2;  // 1-based line of "G1 X-.2"
    QTest::mouseClick(pane->WarningsButton(), Qt::LeftButton);
    QListWidget* list = pane->WarningsList();
    QTRY_VERIFY(list && list->isVisible());
    QCOMPARE(list->count(), 4);
    QVERIFY(list->item(0)->text().contains(QStringLiteral("above the machine's maximum")));
    QVERIFY(list->item(1)->text().startsWith(QStringLiteral("Line %1: ").arg(first)));
    QVERIFY(list->item(3)->text().startsWith(QStringLiteral("Line %1: column ").arg(first + 1)));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(3)).center());
    QCOMPARE(box->textCursor().blockNumber(), first);  // 0-based: the line after
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_VERIFY(!list->isVisible());
  }

  // File > Export…: the file holds exactly what the library makes, LinuxCNC's tool table beside
  // it; a file that cannot be written says why and the dialog stays; the program box is
  // untouched; Esc closes.
  void exportWritesTheLibrarysBytes() {
    Window window(true, Frame::kDesktop);
    QVERIFY(window.started);
    UseShippedTools(window.app);
    window.Tab(11);
    window.Click(id::kTurnCompG41G42);
    window.Click(id::kTurnOk);
    window.Tab(2);
    window.Click(id::kThreadOk);
    window.Tab(6);
    window.Click(id::kTapOk);
    const std::string program = window.Text(id::kOutput);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("part.ngc"));
    const QString nowhere = dir.filePath(QStringLiteral("none/part.ngc"));
    QString units;
    bool fileFocused = false;
    int step = 0;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
      auto* dialog = dynamic_cast<ExportDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      // Its mnemonics answer in the active window: the last OK's focus request, still queued
      // when Ctrl+E follows at once, activates the main window over it.
      if (QApplication::activeWindow() != dialog) {
        dialog->activateWindow();
        return;
      }
      units = dialog->Units()->text();
      if (step == 0) {
        QTest::keyClick(dialog, Qt::Key_F, Qt::AltModifier);  // the File label's mnemonic
        fileFocused = QApplication::focusWidget() == dialog->File();
      }
      const int linuxCnc = dialog->Dialect()->findText(QStringLiteral("LinuxCNC"));
      dialog->Dialect()->setCurrentIndex(linuxCnc);
      // A program named as its own table would be lost under it.
      dialog->File()->setText(step == 0 ? nowhere : step == 1 ? dir.filePath(QStringLiteral("part.tbl")) : file);
      // The last by Enter in the File box, which exports as the default button does.
      if (step == 2) QTest::keyClick(dialog->File(), Qt::Key_Return);
      if (step++ < 2) QTest::mouseClick(dialog->ExportButton(), Qt::LeftButton);
    });
    driver.start();
    QTest::keyClick(window.main(), Qt::Key_E, Qt::ControlModifier);
    driver.stop();
    QVERIFY(units.startsWith(QStringLiteral("inch")));
    QVERIFY(fileFocused);
    QCOMPARE(window.boxes.seen.size(), std::size_t(2));
    QVERIFY2(window.boxes.seen[0].rfind("[Export Program] Cannot export to " + nowhere.toStdString() + ": ", 0) == 0,
             window.boxes.seen[0].c_str());
    QVERIFY2(window.boxes.seen[1].find("part.tbl: the tool table part.tbl would be written over it") != std::string::npos,
             window.boxes.seen[1].c_str());
    const toolpath::ExportResult expected =
        toolpath::ExportProgram(program, toolpath::Dialect::LinuxCnc, ProgramToolpathSettings(window.app));
    QVERIFY(expected.text.size() > 100 && expected.text.find("G42") != std::string::npos);
    QCOMPARE(ReadFile(file.toStdString()), expected.text);
    // The Turn's tool with its nose diameter and orientation, the others by number.
    QVERIFY2(expected.toolTable.find("T1 P1 X0 Z0 D0.062 Q2 ;T0101 ") == 0, expected.toolTable.c_str());
    const QString table = dir.filePath(QStringLiteral("part.tbl"));
    QCOMPARE(ReadFile(table.toStdString()), expected.toolTable);
    QCOMPARE(window.Text(id::kOutput), program);
    const QString said = qobject_cast<QMainWindow*>(window.main())->statusBar()->currentMessage();
    QVERIFY2(said.startsWith(QStringLiteral("Exported to %1 and its tool table %2").arg(file, table)), qPrintable(said));

    // Esc: nothing written.
    QTimer::singleShot(50, [] {
      if (QWidget* dialog = QApplication::activeModalWidget()) QTest::keyClick(dialog, Qt::Key_Escape);
    });
    window.program->ExportProgram();
    QVERIFY(!QApplication::activeModalWidget());
  }

  // The machine boxes: a value typed on the Settings tab is saved to toolpath.txt on Exit and
  // read back by the next start; default.txt keeps its bytes.
  void machineSettingsRoundTrip() {
    std::string defaults;
    fs::path home;
    QTemporaryDir keep;
    {
      Window window(true, Frame::kDesktop);
      QVERIFY(window.started);
      defaults = ReadFile(window.home.path() / "default.txt");
      window.Tab(9);
      QCOMPARE(window.Text(id::kRapidX), std::string("10000."));
      window.Type(id::kRapidX, "8000");
      window.Type(id::kG83Clearance, ".02");
      window.Type(id::kToolChangeTime, "abc");
      QVERIFY(window.form.IsMarked(kMainForm, id::kToolChangeTime));
      window.Type(id::kToolChangeTime, "6.5");
      window.Click(id::kExit);
      QVERIFY(!window.form.IsLoaded(kMainForm));
      for (const char* name : {"default.txt", "data.txt", "toolpath.txt"})
        fs::copy_file(window.home.path() / name, fs::path(keep.path().toStdString()) / name);
    }
    home = keep.path().toStdString();
    QCOMPARE(ReadFile(home / "default.txt"), defaults);
    const MachineSettings saved = LoadMachineSettings(home / "toolpath.txt");
    QCOMPARE(saved.rapidXMmPerMin, 8000.0);
    QCOMPARE(saved.g83ClearanceInch, 0.02);
    QCOMPARE(saved.toolChangeSeconds, 6.5);
    std::ostringstream out, err;
    JobRunner again(home, out, err);
    QVERIFY(again.Start());
    QCOMPARE(again.app().Text(id::kRapidX), std::string("8000."));
    QCOMPARE(again.app().Text(id::kToolChangeTime), std::string("6.5"));
    QCOMPARE(again.app().Text(id::kG83Clearance), std::string(".02"));
  }

  void endingWarnsOfNothing() {
    static QStringList warnings;
    warnings.clear();
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
      warnings << text;
    });
    {
      Window window(true, Frame::kDesktop);
      QVERIFY(window.started);
      window.Click(id::kExit);
    }
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.filter(QStringLiteral("disconnect")).isEmpty(), qPrintable(warnings.join(u'\n')));
  }
};

}  // namespace tbx

QTEST_MAIN(tbx::QtFormTest)
#include "qt_form_test.moc"
