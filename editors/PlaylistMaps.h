#pragma once
// The playlist grid's arithmetic, without a screen: the colour of every
// cell from what it shows (the edited pattern, the playing bar, the marker,
// the selection, the block of four bars), the header's height from the
// pattern names, and the window's size snapped to whole cells.

#include <utility>
#include <vector>

#include "model/Playlist.h"
#include "toolbox/AllTools.h"

namespace vs {

// Cell sizes of the grid.
constexpr int PlaylistCellSize = 12;
constexpr int PlaylistBarColumnWidth = 22;
constexpr int PlaylistHeaderMin = 22;
// The lines between the cells.
constexpr TColor PlaylistLineColour = 0xA8A4A0;

// What the cell at (col, row) stands for; row = bar + 1, col = pattern.
struct TPlaylistCellView {
  int Col = 0;
  int Row = 0;
  int CurrentPattern = 1;   // the edited pattern's column is darker
  int PlayingBar = -1;      // the playing bar's row is darker (when >= 0)
  int MarkerBar = 0;
  TPlaylistSelection Selection;
};

// The colour a cell is filled with ($00BBGGRR). Header row $C0C0C0; bar
// column $C0C0C0 or $B5B5B5 by block of four bars; pattern cells $FFFFFF or
// $F4F4F4 by block; less $1010 for the edited pattern and for the playing
// bar, less $181800 for the marker's bar label, less $202000 inside the
// selection.
TColor PlaylistCellColour(const TPlaylistCellView& cell);
// Text colours over a fixed cell's base: the engraved highlight (base +
// $282828) and the dim text (base - $505050); the current cell's frame
// (base - $505000).
TColor PlaylistHighlight(TColor base);
TColor PlaylistDimText(TColor base);
TColor PlaylistFocusFrame(TColor base);

// True when the cell lies inside the selection (columns Left..Right, bars
// Top..Bottom); never without a selection.
bool InPlaylistSelection(const TPlaylistSelection& selection, int col, int row);

// The header row's height for the widest non-empty pattern name (0 when
// there is none): at least 19, plus 3.
int PlaylistHeaderHeight(int widestName);

// The cells a painting drag passes over between two pointer samples: every
// cell on the straight line from (fromCol, fromRow), itself left out, to
// (toCol, toRow), one for each cell of the longer side, so that a fast drag
// leaves no gap.
std::vector<std::pair<int, int>> PlaylistDragPath(int fromCol, int fromRow, int toCol, int toRow);

// A window side snapped to whole cells: fixed + n x cell, n the nearest
// whole number of cells in size - fixed, at least one.
int SnapToCells(int size, int fixed, int cell);

}  // namespace vs
