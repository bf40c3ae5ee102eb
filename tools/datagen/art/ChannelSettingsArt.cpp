// The channel settings window's own pictures, under AppPath + "Resources/":
// the pads of its pickers (effect route: bus b runs effect track b + 1, so
// its cells are named as those tracks, reverb type and the synthesizer's
// shapes, filter, distortion and LFO choices; each the pad at rest beside
// the pad lit), the two buttons of its caption bar, and the favourites
// row's folder pictures of the open dialog.

#include <QLinearGradient>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/datagen/art/ArtGen.h"
#include "tools/datagen/art/PanelArt.h"

namespace vs::art {
namespace {

using TCellPainter = std::function<void(QPainter&, const QRectF& cell, int index, const QColor& ink)>;

// A picker's pad: cols x rows cells of w x h, at rest (left half) and lit
// (right half), on the panel face.
QImage PickerPad(int cols, int rows, int w, int h, const TCellPainter& paint) {
  QImage art = Canvas(2 * cols * w, rows * h);
  QPainter p(&art);
  Smooth(p);
  for (int half = 0; half < 2; ++half)
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        const QRectF cell(half * cols * w + c * w + 1.5, r * h + 1.5, w - 3, h - 3);
        const bool lit = half == 1;
        QLinearGradient face(cell.topLeft(), cell.bottomLeft());
        face.setColorAt(0, lit ? QColor(0x4A, 0x38, 0x22) : QColor(0x26, 0x29, 0x2E));
        face.setColorAt(1, lit ? QColor(0x33, 0x27, 0x18) : QColor(0x1B, 0x1D, 0x21));
        p.setPen(QPen(lit ? QColor(0xA0, 0x66, 0x24) : QColor(0x10, 0x11, 0x14), 1));
        p.setBrush(face);
        p.drawRoundedRect(cell, 2.5, 2.5);
        if (!lit) {  // a faint lit edge along the top of a cell at rest
          p.setPen(QPen(QColor(0x3A, 0x3E, 0x45), 1));
          p.drawLine(QPointF(cell.left() + 2.5, cell.top() + 1), QPointF(cell.right() - 2.5, cell.top() + 1));
        }
        paint(p, cell, r * cols + c, lit ? AmberHot : InkDim.lighter(135));
      }
  p.end();
  return Flatten(art, PanelFace, false);
}

void Caption(QPainter& p, const QRectF& cell, const QString& text, const QColor& ink, int pixels = 8) {
  p.setFont(LabelFont(pixels));
  p.setPen(ink);
  p.drawText(cell, Qt::AlignCenter, text);
}

TCellPainter Captions(std::vector<QString> texts, int pixels = 8) {
  return [texts, pixels](QPainter& p, const QRectF& cell, int i, const QColor& ink) {
    Caption(p, cell, texts[size_t(i)], ink, pixels);
  };
}

// A small wave drawn through the cell: f(t) for t in 0..1 gives -1..1.
void Wave(QPainter& p, const QRectF& cell, const QColor& ink, const std::function<double(double)>& f, int points = 48) {
  const QRectF box = cell.adjusted(3.5, 3.5, -3.5, -3.5);
  QPainterPath path;
  for (int i = 0; i <= points; ++i) {
    const double t = double(i) / points;
    const QPointF at(box.left() + t * box.width(), box.center().y() - f(t) * box.height() / 2);
    if (i == 0)
      path.moveTo(at);
    else
      path.lineTo(at);
  }
  p.setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

double Saw(double t) { return 1 - 2 * std::fmod(t * 2, 1.0); }
double Pulse(double t) { return std::fmod(t * 2, 1.0) < 0.35 ? 1 : -1; }
double Triangle(double t) { return 1 - 4 * std::fabs(std::fmod(t * 2 + 0.25, 1.0) - 0.5); }
double Sine(double t) { return std::sin(t * 4 * M_PI); }
double Square(double t) { return std::fmod(t * 2, 1.0) < 0.5 ? 1 : -1; }
double Noise(double t) {
  const double k = std::sin(t * 917.3) * 43758.5453;
  return 2 * (k - std::floor(k)) - 1;
}

// The oscillators' shapes as the synthesizer knows them: saw, pulse,
// triangle, sine, noise.
QImage OscShapes() {
  return PickerPad(5, 1, 20, 16, [](QPainter& p, const QRectF& cell, int i, const QColor& ink) {
    const std::function<double(double)> shapes[] = {Saw, Pulse, Triangle, Sine, Noise};
    Wave(p, cell, ink, shapes[i], i == 4 ? 18 : 48);
  });
}

// The LFO's shapes, two by two: sine, triangle, square, falling saw.
QImage LfoShapes() {
  return PickerPad(2, 2, 22, 16, [](QPainter& p, const QRectF& cell, int i, const QColor& ink) {
    const std::function<double(double)> shapes[] = {Sine, Triangle, Square, Saw};
    Wave(p, cell, ink, shapes[i]);
  });
}

// The distortion's curves: soft saturation, hard clip, fold-back.
QImage DistTypes() {
  return PickerPad(3, 1, 22, 16, [](QPainter& p, const QRectF& cell, int i, const QColor& ink) {
    const std::function<double(double)> curves[] = {
        [](double t) { return std::tanh((t * 2 - 1) * 2.5); },
        [](double t) { return std::clamp((t * 2 - 1) * 2.2, -1.0, 1.0); },
        [](double t) { return std::sin((t * 2 - 1) * 3.6); }};
    Wave(p, cell, ink, curves[i]);
  });
}

// The two caption buttons of the channel settings window, 14 x 12 each:
// close (at rest, pressed), menu (at rest, pressed).
QImage CaptionButtons() {
  const int w = 14, h = 12;
  QImage art = Canvas(4 * w, h);
  QPainter p(&art);
  Smooth(p);
  for (int i = 0; i < 4; ++i) {
    const QRectF box(i * w + 1, 1, w - 2, h - 2);
    const bool pressed = i % 2 == 1;
    QLinearGradient face(box.topLeft(), box.bottomLeft());
    face.setColorAt(0, pressed ? QColor(0x8A, 0x8E, 0x95) : QColor(0xFA, 0xFA, 0xFB));
    face.setColorAt(1, pressed ? QColor(0xB8, 0xBC, 0xC2) : QColor(0xC6, 0xC9, 0xCE));
    p.setPen(QPen(QColor(0x5A, 0x5E, 0x66), 1));
    p.setBrush(face);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    const QPointF c = box.center() + (pressed ? QPointF(0.5, 0.5) : QPointF());
    p.setPen(QPen(QColor(0x22, 0x24, 0x28), 1.5, Qt::SolidLine, Qt::RoundCap));
    if (i < 2) {
      p.drawLine(c + QPointF(-2.5, -2.5), c + QPointF(2.5, 2.5));
      p.drawLine(c + QPointF(-2.5, 2.5), c + QPointF(2.5, -2.5));
    } else {
      for (int k = -1; k <= 1; ++k) p.drawLine(c + QPointF(-3, k * 2.5), c + QPointF(3, k * 2.5));
    }
  }
  p.end();
  // Keyed: the caption bar shows around them.
  return Flatten(art, QColor(0xEF, 0xEF, 0xEF), true);
}

// A folder of 16 x 16 in a colour.
void Folder(QPainter& p, const QRectF& at, const QColor& colour) {
  p.setPen(QPen(colour.darker(170), 1));
  p.setBrush(colour.darker(120));
  p.drawRoundedRect(QRectF(at.left() + 1.5, at.top() + 3.5, 6, 3), 1, 1);
  QLinearGradient g(at.topLeft(), at.bottomLeft());
  g.setColorAt(0, colour.lighter(115));
  g.setColorAt(1, colour.darker(110));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(at.left() + 1.5, at.top() + 5.5, 13, 9), 1.5, 1.5);
}

void Star(QPainter& p, const QPointF& c, double r, const QColor& colour) {
  QPolygonF star;
  for (int k = 0; k < 10; ++k) {
    const double a = -M_PI / 2 + k * M_PI / 5;
    const double rr = k % 2 ? r * 0.45 : r;
    star << c + QPointF(std::cos(a) * rr, std::sin(a) * rr);
  }
  p.setPen(QPen(colour.darker(180), 0.8));
  p.setBrush(colour);
  p.drawPolygon(star);
}

// The add button's glyph (a folder with a star; enabled, disabled).
QImage FavoriteFolder() {
  QImage art = Canvas(32, 16);
  QPainter p(&art);
  Smooth(p);
  Folder(p, QRectF(0, 0, 16, 16), QColor(0xE8, 0xB0, 0x48));
  Star(p, QPointF(11.5, 11), 4.2, Amber);
  Folder(p, QRectF(16, 0, 16, 16), QColor(0x80, 0x80, 0x84));
  Star(p, QPointF(27.5, 11), 4.2, QColor(0xA8, 0xA8, 0xAC));
  p.end();
  return Flatten(art, QColor(0xEF, 0xEF, 0xEF), true);
}

// The mark laid over a favourite's folder icon.
QImage FavoriteOverlay() {
  QImage art = Canvas(16, 16);
  QPainter p(&art);
  Smooth(p);
  Star(p, QPointF(11.5, 11.5), 4.3, Amber);
  p.end();
  return Flatten(art, QColor(0xEF, 0xEF, 0xEF), true);
}

// A favourite whose folder has gone: a grey folder struck out.
QImage MissingFolder() {
  QImage art = Canvas(16, 16);
  QPainter p(&art);
  Smooth(p);
  Folder(p, QRectF(0, 0, 16, 16), QColor(0x9A, 0x9A, 0x9E));
  p.setPen(QPen(QColor(0xD8, 0x3A, 0x2E), 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(4, 5), QPointF(13, 14));
  p.drawLine(QPointF(4, 14), QPointF(13, 5));
  p.end();
  return Flatten(art, QColor(0xEF, 0xEF, 0xEF), true);
}

VS_ART("channel-settings", [](const TArtContext& c) {
  bool ok = c.SaveBmp(PickerPad(1, 4, 40, 12, Captions({"FX 1", "FX 2", "FX 3", "FX 4"})), "Resources/FXRoute.bmp");
  ok &= c.SaveBmp(PickerPad(2, 1, 22, 16, Captions({"A", "B"}, 9)), "Resources/RevType.bmp");
  ok &= c.SaveBmp(OscShapes(), "Resources/OscShape.bmp");
  ok &= c.SaveBmp(PickerPad(2, 1, 26, 16, Captions({"24dB", "12dB"}, 7)), "Resources/FilterType.bmp");
  ok &= c.SaveBmp(DistTypes(), "Resources/DistType.bmp");
  ok &= c.SaveBmp(PickerPad(4, 1, 24, 16, Captions({"PIT", "PW", "CUT", "AMP"}, 7)), "Resources/LFOTarget.bmp");
  ok &= c.SaveBmp(LfoShapes(), "Resources/LFOShape.bmp");
  ok &= c.SaveBmp(CaptionButtons(), "Resources/ChanSetBtns.bmp");
  ok &= c.SaveBmp(FavoriteFolder(), "Resources/FavFold.bmp");
  ok &= c.SaveBmp(FavoriteOverlay(), "Resources/FavOvl.bmp");
  ok &= c.SaveBmp(MissingFolder(), "Resources/FavNoFold.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
