// The drum-kit menu over kit folders made in a temporary folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/DrumKitMenu.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class DrumKitMenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    Root = fs::temp_directory_path() / ("vs-kits-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Root);
    fs::create_directories(Root);
  }
  void TearDown() override { fs::remove_all(Root); }
  void Touch(const std::string& relative) {
    fs::create_directories((Root / relative).parent_path());
    std::ofstream(Root / relative) << "x";
  }
  fs::path Root;
};

TEST_F(DrumKitMenuTest, KitFoldersWithSongsOnlyGoStraightIntoTheMenu) {
  Touch("Basic/Basic.zmp");
  Touch("Rock & Roll/Rock & Roll.ZMP");
  Touch("Rock & Roll/kick.wav");
  Touch("Top.zMp");
  const TDrumKitMenu menu = BuildDrumKitMenu(Root.string() + "/");
  ASSERT_EQ(menu.Entries.size(), 3u);
  EXPECT_EQ(menu.Entries[0].Caption, "Basic");
  EXPECT_EQ(menu.Entries[1].Caption, "Rock && Roll");
  EXPECT_EQ(menu.Entries[2].Caption, "Top");
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(menu.Entries[i].IsMenu());
    EXPECT_EQ(menu.Entries[i].Tag, i);
  }
  ASSERT_EQ(menu.KitFiles.size(), 3u);
  EXPECT_EQ(fs::path(menu.KitFiles[1]), Root / "Rock & Roll/Rock & Roll.ZMP");
}

TEST_F(DrumKitMenuTest, AFolderWithSubFoldersGetsASubMenuNamedAfterIt) {
  Touch("Electro/Electro.zmp");
  Touch("Electro/808/808.zmp");
  Touch("Electro/909/909.zmp");
  const TDrumKitMenu menu = BuildDrumKitMenu(Root.string());
  // Electro's own song, then the sub-menu "Electro" holding its
  // sub-folders' songs.
  ASSERT_EQ(menu.Entries.size(), 2u);
  const TDrumKitMenuEntry& sub = menu.Entries[0];
  ASSERT_TRUE(sub.IsMenu());
  EXPECT_EQ(sub.Caption, "Electro");
  ASSERT_EQ(sub.Children.size(), 2u);
  EXPECT_EQ(sub.Children[0].Caption, "808");
  EXPECT_EQ(sub.Children[1].Caption, "909");
  EXPECT_EQ(menu.Entries[1].Caption, "Electro");
  EXPECT_FALSE(menu.Entries[1].IsMenu());
  EXPECT_EQ(menu.KitFiles.size(), 3u);
  EXPECT_EQ(fs::path(menu.KitFiles[sub.Children[1].Tag]), Root / "Electro/909/909.zmp");
}

TEST_F(DrumKitMenuTest, MissingFoldersAndLinkLoopsEndCleanly) {
  EXPECT_TRUE(BuildDrumKitMenu((Root / "none").string()).Entries.empty());
  Touch("A/a.zmp");
  fs::create_directory_symlink(Root, Root / "A/loop");
  const TDrumKitMenu menu = BuildDrumKitMenu(Root.string());
  EXPECT_GT(menu.KitFiles.size(), 1u);
  EXPECT_LE(menu.KitFiles.size(), size_t(MaxDrumKitDepth) + 1);
}

}  // namespace
}  // namespace vs
