// The bitmap picture as the windows use it: shared images copied only before
// a change, run-length pictures kept compressed until written to, sizes and
// palettes, Qt images in and out, drawing, files and the clipboard.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QMimeData>
#include <QPainter>

#include "controls/Canvas.h"
#include "controls/DIB.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/DIBTestFiles.h"

namespace vs {
namespace {

using namespace dibtest;

TEST(DIB, CopiesShareTheImageUntilOneOfThemChanges) {
  const std::string file = WriteDIBFile(*PatternImage(8, 6, 4, 3));
  TDIB a;
  a.LoadFromBytes(file);
  TDIB b = a;
  EXPECT_EQ(a.Image(), b.Image());
  const QImage before = a.ToImage();
  b.Bits()[0] ^= 0xFF;  // the bottom-left pixel
  EXPECT_NE(a.Image(), b.Image());
  EXPECT_EQ(a.ToImage(), before);
  EXPECT_NE(b.ToImage().pixel(0, 3), before.pixel(0, 3));
  EXPECT_EQ(a.SaveToBytes(), file);
  // A picture alone writes its own image in place.
  const auto* own = b.Image().get();
  b.Bits()[1] = 0;
  EXPECT_EQ(b.Image().get(), own);

  // A failed load keeps the picture; an empty stream changes nothing; a
  // file header alone empties it.
  EXPECT_THROW(a.LoadFromBytes("BMxx"), EDIBError);
  EXPECT_EQ(a.SaveToBytes(), file);
  a.LoadFromBytes("");
  EXPECT_EQ(a.SaveToBytes(), file);
  a.LoadFromBytes(FileOf("", 14));
  EXPECT_TRUE(a.Empty());
  EXPECT_TRUE(a.ToImage().isNull());
}

TEST(DIB, RunLengthPicturesDrawCompressedAndDecodeForWriting) {
  const std::string file = RunLengthFile(4, 9, 5, RunLength4());
  TDIB dib;
  dib.LoadFromBytes(file);
  const QImage shown = dib.ToImage();
  EXPECT_EQ(shown.size(), QSize(9, 5));
  EXPECT_TRUE(dib.Image()->Compressed);
  EXPECT_EQ(dib.SaveToBytes(), file);  // saved as read
  // Writing decodes it into a plain picture of the same depth and colours.
  dib.Bits();
  EXPECT_FALSE(dib.Image()->Compressed);
  EXPECT_EQ(dib.BitCount(), 4);
  EXPECT_EQ(dib.Image()->Compression(), DIBCompressionRGB);
  EXPECT_EQ(dib.ToImage(), shown);
}

TEST(DIB, SizesAndPalettes) {
  TDIB dib;
  dib.SetWidth(10);  // an empty picture becomes 10 x 1, 8 bits, grey
  EXPECT_EQ(dib.Width(), 10);
  EXPECT_EQ(dib.Height(), 1);
  EXPECT_EQ(dib.BitCount(), 8);
  EXPECT_EQ(dib.ColourTable(), GreyscaleColourTable());
  dib.Bits()[3] = 200;
  EXPECT_EQ(dib.ToImage().pixel(3, 0), qRgb(200, 200, 200));
  const auto* image = dib.Image().get();
  dib.SetSize(10, 1, 8);  // nothing changes
  EXPECT_EQ(dib.Image().get(), image);
  dib.SetHeight(3);  // a new image: the old bits are not kept
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.ToImage().pixel(3, 2), qRgb(0, 0, 0));
  EXPECT_THROW(dib.SetSize(4, 4, 16), EDIBError);  // 16 bits want a 16-bit format
  dib.SetPixelFormat(DIBFormat565());
  dib.SetSize(4, 4, 16);
  EXPECT_TRUE(dib.Image()->Format.SameMasks(DIBFormat565()));
  dib.SetWidth(0);
  EXPECT_TRUE(dib.Empty());

