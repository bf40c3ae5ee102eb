#include "controls/HatchBrush.h"

#include <QBrush>
#include <QPainter>

#include "controls/Canvas.h"

namespace vs {

QImage MakeHatchBrush() {
  QImage pattern(8, 8, QImage::Format_Mono);
  pattern.setColorTable({0xFF000000u, 0xFFFFFFFFu});
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pattern.setPixel(x, y, y % 2);
  return pattern;
}

void HatchFill(QPainter& painter, const QRect& r, TColor fore, TColor back) {
  if (r.isEmpty()) return;
  // The pattern in the two colours, made again only when they change (a
  // paint fills many cells in few colour pairs).
  thread_local QImage tile;
  thread_local TColor tileFore = ClNone, tileBack = ClNone;
  if (tile.isNull() || fore != tileFore || back != tileBack) {
    static const QImage mono = MakeHatchBrush();
    tile = mono.convertToFormat(QImage::Format_RGB32);
    const QRgb colours[2] = {ToQColor(back).rgb(), ToQColor(fore).rgb()};
    for (int y = 0; y < 8; ++y) {
      auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
      for (int x = 0; x < 8; ++x) line[x] = colours[mono.pixelIndex(x, y)];
    }
    tileFore = fore;
    tileBack = back;
  }
  QBrush brush(tile);
  painter.fillRect(r, brush);
}

}  // namespace vs
