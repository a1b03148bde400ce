#include "gui/tool_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

#include "gui/qt_preview.h"
#include "toolpath/compensation.h"
#include "toolpath/reader.h"
#include "toolpath/run_time.h"

namespace tbx {
namespace {

const QColor kInsertFill(250, 196, 120), kInsertLine(150, 90, 20);
const QColor kHolderFill(205, 210, 220), kHolderLine(100, 105, 120);
const QColor kNosePath(170, 40, 150);

QPolygonF Mapped(const QTransform& view, const std::vector<NosePoint>& polygon) {
  QPolygonF out;
  out.reserve(static_cast<int>(polygon.size()));
  for (const NosePoint& p : polygon) out << view.map(QPointF(p.z, p.r));
  return out;
}

}  // namespace

void PaintToolOutline(QPainter& painter, const QTransform& view, const ToolOutline& outline) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kHolderLine, 1));
  painter.setBrush(kHolderFill);
  painter.drawPolygon(Mapped(view, outline.holder));
  painter.setPen(QPen(kInsertLine, 1));
  painter.setBrush(kInsertFill);
  painter.drawPolygon(Mapped(view, outline.insert));
  const QPointF centre = view.map(QPointF(outline.noseCentre.z, outline.noseCentre.r));
  painter.drawLine(centre - QPointF(3, 0), centre + QPointF(3, 0));
  painter.drawLine(centre - QPointF(0, 3), centre + QPointF(0, 3));
  painter.restore();
}

void ToolPainter::SetPath(const toolpath::Toolpath& path, std::string_view text,
                          const toolpath::ToolpathSettings& settings) {
  tools_.clear();
  toolOfMove_.assign(path.moves.size(), -1);
  lineOfMove_.resize(path.moves.size());
  endOfMove_.resize(path.moves.size());
  nosePath_.clear();
  metric_ = settings.metric;
  // The reader's own account of T words and G40/G41/G42, block by block, followed as the
  // compensation step follows it.
  toolpath::CompensationEvents events;
  if (settings.tools && !settings.tools->tools.empty()) {
    // A G41 or G42 in any spelling holds "41" or "42": without either, only the tool
    // changes' lines are read, which keeps a long program's redraw from reading it twice.
    if (text.find("41") != std::string_view::npos || text.find("42") != std::string_view::npos) {
      const toolpath::ReadResult read = toolpath::ReadProgram(text);
      for (const toolpath::Block& b : read.blocks) events.Read(b);
    } else {
      std::size_t at = 0;
      int line = 1;
      for (const toolpath::Move& m : path.moves) {
        if (m.kind != toolpath::MoveKind::ToolChange || m.line < line) continue;
        for (; line < m.line && at < text.size(); ++line) at = toolpath::NextLine(text, toolpath::LineEnd(text, at));
        const std::string_view block = text.substr(at, toolpath::LineEnd(text, at) - at);
        const toolpath::ReadResult read = toolpath::ReadProgram(block);
        for (toolpath::Block b : read.blocks) {
          b.line = m.line;
          events.Read(b);
        }
      }
    }
  }
  const std::vector<toolpath::CompensationEvent>& list = events.Events();
  std::size_t e = 0;
  int tool = -1, side = 0;
  for (std::size_t i = 0; i < path.moves.size(); ++i) {
    const toolpath::Move& m = path.moves[i];
    for (; e < list.size() && list[e].line <= m.line; ++e) {
      if (list[e].number >= 0) {
        const Tool* t = settings.tools->Find(list[e].number, list[e].offset);
        tools_.push_back(t ? std::optional<Tool>(t->InUnits(settings.tools->metric, settings.metric)) : std::nullopt);
        tool = static_cast<int>(tools_.size()) - 1;
      }
      if (list[e].code != 0) side = list[e].code == 40 ? 0 : list[e].code;
    }
    toolOfMove_[i] = tool;
    lineOfMove_[i] = m.line;
    endOfMove_[i] = {m.end.z, m.end.x / 2};
    const bool motion = m.kind == toolpath::MoveKind::Rapid || m.kind == toolpath::MoveKind::Feed;
    const std::optional<Tool>* t = tool >= 0 ? &tools_[tool] : nullptr;
    if (side == 0 || !motion || !t || !*t || (!HasInsert((*t)->kind) && !HasBlade((*t)->kind))) continue;
    // The moves are the programmed point's; its nose centre runs them less the tip offset.
    const NosePoint tip = TipDirection((*t)->orientation);
    const QPointF by(-(*t)->radius * tip.z, -(*t)->radius * tip.r);
    const QPointF s = QPointF(m.start.z, m.start.x / 2) + by, end = QPointF(m.end.z, m.end.x / 2) + by;
    if (m.arc == toolpath::ArcDirection::None) {
      nosePath_.emplace_back(s, end);
      continue;
    }
    EachArcChord(s, QPointF(m.centre.z, m.centre.x / 2) + by, end, toolpath::ArcSweep(m),
                 [&](QPointF from, QPointF to) { nosePath_.emplace_back(from, to); });
  }
  Place();
}

bool ToolPainter::SetCaretLine(int line) {
  if (line == caretLine_) return false;
  caretLine_ = line;
  const NosePoint was = at_;
  const bool had = shown_.has_value();
  Place();
  return had != shown_.has_value() || was.z != at_.z || was.r != at_.r;
}

void ToolPainter::Place() {
  shown_.reset();
  if (toolOfMove_.empty()) return;
  std::size_t move = toolOfMove_.size() - 1;
  for (std::size_t i = toolOfMove_.size(); i-- > 0;)
    if (lineOfMove_[i] == caretLine_) {
      move = i;
      break;
    }
  at_ = endOfMove_[move];
  if (toolOfMove_[move] >= 0) shown_ = tools_[toolOfMove_[move]];
}

void ToolPainter::Paint(QPainter& painter, const QTransform& view) const {
  if (!nosePath_.empty()) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(kNosePath, 1, Qt::DashLine);
    painter.setPen(pen);
    std::vector<QLineF> mapped;
    mapped.reserve(nosePath_.size());
    for (const QLineF& l : nosePath_) mapped.push_back(view.map(l));
    painter.drawLines(mapped.data(), static_cast<int>(mapped.size()));
    painter.restore();
  }
  if (!shown_) return;
  // Chords within a quarter pixel of their arcs.
  const double scale = std::hypot(view.m11(), view.m12());
  const double tolerance = scale > 0 ? 0.25 / scale : 1e-3;
  PaintToolOutline(painter, view, OutlineOf(*shown_, metric_, at_, tolerance));
}

}  // namespace tbx
