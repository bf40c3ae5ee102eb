#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "model/MixerLock.h"
#include "model/RenderOptions.h"
#include "engine/EngineListener.h"
#include "engine/MixThread.h"
#include "engine/MixTestSong.h"
#include "engine/MixWorkers.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"
#include "platform/ManualAudioOutput.h"
#include "support/TempDir.h"
#include "support/ThreadStartLimit.h"
#include "EngineRecorder.h"
#include "toolbox/TextCodec.h"

namespace vs {
namespace {

using testing::ConstantFrames;
using testing::TestSong;

constexpr int64_t Bar120 = 16 * 5512;  // one bar of 16 steps at 120 BPM

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

uint32_t Get32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | uint8_t(s[at + i]);
  return v;
}
uint16_t Get16(const std::string& s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

// A WAV file as its chunks say, checked for a consistent RIFF structure.
struct TWavFile {
  bool Valid = false;
  uint16_t Channels = 0, BlockAlign = 0, Bits = 0;
  uint32_t Rate = 0, BytesPerSec = 0;
  std::vector<int16_t> Samples;
  bool HasList = false;
  std::map<std::string, std::string> Info;
  int64_t Frames() const { return Channels ? int64_t(Samples.size()) / Channels : 0; }
};

TWavFile ParseWav(const std::string& path) {
  TWavFile w;
  const std::string s = ReadFile(path);
  if (s.size() < 12 || s.compare(0, 4, "RIFF") != 0 || s.compare(8, 4, "WAVE") != 0) return w;
  if (Get32(s, 4) != s.size() - 8) return w;
  size_t pos = 12;
  bool fmt = false, data = false;
  while (pos + 8 <= s.size()) {
    const std::string id = s.substr(pos, 4);
    const uint32_t len = Get32(s, pos + 4);
    const size_t body = pos + 8;
    if (body + len > s.size()) return w;
    if (id == "fmt ") {
      fmt = true;
      w.Channels = Get16(s, body + 2);
      w.Rate = Get32(s, body + 4);
      w.BytesPerSec = Get32(s, body + 8);
      w.BlockAlign = Get16(s, body + 12);
      w.Bits = Get16(s, body + 14);
    } else if (id == "data") {
      data = true;
      w.Samples.resize(len / 2);
      for (size_t i = 0; i < w.Samples.size(); ++i) w.Samples[i] = int16_t(Get16(s, body + 2 * i));
    } else if (id == "LIST") {
      w.HasList = true;
      if (s.compare(body, 4, "INFO") != 0) return w;
      size_t p = body + 4;
      while (p + 8 <= body + len) {
        const uint32_t n = Get32(s, p + 4);
        std::string text = s.substr(p + 8, n);
        if (!text.empty() && text.back() == '\0') text.pop_back();
        w.Info[s.substr(p, 4)] = text;
        p += 8 + n + (n & 1);
      }
      if (p != body + len) return w;
    }
    pos = body + len + (len & 1);
  }
  w.Valid = fmt && data && pos == s.size();
  return w;
}

// A host that does nothing on the program's side but record, and holds
// MixerLock like the output's suspension.
struct TRecordingHost : TRenderHost {
  int Suspends = 0, Resumes = 0, SyncBegun = 0, SyncEnded = 0, Silenced = 0, SelectionRedraws = 0;
  bool LockHeldAtEnd = false;
  std::string FileName;
  void SuspendOutput() override {
    LockMixer();
    ++Suspends;
  }
  void ResumeOutput() override {
    ++Resumes;
    UnlockMixer();
  }
  void StopPlayback() override {}
  void SilenceAll() override { ++Silenced; }
  void BeginRenderSync() override { ++SyncBegun; }
  void EndRenderSync() override {
    ++SyncEnded;
    LockHeldAtEnd = MixerLockHeldByThisThread();
  }
  void PlaylistSelectionCancelled() override { ++SelectionRedraws; }
  std::string SongFileName() override { return FileName; }
};

// A ramp of frames whose left and right differ, so mono sums are odd and
// negative now and then.
std::vector<int16_t> Ramp(int n) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    f[2 * i] = int16_t((i * 37) % 20001 - 10000);
    f[2 * i + 1] = int16_t(-((i * 53) % 16001) + 7001);
  }
  return f;
}

