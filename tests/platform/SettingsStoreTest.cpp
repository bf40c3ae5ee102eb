#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>

#include "platform/SettingsStore.h"
#include "support/TempDir.h"
#include "toolbox/AllTools.h"

using namespace vs;
namespace fs = std::filesystem;

namespace {
constexpr const char* Opt = "ZM SETTINGS";
constexpr const char* PlayList = "ZM SETTINGS\\PlayListForm";

int CountEntries(const std::string& dir) {
  int n = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}
}  // namespace

TEST(SettingsStore, FileLocationFollowsTheEnvironment) {
  setenv("VORBELSTEPS_SETTINGS", "/x/mine.ini", 1);
  EXPECT_EQ(TSettingsStore::DefaultFileName(), "/x/mine.ini");
  unsetenv("VORBELSTEPS_SETTINGS");
  // Folders that exist (the program makes its own only inside them).
  TTestDir d;
  fs::create_directories(d / "cfg");
  fs::create_directories(d / "home/u");
  setenv("XDG_CONFIG_HOME", (d / "cfg").c_str(), 1);
  EXPECT_EQ(TSettingsStore::DefaultFileName(), d / "cfg/VorbelSteps/settings.ini");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  setenv("HOME", (d / "home/u").c_str(), 1);
  EXPECT_EQ(TSettingsStore::DefaultFileName(), d / "home/u/.config/VorbelSteps/settings.ini");
}

TEST(SettingsStore, FreshUserReadsDefaults) {
  TTestDir d;
  TSettingsStore s(d / "VorbelSteps/settings.ini");
  EXPECT_EQ(s.Load(), TSettingsLoad::Missing);
  EXPECT_TRUE(s.ReadBool(Opt, "Scope Enabled", true));
  EXPECT_EQ(s.ReadInteger(Opt, "SmpList_Width", 150), 150);
  EXPECT_EQ(s.ReadString(Opt, "DrumKit", ""), "");
  EXPECT_FALSE(s.SectionExists(Opt));
}

TEST(SettingsStore, RoundTripOfEveryKind) {
  TTestDir d;
  std::string file = d / "VorbelSteps/settings.ini";  // folder made on save
  {
    TSettingsStore s(file);
    s.Load();
    s.WriteBool(Opt, "Easy Move", false);
    s.WriteBool(Opt, "Surround", true);
    s.WriteInteger(Opt, "Output Device", -1);
    s.WriteInteger(Opt, "Buffer Length", 8820);
    s.WriteString(Opt, "Last Opened 0", "/home/u/Loops/Caf\xC3\xA9 & co.zmp");
    s.WriteString(Opt, "Odd", "  a=b\\c\r\nline2\t;x  ");
    s.WriteString(Opt, "dwordish", "dword:00000001");
    s.WriteString(Opt, "Empty", "");
    s.WriteString(Opt, " =;weird]name ", "v");
    s.WriteInteger(PlayList, "Left", 120);
    s.WriteDWORD("ZM FAVORITES", "Count", 4000000000u);
    s.WriteString("ZM TOOL 0", "Name", "Editor");
    s.WriteString("[odd]\nsection", "k", "v");
    EXPECT_TRUE(s.Modified());
    ASSERT_TRUE(s.Save());
    EXPECT_FALSE(s.Modified());
  }
  TSettingsStore r(file);
  ASSERT_EQ(r.Load(), TSettingsLoad::Loaded);
  EXPECT_FALSE(r.ReadBool(Opt, "Easy Move", true));
  EXPECT_TRUE(r.ReadBool(Opt, "Surround", false));
  EXPECT_EQ(r.ReadInteger(Opt, "Output Device", 0), -1);
  EXPECT_EQ(r.ReadInteger(Opt, "Buffer Length", 0), 8820);
  EXPECT_EQ(r.ReadString(Opt, "Last Opened 0", ""), "/home/u/Loops/Caf\xC3\xA9 & co.zmp");
  EXPECT_EQ(r.ReadString(Opt, "Odd", ""), "  a=b\\c\r\nline2\t;x  ");
  EXPECT_EQ(r.ReadString(Opt, "dwordish", ""), "dword:00000001");
  EXPECT_EQ(r.ReadValue(Opt, "Empty"), "");
  EXPECT_EQ(r.ReadString(Opt, " =;weird]name ", ""), "v");
  EXPECT_EQ(r.ReadInteger(PlayList, "Left", 0), 120);
  EXPECT_EQ(r.ReadDWORD("ZM FAVORITES", "Count", 0), 4000000000u);
  EXPECT_EQ(r.ReadString("[odd]\nsection", "k", ""), "v");
  EXPECT_EQ(r.ValueNames("ZM TOOL 0"), std::vector<std::string>{"Name"});
  // Saving what was read gives the same file.
  EXPECT_EQ(r.Serialize(), *ReadFileBytes(file));
}

