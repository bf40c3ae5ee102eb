// A whole run of the program with its windows, in-process and offscreen:
// start-up opens the default drum kit untitled, the close writes the
// settings once, and the sound output follows the application's activation
// only with "Close DS".

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "core/ProgramPaths.h"
#include "editors/InfoForm.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "model/Channels.h"
#include "model/MB404Params.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "controls/TrackSlider.h"
#include "core/Settings.h"
#include "editors/PianoMaps.h"
#include "editors/SampleListForm.h"
#include "engine/MixThread.h"
#include "engine/VSTHost.h"
#include "framework/ActionTable.h"
#include "framework/MeroTB97.h"
#include "platform/SettingsStore.h"
#include "support/CleanWindows.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "toolbox/ThreadTimer.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class ProgramRunTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::string Settings;
  void SetUp() override {
    testing::TestApplication();
    Settings = Tmp / "settings.ini";
    setenv("VORBELSTEPS_SETTINGS", Settings.c_str(), 1);
    setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
    // No sound device in tests.
    Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\nLast Opened 3=/songs/kept.zmp\n");
  }
  void TearDown() override {
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
};

TEST_F(ProgramRunTest, StartsOnTheDefaultKitUntitledAndWritesTheSettingsOnClose) {
  TProgramRun run({}, Tmp.Dir());
  ASSERT_FALSE(run.Batch());
  EXPECT_EQ(run.Options().AppPath, std::string(VS_DATA_DIR));
  run.StartUp();
  TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(CurrentSong().ChannelCount(), 8);
  EXPECT_EQ(CurrentSong().Channel(0)->Name, "Kick");
  EXPECT_FALSE(CurrentSong().Modified());
  EXPECT_EQ(form->Commands().OpenedFileName, std::string(VS_DATA_DIR) + "Loops/untitled.zmp");
  EXPECT_EQ(form->Rack().Rows().size(), 8u);
  // Neither the kit nor "untitled.zmp" enters the recent files.
  EXPECT_EQ(run.Program().Prefs.RecentFiles[3], "/songs/kept.zmp");
  EXPECT_EQ(run.Program().Prefs.RecentFiles[0], "");
  EXPECT_EQ(form->windowTitle(), QString("VorbelSteps"));

  run.ShowMainWindow();
  run.FirstActivation();
  EXPECT_TRUE(form->close());
  run.ShutDown();
  EXPECT_EQ(Windows().VorbelStepsMainForm, nullptr);
  const auto text = ReadFileBytes(Settings);
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("Last Opened 3=/songs/kept.zmp"), std::string::npos);
  EXPECT_NE(text->find("DrumKit="), std::string::npos);
  EXPECT_NE(text->find("WindowX="), std::string::npos);
}

// Settings that can't be written at the close say why; the box that says
// so does not keep a TERM signal from ending the program.
TEST_F(ProgramRunTest, UnwritableSettingsSayWhyAndASignalEndsTheProgramWithTheBoxOpen) {
  Tmp.Write("blocker", "a file where the settings' folder should be");
  setenv("VORBELSTEPS_SETTINGS", (Tmp / "blocker/settings.ini").c_str(), 1);
  TProgramRun run({}, Tmp.Dir());
  run.StartUp();
  run.CloseOnSignals();
  run.ShowMainWindow();
  QString shown;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !shown.isEmpty()) return;
    shown = box->text();
    std::raise(SIGTERM);
  });
  watch.start(10);
  QTimer::singleShot(0, Windows().VorbelStepsMainForm, [] { Windows().VorbelStepsMainForm->close(); });
  EXPECT_EQ(run.Exec(), 0);
  EXPECT_EQ(shown, QString("The settings could not be written to %1.\nNot a directory")
                       .arg(QString::fromStdString(Tmp / "blocker/settings.ini")));
  run.ShutDown();
}

TEST_F(ProgramRunTest, CommandLineSongOpensAtTheFirstActivation) {
  const std::string song = Tmp / "copy.zmp";
  fs::copy_file(std::string(VS_DATA_DIR) + "Samples/DrumKits/Basic/Basic.zmp", song);
  TProgramRun run({song, "/B150"}, Tmp.Dir());
  run.StartUp();
  run.FirstActivation();
  EXPECT_EQ(Windows().VorbelStepsMainForm->Commands().OpenedFileName, song);
  EXPECT_EQ(run.Program().Prefs.RecentFiles[0], song);
  EXPECT_EQ(Windows().VorbelStepsMainForm->windowTitle(), QString("Basic - VorbelSteps"));
  run.ShutDown();
}

