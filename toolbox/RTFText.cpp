#include "toolbox/RTFText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "toolbox/TextCodec.h"

namespace vs {

namespace {

constexpr const char* LineSeparator = "\xE2\x80\xA8";  // U+2028
// Longer font names are cut (every character of text carries its font name).
constexpr size_t MaxFontName = 255;

// Destinations whose content is not part of the text.
bool IsSkippedDestination(std::string_view word) {
  static const char* const names[] = {
      "stylesheet", "info",      "header",     "headerl",  "headerr",       "headerf",   "footer",
      "footerl",    "footerr",   "footerf",    "footnote", "ftnsep",        "ftnsepc",   "ftncn",
      "aftnsep",    "aftnsepc",  "aftncn",     "annotation", "listtable",   "listoverridetable",
      "themedata",  "datastore", "xmlnstbl",   "latentstyles", "generator", "rsidtbl",   "mmathPr",
      "fldinst",    "objdata",   "objclass",   "objname",  "nonshppict",    "shpinst",   "bkmkstart",
      "bkmkend",    "template",  "revtbl",     "docvar",   "userprops",     "xe",        "tc",
      "txe",        "atnid",     "atnauthor",  "pgdsctbl", "filetbl",       "colorschememapping"};
  for (const char* n : names)
    if (word == n) return true;
  return false;
}

// Characters that control words stand for.
std::optional<uint32_t> SymbolWord(std::string_view word) {
  static const std::pair<const char*, uint32_t> symbols[] = {
      {"emdash", 0x2014}, {"endash", 0x2013},   {"bullet", 0x2022},   {"lquote", 0x2018}, {"rquote", 0x2019},
      {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005}};
  for (const auto& [name, c] : symbols)
    if (word == name) return c;
  return std::nullopt;
}

enum class TDest { Text, Skip, FontTable, ColourTable, Picture };

struct TState {
  TDest Dest = TDest::Text;
  bool Bold = false, Italic = false, Underline = false;
  int Font = -1;    // font number; -1 = the default font
  int Colour = -1;  // colour table index; -1 = automatic
  int HalfPoints = DefaultRTFHalfPoints;
  TRTFAlign Align = TRTFAlign::Left;
  int UnicodeSkip = 1;
  bool OwnsPicture = false;  // the group that opened the picture
};

class TRTFReader {
public:
  explicit TRTFReader(std::string_view rtf) : In(rtf) {}
  TRTFDocument Run();

private:
  void Text(uint32_t c);
  void Byte(char c);  // a Windows-1252 byte of text
  void ControlWord(std::string_view word, bool hasParam, long param);
  void EndParagraph();
  void OpenGroup();
  void CloseGroup();
  void PictureWord(std::string_view word, bool hasParam, long param);
  void PictureHex(char c);
  void PictureByte(char b);
  void Binary(long count, bool skipping);
  void FinishPicture();
  TRTFCharFormat Format() const;

