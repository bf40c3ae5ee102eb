// A bounded random-mutation run over the chunk walker and the decoders: seed
// files of every kind, damaged in many ways, must give a result code and a
// consistent sample, never a crash (run it in the sanitizer build too).

#include <gtest/gtest.h>

#include <random>

#include "WAVTestSupport.h"
#include "support/ByteMutation.h"
#include "engine/WAVFiles.h"

using namespace vs;
using namespace wavtest;

namespace {

std::string Noise(size_t n, uint32_t seed) { return NoiseBytes(n, seed); }

std::vector<std::string> Seeds() {
  std::vector<std::string> seeds;
  std::vector<int16_t> frames;
  for (int i = 0; i < 600; ++i) frames.push_back(int16_t(i * 97));
  seeds.push_back(Wav16(frames, 2, 44100, Chunk("smpl", SmplBody(10, 200)) + Chunk("LIST", "INFOICMT\3\0\0\0ab")));
  seeds.push_back(Riff(Chunk("fmt ", FmtBody(1, 1, 22050, 8)) + Chunk("data", Noise(301, 1)) +
                       Chunk("smpl", SmplBody(5, 250))));
  // IMA ADPCM, mono: blocks of 4 header bytes and 32 bytes of nibbles (65 frames).
  seeds.push_back(Riff(Chunk("fmt ", FmtBody(0x11, 1, 11025, 4, 36) + Le16(2) + Le16(65)) + Chunk("fact", Le32(195)) +
                       Chunk("data", Noise(108, 2))));
  // MS ADPCM, stereo: 64-byte blocks of 52 frames, seven coefficient pairs.
  std::string ms = FmtBody(2, 2, 22050, 4, 64) + Le16(32) + Le16(52) + Le16(7);
  const int pairs[7][2] = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};
  for (auto& p : pairs) ms += Le16(p[0]) + Le16(p[1]);
  std::string msData;
  for (int block = 0; block < 3; ++block) msData += std::string(2, '\0') + Noise(62, 30 + block);
  seeds.push_back(Riff(Chunk("fmt ", ms) + Chunk("data", msData)));
  // 32-bit float, 24-bit extensible, A-law, mu-law, GSM 6.10.
  seeds.push_back(Riff(Chunk("fmt ", FmtBody(3, 2, 48000, 32) + Le16(0)) + Chunk("data", Noise(800, 4))));
  std::string ext = FmtBody(0xFFFE, 2, 96000, 24) + Le16(22) + Le16(24) + Le32(3) + Le16(1) + Le16(0) + Le16(0) +
                    Le16(0x10) + std::string("\x80\x00\x00\xAA\x00\x38\x9B\x71", 8);
  seeds.push_back(Riff(Chunk("fmt ", ext) + Chunk("data", Noise(600, 5))));
  seeds.push_back(Riff(Chunk("fmt ", FmtBody(6, 1, 8000, 8) + Le16(0)) + Chunk("data", Noise(333, 6))));
  seeds.push_back(Riff(Chunk("fmt ", FmtBody(7, 2, 8000, 8) + Le16(0)) + Chunk("data", Noise(334, 7))));
  seeds.push_back(Riff(Chunk("fmt ", FmtBody(0x31, 1, 8000, 0, 65) + Le16(2) + Le16(320)) + Chunk("data", Noise(195, 8))));
  return seeds;
}

void Mutate(std::string& s, std::mt19937& rng) {
  MutateBytes(s, rng, {0, 1, 2, 15, 16, 17, 18, 51, 52, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu,
                       44100, 4});
}

}  // namespace

TEST(WAVFuzz, DamagedFilesGiveCodesAndConsistentSamples) {
  const std::vector<std::string> seeds = Seeds();
  // Each seed loads as it is.
  for (size_t i = 0; i < seeds.size(); ++i) {
    TWAVSample s;
    EXPECT_EQ(LoadWAVSampleFromMemory(reinterpret_cast<const uint8_t*>(seeds[i].data()), seeds[i].size(), s), 0)
        << "seed " << i;
  }
  std::mt19937 rng(20261208);
  int loaded = 0;
  const int iterations = FuzzIterations(20000);
  for (int iter = 0; iter < iterations; ++iter) {
    std::string file = seeds[size_t(iter) % seeds.size()];
    Mutate(file, rng);
    TWAVSample s;
    const int r = LoadWAVSampleFromMemory(reinterpret_cast<const uint8_t*>(file.data()), file.size(), s);
    ASSERT_TRUE(r == 0 || r == 2 || r == 3) << "iteration " << iter << " gave " << r;
    if (r != 0) {
      ASSERT_TRUE(s.Empty() || s.Length == 0) << "iteration " << iter;
      continue;
    }
    ++loaded;
    ASSERT_GT(s.Length, 0) << iter;
    ASSERT_EQ(s.Data.size(), size_t(s.Length) * 2) << iter;
    if (s.LoopStart >= 0) {
      ASSERT_LE(s.LoopStart, s.LoopEnd) << iter;
      ASSERT_LT(s.LoopEnd, s.Length) << iter;
      ASSERT_EQ(s.LoopLength, s.LoopEnd - s.LoopStart + 1) << iter;
    } else {
      ASSERT_EQ(s.LoopEnd, NoLoopEnd) << iter;
    }
  }
  EXPECT_GT(loaded, iterations / 10) << "the mutations should leave many files readable";
}
