// Every format the loader must read, made by sox from a 16-bit source and
// compared with that source loaded the same way.

#include <gtest/gtest.h>

#include <cmath>

#include "WAVTestSupport.h"
#include "engine/WAVFiles.h"

using namespace vs;
using namespace wavtest;

namespace {

struct TCodecCase {
  const char* Label;
  const char* SoxArgs;
  int Channels;
  uint32_t Rate;
  int MaxError;      // largest difference to the source; -1: lossy, judged by MinSnr
  double MinSnr;     // signal-to-noise ratio in dB for lossy codecs
  int BlockFrames;   // block codecs may add up to a block of frames
};

std::ostream& operator<<(std::ostream& os, const TCodecCase& c) { return os << c.Label; }

class WAVCodec : public ::testing::TestWithParam<TCodecCase> {};

TEST_P(WAVCodec, LoadsAsStereo16At44100) {
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
  const TCodecCase& c = GetParam();
  TempDir dir;
  const int frames = int(c.Rate / 4);
  std::vector<int16_t> tones = Tones(frames, c.Channels, c.Rate);
  WriteFile(dir / "src.wav", Wav16(tones, c.Channels, c.Rate));
  // The reference: the first two channels of the source, read by our own PCM path.
  std::vector<int16_t> two;
  for (int i = 0; i < frames; ++i)
    for (int k = 0; k < std::min(c.Channels, 2); ++k) two.push_back(tones[size_t(i) * c.Channels + k]);
  WriteFile(dir / "ref.wav", Wav16(two, std::min(c.Channels, 2), c.Rate));
  ASSERT_EQ(std::system(("sox -D '" + dir / "src.wav" + "' " + c.SoxArgs + " '" + dir / "out.wav" + "'").c_str()), 0);

  TWAVSample ref, got;
  ASSERT_EQ(LoadWAVSample(dir / "ref.wav", ref), 0);
  ASSERT_EQ(LoadWAVSample(dir / "out.wav", got), 0);
  const int64_t expected = int64_t(44100) * frames / c.Rate;
  EXPECT_EQ(ref.Length, expected);
  if (c.BlockFrames == 0)
    EXPECT_EQ(got.Length, expected);
  else {
    EXPECT_GE(got.Length, expected);
    EXPECT_LE(got.Length, int64_t(44100) * (frames + c.BlockFrames) / c.Rate);
  }
  ASSERT_EQ(got.Data.size(), size_t(got.Length) * 2);
  EXPECT_EQ(got.LoopStart, -1);

  const size_t n = size_t(std::min(ref.Length, got.Length)) * 2;
  int maxErr = 0;
  double sig = 0, noise = 0;
  for (size_t i = 0; i < n; ++i) {
    const int e = std::abs(int(got.Data[i]) - int(ref.Data[i]));
    maxErr = std::max(maxErr, e);
    sig += double(ref.Data[i]) * ref.Data[i];
    noise += double(e) * e;
  }
  const double snr = noise == 0 ? 1e9 : 10 * std::log10(sig / noise);
  if (c.MaxError >= 0)
    EXPECT_LE(maxErr, c.MaxError);
  else
    EXPECT_GE(snr, c.MinSnr) << "max error " << maxErr;
  if (c.MaxError < 0 && c.Rate == 44100) {
    // At the mixer's rate nothing is resampled: the frames are sox's own
    // decoding of the file.
    ASSERT_EQ(std::system(("sox '" + dir / "out.wav" + "' -t s16 -c 2 '" + dir / "out.raw" + "'").c_str()), 0);
    const std::string raw = ReadFile(dir / "out.raw");
    const size_t m = std::min(raw.size() / 2, got.Data.size());
    EXPECT_GE(m, size_t(expected) * 2);
    for (size_t i = 0; i < m; ++i) {
      const int16_t v = int16_t(uint8_t(raw[2 * i]) | uint8_t(raw[2 * i + 1]) << 8);
      ASSERT_EQ(got.Data[i], v) << "value " << i;
    }
  }
  if (c.Channels == 1) {
    for (int64_t i = 0; i < got.Length; ++i) ASSERT_EQ(got.Data[2 * i], got.Data[2 * i + 1]) << "mono is doubled";
  } else {
    EXPECT_NE(got.Data[200], got.Data[201]) << "the two channels stay apart";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WAVCodec,
    ::testing::Values(
        TCodecCase{"Unsigned8Mono22050", "-b 8 -e unsigned-integer", 1, 22050, 130, 0, 0},
        TCodecCase{"Signed16Stereo4000", "-b 16", 2, 4000, 0, 0, 0},
        TCodecCase{"Signed24Stereo48000Extensible", "-b 24", 2, 48000, 0, 0, 0},
        TCodecCase{"Signed32Mono96000Extensible", "-b 32 -e signed-integer", 1, 96000, 0, 0, 0},
        TCodecCase{"Float32Stereo44100", "-b 32 -e floating-point", 2, 44100, 1, 0, 0},
        TCodecCase{"Float64Stereo192000", "-b 64 -e floating-point", 2, 192000, 1, 0, 0},
        TCodecCase{"ImaAdpcmMono11025", "-e ima-adpcm", 1, 11025, -1, 22, 2048},
        TCodecCase{"ImaAdpcmStereo44100", "-e ima-adpcm", 2, 44100, -1, 22, 2048},
        TCodecCase{"MsAdpcmStereo22050", "-e ms-adpcm", 2, 22050, -1, 34, 2048},
        TCodecCase{"ALawMono8000", "-e a-law", 1, 8000, -1, 33, 0},
        TCodecCase{"ALawStereo44100", "-e a-law", 2, 44100, -1, 33, 0},
        TCodecCase{"MuLawStereo16000", "-e u-law", 2, 16000, -1, 33, 0},
        TCodecCase{"Gsm610Mono8000", "-e gsm-full-rate", 1, 8000, -1, 8, 640},
        TCodecCase{"FourChannels16Extensible", "-b 16 -t wav", 4, 44100, 0, 0, 0},
        TCodecCase{"FourChannels24Extensible", "-b 24", 4, 32000, 0, 0, 0}));

}  // namespace