// A one-pattern song at 120 BPM with a short ramp on every beat.
std::unique_ptr<TestSong> BeatSong() {
  auto s = std::make_unique<TestSong>(120);
  s->AddChannel(Ramp(3000));
  for (int step = 0; step < 16; step += 4) s->SetStep(0, 1, step, 100);
  return s;
}

class RenderJobTest : public ::testing::Test {
protected:
  TRenderResult Render(TSong& song, const TRenderOptions& options, int bars = 1, bool songMode = false,
                       const std::string& name = "out.wav", TMixWorkers* workers = nullptr) {
    Mix.SetSong(&song);
    Mix.SetBlockFrames(8820);
    Mix.FramesPerStep = FramesPerStepForBPM(song.BPM);
    TRenderJob job;
    job.Mixer = &Mix;
    job.Host = &Host;
    job.Options = options;
    job.Bars = bars;
    job.SongMode = songMode;
    job.GaugeMax = 10;
    job.Cancel = &Cancel;
    job.Workers = workers;
    job.InfoItems = RenderInfoItems(song.Info.Title, Host.FileName);
    job.Writer = std::make_unique<TRenderWriter>();
    job.Writer->ReserveInfo(job.InfoItems.size());
    Path = Dir / name;
    EXPECT_TRUE(job.Writer->Open(Path, options.Mono ? 1 : 2));
    return RenderToWAVFile(job);
  }

  TTestDir Dir;
  TMixer Mix;
  TRecordingHost Host;
  std::atomic<bool> Cancel{false};
  std::string Path;
};

TEST(RenderFigures, TheDialogFiguresAt120BPM) {
  const TRenderFigures f = RenderFigures(16, 1, 120, 8820);
  EXPECT_EQ(f.Ms, 2000);
  EXPECT_EQ(f.LengthText, "2.0sec");
  EXPECT_EQ(f.GaugeMax, 10);
  EXPECT_EQ(f.StereoBytes, 352768);
  EXPECT_EQ(f.MonoBytes, 176384);
  EXPECT_EQ(f.StereoKb, 345);
  EXPECT_EQ(f.MonoKb, 173);
  EXPECT_EQ(f.Tempo, 120);

  // 16 x 15000 / 140 = 1714 ms.
  EXPECT_EQ(RenderFigures(16, 1, 140, 8820).LengthText, "1.7sec");
  // A long song passes 2^31 bytes: the figures are 64-bit.
  const TRenderFigures big = RenderFigures(64, 999, 30, 8820);
  EXPECT_EQ(big.StereoBytes, int64_t(64) * 999 * 22050 * 4);
  EXPECT_EQ(big.LengthText, "31968.0sec");
  // Nonsense is clamped, never divides by zero.
  const TRenderFigures odd = RenderFigures(0, 0, 0, 0);
  EXPECT_EQ(odd.Tempo, 30);
  EXPECT_EQ(odd.Bars, 1);
  EXPECT_GT(odd.GaugeMax, 0);
}

TEST(RenderFigures, BarsAndTheNFOText) {
  TestSong s;
  EXPECT_EQ(RenderBarCount(*s.Song, false), 1);
  for (int bar = 0; bar < 4; ++bar) s.Song->Playlist.SetPlaylistCell(1, bar + 1, true);
  EXPECT_EQ(RenderBarCount(*s.Song, true), 4);
  s.Song->Playlist.PlaylistSelection = {0, 2, 3, 7};
  EXPECT_EQ(RenderBarCount(*s.Song, true), 8);

  EXPECT_EQ(RenderNFOText(16, 4, "Acid\nline \xC3\xA9"),
            "' length, in dots (16=1 bar)\r\nLength=64\r\n\r\n"
            "' auto stretched to the current tempo (True or False)\r\nStretched=True\r\n\r\n"
            "' tip for the samples tree\r\nTip=Acid line \xE9\r\n");
}

