#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/AudioDecoder.h"

using namespace vs;

namespace {

std::string Le16(int v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(int(v & 0xFFFF)) + Le16(int(v >> 16)); }

std::string Fmt(int tag, int channels, uint32_t rate, int bits, int blockAlign) {
  return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * uint32_t(blockAlign)) + Le16(blockAlign) + Le16(bits);
}

std::string Extensible(int channels, int bits, int subTag, bool standardGuid = true) {
  std::string s = Fmt(0xFFFE, channels, 44100, bits, channels * bits / 8) + Le16(22) + Le16(bits) + Le32(3) +
                  Le16(subTag) + Le16(0);
  s += standardGuid ? std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12) : std::string(12, 'x');
  return s;
}

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

}  // namespace

TEST(AudioDecoder, ReadsFormatRecords) {
  TWaveFormat f;
  EXPECT_FALSE(ReadWaveFormat(U(Fmt(1, 2, 44100, 16, 4)), 15, f));
  ASSERT_TRUE(ReadWaveFormat(U(Fmt(1, 2, 44100, 16, 4)), 16, f));
  EXPECT_EQ(f.SamplesPerSec, 44100u);
  EXPECT_EQ(f.EffectiveTag, WaveFormatPCM);
  // PCM ignores a stray extra size; compressed formats must hold theirs.
  EXPECT_TRUE(ReadWaveFormat(U(Fmt(1, 2, 44100, 16, 4) + Le16(500)), 18, f));
  EXPECT_FALSE(ReadWaveFormat(U(Fmt(0x11, 1, 8000, 4, 256) + Le16(2)), 18, f));
  EXPECT_TRUE(ReadWaveFormat(U(Fmt(0x11, 1, 8000, 4, 256) + Le16(2) + Le16(505)), 20, f));
  EXPECT_TRUE(ReadWaveFormat(U(Fmt(3, 1, 8000, 32, 4)), 16, f)) << "float without an extra size word";
  // WAVE_FORMAT_EXTENSIBLE resolves to its sub-format.
  const std::string ext = Extensible(2, 24, 1);
  ASSERT_TRUE(ReadWaveFormat(U(ext), ext.size(), f));
  EXPECT_EQ(f.FormatTag, WaveFormatExtensible);
  EXPECT_EQ(f.EffectiveTag, WaveFormatPCM);
  EXPECT_FALSE(ReadWaveFormat(U(ext), 39, f));
  const std::string odd = Extensible(2, 24, 1, false);
  ASSERT_TRUE(ReadWaveFormat(U(odd), odd.size(), f));
  EXPECT_EQ(f.EffectiveTag, WaveFormatExtensible);
}

TEST(AudioDecoder, PcmChannelsAndLimits) {
  // Three channels of 8 bits: the first two are kept.
  const std::string fmt = Fmt(1, 3, 8000, 8, 3);
  const std::string data = std::string("\x80\x00\xFF", 3) + std::string("\x81\x7F\x10", 3) + "\x01";  // + half a frame
  TFrames out;
  ASSERT_EQ(DecodeToStereo16(U(fmt), fmt.size(), U(data), data.size(), out), DecodeOK);
  EXPECT_EQ(out, (std::vector<int16_t>{0, -32768, 256, -256}));
  EXPECT_EQ(DecodeToStereo16(U(fmt), fmt.size(), U(data), data.size(), out, 1), DecodeTooLong);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(DecodeToStereo16(U(fmt), fmt.size(), U(data), 2, out), DecodeFailed) << "less than a frame";
  EXPECT_EQ(DecodeToStereo16(U(fmt), 10, U(data), data.size(), out), DecodeBadFormat);
  const std::string noRate = Fmt(1, 1, 0, 16, 2);
  EXPECT_EQ(DecodeToStereo16(U(noRate), noRate.size(), U(data), data.size(), out), DecodeBadFormat);
  const std::string unknown = Fmt(0x4321, 1, 8000, 16, 2) + Le16(0);
  EXPECT_EQ(DecodeToStereo16(U(unknown), unknown.size(), U(data), 6, out), DecodeUnsupported);
}

TEST(AudioDecoder, FloatIsScaledRoundedAndClipped) {
  const float values[] = {0.5f, -0.25f, 2.0f, -3.0f, NAN, 1.0f / 65536, -1.0f, 0.999f};
  std::string data(reinterpret_cast<const char*>(values), sizeof values);
  const std::string fmt = Fmt(3, 2, 44100, 32, 8) + Le16(0);
  TFrames out;
  ASSERT_EQ(DecodeToStereo16(U(fmt), fmt.size(), U(data), data.size(), out), DecodeOK);
  ASSERT_EQ(out.size(), 8u);
  EXPECT_EQ(out[0], 16384);
  EXPECT_EQ(out[1], -8192);
  EXPECT_EQ(out[2], 32767);
  EXPECT_EQ(out[3], -32768);
  EXPECT_EQ(out[4], 0);
  EXPECT_EQ(out[5], 0) << "half a step rounds to even";
  EXPECT_EQ(out[6], -32768);
  EXPECT_EQ(out[7], int16_t(std::lrint(0.999f * 32768.0f)));
}
