#pragma once
// Rich text in the windows: RTF, through our own reader and writer, into a
// QTextDocument and back (song information, the about text, tutorial
// pages). Bold, italic, underline, colours, font sizes and names, paragraph
// alignment and line breaks carry over; pictures become document image
// resources that keep the bytes and sizes they came with, so an unedited
// picture is written back as it was read.
//
// A song's stored RTF is written back byte for byte unless the user edited
// the text: load it with LoadRTF, keep the stored bytes, and save what
// RTFToStore gives.

#include <QImage>
#include <QSizeF>
#include <optional>
#include <string>
#include <string_view>

#include "toolbox/RTFText.h"

class QMimeData;
class QTextCursor;
class QTextDocument;

namespace vs {

// Pictures larger than this are not shown.
constexpr qint64 MaxRTFPicturePixels = qint64(4096) * 4096;

// Replaces the document's content with the rich text; the document is left
// unmodified, without undo history.
void LoadRTF(QTextDocument& document, std::string_view rtf);
// Inserts rich text at the cursor (pasting), as one undo step.
void InsertRTF(QTextCursor& cursor, std::string_view rtf);
// The RTF of a whole document, and of a cursor's selection (copying).
std::string DocumentToRTF(const QTextDocument& document);
std::string SelectionToRTF(const QTextCursor& cursor);
// What to store for a text loaded from storedRTF: those bytes unchanged
// while the document is unmodified, else the document's RTF.
std::string RTFToStore(const QTextDocument& document, const std::string& storedRTF);

// Rich text on the clipboard ("text/rtf" and "application/rtf").
void SetRTFMimeData(QMimeData& mime, const std::string& rtf);
std::optional<std::string> RTFFromMimeData(const QMimeData& mime);

// The document model in and out of Qt, which the calls above are made of.
void InsertRTFDocument(QTextCursor& cursor, const TRTFDocument& rtf);
TRTFDocument RTFDocumentOf(const QTextDocument& document);

// A picture as an image (PNG and JPEG through Qt, bitmaps through TDIB);
// null when it can't be decoded or has more than MaxRTFPicturePixels.
QImage DecodeRTFPicture(const TRTFPicture& picture);
// The size in pixels the text shows a picture at (96 dots per inch).
QSizeF RTFPictureSize(const TRTFPicture& picture, const QImage& image);

}  // namespace vs