TEST_F(RenderJobTest, CutRendersExactlyTheBarsAndEqualsTheOfflineMixAfterTheLeadIn) {
  auto song = BeatSong();
  song->Song->Info.Title = "Caf\xC3\xA9 beat";
  const TRenderResult r = Render(*song->Song, TRenderOptions{});
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_FALSE(r.Cancelled);
  EXPECT_EQ(r.Frames, Bar120);
  EXPECT_EQ(r.DataBytes, 352768u);

  const TWavFile w = ParseWav(Path);
  ASSERT_TRUE(w.Valid);
  EXPECT_EQ(w.Channels, 2);
  EXPECT_EQ(w.Rate, 44100u);
  EXPECT_EQ(w.BlockAlign, 4);
  EXPECT_EQ(w.Bits, 16);
  EXPECT_EQ(w.Frames(), Bar120);
  EXPECT_EQ(w.Info.at("ICMT"), RenderComment());
  EXPECT_EQ(w.Info.at("ICMT").rfind("made with VorbelSteps (98) ", 0), 0u);
  EXPECT_EQ(w.Info.at("INAM"), "Caf\xE9 beat");  // Windows-1252
  EXPECT_EQ(w.Info.at("ISFT"), "VorbelSteps");

  // The same song mixed offline from the end of the lead-in.
  TMixer offline;
  offline.MixPosition = Bar120;
  testing::StartPattern(offline, *song->Song);
  const std::vector<int16_t> expect = testing::MixFrames(offline, 10);
  ASSERT_EQ(w.Samples.size(), size_t(Bar120) * 2);
  EXPECT_TRUE(std::equal(w.Samples.begin(), w.Samples.end(), expect.begin()));
  EXPECT_NE(*std::max_element(w.Samples.begin(), w.Samples.end()), 0);

  // The sequencer and the output are back.
  EXPECT_EQ(Host.Suspends, 1);
  EXPECT_EQ(Host.Resumes, 1);
  EXPECT_EQ(Host.SyncBegun, 1);
  EXPECT_EQ(Host.SyncEnded, 1);
  EXPECT_TRUE(Host.LockHeldAtEnd);
  EXPECT_FALSE(MixerLockHeldByThisThread());
  EXPECT_FALSE(Mix.Rendering.load());
  EXPECT_FALSE(Mix.Playing.load());
  EXPECT_EQ(Mix.MixStopBar, std::numeric_limits<int32_t>::max());
}

TEST_F(RenderJobTest, RendersOnWorkerThreadsAreTheSameEachTimeAndWithinOneStepOfOneThread) {
  // The lanes on 8 threads (twice), on 2, on the render thread alone, and
  // on pools the system gave fewer threads than asked (2 of 8, none of 8):
  // the same parts summed in the same order, so the same bytes.
  TMixWorkers eight(8), two(2), alone(1);
  std::unique_ptr<TMixWorkers> refused, cut;
  {
    testing::TThreadStartLimit limit(0);
    refused = std::make_unique<TMixWorkers>(8);
  }
  {
    testing::TThreadStartLimit limit(1);
    cut = std::make_unique<TMixWorkers>(8);
  }
  EXPECT_EQ(refused->Threads(), 1);
  EXPECT_EQ(cut->Threads(), 2);
  TMixWorkers* const pools[] = {nullptr, &eight, &eight, &two, &alone, refused.get(), cut.get()};
  std::vector<int16_t> runs[std::size(pools)];
  for (size_t run = 0; run < std::size(pools); ++run) {
    testing::TestSong t;
    testing::FillBusySong(t, false);
    t.Song->MasterVolume = 16;
    Mix.SeedRandom(1);
    ASSERT_TRUE(Render(*t.Song, TRenderOptions{}, 2, true, "busy.wav", pools[run]).Ok);
    runs[run] = ParseWav(Path).Samples;
    EXPECT_EQ(Mix.MixLanes(), 1);  // the lanes go with the render
  }
  ASSERT_GT(runs[0].size(), 30000u);
  for (size_t run = 2; run < std::size(pools); ++run) EXPECT_TRUE(runs[1] == runs[run]) << run;
  EXPECT_FALSE(runs[0] == runs[1]);  // float sums in another order
  ASSERT_EQ(runs[0].size(), runs[1].size());
  for (size_t i = 0; i < runs[0].size(); ++i) ASSERT_LE(std::abs(runs[0][i] - runs[1][i]), 1) << i;
}

