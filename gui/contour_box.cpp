#include "gui/contour_box.h"

#include <QEvent>
#include <QGridLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace tbx {

namespace {

// As the toolpath drawing: the contour in its feed colour, faults in its thread colour.
const QColor kContour(0x15, 0x65, 0xc0), kFault(0xd8, 0x43, 0x15);
const QColor kFaultLine(0xfd, 0xec, 0xe8), kFaultText(0xb7, 0x1c, 0x1c);
constexpr double kMargin = 10;
// The list under the box names this many faults and counts the rest.
constexpr int kFaultsListed = 4;

// Room for a line of a contour with its corner ("G2 X2.0 Z-1.75 R.25 ,R.06") and a few lines
// of it; less in a small window.
class ContourEdit : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;
  QSize sizeHint() const override { return Room(20, 7); }
  QSize minimumSizeHint() const override { return Room(12, 3); }

  std::vector<toolpath::Finding> faults;

 protected:
  // Over a faulty line, its faults; elsewhere the field's own tooltip.
  bool viewportEvent(QEvent* event) override {
    if (event->type() == QEvent::ToolTip) {
      const auto* help = static_cast<QHelpEvent*>(event);
      const QTextBlock block = cursorForPosition(help->pos()).block();
      const QRectF shown = blockBoundingGeometry(block).translated(contentOffset());
      QStringList said;
      if (help->pos().y() >= shown.top() && help->pos().y() < shown.bottom())
        for (const toolpath::Finding& fault : faults)
          if (fault.line == block.blockNumber() + 1) said << QString::fromStdString(fault.text);
      if (!said.isEmpty()) {
        QToolTip::showText(help->globalPos(), said.join(QLatin1Char('\n')), viewport());
        return true;
      }
    }
    return QPlainTextEdit::viewportEvent(event);
  }

 private:
  QSize Room(int columns, int lines) const {
    const QFontMetrics metrics(font());
    const int frame = 2 * frameWidth() + 2 * static_cast<int>(document()->documentMargin());
    return {metrics.horizontalAdvance(QLatin1Char('0')) * columns + frame, metrics.lineSpacing() * lines + frame};
  }
};

// The angle of `p` about `c`, counter-clockwise from +Z with the radius up.
double Angle(NosePoint c, NosePoint p) { return std::atan2(p.r - c.r, p.z - c.z); }

// The arc's sweep from `from` to its end: negative clockwise, never nothing.
double Sweep(NosePoint from, const NoseSegment& s) {
  double sweep = Angle(s.centre, s.end) - Angle(s.centre, from);
  constexpr double kTurn = 2 * std::numbers::pi;
  if (s.clockwise) {
    while (sweep >= 0) sweep -= kTurn;
  } else {
    while (sweep <= 0) sweep += kTurn;
  }
  return sweep;
}

}  // namespace

