#pragma once
// The arithmetic of docks and floating tool windows, without widgets: how a
// dock lays its tool windows out in rows, which dock a dragged window is
// over, which row a drop lands in, where a floating outline may go, and how
// a floating window that lies off every screen comes back onto one.
//
// Rectangles exclude their right and bottom edges. "Along" a dock is the
// direction of its rows (x on a top or bottom dock, y on a left or right
// one); "across" is the other.

#include <cstdint>
#include <vector>

namespace vs {

enum TDockPosition { dpTop, dpBottom, dpLeft, dpRight };

inline bool IsVerticalDock(TDockPosition position) { return position == dpLeft || position == dpRight; }

// The set of dock positions a tool window may dock to.
using TDockPositions = unsigned;
inline constexpr TDockPositions DockPositionBit(TDockPosition p) { return 1u << p; }
inline constexpr TDockPositions AllDockPositions = 0xF;

struct TDockRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  bool Intersects(const TDockRect& r) const {
    return Left < r.Right && r.Left < Right && Top < r.Bottom && r.Top < Bottom;
  }
  TDockRect Moved(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  friend bool operator==(const TDockRect&, const TDockRect&) = default;
};

// One visible tool window of a dock, as arranging sees it.
struct TDockedBar {
  int Tag = 0;  // the caller's own, kept with the bar
  int DockRow = 0;
  int DockPos = 0;
  int Length = 0;     // outer size along the dock
  int CrossSize = 0;  // the size it wants across the dock
  // Set by ArrangeDock: the place in the dock's client area.
  int Across = 0;       // offset across the dock
  int AcrossSize = 0;   // its size across (the row size)
};

struct TDockOptions {
  bool LimitToOneRow = false;
  bool OnePerRow = false;
  bool FixAlign = false;
  int ClientLength = 0;  // the dock's client size along
};

// A row never measures less than this across.
inline constexpr int MinDockRowSize = 8;
// Positions along a dock are kept within +-MaxDockPos.
inline constexpr int MaxDockPos = 1 << 24;

struct TDockArrangement {
  std::vector<int> RowSizes;
  int Thickness = 0;  // client thickness across the dock
};

// Lays the bars out: sorted by row then position (the order the vector is
// left in), rows forced for one-row and one-per-row docks, blank rows
// removed, each row as thick as its thickest bar (at least 8), bars pushed
// apart along their row and a row that overruns the dock shifted back, no
// position below 0. An empty dock is 0 thick (1 with FixAlign).
TDockArrangement ArrangeDock(const TDockOptions& options, std::vector<TDockedBar>& bars);

// Where a drop across the dock lands: the row to dock in, and whether a new
// row is made there (the rows at and after it move down one).
struct TDropRow {
  int Row = 0;
  bool Insert = false;
};
// centre: the middle of the dropped outline across the dock, in the dock's
// client coordinates; rowSizes as arranged.
TDropRow PickDropRow(const std::vector<int>& rowSizes, int centre);

// One dock a dragged window may go to, in screen coordinates.
struct TDockTarget {
  TDockRect Rect;
  bool Vertical = false;
  bool Empty = false;      // no window docked: the rectangle grows by 1 across
  int DockedWidth = 0;     // the window's outer size when docked there
  int DockedHeight = 0;
};

// The first of the targets (in the order given: top, bottom, left, right
// docks) that the cursor is over while dragging a window of outer size
// width x height grabbed at grab (relative to its top-left); -1 for none.
int FindDockTarget(const std::vector<TDockTarget>& targets, int cursorX, int cursorY, int grabX, int grabY,
                   int width, int height);

// The outline of a docked shape that keeps the cursor at its relative grab
// point.
TDockRect DockedOutline(const TDockTarget& target, int cursorX, int cursorY, int grabX, int grabY, int width,
                        int height);

// The floating outline while dragging: the cursor held inside the work area,
// the outline placed at the grab point, then kept inside the work area shrunk
// by margin on each side.
TDockRect FloatingOutline(const TDockRect& workArea, int cursorX, int cursorY, int grabX, int grabY, int width,
                          int height, int margin);

// Moves rect onto a work area: left by what passes the right edge, up by
// what passes the bottom, then right and down when it starts before the
// left or top edge. With several work areas, a rect that touches none goes
// to the nearest one; one that touches any stays where it is.
TDockRect BringOnScreen(const TDockRect& rect, const std::vector<TDockRect>& workAreas);
TDockRect MoveInside(const TDockRect& rect, const TDockRect& area);

}  // namespace vs
