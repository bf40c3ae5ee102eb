// The two sets of mix loops give the same numbers: loop by loop on hostile
// walks and values, and for a whole busy song; and the pitched mix that
// interpolates straight into the bus equals the converter's frames mixed.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "MixTestSong.h"
#include "model/MixerLock.h"
#include "engine/MixKernels.h"
#include "engine/MixSettings.h"
#include "engine/Resample.h"
#include "engine/SoundProcs.h"

namespace vs {
namespace {

std::vector<int16_t> Noise(int frames, uint32_t seed) {
  std::vector<int16_t> v(size_t(frames) * 2);
  for (auto& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<int16_t>(seed >> 16);
  }
  // Full-scale jumps: neighbours at both ends of the range.
  for (size_t i = 0; i + 3 < v.size(); i += 40) {
    v[i] = -32768;
    v[i + 2] = 32767;
  }
  return v;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Restores the set chosen at start.
struct KernelSetGuard {
  TMixKernelSet Was = MixKernelSetInUse();
  ~KernelSetGuard() { UseMixKernelSet(Was); }
};

class MixKernelsTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!MixKernelSetSupported(TMixKernelSet::AVX2)) GTEST_SKIP() << "this processor has no AVX2";
  }
  const TMixKernels& Plain = PlainMixKernels();
  const TMixKernels& Wide = *AVX2MixKernels();
};

TEST_F(MixKernelsTest, EveryLoopGivesThePlainNumbers) {
  const int sourceFrames = 3001;
  const std::vector<int16_t> src = Noise(sourceFrames, 11);
  // Stretched lengths: slower, a little and a lot faster (neighbours read
  // in one load, or gathered), one frame, and far longer than the source.
  for (int64_t destLength : {4000, 2900, 2000, 1400, 700, 1, 1000000})
    for (int interpolation : {1, 0})
      for (int64_t start : {int64_t(0), destLength / 3, destLength - 13, destLength - 1}) {
        if (start < 0) continue;
        const int64_t count = 301;  // runs past the stretched end into the last frame
        const TResampleWalk w = StartResampleWalk(src.data(), sourceFrames, start, destLength, interpolation);
        std::vector<int16_t> a(size_t(count) * 2), b(a.size());
        Plain.Resample16(w, a.data(), count);
        Wide.Resample16(w, b.data(), count);
        ASSERT_EQ(a, b) << destLength << " " << interpolation << " " << start;
        std::vector<float> busA(size_t(count) * 2, 0.25f), busB = busA;
        Plain.MixResampled16(w, busA.data(), count, 0.37f / 32768, -1.9f / 32768);
        Wide.MixResampled16(w, busB.data(), count, 0.37f / 32768, -1.9f / 32768);
        ASSERT_TRUE(SameBits(busA, busB)) << destLength << " " << interpolation << " " << start;
        // The same as the converter's frames mixed.
        std::vector<float> viaFrames(size_t(count) * 2, 0.25f);
        Plain.MixStereo16(a.data(), viaFrames.data(), count, 0.37f / 32768, -1.9f / 32768);
        ASSERT_TRUE(SameBits(busA, viaFrames));
      }

  // Plain frames, output conversion (NaN, infinities, ties, clipping) and
  // bus sums, over odd counts so that every tail runs.
  std::vector<float> busA(2 * 1003), busB;
  for (size_t i = 0; i < busA.size(); ++i) busA[i] = float(int(i * 7919 % 4001) - 2000) / 1024.0f;
  busA[5] = std::numeric_limits<float>::quiet_NaN();
  busA[6] = std::numeric_limits<float>::infinity();
  busA[7] = -std::numeric_limits<float>::infinity();
  busA[8] = 2.5f / 32768;
  busB = busA;
  Plain.MixStereo16(src.data() + 6, busA.data(), 1003, 0.001f, 0.3f);
  Wide.MixStereo16(src.data() + 6, busB.data(), 1003, 0.001f, 0.3f);
  ASSERT_TRUE(SameBits(busA, busB));
  // Two voices in one pass: the same as one after the other.
  const float gains[4] = {0.3f, -0.7f, 1.0f / 3, 2.5f};
  std::vector<float> twice = busA;
  Plain.MixStereo16(src.data() + 10, twice.data(), 1003, gains[0], gains[1]);
  Plain.MixStereo16(src.data() + 30, twice.data(), 1003, gains[2], gains[3]);
  Plain.MixStereo16Pair(src.data() + 10, src.data() + 30, busA.data(), 1003, gains);
  Wide.MixStereo16Pair(src.data() + 10, src.data() + 30, busB.data(), 1003, gains);
  ASSERT_TRUE(SameBits(busA, busB));
  ASSERT_TRUE(SameBits(busA, twice));
  std::vector<float> other(busA.size(), 0.125f), otherB = other;
  Plain.AddAndClear(busA.data(), other.data(), int64_t(busA.size()) - 1);
  Wide.AddAndClear(busB.data(), otherB.data(), int64_t(busB.size()) - 1);
  ASSERT_TRUE(SameBits(busA, busB));
  ASSERT_TRUE(SameBits(other, otherB));
  std::vector<int16_t> outA(busA.size()), outB(busA.size());
  Plain.FloatToInt16(busA.data(), outA.data(), 1003, 128 * 256.0f, -128 * 256.0f);
  Wide.FloatToInt16(busB.data(), outB.data(), 1003, 128 * 256.0f, -128 * 256.0f);
  EXPECT_EQ(outA, outB);
  EXPECT_TRUE(SameBits(busA, busB));  // both zeroed
}

