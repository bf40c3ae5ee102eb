// Damaged and hostile song data: the reader must neither crash nor read
// outside its buffer (run under AddressSanitizer in the sanitizer build),
// and must refuse what it can't read whole.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "SongTestKit.h"
#include "model/Channels.h"
#include "model/SongReset.h"
#include "files/SongFile.h"
#include "files/SongReader.h"

using namespace vs;
using namespace vs::test;

namespace {

std::vector<uint8_t> SeedImage() {
  TSong song;
  ResetSongModel(song);
  song.Info.Title = "seed";
  song.Info.InfoRTF = "{\\rtf1 seed}";
  song.Channels[1]->MakeMB404(true);
  song.Channels[2]->SampleFileName = "loop.wav";
  song.Channels[2]->Sample.PingPong = 1;
  song.Channels[0]->ControllerStart[1] = 5;
  for (int s = 0; s < 16; s += 2) {
    song.Channels[0]->Steps.SetStepOn(1, s, true);
    song.Channels[3]->Steps.SetStepValue(2, s, 33, PlanePitch);
    song.Channels[3]->Steps.SetStepOn(2, s, true);
  }
  song.PatternNames[2].Name = "two";
  song.Playlist.PlaylistBars[0] = {1, 2};
  FakePluginSlots plugins;
  SongPluginState p;
  p.Name = "Chorus";
  p.Parameters = {1.0f, 2.0f};
  plugins.Loaded = {p};
  return BuildSongImage(song, MakeHost(&plugins, nullptr, nullptr));
}

int ReadImage(const std::vector<uint8_t>& img, ChannelFileLoader* loader) {
  SongReadOptions options;
  options.Loader = loader;
  TSongFileContent content;
  const int r = ReadSongImage(img.data(), img.size(), content, options);
  if (r == SongLoaded) {
    // What was read is consistent: links name channels, the pattern length
    // and channel count are in range.
    TSong& s = *content.Song;
    EXPECT_LE(s.ChannelCount(), MaxSongChannels);
    EXPECT_GE(s.PatternLength(), 8);
    EXPECT_LE(s.PatternLength(), 64);
    for (int i = 0; i < s.ChannelCount(); ++i) {
      const TChannel& c = *s.Channels[i];
      EXPECT_GE(c.MixTarget, 0);
      EXPECT_LT(c.MixTarget, s.ChannelCount());
      for (int32_t r2 : c.RandomChoice) EXPECT_TRUE(r2 >= 0 && r2 < s.ChannelCount());
      EXPECT_TRUE(c.EffectTrack >= 0 && c.EffectTrack <= 3);
      EXPECT_TRUE(c.MidiChannel >= 0 && c.MidiChannel <= 15);
    }
    for (const auto& p : content.Plugins) EXPECT_TRUE(p.Track >= 0 && p.Track < 5 && p.Slot >= 0 && p.Slot < 4);
  }
  return r;
}

}  // namespace

TEST(SongReaderHostile, EveryTruncationIsRefused) {
  const auto seed = SeedImage();
  ASSERT_EQ(ReadImage(seed, nullptr), SongLoaded);
  for (size_t n = 0; n < seed.size(); ++n) {
    const std::vector<uint8_t> cut(seed.begin(), seed.begin() + n);
    EXPECT_NE(ReadImage(cut, nullptr), SongLoaded) << n;
  }
  // With the chunk length made to match, a cut inside an event is refused;
  // a cut between events is a shorter, well-formed song.
  const auto events = DecodeImage(seed);
  std::vector<bool> boundary(seed.size() + 1, false);
  for (const auto& e : events) boundary[e.Offset] = true;
  boundary[seed.size()] = true;
  for (size_t n = 22; n < seed.size(); ++n) {
    std::vector<uint8_t> cut(seed.begin(), seed.begin() + n);
    const uint32_t len = static_cast<uint32_t>(n - 22);
    for (int i = 0; i < 4; ++i) cut[18 + i] = static_cast<uint8_t>(len >> (8 * i));
    EXPECT_EQ(ReadImage(cut, nullptr) == SongLoaded, boundary[n]) << n;
  }
}

TEST(SongReaderHostile, RandomDamageNeverCrashes) {
  const auto seed = SeedImage();
  std::mt19937 rng(20261208);
  FakeLoader loader;
  int loaded = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> img = seed;
    const int edits = 1 + rng() % 8;
    for (int e = 0; e < edits; ++e) {
      const size_t at = 22 + rng() % (img.size() - 22);
      switch (rng() % 5) {
        case 0: img[at] = static_cast<uint8_t>(rng()); break;
        case 1: img[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: img.insert(img.begin() + at, static_cast<uint8_t>(rng())); break;
        case 3: img.erase(img.begin() + at); break;
        case 4: img[at] = static_cast<uint8_t>(rng() % 2 ? 0xFF : 0x80); break;
      }
      if (img.size() <= 23) break;
    }
    // Keep the data chunk length honest half of the time, so that the
    // damage reaches the events rather than the chunk check.
    if (round % 2 && img.size() >= 22) {
      const uint32_t n = static_cast<uint32_t>(img.size() - 22);
      for (int i = 0; i < 4; ++i) img[18 + i] = static_cast<uint8_t>(n >> (8 * i));
    }
    const int r = ReadImage(img, round % 3 ? &loader : nullptr);
    EXPECT_TRUE(r == SongLoaded || r == SongNotASongFile || r == SongDamaged);
    loaded += r == SongLoaded;
  }
  EXPECT_GT(loaded, 100);  // the damage also produced readable songs
}

TEST(SongReaderHostile, HugeLengthsAndCountsAreHarmless) {
  // Lengths that claim gigabytes, channels and patterns far out of range,
  // and every id with an empty payload.
  RawEvents ev;
  ev.Bytes = {EvInfoRTF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F};
  EXPECT_EQ(ReadImage(ev.Image(), nullptr), SongDamaged);
  RawEvents many;
  for (int i = 0; i < 50; ++i) many.Word(EvChannel, static_cast<uint16_t>(900 + i * 1000));
  for (int id = 192; id < 256; ++id) many.Data(static_cast<uint8_t>(id), {});
  for (int id = 0; id < 192; ++id) {
    if (id == EvChannel) continue;
    if (id < 64) many.Byte(static_cast<uint8_t>(id), 0xFF);
    else if (id < 128) many.Word(static_cast<uint8_t>(id), 0xFFFF);
    else many.Long(static_cast<uint8_t>(id), 0xFFFFFFFF);
  }
  EXPECT_EQ(ReadImage(many.Image(), nullptr), SongLoaded);
}

TEST(SongReaderHostile, EchoPansAtTheEndsOfTheIntegerRangeClamp) {
  // The stored echo pan is centred on 0: the reader adds 64, which must not
  // overflow (the sanitizer build stops on it).
  RawEvents ev;
  ev.Ints(EvChannelEcho, {50, 0x7FFFFFF0, 120, 3, 16});
  ev.Word(EvChannel, 1).Ints(EvChannelEcho, {50, INT32_MIN, 120, 3, 16});
  ev.Word(EvChannel, 2).Ints(EvChannelEcho, {50, 192, 120, 3, 16});
  const std::vector<uint8_t> image = ev.Image();
  TSongFileContent content;
  ASSERT_EQ(ReadSongImage(image.data(), image.size(), content), SongLoaded);
  EXPECT_EQ(content.Song->Channels[0]->EchoPan, 256);
  EXPECT_EQ(content.Song->Channels[1]->EchoPan, 0);
  EXPECT_EQ(content.Song->Channels[2]->EchoPan, 256);
}
