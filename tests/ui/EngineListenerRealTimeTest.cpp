// The mix thread's half of the output with the program's step advance and
// the window side's real engine listener installed: mixing a block, moving
// the shown step and reporting an underrun allocate nothing on the mixing
// thread, and the reports still reach the window once its event loop runs.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>
#include <vector>

#include "core/PlayPosition.h"
#include "core/Tempo.h"
#include "engine/AllocCounter.h"
#include "engine/EngineListener.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "platform/ManualAudioOutput.h"
#include "support/TestApplication.h"
#include "ui/QtEngineListener.h"

namespace vs {
namespace {

TEST(QtEngineListenerRealTime, MixHalvesWithStepsAndUnderrunsAllocateNothingAndStillReachTheWindow) {
  ::vs::testing::TestApplication();
  TQtEngineListener listener;
  int steps = 0, underruns = 0, lastStep = -2;
  int64_t lastUnderrun = 0;
  QObject::connect(&listener, &TQtEngineListener::stepPositionChanged, [&] {
    ++steps;
    lastStep = PlayPosition().DisplayStep.load();
  });
  QObject::connect(&listener, &TQtEngineListener::asyncUpdate, [&](int kind, qint64 value) {
    if (kind != AsyncUnderrun) return;
    ++underruns;
    lastUnderrun = value;
  });

  // A channel that sounds on every step of pattern 1 at 999 BPM: 662
  // frames a step, so every block of 1024 frames moves the shown step.
  auto song = std::make_unique<TSong>();
  auto channel = std::make_unique<TChannel>(song.get());
  std::vector<int16_t> frames(2000 * 2, 3000);
  channel->Sample.SetFrames(std::move(frames));
  channel->Sample.PlayLength = channel->Sample.NominalLength = channel->Sample.Length;
  for (int s = 0; s < 16; ++s) channel->Steps.SetStepOn(1, s, true);
  song->Channels.push_back(std::move(channel));
  song->SetPatternLength(16);

  auto backend = std::make_unique<TManualAudioBackend>();
  TManualAudioBackend* manual = backend.get();
  SetAudioBackend(std::move(backend));
  TAudioOutputState& o = AudioOutput();
  o.UseWAV = true;
  o.UnderrunCount = 0;
  o.LatencyOffset = 0;
  ASSERT_TRUE(OpenOutputDevice());
  SetMixLatency(1024);
  MixSettings().UseMIDI = false;
  ConnectStepAdvance();
  {
    MixerGuard hold;
    TMixer& m = Mixer();
    m.SetSong(song.get());
    m.FramesPerStep = FramesPerStepForBPM(999);
    m.SongMode = 0;
    m.MixPatterns.assign(1, 1);
    m.MixPattern = 1;
    m.MixStep = -1;
    m.NextStepFrame = m.MixPosition;
    m.Playing = true;
    PlayPosition().DisplayStep = -1;
  }
  RestartStream();
  ArmEnginePosts();

  for (int half = 0; half < 12; ++half) {
    // Every third half the device has already played into the half about
    // to be written: an underrun.
    manual->LastDevice->Advance(half % 3 == 2 ? 1536 : 1024, 512);
    {
      ::vs::testing::AllocCounter counter;
      MixHalf(half % 2);
      ASSERT_EQ(counter.Count(), 0) << "half " << half;
    }
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  EXPECT_GE(steps, 10);
  {
    MixerGuard hold;
    EXPECT_EQ(lastStep, PlayPosition().DisplayStep.load());
  }
  EXPECT_GE(underruns, 1);
  EXPECT_EQ(lastUnderrun, o.UnderrunCount.load());

  MixerGuard hold;
  Mixer().Playing = false;
  Mixer().SetSong(nullptr);
  Mixer().SetStepAdvanceHook(nullptr);
  Mixer().StopAllVoices();
  CloseOutputDevice();
}

}  // namespace
}  // namespace vs
