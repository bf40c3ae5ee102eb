#include "files/ZipSong.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/ZipFixtures.h"
#include "toolbox/AllTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class ZipSongTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  TRecordingMessageBox Boxes;
  TZipMaster Zip;
  std::vector<std::string> Infos;
  TInfoSink Info = [this](const std::string& t) { Infos.push_back(t); };
  std::string Py, Temp;
  void SetUp() override {
    Py = Tmp / "py";
    Temp = Tmp / "temp/";
    fs::create_directories(Py);
    fs::create_directories(Temp);
    Zip.ExtrOptions = ExtrOverWrite;
  }
  std::vector<std::string> PackageFolders() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Temp)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST(ZipProgress, EveryFourthCallShowsTheTextWithItsDots) {
  EXPECT_EQ(ZipProgressText(4), "Processing zip file.");
  EXPECT_EQ(ZipProgressText(8), "Processing zip file..");
  EXPECT_EQ(ZipProgressText(12), "Processing zip file...");
  EXPECT_EQ(ZipProgressText(16), "Processing zip file");
  EXPECT_EQ(ZipProgressText(20), "Processing zip file.");
  std::vector<std::string> shown;
  const TInfoSink sink = [&](const std::string& t) { shown.push_back(t); };
  for (int i = 0; i < 16; ++i) ZipMasterProgress(sink);  // the counter is never reset
  ASSERT_EQ(shown.size(), 4u);
  for (const std::string& t : shown) EXPECT_EQ(t.rfind("Processing zip file", 0), 0u);
  // Four consecutive reports of a never-reset counter cover every dot count once.
  std::vector<size_t> dots;
  for (const std::string& t : shown) dots.push_back(t.size() - std::string("Processing zip file").size());
  std::sort(dots.begin(), dots.end());
  EXPECT_EQ(dots, (std::vector<size_t>{0, 1, 2, 3}));
}

TEST(ZipProgram, ComponentIsSetUpForPackages) {
  TZipMaster& zip = ProgramZipMaster();
  EXPECT_EQ(&zip, &ProgramZipMaster());
  EXPECT_EQ(zip.AddCompLevel, 9);
  EXPECT_EQ(zip.AddOptions, 0u);
  EXPECT_EQ(zip.ExtrOptions, uint32_t(ExtrOverWrite));
  EXPECT_FALSE(zip.Unattended);
}

TEST_F(ZipSongTest, PackageHoldsTheSongAndEachFileUnderItsOwnName) {
  const std::vector<uint8_t> song{'S', 'O', 'N', 'G'};
  const std::string kick = Tmp.Write("kits/a/kick.wav", "KICK");
  const std::string other = Tmp.Write("kits/b/kick.wav", "OTHER");
  const std::string hat = Tmp.Write("kits/b/hat.wav", "HAT");
  const std::string target = Tmp / "out/beat.zip";
  fs::create_directories(Tmp / "out");
  Tmp.Write("out/beat.zip", "old package");
  ASSERT_TRUE(WriteSongPackage(Zip, target, "beat.zmp", song, {{kick, "kick.wav"}, {hat, "hat.wav"}, {other, "kick-2.wav"}},
                               Temp, Info));
  const auto held = test::ReadZip(Py, target);
  EXPECT_EQ(held, (std::map<std::string, std::string>{
                      {"beat.zmp", "SONG"}, {"hat.wav", "HAT"}, {"kick.wav", "KICK"}, {"kick-2.wav", "OTHER"}}));
  EXPECT_EQ(Boxes.Count(), 0u);
  EXPECT_EQ(Zip.ZipFilename(), target);
  EXPECT_EQ(Zip.Count(), 4);
  // Nothing but the package is left in its folder, nothing in the work folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(Tmp / "out"), fs::directory_iterator()), 1);
  EXPECT_TRUE(PackageFolders().empty());

  // A song without samples gives the song file alone, replacing the old package whole.
  ASSERT_TRUE(WriteSongPackage(Zip, target, "beat.zmp", song, {}, Temp, Info));
  EXPECT_EQ(test::ReadZip(Py, target).size(), 1u);
}

TEST_F(ZipSongTest, AFailedPackageKeepsTheOldFileAndLeavesNothing) {
  const std::string target = Tmp.Write("beat.zip", "old package");
  const std::string kick = Tmp.Write("kits/a/kick.wav", "KICK");
  const std::vector<uint8_t> song{'S'};
  // A file that is gone by the time it is packed.
  EXPECT_FALSE(WriteSongPackage(Zip, target, "beat.zmp", song, {{Tmp / "kits/gone.wav", "gone.wav"}}, Temp, Info));
  EXPECT_EQ(ReadFileBytes(target), std::string("old package"));
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_NE(Boxes.Boxes()[0].Message.find("gone.wav"), std::string::npos);
  // A folder in the package's place: it stays as it was.
  fs::create_directories(Tmp / "taken.zip/inside");
  EXPECT_FALSE(WriteSongPackage(Zip, Tmp / "taken.zip", "beat.zmp", song, {{kick, "kick.wav"}}, Temp, Info));
  EXPECT_TRUE(fs::is_directory(Tmp / "taken.zip/inside"));
  EXPECT_EQ(Boxes.Count(), 2u);
  // No work folder to gather the files in.
  EXPECT_FALSE(WriteSongPackage(Zip, target, "beat.zmp", song, {{kick, "kick.wav"}}, Tmp / "no-such/", Info));
  EXPECT_EQ(ReadFileBytes(target), std::string("old package"));
  EXPECT_EQ(Boxes.Count(), 3u);
  for (const auto& e : fs::directory_iterator(Tmp.Dir()))
    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
  EXPECT_TRUE(PackageFolders().empty());
}

