#include "controls/ControlMaps.h"

#include <algorithm>

namespace vs {

TRect TRect::Intersected(const TRect& o) const {
  TRect r{std::max(Left, o.Left), std::max(Top, o.Top), std::min(Right, o.Right), std::min(Bottom, o.Bottom)};
  if (r.IsEmpty()) return {};
  return r;
}

int32_t ClampValue(int64_t value, int32_t lo, int32_t hi) {
  if (value < lo) return lo;
  if (value > hi) return hi;
  return static_cast<int32_t>(value);
}

int WheelFrameIndex(int frames, int32_t value, int32_t min, int32_t max) {
  if (frames < 1) return 0;
  if (max <= min) return 0;
  const int64_t range = int64_t(max) - min;
  const int64_t frame = (int64_t(frames - 1) * (int64_t(value) - min) + range / 2) / range;
  return static_cast<int>(std::clamp<int64_t>(frame, 0, frames - 1));
}

int64_t WheelDragTarget(int32_t startValue, int anchorY, int y, int32_t speed) {
  const int64_t product = (int64_t(anchorY) - y) * speed;
  // An arithmetic shift floors a negative product.
  return int64_t(startValue) + (product >> 4);
}

int32_t SelectorCellAt(int x, int y, int width, int height, int32_t cols, int32_t rows) {
  cols = std::max<int32_t>(cols, 1);
  rows = std::max<int32_t>(rows, 1);
  const int64_t col = width > 0 ? std::clamp<int64_t>(int64_t(x) * cols / width, 0, cols - 1) : 0;
  const int64_t row = height > 0 ? std::clamp<int64_t>(int64_t(y) * rows / height, 0, rows - 1) : 0;
  return static_cast<int32_t>(col + row * cols);
}

TRect SelectorCellRect(int32_t cell, int width, int height, int32_t cols, int32_t rows) {
  cols = std::max<int32_t>(cols, 1);
  rows = std::max<int32_t>(rows, 1);
  const int cw = width / cols;
  const int ch = height / rows;
  // Cells left of the pad (negative values) have no rectangle.
  if (cell < 0) return {};
  const int col = cell % cols;
  const int row = cell / cols;
  return TRect::Sized(col * cw, row * ch, cw, ch);
}

void ApplyListOptions(TTransBtnOptions options, TImageOffsets& offsets) {
  int n = 0;
  if (options & tbHasDownGlyph) {
    n = 1;
    offsets.Down = 1;
  }
  if (options & tbHasDisabledGlyph) {
    ++n;
    offsets.Disabled = n;
  }
  if (options & tbHasOnOverGlyph) {
    offsets.Over = n + 1;
    if (!(options & tbHasDownGlyph)) offsets.Down = offsets.Over;
  }
}

int ChooseImage(int base, const TImageOffsets& offsets, bool enabled, bool down, bool over) {
  if (!enabled) return base + offsets.Disabled;
  if (down) return base + offsets.Down;
  if (over) return base + offsets.Over;
  return base;
}

TPoint GlyphPlace(TTextAlign align, int width, int height, int iw, int ih, int spacing) {
  using enum TTextAlign;
  TPoint p;
  switch (align) {
    case ttaBottomRight:
    case ttaBottom:
    case ttaBottomLeft: p.Y = spacing; break;
    case ttaRight:
    case ttaLeft:
    case ttaCenter: p.Y = (height - ih) / 2; break;
    default: p.Y = height - ih - spacing; break;
  }
  switch (align) {
    case ttaLeft: p.X = width - iw - spacing; break;
    case ttaRight: p.X = spacing; break;
    default: p.X = (width - iw) / 2; break;
  }
  return p;
}

TPoint CaptionPlace(TTextAlign align, int width, int height, const TRect& g, int w, int h, int spacing) {
  using enum TTextAlign;
  switch (align) {
    case ttaTopLeft: return {spacing, g.Top - h - spacing};
    case ttaTop: return {width / 2 - w / 2, g.Top - h - spacing};
    case ttaTopRight: return {width - w - spacing, g.Top - h - spacing};
    case ttaRight: return {width - w - spacing, height / 2 - h / 2};
    case ttaBottomRight: return {width - w - spacing, g.Bottom + spacing};
    case ttaBottom: return {width / 2 - w / 2, g.Bottom + spacing};
    case ttaBottomLeft: return {spacing, g.Bottom + spacing};
    case ttaLeft: return {spacing, height / 2 - h / 2};
    case ttaCenter: break;
  }
  return {width / 2 - w / 2, height / 2 - h / 2};
}

bool TFade::Start(bool towardFull) {
  TowardFull = towardFull;
  if (Running) return false;
  Running = true;
  return true;
}

void TFade::Tick(int attack, int release, bool blinking) {
  if (TowardFull) {
    Position += attack;
    if (Position >= Full) {
      Position = Full;
      if (blinking) TowardFull = false;
      else Running = false;
    }
  } else {
    Position -= release;
    if (Position < 1) {
      Position = 0;
      if (blinking) TowardFull = true;
      else Running = false;
    }
  }
}

}  // namespace vs
