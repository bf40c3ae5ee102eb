// Mixing primitives, output conversion, peaks, filters and the resampler.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/Resample.h"
#include "engine/SoundProcs.h"

namespace vs {
namespace {

TEST(FloatToInt16Test, FullScaleRoundingAndClipping) {
  std::vector<float> bus = {1.0f, -1.0f, 0.5f / 32768, -0.5f / 32768, 1.5f / 32768, 2.5f / 32768};
  std::vector<int16_t> out(6, 123);
  FloatToInt16(bus.data(), out.data(), 12, 128, false);
  EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 0, 0, 2, 2}));  // ties to even
  for (float v : bus) EXPECT_EQ(v, 0.0f);  // the bus is consumed
}

TEST(FloatToInt16Test, VolumeSurroundAndByteCount) {
  std::vector<float> bus = {0.25f, 0.25f, 0.5f, 0.5f, 0.75f, 0.75f};
  std::vector<int16_t> out(6, 77);
  FloatToInt16(bus.data(), out.data(), 10, 64, true);  // 10 bytes = 2 frames
  EXPECT_EQ(out[0], 4096);
  EXPECT_EQ(out[1], -4096);  // surround inverts the right side
  EXPECT_EQ(out[2], 8192);
  EXPECT_EQ(out[3], -8192);
  EXPECT_EQ(out[4], 77);  // third frame untouched
  EXPECT_EQ(bus[4], 0.75f);
}

TEST(FloatToInt16Test, InfinityAndNaN) {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<float> bus = {inf, -inf, std::nanf(""), -std::nanf(""), 1e30f, -1e30f};
  std::vector<int16_t> out(6);
  FloatToInt16(bus.data(), out.data(), 12, 100, false);
  EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 0, 0, 32767, -32768}));
  // The same values one frame later (the odd frame of a block goes on its own).
  std::vector<float> odd = {0, 0, 0, 0, std::nanf(""), -inf};
  FloatToInt16(odd.data(), out.data(), 12, 100, false);
  EXPECT_EQ(out[4], 0);
  EXPECT_EQ(out[5], -32768);
  odd = {0, 0, 0, 0, inf, 0.75f / 32768};
  FloatToInt16(odd.data(), out.data(), 12, 128, true);
  EXPECT_EQ(out[4], 32767);
  EXPECT_EQ(out[5], -1);
}

TEST(SoundProcsTest, PeaksAndMixing) {
  std::vector<int16_t> frames = {100, -32768, -500, 20, 400, 7};
  int l = -1, r = -1;
  GetPeaks16(frames.data(), 3, l, r);
  EXPECT_EQ(l, 500);
  EXPECT_EQ(r, 32768);
  GetPeaks16(frames.data(), 0, l, r);
  EXPECT_EQ(l, 0);

  std::vector<float> bus(6, 1.0f);
  MixStereo16(frames.data(), bus.data(), 3, 0.5f, 2.0f);
  EXPECT_FLOAT_EQ(bus[0], 51.0f);
  EXPECT_FLOAT_EQ(bus[1], -65535.0f);
  std::vector<int16_t> mono = {10, -20};
  std::vector<float> st(4, 0.0f);
  MixMono16ToStereo(mono.data(), st.data(), 2, 1.0f, 3.0f);
  EXPECT_EQ(st, (std::vector<float>{10, 30, -20, -60}));
  std::vector<float> line(2, 1.0f);
  MixMono16(mono.data(), line.data(), 2, 0.5f);
  EXPECT_EQ(line, (std::vector<float>{6, -9}));
}

TEST(SoundProcsTest, FilterOrderOfOperations) {
  // cutoff 0.5, resonance 0.5 on a constant 1000: v += (x - q) c; q += v;
  // out q; v *= r.
  TMixFilter f;
  f.Cutoff = 0.5f;
  f.Reso = 0.5f;
  std::vector<int16_t> in = {1000, 0, 1000, 0, 1000, 0};
  std::vector<float> out(6, 0.0f);
  MixStereo16Filtered(in.data(), out.data(), 3, 2.0f, 1.0f, f);
  // v=500 q=500 v=250; v=250+250=500 q=1000 v=250; v=250+0=250 q=1250 v=125
  EXPECT_FLOAT_EQ(out[0], 1000.0f);
  EXPECT_FLOAT_EQ(out[2], 2000.0f);
  EXPECT_FLOAT_EQ(out[4], 2500.0f);
  EXPECT_EQ(out[1], 0.0f);
  EXPECT_DOUBLE_EQ(static_cast<double>(f.PosL), 1250.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(f.VelL), 125.0);

  // The master filter replaces the frames.
  TMixFilter m;
  m.Cutoff = 0.5f;
  std::vector<float> bus = {1.0f, -1.0f, 1.0f, -1.0f};
  FilterStereoFloat(bus.data(), 2, m);
  EXPECT_FLOAT_EQ(bus[0], 0.5f);
  EXPECT_FLOAT_EQ(bus[1], -0.5f);
  EXPECT_FLOAT_EQ(bus[2], 0.75f);
  ClearFilterState(m);
  EXPECT_EQ(m.PosL, 0);
  EXPECT_EQ(m.VelR, 0);
  EXPECT_FALSE(TMixFilter{}.Active());
}

TEST(SoundProcsTest, SettledStatesLoseDenormals) {
  TMixFilter f;
  f.PosL = 1e-300L;
  f.VelL = -1e-12L;
  f.PosR = 1000.0L;
  f.VelR = 0.5L;
  SettleFilterState(f);
  EXPECT_EQ(f.PosL, 0);
  EXPECT_EQ(f.VelL, 0);
  EXPECT_NEAR(static_cast<double>(f.PosR), 1000.0, 1e-4);
  EXPECT_NEAR(static_cast<double>(f.VelR), 0.5, 1e-7);
}

TEST(ResampleTest, LinearInterpolationNumbers) {
  const std::vector<int16_t> src = {0, 0, 100, -100, 200, -200};
  std::vector<int16_t> out(10);
  ResampleStereo16(src.data(), out.data(), 3, 5, 0, 5, 1);
  const std::vector<int16_t> left = {out[0], out[2], out[4], out[6], out[8]};
  EXPECT_EQ(left, (std::vector<int16_t>{0, 39, 79, 119, 159}));
  // Negative differences shift towards minus infinity.
  EXPECT_EQ(out[3], -40);
  // Starting in the middle gives the same frames as a whole run.
  std::vector<int16_t> part(4);
  ResampleStereo16(src.data(), part.data(), 3, 2, 3, 5, 1);
  EXPECT_EQ(part[0], 119);
  EXPECT_EQ(part[2], 159);
}

TEST(ResampleTest, NearestWithoutInterpolationAndEdges) {
  const std::vector<int16_t> src = {0, 0, 100, 100, 200, 200};
  std::vector<int16_t> out(12);
  ResampleStereo16(src.data(), out.data(), 3, 6, 0, 6, 0);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(out[4], 100);
  EXPECT_EQ(out[10], 200);
  // A one-frame source, a zero length or a position past the end never
  // read outside the source.
  ResampleStereo16(src.data(), out.data(), 1, 6, 0, 3, 1);
  EXPECT_EQ(out[10], 0);
  ResampleStereo16(src.data(), out.data(), 3, 2, 100, 3, 1);
  EXPECT_EQ(out[0], 200);
  ResampleStereo16(src.data(), out.data(), 0, 2, 0, 3, 1);
  EXPECT_EQ(out[0], 0);
}

}  // namespace
}  // namespace vs
