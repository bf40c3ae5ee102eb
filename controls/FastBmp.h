#pragma once
// Fast bitmaps: 24-bit pictures with direct access to their bytes, and the
// weighted blend of two of them that drives button fades.
//
// A TFastBmp is a QImage in Format_BGR888: three bytes a pixel in the order
// blue, green, red (the value 0xRRGGBB stored low byte first), rows top-down,
// each RowBytes = 3 * Width rounded up to a multiple of 4 long.

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>

#include "controls/ControlMaps.h"

namespace vs {

class TFastBmp {
public:
  TFastBmp(int width, int height);
  // A copy of a picture of any format.
  static std::unique_ptr<TFastBmp> CreateFromBitmap(const QImage& bitmap);

  int Width() const { return Image.width(); }
  int Height() const { return Image.height(); }
  int RowBytes() const { return static_cast<int>(Image.bytesPerLine()); }
  uint8_t* Bits() { return Image.bits(); }
  const uint8_t* Bits() const { return Image.constBits(); }
  uint8_t* Row(int y) { return Image.scanLine(y); }
  const uint8_t* Row(int y) const { return Image.constScanLine(y); }

  // The pixel as 0xRRGGBB. No bounds check: x in 0..Width-1, y in
  // 0..Height-1.
  void SetPixel(int x, int y, uint32_t rgb) {
    uint8_t* p = Bits() + y * RowBytes() + 3 * x;
    p[0] = rgb & 0xFF;
    p[1] = (rgb >> 8) & 0xFF;
    p[2] = (rgb >> 16) & 0xFF;
  }
  uint32_t GetPixel(int x, int y) const {
    const uint8_t* p = Bits() + y * RowBytes() + 3 * x;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
  }

  // The picture itself, to draw (or a part of it).
  const QImage& Picture() const { return Image; }
  // The rows 0..height-1 (at most Height) copied into out as 32-bit RGB,
  // which the screen takes without a conversion of its own: out is made
  // again only when its size differs.
  void CopyTopToRGB32(int height, QImage& out) const;

  // Bytes a row for a width: 3 * width + (width mod 4).
  static int RowBytesFor(int width) { return 3 * width + width % 4; }

private:
  QImage Image;
};

// The blend table for one weight alpha (0..256) of picture A: entry d
// (-255..255) is alpha * d shr 8, truncated toward zero, so that the mix of
// bytes a and b is b + T(a - b) without a multiplication.
class TBlendTable {
public:
  explicit TBlendTable(int alpha);
  int operator()(int difference) const { return Table[difference + 255]; }
  uint8_t Mix(uint8_t a, uint8_t b) const { return static_cast<uint8_t>(b + Table[a - b + 255]); }

private:
  std::array<int16_t, 511> Table{};
};

// Writes into dest at pointInDest the rectangle rectInA of a mixed with the
// same-sized area of b at pointInB, alpha (0..256) the weight of a: 0 gives
// b, 256 gives a. The rectangle is cut to what lies inside all three
// bitmaps; dest may be a or b.
void BlendFastBmps(const TFastBmp& a, const TRect& rectInA, const TFastBmp& b, int alpha, TPoint pointInDest,
                   TFastBmp& dest, TPoint pointInB);

}  // namespace vs
