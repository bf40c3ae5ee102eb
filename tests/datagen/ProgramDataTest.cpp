// The shipped data: the generated default drum kit reads back with the song
// reader, every channel's sample exists and sounds, and the generator writes
// the same bytes every time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "model/Song.h"
#include "engine/WAVFiles.h"
#include "files/MIDIExport.h"
#include "files/SongFile.h"
#include "files/SongReader.h"
#include "support/TempDir.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"
#include "toolbox/RTFText.h"
#include "tools/datagen/ProgramData.h"
#include "tools/datagen/StyleLayout.h"
#include "core/Style.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// Peak magnitude of a sample's frames.
int Peak(const TWAVSample& s) {
  int peak = 0;
  for (int16_t v : s.Data) peak = std::max(peak, std::abs(static_cast<int>(v)));
  return peak;
}

// The data folder the build made (the program's AppPath in the build tree).
std::string BuiltData() {
#ifdef VS_DATA_DIR
  return VS_DATA_DIR;
#else
  return {};
#endif
}

class GeneratedData : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::string App;
  void SetUp() override {
    App = Tmp / "app/";
    std::string error;
    ASSERT_TRUE(datagen::WriteProgramData(App, error)) << error;
  }
  void TearDown() override { ProgramPaths() = {}; }
  std::string KitSong() const { return App + "Samples/DrumKits/Basic/Basic.zmp"; }
};

TEST_F(GeneratedData, MakesTheFoldersUnderAppPathAndTheStyleConfig) {
  for (const char* folder : {"Styles/Default", "Samples", "Samples/DrumKits", "Samples/DrumKits/Basic", "Loops",
                             "MB404", "Plugins/VST", "Texts"})
    EXPECT_TRUE(fs::is_directory(App + folder)) << folder;
  const auto config = ReadFileBytes(App + "Styles/Default/config.txt");
  ASSERT_TRUE(config);
  EXPECT_NE(config->find("Hint=VorbelSteps\r\n"), std::string::npos);
}

