// Rich text in and out of a QTextDocument: formats, pictures of each kind,
// the stored bytes kept until the text is edited, pasting and copying, and
// pictures that can't or mustn't be shown.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "framework/RichText.h"
#include "support/TestApplication.h"
#include "toolbox/DIBImage.h"

namespace vs {
namespace {

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
  return out;
}

std::string Encoded(const QImage& image, const char* format) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, 100);
  return buffer.data().toStdString();
}

QImage Pattern(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 40, y * 60, 200));
  return image;
}

QTextCharFormat FormatAt(const QTextDocument& doc, int position) {
  QTextCursor c(const_cast<QTextDocument*>(&doc));
  c.setPosition(position + 1);
  return c.charFormat();
}

class RichTextTest : public ::testing::Test {
protected:
  void SetUp() override { testing::TestApplication(); }
  const QImage Png = Pattern(6, 4);
  const std::string PngBytes = Encoded(Png, "PNG");
  const std::string JpegBytes = Encoded(Pattern(8, 8), "JPEG");
  const std::string DibBytes = [] {
    auto img = MakeDIBImage(3, 2, false, GreyscaleColourTable(), DIBFormat888(), 24);
    PutDIBPixel(*img, img->Row(0), 0xFF0000);
    return WriteDIBData(*img);
  }();
  std::string Rtf() const {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil Courier New;}}"
           "{\\colortbl ;\\red255\\green0\\blue0;}\\uc1\\pard\\qc\\fs32 Acid \\b loop\\b0\\par\r\n"
           "\\pard\\f1\\fs20\\cf1\\i red\\i0\\cf0\\ul  under\\ulnone\\line next\\tab end\\par\r\n"
           "{\\pict\\pngblip\\picw6\\pich4\\picwgoal180\\pichgoal120 " + Hex(PngBytes) + "}"
           "{\\*\\shppict{\\pict\\jpegblip\\picw8\\pich8 " + Hex(JpegBytes) + "}}"
           "{\\pict\\dibitmap0\\picw3\\pich2\\picscalex200\\picscaley200 " + Hex(DibBytes) + "}\\par\r\n}";
  }
};

