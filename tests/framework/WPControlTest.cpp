// The wallpaper surface and the scroll box: tiles laid from the offset,
// centred tiles, the plain colour, the owner's paint, flicker-free painting
// with children, and the scroll box's resize report.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <QTest>

#include "framework/WPControl.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

QImage Tile() {
  // 10 x 8: a red top-left pixel on blue.
  QImage tile(10, 8, QImage::Format_RGB32);
  tile.fill(Qt::blue);
  tile.setPixel(0, 0, qRgb(255, 0, 0));
  return tile;
}

TEST(WPControlTest, TilesFromTheOffsetCentresAndFallsBackToItsColour) {
  testing::TestApplication();
  QWidget window;
  window.resize(200, 100);
  TWPControl wp(&window);
  wp.setGeometry(0, 0, 40, 32);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // Neither picture nor OnPaint: the control's colour.
  wp.SetColor(0x00FF00);
  EXPECT_EQ(wp.grab().toImage().pixel(20, 20) | 0xFF000000, qRgb(0, 255, 0));

  wp.SetWallPaper(Tile());
  QImage shot = wp.grab().toImage();
  for (int x : {0, 10, 20, 30}) EXPECT_EQ(shot.pixel(x, 8) | 0xFF000000, qRgb(255, 0, 0)) << x;
  EXPECT_EQ(shot.pixel(5, 8) | 0xFF000000, qRgb(0, 0, 255));
  // 40 is a multiple of 10: centring offsets by half a tile.
  wp.CenterTiles();
  EXPECT_EQ(wp.TileX(), 5);
  EXPECT_EQ(wp.TileY(), 4);
  shot = wp.grab().toImage();
  EXPECT_EQ(shot.pixel(5, 4) | 0xFF000000, qRgb(255, 0, 0));
  EXPECT_EQ(shot.pixel(0, 0) | 0xFF000000, qRgb(0, 0, 255));
  wp.SizeToWallpaper();
  EXPECT_EQ(wp.geometry(), QRect(0, 0, 10, 8));
  EXPECT_EQ(wp.TileX(), 0);

  // The owner paints everything; with NoFlicker children show with it.
  wp.setGeometry(0, 0, 60, 40);
  wp.OnPaint = [](QWidget*, TCanvas& canvas) { canvas.FillRect(TRect::Sized(0, 0, 60, 40), 0x0000FF); };
  wp.SetNoFlicker(true);
  auto* child = new QLabel(&wp);
  child->setAutoFillBackground(true);
  child->setStyleSheet("background: white");
  child->setGeometry(30, 20, 10, 10);
  child->show();
  shot = wp.grab().toImage();
  EXPECT_EQ(shot.pixel(5, 5) | 0xFF000000, qRgb(255, 0, 0));
  EXPECT_EQ(shot.pixel(35, 25) | 0xFF000000, qRgb(255, 255, 255));
  int moved = 0, resized = 0;
  wp.OnMove = [&](QWidget*) { ++moved; };
  wp.OnResize = [&](QWidget*) { ++resized; };
  wp.move(3, 3);
  wp.resize(61, 40);
  QApplication::processEvents();
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(resized, 1);

  TSmoothScrollBox box(&window);
  EXPECT_EQ(box.size(), QSize(128, 128));
  int reports = 0;
  box.OnResize = [&](QWidget*) { ++reports; };
  box.show();
  box.resize(100, 60);
  QApplication::processEvents();
  EXPECT_GE(reports, 1);
}

}  // namespace
}  // namespace vs
