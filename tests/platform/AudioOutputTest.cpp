#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/AudioOutput.h"
#include "platform/AutoResetEvent.h"
#include "platform/DriverClose.h"
#include "platform/ManualAudioOutput.h"
#include "platform/NullAudioOutput.h"
#include "platform/RtAudioOutput.h"
#include "support/ThreadStartLimit.h"

namespace vs {
namespace {

TEST(AutoResetEvent, SignalIsTakenOnceAndWaitForAnyPicksTheSignalled) {
  TAutoResetEvent a, b, c;
  TAutoResetEvent* list[] = {&a, &b, &c};
  EXPECT_EQ(WaitForAny(list, 3, 0), -1);
  c.Set();
  b.Set();
  EXPECT_EQ(WaitForAny(list, 3, 0), 1);  // the first signalled in list order
  EXPECT_EQ(WaitForAny(list, 3, 0), 2);
  EXPECT_EQ(WaitForAny(list, 3, 0), -1);  // auto reset
  a.Set();
  a.Set();  // two signals before a wait count once
  EXPECT_TRUE(a.Wait(0));
  EXPECT_FALSE(a.Wait(0));
  EXPECT_EQ(WaitForAny(nullptr, 0, 0), -1);
}

TEST(AutoResetEvent, WaitWakesWhenAnotherThreadSignals) {
  TAutoResetEvent a, b;
  TAutoResetEvent* list[] = {&a, &b};
  std::thread t([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    b.Set();
  });
  EXPECT_EQ(WaitForAny(list, 2, -1), 1);
  t.join();
  // A short time-out returns without a signal.
  EXPECT_FALSE(a.Wait(5));
}

// Events that share a wake word wake their one waiter; a wait for events
// of different words is woken by any of them.
TEST(AutoResetEvent, SharedAndMixedWakeWordsWakeTheirWaiters) {
  TWakeWord word;
  TAutoResetEvent shared0(word), shared1(word), own;
  TAutoResetEvent* group[] = {&shared0, &shared1};
  TAutoResetEvent* mixed[] = {&own, &shared1};
  std::thread t([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    own.Set();  // another word: the group's waiter sleeps on
    shared1.Set();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    own.Set();
  });
  EXPECT_EQ(WaitForAny(group, 2, -1), 1);
  EXPECT_EQ(WaitForAny(mixed, 2, -1), 0);
  t.join();
  EXPECT_FALSE(shared0.IsSet());
  EXPECT_EQ(word.Waiters.load(), 0);
}

TEST(StreamBuffer, LockGivesTwoRegionsAcrossTheEnd) {
  TStreamBuffer buffer(64);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_TRUE(buffer.Lock(48, 32, &p1, &n1, &p2, &n2));
  EXPECT_EQ(p1, buffer.Memory() + 48);
  EXPECT_EQ(n1, 16u);
  EXPECT_EQ(p2, buffer.Memory());
  EXPECT_EQ(n2, 16u);
  ASSERT_TRUE(buffer.Lock(0, 64, &p1, &n1, &p2, &n2));
  EXPECT_EQ(n1, 64u);
  EXPECT_EQ(p2, nullptr);
  EXPECT_EQ(n2, 0u);
  EXPECT_FALSE(buffer.Lock(64, 4, &p1, &n1, &p2, &n2));
  EXPECT_FALSE(buffer.Lock(0, 65, &p1, &n1, &p2, &n2));
  EXPECT_FALSE(buffer.Lock(0, 0, &p1, &n1, &p2, &n2));
}

TEST(StreamBuffer, DevicePlaysLoopingAndSignalsPositionsItReaches) {
  TManualAudioBackend backend;
  std::string error;
  auto opened = backend.OpenDevice("", &error);
  ASSERT_TRUE(opened);
  auto* device = backend.LastDevice;
  TStreamBuffer* buffer = device->CreateStreamBuffer(32);  // 8 frames
  for (int i = 0; i < 16; ++i) const_cast<uint8_t*>(buffer->Memory())[2 * i] = uint8_t(i);
  TAutoResetEvent e0, e1;
  TNotifyPosition pos[] = {{16, &e0}, {0, &e1}};
  ASSERT_TRUE(buffer->SetNotificationPositions(pos, 2));
  TNotifyPosition bad[] = {{32, &e0}};
  EXPECT_FALSE(buffer->SetNotificationPositions(bad, 1));

  // Stopped: nothing is played, cursors stay.
  EXPECT_EQ(device->Advance(4), 0u);
  EXPECT_TRUE(device->Received.empty());

  ASSERT_TRUE(buffer->SetCurrentPosition(16 + 3));  // rounds down to frame 4
  buffer->Play();
  EXPECT_FALSE(buffer->SetNotificationPositions(pos, 2));  // not while playing
  EXPECT_EQ(device->Advance(1), 1u);
  EXPECT_TRUE(e0.Wait(0));  // reached position 16 at once
  EXPECT_FALSE(e1.Wait(0));
  uint32_t play, write;
  buffer->GetCurrentPosition(&play, &write);
  EXPECT_EQ(play, 16u);
  EXPECT_EQ(write, 20u);
  EXPECT_EQ(device->Advance(3, 2), 3u);
  buffer->GetCurrentPosition(&play, &write);
  EXPECT_EQ(write, 0u);  // wrapped
  EXPECT_EQ(play, 28u);
  EXPECT_FALSE(e1.Wait(0));
  device->Advance(1);
  EXPECT_TRUE(e1.Wait(0));
  // The bytes played are frames 4..7 then 0.
  ASSERT_EQ(device->Received.size(), 20u);
  EXPECT_EQ(device->Received[0], 8);
  EXPECT_EQ(device->Received[12], 14);
  EXPECT_EQ(device->Received[16], 0);
  // A piece longer than the buffer goes round and still signals.
  device->Advance(20, 20);
  EXPECT_TRUE(e0.Wait(0));
  buffer->Stop();
  EXPECT_EQ(device->Advance(2), 0u);
  device->ReleaseStreamBuffer();
  EXPECT_EQ(device->StreamBuffer(), nullptr);
  EXPECT_EQ(device->Advance(2), 0u);
}

// The left value of a frame the device played.
int16_t LeftOf(const TManualAudioDevice& device, size_t frame) {
  int16_t v;
  std::memcpy(&v, device.Received.data() + frame * 4, 2);
  return v;
}

// A device playing a buffer of two halves of 4 frames, and the writer's
// pieces of it.
class StreamBufferHalves : public ::testing::Test {
protected:
  TManualAudioBackend Backend;
  std::string Error;
  std::unique_ptr<TAudioDevice> Opened = Backend.OpenDevice("", &Error);
  TManualAudioDevice& device = *Backend.LastDevice;
  TStreamBuffer& buffer = *device.CreateStreamBuffer(32);
  void *p1 = nullptr, *p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
};

TEST_F(StreamBufferHalves, EachHalfBelongsToTheWriterOrTheDeviceAndANotReadyHalfPlaysSilence) {
  // Frames first, first + 1, ... (left values; the right ones alike).
  auto fill = [&](int16_t first) {
    for (uint32_t i = 0; i < n1 / 2; ++i) static_cast<int16_t*>(p1)[i] = int16_t(first + i / 2);
  };
  ASSERT_TRUE(buffer.Lock(0, 32, &p1, &n1, &p2, &n2));
  fill(1);
  buffer.Unlock();
  buffer.Play();

  // The device is inside half 0: that half can't be written; half 1 can.
  device.Advance(2);
  EXPECT_FALSE(buffer.Lock(0, 16, &p1, &n1, &p2, &n2));
  EXPECT_FALSE(buffer.Lock(8, 16, &p1, &n1, &p2, &n2));  // reaches into half 0
  ASSERT_TRUE(buffer.Lock(16, 16, &p1, &n1, &p2, &n2));
  fill(50);
  // The writer is late: the device reaches half 1 before it is handed over
  // and plays silence there, once counted.
  device.Advance(4);
  EXPECT_EQ(buffer.Underruns(), 1u);
  EXPECT_EQ(LeftOf(device, 3), 4);
  EXPECT_EQ(LeftOf(device, 4), 0);
  EXPECT_EQ(LeftOf(device, 5), 0);
  // Handed over: the rest of the half plays what was written.
  buffer.Unlock();
  device.Advance(2);
  EXPECT_EQ(LeftOf(device, 6), 52);
  EXPECT_EQ(LeftOf(device, 7), 53);
  EXPECT_EQ(buffer.Underruns(), 1u);
  // Half 0 was played and left: it is the writer's again, and nothing new
  // was written there, so going round the device plays silence rather than
  // the old block.
  device.Advance(1);
  EXPECT_EQ(LeftOf(device, 8), 0);
  EXPECT_EQ(buffer.Underruns(), 2u);
  ASSERT_TRUE(buffer.Lock(0, 16, &p1, &n1, &p2, &n2));
  fill(70);
  buffer.Unlock();
  device.Advance(1);
  EXPECT_EQ(LeftOf(device, 9), 71);
  // A stop gives the device's half back as it was.
  EXPECT_FALSE(buffer.Lock(0, 16, &p1, &n1, &p2, &n2));
  buffer.Stop();
  ASSERT_TRUE(buffer.Lock(0, 32, &p1, &n1, &p2, &n2));
  buffer.Unlock();
}

TEST_F(StreamBufferHalves, ARestingWritersHalvesPlayRoundAfterRoundUntilItWritesAgain) {
  auto write = [&](uint32_t offset, int16_t value) {
    ASSERT_TRUE(buffer.Lock(offset, 16, &p1, &n1, &p2, &n2));
    std::fill_n(static_cast<int16_t*>(p1), n1 / 2, value);
    buffer.Unlock();
  };
  write(0, 5);
  write(16, 6);
  buffer.Play();
  buffer.Rest();
  device.Advance(24);  // three rounds
  EXPECT_EQ(buffer.Underruns(), 0u);
  EXPECT_EQ(LeftOf(device, 16), 5);
  EXPECT_EQ(LeftOf(device, 23), 6);
  // Back at work, it writes half 1 while the device plays half 0, which
  // still replays; half 1 once played is the writer's again.
  device.Advance(1);
  write(16, 9);
  device.Advance(11);
  EXPECT_EQ(LeftOf(device, 28), 9);
  EXPECT_EQ(LeftOf(device, 32), 5);
  EXPECT_EQ(buffer.Underruns(), 0u);
  device.Advance(1);
  EXPECT_EQ(LeftOf(device, 36), 0);
  EXPECT_EQ(buffer.Underruns(), 1u);
}

// A piece is played from its start: a position inside it is reached (and
// signalled) once a later piece moves the play cursor there, so whoever is
// woken reads a play cursor at or past the position.
TEST(StreamBuffer, APositionInsideThePiecePlayedIsSignalledWhenThePlayCursorGetsThere) {
  TManualAudioBackend backend;
  std::string error;
  auto opened = backend.OpenDevice("", &error);
  ASSERT_TRUE(opened);
  TStreamBuffer* buffer = backend.LastDevice->CreateStreamBuffer(64);  // 16 frames
  TAutoResetEvent e;
  TNotifyPosition pos[] = {{8, &e}};
  ASSERT_TRUE(buffer->SetNotificationPositions(pos, 1));
  buffer->SetCurrentPosition(0);
  buffer->Play();
  backend.LastDevice->Advance(4, 4);  // plays frames 0..3 from cursor 0
  EXPECT_FALSE(e.Wait(0));
  backend.LastDevice->Advance(4, 4);  // the play cursor comes to 16
  EXPECT_TRUE(e.Wait(0));
  uint32_t play = 0;
  buffer->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 16u);
  backend.LastDevice->Advance(4, 4);
  EXPECT_FALSE(e.Wait(0));  // once per time round
}

TEST(ManualBackend, OpensByNameAndRefusesUnknownOrFailingDevices) {
  TManualAudioBackend backend;
  backend.Names = {"Card A", "Card B"};
  std::string error;
  auto b = backend.OpenDevice("Card B", &error);
  ASSERT_TRUE(b);
  EXPECT_EQ(backend.LastDevice->Name(), "Card B");
  EXPECT_FALSE(backend.OpenDevice("Card C", &error));
  EXPECT_FALSE(error.empty());
  backend.FailNames.insert("Card A");
  EXPECT_FALSE(backend.OpenDevice("Card A", &error));
  auto def = backend.OpenDevice("", &error);
  ASSERT_TRUE(def);
  EXPECT_EQ(def->Name(), "Card A");
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(NullDevice, PlaysInRealTimeAndWritesWhatItPlayedToAWav) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("vs_null_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto wav = dir / "out.wav";
  std::ofstream(wav, std::ios::binary) << "old take";
  {
    TNullAudioBackend backend(441, wav.string());
    std::string error;
    EXPECT_FALSE(backend.OpenDevice("Other", &error));
    auto device = backend.OpenDevice("", &error);
    ASSERT_TRUE(device);
    TStreamBuffer* buffer = device->CreateStreamBuffer(441 * 4);
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_TRUE(buffer->Lock(0, buffer->Size(), &p1, &n1, &p2, &n2));
    for (uint32_t i = 0; i < n1 / 2; ++i) static_cast<int16_t*>(p1)[i] = int16_t(i + 1);
    buffer->Unlock();
    TAutoResetEvent start;
    TNotifyPosition pos{0, &start};
    ASSERT_TRUE(buffer->SetNotificationPositions(&pos, 1));
    buffer->Play();
    ASSERT_TRUE(start.Wait(2000));
    ASSERT_TRUE(start.Wait(2000));  // once more after 10 ms of playing
    buffer->Stop();
    auto* null = static_cast<TNullAudioDevice*>(device.get());
    EXPECT_GE(null->FramesPlayed(), 441u);
    EXPECT_TRUE(null->WavOk());
    // The old file stays whole until the new one is put in place on close.
    EXPECT_EQ(ReadFile(wav), std::vector<uint8_t>({'o', 'l', 'd', ' ', 't', 'a', 'k', 'e'}));
    device.reset();
  }
  // Nothing but the finished file is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
  const auto bytes = ReadFile(wav);
  ASSERT_GE(bytes.size(), 44u + 441 * 4);
  EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
  uint32_t dataBytes;
  std::memcpy(&dataBytes, bytes.data() + 40, 4);
  EXPECT_EQ(dataBytes, bytes.size() - 44);
  EXPECT_EQ(dataBytes % (441 * 4), 0u);
  int16_t first[2];
  std::memcpy(first, bytes.data() + 44, 4);
  EXPECT_EQ(first[0], 1);
  EXPECT_EQ(first[1], 2);
  std::filesystem::remove_all(dir);
}

// Where the system refuses a thread, a driver's close runs on the caller
// and a device that needs a thread of its own is not opened, with the
// reason.
TEST(ThreadLimit, ACloseRunsHereAndTheNullDeviceSaysWhyItDidNotOpen) {
  testing::TThreadStartLimit none(0);
  std::thread::id ranOn;
  EXPECT_TRUE(RunWithin([&] { ranOn = std::this_thread::get_id(); }));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  TNullAudioBackend backend(441);
  std::string error;
  EXPECT_FALSE(backend.OpenDevice("", &error));
  EXPECT_EQ(error, "The system refused a new thread (Resource temporarily unavailable).");
}

TEST(NullDevice, AWavThatCannotBeMadeIsReportedAndLeavesNothing) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("vs_null_missing_" + std::to_string(::getpid()));
  TNullAudioBackend backend(441, (dir / "out.wav").string());
  std::string error;
  auto device = backend.OpenDevice("", &error);
  ASSERT_TRUE(device);
  EXPECT_FALSE(static_cast<TNullAudioDevice*>(device.get())->WavOk());
  device.reset();
  EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST(RtAudioBackend, OpensOrFailsCleanlyWithAMessage) {
  TRtAudioBackend backend;
  std::string error;
  auto device = backend.OpenDevice("", &error);
  if (!device) {
    EXPECT_FALSE(error.empty());
  } else {
    TStreamBuffer* buffer = device->CreateStreamBuffer(8820 * 8);
    buffer->Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    buffer->Stop();
  }
  error.clear();
  EXPECT_FALSE(backend.OpenDevice("No Such Device 0x7f", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace vs