TEST_F(RenderJobTest, MonoIsHalfTheSumTruncatedInOneChannel) {
  auto song = BeatSong();
  const TRenderResult stereo = Render(*song->Song, TRenderOptions{}, 1, false, "stereo.wav");
  ASSERT_TRUE(stereo.Ok);
  const TWavFile s = ParseWav(Path);
  TRenderOptions options;
  options.Mono = true;
  const TRenderResult mono = Render(*song->Song, options, 1, false, "mono.wav");
  ASSERT_TRUE(mono.Ok);
  EXPECT_EQ(mono.DataBytes, 176384u);
  const TWavFile m = ParseWav(Path);
  ASSERT_TRUE(m.Valid);
  EXPECT_EQ(m.Channels, 1);
  EXPECT_EQ(m.BlockAlign, 2);
  EXPECT_EQ(m.BytesPerSec, 88200u);
  ASSERT_EQ(m.Frames(), Bar120);
  int negativeOdd = 0;
  for (int64_t i = 0; i < Bar120; ++i) {
    const int sum = s.Samples[2 * i] + s.Samples[2 * i + 1];
    ASSERT_EQ(m.Samples[i], sum / 2) << i;
    negativeOdd += sum < 0 && (sum & 1);
  }
  EXPECT_GT(negativeOdd, 0);  // truncation towards 0 was tested
}

TEST_F(RenderJobTest, LeaveRingsALongSampleOutAndCutDoesNot) {
  TestSong song(120);
  song.AddChannel(ConstantFrames(200000, 1000, -1000));
  song.SetStep(0, 1, 15);
  const TRenderResult cut = Render(*song.Song, TRenderOptions{});
  ASSERT_TRUE(cut.Ok);
  EXPECT_EQ(cut.Frames, Bar120);
  TRenderOptions leave;
  leave.Remainder = RemainderLeave;
  const TRenderResult r = Render(*song.Song, leave);
  ASSERT_TRUE(r.Ok);
  // The voice starts at the lead-in + 15 steps and sounds 200000 frames.
  EXPECT_EQ(r.Frames, 15 * 5512 + 200000);
  const TWavFile w = ParseWav(Path);
  ASSERT_TRUE(w.Valid);
  EXPECT_EQ(w.Frames(), r.Frames);
  EXPECT_NE(w.Samples[2 * (r.Frames - 1)], 0);  // still sounding in the last frame
  EXPECT_EQ(w.Samples[2 * (15 * 5512 - 1)], 0);
}

TEST_F(RenderJobTest, WrapPutsTheLastBarsTailsAtTheStart) {
  TestSong song(120);
  song.AddChannel(ConstantFrames(20000, 3000, 3000));
  song.SetStep(0, 1, 15);
  const TRenderResult cut = Render(*song.Song, TRenderOptions{}, 1, false, "cut.wav");
  ASSERT_TRUE(cut.Ok);
  const TWavFile c = ParseWav(Path);
  TRenderOptions wrap;
  wrap.Remainder = RemainderWrap;
  const TRenderResult r = Render(*song.Song, wrap, 1, false, "wrap.wav");
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Frames, Bar120);
  const TWavFile w = ParseWav(Path);
  ASSERT_TRUE(w.Valid);
  // The step-15 voice of the silent pass started 5512 frames before the file.
  const int64_t tail = 20000 - 5512;
  EXPECT_EQ(c.Samples[0], 0);
  EXPECT_NE(w.Samples[0], 0);
  EXPECT_NE(w.Samples[2 * (tail - 1)], 0);
  EXPECT_EQ(w.Samples[2 * tail], 0);
  // From the tail's end on both files are the same.
  EXPECT_TRUE(std::equal(w.Samples.begin() + 2 * tail, w.Samples.end(), c.Samples.begin() + 2 * tail));
}

