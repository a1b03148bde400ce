#include "gui/qt_preview.h"

#include <QCursor>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <bit>

#include "toolpath/run_time.h"

namespace tbx {

namespace {

using toolpath::MoveKind;

constexpr double kMargin = 16;
constexpr double kClickPixels = 5;
// A move whose ends both lie this close to the centre line is drawn on a band this high.
constexpr double kOnAxisPixels = 1.5;
constexpr double kBandHalf = 3;
// The longest scale bar; the 1-2-5 steps make it at least 2/5 of this.
constexpr double kScaleMaxPixels = 120;
// Corner boxes: inset from the edges, padded inside.
constexpr double kInset = 6, kPad = 4, kSample = 22;
// An arrow key moves the view by this share of the widget.
constexpr double kPanShare = 0.1;

const QColor kRapid(0x80, 0x80, 0x80), kFeed(0x15, 0x65, 0xc0), kThread(0xd8, 0x43, 0x15);
const QColor kDwell(0x2e, 0x7d, 0x32), kToolChange(0x6a, 0x1b, 0x9a);
// The kinds' colours faded towards white, opaque so that a hundred pecks on one band do not
// darken it.
const QColor kBand[3] = {QColor(0xdc, 0xdc, 0xdc), QColor(0xbf, 0xd6, 0xf0), QColor(0xf6, 0xc9, 0xb9)};
// The stock's outline, the part and its edge, what the step shown removed, the jaws and their
// hatching: pale enough that every move stays readable over them.
const QColor kStock(0x60, 0x60, 0x60), kPart(0xd5, 0xdc, 0xe2), kPartEdge(0x78, 0x90, 0x9c);
const QColor kRemoved(0xff, 0xd5, 0x80), kJaws(0xc4, 0xc4, 0xc4), kJawHatch(0x70, 0x70, 0x70);

QPainterPath PathOf(const toolpath::Section& section) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  auto ring = [&](const toolpath::Ring& r) {
    if (r.size() < 3) return;
    path.moveTo(r.front().z, r.front().r);
    for (std::size_t i = 1; i < r.size(); ++i) path.lineTo(r[i].z, r[i].r);
    path.closeSubpath();
  };
  for (const toolpath::Area& area : section) {
    ring(area.outer);
    for (const toolpath::Ring& hole : area.holes) ring(hole);
  }
  return path;
}

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
      pen.setColor(kRapid);
      pen.setStyle(Qt::DashLine);
      break;
    case MoveKind::Feed: pen.setColor(kFeed); break;
    case MoveKind::Thread: pen.setColor(kThread); break;
    default: pen.setColor(Qt::black); break;
  }
  return pen;
}

QPen CentrePen() {
  QPen pen(Qt::black);
  pen.setCosmetic(true);
  pen.setDashPattern({14, 3, 2, 3});
  return pen;
}

// Antialiased marks; the caller's painter state is kept.
void DrawDwell(QPainter& painter, QPointF c) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kDwell);
  painter.drawEllipse(c, 3, 3);
}

void DrawToolChange(QPainter& painter, QPointF c, double r) {
  QPen mark(kToolChange);
  mark.setWidthF(1.2);
  painter.setPen(mark);
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(c, r, r);
  painter.drawLine(c - QPointF(r * 1.5, 0), c + QPointF(r * 1.5, 0));
  painter.drawLine(c - QPointF(0, r * 1.5), c + QPointF(0, r * 1.5));
}

// The legend: columns of three rows, a sample and its name in each cell; the third column
// only with a part drawn.
constexpr int kLegendRows = 3;
const char* const kLegendNames[9] = {"rapid", "feed",    "thread", "dwell",          "tool change",
                                     "on centre line", "stock", "part", "removed by step"};

