#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "SongTestKit.h"
#include "model/Channels.h"
#include "model/SongReset.h"
#include "files/SongFile.h"

using namespace vs;
using namespace vs::test;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<TSong> ResetSong() {
  auto song = std::make_unique<TSong>();
  ResetSongModel(*song);
  return song;
}

std::vector<uint8_t> Ids(const std::vector<DecodedEvent>& events) {
  std::vector<uint8_t> ids;
  for (const auto& e : events) ids.push_back(e.Id);
  return ids;
}

// The events of channel `index` (from its 64 up to the next 64 or the
// playlist).
std::vector<DecodedEvent> ChannelEvents(const std::vector<DecodedEvent>& all, int index) {
  std::vector<DecodedEvent> out;
  bool in = false;
  for (const auto& e : all) {
    if (e.Id == EvChannel) {
      in = e.Value == uint32_t(index);
    } else if (e.Id == EvPlaylist || e.Id == EvMarker) {
      in = false;
    }
    if (in) out.push_back(e);
  }
  return out;
}

fs::path TempDir() {
  fs::path dir = fs::temp_directory_path() / ("vs-songwriter-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

}  // namespace

TEST(SongWriter, EmptySongOfFourChannels) {
  auto song = ResetSong();
  const auto img = BuildSongImage(*song);
  // Header: "ZMhd", 6, format 0, four channels, 16, then "ZMdt" and the
  // length of the events.
  const std::vector<uint8_t> head = {'Z', 'M', 'h', 'd', 6, 0, 0, 0, 0, 0, 4, 0, 16, 0, 'Z', 'M', 'd', 't'};
  ASSERT_TRUE(std::equal(head.begin(), head.end(), img.begin()));
  const auto events = DecodeImage(img);
  const std::vector<uint8_t> songWide = {EvVersion, EvTempo, EvCurrentPattern, EvSongMode, EvShowInfo, EvTitle,
                                         EvInfoRTF, EvMasterSwing, EvMasterVolume, EvMasterPitch,
                                         EvMasterFilter, EvPatternLength, EvStepsPerBlock, EvSongEcho};
  const auto ids = Ids(events);
  ASSERT_GT(ids.size(), songWide.size());
  EXPECT_TRUE(std::equal(songWide.begin(), songWide.end(), ids.begin()));
  EXPECT_EQ(TextOf(events[0]), "1.3.61");
  EXPECT_EQ(std::count(ids.begin(), ids.end(), EvChannel), 4);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), EvPattern), 0);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), EvPlaylist), 0);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), EvWebAddress), 0);
  EXPECT_EQ(ids[ids.size() - 2], EvMarker);
  EXPECT_EQ(ids.back(), EvRackHeight);

  // The default channel, event by event.
  const std::vector<uint8_t> channel = {
      EvChannel, EvMidiNote, EvMidiProgram, EvMidiBank, EvMidiChannel, EvChannelName, EvColor, EvEnabled,
      EvChannelEcho, EvEchoFilter, EvReverb, EvEchoSwing, EvShift, EvFirstEffect, EvPhaser, EvCutoff,
      EvResonance, EvPreAmp, EvDecay, EvAttack, EvStereoDelay, EvSecondEffect, EvOptions, EvStretch,
      EvPitchable, EvMixTarget, EvEffectTrack, EvVolume, EvPan, EvCutGroups, EvPingPong};
  EXPECT_EQ(Ids(ChannelEvents(events, 2)), channel);
  const auto c2 = ChannelEvents(events, 2);
  EXPECT_EQ(c2[1].Value, 255u);  // no MIDI note
  EXPECT_EQ(c2[4].Value, 9u);
  EXPECT_EQ(c2[6].Value, 0xBAC8C8u);
  // Echo: feedback, pan - 64, pitch, count, time.
  const std::vector<uint8_t> echo = {0, 0, 0, 0, 64, 0, 0, 0, 120, 0, 0, 0, 4, 0, 0, 0, 48, 0, 0, 0};
  EXPECT_EQ(c2[8].Payload, echo);
  EXPECT_EQ(c2[9].Value, 128u | 128u << 16);
  EXPECT_EQ(c2[25].Value, 2u);  // mix target: itself
}

