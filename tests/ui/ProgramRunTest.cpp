// A whole run of the program with its windows, in-process and offscreen:
// start-up opens the default drum kit untitled, the close writes the
// settings once, and the sound output follows the application's activation
// only with "Close DS".

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/ProgramPaths.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "engine/MixThread.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"

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

}  // namespace
}  // namespace vs
