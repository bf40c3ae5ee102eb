// What the channel settings window does to a channel, without the window:
// the song is marked modified by every edit of song data, the synthesizer's
// slots and their ".404" file, the MIDI messages of a patch, the recent
// samples, the name offered for a modified sample and the info texts.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/ChannelFiles.h"
#include "core/ChannelSettings.h"
#include "engine/OutsideRenderers.h"
#include "core/ProgramPaths.h"
#include "core/Settings.h"
#include "core/FavoriteFolders.h"
#include "model/Channels.h"
#include "platform/MidiPorts.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"

namespace vs {
namespace {

using Bytes = std::vector<uint8_t>;

class ChannelSettingsTest : public ::testing::Test {
protected:
  TSong Song;
  void SetUp() override {
    for (int i = 0; i < 3; ++i) AddChannel(Song);
    Song.SetModified(false);
  }
  // Runs an edit and answers whether it marked the song modified.
  template <class F>
  bool Marks(F&& edit) {
    Song.SetModified(false);
    edit();
    return Song.Modified();
  }
};

TEST_F(ChannelSettingsTest, EveryEditOfSongDataMarksTheSongModified) {
  const TChannelFlagSpec* shuffle = nullptr;
  for (const TChannelFlagSpec& f : ChannelFlagSpecs())
    if (std::string(f.Name) == "ShuffleBox") shuffle = &f;
  ASSERT_NE(shuffle, nullptr);
  EXPECT_TRUE(Marks([&] { SetChannelEffectTrack(Song, 1, 2); }));
  EXPECT_EQ(Song.Channel(1)->EffectTrack, 2);
  EXPECT_TRUE(Marks([&] { SetChannelStretch(Song, 1, 16); }));
  EXPECT_EQ(Song.Channel(1)->Stretch, 16);
  EXPECT_TRUE(Marks([&] { SetChannelFlag(Song, 1, *shuffle, true); }));
  EXPECT_TRUE(Song.Channel(1)->EchoFollowsSwing);
  EXPECT_TRUE(Marks([&] { EXPECT_TRUE(SetChannelKey(Song, 1, false, 48)); }));
  EXPECT_EQ(Song.Channel(1)->RootNote, 48);
  EXPECT_FALSE(Marks([&] { EXPECT_FALSE(SetChannelKey(Song, 1, false, 48)); }));  // the same key again
  EXPECT_FALSE(Marks([&] { SetChannelKey(Song, 1, true, -1); }));  // -1 is already the render key

  // Every synthesizer control: the resonance wheel stores 128 - value.
  Song.Channel(2)->MakeMB404(false);
  for (const TSynthSlotSpec& spec : SynthSlotSpecs()) {
    EXPECT_TRUE(Marks([&] { SetSynthControl(Song, 2, spec, spec.Max); })) << spec.Name;
    EXPECT_EQ(SynthControlValue(*Song.Channel(2)->Synth, spec), spec.Max) << spec.Name;
  }
  const TSynthSlotSpec& reso = *std::find_if(SynthSlotSpecs().begin(), SynthSlotSpecs().end(),
                                             [](const TSynthSlotSpec& s) { return s.Slot == 19; });
  SetSynthControl(Song, 2, reso, 0);
  EXPECT_EQ(Song.Channel(2)->Synth->Params[P404Resonance], 128);
  SetSynthControl(Song, 2, reso, 128);
  EXPECT_EQ(Song.Channel(2)->Synth->Params[P404Resonance], 0);

  // A note typed outside -1..127 changes nothing but the modified flag.
  SetChannelMidiNote(Song, 0, 36);
  EXPECT_TRUE(Marks([&] { SetChannelMidiNote(Song, 0, 200); }));
  EXPECT_EQ(Song.Channel(0)->MidiNote, 36);
  SetChannelMidiNote(Song, 0, -1);
  EXPECT_EQ(Song.Channel(0)->MidiNote, MidiNone);

  // The random list starts with the channel itself; the loop box gives the
  // channel a cut group of its own.
  SetChannelRandomChoice(Song, 1, {0, 1, 2});
  EXPECT_EQ(Song.Channel(1)->RandomChoice, (std::vector<int32_t>{1, 0, 2}));
  Song.Channel(0)->Sample.CutGroup = 1;
  EXPECT_EQ(SetChannelLooped(Song, 1, true), 2);
  EXPECT_EQ(Song.Channel(1)->Sample.CutByGroup, 2);
  SetChannelEchoCount(Song, 1, 12);
  EXPECT_EQ(Song.Channel(1)->EchoCount, 9);
  EXPECT_EQ(StretchMenuSteps(4, 16), 32);
  EXPECT_EQ(StretchMenuSteps(2, 16), 8);
}

TEST_F(ChannelSettingsTest, PresetFileHoldsTheThirtyFiveSlotsAndReadsBackEqual) {
  TTestDir tmp;
  ProgramPaths().AppPath = tmp.Dir() + "/";
  TChannel& synth = *Song.Channel(0);
  synth.MakeMB404(false);
  for (int i = 0; i < MB404ParamCount; ++i) synth.Synth->Params[size_t(i)] = (i - 10) * 1000003;
  const std::string folder = MB404PresetFolder();
  ASSERT_EQ(folder, tmp.Dir() + "/Samples/MB404 Presets/");
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  const std::string file = folder + "bass.404";
  ASSERT_TRUE(WriteMB404Preset(*synth.Synth, file));
  std::ifstream in(file, std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 140u);
  // The first four bytes are slot 3, little-endian and signed.
  EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24, uint32_t(-10 * 1000003));
  TChannel& other = *Song.Channel(1);
  other.MakeMB404(false);
  ASSERT_TRUE(other.LoadMB404Preset(file));
  EXPECT_EQ(other.Synth->Params, synth.Synth->Params);
  // A folder that can't be made: no name, and the write fails with a reason.
  EXPECT_FALSE(WriteMB404Preset(*synth.Synth, tmp.Dir() + "/bass.404/x.404"));
  ProgramPaths() = {};
}

TEST_F(ChannelSettingsTest, PatchAndControllersGoOutOnTheChannelsMidiChannel) {
  TRecordingMidiOut port;
  SetMIDIOut(&port);
  TChannel& c = *Song.Channel(0);
  c.MidiChannel = 3;
  c.Pan = 20;
  SetChannelPatch(Song, 0, 1, 5, 0);  // bank 5 by controller 0
  EXPECT_EQ(port.Messages(), (std::vector<Bytes>{{0xB3, 0, 5}, {0xB3, 10, 20}}));
  port.Clear();
  SetChannelPatch(Song, 0, 0, 17, 1);  // program 17, bank by controllers 0 and 32
  EXPECT_EQ(port.Messages(), (std::vector<Bytes>{{0xB3, 0, 0}, {0xB3, 32, 5}, {0xC3, 17}, {0xB3, 10, 20}}));
  port.Clear();
  SetChannelControllerStart(Song, 0, 7, 90);
  SetChannelControllerStart(Song, 0, 8, -1);
  EXPECT_EQ(ChannelControllerStart(c, 7), 90);
  EXPECT_EQ(ChannelControllerStart(c, 8), -1);
  SendChannelControllers(c);
  EXPECT_EQ(port.Messages(), (std::vector<Bytes>{{0xB3, 7, 90}, {0xB3, 7, 90}}));
  SetMIDIOut(nullptr);
}

// A preset rendered at the channel's own key keeps that key when a sample
// option rebuilds it (the preview holds the preset at its own note).
TEST_F(ChannelSettingsTest, OptionsRebuildAPresetAtTheChannelsKey) {
  TTestDir tmp;
  SetOutsideLibraryFolder(std::string(VS_FAKES_DIR) + "/full");
  TChannel& c = *Song.Channel(0);
  c.RenderNote = 48;
  LoadFileIntoChannel(Song, 0, tmp.Write("bass.syn", "GOOD\n"), false, false);
  ASSERT_EQ(c.Sample.Data, (std::vector<int16_t>{48, -48, 1, 2, 3, 4}));
  const TChannelFlagSpec& reverse = ChannelFlagSpecs()[0];
  ASSERT_EQ(std::string(reverse.Name), "ReverseSampleBox");
  Song.SetModified(false);
  SetChannelFlag(Song, 0, reverse, true);
  EXPECT_EQ(c.Sample.Data, (std::vector<int16_t>{3, 4, 1, 2, 48, -48}));
  EXPECT_TRUE(Song.Modified());
  // While the window fills its controls nothing is rebuilt.
  ChannelFormUpdating = true;
  SetChannelFlag(Song, 0, reverse, false);
  ChannelFormUpdating = false;
  EXPECT_EQ(c.Sample.Data[0], 3);
  UnloadOutsideRenderers();
  SetOutsideLibraryFolder("");
}

TEST(ChannelSettingsTexts, RecentSamplesNamesAndInfoTexts) {
  // The sixth distinct file drops the oldest; a listed one is only found.
  TRecentSamples recent;
  for (const char* f : {"/a.wav", "/b.wav", "/c.wav", "/d.wav", "/e.wav"}) EXPECT_EQ(recent.Add(f), 0);
  EXPECT_EQ(recent.Add("/c.wav"), 2);
  EXPECT_EQ(recent.Add("/f.wav"), 0);
  EXPECT_EQ(recent.Files(), (std::vector<std::string>{"/f.wav", "/e.wav", "/d.wav", "/c.wav", "/b.wav", ""}));

  TTestDir tmp;
  tmp.Write("Kick.wav", "x");
  tmp.Write("Kick_2.wav", "x");
  tmp.Write("Kick_3.wav", "x");
  EXPECT_EQ(ModifiedSampleName(tmp / "Kick.wav"), tmp / "Kick_4.wav");
  EXPECT_EQ(ModifiedSampleName(tmp / "Snare.WAV"), tmp / "Snare_2.wav");

  EXPECT_EQ(NoteName(60), "C5");
  EXPECT_EQ(NoteName(61), "C#5");
  EXPECT_EQ(NoteName(11), "B0");
  EXPECT_EQ(PercentInfo(64, 128), "50%");
  EXPECT_EQ(CentredPercentInfo(0, 4096), "-100%");
  EXPECT_EQ(CentredPercentInfo(3072, 4096), "50%");
  EXPECT_EQ(PanInfo(0, 127, "left", "right", "Centered"), "100% left");
  EXPECT_EQ(PanInfo(64, 127, "left", "right", "Centered"), "Centered");
  EXPECT_EQ(PanInfo(192, 256, "left", "right", "Centered"), "50% right");
  EXPECT_EQ(FixedInfo(48, 16, 2), "3.00");
  EXPECT_EQ(FixedInfo(1, 256, 2), "0.00");
  EXPECT_EQ(FixedInfo(192, 256, 2), "0.75");
  EXPECT_EQ(ValueInfo(TSettingInfo::Semitones, 135, 240, "", "", ""), "1.5");
  EXPECT_EQ(ValueInfo(TSettingInfo::Semitones, 100, 240, "", "", ""), "-2");
  EXPECT_EQ(ValueInfo(TSettingInfo::PercentOf128, 256, 256, "", "", ""), "200%");
}

TEST(FavoriteFolders, ListKeepsTenFoldersNewestFirstAndOneEntryPerFolder) {
  std::vector<std::string> list;
  for (int i = 0; i < 11; ++i) AddFavoriteFolder(list, "/no/such/f" + std::to_string(i) + "/", 10, true);
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list.front(), "/no/such/f10");
  EXPECT_EQ(list.back(), "/no/such/f1");  // the oldest went
  // The same folder in other letter case moves to the top.
  AddFavoriteFolder(list, "/NO/SUCH/F5", 10, true);
  EXPECT_EQ(list.size(), 10u);
  EXPECT_EQ(list.front(), "/NO/SUCH/F5");
  EXPECT_EQ(FindFavoriteFolder(list, "/no/such/f5/"), 0);
  // Two folders of this system that differ only in case stay two.
  TTestDir tmp;
  std::filesystem::create_directories(tmp / "Kits");
  std::filesystem::create_directories(tmp / "kits");
  std::vector<std::string> both;
  AddFavoriteFolder(both, tmp / "Kits", 10, true);
  AddFavoriteFolder(both, tmp / "kits", 10, true);
  EXPECT_EQ(both.size(), 2u);
  EXPECT_EQ(FavoriteDisplayName(tmp / "Kits", false), "Kits");
  EXPECT_EQ(FavoriteDisplayName("/", true), "/");
  EXPECT_EQ(FavoriteDisplayName("/home/a", true), "/home/a/");

  // Stored: "Count" as a DWORD; a section without it keeps the list.
  TSettingsStore store("");
  WriteFavoriteFolders(store, FavoritesSection, {"/x", "/y"});
  EXPECT_EQ(store.ReadDWORD(FavoritesSection, "Count", 0), 2u);
  std::vector<std::string> read{"/kept"};
  EXPECT_FALSE(ReadFavoriteFolders(store, "ZM NOTHING", read, 10));
  EXPECT_EQ(read, std::vector<std::string>{"/kept"});
  EXPECT_TRUE(ReadFavoriteFolders(store, FavoritesSection, read, 10));
  EXPECT_EQ(read, (std::vector<std::string>{"/x", "/y"}));
}

}  // namespace
}  // namespace vs
