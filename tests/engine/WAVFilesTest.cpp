// The chunk walker and loader on hand-made files, and the writer.

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "WAVTestSupport.h"
#include "engine/WAVFiles.h"
#include "toolbox/SafeFile.h"

using namespace vs;
using namespace wavtest;

namespace {

std::vector<int16_t> Ramp(int frames, int channels) {
  std::vector<int16_t> v;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) v.push_back(int16_t(i * 7 - 3000 + c * 11));
  return v;
}

int LoadImage(const std::string& bytes, TWAVSample& s) {
  return LoadWAVSampleFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), s);
}

// A sample with frames, a loop and fields, to see what a failed load leaves.
void Prefill(TWAVSample& s) {
  s.SetFrames({1, 2, 3, 4});
  s.SetLoop(0, 1);
  s.FileTime = 77;
}

}  // namespace

TEST(WAVLoad, EightBitMono22050DoublesFramesAndLoop) {
  std::string data;
  const int n = 8000;
  for (int i = 0; i < n; ++i) data += char(uint8_t(i % 200 + 28));
  const std::string file = Riff(Chunk("fmt ", FmtBody(1, 1, 22050, 8)) + Chunk("data", data) +
                                Chunk("smpl", SmplBody(1000, 3000)));
  TWAVSample s;
  ASSERT_EQ(LoadImage(file, s), 0);
  EXPECT_EQ(s.Length, 2 * n);
  EXPECT_EQ(s.LoopStart, 2000);
  EXPECT_EQ(s.LoopEnd, 6000);
  EXPECT_EQ(s.LoopLength, 4001);
  // Each frame lies between the two source frames around its position.
  EXPECT_EQ(s.Data[0], (28 - 128) * 256);
  for (int k = 0; k < s.Length; ++k) {
    const int i = int(int64_t(k) * (n - 1) / s.Length);
    const int a = (i % 200 + 28 - 128) * 256, b = ((i + 1) % 200 + 28 - 128) * 256;
    ASSERT_GE(s.Data[2 * k], std::min(a, b)) << k;
    ASSERT_LE(s.Data[2 * k], std::max(a, b)) << k;
    ASSERT_EQ(s.Data[2 * k + 1], s.Data[2 * k]);
  }
}

TEST(WAVLoad, SmplLoopRules) {
  const std::vector<int16_t> frames = Ramp(1000, 2);
  struct {
    uint32_t Start, End;
    int32_t WantStart, WantEnd;
  } cases[] = {
      {0, 10, -1, NoLoopEnd},          // shorter than the minimum: ignored
      {0, 15, -1, NoLoopEnd},
      {0, 16, 0, 16},                  // start + 16 <= end is taken
      {100, 5000, 100, 999},           // end past the sample: cut to the last frame
      {2000, 5000, -1, NoLoopEnd},     // start outside the sample: dropped
      {999, 0xFFFFFFF0u, 999, 999},    // huge end from an unsigned field
      {0x80000000u, 0xFFFFFFF0u, -1, NoLoopEnd},
      {500, 400, -1, NoLoopEnd},       // start after end
  };
  for (auto& c : cases) {
    TWAVSample s;
    ASSERT_EQ(LoadImage(Wav16(frames, 2, 44100, Chunk("smpl", SmplBody(c.Start, c.End))), s), 0);
    EXPECT_EQ(s.LoopStart, c.WantStart) << c.Start << ".." << c.End;
    EXPECT_EQ(s.LoopEnd, c.WantEnd) << c.Start << ".." << c.End;
    if (s.LoopStart >= 0) {
      EXPECT_EQ(s.LoopLength, s.LoopEnd - s.LoopStart + 1);
    }
  }
  // No loop records, and a "smpl" before the data (lost when the data step
  // clears the sample).
  TWAVSample s;
  EXPECT_EQ(LoadImage(Wav16(frames, 2, 44100, Chunk("smpl", SmplBody(0, 0, 0))), s), 0);
  EXPECT_EQ(s.LoopStart, -1);
  const std::string early = Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16)) + Chunk("smpl", SmplBody(10, 500)) +
                                 Chunk("data", Pcm16(frames)));
  EXPECT_EQ(LoadImage(early, s), 0);
  EXPECT_EQ(s.LoopStart, -1);
}

