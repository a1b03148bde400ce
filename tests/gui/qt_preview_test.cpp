// The toolpath preview through its widget: zoom to fit, wheel zoom about the pointer, a click
// reporting the line of the move under it while a drag only pans, the keys doing what the
// mouse does, the legend and scale bar as rendered, the pointer's coordinates, moves on the
// centre line, the part as each step leaves it, and as benchmarks the redraw of 50,000 moves
// and of the part at another step of a job of 2,224 (run
// `build/gui/qt_preview_test -iterations 20 redraw50000Moves redrawThePartAtAnotherStep`).
#include "gui/qt_preview.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "app/job.h"
#include "app/machine_boxes.h"
#include "gui/job_runner.h"
#include "toolpath/expander.h"

namespace tbx {
namespace {

toolpath::Toolpath Expand(const std::string& text, bool metric = false) {
  toolpath::ToolpathSettings settings;
  settings.metric = metric;
  return toolpath::ExpandProgram(text, settings);
}

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

QImage Render(ToolpathPreview& preview) {
  QImage image(preview.size(), QImage::Format_RGB32);
  preview.render(&image);
  return image;
}

// Within `tolerance` of `colour` in every channel: antialiased marks blend at their edges.
int PixelsLike(const QImage& image, QColor colour, QRect area, int tolerance = 24) {
  int n = 0;
  area &= image.rect();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      n += std::abs(c.red() - colour.red()) <= tolerance && std::abs(c.green() - colour.green()) <= tolerance &&
           std::abs(c.blue() - colour.blue()) <= tolerance;
    }
  return n;
}

void Wheel(ToolpathPreview& preview, QPointF at, int delta) {
  QWheelEvent wheel(at, preview.mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&preview, &wheel);
}

bool SameView(const QTransform& a, const QTransform& b) {
  return qFuzzyCompare(a.m11(), b.m11()) && qFuzzyCompare(a.m22(), b.m22()) && std::abs(a.dx() - b.dx()) < 1e-6 &&
         std::abs(a.dy() - b.dy()) < 1e-6;
}

// A turned diameter with a thread, a dwell and a tool change: the part is three times as long
// as it is high, so a 400 x 300 drawing leaves bands free above and below it.
const char* const kPart =
    "T0101\nG97 S500 M3\nG0 X2. Z.1\nG1 Z-3. F.01\nG4 P500\nX2.2\nG0 X2.1 Z.2\nG32 Z-1. F.05\nG0 X4. Z6.\n";

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

