#include "tools/datagen/art/PanelArt.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>
#include <vector>

#include "tools/datagen/art/ArtGen.h"

namespace vs::art {

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void Smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QImage Flatten(const QImage& art, const QColor& behind, bool keyed) {
  const QImage source = art.convertToFormat(QImage::Format_ARGB32);
  QImage out(source.size(), QImage::Format_RGB32);
  for (int y = 0; y < source.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < source.width(); ++x) {
      const int a = qAlpha(in[x]);
      if (a == 0 && keyed) {
        row[x] = KeyColour;
        continue;
      }
      const auto mix = [a](int fg, int bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
      row[x] = qRgb(mix(qRed(in[x]), behind.red()), mix(qGreen(in[x]), behind.green()),
                    mix(qBlue(in[x]), behind.blue()));
      // Art must never produce the key colour by chance.
      if (row[x] == KeyColour) row[x] = qRgb(254, 0, 255);
    }
  }
  return out;
}

QImage Strip(const std::vector<QImage>& frames) {
  if (frames.empty()) return {};
  int width = 0;
  for (const QImage& f : frames) width += f.width();
  QImage strip(width, frames.front().height(), QImage::Format_RGB32);
  strip.fill(Qt::black);
  QPainter p(&strip);
  int x = 0;
  for (const QImage& f : frames) {
    p.drawImage(x, 0, f);
    x += f.width();
  }
  return strip;
}

namespace {

constexpr double Pi = std::numbers::pi;

// The angle (degrees, counter-clockwise from 3 o'clock, as Qt measures
// arcs) of a turn: 225 at the left stop, -45 at the right stop.
double TurnAngle(double turn) { return 225.0 - 270.0 * turn; }

QPointF OnCircle(const QPointF& centre, double radius, double degrees) {
  const double r = degrees * Pi / 180.0;
  return {centre.x() + radius * std::cos(r), centre.y() - radius * std::sin(r)};
}

}  // namespace

void PaintKnob(QPainter& p, const QRectF& box, double turn, bool lit) {
  p.save();
  Smooth(p);
  const QPointF c = box.center();
  const double size = std::min(box.width(), box.height());
  const double outer = size / 2.0;
  const bool small = size < 18;
  const double arcWidth = small ? 1.6 : std::max(2.0, size * 0.085);
  const double arcRadius = outer - arcWidth / 2.0 - 0.4;
  const double capRadius = arcRadius - arcWidth / 2.0 - (small ? 1.0 : size * 0.07);

  // The well the knob sits in.
  QRadialGradient well(c, outer);
  well.setColorAt(0.0, PanelDeep);
  well.setColorAt(0.85, PanelDeep.darker(115));
  well.setColorAt(1.0, QColor(PanelDeep.red(), PanelDeep.green(), PanelDeep.blue(), 0));
  p.setPen(Qt::NoPen);
  p.setBrush(well);
  p.drawEllipse(c, outer, outer);

  // The arc track over the whole sweep, then the value from the left stop.
  const QRectF arcBox(c.x() - arcRadius, c.y() - arcRadius, 2 * arcRadius, 2 * arcRadius);
  QPen track(QColor(0x3A, 0x3D, 0x44), arcWidth, Qt::SolidLine, Qt::FlatCap);
  p.setPen(track);
  p.setBrush(Qt::NoBrush);
  p.drawArc(arcBox, int(225 * 16), int(-270 * 16));
  if (turn > 0.001) {
    QPen value(lit ? Amber : InkDim, arcWidth, Qt::SolidLine, Qt::FlatCap);
    p.setPen(value);
    p.drawArc(arcBox, int(225 * 16), int(std::lround(-270.0 * turn * 16)));
  }

  // The cap: a drop shadow, a knurled rim, a brushed top lit from above.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 120));
  p.drawEllipse(c + QPointF(0, size * 0.03 + 0.3), capRadius + 0.6, capRadius + 0.6);
  QLinearGradient rim(c.x(), c.y() - capRadius, c.x(), c.y() + capRadius);
  rim.setColorAt(0.0, QColor(0x6A, 0x70, 0x7A));
  rim.setColorAt(0.5, QColor(0x34, 0x38, 0x3F));
  rim.setColorAt(1.0, QColor(0x1A, 0x1C, 0x20));
  p.setBrush(rim);
  p.drawEllipse(c, capRadius, capRadius);
  if (!small) {
    // Knurls turning with the cap.
    const int knurls = size >= 22 ? 18 : 12;
    p.setPen(QPen(QColor(0, 0, 0, 70), 0.8));
    for (int i = 0; i < knurls; ++i) {
      const double a = TurnAngle(turn) + 360.0 * i / knurls;
      p.drawLine(OnCircle(c, capRadius - 0.2, a), OnCircle(c, capRadius - size * 0.06, a));
    }
  }
  const double topRadius = capRadius - (small ? 0.9 : size * 0.08);
  QRadialGradient top(c - QPointF(0, topRadius * 0.55), topRadius * 1.6);
  top.setColorAt(0.0, QColor(0x58, 0x5E, 0x67));
  top.setColorAt(0.6, QColor(0x36, 0x3A, 0x41));
  top.setColorAt(1.0, QColor(0x26, 0x29, 0x2E));
  p.setPen(QPen(QColor(0x12, 0x13, 0x16), small ? 0.6 : 0.8));
  p.setBrush(top);
  p.drawEllipse(c, topRadius, topRadius);

  // The pointer: a light line from near the centre to the cap's edge.
  const double a = TurnAngle(turn);
  QPen pointer(small ? QColor(0xF4, 0xF5, 0xF7) : Ink, small ? 1.7 : std::max(1.6, size * 0.075), Qt::SolidLine,
               Qt::RoundCap);
  p.setPen(pointer);
  p.drawLine(OnCircle(c, small ? 0.4 : topRadius * 0.3, a), OnCircle(c, capRadius - (small ? 0.2 : 1.2), a));
  p.restore();
}

QImage KnobStrip(int size, int frames, const QColor& behind, bool keyed) {
  std::vector<QImage> pictures;
  for (int i = 0; i < frames; ++i) {
    QImage art = Canvas(size, size);
    QPainter p(&art);
    PaintKnob(p, QRectF(0, 0, size, size), frames > 1 ? double(i) / (frames - 1) : 0.0);
    p.end();
    pictures.push_back(Flatten(art, behind, keyed));
  }
  return Strip(pictures);
}

void PaintArrow(QPainter& p, const QRectF& box, TArrow direction, const QColor& colour) {
  p.save();
  Smooth(p);
  const QPointF c = box.center();
  const double w = box.width() / 2.0;
  const double h = box.height() / 2.0;
  QPolygonF tri;
  switch (direction) {
    case TArrow::Left: tri << QPointF(c.x() - w, c.y()) << QPointF(c.x() + w, c.y() - h) << QPointF(c.x() + w, c.y() + h); break;
    case TArrow::Right: tri << QPointF(c.x() + w, c.y()) << QPointF(c.x() - w, c.y() - h) << QPointF(c.x() - w, c.y() + h); break;
    case TArrow::Up: tri << QPointF(c.x(), c.y() - h) << QPointF(c.x() + w, c.y() + h) << QPointF(c.x() - w, c.y() + h); break;
    case TArrow::Down: tri << QPointF(c.x(), c.y() + h) << QPointF(c.x() + w, c.y() - h) << QPointF(c.x() - w, c.y() - h); break;
  }
  p.setPen(QPen(colour, 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(colour);
  p.drawPolygon(tri);
  p.restore();
}

void PaintKey(QPainter& p, const QRectF& box, bool lit) {
  p.save();
  Smooth(p);
  const double r = std::min(box.width(), box.height()) * 0.16;
  // The slot the key sits in.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x0C, 0x0D, 0x0F));
  p.drawRoundedRect(box, r + 0.5, r + 0.5);
  const QRectF cap = box.adjusted(1.0, lit ? 1.6 : 1.0, -1.0, lit ? -0.6 : -1.6);
  QLinearGradient face(cap.topLeft(), cap.bottomLeft());
  if (lit) {
    face.setColorAt(0.0, QColor(0x3A, 0x2E, 0x20));
    face.setColorAt(1.0, QColor(0x2A, 0x22, 0x19));
  } else {
    face.setColorAt(0.0, QColor(0x4A, 0x4F, 0x57));
    face.setColorAt(0.12, QColor(0x3B, 0x3F, 0x46));
    face.setColorAt(1.0, QColor(0x25, 0x28, 0x2D));
  }
  p.setBrush(face);
  p.setPen(QPen(lit ? QColor(0x80, 0x55, 0x22) : QColor(0x60, 0x65, 0x6E), 0.8));
  p.drawRoundedRect(cap, r, r);
  if (lit) {
    // The glow of the lamp behind the legend.
    QRadialGradient glow(cap.center(), std::max(cap.width(), cap.height()) * 0.6);
    glow.setColorAt(0.0, QColor(Amber.red(), Amber.green(), Amber.blue(), 90));
    glow.setColorAt(1.0, QColor(Amber.red(), Amber.green(), Amber.blue(), 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(cap, r, r);
  }
  p.restore();
}

void PaintFaderCap(QPainter& p, const QRectF& box, bool vertical, bool enabled, bool lit) {
  Smooth(p);
  const QRectF cap = box.adjusted(0.5, 0.5, -0.5, -0.5);
  const double r = 2.2;
  // Shadow, body with a lit top, a dark outline.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawRoundedRect(cap.translated(0, 0.8), r, r);
  QLinearGradient body(cap.topLeft(), vertical ? cap.bottomLeft() : cap.bottomLeft());
  const int lift = enabled ? 0 : -18;
  body.setColorAt(0.0, QColor(0x6E + lift, 0x74 + lift, 0x7E + lift));
  body.setColorAt(0.45, QColor(0x3F + lift, 0x43 + lift, 0x4A + lift));
  body.setColorAt(1.0, QColor(0x22, 0x24, 0x29));
  p.setBrush(body);
  p.setPen(QPen(QColor(0x0E, 0x0F, 0x11), 0.9));
  p.drawRoundedRect(cap, r, r);
  // Grip ridges either side of the centre line.
  p.setPen(QPen(QColor(0, 0, 0, 90), 0.8));
  const QPointF c = cap.center();
  for (double d : {-3.0, 3.0}) {
    if (vertical) p.drawLine(QPointF(cap.left() + 2.5, c.y() + d), QPointF(cap.right() - 2.5, c.y() + d));
    else p.drawLine(QPointF(c.x() + d, cap.top() + 2.5), QPointF(c.x() + d, cap.bottom() - 2.5));
  }
  // The centre line: amber while enabled.
  p.setPen(QPen(lit ? AmberHot : enabled ? Amber : InkDim, 1.6, Qt::SolidLine, Qt::RoundCap));
  if (vertical) p.drawLine(QPointF(cap.left() + 2.0, c.y()), QPointF(cap.right() - 2.0, c.y()));
  else p.drawLine(QPointF(c.x(), cap.top() + 2.0), QPointF(c.x(), cap.bottom() - 2.0));
}

QFont LabelFont(int pixels) {
  QFont font("DejaVu Sans");
  font.setPixelSize(pixels);
  font.setBold(true);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

}  // namespace vs::art
