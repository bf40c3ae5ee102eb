#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Settings.h"
#include "platform/SettingsStore.h"
#include "toolbox/AllTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("vs_settings_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir / "Samples/DrumKits/Basic");
    AppPath = Dir.string() + "/";
    File = (Dir / "settings.ini").string();
  }
  void TearDown() override { fs::remove_all(Dir); }

  TPreferences LoadFresh(const TSettingsStore& store) {
    TPreferences p;
    LoadSettings(store, p, AppPath);
    return p;
  }

  fs::path Dir;
  std::string AppPath;
  std::string File;
};

TEST_F(SettingsTest, FreshStoreGivesTheDefaults) {
  TSettingsStore store(File);
  EXPECT_EQ(store.Load(), TSettingsLoad::Missing);
  const TPreferences p = LoadFresh(store);
  EXPECT_TRUE(p.EasyMove);
  EXPECT_TRUE(p.AutoArrange);  // the channel settings open beside the main window
  EXPECT_TRUE(p.AutoMaximize);
  EXPECT_TRUE(p.StopAtBottom);
  EXPECT_TRUE(p.AlwaysFullHeight);
  EXPECT_TRUE(p.AdjustChannelName);
  EXPECT_TRUE(p.Interpolation);
  EXPECT_TRUE(p.ClickRemoval);
  EXPECT_FALSE(p.Surround);
  EXPECT_TRUE(p.SplashScreen);
  EXPECT_EQ(p.Language, 0);
  EXPECT_FALSE(p.CloseDS);
  EXPECT_TRUE(p.BothMouseButtons);
  EXPECT_FALSE(p.LedsOver);
  EXPECT_TRUE(p.PreviewWAV);
  EXPECT_FALSE(p.NoDir);
  EXPECT_EQ(p.BankSelectMethod, 0);
  EXPECT_EQ(p.SyncDelay, 0);
  EXPECT_EQ(p.RenderingRemainder, RemainderWrap);
  EXPECT_FALSE(p.SaveNFO);
  EXPECT_FALSE(p.MonoRender);
  EXPECT_EQ(p.SettingsSheet, 1);
  EXPECT_TRUE(p.BackPicTiled);
  EXPECT_EQ(p.BackPicFileName, "");
  EXPECT_FALSE(p.BackPicBox);
  EXPECT_FALSE(p.WindowX || p.WindowY || p.ChanSetX || p.ChanSetY);
  EXPECT_FALSE(p.PlayListBounds.Left || p.VisualBounds.Height);
  EXPECT_TRUE(p.UseWAV);
  EXPECT_FALSE(p.UseMIDI);
  EXPECT_FALSE(p.SyncToInput);
  EXPECT_EQ(p.ScopeStyle, 0);
  EXPECT_FALSE(p.ScopeStereo);
  EXPECT_EQ(p.ScopeShade, 0);
  EXPECT_TRUE(p.ScopeEnabled);
  EXPECT_TRUE(p.Minimized);
  EXPECT_EQ(p.VolPan, 0);
  for (const std::string& f : p.RecentFiles) EXPECT_EQ(f, "");
  EXPECT_EQ(p.DrumKitFileName, AppPath + "Samples/DrumKits/Basic/Basic.zmp");
  EXPECT_EQ(p.BufferLength, 8820);
  EXPECT_EQ(p.AheadLength, 8820);
  for (const TToolItem& t : p.ToolList) {
    EXPECT_EQ(t.Name, "");
    EXPECT_EQ(t.FileName, "");
    EXPECT_EQ(t.Params, 0);
  }
  // Style and devices: the "DEFAULT" folder and the "(none)" entries.
  EXPECT_FALSE(p.Style || p.DSDriver || p.InputDevice || p.OutputDevice || p.SyncOutputDevice);
  EXPECT_TRUE(p.SampleListVisible);
  EXPECT_EQ(p.SampleListWidth, 150);
  EXPECT_EQ(p.VSTPluginFolder, AppPath + "Plugins/VST/");
  for (const std::string& d : p.SearchFolders) EXPECT_EQ(d, "");
  EXPECT_TRUE(p.Favorites.empty());
}

