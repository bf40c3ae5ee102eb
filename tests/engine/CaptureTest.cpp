#include <gtest/gtest.h>

#include <cstring>

#include "engine/Capture.h"
#include "platform/FedAudioCapture.h"

namespace vs {
namespace {

class CaptureTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto backend = std::make_unique<TFedCaptureBackend>();
    Backend = backend.get();
    SetCaptureBackend(std::move(backend));
  }
  void TearDown() override {
    CloseCapture();
    SetCaptureBackend(nullptr);
  }
  TFedCaptureBackend* Backend = nullptr;
};

TEST_F(CaptureTest, RecordsOnceIntoAZeroedBufferOfTheRequestedSize) {
  const uint32_t bytes = 3 * 44100 * 4;
  ASSERT_TRUE(OpenCapture(bytes));
  EXPECT_TRUE(CaptureOpen());
  EXPECT_TRUE(OpenCapture(bytes));  // already open: kept
  EXPECT_EQ(Backend->OpenCount, 1);
  EXPECT_FALSE(StillCapturing());
  EXPECT_EQ(GetCapturePosition(), 0u);

  StartCapture();
  EXPECT_TRUE(StillCapturing());
  std::vector<int16_t> second(44100 * 2, 1234);
  EXPECT_EQ(Backend->LastDevice->Feed(second), 44100u);
  EXPECT_EQ(GetCapturePosition(), 44100u * 4);
  EXPECT_TRUE(StillCapturing());

  // Cancelled now: the copy holds what was captured and silence after it.
  std::vector<uint8_t> copy = ReadCapture();
  ASSERT_EQ(copy.size(), bytes);
  int16_t v;
  std::memcpy(&v, copy.data() + 44100 * 4 - 2, 2);
  EXPECT_EQ(v, 1234);
  for (size_t i = 44100 * 4; i < copy.size(); ++i) ASSERT_EQ(copy[i], 0) << i;

  Backend->LastDevice->Feed(second);
  Backend->LastDevice->Feed(second);
  EXPECT_EQ(Backend->LastDevice->Feed(second), 0u);
  EXPECT_FALSE(StillCapturing());  // full: the window stops the recording
  EXPECT_EQ(GetCapturePosition(), bytes);

  EXPECT_THROW(StartCapture(), TCaptureError);  // once, no looping
  CloseCapture();
  EXPECT_FALSE(CaptureOpen());
  EXPECT_EQ(GetCapturePosition(), 0u);
  EXPECT_TRUE(ReadCapture().empty());
}

TEST_F(CaptureTest, NoDeviceOrNoBufferLeavesTheCaptureClosed) {
  Backend->FailOpen = true;
  EXPECT_FALSE(OpenCapture(44100 * 4));
  EXPECT_FALSE(CaptureOpen());
  EXPECT_FALSE(CaptureOpenError().empty());
  try {
    StartCapture();
    FAIL() << "no error";
  } catch (const TCaptureError& e) {
    EXPECT_STREQ(e.what(), "Error while recording");
  }

  Backend->FailOpen = false;
  EXPECT_FALSE(OpenCapture(0));  // the buffer can't be made: closed again
  EXPECT_FALSE(CaptureOpen());
  EXPECT_EQ(Backend->OpenCount, 1);
  EXPECT_TRUE(OpenCapture(4096));  // and a later open works
}

}  // namespace
}  // namespace vs
