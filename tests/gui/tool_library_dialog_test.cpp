// Tools > Tool Library… through the real window: the dialog's edits, its refusals, what OK
// saves and what the window then shows; Cancel losing nothing.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/app.h"
#include "app/events.h"
#include "app/startup.h"
#include "gui/program_window.h"
#include "gui/qt_form.h"
#include "gui/qt_tabs.h"
#include "gui/tool_library_dialog.h"
#include "gui/tool_painter.h"
#include "gui/toolpath_pane.h"

namespace tbx {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The desktop window on a data folder with the shipped files, the starter tool library among
// them.
struct Desktop {
  Desktop() : app(form, dir.path().toStdString()) {
    for (const char* name : {"default.txt", "data.txt", "tools.toml"})
      fs::copy_file(fs::path(TURNBRIX_RESOURCES) / name, app.home / name);
    settings = std::make_unique<QSettings>(dir.filePath(QStringLiteral("turnbrix.conf")), QSettings::IniFormat);
    window = std::make_unique<ProgramWindow>(form, app, *settings);
    window->SetPrompt([] { return ProgramWindow::Answer::Discard; });
    form.SetEventSink([this](std::string_view name, ControlId control, int message, int value) {
      window->Event(name, control, message, value);
    });
    started = StartUp(app);
    if (started) window->Install();
    if (started) {
      form.MainWindow()->activateWindow();
      started = QTest::qWaitForWindowActive(form.MainWindow());
    }
  }
  fs::path Library() const { return app.home / "tools.toml"; }
  std::string Label() { return form.GetText(kMainForm, id::kToolName); }
  // Tools > Tool Library… from the menu bar, with `act` run on the dialog once it is up.
  void OpenLibrary(const std::function<void(ToolLibraryDialog&)>& act) {
    QAction* item = nullptr;
    for (QAction* menu : form.MainWindow()->menuBar()->actions())
      if (menu->text() == QStringLiteral("&Tools"))
        for (QAction* a : menu->menu()->actions())
          if (a->text() == QStringLiteral("Tool &Library…")) item = a;
    QVERIFY(item);
    QTimer::singleShot(0, [act] {
      auto* dialog = dynamic_cast<ToolLibraryDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      dialog->activateWindow();
      for (int wait = 0; wait < 200 && QApplication::activeWindow() != dialog; ++wait) QTest::qWait(10);
      if (QApplication::activeWindow() == dialog) act(*dialog);
      // Whatever the checks found, the dialog does not stay open.
      if (dialog->isVisible()) dialog->done(QDialog::Rejected + 7);
    });
    item->trigger();
  }

  QTemporaryDir dir;
  QtForm form;
  App app;
  std::unique_ptr<QSettings> settings;
  std::unique_ptr<ProgramWindow> window;
  bool started = false;
};

// Select-all and type, as the keyboard does it, into the widget that has the focus.
void Retype(const QString& text) {
  QWidget* w = QApplication::focusWidget();
  QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(w, text);
}

// Alt and a letter; a button's mnemonic clicks it after its press shows (a tenth of a second).
void Mnemonic(QWidget& dialog, Qt::Key key) {
  QTest::keyClick(&dialog, key, Qt::AltModifier);
  QTest::qWait(150);
}

}  // namespace

class ToolLibraryDialogTest : public QObject {
  Q_OBJECT

