#pragma once
// The arithmetic of the draw grid, without a screen: one axis (columns or
// rows) of fixed cells that always show at its start and scrolling cells
// shown from First on, each cell its size plus the grid line after it.

#include <vector>

namespace vs {

struct TGridAxis {
  int Count = 5;
  int Fixed = 1;
  int DefaultSize = 24;
  std::vector<int> Sizes;  // per cell; missing entries take DefaultSize
  int LineWidth = 1;
  int First = 1;  // the first scrolling cell shown

  int Size(int i) const;
  // Pixels the fixed cells take.
  int FixedExtent() const;
  // Where cell i starts in the view; -1 when it is scrolled out of view
  // (or outside the axis).
  int Start(int i) const;
  // The cell at pixel p of the view, -1 past the last cell or for p < 0.
  int At(int p) const;
  // The last cell that starts inside a view of extent pixels.
  int LastVisible(int extent) const;
  // The largest First with which the last cell still shows whole.
  int MaxFirst(int extent) const;
  // First kept within Fixed..MaxFirst.
  void ClampFirst(int extent);
  // Scrolls the least that shows cell i whole (fixed cells need none).
  void ScrollInView(int i, int extent);
};

}  // namespace vs