TEST_F(SettingsTest, EveryValueSurvivesWriteAndRead) {
  const std::string kit = (Dir / "Samples/DrumKits/Basic/Other.zmp").string();
  std::ofstream(kit) << "x";
  TPreferences a;
  a.EasyMove = false;
  a.AutoArrange = false;
  a.AutoMaximize = false;
  a.StopAtBottom = false;
  a.AlwaysFullHeight = false;
  a.AdjustChannelName = false;
  a.Interpolation = false;
  a.ClickRemoval = false;
  a.Surround = true;
  a.SplashScreen = false;
  a.Language = 2;
  a.CloseDS = true;
  a.BothMouseButtons = false;
  a.LedsOver = true;
  a.PreviewWAV = false;
  a.NoDir = true;
  a.BankSelectMethod = 1;
  a.SyncDelay = 321;
  a.RenderingRemainder = RemainderLeave;
  a.SaveNFO = true;
  a.MonoRender = true;
  a.SettingsSheet = 0;
  a.BackPicTiled = false;
  a.BackPicFileName = "/pics/b\xc3\xa4" "ck=1;.bmp";
  a.BackPicBox = true;
  a.PlayListBounds = {10, 20, 300, 400};
  a.VisualBounds = {-5, 7, 80, 90};
  a.WindowX = -100;
  a.WindowY = 33;
  a.ChanSetX = 500;
  a.ChanSetY = 600;
  a.DotsWindow = true;
  a.UseWAV = false;
  a.UseMIDI = true;
  a.SyncToInput = true;
  a.ScopeStyle = 3;
  a.ScopeStereo = true;
  a.ScopeShade = 192;
  a.ScopeEnabled = false;
  a.Minimized = false;
  a.VolPan = 1;
  for (int i = 0; i < RecentFileCount; ++i) a.RecentFiles[i] = "/songs/song " + std::to_string(i) + ".zmp";
  a.DrumKitFileName = kit;
  a.BufferLength = 4410;
  a.AheadLength = 2205;
  for (int i = 0; i < ToolEntryCount; ++i) a.ToolList[i] = {"Tool" + std::to_string(i), "/bin/t" + std::to_string(i), i * 3};
  a.Style = 2;
  a.DSDriver = 1;
  a.DSDriverName = "Card 1";
  a.InputDevice = 0;
  a.InputDeviceName = "In";
  a.OutputDevice = -1;
  a.OutputDeviceName = "Mapper";
  a.SyncOutputDevice = 4;
  a.SyncOutputDeviceName = "Sync";
  a.SampleListVisible = false;
  a.SampleListWidth = 222;
  a.SampleBrowserCreated = true;
  a.VSTPluginFolder = "/vst/";
  for (int i = 0; i < SearchFolderCount; ++i) a.SearchFolders[i] = "/dir" + std::to_string(i) + "/";
  a.Favorites = {"/fav/one", "/fav/two"};

  {
    TSettingsStore store(File);
    ASSERT_TRUE(SaveSettings(store, a));
  }
  TSettingsStore store(File);
  ASSERT_EQ(store.Load(), TSettingsLoad::Loaded);
  const TPreferences b = LoadFresh(store);
  EXPECT_EQ(b.EasyMove, a.EasyMove);
  EXPECT_EQ(b.AutoArrange, a.AutoArrange);
  EXPECT_EQ(b.AutoMaximize, a.AutoMaximize);
  EXPECT_EQ(b.StopAtBottom, a.StopAtBottom);
  EXPECT_EQ(b.AlwaysFullHeight, a.AlwaysFullHeight);
  EXPECT_EQ(b.AdjustChannelName, a.AdjustChannelName);
  EXPECT_EQ(b.Interpolation, a.Interpolation);
  EXPECT_EQ(b.ClickRemoval, a.ClickRemoval);
  EXPECT_EQ(b.Surround, a.Surround);
  EXPECT_EQ(b.SplashScreen, a.SplashScreen);
  EXPECT_EQ(b.Language, a.Language);
  EXPECT_EQ(b.CloseDS, a.CloseDS);
  EXPECT_EQ(b.BothMouseButtons, a.BothMouseButtons);
  EXPECT_EQ(b.LedsOver, a.LedsOver);
  EXPECT_EQ(b.PreviewWAV, a.PreviewWAV);
  EXPECT_EQ(b.NoDir, a.NoDir);
  EXPECT_EQ(b.BankSelectMethod, 1);
  EXPECT_EQ(b.SyncDelay, 321);
  EXPECT_EQ(b.RenderingRemainder, RemainderLeave);
  EXPECT_EQ(b.SaveNFO, a.SaveNFO);
  EXPECT_EQ(b.MonoRender, a.MonoRender);
  EXPECT_EQ(b.SettingsSheet, 0);
  EXPECT_EQ(b.BackPicTiled, a.BackPicTiled);
  EXPECT_EQ(b.BackPicFileName, a.BackPicFileName);
  EXPECT_EQ(b.BackPicBox, a.BackPicBox);
  EXPECT_EQ(b.PlayListBounds.Left, 10);
  EXPECT_EQ(b.PlayListBounds.Top, 20);
  EXPECT_EQ(b.PlayListBounds.Width, 300);
  EXPECT_EQ(b.PlayListBounds.Height, 400);
  EXPECT_EQ(b.VisualBounds.Left, -5);
  EXPECT_EQ(b.VisualBounds.Height, 90);
  EXPECT_EQ(b.WindowX, -100);
  EXPECT_EQ(b.WindowY, 33);
  EXPECT_EQ(b.ChanSetX, 500);
  EXPECT_EQ(b.ChanSetY, 600);
  EXPECT_EQ(b.UseWAV, a.UseWAV);
  EXPECT_EQ(b.UseMIDI, a.UseMIDI);
  EXPECT_EQ(b.SyncToInput, a.SyncToInput);
  EXPECT_EQ(b.ScopeStyle, 3);
  EXPECT_EQ(b.ScopeStereo, a.ScopeStereo);
  EXPECT_EQ(b.ScopeShade, 192);
  EXPECT_EQ(b.ScopeEnabled, a.ScopeEnabled);
  EXPECT_EQ(b.Minimized, a.Minimized);
  EXPECT_EQ(b.VolPan, 1);
  EXPECT_EQ(b.RecentFiles, a.RecentFiles);
  EXPECT_EQ(b.DrumKitFileName, kit);
  EXPECT_EQ(b.BufferLength, 4410);
  EXPECT_EQ(b.AheadLength, 2205);
  for (int i = 0; i < ToolEntryCount; ++i) {
    EXPECT_EQ(b.ToolList[i].Name, a.ToolList[i].Name);
    EXPECT_EQ(b.ToolList[i].FileName, a.ToolList[i].FileName);
    EXPECT_EQ(b.ToolList[i].Params, a.ToolList[i].Params);
  }
  EXPECT_EQ(b.Style, 2);
  EXPECT_EQ(b.DSDriver, 1);
  EXPECT_EQ(b.DSDriverName, "Card 1");
  EXPECT_EQ(b.InputDevice, 0);
  EXPECT_EQ(b.OutputDevice, -1);
  EXPECT_EQ(b.OutputDeviceName, "Mapper");
  EXPECT_EQ(b.SyncOutputDevice, 4);
  EXPECT_EQ(b.SyncOutputDeviceName, "Sync");
  EXPECT_EQ(b.SampleListVisible, false);
  EXPECT_EQ(b.SampleListWidth, 222);
  EXPECT_EQ(b.VSTPluginFolder, "/vst/");
  EXPECT_EQ(b.SearchFolders, a.SearchFolders);
  EXPECT_EQ(b.Favorites, a.Favorites);
  // Written on every close, never read.
  EXPECT_EQ(store.ReadString(SettingsSection, "Dots window", ""), "1");
  EXPECT_EQ(store.ReadString(SettingsSection, "Bank Select Method", ""), "1");
  EXPECT_EQ(store.ReadDWORD(FavoritesSection, "Count", 0), 2u);
}