TEST(SongWriter, TextEventsAndLengths) {
  auto song = ResetSong();
  const auto img = BuildSongImage(*song);
  const auto events = DecodeImage(img);
  const DecodedEvent& title = events[5];
  ASSERT_EQ(title.Id, EvTitle);
  EXPECT_EQ(img[title.Offset], 0xC2);
  EXPECT_EQ(img[title.Offset + 1], 0x01);
  EXPECT_EQ(img[title.Offset + 2], 0x00);
  EXPECT_EQ(events[6].Id, EvInfoRTF);
  EXPECT_TRUE(events[6].Payload.empty());

  EXPECT_EQ(EncodeSongLength(0), (std::vector<uint8_t>{0x00}));
  EXPECT_EQ(EncodeSongLength(127), (std::vector<uint8_t>{0x7F}));
  EXPECT_EQ(EncodeSongLength(128), (std::vector<uint8_t>{0x80, 0x01}));
  EXPECT_EQ(EncodeSongLength(16384), (std::vector<uint8_t>{0x80, 0x80, 0x01}));

  // Texts are Windows-1252 with their NUL; the web address only when set.
  song->Info.Title = "Caf\xC3\xA9 \xE2\x82\xAC";  // "Café €"
  song->Info.WebAddress = "http://example.org";
  song->Info.InfoRTF = "{\\rtf1 x}";
  const auto events2 = DecodeImage(BuildSongImage(*song));
  EXPECT_EQ(events2[5].Payload, (std::vector<uint8_t>{'C', 'a', 'f', 0xE9, ' ', 0x80, 0}));
  EXPECT_EQ(std::string(events2[6].Payload.begin(), events2[6].Payload.end()), "{\\rtf1 x}");
  EXPECT_EQ(events2[7].Id, EvWebAddress);
  EXPECT_EQ(TextOf(events2[7]), "http://example.org");
}

TEST(SongWriter, StepsAndPatternNames) {
  auto song = ResetSong();
  song->Channels[1]->Steps.SetStepValue(3, 5, 90, PlaneVol);
  // Steps beyond the pattern length are kept in the block but not written.
  song->Channels[1]->Steps.SetStepValue(3, 40, 7, PlanePan);
  song->PatternNames[7].Name = "Intro";
  const auto events = DecodeImage(BuildSongImage(*song));

  // Pattern 3 is empty by its flags (volume alone does not make a pattern),
  // so nothing is written for it yet.
  EXPECT_EQ(Ids(ChannelEvents(events, 1)).size(), 31u);
  // Step 5 on at volume 90: 65, then 72 with 90 x 256 + 5 and its flags.
  song->Channels[1]->Steps.SetStepOn(3, 5, true);
  auto c1 = ChannelEvents(DecodeImage(BuildSongImage(*song)), 1);
  ASSERT_EQ(c1.size(), 34u);
  EXPECT_EQ(c1[31].Id, EvPattern);
  EXPECT_EQ(c1[31].Value, 3u);
  EXPECT_EQ(c1[32].Id, EvStepVol);
  EXPECT_EQ(c1[32].Value, 90u * 256 + 5);
  EXPECT_EQ(c1[33].Id, EvStepFlags);
  EXPECT_EQ(c1[33].Value, 1u * 256 + 5);
  // A slide flag alone makes the pattern non-empty too.
  song->Channels[2]->Steps.SetStepValue(4, 6, StepFlagSlide, PlaneFlags);
  auto c2 = ChannelEvents(DecodeImage(BuildSongImage(*song)), 2);
  ASSERT_EQ(c2.size(), 33u);
  EXPECT_EQ(c2[32].Value, 64u * 256 + 6);

  // The named empty pattern: 65 and 193 under channel 0 only.
  const auto all = DecodeImage(BuildSongImage(*song));
  const auto c0 = ChannelEvents(all, 0);
  ASSERT_EQ(c0.size(), 33u);
  EXPECT_EQ(c0[31].Id, EvPattern);
  EXPECT_EQ(c0[31].Value, 7u);
  EXPECT_EQ(c0[32].Id, EvPatternName);
  EXPECT_EQ(TextOf(c0[32]), "Intro");
  for (int i = 1; i < 4; ++i)
    for (const auto& e : ChannelEvents(all, i)) EXPECT_NE(e.Id, EvPatternName);

  // Every plane maps to its event id, in step then plane order.
  auto song2 = ResetSong();
  auto& steps = song2->Channels[0]->Steps;
  const uint8_t values[9] = {1, 2, 3, 4, 5, 6, 7, 8, 1};
  for (int p = 0; p < 9; ++p) steps.SetStepValue(2, 63, values[p], p);
  song2->SetPatternLength(64);
  const auto c = ChannelEvents(DecodeImage(BuildSongImage(*song2)), 0);
  const uint8_t expectIds[9] = {73, 72, 78, 79, 87, 88, 92, 77, 91};
  ASSERT_EQ(c.size(), 31u + 1 + 9);
  for (int p = 0; p < 9; ++p) {
    EXPECT_EQ(c[32 + p].Id, expectIds[p]);
    EXPECT_EQ(c[32 + p].Value, values[p] * 256u + 63);
  }
}

