#include "controls/Canvas.h"

#include <QFontMetrics>
#include <QRegion>
#include <cstdlib>

namespace vs {

namespace {

// The dark instrument panel: the values the system colours stand for.
TColor SchemeColor(TColor index) {
  switch (index) {
    case ClBtnFace & 0xFF: return RGBColor(0x2B, 0x2E, 0x33);
    case ClBtnShadow & 0xFF: return RGBColor(0x16, 0x17, 0x1A);
    case ClBtnText & 0xFF: return RGBColor(0xD9, 0xDC, 0xE1);
    case ClBtnHighlight & 0xFF: return RGBColor(0x5C, 0x61, 0x6A);
    case Cl3DDkShadow & 0xFF: return RGBColor(0x08, 0x08, 0x0A);
    case Cl3DLight & 0xFF: return RGBColor(0x42, 0x46, 0x4D);
    case ClWindow & 0xFF: return RGBColor(0x14, 0x15, 0x18);
    case ClWindowText & 0xFF: return RGBColor(0xE2, 0xE4, 0xE8);
    case ClHighlight & 0xFF: return RGBColor(0xF2, 0x9A, 0x2E);
    case ClHighlightText & 0xFF: return RGBColor(0x10, 0x10, 0x10);
    case ClGrayText & 0xFF: return RGBColor(0x74, 0x78, 0x80);
    default: return RGBColor(0x2B, 0x2E, 0x33);
  }
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if (color & ClSystemFlag) return SchemeColor(color & 0xFF);
  return color & 0x00FFFFFF;
}

QColor ToQColor(TColor color) { return QColor::fromRgb(ColorToArgb(ColorToRGB(color))); }

TColor FromQColor(const QColor& color) { return ArgbToColor(color.rgb()); }

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

TRect FromQRect(const QRect& r) { return TRect::Sized(r.x(), r.y(), r.width(), r.height()); }

TCanvas::TCanvas(QPainter& painter) : P(painter) {
  DeviceChanged();
  P.setRenderHint(QPainter::Antialiasing, false);
  P.setRenderHint(QPainter::TextAntialiasing, true);
}

void TCanvas::DeviceChanged() {
  QPaintDevice* device = P.device();
  W = device ? device->width() : 0;
  H = device ? device->height() : 0;
}

void TCanvas::SetFont(const QFont& font) { P.setFont(font); }

void TCanvas::FillRect(const TRect& r, TColor color) {
  if (r.IsEmpty()) return;
  P.fillRect(ToQRect(r), ToQColor(color));
}

void TCanvas::FrameRect(const TRect& r, TColor color) {
  if (r.IsEmpty()) return;
  FillRect({r.Left, r.Top, r.Right, r.Top + 1}, color);
  FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, color);
  FillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, color);
  FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, color);
}

void TCanvas::Rectangle(const TRect& r) {
  if (r.IsEmpty()) return;
  if (!BrushClear) FillRect(r.Inflated(-1, -1), BrushColor);
  FrameRect(r, PenColor);
}

void TCanvas::LineTo(int x, int y) {
  const int x0 = PenX;
  const int y0 = PenY;
  PenX = x;
  PenY = y;
  if (y0 == y) {
    if (x > x0) FillRect({x0, y, x, y + 1}, PenColor);
    else if (x < x0) FillRect({x + 1, y, x0 + 1, y + 1}, PenColor);
    return;
  }
  if (x0 == x) {
    if (y > y0) FillRect({x, y0, x + 1, y}, PenColor);
    else FillRect({x, y + 1, x + 1, y0 + 1}, PenColor);
    return;
  }
  // Any other direction: Bresenham's steps, the end point left out.
  const QColor c = ToQColor(PenColor);
  const int dx = std::abs(x - x0);
  const int dy = -std::abs(y - y0);
  const int sx = x0 < x ? 1 : -1;
  const int sy = y0 < y ? 1 : -1;
  int err = dx + dy;
  int cx = x0;
  int cy = y0;
  while (cx != x || cy != y) {
    P.fillRect(QRect(cx, cy, 1, 1), c);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      cx += sx;
    }
    if (e2 <= dx) {
      err += dx;
      cy += sy;
    }
  }
}

void TCanvas::SetPixel(int x, int y, TColor color) { P.fillRect(QRect(x, y, 1, 1), ToQColor(color)); }

void TCanvas::GradientFillV(const TRect& r, TColor top, TColor bottom) {
  const int h = r.Height();
  if (h <= 1 || r.Width() <= 0) return;
  for (int i = 0; i < h; ++i)
    FillRect({r.Left, r.Top + i, r.Right, r.Top + i + 1}, BlendColors(i * 256 / (h - 1), top, bottom));
}

void TCanvas::Draw(int x, int y, const QImage& image) {
  if (!image.isNull()) P.drawImage(x, y, image);
}

void TCanvas::Draw(int x, int y, const QImage& image, const TRect& source) {
  if (!image.isNull() && !source.IsEmpty()) P.drawImage(QPoint(x, y), image, ToQRect(source));
}

void TCanvas::TextOut(int x, int y, const QString& text) {
  const QFontMetrics fm(P.font());
  if (!BrushClear) FillRect(TRect::Sized(x, y, fm.horizontalAdvance(text), fm.height()), BrushColor);
  P.setPen(ToQColor(FontColor));
  P.drawText(x, y + fm.ascent(), text);
}

int TCanvas::TextWidth(const QString& text) const { return QFontMetrics(P.font()).horizontalAdvance(text); }

int TCanvas::TextHeight(const QString&) const { return QFontMetrics(P.font()).height(); }

TPoint TCanvas::MeasureWrapped(const QString& text, int width, int height) const {
  const QRect box = QFontMetrics(P.font()).boundingRect(QRect(0, 0, width, height),
                                                         Qt::TextWordWrap | Qt::TextShowMnemonic, text);
  return {box.width(), box.height()};
}

void TCanvas::DrawWrapped(const TRect& r, const QString& text) {
  P.setPen(ToQColor(FontColor));
  P.drawText(ToQRect(r), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic |
                             Qt::TextDontClip, text);
}

void TCanvas::IntersectClip(const TRect& r) { P.setClipRect(ToQRect(r), Qt::IntersectClip); }

void TCanvas::ExcludeClip(const TRect& r) {
  const QRegion current = P.hasClipping() ? P.clipRegion() : QRegion(0, 0, W, H);
  P.setClipRegion(current.subtracted(QRegion(ToQRect(r))));
}

bool TCanvas::ClipEmpty() const { return P.hasClipping() && P.clipRegion().isEmpty(); }

void DrawFrame3D(TCanvas& canvas, const TRect& r, TColor topLeft, TColor bottomRight) {
  if (r.IsEmpty()) return;
  canvas.PenColor = topLeft;
  canvas.MoveTo(r.Left, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 1, r.Top);
  canvas.PenColor = bottomRight;
  canvas.LineTo(r.Right - 1, r.Bottom - 1);
  canvas.LineTo(r.Left - 1, r.Bottom - 1);
}

}  // namespace vs
