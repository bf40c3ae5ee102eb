// The program's two mouse cursors, under AppPath + "Resources/": "LINE"
// (Ctrl held in a value mode or over the piano window: a step's wheel moves
// the whole row of steps) and "WAVE". Each is 32 x 32 on the key colour,
// drawn without smoothing in white with a black outline as a desktop
// cursor is, so that it stays crisp on any background; the hot spot is the
// centre (15, 15), where the program places it.

#include <QPainterPath>

#include "tools/datagen/art/ArtKit.h"

namespace vs::art {
namespace {

constexpr int Size = 32;
constexpr int Hot = 15;

// A vertical double arrow through the hot spot: the wheel's up and down.
QPainterPath UpDownArrow(int halfHeight) {
  QPainterPath path;
  const qreal c = Hot + 0.5;
  path.moveTo(c, Hot - halfHeight);
  path.lineTo(c + 4, Hot - halfHeight + 5);
  path.lineTo(c + 1.5, Hot - halfHeight + 5);
  path.lineTo(c + 1.5, Hot + halfHeight - 5);
  path.lineTo(c + 4, Hot + halfHeight - 5);
  path.lineTo(c, Hot + halfHeight);
  path.lineTo(c - 4, Hot + halfHeight - 5);
  path.lineTo(c - 1.5, Hot + halfHeight - 5);
  path.lineTo(c - 1.5, Hot - halfHeight + 5);
  path.lineTo(c - 4, Hot - halfHeight + 5);
  path.closeSubpath();
  return path;
}

void Outlined(QPainter& p, const QPainterPath& path) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawPath(path);
}

QImage Cursor(const std::function<void(QPainter&)>& paint) {
  QImage image(Size, Size, QImage::Format_RGB32);
  image.fill(KeyColour);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  paint(p);
  return image;
}

// "LINE": the double arrow over a long bar of step marks, the row that
// moves with it.
QImage LineCursor() {
  return Cursor([](QPainter& p) {
    QPainterPath bar;
    bar.addRect(2, Hot - 1, Size - 5, 3);
    Outlined(p, bar);
    for (int x = 4; x < Size - 3; x += 6) {
      p.setPen(Qt::black);
      p.drawLine(x, Hot - 3, x, Hot + 3);
    }
    Outlined(p, UpDownArrow(11));
  });
}

// "WAVE": the double arrow beside a period of a wave.
QImage WaveCursor() {
  return Cursor([](QPainter& p) {
    Outlined(p, UpDownArrow(11));
    QPainterPath wave;
    wave.moveTo(20, 22);
    wave.cubicTo(22, 12, 25, 12, 26, 17);
    wave.cubicTo(27, 22, 29, 22, 30, 18);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 3));
    p.drawPath(wave);
    p.setPen(QPen(Qt::white, 1));
    p.drawPath(wave);
  });
}

VS_ART("cursors", [](const TArtContext& c) {
  bool ok = c.SaveBmp(LineCursor(), "Resources/LINE.bmp");
  ok &= c.SaveBmp(WaveCursor(), "Resources/WAVE.bmp");
  return ok;
});

}  // namespace
}  // namespace vs::art
