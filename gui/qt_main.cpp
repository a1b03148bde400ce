// turnbrix: the desktop window. The same start-up and event handlers as turnbrix-cli, on Qt
// widgets.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTableWidget>
#include <QTextBlock>
#include <QWheelEvent>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/app.h"
#include "app/events.h"
#include "app/first_run.h"
#include "app/startup.h"
#include "gui/contour_box.h"
#include "gui/icon/turnbrix_icon.h"
#include "gui/program_window.h"
#include "gui/qt_form.h"
#include "gui/qt_tabs.h"
#include "gui/qt_preview.h"
#include "gui/qt_step_list.h"
#include "gui/tool_library_dialog.h"
#include "gui/toolpath_pane.h"
#include "turnbrix_build.h"

namespace {

// The window with a short program in it and the File menu open, as one picture.
QImage ProgramWithFileMenu(tbx::QtForm& form, tbx::ProgramWindow& window) {
  auto* tabs = dynamic_cast<tbx::PageChooser*>(form.Widget(tbx::kMainForm, tbx::id::kTabs));
  auto click = [&](tbx::ControlId id) {
    static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, id))->click();
  };
  tabs->choose(1);
  click(tbx::id::kThreadOk);
  tabs->choose(2);
  click(tbx::id::kCSinkOk);
  QMainWindow* main = form.MainWindow();
  QMenu* menu = window.FileMenu();
  QMenuBar* bar = main->menuBar();
  const QPoint at = bar->mapTo(main, bar->actionGeometry(menu->menuAction()).bottomLeft());
  menu->popup(main->mapToGlobal(at));
  QApplication::processEvents();
  QImage picture = main->grab().toImage();
  {
    QPainter painter(&picture);
    painter.drawPixmap(at, menu->grab());
  }
  menu->hide();
  return picture;
}

// A new program with an outside thread and a groove, in a window as large as the screen
// allows: the program box, the drawing beside it and the status bar below, as one picture.
QImage PreviewAfterThreadAndGroove(tbx::QtForm& form, tbx::ProgramWindow& window) {
  auto* tabs = dynamic_cast<tbx::PageChooser*>(form.Widget(tbx::kMainForm, tbx::id::kTabs));
  window.SetPrompt([] { return tbx::ProgramWindow::Answer::Discard; });
  window.NewProgram();
  tabs->choose(1);
  static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, tbx::id::kThreadOk))->click();
  tabs->choose(6);
  static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, tbx::id::kGrooveOk))->click();
  QMainWindow* main = form.MainWindow();
  const QSize room = main->screen()->availableGeometry().size();
  main->resize(main->size().expandedTo(room.boundedTo(QSize(1400, 860))));
  // The caret on the first plunge of the groove: its moves are drawn bold.
  auto* box = static_cast<QPlainTextEdit*>(form.Widget(tbx::kMainForm, tbx::id::kOutput));
  QTextCursor plunge = box->document()->find(QStringLiteral("G1 X.52 F"));
  plunge.clearSelection();
  box->setTextCursor(plunge);
  main->grab();  // lays the window out at its new size first
  QApplication::processEvents();
  QWidget* area = form.ProgramArea();
  const QPoint from = area->mapTo(main, QPoint(0, 0));
  return main->grab(QRect(from, main->rect().bottomRight())).toImage();
}

// A new job of four operations, the second chosen in the step list and being edited, in a
// window as large as the screen allows.
QImage StepsBeingEdited(tbx::QtForm& form, tbx::ProgramWindow& window) {
  auto* tabs = dynamic_cast<tbx::PageChooser*>(form.Widget(tbx::kMainForm, tbx::id::kTabs));
  window.SetPrompt([] { return tbx::ProgramWindow::Answer::Discard; });
  window.NewProgram();
  const std::pair<int, tbx::ControlId> oks[] = {
      {10, tbx::id::kFaceOk}, {11, tbx::id::kTurnOk}, {3, tbx::id::kCSinkOk}, {2, tbx::id::kThreadOk}};
  for (const auto& [tab, ok] : oks) {
    tabs->choose(tab - 1);
    static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, ok))->click();
  }
  QMainWindow* main = form.MainWindow();
  const QSize room = main->screen()->availableGeometry().size();
  main->resize(main->size().expandedTo(room.boundedTo(QSize(1400, 860))));
  main->grab();  // lays the window out at its new size first
  window.Steps()->Choose(1);
  window.Steps()->Edit();
  QApplication::processEvents();
  return main->grab().toImage();
}

