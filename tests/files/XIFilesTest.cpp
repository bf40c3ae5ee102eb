#include "files/XIFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace vs {
namespace {

struct XISample {
  std::vector<uint8_t> Data;  // delta-coded bytes as stored
  int32_t LoopStart = 0;
  int32_t LoopLength = 0;
  uint8_t Type = 0;
  std::string Name;
  uint32_t StatedLength = 0xFFFFFFFF;  // the header's data length; default = Data.size()
};

void Put32(std::string& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
}

// An instrument file: the 298-byte instrument header, the sample headers,
// then each sample's data.
std::string MakeXI(const std::vector<XISample>& samples, int statedCount = -1) {
  std::string f(298, '\0');
  std::memcpy(f.data(), "Extended Instrument: ", 21);
  std::memcpy(f.data() + 21, "Test instrument", 15);
  f[43] = 0x1A;
  const int count = statedCount >= 0 ? statedCount : static_cast<int>(samples.size());
  f[296] = static_cast<char>(count & 0xFF);
  f[297] = static_cast<char>(count >> 8);
  for (const XISample& s : samples) {
    std::string h(40, '\0');
    Put32(h, 0, s.StatedLength == 0xFFFFFFFF ? static_cast<uint32_t>(s.Data.size()) : s.StatedLength);
    Put32(h, 4, static_cast<uint32_t>(s.LoopStart));
    Put32(h, 8, static_cast<uint32_t>(s.LoopLength));
    h[12] = 64;
    h[14] = static_cast<char>(s.Type);
    h[15] = static_cast<char>(128);
    std::memcpy(h.data() + 18, s.Name.data(), std::min<size_t>(22, s.Name.size()));
    f += h;
  }
  for (const XISample& s : samples) f.append(s.Data.begin(), s.Data.end());
  return f;
}

// 16-bit data of n frames, each delta d.
std::vector<uint8_t> Wide(int n, int16_t d = 1) {
  std::vector<uint8_t> b;
  for (int i = 0; i < n; ++i) {
    b.push_back(static_cast<uint8_t>(d & 0xFF));
    b.push_back(static_cast<uint8_t>((d >> 8) & 0xFF));
  }
  return b;
}

int Read(const std::string& image, TWAVSample& s, TXIInfo* info = nullptr) {
  return ReadXIImage(reinterpret_cast<const uint8_t*>(image.data()), image.size(), s, info);
}

TEST(XIFiles, EightBitDeltasDecodeOnBothSides) {
  XISample x;
  x.Data = {1, 1, 0xFE};
  x.Name = "Kick drum   ";
  x.Type = 1;
  TTestDir dir;
  const std::string path = dir.Write("kick.xi", MakeXI({x}));
  TWAVSample s;
  TXIInfo info;
  ASSERT_EQ(LoadXIFile(path, s, &info), XILoaded);
  EXPECT_EQ(s.Data, (std::vector<int16_t>{256, 256, 512, 512, 0, 0}));
  EXPECT_EQ(s.Length, 3);
  EXPECT_EQ(s.FormatWord, 2);
  EXPECT_EQ(s.LoopStart, -1);  // loop length 0: no loop
  EXPECT_EQ(info.XISampleName, "Kick drum");
  EXPECT_EQ(info.LoopKind, 1);
}

TEST(XIFiles, SixteenBitDataAndItsLoop) {
  XISample x;
  x.Data = Wide(500);
  x.Type = 0x10 | 2;
  x.LoopStart = 200;
  x.LoopLength = 400;
  x.Name = "Caf\xE9";
  TWAVSample s;
  s.Looped = true;
  TXIInfo info;
  ASSERT_EQ(Read(MakeXI({x}), s, &info), XILoaded);
  EXPECT_EQ(s.Length, 500);
  EXPECT_EQ(s.Data[2 * 499], 500);
  EXPECT_EQ(s.Data[2 * 499 + 1], 500);
  EXPECT_EQ(s.LoopStart, 100);
  EXPECT_EQ(s.LoopEnd, 299);
  EXPECT_EQ(s.LoopLength, 200);
  EXPECT_TRUE(s.Looped);  // not the reader's to change
  EXPECT_EQ(info.LoopKind, 2);
  EXPECT_EQ(info.XISampleName, "Caf\xC3\xA9");
}

TEST(XIFiles, SixteenBitAccumulatorWraps) {
  XISample x;
  x.Data = Wide(3, 30000);
  x.Type = 0x10;
  TWAVSample s;
  ASSERT_EQ(Read(MakeXI({x}), s), XILoaded);
  EXPECT_EQ(s.Data[0], 30000);
  EXPECT_EQ(s.Data[2], static_cast<int16_t>(60000 - 65536));
  EXPECT_EQ(s.Data[4], static_cast<int16_t>(90000 - 131072));
}

TEST(XIFiles, LoopsAreCutOrDropped) {
  XISample x;
  x.Data = Wide(100);
  x.Type = 0x10;
  TWAVSample s;
  x.LoopStart = 100;
  x.LoopLength = 1000;  // past the end: cut at the last frame
  ASSERT_EQ(Read(MakeXI({x}), s), XILoaded);
  EXPECT_EQ(s.LoopStart, 50);
  EXPECT_EQ(s.LoopEnd, 99);
  x.LoopStart = -40;  // before the start: from frame 0
  x.LoopLength = 60;
  ASSERT_EQ(Read(MakeXI({x}), s), XILoaded);
  EXPECT_EQ(s.LoopStart, 0);
  EXPECT_EQ(s.LoopEnd, 9);
  x.LoopStart = 2147483000;  // far past the end, no 32-bit overflow
  x.LoopLength = 2147483000;
  ASSERT_EQ(Read(MakeXI({x}), s), XILoaded);
  EXPECT_EQ(s.LoopStart, -1);
  x.LoopStart = 20;  // first = last: no loop
  x.LoopLength = 2;
  ASSERT_EQ(Read(MakeXI({x}), s), XILoaded);
  EXPECT_EQ(s.LoopStart, -1);
  EXPECT_EQ(s.LoopEnd, NoLoopEnd);
}

TEST(XIFiles, OnlyTheFirstSampleIsRead) {
  XISample a, b;
  a.Data = {5, 5};
  b.Data = {1, 1, 1, 1};
  TWAVSample s;
  ASSERT_EQ(Read(MakeXI({a, b}), s), XILoaded);
  EXPECT_EQ(s.Data, (std::vector<int16_t>{1280, 1280, 2560, 2560}));
}

TEST(XIFiles, RefusedFilesLeaveTheSample) {
  TWAVSample s;
  s.SetFrames({7, 7});
  XISample x;
  x.Data = {1, 2, 3};
  std::string bad = MakeXI({x});
  bad[19] = ';';
  EXPECT_EQ(Read(bad, s), XINotInstrument);
  EXPECT_EQ(Read(MakeXI({}), s), XINotInstrument);              // no sample
  EXPECT_EQ(Read(MakeXI({x}).substr(0, 297), s), XINotInstrument);  // too short
  EXPECT_EQ(Read(MakeXI({x}, 60000), s), XINotInstrument);       // headers past the end
  EXPECT_EQ(Read(MakeXI({x}).substr(0, 320), s), XINotInstrument);  // header cut
  EXPECT_EQ(s.Data, (std::vector<int16_t>{7, 7}));

  TTestDir dir;
  EXPECT_EQ(LoadXIFile(dir / "missing.xi", s), XICannotOpen);
  EXPECT_EQ(LoadXIFile(dir.Dir(), s), XICannotOpen);
  EXPECT_EQ(LoadXIFile(dir.Write("bad.xi", bad), s), XINotInstrument);
  EXPECT_EQ(LoadXIFile(dir.Write("short.xi", "Extended Instrument:"), s), XINotInstrument);
  EXPECT_EQ(LoadXIFile(dir.Write("lying.xi", MakeXI({x}, 500)), s), XINotInstrument);
  EXPECT_EQ(s.Data, (std::vector<int16_t>{7, 7}));
}

TEST(XIFiles, FramesAreHeldToTheBytesPresent) {
  XISample x;
  x.Data = Wide(10);
  x.Type = 0x10;
  x.StatedLength = 0xFFFFFFF0;  // claims about 4 GiB
  TWAVSample s;
  TTestDir dir;
  ASSERT_EQ(LoadXIFile(dir.Write("lying.xi", MakeXI({x})), s), XILoaded);
  EXPECT_EQ(s.Length, 10);
  std::string odd = MakeXI({x});
  odd.pop_back();  // half a frame at the end
  ASSERT_EQ(Read(odd, s), XILoaded);
  EXPECT_EQ(s.Length, 9);
  x.Data.clear();  // no data at all: an empty sample
  x.StatedLength = 100;
  ASSERT_EQ(Read(MakeXI({x}), s), XILoaded);
  EXPECT_TRUE(s.Empty());
}

TEST(XIFiles, EveryTruncationIsSafe) {
  XISample x;
  x.Data = Wide(64, -3);
  x.Type = 0x13;
  x.LoopStart = 10;
  x.LoopLength = 40;
  const std::string full = MakeXI({x, x});
  TTestDir dir;
  for (size_t n = 0; n <= full.size(); n += 7) {
    TWAVSample s;
    const std::string cut = full.substr(0, n);
    const int fromMemory = Read(cut, s);
    const int fromFile = LoadXIFile(dir.Write("cut.xi", cut), s);
    EXPECT_EQ(fromMemory, fromFile) << n;
    EXPECT_EQ(fromMemory, n >= 298 + 80 ? XILoaded : XINotInstrument) << n;
    if (fromMemory == XILoaded) {
      EXPECT_EQ(s.Length, std::min<int32_t>(64, static_cast<int32_t>((n - 378) / 2))) << n;
      EXPECT_LE(s.LoopEnd == NoLoopEnd ? -1 : s.LoopEnd, s.Length - 1);
    }
  }
}

}  // namespace
}  // namespace vs