  // Two pictures with the same table share one palette; a new table is
  // applied to a picture's own copy of the image.
  TDIB a, b;
  a.LoadFromBytes(WriteDIBFile(*PatternImage(8, 3, 3, 5)));
  b.LoadFromBytes(WriteDIBFile(*PatternImage(8, 2, 2, 5)));
  EXPECT_EQ(a.PaletteHandle(), b.PaletteHandle());
  TDIB c = a;
  c.SetPaletteModified(false);
  c.SetPalette({qRgb(255, 0, 0), qRgb(0, 255, 0)});
  EXPECT_TRUE(c.PaletteModified());
  EXPECT_NE(c.Image(), a.Image());
  EXPECT_NE(c.PaletteHandle(), a.PaletteHandle());
  EXPECT_EQ(c.Image()->Colours[1], 0x00FF00u);
  EXPECT_EQ(a.ToImage().pixel(0, 0), 0xFF000000u | a.ColourTable()[a.Image()->Row(0)[0]]);
}

TEST(DIB, DrawsOnItsCanvasAndShowsEveryWriteThroughItsBits) {
  testing::TestApplication();
  // Written, drawn, written again through the same bits, drawn: each
  // picture shows the value written last.
  TDIB dib;
  dib.SetSize(4, 3, 24);
  uint8_t* bits = dib.Bits();
  bits[0] = 0x10;  // bottom-left pixel's blue
  EXPECT_EQ(dib.ToImage().pixel(0, 2), qRgb(0, 0, 0x10));
  bits[0] = 0x80;
  EXPECT_EQ(dib.ToImage().pixel(0, 2), qRgb(0, 0, 0x80));

  // The canvas draws onto the picture; a copy taken after it holds the
  // drawing, the copy from before does not.
  const TDIB before = dib;
  TCanvas& canvas = dib.Canvas();
  EXPECT_EQ(canvas.DeviceWidth(), 4);
  canvas.FillRect(TRect{1, 0, 3, 1}, TColor(0x0000FF));  // $00BBGGRR: red
  const TDIB after = dib;
  EXPECT_EQ(after.ToImage().pixel(1, 0), qRgb(255, 0, 0));
  EXPECT_EQ(after.ToImage().pixel(3, 0), qRgb(0, 0, 0));
  EXPECT_EQ(before.ToImage().pixel(1, 0), qRgb(0, 0, 0));
  // Bits written after the drawing, then drawing again: both stay.
  dib.Bits()[0] = 0x40;
  dib.Canvas().SetPixel(3, 2, TColor(0x00FF00));
  const QImage both = dib.ToImage();
  EXPECT_EQ(both.pixel(0, 2), qRgb(0, 0, 0x40));
  EXPECT_EQ(both.pixel(3, 2), qRgb(0, 255, 0));
  EXPECT_EQ(both.pixel(2, 0), qRgb(255, 0, 0));
  TDIB saved;
  saved.LoadFromBytes(dib.SaveToBytes());
  EXPECT_EQ(saved.ToImage(), both);

  // A palette picture takes its nearest entries; pixels not drawn on keep
  // their index even where two entries look alike.
  TDIB grey;
  grey.SetSize(8, 2, 8);
  TDIBColourTable table = GreyscaleColourTable();
  table[7] = table[0];
  grey.SetColourTable(table);
  grey.Bits()[1] = 7;  // bottom row, x = 1: the second black
  grey.Canvas().FillRect(TRect{4, 0, 8, 1}, TColor(0x7E7E7E));
  const std::string data = grey.WriteData();
  const uint8_t* top = reinterpret_cast<const uint8_t*>(data.data()) + 40 + 1024 + 8;
  EXPECT_EQ(top[4], 0x7E);
  EXPECT_EQ(top[0], 0);
  EXPECT_EQ(uint8_t(data[40 + 1024 + 1]), 7);
}

TEST(DIB, QtImagesInAndOutDrawingFilesAndClipboard) {
  testing::TestApplication();
  // Each kind of Qt image comes back with the same colours and a fitting depth.
  QImage rgb(7, 5, QImage::Format_ARGB32);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) rgb.setPixel(x, y, qRgb(x * 36, y * 50, (x * y * 13) % 256));
  QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8);
  struct TCase {
    QImage Image;
    int Bits;
  } cases[] = {{rgb, 32},
               {rgb.convertToFormat(QImage::Format_RGB888), 24},
               {rgb.convertToFormat(QImage::Format_RGB16), 16},
               {rgb.convertToFormat(QImage::Format_RGB555), 16},
               {indexed, 8},
               {rgb.convertToFormat(QImage::Format_Mono), 1}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Bits);
    TDIB dib;
    dib.Assign(c.Image);
    EXPECT_EQ(dib.BitCount(), c.Bits);
    EXPECT_EQ(dib.ToImage(), c.Image.convertToFormat(QImage::Format_RGB32));
    // Written and read again through a stream, unchanged.
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    ASSERT_TRUE(dib.SaveToStream(buffer));
    buffer.seek(0);
    TDIB back;
    back.LoadFromStream(buffer);
    EXPECT_EQ(back.SaveToBytes(), dib.SaveToBytes());
  }

  // Drawing stretches the picture over the target.
  TDIB dib;
  dib.Assign(indexed);
  QImage canvas(20, 12, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    dib.Draw(p, QRect(3, 1, 14, 10));
  }
  EXPECT_EQ(canvas.pixel(2, 5), qRgb(255, 255, 255));
  EXPECT_EQ(canvas.pixel(3, 1), indexed.pixel(0, 0));
  EXPECT_EQ(canvas.pixel(16, 10), indexed.pixel(6, 4));
  EXPECT_EQ(canvas.pixel(17, 11), qRgb(255, 255, 255));

  // ".dib" files open like any other picture; a damaged one says why.
  TTestDir dir;
  const QString path = QString::fromStdString(dir / "Backdrop.DIB");
  ASSERT_TRUE(dib.SaveToFile(path));
  QString error;
  EXPECT_EQ(LoadPictureFile(path, &error), dib.ToImage());
  EXPECT_TRUE(error.isEmpty());
  dir.Write("bad.dib", "BM" + std::string(12, '\0') + Le32(99));
  EXPECT_TRUE(LoadPictureFile(QString::fromStdString(dir / "bad.dib"), &error).isNull());
  EXPECT_EQ(error, "DIB is invalid");
  EXPECT_TRUE(LoadPictureFile(QString::fromStdString(dir / "none.dib"), &error).isNull());
  EXPECT_TRUE(error.startsWith("Cannot open file"));
  EXPECT_TRUE(PictureFileFilters().join(";").contains("Device Independent Bitmap (*.dib)"));

  // The clipboard: the file form, and bitmaps without their file header.
  QMimeData mime;
  dib.SaveToMimeData(mime);
  TDIB pasted;
  pasted.LoadFromMimeData(mime);
  EXPECT_EQ(pasted.SaveToBytes(), dib.SaveToBytes());
  QMimeData bare;
  bare.setData("image/bmp", QByteArray::fromStdString(dib.WriteData()));
  TDIB fromData;
  fromData.LoadFromMimeData(bare);
  EXPECT_EQ(fromData.ToImage(), dib.ToImage());
}

}  // namespace
}  // namespace vs