// Tools > Tool Library… with the starter set, the finishing tool chosen.
QImage ToolLibraryShown(tbx::QtForm& form, const tbx::ToolLibrary& tools) {
  tbx::ToolLibraryDialog dialog(tools, {}, form.MainWindow());
  dialog.show();
  dialog.Table()->setCurrentCell(std::min(1, dialog.Table()->rowCount() - 1), 0);
  dialog.grab();  // lays it out first
  QApplication::processEvents();
  return dialog.grab().toImage();
}

// A Turn under G41/G42 with the caret on its finish pass's diameter: the tool drawn there, the
// nose centre's path beside the programmed one, the view zoomed out about the tool to hold
// all of it.
QImage ToolInTheDrawing(tbx::QtForm& form, tbx::ProgramWindow& window) {
  auto* tabs = dynamic_cast<tbx::PageChooser*>(form.Widget(tbx::kMainForm, tbx::id::kTabs));
  window.SetPrompt([] { return tbx::ProgramWindow::Answer::Discard; });
  window.NewProgram();
  tabs->choose(10);
  static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, tbx::id::kTurnCompG41G42))->click();
  static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, tbx::id::kTurnOk))->click();
  QMainWindow* main = form.MainWindow();
  const QSize room = main->screen()->availableGeometry().size();
  main->resize(main->size().expandedTo(room.boundedTo(QSize(1400, 860))));
  auto* box = static_cast<QPlainTextEdit*>(form.Widget(tbx::kMainForm, tbx::id::kOutput));
  const int height = form.ProgramArea()->height();
  form.ProgramArea()->setSizes({height * 3 / 10, height * 6 / 10, height / 10});
  // The caret on the turned diameter after the chamfer: the tool at the shoulder.
  QTextCursor diameter = box->document()->find(QStringLiteral("G42"));
  diameter.movePosition(QTextCursor::NextBlock);
  diameter.movePosition(QTextCursor::NextBlock);
  box->setTextCursor(diameter);
  main->grab();
  QApplication::processEvents();
  tbx::ToolpathPreview* preview = window.Toolpath()->Preview();
  const tbx::NosePoint at = window.Toolpath()->ToolDrawing().ShownAt();
  const QPointF there = preview->View().map(QPointF(at.z, at.r));
  for (int notch = 0; notch < 3; ++notch) {
    QWheelEvent wheel(there, preview->mapToGlobal(there), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview, &wheel);
  }
  QApplication::processEvents();
  QWidget* area = form.ProgramArea();
  const QPoint from = area->mapTo(main, QPoint(0, 0));
  return main->grab(QRect(from, main->rect().bottomRight())).toImage();
}

// The Profile page after an OK of a contour with a shoulder radius, a chamfer and an arc up
// to the last diameter, its corner radius then typed too large: the fault named on its line,
// the side it was typed on drawn in the fault colour; the program and its drawing beside.
QImage ProfileContour(tbx::QtForm& form, tbx::ProgramWindow& window) {
  auto* tabs = dynamic_cast<tbx::PageChooser*>(form.Widget(tbx::kMainForm, tbx::id::kTabs));
  window.SetPrompt([] { return tbx::ProgramWindow::Answer::Discard; });
  window.NewProgram();
  tabs->choose(form.PageOf(tbx::kMainForm, tbx::id::kProfileContour) - 1);
  static_cast<QComboBox*>(form.Widget(tbx::kMainForm, tbx::id::kTool))->setCurrentIndex(0);
  auto* box = static_cast<tbx::ContourBox*>(form.Widget(tbx::kMainForm, tbx::id::kProfileContour));
  const QString contour = QStringLiteral("X.75 Z0\nX1. Z-.125\nZ-.75 ,R%1\nX1.5 ,C.03\nZ-1.\nG2 X2. Z-1.25 R.25\nG1 Z-1.75");
  box->Editor()->setPlainText(contour.arg(QStringLiteral(".06")));
  static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, tbx::id::kProfileOk))->click();
  box->Editor()->setPlainText(contour.arg(QStringLiteral(".5")));
  QMainWindow* main = form.MainWindow();
  const QSize room = main->screen()->availableGeometry().size();
  main->resize(main->size().expandedTo(room.boundedTo(QSize(1400, 860))));
  main->grab();  // lays the window out at its new size first
  QTextCursor third(box->Editor()->document()->findBlockByNumber(2));
  third.movePosition(QTextCursor::EndOfBlock);
  box->Editor()->setTextCursor(third);
  box->Editor()->setFocus();
  QApplication::processEvents();
  return main->grab().toImage();
}

