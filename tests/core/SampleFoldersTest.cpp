// What the sample browser lists: which files show in a sample part and a
// song part and under which names, description files and their limits,
// folders reached again through links, a scan that is stopped, and the
// strip's slide.

#include "core/SampleFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/TempDir.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

std::map<std::string, TBrowserRecord> ByName(const TScanResult& r) {
  std::map<std::string, TBrowserRecord> m;
  for (const TScanEntry& e : r.Entries) m[e.Name] = e.Record;
  return m;
}

std::vector<std::string> Names(const TScanResult& r) {
  std::vector<std::string> n;
  for (const TScanEntry& e : r.Entries) n.push_back(e.Name);
  return n;
}

TScanOptions Options(TBrowserRootKind kind) {
  TScanOptions o;
  o.Filter = ScanFilter(kind);
  return o;
}

TEST(SampleFolders, SamplePartsShowSamplesInstrumentsAndScriptsSongPartsOnlySongs) {
  TTestDir t;
  for (const char* f : {"kick.wav", "kick.ds", "snare.WAV", "bass.xi", "pad.SYN", "acid.404", "steps.fpr",
                        "notes.txt", "kit.zmp", "Kits/tom.wav"})
    t.Write(f, "x");
  // The folder's description: a tip, a French name and a colour; a file's
  // description names it in English and asks for a colour out of range.
  t.Write("Kits.nfo", "Tip=Toms and more\r\nName_1=Fûts\r\nColIndex=3\r\n");
  t.Write("snare.nfo", "Name_0=Snare drum\nColIndex=9\n");

  TBrowserRecord parent;
  parent.ColorIndex = 2;
  TScanOptions o = Options(SampleRoot);
  o.Language = 1;
  TScanResult r = ScanFolder(t.Dir(), parent, 0, {}, o);
  // The ".wav" beside a ".ds" of its name is hidden; the script shows whole.
  EXPECT_EQ(Names(r), (std::vector<std::string>{" Fûts", "acid.404", "bass.xi", "kick.ds", "pad.SYN", "snare",
                                                "steps.fpr"}));
  EXPECT_EQ(r.Found, 6);
  auto m = ByName(r);
  EXPECT_EQ(m[" Fûts"].Kind, BrowserFolder);
  EXPECT_EQ(m[" Fûts"].Path, t / "Kits");
  EXPECT_EQ(m[" Fûts"].Hint, "Toms and more");
  EXPECT_EQ(m[" Fûts"].ColorIndex, 3);
  EXPECT_EQ(m[" Fûts"].Indent, 6);
  EXPECT_FALSE(m[" Fûts"].Scanned);
  EXPECT_EQ(m["snare"].Kind, BrowserSample);
  EXPECT_EQ(m["snare"].ColorIndex, 2);  // 9 is no colour: the inherited one stays
  EXPECT_EQ(m["kick.ds"].Path, t / "kick.ds");
  // Language 0 reads the other name.
  o.Language = 0;
  EXPECT_EQ(ByName(ScanFolder(t.Dir(), parent, -1, {}, o)).count("Snare drum"), 1u);
  EXPECT_EQ(ByName(ScanFolder(t.Dir(), parent, -1, {}, o))[" Kits"].Indent, 0);
  EXPECT_EQ(ScanEndText(r), "Found 6 files");

  TBrowserRecord songs;
  songs.RootKind = SongRoot;
  TScanResult s = ScanFolder(t.Dir(), songs, 0, {}, Options(SongRoot));
  EXPECT_EQ(Names(s), (std::vector<std::string>{" Kits", "kit.zmp"}));
  EXPECT_EQ(ByName(s)["kit.zmp"].Kind, BrowserSong);
  EXPECT_EQ(ByName(s)[" Kits"].RootKind, SongRoot);

  // "No dir": the sub-folder's files join the list.
  o.Flat = true;
  EXPECT_EQ(ByName(ScanFolder(t.Dir(), parent, 0, {}, o)).count("tom"), 1u);
  EXPECT_EQ(ScanEndText(ScanFolder(t / "Kits/empty", parent, 0, {}, o)), "");
}

