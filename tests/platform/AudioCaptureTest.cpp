#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/AudioCapture.h"
#include "platform/FedAudioCapture.h"
#include "platform/RtAudioCapture.h"

namespace vs {
namespace {

std::vector<int16_t> Ramp(uint32_t frames, int16_t first) {
  std::vector<int16_t> f(size_t(frames) * 2);
  for (uint32_t i = 0; i < frames; ++i) {
    f[2 * i] = static_cast<int16_t>(first + i);
    f[2 * i + 1] = static_cast<int16_t>(-(first + int(i)));
  }
  return f;
}

TEST(CaptureBuffer, FillsOnceFromTheStartAndStopsWhenFull) {
  TCaptureBuffer buffer(10 * 4 + 3);  // rounded down to 10 frames
  ASSERT_EQ(buffer.Size(), 40u);
  const std::vector<int16_t> in = Ramp(6, 100);
  EXPECT_EQ(buffer.Push(in.data(), 6), 0u);  // not started: nothing taken
  EXPECT_FALSE(buffer.Capturing());
  EXPECT_EQ(buffer.Position(), 0u);

  ASSERT_TRUE(buffer.Start());
  EXPECT_TRUE(buffer.Capturing());
  EXPECT_EQ(buffer.Push(in.data(), 6), 6u);
  EXPECT_EQ(buffer.Position(), 24u);
  EXPECT_TRUE(buffer.Capturing());
  EXPECT_EQ(buffer.Push(in.data(), 6), 4u);  // only the room left
  EXPECT_EQ(buffer.Position(), 40u);
  EXPECT_FALSE(buffer.Capturing());          // full: no looping
  EXPECT_EQ(buffer.Push(in.data(), 6), 0u);
  EXPECT_FALSE(buffer.Start());              // a buffer captures once

  const std::vector<uint8_t> all = buffer.ReadAll();
  ASSERT_EQ(all.size(), 40u);
  int16_t frames[20];
  std::memcpy(frames, all.data(), 40);
  EXPECT_EQ(frames[0], 100);
  EXPECT_EQ(frames[11], -105);
  EXPECT_EQ(frames[12], 100);  // the second push starts over at its first frame
  EXPECT_EQ(frames[19], -103);
}

TEST(CaptureBuffer, AStoppedCaptureReadsZerosAfterWhatWasCaptured) {
  TCaptureBuffer buffer(8 * 4);
  ASSERT_TRUE(buffer.Start());
  const std::vector<int16_t> in = Ramp(3, 7);
  buffer.Push(in.data(), 3);
  buffer.Stop();
  EXPECT_FALSE(buffer.Capturing());
  EXPECT_EQ(buffer.Push(in.data(), 3), 0u);
  std::vector<uint8_t> all = buffer.ReadAll();
  for (size_t i = 12; i < all.size(); ++i) ASSERT_EQ(all[i], 0) << i;
  int16_t first;
  std::memcpy(&first, all.data(), 2);
  EXPECT_EQ(first, 7);
  // Reads at the edges.
  uint8_t b[8];
  EXPECT_EQ(buffer.Read(28, b, 8), 4u);
  EXPECT_EQ(buffer.Read(32, b, 8), 0u);
  EXPECT_EQ(buffer.Read(0, nullptr, 8), 0u);
}

TEST(CaptureDevice, BufferSizesOutsideTheLimitsAreRefused) {
  TFedCaptureBackend backend;
  auto device = backend.OpenDefaultCapture(nullptr);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->CreateBuffer(0), nullptr);
  EXPECT_EQ(device->CreateBuffer(3), nullptr);
  EXPECT_EQ(device->CreateBuffer(MaxCaptureBytes + 4), nullptr);
  TCaptureBuffer* b = device->CreateBuffer(44100 * 4);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Size(), 44100u * 4);
  EXPECT_EQ(backend.LastDevice->Feed(Ramp(10, 1)), 0u);  // not started
  b->Start();
  EXPECT_EQ(backend.LastDevice->Feed(Ramp(10, 1)), 10u);
  device->ReleaseBuffer();
  EXPECT_EQ(backend.LastDevice->Feed(Ramp(10, 1)), 0u);  // dropped without a buffer

  backend.FailOpen = true;
  std::string error;
  EXPECT_FALSE(backend.OpenDefaultCapture(&error));
  EXPECT_FALSE(error.empty());
}

TEST(CaptureDevice, ReleasingWhileTheDriverDeliversIsSafe) {
  TFedCaptureBackend backend;
  auto device = backend.OpenDefaultCapture(nullptr);
  std::atomic<bool> stop{false};
  device->CreateBuffer(1 << 20)->Start();
  std::thread driver([&] {
    const std::vector<int16_t> piece = Ramp(64, 0);
    while (!stop.load()) backend.LastDevice->Feed(piece);
  });
  for (int i = 0; i < 200; ++i) {
    TCaptureBuffer* b = device->CreateBuffer(4096);
    ASSERT_NE(b, nullptr);
    b->Start();
    (void)b->ReadAll();
  }
  stop.store(true);
  driver.join();
}

// Wherever this runs, the real backend either opens the default input or
// fails with a message; it never crashes or hangs.
TEST(RtAudioCapture, OpensOrFailsCleanly) {
  TRtAudioCaptureBackend backend;
  std::string error;
  auto device = backend.OpenDefaultCapture(&error);
  if (!device) {
    EXPECT_FALSE(error.empty());
    return;
  }
  TCaptureBuffer* b = device->CreateBuffer(4410 * 4);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->Start());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_LE(b->Position(), b->Size());
}

}  // namespace
}  // namespace vs
