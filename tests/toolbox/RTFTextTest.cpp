#include <gtest/gtest.h>

#include <random>

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

}  // namespace
}  // namespace vs
