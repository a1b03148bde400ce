#pragma once
// The toolpath preview: the move list in the XZ plane as lathe programmers draw it (Z to the
// right, X up as a radius, the centre line dash-dotted), rapids dashed, feeds solid, threads
// in their own colour, tool-change positions marked. Zoom to fit, wheel zoom about the
// pointer, drag to pan; the moves of one source line can be highlighted, and a click on a move
// reports its line.
#include <QWidget>
#include <QPointF>
#include <QTransform>
#include <vector>

#include "toolpath/toolpath.h"

namespace tbx {

class ToolpathPreview : public QWidget {
  Q_OBJECT

 public:
  explicit ToolpathPreview(QWidget* parent = nullptr);

  // Takes the moves to draw and zooms to fit them, unless the view was zoomed or panned since
  // the last fit (a double-click fits again).
  void SetToolpath(const toolpath::Toolpath& path);
  // The moves of this program line drawn bold; 0 for none.
  void HighlightLine(int line);
  int HighlightedLine() const { return highlighted_; }
  void ZoomToFit();
  // The transform from drawing coordinates (Z, radius up) to widget pixels.
  QTransform View() const;
  QSize sizeHint() const override { return {480, 320}; }

 signals:
  // A click (not a drag) within a few pixels of a move: the line of the block that made it.
  void MoveClicked(int line);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // One straight piece of a move in drawing coordinates (x = Z, y = radius); arcs become
  // several.
  struct Segment {
    QPointF a, b;
    toolpath::MoveKind kind;
    int line;
  };
  int LineAt(QPointF widgetPoint) const;

  std::vector<Segment> segments_;
  std::vector<QPointF> toolChanges_;
  QRectF bounds_;
  int highlighted_ = 0;
  // View: widget = drawing × scale_, flipped in Y, then offset_.
  double scale_ = 1;
  QPointF offset_;
  bool fitted_ = true;
  QPointF pressAt_, lastDrag_;
  bool dragging_ = false;
};

}  // namespace tbx
