#include "controls/FastBmp.h"

#include <algorithm>
#include <cstring>

namespace vs {

TFastBmp::TFastBmp(int width, int height)
    : Image(std::max(width, 0), std::max(height, 0), QImage::Format_BGR888) {
  if (!Image.isNull()) Image.fill(0);
}

void TFastBmp::CopyTopToRGB32(int height, QImage& out) const {
  const int w = Width();
  const int h = std::clamp(height, 0, Height());
  if (out.width() != w || out.height() != h || out.format() != QImage::Format_RGB32)
    out = QImage(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const uint8_t* p = Row(y);
    auto* q = reinterpret_cast<uint32_t*>(out.scanLine(y));
    for (int x = 0; x < w; ++x, p += 3) q[x] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
  }
}

std::unique_ptr<TFastBmp> TFastBmp::CreateFromBitmap(const QImage& bitmap) {
  auto bmp = std::make_unique<TFastBmp>(bitmap.width(), bitmap.height());
  if (bitmap.isNull()) return bmp;
  const QImage source = bitmap.convertToFormat(QImage::Format_BGR888);
  const int bytes = 3 * source.width();
  for (int y = 0; y < source.height(); ++y) std::memcpy(bmp->Row(y), source.constScanLine(y), bytes);
  return bmp;
}

TBlendTable::TBlendTable(int alpha) {
  alpha = std::clamp(alpha, 0, 256);
  for (int d = -255; d <= 255; ++d)
    Table[d + 255] = static_cast<int16_t>(d >= 0 ? (alpha * d) >> 8 : -((alpha * -d) >> 8));
}

void BlendFastBmps(const TFastBmp& a, const TRect& rectInA, const TFastBmp& b, int alpha, TPoint pointInDest,
                   TFastBmp& dest, TPoint pointInB) {
  // The area in offsets from the rectangle's top-left corner that lies in
  // all three bitmaps.
  TRect area{0, 0, rectInA.Width(), rectInA.Height()};
  const auto limit = [&area](int x, int y, int width, int height) {
    area = area.Intersected({-x, -y, width - x, height - y});
  };
  limit(rectInA.Left, rectInA.Top, a.Width(), a.Height());
  limit(pointInB.X, pointInB.Y, b.Width(), b.Height());
  limit(pointInDest.X, pointInDest.Y, dest.Width(), dest.Height());
  if (area.IsEmpty()) return;

  const TBlendTable table(alpha);
  const int bytes = 3 * area.Width();
  for (int row = area.Top; row < area.Bottom; ++row) {
    const uint8_t* pa = a.Row(rectInA.Top + row) + 3 * (rectInA.Left + area.Left);
    const uint8_t* pb = b.Row(pointInB.Y + row) + 3 * (pointInB.X + area.Left);
    uint8_t* pd = dest.Row(pointInDest.Y + row) + 3 * (pointInDest.X + area.Left);
    for (int i = 0; i < bytes; ++i) pd[i] = table.Mix(pa[i], pb[i]);
  }
}

}  // namespace vs
