// The default style's button glyphs: two frames each, frame 0 the key at
// rest and frame 1 pressed in and lit (the down look, and the lit end of a
// fade), opaque over the panel face: "PlayBtn.bmp" (play), "LoopBtn.bmp"
// (song mode), "ScopeMute.bmp" (scope on) and the pattern pad "PatPad.bmp",
// whose left half is the 3 x 3 pad at rest and right half the same pad lit
// (patterns 7, 8, 9 on the top row, as on a keypad).

#include <QPainterPath>
#include <cmath>

#include "tools/datagen/art/ArtGen.h"
#include "tools/datagen/art/PanelArt.h"

namespace vs::art {
namespace {

// Paints a key in each of two frames of w x h with legend() drawn on it in
// the colour of its state.
template <class Legend>
QImage KeyPair(int w, int h, Legend legend) {
  QImage art = Canvas(2 * w, h);
  QPainter p(&art);
  for (int lit = 0; lit < 2; ++lit) {
    const QRectF box(lit * w + 0.5, 0.5, w - 1.0, h - 1.0);
    PaintKey(p, box, lit == 1);
    legend(p, box.adjusted(0, lit ? 0.6 : -0.5, 0, lit ? 0.6 : -0.5), lit == 1 ? Amber : Ink);
  }
  p.end();
  return Flatten(art, PanelFace, false);
}

void Text(QPainter& p, const QRectF& box, const QString& text, const QColor& colour, int pixels) {
  p.setFont(LabelFont(pixels));
  p.setPen(colour);
  p.drawText(box, Qt::AlignCenter, text);
}

QImage PlayButton() {
  return KeyPair(40, 26, [](QPainter& p, const QRectF& box, const QColor& ink) {
    PaintArrow(p, QRectF(box.center().x() - 4.5, box.center().y() - 5.5, 10, 11), TArrow::Right, ink);
  });
}

QImage LoopButton() {
  return KeyPair(40, 26, [](QPainter& p, const QRectF& box, const QColor& ink) { Text(p, box, "SONG", ink, 9); });
}

QImage ScopeButton() {
  return KeyPair(22, 18, [](QPainter& p, const QRectF& box, const QColor& ink) {
    // One period of a sine across the key.
    QPainterPath wave;
    const QPointF c = box.center();
    for (int i = 0; i <= 24; ++i) {
      const double x = c.x() - 6 + 12.0 * i / 24;
      const double y = c.y() - 3.2 * std::sin(2 * 3.14159265 * i / 24);
      if (i == 0) wave.moveTo(x, y);
      else wave.lineTo(x, y);
    }
    Smooth(p);
    p.setPen(QPen(ink, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
  });
}

QImage PatternPad() {
  constexpr int cellW = 15;
  constexpr int cellH = 13;
  QImage art = Canvas(6 * cellW, 3 * cellH);
  QPainter p(&art);
  for (int lit = 0; lit < 2; ++lit)
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) {
        const QRectF box(lit * 3 * cellW + col * cellW + 0.5, row * cellH + 0.5, cellW - 1.0, cellH - 1.0);
        PaintKey(p, box, lit == 1);
        Text(p, box.adjusted(0, lit ? 0.6 : -0.5, 0, lit ? 0.6 : -0.5), QString::number((2 - row) * 3 + col + 1),
             lit ? Amber : Ink, 8);
      }
  p.end();
  return Flatten(art, PanelFace, false);
}

VS_ART("buttons", [](const TArtContext& c) {
  bool ok = c.SaveBmp(PlayButton(), "Styles/Default/PlayBtn.bmp");
  ok &= c.SaveBmp(LoopButton(), "Styles/Default/LoopBtn.bmp");
  ok &= c.SaveBmp(ScopeButton(), "Styles/Default/ScopeMute.bmp");
  ok &= c.SaveBmp(PatternPad(), "Styles/Default/PatPad.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