TEST(SongWriter, OptionalChannelEvents) {
  auto song = ResetSong();
  TChannel& c = *song->Channels[0];
  auto has = [&](uint8_t id) {
    for (const auto& e : ChannelEvents(DecodeImage(BuildSongImage(*song)), 0))
      if (e.Id == id) return true;
    return false;
  };
  EXPECT_FALSE(has(EvControllers));
  c.ControllerStart[17] = 0;
  auto events = ChannelEvents(DecodeImage(BuildSongImage(*song)), 0);
  auto it = std::find_if(events.begin(), events.end(), [](const DecodedEvent& e) { return e.Id == EvControllers; });
  ASSERT_NE(it, events.end());
  ASSERT_EQ(it->Payload.size(), 128u);
  EXPECT_EQ(it->Payload[17], 0);
  EXPECT_EQ(it->Payload[16], 255);

  EXPECT_FALSE(has(EvCollapsed));
  EXPECT_FALSE(has(EvRootNote));
  EXPECT_FALSE(has(EvRenderNote));
  EXPECT_FALSE(has(EvSampleFile));
  EXPECT_FALSE(has(EvLooped));
  EXPECT_FALSE(has(EvKind));
  EXPECT_FALSE(has(EvSynthParams));
  c.Collapsed = true;
  c.RootNote = 48;
  c.RenderNote = 62;
  c.SampleFileName = "\\Kits\\kick.wav";
  c.Sample.Looped = true;
  c.MakeMB404(false);
  c.RandomChoice = {0, 2, 3};
  c.ReverseStereo = true;
  c.Reversed = true;
  EXPECT_TRUE(has(EvCollapsed) && has(EvRootNote) && has(EvRenderNote) && has(EvSampleFile) && has(EvLooped));
  events = ChannelEvents(DecodeImage(BuildSongImage(*song)), 0);
  EXPECT_EQ(events[1].Id, EvKind);
  std::vector<uint32_t> random;
  for (const auto& e : events) {
    if (e.Id == EvRandomChoice) random.push_back(e.Value);
    if (e.Id == EvSynthParams) {
      EXPECT_EQ(e.Payload.size(), 140u);
    }
    if (e.Id == EvOptions) {
      EXPECT_EQ(e.Value, 0x102u);
    }
  }
  EXPECT_EQ(random, (std::vector<uint32_t>{2, 3}));
}

