#include "framework/RichText.h"

#include <QBuffer>
#include <QImageReader>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "controls/DIB.h"

namespace vs {

namespace {

// Where an image format keeps the picture it was made from.
enum : int {
  PictureKindProperty = QTextFormat::UserProperty + 0x5210,
  PictureDataProperty,
  PictureSizesProperty,  // width, height, goal width, goal height, x and y scale
};

constexpr double TwipsPerPixel = 15;  // 1440 twips an inch, 96 pixels an inch
const char* const RTFMimeTypes[] = {"text/rtf", "application/rtf"};

QTextCharFormat CharFormatOf(const TRTFCharFormat& f) {
  QTextCharFormat c;
  c.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
  c.setFontItalic(f.Italic);
  c.setFontUnderline(f.Underline);
  if (!f.Font.empty()) c.setFontFamilies(QStringList{QString::fromStdString(f.Font)});
  c.setFontPointSize(f.HalfPoints / 2.0);
  if (f.Colour) c.setForeground(QColor(QRgb(0xFF000000u | *f.Colour)));
  return c;
}

TRTFCharFormat FormatOf(const QTextCharFormat& c) {
  TRTFCharFormat f;
  f.Bold = c.fontWeight() > QFont::Medium;
  f.Italic = c.fontItalic();
  f.Underline = c.fontUnderline();
  const QStringList families = c.fontFamilies().toStringList();
  if (!families.isEmpty()) f.Font = families.front().toStdString();
  const double points = c.fontPointSize();
  if (points > 0) f.HalfPoints = std::clamp(int(std::lround(points * 2)), 1, 3276);
  if (c.hasProperty(QTextFormat::ForegroundBrush) && c.foreground().style() != Qt::NoBrush)
    f.Colour = c.foreground().color().rgb() & 0xFFFFFF;
  return f;
}

Qt::Alignment AlignmentOf(TRTFAlign a) {
  switch (a) {
    case TRTFAlign::Centre: return Qt::AlignHCenter;
    case TRTFAlign::Right: return Qt::AlignRight;
    case TRTFAlign::Justify: return Qt::AlignJustify;
    default: return Qt::AlignLeft;
  }
}

TRTFAlign AlignOf(Qt::Alignment a) {
  if (a & Qt::AlignHCenter) return TRTFAlign::Centre;
  if (a & (Qt::AlignRight | Qt::AlignTrailing)) return TRTFAlign::Right;
  if (a & Qt::AlignJustify) return TRTFAlign::Justify;
  return TRTFAlign::Left;
}

QString NewPictureName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("rtfpicture:%1").arg(++counter);
}

void InsertPicture(QTextCursor& cursor, const TRTFRun& run) {
  const TRTFPicture& p = *run.Picture;
  const QImage image = DecodeRTFPicture(p);
  if (image.isNull()) return;  // a picture that can't be shown is left out
  QTextImageFormat format;
  format.merge(CharFormatOf(run.Format));
  const QString name = NewPictureName();
  cursor.document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
  format.setName(name);
  const QSizeF size = RTFPictureSize(p, image);
  format.setWidth(size.width());
  format.setHeight(size.height());
  format.setProperty(PictureKindProperty, int(p.Kind));
  format.setProperty(PictureDataProperty, QByteArray(p.Data.data(), qsizetype(p.Data.size())));
  format.setProperty(PictureSizesProperty,
                     QList<QVariant>{p.Width, p.Height, p.GoalWidth, p.GoalHeight, p.ScaleX, p.ScaleY});
  cursor.insertImage(format);
}

// The picture of an image in the text: as it was read when it came from
// rich text, else the image as PNG at the size it is shown.
std::shared_ptr<const TRTFPicture> PictureOf(const QTextImageFormat& format, const QTextDocument& resources) {
  auto p = std::make_shared<TRTFPicture>();
  if (format.hasProperty(PictureDataProperty)) {
    p->Kind = TRTFPictureKind(std::clamp(format.intProperty(PictureKindProperty), 0, 2));
    const QByteArray data = format.property(PictureDataProperty).toByteArray();
    p->Data.assign(data.constData(), size_t(data.size()));
    const QList<QVariant> sizes = format.property(PictureSizesProperty).toList();
    if (sizes.size() == 6) {
      p->Width = sizes[0].toInt();
      p->Height = sizes[1].toInt();
      p->GoalWidth = sizes[2].toInt();
      p->GoalHeight = sizes[3].toInt();
      p->ScaleX = sizes[4].toInt();
      p->ScaleY = sizes[5].toInt();
    }
    return p;
  }
  const QVariant resource = resources.resource(QTextDocument::ImageResource, QUrl(format.name()));
  QImage image = resource.value<QImage>();
  if (image.isNull()) image = resource.value<QPixmap>().toImage();
  if (image.isNull()) return nullptr;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  p->Kind = TRTFPictureKind::PNG;
  p->Data = buffer.data().toStdString();
  p->Width = image.width();
  p->Height = image.height();
  p->GoalWidth = int(std::lround((format.width() > 0 ? format.width() : image.width()) * TwipsPerPixel));
  p->GoalHeight = int(std::lround((format.height() > 0 ? format.height() : image.height()) * TwipsPerPixel));
  return p;
}

TRTFDocument DocumentOf(const QTextDocument& document, const QTextDocument& resources) {
  TRTFDocument doc;
  if (document.isEmpty()) return doc;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    TRTFParagraph p;
    p.Align = AlignOf(block.blockFormat().alignment());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const QTextCharFormat c = fragment.charFormat();
      if (c.isImageFormat()) {
        // One object character per image.
        if (auto picture = PictureOf(c.toImageFormat(), resources))
          for (int i = 0; i < fragment.length(); ++i) p.Runs.push_back(TRTFRun{"", FormatOf(c), picture});
        continue;
      }
      QString text = fragment.text();
      text.replace(QChar::ObjectReplacementCharacter, QString());
      if (!text.isEmpty()) AppendRTFText(p, text.toStdString(), FormatOf(c));
    }
    doc.Paragraphs.push_back(std::move(p));
  }
  return doc;
}

}  // namespace