TEST(WAVLoad, ChunkWalkRules) {
  const std::vector<int16_t> a = Ramp(100, 2), b = Ramp(50, 1);
  const std::string fmt = Chunk("fmt ", FmtBody(1, 2, 44100, 16));
  TWAVSample s;
  // A second "data" chunk, and a second "fmt ", are ignored.
  EXPECT_EQ(LoadImage(Riff(fmt + Chunk("data", Pcm16(a)) + Chunk("fmt ", FmtBody(1, 1, 8000, 8)) +
                           Chunk("data", Pcm16(b))),
                      s),
            0);
  EXPECT_EQ(s.Length, 100);
  EXPECT_EQ(s.Data, a);
  // Unknown chunks before the data, odd-sized with their pad byte...
  EXPECT_EQ(LoadImage(Riff(Chunk("junk", "abc") + fmt + Chunk("LIST", "INFOx") + Chunk("data", Pcm16(a)) +
                           Chunk("smpl", SmplBody(3, 60))),
                      s),
            0);
  EXPECT_EQ(s.Length, 100);
  EXPECT_EQ(s.LoopStart, 3);
  // ...or without it, as some writers leave them.
  EXPECT_EQ(LoadImage(Riff(Chunk("junk", "abc", false) + fmt + Chunk("data", Pcm16(a)) +
                           Chunk("odd!", "x", false) + Chunk("smpl", SmplBody(3, 60))),
                      s),
            0);
  EXPECT_EQ(s.Length, 100);
  EXPECT_EQ(s.LoopStart, 3);
  // The data before any format: not a usable file.
  EXPECT_EQ(LoadImage(Riff(Chunk("data", Pcm16(a)) + fmt), s), 2);
  EXPECT_EQ(LoadImage(Riff(fmt), s), 2);
}

TEST(WAVLoad, TruncatedAndLyingSizes) {
  const std::vector<int16_t> a = Ramp(1000, 2);
  const std::string whole = Wav16(a, 2, 44100);
  TWAVSample s;
  // A RIFF size larger than the file: read up to the file's end, and a data
  // chunk cut short gives the whole frames that are there.
  std::string cut = whole.substr(0, 44 + 4 * 600 + 3);
  EXPECT_EQ(LoadImage(cut, s), 0);
  EXPECT_EQ(s.Length, 600);
  EXPECT_EQ(std::vector<int16_t>(s.Data.begin(), s.Data.end()), std::vector<int16_t>(a.begin(), a.begin() + 1200));
  // The largest RIFF size: its end (size + 8) needs more than 32 bits.
  std::string hugeRiff = whole;
  hugeRiff.replace(4, 4, Le32(0xFFFFFFFFu));
  EXPECT_EQ(LoadImage(hugeRiff, s), 0);
  EXPECT_EQ(s.Length, 1000);
  // A RIFF size smaller than the file stops the walk there.
  std::string shortRiff = whole;
  shortRiff.replace(4, 4, Le32(4 + 24 + 8 + 400));
  EXPECT_EQ(LoadImage(shortRiff, s), 0);
  EXPECT_EQ(s.Length, 100);
  // A data length of 4 GB on a small file.
  std::string lying = whole;
  lying.replace(40, 4, Le32(0xFFFFFFFFu));
  EXPECT_EQ(LoadImage(lying, s), 0);
  EXPECT_EQ(s.Length, 1000);
  // Cut inside the headers.
  for (size_t n : {0, 4, 11, 12, 19, 20, 30, 36, 43, 44, 45}) {
    TWAVSample t;
    Prefill(t);
    const int r = LoadImage(whole.substr(0, n), t);
    EXPECT_TRUE(r == 2 || r == 3) << n << " gave " << r;
    if (n >= 44) {
      EXPECT_TRUE(t.Empty()) << "a data step cleared the sample";
    }
  }
}

