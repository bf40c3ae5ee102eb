#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "SongTestKit.h"
#include "model/Channels.h"
#include "model/SongReset.h"
#include "files/SongFile.h"
#include "files/SongReader.h"
#include "toolbox/AllTools.h"

using namespace vs;
using namespace vs::test;
namespace fs = std::filesystem;

namespace {

// Reads raw events into a fresh song; expects the read to be whole.
TSongFileContent Read(const RawEvents& events, const SongReadOptions& options = {}) {
  TSongFileContent content;
  const auto img = events.Image();
  EXPECT_EQ(ReadSongImage(img.data(), img.size(), content, options), SongLoaded);
  return content;
}

fs::path TempDir(const char* tag) {
  fs::path dir = fs::temp_directory_path() / (std::string("vs-songreader-") + tag + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(SongReader, EmptyDataChunkGivesTheResetSong) {
  auto content = Read(RawEvents{});
  TSong& s = *content.Song;
  EXPECT_EQ(s.ChannelCount(), 4);
  EXPECT_EQ(s.CurrentPattern, 1);
  EXPECT_EQ(s.PatternLength(), 16);
  EXPECT_EQ(s.StepsPerBlock, 4);
  EXPECT_EQ(s.MasterVolume.load(), 128);
  EXPECT_EQ(s.Echo.Feedback, 64);
  EXPECT_EQ(s.Echo.Time, 48);
  EXPECT_EQ(s.SongVersion, 0);
  EXPECT_TRUE(s.Playlist.PlaylistEmpty());
  EXPECT_FALSE(s.Modified());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(s.Channels[i]->MixTarget, i);
    EXPECT_EQ(s.Channels[i]->RandomChoice, std::vector<int32_t>{i});
  }
  EXPECT_TRUE(content.Plugins.empty());
  EXPECT_FALSE(content.HasRackHeight);
}

TEST(SongReader, ChannelsPatternsAndPlaylistAreBounded) {
  // 64 with 9 appends channels 4..9.
  EXPECT_EQ(Read(RawEvents{}.Word(EvChannel, 9)).Song->ChannelCount(), 10);
  // At most 999 channels: an index beyond drops its events.
  auto content = Read(RawEvents{}.Word(EvChannel, 998).Byte(EvVolume, 5).Word(EvChannel, 999).Byte(EvVolume, 7)
                          .Word(EvChannel, 60000).Byte(EvVolume, 9));
  ASSERT_EQ(content.Song->ChannelCount(), 999);
  EXPECT_EQ(content.Song->Channels[998]->Volume, 5);

  // 65 with 1500 selects pattern 999; steps at or beyond 64 are ignored.
  content = Read(RawEvents{}.Word(EvPattern, 1500).Word(EvStepVol, 90 * 256 + 5).Word(EvStepVol, 80 * 256 + 64)
                     .Word(EvStepPan, 200 * 256 + 63).Word(EvStepFlags, 0x41 * 256 + 2));
  const TStepStore& steps = content.Song->Channels[0]->Steps;
  EXPECT_EQ(steps.GetStepValue(999, 5, PlaneVol), 90);
  EXPECT_EQ(steps.GetStepValue(999, 63, PlanePan), 127);  // clamped to the plane's maximum
  EXPECT_EQ(steps.GetStepValue(999, 2, PlaneFlags), 0x41);  // flag bits are kept
  for (int p = 1; p < 999; ++p) EXPECT_FALSE(steps.HasBlock(p));

  // 129: the bar is at most 511; patterns outside 1..999 are dropped; each
  // event appends its pattern in file order, also one the bar already holds.
  content = Read(RawEvents{}.Long(EvPlaylist, 700 | 5 << 16).Long(EvPlaylist, 3 | 0 << 16)
                     .Long(EvPlaylist, 3 | 1000u << 16).Long(EvPlaylist, 3 | 8 << 16).Long(EvPlaylist, 3 | 2 << 16)
                     .Long(EvPlaylist, 3 | 8 << 16));
  const auto& bars = content.Song->Playlist.PlaylistBars;
  EXPECT_EQ(bars[511], std::vector<int>{5});
  EXPECT_EQ(bars[3], (std::vector<int>{8, 2, 8}));

  content = Read(RawEvents{}.Word(EvCurrentPattern, 0).Word(EvTempo, 5).Byte(EvPatternLength, 3)
                     .Byte(EvStepsPerBlock, 0).Word(EvMarker, 4000).Byte(EvMasterVolume, 200)
                     .Word(EvMasterPitch, 0xFF9C).Long(EvMasterFilter, 2000 | 37 << 16));
  TSong& s = *content.Song;
  EXPECT_EQ(s.CurrentPattern, 1);
  EXPECT_EQ(s.BPM, 30);
  EXPECT_EQ(s.PatternLength(), 8);
  EXPECT_EQ(s.StepsPerBlock, 1);
  EXPECT_EQ(s.Playlist.PlaylistMarker, 511);
  EXPECT_EQ(s.MasterVolume.load(), 128);
  EXPECT_EQ(s.MasterPitch.load(), -100);
  EXPECT_EQ(s.MasterResoPosition, 1024);
  EXPECT_EQ(s.MasterCutoffPosition, 37);
  EXPECT_EQ(Read(RawEvents{}.Byte(EvPatternLength, 200)).Song->PatternLength(), 64);

  // A template song keeps the current pattern length.
  SongReadOptions keep;
  keep.TrackSongFileName = false;
  keep.KeptPatternLength = 24;
  EXPECT_EQ(Read(RawEvents{}.Byte(EvPatternLength, 32), keep).Song->PatternLength(), 24);
}

TEST(SongReader, ChannelValuesAreClamped) {
  auto content = Read(RawEvents{}.Word(EvChannel, 1).Byte(EvMidiChannel, 20).Byte(EvVolume, 200).Byte(EvPan, 255)
                          .Byte(EvMidiNote, 200).Byte(EvMidiProgram, 12).Byte(EvEffectTrack, 7)
                          .Word(EvStereoDelay, 60000).Long(EvReverb, 300 | 9 << 16).Long(EvCutGroups, 5 | 500 << 16)
                          .Long(EvRenderNote, 0xFFFFFFFF).Byte(EvKind, 1).Byte(EvEnabled, 0).Byte(EvCollapsed, 1)
                          .Word(EvOptions, 0x103).Byte(EvPitchable, 0));
  const TChannel& c = *content.Song->Channels[1];
  EXPECT_EQ(c.MidiChannel, 15);
  EXPECT_EQ(c.Volume, 127);
  EXPECT_EQ(c.Pan, 127);
  EXPECT_EQ(c.MidiNote, 255);
  EXPECT_EQ(c.MidiProgram, 12);
  EXPECT_EQ(c.EffectTrack, 3);
  EXPECT_EQ(c.StereoDelay, 4096);
  EXPECT_EQ(c.Reverb, 256);
  EXPECT_EQ(c.ReverbType, 1);
  EXPECT_EQ(c.Sample.CutGroup, 5);
  EXPECT_EQ(c.Sample.CutByGroup, 99);
  EXPECT_EQ(c.RenderNote, -1);
  EXPECT_EQ(c.Kind, 1);
  ASSERT_TRUE(c.Synth);
  ASSERT_EQ(content.Song->MB404Channels.size(), 1u);
  EXPECT_EQ(content.Song->MB404Channels[0], &c);
  EXPECT_FALSE(c.Enabled);
  EXPECT_TRUE(c.Collapsed);
  EXPECT_TRUE(c.FadeLeftToRight && c.Reversed && c.ReverseStereo);
  EXPECT_FALSE(c.Pitchable);

  std::vector<uint8_t> controllers(200, 0x90);
  controllers[3] = 64;
  content = Read(RawEvents{}.Data(EvControllers, controllers));
  EXPECT_EQ(content.Song->Channels[0]->ControllerStart[3], 64);
  EXPECT_EQ(content.Song->Channels[0]->ControllerStart[4], 255);
}

TEST(SongReader, OldFilesConvertCutoffAndResonance) {
  auto cutoffs = [](const char* version, std::vector<uint16_t> values) {
    RawEvents ev;
    if (version) ev.Text(EvVersion, version);
    for (uint16_t v : values) ev.Word(EvCutoff, v).Word(EvResonance, v).Word(EvChannel, 0);
    // Each value goes to its own channel: re-select channel 0 then move on.
    std::vector<std::pair<int, int>> out;
    for (uint16_t v : values) {
      RawEvents one;
      if (version) one.Text(EvVersion, version);
      one.Word(EvCutoff, v).Word(EvResonance, v);
      auto content = Read(one);
      out.emplace_back(content.Song->Channels[0]->Cutoff, content.Song->Channels[0]->Resonance);
      EXPECT_EQ(content.Song->SongVersion, version ? VersionToInt(version) : 0);
    }
    return out;
  };
  const auto old = cutoffs("1.3.60", {128, 255, 85, 0});
  EXPECT_EQ(old[0], std::make_pair(278, 341));
  EXPECT_EQ(old[1], std::make_pair(1018, 966));
  EXPECT_EQ(old[2].first, 0);
  EXPECT_EQ(old[3], std::make_pair(0, 0));
  for (int v = 0; v <= 85; ++v) EXPECT_EQ(ConvertOldCutoff(v), 0) << v;
  // No version at all counts as old.
  EXPECT_EQ(cutoffs(nullptr, {128})[0], std::make_pair(278, 341));
  const auto now = cutoffs("1.3.61", {128, 255, 2000});
  EXPECT_EQ(now[0], std::make_pair(128, 128));
  EXPECT_EQ(now[1], std::make_pair(255, 255));
  EXPECT_EQ(now[2], std::make_pair(1020, 1020));
  // Values beyond the old scale stay in range.
  EXPECT_EQ(ConvertOldResonance(65535), 1020 + 4);  // acos(-1) = pi -> 1024, clamped by the reader
  EXPECT_EQ(cutoffs("1.0.0", {65535})[0].second, 1020);
}

TEST(SongReader, OldEchoAndStepEvents) {
  auto content = Read(RawEvents{}.Word(EvPattern, 4).Word(EvOldSteps, 0x8005).Long(EvOldEcho, 3 | 100 << 16)
                          .Word(EvChannel, 1).Long(EvOldEcho, 0 | 100 << 16).Word(EvChannel, 2)
                          .Long(EvOldEcho, 40 | 65535u << 16).Byte(EvOldStretch, 8));
  const TChannel& c0 = *content.Song->Channels[0];
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(c0.Steps.GetStepValue(4, i, PlaneFlags), (i == 0 || i == 2 || i == 15) ? 1 : 0) << i;
  EXPECT_EQ(c0.EchoCount, 3);
  EXPECT_EQ(c0.EchoFeedback, 96);  // (128 div 4) x 3
  EXPECT_EQ(c0.EchoTime, 12);      // 100 div 8
  const TChannel& c1 = *content.Song->Channels[1];
  EXPECT_EQ(c1.EchoCount, 4);  // a count of 0 changes nothing
  EXPECT_EQ(c1.EchoTime, 48);
  const TChannel& c2 = *content.Song->Channels[2];
  EXPECT_EQ(c2.EchoCount, 9);
  EXPECT_EQ(c2.EchoTime, 256);
  EXPECT_EQ(c2.Stretch, 8);
}

TEST(SongReader, ShortPayloadsAreReadAsFarAsTheyGo) {
  auto content = Read(RawEvents{}.Ints(EvSongEcho, {10, 20}).Ints(EvChannelEcho, {50}).Word(EvChannel, 1)
                          .Ints(EvChannelEcho, {50, 10, 100, 30, 1000, 77}).Word(EvChannel, 2).Byte(EvKind, 1)
                          .Data(EvSynthParams, {1, 0, 0, 0, 2}));
  TSong& s = *content.Song;
  EXPECT_EQ(s.Echo.Feedback, 10);
  EXPECT_EQ(s.Echo.Pan, 20);
  EXPECT_EQ(s.Echo.Volume, 128);
  EXPECT_EQ(s.Echo.Time, 48);
  EXPECT_EQ(s.Channels[0]->EchoFeedback, 50);
  EXPECT_EQ(s.Channels[0]->EchoPan, 128);  // not in the payload: no + 64
  EXPECT_EQ(s.Channels[1]->EchoPan, 74);
  EXPECT_EQ(s.Channels[1]->EchoPitch, 100);
  EXPECT_EQ(s.Channels[1]->EchoCount, 9);
  EXPECT_EQ(s.Channels[1]->EchoTime, 256);
  const auto& params = s.Channels[2]->Synth->Params;
  EXPECT_EQ(params[0], 1);
  EXPECT_EQ(params[1] & 0xFF, 2);
  EXPECT_EQ(params[P404StepGate], MB404Defaults[P404StepGate]);
  // Synthesizer parameters for a sample channel change nothing.
  EXPECT_FALSE(Read(RawEvents{}.Data(EvSynthParams, std::vector<uint8_t>(140, 1))).Song->Channels[0]->Synth);
}

TEST(SongReader, LinksAreCheckedAfterAllEvents) {
  // Channel 0 targets channel 5 and draws from 5 and 2 before channel 5
  // exists: legal. Targets and entries that never come to exist are dropped.
  auto content = Read(RawEvents{}.Word(EvMixTarget, 5).Word(EvRandomChoice, 5).Word(EvRandomChoice, 2)
                          .Word(EvRandomChoice, 700).Word(EvChannel, 1).Word(EvMixTarget, 50).Word(EvChannel, 5));
  TSong& s = *content.Song;
  ASSERT_EQ(s.ChannelCount(), 6);
  EXPECT_EQ(s.Channels[0]->MixTarget, 5);
  EXPECT_EQ(s.Channels[0]->RandomChoice, (std::vector<int32_t>{0, 5, 2}));
  EXPECT_EQ(s.Channels[1]->MixTarget, 1);
}

TEST(SongReader, TextsAndInformation) {
  auto content = Read(RawEvents{}.Text(EvTitle, "Caf\xE9").Text(EvWebAddress, "http://x.org").Byte(EvShowInfo, 1)
                          .Byte(EvSongMode, 1).Word(EvPattern, 12).Text(EvPatternName, "Break")
                          .Text(EvChannelName, "Kick\x80"));
  TSong& s = *content.Song;
  EXPECT_EQ(s.Info.Title, "Caf\xC3\xA9");
  EXPECT_EQ(s.Info.WebAddress, "http://x.org");
  EXPECT_TRUE(s.Info.ShowOnOpen);
  EXPECT_TRUE(s.SongModeOn);
  EXPECT_EQ(s.PatternNames[12].Name, "Break");
  EXPECT_EQ(s.Channels[0]->Name, "Kick\xE2\x82\xAC");

  // Rich text is kept byte for byte (NULs and all); a plain text of older
  // files becomes rich text.
  const std::vector<uint8_t> rtf = {'{', '\\', 'r', 't', 'f', '1', 0, 0xE9, '}'};
  EXPECT_EQ(Read(RawEvents{}.Data(EvInfoRTF, rtf)).Song->Info.InfoRTF, std::string(rtf.begin(), rtf.end()));
  EXPECT_EQ(Read(RawEvents{}.Text(EvPlainInfo, "a{b}\r\nc")).Song->Info.InfoRTF, "{\\rtf1\\ansi a\\{b\\}\\par\nc}");
}

TEST(SongReader, SampleFilesGoThroughTheLoader) {
  FakeLoader loader;
  SongReadOptions options;
  options.Loader = &loader;
  auto content = Read(RawEvents{}.Long(EvColor, 0x123456).Text(EvSampleFile, "missing.wav").Byte(EvLooped, 1)
                          .Word(EvChannel, 1).Long(EvColor, 0x123456).Text(EvSampleFile, "kick.wav")
                          .Byte(EvLooped, 1).Byte(EvPingPong, 0)
                          .Word(EvChannel, 2).Text(EvSampleFile, "loop.wav").Byte(EvLooped, 1).Byte(EvPingPong, 1),
                      options);
  TSong& s = *content.Song;
  EXPECT_EQ(loader.Loads, (std::vector<std::string>{"missing.wav", "kick.wav", "loop.wav"}));
  // Missing: red, name kept, no sound.
  EXPECT_EQ(s.Channels[0]->Color, 0x020000FFu);
  EXPECT_EQ(s.Channels[0]->SampleFileName, "missing.wav");
  EXPECT_TRUE(s.Channels[0]->Sample.Empty());
  EXPECT_FALSE(s.Channels[0]->Sample.Looped);
  // Loaded without loop points: the loop flag stays off.
  EXPECT_EQ(s.Channels[1]->Color, 0x123456u);
  EXPECT_FALSE(s.Channels[1]->Sample.Looped);
  EXPECT_TRUE(s.Channels[2]->Sample.Looped);
  EXPECT_EQ(s.Channels[2]->Sample.PingPong, 1);
  EXPECT_EQ(loader.Rebuilds, 1);  // only a change of ping-pong rebuilds
}

TEST(SongReader, PluginEvents) {
  const std::vector<uint8_t> floats = {0, 0, 0, 0x3F, 0, 0, 0x80, 0x3F, 0, 0, 0, 0x40};
  auto content = Read(RawEvents{}.Text(EvPluginName, "Chorus").Ints(EvPluginSlot, {2, 3, -20, 300, 0x100})
                          .Data(EvPluginParams, floats).Text(EvPluginName, "Far").Ints(EvPluginSlot, {5, 0, 0, 0, 1})
                          .Data(EvPluginParams, floats).Text(EvPluginName, "Short").Data(EvPluginSlot, {1, 0, 0, 0})
                          .Text(EvPluginName, "Delay").Ints(EvPluginSlot, {0, 0, 1, 2, 1}));
  ASSERT_EQ(content.Plugins.size(), 2u);
  const SongPluginState& p = content.Plugins[0];
  EXPECT_EQ(p.Name, "Chorus");
  EXPECT_EQ(p.Track, 2);
  EXPECT_EQ(p.Slot, 3);
  EXPECT_EQ(p.EditorLeft, -20);
  EXPECT_EQ(p.EditorTop, 300);
  EXPECT_FALSE(p.EditorOpen);  // only the first byte of the flag counts
  EXPECT_EQ(p.Parameters, (std::vector<float>{0.5f, 1.0f, 2.0f}));
  EXPECT_EQ(content.Plugins[1].Name, "Delay");
  EXPECT_TRUE(content.Plugins[1].EditorOpen);
  EXPECT_TRUE(content.Plugins[1].Parameters.empty());

  EXPECT_TRUE(IsBarePluginName("Chorus"));
  EXPECT_TRUE(IsBarePluginName("my.plugin"));
  for (const char* bad : {"", ".", "..", "../x", "a/b", "/usr/lib/x", "C:\\x", "a\\b"})
    EXPECT_FALSE(IsBarePluginName(bad)) << bad;
}

TEST(SongReader, MalformedDataIsRefused) {
  auto refuse = [](const std::vector<uint8_t>& img) {
    TSongFileContent content;
    return ReadSongImage(img.data(), img.size(), content);
  };
  // Wrong chunk ids, or "ZMdt" not where the header length points.
  auto img = RawEvents{}.Byte(EvVolume, 3).Image();
  img[0] = 'X';
  EXPECT_EQ(refuse(img), SongNotASongFile);
  img = RawEvents{}.Image();
  img[4] = 7;
  EXPECT_EQ(refuse(img), SongNotASongFile);
  img = RawEvents{}.Image();
  img[4] = 0xFF;
  img[7] = 0xFF;
  EXPECT_EQ(refuse(img), SongNotASongFile);
  EXPECT_EQ(refuse({'Z', 'M', 'h', 'd'}), SongNotASongFile);
  EXPECT_EQ(refuse({}), SongNotASongFile);
  // A longer header body is legal.
  img = RawEvents{}.Byte(EvVolume, 3).Image();
  img.insert(img.begin() + 14, {0, 0});
  img[4] = 8;
  EXPECT_EQ(refuse(img), SongLoaded);

  // A data chunk longer than the file, an event cut short, a text length of
  // six groups, a length beyond the data.
  img = RawEvents{}.Word(EvTempo, 120).Image();
  img[18] += 1;
  EXPECT_EQ(refuse(img), SongDamaged);
  img = RawEvents{}.Word(EvTempo, 120).Image();
  img.pop_back();
  img[18] -= 1;
  EXPECT_EQ(refuse(img), SongDamaged);
  RawEvents six;
  six.Bytes = {EvTitle, 0x81, 0x80, 0x80, 0x80, 0x80, 0x00};
  EXPECT_EQ(refuse(six.Image()), SongDamaged);
  RawEvents five;
  five.Bytes = {EvTitle, 0x80, 0x80, 0x80, 0x80, 0x00};  // five groups, length 0: fine
  EXPECT_EQ(refuse(five.Image()), SongLoaded);
  RawEvents beyond;
  beyond.Bytes = {EvTitle, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 'a'};
  EXPECT_EQ(refuse(beyond.Image()), SongDamaged);
  // Unknown ids are skipped by their size.
  auto content = Read(RawEvents{}.Byte(1, 9).Byte(40, 9).Word(100, 9).Long(150, 9).Text(200, "x")
                          .Data(250, {1, 2, 3}).Byte(EvVolume, 33));
  EXPECT_EQ(content.Song->Channels[0]->Volume, 33);
}

class LoadSongTest : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = TempDir("load");
    auto current = std::make_unique<TSong>();
    ResetSongModel(*current);
    current->Info.Title = "open song";
    current->SetModified(true);
    ReplaceCurrentSong(std::move(current));
  }
  void TearDown() override {
    ReplaceCurrentSong(nullptr);
    fs::remove_all(Dir);
  }
  void ExpectCurrentUntouched() {
    EXPECT_EQ(CurrentSong().Info.Title, "open song");
    EXPECT_EQ(CurrentSong().ChannelCount(), 4);
    EXPECT_TRUE(CurrentSong().Modified());
  }
  fs::path Dir;
};

