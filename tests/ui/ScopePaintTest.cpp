// The output scope and its level meter in a whole run of the program on a
// device the test plays: they paint while a sound plays, rest once it has
// been silent for a frame (the scope thread then reports only sound), and
// paint nothing while the window is minimised or hidden, when the scope
// thread's reports rest too.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "controls/MyTransBtn.h"
#include "controls/WAVScope.h"
#include "engine/EngineListener.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "platform/ManualAudioOutput.h"
#include "support/ProgramStart.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/Techno16.h"
#include "ui/ProgramWindows.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {
namespace {

// Counts the frames in which a control's pixels on the screen changed, and
// the paints it got (after each block the test plays).
class TPaintCounter : public QObject {
public:
  explicit TPaintCounter(QWidget* w) : W(w) {
    w->installEventFilter(this);
    Last = OnScreen();
  }
  int Count = 0;
  void Look() {
    QImage now = OnScreen();
    if (now != Last) ++Count;
    Last = std::move(now);
  }

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Count;
    return false;
  }

private:
  QImage OnScreen() const {
    QWidget* window = W->window();
    const QPoint at = W->mapTo(window, QPoint());
    return window->screen()->grabWindow(window->winId(), at.x(), at.y(), W->width(), W->height()).toImage();
  }
  QWidget* W;
  QImage Last;
};

class ScopePaintTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::unique_ptr<TProgramRun> Run;
  TManualAudioDevice* Device = nullptr;

  void SetUp() override {
    Run = testing::StartProgram(Tmp, "[ZM SETTINGS]\nUse WAV=0\nSmpList=0\n", VS_DATA_DIR);
    Run->ShowMainWindow();
    // The output on a device the test plays: blocks of 1024 frames, the
    // halves and the scope's positions at every 1024 frames.
    auto backend = std::make_unique<TManualAudioBackend>();
    TManualAudioBackend* manual = backend.get();
    SetAudioBackend(std::move(backend));
    AudioOutput().UseWAV.store(true);
    AudioOutput().LatencyOffset = 0;
    ASSERT_TRUE(OpenAudioOutput());
    SetMixLatency(1024);
    RestartStream();
    Device = manual->LastDevice;
    ASSERT_NE(Device, nullptr);
    Device->KeepReceived = false;
    StopAllVoices();  // the style's start sound
    Form().ScopeButton->SetDown(true);
    Form().ScopeButtonClick();
  }
  void TearDown() override {
    if (Form().IsPlaying()) Form().TogglePlayback(false);
    CloseAudioOutput();
    AudioOutput().UseWAV.store(false);
    SetAudioBackend(nullptr);
    CurrentSong().SetModified(false);
    Form().close();
    Run.reset();
  }

  static TVorbelStepsMainForm& Form() { return *Windows().VorbelStepsMainForm; }

  std::vector<TPaintCounter*> Counters;

  // Plays frames of the output, a block at a time, each mixed before the
  // next plays (the display's frame passes between them), and lets the
  // window take the reports.
  void Play(int blocks) {
    TAudioOutputState& o = AudioOutput();
    for (int i = 0; i < blocks; ++i) {
      const int64_t base = o.BufferBasePosition.load();
      Device->Advance(1024, 64);
      for (int wait = 0; wait < 2000 && o.BufferBasePosition.load() == base; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      { MixerGuard mixed; }
      QTest::qWait(20);
      for (TPaintCounter* counter : Counters) counter->Look();
    }
  }
};

TEST_F(ScopePaintTest, PaintsWhileASoundPlaysAndRestsInSilenceAndWhileMinimisedOrHidden) {
  TVorbelStepsMainForm& form = Form();
  TPaintCounter scope(form.MixScope), meter(form.MixVolumeter);
  Counters = {&scope, &meter};

  // Stopped: the first silent frame clears the picture, then nothing paints.
  Play(3);
  scope.Count = meter.Count = 0;
  Play(8);
  EXPECT_EQ(scope.Count, 0);
  EXPECT_EQ(meter.Count, 0);
  EXPECT_FALSE(AsyncUpdatesHeld(AsyncScope));  // the window shows the scope
  EXPECT_TRUE(AudioOutput().ScopeSoundOnly.load());  // the thread reports sound only

  // The first row sounds on every step: both paint.
  {
    MixerGuard hold;
    TSong& song = CurrentSong();
    for (int s = 0; s < song.PatternLength(); ++s) song.Channels[0]->Steps.SetStepOn(song.CurrentPattern, s, true);
  }
  form.TogglePlayback(false);
  ASSERT_TRUE(form.IsPlaying());
  // The rows' play lamp walks with the steps heard while the scope's frames
  // come.
  const TTechno16& steps = *form.Rack().Rows()[0].Steps;
  TTechno16* lampRow = nullptr;
  for (const auto& row : form.Rack().Rows())
    if (row.Steps->ShowsLamps()) lampRow = row.Steps;
  ASSERT_NE(lampRow, nullptr);
  TPaintCounter lamps(lampRow);
  Counters.push_back(&lamps);
  Play(4);
  const int heard = steps.PlayStep();
  Play(12);
  EXPECT_GE(scope.Count, 8);
  EXPECT_GE(meter.Count, 2);
  EXPECT_GE(lamps.Count, 2);
  EXPECT_GT(form.MixVolumeter->LeftLevel(), 0);
  EXPECT_FALSE(AudioOutput().ScopeSoundOnly.load());
  EXPECT_GE(steps.PlayStep(), 0);
  EXPECT_NE(steps.PlayStep(), heard);

  // Minimised: nothing paints, the scope thread's reports rest, and the
  // lamp waits.
  form.showMinimized();
  QCoreApplication::processEvents();
  Play(2);
  scope.Count = meter.Count = 0;
  const int waiting = steps.PlayStep();
  Play(12);
  EXPECT_EQ(scope.Count, 0);
  EXPECT_EQ(meter.Count, 0);
  EXPECT_TRUE(AsyncUpdatesHeld(AsyncScope));
  EXPECT_EQ(steps.PlayStep(), waiting);

  // Restored: the sound shows again, and the lamp walks on.
  form.showNormal();
  QCoreApplication::processEvents();
  EXPECT_FALSE(AsyncUpdatesHeld(AsyncScope));
  scope.Count = 0;
  Play(8);
  EXPECT_GE(scope.Count, 4);
  EXPECT_NE(steps.PlayStep(), waiting);

  // Hidden: nothing.
  form.hide();
  Play(2);
  scope.Count = meter.Count = 0;
  Play(8);
  EXPECT_EQ(scope.Count, 0);
  EXPECT_EQ(meter.Count, 0);
  form.show();
}

}  // namespace
}  // namespace vs
