#include "gui/qt_preview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "toolpath/run_time.h"

namespace tbx {

namespace {

using toolpath::MoveKind;

constexpr double kMargin = 16;
constexpr int kArcPieces = 16;
constexpr double kClickPixels = 5;

QPointF Drawing(toolpath::Point p) { return {p.z, p.x / 2}; }

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
  const QPointF d = b - a;
  const double length2 = QPointF::dotProduct(d, d);
  const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0) : 0;
  const QPointF q = a + t * d - p;
  return std::hypot(q.x(), q.y());
}

QPen PenFor(MoveKind kind, bool bold) {
  QPen pen;
  pen.setCosmetic(true);
  // One-pixel lines take the rasterizer's fast path; only the highlighted few are wider.
  pen.setWidthF(bold ? 3 : 1);
  switch (kind) {
    case MoveKind::Rapid:
      pen.setColor(QColor(0x80, 0x80, 0x80));
      pen.setStyle(Qt::DashLine);
      break;
    case MoveKind::Feed: pen.setColor(QColor(0x15, 0x65, 0xc0)); break;
    case MoveKind::Thread: pen.setColor(QColor(0xd8, 0x43, 0x15)); break;
    default: pen.setColor(Qt::black); break;
  }
  return pen;
}

}  // namespace

ToolpathPreview::ToolpathPreview(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
}

