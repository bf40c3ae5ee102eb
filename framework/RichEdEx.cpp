#include "framework/RichEdEx.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/RichText.h"

namespace vs {

TRichEditEx::TRichEditEx(QWidget* parent) : QTextEdit(parent) {
  setObjectName("RichEditEx");
  KeepTypingSize();
}

void TRichEditEx::KeepTypingSize() {
  // Text typed without a size of its own is written without one, and rich
  // text without a size is read at 12 points: shown at 12 points here too,
  // whatever the widget's font.
  QFont typing = document()->defaultFont();
  typing.setPointSizeF(DefaultRTFHalfPoints / 2.0);
  document()->setDefaultFont(typing);
}

void TRichEditEx::changeEvent(QEvent* event) {
  QTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) KeepTypingSize();
}

void TRichEditEx::LoadRTF(const std::string& rtf) {
  Stored = rtf;
  vs::LoadRTF(*document(), rtf);
  moveCursor(QTextCursor::Start);
}

std::string TRichEditEx::RTF() const { return RTFToStore(*document(), Stored); }

void TRichEditEx::InsertPicture(const QImage& picture) {
  if (picture.isNull()) return;
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  auto p = std::make_shared<TRTFPicture>();
  p->Kind = TRTFPictureKind::PNG;
  p->Data = buffer.data().toStdString();
  p->Width = picture.width();
  p->Height = picture.height();
  TRTFDocument doc;
  doc.Paragraphs.resize(1);
  doc.Paragraphs[0].Runs.push_back(TRTFRun{"", {}, p});
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  InsertRTFDocument(cursor, doc);
  cursor.endEditBlock();
  setTextCursor(cursor);
}

int TRichEditEx::ObjectCount() const {
  int count = 0;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat()) count += it.fragment().length();
  return count;
}

QString TRichEditEx::ObjectName(int index) const {
  return FObjectMenuPrefix + QLatin1Char(' ') + QString::number(index + 1);
}

int TRichEditEx::TextHeight() const {
  // The width inside the frame (the viewport's, also before the edit was
  // ever shown and laid out).
  QTextDocument* doc = document();
  const int inside = std::max(1, contentsRect().width());
  if (doc->textWidth() != inside) doc->setTextWidth(inside);
  return int(std::ceil(doc->size().height())) + 2 * frameWidth();
}

bool TRichEditEx::canInsertFromMimeData(const QMimeData* source) const {
  return RTFFromMimeData(*source) || source->hasImage() || QTextEdit::canInsertFromMimeData(source);
}

void TRichEditEx::insertFromMimeData(const QMimeData* source) {
  if (isReadOnly()) return;
  if (const std::optional<std::string> rtf = RTFFromMimeData(*source)) {
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    InsertRTF(cursor, *rtf);
    cursor.endEditBlock();
    setTextCursor(cursor);
    return;
  }
  if (source->hasImage()) {
    InsertPicture(qvariant_cast<QImage>(source->imageData()));
    return;
  }
  QTextEdit::insertFromMimeData(source);
}

QMimeData* TRichEditEx::createMimeDataFromSelection() const {
  // The text edit's own data lists only its own formats: copied into plain
  // mime data, which takes RTF too.
  const std::unique_ptr<QMimeData> own(QTextEdit::createMimeDataFromSelection());
  auto* mime = new QMimeData;
  for (const QString& format : own->formats()) mime->setData(format, own->data(format));
  const std::string rtf = SelectionToRTF(textCursor());
  if (!rtf.empty()) SetRTFMimeData(*mime, rtf);
  return mime;
}

}  // namespace vs