 private slots:
  // Add a tool by keyboard, give it a bad radius (named, marked, OK refused, nothing saved),
  // mend it, duplicate it and delete the copy; OK saves the library with the new tool, the
  // label beside Tool and Offset names it, and a Turn with G41/G42 is drawn with its insert
  // at the caret and its nose centre's path.
  void editSaveAndUse() {
    Desktop d;
    QVERIFY(d.started);
    const std::string before = Contents(d.Library());
    const ToolLibraryRead starter = ParseToolLibrary(before);
    QVERIFY(starter && starter.library.tools.size() >= 10);
    // Station 12, offset 12: a tool the starter set lacks.
    auto* tool = qobject_cast<QComboBox*>(d.form.Widget(kMainForm, id::kTool));
    auto* offset = qobject_cast<QComboBox*>(d.form.Widget(kMainForm, id::kOffset));
    QVERIFY(tool && offset);
    tool->setCurrentIndex(11);
    offset->setCurrentIndex(11);
    QCOMPARE(d.Label(), std::string());

    QStringList said;
    bool refusedKeptOpen = false, unchangedMeanwhile = false, radiusMarked = false;
    int rowsAfterAdd = 0, rowsAfterDuplicate = 0, rowsAfterDelete = 0;
    QString copyName;
    d.OpenLibrary([&](ToolLibraryDialog& dialog) {
      const int rows = dialog.Table()->rowCount();
      Mnemonic(dialog, Qt::Key_A);  // Add
      rowsAfterAdd = dialog.Table()->rowCount() - rows;
      Retype(QStringLiteral("OD finish 35"));  // the name has the focus
      QTest::keyClick(&dialog, Qt::Key_R, Qt::AltModifier);
      Retype(QStringLiteral("-.01"));
      said << dialog.Problem()->text();
      radiusMarked = dialog.Editor("radius")->property("problem").toBool();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // OK, refused
      refusedKeptOpen = dialog.isVisible();
      said << dialog.Problem()->text();
      unchangedMeanwhile = Contents(d.Library()) == before;
      Retype(QStringLiteral(".016"));
      auto* shape = qobject_cast<QComboBox*>(dialog.Editor("shape"));
      shape->setCurrentIndex(shape->findData(QStringLiteral("V")));
      QTest::keyClick(&dialog, Qt::Key_L, Qt::AltModifier);
      Retype(QStringLiteral("3"));
      said << dialog.Problem()->text();
      Mnemonic(dialog, Qt::Key_U);  // Duplicate
      rowsAfterDuplicate = dialog.Table()->rowCount() - rows;
      copyName = dialog.Table()->item(dialog.Table()->currentRow(), 1)->text();
      dialog.Table()->setFocus();
      QTest::keyClick(dialog.Table(), Qt::Key_Delete);
      rowsAfterDelete = dialog.Table()->rowCount() - rows;
      // Back on the new tool, Enter in a field is OK.
      dialog.Table()->setCurrentCell(dialog.Table()->rowCount() - 1, 0);
      QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    QCOMPARE(rowsAfterAdd, 1);
    QCOMPARE(said.value(0), QStringLiteral("radius must be 0 or more"));
    QVERIFY(radiusMarked);
    QVERIFY(refusedKeptOpen);
    QCOMPARE(said.value(1), QStringLiteral("radius must be 0 or more"));
    QVERIFY(unchangedMeanwhile);
    QCOMPARE(said.value(2), QString());
    QCOMPARE(rowsAfterDuplicate, 2);
    QCOMPARE(copyName, QStringLiteral("OD finish 35 copy"));
    QCOMPARE(rowsAfterDelete, 1);

    ToolLibrary expected = starter.library;
    Tool added;
    added.number = added.offset = 12;
    added.name = "OD finish 35";
    added.kind = ToolKind::OdTurning;
    added.shape = InsertShape::V;
    added.radius = 0.016;
    added.orientation = 3;
    added.leadAngle = 3;
    expected.tools.push_back(added);
    QCOMPARE(Contents(d.Library()), ToolLibraryText(expected));
    QCOMPARE(ToolLibraryText(d.app.tools), ToolLibraryText(expected));
    QCOMPARE(d.Label(), std::string("OD finish 35"));

    // A finish pass under G42 with the new tool: the drawing shows its insert where the
    // caret's move ends, and the nose centre runs the programmed point's moves less the tip
    // offset (tip 3: the centre up and right by the radius).
    auto* tabs = dynamic_cast<PageChooser*>(d.form.Widget(kMainForm, id::kTabs));
    tabs->choose(10);
    d.app.SetCheck(id::kTurnCompNone, false);
    d.app.SetCheck(id::kTurnCompG41G42, true);
    static_cast<QAbstractButton*>(d.form.Widget(kMainForm, id::kTurnOk))->click();
    ToolpathPane* pane = d.window->Toolpath();
    const std::string program = d.form.GetText(kMainForm, id::kOutput);
    QVERIFY2(program.find("G42") != std::string::npos && program.find("T1212") != std::string::npos, program.c_str());
    const toolpath::Toolpath& path = pane->Path();
    auto* box = qobject_cast<QPlainTextEdit*>(d.form.Widget(kMainForm, id::kOutput));
    const int g42 = box->document()->find(QStringLiteral("G42")).blockNumber() + 1;
    QTextCursor caret(box->document()->findBlockByNumber(g42 - 1));
    box->setTextCursor(caret);
    const ToolPainter& painter = pane->ToolDrawing();
    QVERIFY(painter.ShownTool());
    QCOMPARE(painter.ShownTool()->name, std::string("OD finish 35"));
    std::size_t first = path.moves.size(), last = first;
    for (std::size_t i = 0; i < path.moves.size(); ++i)
      if (path.moves[i].line == g42) first = std::min(first, i), last = i;
    QVERIFY(last < path.moves.size());
    QCOMPARE(painter.ShownAt().z, path.moves[last].end.z);
    QCOMPARE(painter.ShownAt().r, path.moves[last].end.x / 2);
    QVERIFY(!painter.NoseCentrePath().empty());
    const QPointF entry = painter.NoseCentrePath().front().p1();
    QCOMPARE(entry, QPointF(path.moves[first].start.z + 0.016, path.moves[first].start.x / 2 + 0.016));
    // At the end of the program, off any move, the tool of its last move.
    box->moveCursor(QTextCursor::End);
    QCOMPARE(painter.ShownAt().z, path.moves.back().end.z);
  }

  // Cancel (Esc) after adding, editing and deleting: the file keeps its bytes and the window
  // its tools.
  void cancelLosesNothing() {
    Desktop d;
    QVERIFY(d.started);
    const std::string before = Contents(d.Library());
    const std::string tools = ToolLibraryText(d.app.tools);
    const std::string label = d.Label();
    QVERIFY(!label.empty());
    bool cancelled = false;
    d.OpenLibrary([&](ToolLibraryDialog& dialog) {
      QTest::mouseClick(dialog.DeleteButton(), Qt::LeftButton);
      QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);
      QTest::keyClick(&dialog, Qt::Key_R, Qt::AltModifier);
      Retype(QStringLiteral(".05"));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);

      cancelled = !dialog.isVisible() && dialog.result() == QDialog::Rejected;
    });
    QVERIFY(cancelled);
    QCOMPARE(Contents(d.Library()), before);
    QCOMPARE(ToolLibraryText(d.app.tools), tools);
    QCOMPARE(d.Label(), label);
  }
};

}  // namespace tbx

QTEST_MAIN(tbx::ToolLibraryDialogTest)
#include "tool_library_dialog_test.moc"