TEST_F(SettingsTest, OutOfRangeValuesAreClamped) {
  TSettingsStore store(File);
  const char* s = SettingsSection;
  store.WriteString(s, "Language", "3");
  store.WriteString(s, "Buffer Length", "0");
  store.WriteString(s, "Ahead Length", "-7");
  store.WriteString(s, "Rendering Remainder", "7");
  store.WriteString(s, "SmpList_Width", "500");
  store.WriteString(s, "Sync Delay", "100000");
  store.WriteString(s, "Scope Style", "9");
  store.WriteString(s, "Scope Shade", "-3");
  store.WriteString(s, "VolPan", "5");
  store.WriteString(s, "Bank Select Method", "32");
  store.WriteString(s, "Settings sheet", "-4");
  store.WriteString(s, "DS Driver", "-9");
  store.WriteString(s, "Output Device", "-2");
  store.WriteString(s, "Style", "-1");
  store.WriteString("ZM SETTINGS\\PlayListForm", "Width", "-50");
  TPreferences p = LoadFresh(store);
  EXPECT_EQ(p.Language, 0);  // German is not offered: English, not Dutch
  EXPECT_EQ(p.BufferLength, MinBufferFrames);
  EXPECT_EQ(p.AheadLength, MinBufferFrames);
  EXPECT_EQ(p.RenderingRemainder, RemainderWrap);
  EXPECT_EQ(p.SampleListWidth, 300);
  EXPECT_EQ(p.SyncDelay, 500);
  EXPECT_EQ(p.ScopeStyle, 4);
  EXPECT_EQ(p.ScopeShade, 0);
  EXPECT_EQ(p.VolPan, 1);
  EXPECT_EQ(p.BankSelectMethod, 1);
  EXPECT_EQ(p.SettingsSheet, 1);
  EXPECT_FALSE(p.DSDriver);
  EXPECT_FALSE(p.OutputDevice);
  EXPECT_FALSE(p.Style);
  EXPECT_EQ(p.PlayListBounds.Width, 1);

  // Nonsense reads as the default; the ahead distance never passes the block.
  store.WriteString(s, "Buffer Length", "lots");
  store.WriteString(s, "Ahead Length", "99999999");
  store.WriteString(s, "Language", "-1");
  p = LoadFresh(store);
  EXPECT_EQ(p.BufferLength, 8820);
  EXPECT_EQ(p.AheadLength, 8820);
  EXPECT_EQ(p.Language, 0);
  store.WriteString(s, "Buffer Length", "40000");
  store.WriteString(s, "Ahead Length", "30000");
  p = LoadFresh(store);
  EXPECT_EQ(p.BufferLength, MaxBufferFrames);
  EXPECT_EQ(p.AheadLength, MaxBufferFrames);
}

