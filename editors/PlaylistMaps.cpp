#include "editors/PlaylistMaps.h"

#include <algorithm>
#include <cstdlib>

namespace vs {

namespace {

// Colours here are darkened channel by channel, never below 0.
TColor Less(TColor c, TColor amount) {
  auto ch = [](int v, int d) { return std::max(v - d, 0); };
  return RGBColor(ch(GetRValue(c), GetRValue(amount)), ch(GetGValue(c), GetGValue(amount)),
                  ch(GetBValue(c), GetBValue(amount)));
}

}  // namespace

bool InPlaylistSelection(const TPlaylistSelection& s, int col, int row) {
  const int bar = row - 1;
  return s.Bottom >= 0 && col >= s.Left && col <= s.Right && bar >= s.Top && bar <= s.Bottom;
}

TColor PlaylistCellColour(const TPlaylistCellView& cell) {
  const int bar = cell.Row - 1;
  const bool oddBlock = bar >= 0 && (bar / 4) % 2 == 1;
  TColor c;
  if (cell.Row == 0 || cell.Col == 0) {
    c = cell.Row == 0 ? 0xC0C0C0 : oddBlock ? 0xB5B5B5 : 0xC0C0C0;
    if (cell.Col == cell.CurrentPattern) c = Less(c, 0x1010);
    if (cell.Row > 0 && bar == cell.PlayingBar && cell.PlayingBar >= 0) c = Less(c, 0x1010);
    if (cell.Row > 0 && bar == cell.MarkerBar) c = Less(c, 0x181800);
    return c;
  }
  c = oddBlock ? 0xF4F4F4 : 0xFFFFFF;
  if (cell.Col == cell.CurrentPattern) c = Less(c, 0x1010);
  if (bar == cell.PlayingBar && cell.PlayingBar >= 0) c = Less(c, 0x1010);
  if (InPlaylistSelection(cell.Selection, cell.Col, cell.Row)) c = Less(c, 0x202000);
  return c;
}

TColor PlaylistHighlight(TColor base) { return ShiftColor(base, 0x28); }
TColor PlaylistDimText(TColor base) { return ShiftColor(base, -0x50); }
TColor PlaylistFocusFrame(TColor base) { return Less(base, 0x505000); }

int PlaylistHeaderHeight(int widestName) { return std::max(widestName, 19) + 3; }

int SnapToCells(int size, int fixed, int cell) {
  if (cell <= 0) return size;
  const int n = std::max(1, (size - fixed + cell / 2) / cell);
  return fixed + n * cell;
}

std::vector<std::pair<int, int>> PlaylistDragPath(int fromCol, int fromRow, int toCol, int toRow) {
  std::vector<std::pair<int, int>> cells;
  const int dc = toCol - fromCol, dr = toRow - fromRow;
  const int n = std::max(std::abs(dc), std::abs(dr));
  for (int k = 1; k <= n; ++k) {
    // Rounded to the nearest cell, halves away from the start.
    auto along = [k, n](int from, int d) { return from + (2 * d * k + (d < 0 ? -n : n)) / (2 * n); };
    cells.emplace_back(along(fromCol, dc), along(fromRow, dr));
  }
  return cells;
}

}  // namespace vs