TEST_F(GeneratedData, KitSongReadsBackWithOneNamedChannelPerSound) {
  TSongFileContent content;
  ASSERT_EQ(ReadSongFile(KitSong(), content), SongLoaded);
  const TSong& song = *content.Song;
  EXPECT_EQ(song.BPM, datagen::BasicKitTempo);
  EXPECT_GE(song.BPM, 120);
  EXPECT_LE(song.BPM, 130);
  EXPECT_EQ(song.PatternLength(), 16);
  EXPECT_EQ(song.CurrentPattern, 1);
  EXPECT_FALSE(song.SongModeOn);
  EXPECT_EQ(song.Info.Title, "Basic");

  const char* names[] = {"Kick", "Snare", "Clap", "Closed Hat", "Open Hat", "Tom", "Rim", "Crash"};
  const char* files[] = {"Kick", "Snare", "Clap", "ClosedHat", "OpenHat", "Tom", "Rim", "Crash"};
  ASSERT_EQ(song.ChannelCount(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(song.Channel(i)->Name, names[i]);
    EXPECT_EQ(song.Channel(i)->SampleFileName, std::string("\\DrumKits\\Basic\\") + files[i] + ".wav");
  }
  // The closed hat chokes the open hat.
  EXPECT_EQ(song.Channel(3)->Sample.CutGroup, 1);
  EXPECT_EQ(song.Channel(4)->Sample.CutByGroup, 1);
  // Playlist 3, 1, 1, 2.
  EXPECT_EQ(song.Playlist.PlaylistBars[0], std::vector<int>{3});
  EXPECT_EQ(song.Playlist.PlaylistBars[3], std::vector<int>{2});
  EXPECT_TRUE(song.Playlist.PlaylistBars[4].empty());
}

// The kit plays General MIDI drums on channel 10: its beat exported as a
// MIDI file holds their note-ons, five on the kick.
TEST_F(GeneratedData, TheKitsBeatExportsAsGeneralMidiDrums) {
  TSongFileContent content;
  ASSERT_EQ(ReadSongFile(KitSong(), content), SongLoaded);
  TMIDIExportOptions options;
  options.MIDIExportWholeSong = false;
  ASSERT_TRUE(SaveSongAsMIDI(Tmp / "beat.mid", *content.Song, options));
  const std::string bytes = *ReadFileBytes(Tmp / "beat.mid");
  std::map<int, int> noteOns;
  for (size_t i = MIDIHeaderSize; i + 2 < bytes.size(); ++i)
    if (uint8_t(bytes[i]) == 0x99 && bytes[i + 2] > 0) ++noteOns[bytes[i + 1]];
  EXPECT_EQ(noteOns, (std::map<int, int>{{36, 5}, {37, 2}, {38, 2}, {39, 2}, {42, 15}, {46, 1}}));
}

TEST_F(GeneratedData, PatternOneIsABeat) {
  TSongFileContent content;
  ASSERT_EQ(ReadSongFile(KitSong(), content), SongLoaded);
  const TSong& song = *content.Song;
  auto on = [&](int channel, int step) { return song.Channel(channel)->Steps.IsStepOn(1, step) != 0; };
  for (int s : {0, 4, 8, 12}) EXPECT_TRUE(on(0, s)) << "kick " << s;
  for (int s : {4, 12}) {
    EXPECT_TRUE(on(1, s)) << "snare " << s;
    EXPECT_TRUE(on(2, s)) << "clap " << s;
  }
  for (int s : {2, 6, 10}) EXPECT_TRUE(on(3, s)) << "closed hat " << s;
  EXPECT_FALSE(on(3, 14));
  EXPECT_TRUE(on(4, 14));
  EXPECT_FALSE(on(7, 0));  // the crash belongs to pattern 3

  // Not every hit at one level.
  const TStepStore& hats = song.Channel(3)->Steps;
  EXPECT_NE(hats.GetStepValue(1, 2, PlaneVol), hats.GetStepValue(1, 1, PlaneVol));
  EXPECT_FALSE(song.Channel(5)->Steps.IsPatternEmpty(2));  // toms in the fill
}

TEST_F(GeneratedData, EverySampleResolvesFromTheSamplesFolderAndSounds) {
  ProgramPaths().AppPath = App;
  TSongFileContent content;
  ASSERT_EQ(ReadSongFile(KitSong(), content), SongLoaded);
  for (int i = 0; i < content.Song->ChannelCount(); ++i) {
    const TChannel& c = *content.Song->Channel(i);
    const std::string path = ResolveSamplePath(c.SampleFileName);
    ASSERT_FALSE(path.empty()) << c.SampleFileName;
    EXPECT_EQ(path, App + "Samples/DrumKits/Basic/" + ExtractFileName(c.SampleFileName));
    TWAVSample s;
    ASSERT_EQ(LoadWAVSample(path, s), WAVLoaded) << path;
    EXPECT_GT(s.Length, 1000) << path;
    EXPECT_GT(Peak(s), 8000) << path;
    // Each sound fades to silence at its end (no click when it stops).
    EXPECT_EQ(s.Data[2 * (s.Length - 1)], 0) << path;
  }
}

TEST_F(GeneratedData, ProgramLoaderFillsEveryChannel) {
  ProgramPaths().AppPath = App;
  TSongFileContent content;
  SongReadOptions options;
  options.Loader = &ProgramChannelLoader();
  ASSERT_EQ(ReadSongFile(KitSong(), content, options), SongLoaded);
  for (int i = 0; i < content.Song->ChannelCount(); ++i)
    EXPECT_GT(Peak(content.Song->Channel(i)->Sample), 8000) << content.Song->Channel(i)->Name;
}

TEST_F(GeneratedData, SecondRunWritesTheSameBytesAndTheSongRoundTrips) {
  const auto first = ReadFileBytes(KitSong());
  const auto kick = ReadFileBytes(App + "Samples/DrumKits/Basic/Kick.wav");
  std::string error;
  ASSERT_TRUE(datagen::WriteProgramData(App, error)) << error;
  EXPECT_EQ(ReadFileBytes(KitSong()), first);
  EXPECT_EQ(ReadFileBytes(App + "Samples/DrumKits/Basic/Kick.wav"), kick);

  // Read with the samples loaded (a channel whose sample is missing is
  // marked red by the reader).
  ProgramPaths().AppPath = App;
  TSongFileContent content;
  SongReadOptions options;
  options.Loader = &ProgramChannelLoader();
  ASSERT_EQ(ReadSongFile(KitSong(), content, options), SongLoaded);
  const auto again = BuildSongImage(*content.Song);
  ASSERT_TRUE(first);
  EXPECT_EQ(std::string(again.begin(), again.end()), *first);
}

TEST_F(GeneratedData, TipsAndTutorialPagesSpeakEveryLanguageAndEveryPageSongReads) {
  // The tips: one a line, the same number in English, French and Dutch,
  // each a different text.
  std::vector<std::vector<std::string>> tips;
  for (const char* file : {"Tips.txt", "Tips_1.txt", "Tips_2.txt"}) {
    const auto text = ReadFileBytes(App + "Texts/" + file);
    ASSERT_TRUE(text) << file;
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < text->size(); at = end + 1) {
      end = std::min(text->find('\n', at), text->size());
      lines.push_back(text->substr(at, end - at));
    }
    tips.push_back(lines);
  }
  EXPECT_GE(tips[0].size(), 10u);
  EXPECT_EQ(tips[1].size(), tips[0].size());
  EXPECT_EQ(tips[2].size(), tips[0].size());
  for (size_t i = 0; i + 1 < tips[0].size(); ++i) EXPECT_NE(tips[0][i], tips[1][i]);
  EXPECT_NE(RTFToPlainText(*ReadFileBytes(App + "Texts/AboutTxt.rtf")).find("Independent JPEG Group"),
            std::string::npos);
  // The products text and the help: the same paragraphs in every language,
  // none left in English.
  for (const char* name : {"InfoTxt", "HelpTxt"}) {
    std::vector<std::string> texts;
    for (const char* suffix : {".rtf", "_1.rtf", "_2.rtf"}) {
      const auto rtf = ReadFileBytes(App + "Texts/" + name + suffix);
      ASSERT_TRUE(rtf) << name << suffix;
      texts.push_back(RTFToPlainText(*rtf));
    }
    auto lines = [](const std::string& t) { return std::count(t.begin(), t.end(), '\n'); };
    EXPECT_GT(texts[0].size(), 300u) << name;
    for (int language = 1; language < 3; ++language) {
      EXPECT_EQ(lines(texts[size_t(language)]), lines(texts[0])) << name << language;
      EXPECT_NE(texts[size_t(language)], texts[0]) << name << language;
    }
  }

  // Five pages with no gap: a song of the kit each, titled as its English
  // text, with the text in three languages.
  for (int page = 0; page < 5; ++page) {
    const std::string base = App + "Loops/Tutorial/";
    const std::string name = "Tut_" + std::to_string(page);
    TSongFileContent content;
    ASSERT_EQ(ReadSongFile(base + name + ".zmp", content), SongLoaded) << page;
    EXPECT_EQ(content.Song->ChannelCount(), 8);
    EXPECT_EQ(content.Song->Channel(0)->Name, "Kick");
    const std::string english = RTFToPlainText(*ReadFileBytes(base + "Texts_0/" + name + ".rtf"));
    EXPECT_EQ(english.substr(0, content.Song->Info.Title.size()), content.Song->Info.Title);
    for (int language = 1; language < 3; ++language) {
      const auto text = ReadFileBytes(base + "Texts_" + std::to_string(language) + "/" + name + ".rtf");
      ASSERT_TRUE(text) << page << " " << language;
      EXPECT_NE(RTFToPlainText(*text), english);
      EXPECT_GT(RTFToPlainText(*text).size(), 150u);
    }
  }
  EXPECT_FALSE(fs::exists(App + "Loops/Tutorial/Tut_5.zmp"));
}

