#pragma once
// The arithmetic of the painted controls, without a screen: rectangles in the
// controls' convention, the wheel's frame and drag mappings, the selector's
// cells, the button's image choice, glyph and caption places, and its fade.
// The widgets call these; tests check them without a display.

#include <cstdint>

namespace vs {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A rectangle that holds Left..Right-1 and Top..Bottom-1: the right and
// bottom edges lie outside it.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  static TRect Sized(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
  }
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  // Grows (or, with negative amounts, shrinks) every side.
  TRect Inflated(int dx, int dy) const { return {Left - dx, Top - dy, Right + dx, Bottom + dy}; }
  TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  TRect Intersected(const TRect& o) const;
  friend bool operator==(const TRect&, const TRect&) = default;
};

// Value clamped as value controls clamp: below lo gives lo, else above hi
// gives hi (an inverted range gives lo or hi, never a value between).
int32_t ClampValue(int64_t value, int32_t lo, int32_t hi);

// ------------------------------------------------------------------ wheel

// The frame of an n-frame strip that shows value in min..max, rounded to the
// nearest frame (frame 0 at min, n-1 at max). An empty range (min >= max)
// shows frame 0; the result always lies in 0..n-1 (0 when n < 1).
int WheelFrameIndex(int frames, int32_t value, int32_t min, int32_t max);

// The wheel's drag: the value at the press plus (anchorY - y) * speed / 16,
// floored (moving up raises it), before clamping. Computed in 64 bits.
int64_t WheelDragTarget(int32_t startValue, int anchorY, int y, int32_t speed);

// ---------------------------------------------------------------- selector

// The cell under a point of a cols x rows pad of width x height pixels,
// numbered row by row (column + row * cols); columns and rows clamped into
// the pad.
int32_t SelectorCellAt(int x, int y, int width, int height, int32_t cols, int32_t rows);
// The rectangle of a cell (cell size = width div cols, height div rows).
TRect SelectorCellRect(int32_t cell, int width, int height, int32_t cols, int32_t rows);

// ------------------------------------------------------------------ button

enum TTransBtnOption : uint16_t {
  tbTransparentBitmap = 1 << 0,
  tbShowPressed = 1 << 1,
  tbOnOver = 1 << 2,
  tbAutoDisabledGlyph = 1 << 3,
  tbAutoOnOverGlyph = 1 << 4,
  tbHasDownGlyph = 1 << 5,
  tbHasDisabledGlyph = 1 << 6,
  tbHasOnOverGlyph = 1 << 7,
  tbTrashGlyph = 1 << 8,
};
using TTransBtnOptions = uint16_t;

enum class TTextAlign { ttaTopLeft, ttaTop, ttaTopRight, ttaRight, ttaBottomRight, ttaBottom, ttaBottomLeft, ttaLeft, ttaCenter };

// Offsets added to the image index for the down, disabled and mouse-over
// looks (0 = the normal image).
struct TImageOffsets {
  int Down = 0;
  int Disabled = 0;
  int Over = 0;
};

// The offsets an assigned image list implies: only the options present set
// their offset; the others keep their value.
void ApplyListOptions(TTransBtnOptions options, TImageOffsets& offsets);

// The image shown: base + the disabled offset when disabled, else the down
// offset when down, else the over offset when the mouse is over, else base.
int ChooseImage(int base, const TImageOffsets& offsets, bool enabled, bool down, bool over);

// Where a glyph of iw x ih sits in a width x height button.
TPoint GlyphPlace(TTextAlign align, int width, int height, int iw, int ih, int spacing);
// Where a caption of w x h sits against the glyph rectangle.
TPoint CaptionPlace(TTextAlign align, int width, int height, const TRect& glyph, int w, int h, int spacing);

// The button's fade between its resting and its lit frame: a position
// 0..256, moved by one tick every 50 ms toward its target.
struct TFade {
  static constexpr int Full = 256;
  int Position = 0;
  bool TowardFull = false;
  bool Running = false;

  // Sets the direction; true when the fade was not running (the caller then
  // starts its timer and runs one tick at once).
  bool Start(bool towardFull);
  // One tick. At either end the fade turns round when blinking applies, else
  // it stops (Running false).
  void Tick(int attack, int release, bool blinking);
  // The blend weight of the lit frame, 0..256.
  int Weight() const { return Position < 0 ? 0 : Position > Full ? Full : Position; }
};

}  // namespace vs
