#include <gtest/gtest.h>

#include "toolbox/RTFText.h"

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

}  // namespace
}  // namespace vs
