#include "tools/datagen/art/ArtKit.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace vs::art {

namespace {


QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

// A fixed pseudo-random value for a row: the brushing must not change
// between builds.
double RowNoise(int y) {
  uint32_t h = static_cast<uint32_t>(y) * 2654435761u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return (h & 0xFFFF) / 65535.0;
}

}  // namespace

TStylePalette DarkPalette() {
  TStylePalette p;
  p.PanelTop = PanelFace.lighter(122);
  p.PanelBottom = PanelFace.darker(118);
  p.EdgeLight = PanelEdge;
  p.EdgeDark = QColor(0x0C, 0x0D, 0x0F);
  p.Print = Ink;
  p.PrintDim = InkDim;
  p.Accent = Amber;
  p.AccentDim = QColor(70, 52, 30);
  p.Glass = QColor(14, 18, 20);
  p.GlassEdge = QColor(6, 7, 8);
  p.Slot = PanelDeep;
  p.Rack = RackFace;
  p.RackLine = RackFace.darker(120);
  p.Cell = QColor(58, 61, 68);
  p.CellOdd = QColor(74, 70, 64);
  p.CellLit = Amber.lighter(108);
  p.Plate = QColor(0x3B, 0x3F, 0x46);
  p.PlateTop = QColor(0x4A, 0x4F, 0x57);
  return p;
}

TStylePalette LightPalette() {
  TStylePalette p;
  p.Light = true;
  p.PanelTop = QColor(216, 219, 224);
  p.PanelBottom = QColor(176, 180, 188);
  p.EdgeLight = QColor(246, 247, 249);
  p.EdgeDark = QColor(112, 116, 124);
  p.Print = QColor(40, 44, 52);
  p.PrintDim = QColor(92, 96, 104);
  p.Accent = QColor(232, 96, 24);
  p.AccentDim = QColor(150, 128, 116);
  p.Glass = QColor(28, 34, 38);
  p.GlassEdge = QColor(70, 74, 80);
  p.Slot = QColor(70, 74, 80);
  p.Rack = QColor(190, 194, 200);
  p.RackLine = QColor(170, 174, 181);
  p.Cell = QColor(150, 155, 163);
  p.CellOdd = QColor(166, 160, 152);
  p.CellLit = QColor(238, 104, 28);
  p.Plate = QColor(206, 209, 214);
  p.PlateTop = QColor(236, 238, 241);
  return p;
}

QImage NewPicture(int width, int height, const QColor& fill) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

void FillPanel(QPainter& p, const QRect& r, const TStylePalette& pal, int yOrigin) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  for (int y = r.top(); y <= r.bottom(); ++y) {
    const int panelY = y - yOrigin;
    const double t = std::clamp(panelY / 104.0, 0.0, 1.0);
    QColor c = Mix(pal.PanelTop, pal.PanelBottom, t);
    const double n = (RowNoise(panelY + 7919) - 0.5) * (pal.Light ? 7.0 : 5.0);
    c = QColor(std::clamp(c.red() + static_cast<int>(n), 0, 255), std::clamp(c.green() + static_cast<int>(n), 0, 255),
               std::clamp(c.blue() + static_cast<int>(n), 0, 255));
    p.setPen(c);
    p.drawLine(r.left(), y, r.right(), y);
  }
  p.restore();
}

void Bevel(QPainter& p, const QRect& r, const TStylePalette& pal, bool sunken) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor tl = sunken ? pal.EdgeDark : pal.EdgeLight;
  const QColor br = sunken ? pal.EdgeLight : pal.EdgeDark;
  p.setPen(tl);
  p.drawLine(r.left(), r.bottom(), r.left(), r.top());
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.setPen(br);
  p.drawLine(r.right(), r.top() + 1, r.right(), r.bottom());
  p.drawLine(r.left() + 1, r.bottom(), r.right(), r.bottom());
  p.restore();
}

