#pragma once
// Rich text (RTF) without a screen: a reader into a small document of
// paragraphs and formatted runs (bold, italic, underline, colour, font size,
// font name, paragraph alignment) with embedded PNG, JPEG and bitmap
// pictures, and a writer back to RTF. Unknown destinations are skipped;
// characters come from \'hh (Windows-1252) and \uN escapes.
//
// RTF here is untrusted (a song's information text): group nesting, picture
// data and binary runs are bounded, and damaged or truncated input gives
// whatever text it holds, never a failure.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vs {

// Groups nested deeper are skipped whole; picture data beyond the limits
// drops the picture.
constexpr int MaxRTFGroupDepth = 256;
constexpr size_t MaxRTFPictureBytes = size_t(16) << 20;
constexpr size_t MaxRTFPictureTotal = size_t(64) << 20;
// The size of text that does not say its own: 12 points.
constexpr int DefaultRTFHalfPoints = 24;

struct TRTFCharFormat {
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  std::string Font;                // font table name; empty when the text names none
  std::optional<uint32_t> Colour;  // 0xRRGGBB; none = the automatic text colour
  int HalfPoints = DefaultRTFHalfPoints;
  bool operator==(const TRTFCharFormat&) const = default;
};

enum class TRTFPictureKind { PNG, JPEG, DIB };

struct TRTFPicture {
  TRTFPictureKind Kind = TRTFPictureKind::PNG;
  // The picture's bytes: a PNG or JPEG file, or a bitmap in its data form
  // (information header, palette, bits; no file header).
  std::string Data;
  int Width = 0, Height = 0;          // as the text gives them (pixels for bitmaps)
  int GoalWidth = 0, GoalHeight = 0;  // shown size in twips; 0 = not given
  int ScaleX = 100, ScaleY = 100;     // percent
  bool operator==(const TRTFPicture&) const = default;
};

// Text in one format, or one picture.
struct TRTFRun {
  std::string Text;  // UTF-8: "\t" for tabs, U+2028 for line breaks
  TRTFCharFormat Format;
  std::shared_ptr<const TRTFPicture> Picture;
  bool operator==(const TRTFRun& o) const {
    return Text == o.Text && Format == o.Format &&
           (Picture == o.Picture || (Picture && o.Picture && *Picture == *o.Picture));
  }
};

enum class TRTFAlign { Left, Centre, Right, Justify };

struct TRTFParagraph {
  TRTFAlign Align = TRTFAlign::Left;
  std::vector<TRTFRun> Runs;
  bool operator==(const TRTFParagraph&) const = default;
};

struct TRTFDocument {
  std::vector<TRTFParagraph> Paragraphs;
  // The text ends with a paragraph mark (rich edits always write one).
  bool LastParagraphClosed = true;
  bool operator==(const TRTFDocument&) const = default;
};

// The document of rich text; input that is not RTF is taken as
// Windows-1252 text, one paragraph per line.
TRTFDocument ReadRTF(std::string_view rtf);
// RTF of a document (Windows-1252 code page, \uN beyond it); reading it
// gives the same document.
std::string WriteRTF(const TRTFDocument& document);

// Appends text to a paragraph, to its last run when that has the same format.
void AppendRTFText(TRTFParagraph& paragraph, std::string_view text, const TRTFCharFormat& format);

// The plain text of rich text (UTF-8; paragraphs end in "\n", line breaks
// are "\n" too; pictures and formatting dropped).
std::string RTFToPlainText(std::string_view rtf);

}  // namespace vs