TEST(WAVLoad, BrokenFormatAndSmplChunks) {
  const std::vector<int16_t> a = Ramp(100, 2);
  const std::string data = Chunk("data", Pcm16(a));
  TWAVSample s;
  // "fmt " shorter than 16 bytes.
  EXPECT_EQ(LoadImage(Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16).substr(0, 14)) + data), s), 2);
  // Compressed format declaring more extra bytes than the chunk holds.
  EXPECT_EQ(LoadImage(Riff(Chunk("fmt ", FmtBody(0x11, 2, 44100, 4, 2048) + Le16(30) + Le16(2041)) + data), s), 2);
  // Rate 0, no channels, and a format nothing reads: code 3, empty sample.
  Prefill(s);
  EXPECT_EQ(LoadImage(Riff(Chunk("fmt ", FmtBody(1, 2, 0, 16)) + data), s), 3);
  EXPECT_TRUE(s.Empty());
  EXPECT_EQ(s.LoopStart, -1);
  EXPECT_EQ(LoadImage(Riff(Chunk("fmt ", FmtBody(1, 0, 44100, 16)) + data), s), 3);
  EXPECT_EQ(LoadImage(Riff(Chunk("fmt ", FmtBody(0x1234, 2, 44100, 16) + Le16(0)) + data), s), 3);
  // An empty data chunk has nothing to convert.
  EXPECT_EQ(LoadImage(Riff(Chunk("fmt ", FmtBody(1, 2, 44100, 16)) + Chunk("data", "")), s), 3);
  // A "smpl" chunk too short for its loop record, for its loop count, or
  // cut by the file's end: the audio is kept, only the loop is dropped.
  const std::string fmt = Chunk("fmt ", FmtBody(1, 2, 44100, 16));
  for (size_t cut : {51u, 30u, 0u}) {
    Prefill(s);
    EXPECT_EQ(LoadImage(Riff(fmt + data + Chunk("smpl", SmplBody(0, 50).substr(0, cut))), s), 0) << cut;
    EXPECT_FALSE(s.Empty()) << cut;
    EXPECT_EQ(s.LoopStart, -1) << cut;
  }
  {
    // The chunk's header claims 60 bytes; the file ends 20 bytes into it.
    const std::string cutFile = Riff(fmt + data + Chunk("smpl", SmplBody(0, 50))).substr(0, 12 + fmt.size() + data.size() + 28);
    Prefill(s);
    EXPECT_EQ(LoadImage(cutFile, s), 0);
    EXPECT_FALSE(s.Empty());
    EXPECT_EQ(s.LoopStart, -1);
  }
  EXPECT_EQ(LoadImage(Riff(fmt + data + Chunk("smpl", SmplBody(0, 50).substr(0, 52))), s), 0);
  EXPECT_EQ(s.LoopEnd, 50);
  // A rate so low that the sample would grow past the limit.
  const std::string bigData = Chunk("data", std::string(size_t(4) * 7000, '\0'));
  EXPECT_EQ(LoadImage(Riff(Chunk("fmt ", FmtBody(1, 2, 1, 16)) + bigData), s), 3);
}