TEST_F(RenderJobTest, SongModeRendersTheBarsOfThePlaylist) {
  TestSong song(120);
  song.AddChannel(ConstantFrames(500, 2000, 2000));
  song.SetStep(0, 1, 0);
  song.SetStep(0, 2, 8);
  song.Song->Playlist.SetPlaylistCell(1, 1, true);
  song.Song->Playlist.SetPlaylistCell(2, 2, true);
  song.Song->Playlist.SetPlaylistCell(1, 3, true);
  song.Song->Playlist.PlaylistSelection = {1, 0, 2, 2};
  const int bars = RenderBarCount(*song.Song, true);
  ASSERT_EQ(bars, 3);
  const TRenderResult r = Render(*song.Song, TRenderOptions{}, bars, true);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Frames, 3 * Bar120);
  EXPECT_EQ(song.Song->Playlist.PlaylistSelection.Bottom, -1);  // the loop selection is cancelled
  EXPECT_EQ(Host.SelectionRedraws, 1);
  const TWavFile w = ParseWav(Path);
  // Bar 0 step 0, bar 1 step 8, bar 2 step 0.
  for (int64_t at : {int64_t(0), Bar120 + 8 * 5512, 2 * Bar120}) EXPECT_NE(w.Samples[2 * at], 0) << at;
  EXPECT_EQ(w.Samples[2 * (Bar120 + 100)], 0);
}

TEST_F(RenderJobTest, AWriteErrorLeavesNoFileAndRestoresEverything) {
  auto song = BeatSong();
  const std::string target = Dir.Write("out.wav", "old contents");
  // Files of this process may not grow past 100000 bytes for a while.
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldSignal = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const TRenderResult r = Render(*song->Song, TRenderOptions{});
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldSignal);

  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Error, RenderWriteMessage(target, "File too large"));
  EXPECT_EQ(ReadFile(target), "old contents");
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(Dir.Dir())) files += e.is_regular_file();
  EXPECT_EQ(files, 1);  // no temporary file left
  EXPECT_EQ(Host.Resumes, 1);
  EXPECT_EQ(Host.SyncEnded, 1);
  EXPECT_FALSE(Mix.Rendering.load());
  EXPECT_FALSE(MixerLockHeldByThisThread());
}

TEST(RenderWriter, DataPastTheRIFFLimitIsRefused) {
  TTestDir dir;
  TRenderWriter w;
  w.ReserveInfo(100);
  ASSERT_TRUE(w.Open(dir / "big.wav", 2));
  EXPECT_EQ(w.MaxDataBytes(), 0xFFFFFFFFull - 38 - 12 - 100);
  const char some[4] = {};
  ASSERT_TRUE(w.Append(some, 4));
  // Nothing is written when the next piece would not fit.
  EXPECT_FALSE(w.Append(some, w.MaxDataBytes() - 3));
  EXPECT_TRUE(w.TooLarge());
  w.Abandon();
  EXPECT_FALSE(std::filesystem::exists(dir / "big.wav"));
}

