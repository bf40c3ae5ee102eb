// The audio output on the manual and null devices: block sizes, suspension,
// the stream restart, underruns, the play position, and the bytes the device
// plays against an offline mix of the same song.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "AllocCounter.h"
#include "EngineRecorder.h"
#include "MixTestSong.h"
#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "platform/ManualAudioOutput.h"
#include "platform/NullAudioOutput.h"
#include "platform/RtAudioOutput.h"
#include "support/ThreadStartLimit.h"

namespace vs {
namespace {

using testing::EngineRecorder;
using testing::StartPattern;
using testing::TestSong;
using testing::WaitFor;

// A beat: a decaying noise burst on every fourth step and a tone on the
// others, loud enough to clip now and then.
std::vector<int16_t> Burst(int frames, int seed) {
  std::vector<int16_t> f(size_t(frames) * 2);
  uint32_t r = 12345u + seed;
  for (int i = 0; i < frames; ++i) {
    r = r * 1664525u + 1013904223u;
    const double env = 1.0 - double(i) / frames;
    f[2 * i] = int16_t((int32_t(r >> 16) - 32768) * env);
    f[2 * i + 1] = int16_t(((i * 37) % 2000 - 1000) * 20 * env);
  }
  return f;
}

void BuildBeat(TestSong& t) {
  t.AddChannel(Burst(6000, 1));
  t.AddChannel(Burst(3000, 2));
  t.Chan(1).Pan = 20;
  for (int s = 0; s < 16; ++s) {
    if (s % 4 == 0) t.SetStep(0, 1, s, 127);
    if (s % 4 != 0) t.SetStep(1, 1, s, 40 + 5 * s);
  }
  t.SetValue(1, 1, 3, PlanePitch, 150);  // one pitched step
}

class OutputTest : public ::testing::Test {
protected:
  void SetUp() override {
    MixSettings().UseMIDI = false;
    MixSettings().Surround = false;
    MixSettings().ClickRemoval = 1;
    MixSettings().Interpolation = 1;
    auto backend = std::make_unique<TManualAudioBackend>();
    Backend = backend.get();
    SetAudioBackend(std::move(backend));
    TAudioOutputState& o = AudioOutput();
    o.UseWAV = true;
    o.SoundDeviceName.clear();
    o.UnderrunCount = 0;
    o.BufferBasePosition = 0;
    o.LatencyOffset = 35280;
    SetEngineListener(&Recorder);
    TMixer& m = Mixer();
    MixerGuard hold;
    m.StopAllVoices();
    m.Playing = false;
    m.MixPosition = 0;
    m.SetBlockFrames(8820);
    m.SetSong(nullptr);
  }
  void TearDown() override {
    StopScopeThread();
    StopMixThread();
    CloseOutputDevice();
    SetEngineListener(nullptr);
    MixerGuard hold;
    Mixer().Playing = false;
    Mixer().SetSong(nullptr);
  }
  TManualAudioDevice& Device() { return *Backend->LastDevice; }
  TStreamBuffer& Buffer() { return *AudioOutput().OutputBuffer; }

