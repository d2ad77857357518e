#include "app/window_icon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace zarvo {
namespace {

// One image of the icon, drawn on a grid of `side` pixels.
QPixmap DrawIcon(int side) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(side / 48.0, side / 48.0);

  painter.setPen(QPen(QColor(0x1B, 0x5E, 0x20), 2));
  painter.setBrush(QColor(0x43, 0xA0, 0x47));
  painter.drawEllipse(QRectF(2, 2, 44, 44));

  painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(27, 27), QPointF(37, 37));
  painter.setPen(QPen(Qt::white, 4));
  painter.setBrush(QColor(0xC8, 0xE6, 0xC9));
  painter.drawEllipse(QRectF(10, 10, 19, 19));
  painter.end();
  return QPixmap::fromImage(image);
}

}  // namespace

QIcon WindowIcon() {
  QIcon icon;
  icon.addPixmap(DrawIcon(32));
  icon.addPixmap(DrawIcon(48));
  return icon;
}

}  // namespace zarvo
