// The hatch brush: an 8 x 8 pattern of clear even rows and set odd rows,
// filled in two colours and lined up across neighbouring fills.

#include <gtest/gtest.h>

#include <QPainter>

#include "controls/Canvas.h"
#include "controls/HatchBrush.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

TEST(HatchBrush, EvenRowsShowTheBackgroundOddRowsTheForeground) {
  testing::TestApplication();
  const QImage pattern = MakeHatchBrush();
  ASSERT_EQ(pattern.size(), QSize(8, 8));
  for (int y = 0; y < 8; ++y) EXPECT_EQ(pattern.pixelIndex(3, y), y % 2) << y;

  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter p(&picture);
  // Two cells of different colours side by side, starting on odd and even
  // rows: the rows still count from the picture's top.
  HatchFill(p, QRect(1, 3, 10, 9), 0x1A1515, 0x353030);
  HatchFill(p, QRect(11, 4, 10, 8), 0x0000FF, 0x00FF00);
  p.end();
  const QRgb fore = ToQColor(0x1A1515).rgb(), back = ToQColor(0x353030).rgb();
  for (int y = 3; y < 12; ++y) EXPECT_EQ(picture.pixel(5, y), y % 2 ? fore : back) << y;
  for (int y = 4; y < 12; ++y) EXPECT_EQ(picture.pixel(15, y), y % 2 ? qRgb(255, 0, 0) : qRgb(0, 255, 0)) << y;
  EXPECT_EQ(picture.pixel(0, 5), qRgb(255, 255, 255));  // nothing outside
  EXPECT_EQ(picture.pixel(5, 12), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace vs