TEST_F(LoadSongTest, BadFilesLeaveTheOpenSongUntouched) {
  FakePluginSlots plugins;
  FakeFrame frame;
  SongHost host = MakeHost(&plugins, &frame, nullptr);
  EXPECT_EQ(LoadSong((Dir / "none.zmp").string(), host), SongCannotOpen);
  ExpectCurrentUntouched();

  auto good = RawEvents{}.Text(EvTitle, "new").Word(EvChannel, 7).Text(EvPluginName, "Chorus")
                  .Ints(EvPluginSlot, {0, 0, 0, 0, 0}).Long(EvRackHeight, 300).Image();
  auto wrongId = good;
  wrongId[14] = 'z';
  WriteFile(Dir / "wrong.zmp", wrongId);
  EXPECT_EQ(LoadSong((Dir / "wrong.zmp").string(), host), SongNotASongFile);
  ExpectCurrentUntouched();

  // Every truncation of a good file is refused whole.
  for (size_t n = 0; n < good.size(); ++n) {
    WriteFile(Dir / "cut.zmp", std::vector<uint8_t>(good.begin(), good.begin() + n));
    EXPECT_NE(LoadSong((Dir / "cut.zmp").string(), host), SongLoaded) << n;
    ExpectCurrentUntouched();
  }
  EXPECT_EQ(plugins.UnloadCalls, 0);
  EXPECT_TRUE(plugins.LoadCalls.empty());
  EXPECT_TRUE(frame.Applied.empty());
}

