// The settings window playing through a private JACK server (256-frame
// periods): the mix thread's load shows, and the buffers stop at the least
// distance ahead the server is fed at.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include "controls/TrackSlider.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "editors/MIDIForm.h"
#include "engine/MidiDevices.h"
#include "model/Song.h"
#include "engine/MixThread.h"
#include "jack/JackFixture.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {
namespace {

TEST(JackSettingsWindow, ShowsTheMixLoadAndStopsTheBuffersAtTheLeastTheServerIsFedAt) {
  testing::TestApplication();
  testing::TJackTestServer server;
  if (!server.Running()) GTEST_SKIP() << "No JACK server could be started here (" << server.WhyNot() << ")";
  TTestDir tmp;
  tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=1\nDS Driver Name=JACK: system\n");
  setenv("VORBELSTEPS_SETTINGS", (tmp / "settings.ini").c_str(), 1);
  setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
  {
    TProgramRun run({}, tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    ASSERT_TRUE(AudioOutput().OutputOpen.load()) << run.Program().OutputError;
    TMIDIForm& s = *Windows().MIDIForm;
    s.ShowPage(s.WAVSheet);
    s.BufLSlider->setFocus();
    for (int i = 0; i < 25; ++i) QTest::keyClick(s.BufLSlider, Qt::Key_Left);
    // Two periods and the mix's margin: 953 frames, 22 ms.
    EXPECT_EQ(s.BufLLabel->text(), "Buffer Length (22ms)");
    StartButtonClick(true, true);
    QTest::qWait(1500);
    StartButtonClick(false, true);
    EXPECT_TRUE(QRegularExpression("^[0-9]{2,3}%$").match(s.UsageLabel->text()).hasMatch());
    Windows().VorbelStepsMainForm->close();
    run.ShutDown();
  }
  unsetenv("VORBELSTEPS_SETTINGS");
  unsetenv("VORBELSTEPS_DATA");
}

// A synthesizer started after the program: its MIDI port is offered when
// the list opens, and the choice is kept by its name while it goes and
// comes back.
TEST(JackSettingsWindow, AMidiPortThatAppearsAfterTheStartIsOfferedAndKeptByName) {
  testing::TestApplication();
  testing::TJackTestServer server;
  if (!server.Running()) GTEST_SKIP() << "No JACK server could be started here (" << server.WhyNot() << ")";
  TTestDir tmp;
  tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\nUse MIDI=1\n");
  setenv("VORBELSTEPS_SETTINGS", (tmp / "settings.ini").c_str(), 1);
  setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
  {
    TProgramRun run({}, tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    // A failure's message is kept for the report, not left waiting for a
    // click, and reported however the test ends.
    TRecordingMessageBox boxes;
    const auto report = qScopeGuard([&boxes] {
      for (const TRecordingMessageBox::Box& b : boxes.Boxes()) ADD_FAILURE() << b.Caption << ": " << b.Message;
    });
    TMIDIForm& s = *Windows().MIDIForm;
    s.ShowPage(s.MIDISheet);
    QComboBox* out = s.MIDIOutSelect;
    const QString port = "JACK: vstest:notes_in";
    EXPECT_EQ(out->findText(port), -1);
    // The list read as it opens (and again until the server has the port).
    auto offered = [out, &port] {
      return QTest::qWaitFor([&] {
        out->showPopup();
        out->hidePopup();
        return out->findText(port) >= 0;
      });
    };
    {
      testing::TJackTestClient synth;
      ASSERT_TRUE(synth.Ok());
      ASSERT_TRUE(offered());
      // Chosen, as a click in the list chooses it.
      out->setCurrentIndex(out->findText(port));
      emit out->activated(out->currentIndex());
      EXPECT_EQ(out->currentText(), port);
      EXPECT_EQ(run.Program().Prefs.OutputDeviceName, port.toStdString());
      EXPECT_EQ(MidiDevices().MIDIOut.ProductName(), port.toStdString());
    }
    // Gone, then back: the window shown again lists it chosen, and the notes
    // go to it.
    s.hide();
    s.ShowPage(s.MIDISheet);
    EXPECT_EQ(out->findText(port), -1);
    EXPECT_EQ(run.Program().Prefs.OutputDeviceName, port.toStdString());
    testing::TJackTestClient again;
    ASSERT_TRUE(again.Ok());
    ASSERT_TRUE(QTest::qWaitFor([&] {
      s.hide();
      s.ShowPage(s.MIDISheet);
      return out->currentText() == port;
    }));
    // The server joins a new connection at a cycle of its own: a note sent
    // before then goes nowhere, so the test sends until one arrives.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          MidiNoteOn(*CurrentSong().Channel(0), 60);
          return !again.Received(1).empty();
        },
        60000));
    s.hide();
    Windows().VorbelStepsMainForm->close();
    run.ShutDown();
  }
  unsetenv("VORBELSTEPS_SETTINGS");
  unsetenv("VORBELSTEPS_DATA");
}

}  // namespace
}  // namespace vs
