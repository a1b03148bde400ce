#pragma once
// The toolpath preview: the move list in the XZ plane as lathe programmers draw it (Z to the
// right, X up as a radius, the centre line dash-dotted), rapids dashed, feeds solid, threads
// in their own colour, dwells dotted, tool-change positions marked, moves along the centre line
// on a pale band of their colour. Under the moves, when the stock is known: its outline, the
// chuck's jaws, the part as it stands after a step filled as a half-section (or a full one,
// mirrored about the centre line) and what that step took away shaded. A legend, a scale bar and the axis directions stand in the
// corners the moves leave free. Zoom to fit, wheel zoom about the pointer, drag to pan, and the
// same from the keyboard once it has the focus; the moves of one source line can be
// highlighted, a click on a move reports its line, and the pointer's place is reported in
// program coordinates.
#include <QImage>
#include <QLineF>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QWidget>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "toolpath/simulation.h"
#include "toolpath/toolpath.h"

class QPainter;

namespace tbx {

// An arc from `start` round `centre` through `sweep` radians to `end`, as the chords the
// drawing shows, each given to `chord(from, to)`; the last ends exactly at `end`.
template <typename Chord>
void EachArcChord(QPointF start, QPointF centre, QPointF end, double sweep, Chord chord) {
  constexpr int kPieces = 16;
  const double r = std::hypot(start.x() - centre.x(), start.y() - centre.y());
  const double a0 = std::atan2(start.y() - centre.y(), start.x() - centre.x());
  QPointF from = start;
  for (int i = 1; i <= kPieces; ++i) {
    const double a = a0 + sweep * i / kPieces;
    const QPointF to = i == kPieces ? end : QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    chord(from, to);
    from = to;
  }
}

class ToolpathPreview : public QWidget {
  Q_OBJECT

 public:
  // One notch of the wheel, and one press of + or -.
  static constexpr double kZoomStep = 1.197;

  explicit ToolpathPreview(QWidget* parent = nullptr);

  // Takes the moves to draw and zooms to fit them, unless the view was zoomed or panned since
  // the last fit (a double-click, Home or ZoomToFit fits again).
  void SetToolpath(const toolpath::Toolpath& path);
  // The simulated stock and part (null: none drawn).
  void SetSimulation(std::shared_ptr<const toolpath::Simulation> simulation);
  // The part as operations (Toolpath::operations, from 0) up to `last` leave it, what first to
  // last removed shaded; last < first shades nothing, last -1 shows the stock as it comes.
  void ShowPartAt(int first, int last);
  // The part at the end of the job, nothing shaded.
  void ShowWholePart() { ShowPartAt(kWholeJob, kWholeJob); }
  static constexpr int kWholeJob = -2;
  int PartFirst() const { return partFirst_; }
  int PartLast() const { return partLast_; }
  void SetFullSection(bool full);
  bool FullSection() const { return fullSection_; }

  // The unit system the program is read in: the scale bar's and the pointer's unit.
  void SetMetric(bool metric);
  // The moves of this program line drawn bold; 0 for none.
  void HighlightLine(int line) { HighlightLines(line, line); }
  // The moves of lines first to last drawn bold (a step's blocks).
  void HighlightLines(int first, int last);
  int HighlightedLine() const { return highlighted_; }
  int HighlightedLast() const { return highlightedLast_; }
  void ZoomToFit();
  // The transform from drawing coordinates (Z, radius up) to widget pixels.
  QTransform View() const;
  // The program point under a widget point: X a diameter, Z.
  toolpath::Point PointAt(QPointF widgetPoint) const;
  // "X 2.0000  Z -3.0000": 4 decimals in inch, 3 in mm.
  QString PointText(toolpath::Point p) const;

  // What the last paint drew in its corners.
  struct ScaleBar {
    double length = 0;  // in program units: 1, 2 or 5 times a power of ten
    QString label;      // "5 mm"
    QLineF bar;         // its ends in widget pixels
  };
  const ScaleBar& DrawnScale() const { return scaleBar_; }
  QRectF DrawnLegend() const { return legend_; }

  QSize sizeHint() const override { return {480, 320}; }

  // Painted over the moves, under the legend, with View() (the tool at the caret).
  using Overlay = std::function<void(QPainter&, const QTransform&)>;
  void SetOverlay(Overlay paint) { overlay_ = std::move(paint); }