TEST_F(LoadSongTest, AGoodFileReplacesTheSongAndFeedsTheHost) {
  FakePluginSlots plugins;
  plugins.Available = {"Chorus"};
  FakeFrame frame;
  SongHost host = MakeHost(&plugins, &frame, nullptr);
  const auto img = RawEvents{}.Text(EvTitle, "new").Word(EvChannel, 7).Text(EvPluginName, "Chorus")
                       .Ints(EvPluginSlot, {1, 2, 0, 0, 0}).Text(EvPluginName, "../../tmp/evil")
                       .Ints(EvPluginSlot, {0, 0, 0, 0, 0}).Text(EvPluginName, "Gone")
                       .Ints(EvPluginSlot, {0, 1, 0, 0, 0}).Long(EvRackHeight, 300).Image();
  WriteFile(Dir / "good.zmp", img);
  ASSERT_EQ(LoadSong((Dir / "good.zmp").string(), host), SongLoaded);
  EXPECT_EQ(CurrentSong().Info.Title, "new");
  EXPECT_EQ(CurrentSong().ChannelCount(), 8);
  EXPECT_FALSE(CurrentSong().Modified());
  EXPECT_EQ(plugins.UnloadCalls, 1);
  // A name with a path is never handed to the host.
  ASSERT_EQ(plugins.LoadCalls.size(), 2u);
  EXPECT_EQ(plugins.LoadCalls[0].Name, "Chorus");
  EXPECT_EQ(plugins.LoadCalls[1].Name, "Gone");
  EXPECT_EQ(plugins.Warnings,
            (std::vector<std::string>{"Warning|This song needs the ../../tmp/evil plugin which couldn't be found...",
                                      "Warning|This song needs the Gone plugin which couldn't be found..."}));
  EXPECT_EQ(frame.Applied, std::vector<int32_t>{300});
}