TEST(SongWriter, PlaylistMarkerRackHeightAndPlugins) {
  auto song = ResetSong();
  song->Playlist.PlaylistBars[0] = {1, 2};
  song->Playlist.PlaylistBars[511] = {999};
  song->Playlist.PlaylistMarker = 3;
  FakePluginSlots plugins;
  SongPluginState p;
  p.Track = 2;
  p.Slot = 3;
  p.Name = "Chorus";
  p.EditorLeft = -20;
  p.EditorTop = 300;
  p.EditorOpen = true;
  p.Parameters = {0.5f, 1.0f};
  plugins.Loaded = {p};
  FakeFrame frame;
  frame.Height = 412;
  SongHost host;
  host.Plugins = &plugins;
  host.Frame = &frame;
  const auto events = DecodeImage(BuildSongImage(*song, host));
  ASSERT_EQ(events[14].Id, EvPluginName);
  EXPECT_EQ(TextOf(events[14]), "Chorus");
  ASSERT_EQ(events[15].Id, EvPluginSlot);
  const std::vector<uint8_t> slot = {2, 0, 0, 0, 3, 0, 0, 0, 0xEC, 0xFF, 0xFF, 0xFF, 44, 1, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(events[15].Payload, slot);
  ASSERT_EQ(events[16].Id, EvPluginParams);
  EXPECT_EQ(events[16].Payload, (std::vector<uint8_t>{0, 0, 0, 0x3F, 0, 0, 0x80, 0x3F}));

  const size_t n = events.size();
  EXPECT_EQ(events[n - 5].Id, EvPlaylist);
  EXPECT_EQ(events[n - 5].Value, 0u | 1u << 16);
  EXPECT_EQ(events[n - 4].Value, 0u | 2u << 16);
  EXPECT_EQ(events[n - 3].Value, 511u | 999u << 16);
  EXPECT_EQ(events[n - 2].Id, EvMarker);
  EXPECT_EQ(events[n - 2].Value, 3u);
  EXPECT_EQ(events[n - 1].Value, 412u);
}

TEST(SongWriter, VersionIsNeverBelowTheNewWheelScale) {
  auto song = ResetSong();
  SongHost host;
  host.ProgramVersion = "1.2.9";
  EXPECT_EQ(TextOf(DecodeImage(BuildSongImage(*song, host))[0]), "1.3.61");
  host.ProgramVersion = "1.4.2";
  EXPECT_EQ(TextOf(DecodeImage(BuildSongImage(*song, host))[0]), "1.4.2");
}

TEST(SongWriter, ImageBufferGrowsInOneBlock) {
  TSongImageBuffer b;
  EXPECT_EQ(b.Capacity(), 65536u);
  EXPECT_EQ(b.Position(), 22u);
  std::vector<uint8_t> big(70000, 0xAB);
  b.WriteByteEvent(1, 2);
  b.WriteDataEvent(EvInfoRTF, big.data(), big.size());
  // 24 + 70000 + 8 > 65536: capacity = position + request + 65536.
  EXPECT_EQ(b.Capacity(), 24u + 70008u + 65536u);
  const auto img = b.Finish(0);
  ASSERT_EQ(img.size(), 22u + 2 + 1 + 3 + 70000);
  const auto events = DecodeImage(img);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].Payload, big);

  // A whole song far over 64 KiB comes out whole.
  auto song = ResetSong();
  song->SetPatternLength(64);
  for (int i = 0; i < 4; ++i)
    for (int pattern = 1; pattern <= 50; ++pattern)
      for (int s = 0; s < 64; ++s) {
        song->Channels[i]->Steps.SetStepOn(pattern, s, true);
        song->Channels[i]->Steps.SetStepValue(pattern, s, 1 + s % 100, PlaneVol);
      }
  const auto songImg = BuildSongImage(*song);
  EXPECT_GT(songImg.size(), 65536u);
  const auto all = DecodeImage(songImg);
  EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const DecodedEvent& e) { return e.Id == EvStepFlags; }),
            4 * 50 * 64);
}

TEST(SongWriter, SaveSongReplacesOnlyAfterACompleteWrite) {
  const fs::path dir = TempDir();
  auto song = ResetSong();
  song->Info.Title = "first";
  song->SetModified(true);
  const std::string name = (dir / "song.zmp").string();
  ASSERT_TRUE(SaveSong(name, *song));
  EXPECT_FALSE(song->Modified());
  std::ifstream in(name, std::ios::binary);
  std::vector<uint8_t> onDisk((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(onDisk, BuildSongImage(*song));

  // A folder that isn't there: failure, the song stays modified.
  song->SetModified(true);
  EXPECT_FALSE(SaveSong((dir / "no-such-folder" / "x.zmp").string(), *song));
  EXPECT_TRUE(song->Modified());
  // A target that can't be replaced (a folder of that name) stays as it was.
  fs::create_directories(dir / "taken.zmp");
  EXPECT_FALSE(SaveSong((dir / "taken.zmp").string(), *song));
  EXPECT_TRUE(fs::is_directory(dir / "taken.zmp"));
  EXPECT_TRUE(song->Modified());
  // No temporary file is left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
  fs::remove_all(dir);
}
