#pragma once
// The playlist window's editing commands, without a window: the selection
// drag, cut / copy / paste of a block of bars through the playlist
// clipboard, inserting and deleting a bar row, moving the marker and naming
// a pattern. Edits of many bars take MixerLock (the mixer reads the bars at
// every bar change); each command marks the song modified when it changed
// something. The window repaints what the commands report.
//
// Cells are addressed as the window's grid shows them: column = pattern
// number (column 0 is the bar column), row = bar + 1 (row 0 is the header).

#include <string>
#include <vector>

#include "model/Song.h"

namespace vs {

constexpr int PlaylistColumns = PatternSlots;        // 0 = bar column, 1..999 patterns
constexpr int PlaylistRows = PlaylistBarCount + 1;  // 0 = header, 1..512 bars

// Copied bars: for each bar (top first) the offsets of its patterns from
// the selection's left column, and the selection's width (right - left).
struct TPlaylistClipboard {
  std::vector<std::vector<int>> Bars;
  int Width = 0;
  bool Empty() const { return Bars.empty(); }
};
TPlaylistClipboard& PlaylistClipboard();

// The target of a paste, insert or delete from the grid's current cell: a
// cell in the bar column or the header means pattern 1 and bar 0.
struct TPlaylistCell {
  int Pattern = 1;
  int Bar = 0;
};
TPlaylistCell PlaylistTargetCell(int col, int row);

// Copies the selected cells into the clipboard (cut: and removes them from
// the bars). Nothing without a selection; false then.
bool CopyPlaylistSelection(TSong& song, bool cut = false);
// Replaces the area from (pattern, bar) on, clipped at pattern 999 and bar
// 511, by the clipboard. Returns the area written as (left, top, right,
// bottom) in patterns and bars; Bottom < 0 when nothing was pasted.
TPlaylistSelection PastePlaylist(TSong& song, TPlaylistCell at);
// Bars from bar on move down one place; bar 511's patterns are lost and
// bar becomes empty.
void InsertPlaylistRow(TSong& song, int bar);
// The bar is removed, later bars move up one place, bar 511 becomes empty.
void DeletePlaylistRow(TSong& song, int bar);

// The loop: the selection that song playback stays inside (Bottom < 0:
// none), set under MixerLock (the mixer reads it at every bar). True when
// it changed.
bool SetPlaylistSelection(TSong& song, const TPlaylistSelection& selection);

// The marker goes to bar (0..511), under MixerLock. True when it moved (the
// song is then modified).
bool SetPlaylistMarker(TSong& song, int bar);

// The pattern's name becomes name. True when it changed (the song is then
// modified).
bool SetPatternName(TSong& song, int pattern, const std::string& name);

// The selection drag of the playlist grid (Ctrl with the left button, or a
// double click in the header or the bar column).
class TPlaylistSelectDrag {
public:
  // The drag starts at a cell. Over the bar column the selection spans all
  // patterns, over the header all bars. A start on a cell that already is
  // the whole selection removes the selection and ends the drag: false.
  bool Start(TPlaylistSelection& selection, int col, int row);
  // The pointer moved to a cell: the selection spans from the anchor to it.
  void Move(TPlaylistSelection& selection, int col, int row) const;
  // Whether the drag started in the bar column (whole bars).
  bool WholeBars() const { return Bars; }

private:
  void Span(TPlaylistSelection& selection, int col, int row) const;
  int AnchorCol = 1;
  int AnchorBar = 0;
  bool Bars = false;
};

}  // namespace vs