// The whole part of tests/jobs/whole_part_inch.job (face, turn with a chamfer, centre drill,
// drill, thread with a relief groove, the shaft by its contour, part off) made by its clicks, simulated from the bar its
// Face step names: the part at the end drawn as a full section under the moves.
QImage WholePartSimulated(tbx::QtForm& form, tbx::ProgramWindow& window, tbx::App& app) {
  auto* tabs = dynamic_cast<tbx::PageChooser*>(form.Widget(tbx::kMainForm, tbx::id::kTabs));
  window.SetPrompt([] { return tbx::ProgramWindow::Answer::Discard; });
  window.NewProgram();
  // The tools its steps were written for, in place of the shipped library's for the picture.
  const tbx::ToolLibrary shipped = app.tools;
  app.tools = {};
  using tbx::InsertShape, tbx::ToolKind;
  const struct {
    ToolKind kind;
    InsertShape shape;
    int orientation;
    double lead, width, diameter, point;
    const char* name;
  } tools[] = {{ToolKind::OdTurning, InsertShape::C, 3, -15, 0, 0, 0, "OD rough CNMG 432"},
               {ToolKind::OdTurning, InsertShape::C, 3, -5, 0, 0, 0, "OD finish CNMG 431"},
               {ToolKind::CentreDrill, InsertShape::None, 0, 0, 0, .5, 90, "Spot drill 1/2 90 deg"},
               {ToolKind::Drill, InsertShape::None, 0, 0, 0, .5, 118, "Drill 1/2"},
               {ToolKind::OdThreading, InsertShape::T, 8, 0, 0, 0, 0, "OD thread 16ER 60 deg"},
               {ToolKind::Grooving, InsertShape::Blade, 3, 0, .12, 0, 0, "Grooving blade .12"},
               {ToolKind::Parting, InsertShape::Blade, 4, 0, .125, 0, 0, "Parting blade .125"},
               {ToolKind::OdTurning, InsertShape::C, 3, -5, 0, 0, 0, "OD profile CNMG 431"}};
  for (int n = 1; n <= 8; ++n) {
    const auto& d = tools[n - 1];
    tbx::Tool t;
    t.number = t.offset = n;
    t.name = d.name;
    t.kind = d.kind, t.shape = d.shape, t.orientation = d.orientation, t.leadAngle = d.lead;
    t.width = d.width, t.diameter = d.diameter, t.pointAngle = d.point;
    t.radius = d.shape == InsertShape::C ? (n == 1 ? .031 : .016) : 0;
    app.tools.Put(t);
  }
  struct Action {
    char kind;  // tab, pick a tool, type, set a box of lines, click
    int id;
    const char* text;
  };
  const Action actions[] = {
      {'t', 10, ""},    {'c', 1260, ""},  {'t', 11, ""},      {'p', 1, ""},       {'c', 1380, ""},
      {'t', 3, ""},     {'p', 2, ""},     {'c', 400, ""},     {'c', 470, ""},     {'t', 4, ""},
      {'p', 3, ""},     {'c', 625, ""},   {'t', 2, ""},       {'p', 4, ""},       {'y', 130, "1.5"},
      {'y', 135, ".0625"}, {'y', 145, "-.75"}, {'c', 305, ""}, {'t', 7, ""},      {'p', 5, ""},
      {'y', 825, "1.5"}, {'y', 830, "1.36"}, {'y', 835, "-.75"}, {'y', 850, ".125"}, {'c', 965, ""},
      {'t', 13, ""},    {'p', 7, ""},
      {'s', 1610, "X1.5 Z-1.\nX1.625 ,C.015\nZ-1.3\nX1.75 Z-1.45\nZ-1.65 ,R.06\nX2."},
      {'y', 1620, "-.95"}, {'c', 1687, ""}, {'c', 1670, ""},
      {'t', 12, ""},    {'p', 6, ""},     {'y', 1415, "-2."}, {'y', 1445, ".02"}, {'c', 1460, ""}};
  for (const Action& a : actions) {
    switch (a.kind) {
      case 't': tabs->choose(a.id - 1); break;
      case 'p': static_cast<QComboBox*>(form.Widget(tbx::kMainForm, tbx::id::kTool))->setCurrentIndex(a.id); break;
      case 's': form.SetText(tbx::kMainForm, a.id, a.text); break;
      case 'y': {
        auto* box = static_cast<QLineEdit*>(form.Widget(tbx::kMainForm, a.id));
        box->setText(QString::fromLatin1(a.text));
        emit box->returnPressed();
        break;
      }
      default: static_cast<QAbstractButton*>(form.Widget(tbx::kMainForm, a.id))->click(); break;
    }
  }
  QMainWindow* main = form.MainWindow();
  const QSize room = main->screen()->availableGeometry().size();
  main->resize(main->size().expandedTo(room.boundedTo(QSize(1400, 860))));
  const int height = form.ProgramArea()->height();
  form.ProgramArea()->setSizes({height * 2 / 10, height * 6 / 10, height * 2 / 10});
  window.Toolpath()->Preview()->SetFullSection(true);
  main->grab();
  QApplication::processEvents();
  window.Toolpath()->Preview()->ZoomToFit();
  QApplication::processEvents();
  QWidget* area = form.ProgramArea();
  const QPoint from = area->mapTo(main, QPoint(0, 0));
  QImage picture = main->grab(QRect(from, main->rect().bottomRight())).toImage();
  window.Toolpath()->Preview()->SetFullSection(false);
  app.tools = shipped;
  return picture;
}