TEST_F(SettingsTest, DrumKitFallsBackToTheBasicKit) {
  TSettingsStore store(File);
  store.WriteString(SettingsSection, "DrumKit", (Dir / "gone.zmp").string());
  EXPECT_EQ(LoadFresh(store).DrumKitFileName, AppPath + "Samples/DrumKits/Basic/Basic.zmp");
  store.WriteString(SettingsSection, "DrumKit", "");
  EXPECT_EQ(LoadFresh(store).DrumKitFileName, AppPath + "Samples/DrumKits/Basic/Basic.zmp");
}

TEST_F(SettingsTest, EmptyRecentEntriesAndAbsentBrowserAreNotWritten) {
  TSettingsStore store(File);
  store.WriteString(SettingsSection, "Last Opened 5", "/old/five.zmp");
  store.WriteString(SettingsSection, "SmpList_Width", "123");
  TPreferences p;
  p.RecentFiles[0] = "/new.zmp";
  p.SampleListWidth = 200;
  WriteSettings(store, p);
  EXPECT_EQ(store.ReadString(SettingsSection, "Last Opened 0", ""), "/new.zmp");
  EXPECT_EQ(store.ReadString(SettingsSection, "Last Opened 5", ""), "/old/five.zmp");
  EXPECT_FALSE(store.ValueExists(SettingsSection, "Last Opened 1"));
  EXPECT_EQ(store.ReadInteger(SettingsSection, "SmpList_Width", 0), 123);
  EXPECT_FALSE(store.ValueExists(SettingsSection, "SmpList"));
  // Device choices that were never made (no device lists in this run)
  // leave the stored ones.
  EXPECT_FALSE(store.ValueExists(SettingsSection, "DS Driver"));
  EXPECT_FALSE(store.ValueExists(SettingsSection, "Output Device"));
}

