#include <gtest/gtest.h>

#include <limits>

#include "engine/WAV.h"

using namespace vs;

namespace {

std::vector<int16_t> Left(const std::vector<int16_t>& frames) {
  std::vector<int16_t> v;
  for (size_t i = 0; i < frames.size(); i += 2) v.push_back(frames[i]);
  return v;
}

}  // namespace

TEST(Resample, InterpolatedThreeIntoFive) {
  const std::vector<int16_t> src = {0, 0, 100, -100, 200, -200};
  std::vector<int16_t> dst(10);
  ResampleStereo16(src.data(), dst.data(), 3, 5, 0, 5, true);
  EXPECT_EQ(Left(dst), (std::vector<int16_t>{0, 39, 79, 119, 159}));
  // Negative differences shift towards minus infinity.
  EXPECT_EQ(dst[3], -40);
  EXPECT_EQ(dst[9], -160);
}

TEST(Resample, WithoutInterpolationCopiesFrames) {
  const std::vector<int16_t> src = {0, 1, 100, 101, 200, 201};
  std::vector<int16_t> dst(10);
  ResampleStereo16(src.data(), dst.data(), 3, 5, 0, 5, false);
  EXPECT_EQ(Left(dst), (std::vector<int16_t>{0, 0, 100, 100, 200}));
  EXPECT_EQ(dst[9], 201);
  // Shrinking skips frames.
  std::vector<int16_t> two(4);
  ResampleStereo16(src.data(), two.data(), 3, 2, 0, 2, false);
  EXPECT_EQ(Left(two), (std::vector<int16_t>{0, 100}));
}

TEST(Resample, PiecesMatchOneRun) {
  std::vector<int16_t> src;
  for (int i = 0; i < 777; ++i) {
    src.push_back(int16_t((i * 977) % 65536 - 32768));
    src.push_back(int16_t(32767 - (i * 31) % 65535));
  }
  for (bool interp : {true, false}) {
    const int64_t len = 1999;
    std::vector<int16_t> whole(size_t(len) * 2), pieces(size_t(len) * 2);
    ResampleStereo16(src.data(), whole.data(), 777, len, 0, len, interp);
    for (int64_t start = 0; start < len; start += 97)
      ResampleStereo16(src.data(), pieces.data() + 2 * start, 777, std::min<int64_t>(97, len - start), start, len,
                       interp);
    EXPECT_EQ(whole, pieces);
  }
}

TEST(Resample, ExtremesAndEdges) {
  // Full-scale jumps: the products need more than 32 bits.
  const std::vector<int16_t> src = {-32768, 32767, 32767, -32768};
  std::vector<int16_t> dst(2 * 1000);
  ResampleStereo16(src.data(), dst.data(), 2, 1000, 0, 1000, true);
  for (size_t i = 0; i + 2 < dst.size(); i += 2) {
    EXPECT_LE(dst[i], dst[i + 2]);
    EXPECT_GE(dst[i + 1], dst[i + 3]);
  }
  EXPECT_EQ(dst[0], -32768);
  EXPECT_GE(dst[1998], 32700);
  // Positions beyond 2^31 frames: the start position is exact in 64 bits.
  std::vector<int16_t> big(2 * 4);
  const int64_t dstLen = int64_t(3) << 31;
  std::vector<int16_t> ramp = {0, 0, 1000, 1000, 2000, 2000};
  ResampleStereo16(ramp.data(), big.data(), 3, 4, dstLen - 4, dstLen, true);
  EXPECT_EQ(big[6], 1999);
  // One source frame, and a count running past the destination, read no
  // further than the source.
  const std::vector<int16_t> one = {5, 6};
  std::vector<int16_t> out(8);
  ResampleStereo16(one.data(), out.data(), 1, 4, 0, 2, true);
  EXPECT_EQ(out, (std::vector<int16_t>{5, 6, 5, 6, 5, 6, 5, 6}));
  std::vector<int16_t> far(2 * 10);
  ResampleStereo16(ramp.data(), far.data(), 3, 10, 0, 3, false);
  EXPECT_EQ(far[18], 2000);
  // No source: silence.
  std::vector<int16_t> silent(4, 7);
  ResampleStereo16(nullptr, silent.data(), 0, 2, 0, 2, true);
  EXPECT_EQ(silent, (std::vector<int16_t>{0, 0, 0, 0}));
}