  // The scale bar is a round length whose drawn bar is as long as its label says, at every
  // zoom and in both unit systems; the legend shows each style; neither covers the part when a
  // corner is free of it.
  void legendAndScaleBarExplainTheDrawing() {
    const QColor feed(0x15, 0x65, 0xc0);
    struct Case {
      bool metric;
      const char* program;
      const char* unit;
    };
    const Case cases[] = {{false, kPart, "in"},
                          {true, "T0101\nG97 S500 M3\nG0 X50.8 Z2.5\nG1 Z-76.2 F.2\nG4 P500\nX55.\n"
                                 "G0 X52. Z5.\nG32 Z-25. F1.5\nG0 X100. Z150.\n", "mm"}};
    for (const Case& c : cases) {
      ToolpathPreview preview;
      preview.resize(400, 300);
      preview.SetMetric(c.metric);
      const toolpath::Toolpath path = Expand(c.program, c.metric);
      preview.SetToolpath(path);
      for (int notches : {0, 1, 3, 7, 12, -2, -9}) {
        preview.ZoomToFit();
        Wheel(preview, {200, 150}, 120 * notches);
        const QImage image = Render(preview);
        const ToolpathPreview::ScaleBar& scale = preview.DrawnScale();
        const QString where = QStringLiteral("%1 notches, %2").arg(notches).arg(c.unit);
        const QRegularExpressionMatch label =
            QRegularExpression(QStringLiteral("^(\\d+(?:\\.\\d+)?) (in|mm)$")).match(scale.label);
        QVERIFY2(label.hasMatch(), qPrintable(where + ": " + scale.label));
        QCOMPARE(label.captured(2), QString::fromLatin1(c.unit));
        const double length = label.captured(1).toDouble();
        const double lead = length / std::pow(10.0, std::floor(std::log10(length) + 1e-9));
        QVERIFY2(std::abs(lead - 1) < 1e-9 || std::abs(lead - 2) < 1e-9 || std::abs(lead - 5) < 1e-9,
                 qPrintable(where + ": " + scale.label));
        // Measured on the image: the dark run along the bar, from its left end.
        const int y = static_cast<int>(scale.bar.y1()) + 1, x0 = static_cast<int>(scale.bar.x1());
        int run = 0;
        while (x0 + run < image.width() && qGray(image.pixel(x0 + run, y)) < 64) ++run;
        const double expected = length * preview.View().m11();
        QVERIFY2(std::abs(run - expected) <= 1, qPrintable(QStringLiteral("%1: bar %2 px for %3 px")
                                                               .arg(where).arg(run).arg(expected)));
        // The largest round length that fits: the next step up would not.
        QVERIFY2(expected <= 120 && expected * 2.5 > 120, qPrintable(where));
        // Its label stands above it.
        QVERIFY(PixelsLike(image, Qt::black, QRect(x0, y - 24, 60, 18), 60) > 10);

        const QRect legend = preview.DrawnLegend().toAlignedRect();
        QVERIFY(image.rect().contains(legend));
        for (QColor style : {QColor(0x80, 0x80, 0x80), feed, QColor(0xd8, 0x43, 0x15), QColor(0x2e, 0x7d, 0x32),
                             QColor(0x6a, 0x1b, 0x9a)})
          QVERIFY2(PixelsLike(image, style, legend) > 3, qPrintable(where + ": " + style.name()));
        QVERIFY(!preview.DrawnLegend().intersects(QRectF(scale.bar.p1(), scale.bar.p2()).adjusted(0, -20, 0, 2)));
        if (notches != 0) continue;
        // Fitted, the part leaves free bands: no cut passes under the legend or the scale.
        for (const toolpath::Move& m : path.moves) {
          if (m.kind != toolpath::MoveKind::Feed && m.kind != toolpath::MoveKind::Thread) continue;
          for (double t = 0; t <= 1; t += 1.0 / 64) {
            const QPointF p = preview.View().map(QPointF(m.start.z + t * (m.end.z - m.start.z),
                                                         (m.start.x + t * (m.end.x - m.start.x)) / 2));
            QVERIFY2(!preview.DrawnLegend().contains(p), qPrintable(where + ": a cut under the legend"));
            QVERIFY2(!QRectF(scale.bar.p1(), scale.bar.p2()).adjusted(-60, -40, 0, 4).contains(p),
                     qPrintable(where + ": a cut under the scale"));
          }
        }
      }
    }
  }

  // The pointer's place in program terms: X a diameter (twice the drawn radius), Z, in the
  // places of the unit system; nothing once it leaves.
  void pointerNamesTheDiameterAndZ() {
    struct Case {
      bool metric;
      const char* program;
      QPointF at;  // drawing coordinates: Z, radius
      const char* text;
    };
    const Case cases[] = {
        {false, kPart, {-3, 1}, "X 2.0000  Z -3.0000"},
        {false, kPart, {0.1, 1.1}, "X 2.2000  Z 0.1000"},
        {false, kPart, {-1.5, 0}, "X 0.0000  Z -1.5000"},
        {false, kPart, {-0.25, -0.0625}, "X -0.1250  Z -0.2500"},
        {true, "G0 X50.8 Z2.5\nG1 Z-76.2 F.2\n", {-76.2, 25.4}, "X 50.800  Z -76.200"},
        {true, "G0 X50.8 Z2.5\nG1 Z-76.2 F.2\n", {2.5, 12.5}, "X 25.000  Z 2.500"},
    };
    for (const Case& c : cases) {
      ToolpathPreview preview;
      preview.resize(400, 300);
      preview.SetMetric(c.metric);
      preview.SetToolpath(Expand(c.program, c.metric));
      Wheel(preview, {130, 70}, 360);  // the same after a zoom
      QSignalSpy moved(&preview, &ToolpathPreview::PointerMoved);
      const QPointF at = preview.View().map(c.at);
      QMouseEvent move(QEvent::MouseMove, at, preview.mapToGlobal(at), Qt::NoButton, {}, {});
      QApplication::sendEvent(&preview, &move);
      QCOMPARE(moved.count(), 1);
      QCOMPARE(moved.takeFirst().at(0).toString(), QString::fromLatin1(c.text));
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(&preview, &leave);
      QCOMPARE(moved.count(), 1);
      QCOMPARE(moved.takeFirst().at(0).toString(), QString());
    }
  }

