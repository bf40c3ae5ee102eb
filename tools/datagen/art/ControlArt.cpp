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
  ok &= c.SaveBmp(ArrowPair(9, 5, TArrow::Up, TArrow::Down, Ink, SpinFace, 1.0, 0.5),
                  "Resources/PickNum.bmp");
  ok &= c.SaveBmp(ArrowPair(8, 5, TArrow::Up, TArrow::Down, QColor(0x1E, 0x20, 0x24), BevelGrey, 0.5, 0.5),
                  "Resources/MeroUpDown.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