TEST(SettingsStore, NamesInAnyCaseAndNumbersThatAreNot) {
  TSettingsStore s("");
  s.WriteString("zm settings", "LANGUAGE", "2");
  EXPECT_EQ(s.ReadInteger("ZM SETTINGS", "Language", 0), 2);
  s.WriteString("ZM Settings", "language", "x2");  // replaces, keeps one value
  EXPECT_EQ(s.ValueNames(Opt).size(), 1u);
  EXPECT_EQ(s.ReadInteger(Opt, "Language", 5), 5);  // not a number: default
  s.WriteString(Opt, "Splash Screen", "yes");
  EXPECT_TRUE(s.ReadBool(Opt, "Splash Screen", true));
  EXPECT_FALSE(s.ReadBool(Opt, "Splash Screen", false));
  s.WriteString(Opt, "Splash Screen", "7");
  EXPECT_TRUE(s.ReadBool(Opt, "Splash Screen", false));
  s.WriteString(Opt, "Big", "99999999999");
  EXPECT_EQ(s.ReadInteger(Opt, "Big", 3), 3);
  EXPECT_EQ(s.ReadDWORD(Opt, "Big", 3), 3u);
  s.WriteInteger(Opt, "Neg", -1);
  EXPECT_EQ(s.ReadDWORD(Opt, "Neg", 0), 0xFFFFFFFFu);
  s.DeleteValue(Opt, "NEG");
  EXPECT_FALSE(s.ValueExists(Opt, "Neg"));
  s.EraseSection("zm settings");
  EXPECT_FALSE(s.SectionExists(Opt));
  EXPECT_FALSE(s.Save());  // no file name: memory only
}

TEST(SettingsStore, ReadsHandWrittenFiles) {
  TTestDir d;
  std::string file = d.Write("s.ini",
                             "\xEF\xBB\xBF; comment\r\n"
                             "[ZM SETTINGS]\r\n"
                             "  Language = 1\r\n"
                             "VST Plugins=C:\\Plugins\\VST\r\n"
                             "\r\n"
                             "# another\r\n"
                             "[ZM FAVORITES]\r\n"
                             "Count=dword:a\r\n");
  TSettingsStore s(file);
  ASSERT_EQ(s.Load(), TSettingsLoad::Loaded);
  EXPECT_EQ(s.ReadInteger(Opt, "Language", 0), 1);
  EXPECT_EQ(s.ReadString(Opt, "VST Plugins", ""), "C:\\Plugins\\VST");  // unknown escapes stay
  EXPECT_EQ(s.ReadDWORD("ZM FAVORITES", "Count", 0), 10u);
}

TEST(SettingsStore, ALineThatDoesNotParseCostsOnlyItsOwnValue) {
  TTestDir d;
  const std::string bytes =
      "Orphan=1\n"                          // outside any section
      "[ZM SETTINGS]\n"
      "Language=1\n"
      "\x01\x02garbage without equals\n"
      "Count=dword:xyz\n"                   // not a number
      "Surround=1\n"
      "[ZM TOOL 0\n"                        // a broken header: its values go with it
      "Name=lost\n"
      "[ZM DIRS]\n"
      "0=/samples\n";
  const std::string file = d.Write("settings.ini", bytes);
  TSettingsStore s(file);
  ASSERT_EQ(s.Load(), TSettingsLoad::Loaded);
  EXPECT_EQ(s.ReadInteger(Opt, "Language", 0), 1);
  EXPECT_TRUE(s.ReadBool(Opt, "Surround", false));
  EXPECT_EQ(s.ReadDWORD(Opt, "Count", 7), 7u);
  EXPECT_EQ(s.ReadString("ZM DIRS", "0", ""), "/samples");
  EXPECT_FALSE(s.ValueExists("ZM TOOL 0", "Name"));
  EXPECT_EQ(s.SectionNames(), (std::vector<std::string>{"ZM SETTINGS", "ZM DIRS"}));
  // Saved, the good values stay and nothing is set aside.
  ASSERT_TRUE(s.Save());
  EXPECT_FALSE(fs::exists(file + ".bad"));
  TSettingsStore r(file);
  ASSERT_EQ(r.Load(), TSettingsLoad::Loaded);
  EXPECT_EQ(r.ReadInteger(Opt, "Language", 0), 1);
  EXPECT_EQ(r.ReadString("ZM DIRS", "0", ""), "/samples");
}