TEST(SaveSampleWithMarkers, MarkerBlocksAroundTheSample) {
  TTestDir dir;
  TWAVSample s;
  s.SetFrames(ConstantFrames(100, 5, -5));
  ASSERT_TRUE(SaveSampleWithMarkers(s, dir / "m.wav"));
  const TWavFile w = ParseWav(dir / "m.wav");
  ASSERT_TRUE(w.Valid);
  EXPECT_FALSE(w.HasList);
  EXPECT_EQ(w.Channels, 2);
  ASSERT_EQ(w.Frames(), 2304 + 100 + 2304);
  auto frame = [&](int64_t i) { return std::make_pair(w.Samples[2 * i], w.Samples[2 * i + 1]); };
  using P = std::pair<int16_t, int16_t>;
  EXPECT_EQ(frame(0), P(32767, 32767));
  EXPECT_EQ(frame(2047), P(32767, 32767));
  EXPECT_EQ(frame(2048), P(0, 0));
  EXPECT_EQ(frame(2303), P(0, 0));
  EXPECT_EQ(frame(2304), P(5, -5));
  EXPECT_EQ(frame(2403), P(5, -5));
  EXPECT_EQ(frame(2404), P(0, 0));
  EXPECT_EQ(frame(2404 + 255), P(0, 0));
  EXPECT_EQ(frame(2404 + 256), P(32767, 32767));
  EXPECT_EQ(frame(2404 + 2303), P(32767, 32767));
  int loud = 0;
  for (int64_t i = 0; i < w.Frames(); ++i) loud += w.Samples[2 * i] == 32767;
  EXPECT_EQ(loud, 2 * 2048);

  TWAVSample empty;  // markers alone
  ASSERT_TRUE(SaveSampleWithMarkers(empty, dir / "e.wav"));
  EXPECT_EQ(ParseWav(dir / "e.wav").Frames(), 2 * 2304);
  EXPECT_FALSE(SaveSampleWithMarkers(s, dir / "no/such/folder/x.wav"));
}

// --- The program's render on its thread and the batch entry ---

class CancellingListener : public TEngineListener {
public:
  std::atomic<int> Progress{0}, Done{0};
  std::atomic<bool> DoneOk{false};
  std::atomic<bool> LockHeld{false};
  bool CancelAtFirst = false;
  void RenderProgress(int) override {
    ++Progress;
    if (CancelAtFirst) RenderCancelled.store(true);
  }
  void RenderDone(bool ok) override {
    LockHeld = MixerLockHeldByThisThread();
    DoneOk = ok;
    ++Done;
  }
};

class ProgramRenderTest : public ::testing::Test {
protected:
  void SetUp() override {
    Song = BeatSong();
    TMixer& m = Mixer();
    MixerGuard lock;
    m.SetSong(Song->Song.get());
    m.SetBlockFrames(8820);
    m.FramesPerStep = FramesPerStepForBPM(120);
    m.SongMode = 0;
    SetRenderHost(&Host);
    SetEngineListener(&Listener);
    RenderOptions() = TRenderOptions{};
  }
  void TearDown() override {
    WaitForRender();
    SetEngineListener(nullptr);
    SetRenderHost(nullptr);
    RenderOptions() = TRenderOptions{};
    RenderCancelled.store(false);
    MixerGuard lock;
    Mixer().SetSong(nullptr);
  }
  std::unique_ptr<TestSong> Song;
  TRecordingHost Host;
  CancellingListener Listener;
  TTestDir Dir;
};

TEST_F(ProgramRenderTest, ARenderCancelledAfterOneBlockIsAValidWAV) {
  Listener.CancelAtFirst = true;
  const TRenderFigures figures = PrepareRender();
  EXPECT_EQ(figures.GaugeMax, 10);
  RenderCancelled.store(false);
  std::string error;
  ASSERT_TRUE(StartRender(Dir / "cancel.wav", &error)) << error;
  WaitForRender();
  EXPECT_FALSE(RenderRunning());
  EXPECT_EQ(Listener.Done.load(), 1);
  EXPECT_TRUE(Listener.DoneOk.load());
  EXPECT_FALSE(Listener.LockHeld.load());  // the end is told outside the lock
  EXPECT_EQ(Listener.Progress.load(), 1);
  const TRenderResult r = LastRenderResult();
  EXPECT_TRUE(r.Ok);
  EXPECT_TRUE(r.Cancelled);
  const TWavFile w = ParseWav(Dir / "cancel.wav");
  ASSERT_TRUE(w.Valid);
  EXPECT_EQ(w.Frames(), 8820);
  EXPECT_EQ(w.Info.at("ISFT"), "VorbelSteps");
  EXPECT_EQ(Host.SyncEnded, 1);
  EXPECT_EQ(Host.Resumes, Host.Suspends);
  EXPECT_FALSE(Mixer().Rendering.load());
}