// Saves the window as it opens as DIR/window.png; shows every page as a click on it would and
// saves the window as DIR/tabN.png, then the
// About form as DIR/about.png, the window with a program and its File menu as
// DIR/program.png, the drawing after a thread and a groove as DIR/preview-thread-groove.png,
// a job with a step being edited as DIR/steps.png, the Profile page with a fault in its
// contour as DIR/profile.png, the tool library as DIR/tool-library.png,
// the tool in the drawing as DIR/tool-drawing.png, the whole part simulated as
// DIR/whole-part.png, and the icon as DIR/icon.png.
bool SaveScreenshots(tbx::QtForm& form, tbx::ProgramWindow& programWindow, tbx::App& app,
                     const QString& folder) {
  const tbx::ToolLibrary& tools = app.tools;
  QDir dir(folder);
  if (!dir.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "turnbrix: cannot create %s\n", qPrintable(folder));
    return false;
  }
  QWidget* window = form.Window(tbx::kMainForm);
  auto* tabs = dynamic_cast<tbx::PageChooser*>(form.Widget(tbx::kMainForm, tbx::id::kTabs));
  if (!window || !tabs) return false;
  auto save = [&](QWidget* shown, const QString& name) {
    QApplication::processEvents();
    const QString file = dir.filePath(name);
    if (shown->grab().save(file)) return true;
    std::fprintf(stderr, "turnbrix: cannot write %s\n", qPrintable(file));
    return false;
  };
  // The window as it opens on this screen, the Thread page chosen.
  tabs->choose(1);
  if (!save(window, QStringLiteral("window.png"))) return false;
  for (int tab = 1; tab <= tabs->count(); ++tab) {
    tabs->choose(tab - 1);
    if (!save(window, QStringLiteral("tab%1.png").arg(tab))) return false;
  }
  form.MenuAction()->trigger();
  QWidget* about = form.Window(tbx::kAboutForm);
  if (!about || !save(about, QStringLiteral("about.png"))) return false;
  about->hide();
  const QString program = dir.filePath(QStringLiteral("program.png"));
  if (!ProgramWithFileMenu(form, programWindow).save(program)) {
    std::fprintf(stderr, "turnbrix: cannot write %s\n", qPrintable(program));
    return false;
  }
  const QString preview = dir.filePath(QStringLiteral("preview-thread-groove.png"));
  if (!PreviewAfterThreadAndGroove(form, programWindow).save(preview)) {
    std::fprintf(stderr, "turnbrix: cannot write %s\n", qPrintable(preview));
    return false;
  }
  const std::pair<QString, QImage> tool[] = {
      {QStringLiteral("tool-library.png"), ToolLibraryShown(form, tools)},
      {QStringLiteral("tool-drawing.png"), ToolInTheDrawing(form, programWindow)},
      {QStringLiteral("whole-part.png"), WholePartSimulated(form, programWindow, app)}};
  for (const auto& [name, picture] : tool)
    if (!picture.save(dir.filePath(name))) {
      std::fprintf(stderr, "turnbrix: cannot write %s\n", qPrintable(dir.filePath(name)));
      return false;
    }
  const QString profile = dir.filePath(QStringLiteral("profile.png"));
  if (!ProfileContour(form, programWindow).save(profile)) {
    std::fprintf(stderr, "turnbrix: cannot write %s\n", qPrintable(profile));
    return false;
  }
  const QString steps = dir.filePath(QStringLiteral("steps.png"));
  if (!StepsBeingEdited(form, programWindow).save(steps)) {
    std::fprintf(stderr, "turnbrix: cannot write %s\n", qPrintable(steps));
    return false;
  }
  return tbx::TurnbrixIcon().pixmap(256).save(dir.filePath(QStringLiteral("icon.png")));
}

}  // namespace

