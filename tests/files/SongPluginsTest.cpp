#include <gtest/gtest.h>

#include <limits>

#include "model/Song.h"
#include "files/SongFile.h"
#include "files/SongPlugins.h"
#include "files/SongReader.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestPlugins.h"

namespace vs {
namespace {

class EditorWindow : public TPluginEditorWindow {
public:
  void* NativeHandle() override { return nullptr; }
  void SetCaption(const std::string&) override {}
  void SetBounds(int left, int top, int, int) override {
    Left = left;
    Top = top;
  }
  void SetVisible(bool visible) override { Shown = visible; }
  bool Visible() const override { return Shown; }
  void Position(int& left, int& top) const override {
    left = Left + 7;  // moved by the user
    top = Top + 9;
  }
  int Left = 0, Top = 0;
  bool Shown = false;
};

class EditorFactory : public TPluginEditorFactory {
public:
  std::unique_ptr<TPluginEditorWindow> CreateEditorWindow() override { return std::make_unique<EditorWindow>(); }
};

class SongPluginsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Host.Folder = test::PluginsDir();
    SetPluginEditorFactory(&Factory);
  }
  void TearDown() override {
    Host.UnloadAll();
    SetPluginEditorFactory(nullptr);
  }
  EditorFactory Factory;
  TPluginHost Host;
  TSongPluginSlots Slots{Host};
};

TEST_F(SongPluginsTest, WriterSeesLoadedSlotsInFileOrder) {
  ASSERT_TRUE(Host.Slot(2, 1).LoadPlugin(Host.Folder, "TestGain"));
  ASSERT_TRUE(Host.Slot(0, 0).LoadPlugin(Host.Folder, "TestMono"));
  ASSERT_TRUE(Host.Slot(0, 3).LoadPlugin(Host.Folder, "TestParams100"));
  Host.Slot(2, 1).Plugin.ParamWheelChange(0, 49152);
  Host.Slot(2, 1).Plugin.EditorX = 40;
  Host.Slot(2, 1).Plugin.EditorY = 50;
  Host.Slot(2, 1).ShowEditor();

  const auto list = Slots.LoadedPlugins();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(std::make_pair(list[0].Track, list[0].Slot), std::make_pair(0, 3));
  EXPECT_EQ(list[0].Name, "TestParams100");
  EXPECT_EQ(list[0].Parameters.size(), 100u);
  EXPECT_EQ(std::make_pair(list[1].Track, list[1].Slot), std::make_pair(0, 0));
  EXPECT_FALSE(list[1].EditorOpen);
  EXPECT_EQ(list[1].EditorLeft, 4);
  const SongPluginState& gain = list[2];
  EXPECT_EQ(std::make_pair(gain.Track, gain.Slot), std::make_pair(2, 1));
  EXPECT_EQ(gain.Parameters, (std::vector<float>{0.75f, 0.25f}));
  // The open editor's present position is stored.
  EXPECT_TRUE(gain.EditorOpen);
  EXPECT_EQ(gain.EditorLeft, 47);
  EXPECT_EQ(gain.EditorTop, 59);
  EXPECT_EQ(Host.Slot(2, 1).Plugin.EditorX, 47);
  Host.Slot(2, 1).ShowEditor();  // hidden: exists but is not open
  EXPECT_FALSE(Slots.LoadedPlugins()[2].EditorOpen);
}

TEST_F(SongPluginsTest, ReaderRestoresAPluginAndClampsStoredValues) {
  SongPluginState state;
  state.Track = 4;
  state.Slot = 2;
  state.Name = "TestGain";
  state.EditorLeft = 100;
  state.EditorTop = 200;
  state.EditorOpen = true;
  state.Parameters = {0.125f, 2.0f, 0.9f};  // one more than the plug-in has
  ASSERT_TRUE(Slots.LoadPlugin(state));
  TPluginRack& rack = Host.Slot(4, 2);
  EXPECT_EQ(rack.Plugin.GetParameter(0), 0.125f);
  EXPECT_EQ(rack.Plugin.GetParameter(1), 1.0f);
  EXPECT_EQ(rack.Plugin.ParamControls[0]->Wheel.load(), 8192);
  EXPECT_EQ(rack.Plugin.ParamControls[0]->Display, "0.125");
  ASSERT_TRUE(rack.Plugin.EditorForm);
  EXPECT_EQ(static_cast<EditorWindow&>(*rack.Plugin.EditorForm).Left, 100);
  EXPECT_TRUE(rack.EditorVisible());

  state.Parameters = {std::numeric_limits<float>::quiet_NaN()};
  state.EditorOpen = false;
  ASSERT_TRUE(Slots.LoadPlugin(state));
  EXPECT_EQ(rack.Plugin.GetParameter(0), 0.5f);  // left at the plug-in's own
  EXPECT_FALSE(rack.Plugin.EditorForm);

  for (const char* bad : {"NoSuchPlugin", "../plugins/TestGain", "TestBadMagic"}) {
    state.Name = bad;
    EXPECT_FALSE(Slots.LoadPlugin(state)) << bad;
    EXPECT_FALSE(rack.Plugin.Loaded()) << bad;
  }
  state.Name = "TestGain";
  state.Track = 5;
  EXPECT_FALSE(Slots.LoadPlugin(state));
  state.Track = 0;
  state.Slot = -1;
  EXPECT_FALSE(Slots.LoadPlugin(state));
}

// Saved and read back: every plug-in in its slot with its values; one that
// is gone is warned of and the others still load.
TEST_F(SongPluginsTest, SongsKeepTheirPlugins) {
  TTestDir dir;
  ASSERT_TRUE(Host.Slot(1, 3).LoadPlugin(Host.Folder, "TestGain"));
  ASSERT_TRUE(Host.Slot(3, 0).LoadPlugin(Host.Folder, "TestAccum"));
  Host.Slot(1, 3).Plugin.ParamWheelChange(1, 6554);
  const float stored = Host.Slot(1, 3).Plugin.GetParameter(1);
  SongHost files;
  files.Plugins = &Slots;
  TSong song;
  const std::string name = dir / "plugins.zmp";
  ASSERT_TRUE(SaveSong(name, song, files));

  Host.UnloadAll();
  Host.Folder = dir.Dir();  // a folder without the plug-ins
  TRecordingMessageBox boxes;
  ASSERT_EQ(LoadSong(name, files), SongLoaded);
  ASSERT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Warning");
  EXPECT_EQ(boxes.Boxes()[0].Message, "This song needs the TestGain plugin which couldn't be found...");
  EXPECT_EQ(boxes.Boxes()[0].Flags, uint32_t(MbOK | MbIconWarning));

  Host.Folder = test::PluginsDir();
  ASSERT_EQ(LoadSong(name, files), SongLoaded);
  EXPECT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(Host.Slot(1, 3).Plugin.Name, "TestGain");
  EXPECT_EQ(Host.Slot(1, 3).Plugin.GetParameter(1), stored);
  EXPECT_EQ(Host.Slot(3, 0).Plugin.Name, "TestAccum");
  EXPECT_EQ(Slots.LoadedPlugins().size(), 2u);
}

}  // namespace
}  // namespace vs