  TManualAudioBackend* Backend = nullptr;
  EngineRecorder Recorder;
};

TEST_F(OutputTest, LatencySetsBlockAndScopeSizes) {
  TAudioOutputState& o = AudioOutput();
  SetMixLatency(10);  // closed: the sizes are still stored
  EXPECT_EQ(BlockFrames(), 64);
  EXPECT_EQ(BlockBytes(), 512);
  EXPECT_EQ(o.StreamSize, 512u);
  EXPECT_EQ(o.LatencyOffset, 256);  // kept within one block
  SetMixLatency(0);
  EXPECT_EQ(BlockFrames(), 64);
  SetMixLatency(-5);
  EXPECT_EQ(BlockFrames(), 64);
  SetMixLatency(2560);
  EXPECT_EQ(o.ScopeSample.Length, 1280);
  SetMixLatency(2559);
  EXPECT_EQ(o.ScopeSample.Length, 2559);
  SetMixLatency(8820);
  EXPECT_EQ(o.ScopeSample.Length, 1470);  // 8820 div (8820 div 1280)

  ASSERT_TRUE(OpenOutputDevice());
  SetMixLatency(10);
  ASSERT_NE(o.OutputBuffer, nullptr);
  EXPECT_EQ(Buffer().Size(), 512u);
  EXPECT_EQ(o.OutputBufferMemory, Buffer().Memory());
  EXPECT_TRUE(Buffer().Playing());  // the resume restarted it

  // An empty scope sample gives no scope positions (and no endless loop).
  o.ScopeSample.Clear();
  SuspendOutput();
  CreateStreamBuffer(128);
  ResumeOutput();
  ASSERT_NE(o.OutputBuffer, nullptr);
  EXPECT_EQ(Buffer().Size(), 512u);
}

TEST_F(OutputTest, NestedSuspensionsStopOnceAndTheLastResumeRestarts) {
  TAudioOutputState& o = AudioOutput();
  ASSERT_TRUE(OpenOutputDevice());
  SetMixLatency(256);  // stream of 2048 bytes
  SetLatencyOffset(400);
  RestartStream();
  TStreamBuffer& b = Buffer();
  ASSERT_TRUE(b.Playing());
  Device().Advance(10);

  SuspendOutput();
  EXPECT_FALSE(b.Playing());
  b.Play();  // as if something else started it again
  SuspendOutput();
  EXPECT_TRUE(b.Playing());  // the nested call does not stop it again
  EXPECT_EQ(o.SuspendDepth, 2);
  // Something written while suspended is cleared by the last resume.
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_TRUE(b.Lock(0, b.Size(), &p1, &n1, &p2, &n2));
  std::memset(p1, 0x55, n1);
  b.Unlock();
  b.SetCurrentPosition(100);
  ResumeOutput();
  uint32_t play, write;
  b.GetCurrentPosition(&play, &write);
  EXPECT_EQ(play, 100u);  // not restarted yet
  EXPECT_EQ(b.Memory()[0], 0x55);
  ResumeOutput();
  EXPECT_EQ(o.SuspendDepth, 0);
  b.GetCurrentPosition(&play, &write);
  EXPECT_EQ(play, (2048u - 400u) % 2048u);
  EXPECT_TRUE(b.Playing());
  for (uint32_t i = 0; i < b.Size(); ++i) ASSERT_EQ(b.Memory()[i], 0) << i;
  // The lock is free again: another thread can take it.
  std::thread other([] { MixerGuard hold; });
  other.join();
  // An unbalanced resume changes nothing.
  ResumeOutput();
  EXPECT_EQ(o.SuspendDepth, 0);
}

TEST_F(OutputTest, ClosedOutputHasNoPlayPositionAndDoesNotRestart) {
  EXPECT_EQ(GetPlayPosition(), 0);
  AudioOutput().BufferBasePosition = 5000;
  EXPECT_EQ(GetPlayPosition(), 0);
  RestartStream();  // nothing to restart
  SuspendOutput();
  ResumeOutput();
  EXPECT_EQ(AudioOutput().SuspendDepth, 0);
}

TEST_F(OutputTest, PlayPositionFollowsTheCursorAndTheHalfBeingWritten) {
  TAudioOutputState& o = AudioOutput();
  ASSERT_TRUE(OpenOutputDevice());
  SetMixLatency(256);  // size 2048, half 1024
  SetLatencyOffset(1024);
  TStreamBuffer& b = Buffer();
  b.Stop();
  struct Case {
    uint32_t play;
    bool second;
    int64_t expected;
  };
  // p = (play + 1024) mod 2048; q = p mod 1024 - 1024; q -= 1024 when
  // (p >= 1024) = SecondHalf; result q div 4 + base.
  const Case cases[] = {
      {1024, false, 1000 - 512},      // p 0: q -1024 - 1024
      {1024, true, 1000 - 256},       // p 0: q -1024
      {0, true, 1000 - 512},          // p 1024: q -1024 - 1024
      {0, false, 1000 - 256},
      {1500, false, 1000 - 512 + 119},  // p 476: q -548 - 1024 = -1572, div 4 = -393
      {4, false, 1000 - 255},         // p 1028: q 4 - 1024 = -1020, div 4 = -255
  };
  o.BufferBasePosition = 1000;
  for (const Case& c : cases) {
    b.SetCurrentPosition(c.play);
    o.SecondHalf = c.second;
    EXPECT_EQ(GetPlayPosition(), c.expected) << c.play << " " << c.second;
  }
  // A latency that is not a whole number of frames truncates toward zero.
  o.LatencyOffset = 1026;
  b.SetCurrentPosition(0);
  o.SecondHalf = true;
  // p 1026: q 2 - 1026 = -1024, second half -> -2048, div 4 = -512.
  EXPECT_EQ(GetPlayPosition(), 1000 - 512);
  b.SetCurrentPosition(1020);
  o.SecondHalf = false;
  // p (1020 + 1026) mod 2048 = 2046, q = 1022 - 1026 = -4; p lies in the
  // second half and the first half is being written: q stays; -4 div 4 = -1.
  EXPECT_EQ(GetPlayPosition(), 1000 - 1);
}

// Plays the device one frame at a time up to each notification and waits
// for the mix thread to write the block it asked for.
void PlayBlocks(TManualAudioDevice& device, int blocks, int32_t blockFrames) {
  TAudioOutputState& o = AudioOutput();
  for (int k = 1; k <= blocks; ++k) {
    device.Advance(1);
    ASSERT_TRUE(WaitFor([&] { return o.BufferBasePosition.load() == int64_t(k) * blockFrames; }))
        << "block " << k;
    // The thread may still be writing: wait for it to leave the lock.
    { MixerGuard hold; }
    device.Advance(blockFrames - 1);
  }
}

TEST_F(OutputTest, DeviceReceivesTheOfflineMixBitForBit) {
  constexpr int32_t Block = 512;
  constexpr int Blocks = 40;  // about 0.46 s: several bars at 140 BPM
  TestSong live(140), offline(140);
  BuildBeat(live);
  BuildBeat(offline);
  {
    MixerGuard hold;
    StartPattern(Mixer(), *live.Song, 1, Block);
  }
  AudioOutput().LatencyOffset = Block * 4;
  OpenAudioOutput();
  ASSERT_TRUE(AudioOutput().OutputOpen.load());
  ASSERT_EQ(BlockFrames(), Block);
  PlayBlocks(Device(), Blocks, Block);
  StopMixThread();

  TMixer reference;
  StartPattern(reference, *offline.Song, 1, Block);
  TEchoLine& echo = EchoLine();
  reference.Echo.Setup(Block, echo.DelayFrames());
  const std::vector<int16_t> expected = testing::MixFrames(reference, Blocks - 1);

  const std::vector<uint8_t>& got = Device().Received;
  ASSERT_EQ(got.size(), size_t(Blocks) * Block * 4);
  // The first half played is the cleared one.
  for (size_t i = 0; i < size_t(Block) * 4; ++i) ASSERT_EQ(got[i], 0) << i;
  ASSERT_EQ(std::memcmp(got.data() + Block * 4, expected.data(), expected.size() * 2), 0);
  bool sound = false;
  for (int16_t v : expected) sound |= v != 0;
  EXPECT_TRUE(sound);
  EXPECT_EQ(AudioOutput().UnderrunCount.load(), 0);
}

TEST_F(OutputTest, UnderrunCountsOnlyWhenTheWriteCursorIsInsideTheHalfJustWritten) {
  TAudioOutputState& o = AudioOutput();
  o.LatencyOffset = 4;  // notifications one frame before each half
  SetMixLatency(64);    // size 512: half 0 event at 508, half 1 event at 252
  OpenAudioOutput();
  ASSERT_TRUE(o.OutputOpen.load());
  TManualAudioDevice& d = Device();
  uint32_t play, write;
  Buffer().GetCurrentPosition(&play, &write);
  ASSERT_EQ(play, 508u);
  // The device reaches 508 and holds up to 512 = 0: the cursor lies exactly
  // at the start of half 0, which is not an underrun.
  d.Advance(1);
  ASSERT_TRUE(WaitFor([&] { return o.BufferBasePosition.load() == 64; }));
  { MixerGuard hold; }
  EXPECT_EQ(o.UnderrunCount.load(), 0);
  // Up to the frame before the half 1 event (cursor 248), then three frames
  // at once and one more: the play cursor comes past the event (252) at 260,
  // when the device has taken up to 264, so the write cursor (264) lies
  // inside half 1 when it is written.
  d.Advance(62);
  d.Advance(3, 3);
  d.Advance(1);
  ASSERT_TRUE(WaitFor([&] { return o.BufferBasePosition.load() == 128; }));
  { MixerGuard hold; }
  EXPECT_EQ(o.UnderrunCount.load(), 1);
  ASSERT_TRUE(WaitFor([&] { return Recorder.AsyncCount(AsyncUnderrun) == 1; }));
  EXPECT_EQ(Recorder.AsyncPosts().back(), std::make_pair(1, int64_t(1)));
  // A second underrun while the first post is pending is counted, not posted.
  d.Advance(61);
  d.Advance(3, 3);
  ASSERT_TRUE(WaitFor([&] { return o.BufferBasePosition.load() == 192; }));
  { MixerGuard hold; }
  EXPECT_EQ(o.UnderrunCount.load(), 2);
  EXPECT_EQ(Recorder.AsyncCount(AsyncUnderrun), 1);
}

TEST_F(OutputTest, ScopeThreadPostsAtScopePositionsUnlessPaused) {
  TAudioOutputState& o = AudioOutput();
  SetMixLatency(2560);  // scope every 1280 frames
  OpenAudioOutput();
  ASSERT_TRUE(o.OutputOpen.load());
  StopMixThread();  // only the device and the scope thread run here
  RestartStream();
  StartScopeThread();
  // The stream starts at 10240 bytes; scope positions lie at 16 (moved off
  // the half position 0), 5120, 10256 and 15360: this reaches only 10256.
  Device().Advance(1000, 100);
  ASSERT_TRUE(WaitFor([&] { return Recorder.AsyncCount(AsyncScope) >= 1; }));
  AsyncUpdateHandled(AsyncScope);
  const int before = Recorder.AsyncCount(AsyncScope);
  PauseScopeThread();
  Device().Advance(2600, 100);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(Recorder.AsyncCount(AsyncScope), before);
  ResumeScopeThread();
  Device().Advance(1300, 100);
  EXPECT_TRUE(WaitFor([&] { return Recorder.AsyncCount(AsyncScope) > before; }));
}

TEST_F(OutputTest, ChosenDeviceThenDefaultThenClosedWithItsMessage) {
  TAudioOutputState& o = AudioOutput();
  Backend->Names = {"Card A", "Card B"};
  o.SoundDeviceName = "Card B";
  OpenAudioOutput();
  ASSERT_TRUE(o.OutputOpen.load());
  EXPECT_EQ(Backend->LastOpenedName, "Card B");
  CloseAudioOutput();
  EXPECT_FALSE(o.OutputOpen.load());
  EXPECT_EQ(o.OutputBuffer, nullptr);

  Backend->FailNames = {"Card B"};
  OpenAudioOutput();
  ASSERT_TRUE(o.OutputOpen.load());
  EXPECT_EQ(Backend->LastOpenedName, "");  // the default device
  EXPECT_EQ(o.SoundDeviceName, "");        // the choice is forgotten
  CloseAudioOutput();

  Backend->FailDefault = true;
  o.SoundDeviceName = "Card B";
  const TCommandResult failed = OpenAudioOutput();
  EXPECT_FALSE(o.OutputOpen.load());
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.Message, "Cannot open the output device \"\"");
  EXPECT_FALSE(o.MixThread);
  EXPECT_EQ(GetPlayPosition(), 0);

