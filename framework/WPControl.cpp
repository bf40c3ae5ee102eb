#include "framework/WPControl.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace vs {

TWPControl::TWPControl(QWidget* parent) : QWidget(parent) {
  // Paints every pixel itself when a picture or OnPaint covers it.
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  setAutoFillBackground(false);
}

void TWPControl::SetWallPaper(const QImage& picture) {
  FWallPaper = picture.copy();
  update();
}

void TWPControl::SetColor(TColor color) {
  FColor = ColorToRGB(color);
  update();
}

void TWPControl::SetTileOffset(int x, int y) {
  FTileX = x;
  FTileY = y;
  update();
}

void TWPControl::CenterTiles() {
  const int w = FWallPaper.width();
  const int h = FWallPaper.height();
  if (w > 0) FTileX = (w - width() % w) / 2;
  if (h > 0) FTileY = (h - height() % h) / 2;
  update();
}

void TWPControl::SizeToWallpaper() {
  FTileX = 0;
  FTileY = 0;
  setGeometry(0, 0, FWallPaper.width(), FWallPaper.height());
  update();
}

void TWPControl::PaintArea(QPainter& painter, const QRect& area) {
  if (OnPaint) {
    TCanvas canvas(painter);
    OnPaint(this, canvas);
    return;
  }
  const int w = FWallPaper.width();
  const int h = FWallPaper.height();
  if (w < 1 || h < 1) {
    painter.fillRect(area, ToQColor(FColor));
    return;
  }
  // The first tile that reaches into the area, on the tiling's grid.
  auto first = [](int start, int from, int side) {
    if (start >= from) return start;
    return start + (from - start) / side * side;
  };
  for (int y = first(-FTileY, area.top(), h); y <= area.bottom(); y += h)
    for (int x = first(-FTileX, area.left(), w); x <= area.right(); x += w) painter.drawImage(x, y, FWallPaper);
}

void TWPControl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!FNoFlicker) {
    painter.setClipRect(event->rect());
    PaintArea(painter, event->rect());
    return;
  }
  if (OffScreen.size() != size()) OffScreen = QImage(size(), QImage::Format_RGB32);
  {
    QPainter off(&OffScreen);
    off.setClipRect(event->rect());
    PaintArea(off, event->rect());
  }
  painter.drawImage(event->rect(), OffScreen, event->rect());
}

void TWPControl::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (OnMove) OnMove(this);
}

void TWPControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (OnResize) OnResize(this);
}

TSmoothScrollBox::TSmoothScrollBox(QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  resize(128, 128);
}

void TSmoothScrollBox::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  if (OnResize) OnResize(this);
}

}  // namespace vs