// A song with a bit of everything, for round trips.
static std::unique_ptr<TSong> RichSong() {
  auto song = std::make_unique<TSong>();
  ResetSongModel(*song);
  TSong& s = *song;
  s.BPM = 133;
  s.CurrentPattern = 7;
  s.SongModeOn = true;
  s.Info.Title = "R\xC3\xBC" "ckblick";
  s.Info.InfoRTF = "{\\rtf1\\ansi Hello \\'e9\\par}";
  s.Info.WebAddress = "http://example.org/song";
  s.Info.ShowOnOpen = true;
  s.MasterSwing = 30;
  s.MasterVolume = 110;
  s.MasterPitch = -250;
  s.MasterResoPosition = 500;
  s.MasterCutoffPosition = 700;
  s.SetPatternLength(32);
  s.StepsPerBlock = 3;
  s.Echo = {90, 20, 100, 64};
  for (int i = 0; i < 3; ++i) AddChannel(s);
  TChannel& synth = *s.Channels[5];
  synth.MakeMB404(true);
  synth.Synth->Params[P404Cutoff] = 99;
  synth.Synth->Params[P404Attack] = -5;
  for (int i = 0; i < s.ChannelCount(); ++i) {
    TChannel& c = *s.Channels[i];
    c.Name = "Ch " + std::to_string(i) + (i == 2 ? " \xE2\x82\xAC" : "");
    c.Volume = 10 + i;
    c.Pan = 60 + i;
    c.MidiChannel = i % 16;
    if (i == 1) {
      c.MidiNote = 36;
      c.MidiProgram = 5;
      c.MidiBank = 1;
      c.ControllerStart[7] = 100;
      c.ControllerStart[10] = 0;
      c.Collapsed = true;
      c.Enabled = false;
    }
    c.EchoFeedback = 20 * i;
    c.EchoPan = 100 + i;
    c.EchoPitch = 110;
    c.EchoCount = 1 + i;
    c.EchoTime = 16 * i;
    c.EchoResonance = 130;
    c.EchoCutoff = 140;
    c.Reverb = 5 * i;
    c.ReverbType = i % 2;
    c.EchoFollowsSwing = i % 2;
    c.Shift = i;
    c.FirstEffect = 100 + i;
    c.Phaser = 300;
    c.Cutoff = 900 + i;
    c.Resonance = 12 * i;
    c.PreAmp = 4;
    c.Decay = 1000;
    c.Attack = 3;
    c.StereoDelay = 2100;
    c.SecondEffectMix = 7;
    c.SecondEffectSine = 9;
    c.FadeLeftToRight = i == 3;
    c.Reversed = i == 4;
    c.ReverseStereo = i == 6;
    c.Stretch = i == 2 ? 16 : 0;
    c.Pitchable = i != 0;
    c.MixTarget = (i + 2) % s.ChannelCount();
    c.EffectTrack = i % 4;
    if (i == 3) c.RandomChoice = {3, 6, 0};
    if (i == 4) c.RenderNote = 48;
    if (i == 0) c.RootNote = 72;
    if (c.Kind == 0) {
      c.SampleFileName = i == 2 ? "\\Loops\\loop beat.wav" : "\\Kit\\s" + std::to_string(i) + ".wav";
      c.Sample.SetFrames(std::vector<int16_t>(64, 100));
      if (i == 2) {
        c.Sample.SetLoop(4, 20);
        c.Sample.Looped = true;
        c.Sample.PingPong = 1;
      }
    }
    c.Sample.CutGroup = i;
    c.Sample.CutByGroup = i + 1;
    for (int pattern : {1, 2, 17, 999})
      for (int step = 0; step < 32; step += 1 + i) {
        c.Steps.SetStepOn(pattern, step, true);
        for (int plane = 0; plane < 8; ++plane)
          c.Steps.SetStepValue(pattern, step, static_cast<uint8_t>((step * 7 + plane * 3 + i) % (StepLanes[plane].Max + 1)), plane);
      }
    c.Steps.SetStepValue(3, 40, 1, PlaneFlags);  // beyond the pattern length
  }
  s.PatternNames[2].Name = "Verse";
  s.PatternNames[500].Name = "Empty but named";
  s.Playlist.PlaylistBars[0] = {1, 17};
  s.Playlist.PlaylistBars[1] = {2};
  s.Playlist.PlaylistBars[300] = {999, 1};
  s.Playlist.PlaylistMarker = 1;
  return song;
}

