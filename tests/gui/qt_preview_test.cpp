// The toolpath preview through its widget: zoom to fit, wheel zoom about the pointer, a click
// reporting the line of the move under it while a drag only pans, and the redraw of 50,000
// moves as a benchmark (run `build/gui/qt_preview_test -iterations 50 redraw50000Moves`).
#include "gui/qt_preview.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>
#include <string>

#include "toolpath/expander.h"

namespace tbx {
namespace {

toolpath::Toolpath Expand(const std::string& text) { return toolpath::ExpandProgram(text, {}); }

// Rapids, feeds and threads in turn: a zig-zag of `blocks` moves.
std::string ZigZag(int blocks) {
  std::string text = "G97 S1000 M3\n";
  const char* motion[] = {"G0", "G1", "G32"};
  for (int i = 0; i < blocks; ++i) {
    text += std::string(motion[i % 3]) + " X" + std::to_string(1 + (i % 7) * 0.1) + " Z-" +
            std::to_string((i % 1000) * 0.002) + " F.01\n";
  }
  return text;
}

}  // namespace

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  // Fitting shows the cuts and the centre line, large; the way to a far tool-change position
  // may leave the view. Without cuts, every move is in view.
  void zoomToFitShowsTheCutsAndTheCentreLine() {
    ToolpathPreview preview;
    preview.resize(400, 300);
    const QRect inside = preview.rect();
    auto inView = [&](QPointF p) { return inside.contains(preview.View().map(p).toPoint()); };
    preview.SetToolpath(Expand("G0 X2. Z.1\nG1 Z-3. F.01\nG0 X40. Z60.\n"));
    for (QPointF p : {QPointF(-3, 0), QPointF(-3, 1), QPointF(0.1, 1), QPointF(0.1, 0)})
      QVERIFY2(inView(p), qPrintable(QString("(%1, %2) not in view").arg(p.x()).arg(p.y())));
    QVERIFY(!inView(QPointF(60, 20)));
    QVERIFY(preview.View().map(QPointF(0.1, 0)).x() > 0.9 * inside.width());  // the cut spans it

    preview.SetToolpath(Expand("G0 X2. Z.1\nG0 X4. Z6.\n"));
    for (QPointF p : {QPointF(0.1, 1), QPointF(6, 2), QPointF(6, 0)})
      QVERIFY2(inView(p), qPrintable(QString("(%1, %2) not in view").arg(p.x()).arg(p.y())));
  }

  void clickReportsTheLineOfTheMoveDragOnlyPans() {
    ToolpathPreview preview;
    preview.resize(400, 300);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    preview.SetToolpath(Expand("G97 S500 M3\nG0 X2. Z.1\nG1 Z-3. F.01\nG0 X4.\nZ6.\n"));
    QSignalSpy clicked(&preview, &ToolpathPreview::MoveClicked);
    const QPoint onFeed = preview.View().map(QPointF(-1.5, 1)).toPoint();  // middle of line 3
    QTest::mouseClick(&preview, Qt::LeftButton, {}, onFeed);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.takeFirst().at(0).toInt(), 3);

    const QTransform before = preview.View();
    QTest::mousePress(&preview, Qt::LeftButton, {}, onFeed);
    QTest::mouseMove(&preview, onFeed + QPoint(30, 10));
    QTest::mouseRelease(&preview, Qt::LeftButton, {}, onFeed + QPoint(30, 10));
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(preview.View().map(QPointF(0, 0)), before.map(QPointF(0, 0)) + QPointF(30, 10));
  }

  void wheelZoomKeepsThePointUnderThePointer() {
    ToolpathPreview preview;
    preview.resize(400, 300);
    preview.SetToolpath(Expand("G0 X2. Z.1\nG1 Z-3. F.01\n"));
    const QPointF pointer(120, 90);
    const QPointF under = preview.View().inverted().map(pointer);
    QWheelEvent wheel(pointer, preview.mapToGlobal(pointer), {}, {0, 240}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&preview, &wheel);
    QVERIFY(preview.View().m11() > 1.2 * 1);
    const QPointF after = preview.View().map(under);
    QVERIFY(std::abs(after.x() - pointer.x()) < 1e-6 && std::abs(after.y() - pointer.y()) < 1e-6);
  }

  void redraw50000Moves() {
    ToolpathPreview preview;
    preview.resize(1200, 800);
    const toolpath::Toolpath path = Expand(ZigZag(50000));
    QCOMPARE(path.moves.size(), std::size_t{50000});
    preview.SetToolpath(path);
    preview.HighlightLine(500);
    QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
    QBENCHMARK { preview.render(&image); }
  }
};

}  // namespace tbx

QTEST_MAIN(tbx::PreviewTest)
#include "qt_preview_test.moc"
