#include "gui/icon/turnbrix_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tbx {

namespace {

// Drawn on a 64-unit square and scaled, so each size is painted sharp rather than resampled.
QPixmap Draw(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  const bool small = size < 24;  // the thread lines only blur below this

  QLinearGradient tile(0, 0, 0, 64);
  tile.setColorAt(0, QColor(40, 78, 122));
  tile.setColorAt(1, QColor(17, 36, 64));
  p.setPen(Qt::NoPen);
  p.setBrush(tile);
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 11, 11);

  // Chuck jaw at the left, the part along the spindle axis.
  p.setBrush(QColor(70, 78, 90));
  p.drawRoundedRect(QRectF(6, 13, 9, 30), 2, 2);

  QLinearGradient steel(0, 16, 0, 40);
  steel.setColorAt(0, QColor(250, 252, 255));
  steel.setColorAt(0.45, QColor(196, 204, 214));
  steel.setColorAt(1, QColor(118, 128, 142));
  p.setBrush(steel);
  QPainterPath part;
  part.moveTo(15, 17);
  part.lineTo(33, 17);
  part.lineTo(33, 21);
  part.lineTo(55, 21);
  part.lineTo(58, 24);  // chamfer at the end face
  part.lineTo(58, 32);
  part.lineTo(55, 35);
  part.lineTo(33, 35);
  part.lineTo(33, 39);
  part.lineTo(15, 39);
  part.closeSubpath();
  p.drawPath(part);

  if (!small) {
    p.setPen(QPen(QColor(70, 80, 96), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (double x = 37; x <= 53; x += 4) {
      p.drawLine(QPointF(x, 21.5), QPointF(x + 2.5, 34.5));
    }
    p.setPen(Qt::NoPen);
  }

  // Tool holder and the gold insert whose tip cuts the thread.
  p.setBrush(QColor(52, 58, 68));
  p.drawRect(QRectF(38, 50, 20, 8));
  QLinearGradient gold(40, 38, 52, 52);
  gold.setColorAt(0, QColor(255, 214, 92));
  gold.setColorAt(1, QColor(214, 142, 28));
  p.setBrush(gold);
  QPolygonF insert;
  insert << QPointF(46, 35) << QPointF(54, 51) << QPointF(38, 51);
  p.drawPolygon(insert);
  return pixmap;
}

}  // namespace

QIcon TurnbrixIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(Draw(size));
  return icon;
}

}  // namespace tbx