// A synchronized thread timer of the running program ticks on the window
// thread, paced by its own; a plain one on its worker.
TEST_F(ProgramRunTest, SynchronizedThreadTimersTickOnTheWindowThread) {
  TProgramRun run({}, Tmp.Dir());
  run.StartUp();
  const std::thread::id windows = std::this_thread::get_id();
  for (bool synchronized : {true, false}) {
    std::atomic<int> ticks{0}, onWindows{0};
    TThreadTimer timer;
    timer.SetInterval(5);
    timer.SetSynchronized(synchronized);
    timer.SetOnTimer([&](TThreadTimer&) {
      ++ticks;
      if (std::this_thread::get_id() == windows) ++onWindows;
    });
    timer.Start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 60000));
    timer.Stop();
    EXPECT_EQ(onWindows.load(), synchronized ? ticks.load() : 0) << synchronized;
  }
  run.ShutDown();
}

TEST_F(ProgramRunTest, WithoutTheDataFilesTheProgramStartsOnAnEmptySongAndOnTop) {
  const std::string empty = Tmp / "nodata";
  fs::create_directories(empty);
  setenv("VORBELSTEPS_DATA", empty.c_str(), 1);
  TRecordingMessageBox boxes;
  TProgramRun run({"/t"}, Tmp.Dir());
  run.StartUp();
  EXPECT_EQ(CurrentSong().ChannelCount(), 4);
  EXPECT_EQ(boxes.Count(), 0u);
  EXPECT_TRUE(Windows().VorbelStepsMainForm->windowFlags() & Qt::WindowStaysOnTopHint);
  // The user folders are made.
  EXPECT_TRUE(fs::is_directory(empty + "/Loops"));
  run.ShutDown();
}

TEST_F(ProgramRunTest, ActivationHidesTheInfoViewerAndLeavesTheOutputWithoutCloseDS) {
  TProgramRun run({}, Tmp.Dir());
  run.StartUp();
  run.FirstActivation();
  Windows().InfoForm->show();
  run.ApplicationActivated(false);
  run.ApplicationActivated(true);
  EXPECT_FALSE(Windows().InfoForm->isVisible());
  EXPECT_FALSE(AudioOutput().OutputOpen.load());  // "Use WAV" is off
  run.ShutDown();
  // After the close nothing follows the activation any more.
  run.ApplicationActivated(true);
}

// Closing the main window ends the message loop while every other window
// of the program still shows: the sample browser, the playlist, the lamp
// window, the channel settings, the settings window, the piano roll, the
// info bar floated off, with a plug-in loaded (its editor opens where the
// display gives it a window: under Xvfb, tests/app/program_test.py).
TEST_F(ProgramRunTest, ClosingTheMainWindowEndsTheRunWhateverElseShows) {
  TProgramRun run({}, Tmp.Dir());
  run.StartUp();
  run.ShowMainWindow();
  run.FirstActivation();
  TProgramWindows& w = Windows();
  TVorbelStepsMainForm& form = *w.VorbelStepsMainForm;
  form.Actions().Action("PlayListMenu")->trigger();
  form.Actions().Action("VisualMenu")->trigger();
  form.Actions().Action("General1")->trigger();
  w.SettingsForm->SetButtonClick(0, true);
  form.ShowPianoForm(PianoKeyboardView);
  testing::DoubleClick(form.findChild<QWidget*>("BottomPic"), Qt::LeftButton, QPoint(200, 10));
  TPluginRack& rack = PluginHost().Slot(0, 0);
  ASSERT_TRUE(rack.LoadPlugin(VS_PLUGINS_DIR, "TestGain"));
  rack.ShowEditor();
  QApplication::processEvents();
  for (QWidget* window : {static_cast<QWidget*>(w.SampleListForm), static_cast<QWidget*>(w.PlayListForm),
                          static_cast<QWidget*>(w.VisualForm), static_cast<QWidget*>(w.SettingsForm),
                          static_cast<QWidget*>(w.MIDIForm), static_cast<QWidget*>(w.PianoForm),
                          form.BottomToolWindow->FloatingFrame()}) {
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible()) << window->objectName().toStdString();
  }

  bool stuck = false;
  QTimer::singleShot(50, &form, [&form] { form.close(); });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&stuck] {
    stuck = true;
    QCoreApplication::exit(3);
  });
  watchdog.start(20000);
  EXPECT_EQ(run.Exec(), 0);
  EXPECT_FALSE(stuck);
  EXPECT_FALSE(rack.Plugin.Loaded());
  run.ShutDown();
  EXPECT_TRUE(ReadFileBytes(Settings).has_value());
}