  // Audio output switched off: nothing opens.
  Backend->FailDefault = false;
  o.UseWAV = false;
  OpenAudioOutput();
  EXPECT_FALSE(o.OutputOpen.load());
  o.UseWAV = true;
}

TEST_F(OutputTest, AMixThreadTheSystemRefusesLeavesTheOutputClosedWithAMessage) {
  TAudioOutputState& o = AudioOutput();
  {
    testing::TThreadStartLimit limit(0);
    const TCommandResult opened = OpenAudioOutput();
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.Message.rfind("The sound output can't play: The system refused a new thread", 0), 0u)
        << opened.Message;
    EXPECT_FALSE(o.OutputOpen.load());
    EXPECT_FALSE(o.MixThread);
    EXPECT_EQ(o.SuspendDepth, 0);
    EXPECT_FALSE(MixerLockHeldByThisThread());
    StartScopeThread();  // no thread: the scope stays still
    EXPECT_FALSE(o.ScopeThread);
  }
  ASSERT_TRUE(OpenAudioOutput());
  EXPECT_TRUE(o.OutputOpen.load());
  EXPECT_TRUE(o.MixThread);
}

TEST_F(OutputTest, NoSoundCardLeavesTheOutputClosedWithAMessage) {
  SetAudioBackend(std::make_unique<TRtAudioBackend>());
  TAudioOutputState& o = AudioOutput();
  o.SoundDeviceName = "Some Card That Is Not Here";
  const TCommandResult opened = OpenAudioOutput();
  if (!o.OutputOpen.load()) {
    EXPECT_FALSE(opened);
    EXPECT_FALSE(opened.Message.empty());
    EXPECT_FALSE(o.MixThread);
  }
  EXPECT_EQ(o.SoundDeviceName, "");
  CloseAudioOutput();
  EXPECT_FALSE(o.OutputOpen.load());
}

