// The controls' own default pictures, under AppPath + "Resources/": the
// number bar's arrows ("NumB"), the slider knobs ("SKnobH" for horizontal,
// "SKnob" for vertical sliders), the spin arrows ("PickNum") and the
// up-down arrows ("MeroUpDown"). Each is a strip of two frames whose
// top-left pixel is the key colour.

#include <QLinearGradient>

#include "tools/datagen/art/ArtGen.h"
#include "tools/datagen/art/PanelArt.h"

namespace vs::art {
namespace {

// Two arrows side by side, each frame w x h, the arrow inset by the margins.
QImage ArrowPair(int w, int h, TArrow first, TArrow second, const QColor& ink, const QColor& behind,
                 double insetX, double insetY) {
  QImage art = Canvas(2 * w, h);
  QPainter p(&art);
  const QRectF box(insetX, insetY, w - 2 * insetX, h - 2 * insetY);
  PaintArrow(p, box, first, ink);
  PaintArrow(p, box.translated(w, 0), second, ink);
  p.end();
  return Flatten(art, behind, true);
}

// A fader cap of w x h with its grip line across the direction of travel;
// vertical = the knob of a vertical slider (the line runs across it).
void PaintFaderCap(QPainter& p, const QRectF& box, bool vertical, bool enabled) {
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
  p.setPen(QPen(enabled ? Amber : InkDim, 1.6, Qt::SolidLine, Qt::RoundCap));
  if (vertical) p.drawLine(QPointF(cap.left() + 2.0, c.y()), QPointF(cap.right() - 2.0, c.y()));
  else p.drawLine(QPointF(c.x(), cap.top() + 2.0), QPointF(c.x(), cap.bottom() - 2.0));
}

QImage FaderKnob(int w, int h, bool vertical) {
  QImage art = Canvas(2 * w, h);
  QPainter p(&art);
  PaintFaderCap(p, QRectF(0, 0, w, h), vertical, true);
  PaintFaderCap(p, QRectF(w, 0, w, h), vertical, false);
  p.end();
  return Flatten(art, PanelFace, true);
}

VS_ART("control-resources", [](const TArtContext& c) {
  bool ok = c.SaveBmp(ArrowPair(9, 9, TArrow::Left, TArrow::Right, Ink, PanelFace, 2.0, 1.0), "Resources/NumB.bmp");
  ok &= c.SaveBmp(FaderKnob(12, 22, false), "Resources/SKnobH.bmp");
  ok &= c.SaveBmp(FaderKnob(22, 12, true), "Resources/SKnob.bmp");
  ok &= c.SaveBmp(ArrowPair(9, 5, TArrow::Up, TArrow::Down, QColor(0x1E, 0x20, 0x24), Silver, 1.0, 0.5),
                  "Resources/PickNum.bmp");
  ok &= c.SaveBmp(ArrowPair(8, 5, TArrow::Up, TArrow::Down, QColor(0x1E, 0x20, 0x24), BevelGrey, 0.5, 0.5),
                  "Resources/MeroUpDown.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
