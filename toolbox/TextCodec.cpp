#include "toolbox/TextCodec.h"

#include <cstdint>

#include "toolbox/AllTools.h"

namespace vs {

namespace {
// Code points of the bytes 0x80..0x9F.
constexpr uint16_t High1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

uint32_t Cp1252CodePoint(uint8_t b) { return b >= 0x80 && b < 0xA0 ? High1252[b - 0x80] : b; }

int CodePointToCp1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (High1252[i] == cp) return 0x80 + i;
  return -1;
}

std::optional<uint32_t> NextUtf8(std::string_view text, size_t& i) {
  const uint8_t b = static_cast<uint8_t>(text[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  const int len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (len == 0 || i + len > text.size()) {
    ++i;
    return std::nullopt;
  }
  uint32_t cp = b & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    const uint8_t c = static_cast<uint8_t>(text[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  // Overlong forms and surrogates are invalid.
  static constexpr uint32_t MinForLen[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < MinForLen[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return std::nullopt;
  }
  i += len;
  return cp;
}

bool FitsCp1252(std::string_view text) { return Cp1252ToUtf8(Utf8ToCp1252(text)) == text; }

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    uint8_t b = static_cast<uint8_t>(ch);
    if (b < 0x80) out += ch;
    else AppendUtf8(out, Cp1252CodePoint(b));
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text, char replacement) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const std::optional<uint32_t> cp = NextUtf8(text, i);
    const int e = cp ? CodePointToCp1252(*cp) : -1;
    out += e < 0 ? replacement : static_cast<char>(e);
  }
  return out;
}

bool TLineReader::Next(std::string& line) {
  if (Pos >= Text.size()) return false;
  size_t nl = Text.find('\n', Pos);
  size_t end = nl == std::string::npos ? Text.size() : nl;
  size_t stop = end;
  if (stop > Pos && Text[stop - 1] == '\r') --stop;
  line.assign(Text, Pos, stop - Pos);
  Pos = nl == std::string::npos ? Text.size() : nl + 1;
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  TLineReader reader(text);
  std::string line;
  while (reader.Next(line)) lines.push_back(line);
  return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& fileName) {
  auto bytes = ReadFileBytes(fileName);
  if (!bytes) return std::nullopt;
  return SplitLines(*bytes);
}

}  // namespace vs