TEST_F(ProgramRenderTest, ProgressRisesToAHundredPercentOnce) {
  std::vector<int> seen;
  struct : TEngineListener {
    std::vector<int>* Seen;
    void RenderProgress(int p) override { Seen->push_back(p); }
  } listener;
  listener.Seen = &seen;
  SetEngineListener(&listener);
  PrepareRender();
  ASSERT_TRUE(StartRender(Dir / "p.wav", nullptr));
  WaitForRender();
  EXPECT_EQ(seen, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  EXPECT_EQ(RenderBlocksDone(), 10);
  EXPECT_EQ(RenderBar(), 1);
}

TEST_F(ProgramRenderTest, TheBatchRenderWritesTheNFOAndNamesTheFileAfterTheSong) {
  RenderOptions().SaveNFO = true;
  RenderOptions().Mono = true;
  Host.FileName = "/songs/My Loop.zmp";
  Song->Song->Info.InfoRTF = "{\\rtf1\\ansi Dark \\b acid\\b0\\par loop}";
  const TRenderResult r = RenderSongToFile(Dir / "batch.wav");
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(r.Frames, Bar120);
  const TWavFile w = ParseWav(Dir / "batch.wav");
  ASSERT_TRUE(w.Valid);
  EXPECT_EQ(w.Channels, 1);
  EXPECT_EQ(w.Info.at("INAM"), "My Loop");
  const std::string nfo = ReadFile(Dir / "batch.nfo");
  EXPECT_NE(nfo.find("Length=16\r\n"), std::string::npos);
  EXPECT_NE(nfo.find("Tip=Dark acid loop\r\n"), std::string::npos);
  EXPECT_EQ(Listener.Done.load(), 0);  // the caller reports the result itself
  EXPECT_EQ(LastRenderResult().Frames, Bar120);
  EXPECT_FALSE(RenderRunning());
}

TEST_F(ProgramRenderTest, TooLargeOrUncreatableFilesStartNoRender) {
  // 999 bars of 64 steps at 30 BPM: 5.6 GB of stereo.
  Song->Song->BPM = 30;
  Song->Song->SetPatternLength(64);
  Song->Song->Playlist.PlaylistSelection = {1, 0, 1, 998};
  {
    MixerGuard lock;
    Mixer().SongMode = 1;
    Mixer().FramesPerStep = FramesPerStepForBPM(30);
  }
  std::string error;
  EXPECT_FALSE(StartRender(Dir / "huge.wav", &error));
  EXPECT_EQ(error, RenderTooLargeMessage);
  EXPECT_FALSE(RenderRunning());
  EXPECT_FALSE(std::filesystem::exists(Dir / "huge.wav"));
  EXPECT_EQ(Host.Suspends, 0);

  {
    MixerGuard lock;
    Mixer().SongMode = 0;
  }
  EXPECT_FALSE(StartRender(Dir / "missing/folder/x.wav", &error));
  EXPECT_EQ(error, RenderCreateMessage(Dir / "missing/folder/x.wav", "No such file or directory"));
  EXPECT_FALSE(RenderRunning());
  const TRenderResult r = RenderSongToFile(Dir / "missing/folder/x.wav");
  EXPECT_FALSE(r.Ok);
  EXPECT_FALSE(r.Error.empty());
}

TEST_F(ProgramRenderTest, ARenderThreadTheSystemRefusesIsTheRendersErrorAndTheSongStays) {
  const size_t channels = Song->Song->Channels.size();
  std::string error;
  {
    testing::TThreadStartLimit limit(0);
    PrepareRender();
    EXPECT_FALSE(StartRender(Dir / "refused.wav", &error));
  }
  EXPECT_EQ(error.rfind("Cannot render the file \"" + (Dir / "refused.wav") + "\": The system refused a new thread", 0),
            0u)
      << error;
  EXPECT_FALSE(RenderRunning());
  EXPECT_EQ(Host.Suspends, 0);
  EXPECT_EQ(Listener.Done.load(), 0);
  EXPECT_EQ(Song->Song->Channels.size(), channels);
  for (const auto& entry : std::filesystem::directory_iterator(Dir.Dir()))
    EXPECT_EQ(entry.path().extension(), ".nfo") << entry.path();  // no WAV, no temporary
  // Threads again: the same render runs.
  ASSERT_TRUE(StartRender(Dir / "refused.wav", &error)) << error;
  WaitForRender();
  EXPECT_TRUE(LastRenderResult().Ok);
  EXPECT_TRUE(std::filesystem::exists(Dir / "refused.wav"));
}

// With the output open and the mix thread running, the render suspends the
// output for its whole run and the output plays on afterwards.
TEST_F(ProgramRenderTest, TheLiveOutputIsSuspendedForTheRenderAndPlaysOnAfterIt) {
  SetRenderHost(nullptr);  // the engine's own suspension
  auto backend = std::make_unique<TManualAudioBackend>();
  TManualAudioBackend* manual = backend.get();
  SetAudioBackend(std::move(backend));
  AudioOutput().UseWAV = true;
  OpenAudioOutput();
  ASSERT_TRUE(AudioOutput().OutputOpen.load());
  {
    MixerGuard lock;
    Mixer().MixStep = -1;
    Mixer().NextStepFrame = Mixer().MixPosition;
    Mixer().Playing = true;
  }
  manual->LastDevice->Advance(3 * 8820, 441);  // live playback for a while

  PrepareRender();
  EXPECT_FALSE(Mixer().Playing.load());
  std::atomic<bool> stoppedDuringRender{true};
  struct : TEngineListener {
    std::atomic<bool>* Stopped;
    void RenderProgress(int) override {
      if (AudioOutput().OutputBuffer->Playing()) Stopped->store(false);
    }
  } watch;
  watch.Stopped = &stoppedDuringRender;
  SetEngineListener(&watch);
  ASSERT_TRUE(StartRender(Dir / "live.wav", nullptr));
  WaitForRender();
  EXPECT_TRUE(stoppedDuringRender.load());
  EXPECT_TRUE(LastRenderResult().Ok);
  EXPECT_EQ(LastRenderResult().Frames, Bar120);
  EXPECT_EQ(AudioOutput().SuspendDepth, 0);
  EXPECT_TRUE(AudioOutput().OutputBuffer->Playing());
  // The mix thread goes on mixing (silence now) as the device plays.
  int64_t before;
  {
    MixerGuard lock;
    before = Mixer().MixPosition;
  }
  manual->LastDevice->Advance(4 * 8820, 441);
  EXPECT_TRUE(testing::WaitFor([&] {
    MixerGuard lock;
    return Mixer().MixPosition > before;
  }));
  CloseAudioOutput();
}

// sox reads what the renderer writes: the audio to its end, and the INFO
// list item by item (it skips the comment and the name, and takes the
// software text).
TEST_F(ProgramRenderTest, SoxAcceptsTheFileAndItsTexts) {
  if (std::system("sox --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
  Song->Song->Info.Title = "Night drive";
  ASSERT_TRUE(RenderSongToFile(Dir / "sox.wav").Ok);
  const std::string out = Dir / "sox.txt";
  ASSERT_EQ(std::system(("sox -V4 '" + (Dir / "sox.wav") + "' -n stat 2> '" + out + "'").c_str()), 0);
  const std::string log = ReadFile(out);
  EXPECT_NE(log.find("Samples read:            176384"), std::string::npos) << log;
  EXPECT_NE(log.find("wav: WAV Chunk LIST"), std::string::npos) << log;
  EXPECT_NE(log.find("wav: Type INFO"), std::string::npos) << log;
  EXPECT_NE(log.find("chunk `ICMT' of length " + std::to_string(RenderComment().size() + 1)), std::string::npos) << log;
  EXPECT_NE(log.find("chunk `INAM' of length 12"), std::string::npos) << log;
  EXPECT_NE(log.find("wav: Chunk ISFT"), std::string::npos) << log;
  EXPECT_EQ(log.find(" WARN "), std::string::npos) << log;
  EXPECT_EQ(log.find(" FAIL "), std::string::npos) << log;
}

}  // namespace
}  // namespace vs