struct Metrics {
  Metrics(const QFont& font, bool part) : fm(font), columns(part ? 3 : 2) {
    for (int column = 0; column < columns; ++column)
      for (int row = 0; row < kLegendRows; ++row)
        labelWidth[column] = std::max(labelWidth[column],
                                      fm.horizontalAdvance(QLatin1String(kLegendNames[column * kLegendRows + row])));
    arrow = std::round(fm.height() * 1.4);
    axesWidth = arrow + 3 + fm.horizontalAdvance(QStringLiteral("+Z"));
  }
  double ColumnLeft(int column) const {
    double x = 0;
    for (int c = 0; c < column; ++c) x += kSample + 4 + labelWidth[c] + 10;
    return x;
  }
  QSizeF Legend() const {
    return {2 * kPad + ColumnLeft(columns) - 10, 2 * kPad + kLegendRows * fm.height()};
  }
  QSizeF Scale() const {
    return {2 * kPad + axesWidth + 12 + kScaleMaxPixels, 2 * kPad + std::max(arrow + fm.height(), fm.height() + 6)};
  }
  QFontMetricsF fm;
  int columns = 2;
  double labelWidth[3] = {0, 0, 0};
  double arrow = 0, axesWidth = 0;
};

// The corners, top left, top right, bottom left, bottom right: a box of `size` in each.
std::array<QRectF, 4> Corners(QSizeF size, QSizeF widget) {
  const double right = widget.width() - kInset - size.width(), bottom = widget.height() - kInset - size.height();
  return {QRectF(QPointF(kInset, kInset), size), QRectF(QPointF(right, kInset), size),
          QRectF(QPointF(kInset, bottom), size), QRectF(QPointF(right, bottom), size)};
}

bool Overlaps(const QRectF& r, double left, double top, double right, double bottom) {
  return left <= r.right() && right >= r.left() && top <= r.bottom() && bottom >= r.top();
}

// 1, 2 or 5 times a power of ten: the largest at most `most`.
double RoundLength(double most) {
  const double power = std::pow(10.0, std::floor(std::log10(most)));
  const double lead = most / power;
  return (lead >= 5 ? 5 : lead >= 2 ? 2 : 1) * power;
}

}  // namespace