TEST(GeneratedDataFailure, RefusesAnEmptyOrUnwritableFolder) {
  std::string error;
  EXPECT_FALSE(datagen::WriteProgramData("", error));
  EXPECT_FALSE(error.empty());
  TTestDir tmp;
  const std::string file = tmp.Write("plain", "x");
  EXPECT_FALSE(datagen::WriteProgramData(file + "/app", error));
}

TEST(BuiltData, TheBuildTreeHoldsTheKit) {
  const std::string data = BuiltData();
  if (data.empty()) GTEST_SKIP() << "no build data folder";
  TSongFileContent content;
  ASSERT_EQ(ReadSongFile(data + "Samples/DrumKits/Basic/Basic.zmp", content), SongLoaded);
  EXPECT_EQ(content.Song->ChannelCount(), 8);
  EXPECT_TRUE(fs::is_regular_file(data + "Styles/Default/config.txt"));
  EXPECT_TRUE(fs::is_directory(data + "Loops"));
}

TEST_F(GeneratedData, StylesPlaceEveryControlAndTheLightOneHoldsOnlyItsDifferences) {
  const TStyle dark = LoadStyle(App, "Default");
  for (const datagen::TLayoutPlace& p : datagen::PanelPlaces) {
    const TStylePlace* place = dark.Place(p.Name);
    ASSERT_NE(place, nullptr) << p.Name;
    EXPECT_EQ(*place->Left, p.Rect.Left) << p.Name;
    EXPECT_EQ(*place->Height, p.Rect.Height) << p.Name;
    // Every control lies on the panel.
    EXPECT_LE(p.Rect.Right(), datagen::MainWidth) << p.Name;
    EXPECT_LE(p.Rect.Bottom(), datagen::PanelHeight) << p.Name;
  }
  EXPECT_EQ(dark.ChanBtns[ChanBtnSteps], (TStylePoint{datagen::RowSteps.Left, datagen::RowSteps.Top}));
  EXPECT_EQ(dark.MenuSepFor(datagen::MenuTitles).size(), size_t(datagen::MenuTitles - 1));
  EXPECT_TRUE(dark.DefHole.empty());

  const TStyle light = LoadStyle(App, "Light");
  EXPECT_EQ(light.Hint, "VorbelSteps - light");
  EXPECT_NE(light.TitleFont.Color, dark.TitleFont.Color);
  EXPECT_EQ(light.HintFont, dark.HintFont);  // not set: the default style's
  EXPECT_EQ(*light.Place("MixScope")->Left, *dark.Place("MixScope")->Left);
  EXPECT_EQ(light.FilePath("StartSnd.WAV"), App + "Styles/Default/StartSnd.WAV");

  // The start sound: a short stereo chime that is heard.
  TWAVSample start;
  ASSERT_EQ(LoadWAVSample(light.FilePath("StartSnd.WAV"), start), 0);
  EXPECT_GT(start.Length, 44100 / 2);
  EXPECT_LT(start.Length, 44100);
  int peak = 0;
  for (int i = 0; i < start.Length * 2; ++i) peak = std::max(peak, std::abs(int(start.Data[i])));
  EXPECT_GT(peak, 8000);
  EXPECT_LT(peak, 32767);
}

}  // namespace
}  // namespace vs