TEST(SettingsStore, CorruptFileReadsAsEmptyAndIsKeptUntilSave) {
  TTestDir d;
  const std::string bad[] = {
      std::string("[A]\nx=1\0\0\0", 10),  // binary
  };
  for (const std::string& bytes : bad) {
    std::string file = d.Write("settings.ini", bytes);
    fs::remove(d / "settings.ini.bad");
    TSettingsStore s(file);
    EXPECT_EQ(s.Load(), TSettingsLoad::Corrupt);
    EXPECT_EQ(s.ReadInteger(Opt, "Language", 0), 0);
    EXPECT_TRUE(s.SectionNames().empty());
    s.WriteInteger(Opt, "Language", 2);
    EXPECT_EQ(*ReadFileBytes(file), bytes);  // untouched until saved
    ASSERT_TRUE(s.Save());
    EXPECT_EQ(*ReadFileBytes(file + ".bad"), bytes);  // what it held is kept
    TSettingsStore r(file);
    EXPECT_EQ(r.Load(), TSettingsLoad::Loaded);
    EXPECT_EQ(r.ReadInteger(Opt, "Language", 0), 2);
  }
}

TEST(SettingsStore, UnreadableFileIsCorruptNotACrash) {
  TTestDir d;
  fs::create_directories(d / "settings.ini");  // a folder where the file should be
  TSettingsStore s(d / "settings.ini");
  EXPECT_EQ(s.Load(), TSettingsLoad::Corrupt);
  s.WriteBool(Opt, "Surround", true);
  EXPECT_FALSE(s.Save());
  EXPECT_TRUE(fs::is_directory(d / "settings.ini"));
}

TEST(SettingsStore, InterruptedWriteLeavesTheOldFile) {
  TTestDir d;
  std::string file = d / "settings.ini";
  TSettingsStore s(file);
  s.WriteString(Opt, "DrumKit", "/kits/old.zmp");
  ASSERT_TRUE(s.Save());
  const std::string before = *ReadFileBytes(file);

  // The file-size limit cuts the write short, as a full disk would.
  s.WriteString(Opt, "Huge", std::string(200000, 'x'));
  signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  bool saved = s.Save();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(saved);
  EXPECT_TRUE(s.Modified());
  EXPECT_EQ(*ReadFileBytes(file), before);
  EXPECT_EQ(CountEntries(d.Dir()), 1);  // no temporary file left behind

  // A temporary file left by a process that died while writing changes
  // nothing either.
  d.Write(".settings.ini.tmp-1234-0-1", "[ZM SETTINGS]\nDrumKit=/half");
  TSettingsStore r(file);
  ASSERT_EQ(r.Load(), TSettingsLoad::Loaded);
  EXPECT_EQ(r.ReadString(Opt, "DrumKit", ""), "/kits/old.zmp");
  EXPECT_FALSE(r.ValueExists(Opt, "Huge"));
}

TEST(SettingsStore, LoadReplacesWhatWasInMemory) {
  TTestDir d;
  std::string file = d.Write("s.ini", "[A]\nx=1\n");
  TSettingsStore s(file);
  s.WriteString("B", "y", "2");
  ASSERT_EQ(s.Load(), TSettingsLoad::Loaded);
  EXPECT_FALSE(s.SectionExists("B"));
  EXPECT_FALSE(s.Modified());
  EXPECT_EQ(s.ReadInteger("A", "x", 0), 1);
}

TEST(SettingsStore, ControlBoundsLiveInASubSection) {
  TSettingsStore s("");
  SaveControlBounds(s, Opt, "PlayListForm", {10, -20, 300, 200});
  EXPECT_EQ(s.ReadInteger(PlayList, "Top", 0), -20);
  TControlBounds b{1, 2, 3, 4};
  s.WriteString(PlayList, "Width", "wide");  // unreadable: the current value stays
  s.DeleteValue(PlayList, "Height");
  LoadControlBounds(s, Opt, "PlayListForm", b);
  EXPECT_EQ(b.Left, 10);
  EXPECT_EQ(b.Top, -20);
  EXPECT_EQ(b.Width, 3);
  EXPECT_EQ(b.Height, 4);
}
