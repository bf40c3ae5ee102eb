#include <gtest/gtest.h>

#include <limits>

#include "engine/Resample.h"

using namespace vs;

// The converter as the loader and the mixer use it, beyond the basic cases:
// pieces, full-scale jumps and positions past 32 bits.

TEST(Resample, PiecesMatchOneRun) {
  std::vector<int16_t> src;
  for (int i = 0; i < 777; ++i) {
    src.push_back(int16_t((i * 977) % 65536 - 32768));
    src.push_back(int16_t(32767 - (i * 31) % 65535));
  }
  for (int interp : {1, 0}) {
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
  ResampleStereo16(src.data(), dst.data(), 2, 1000, 0, 1000, 1);
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
  ResampleStereo16(ramp.data(), big.data(), 3, 4, dstLen - 4, dstLen, 1);
  EXPECT_EQ(big[6], 1999);
  // One source frame, and a count running past the destination, read no
  // further than the source.
  const std::vector<int16_t> one = {5, 6};
  std::vector<int16_t> out(8);
  ResampleStereo16(one.data(), out.data(), 1, 4, 0, 2, 1);
  EXPECT_EQ(out, (std::vector<int16_t>{5, 6, 5, 6, 5, 6, 5, 6}));
  std::vector<int16_t> far(2 * 10);
  ResampleStereo16(ramp.data(), far.data(), 3, 10, 0, 3, 0);
  EXPECT_EQ(far[18], 2000);
}
