// The header pictures: a tile in the kind's colour with a plain symbol on it,
// painted with QPainter at 48 x 48.
#include "plugin/ui/vxPictures.h"

#include <QPainter>
#include <QPainterPath>

#include "core/vxToolsModule.h"

namespace vxPictures {

namespace {

QImage Tile(QColor Top, QColor Bottom) {
  QImage image(PictureSize, PictureSize, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient gradient(0, 0, 0, PictureSize);
  gradient.setColorAt(0, Top);
  gradient.setColorAt(1, Bottom);
  painter.setPen(QPen(Bottom.darker(130), 1));
  painter.setBrush(gradient);
  painter.drawRoundedRect(QRectF(2.5, 2.5, 43, 43), 8, 8);
  return image;
}

QPen Stroke() { return QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// An envelope with an arrow leaving it.
QImage ExportService() {
  QImage image = Tile(QColor(90, 150, 230), QColor(30, 80, 170));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Stroke());
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(9, 15, 22, 18));
  p.drawPolyline(QPolygonF({QPointF(9, 15), QPointF(20, 25), QPointF(31, 15)}));
  p.drawLine(QPointF(30, 36), QPointF(40, 36));
  p.drawPolyline(QPolygonF({QPointF(36, 32), QPointF(40, 36), QPointF(36, 40)}));
  return image;
}

// A door with an arrow through it.
QImage UserExit() {
  QImage image = Tile(QColor(120, 200, 120), QColor(40, 130, 60));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Stroke());
  p.drawPolyline(QPolygonF({QPointF(24, 12), QPointF(12, 12), QPointF(12, 36), QPointF(24, 36)}));
  p.drawLine(QPointF(19, 24), QPointF(37, 24));
  p.drawPolyline(QPolygonF({QPointF(31, 18), QPointF(37, 24), QPointF(31, 30)}));
  return image;
}

// Two arrows turning into each other.
QImage Conversion() {
  QImage image = Tile(QColor(240, 170, 80), QColor(190, 100, 20));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Stroke());
  p.drawArc(QRectF(12, 12, 24, 24), 30 * 16, 150 * 16);
  p.drawArc(QRectF(12, 12, 24, 24), 210 * 16, 150 * 16);
  p.drawPolyline(QPolygonF({QPointF(9, 20), QPointF(13, 25), QPointF(18, 21)}));
  p.drawPolyline(QPolygonF({QPointF(39, 28), QPointF(35, 23), QPointF(30, 27)}));
  return image;
}

// A plug with two pins.
QImage Plugin() {
  QImage image = Tile(QColor(170, 130, 220), QColor(100, 60, 160));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Stroke());
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(14, 18, 20, 14), 3, 3);
  p.drawLine(QPointF(19, 11), QPointF(19, 18));
  p.drawLine(QPointF(29, 11), QPointF(29, 18));
  p.drawLine(QPointF(24, 32), QPointF(24, 39));
  return image;
}

// A magnifying glass over lines of text.
QImage Recognition() {
  QImage image = Tile(QColor(230, 110, 110), QColor(160, 40, 40));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  for (int y = 13; y <= 25; y += 6) p.drawLine(QPointF(10, y), QPointF(30, y));
  p.setPen(Stroke());
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(18, 18, 14, 14));
  p.drawLine(QPointF(30, 30), QPointF(38, 38));
  return image;
}

}  // namespace

QImage LoadPicture(const ustring& Name) {
  if (Name == u"USEREXIT") return UserExit();
  if (Name == u"EXPORTSERVICE") return ExportService();
  if (Name == u"CONVERSION") return Conversion();
  if (Name == u"PLUGIN") return Plugin();
  if (Name == u"RECOGNITION") return Recognition();
  throw EResNotFound(u"Resource " + Name + u" not found");
}

}  // namespace vxPictures