ToolpathPreview::ToolpathPreview(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void ToolpathPreview::SetToolpath(const toolpath::Toolpath& path) {
  std::vector<Segment> segments;
  std::vector<QPointF> toolChanges, dwells;
  segments.reserve(path.moves.size());
  for (const toolpath::Move& m : path.moves) {
    if (m.kind == MoveKind::ToolChange) {
      toolChanges.push_back(Drawing(m.end));
      continue;
    }
    if (m.kind == MoveKind::Dwell) {
      if (dwells.empty() || dwells.back() != Drawing(m.end)) dwells.push_back(Drawing(m.end));
      continue;
    }
    if (m.arc == toolpath::ArcDirection::None) {
      segments.push_back({Drawing(m.start), Drawing(m.end), m.kind, m.line});
      continue;
    }
    EachArcChord(Drawing(m.start), Drawing(m.centre), Drawing(m.end), toolpath::ArcSweep(m),
                 [&](QPointF from, QPointF to) { segments.push_back({from, to, m.kind, m.line}); });
  }
  // An edit that leaves the moves as they were (a feed, a speed) leaves the layer as it was.
  if (segments != segments_ || toolChanges != toolChanges_ || dwells != dwells_) {
    segments_ = std::move(segments);
    toolChanges_ = std::move(toolChanges);
    dwells_ = std::move(dwells);
    ++content_;
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

void ToolpathPreview::SetMetric(bool metric) {
  if (metric == metric_) return;
  metric_ = metric;
  update();
}

void ToolpathPreview::HighlightLines(int first, int last) {
  if (first == highlighted_ && last == highlightedLast_) return;
  highlighted_ = first;
  highlightedLast_ = last;
  update();
}

void ToolpathPreview::ZoomToFit() {
  fitted_ = true;
  // Nothing drawn, or a single point, has no size to fit: an inch or 25 mm is shown around it
  // (else the scale bar would name a millionth).
  const QRectF bounds = FitBounds();
  const bool point = bounds.width() < 1e-9 && bounds.height() < 1e-9;
  const double least = point ? (metric_ ? 25 : 1) : 1e-6;
  const double w = std::max(bounds.width(), least), h = std::max(bounds.height(), least);
  scale_ = std::min((width() - 2 * kMargin) / w, (height() - 2 * kMargin) / h);
  if (!(scale_ > 0) || !std::isfinite(scale_)) scale_ = 1;
  // Centred: the middle of the bounds at the middle of the widget.
  const QPointF mid = FitBounds().center();
  offset_ = QPointF(width() / 2.0 - mid.x() * scale_, height() / 2.0 + mid.y() * scale_);
  update();
}

QRectF ToolpathPreview::FitBounds() const {
  // The bar and the jaws are in view with the cuts; a full section shows the half below too.
  QRectF bounds = bounds_;
  if (simulation_) {
    const QRectF part = blank_.boundingRect().united(jaws_.boundingRect());
    if (!part.isEmpty()) bounds = bounds.united(part);
    if (fullSection_) bounds.setTop(std::min(bounds.top(), -bounds.bottom()));
  }
  return bounds;
}

void ToolpathPreview::SetSimulation(std::shared_ptr<const toolpath::Simulation> simulation) {
  if (simulation == simulation_) return;
  simulation_ = std::move(simulation);
  const std::size_t steps = simulation_ ? simulation_->steps.size() : 0;
  paths_.assign(2 * steps, {});
  built_.assign(2 * steps, false);
  blank_ = simulation_ ? PathOf(simulation_->blank) : QPainterPath();
  jaws_ = simulation_ ? PathOf(simulation_->jaws) : QPainterPath();
  if (fitted_) ZoomToFit();
  update();
}

void ToolpathPreview::ShowPartAt(int first, int last) {
  if (first == partFirst_ && last == partLast_) return;
  partFirst_ = first;
  partLast_ = last;
  update();
}

void ToolpathPreview::SetFullSection(bool full) {
  if (full == fullSection_) return;
  fullSection_ = full;
  if (fitted_) ZoomToFit();
  update();
}

const QPainterPath& ToolpathPreview::StepPath(bool after, int operation) {
  const auto i = static_cast<std::size_t>(operation) * 2 + (after ? 1 : 0);
  if (!built_[i]) {
    const toolpath::StepResult& step = simulation_->steps[i / 2];
    paths_[i] = PathOf(after ? step.after : step.removed);
    built_[i] = true;
  }
  return paths_[i];
}

const QImage& ToolpathPreview::DrawPartLayer(double ratio) {
  const PartKey key{size() * ratio, ratio, scale_, offset_, simulation_.get(), partFirst_, partLast_, fullSection_};
  if (key == partKey_ && !partLayer_.isNull()) return partLayer_;
  partKey_ = key;
  if (partLayer_.size() != key.pixels) partLayer_ = QImage(key.pixels, QImage::Format_ARGB32_Premultiplied);
  partLayer_.setDevicePixelRatio(ratio);
  partLayer_.fill(Qt::white);
  if (!simulation_) return partLayer_;
  const int steps = static_cast<int>(simulation_->steps.size());
  const int last = partLast_ == kWholeJob ? steps - 1 : std::min(partLast_, steps - 1);
  const int first = partFirst_ == kWholeJob ? steps : std::max(partFirst_, 0);
  QPainter painter(&partLayer_);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen edge(kPartEdge);
  edge.setCosmetic(true);
  QPen outline(kStock);
  outline.setCosmetic(true);
  outline.setWidthF(1.5);
  QBrush hatch(kJawHatch, Qt::BDiagPattern);
  const QTransform view = View();
  // The half above the centre line, and for a full section its mirror image below.
  for (int half = 0; half < (fullSection_ ? 2 : 1); ++half) {
    const QTransform t = half == 0 ? view : QTransform(1, 0, 0, -1, 0, 0) * view;
    painter.setTransform(t);
    const QPainterPath& part = last < 0 ? blank_ : StepPath(true, last);
    painter.setPen(edge);
    painter.setBrush(kPart);
    painter.drawPath(part);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRemoved);
    for (int i = first; i <= last; ++i) painter.drawPath(StepPath(false, i));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(outline);
    painter.drawPath(blank_);
    painter.setPen(edge);
    painter.setBrush(kJaws);
    painter.drawPath(jaws_);
    // The hatching keeps its spacing in pixels whatever the zoom.
    hatch.setTransform(t.inverted());
    painter.setBrush(hatch);
    painter.drawPath(jaws_);
  }
  return partLayer_;
}

QTransform ToolpathPreview::View() const { return QTransform(scale_, 0, 0, -scale_, offset_.x(), offset_.y()); }

toolpath::Point ToolpathPreview::PointAt(QPointF widgetPoint) const {
  const QPointF p = View().inverted().map(widgetPoint);
  return {2 * p.y(), p.x()};
}

QString ToolpathPreview::PointText(toolpath::Point p) const {
  const int places = metric_ ? 3 : 4;
  auto number = [&](double v) {
    const double unit = std::pow(10.0, places);
    double rounded = std::round(v * unit) / unit;
    if (rounded == 0) rounded = 0;  // no "-0.0000"
    return QString::number(rounded, 'f', places);
  };
  return QStringLiteral("X %1  Z %2").arg(number(p.x), number(p.z));
}

namespace {

std::uint64_t Mix(std::uint64_t seed, double v) {
  return (seed ^ std::bit_cast<std::uint64_t>(v)) * 0x9e3779b97f4a7c15ULL;
}
std::uint64_t HashOf(const QLineF& l) { return Mix(Mix(Mix(Mix(0, l.x1()), l.y1()), l.x2()), l.y2()); }
std::uint64_t HashOf(const QRectF& r) { return Mix(Mix(0, r.left()), r.width()); }
// Exactly equal: QPointF's own comparison is fuzzy.
bool Same(const QLineF& a, const QLineF& b) {
  return a.x1() == b.x1() && a.y1() == b.y1() && a.x2() == b.x2() && a.y2() == b.y2();
}
bool Same(const QRectF& a, const QRectF& b) {
  return a.left() == b.left() && a.top() == b.top() && a.width() == b.width() && a.height() == b.height();
}

constexpr std::uint32_t kEmpty = ~0u;
constexpr int kBatchBits = 3;  // six batches of lines, three of bands

}  // namespace

// -0 and 0 hash apart and are drawn twice, which changes no pixel either.
template <typename Item>
bool ToolpathPreview::AddOnce(std::vector<Item>* batches, int batch, const Item& item, std::vector<std::uint32_t>& seen) {
  const std::size_t mask = seen.size() - 1;
  const std::uint64_t hash = (HashOf(item) + static_cast<std::uint64_t>(batch)) * 0x9e3779b97f4a7c15ULL;
  for (std::size_t slot = hash >> 20 & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t entry = seen[slot];
    if (entry == kEmpty) {
      seen[slot] = static_cast<std::uint32_t>(batches[batch].size()) << kBatchBits | static_cast<std::uint32_t>(batch);
      batches[batch].push_back(item);
      return true;
    }
    const int b = static_cast<int>(entry & ((1u << kBatchBits) - 1));
    if (b == batch && Same(batches[b][entry >> kBatchBits], item)) return false;
  }
}

const ToolpathPreview::Layer& ToolpathPreview::DrawLayer(double ratio, QSizeF legendSize, QSizeF scaleSize,
                                                        const std::array<QRectF, 4>& legendAt,
                                                        const std::array<QRectF, 4>& scaleAt) {
  const LayerKey key{size() * ratio, ratio, scale_, offset_, highlighted_, highlightedLast_, content_,
                     legendSize, scaleSize};
  if (key == layers_[0].key && !layers_[0].image.isNull()) return layers_[0];
  // The other one becomes the last drawn, found or drawn again.
  std::swap(layers_[0], layers_[1]);
  Layer& layer = layers_[0];
  if (key == layer.key && !layer.image.isNull()) return layer;
  layer.key = key;
  if (layer.image.size() != key.pixels) layer.image = QImage(key.pixels, QImage::Format_ARGB32_Premultiplied);
  layer.image.setDevicePixelRatio(ratio);
  // Clear: the part's layer shows through it.
  layer.image.fill(Qt::transparent);
  QPainter painter(&layer.image);
  const QTransform view = View();
  const double y0 = view.map(QPointF(0, 0)).y();
  // How much of the drawing each corner box would hide: the moves, marks and centre line
  // whose bounding boxes reach into it.
  layer.legendCover = {};
  layer.scaleCover = {};
  auto cover = [&](double left, double top, double right, double bottom) {
    for (int c = 0; c < 4; ++c) {
      layer.legendCover[c] += Overlaps(legendAt[c], left, top, right, bottom);
      layer.scaleCover[c] += Overlaps(scaleAt[c], left, top, right, bottom);
    }
  };

  // One pass maps the moves into batches by kind (one drawLines call each) and finds those
  // along the centre line. A long job passes over the same places thousands of times: a line
  // or band already in its batch is left out, which changes no pixel (one colour, opaque, not
  // antialiased, dashes started afresh on each line), but every move still counts towards the
  // corners' cover.
  for (auto& l : lines_) l.clear();
  for (auto& b : bands_) b.clear();
  // At most half full, so a probe ends soon.
  std::size_t places = 16;
  while (places < 2 * segments_.size()) places *= 2;
  seenLines_.assign(places, kEmpty);
  seenBands_.assign(places, kEmpty);
  for (const Segment& s : segments_) {
    const int kind = static_cast<int>(s.kind);
    const int batch = kind * 2 + (s.line >= highlighted_ && s.line <= highlightedLast_);
    const QPointF a = view.map(s.a), b = view.map(s.b);
    const double left = std::min(a.x(), b.x()), right = std::max(a.x(), b.x());
    const double top = std::min(a.y(), b.y()), bottom = std::max(a.y(), b.y());
    cover(left, top, right, bottom);
    AddOnce(lines_, batch, QLineF(a, b), seenLines_);
    if (std::abs(a.y() - y0) <= kOnAxisPixels && std::abs(b.y() - y0) <= kOnAxisPixels) {
      const QRectF band(left, y0 - kBandHalf, std::max(right - left, 1.0), 2 * kBandHalf);
      AddOnce(bands_, kind, band, seenBands_);
    }
  }
  cover(0, y0, width(), y0);

  // Under everything the bands, then the centre line, so that a drill on it shows as a band of
  // its colour with its own line over the centre line.
  painter.setPen(Qt::NoPen);
  for (int kind = 0; kind < 3; ++kind) {
    if (bands_[kind].empty()) continue;
    painter.setBrush(kBand[kind]);
    painter.drawRects(bands_[kind].data(), static_cast<int>(bands_[kind].size()));
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(CentrePen());
  painter.drawLine(QPointF(0, y0), QPointF(width(), y0));
  for (int batch = 0; batch < 6; ++batch) {
    if (lines_[batch].empty()) continue;
    painter.setPen(PenFor(static_cast<MoveKind>(batch / 2), batch % 2 == 1));
    painter.drawLines(lines_[batch].data(), static_cast<int>(lines_[batch].size()));
  }

  painter.setRenderHint(QPainter::Antialiasing);
  for (QPointF p : dwells_) {
    const QPointF c = view.map(p);
    DrawDwell(painter, c);
    cover(c.x() - 3, c.y() - 3, c.x() + 3, c.y() + 3);
  }
  for (QPointF p : toolChanges_) {
    const QPointF c = view.map(p);
    DrawToolChange(painter, c, 6);
    cover(c.x() - 9, c.y() - 9, c.x() + 9, c.y() + 9);
  }
  return layer;
}

void ToolpathPreview::paintEvent(QPaintEvent*) {
  const Metrics metrics(font(), simulation_ != nullptr);
  const std::array<QRectF, 4> legendAt = Corners(metrics.Legend(), size()),
                              scaleAt = Corners(metrics.Scale(), size());
  QPainter painter(this);
  // At the resolution of what is painted on: the window, or an image the widget is rendered into.
  const Layer& layer = DrawLayer(painter.paintEngine()->paintDevice()->devicePixelRatio(), metrics.Legend(),
                                 metrics.Scale(), legendAt, scaleAt);
  const double ratio = painter.paintEngine()->paintDevice()->devicePixelRatio();
  painter.drawImage(QPointF(0, 0), DrawPartLayer(ratio));
  painter.drawImage(QPointF(0, 0), layer.image);
  painter.setRenderHint(QPainter::Antialiasing);

  // What follows the view but not the moves (the tool) is drawn here, over the layer and under
  // the corner boxes.
  if (overlay_) overlay_(painter, View());

  // The legend takes the freest corner (the top right among equals), the scale and axes the
  // freest of the others that does not overlap it.
  auto freest = [](const std::array<int, 4>& covered, std::array<int, 4> order, auto allowed) {
    int best = -1;
    for (int c : order)
      if (allowed(c) && (best < 0 || covered[c] < covered[best])) best = c;
    return best;
  };
  const int legend = freest(layer.legendCover, {1, 0, 3, 2}, [](int) { return true; });
  int scale = freest(layer.scaleCover, {2, 3, 0, 1},
                     [&](int c) { return c != legend && !scaleAt[c].intersects(legendAt[legend]); });
  if (scale < 0) scale = freest(layer.scaleCover, {2, 3, 0, 1}, [&](int c) { return c != legend; });
  legend_ = legendAt[legend];
  DrawLegend(painter, legend_);
  DrawScale(painter, scaleAt[scale]);

  if (hasFocus()) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor frame = palette().color(QPalette::Highlight);
    for (const QRect& edge : {QRect(0, 0, width(), 2), QRect(0, height() - 2, width(), 2), QRect(0, 0, 2, height()),
                              QRect(width() - 2, 0, 2, height())})
      painter.fillRect(edge, frame);
  }
}

void ToolpathPreview::DrawLegend(QPainter& painter, QRectF box) const {
  const Metrics metrics(font(), simulation_ != nullptr);
  const double h = metrics.fm.height();
  // The samples as the moves are drawn, on the rasterizer's pixels; the marks antialiased.
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Readable over moves when no corner was free.
  painter.setPen(QColor(0xc0, 0xc0, 0xc0));
  painter.setBrush(QColor(255, 255, 255, 230));
  painter.drawRect(box);
  for (int i = 0; i < metrics.columns * kLegendRows; ++i) {
    const int column = i / kLegendRows, row = i % kLegendRows;
    const double x = box.left() + kPad + metrics.ColumnLeft(column);
    const double y = box.top() + kPad + row * h + h / 2;
    const QLineF sample(x, y, x + kSample, y);
    switch (i) {
      case 0: case 1: case 2:
        painter.setPen(PenFor(static_cast<MoveKind>(i), false));
        painter.drawLine(sample);
        break;
      case 3:
      case 4:
        painter.setRenderHint(QPainter::Antialiasing);
        if (i == 3) DrawDwell(painter, sample.center());
        else DrawToolChange(painter, sample.center(), 4);
        painter.setRenderHint(QPainter::Antialiasing, false);
        break;
      case 5:
        painter.fillRect(QRectF(x, y - kBandHalf, kSample, 2 * kBandHalf), kBand[1]);
        painter.setPen(CentrePen());
        painter.drawLine(sample);
        break;
      default: {
        const QRectF swatch(x, y - h / 3, kSample, 2 * h / 3);
        painter.setPen(i == 6 ? QPen(kStock, 1.5) : QPen(kPartEdge));
        painter.setBrush(i == 6 ? QBrush(Qt::white) : i == 7 ? QBrush(kPart) : QBrush(kRemoved));
        if (i == 8) painter.setPen(Qt::NoPen);
        painter.drawRect(swatch);
        break;
      }
    }
    painter.setPen(Qt::black);
    painter.drawText(QPointF(x + kSample + 4, y - h / 2 + metrics.fm.ascent()), QLatin1String(kLegendNames[i]));
  }
}

void ToolpathPreview::DrawScale(QPainter& painter, QRectF box) {
  const Metrics metrics(font(), simulation_ != nullptr);
  const double h = metrics.fm.height();
  painter.setPen(QColor(0xc0, 0xc0, 0xc0));
  painter.setBrush(QColor(255, 255, 255, 230));
  painter.drawRect(box);

  // +Z to the right, +X up, from one corner.
  const QPointF origin(box.left() + kPad + 1, box.bottom() - kPad - h / 2);
  const QPointF zTip = origin + QPointF(metrics.arrow, 0), xTip = origin - QPointF(0, metrics.arrow);
  painter.setPen(QPen(Qt::black, 1.2));
  painter.setBrush(Qt::black);
  for (auto [tip, back] : {std::pair{zTip, QPointF(-5, 0)}, std::pair{xTip, QPointF(0, 5)}}) {
    painter.drawLine(origin, tip);
    const QPointF side(back.y() * 0.6, back.x() * 0.6);
    painter.drawPolygon(QPolygonF({tip, tip + back + side, tip + back - side}));
  }
  painter.drawText(QPointF(zTip.x() + 3, zTip.y() - h / 2 + metrics.fm.ascent()), QStringLiteral("+Z"));
  painter.drawText(QPointF(xTip.x() + 4, xTip.y() - h / 2 + metrics.fm.ascent()), QStringLiteral("+X"));

  scaleBar_ = {};
  if (!(scale_ > 0) || !std::isfinite(scale_)) return;
  const double length = RoundLength(kScaleMaxPixels / scale_);
  const int places = std::max(0, -static_cast<int>(std::floor(std::log10(length) + 1e-9)));
  scaleBar_.length = length;
  scaleBar_.label = QString::number(length, 'f', places) + (metric_ ? QStringLiteral(" mm") : QStringLiteral(" in"));
  // Whole pixels at the left end so the bar's length is what it is drawn.
  const double x0 = std::round(box.left() + kPad + metrics.axesWidth + 12), y = std::round(box.bottom() - kPad - 2);
  scaleBar_.bar = QLineF(x0, y, x0 + length * scale_, y);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(QRectF(x0, y, length * scale_, 2), Qt::black);
  painter.fillRect(QRectF(x0, y - 4, 1, 4), Qt::black);
  painter.fillRect(QRectF(x0 + length * scale_ - 1, y - 4, 1, 4), Qt::black);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::black);
  painter.drawText(QPointF(x0, y - 5 - metrics.fm.descent()), scaleBar_.label);
}

void ToolpathPreview::ZoomAbout(QPointF at, double factor) {
  offset_ = at - (at - offset_) * factor;
  scale_ *= factor;
  ViewChanged();
}

void ToolpathPreview::Pan(QPointF by) {
  offset_ += by;
  ViewChanged();
}

void ToolpathPreview::ViewChanged() {
  fitted_ = false;
  update();
  ReportPointer();
}

// A view moved under a still pointer puts another place under it.
void ToolpathPreview::ReportPointer() {
  if (underMouse()) emit PointerMoved(PointText(PointAt(mapFromGlobal(QCursor::pos()))));
}

void ToolpathPreview::wheelEvent(QWheelEvent* event) {
  ZoomAbout(event->position(), std::pow(kZoomStep, event->angleDelta().y() / 120.0));
  event->accept();
}

// + (or =) and - zoom about the middle as a notch of the wheel does about the pointer, the
// arrows look further that way (the drawing moves the other), Home fits.
void ToolpathPreview::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
    QWidget::keyPressEvent(event);
    return;
  }
  const QPointF middle(width() / 2.0, height() / 2.0);
  // Whole pixels keep one-pixel lines crisp.
  const double across = std::round(width() * kPanShare), down = std::round(height() * kPanShare);
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: ZoomAbout(middle, kZoomStep); break;
    case Qt::Key_Minus: ZoomAbout(middle, 1 / kZoomStep); break;
    case Qt::Key_Left: Pan({across, 0}); break;
    case Qt::Key_Right: Pan({-across, 0}); break;
    case Qt::Key_Up: Pan({0, down}); break;
    case Qt::Key_Down: Pan({0, -down}); break;
    case Qt::Key_Home:
      ZoomToFit();
      ReportPointer();
      break;
    case Qt::Key_PageUp: emit StepRequested(-1); break;
    case Qt::Key_PageDown: emit StepRequested(1); break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

void ToolpathPreview::mousePressEvent(QMouseEvent* event) {
  pressAt_ = lastDrag_ = event->position();
  dragging_ = false;
}

void ToolpathPreview::mouseMoveEvent(QMouseEvent* event) {
  const QPointF now = event->position();
  emit PointerMoved(PointText(PointAt(now)));
  if (!(event->buttons() & Qt::LeftButton)) return;
  if (!dragging_ && (now - pressAt_).manhattanLength() < 4) return;
  dragging_ = true;
  const QPointF by = now - lastDrag_;
  lastDrag_ = now;
  Pan(by);
}

void ToolpathPreview::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ && event->button() == Qt::LeftButton) {
    const int line = LineAt(event->position());
    if (line > 0) emit MoveClicked(line);
  }
  dragging_ = false;
}

void ToolpathPreview::mouseDoubleClickEvent(QMouseEvent*) {
  ZoomToFit();
  ReportPointer();
}

void ToolpathPreview::leaveEvent(QEvent*) { emit PointerMoved(QString()); }

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
