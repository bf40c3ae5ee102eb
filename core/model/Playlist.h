#pragma once
// The song arrangement: for each of 512 bars the patterns that play there.

#include <array>
#include <vector>

namespace vs {

class TSong;

constexpr int PlaylistBarCount = 512;

struct TPlaylistSelection {
  int Left = 0, Top = 0, Right = -1, Bottom = -1;  // absent while Bottom < 0
};

class TPlaylist {
public:
  explicit TPlaylist(TSong* owner) : Owner(owner) {}

  std::array<std::vector<int>, PlaylistBarCount> PlaylistBars;
  int SongEndBar = 0;
  TPlaylistSelection PlaylistSelection;
  int PlaylistMarker = 0;

private:
  TSong* Owner;
};

}  // namespace vs