  std::string_view In;
  size_t Pos = 0;
  std::vector<TState> Stack{TState{}};
  int Overflow = 0;  // groups opened beyond the depth limit
  bool Ignorable = false;  // "\*" seen: an unknown destination that follows is skipped
  int SkipChars = 0;       // fallback characters of \uN still to drop
  uint32_t HighSurrogate = 0;
  TRTFDocument Doc;
  TRTFParagraph Para;
  // Tables.
  int DefaultFont = 0;
  std::map<int, std::string> Fonts;
  int FontEntry = 0;
  std::string FontName;
  std::vector<std::optional<uint32_t>> Colours;
  int Red = 0, Green = 0, Blue = 0;
  bool ColourGiven = false;
  // The picture being read.
  std::optional<TRTFPicture> Pict;
  bool PictKnown = false, PictTooLarge = false;
  int PendingNibble = -1;
  size_t PictureTotal = 0;
};

TRTFCharFormat TRTFReader::Format() const {
  const TState& s = Stack.back();
  TRTFCharFormat f;
  f.Bold = s.Bold;
  f.Italic = s.Italic;
  f.Underline = s.Underline;
  const auto font = Fonts.find(s.Font < 0 ? DefaultFont : s.Font);
  if (font != Fonts.end()) f.Font = font->second;
  if (s.Colour >= 0 && size_t(s.Colour) < Colours.size()) f.Colour = Colours[size_t(s.Colour)];
  f.HalfPoints = s.HalfPoints;
  return f;
}

void TRTFReader::Text(uint32_t c) {
  if (HighSurrogate) {  // half of a pair: the character is lost
    HighSurrogate = 0;
    Text('?');
  }
  if (c < 0x20 && c != '\t') return;  // control characters are no text
  const TState& s = Stack.back();
  if (s.Dest == TDest::FontTable) {
    if (c == '\t' || c == 0x2028) return;
    if (c == ';') {
      const size_t first = FontName.find_first_not_of(' '), last = FontName.find_last_not_of(' ');
      Fonts[FontEntry] = first == std::string::npos ? "" : FontName.substr(first, last - first + 1);
      FontName.clear();
    } else if (FontName.size() < MaxFontName) {
      AppendUtf8(FontName, c);
    }
    return;
  }
  if (s.Dest == TDest::ColourTable) {
    if (c == ';') {
      Colours.push_back(ColourGiven ? std::optional<uint32_t>(uint32_t(Red << 16 | Green << 8 | Blue)) : std::nullopt);
      Red = Green = Blue = 0;
      ColourGiven = false;
    }
    return;
  }
  if (s.Dest == TDest::Picture) {
    PictureHex(char(c));
    return;
  }
  if (s.Dest != TDest::Text) return;
  std::string utf8;
  AppendUtf8(utf8, c);
  AppendRTFText(Para, utf8, Format());
  Para.Align = s.Align;
}

void TRTFReader::Byte(char c) {
  if (SkipChars > 0 && (Stack.back().Dest == TDest::Text || Stack.back().Dest == TDest::FontTable)) {
    --SkipChars;
    return;
  }
  Text(Cp1252CodePoint(uint8_t(c)));
}

void TRTFReader::EndParagraph() {
  if (Stack.back().Dest != TDest::Text) return;
  Para.Align = Stack.back().Align;
  Doc.Paragraphs.push_back(std::move(Para));
  Para = TRTFParagraph{};
}

void TRTFReader::OpenGroup() {
  if (Overflow > 0 || int(Stack.size()) >= MaxRTFGroupDepth) {
    ++Overflow;
    return;
  }
  TState s = Stack.back();
  s.OwnsPicture = false;
  Stack.push_back(s);
}

void TRTFReader::CloseGroup() {
  if (Overflow > 0) {
    --Overflow;
    return;
  }
  if (Stack.size() <= 1) return;  // a stray close: the text goes on
  const TState closed = Stack.back();
  Stack.pop_back();
  if (closed.OwnsPicture) FinishPicture();
}

void TRTFReader::Binary(long count, bool skipping) {
  // Binary data: its bytes belong to a picture or to nothing.
  const size_t n = size_t(std::clamp(count, 0L, long(In.size() - Pos)));
  if (!skipping && Stack.back().Dest == TDest::Picture) {
    for (size_t i = 0; i < n; ++i) PictureByte(In[Pos + i]);
  }
  Pos += n;
}

void TRTFReader::PictureWord(std::string_view word, bool hasParam, long param) {
  TRTFPicture& p = *Pict;
  const int v = int(std::clamp(param, 0L, 1L << 24));
  if (word == "pngblip") {
    p.Kind = TRTFPictureKind::PNG;
    PictKnown = true;
  } else if (word == "jpegblip") {
    p.Kind = TRTFPictureKind::JPEG;
    PictKnown = true;
  } else if (word == "dibitmap") {
    p.Kind = TRTFPictureKind::DIB;
    PictKnown = true;
  } else if (word == "emfblip" || word == "wmetafile" || word == "wbitmap" || word == "macpict" ||
             word == "pmmetafile") {
    PictKnown = false;
  } else if (!hasParam) {
    return;
  } else if (word == "picw") {
    p.Width = v;
  } else if (word == "pich") {
    p.Height = v;
  } else if (word == "picwgoal") {
    p.GoalWidth = v;
  } else if (word == "pichgoal") {
    p.GoalHeight = v;
  } else if (word == "picscalex") {
    p.ScaleX = std::clamp(v, 1, 1000);
  } else if (word == "picscaley") {
    p.ScaleY = std::clamp(v, 1, 1000);
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void TRTFReader::PictureHex(char c) {
  const int v = HexValue(c);
  if (v < 0) return;
  if (PendingNibble < 0) {
    PendingNibble = v;
    return;
  }
  PictureByte(char(PendingNibble << 4 | v));
  PendingNibble = -1;
}

void TRTFReader::PictureByte(char b) {
  if (PictTooLarge) return;
  if (Pict->Data.size() >= MaxRTFPictureBytes || PictureTotal >= MaxRTFPictureTotal) {
    PictTooLarge = true;
    Pict->Data.clear();
    Pict->Data.shrink_to_fit();
    return;
  }
  Pict->Data += b;
  ++PictureTotal;
}

void TRTFReader::FinishPicture() {
  if (Pict && PictKnown && !PictTooLarge && !Pict->Data.empty() && Stack.back().Dest == TDest::Text) {
    Para.Runs.push_back(TRTFRun{"", Format(), std::make_shared<const TRTFPicture>(std::move(*Pict))});
    Para.Align = Stack.back().Align;
  }
  Pict.reset();
}

void TRTFReader::ControlWord(std::string_view word, bool hasParam, long param) {
  TState& s = Stack.back();
  const bool ignorable = Ignorable;
  Ignorable = false;
  if (s.Dest == TDest::Skip) return;
  if (s.Dest == TDest::Picture) {
    if (ignorable && !s.OwnsPicture)
      s.Dest = TDest::Skip;  // an identifier or tag in a group of its own
    else
      PictureWord(word, hasParam, param);
    return;
  }
  // Unicode characters, in text and in font names.
  if (s.Dest == TDest::Text || s.Dest == TDest::FontTable) {
    if (word == "u" && hasParam) {
      uint32_t code = uint32_t(param < 0 ? param + 65536 : param) & 0xFFFF;
      if (code >= 0xD800 && code < 0xDC00) {
        if (HighSurrogate) {
          HighSurrogate = 0;
          Text('?');
        }
        HighSurrogate = code;
      } else {
        if (code >= 0xDC00 && code < 0xE000) {
          code = HighSurrogate ? 0x10000 + ((HighSurrogate - 0xD800) << 10) + (code - 0xDC00) : '?';
          HighSurrogate = 0;
        }
        Text(code);
      }
      SkipChars = s.UnicodeSkip;
      return;
    }
    if (word == "uc" && hasParam) {
      s.UnicodeSkip = int(std::clamp(param, 0L, 8L));
      return;
    }
  }
  if (s.Dest == TDest::FontTable) {
    if (word == "f" && hasParam) {
      FontEntry = int(std::clamp(param, 0L, 65535L));
      FontName.clear();
    } else if (ignorable || IsSkippedDestination(word)) {
      s.Dest = TDest::Skip;
    }
    return;
  }
  if (s.Dest == TDest::ColourTable) {
    const int v = int(std::clamp(param, 0L, 255L));
    if (word == "red") Red = v;
    if (word == "green") Green = v;
    if (word == "blue") Blue = v;
    if (word == "red" || word == "green" || word == "blue") ColourGiven = true;
    return;
  }
  // Destinations.
  if (word == "fonttbl") {
    s.Dest = TDest::FontTable;
    return;
  }
  if (word == "colortbl") {
    s.Dest = TDest::ColourTable;
    return;
  }
  if (word == "pict") {
    s.Dest = TDest::Picture;
    s.OwnsPicture = true;
    Pict.emplace();
    PictKnown = PictTooLarge = false;
    PendingNibble = -1;
    return;
  }
  if (word == "shppict") return;  // the picture inside is the one to show
  if (IsSkippedDestination(word)) {
    s.Dest = TDest::Skip;
    return;
  }
  // Text.
  if (word == "par" || word == "sect" || word == "page" || word == "row") return EndParagraph();
  if (word == "line") return Text(0x2028);
  if (word == "tab" || word == "cell") return Text('\t');
  if (const auto c = SymbolWord(word)) return Text(*c);
  // Formatting.
  const bool on = !hasParam || param != 0;
  if (word == "b") s.Bold = on;
  else if (word == "i") s.Italic = on;
  else if (word == "ulnone") s.Underline = false;
  else if (word.substr(0, 2) == "ul" && word != "ulc") s.Underline = on;
  else if (word == "f" && hasParam) s.Font = int(std::clamp(param, 0L, 65535L));
  else if (word == "fs" && hasParam) s.HalfPoints = param > 0 ? int(std::min(param, 3276L)) : DefaultRTFHalfPoints;
  else if (word == "cf" && hasParam) s.Colour = int(std::clamp(param, 0L, 65535L));
  else if (word == "deff" && hasParam) DefaultFont = int(std::clamp(param, 0L, 65535L));
  else if (word == "plain") {
    s.Bold = s.Italic = s.Underline = false;
    s.Font = -1;
    s.Colour = -1;
    s.HalfPoints = DefaultRTFHalfPoints;
  } else if (word == "pard") s.Align = TRTFAlign::Left;
  else if (word == "ql") s.Align = TRTFAlign::Left;
  else if (word == "qc") s.Align = TRTFAlign::Centre;
  else if (word == "qr") s.Align = TRTFAlign::Right;
  else if (word == "qj") s.Align = TRTFAlign::Justify;
  else if (ignorable) s.Dest = TDest::Skip;  // an unknown destination
}

TRTFDocument TRTFReader::Run() {
  const size_t n = In.size();
  while (Pos < n) {
    const char c = In[Pos];
    if (c == '{') {
      ++Pos;
      OpenGroup();
      continue;
    }
    if (c == '}') {
      ++Pos;
      CloseGroup();
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++Pos;
      continue;
    }
    const bool skipping = Overflow > 0 || Stack.back().Dest == TDest::Skip;
    if (c != '\\') {
      ++Pos;
      if (!skipping) Byte(c);
      continue;
    }
    // A control symbol or word.
    if (Pos + 1 >= n) break;
    const char s = In[Pos + 1];
    if (s == '\\' || s == '{' || s == '}') {
      Pos += 2;
      if (!skipping) Byte(s);
      continue;
    }
    if (s == '\'') {
      const int hi = Pos + 2 < n ? HexValue(In[Pos + 2]) : -1;
      const int lo = Pos + 3 < n ? HexValue(In[Pos + 3]) : -1;
      if (hi >= 0 && lo >= 0) {
        Pos += 4;
        if (!skipping) Byte(char(hi << 4 | lo));
      } else {  // a broken escape: its digits go with it
        Pos += 2;
        while (Pos < n && HexValue(In[Pos]) >= 0) ++Pos;
      }
      continue;
    }
    if (!std::isalpha(static_cast<unsigned char>(s))) {
      Pos += 2;
      if (skipping) continue;
      if (s == '*') {
        Ignorable = true;
      } else if (s == '~') {
        Text(0xA0);
      } else if (s == '_') {
        Text(0x2011);
      } else if (s == '\r' || s == '\n') {
        EndParagraph();
      }
      continue;
    }
    size_t j = Pos + 1;
    while (j < n && j - Pos <= 32 && std::isalpha(static_cast<unsigned char>(In[j]))) ++j;
    const std::string_view word = In.substr(Pos + 1, j - Pos - 1);
    bool hasParam = false;
    long param = 0;
    size_t k = j;
    if (k < n && (In[k] == '-' || std::isdigit(static_cast<unsigned char>(In[k])))) {
      size_t d = k + (In[k] == '-' ? 1 : 0);
      const size_t digits = d;
      while (d < n && std::isdigit(static_cast<unsigned char>(In[d]))) ++d;
      // At most ten digits count; the rest are dropped with the word.
      param = std::strtol(std::string(In.substr(k, std::min(d, digits + 10) - k)).c_str(), nullptr, 10);
      hasParam = d > digits;
      k = d;
    }
    if (k < n && In[k] == ' ') ++k;  // the delimiting space belongs to the word
    Pos = k;
    if (word == "bin") {
      Binary(hasParam ? param : 0, skipping);
      continue;
    }
    if (word != "u") SkipChars = 0;
    if (!skipping) ControlWord(word, hasParam, param);
  }
  if (!Para.Runs.empty()) {
    Doc.Paragraphs.push_back(std::move(Para));
    Doc.LastParagraphClosed = false;
  }
  return Doc;
}

// ---- writing -------------------------------------------------------------

// Text, or with name set a table entry's name (no tabs or line breaks).
void WriteText(std::string& out, std::string_view utf8, bool name = false) {
  static const char hex[] = "0123456789abcdef";
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t at = i;
    // A byte that is not UTF-8 stands for itself in Windows-1252.
    const uint32_t cp = NextUtf8(utf8, i).value_or(Cp1252CodePoint(uint8_t(utf8[at])));
    const int byte = CodePointToCp1252(cp);
    if (cp == '\\' || cp == '{' || cp == '}') {
      out += '\\';
      out += char(cp);
    } else if (cp == '\t' && !name) {
      out += "\\tab ";
    } else if ((cp == 0x2028 || cp == '\n') && !name) {
      out += "\\line ";
    } else if (cp < 0x20 || cp == 0x2028) {
      continue;
    } else if (cp < 0x80) {
      out += char(cp);
    } else if (byte >= 0) {
      out += "\\'";
      out += hex[byte >> 4];
      out += hex[byte & 15];
    } else {
      auto unit = [&](uint32_t u) { out += "\\u" + std::to_string(int16_t(uint16_t(u))) + "?"; };
      if (cp >= 0x10000) {
        unit(0xD800 + ((cp - 0x10000) >> 10));
        unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        unit(cp);
      }
    }
  }
}

void WritePicture(std::string& out, const TRTFPicture& p) {
  out += "{\\pict";
  out += p.Kind == TRTFPictureKind::PNG ? "\\pngblip" : p.Kind == TRTFPictureKind::JPEG ? "\\jpegblip" : "\\dibitmap0";
  out += "\\picw" + std::to_string(p.Width) + "\\pich" + std::to_string(p.Height);
  if (p.GoalWidth) out += "\\picwgoal" + std::to_string(p.GoalWidth);
  if (p.GoalHeight) out += "\\pichgoal" + std::to_string(p.GoalHeight);
  if (p.ScaleX != 100) out += "\\picscalex" + std::to_string(p.ScaleX);
  if (p.ScaleY != 100) out += "\\picscaley" + std::to_string(p.ScaleY);
  static const char hex[] = "0123456789abcdef";
  for (size_t i = 0; i < p.Data.size(); ++i) {
    if (i % 64 == 0) out += '\n';
    out += hex[static_cast<unsigned char>(p.Data[i]) >> 4];
    out += hex[static_cast<unsigned char>(p.Data[i]) & 15];
  }
  out += "}";
}

}  // namespace

void AppendRTFText(TRTFParagraph& paragraph, std::string_view text, const TRTFCharFormat& format) {
  std::vector<TRTFRun>& runs = paragraph.Runs;
  if (runs.empty() || runs.back().Picture || !(runs.back().Format == format))
    runs.push_back(TRTFRun{"", format, nullptr});
  runs.back().Text += text;
}

TRTFDocument ReadRTF(std::string_view rtf) {
  if (rtf.substr(0, 5) == "{\\rtf") return TRTFReader(rtf).Run();
  TRTFDocument doc;
  TLineReader lines{rtf};
  std::string line;
  while (lines.Next(line)) {
    TRTFParagraph p;
    std::string text;
    for (char c : line)
      if (uint8_t(c) >= 0x20 || c == '\t') AppendUtf8(text, Cp1252CodePoint(uint8_t(c)));  // no control characters
    if (!text.empty()) p.Runs.push_back(TRTFRun{text, {}, nullptr});
    doc.Paragraphs.push_back(std::move(p));
  }
  doc.LastParagraphClosed = rtf.empty() || rtf.back() == '\n';
  if (!doc.LastParagraphClosed && doc.Paragraphs.back().Runs.empty()) {  // as in RTF: no paragraph
    doc.Paragraphs.pop_back();
    doc.LastParagraphClosed = true;
  }
  return doc;
}

std::string WriteRTF(const TRTFDocument& doc) {
  // Tables of the fonts and colours in use, in order of first use; the
  // default font is the one text without a font name has (an empty name).
  std::vector<std::string> fonts;
  std::vector<uint32_t> colours;
  for (const TRTFParagraph& p : doc.Paragraphs) {
    for (const TRTFRun& r : p.Runs) {
      if (std::find(fonts.begin(), fonts.end(), r.Format.Font) == fonts.end()) fonts.push_back(r.Format.Font);
      if (r.Format.Colour && std::find(colours.begin(), colours.end(), *r.Format.Colour) == colours.end())
        colours.push_back(*r.Format.Colour);
    }
  }
  const auto unnamed = std::find(fonts.begin(), fonts.end(), std::string());
  const size_t defaultFont = unnamed == fonts.end() ? 0 : size_t(unnamed - fonts.begin());
  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff" + std::to_string(defaultFont) + "\\uc1";
  if (!fonts.empty()) {
    out += "{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i) {
      out += "{\\f" + std::to_string(i) + "\\fnil ";
      WriteText(out, fonts[i], true);
      out += ";}";
    }
    out += "}";
  }
  if (!colours.empty()) {
    out += "\n{\\colortbl ;";
    for (uint32_t c : colours)
      out += "\\red" + std::to_string(c >> 16 & 0xFF) + "\\green" + std::to_string(c >> 8 & 0xFF) + "\\blue" +
             std::to_string(c & 0xFF) + ";";
    out += "}";
  }
  out += "\n";
  for (size_t pi = 0; pi < doc.Paragraphs.size(); ++pi) {
    const TRTFParagraph& p = doc.Paragraphs[pi];
    static const char* const align[] = {"", "\\qc", "\\qr", "\\qj"};
    out += "\\pard";
    out += align[int(p.Align)];
    for (const TRTFRun& r : p.Runs) {
      const TRTFCharFormat& f = r.Format;
      out += "{";
      const size_t font = size_t(std::find(fonts.begin(), fonts.end(), f.Font) - fonts.begin());
      if (font != defaultFont) out += "\\f" + std::to_string(font);
      if (f.HalfPoints != DefaultRTFHalfPoints) out += "\\fs" + std::to_string(f.HalfPoints);
      if (f.Bold) out += "\\b";
      if (f.Italic) out += "\\i";
      if (f.Underline) out += "\\ul";
      if (f.Colour)
        out += "\\cf" + std::to_string(std::find(colours.begin(), colours.end(), *f.Colour) - colours.begin() + 1);
      if (r.Picture) {
        WritePicture(out, *r.Picture);
      } else {
        if (out.back() != '{') out += ' ';
        WriteText(out, r.Text);
      }
      out += "}";
    }
    if (pi + 1 < doc.Paragraphs.size() || doc.LastParagraphClosed) out += "\\par\n";
  }
  out += "}";
  return out;
}

std::string RTFToPlainText(std::string_view rtf) {
  const TRTFDocument doc = ReadRTF(rtf);
  std::string out;
  for (size_t i = 0; i < doc.Paragraphs.size(); ++i) {
    for (const TRTFRun& r : doc.Paragraphs[i].Runs) out += r.Text;
    if (i + 1 < doc.Paragraphs.size() || doc.LastParagraphClosed) out += '\n';
  }
  // Line breaks become new lines too.
  std::string plain;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out.compare(i, 3, LineSeparator) == 0) {
      plain += '\n';
      i += 2;
    } else {
      plain += out[i];
    }
  }
  return plain;
}

}  // namespace vs
