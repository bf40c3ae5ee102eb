// The program on ALSA without a sound card: its default device is the file
// plug-in the test reads at a card's pace, the program started from its
// settings as a user would, and what it plays held against the offline
// render.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>

#include "alsa/AlsaFixture.h"
#include "engine/Capture.h"
#include "support/LiveSound.h"

namespace vs {
namespace {

using namespace std::chrono_literals;
using testing::TAlsaTestDevice;
using testing::WaitFor;

class AlsaDevicesTest : public testing::TLiveProgramTest {
protected:
  void SetUp() override {
    Device = std::make_unique<TAlsaTestDevice>(&testing::Climbing);
    if (!Device->Ready())
      GTEST_SKIP() << "ALSA's file device could not be set up here (" << Device->WhyNot()
                   << "): the tests on ALSA are skipped.";
    UseOwnFolders();
  }
  void TearDown() override {
    TLiveProgramTest::TearDown();
    Device.reset();
  }

  std::function<size_t()> Frames = [this] { return Device->Frames(); };
  std::function<std::vector<int16_t>()> Played = [this] { return Device->PlayedFrames(); };
  std::unique_ptr<TAlsaTestDevice> Device;
};

TEST_F(AlsaDevicesTest, WithNoneChosenTheDefaultDevicePlaysTheSongAsItsRenderHasIt) {
  TProgram& program = Start();
  EXPECT_EQ(program.SoundDevices.Items, (std::vector<std::string>{"ALSA: default", "(none)"}));
  ASSERT_TRUE(AudioOutput().OutputOpen.load()) << program.OutputError;
  EXPECT_EQ(AudioOutput().Device->Name(), "ALSA: default");
  const testing::TLiveMatch m = testing::PlayBars(Tmp / "offline.wav", 3, Frames, Played);
  ASSERT_TRUE(m.Found) << "nothing was heard";
  EXPECT_EQ(m.Bars, 3);
  EXPECT_EQ(m.Differing, 0);
  EXPECT_EQ(m.PeakLive, m.PeakRender);
}

// ALSA's plug-ins take the device's whole buffer of four 256-frame periods
// at a time: twice 1024 frames and the mix's 10 ms, 57 ms.
TEST_F(AlsaDevicesTest, ThirtySecondsOnTheChosenDeviceAtTheLeastAheadDurationPlayWithoutAnUnderrun) {
  Store({{"DS Driver Name", "ALSA: default"}, {"Buffer Length", "64"}, {"Ahead Length", "64"}});
  TProgram& program = Start();
  ASSERT_TRUE(AudioOutput().OutputOpen.load()) << program.OutputError;
  EXPECT_EQ(program.SoundDevices.Items[size_t(program.SoundDevices.ItemIndex)], "ALSA: default");
  const testing::TLeastAheadRun run = testing::PlayAtTheLeastAhead(program.Prefs, Tmp / "offline.wav", Frames, Played);
  EXPECT_EQ(run.LeastMs, 57);
  if (const std::string why = testing::HeldUpReason(run); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(run.Underruns, 0) << run.Seen;
  EXPECT_EQ(run.Match.Bars, 38);
  EXPECT_EQ(run.Match.Differing, 0);
  EXPECT_TRUE(program.ShutDown());
  EXPECT_EQ(Stored("DS Driver Name"), "ALSA: default");
}

TEST_F(AlsaDevicesTest, TheCapturePathRecordsTheDefaultDeviceFrameForFrame) {
  Store({{"Use WAV", "0"}});
  Start();
  EXPECT_EQ(CaptureDeviceNames(), (std::vector<std::string>{"ALSA: default"}));
  SetCaptureDeviceName("ALSA: default");
  ASSERT_TRUE(OpenCapture(44100 * 4 * 2)) << CaptureOpenError();
  StartCapture();
  ASSERT_TRUE(WaitFor([] { return !StillCapturing(); }, 15s));
  const std::vector<uint8_t> bytes = ReadCapture();
  CloseCapture();
  SetCaptureDeviceName("");
  ASSERT_EQ(bytes.size(), size_t(44100 * 4 * 2));
  std::vector<int16_t> got(bytes.size() / 2);
  std::memcpy(got.data(), bytes.data(), bytes.size());
  // At most the device's first buffer of silence (four periods of 256).
  EXPECT_EQ(testing::CheckClimbing(got, 1024), "");
}

}  // namespace
}  // namespace vs
