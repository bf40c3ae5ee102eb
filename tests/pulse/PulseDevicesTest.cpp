// The program on PulseAudio: a private server with two sinks, the program
// started from its settings as a user would, and what it plays held
// against the offline render.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "core/SoundDevices.h"
#include "engine/Capture.h"
#include "engine/Mixer.h"
#include "engine/WAVFiles.h"
#include "pulse/PulseFixture.h"
#include "support/LiveSound.h"

namespace vs {
namespace {

using namespace std::chrono_literals;
using testing::TPulseTestServer;
using testing::WaitFor;
using TSink = TPulseTestServer::TSink;

class PulseDevicesTest : public testing::TLiveProgramTest {
protected:
  void SetUp() override {
    Server = std::make_unique<TPulseTestServer>();
    if (!Server->Running())
      GTEST_SKIP() << "No PulseAudio server could be started here (" << Server->WhyNot()
                   << "): the tests on PulseAudio are skipped.";
    UseOwnFolders();
  }
  void TearDown() override {
    TLiveProgramTest::TearDown();
    Server.reset();
  }

  auto Frames(TSink sink) {
    return [this, sink] { return Server->Frames(sink); };
  }
  auto Played(TSink sink) {
    return [this, sink] { return Server->Played(sink); };
  }

  std::unique_ptr<TPulseTestServer> Server;
};

TEST_F(PulseDevicesTest, WithNoneChosenTheDefaultSinkPlaysTheSongAsItsRenderHasIt) {
  TProgram& program = Start();
  const std::vector<std::string>& items = program.SoundDevices.Items;
  ASSERT_GE(items.size(), 3u);
  EXPECT_EQ(items[0], "PulseAudio: Card");  // the server's default first
  EXPECT_EQ(items[1], "PulseAudio: Side");
  EXPECT_EQ(items.back(), "(none)");
  ASSERT_TRUE(AudioOutput().OutputOpen.load()) << program.OutputError;
  EXPECT_EQ(AudioOutput().Device->Name(), "PulseAudio: Card");

  const testing::TLiveMatch m = testing::PlayBars(Tmp / "offline.wav", 3, Frames(TSink::CardSink), Played(TSink::CardSink));
  ASSERT_TRUE(m.Found) << "nothing was heard";
  EXPECT_EQ(m.Bars, 3);
  EXPECT_EQ(m.Differing, 0);
  EXPECT_EQ(m.PeakLive, m.PeakRender);
}

TEST_F(PulseDevicesTest, AChosenSinkIsPlayedOnByNameAndKeptAtTheClose) {
  Store({{"DS Driver Name", "PulseAudio: Side"}});
  TProgram& program = Start();
  ASSERT_TRUE(AudioOutput().OutputOpen.load()) << program.OutputError;
  EXPECT_EQ(program.SoundDevices.Items[size_t(program.SoundDevices.ItemIndex)], "PulseAudio: Side");

  const testing::TLiveMatch m = testing::PlayBars(Tmp / "offline.wav", 2, Frames(TSink::SideSink), Played(TSink::SideSink));
  EXPECT_EQ(m.Bars, 2);
  EXPECT_EQ(m.Differing, 0);
  const std::vector<int16_t> elsewhere = Server->Played(TSink::CardSink);
  EXPECT_TRUE(std::all_of(elsewhere.begin(), elsewhere.end(), [](int16_t v) { return v == 0; }));

  EXPECT_TRUE(program.ShutDown());
  EXPECT_EQ(Stored("DS Driver Name"), "PulseAudio: Side");
}

// The server takes 1024 frames at a time and may refill its whole buffer
// of 8192 after a hold-up: 1024 + 8192 frames and the mix's 10 ms, 219 ms.
TEST_F(PulseDevicesTest, ThirtySecondsAtTheLeastAheadDurationTheWindowOffersPlayWithoutAnUnderrun) {
  Store({{"Buffer Length", "64"}, {"Ahead Length", "64"}});
  TProgram& program = Start();
  ASSERT_TRUE(AudioOutput().OutputOpen.load()) << program.OutputError;
  const testing::TLeastAheadRun run =
      testing::PlayAtTheLeastAhead(program.Prefs, Tmp / "offline.wav", Frames(TSink::CardSink), Played(TSink::CardSink));
  EXPECT_EQ(run.LeastMs, 219);
  if (const std::string why = testing::HeldUpReason(run); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(run.Underruns, 0) << run.Seen;
  EXPECT_EQ(run.Match.Bars, 38);
  EXPECT_EQ(run.Match.Differing, 0);
}

TEST_F(PulseDevicesTest, TheCapturePathRecordsFromTheSinksMonitorWhatThePlaybackPlayed) {
  TProgram& program = Start();
  ASSERT_TRUE(AudioOutput().OutputOpen.load()) << program.OutputError;
  const std::vector<std::string> names = CaptureDeviceNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "PulseAudio: Monitor of Side"), names.end());
  SetCaptureDeviceName("PulseAudio: Monitor of Card");
  ASSERT_TRUE(OpenCapture(44100 * 4 * 6)) << CaptureOpenError();
  StartCapture();
  const testing::TLiveMatch played =
      testing::PlayBars(Tmp / "offline.wav", 3, Frames(TSink::CardSink), Played(TSink::CardSink));
  EXPECT_EQ(played.Differing, 0);
  ASSERT_TRUE(WaitFor([] { return !StillCapturing(); }, 20s));
  const std::vector<uint8_t> bytes = ReadCapture();
  CloseCapture();
  SetCaptureDeviceName("");
  ASSERT_EQ(bytes.size(), size_t(44100 * 4 * 6));
  std::vector<int16_t> recorded(bytes.size() / 2);
  std::memcpy(recorded.data(), bytes.data(), bytes.size());
  TWAVSample render;
  ASSERT_EQ(LoadWAVSample(Tmp / "offline.wav", render), 0);
  const testing::TLiveMatch m = testing::MatchLive(recorded, {render.Data.begin(), render.Data.end()}, 3);
  EXPECT_EQ(m.Bars, 3);
  EXPECT_EQ(m.Differing, 0);
  EXPECT_EQ(m.PeakLive, m.PeakRender);
}

TEST_F(PulseDevicesTest, TheServerGoingAwayClosesTheOutputWithItsMessageAndTheProgramGoesOn) {
  Start();
  ASSERT_TRUE(AudioOutput().OutputOpen.load());
  testing::OutputLostRecorder listener;
  SetEngineListener(&listener);
  TSong* song = &CurrentSong();
  testing::MakeCurrentAndRender(testing::HitsBar(), Tmp / "offline.wav");
  song = &CurrentSong();
  StartButtonClick(true, true);
  SetCaptureDeviceName("PulseAudio: Monitor of Card");
  ASSERT_TRUE(OpenCapture(44100 * 4 * 30)) << CaptureOpenError();
  StartCapture();
  ASSERT_TRUE(WaitFor([] { return GetCapturePosition() > 0; }, 10s));

  Server->Kill();
  ASSERT_TRUE(WaitFor([] { return !AudioOutput().OutputOpen.load(); }, 10s));
  EXPECT_TRUE(WaitFor([&] { return listener.Lost.load(); }, 2s));
  const std::string message = TakeOutputLostMessage();
  EXPECT_EQ(message.rfind("The sound device \"PulseAudio: Card\" went away: the PulseAudio server went away", 0), 0u)
      << message;
  // A recording ends with what it had.
  EXPECT_TRUE(WaitFor([] { return !StillCapturing(); }, 5s));
  EXPECT_GT(GetCapturePosition(), 0u);
  CloseCapture();
  SetCaptureDeviceName("");
  // A server gone has no devices to offer.
  for (const std::string& item : ListSoundDevices(TPreferences{}).Items)
    EXPECT_EQ(item.rfind("PulseAudio: ", 0), std::string::npos) << item;
  // The program goes on with its song: it plays on without the device,
  // stops and closes.
  EXPECT_EQ(&CurrentSong(), song);
  EXPECT_EQ(CurrentSong().ChannelCount(), 2);
  EXPECT_TRUE(Mixer().Playing.load());
  StartButtonClick(false, true);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_TRUE(Program->ShutDown());
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 8s);
}

}  // namespace
}  // namespace vs
