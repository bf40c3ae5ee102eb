#include "framework/DockLayout.h"

#include <algorithm>
#include <climits>

namespace vs {

TDockArrangement ArrangeDock(const TDockOptions& options, std::vector<TDockedBar>& bars) {
  TDockArrangement result;
  if (bars.empty()) {
    result.Thickness = options.FixAlign ? 1 : 0;
    return result;
  }
  std::stable_sort(bars.begin(), bars.end(), [](const TDockedBar& a, const TDockedBar& b) {
    return a.DockRow != b.DockRow ? a.DockRow < b.DockRow : a.DockPos < b.DockPos;
  });
  for (size_t i = 0; i < bars.size(); ++i) {
    if (options.LimitToOneRow) bars[i].DockRow = 0;
    if (options.OnePerRow) bars[i].DockRow = static_cast<int>(i);
  }
  for (TDockedBar& b : bars) {
    b.DockRow = std::max(b.DockRow, 0);
    b.DockPos = std::clamp(b.DockPos, -MaxDockPos, MaxDockPos);
  }

  // Blank rows go, every one of them (also two or more in a row): the rows
  // in use are numbered 0, 1, 2... in their order. The bars are sorted by
  // row, so each new row number comes after the last.
  int highest = -1;
  int lastRow = -1;
  for (TDockedBar& b : bars) {
    if (b.DockRow != lastRow) {
      lastRow = b.DockRow;
      ++highest;
    }
    b.DockRow = highest;
  }

  result.RowSizes.assign(static_cast<size_t>(highest) + 1, MinDockRowSize);
  for (const TDockedBar& b : bars)
    result.RowSizes[b.DockRow] = std::max(result.RowSizes[b.DockRow], b.CrossSize);

  int across = 0;
  for (int r = 0; r <= highest; ++r) {
    std::vector<TDockedBar*> row;
    for (TDockedBar& b : bars)
      if (b.DockRow == r) row.push_back(&b);
    // Apart along the row.
    int p = 0;
    for (TDockedBar* b : row) {
      if (b->DockPos <= p)
        b->DockPos = p;
      else
        p = b->DockPos;
      p += b->Length;
    }
    // A row that overruns the dock moves back by the last bar's overrun.
    if (!row.empty()) {
      const TDockedBar& last = *row.back();
      const int overrun = last.DockPos + last.Length - options.ClientLength;
      if (overrun > 0)
        for (TDockedBar* b : row) b->DockPos -= overrun;
    }
    // Placed, none before the start or over the one before it.
    p = 0;
    for (TDockedBar* b : row) {
      b->DockPos = std::max(b->DockPos, p);
      b->Across = across;
      b->AcrossSize = result.RowSizes[r];
      p = b->DockPos + b->Length;
    }
    across += result.RowSizes[r];
  }
  result.Thickness = across;
  return result;
}

TDropRow PickDropRow(const std::vector<int>& rowSizes, int centre) {
  int start = 0;
  const int rows = static_cast<int>(rowSizes.size());
  for (int r = 0;; ++r) {
    const int end = r < rows ? start + rowSizes[r] : INT_MAX;
    if (centre <= start + 5) return {r, r < rows};
    if (r >= rows || centre < end - 5) return {r, false};
    start = end;
  }
}

namespace {

// a * num / den rounded, for the grab ratios; a window 1 pixel wide counts
// as grabbed at its start.
int Ratio(int a, int num, int den) {
  if (den <= 0) return 0;
  return static_cast<int>((int64_t(a) * num * 2 + den) / (int64_t(den) * 2));
}

int Scaled(int size, int grab, int whole) {
  if (whole <= 0) return 0;
  return static_cast<int>(int64_t(size) * grab / whole);
}

}  // namespace

TDockRect DockedOutline(const TDockTarget& target, int cursorX, int cursorY, int grabX, int grabY, int width,
                        int height) {
  const int left = cursorX - Scaled(target.DockedWidth - 1, grabX, width - 1);
  const int top = cursorY - Scaled(target.DockedHeight - 1, grabY, height - 1);
  return {left, top, left + target.DockedWidth, top + target.DockedHeight};
}

int FindDockTarget(const std::vector<TDockTarget>& targets, int cursorX, int cursorY, int grabX, int grabY,
                   int width, int height) {
  const int fx = Ratio(grabX, 32, width - 1);
  const int fy = Ratio(grabY, 20, height - 1);
  for (size_t i = 0; i < targets.size(); ++i) {
    const TDockTarget& t = targets[i];
    TDockRect r = t.Rect;
    // An empty dock (0 thick) first grows by a pixel across, so that the
    // ranges below can hold the cursor at all.
    if (t.Empty) {
      if (t.Vertical)
        r.Right += 1;
      else
        r.Bottom += 1;
    }
    if (cursorX < r.Left - (32 - fx) || cursorX > r.Right - 1 + fx) continue;
    if (t.Vertical && (cursorY < r.Top || cursorY >= r.Bottom)) continue;
    if (cursorY < r.Top - (20 - fy) || cursorY > r.Bottom - 1 + fy) continue;
    if (DockedOutline(t, cursorX, cursorY, grabX, grabY, width, height).Intersects(r))
      return static_cast<int>(i);
  }
  return -1;
}

TDockRect MoveInside(const TDockRect& rect, const TDockRect& area) {
  TDockRect r = rect;
  if (r.Right > area.Right) r = r.Moved(area.Right - r.Right, 0);
  if (r.Bottom > area.Bottom) r = r.Moved(0, area.Bottom - r.Bottom);
  if (r.Left < area.Left) r = r.Moved(area.Left - r.Left, 0);
  if (r.Top < area.Top) r = r.Moved(0, area.Top - r.Top);
  return r;
}

TDockRect FloatingOutline(const TDockRect& workArea, int cursorX, int cursorY, int grabX, int grabY, int width,
                          int height, int margin) {
  const int x = std::clamp(cursorX, workArea.Left, std::max(workArea.Left, workArea.Right - 1));
  const int y = std::clamp(cursorY, workArea.Top, std::max(workArea.Top, workArea.Bottom - 1));
  const TDockRect outline{x - grabX, y - grabY, x - grabX + width, y - grabY + height};
  const TDockRect inner{workArea.Left + margin, workArea.Top + margin, workArea.Right - margin,
                        workArea.Bottom - margin};
  return MoveInside(outline, inner);
}

TDockRect BringOnScreen(const TDockRect& rect, const std::vector<TDockRect>& workAreas) {
  if (workAreas.empty()) return rect;
  for (const TDockRect& a : workAreas)
    if (rect.Intersects(a)) return rect;
  // Off every screen: onto the nearest one.
  auto gap = [&rect](const TDockRect& a) {
    const int64_t dx = std::max({int64_t(0), int64_t(a.Left) - rect.Right, int64_t(rect.Left) - a.Right});
    const int64_t dy = std::max({int64_t(0), int64_t(a.Top) - rect.Bottom, int64_t(rect.Top) - a.Bottom});
    return dx * dx + dy * dy;
  };
  const TDockRect* nearest = &workAreas.front();
  for (const TDockRect& a : workAreas)
    if (gap(a) < gap(*nearest)) nearest = &a;
  return MoveInside(rect, *nearest);
}

}  // namespace vs
