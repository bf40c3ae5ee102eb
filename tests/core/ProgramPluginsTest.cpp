#include <gtest/gtest.h>

#include <filesystem>

#include "core/Program.h"
#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "model/RenderOptions.h"
#include "model/Song.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"
#include "engine/VSTHost.h"
#include "files/SongFile.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestPlugins.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// The program's plug-in slots from start-up to shut-down: the mixer runs
// them, songs bring their plug-ins back from the settings' folder, a render's
// silence resets them and shut-down unloads them.
TEST(ProgramPlugins, SlotsLiveFromStartUpToShutDown) {
  TTestDir tmp;
  TProgramOptions options;
  options.AppPath = tmp / "app/";
  options.SettingsFile = tmp / "config/settings.ini";
  options.OpenAudio = false;
  fs::create_directories(tmp / "app/Plugins/VST");
  fs::copy_file(test::PluginPath("TestGain"), tmp / "app/Plugins/VST/TestGain.so");

  TRecordingMessageBox boxes;
  TProgram program;
  program.Open(options);
  program.StartUp();
  TPluginHost& host = PluginHost();
  EXPECT_EQ(host.Folder, options.AppPath + "Plugins/VST/");
  EXPECT_EQ(&Mixer().PluginHook(), &host);
  EXPECT_EQ(host.BufferFrames(), PluginBlockFrames(Mixer().BlockFrames));

  TSongCommandHost commandHost;
  TSongCommands commands(program.Prefs, commandHost);
  ASSERT_TRUE(PluginSlot(2, 1).LoadPlugin(host.Folder, "TestGain"));
  PluginSlot(2, 1).Plugin.ParamWheelChange(0, 8192);
  const std::string song = tmp / "app/Loops/with plugin.zmp";
  ASSERT_TRUE(SaveSong(song, CurrentSong(), commandHost.FileHost()));

  commands.ResetSong();
  EXPECT_FALSE(PluginSlot(2, 1).Plugin.Loaded());
  ASSERT_TRUE(commands.OpenSong(song));
  EXPECT_EQ(boxes.Count(), 0u);
  TVSTPlugin& plugin = PluginSlot(2, 1).Plugin;
  ASSERT_TRUE(plugin.Loaded());
  EXPECT_EQ(plugin.GetParameter(0), 0.125f);

  test::TPluginLog log(tmp / "app/Plugins/VST/TestGain.so");
  ASSERT_TRUE(log.Ok());
  RenderHost().SilenceAll();
  using C = std::pair<int32_t, intptr_t>;
  EXPECT_EQ(log.Calls(), (std::vector<C>{{effMainsChanged, 0}, {effMainsChanged, 1}}));

  log.Clear();
  program.ShutDown();
  EXPECT_FALSE(plugin.Loaded());
  EXPECT_EQ(log.Calls(), (std::vector<C>{{effMainsChanged, 0}, {effClose, 0}}));
  Mixer().SetPluginHook(nullptr);
  ProgramPaths() = {};
  RenderOptions() = {};
}

}  // namespace
}  // namespace vs