TEST_F(OutputTest, CpuFigureIsTheMixThreadsShareOfItsDeadline) {
  TAudioOutputState& o = AudioOutput();
  o.MixDeadline = 0;
  EXPECT_EQ(CPUUsage(), -1);
  o.MixDeadline = 200000000;  // 8820 frames
  o.MixThreadTime = 50000000;
  EXPECT_EQ(CPUUsage(), 25);
  o.MixThreadTime = 51000000;
  EXPECT_EQ(CPUUsage(), 26);
  // A song of a few voices in blocks of 8820 frames: each block may take
  // 200 ms, and its mix takes a small share of that, however the device
  // asks for the halves. Here it asks for both at once, as a device whose
  // period is longer than a block does.
  TestSong song(140);
  BuildBeat(song);
  {
    MixerGuard hold;
    StartPattern(Mixer(), *song.Song, 1, 8820);
  }
  o.MeasureCPU = true;
  SetMixLatency(8820);
  OpenAudioOutput();
  for (int k = 1; k <= 4; ++k) {
    const int64_t before = o.BufferBasePosition.load();
    Device().Advance(2 * 8820, 2 * 8820);
    ASSERT_TRUE(WaitFor([&] { return o.BufferBasePosition.load() >= before + 2 * 8820; })) << k;
    { MixerGuard hold; }
    const int usage = CPUUsage();
    EXPECT_GE(usage, 0);
    EXPECT_LT(usage, 25) << "block pair " << k;
    EXPECT_EQ(o.MixDeadline, 200000000);
  }
  o.MeasureCPU = false;
}

