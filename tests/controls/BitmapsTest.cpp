// Fast bitmaps and their blend, image lists cut from strips, the grey and
// embossed glyphs, and the canvas conventions the controls draw with.

#include <gtest/gtest.h>

#include <QPainter>

#include "ControlsTestSupport.h"
#include "controls/BtnFrames.h"
#include "controls/FastBmp.h"
#include "controls/ImageList.h"

namespace vs {
namespace {

TEST(FastBmp, RowsAreThreeBytesAPixelRoundedToFourAndBlueFirst) {
  for (auto [width, rowBytes] : {std::pair{5, 16}, {4, 12}, {1, 4}, {7, 24}}) {
    TFastBmp bmp(width, 3);
    EXPECT_EQ(bmp.RowBytes(), rowBytes) << width;
    EXPECT_EQ(TFastBmp::RowBytesFor(width), rowBytes) << width;
  }
  TFastBmp bmp(5, 2);
  bmp.SetPixel(4, 1, 0x123456);
  const uint8_t* p = bmp.Bits() + 1 * 16 + 3 * 4;
  EXPECT_EQ(p[0], 0x56);
  EXPECT_EQ(p[1], 0x34);
  EXPECT_EQ(p[2], 0x12);
  EXPECT_EQ(bmp.GetPixel(4, 1), 0x123456u);
  // The picture shows the same colour, and so does its copy for the screen
  // (the top rows only, at most all of them).
  EXPECT_EQ(bmp.Picture().pixel(4, 1) & 0xFFFFFF, 0x123456u);
  QImage shown;
  bmp.CopyTopToRGB32(9, shown);
  ASSERT_EQ(shown.size(), QSize(5, 2));
  EXPECT_EQ(shown.pixel(4, 1), 0xFF123456u);
  EXPECT_EQ(shown.pixel(3, 1), 0xFF000000u);
  bmp.CopyTopToRGB32(1, shown);
  EXPECT_EQ(shown.size(), QSize(5, 1));
}

TEST(FastBmp, BlendMixesBytesWithTheWeightOfTheFirstPicture) {
  const TBlendTable half(128);
  EXPECT_EQ(half.Mix(255, 0), 127);
  EXPECT_EQ(half.Mix(0, 255), 128);  // 255 - 127: truncated toward zero
  EXPECT_EQ(half(-255), -127);

  // A strip of three 2-pixel frames: A white, B black, blended into the
  // third at several weights, with rows of different widths in play.
  TFastBmp strip(6, 2);
  TFastBmp other(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) strip.SetPixel(x, y, 0xFFFFFF);
  other.SetPixel(0, 0, 0x204060);
  BlendFastBmps(strip, TRect::Sized(0, 0, 2, 2), strip, 128, {4, 0}, strip, {2, 0});
  EXPECT_EQ(strip.GetPixel(4, 0), 0x7F7F7Fu);
  EXPECT_EQ(strip.GetPixel(5, 1), 0x7F7F7Fu);
  BlendFastBmps(strip, TRect::Sized(0, 0, 2, 2), strip, 0, {4, 0}, strip, {2, 0});
  EXPECT_EQ(strip.GetPixel(4, 0), 0u);
  BlendFastBmps(strip, TRect::Sized(0, 0, 2, 2), strip, 256, {4, 0}, strip, {2, 0});
  EXPECT_EQ(strip.GetPixel(4, 0), 0xFFFFFFu);
  BlendFastBmps(other, TRect::Sized(0, 0, 1, 1), strip, 256, {2, 1}, strip, {0, 0});
  EXPECT_EQ(strip.GetPixel(2, 1), 0x204060u);
  // A rectangle reaching past the pictures is cut, never written outside.
  strip.SetPixel(5, 1, 0);
  BlendFastBmps(strip, TRect::Sized(0, 0, 40, 40), strip, 256, {5, 1}, strip, {0, 0});
  EXPECT_EQ(strip.GetPixel(5, 1), 0xFFFFFFu);
}

TEST(ImageLists, StripsAreCutByCountOrWidthAndMaskedByTheKeyColour) {
  testing::TestApplication();
  QImage strip = testing::FrameStrip(4, 10);
  strip.setPixel(0, 0, qRgb(255, 0, 255));  // key colour in frame 0
  TImageList list;
  ASSERT_TRUE(BitmapToImageList(strip, list, 4));
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Width(), 10);
  EXPECT_EQ(qAlpha(list.Image(0).pixel(0, 0)), 0);  // the program-wide key: magenta
  EXPECT_EQ(list.Image(2).pixel(3, 3), testing::FrameColour(2));
  ASSERT_TRUE(BitmapToImageList(strip, list, -8));  // frames 8 wide: 40 div 8
  EXPECT_EQ(list.Count(), 5);
  ASSERT_TRUE(BitmapToImageList(strip, list, 2, ClNone));  // no mask
  EXPECT_EQ(qAlpha(list.Image(0).pixel(0, 0)), 255);
  EXPECT_TRUE(BitmapToImageList(strip, list, 0));  // one frame, not a division by zero
  EXPECT_EQ(list.Count(), 1);
  EXPECT_FALSE(BitmapFileToImageList("/no/such/strip.bmp", list, 2));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_TRUE(list.Image(7).isNull());

