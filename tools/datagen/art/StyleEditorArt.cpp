// The default style's pictures of the piano roll, the playlist and the
// sample browser (other styles take them from the default style).

#include <QLinearGradient>
#include <QPainterPath>

#include "tools/datagen/art/ArtKit.h"

namespace vs::art {
namespace {

constexpr int Step = 16;
constexpr int Octave = 56;  // 7 white keys of 8 pixels

// Keyboard view: one step column over an octave, off and on. Black keys
// lie in the left 9 pixels around the boundaries of C/D, D/E, F/G, G/A and
// A/B.
QImage PaintKeyboardColumns(const TStylePalette& pal) {
  return FrameStrip(Step, Octave, 2, Qt::black, false, [&](QPainter& p, const QRect& r, int on) {
    const QColor white = on ? QColor(58, 54, 50) : QColor(36, 38, 42);
    const QColor black = on ? QColor(40, 37, 34) : QColor(22, 23, 26);
    p.fillRect(r, white);
    p.setRenderHint(QPainter::Antialiasing, false);
    // White-key lanes (key 0 at the bottom).
    for (int k = 0; k < 7; ++k) {
      const int y = r.bottom() - k * 8;
      p.setPen(k == 0 ? QColor(70, 74, 82) : QColor(28, 30, 33));
      p.drawLine(r.left(), y, r.right(), y);
    }
    // Black keys: 6 pixels centred on the boundaries above C, D, F, G, A.
    for (int boundary : {1, 2, 4, 5, 6}) {
      const int yMid = r.bottom() + 1 - boundary * 8;
      p.fillRect(QRect(r.left(), yMid - 3, 9, 6), black);
    }
    // The column's right edge and, for a step that is on, an amber edge.
    p.setPen(on ? pal.Accent.darker(140) : QColor(18, 19, 21));
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
  });
}

// Note blocks 16 x 8: four shapes (E/B, D/G/A, C/F, black key), off and on.
QImage PaintNoteBlocks(const TStylePalette& pal) {
  return FrameStrip(Step, 8, 8, QColor(18, 19, 21), true, [&](QPainter& p, const QRect& r, int i) {
    const int shape = i % 4;
    const bool on = i >= 4;
    const QColor fill = on ? pal.CellLit : QColor(104, 108, 118);
    QPainterPath path;
    if (shape == 3) {
      path.addRoundedRect(QRectF(r.left() + 0.5, r.top() + 1.5, 8.5, 5), 1.5, 1.5);
    } else {
      // A white key's block with notches where black keys cut in (left part,
      // at the top for C/F/D/G/A, at the bottom for D/G/A/E/B).
      const bool notchTop = shape == 1 || shape == 2;
      const bool notchBottom = shape == 0 || shape == 1;
      QRectF body(r.left() + 0.5, r.top() + 0.5, Step - 1.5, 7);
      path.addRoundedRect(body, 2, 2);
      QPainterPath cut;
      if (notchTop) cut.addRect(QRectF(r.left(), r.top(), 9.5, 3));
      if (notchBottom) cut.addRect(QRectF(r.left(), r.top() + 5, 9.5, 3));
      path = path.subtracted(cut);
    }
    p.setPen(QPen(on ? pal.CellLit.darker(150) : QColor(40, 42, 46), 1));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill.lighter(130));
    g.setColorAt(1, fill.darker(115));
    p.setBrush(g);
    p.drawPath(path);
  });
}

// Synthesizer slide marks: off and on.
QImage PaintSlides() {
  return FrameStrip(Step, Step, 2, Qt::black, false, [&](QPainter& p, const QRect& r, int on) {
    p.fillRect(r, QColor(26, 28, 32));
    p.setPen(QColor(18, 19, 21));
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    const QPointF c = QRectF(r).center();
    p.setPen(QPen(on ? QColor(96, 168, 255) : QColor(62, 66, 74), 2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath s;
    s.moveTo(c + QPointF(-5, 3));
    s.cubicTo(c + QPointF(-1, 3), c + QPointF(1, -3), c + QPointF(5, -3));
    p.drawPath(s);
  });
}

// Playlist: the pattern bullet and the marker sign, 10 x 10.
QImage PaintPlaylistBullets(const TStylePalette& pal) {
  return FrameStrip(10, 10, 2, QColor(16, 17, 19), true, [&](QPainter& p, const QRect& r, int marker) {
    const QRectF box = QRectF(r).adjusted(1, 1, -1, -1);
    p.setPen(Qt::NoPen);
    if (!marker) {
      QLinearGradient g(box.topLeft(), box.bottomLeft());
      g.setColorAt(0, pal.CellLit.lighter(140));
      g.setColorAt(1, pal.CellLit.darker(120));
      p.setBrush(g);
      p.drawRoundedRect(box, 2, 2);
    } else {
      p.setBrush(QColor(255, 70, 50));
      p.drawPolygon(QPolygonF({box.topLeft(), box.bottomLeft(), QPointF(box.right(), box.center().y())}));
    }
  });
}

// Browser item glyphs 10 x 14: folder, sample, song.
QImage PaintBrowserItems(const TStylePalette& pal) {
  return FrameStrip(10, 14, 3, QColor(0, 0, 0), true, [&](QPainter& p, const QRect& r, int kind) {
    const QRectF a = QRectF(r).adjusted(0.5, 2.5, -0.5, -2.5);
    p.setPen(Qt::NoPen);
    if (kind == 0) {
      p.setBrush(QColor(200, 150, 60));
      p.drawRoundedRect(QRectF(a.left(), a.top(), 4.5, 3), 1, 1);
      p.setBrush(QColor(236, 184, 84));
      p.drawRoundedRect(QRectF(a.left(), a.top() + 1.5, a.width(), a.height() - 1.5), 1.2, 1.2);
    } else if (kind == 1) {
      p.setPen(QPen(QColor(110, 230, 190), 1.2, Qt::SolidLine, Qt::RoundCap));
      QPainterPath w;
      const double cy = a.center().y();
      const double ys[] = {0, -3, 3, -4.5, 4, -2, 1.5, 0};
      w.moveTo(a.left(), cy);
      for (int k = 0; k < 8; ++k) w.lineTo(a.left() + (k + 1) * a.width() / 8.0, cy + ys[k]);
      p.drawPath(w);
    } else {
      p.setBrush(pal.Accent);
      p.drawEllipse(QPointF(a.left() + 2.8, a.bottom() - 2), 2.4, 1.9);
      p.drawRect(QRectF(a.left() + 4.4, a.top(), 1.2, a.height() - 2));
      p.drawPolygon(QPolygonF({QPointF(a.left() + 5.6, a.top()), QPointF(a.right(), a.top() + 2.5),
                               QPointF(a.left() + 5.6, a.top() + 3.5)}));
    }
  });
}

QImage PaintBrowserBack() {
  QImage img = NewPicture(64, 64, QColor(8, 8, 9));
  QPainter p(&img);
  for (int y = 0; y < 64; y += 14) {
    p.setPen(QColor(14, 14, 16));
    p.drawLine(0, y + 13, 63, y + 13);
  }
  return img;
}

QImage PaintBrowserStrip(const TStylePalette& pal) {
  QImage img = NewPicture(11, 23, Qt::black);
  QPainter p(&img);
  Smooth(p);
  QLinearGradient g(0, 0, 11, 0);
  g.setColorAt(0, QColor(58, 61, 68));
  g.setColorAt(1, QColor(26, 28, 32));
  p.fillRect(img.rect(), g);
  p.setPen(Qt::NoPen);
  p.setBrush(pal.Accent);
  p.drawPolygon(QPolygonF({QPointF(3.5, 8), QPointF(7.5, 11.5), QPointF(3.5, 15)}));
  p.setPen(pal.EdgeDark);
  p.drawLine(10, 0, 10, 22);
  return img;
}

VS_ART("style-default-editors", [](const TArtContext& c) {
  const TStylePalette pal = DarkPalette();
  const QString folder = QStringLiteral("Styles/Default/");
  bool ok = true;
  auto save = [&](const QImage& image, const char* name) { ok &= c.SaveBmp(image, folder + QLatin1String(name)); };
  save(PaintKeyboardColumns(pal), "Keyb.bmp");
  save(PaintNoteBlocks(pal), "Keyb_Keys.bmp");
  save(PaintSlides(), "404Slide.bmp");
  save(PaintPlaylistBullets(pal), "PLBullet.bmp");
  save(PaintBrowserItems(pal), "SB_Item.bmp");
  save(PaintBrowserBack(), "SB_Back.bmp");
  save(PaintBrowserStrip(pal), "SB_LeftSide.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