TEST(WAVLoad, FilesOnDisk) {
  TempDir dir;
  TWAVSample s;
  Prefill(s);
  EXPECT_EQ(LoadWAVSample(dir / "missing.wav", s), 1);
  EXPECT_EQ(LoadWAVSample(dir.Path, s), 1) << "a folder is not a file";
  EXPECT_EQ(s.Length, 2);
  EXPECT_EQ(s.FileTime, 77) << "codes 1 and 4 leave the sample as it was";
  WriteFile(dir / "empty.wav", "");
  EXPECT_EQ(LoadWAVSample(dir / "empty.wav", s), 2);
  WriteFile(dir / "text.wav", "This is not a sound file at all.\n");
  EXPECT_EQ(LoadWAVSample(dir / "text.wav", s), 2);
  WriteFile(dir / "ok.wav", Wav16(Ramp(10, 2), 2, 44100));
  struct stat st;
  ASSERT_EQ(stat((dir / "ok.wav").c_str(), &st), 0);
  EXPECT_EQ(LoadWAVSample(dir / "ok.wav", s), 0);
  EXPECT_EQ(s.Length, 10);
  EXPECT_EQ(s.FileTime, int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
}

TEST(WAVSave, LayoutAndRoundTrip) {
  TempDir dir;
  const std::string oldComment = WAVComment, oldSoftware = WAVSoftware;
  WAVComment = "edited with VorbelSteps (98,99)!";  // 32 characters + zero: a pad byte follows
  WAVSoftware = "VorbelSteps";                      // 11 characters + zero: even
  TWAVSample s;
  s.SetFrames(Ramp(1234, 2));
  ASSERT_TRUE(SaveWAVFile(&s, dir / "out.wav"));
  const std::string f = ReadFile(dir / "out.wav");
  const std::string info = "INFO" + std::string("ICMT") + Le32(33) + WAVComment + '\0' + '\0' + "ISFT" + Le32(12) +
                           WAVSoftware + '\0';
  const std::string expected = "RIFF" + Le32(uint32_t(38 + 4936 + 8 + info.size())) + "WAVEfmt " + Le32(18) +
                               Le16(1) + Le16(2) + Le32(44100) + Le32(176400) + Le16(4) + Le16(16) + Le16(0) +
                               "data" + Le32(4936) + Pcm16(s.Data) + "LIST" + Le32(uint32_t(info.size())) + info;
  EXPECT_TRUE(f == expected) << "saved layout differs";
  EXPECT_EQ(f.substr(f.size() - info.size() - 8), "LIST" + Le32(uint32_t(info.size())) + info);

  TWAVSample back;
  ASSERT_EQ(LoadWAVSample(dir / "out.wav", back), 0);
  EXPECT_EQ(back.Length, s.Length);
  EXPECT_EQ(back.Data, s.Data);
  // Saving what was read gives the same bytes.
  ASSERT_TRUE(SaveWAVFile(&back, dir / "again.wav"));
  EXPECT_TRUE(ReadFile(dir / "again.wav") == f);

  if (HaveSox()) {
    const std::string path = dir / "out.wav";
    EXPECT_EQ(RunCommand("soxi -r '" + path + "'"), "44100\n");
    EXPECT_EQ(RunCommand("soxi -c '" + path + "'"), "2\n");
    EXPECT_EQ(RunCommand("soxi -b '" + path + "'"), "16\n");
    EXPECT_EQ(RunCommand("soxi -s '" + path + "'"), "1234\n");
    EXPECT_EQ(std::system(("sox -V1 '" + path + "' -n stat 2>/dev/null").c_str()), 0);
  }

  // Both texts empty: the file ends with "LIST", 4, "INFO"; no sample: no frames.
  WAVComment.clear();
  WAVSoftware.clear();
  ASSERT_TRUE(SaveWAVFile(nullptr, dir / "none.wav"));
  const std::string none = ReadFile(dir / "none.wav");
  ASSERT_EQ(none.size(), 58u);
  EXPECT_EQ(none.substr(4, 4), Le32(50));
  EXPECT_EQ(none.substr(42, 4), Le32(0));
  EXPECT_EQ(none.substr(46), "LIST" + Le32(4) + "INFO");
  WAVComment = oldComment;
  WAVSoftware = oldSoftware;
}

TEST(WAVSave, InfoItemsArePadded) {
  std::vector<uint8_t> out;
  EXPECT_EQ(WriteInfoChunk("INAM", "ab", out), 12u);  // 3 bytes of text and zero, one pad byte
  EXPECT_EQ(std::string(out.begin(), out.end()), "INAM" + Le32(3) + "ab" + '\0' + '\0');
  out.clear();
  EXPECT_EQ(WriteInfoChunk("INAM", "abc", out), 12u);
  EXPECT_EQ(std::string(out.begin(), out.end()), "INAM" + Le32(4) + "abc" + '\0');
}

TEST(WAVSave, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir / "keep.wav";
  TWAVSample small;
  small.SetFrames(Ramp(10, 2));
  ASSERT_TRUE(SaveWAVFile(&small, path));
  const std::string before = ReadFile(path);
  TWAVSample big;
  big.SetFrames(Ramp(100000, 2));
  rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit limit = old;
  limit.rlim_cur = 65536;  // a disk that fills up halfway through the frames
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const bool ok = SaveWAVFile(&big, path);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_FALSE(SaveWAVFile(&small, dir / "no/such/folder.wav"));
}

TEST(WAVFormat, MakeWaveFormat) {
  TWaveFormatRecord r;
  MakeWaveFormat(r, 22050, 16, 1);
  EXPECT_EQ(r.FormatTag, 1);
  EXPECT_EQ(r.BlockAlign, 2);
  EXPECT_EQ(r.AvgBytesPerSec, 44100u);
  uint8_t bytes[18];
  StoreWaveFormat(WAVFileFormat, bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 18),
            Le16(1) + Le16(2) + Le32(44100) + Le32(176400) + Le16(4) + Le16(16) + Le16(0));
}
