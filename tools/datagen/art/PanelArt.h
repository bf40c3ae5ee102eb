#pragma once
// The look of the instrument, shared by every family of pictures: the panel
// colours, knobs, arrows and lit keys, drawn anti-aliased, and the step that
// turns anti-aliased art into a bitmap with the key colour.
//
// Art is drawn on a transparent ARGB picture, then Flatten lays it over the
// colour it will sit on: what stays fully transparent becomes the key colour
// (or that colour, for opaque pictures), half-covered edge pixels are mixed
// with it, so that edges stay smooth without a fringe of key colour.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QFont>
#include <QString>
#include <vector>

namespace vs::art {

// The panel and its inks.
inline const QColor PanelFace{0x2B, 0x2E, 0x33};    // = the controls' button face
inline const QColor PanelDeep{0x16, 0x17, 0x1A};    // recesses, wells
inline const QColor PanelEdge{0x5C, 0x61, 0x6A};    // lit edges
inline const QColor Ink{0xD9, 0xDC, 0xE1};          // labels, pointers
inline const QColor InkDim{0x74, 0x78, 0x80};       // disabled marks
inline const QColor Amber{0xF2, 0x9A, 0x2E};        // lit lamps, value arcs
inline const QColor AmberHot{0xFF, 0xD2, 0x8A};     // the lamp's bright centre
inline const QColor SpinFace{0x46, 0x4B, 0x51};     // face of the spin arrows
inline const QColor BevelGrey{0xA0, 0xA0, 0xA0};    // face of the up-down zones
inline const QColor RackFace{0x26, 0x28, 0x2D};     // the channel rack behind the rows

// A transparent ARGB picture to draw on, with an anti-aliasing painter.
QImage Canvas(int width, int height);
void Smooth(QPainter& p);

// Lays art over behind; fully transparent pixels become the key colour when
// keyed, else behind.
QImage Flatten(const QImage& art, const QColor& behind, bool keyed);

// Pictures side by side in one strip (all of the first's height).
QImage Strip(const std::vector<QImage>& frames);

// A rotary knob in box at turn (0 = fully left, 1 = fully right, a sweep
// of 270 degrees): a recessed well, the value arc from the left stop, the
// knurled cap and its pointer. lit = the arc in amber (else grey).
void PaintKnob(QPainter& p, const QRectF& box, double turn, bool lit = true);
// frames pictures of a size x size knob turning from left to right, laid
// over behind (keyed: what lies outside the knob is the key colour).
QImage KnobStrip(int size, int frames, const QColor& behind = PanelFace, bool keyed = false);

enum class TArrow { Left, Right, Up, Down };
// A filled, slightly rounded triangle pointing one way, centred in box.
void PaintArrow(QPainter& p, const QRectF& box, TArrow direction, const QColor& colour);

// A hardware key in box: a raised dark cap, or pressed in and lit (its
// legend and an amber glow). The legend is painted by the caller.
void PaintKey(QPainter& p, const QRectF& box, bool lit);

// A fader cap in box with its grip line across the direction of travel;
// vertical = the knob of a vertical slider. Lit: the line in amber (the
// cap being dragged), else in ink when enabled and dim when not.
void PaintFaderCap(QPainter& p, const QRectF& box, bool vertical, bool enabled, bool lit = false);

// A bold label font of a pixel size.
QFont LabelFont(int pixels);

}  // namespace vs::art
