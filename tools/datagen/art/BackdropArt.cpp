// The program's own backdrop ("Artwork/Back.bmp"): a dark, tileable
// surface of perforated metal, so that the window behind the program reads
// as the rack it stands in.

#include <QPainter>
#include <QRadialGradient>
#include <random>

#include "tools/datagen/art/ArtKit.h"

namespace vs::art {
namespace {

constexpr int Tile = 192;
constexpr int Pitch = 16;  // holes a tile side: 12, so the tile wraps cleanly

QImage PaintBackdrop() {
  QImage img = NewPicture(Tile, Tile, QColor(24, 26, 30));
  // Fine grain, the same at every tile edge (it is per pixel).
  std::mt19937 random(1997);
  for (int y = 0; y < Tile; ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < Tile; ++x) {
      const int g = int(random() % 7) - 3;
      const QColor c(line[x]);
      line[x] = qRgb(c.red() + g, c.green() + g, c.blue() + g + 1);
    }
  }
  QPainter p(&img);
  Smooth(p);
  // Staggered holes: a dark well with a lit lower rim.
  for (int row = 0; row < Tile / Pitch; ++row)
    for (int col = 0; col < Tile / Pitch; ++col) {
      const double x = col * Pitch + (row % 2 ? Pitch / 2.0 : 0.0) + Pitch / 4.0;
      const double y = row * Pitch + Pitch / 2.0;
      for (double dx : {0.0, -double(Tile), double(Tile)}) {
        const QPointF c(x + dx, y);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(50, 54, 61));
        p.drawEllipse(c + QPointF(0, 0.8), 3.2, 3.2);
        QRadialGradient well(c - QPointF(0.6, 0.8), 3.4);
        well.setColorAt(0, QColor(6, 7, 8));
        well.setColorAt(1, QColor(14, 15, 18));
        p.setBrush(well);
        p.drawEllipse(c, 3.0, 3.0);
      }
    }
  return img;
}

VS_ART("backdrop", [](const TArtContext& c) { return c.SaveBmp(PaintBackdrop(), QStringLiteral("Artwork/Back.bmp")); });

}  // namespace
}  // namespace vs::art