void Recess(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const TStylePalette& pal) {
  p.save();
  // The lit lower lip, the dark shadow, then the window itself.
  p.setPen(Qt::NoPen);
  p.setBrush(pal.EdgeLight);
  p.drawRoundedRect(r.adjusted(-1, -1, 1, 1.6), radius + 1, radius + 1);
  p.setBrush(pal.EdgeDark);
  p.drawRoundedRect(r.adjusted(-1, -1, 1, 0.6), radius + 1, radius + 1);
  p.setBrush(fill);
  p.drawRoundedRect(r, radius, radius);
  // A faint sheen along the top of the glass.
  QLinearGradient sheen(r.topLeft(), r.bottomLeft());
  sheen.setColorAt(0.0, QColor(255, 255, 255, pal.Light ? 22 : 14));
  sheen.setColorAt(0.35, QColor(255, 255, 255, 0));
  p.setBrush(sheen);
  p.drawRoundedRect(r, radius, radius);
  p.restore();
}

void Print(QPainter& p, const QRectF& r, const QString& text, int pixelSize, const TStylePalette& pal, int flags,
           bool bold, const QColor* colour) {
  p.save();
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  // Whole pixels for small print: a fraction, rounded glyph by glyph under
  // full hinting, spaces the letters of a short word unevenly.
  f.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize <= 8 ? 1.0 : 0.3);
  f.setHintingPreference(QFont::PreferFullHinting);
  p.setFont(f);
  // Relief: dark panels print with a shadow above, light ones with a
  // highlight below.
  p.setPen(pal.Light ? QColor(255, 255, 255, 150) : QColor(0, 0, 0, 150));
  p.drawText(r.translated(0, pal.Light ? 1 : -1), flags, text);
  p.setPen(colour ? *colour : pal.Print);
  p.drawText(r, flags, text);
  p.restore();
}

void Screw(QPainter& p, QPointF c, const TStylePalette& pal, qreal radius) {
  const qreal k = radius / 3.2;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(pal.EdgeDark);
  p.drawEllipse(c, radius, radius);
  QRadialGradient g(c - QPointF(k, k), 3.5 * k);
  g.setColorAt(0, pal.PlateTop.lighter(120));
  g.setColorAt(1, pal.Plate.darker(120));
  p.setBrush(g);
  p.drawEllipse(c, 2.6 * k, 2.6 * k);
  p.setPen(QPen(pal.EdgeDark, 0.9 * k));
  p.drawLine(c + QPointF(-1.7 * k, 1.0 * k), c + QPointF(1.7 * k, -1.0 * k));
  p.restore();
}

void Lamp(QPainter& p, const QPointF& c, qreal radius, const QColor& colour, bool lit, const TStylePalette& pal) {
  p.save();
  p.setPen(Qt::NoPen);
  // Socket.
  p.setBrush(pal.EdgeDark);
  p.drawEllipse(c, radius + 1, radius + 1);
  if (lit) {
    QRadialGradient glow(c, radius * 1.0, c - QPointF(radius * 0.3, radius * 0.3));
    glow.setColorAt(0.0, colour.lighter(170));
    glow.setColorAt(0.45, colour);
    glow.setColorAt(1.0, colour.darker(150));
    p.setBrush(glow);
  } else {
    QRadialGradient dark(c, radius, c - QPointF(radius * 0.3, radius * 0.3));
    const QColor off = Mix(colour, pal.Light ? QColor(90, 90, 90) : QColor(20, 20, 20), 0.78);
    dark.setColorAt(0.0, off.lighter(140));
    dark.setColorAt(1.0, off.darker(130));
    p.setBrush(dark);
  }
  p.drawEllipse(c, radius, radius);
  // Specular dot.
  p.setBrush(QColor(255, 255, 255, lit ? 150 : 60));
  p.drawEllipse(c - QPointF(radius * 0.35, radius * 0.35), radius * 0.28, radius * 0.28);
  p.restore();
}