QImage DecodeRTFPicture(const TRTFPicture& picture) {
  if (picture.Kind == TRTFPictureKind::DIB) {
    try {
      TDIB dib;
      dib.ReadData(picture.Data);
      if (dib.Empty() || qint64(dib.Width()) * dib.Height() > MaxRTFPicturePixels) return {};
      return dib.ToImage();
    } catch (const EDIBError&) {
      return {};
    }
  }
  QByteArray bytes(picture.Data.data(), qsizetype(picture.Data.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, picture.Kind == TRTFPictureKind::PNG ? "png" : "jpeg");
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty() || qint64(size.width()) * size.height() > MaxRTFPicturePixels) return {};
  return reader.read();
}

QSizeF RTFPictureSize(const TRTFPicture& p, const QImage& image) {
  auto side = [](int goal, int given, int pixels, int scale) {
    const double base = goal > 0 ? goal / TwipsPerPixel : given > 0 ? given : pixels;
    return std::clamp(base * scale / 100.0, 1.0, 16384.0);
  };
  return QSizeF(side(p.GoalWidth, p.Width, image.width(), p.ScaleX),
                side(p.GoalHeight, p.Height, image.height(), p.ScaleY));
}

void InsertRTFDocument(QTextCursor& cursor, const TRTFDocument& rtf) {
  cursor.beginEditBlock();
  for (size_t i = 0; i < rtf.Paragraphs.size(); ++i) {
    const TRTFParagraph& p = rtf.Paragraphs[i];
    QTextBlockFormat block = cursor.blockFormat();
    block.setAlignment(AlignmentOf(p.Align));
    // Text pasted into a paragraph takes that paragraph's alignment; an
    // empty one takes the pasted paragraph's.
    if (i > 0)
      cursor.insertBlock(block);
    else if (cursor.block().length() <= 1)
      cursor.setBlockFormat(block);
    for (const TRTFRun& run : p.Runs) {
      if (run.Picture)
        InsertPicture(cursor, run);
      else
        cursor.insertText(QString::fromStdString(run.Text), CharFormatOf(run.Format));
    }
  }
  cursor.endEditBlock();
}

TRTFDocument RTFDocumentOf(const QTextDocument& document) { return DocumentOf(document, document); }

void LoadRTF(QTextDocument& document, std::string_view rtf) {
  document.clear();
  QTextCursor cursor(&document);
  InsertRTFDocument(cursor, ReadRTF(rtf));
  document.clearUndoRedoStacks();
  document.setModified(false);
}

void InsertRTF(QTextCursor& cursor, std::string_view rtf) { InsertRTFDocument(cursor, ReadRTF(rtf)); }

std::string DocumentToRTF(const QTextDocument& document) { return WriteRTF(RTFDocumentOf(document)); }

std::string SelectionToRTF(const QTextCursor& cursor) {
  if (!cursor.hasSelection() || !cursor.document()) return {};
  QTextDocument part;
  QTextCursor(&part).insertFragment(cursor.selection());
  return WriteRTF(DocumentOf(part, *cursor.document()));
}

std::string RTFToStore(const QTextDocument& document, const std::string& storedRTF) {
  return document.isModified() ? DocumentToRTF(document) : storedRTF;
}

void SetRTFMimeData(QMimeData& mime, const std::string& rtf) {
  const QByteArray bytes(rtf.data(), qsizetype(rtf.size()));
  for (const char* type : RTFMimeTypes) mime.setData(type, bytes);
}

std::optional<std::string> RTFFromMimeData(const QMimeData& mime) {
  for (const char* type : RTFMimeTypes)
    if (mime.hasFormat(type)) return mime.data(type).toStdString();
  return std::nullopt;
}

}  // namespace vs