 signals:
  // A click (not a drag) within a few pixels of a move: the line of the block that made it.
  void MoveClicked(int line);
  // The pointer over the drawing: PointText of the place under it; empty when it leaves.
  void PointerMoved(const QString& text);
  // Page Up (-1) or Page Down (+1): the step before or after the one shown.
  void StepRequested(int by);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // One straight piece of a move in drawing coordinates (x = Z, y = radius); arcs become
  // several.
  struct Segment {
    QPointF a, b;
    toolpath::MoveKind kind;
    int line;
    bool operator==(const Segment&) const = default;
  };
  // What the moves layer was drawn for; a paint with the same key only copies the layer.
  struct LayerKey {
    QSize pixels;
    double ratio = 0, scale = 0;
    QPointF offset;
    int highlighted = 0, highlightedLast = 0;
    std::uint64_t content = 0;
    QSizeF legend, scaleBox;
    bool operator==(const LayerKey&) const = default;
  };
  // The layer with how much of each corner box its moves and marks would hide.
  struct Layer {
    QImage image;
    LayerKey key;
    std::array<int, 4> legendCover{}, scaleCover{};
  };
  int LineAt(QPointF widgetPoint) const;
  // The drawing point under `at` stays under it.
  void ZoomAbout(QPointF at, double factor);
  void Pan(QPointF by);
  void ViewChanged();
  void ReportPointer();
  // The bands, the centre line, the moves and the marks, and how much of each corner box
  // they would hide.
  // `ratio`: the device pixels per pixel of what is painted on (the widget, or an image it is
  // rendered into).
  const Layer& DrawLayer(double ratio, QSizeF legendSize, QSizeF scaleSize, const std::array<QRectF, 4>& legendAt,
                         const std::array<QRectF, 4>& scaleAt);
  // White, the stock, the jaws and the part, drawn again only when the step, the section or
  // the view changes; the paths of each step are kept until the simulation changes.
  const QImage& DrawPartLayer(double ratio);
  // What operation `operation` removed, or the part after it.
  const QPainterPath& StepPath(bool after, int operation);
  QRectF FitBounds() const;
  void DrawLegend(QPainter& painter, QRectF box) const;
  void DrawScale(QPainter& painter, QRectF box);

  std::vector<Segment> segments_;
  std::vector<QPointF> toolChanges_, dwells_;
  QRectF bounds_;
  int highlighted_ = 0, highlightedLast_ = 0;
  bool metric_ = false;
  // View: widget = drawing × scale_, flipped in Y, then offset_.
  double scale_ = 1;
  QPointF offset_;
  bool fitted_ = true;
  QPointF pressAt_, lastDrag_;
  bool dragging_ = false;
  // Kept between paints so a redraw allocates nothing.
  std::vector<QLineF> lines_[6];
  std::vector<QRectF> bands_[3];
  // The layer under the corner boxes, drawn again only when what it shows changes. Two are
  // kept, the last drawn first: choosing a step and editing it go between two highlights.
  Layer layers_[2];
  std::uint64_t content_ = 1;  // bumped when the moves or marks drawn change
  // Whether a line or band is in its batch already: open addressing over the batches' own
  // entries, kept between paints.
  template <typename Item>
  bool AddOnce(std::vector<Item>* batches, int batch, const Item& item, std::vector<std::uint32_t>& seen);
  std::vector<std::uint32_t> seenLines_, seenBands_;
  std::shared_ptr<const toolpath::Simulation> simulation_;
  QPainterPath blank_, jaws_;
  std::vector<QPainterPath> paths_;  // two a step: removed, after
  std::vector<bool> built_;
  int partFirst_ = kWholeJob, partLast_ = kWholeJob;
  bool fullSection_ = false;
  struct PartKey {
    QSize pixels;
    double ratio = 0, scale = 0;
    QPointF offset;
    const toolpath::Simulation* simulation = nullptr;
    int first = 0, last = 0;
    bool full = false;
    bool operator==(const PartKey&) const = default;
  };
  QImage partLayer_;
  PartKey partKey_;
  ScaleBar scaleBar_;
  QRectF legend_;
  Overlay overlay_;
};

}  // namespace tbx