void Plate(QPainter& p, const QRectF& r, qreal radius, const TStylePalette& pal, bool pressed, const QColor& glow) {
  p.save();
  p.setPen(Qt::NoPen);
  // Drop shadow / outline.
  p.setBrush(pal.EdgeDark);
  p.drawRoundedRect(r, radius, radius);
  const QRectF face = r.adjusted(1, 1, -1, -1);
  QLinearGradient g(face.topLeft(), face.bottomLeft());
  if (pressed) {
    g.setColorAt(0.0, pal.Plate.darker(125));
    g.setColorAt(1.0, pal.Plate.darker(105));
  } else {
    g.setColorAt(0.0, pal.PlateTop);
    g.setColorAt(1.0, pal.Plate.darker(112));
  }
  p.setBrush(g);
  p.drawRoundedRect(face, std::max<qreal>(0, radius - 1), std::max<qreal>(0, radius - 1));
  if (!pressed) {
    // Highlight along the top edge.
    p.setPen(QPen(QColor(255, 255, 255, pal.Light ? 170 : 46), 1));
    p.drawLine(QPointF(face.left() + radius, face.top() + 0.5), QPointF(face.right() - radius, face.top() + 0.5));
  }
  if (glow.isValid()) {
    QLinearGradient lg(face.topLeft(), face.bottomLeft());
    QColor a = glow;
    a.setAlpha(pressed ? 90 : 60);
    lg.setColorAt(0.0, a);
    a.setAlpha(0);
    lg.setColorAt(1.0, a);
    p.setPen(Qt::NoPen);
    p.setBrush(lg);
    p.drawRoundedRect(face, std::max<qreal>(0, radius - 1), std::max<qreal>(0, radius - 1));
  }
  p.restore();
}

void SevenSegment(QPainter& p, const QRectF& r, int digit, const QColor& lit, const QColor& dark) {
  // Segments a..g as bits 0..6.
  static const int masks[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  const int mask = digit >= 0 && digit <= 9 ? masks[digit] : 0;
  const double w = r.width(), h = r.height();
  const double t = std::max(1.6, w * 0.17);  // segment thickness
  const double skew = w * 0.10;               // italic lean
  auto at = [&](double x, double y) {
    // y from 0 (top) to 1 (bottom): lean to the right at the top.
    return QPointF(r.left() + x + skew * (1.0 - y / h), r.top() + y);
  };
  auto horizontal = [&](double y) {
    QPolygonF s;
    const double x0 = t * 0.55, x1 = w - skew - t * 0.55;
    s << at(x0, y) << at(x0 + t / 2, y - t / 2) << at(x1 - t / 2, y - t / 2) << at(x1, y) << at(x1 - t / 2, y + t / 2)
      << at(x0 + t / 2, y + t / 2);
    return s;
  };
  auto vertical = [&](double x, double y0, double y1) {
    QPolygonF s;
    s << at(x, y0) << at(x + t / 2, y0 + t / 2) << at(x + t / 2, y1 - t / 2) << at(x, y1) << at(x - t / 2, y1 - t / 2)
      << at(x - t / 2, y0 + t / 2);
    return s;
  };
  const double left = t * 0.55, right = w - skew - t * 0.55;
  const double top = t * 0.55, mid = h / 2.0, bottom = h - t * 0.55;
  const QPolygonF segments[7] = {
      horizontal(top),                        // a
      vertical(right, top + 0.6, mid - 0.6),  // b
      vertical(right, mid + 0.6, bottom - 0.6),
      horizontal(bottom),                     // d
      vertical(left, mid + 0.6, bottom - 0.6),
      vertical(left, top + 0.6, mid - 0.6),   // f
      horizontal(mid),                        // g
  };
  p.save();
  p.setPen(Qt::NoPen);
  for (int s = 0; s < 7; ++s) {
    const bool on = (mask >> s) & 1;
    if (on) {
      // Glow under the lit segment.
      QColor halo = lit;
      halo.setAlpha(60);
      p.setPen(QPen(halo, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPolygon(segments[s]);
      p.setPen(Qt::NoPen);
    }
    p.setBrush(on ? lit : dark);
    p.drawPolygon(segments[s]);
  }
  p.restore();
}

QImage FrameStrip(int frameWidth, int height, int frames, const QColor& behind, bool keyed,
                  const std::function<void(QPainter&, const QRect&, int)>& paint) {
  QImage strip = Canvas(frameWidth * frames, height);
  {
    QPainter p(&strip);
    Smooth(p);
    for (int i = 0; i < frames; ++i) {
      const QRect frame(i * frameWidth, 0, frameWidth, height);
      p.save();
      p.setClipRect(frame);
      paint(p, frame, i);
      p.restore();
    }
  }
  return Flatten(strip, behind, keyed);
}

}  // namespace vs::art