TEST_F(OutputTest, StoppingTheMixThreadUnderTheMixerLockIsRefused) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_DEATH(
      {
        MixerGuard hold;
        StopMixThread();
      },
      "MixerLock");
}

TEST_F(OutputTest, StopKeepsTheSuspensionsOfOthers) {
  TAudioOutputState& o = AudioOutput();
  SetMixLatency(64);
  OpenAudioOutput();
  ASSERT_TRUE(o.MixThread);
  std::atomic<bool> suspended{false}, release{false};
  std::thread holder([&] {
    SuspendOutput();
    suspended = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ResumeOutput();
  });
  ASSERT_TRUE(WaitFor([&] { return suspended.load(); }));
  StopMixThread();  // the idle mix thread ends without the held lock
  EXPECT_FALSE(o.MixThread);
  EXPECT_EQ(o.SuspendDepth, 1);  // the holder's suspension still counts
  release = true;
  holder.join();
  EXPECT_EQ(o.SuspendDepth, 0);
  // The holder's resume was the last one: the buffer plays again (silence).
  EXPECT_TRUE(Buffer().Playing());
}

TEST_F(OutputTest, MixingIntoTheStreamAllocatesNothing) {
  TestSong t(140);
  BuildBeat(t);
  TAudioOutputState& o = AudioOutput();
  o.LatencyOffset = 0;  // the device sits in the half being written: underruns
  {
    MixerGuard hold;
    StartPattern(Mixer(), *t.Song, 1, 512);
  }
  ASSERT_TRUE(OpenOutputDevice());
  SetMixLatency(512);
  SetEngineListener(nullptr);
  Device().Advance(3);  // the device reaches the first half
  long allocations = 0;
  {
    testing::AllocCounter counter;
    for (int k = 0; k < 40; ++k) MixHalf(k % 2);
    allocations = counter.Count();
  }
  EXPECT_EQ(allocations, 0);
  EXPECT_GE(o.UnderrunCount.load(), 1);
  EXPECT_EQ(o.BufferBasePosition.load(), 40 * 512);
  TWaveFormatRecord f;
  EXPECT_TRUE(GetPrimaryFormat(f));
  EXPECT_EQ(f.SamplesPerSec, 44100u);
  EXPECT_EQ(f.BlockAlign, 4);
  CloseOutputDevice();
  EXPECT_FALSE(GetPrimaryFormat(f));
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(OutputTest, StoppedInSilenceTheMixThreadSleepsAndANoteWakesItToBeHeard) {
  constexpr int32_t Block = 512;
  TAudioOutputState& o = AudioOutput();
  {
    MixerGuard hold;
    Mixer().SetBlockFrames(Block);
  }
  o.LatencyOffset = Block * 4;
  OpenAudioOutput();
  ASSERT_TRUE(o.OutputOpen.load());
  ASSERT_EQ(BlockFrames(), Block);
  PlayBlocks(Device(), 2, Block);
  // Silence in both halves from a stopped mixer: the thread rests, and
  // the device plays on without a block being mixed.
  Device().Advance(Block);
  ASSERT_TRUE(WaitFor([&] { return o.MixerResting.load(); }));
  const int64_t mixed = o.BufferBasePosition.load();
  const size_t before = Device().Received.size();
  Device().Advance(8 * Block);
  EXPECT_TRUE(o.MixerResting.load());
  EXPECT_EQ(o.BufferBasePosition.load(), mixed);
  for (size_t i = before; i < Device().Received.size(); ++i) ASSERT_EQ(Device().Received[i], 0) << i;
  // A note (any change under the mixer's lock) wakes it, and is heard
  // within the two halves ahead.
  TWAVSample note;
  note.SetFrames(std::vector<int16_t>(size_t(Block) * 8, 8000));
  ASSERT_TRUE(AddVoice(&note, Mixer().MixPosition, 64, Block * 4, 0, 0, 1.0f));
  EXPECT_FALSE(o.MixerResting.load());
  const size_t woken = Device().Received.size();
  bool heard = false;
  for (int k = 1; k <= 3 && !heard; ++k) {
    Device().Advance(1);
    ASSERT_TRUE(WaitFor([&] { return o.BufferBasePosition.load() == mixed + k * Block; })) << k;
    Device().Advance(Block - 1);
    for (size_t i = woken; i < Device().Received.size(); ++i) heard |= Device().Received[i] != 0;
  }
  EXPECT_TRUE(heard);
}

TEST_F(OutputTest, NullDevicePlaysASongInRealTimeWithoutUnderruns) {
  const auto dir = std::filesystem::temp_directory_path() / ("vs_mix_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto wav = dir / "played.wav";
  SetAudioBackend(std::make_unique<TNullAudioBackend>(256, wav.string()));
  TestSong live(140), offline(140);
  BuildBeat(live);
  BuildBeat(offline);
  TAudioOutputState& o = AudioOutput();
  {
    MixerGuard hold;
    StartPattern(Mixer(), *live.Song, 1, 8820);
  }
  OpenAudioOutput();  // default latency: 8820 frames, 35280 bytes ahead
  ASSERT_TRUE(o.OutputOpen.load());
  ASSERT_EQ(BlockFrames(), 8820);
  ASSERT_EQ(o.LatencyOffset, 35280);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  const int64_t heard = GetPlayPosition();
  EXPECT_GT(heard, 44100);
  EXPECT_LT(heard, o.BufferBasePosition.load());
  CloseAudioOutput();
  const int64_t blocks = o.BufferBasePosition.load() / 8820;
  EXPECT_EQ(o.UnderrunCount.load(), 0);
  EXPECT_GE(blocks, 10);

  const auto bytes = ReadAll(wav);
  ASSERT_GT(bytes.size(), 44u + 8820 * 4);
  const size_t played = (bytes.size() - 44) / 4;
  TMixer reference;
  StartPattern(reference, *offline.Song, 1, 8820);
  reference.Echo.Setup(8820, EchoLine().DelayFrames());
  const auto expected = testing::MixFrames(reference, static_cast<int>(blocks));
  // The device starts with the cleared half.
  const size_t lead = 8820;
  for (size_t i = 0; i < lead * 4; ++i) ASSERT_EQ(bytes[44 + i], 0) << i;
  const size_t compare = std::min(played - lead, expected.size() / 2);
  EXPECT_GT(compare, size_t(44100));
  size_t firstDiff = compare;
  for (size_t i = 0; i < compare * 2 && firstDiff == compare; ++i) {
    int16_t v;
    std::memcpy(&v, bytes.data() + 44 + lead * 4 + 2 * i, 2);
    if (v != expected[i]) firstDiff = i / 2;
  }
  EXPECT_EQ(firstDiff, compare) << "of " << blocks << " blocks";
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vs