TEST(SampleFolders, FoldersReachedAgainThroughLinksAreReadOnce) {
  TTestDir t;
  t.Write("Lib/a.wav", "x");
  t.Write("Lib/Sub/b.wav", "x");
  fs::create_directory_symlink(t / "Lib", t / "Lib/Sub/up");  // a loop
  fs::create_directory_symlink(t / "Lib/Sub", t / "Lib/same");  // a second way in
  fs::create_directory_symlink(t / "nowhere", t / "Lib/broken");

  TBrowserRecord parent;
  TScanOptions flat = Options(SampleRoot);
  flat.Flat = true;
  TScanResult r = ScanFolder(t / "Lib", parent, 0, {}, flat);
  // Read in name order, the sub-folder's file where the folder comes.
  EXPECT_EQ(Names(r), (std::vector<std::string>{"b", "a"}));

  // In the tree the link to a folder above is left out; the second way to
  // a folder that is not above is an ordinary folder.
  TScanResult sub = ScanFolder(t / "Lib/Sub", parent, 1, {t / "Lib"}, Options(SampleRoot));
  EXPECT_EQ(Names(sub), std::vector<std::string>{"b"});
  EXPECT_EQ(Names(ScanFolder(t / "Lib", parent, 0, {}, Options(SampleRoot))),
            (std::vector<std::string>{" Sub", "a", " same"}));
}

TEST(SampleFolders, DescriptionFilesAreReadOnlyToTheirLimit) {
  TTestDir t;
  t.Write("loop.wav", "x");
  std::string text = "ColIndex=1\n";
  text += std::string(MaxFolderInfoBytes, '#') + "\nTip=too far\n";
  t.Write("loop.nfo", text);
  TBrowserRecord r;
  r.Kind = BrowserSample;
  r.Path = t / "loop.wav";
  r.Hint = "old";
  std::string name = "loop";
  ReadFolderInfo(r, name, 0);
  EXPECT_EQ(r.ColorIndex, 1);
  EXPECT_EQ(r.Hint, "");
  EXPECT_EQ(FolderInfoFile(r), t / "loop.nfo");
  r.Kind = BrowserFolder;
  r.Path = t / "Kits";
  EXPECT_EQ(FolderInfoFile(r), t / "Kits.nfo");
}

TEST(SampleFolders, AStoppedScanSaysSoAndTheProgressDotsGoRound) {
  TTestDir t;
  for (int i = 0; i < 700; ++i) t.Write("s" + std::to_string(1000 + i) + ".wav", "");
  std::vector<int> reports;
  TScanOptions o = Options(SampleRoot);
  o.Progress = [&](int report) {
    reports.push_back(report);
    return report < 1;
  };
  TScanResult r = ScanFolder(t.Dir(), TBrowserRecord{}, 0, {}, o);
  EXPECT_TRUE(r.Canceled);
  EXPECT_EQ(reports, (std::vector<int>{0, 1}));
  EXPECT_EQ(r.Found, 511);
  EXPECT_EQ(ScanEndText(r), "Search canceled");
  EXPECT_EQ(ScanProgressText(0), "Looking for samples.");
  EXPECT_EQ(ScanProgressText(16), "Looking for samples" + std::string(17, '.'));
  EXPECT_EQ(ScanProgressText(17), "Looking for samples.");
}

TEST(SampleFolders, TheStripSlidesOpenInTwelveStepsAndResizesWithinItsBounds) {
  EXPECT_EQ(SampleListSlideWidth(150, 0), 13);
  EXPECT_EQ(SampleListSlideWidth(150, 12), 150);
  EXPECT_EQ(SampleListSlideWidth(150, -12), 150);
  // Step 6: 13 + 137 sin(sin(pi / 4) pi / 2) = 13 + 137 x 0.8944 = 135.5.
  EXPECT_EQ(SampleListSlideWidth(150, 6), 136);
  int last = 13;
  for (int k = 1; k <= 12; ++k) {
    EXPECT_GE(SampleListSlideWidth(150, k), last);  // eases in at the end
    last = SampleListSlideWidth(150, k);
  }
  EXPECT_EQ(SampleListDragWidth(150, 5, 0), 155);
  EXPECT_EQ(SampleListDragWidth(150, 5, -500), 300);
  EXPECT_EQ(SampleListDragWidth(150, 0, 400), 13);
  EXPECT_EQ(SearchFolderName("/home/me/Loops/Breaks/"), "Breaks");
}

}  // namespace
}  // namespace vs