int main(int argc, char** argv) {
  // Screenshots, help and version need no screen.
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    const bool noScreen = std::strcmp(a, "--screenshots") == 0 || std::strcmp(a, "--help") == 0 ||
                          std::strcmp(a, "-h") == 0 || std::strcmp(a, "--version") == 0 ||
                          std::strcmp(a, "-v") == 0;
    if (noScreen &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("turnbrix"));
  QApplication::setOrganizationName(QStringLiteral("turnbrix"));
  QApplication::setApplicationVersion(QStringLiteral(TURNBRIX_VERSION));
  QApplication::setWindowIcon(tbx::TurnbrixIcon());

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Turnbrix: G-code for two-axis lathes.\n"
      "default.txt and data.txt are read from DIR, else from $TURNBRIX_HOME, else from\n"
      "$XDG_DATA_HOME/turnbrix or ~/.local/share/turnbrix; the first run creates that folder\n"
      "with the shipped files."));
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption homeOption(QStringLiteral("home"),
                                QStringLiteral("Folder of default.txt and data.txt."),
                                QStringLiteral("DIR"));
  QCommandLineOption screenshotOption(
      QStringLiteral("screenshots"),
      QStringLiteral("Save the window as it opens as DIR/window.png, every page as DIR/tab1.png ... "
                     "tab12.png, the About form as "
                     "DIR/about.png, the window with a program and its File menu as "
                     "DIR/program.png, the drawing after a thread and a groove as "
                     "DIR/preview-thread-groove.png, a job with a step being edited as DIR/steps.png, "
                     "the whole part simulated as DIR/whole-part.png "
                     "and the icon as DIR/icon.png, then end "
                     "without saving the settings."),
      QStringLiteral("DIR"));
  parser.addOption(homeOption);
  parser.addOption(screenshotOption);
  parser.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("Program file to open, as File > Open would."),
                               QStringLiteral("[FILE]"));
  parser.process(application);
  const QStringList files = parser.positionalArguments();
  if (files.size() > 1) {
    std::fprintf(stderr, "turnbrix: one FILE at most\n");
    return 2;
  }

  const QByteArray home = parser.value(homeOption).toLocal8Bit();
  const std::string firstRun = tbx::SetUpFirstRun(
      parser.isSet(homeOption) ? home.constData() : nullptr,
      tbx::ShippedDataFolder(tbx::ExecutableFolder(), TURNBRIX_SOURCE_RESOURCES));
  tbx::QtForm form;
  tbx::App app(form, tbx::HomeFolder(parser.isSet(homeOption) ? home.constData() : nullptr));
  const bool screenshots = parser.isSet(screenshotOption);
  // Window size and place, recent files; screenshots neither read nor keep them.
  QTemporaryDir scratch;
  auto settings = screenshots ? std::make_unique<QSettings>(
                                    scratch.filePath(QStringLiteral("turnbrix.conf")), QSettings::IniFormat)
                              : std::make_unique<QSettings>();
  tbx::ProgramWindow window(form, app, *settings);
  form.SetEventSink([&window](std::string_view name, tbx::ControlId control, int message, int value) {
    window.Event(name, control, message, value);
  });
  if (screenshots) {
    form.SetMessageSink([](std::string_view title, std::string_view text) {
      std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(title.size()), title.data(),
                   static_cast<int>(text.size()), text.data());
    });
  }

  // A failed start-up has shown its messages and unloaded the main form.
  if (!tbx::StartUp(app)) return 1;
  window.Install();
  if (!files.isEmpty()) window.OpenFile(files.first());
  if (auto* main = qobject_cast<QMainWindow*>(form.Window(tbx::kMainForm)); main && !firstRun.empty())
    main->statusBar()->showMessage(QString::fromStdString(firstRun));
  if (screenshots) return SaveScreenshots(form, window, app, parser.value(screenshotOption)) ? 0 : 1;
  return application.exec();
}
