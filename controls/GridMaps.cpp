#include "controls/GridMaps.h"

#include <algorithm>

namespace vs {

int TGridAxis::Size(int i) const {
  if (i >= 0 && i < static_cast<int>(Sizes.size())) return Sizes[i];
  return DefaultSize;
}

int TGridAxis::FixedExtent() const {
  int p = 0;
  for (int i = 0; i < std::min(Fixed, Count); ++i) p += Size(i) + LineWidth;
  return p;
}

int TGridAxis::Start(int i) const {
  if (i < 0 || i >= Count) return -1;
  int p = 0;
  if (i < Fixed) {
    for (int j = 0; j < i; ++j) p += Size(j) + LineWidth;
    return p;
  }
  if (i < First) return -1;
  p = FixedExtent();
  for (int j = First; j < i; ++j) p += Size(j) + LineWidth;
  return p;
}

int TGridAxis::At(int p) const {
  if (p < 0) return -1;
  int edge = 0;
  for (int i = 0; i < std::min(Fixed, Count); ++i) {
    edge += Size(i) + LineWidth;
    if (p < edge) return i;
  }
  for (int i = std::max(First, Fixed); i < Count; ++i) {
    edge += Size(i) + LineWidth;
    if (p < edge) return i;
  }
  return -1;
}

int TGridAxis::LastVisible(int extent) const {
  int last = -1;
  int p = 0;
  for (int i = 0; i < std::min(Fixed, Count); ++i) {
    if (p < extent) last = i;
    p += Size(i) + LineWidth;
  }
  // Scrolling cells start one after the other: the first that starts past
  // the view ends the walk.
  for (int i = std::max(First, Fixed); i < Count && p < extent; ++i) {
    last = i;
    p += Size(i) + LineWidth;
  }
  return last;
}

int TGridAxis::MaxFirst(int extent) const {
  int room = extent - FixedExtent();
  int first = Count;
  while (first > Fixed) {
    const int need = Size(first - 1) + LineWidth;
    if (need > room && first < Count) break;
    room -= need;
    --first;
    if (room < 0) break;
  }
  return std::clamp(first, Fixed, std::max(Fixed, Count - 1));
}

void TGridAxis::ClampFirst(int extent) { First = std::clamp(First, Fixed, std::max(Fixed, MaxFirst(extent))); }

void TGridAxis::ScrollInView(int i, int extent) {
  if (i < Fixed || i >= Count) return;
  if (i < First) {
    First = i;
  } else {
    // Move First forward until cell i ends inside the view.
    while (First < i) {
      const int s = Start(i);
      if (s >= 0 && s + Size(i) <= extent) break;
      ++First;
    }
  }
  ClampFirst(extent);
}

}  // namespace vs
