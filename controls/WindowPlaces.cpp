#include "controls/WindowPlaces.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace vs {

namespace {

int64_t Right(const TScreenRect& r) { return int64_t(r.Left) + r.Width; }
int64_t Bottom(const TScreenRect& r) { return int64_t(r.Top) + r.Height; }

int32_t ClampEdge(int64_t edge, int64_t size, int64_t areaStart, int64_t areaSize) {
  // Too large: the area's start edge; else inside the area.
  const int64_t last = areaStart + std::max<int64_t>(0, areaSize - size);
  return static_cast<int32_t>(std::clamp(edge, areaStart, last));
}

bool ClearOfAll(const TScreenRect& r, const std::vector<TScreenRect>& areas, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (RectsOverlap(r, areas[i])) return false;
  return true;
}

bool Inside(const TScreenRect& r, const TScreenRect& work) {
  return r.Left >= work.Left && r.Top >= work.Top && Right(r) <= Right(work) && Bottom(r) <= Bottom(work);
}

}  // namespace

TScreenRect ClampToWorkArea(const TScreenRect& window, const TScreenRect& work) {
  TScreenRect r = window;
  r.Left = ClampEdge(window.Left, window.Width, work.Left, work.Width);
  r.Top = ClampEdge(window.Top, window.Height, work.Top, work.Height);
  return r;
}

bool RectsOverlap(const TScreenRect& a, const TScreenRect& b) {
  if (a.Width <= 0 || a.Height <= 0 || b.Width <= 0 || b.Height <= 0) return false;
  return a.Left < Right(b) && b.Left < Right(a) && a.Top < Bottom(b) && b.Top < Bottom(a);
}

TScreenRect PlaceWindowRect(const TScreenRect& wanted, const TScreenRect& work,
                            const std::vector<TScreenRect>& keepClear) {
  const TScreenRect start = ClampToWorkArea(wanted, work);
  for (size_t count = keepClear.size(); count > 0; --count) {
    if (ClearOfAll(start, keepClear, count)) return start;
    // Every side of every area to keep clear, the nearest that fits.
    std::optional<TScreenRect> best;
    int64_t bestDistance = 0;
    auto consider = [&](TScreenRect r) {
      r = ClampToWorkArea(r, work);
      if (!Inside(r, work) || !ClearOfAll(r, keepClear, count)) return;
      const int64_t distance = std::abs(int64_t(r.Left) - start.Left) + std::abs(int64_t(r.Top) - start.Top);
      if (!best || distance < bestDistance) {
        best = r;
        bestDistance = distance;
      }
    };
    for (size_t i = 0; i < count; ++i) {
      const TScreenRect& a = keepClear[i];
      TScreenRect r = start;
      r.Top = static_cast<int32_t>(Bottom(a));
      consider(r);
      r = start;
      r.Left = static_cast<int32_t>(Right(a));
      consider(r);
      r = start;
      r.Left = static_cast<int32_t>(int64_t(a.Left) - r.Width);
      consider(r);
      r = start;
      r.Top = static_cast<int32_t>(int64_t(a.Top) - r.Height);
      consider(r);
    }
    if (best) return *best;
  }
  return start;
}

}  // namespace vs