TEST_F(ZipSongTest, OpeningUnpacksIntoANewFolderAndTakesTheFirstSong) {
  const std::string pack = Tmp / "Two Songs.ZIP";
  ASSERT_TRUE(test::MakeZip(Py, pack,
                            "z.writestr('zeta.zmp', 'Z')\nz.writestr('Alpha.ZMP', 'A')\nz.writestr('kick.wav', 'K')"));
  const std::optional<std::string> first = OpenSongPackage(Zip, pack, Temp, "", Info);
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, Temp + "Package-1/Alpha.ZMP");
  EXPECT_EQ(ReadFileBytes(Temp + "Package-1/kick.wav"), std::string("K"));
  ASSERT_FALSE(Infos.empty());
  EXPECT_EQ(Infos[0], "Unzipping: two songs.zip");

  // The next package: the folder of the open song stays, all others go.
  const std::optional<std::string> second = OpenSongPackage(Zip, pack, Temp, Temp + "Package-1/", Info);
  ASSERT_TRUE(second);
  EXPECT_EQ(*second, Temp + "Package-2/Alpha.ZMP");
  EXPECT_EQ(PackageFolders(), (std::vector<std::string>{"Package-1", "Package-2"}));
  const std::optional<std::string> third = OpenSongPackage(Zip, pack, Temp, Temp + "Package-2", Info);
  ASSERT_TRUE(third);
  EXPECT_EQ(*third, Temp + "Package-1/Alpha.ZMP");  // a free name again
  EXPECT_EQ(PackageFolders(), (std::vector<std::string>{"Package-1", "Package-2"}));

  // Without a song: an empty name, and no folder is left for it.
  const std::string samples = Tmp / "samples.zip";
  ASSERT_TRUE(test::MakeZip(Py, samples, "z.writestr('kick.wav', 'K')"));
  const std::optional<std::string> none = OpenSongPackage(Zip, samples, Temp, Temp + "Package-1/", Info);
  ASSERT_TRUE(none);
  EXPECT_EQ(*none, "");
  EXPECT_EQ(PackageFolders(), std::vector<std::string>{"Package-1"});
  EXPECT_EQ(Boxes.Count(), 0u);
}

// A package of ten thousand small entries opens whole (how fast is the
// package benchmark's: bench/PackageOpenBench.cpp), and the component's
// syncing choice is left as it was.
TEST_F(ZipSongTest, APackageOfTenThousandEntriesOpensWhole) {
  const std::string pack = Tmp / "many.zip";
  ASSERT_TRUE(test::MakeZip(Py, pack, "z.writestr('song.zmp', 'S')\nfor i in range(10000): z.writestr('s%05d.txt' % i, str(i))"));
  const std::optional<std::string> song = OpenSongPackage(Zip, pack, Temp, "", Info);
  ASSERT_TRUE(song);
  EXPECT_EQ(*song, Temp + "Package-1/song.zmp");
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(Temp + "Package-1")) files += e.is_regular_file();
  EXPECT_EQ(files, 10001u);
  EXPECT_EQ(ReadFileBytes(Temp + "Package-1/s09999.txt"), std::string("9999"));
  EXPECT_TRUE(Zip.ExtrSyncFiles);
  EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(ZipSongTest, ADamagedPackageNeverCostsTheOpenSongsFiles) {
  const std::string pack = Tmp / "good.zip";
  ASSERT_TRUE(test::MakeZip(Py, pack, "z.writestr('beat.zmp', 'S')\nz.writestr('kick.wav', 'K')"));
  ASSERT_EQ(OpenSongPackage(Zip, pack, Temp, "", Info), Temp + "Package-1/beat.zmp");
  const std::string bad = Tmp.Write("bad.zip", std::string("PK\x03\x04", 4) + std::string(100, 'x'));
  EXPECT_FALSE(OpenSongPackage(Zip, bad, Temp, Temp + "Package-1/", Info));
  ASSERT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(Boxes.Boxes()[0].Caption, "Error");
  EXPECT_EQ(Boxes.Boxes()[0].Message.rfind("The zip file is damaged or is not a zip file:", 0), 0u);
  EXPECT_EQ(PackageFolders(), std::vector<std::string>{"Package-1"});
  EXPECT_EQ(ReadFileBytes(Temp + "Package-1/kick.wav"), std::string("K"));

  // Every entry refused: nothing to open, the folder is removed again.
  const std::string evil = Tmp / "evil.zip";
  ASSERT_TRUE(test::MakeZip(Py, evil, "z.writestr('../beat.zmp', 'S')\n" + test::LinkEntry("x.zmp", "/etc/passwd")));
  EXPECT_FALSE(OpenSongPackage(Zip, evil, Temp, Temp + "Package-1/", Info));
  EXPECT_EQ(PackageFolders(), std::vector<std::string>{"Package-1"});
  EXPECT_FALSE(fs::exists(Temp + "beat.zmp"));
  EXPECT_EQ(Boxes.Count(), 2u);
  // No temporary folder at all.
  EXPECT_FALSE(OpenSongPackage(Zip, pack, "", "", Info));
  EXPECT_EQ(Boxes.Count(), 3u);
}

}  // namespace
}  // namespace vs
