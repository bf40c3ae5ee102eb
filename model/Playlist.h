#pragma once
// The song arrangement: for each of 512 bars the patterns that play there.
// Each bar is a set of pattern numbers 1..999 in the order they were placed;
// the first one leads the bar. Bars outside 0..511 read as empty and are
// never written.

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

  static bool ValidBar(int bar) { return bar >= 0 && bar < PlaylistBarCount; }

  // True when no bar holds a pattern.
  bool PlaylistEmpty() const;
  // Empties every bar and every pattern name (selection, marker and song end
  // stay).
  void ClearPlaylist();
  // Fills list with the patterns that play at bar and returns the first.
  // An empty playlist plays pattern bar + 1 (0, no pattern, past 999); an
  // empty bar gives the list (0). The list keeps its capacity, so a caller
  // that reserved PatternSlots entries never allocates here.
  int PatternsAtBar(int bar, std::vector<int>& list) const;
  // Sets SongEndBar: the selection's bottom bar when there is a selection;
  // for an empty playlist the run of non-empty patterns after pattern 1 (at
  // most bar 998); otherwise the last bar that holds a pattern.
  void ComputeSongEnd();
  // Places (set) or removes a pattern at the bar of a window row (bar =
  // row - 1). True, and the views hear of it, only when the bar changed.
  // Does not mark the song modified.
  bool SetPlaylistCell(int pattern, int row, bool set);
  // Normalises a playing bar in place: past the selection's bottom it goes to
  // the selection's top; without a selection it goes to PlaylistMarker once
  // no bar from it on plays anything (for an empty playlist: once pattern
  // bar + 1 is empty, or past bar 998).
  void NextPlaylistPosition(int& bar) const;

private:
  TSong* Owner;
};

}  // namespace vs