  // The controls' own resources are there, masked by their top-left pixel.
  testing::ShownPanel();
  for (const char* name : {"NumB", "SKnobH", "SKnob", "PickNum", "MeroUpDown"}) {
    const TImageList& resource = ResourceImageList(name, 2);
    ASSERT_EQ(resource.Count(), 2) << name;
    EXPECT_EQ(qAlpha(resource.Image(0).pixel(0, 0)), 0) << name;
  }
}

TEST(ImageLists, GreyAndEmbossedGlyphs) {
  QImage glyph(4, 4, QImage::Format_RGB32);
  glyph.fill(qRgb(255, 0, 255));
  glyph.setPixel(1, 1, qRgb(200, 100, 0));
  glyph.setPixel(2, 2, qRgb(255, 255, 255));
  QImage grey = glyph;
  GreyBitmap(grey, 30, 59, 11, ClKey);
  EXPECT_EQ(grey.pixel(0, 0), qRgb(255, 0, 255));  // the kept colour
  EXPECT_EQ(grey.pixel(1, 1), qRgb(119, 119, 119));  // (200*30 + 100*59) div 100

  const QImage disabled = MakeDisabledGlyph(glyph, ClKey, ClWhite, ClBlack);
  EXPECT_EQ(disabled.pixel(0, 0), qRgb(255, 0, 255));  // face
  EXPECT_EQ(disabled.pixel(1, 1), qRgb(0, 0, 0));      // shape in the shadow colour
  EXPECT_EQ(disabled.pixel(2, 2), qRgb(255, 255, 255));  // its highlight, one pixel down-right
  EXPECT_EQ(disabled.pixel(3, 3), qRgb(255, 0, 255));  // white in the glyph is background
}

TEST(Canvas, RectanglesExcludeTheirFarEdgesAndLinesTheirEndPoint) {
  testing::TestApplication();
  QImage image(12, 12, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    TCanvas canvas(painter);
    canvas.FillRect({2, 2, 5, 4}, ClRed);
    canvas.PenColor = ClBlack;
    canvas.MoveTo(0, 8);
    canvas.LineTo(4, 8);
    canvas.MoveTo(8, 0);
    canvas.LineTo(11, 3);
    DrawFrame3D(canvas, {6, 6, 10, 10}, ClWhite, RGBColor(0, 0, 255));
  }
  const QRgb red = qRgb(255, 0, 0), black = qRgb(0, 0, 0), blue = qRgb(0, 0, 255), white = qRgb(255, 255, 255);
  EXPECT_EQ(image.pixel(4, 3), red);
  EXPECT_EQ(image.pixel(5, 3), white);
  EXPECT_EQ(image.pixel(4, 4), white);
  EXPECT_EQ(image.pixel(3, 8), black);
  EXPECT_EQ(image.pixel(4, 8), white);
  EXPECT_EQ(image.pixel(10, 2), black);
  EXPECT_EQ(image.pixel(11, 3), white);
  // The 3-D frame: bottom and right edges (with both far corners) in the
  // second colour.
  EXPECT_EQ(image.pixel(9, 6), blue);
  EXPECT_EQ(image.pixel(6, 9), blue);
  EXPECT_EQ(image.pixel(9, 9), blue);
  EXPECT_EQ(image.pixel(7, 7), white);
  EXPECT_EQ(ToQColor(0x00336699).rgb(), qRgb(0x99, 0x66, 0x33));
}

TEST(Canvas, ButtonFramesOfEveryStyle) {
  testing::TestApplication();
  const TColor c = RGBColor(100, 100, 100);
  const auto paint = [&](TBtnFrameStyle style, bool pressed) {
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TCanvas canvas(painter);
    DrawBtnFrame(style, canvas, {0, 0, 10, 10}, c, pressed);
    return image;
  };
  const QRgb face = qRgb(100, 100, 100), light = qRgb(163, 163, 163), dark = qRgb(36, 36, 36), black = qRgb(0, 0, 0);
  QImage vek = paint(TBtnFrameStyle::FS_Vek3D, false);
  EXPECT_EQ(vek.pixel(9, 5), black);
  EXPECT_EQ(vek.pixel(0, 0), light);
  EXPECT_EQ(vek.pixel(8, 5), dark);
  EXPECT_EQ(vek.pixel(5, 5), face);
  EXPECT_EQ(vek.pixel(7, 7), qRgb(132, 132, 132));  // the corner in c+32
  QImage vekDown = paint(TBtnFrameStyle::FS_Vek3D, true);
  EXPECT_EQ(vekDown.pixel(0, 0), black);
  EXPECT_EQ(vekDown.pixel(1, 4), dark);
  EXPECT_EQ(vekDown.pixel(5, 5), face);
  EXPECT_EQ(paint(TBtnFrameStyle::FS_Raised, true).pixel(0, 0), dark);
  EXPECT_EQ(paint(TBtnFrameStyle::FS_Engraved, false).pixel(1, 1), light);
  EXPECT_EQ(paint(TBtnFrameStyle::FS_Plain, false).pixel(0, 0), face);
  EXPECT_EQ(paint(TBtnFrameStyle::FS_Bitmap, false).pixel(5, 5), qRgb(255, 255, 255));
  // The gradient runs from c+40 in its first row to c-8 in its last.
  QImage gradient = paint(TBtnFrameStyle::FS_VekGradient, false);
  EXPECT_EQ(gradient.pixel(4, 2), qRgb(140, 140, 140));
  EXPECT_EQ(gradient.pixel(4, 6), qRgb(92, 92, 92));
}

}  // namespace
}  // namespace vs