TEST_F(SettingsTest, FavoritesOnlyReplaceTheListWhenCounted) {
  TSettingsStore store(File);
  TPreferences p;
  p.Favorites = {"/keep"};
  store.WriteString(FavoritesSection, "0", "/stray");
  LoadSettings(store, p, AppPath);
  EXPECT_EQ(p.Favorites, std::vector<std::string>{"/keep"});
  store.WriteDWORD(FavoritesSection, "Count", 50);
  for (int i = 0; i < 50; ++i) store.WriteString(FavoritesSection, std::to_string(i), "/f" + std::to_string(i));
  LoadSettings(store, p, AppPath);
  ASSERT_EQ(p.Favorites.size(), 10u);
  EXPECT_EQ(p.Favorites[0], "/f0");
}

TEST_F(SettingsTest, DamagedFavoritesCountReadsOnlyTheEntriesThere) {
  TSettingsStore store(File);
  store.WriteDWORD(FavoritesSection, "Count", 0xFFFFFFFFu);
  store.WriteString(FavoritesSection, "12", "/b");
  store.WriteString(FavoritesSection, "3", "/a");
  store.WriteString(FavoritesSection, "4", "");     // empty entries are skipped
  store.WriteString(FavoritesSection, "07", "/c");  // not a name the list writes
  const TPreferences p = LoadFresh(store);
  EXPECT_EQ(p.Favorites, (std::vector<std::string>{"/a", "/b"}));
  // Entries at or past the count stay out.
  store.WriteDWORD(FavoritesSection, "Count", 12);
  EXPECT_EQ(LoadFresh(store).Favorites, std::vector<std::string>{"/a"});
}

TEST(RecentFiles, OpenedFileGoesToTheTopAndANinthDropsTheOldest) {
  std::array<std::string, RecentFileCount> r;
  for (int i = 1; i <= 8; ++i) AddRecentFile(r, "/s" + std::to_string(i));
  EXPECT_EQ(r[0], "/s8");
  EXPECT_EQ(r[7], "/s1");
  AddRecentFile(r, "/s9");
  EXPECT_EQ(r[0], "/s9");
  EXPECT_EQ(r[1], "/s8");
  EXPECT_EQ(r[7], "/s2");  // the oldest dropped out
  // An entry already listed moves up without a duplicate.
  AddRecentFile(r, "/s5");
  EXPECT_EQ(r[0], "/s5");
  EXPECT_EQ(r[1], "/s9");
  EXPECT_EQ(std::count(r.begin(), r.end(), "/s5"), 1);
  EXPECT_EQ(r[7], "/s2");
  // Letter case makes a different file.
  AddRecentFile(r, "/S5");
  EXPECT_EQ(r[0], "/S5");
  EXPECT_EQ(r[1], "/s5");
  // The last entry is not searched: it drops and comes back on top.
  const std::string last = r[7];
  AddRecentFile(r, last);
  EXPECT_EQ(r[0], last);
  EXPECT_EQ(std::count(r.begin(), r.end(), last), 1);
}

TEST(DeviceChoice, NameFirstThenIndexClampedThenDefault) {
  const std::vector<std::string> list{"Mapper", "A", "B", "(none)"};
  EXPECT_EQ(ChooseListEntry(list, "B", 0, 3), 2);
  EXPECT_EQ(ChooseListEntry(list, "gone", 1, 3), 1);
  EXPECT_EQ(ChooseListEntry(list, "", 99, 3), 3);
  EXPECT_EQ(ChooseListEntry(list, "", std::nullopt, 3), 3);
  EXPECT_EQ(ChooseListEntry({}, "", 2, 0), -1);
}

TEST(WindowPosition, KeptOnAScreen) {
  const std::vector<TScreenRect> screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  int32_t x = 100, y = 50;
  KeepOnScreen(x, y, 600, 400, screens);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
  x = 2500;  // on the second screen
  KeepOnScreen(x, y, 600, 400, screens);
  EXPECT_EQ(x, 2500);
  x = 5000, y = -3000;  // a screen that is gone
  KeepOnScreen(x, y, 600, 400, screens);
  EXPECT_EQ(x, 1920 - 600);
  EXPECT_EQ(y, 0);
  x = -590, y = 10;  // only 10 pixels of the title showing
  KeepOnScreen(x, y, 600, 400, screens);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 10);
}

}  // namespace
}  // namespace vs