void ToolpathPreview::SetToolpath(const toolpath::Toolpath& path) {
  segments_.clear();
  toolChanges_.clear();
  segments_.reserve(path.moves.size());
  for (const toolpath::Move& m : path.moves) {
    if (m.kind == MoveKind::ToolChange) {
      toolChanges_.push_back(Drawing(m.end));
      continue;
    }
    if (m.kind == MoveKind::Dwell) continue;
    if (m.arc == toolpath::ArcDirection::None) {
      segments_.push_back({Drawing(m.start), Drawing(m.end), m.kind, m.line});
      continue;
    }
    const QPointF c = Drawing(m.centre), s = Drawing(m.start), e = Drawing(m.end);
    const double r = std::hypot(s.x() - c.x(), s.y() - c.y());
    const double a0 = std::atan2(s.y() - c.y(), s.x() - c.x());
    const double sweep = toolpath::ArcSweep(m);
    QPointF from = s;
    for (int i = 1; i <= kArcPieces; ++i) {
      const double a = a0 + sweep * i / kArcPieces;
      const QPointF to = i == kArcPieces ? e : QPointF(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
      segments_.push_back({from, to, m.kind, m.line});
      from = to;
    }
  }
  // By hand: QRectF::united ignores rectangles of no size, and single points are just that.
  double left = 0, right = 0, bottom = 0, top = 0;  // the centre line at Z 0 is always in view
  bool first = true;
  auto include = [&](QPointF p) {
    if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return;
    if (first) {
      left = right = p.x();
      bottom = std::min(0.0, p.y());
      top = std::max(0.0, p.y());
      first = false;
      return;
    }
    left = std::min(left, p.x());
    right = std::max(right, p.x());
    bottom = std::min(bottom, p.y());
    top = std::max(top, p.y());
  };
  // The part is what the user wants to see: the cuts, not the long way to the tool-change
  // position. A program without cuts fits everything it moves.
  for (const Segment& s : segments_) {
    if (s.kind == MoveKind::Rapid) continue;
    include(s.a);
    include(s.b);
  }
  if (first) {
    for (const Segment& s : segments_) {
      include(s.a);
      include(s.b);
    }
    for (QPointF p : toolChanges_) include(p);
  }
  const QRectF bounds(QPointF(left, bottom), QPointF(right, top));
  bounds_ = bounds;
  // A view the user zoomed or panned stays as it is while the program is redrawn.
  if (fitted_) {
    ZoomToFit();
  } else {
    update();
  }
}

void ToolpathPreview::HighlightLine(int line) {
  if (line == highlighted_) return;
  highlighted_ = line;
  update();
}

void ToolpathPreview::ZoomToFit() {
  fitted_ = true;
  const double w = std::max(bounds_.width(), 1e-6), h = std::max(bounds_.height(), 1e-6);
  scale_ = std::min((width() - 2 * kMargin) / w, (height() - 2 * kMargin) / h);
  if (!(scale_ > 0) || !std::isfinite(scale_)) scale_ = 1;
  // Centred: the middle of the bounds at the middle of the widget.
  const QPointF mid = bounds_.center();
  offset_ = QPointF(width() / 2.0 - mid.x() * scale_, height() / 2.0 + mid.y() * scale_);
  update();
}

QTransform ToolpathPreview::View() const { return QTransform(scale_, 0, 0, -scale_, offset_.x(), offset_.y()); }

void ToolpathPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QTransform view = View();

  QPen centre(Qt::black);
  centre.setCosmetic(true);
  centre.setDashPattern({14, 3, 2, 3});
  painter.setPen(centre);
  const double y0 = view.map(QPointF(0, 0)).y();
  painter.drawLine(QPointF(0, y0), QPointF(width(), y0));

  // One batch of lines per kind: mapping 50,000 points and one drawLines call each keeps a
  // redraw within a frame.
  std::vector<QLineF> lines;
  lines.reserve(segments_.size());
  for (MoveKind kind : {MoveKind::Rapid, MoveKind::Feed, MoveKind::Thread}) {
    for (int bold = 0; bold < 2; ++bold) {
      lines.clear();
      for (const Segment& s : segments_) {
        if (s.kind != kind || (s.line == highlighted_) != (bold == 1)) continue;
        lines.emplace_back(view.map(s.a), view.map(s.b));
      }
      if (lines.empty()) continue;
      painter.setPen(PenFor(kind, bold == 1));
      painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
  }

  QPen mark(QColor(0x6a, 0x1b, 0x9a));
  mark.setWidthF(1.2);
  painter.setPen(mark);
  painter.setBrush(Qt::NoBrush);
  painter.setRenderHint(QPainter::Antialiasing);
  for (QPointF p : toolChanges_) {
    const QPointF c = view.map(p);
    painter.drawEllipse(c, 6, 6);
    painter.drawLine(c - QPointF(9, 0), c + QPointF(9, 0));
    painter.drawLine(c - QPointF(0, 9), c + QPointF(0, 9));
  }
}

void ToolpathPreview::wheelEvent(QWheelEvent* event) {
  const double factor = std::pow(1.0015, event->angleDelta().y());
  const QPointF at = event->position();
  // The drawing point under the pointer stays under it.
  offset_ = at - (at - offset_) * factor;
  scale_ *= factor;
  fitted_ = false;
  update();
  event->accept();
}

void ToolpathPreview::mousePressEvent(QMouseEvent* event) {
  pressAt_ = lastDrag_ = event->position();
  dragging_ = false;
}

void ToolpathPreview::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPointF now = event->position();
  if (!dragging_ && (now - pressAt_).manhattanLength() < 4) return;
  dragging_ = true;
  offset_ += now - lastDrag_;
  lastDrag_ = now;
  fitted_ = false;
  update();
}

void ToolpathPreview::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ && event->button() == Qt::LeftButton) {
    const int line = LineAt(event->position());
    if (line > 0) emit MoveClicked(line);
  }
  dragging_ = false;
}

void ToolpathPreview::mouseDoubleClickEvent(QMouseEvent*) { ZoomToFit(); }

void ToolpathPreview::resizeEvent(QResizeEvent*) {
  if (fitted_) ZoomToFit();
}

int ToolpathPreview::LineAt(QPointF widgetPoint) const {
  const QTransform view = View();
  double best = kClickPixels;
  int line = 0;
  for (const Segment& s : segments_) {
    const double d = DistanceToSegment(widgetPoint, view.map(s.a), view.map(s.b));
    if (d <= best) {
      best = d;
      line = s.line;
    }
  }
  return line;
}

}  // namespace tbx
