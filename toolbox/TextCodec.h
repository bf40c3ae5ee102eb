#pragma once
// Windows-1252 text (what songs and the text files they come with hold) to
// and from UTF-8, and a line reader for text files that may end lines in
// CR LF.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vs {

// Every byte decodes; the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same
// number, so any byte string survives a decode and encode unchanged.
std::string Cp1252ToUtf8(std::string_view bytes);

// A character that Windows-1252 can't hold, and every invalid UTF-8 byte,
// becomes replacement.
std::string Utf8ToCp1252(std::string_view text, char replacement = '?');

// True when every character of the UTF-8 text has a Windows-1252 byte, so
// that a song file holds it as it is.
bool FitsCp1252(std::string_view text);

// One character: the code point of a Windows-1252 byte, the byte of a code
// point (-1 when Windows-1252 has none).
uint32_t Cp1252CodePoint(uint8_t byte);
int CodePointToCp1252(uint32_t codePoint);
// Appends a code point (up to U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);
// The code point of the UTF-8 sequence at text[i] (i < text.size()), i moved
// past it; an invalid, overlong or cut sequence gives nothing and moves i by
// one byte.
std::optional<uint32_t> NextUtf8(std::string_view text, size_t& i);

// Splits text into lines at LF; a CR before the LF (or at the very end) is
// removed. A final line without LF counts; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// The lines of a text file (bytes as stored, CRs removed); no value when the
// file can't be read.
std::optional<std::vector<std::string>> ReadTextLines(const std::string& fileName);

// Reads a text file line by line.
class TLineReader {
public:
  explicit TLineReader(std::string_view text) : Text(text) {}
  // The next line without its CR LF, or false at the end.
  bool Next(std::string& line);

private:
  std::string Text;
  size_t Pos = 0;
};

}  // namespace vs