  // The drawing takes the focus by a click and by Tab and shows it; then + (or =) and - zoom
  // as a notch of the wheel does at the middle, the arrows pan as a drag the other way by a
  // tenth of the drawing, Home fits as a double-click does.
  void keysChangeTheViewAsTheMouseDoes() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QLineEdit;
    auto* preview = new ToolpathPreview;
    layout->addWidget(before);
    layout->addWidget(preview);
    window.resize(400, 340);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    preview->SetToolpath(Expand(kPart));
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QVERIFY(preview->hasFocus());
    const QColor highlight = preview->palette().color(QPalette::Highlight);
    const QRect leftEdge(0, 0, 2, preview->height());
    QCOMPARE(PixelsLike(Render(*preview), highlight, leftEdge, 0), 2 * preview->height());
    before->setFocus();
    QCOMPARE(PixelsLike(Render(*preview), highlight, leftEdge, 0), 0);
    QTest::mouseClick(preview, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(preview->hasFocus());

    const QPointF middle(preview->width() / 2.0, preview->height() / 2.0);
    const QPoint from = middle.toPoint();
    const int across = qRound(preview->width() * 0.1), down = qRound(preview->height() * 0.1);
    auto drag = [&](QPoint by) {
      return [&, by] {
        QTest::mousePress(preview, Qt::LeftButton, {}, from);
        QTest::mouseMove(preview, from + by);
        QTest::mouseRelease(preview, Qt::LeftButton, {}, from + by);
      };
    };
    struct Case {
      Qt::Key key;
      std::function<void()> mouse;
    };
    const Case cases[] = {
        {Qt::Key_Plus, [&] { Wheel(*preview, middle, 120); }},
        {Qt::Key_Equal, [&] { Wheel(*preview, middle, 120); }},
        {Qt::Key_Minus, [&] { Wheel(*preview, middle, -120); }},
        {Qt::Key_Right, drag({-across, 0})},
        {Qt::Key_Left, drag({across, 0})},
        {Qt::Key_Up, drag({0, down})},
        {Qt::Key_Down, drag({0, -down})},
    };
    // Each from a view already zoomed, so that a fit would not pass for a zoom.
    auto start = [&] {
      preview->ZoomToFit();
      Wheel(*preview, {90, 60}, 240);
      return preview->View();
    };
    for (const Case& c : cases) {
      const QString key = QKeySequence(c.key).toString();
      const QTransform zoomed = start();
      c.mouse();
      const QTransform byMouse = preview->View();
      QVERIFY2(!SameView(byMouse, zoomed), qPrintable(key));
      QVERIFY(SameView(start(), zoomed));
      QTest::keyClick(preview, c.key);
      QVERIFY2(SameView(preview->View(), byMouse), qPrintable(key));
    }
    preview->ZoomToFit();
    const QTransform fitted = preview->View();
    start();
    QTest::mouseDClick(preview, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(SameView(preview->View(), fitted));
    start();
    QTest::keyClick(preview, Qt::Key_Home);
    QVERIFY(SameView(preview->View(), fitted));
  }

  // A drill on X0 lies on the centre line: it is drawn on a band of its colour above and
  // below the line, and the line shows beyond it. A move off the line has no band.
  void aDrillOnTheCentreLineIsSeen() {
    ToolpathPreview preview;
    preview.resize(400, 300);
    preview.SetToolpath(Expand("G97 S1000 M3\nG0 X2. Z.1\nG1 Z-3. F.01\nG0 X0 Z.1\nG1 Z-1. F.004\nG0 Z.1\n"));
    const QImage image = Render(preview);
    const int y0 = qRound(preview.View().map(QPointF(0, 0)).y());
    const int left = qRound(preview.View().map(QPointF(-1, 0)).x()), right = qRound(preview.View().map(QPointF(0, 0)).x());
    auto bluish = [&](int y, int x0, int x1) {
      int n = 0;
      for (int x = x0; x <= x1; ++x) {
        const QColor c = image.pixelColor(x, y);
        n += c.blue() > c.red() + 30 && c.blue() >= c.green();
      }
      return n;
    };
    const int span = right - left - 4;
    for (int dy : {-2, 2}) QVERIFY2(bluish(y0 + dy, left + 2, right - 2) >= span, qPrintable(QString::number(dy)));
    QVERIFY(bluish(y0, left + 2, right - 2) >= span);
    // Beyond the drill the centre line is dash-dotted black, with no band around it.
    const int far = qRound(preview.View().map(QPointF(-2.5, 0)).x());
    QVERIFY(PixelsLike(image, Qt::black, QRect(far - 20, y0, 40, 1), 40) > 10);
    QCOMPARE(bluish(y0 - 2, far - 20, far + 20) + bluish(y0 + 2, far - 20, far + 20), 0);
  }

  // With a simulation: the part as the step shown leaves it filled, what that step removed
  // shaded in its own colour, the jaws hatched, the whole job's part by default; a full
  // section mirrors it all below the centre line; the legend gains its entries.
  void thePartIsDrawnAsTheStepLeavesIt() {
    using tbx::NosePoint;
    auto box = [](double z0, double z1, double r0, double r1) {
      return toolpath::Area{{NosePoint{z0, r0}, NosePoint{z1, r0}, NosePoint{z1, r1}, NosePoint{z0, r1}}, {}};
    };
    // A 2" bar from Z .1 to the jaws at -3.2; the first step turns it to 1.5 for 2", the second
    // to 1.
    auto sim = std::make_shared<toolpath::Simulation>();
    sim->blank = {box(-3.2, 0.1, 0, 1)};
    sim->jaws = {box(-4, -3.2, 1, 1.25)};
    sim->steps.resize(2);
    sim->steps[0].removed = {box(-2, 0.1, 0.75, 1)};
    sim->steps[0].after = {toolpath::Area{{NosePoint{-3.2, 0}, NosePoint{0.1, 0}, NosePoint{0.1, 0.75},
                                           NosePoint{-2, 0.75}, NosePoint{-2, 1}, NosePoint{-3.2, 1}}, {}}};
    sim->steps[1].removed = {box(-2, 0.1, 0.5, 0.75)};
    sim->steps[1].after = {toolpath::Area{{NosePoint{-3.2, 0}, NosePoint{0.1, 0}, NosePoint{0.1, 0.5},
                                           NosePoint{-2, 0.5}, NosePoint{-2, 1}, NosePoint{-3.2, 1}}, {}}};
    const QColor part(0xd5, 0xdc, 0xe2), removed(0xff, 0xd5, 0x80), white(Qt::white);
    ToolpathPreview preview;
    preview.resize(500, 400);
    preview.SetToolpath(Expand("G0 X2.2 Z.2\nG1 X1.5 F.01\nZ-2.\nG0 X2.2\n"));
    preview.SetSimulation(sim);
    QVERIFY(preview.View().map(QPointF(-4, 0)).x() >= 0);  // the jaws are in view
    struct Case {
      int first, last;
      bool full;
      QColor outerTurned, innerTurned, untouched;  // at r .9 and .6 in the turned length, and beyond it
    };
    const Case cases[] = {
        {ToolpathPreview::kWholeJob, ToolpathPreview::kWholeJob, false, white, white, part},
        {0, 0, false, removed, part, part},
        {1, 1, false, white, removed, part},
        {0, 1, true, removed, removed, part},
        {-1, -1, false, part, part, part},  // before the first step: the bar as it comes
    };
    for (const Case& c : cases) {
      preview.SetFullSection(c.full);
      preview.ShowPartAt(c.first, c.last);
      const QImage image = Render(preview);
      const QString where = QStringLiteral("steps %1 to %2%3").arg(c.first).arg(c.last).arg(c.full ? " full" : "");
      for (int side : {1, -1}) {
        auto at = [&](double z, double r) { return preview.View().map(QPointF(z, side * r)).toPoint(); };
        auto is = [&](double z, double r, QColor colour) {
          return PixelsLike(image, colour, QRect(at(z, r) - QPoint(2, 2), QSize(5, 5)), 6) == 25;
        };
        const bool drawn = side == 1 || c.full;
        QVERIFY2(is(-1, 0.9, drawn ? c.outerTurned : white), qPrintable(where));
        QVERIFY2(is(-1, 0.6, drawn ? c.innerTurned : white), qPrintable(where));
        QVERIFY2(is(-2.6, 0.6, drawn ? c.untouched : white), qPrintable(where));
        // The jaws: grey, hatched darker.
        const QRect jaws(at(-3.8, 1.2), at(-3.4, 1.05));
        QVERIFY2((PixelsLike(image, QColor(0x70, 0x70, 0x70), jaws.normalized(), 20) > 3) == drawn, qPrintable(where));
      }
      const QRect legend = preview.DrawnLegend().toAlignedRect();
      QVERIFY(PixelsLike(image, part, legend, 6) > 20 && PixelsLike(image, removed, legend, 6) > 20);
    }
    preview.SetSimulation(nullptr);
    const QImage plain = Render(preview);
    QVERIFY(PixelsLike(plain, removed, plain.rect(), 6) == 0 && PixelsLike(plain, part, plain.rect(), 6) == 0);
  }

  void redraw50000Moves() {
    ToolpathPreview preview;
    preview.resize(1200, 800);
    const toolpath::Toolpath path = Expand(ZigZag(50000));
    QCOMPARE(path.moves.size(), std::size_t{50000});
    preview.SetToolpath(path);
    QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
    // Another line bold each time: the moves are drawn again, not the last drawing copied.
    int line = 500;
    QBENCHMARK {
      preview.HighlightLine(line++);
      preview.render(&image);
    }
  }

  // The job of 2,224 Face, Turn and Ream steps that qt_form_test edits, simulated from the bar
  // its first Face names; each iteration shows the part at another step, the moves' layer kept.
  void redrawThePartAtAnotherStep() {
    QTemporaryDir home;
    for (const char* name : {"default.txt", "data.txt"})
      std::filesystem::copy_file(std::filesystem::path(TURNBRIX_RESOURCES) / name,
                                 std::filesystem::path(home.path().toStdString()) / name);
    std::ostringstream out, err;
    JobRunner runner(home.path().toStdString(), out, err);
    QVERIFY(runner.Start());
    const std::pair<int, ControlId> oks[] = {{10, id::kFaceOk}, {11, id::kTurnOk}, {5, id::kReamOk}};
    for (int i = 0; i < 2224; ++i) {
      runner.Tab(oks[i % 3].first);
      runner.Click(oks[i % 3].second);
    }
    toolpath::ToolpathSettings settings = ProgramToolpathSettings(runner.app());
    const std::string text = runner.Output();
    settings.stock = StockInEffect(runner.app().job, toolpath::ExpandProgram(text, settings).extents.minZ);
    const toolpath::Toolpath path = toolpath::ExpandProgram(text, settings);
    QVERIFY(path.simulation);
    const int steps = static_cast<int>(path.simulation->steps.size());
    QCOMPARE(steps, 2224);
    ToolpathPreview preview;
    preview.resize(1200, 800);
    preview.SetToolpath(path);
    preview.SetSimulation(path.simulation);
    QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
    preview.render(&image);
    int step = 0;
    QBENCHMARK {
      step = (step + 997) % steps;  // another step each time, its outlines made on its first showing
      preview.ShowPartAt(step, step);
      preview.render(&image);
    }
  }
};

}  // namespace tbx

QTEST_MAIN(tbx::PreviewTest)
#include "qt_preview_test.moc"