// A start and a close with none of those windows shown still write where
// each is (the channel settings window's place, the playlist's and the lamp
// window's bounds), and "Output Device" -1, the MIDI mapper, stays -1 over
// two runs.
TEST_F(ProgramRunTest, AStartAndACloseWriteEveryWindowsPlaceAndKeepTheMIDIMapper) {
  Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\nOutput Device=-1\nChanSetX=120\n");
  for (int runs = 0; runs < 2; ++runs) {
    TProgramRun run({}, Tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    run.FirstActivation();
    EXPECT_TRUE(Windows().VorbelStepsMainForm->close());
    run.ShutDown();
    TSettingsStore store(Settings);
    ASSERT_EQ(store.Load(), TSettingsLoad::Loaded);
    SCOPED_TRACE(*ReadFileBytes(Settings));
    EXPECT_EQ(store.ReadString(SettingsSection, "Output Device", ""), "-1");
    EXPECT_EQ(store.ReadString(SettingsSection, "ChanSetX", ""), "120");
    EXPECT_TRUE(store.ValueExists(SettingsSection, "ChanSetY"));
    for (const char* window : {"ZM SETTINGS\\PlayListForm", "ZM SETTINGS\\VisualForm"})
      for (const char* value : {"Left", "Top", "Width", "Height"})
        EXPECT_TRUE(store.ValueExists(window, value)) << window << " " << value;
  }
}

// Under a German locale (a comma for the decimal point), as the window
// library takes it from the user's environment, the program still writes
// numbers with a point: the echo delay's time in notes on the info bar.
TEST_F(ProgramRunTest, NumbersKeepTheirPointUnderACommaLocale) {
  const std::string locales = Tmp / "locales";
  fs::create_directories(locales);
  const std::string make = "localedef -i de_DE -f UTF-8 '" + locales + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(make.c_str()) == -1 || !fs::exists(locales + "/de_DE.UTF-8/LC_NUMERIC"))
    GTEST_SKIP() << "no German locale can be made here";
  setenv("LOCPATH", locales.c_str(), 1);
  const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  ASSERT_TRUE(german);
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  {
    TProgramRun run({}, Tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    TMIDIForm& s = *Windows().MIDIForm;
    s.ShowPage(s.LoopSheet);
    s.DelayDelaySlider->setFocus();
    QTest::keyClick(s.DelayDelaySlider, Qt::Key_Right);
    EXPECT_EQ(CurrentSong().Echo.Time, 49);
    EXPECT_EQ(Windows().VorbelStepsMainForm->findChild<QLabel*>("InfoLabel")->text(),
              "Delay time (3.06 notes)");
    CurrentSong().SetModified(false);
    run.ShutDown();
  }
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
}

TFrames Frames(const std::string& wav) {
  TWAVSample sample;
  EXPECT_EQ(LoadWAVSample(wav, sample), 0) << wav;
  return sample.Data;
}

// A song of one synthesizer channel feeding the song echo (its information
// shown on open), rendered by "/R".
TFrames BatchRenderedEchoSong(const std::string& path, int feedback) {
  TSong song;
  TChannel& synth = AddChannel(song);
  synth.MakeMB404(false);
  synth.Synth->Params[P404DelayGain] = 110;
  for (int s = 0; s < 16; s += 4) synth.Steps.SetStepOn(1, s, true);
  song.Echo.Feedback = feedback;
  song.Info = {"Echoes", "", "", true};
  EXPECT_TRUE(SaveSong(path + ".zmp", song));
  EXPECT_EQ(TProgramRun({path + ".zmp", "/R" + path}, "/").RunBatch(), 0);
  return Frames(path + ".WAV");
}

// The song's echo is heard in a batch render, and the windows, opening the
// same song from the command line, render the same frames and show its
// information, also once the desktop activates the program.
TEST_F(ProgramRunTest, ASongsEchoSoundsTheSameInABatchRenderAndInTheWindows) {
  const TFrames dry = BatchRenderedEchoSong(Tmp / "dry", 10);
  const TFrames wet = BatchRenderedEchoSong(Tmp / "wet", 110);
  ASSERT_GT(wet.size(), 40000u);
  EXPECT_NE(dry, wet);
  TProgramRun run({Tmp / "wet.zmp"}, Tmp.Dir());
  run.StartUp();
  run.FirstActivation();
  run.ApplicationActivated(true);
  EXPECT_TRUE(Windows().InfoForm->isVisible());
  ASSERT_TRUE(RenderSongToFile(Tmp / "windows.wav").Ok);
  EXPECT_EQ(Frames(Tmp / "windows.wav"), wet);
  run.ShutDown();
}

}  // namespace
}  // namespace vs
