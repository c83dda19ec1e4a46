#include "host/tree_images.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace talven {
namespace {

constexpr int kSize = 16;

void DrawAuthority(QPainter& p, bool selected) {
  // A round seal with a star.
  p.setPen(QPen(QColor(120, 0, 0), 1));
  p.setBrush(selected ? QColor(235, 40, 40) : QColor(190, 30, 30));
  p.drawEllipse(QRectF(1, 1, 14, 14));
  QPainterPath star;
  const double cx = 8, cy = 8.4, r1 = 5.2, r2 = 2.1;
  for (int i = 0; i < 10; ++i) {
    double a = -M_PI / 2 + i * M_PI / 5;
    double r = (i % 2 == 0) ? r1 : r2;
    QPointF pt(cx + r * std::cos(a), cy + r * std::sin(a));
    if (i == 0) star.moveTo(pt);
    else star.lineTo(pt);
  }
  star.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(selected ? QColor(255, 240, 90) : QColor(240, 200, 40));
  p.drawPath(star);
}

void DrawProvince(QPainter& p, bool selected) {
  // A flag on a pole.
  p.setPen(QPen(QColor(70, 50, 30), 1.2));
  p.drawLine(QPointF(3, 1.5), QPointF(3, 15));
  QPainterPath flag;
  flag.moveTo(3.5, 2);
  flag.cubicTo(7, 0.5, 9, 4, 14.5, 2.5);
  flag.lineTo(14.5, 9);
  flag.cubicTo(9, 10.5, 7, 7, 3.5, 8.5);
  flag.closeSubpath();
  p.setPen(QPen(QColor(20, 90, 20), 1));
  p.setBrush(selected ? QColor(90, 200, 90) : QColor(40, 150, 40));
  p.drawPath(flag);
}

void DrawCity(QPainter& p, bool selected) {
  // Three buildings with windows.
  const QColor wall = selected ? QColor(90, 150, 235) : QColor(50, 100, 190);
  p.setPen(QPen(QColor(20, 40, 90), 1));
  p.setBrush(wall);
  p.drawRect(QRectF(1.5, 6.5, 4, 8));
  p.drawRect(QRectF(5.5, 2.5, 5, 12));
  p.drawRect(QRectF(10.5, 8.5, 4, 6));
  p.setPen(Qt::NoPen);
  p.setBrush(selected ? QColor(255, 250, 170) : QColor(230, 230, 200));
  for (int y = 4; y <= 12; y += 3) {
    p.drawRect(QRectF(6.8, y, 1, 1.5));
    p.drawRect(QRectF(8.6, y, 1, 1.5));
  }
  p.drawRect(QRectF(2.8, 8.5, 1.4, 1.5));
  p.drawRect(QRectF(11.8, 10.5, 1.4, 1.5));
}

void DrawCentre(QPainter& p, bool selected) {
  // A school house with a flag on its roof.
  p.setPen(QPen(QColor(110, 60, 10), 1));
  p.setBrush(selected ? QColor(255, 190, 90) : QColor(225, 150, 50));
  QPolygonF roof;
  roof << QPointF(1, 8) << QPointF(8, 3.5) << QPointF(15, 8);
  p.drawPolygon(roof);
  p.setBrush(selected ? QColor(255, 245, 215) : QColor(240, 225, 190));
  p.drawRect(QRectF(2.5, 8, 11, 6.5));
  p.setBrush(QColor(110, 60, 10));
  p.drawRect(QRectF(7, 10.5, 2, 4));
  p.setPen(QPen(QColor(80, 40, 10), 1));
  p.drawLine(QPointF(8, 3.5), QPointF(8, 0.5));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 30, 30));
  p.drawRect(QRectF(8.3, 0.5, 3, 2));
}

QPixmap Draw(void (*draw)(QPainter&, bool), bool selected) {
  QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  if (selected) {
    // A soft highlight behind the selected picture.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 120, 110));
    p.drawRoundedRect(QRectF(0, 0, kSize, kSize), 3, 3);
  }
  draw(p, selected);
  p.end();
  return QPixmap::fromImage(img);
}

}  // namespace

std::vector<QPixmap> MakeTreeImages() {
  void (*const drawers[4])(QPainter&, bool) = {DrawAuthority, DrawProvince, DrawCity, DrawCentre};
  std::vector<QPixmap> images;
  for (auto* draw : drawers) {
    images.push_back(Draw(draw, true));
    images.push_back(Draw(draw, false));
  }
  return images;
}

}  // namespace talven
