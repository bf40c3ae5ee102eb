#include "controls/BtnFrames.h"

#include <array>

namespace vs {

namespace {

struct TFrame {
  TCanvas& C;
  TRect R;
  TColor Color;

  TColor Shade(int delta) const { return ShiftColor(Color, delta); }
  // A one-pixel ring, then the rectangle shrinks inside it.
  void Ring(int topLeft, int bottomRight) {
    DrawFrame3D(C, R, Shade(topLeft), Shade(bottomRight));
    R = R.Inflated(-1, -1);
  }
  void Fill() { C.FillRect(R, Color); }
  void Corner() { C.SetPixel(R.Right, R.Bottom, Shade(32)); }
  // Black along the bottom and right edges; they leave the rectangle.
  void DarkBottomRight() {
    C.FillRect({R.Left, R.Bottom - 1, R.Right, R.Bottom}, ClBlack);
    C.FillRect({R.Right - 1, R.Top, R.Right, R.Bottom}, ClBlack);
    --R.Right;
    --R.Bottom;
  }
  // Black along the left and top edges; they leave the rectangle.
  void DarkTopLeft() {
    C.FillRect({R.Left, R.Top, R.Right, R.Top + 1}, ClBlack);
    C.FillRect({R.Left, R.Top, R.Left + 1, R.Bottom}, ClBlack);
    ++R.Left;
    ++R.Top;
  }
  // An outlined rectangle filled with the colour.
  void Outlined(TColor outline) {
    C.PenColor = outline;
    C.BrushColor = Color;
    C.BrushClear = false;
    C.Rectangle(R);
  }
  // A shadow line one pixel inside the left and top edges.
  void InnerShadow() {
    C.PenColor = Shade(-64);
    C.MoveTo(R.Left + 1, R.Bottom - 2);
    C.LineTo(R.Left + 1, R.Top + 1);
    C.LineTo(R.Right - 1, R.Top + 1);
  }
};

void Vek3D(TFrame& f, bool pressed) {
  if (pressed) {
    f.Outlined(ClBlack);
    f.InnerShadow();
    return;
  }
  f.DarkBottomRight();
  f.Ring(63, -64);
  f.Ring(-24, 16);
  f.Fill();
  f.Corner();
}

void VekFlat(TFrame& f, bool pressed) {
  if (pressed) {
    f.DarkTopLeft();
    f.Outlined(f.Shade(-64));
    return;
  }
  f.Ring(63, -64);
  f.Ring(-24, 16);
  f.Fill();
  f.Corner();
}

void Raised(TFrame& f, bool pressed) {
  if (pressed) f.Ring(-64, 63);
  else f.Ring(63, -64);
  f.Fill();
}

void Engraved(TFrame& f, bool pressed) {
  f.Ring(-64, 63);
  if (pressed) f.DarkTopLeft();
  else f.Ring(63, -64);
  f.Fill();
}

void Plain(TFrame& f, bool) { f.Fill(); }

void VekGradient(TFrame& f, bool pressed) {
  if (pressed) {
    f.C.FrameRect(f.R, ClBlack);
    f.InnerShadow();
    f.C.GradientFillV({f.R.Left + 2, f.R.Top + 2, f.R.Right - 1, f.R.Bottom - 1}, f.Shade(32), f.Shade(-16));
    return;
  }
  f.DarkBottomRight();
  f.Ring(63, -64);
  f.Ring(-24, 16);
  f.C.GradientFillV(f.R, f.Shade(40), f.Shade(-8));
  f.Corner();
}

using TPainter = void (*)(TFrame&, bool);
constexpr std::array<TPainter, 7> Painters{nullptr, Vek3D, VekFlat, Raised, Engraved, Plain, VekGradient};

}  // namespace

void DrawBtnFrame(TBtnFrameStyle style, TCanvas& canvas, const TRect& r, TColor color, bool pressed) {
  const TPainter painter = Painters[static_cast<size_t>(style)];
  if (!painter || r.IsEmpty()) return;
  TFrame frame{canvas, r, ColorToRGB(color)};
  painter(frame, pressed);
}

}  // namespace vs
