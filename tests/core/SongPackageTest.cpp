// The zipped song package through the song commands: Save as in the fourth
// type, and opening a ".zip" like a song.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "model/Channels.h"
#include "model/SongReset.h"
#include "engine/Mixer.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "files/ZipSong.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/ZipFixtures.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class PackageHost : public TSongCommandHost {
public:
  std::deque<TSaveChoice> SaveChoices;
  std::vector<std::string> Infos;
  std::vector<bool> Busy;
  std::optional<TSaveChoice> ChooseSaveFile(const std::string&, int) override {
    if (SaveChoices.empty()) return std::nullopt;
    TSaveChoice c = SaveChoices.front();
    SaveChoices.pop_front();
    return c;
  }
  void ShowInfo(const std::string& t) override { Infos.push_back(t); }
  void SetBusyCursor(bool busy) override { Busy.push_back(busy); }
};

class SongPackageTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  TRecordingMessageBox Boxes;
  PackageHost Host;
  TPreferences Prefs;
  TSongCommands Commands{Prefs, Host};

  void SetUp() override {
    ProgramPaths() = {};
    ProgramPaths().AppPath = Tmp.Dir() + "/app/";
    fs::create_directories(Tmp / "py");
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    song->SetModified(false);
    ReplaceCurrentSong(std::move(song));
  }
  void TearDown() override {
    ProgramPaths() = {};
    StopAllVoices();
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(GetTempDirectory(), ec))
      if (e.path().filename().string().rfind(PackageFolderPrefix, 0) == 0) fs::remove_all(e.path(), ec);
  }
  std::string Wav(const std::string& name, int frames) {
    TWAVSample s;
    s.SetFrames(std::vector<int16_t>(size_t(frames) * 2, 1000));
    const std::string path = Tmp / name;
    fs::create_directories(fs::path(path).parent_path());
    EXPECT_TRUE(SaveWAVFile(&s, path));
    return path;
  }
};

TEST_F(SongPackageTest, SaveZippedThenOpenTheZipFindsItsSamples) {
  const std::string kick = Wav("kits/kick.wav", 10);
  const std::string hat = Wav("kits/hat.wav", 20);
  TSong song;
  AddChannel(song).SampleFileName = kick;
  AddChannel(song).SampleFileName = hat;
  AddChannel(song).SampleFileName = kick;
  AddChannel(song);
  song.BPM = 123;
  const std::string beat = Tmp / "loops/beat.zmp";
  fs::create_directories(Tmp / "loops");
  ASSERT_TRUE(SaveSong(beat, song));
  ASSERT_TRUE(Commands.OpenSong(beat));
  ASSERT_EQ(CurrentSong().Channels[1]->Sample.Length, 20);

  fs::create_directories(Tmp / "out");
  Host.SaveChoices.push_back({Tmp / "out/beat", SaveTypePackage});
  Host.Busy.clear();
  ASSERT_TRUE(Commands.ZippedCommand());
  const auto held = test::ReadZip(Tmp / "py", Tmp / "out/beat.zip");
  ASSERT_EQ(held.size(), 3u);
  EXPECT_EQ(held.at("kick.wav"), *ReadFileBytes(kick));
  // The packed song names its samples by their names in the package.
  const std::string packed = held.at("beat.zmp");
  EXPECT_EQ(packed.find(kick), std::string::npos);
  EXPECT_NE(packed.find(std::string("kick.wav\0", 9)), std::string::npos);
  EXPECT_EQ(Host.Busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(Host.Infos.back(), "");
  EXPECT_EQ(Commands.OpenedFileName, beat);  // the song itself is not renamed
  EXPECT_EQ(Boxes.Count(), 0u);

  // The samples are now only in the package.
  fs::remove_all(Tmp / "kits");
  auto empty = std::make_unique<TSong>();
  ResetSongModel(*empty);
  ReplaceCurrentSong(std::move(empty));
  Host.Infos.clear();
  ASSERT_TRUE(Commands.OpenSong(Tmp / "out/beat.zip"));
  const std::string songFile = ProgramPaths().SongFileName;
  EXPECT_EQ(songFile.rfind(GetTempDirectory() + PackageFolderPrefix, 0), 0u) << songFile;
  EXPECT_EQ(ExtractFileName(songFile), "beat.zmp");
  EXPECT_EQ(Commands.OpenedFileName, Tmp / "out/beat.zip");
  EXPECT_EQ(Prefs.RecentFiles[0], Tmp / "out/beat.zip");
  EXPECT_EQ(CurrentSong().BPM, 123);
  EXPECT_EQ(CurrentSong().Channels[0]->Sample.Length, 10);
  EXPECT_EQ(CurrentSong().Channels[1]->Sample.Length, 20);
  EXPECT_FALSE(CurrentSong().Modified());
  ASSERT_FALSE(Host.Infos.empty());
  EXPECT_EQ(Host.Infos[0], "Unzipping: beat.zip");

  // A damaged archive: a message, and the open song keeps everything,
  // its unpacked files included.
  const std::string bad = Tmp.Write("bad.zip", std::string("PK\x03\x04", 4) + "broken");
  EXPECT_FALSE(Commands.OpenSong(bad));
  EXPECT_EQ(Boxes.Count(), 1u);
  EXPECT_EQ(ProgramPaths().SongFileName, songFile);
  EXPECT_EQ(Commands.OpenedFileName, Tmp / "out/beat.zip");
  EXPECT_EQ(CurrentSong().BPM, 123);
  EXPECT_TRUE(fs::exists(ExtractFilePath(songFile) + "kick.wav"));

  // A package without a song: the song reader's message, nothing changes.
  const std::string noSong = Tmp / "samples.zip";
  ASSERT_TRUE(test::MakeZip(Tmp / "py", noSong, "z.writestr('kick.wav', 'K')"));
  EXPECT_FALSE(Commands.OpenSong(noSong));
  ASSERT_EQ(Boxes.Count(), 2u);
  EXPECT_EQ(Boxes.Boxes()[1].Message, "Error while reading the ZMP file\rwhich may be corrupted.");
  EXPECT_EQ(ProgramPaths().SongFileName, songFile);

  // Saving the opened package again writes a package (through Save as).
  Host.SaveChoices.push_back({Tmp / "out/again.zip", SaveTypePackage});
  EXPECT_TRUE(Commands.Save());
  EXPECT_EQ(test::ReadZip(Tmp / "py", Tmp / "out/again.zip").size(), 3u);
}

TEST_F(SongPackageTest, AnUnsavedSongIsPackedAsItIsNow) {
  Commands.SetSongFileName(Tmp / "app/Loops/untitled.zmp", Tmp / "app/Loops/untitled.zmp");
  CurrentSong().BPM = 141;
  CurrentSong().SetModified(true);
  Host.SaveChoices.push_back({Tmp / "pack.zip", SaveTypePackage});
  EXPECT_TRUE(Commands.ZippedCommand());
  EXPECT_EQ(Boxes.Count(), 0u);
  EXPECT_TRUE(CurrentSong().Modified()) << "an export is not the song's own file";
  EXPECT_EQ(Commands.OpenedFileName, Tmp / "app/Loops/untitled.zmp");
  ASSERT_TRUE(Commands.OpenSong(Tmp / "pack.zip"));
  EXPECT_EQ(CurrentSong().BPM, 141);
}

}  // namespace
}  // namespace vs
