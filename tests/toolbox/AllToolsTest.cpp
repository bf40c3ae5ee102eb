#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <numeric>
#include <thread>

#include "support/TempDir.h"
#include "toolbox/AllTools.h"

using namespace vs;
namespace fs = std::filesystem;

TEST(Integers, MulDivIntUsesA64BitProduct) {
  EXPECT_EQ(MulDivInt(100000, 50000, 1000), 5000000);  // product 5e9 > 2^31
  EXPECT_EQ(MulDivInt(65536, 65536, 65536), 65536);
  EXPECT_EQ(MulDivInt(-7, 1, 2), -3);  // truncates toward zero
  EXPECT_EQ(MulDivInt(7, -1, 2), -3);
  EXPECT_EQ(MulDivInt(INT_MAX, INT_MAX, 1), INT_MAX);  // clamped, not wrapped
  EXPECT_EQ(MulDivInt(INT_MIN, INT_MAX, 1), INT_MIN);
  EXPECT_EQ(MulDivInt(INT_MIN, -1, 1), INT_MAX);
}

TEST(Integers, MulDivIntByZeroIsZero) {
  EXPECT_EQ(MulDivInt(5, 7, 0), 0);
  EXPECT_EQ(MulDivInt(INT_MIN, INT_MIN, 0), 0);
}

TEST(Integers, SignShiftAndLimits) {
  EXPECT_EQ(IntSign(-5), -1);
  EXPECT_EQ(IntSign(0), 0);
  EXPECT_EQ(IntSign(int64_t(1) << 40), 1);
  EXPECT_EQ(SarInt(-8, 1), -4);
  EXPECT_EQ(SarInt(-1, 40), -1);
  EXPECT_EQ(SarInt(1024, 40), 0);
  int32_t a = 1, b = 2;
  SwapInts(a, b);
  EXPECT_EQ(a * 10 + b, 21);
}

TEST(Integers, FastMoveHandlesOverlapBothWays) {
  std::vector<uint8_t> buf(100), want(100);
  std::iota(buf.begin(), buf.end(), 0);
  std::iota(want.begin(), want.end(), 0);
  FastMove(buf.data(), buf.data() + 10, 50);  // forward overlap
  for (int i = 0; i < 50; ++i) want[10 + i] = static_cast<uint8_t>(i);
  EXPECT_EQ(buf, want);
  std::iota(buf.begin(), buf.end(), 0);
  std::iota(want.begin(), want.end(), 0);
  FastMove(buf.data() + 7, buf.data(), 37);  // backward overlap, odd length
  for (int i = 0; i < 37; ++i) want[i] = static_cast<uint8_t>(i + 7);
  EXPECT_EQ(buf, want);
  FastMove(nullptr, buf.data(), 0);
}

TEST(Strings, ParseKeyValueLine) {
  EXPECT_EQ(ParseKeyValueLine("Name=Kick", "NAME"), "Kick");
  EXPECT_EQ(ParseKeyValueLine("name=Kick", "Name"), "Kick");    // any case
  EXPECT_EQ(ParseKeyValueLine("k=a=b", "K"), "a=b");            // rest after the first "="
  EXPECT_EQ(ParseKeyValueLine("Val=12\r", "val"), "12");        // CR LF file
  EXPECT_EQ(ParseKeyValueLine("Empty=", "EMPTY"), "");          // found, empty value
  EXPECT_EQ(ParseKeyValueLine("'Name=Kick", "NAME"), std::nullopt);  // comment
  EXPECT_EQ(ParseKeyValueLine("Name Kick", "NAME"), std::nullopt);
  EXPECT_EQ(ParseKeyValueLine("Names=Kick", "NAME"), std::nullopt);
  EXPECT_EQ(ParseKeyValueLine(" Name=Kick", "NAME"), std::nullopt);
  EXPECT_EQ(ParseKeyValueLine("", ""), std::nullopt);
  EXPECT_EQ(ParseKeyValueLine("=x", ""), "x");
}

