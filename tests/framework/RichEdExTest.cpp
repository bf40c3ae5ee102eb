// The rich text edit: pasted and loaded pictures are objects of their own,
// copying gives RTF, and a loaded text is handed back byte for byte until
// it is edited.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextDocument>

#include "framework/RichEdEx.h"
#include "framework/RichText.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

std::string PictureRTF(QColor colour) {
  QImage image(4, 3, QImage::Format_RGB32);
  image.fill(colour);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  std::string hex;
  for (unsigned char c : buffer.data()) hex += QString::asprintf("%02x", c).toStdString();
  return "{\\rtf1\\ansi {\\b Kick}{\\pict\\pngblip\\picw4\\pich3 " + hex + "}\\par}";
}

TEST(RichEdExTest, PastedPicturesAreObjectsOfTheirOwnAndCopyingGivesRTF) {
  testing::TestApplication();
  TRichEditEx edit;
  edit.resize(300, 200);
  EXPECT_EQ(edit.ContainerName(), "Document");
  EXPECT_EQ(edit.ObjectMenuPrefix(), "Object");
  // The clipboard takes each mime data it is given.
  auto paste = [&edit](const std::string& rtf) {
    auto* mime = new QMimeData;
    SetRTFMimeData(*mime, rtf);
    QApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    edit.paste();
  };
  paste(PictureRTF(Qt::red));
  edit.insertPlainText(" + ");
  paste(PictureRTF(Qt::blue));
  // A picture from an image program.
  auto* image = new QMimeData;
  QImage green(2, 2, QImage::Format_RGB32);
  green.fill(Qt::green);
  image->setImageData(green);
  QApplication::clipboard()->setMimeData(image, QClipboard::Clipboard);
  edit.paste();
  EXPECT_EQ(edit.ObjectCount(), 3);
  EXPECT_EQ(edit.ObjectName(2), "Object 3");
  EXPECT_EQ(edit.toPlainText(), QString("Kick\uFFFC + Kick\uFFFC\uFFFC"));

  // The three objects keep their own pictures when written.
  const TRTFDocument doc = ReadRTF(edit.RTF());
  std::vector<std::string> pictures;
  for (const TRTFParagraph& p : doc.Paragraphs)
    for (const TRTFRun& r : p.Runs)
      if (r.Picture) pictures.push_back(r.Picture->Data);
  ASSERT_EQ(pictures.size(), 3u);
  EXPECT_NE(pictures[0], pictures[1]);
  EXPECT_NE(pictures[1], pictures[2]);
  EXPECT_EQ(DecodeRTFPicture(*ReadRTF(PictureRTF(Qt::red)).Paragraphs[0].Runs[1].Picture).pixelColor(0, 0),
            QColor(Qt::red));

  // Copying the first word and its picture gives RTF with both.
  edit.selectAll();
  QTextCursor c = edit.textCursor();
  c.setPosition(0);
  c.setPosition(5, QTextCursor::KeepAnchor);
  edit.setTextCursor(c);
  edit.copy();
  const std::optional<std::string> copied = RTFFromMimeData(*QApplication::clipboard()->mimeData());
  ASSERT_TRUE(copied);
  EXPECT_EQ(RTFToPlainText(*copied), "Kick\n");
  EXPECT_NE(copied->find("\\pngblip"), std::string::npos);
  EXPECT_NE(copied->find("\\b"), std::string::npos);
}

TEST(RichEdExTest, ALoadedTextComesBackByteForByteUntilEdited) {
  testing::TestApplication();
  TRichEditEx edit;
  edit.resize(200, 100);
  edit.show();
  // Written by another program: its own header, font table and spacing.
  const std::string stored =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
      "\\viewkind4\\uc1\\pard\\f0\\fs20 Slow   \\b dub\\b0  loop\\par\r\n}\r\n";
  edit.LoadRTF(stored);
  EXPECT_EQ(edit.RTF(), stored);
  EXPECT_FALSE(edit.document()->isModified());
  const int shortText = edit.TextHeight();
  QTest::keyClicks(edit.viewport(), "!");
  EXPECT_NE(edit.RTF(), stored);
  EXPECT_EQ(RTFToPlainText(edit.RTF()), "!Slow   dub loop\n");
  // Typed text is shown at the size it will be read back at, whatever the
  // edit's font.
  edit.setStyleSheet("font-size: 7px;");
  EXPECT_EQ(edit.document()->defaultFont().pointSizeF(), 12.0);
  // The height the text needs grows with it.
  edit.LoadRTF("{\\rtf1 one\\par two\\par three\\par four\\par five\\par}");
  EXPECT_GT(edit.TextHeight(), shortText * 2);
}

}  // namespace
}  // namespace vs