TEST_F(MixKernelsTest, ABusySongSoundsTheSameOnBothSets) {
  KernelSetGuard restore;
  for (bool filters : {true, false})
    for (int interpolation : {1, 0}) {
      std::vector<int16_t> out[2];
      for (TMixKernelSet set : {TMixKernelSet::Plain, TMixKernelSet::AVX2}) {
        ASSERT_TRUE(UseMixKernelSet(set));
        testing::TestSong t;
        testing::FillBusySong(t, filters);
        MixerGuard lock;
        auto mixer = std::make_unique<TMixer>();
        testing::StartBusySong(*mixer, t);
        MixSettings().Interpolation = interpolation;
        out[int(set)] = testing::MixFrames(*mixer, 12);
        mixer->StopLoopedVoices();
        const std::vector<int16_t> tail = testing::MixFrames(*mixer, 12);
        out[int(set)].insert(out[int(set)].end(), tail.begin(), tail.end());
        MixSettings().Interpolation = 1;
      }
      EXPECT_TRUE(out[0] == out[1]) << "filters " << filters << ", interpolation " << interpolation;
    }
}

TEST(MixKernels, PiecesOfAWalkContinueItExactly) {
  const std::vector<int16_t> src = Noise(777, 5);
  const int64_t len = 1999;
  for (int interpolation : {1, 0}) {
    const TResampleWalk w = StartResampleWalk(src.data(), 777, 0, len, interpolation);
    std::vector<float> whole(size_t(len) * 2, 0.0f), pieces = whole;
    MixKernels().MixResampled16(w, whole.data(), len, 1.0f, 1.0f);
    for (int64_t at = 0; at < len; at += 97)
      MixKernels().MixResampled16(AdvanceResampleWalk(w, at), pieces.data() + 2 * at, std::min<int64_t>(97, len - at),
                                  1.0f, 1.0f);
    EXPECT_TRUE(SameBits(whole, pieces));
  }
  // A plain set is always there, and a set the processor lacks is refused.
  EXPECT_TRUE(MixKernelSetSupported(TMixKernelSet::Plain));
  EXPECT_EQ(UseMixKernelSet(TMixKernelSet::AVX2), MixKernelSetSupported(TMixKernelSet::AVX2));
  UseMixKernelSet(BestMixKernelSet());
}

}  // namespace
}  // namespace vs
