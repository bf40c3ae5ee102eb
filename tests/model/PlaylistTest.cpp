#include <gtest/gtest.h>

#include <vector>

#include "model/Channels.h"
#include "model/Song.h"
#include "model/SongRecorder.h"

using namespace vs;

TEST(Playlist, EmptyPlaylistPlaysPatternBarPlusOne) {
  TSong song;
  std::vector<int> list{9, 9, 9};
  EXPECT_TRUE(song.Playlist.PlaylistEmpty());
  EXPECT_EQ(song.Playlist.PatternsAtBar(5, list), 6);
  EXPECT_EQ(list, std::vector<int>{6});
  EXPECT_EQ(song.Playlist.PatternsAtBar(0, list), 1);
  // An empty playlist may run past the last bar, up to pattern 999.
  EXPECT_EQ(song.Playlist.PatternsAtBar(700, list), 701);
  EXPECT_EQ(song.Playlist.PatternsAtBar(998, list), 999);
  EXPECT_EQ(song.Playlist.PatternsAtBar(999, list), 0);
  EXPECT_EQ(song.Playlist.PatternsAtBar(-1, list), 0);
}

TEST(Playlist, BarsOfAFilledPlaylist) {
  TSong song;
  auto& pl = song.Playlist;
  EXPECT_TRUE(pl.SetPlaylistCell(4, 3, true));  // row 3 = bar 2
  EXPECT_TRUE(pl.SetPlaylistCell(2, 3, true));
  std::vector<int> list;
  EXPECT_EQ(pl.PatternsAtBar(2, list), 4);
  EXPECT_EQ(list, (std::vector<int>{4, 2}));
  EXPECT_EQ(pl.PatternsAtBar(1, list), 0);
  EXPECT_EQ(list, std::vector<int>{0});
  // Bars outside 0..511 read as empty.
  EXPECT_EQ(pl.PatternsAtBar(512, list), 0);
  EXPECT_EQ(pl.PatternsAtBar(-4, list), 0);
  EXPECT_EQ(list, std::vector<int>{0});
}

TEST(Playlist, CellsAreSetsAndOnlyChangesNotify) {
  TSong song;
  SongRecorder rec;
  song.AddListener(&rec);
  auto& pl = song.Playlist;
  EXPECT_TRUE(pl.SetPlaylistCell(7, 1, true));
  EXPECT_FALSE(pl.SetPlaylistCell(7, 1, true));
  EXPECT_EQ(pl.PlaylistBars[0], std::vector<int>{7});
  EXPECT_FALSE(pl.SetPlaylistCell(8, 1, false));
  EXPECT_TRUE(pl.SetPlaylistCell(7, 1, false));
  EXPECT_TRUE(pl.PlaylistBars[0].empty());
  EXPECT_EQ(rec.Events, (std::vector<std::string>{"cell 7 0", "cell 7 0"}));
  // Rows outside 1..512 and patterns outside 1..999 are never written.
  EXPECT_FALSE(pl.SetPlaylistCell(1, 0, true));
  EXPECT_FALSE(pl.SetPlaylistCell(1, 513, true));
  EXPECT_FALSE(pl.SetPlaylistCell(0, 1, true));
  EXPECT_FALSE(pl.SetPlaylistCell(1000, 1, true));
  EXPECT_TRUE(pl.SetPlaylistCell(999, 512, true));
  EXPECT_EQ(pl.PlaylistBars[511], std::vector<int>{999});
  EXPECT_EQ(rec.Events.size(), 3u);
  EXPECT_FALSE(song.Modified());
}

TEST(Playlist, SongEndOfAnEmptyPlaylistFollowsNonEmptyPatterns) {
  TSong song;
  TChannel& c = AddChannel(song);
  for (int p = 1; p <= 3; ++p) c.Steps.SetStepOn(p, 0, true);
  c.Steps.SetStepOn(5, 0, true);  // after a gap: not reached
  song.Playlist.ComputeSongEnd();
  EXPECT_EQ(song.Playlist.SongEndBar, 2);
  c.Steps.SetStepOn(2, 0, false);
  song.Playlist.ComputeSongEnd();
  EXPECT_EQ(song.Playlist.SongEndBar, 0);
}

TEST(Playlist, SongEndOfAnEmptyPlaylistStopsAtBar998) {
  TSong song;
  TChannel& c = AddChannel(song);
  for (int p = 1; p <= MaxPattern; ++p) c.Steps.SetStepOn(p, 0, true);
  song.Playlist.ComputeSongEnd();
  EXPECT_EQ(song.Playlist.SongEndBar, 998);
}

TEST(Playlist, SongEndOfAFilledPlaylistAndOfASelection) {
  TSong song;
  auto& pl = song.Playlist;
  pl.SetPlaylistCell(1, 1, true);
  pl.ComputeSongEnd();
  EXPECT_EQ(pl.SongEndBar, 0);
  pl.SetPlaylistCell(3, 40, true);
  pl.SetPlaylistCell(2, 10, true);
  pl.ComputeSongEnd();
  EXPECT_EQ(pl.SongEndBar, 39);
  pl.PlaylistSelection = {1, 2, 3, 7};
  pl.ComputeSongEnd();
  EXPECT_EQ(pl.SongEndBar, 7);
  pl.PlaylistSelection.Bottom = -1;
  pl.ComputeSongEnd();
  EXPECT_EQ(pl.SongEndBar, 39);
}

TEST(Playlist, ClearEmptiesBarsAndPatternNamesOnly) {
  TSong song;
  SongRecorder rec;
  song.AddListener(&rec);
  auto& pl = song.Playlist;
  pl.SetPlaylistCell(5, 3, true);
  pl.PlaylistMarker = 2;
  pl.PlaylistSelection = {1, 0, 5, 4};
  pl.SongEndBar = 4;
  song.PatternNames[1].Name = "Intro";
  song.PatternNames[999].Name = "Outro";
  pl.ClearPlaylist();
  EXPECT_TRUE(pl.PlaylistEmpty());
  EXPECT_EQ(song.PatternNames[1].Name, "");
  EXPECT_EQ(song.PatternNames[999].Name, "");
  EXPECT_EQ(pl.PlaylistMarker, 2);
  EXPECT_EQ(pl.PlaylistSelection.Bottom, 4);
  EXPECT_EQ(pl.SongEndBar, 4);
  EXPECT_EQ(rec.Events.back(), "cleared");
}
