#include <gtest/gtest.h>

#include <cmath>

#include "VoxFixture.h"

using namespace voxtest;

namespace {

// A preset whose only sound is a type-4 oscillator of the given name.
SynFile FilePreset(const std::string& name, int16_t pitch = 0) {
  SynFile f = SynFile::Sine();
  f.Osc[0].Type = 4;
  f.Osc[0].Pitch = pitch;
  f.Osc[0].SetName(name);
  return f;
}

std::vector<int16_t> RenderIn(const TempDir& dir, const SynFile& f) {
  Holder h;
  std::vector<int16_t> v;
  EXPECT_TRUE(h.Load(dir.Write("p.syn", f.Bytes())));
  EXPECT_TRUE(h.Gen(v));
  return Left(v);
}

std::vector<int16_t> SineValues(double hz, size_t n, int channels) {
  std::vector<int16_t> v;
  for (size_t i = 0; i < n; ++i)
    for (int c = 0; c < channels; ++c)
      v.push_back(static_cast<int16_t>(std::lround(std::sin(2 * M_PI * hz * i / 44100.0) * 20000)));
  return v;
}

std::vector<unsigned char> OSCFile(const std::array<uint16_t, 16>& levels) {
  std::vector<unsigned char> b;
  PutText(b, "OSC");
  b.push_back(0);
  for (uint16_t l : levels) PutWord(b, l);
  return b;
}

TEST(OscillatorFiles, UnusableNamesGiveSilence) {
  TempDir dir;
  std::array<char, 200> full;
  full.fill('A');
  std::memcpy(full.data() + 197, "WAV", 3);  // no terminator within 200 bytes
  SynFile unterminated = FilePreset("");
  unterminated.Osc[0].Name = full;
  for (const SynFile& f : {FilePreset("sound.xyz"), FilePreset(""), FilePreset("WA"),
                           FilePreset("missing.wav"), unterminated}) {
    std::vector<int16_t> v = RenderIn(dir, f);
    EXPECT_EQ(v.size(), 17648u);
    EXPECT_EQ(MaxAbs(v), 0) << std::string(f.Osc[0].Name.data(), 8);
  }
  // A missing ".OSC" file falls back to the first harmonic alone: a sine.
  EXPECT_GT(MaxAbs(RenderIn(dir, FilePreset("missing.osc"))), 1000);

  // An unusable oscillator beside a working one adds nothing of its own.
  SynFile two = FilePreset("sound.xyz");
  two.Osc[1] = SynFile::Sine().Osc[0];
  std::vector<int16_t> v = RenderIn(dir, two);
  EXPECT_GT(MaxAbs(v), 1000);
}

TEST(OscillatorFiles, SamplePlayerLoopsAtTheFilesRate) {
  TempDir dir;
  dir.Write("tone.wav", MakeWAV(SineValues(441.0, 4410, 1), 1, 44100));
  std::vector<int16_t> v = RenderIn(dir, FilePreset(dir.File("tone.wav")));
  EXPECT_NEAR(CrossingRate(v, 0, 12000), 441.0, 441.0 * 0.02);
  EXPECT_GT(MaxAbs(v, 0, 4000), 15000);

  // Pitch p changes the speed by 1 + p / 2400; a 22050 Hz file plays slower.
  v = RenderIn(dir, FilePreset(dir.File("tone.wav"), 2400));
  EXPECT_NEAR(CrossingRate(v, 0, 12000), 882.0, 882.0 * 0.02);
  dir.Write("half.wav", MakeWAV(SineValues(882.0, 2205, 2), 2, 22050));
  v = RenderIn(dir, FilePreset(dir.File("half.wav")));
  EXPECT_NEAR(CrossingRate(v, 0, 12000), 441.0, 441.0 * 0.02);
  // At -2400 and below the player stands still.
  EXPECT_EQ(MaxAbs(RenderIn(dir, FilePreset(dir.File("tone.wav"), -2400))), 0);
  EXPECT_EQ(MaxAbs(RenderIn(dir, FilePreset(dir.File("tone.wav"), -30000))), 0);
}

TEST(OscillatorFiles, FilesAreFoundBesideThePreset) {
  TempDir dir;
  dir.Write("Tone.Wav", MakeWAV(SineValues(441.0, 4410, 1), 1, 44100));
  // A name from another machine: its file name part, any case, in the
  // preset's folder.
  std::vector<int16_t> v = RenderIn(dir, FilePreset("C:\\Kits\\Synth\\TONE.WAV"));
  EXPECT_NEAR(CrossingRate(v, 0, 12000), 441.0, 441.0 * 0.02);
  v = RenderIn(dir, FilePreset("../elsewhere/tone.wav"));
  EXPECT_GT(MaxAbs(v), 1000);
}

TEST(OscillatorFiles, HarmonicOscillatorFollowsItsLevels) {
  TempDir dir;
  std::array<uint16_t, 16> first{}, second{}, zero{};
  first[0] = 100;
  second[1] = 7;
  dir.Write("first.osc", OSCFile(first));
  dir.Write("second.OSC", OSCFile(second));
  dir.Write("zero.osc", OSCFile(zero));
  double r1 = CrossingRate(RenderIn(dir, FilePreset("first.osc")), 0, 12000);
  double r2 = CrossingRate(RenderIn(dir, FilePreset("second.OSC")), 0, 12000);
  ASSERT_GT(r1, 50.0);
  EXPECT_NEAR(r2 / r1, 2.0, 0.04);
  // The same pitch as the sine oscillator of the same note.
  EXPECT_NEAR(CrossingRate(RenderIn(dir, SynFile::Sine()), 0, 12000) / r1, 1.0, 0.02);
  // All levels 0: silence rather than a constant offset.
  EXPECT_EQ(MaxAbs(RenderIn(dir, FilePreset("zero.osc"))), 0);
}

TEST(OscillatorFiles, HostileWAVFilesDoNotCrash) {
  TempDir dir;
  std::vector<unsigned char> good = MakeWAV(SineValues(441.0, 1000, 1), 1, 44100);
  std::vector<std::vector<unsigned char>> bad;
  bad.push_back({});
  bad.push_back({'R', 'I', 'F', 'F'});
  for (size_t n : {12u, 20u, 30u, 44u, 45u, 100u}) bad.emplace_back(good.begin(), good.begin() + n);
  std::vector<unsigned char> b = good;
  b[40] = b[41] = b[42] = b[43] = 0xFF;  // data size far past the end
  bad.push_back(b);
  b = good;
  b[16] = b[17] = b[18] = b[19] = 0xFF;  // fmt size far past the end
  bad.push_back(b);
  b = good;
  b[16] = 2;  // fmt chunk too short
  b[17] = b[18] = b[19] = 0;
  bad.push_back(b);
  b = good;
  b[34] = 24;  // 24-bit: not a format the player reads
  bad.push_back(b);
  b = good;
  b[22] = 0;  // no channels
  bad.push_back(b);
  b = good;
  b[24] = b[25] = b[26] = b[27] = 0xFF;  // absurd rate
  bad.push_back(b);
  b = good;
  b[24] = b[25] = b[26] = b[27] = 0;  // rate 0
  bad.push_back(b);
  std::vector<unsigned char> nodata(good.begin(), good.begin() + 36);
  PutText(nodata, "junk");
  PutLong(nodata, 0xFFFFFFF0u);
  bad.push_back(nodata);
  for (size_t i = 0; i < bad.size(); ++i) {
    dir.Write("bad.wav", bad[i]);
    std::vector<int16_t> v = RenderIn(dir, FilePreset("bad.wav"));
    EXPECT_EQ(v.size(), 17648u) << i;
  }

  // 8-bit mono and stereo files play too.
  std::vector<unsigned char> eight = good;
  eight.resize(44);
  eight[34] = 8;
  for (int i = 0; i < 2000; ++i) eight.push_back(static_cast<unsigned char>(128 + 100 * std::sin(i * 0.0628)));
  eight[40] = 2000 & 0xFF;
  eight[41] = 2000 >> 8;
  dir.Write("eight.wav", eight);
  EXPECT_GT(MaxAbs(RenderIn(dir, FilePreset("eight.wav"))), 1000);
  eight[22] = 2;
  dir.Write("eight.wav", eight);
  EXPECT_GT(MaxAbs(RenderIn(dir, FilePreset("eight.wav"))), 1000);
}

}  // namespace