TEST(SongRoundTrip, RichSongIsWrittenReadAndWrittenAgainByteIdentical) {
  auto song = RichSong();
  FakePluginSlots plugins;
  SongPluginState p;
  p.Track = 4;
  p.Slot = 1;
  p.Name = "Reverb";
  p.EditorLeft = 10;
  p.EditorTop = 20;
  p.Parameters = {0.25f, -3.0f};
  plugins.Loaded = {p};
  FakeFrame frame;
  frame.Height = 333;
  SongHost host = MakeHost(&plugins, &frame, nullptr);
  const auto first = BuildSongImage(*song, host);

  FakeLoader loader;
  SongReadOptions options;
  options.Loader = &loader;
  TSongFileContent content;
  ASSERT_EQ(ReadSongImage(first.data(), first.size(), content, options), SongLoaded);
  ASSERT_EQ(content.Plugins.size(), 1u);
  ASSERT_TRUE(content.HasRackHeight);
  FakePluginSlots again;
  again.Loaded = content.Plugins;
  FakeFrame frame2;
  frame2.Height = content.RackHeight;
  const auto second = BuildSongImage(*content.Song, MakeHost(&again, &frame2, nullptr));
  EXPECT_EQ(first.size(), second.size());
  EXPECT_TRUE(first == second);

  TSong& s = *content.Song;
  EXPECT_EQ(s.ChannelCount(), 7);
  EXPECT_EQ(s.Channels[5]->Kind, 1);
  EXPECT_EQ(s.Channels[5]->Synth->Params[P404Attack], -5);
  EXPECT_EQ(s.Channels[3]->RandomChoice, (std::vector<int32_t>{3, 6, 0}));
  EXPECT_EQ(s.Channels[2]->Name, "Ch 2 \xE2\x82\xAC");
  EXPECT_EQ(s.Channels[1]->Steps.GetStepValue(3, 40, PlaneFlags), 0);  // never written
  EXPECT_EQ(s.PatternNames[500].Name, "Empty but named");
  EXPECT_EQ(s.SongVersion, 1003061);
}

TEST_F(LoadSongTest, SavedSongLoadsBack) {
  auto song = RichSong();
  const std::string name = (Dir / "rich.zmp").string();
  ASSERT_TRUE(SaveSong(name, *song));
  FakeLoader loader;
  SongHost host = MakeHost(nullptr, nullptr, &loader);
  ASSERT_EQ(LoadSong(name, host), SongLoaded);
  EXPECT_EQ(BuildSongImage(CurrentSong()), BuildSongImage(*song));
}
