#include "model/Playlist.h"

#include <algorithm>

#include "model/MixerLock.h"
#include "model/Song.h"

namespace vs {

bool TPlaylist::PlaylistEmpty() const {
  return std::all_of(PlaylistBars.begin(), PlaylistBars.end(),
                     [](const std::vector<int>& bar) { return bar.empty(); });
}

void TPlaylist::ClearPlaylist() {
  {
    MixerGuard lock;
    for (auto& bar : PlaylistBars) bar.clear();
    if (Owner)
      for (int p = 1; p <= MaxPattern; ++p) Owner->PatternNames[p].Name.clear();
  }
  if (Owner) Owner->Notify(&SongListener::PlaylistCleared);
}

int TPlaylist::PatternsAtBar(int bar, std::vector<int>& list) const {
  list.clear();
  if (PlaylistEmpty()) {
    const int pattern = bar >= 0 && bar < MaxPattern ? bar + 1 : 0;
    list.push_back(pattern);
    return pattern;
  }
  if (ValidBar(bar)) list.assign(PlaylistBars[bar].begin(), PlaylistBars[bar].end());
  if (list.empty()) list.push_back(0);
  return list.front();
}

void TPlaylist::ComputeSongEnd() {
  if (PlaylistSelection.Bottom >= 0) {
    SongEndBar = PlaylistSelection.Bottom;
    return;
  }
  if (PlaylistEmpty()) {
    SongEndBar = 0;
    while (SongEndBar < 998 && Owner && !Owner->IsPatternEmpty(SongEndBar + 2)) ++SongEndBar;
    return;
  }
  SongEndBar = 0;
  for (int bar = PlaylistBarCount - 1; bar >= 1; --bar)
    if (!PlaylistBars[bar].empty()) {
      SongEndBar = bar;
      break;
    }
}

bool TPlaylist::SetPlaylistCell(int pattern, int row, bool set) {
  const int bar = row - 1;
  if (!ValidBar(bar) || pattern < 1 || pattern > MaxPattern) return false;
  {
    // The mixer reads the bars under the lock; a list may move in memory
    // when it grows.
    MixerGuard lock;
    auto& list = PlaylistBars[bar];
    auto at = std::find(list.begin(), list.end(), pattern);
    if (set == (at != list.end())) return false;
    if (set)
      list.push_back(pattern);
    else
      list.erase(at);
  }
  if (Owner) Owner->Notify(&SongListener::PlaylistCellChanged, pattern, bar);
  return true;
}

void TPlaylist::NextPlaylistPosition(int& bar) const {
  if (PlaylistSelection.Bottom >= 0) {
    if (bar > PlaylistSelection.Bottom) bar = PlaylistSelection.Top;
    return;
  }
  if (PlaylistEmpty()) {
    if (!(bar >= 0 && bar < 999 && Owner && !Owner->IsPatternEmpty(bar + 1))) bar = PlaylistMarker;
    return;
  }
  for (int b = std::max(bar, 0); b < PlaylistBarCount; ++b)
    if (!PlaylistBars[b].empty()) return;
  bar = PlaylistMarker;
}

}  // namespace vs