ContourDrawing::ContourDrawing(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize ContourDrawing::sizeHint() const {
  const int line = fontMetrics().lineSpacing();
  return {line * 12, line * 7};
}

QSize ContourDrawing::minimumSizeHint() const {
  const int line = fontMetrics().lineSpacing();
  return {line * 6, line * 3};
}

void ContourDrawing::SetContour(const NosePath& path, std::vector<bool> faulty, bool started) {
  path_ = path;
  faulty_ = std::move(faulty);
  faulty_.resize(path_.segments.size());
  started_ = started;
  // The arcs bulge beyond their ends: their points along them count too.
  double left = path_.start.z, right = path_.start.z, bottom = std::min(0.0, path_.start.r),
         top = std::max(0.0, path_.start.r);
  auto include = [&](double z, double r) {
    if (!std::isfinite(z) || !std::isfinite(r)) return;
    left = std::min(left, z), right = std::max(right, z);
    bottom = std::min(bottom, r), top = std::max(top, r);
  };
  NosePoint from = path_.start;
  for (const NoseSegment& s : path_.segments) {
    if (s.arc) {
      const double radius = std::hypot(from.z - s.centre.z, from.r - s.centre.r);
      const double a0 = Angle(s.centre, from), sweep = Sweep(from, s);
      constexpr int kPoints = 32;
      for (int i = 1; i < kPoints; ++i) {
        const double a = a0 + sweep * i / kPoints;
        include(s.centre.z + radius * std::cos(a), s.centre.r + radius * std::sin(a));
      }
    }
    include(s.end.z, s.end.r);
    from = s.end;
  }
  bounds_ = QRectF(QPointF(left, bottom), QPointF(right, top));
  update();
}

QPointF ContourDrawing::Map(NosePoint p) const {
  const QRectF room = QRectF(contentsRect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
  // A single point, or a contour along the centre line, has no size of its own to fit.
  const double w = std::max(bounds_.width(), 1e-6), h = std::max(bounds_.height(), 1e-6);
  double scale = std::min(room.width() / w, room.height() / h);
  if (bounds_.width() < 1e-6 && bounds_.height() < 1e-6) scale = std::min(room.width(), room.height());
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  const QPointF mid = bounds_.center();
  return {room.center().x() + (p.z - mid.x()) * scale, room.center().y() - (p.r - mid.y()) * scale};
}

void ContourDrawing::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    painter.fillRect(contentsRect(), Qt::white);
    painter.setClipRect(contentsRect());
    QPen centre(Qt::black);
    centre.setDashPattern({14, 3, 2, 3});
    painter.setPen(centre);
    const double y0 = std::round(Map({}).y()) + 0.5;
    painter.drawLine(QPointF(contentsRect().left(), y0), QPointF(contentsRect().right() + 1, y0));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    NosePoint from = path_.start;
    for (std::size_t i = 0; i < path_.segments.size(); ++i) {
      const NoseSegment& s = path_.segments[i];
      QPainterPath piece(Map(from));
      if (s.arc) {
        const QPointF c = Map(s.centre);
        const QPointF a = Map(from);
        const double radius = std::hypot(a.x() - c.x(), a.y() - c.y());
        // QPainterPath's angles run counter-clockwise as seen, as the contour's do.
        piece.arcTo(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius),
                    Angle(s.centre, from) * 180 / std::numbers::pi, Sweep(from, s) * 180 / std::numbers::pi);
      }
      piece.lineTo(Map(s.end));
      painter.setPen(QPen(faulty_[i] ? kFault : kContour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter.drawPath(piece);
      from = s.end;
    }
    if (started_) {
      painter.setPen(QPen(Qt::white, 1));
      painter.setBrush(kContour);
      painter.drawEllipse(Map(path_.start), 4, 4);
    }
  }
  QFrame::paintEvent(event);
}

ContourBox::ContourBox(QWidget* parent)
    : QWidget(parent), editor_(new ContourEdit(this)), drawing_(new ContourDrawing(this)), faultList_(new QLabel(this)) {
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  editor_->setTabChangesFocus(true);
  drawing_->setFocusPolicy(Qt::NoFocus);
  faultList_->setTextFormat(Qt::PlainText);
  faultList_->setWordWrap(true);
  QPalette palette = faultList_->palette();
  palette.setColor(QPalette::WindowText, kFaultText);
  faultList_->setPalette(palette);
  faultList_->hide();
  // Tab stops at the lines, not at the box around them.
  setFocusPolicy(Qt::NoFocus);
  setFocusProxy(editor_);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(editor_, 0, 0);
  grid->addWidget(drawing_, 0, 1);
  grid->addWidget(faultList_, 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(0, 1);
  connect(editor_, &QPlainTextEdit::textChanged, this, &ContourBox::Refresh);
  Refresh();
}

void ContourBox::SetText(const QString& text) {
  {
    QSignalBlocker quiet(editor_);
    editor_->setPlainText(text);
  }
  Refresh();
}

void ContourBox::Refresh() {
  const QString text = Text();
  read_ = toolpath::ReadContour(text.toStdString());
  std::vector<bool> faulty(read_.path.segments.size());
  QList<QTextEdit::ExtraSelection> marks;
  faults_.clear();
  QTextDocument* document = editor_->document();
  for (const toolpath::Finding& issue : read_.issues) {
    const QString what = QString::fromStdString(issue.text);
    faults_ << QStringLiteral("line %1: %2").arg(issue.line).arg(what);
    for (std::size_t i = 0; i < read_.lines.size() && i < faulty.size(); ++i)
      if (read_.lines[i] == issue.line) faulty[i] = true;
    const QTextBlock block = document->findBlockByNumber(issue.line - 1);
    if (!block.isValid()) continue;
    QTextEdit::ExtraSelection line;
    line.cursor = QTextCursor(block);
    line.format.setBackground(kFaultLine);
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    // The word the reader names (from its column to the next blank), else the whole line.
    QTextEdit::ExtraSelection word;
    word.cursor = QTextCursor(block);
    const QString shown = block.text();
    int from = issue.column > 0 ? std::min<int>(issue.column - 1, shown.size()) : 0;
    int to = issue.column > 0 ? from : shown.size();
    while (issue.column > 0 && to < shown.size() && !shown[to].isSpace()) ++to;
    if (to == from) from = 0, to = shown.size();
    word.cursor.setPosition(block.position() + from);
    word.cursor.setPosition(block.position() + to, QTextCursor::KeepAnchor);
    word.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    word.format.setUnderlineColor(kFault);
    word.format.setToolTip(what);
    marks << line << word;
  }
  editor_->setExtraSelections(marks);
  static_cast<ContourEdit*>(editor_)->faults = read_.issues;
  drawing_->SetContour(read_.path, std::move(faulty), !text.trimmed().isEmpty());
  QStringList listed = faults_.mid(0, kFaultsListed);
  if (faults_.size() > kFaultsListed) listed << QStringLiteral("and %1 more").arg(faults_.size() - kFaultsListed);
  faultList_->setText(listed.join(QLatin1Char('\n')));
  faultList_->setVisible(!faults_.isEmpty());
}

}  // namespace tbx
