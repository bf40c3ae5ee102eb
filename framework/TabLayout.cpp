#include "framework/TabLayout.h"

#include <algorithm>
#include <cstdlib>

namespace vs {

namespace {

constexpr int StripMargin = 2;  // before the first tab along the strip
constexpr int ButtonTabGap = 4;  // between button tabs (their separators lie in it)

int TabDepth(const TTabStripShape& s) { return s.TabHeight > 0 ? s.TabHeight : s.TextHeight + TabHeightPadding; }

int TabLength(const TTabStripShape& s, int textWidth) {
  if (s.TabWidth > 0) return s.TabWidth;
  return std::max(0, textWidth) + 2 * TabTextPadding + (s.ImageWidth > 0 ? s.ImageWidth + 5 : 0);
}

}  // namespace

std::vector<TRect> LayoutTabs(const TTabStripShape& shape, const std::vector<int>& textWidths, int selected) {
  const int depth = TabDepth(shape);
  const int room = (shape.Vertical ? shape.Height : shape.Width) - StripMargin;
  // Rows of (index, start along the strip, length).
  struct TPlace {
    size_t Index;
    int Start, Length;
  };
  std::vector<std::vector<TPlace>> rows(1);
  int along = StripMargin;
  for (size_t i = 0; i < textWidths.size(); ++i) {
    const int length = TabLength(shape, textWidths[i]);
    if (shape.MultiLine && !rows.back().empty() && along + length > room) {
      rows.emplace_back();
      along = StripMargin;
    }
    rows.back().push_back({i, along, length});
    along += length + (shape.ButtonStyle ? ButtonTabGap : 0);
  }
  // The selected tab's row lies next to the pages (the last row counted
  // from the strip's outer edge).
  for (size_t r = 0; r + 1 < rows.size(); ++r)
    for (const TPlace& p : rows[r])
      if (int(p.Index) == selected) std::swap(rows[r], rows.back());

  std::vector<TRect> tabs(textWidths.size());
  const int count = int(rows.size());
  for (int r = 0; r < count; ++r) {
    // Depth offset from the outer edge; the selected tab's rise fits
    // outside the first row.
    const int outer = SelectedTabRise + r * depth;
    for (const TPlace& p : rows[size_t(r)]) {
      TRect t;
      if (!shape.Vertical) {
        t.Left = p.Start;
        t.Right = p.Start + p.Length;
        t.Top = shape.Position == tpTopLeft ? outer : shape.Height - outer - depth;
        t.Bottom = t.Top + depth;
      } else {
        t.Top = p.Start;
        t.Bottom = p.Start + p.Length;
        t.Left = shape.Position == tpTopLeft ? outer : shape.Width - outer - depth;
        t.Right = t.Left + depth;
      }
      tabs[p.Index] = t;
    }
  }
  return tabs;
}

int TabStripDepth(const TTabStripShape& shape, const std::vector<TRect>& tabs) {
  if (tabs.empty()) return 0;
  int depth = 0;
  for (const TRect& t : tabs) {
    if (!shape.Vertical)
      depth = std::max(depth, shape.Position == tpTopLeft ? t.Bottom : shape.Height - t.Top);
    else
      depth = std::max(depth, shape.Position == tpTopLeft ? t.Right : shape.Width - t.Left);
  }
  return depth;
}

TRect PageArea(const TTabStripShape& shape, int stripDepth) {
  TRect r{0, 0, shape.Width, shape.Height};
  if (!shape.Vertical) {
    if (shape.Position == tpTopLeft)
      r.Top = stripDepth;
    else
      r.Bottom -= stripDepth;
  } else {
    if (shape.Position == tpTopLeft)
      r.Left = stripDepth;
    else
      r.Right -= stripDepth;
  }
  return r;
}

TRect ShiftedTabRect(const TRect& tab, bool selected, const TTabStripShape& shape) {
  if (selected || shape.ButtonStyle) return tab;
  if (shape.Vertical) return tab.Offset(shape.Position == tpTopLeft ? 1 : -2, 0);
  return tab.Offset(0, shape.Position == tpTopLeft ? 1 : -2);
}

TTabFace TabFace(TRect rect, bool selected, int imageSize, bool verticalTabs, int textWidth, int textHeight) {
  TTabFace face;
  if (selected) rect.Top -= SelectedTabRise;
  face.Fill = rect;
  TRect r = rect.Inflated(-1, -1);
  if (imageSize > 0) {
    face.HasImage = true;
    if (verticalTabs) {
      face.ImageX = r.Left + r.Width() / 2 - imageSize / 2 + 1;
      face.ImageY = r.Top + 5;
      r.Top = face.ImageY + imageSize;
    } else {
      face.ImageX = r.Left + 5;
      face.ImageY = r.Top + r.Height() / 2 - imageSize / 2 + 1;
      r.Left = face.ImageX + imageSize;
    }
  }
  face.TextBox = r;
  face.TextX = r.Left + r.Width() / 2 - textWidth / 2;
  face.TextY = r.Top + r.Height() / 2 - textHeight / 2;
  return face;
}

int TabAt(const std::vector<TRect>& tabs, int x, int y) {
  for (size_t i = 0; i < tabs.size(); ++i)
    if (tabs[i].Contains(x, y)) return int(i);
  return -1;
}

int NextShownPage(const std::vector<bool>& shown, int current, bool forward) {
  const int n = int(shown.size());
  if (n == 0) return -1;
  if (current < 0 || current >= n) current = forward ? n - 1 : 0;
  for (int step = 1; step <= n; ++step) {
    const int i = ((current + (forward ? step : -step)) % n + n) % n;
    if (shown[size_t(i)]) return i;
  }
  return -1;
}

TRect GripRect(TGripAlign align, int width, int height) {
  switch (align) {
    case gaRight: return {width - GripDepth, 0, width, height};
    case gaTop: return {0, 0, width, GripDepth};
    case gaBottom: return {0, height - GripDepth, width, height};
    case gaLeft: break;
  }
  return {0, 0, GripDepth, height};
}

TRect GripHotArea(TGripAlign align, int width, int height) {
  const TRect grip = GripRect(align, width, height);
  switch (align) {
    case gaRight: return {grip.Left, std::max(0, height - GripHotLength), grip.Right, height};
    case gaTop: return {std::max(0, width - GripHotLength), 0, width, grip.Bottom};
    case gaBottom: return {0, grip.Top, std::min(width, GripHotLength), grip.Bottom};
    case gaLeft: break;
  }
  return {0, 0, grip.Right, std::min(height, GripHotLength)};
}

TRect GripClientRect(TGripAlign align, int width, int height) {
  TRect r{0, 0, width, height};
  switch (align) {
    case gaLeft: r.Left = std::min(width, GripDepth); break;
    case gaRight: r.Right = std::max(0, width - GripDepth); break;
    case gaTop: r.Top = std::min(height, GripDepth); break;
    case gaBottom: r.Bottom = std::max(0, height - GripDepth); break;
  }
  return r;
}

TGripDots GripDots(TGripAlign align, int width, int height) {
  const TRect hot = GripHotArea(align, width, height);
  const bool vertical = align == gaLeft || align == gaRight;
  TGripDots dots;
  // Every 4 pixels along the hot area, centred across the grip's depth.
  for (int k = 0; k < 5; ++k) {
    const int along = 1 + 4 * k, across = (GripDepth - 3) / 2;
    const int x = hot.Left + (vertical ? across : along), y = hot.Top + (vertical ? along : across);
    dots.Highlight.push_back(TRect::Sized(x, y, 2, 2));
    dots.Shadow.push_back(TRect::Sized(x + 1, y + 1, 2, 2));
  }
  return dots;
}

bool SheetDragStarts(int dx, int dy) { return std::abs(dx) >= SheetDragDistance || std::abs(dy) >= SheetDragDistance; }

}  // namespace vs