TEST(Strings, ParseKeyValueLineKeepsNoStateBetweenThreads) {
  std::atomic<int> wrong{0};
  auto run = [&](bool hit) {
    for (int i = 0; i < 20000; ++i) {
      auto v = ParseKeyValueLine(hit ? "A=1" : "'A=1", "A");
      if (v.has_value() != hit) ++wrong;
    }
  };
  std::thread t1(run, true), t2(run, false);
  t1.join();
  t2.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST(Strings, CutToken) {
  std::string t = "a,b,,c";
  EXPECT_EQ(CutToken(t, ','), "a");
  EXPECT_EQ(t, "b,,c");
  EXPECT_EQ(CutToken(t, ','), "b");
  EXPECT_EQ(CutToken(t, ','), "");
  EXPECT_EQ(CutToken(t, ','), "c");
  EXPECT_EQ(t, "");
  EXPECT_EQ(CutToken(t, ','), "");
}

TEST(Strings, IntToStrZeroPadNeverCutsDigits) {
  EXPECT_EQ(IntToStrZeroPad(5, 3), "005");
  EXPECT_EQ(IntToStrZeroPad(42, 10), "0000000042");
  EXPECT_EQ(IntToStrZeroPad(12345, 3), "12345");
  EXPECT_EQ(IntToStrZeroPad(1234567890123LL, 2), "1234567890123");
  EXPECT_EQ(IntToStrZeroPad(-5, 3), "-005");
  EXPECT_EQ(IntToStrZeroPad(-1234, 2), "-1234");
  EXPECT_EQ(IntToStrZeroPad(0, 0), "0");
  EXPECT_EQ(IntToStrZeroPad(7, -3), "7");
  EXPECT_EQ(IntToStrZeroPad(INT64_MIN, 1), "-9223372036854775808");
  EXPECT_EQ(IntToStrZeroPad(1, 100).size(), 64u);  // absurd widths are limited
}

TEST(Strings, VersionToInt) {
  EXPECT_EQ(VersionToInt("1.6.0"), 1006000);
  EXPECT_EQ(VersionToInt("2"), 2000000);
  EXPECT_EQ(VersionToInt("1.x.5"), 1000005);
  EXPECT_EQ(VersionToInt("1.3.61"), 1003061);
  EXPECT_EQ(VersionToInt("1.6"), 1006000);
  EXPECT_EQ(VersionToInt(""), 0);
  EXPECT_EQ(VersionToInt("1.2.3.4"), 1002000);          // third part "3.4" is no number
  EXPECT_EQ(VersionToInt("99999999999.1.1"), 1001);    // a part past 32 bits counts 0
  EXPECT_EQ(VersionToInt("2147483647.999.999"), INT_MAX);  // clamped, no overflow
  EXPECT_EQ(VersionToInt("-2147483648.0.0"), INT_MIN);
}

TEST(Strings, SmallHelpers) {
  EXPECT_EQ(DoubleAmpersands("Drum & Bass &&"), "Drum && Bass &&&&");
  EXPECT_EQ(DoubleAmpersands("none"), "none");
  EXPECT_EQ(AddBackslash("/a/b"), "/a/b/");
  EXPECT_EQ(AddBackslash("/a/b/"), "/a/b/");
  EXPECT_EQ(AddBackslash(""), "");
  const char buf[6] = {'a', 'b', 0, 'c', 'd', 'e'};
  EXPECT_EQ(BufToString(buf, 6), "ab");
  EXPECT_EQ(BufToString(buf + 3, 3), "cde");  // no NUL: stops at the length
  EXPECT_TRUE(IsParamPresent("/nosplash", {"prog", "/NoSplash"}));
  EXPECT_FALSE(IsParamPresent("/R", {"prog", "/Rx"}));
  EXPECT_EQ(StrToIntDef(" 42 ", 7), 42);
  EXPECT_EQ(StrToIntDef("-3", 7), -3);
  EXPECT_EQ(StrToIntDef("$FF", 7), 255);
  EXPECT_EQ(StrToIntDef("12a", 7), 7);
  EXPECT_EQ(StrToIntDef("", 7), 7);
  EXPECT_EQ(StrToIntDef("-", 7), 7);
  EXPECT_EQ(StrToIntDef("4294967296", 7), 7);
  EXPECT_EQ(StrToIntDef("2147483648", 7), 7);
}

TEST(Colours, ShiftColorClampsEachChannel) {
  EXPECT_EQ(ShiftColor(0x00FF8000, 200), 0x00FFFFC8u);
  EXPECT_EQ(ShiftColor(0x00FF8000, -200), 0x00370000u);
  EXPECT_EQ(ShiftColor(0x12000000, 0), 0x12000000u);  // high byte unchanged
}

TEST(Colours, BlendColors) {
  EXPECT_EQ(BlendColors(0, 0x00123456, 0x00ABCDEF), 0x00123456u);
  EXPECT_EQ(BlendColors(256, 0x00123456, 0x00ABCDEF), 0x00ABCDEFu);
  EXPECT_EQ(BlendColors(128, 0x00000000, 0x00FFFFFF), 0x007F7F7Fu);
  EXPECT_EQ(BlendColors(64, 0x00000010, 0x00000090), 0x00000030u);  // (0x90*64+0x10*192)>>8
  EXPECT_EQ(BlendColors(999, 0, 0x00FFFFFF), 0x00FFFFFFu);  // weight limited to 256
}

TEST(Colours, HSLToColor) {
  EXPECT_EQ(HSLToColor(0, 1, 0.5), 0x000000FFu);      // red
  EXPECT_EQ(HSLToColor(1.0 / 3, 1, 0.5), 0x0000FF00u);  // green
  EXPECT_EQ(HSLToColor(2.0 / 3, 1, 0.5), 0x00FF0000u);  // blue
  EXPECT_EQ(HSLToColor(1.0, 1, 0.5), 0x000000FFu);    // hue wraps
  EXPECT_EQ(HSLToColor(-1.0 / 3, 1, 0.5), 0x00FF0000u);
  EXPECT_EQ(HSLToColor(0.5, 0, 0.5), 0x00808080u);    // grey
  EXPECT_EQ(HSLToColor(0.2, 1, 1), 0x00FFFFFFu);
  EXPECT_EQ(HSLToColor(0.2, 1, 0), 0x00000000u);
  // Hue 1/6 (yellow) at the channel loader's saturation and lightness.
  EXPECT_EQ(HSLToColor(1.0 / 6, 0.87, 0.6), RGBColor(242, 242, 64));
}

TEST(Colours, RedBlueAndScreenColours) {
  EXPECT_EQ(SwapRedBlue(0x01112233), 0x01332211u);
  EXPECT_EQ(ColorToArgb(0x00112233), 0xFF332211u);
  EXPECT_EQ(ArgbToColor(0xFF332211u), 0x00112233u);
}

TEST(Files, FindInSubDirsSearchesDepthFirstInAnyCase) {
  TTestDir d;
  d.Write("a/b/Kick.WAV", "x");
  d.Write("c/kick.wav", "y");
  EXPECT_EQ(FindInSubDirs("kick.wav", d.Dir()), d / "a/b/Kick.WAV");  // "a" before "c"
  d.Write("kick.wav", "z");
  EXPECT_EQ(FindInSubDirs("kick.wav", d.Dir()), d / "kick.wav");  // own folder first
  EXPECT_EQ(FindInSubDirs("snare.wav", d.Dir()), "");
  EXPECT_EQ(FindInSubDirs("../kick.wav", d.Dir() + "/a"), "");
  EXPECT_EQ(FindInSubDirs("kick.wav", d / "missing"), "");
}

TEST(Files, FindInSubDirsDoesNotFollowLinkedFolders) {
  TTestDir d, outside;
  fs::create_directories(d / "a");
  fs::create_directory_symlink(d.Dir(), d / "a/loop");  // a cycle
  outside.Write("deep/only.wav", "x");
  fs::create_directory_symlink(outside.Dir(), d / "a/out");
  EXPECT_EQ(FindInSubDirs("only.wav", d.Dir()), "");
  EXPECT_EQ(FindInSubDirs("nothing.wav", d.Dir()), "");
}

TEST(Files, ForceDirectoryAndFindFirstFilePath) {
  TTestDir d;
  EXPECT_TRUE(ForceDirectory(d / "x/y/z"));
  EXPECT_TRUE(fs::is_directory(d / "x/y/z"));
  EXPECT_TRUE(ForceDirectory(d / "x/y/z"));
  EXPECT_FALSE(ForceDirectory(""));
  d.Write("x/b.ZMP", "1");
  d.Write("x/a.zmp", "1");
  d.Write("x/c.wav", "1");
  EXPECT_EQ(FindFirstFilePath(d / "x", "*.zmp"), d / "x/a.zmp");
  EXPECT_EQ(FindFirstFilePath(d / "x", "?.WAV"), d / "x/c.wav");
  EXPECT_EQ(FindFirstFilePath(d / "x", "*.xi"), "");
  EXPECT_TRUE(MatchesMask("abc.txt", "a*c.*"));
  EXPECT_FALSE(MatchesMask("abc.txt", "a*d.*"));
}

TEST(Files, DeleteDirectoryTreeRefusesDangerousPaths) {
  EXPECT_FALSE(DeleteDirectoryTree("", true));
  EXPECT_FALSE(DeleteDirectoryTree("  ", true));
  EXPECT_FALSE(DeleteDirectoryTree("/", true));
  EXPECT_FALSE(DeleteDirectoryTree("/tmp/..", true));
  TTestDir home;
  home.Write("precious.txt", "keep");
  std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", home.Dir().c_str(), 1);
  EXPECT_FALSE(DeleteDirectoryTree(home.Dir(), true));
  EXPECT_FALSE(DeleteDirectoryTree(home.Dir() + "/", true));
  EXPECT_FALSE(DeleteDirectoryTree(home / "..", true));  // a parent of home
  EXPECT_TRUE(IsProtectedPath(home.Dir()));
  setenv("HOME", oldHome.c_str(), 1);
  EXPECT_TRUE(fs::exists(home / "precious.txt"));
}

TEST(Files, DeleteDirectoryTreeRemovesContentsButNotLinkTargets) {
  TTestDir d, outside;
  outside.Write("keep.txt", "keep");
  d.Write("f1", "1");
  d.Write("sub/f2", "2");
  fs::create_directory_symlink(outside.Dir(), d / "link");
  EXPECT_TRUE(DeleteDirectoryTree(d.Dir(), false));
  EXPECT_FALSE(fs::exists(d / "f1"));
  EXPECT_TRUE(fs::exists(d / "sub/f2"));  // not recursive: sub-folders stay
  EXPECT_TRUE(DeleteDirectoryTree(d.Dir(), true));
  EXPECT_FALSE(fs::exists(d / "sub"));
  EXPECT_TRUE(fs::is_directory(d.Dir()));  // the folder itself stays
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

TEST(Files, TempDirectoryIsPrivateToTheProcess) {
  TTestDir base;
  setenv("TMPDIR", base.Dir().c_str(), 1);
  std::string t = GetTempDirectory();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.back(), '/');
  EXPECT_EQ(t.rfind(base.Dir() + "/VorbelSteps-", 0), 0u) << t;
  struct stat st{};
  ASSERT_EQ(stat(t.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(GetTempDirectory(), t);
  std::ofstream(t + "x.wav") << "x";
  RemoveTempDirectory();
  EXPECT_FALSE(fs::exists(t));
  std::string t2 = GetTempDirectory();
  EXPECT_NE(t2, t);
  RemoveTempDirectory();
  unsetenv("TMPDIR");
}

TEST(Files, VersionInfoKeyTableIsBounded) {
  EXPECT_EQ(VersionInfoKey(1), "CompanyName");
  EXPECT_EQ(VersionInfoKey(8), "ProductName");
  EXPECT_EQ(VersionInfoKey(10), "Comments");
  EXPECT_EQ(VersionInfoKey(0), "");
  EXPECT_EQ(VersionInfoKey(11), "");
  EXPECT_EQ(GetVersionInfoValue("/bin/sh", 99), "");
}

TEST(Files, TheRunningProgramAnswersFromItsOwnVersionTable) {
  const std::string self = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(GetVersionInfoValue(self, 8), "VorbelSteps");  // ProductName
  EXPECT_EQ(GetVersionInfoValue(self, 2), "VorbelSteps drum machine and step sequencer");
  const std::string file = GetVersionInfoValue(self, 3);  // FileVersion a.b.0.c
  EXPECT_EQ(VersionToInt(file.substr(0, file.rfind('.'))) % 1000, 0) << file;
  EXPECT_EQ(GetVersionInfoValue(self, 1), "");  // no company
  EXPECT_EQ(GetVersionInfoValue(self, 11), "");
  // Other files carry no version block.
  EXPECT_EQ(GetVersionInfoValue("/bin/sh", 8), "");
  EXPECT_EQ(GetVersionInfoValue("", 8), "");
}

TEST(Files, ReadFileBytes) {
  TTestDir d;
  EXPECT_EQ(ReadFileBytes(d.Write("x.bin", std::string("a\0b", 3))), std::string("a\0b", 3));
  EXPECT_EQ(ReadFileBytes(d / "missing"), std::nullopt);
  EXPECT_EQ(ReadFileBytes(d.Dir()), std::nullopt);
}

// A program's icon comes from the desktop entry that starts it, found in
// the user's data folder before the system's; a picture is its own icon.
TEST(Files, ExtractIconFromFileFollowsTheDesktopEntries) {
  TTestDir d;
  const std::string user = d / "user", system = d / "system";
  setenv("XDG_DATA_HOME", user.c_str(), 1);
  setenv("XDG_DATA_DIRS", ("relative:" + system).c_str(), 1);
  const std::string editor = d.Write("bin/wave editor", "#!/bin/sh\n");
  const std::string player = d.Write("bin/player", "#!/bin/sh\n");
  const std::string bare = d.Write("bin/bare", "#!/bin/sh\n");
  d.Write("system/applications/kde/editor.desktop",
          "[Desktop Action Open]\nIcon=wrong\n[Desktop Entry]\r\nName=Editor\r\nExec=\"" + editor +
              "\" %F\r\nIcon = waveedit\r\n");
  const std::string big = d.Write("system/icons/hicolor/256x256/apps/waveedit.png", "p");
  const std::string mid = d.Write("system/icons/hicolor/48x48/apps/waveedit.png", "p");
  // By its file name, with the icon in the pixmaps; the user's own entry
  // names a picture that isn't there, so the system's serves.
  d.Write("user/applications/player.desktop", "[Desktop Entry]\nExec=player --new\nIcon=gone\n");
  d.Write("system/applications/player.desktop", "[Desktop Entry]\nExec=player\nIcon=play\n");
  const std::string pixmap = d.Write("system/pixmaps/play.xpm", "p");

  EXPECT_EQ(ExtractIconFromFile(editor, 0), mid);  // 48 pixels before 256
  EXPECT_EQ(ExtractIconFromFile(player, 0), pixmap);
  EXPECT_EQ(ExtractIconFromFile(bare, 0), "");  // no entry starts it
  EXPECT_EQ(ExtractIconFromFile(editor, 1), "");  // one icon at most
  EXPECT_EQ(ExtractIconFromFile(editor, -1), "");
  EXPECT_EQ(ExtractIconFromFile(big, 0), big);
  EXPECT_EQ(ExtractIconFromFile(d / "system/applications/kde/editor.desktop", 0), mid);
  EXPECT_EQ(ExtractIconFromFile(d / "missing", 0), "");
  EXPECT_EQ(ExtractIconFromFile(d.Dir(), 0), "");
  EXPECT_EQ(ExtractIconFromFile("", 0), "");
  // An entry's icon by full path; a name that climbs out of the folders
  // finds nothing.
  d.Write("user/applications/bare.desktop", "[Desktop Entry]\nExec=" + bare + "\nIcon=../../" + pixmap + "\n");
  EXPECT_EQ(ExtractIconFromFile(bare, 0), "");
  d.Write("user/applications/bare.desktop", "[Desktop Entry]\nExec=" + bare + "\nIcon=" + pixmap + "\n");
  EXPECT_EQ(ExtractIconFromFile(bare, 0), pixmap);
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_DATA_DIRS");
}
