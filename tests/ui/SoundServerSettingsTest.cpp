// The settings window playing through PulseAudio and through ALSA without a
// sound card: the distance ahead stops at the least the open device is fed
// at.

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "alsa/AlsaFixture.h"
#include "controls/TrackSlider.h"
#include "editors/MIDIForm.h"
#include "engine/MixThread.h"
#include "support/LiveSound.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {
namespace {

// Starts the program on its default device, pulls the ahead slider down as
// far as it goes and gives what the window shows.
std::string LeastAheadShown(const std::string& device) {
  testing::TestApplication();
  TTestDir tmp;
  tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=1\n");
  setenv("VORBELSTEPS_SETTINGS", (tmp / "settings.ini").c_str(), 1);
  setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
  std::string shown;
  {
    TProgramRun run({}, tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    EXPECT_TRUE(AudioOutput().OutputOpen.load()) << run.Program().OutputError;
    EXPECT_EQ(AudioOutput().Device ? AudioOutput().Device->Name() : "", device);
    TMIDIForm& s = *Windows().MIDIForm;
    s.ShowPage(s.WAVSheet);
    s.AheadBufSlider->setFocus();
    for (int i = 0; i < 30; ++i) QTest::keyClick(s.AheadBufSlider, Qt::Key_Left);
    shown = s.AheadBufLabel->text().toStdString();
    Windows().VorbelStepsMainForm->close();
    run.ShutDown();
  }
  unsetenv("VORBELSTEPS_SETTINGS");
  unsetenv("VORBELSTEPS_DATA");
  return shown;
}

TEST(SoundServerSettingsWindow, OnPulseAudioTheAheadDurationStopsAtTheServersWholeBufferAndAPeriod) {
  testing::TPulseTestServer server;
  if (!server.Running()) GTEST_SKIP() << "No PulseAudio server could be started here (" << server.WhyNot() << ")";
  EXPECT_EQ(LeastAheadShown("PulseAudio: Card"), "Ahead Duration (219ms)");
}

TEST(SoundServerSettingsWindow, OnAlsaTheAheadDurationStopsAtTwiceTheDevicesBuffer) {
  testing::TAlsaTestDevice device(&testing::Climbing);
  if (!device.Ready()) GTEST_SKIP() << "ALSA's file device could not be set up here (" << device.WhyNot() << ")";
  EXPECT_EQ(LeastAheadShown("ALSA: default"), "Ahead Duration (57ms)");
}

}  // namespace
}  // namespace vs
