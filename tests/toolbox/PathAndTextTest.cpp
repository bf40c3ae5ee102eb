#include <gtest/gtest.h>

#include <filesystem>

#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "toolbox/MessageBox.h"
#include "toolbox/PathTools.h"
#include "toolbox/TextCodec.h"

using namespace vs;

TEST(Paths, FileNamePartsTakeBothSeparators) {
  EXPECT_EQ(ExtractFileName("C:\\Kits\\kick.wav"), "kick.wav");
  EXPECT_EQ(ExtractFileName("/a/b/snare.WAV"), "snare.WAV");
  EXPECT_EQ(ExtractFileName("\\Kits/mixed\\hat.wav"), "hat.wav");
  EXPECT_EQ(ExtractFileName("plain"), "plain");
  EXPECT_EQ(ExtractFilePath("/a/b/c.wav"), "/a/b/");
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("/a/c.Wav"), ".Wav");
  EXPECT_EQ(ChangeFileExt("/a/c.ds", ".WAV"), "/a/c.WAV");
  EXPECT_EQ(ChangeFileExt("/a.b/c", ".wav"), "/a.b/c.wav");
  EXPECT_TRUE(HasExtension("x.ZMP", ".zmp"));
  EXPECT_FALSE(HasExtension("x.zmp.bak", ".zmp"));
}

TEST(Paths, StoredNamesAndBack) {
  EXPECT_EQ(StoredNameToPath("\\DrumKits\\Basic\\kick.wav", "/data/Samples/"),
            "/data/Samples/DrumKits/Basic/kick.wav");
  EXPECT_EQ(StoredNameToPath("\\kick.wav", "/data/Samples"), "/data/Samples/kick.wav");
  EXPECT_EQ(StoredNameToPath("/home/u/kick.wav", "/data/Samples/"), "/home/u/kick.wav");
  EXPECT_EQ(StoredNameToPath("C:\\Kits\\kick.wav", "/s/"), "C:\\Kits\\kick.wav");  // as written
  EXPECT_EQ(PathToStoredName("/data/Samples/DrumKits/kick.wav", "/data/Samples"), "\\DrumKits\\kick.wav");
  EXPECT_EQ(PathToStoredName("/elsewhere/kick.wav", "/data/Samples/"), "/elsewhere/kick.wav");
  EXPECT_EQ(PathToStoredName("/data/SamplesX/k.wav", "/data/Samples"), "/data/SamplesX/k.wav");
}

TEST(Paths, CaseInsensitiveLookupFolderByFolder) {
  TTestDir d;
  d.Write("Samples/DrumKits/Kick.WAV", "x");
  EXPECT_EQ(FindPathCaseInsensitive(d / "samples/drumkits/kick.wav"), d / "Samples/DrumKits/Kick.WAV");
  EXPECT_EQ(FindPathCaseInsensitive(d / "Samples/DrumKits/Kick.WAV"), d / "Samples/DrumKits/Kick.WAV");
  EXPECT_EQ(FindPathCaseInsensitive(d / "samples/other/kick.wav"), "");
  EXPECT_EQ(FindPathCaseInsensitive(""), "");
}

TEST(TextCodec, Windows1252RoundTrip) {
  EXPECT_EQ(Cp1252ToUtf8("Caf\xE9 \x80\x99"), "Caf\xC3\xA9 \xE2\x82\xAC\xE2\x84\xA2");  // é € ™
  EXPECT_EQ(Utf8ToCp1252("Caf\xC3\xA9 \xE2\x82\xAC\xE2\x84\xA2"), "Caf\xE9 \x80\x99");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);  // every byte survives
  EXPECT_EQ(Utf8ToCp1252("\xE6\x97\xA5"), "?");      // not in the code page
  EXPECT_EQ(Utf8ToCp1252("a\xFF" "b"), "a?b");        // invalid UTF-8
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");               // cut short
  EXPECT_EQ(Utf8ToCp1252("\xC0\x80"), "??");          // overlong
}

TEST(TextCodec, LinesLoseTheirCR) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\r\n"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nlast"), (std::vector<std::string>{"a", "", "last"}));
  EXPECT_EQ(SplitLines("x\r"), (std::vector<std::string>{"x"}));
  EXPECT_TRUE(SplitLines("").empty());
  TTestDir d;
  auto lines = ReadTextLines(d.Write("t.txt", "FXNum=1\r\nVal=5\r\n"));
  ASSERT_TRUE(lines);
  EXPECT_EQ(*lines, (std::vector<std::string>{"FXNum=1", "Val=5"}));
  EXPECT_FALSE(ReadTextLines(d / "missing.txt"));
  EXPECT_FALSE(ReadTextLines(d.Dir()));
}

TEST(MessageBox, CaptionBeforeTheBar) {
  TRecordingMessageBox rec;
  rec.Answer(IdYes);
  EXPECT_EQ(HintMessageBox("Error|The file doesn't exist or has been moved.", MbOK | MbIconError), IdYes);
  EXPECT_EQ(HintMessageBox("Confirm|Save|changes?", MbYesNoCancel), IdCancel);  // default answer
  EXPECT_EQ(HintMessageBox("No bar here", MbYesNo), IdNo);
  auto boxes = rec.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].Caption, "Error");
  EXPECT_EQ(boxes[0].Message, "The file doesn't exist or has been moved.");
  EXPECT_EQ(boxes[0].Flags, MbOK | MbIconError);
  EXPECT_EQ(boxes[1].Caption, "Confirm");
  EXPECT_EQ(boxes[1].Message, "Save|changes?");
  EXPECT_EQ(boxes[2].Caption, "");
  EXPECT_EQ(boxes[2].Message, "No bar here");
}

TEST(MessageBox, WithoutHandlerAnswersCautiously) {
  EXPECT_EQ(HintMessageBox("Warning|headless", MbOKCancel | MbIconWarning), IdCancel);
  EXPECT_EQ(HintMessageBox("Info|headless", MbOK), IdOK);
}
