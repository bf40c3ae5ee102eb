// A bounded random-mutation run over the rich text reader: damaged documents
// give a document that the writer turns into RTF reading back as the same
// document, whatever the damage (run it in the sanitizer build too).

#include <gtest/gtest.h>

#include <random>

#include "support/ByteMutation.h"
#include "toolbox/RTFText.h"

namespace vs {
namespace {

std::vector<std::string> Seeds() {
  TRTFDocument doc;
  auto pict = std::make_shared<TRTFPicture>();
  pict->Data = "\x89PNG\r\n";
  pict->Width = pict->Height = 4;
  TRTFCharFormat bold{true, false, true, "Arial", 0xFF8000, 30};
  doc.Paragraphs = {{TRTFAlign::Centre, {{"Acid \xE2\x82\xAC{}", bold, nullptr}, {"", {}, pict}}},
                    {TRTFAlign::Left, {{"\xCE\xA9\t\xE2\x80\xA8x", {}, nullptr}}}};
  return {WriteRTF(doc),
          "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Calibri;}{\\f1{\\*\\panose 00}Arial;}}{\\colortbl ;\\red255"
          "\\green0\\blue0;}\\uc1\\pard\\qc\\f0\\fs22 Title \\b bold\\b0\\par\\pard\\cf1\\ul x\\ulnone\\line "
          "\\u8364?\\'e9{\\*\\shppict{\\pict{\\*\\blipuid 0011}\\jpegblip\\picw1 ffd8}}{\\nonshppict x}"
          "{\\pict\\dibitmap0\\bin4 \\{}\\}\\par}"};
}

TEST(RTFFuzz, DamagedDocumentsReadAndWriteBackTheSame) {
  const std::vector<std::string> seeds = Seeds();
  std::mt19937 rng(28);
  const int iterations = FuzzIterations(20000);
  for (int iter = 0; iter < iterations; ++iter) {
    std::string rtf = seeds[size_t(iter) % seeds.size()];
    MutateBytes(rtf, rng, {'{', '}', '\\', 0x7B7B7B7B, 0x5C5C5C5C, 0x7D7D7D7D, '0', '9'});
    const TRTFDocument doc = ReadRTF(rtf);
    const std::string written = WriteRTF(doc);
    ASSERT_EQ(ReadRTF(written), doc) << iter << "\n" << rtf << "\n" << written;
    RTFToPlainText(rtf);
  }
}

}  // namespace
}  // namespace vs
