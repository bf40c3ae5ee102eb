// Hostile presets: random mutations of valid files, every length, extreme
// words. Run under the sanitizer build (VS_SANITIZE) to catch bad accesses.
#include <gtest/gtest.h>

#include <random>

#include "VoxFixture.h"

using namespace voxtest;

namespace {

// Byte offsets of the amplitude envelope's durations, kept short so that a
// render stays quick.
constexpr size_t Envelope0 = 9 + 880;

void TameLength(std::vector<unsigned char>& b, std::mt19937& rng) {
  for (size_t i = 0; i < 5 && Envelope0 + 2 * i + 1 < b.size(); ++i) {
    int16_t d = static_cast<int16_t>(static_cast<int>(rng() % 240) - 40);
    b[Envelope0 + 2 * i] = static_cast<unsigned char>(d & 0xFF);
    b[Envelope0 + 2 * i + 1] = static_cast<unsigned char>((d >> 8) & 0xFF);
  }
}

void LoadAndRender(const std::string& path) {
  Holder h;
  if (!h.Load(path)) return;
  std::vector<int16_t> v;
  ASSERT_TRUE(h.Gen(v));
  ASSERT_EQ(v.size() % 2, 0u);
}

TEST(PresetFuzz, RandomMutationsNeverCrash) {
  TempDir dir;
  std::mt19937 rng(20261208);
  SynFile seedFile;
  seedFile.Osc[1].Off = seedFile.Osc[2].Off = 0;
  seedFile.Osc[2].Type = 4;
  seedFile.Osc[2].SetName("x.osc");
  const std::vector<unsigned char> seed = seedFile.Bytes();
  for (int round = 0; round < 400; ++round) {
    std::vector<unsigned char> b = seed;
    int flips = 1 + static_cast<int>(rng() % 40);
    for (int i = 0; i < flips; ++i) {
      size_t at = rng() % b.size();
      switch (rng() % 4) {
        case 0: b[at] = static_cast<unsigned char>(rng()); break;
        case 1: b[at] = 0xFF; break;
        case 2: b[at] = 0x80; break;
        default: b[at] = 0; break;
      }
    }
    // Header bytes mostly left valid so that the body gets exercised.
    if (rng() % 4 != 0) std::copy(seed.begin(), seed.begin() + 9, b.begin());
    if (rng() % 8 != 0) TameLength(b, rng);
    if (rng() % 5 == 0) b.resize(rng() % b.size());
    LoadAndRender(dir.Write("fuzz.syn", b));
  }
}

TEST(PresetFuzz, ExtremeWordsEverywhere) {
  TempDir dir;
  for (int16_t word : {int16_t{-32768}, int16_t{-1}, int16_t{0}, int16_t{1}, int16_t{128},
                       int16_t{255}, int16_t{256}, int16_t{32767}}) {
    for (int type = -1; type <= 5; ++type) {
      SynFile f;
      for (SynOscillator& o : f.Osc) {
        o.LFODepth = o.Width = o.Pitch = o.Level = o.EnvDepth = word;
        o.Option1 = o.Option2 = o.Option3 = word;
        o.Off = 0;
        o.Type = static_cast<int16_t>(type);
        o.Name.fill(static_cast<char>(word));
      }
      for (SynEnvelope& e : f.Env) {
        e.Duration = {0, 50, 0, 0, 0};
        e.Level.fill(word);
        e.UseEnvelope0 = 0;
      }
      f.Cutoff = f.FilterEnvDepth = f.Resonance = f.LowHigh = f.Band = word;
      f.LFOCutoffDepth = f.Drive = f.Note = word;
      f.Stereo = static_cast<int16_t>(3097 + (word & 7));
      f.FilterType = static_cast<int16_t>(8787 + (type & 3));
      f.Distortion = f.HalfSpeed = f.Normalise = word;
      Holder h;
      ASSERT_TRUE(h.Load(dir.Write("x.syn", f.Bytes())));
      std::vector<int16_t> v;
      ASSERT_TRUE(h.Gen(v, word)) << word << " " << type;
      EXPECT_FALSE(v.empty());
    }
  }
}

// The fuzz target's seed inputs load and render as they are.
TEST(PresetFuzz, TheShippedSeedsLoadAndRender) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VS_FUZZ_CORPUS "preset")) {
    Holder h;
    ASSERT_TRUE(h.Load(entry.path().string())) << entry.path() << ": error " << h.LastError();
    std::vector<int16_t> v;
    ASSERT_TRUE(h.Gen(v)) << entry.path();
    EXPECT_FALSE(v.empty()) << entry.path();
    ++seeds;
  }
  EXPECT_GE(seeds, 4);
}

TEST(PresetFuzz, HighResonanceStaysBounded) {
  SynFile f;
  f.Resonance = 255;
  f.Cutoff = 255;
  f.Drive = 0;
  f.Normalise = 0;
  for (int16_t drive : {int16_t{0}, int16_t{200}}) {
    f.Drive = drive;
    TempDir dir;
    Holder h;
    ASSERT_TRUE(h.Load(dir.Write("r.syn", f.Bytes())));
    std::vector<int16_t> v;
    ASSERT_TRUE(h.Gen(v));
    EXPECT_EQ(v.size(), 35296u);
  }
}

}  // namespace