TEST_F(RichTextTest, LoadsFormatsAndPicturesAndWritesThemBack) {
  QTextDocument doc;
  const std::string rtf = Rtf();
  LoadRTF(doc, rtf);
  EXPECT_FALSE(doc.isModified());
  EXPECT_FALSE(doc.isUndoAvailable());
  EXPECT_EQ(doc.toPlainText(), QString("Acid loop\nred under\nnext\tend\n\uFFFC\uFFFC\uFFFC"));
  EXPECT_EQ(doc.begin().blockFormat().alignment(), Qt::AlignHCenter);
  const QTextCharFormat acid = FormatAt(doc, 0), loop = FormatAt(doc, 5), red = FormatAt(doc, 10);
  EXPECT_EQ(acid.fontFamilies().toStringList(), QStringList{"Arial"});
  EXPECT_EQ(acid.fontPointSize(), 16);
  EXPECT_EQ(acid.fontWeight(), QFont::Normal);
  EXPECT_EQ(loop.fontWeight(), QFont::Bold);
  EXPECT_TRUE(red.fontItalic());
  EXPECT_EQ(red.foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(red.fontFamilies().toStringList(), QStringList{"Courier New"});
  EXPECT_TRUE(FormatAt(doc, 15).fontUnderline());
  EXPECT_FALSE(FormatAt(doc, 15).hasProperty(QTextFormat::ForegroundBrush));

  // The pictures, at the sizes the text gives them.
  const QTextBlock pictures = doc.lastBlock();
  std::vector<QTextImageFormat> images;
  for (auto it = pictures.begin(); !it.atEnd(); ++it) images.push_back(it.fragment().charFormat().toImageFormat());
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(QSizeF(images[0].width(), images[0].height()), QSizeF(12, 8));  // 180 x 120 twips
  EXPECT_EQ(QSizeF(images[1].width(), images[1].height()), QSizeF(8, 8));
  EXPECT_EQ(QSizeF(images[2].width(), images[2].height()), QSizeF(6, 4));  // scaled twice
  EXPECT_EQ(doc.resource(QTextDocument::ImageResource, QUrl(images[0].name())).value<QImage>(), Png);
  const QImage dib = doc.resource(QTextDocument::ImageResource, QUrl(images[2].name())).value<QImage>();
  EXPECT_EQ(dib.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(dib.pixel(0, 1), qRgb(0, 0, 0));

  // Back to the same document, every picture with its own bytes.
  const TRTFDocument read = ReadRTF(rtf);
  EXPECT_EQ(RTFDocumentOf(doc), read);
  EXPECT_EQ(ReadRTF(DocumentToRTF(doc)), read);
  // Unedited, the stored bytes are kept; an edit writes the document.
  EXPECT_EQ(RTFToStore(doc, rtf), rtf);
  QTextCursor cursor(&doc);
  cursor.insertText("New ");
  EXPECT_TRUE(doc.isModified());
  const TRTFDocument edited = ReadRTF(RTFToStore(doc, rtf));
  EXPECT_EQ(edited.Paragraphs[0].Runs[0].Text, "New Acid ");
  EXPECT_EQ(edited.Paragraphs[2].Runs[1].Picture->Data, JpegBytes);
}

TEST_F(RichTextTest, PastingCopyingAndPicturesFromElsewhere) {
  QTextDocument source;
  LoadRTF(source, Rtf());
  // A selection copied as RTF pastes into another text as it was.
  QTextCursor all(&source);
  all.select(QTextCursor::Document);
  QMimeData mime;
  SetRTFMimeData(mime, SelectionToRTF(all));
  QTextDocument target;
  QTextCursor at(&target);
  const std::optional<std::string> pasted = RTFFromMimeData(mime);
  ASSERT_TRUE(pasted);
  InsertRTF(at, *pasted);
  EXPECT_EQ(RTFDocumentOf(target), RTFDocumentOf(source));
  EXPECT_FALSE(RTFFromMimeData(QMimeData()));
  // Pasted into the middle of a right-aligned paragraph: it stays so.
  QTextDocument right;
  QTextCursor r(&right);
  QTextBlockFormat rf;
  rf.setAlignment(Qt::AlignRight);
  r.setBlockFormat(rf);
  r.insertText("ab");
  r.setPosition(1);
  InsertRTF(r, "{\\rtf1\\qc x}");
  EXPECT_EQ(right.toPlainText(), "axb");
  EXPECT_EQ(right.begin().blockFormat().alignment(), Qt::AlignRight);

  // An image put in by other means is written as PNG at its shown size.
  QTextDocument doc;
  QTextCursor cursor(&doc);
  cursor.insertText("x");
  cursor.insertImage(Png);
  const TRTFDocument written = ReadRTF(DocumentToRTF(doc));
  ASSERT_EQ(written.Paragraphs[0].Runs.size(), 2u);
  const TRTFPicture& p = *written.Paragraphs[0].Runs[1].Picture;
  EXPECT_EQ(p.Kind, TRTFPictureKind::PNG);
  EXPECT_EQ(DecodeRTFPicture(p), Png);
  EXPECT_EQ(RTFPictureSize(p, Png), QSizeF(6, 4));
}

TEST_F(RichTextTest, PicturesThatCantBeShownAreLeftOut) {
  // A PNG whose header claims 100000 x 100000 pixels, a broken JPEG, a
  // bitmap with a bad header and one too large to show.
  std::string huge = PngBytes;
  const std::string side("\x00\x01\x86\xA0", 4);
  huge.replace(16, 4, side);
  huge.replace(20, 4, side);
  uint32_t crc = 0xFFFFFFFF;  // the header chunk's check over its new sizes
  for (size_t i = 12; i < 29; ++i) {
    crc ^= uint8_t(huge[i]);
    for (int k = 0; k < 8; ++k) crc = crc >> 1 ^ (crc & 1 ? 0xEDB88320u : 0);
  }
  crc = ~crc;
  for (int i = 0; i < 4; ++i) huge[size_t(29 + i)] = char(crc >> (24 - 8 * i));
  auto big = MakeDIBImage(5000, 4000, true, GreyscaleColourTable(), DIBFormat888(), 8);
  std::string bigDib = WriteDIBData(*big) + std::string("\0\1", 2);
  bigDib.replace(20, 4, std::string("\2\0\0\0", 4));  // two bytes of run-length data
  const std::string rtf = "{\\rtf1 a{\\pict\\pngblip " + Hex(huge) + "}{\\pict\\jpegblip ffd8ffe000}b{\\pict\\dibitmap0 " +
                          Hex("\x28garbage") + "}{\\pict\\dibitmap0 " + Hex(bigDib) + "}c}";
  QTextDocument doc;
  LoadRTF(doc, rtf);
  EXPECT_EQ(doc.toPlainText(), "abc");
  // Unedited, they are still written back with the text.
  EXPECT_EQ(RTFToStore(doc, rtf), rtf);
}

}  // namespace
}  // namespace vs
