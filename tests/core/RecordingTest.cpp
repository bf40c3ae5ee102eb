// A quick recording on the capture layer's test device: the output closed
// around the capture, a stop that keeps what came so far, the bounds dragged
// past each other, the next free file name, and the saved file loaded into
// the channel only when the box closes after a save.

#include "core/Recording.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "engine/Capture.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "platform/FedAudioCapture.h"
#include "platform/ManualAudioOutput.h"
#include "support/TempDir.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// n frames of a ramp: left i, right -i.
std::vector<int16_t> Ramp(int n, int from = 1) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    f[2 * size_t(i)] = int16_t(from + i);
    f[2 * size_t(i) + 1] = int16_t(-(from + i));
  }
  return f;
}

class RecordingTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  TFedCaptureBackend* Capture = nullptr;
  TManualAudioBackend* Output = nullptr;

  void SetUp() override {
    ProgramPaths() = {};
    ProgramPaths().AppPath = Tmp.Dir() + "/";
    auto capture = std::make_unique<TFedCaptureBackend>();
    Capture = capture.get();
    SetCaptureBackend(std::move(capture));
    auto output = std::make_unique<TManualAudioBackend>();
    Output = output.get();
    SetAudioBackend(std::move(output));
    AudioOutput().UseWAV = true;
    OpenAudioOutput();
    PendingRecordedFile().clear();
  }
  void TearDown() override {
    CloseAudioOutput();
    SetAudioBackend(nullptr);
    SetCaptureBackend(nullptr);
    PendingRecordedFile().clear();
    ProgramPaths() = {};
  }
};

TEST_F(RecordingTest, TheOutputRestsWhileCapturingAndAStopKeepsWhatCameSoFar) {
  ASSERT_TRUE(AudioOutput().OutputOpen.load());
  PendingRecordedFile() = "old.wav";
  TRecording rec;
  ASSERT_TRUE(rec.Start(2));
  EXPECT_FALSE(AudioOutput().OutputOpen.load());
  EXPECT_EQ(rec.CaptureBytes, 2u * 44100 * 4);
  EXPECT_EQ(PendingRecordedFile(), "");
  Capture->LastDevice->Feed(Ramp(1000));
  EXPECT_EQ(rec.Position(), 4000u);
  EXPECT_TRUE(rec.Poll());
  // Cancelled while capturing: the whole buffer, silence after what came.
  rec.Stop();
  EXPECT_FALSE(rec.Capturing());
  EXPECT_FALSE(CaptureOpen());
  EXPECT_TRUE(AudioOutput().OutputOpen.load());
  ASSERT_EQ(rec.Recorded.Length, 2 * 44100);
  EXPECT_EQ(rec.Recorded.Data[2 * 999], 1000);
  EXPECT_EQ(rec.Recorded.Data[2 * 1000], 0);
  EXPECT_EQ(rec.TrimStart, 0);
  EXPECT_EQ(rec.TrimLength, 2 * 44100);
  EXPECT_EQ(rec.View.Length, 2 * 44100);

  // A full buffer ends the capture at the next look.
  ASSERT_TRUE(rec.Start(1));
  Capture->LastDevice->Feed(Ramp(44100 + 10));
  EXPECT_FALSE(rec.Poll());
  EXPECT_EQ(rec.Recorded.Length, 44100);
  EXPECT_EQ(rec.Recorded.Data[2 * 44099], int16_t(44100));

  // No capture device: the output opens again and nothing is recorded.
  Capture->FailOpen = true;
  EXPECT_FALSE(rec.Start(3));
  EXPECT_FALSE(rec.Capturing());
  EXPECT_TRUE(AudioOutput().OutputOpen.load());
}

