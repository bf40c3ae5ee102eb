#pragma once
// The styles' drawing helpers, over the instrument's look (PanelArt.h):
// the colours of a style, panel surfaces, printed labels, recesses, lamps,
// plates, seven-segment digits and strips of painted frames.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <functional>

#include "tools/datagen/art/ArtGen.h"
#include "tools/datagen/art/PanelArt.h"

namespace vs::art {

// The colours of one style.
struct TStylePalette {
  bool Light = false;
  QColor PanelTop, PanelBottom;    // panel surface, top to bottom
  QColor EdgeLight, EdgeDark;      // bevel highlight and shadow
  QColor Print, PrintDim;          // printed labels
  QColor Accent, AccentDim;        // lit lamps (amber) and their dark state
  QColor Glass, GlassEdge;         // screens: displays, scope
  QColor Slot;                     // slider slots, grooves
  QColor Rack, RackLine;           // the channel rack's background
  QColor Cell, CellOdd, CellLit;   // step cells
  QColor Plate, PlateTop;          // buttons' plates
};

TStylePalette DarkPalette();
TStylePalette LightPalette();

// An opaque picture of the given size filled with a colour.
QImage NewPicture(int width, int height, const QColor& fill);

// The panel surface over a rectangle: a vertical gradient with faint
// horizontal brushing that depends on y only, so that any part of it cut out
// at the same height looks the same.
void FillPanel(QPainter& p, const QRect& r, const TStylePalette& pal, int yOrigin = 0);
// A raised (or sunken) edge of one pixel around r.
void Bevel(QPainter& p, const QRect& r, const TStylePalette& pal, bool sunken);
// A recessed window (screen, slot) with rounded corners.
void Recess(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const TStylePalette& pal);
// Printed text, with a faint one-pixel relief.
void Print(QPainter& p, const QRectF& r, const QString& text, int pixelSize, const TStylePalette& pal,
           int flags = Qt::AlignCenter, bool bold = true, const QColor* colour = nullptr);
// A panel screw of a radius (its slot at a slant).
void Screw(QPainter& p, QPointF c, const TStylePalette& pal, qreal radius = 3.2);
// A round lamp; lit with a glow.
void Lamp(QPainter& p, const QPointF& c, qreal radius, const QColor& colour, bool lit, const TStylePalette& pal);
// A rounded plate (button face), pressed or not, optionally lit along its
// top edge in the given colour.
void Plate(QPainter& p, const QRectF& r, qreal radius, const TStylePalette& pal, bool pressed,
           const QColor& glow = QColor());
// A seven-segment digit (0..9; -1: every segment dark) in r.
void SevenSegment(QPainter& p, const QRectF& r, int digit, const QColor& lit, const QColor& dark);

// A strip of frames side by side, each drawn by paint(painter, frame rect,
// frame index) on transparency and laid over behind, keyed or not.
QImage FrameStrip(int frameWidth, int height, int frames, const QColor& behind, bool keyed,
                  const std::function<void(QPainter&, const QRect&, int)>& paint);

}  // namespace vs::art
