#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "toolbox/RTFText.h"
#include "toolbox/TextCodec.h"

namespace vs {
namespace {

TEST(RTFText, KeepsTheTextAndDropsFormattingAndTables) {
  const std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
      "{\\*\\generator Riched20 10.0;}\\viewkind4\\uc1\\pard\\f0\\fs20 Acid \\b loop\\b0  at 140\\par\r\n"
      "Caf\\'e9 \\{x\\} \\\\ \\u8364?\\tab end{\\pict\\wmetafile8 0102ff}\\par\r\n}";
  EXPECT_EQ(RTFToPlainText(rtf), "Acid loop at 140\nCaf\xC3\xA9 {x} \\ \xE2\x82\xAC\tend\n");
}

TEST(RTFText, PlainAndBrokenInput) {
  EXPECT_EQ(RTFToPlainText("just text \xE9"), "just text \xC3\xA9");  // Windows-1252
  EXPECT_EQ(RTFToPlainText(""), "");
  // Truncated documents, unbalanced groups and stray escapes never fail.
  EXPECT_EQ(RTFToPlainText("{\\rtf1 abc\\"), "abc");
  EXPECT_EQ(RTFToPlainText("{\\rtf1 a}}}b{{"), "ab");
  EXPECT_EQ(RTFToPlainText("{\\rtf1 x\\'4"), "x");
  EXPECT_EQ(RTFToPlainText("{\\rtf1 \\u-4064?\\u55357?z}"), "\xEF\x80\xA0?z");
  EXPECT_EQ(RTFToPlainText("{\\rtf1 \\uc2\\u233xy!}"), "\xC3\xA9!");
}

// Mutated documents always give whole UTF-8 sequences.
TEST(RTFText, MutatedDocumentsGiveValidText) {
  const std::string seed =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\uc1 a\\'e9\\u8364?b{\\*\\x y}\\par\\tab c\\{\\}}";
  std::mt19937 rng(11);
  const char alphabet[] = "{}\\'*u0123456789abcdefpar- ?\x80\xff";
  for (int round = 0; round < 20000; ++round) {
    std::string doc = seed;
    const int edits = 1 + int(rng() % 8);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % (doc.size() + 1);
      switch (rng() % 3) {
        case 0: doc.insert(doc.begin() + at, alphabet[rng() % (sizeof alphabet - 1)]); break;
        case 1: if (at < doc.size()) doc.erase(at, 1 + rng() % 4); break;
        default: doc = doc.substr(0, at); break;
      }
    }
    const std::string text = RTFToPlainText(doc);
    size_t i = 0;
    while (i < text.size()) {
      const unsigned char c = text[i];
      const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
      ASSERT_NE(n, 0u) << doc;
      ASSERT_LE(i + n, text.size()) << doc;
      for (size_t k = 1; k < n; ++k) ASSERT_EQ(text[i + k] & 0xC0, 0x80) << doc;
      i += n;
    }
  }
}

TRTFRun TextRun(std::string text, TRTFCharFormat f = {}) { return TRTFRun{std::move(text), std::move(f), nullptr}; }
TRTFCharFormat Fmt(std::string font, int halfPoints, bool b = false, bool i = false, bool u = false,
                   std::optional<uint32_t> colour = std::nullopt) {
  return TRTFCharFormat{b, i, u, std::move(font), colour, halfPoints};
}
TRTFRun PictureRun(TRTFPictureKind kind, std::string data, int w, int h, int gw, int gh, TRTFCharFormat f) {
  auto p = std::make_shared<TRTFPicture>();
  p->Kind = kind;
  p->Data = std::move(data);
  p->Width = w;
  p->Height = h;
  p->GoalWidth = gw;
  p->GoalHeight = gh;
  return TRTFRun{"", std::move(f), p};
}

// A document as a rich edit writes it: tables, formatting, destinations it
// knows and ones it doesn't, and pictures in the forms seen in the wild.
TEST(RTFText, ReadsFormattingTablesAndPictures) {
  const std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
      "{\\f1\\fswiss\\fprq2{\\*\\panose 020b0604020202020204}Arial;}}\r\n"
      "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}\r\n"
      "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
      "\\pard\\sa200\\sl276\\slmult1\\qc\\f0\\fs22\\lang9 Title \\b bold\\b0  \\i it\\i0\\par\r\n"
      "\\pard\\f1\\fs28\\cf1\\ul red\\ulnone\\cf2  blue\\cf0 \\line next{\\*\\unknown hidden}{\\mystery shown}"
      "\\tab end\\par\r\n"
      "{\\pict\\pngblip\\picw2\\pich3\\picwgoal30\\pichgoal45 89504e\r\n47}\\par\r\n"
      "{\\*\\shppict{\\pict{\\*\\blipuid 00112233}\\jpegblip\\picw1\\pich1 ffd8ffd9}}"
      "{\\nonshppict{\\pict\\wmetafile8 0102}}{\\pict\\wmetafile8\\picw1 aa}{\\pict\\dibitmap0 \\bin3 }{\\}\\par\r\n}";
  const TRTFCharFormat arial = Fmt("Arial", 28);
  TRTFDocument want;
  want.Paragraphs = {
      {TRTFAlign::Centre,
       {TextRun("Title ", Fmt("Calibri", 22)), TextRun("bold", Fmt("Calibri", 22, true)), TextRun(" ", Fmt("Calibri", 22)),
        TextRun("it", Fmt("Calibri", 22, false, true))}},
      {TRTFAlign::Left,
       {TextRun("red", Fmt("Arial", 28, false, false, true, 0xFF0000)), TextRun(" blue", Fmt("Arial", 28, false, false, false, 0x0080FF)),
        TextRun("\xE2\x80\xA8nextshown\tend", arial)}},
      {TRTFAlign::Left, {PictureRun(TRTFPictureKind::PNG, "\x89PNG", 2, 3, 30, 45, arial)}},
      {TRTFAlign::Left,
       {PictureRun(TRTFPictureKind::JPEG, "\xFF\xD8\xFF\xD9", 1, 1, 0, 0, arial),
        PictureRun(TRTFPictureKind::DIB, "}{\\", 0, 0, 0, 0, arial)}}};
  const TRTFDocument doc = ReadRTF(rtf);
  EXPECT_EQ(doc, want);
  EXPECT_EQ(RTFToPlainText(rtf), "Title bold it\nred blue\nnextshown\tend\n\n\n");
  // Written and read again: the same document, and the same bytes the
  // second time.
  const std::string written = WriteRTF(doc);
  EXPECT_EQ(ReadRTF(written), doc);
  EXPECT_EQ(WriteRTF(ReadRTF(written)), written);
}

TEST(RTFText, WrittenDocumentsReadBackEqual) {
  TRTFDocument doc;
  doc.Paragraphs = {
      {TRTFAlign::Right,
       {TextRun("Plain {braces} \\ back\tslash"), TextRun("Caf\xC3\xA9 \xE2\x82\xAC", Fmt("Caf\xC3\xA9 Sans", 40, true, true, true, 0x102030)),
        TextRun("\xCE\xA9 \xF0\x9F\x8E\xB5 \xE2\x80\xA8 next", Fmt("", 18, false, false, false, 0xFFFFFF))}},
      {TRTFAlign::Justify, {}},
      {TRTFAlign::Centre,
       {PictureRun(TRTFPictureKind::DIB, std::string("\x28\0\0\0", 4) + "rest", 7, 9, 105, 135, Fmt("Mono", 24)),
        TextRun("after", Fmt("Mono", 24))}}};
  doc.LastParagraphClosed = false;
  const std::string rtf = WriteRTF(doc);
  EXPECT_EQ(ReadRTF(rtf), doc);
  EXPECT_EQ(RTFToPlainText(rtf), "Plain {braces} \\ back\tslashCaf\xC3\xA9 \xE2\x82\xAC\xCE\xA9 \xF0\x9F\x8E\xB5 \n next\n\nafter");
  // Windows-1252 characters are written as such; others as Unicode escapes.
  EXPECT_NE(rtf.find("Caf\\'e9 \\'80"), std::string::npos);
  EXPECT_NE(rtf.find("\\u937?"), std::string::npos);
  EXPECT_NE(rtf.find("\\u-10180?\\u-8267?"), std::string::npos);
  EXPECT_EQ(ReadRTF(WriteRTF(TRTFDocument{})), TRTFDocument{});
}

TEST(RTFText, HostileInputStaysBounded) {
  // Nesting beyond the limit is skipped whole; the text around it stays.
  const std::string deep = "{\\rtf1 a" + std::string(200000, '{') + "deep" + std::string(200000, '}') + "b}";
  EXPECT_EQ(RTFToPlainText(deep), "ab");
  // Picture data beyond the limit drops the picture, not the text.
  std::string big = "{\\rtf1 x{\\pict\\pngblip ";
  big.append(2 * (MaxRTFPictureBytes + 1), 'a');
  big += "}y}";
  const TRTFDocument bigDoc = ReadRTF(big);
  ASSERT_EQ(bigDoc.Paragraphs.size(), 1u);
  EXPECT_EQ(bigDoc.Paragraphs[0].Runs.size(), 1u);
  EXPECT_EQ(bigDoc.Paragraphs[0].Runs[0].Text, "xy");
  // Binary runs longer than the text, numbers beyond any range, broken
  // escapes and a picture cut off.
  EXPECT_EQ(RTFToPlainText("{\\rtf1 a\\bin99999999999 bc"), "a");
  EXPECT_EQ(RTFToPlainText("{\\rtf1 {\\pict\\pngblip\\bin-5 00}z}"), "z");
  const TRTFDocument odd = ReadRTF(
      "{\\rtf1{\\fonttbl{\\f99999999999 Big;}}\\f99999999999\\fs-4\\cf-9\\cf99999 \\'zzq\\u99999999999?"
      "{\\pict\\pngblip\\picw-3\\picscalex99999 abc");
  ASSERT_EQ(odd.Paragraphs.size(), 1u);
  ASSERT_EQ(odd.Paragraphs[0].Runs.size(), 1u);
  EXPECT_EQ(odd.Paragraphs[0].Runs[0].Format, Fmt("Big", 24));
  EXPECT_FALSE(odd.LastParagraphClosed);
}

}  // namespace
}  // namespace vs