TEST_F(RecordingTest, BoundsFollowTheMouseAndNeverLeaveTheRecording) {
  TRecording rec;
  ASSERT_TRUE(rec.Start(1));
  Capture->LastDevice->Feed(Ramp(44100));
  rec.Poll();
  // A box 441 pixels wide: 100 frames a pixel.
  EXPECT_EQ(rec.FrameAt(100, 441), 10000);
  EXPECT_EQ(rec.ChooseBound(100, 441), 0);
  EXPECT_EQ(rec.ChooseBound(300, 441), 1);
  rec.MoveBound(0, 100, 441);
  EXPECT_EQ(rec.TrimStart, 10000);
  EXPECT_EQ(rec.TrimLength, 34100);
  rec.MoveBound(1, 300, 441);
  EXPECT_EQ(rec.TrimLength, 20000);
  EXPECT_EQ(rec.BoundXs(441), std::pair(100, 299));
  ASSERT_EQ(rec.View.Length, 20000);
  EXPECT_EQ(rec.View.Data[0], 10001);

  // The end dragged left of the start takes the start along: one frame.
  rec.MoveBound(1, 50, 441);
  EXPECT_EQ(rec.TrimStart, 5000);
  EXPECT_EQ(rec.TrimLength, 1);
  EXPECT_EQ(rec.View.Length, 1);
  // Out of the box on either side.
  rec.MoveBound(0, -40, 441);
  EXPECT_EQ(rec.TrimStart, 0);
  rec.MoveBound(1, 5000, 441);
  rec.MoveBound(0, 2000, 441);
  EXPECT_EQ(rec.TrimStart, 44099);
  EXPECT_EQ(rec.TrimLength, 1);
  EXPECT_EQ(rec.View.Data[0], int16_t(44100));

  // Listening plays the trimmed part once.
  rec.Listen();
  ASSERT_EQ(Mixer().VoiceCount, 1);
  EXPECT_EQ(Mixer().Voices[0].Sample, &rec.View);
  rec.MoveBound(0, 0, 441);  // the view's voice stops before it changes
  EXPECT_EQ(Mixer().VoiceCount, 0);
}

TEST_F(RecordingTest, SavedRecordingsTakeTheNextFreeNameAndLoadWhenTheBoxCloses) {
  Tmp.Write("Samples/Recorded/Recorded_1.wav", "x");
  Tmp.Write("Samples/Recorded/Recorded_2.wav", "x");
  EXPECT_EQ(NextRecordedFileName(Tmp.Dir()), Tmp / "Samples/Recorded/Recorded_3.wav");
  fs::remove_all(Tmp / "Samples");
  const std::string first = NextRecordedFileName(Tmp.Dir());
  EXPECT_EQ(first, Tmp / "Samples/Recorded/Recorded_1.wav");
  EXPECT_TRUE(fs::is_directory(Tmp / "Samples/Recorded"));  // there for the dialog

  TSong song;
  AddChannel(song);
  AddChannel(song);
  TRecording rec;
  // Closing without saving loads nothing.
  ASSERT_TRUE(rec.Start(1));
  Capture->LastDevice->Feed(Ramp(44100));
  rec.Poll();
  rec.Close(song, 1);
  EXPECT_TRUE(song.Channel(1)->SampleFileName.empty());
  EXPECT_TRUE(rec.Recorded.Empty());

  ASSERT_TRUE(rec.Start(1));
  Capture->LastDevice->Feed(Ramp(44100));
  rec.Poll();
  rec.MoveBound(0, 100, 441);
  rec.MoveBound(1, 110, 441);
  ASSERT_TRUE(rec.Save(first));
  EXPECT_EQ(PendingRecordedFile(), first);
  EXPECT_FALSE(rec.Save(Tmp / "no/such/folder/x.wav"));
  EXPECT_EQ(PendingRecordedFile(), first);
  rec.Close(song, 1);
  EXPECT_EQ(PendingRecordedFile(), "");
  const TChannel& c = *song.Channel(1);
  EXPECT_EQ(c.SampleFileName, "\\Recorded\\Recorded_1.wav");
  EXPECT_EQ(c.Sample.Data, Ramp(1000, 10001));
}

}  // namespace
}  // namespace vs
