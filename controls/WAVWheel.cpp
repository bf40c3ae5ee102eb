#include "controls/WAVWheel.h"

#include <algorithm>

namespace vs {

TWAVWheel::TWAVWheel(QWidget* parent) : TValueControl(parent) {
  SetMin(0);
  SetMax(127);
  SetNoDefaultMark(-1);
  SetParentColor(true);
  resize(29, 29);
}

void TWAVWheel::SetWheelIL(TImageList* list) {
  FWheelIL = list;
  FitToFrames();
  QuickPaint();
}

void TWAVWheel::SetSlowMotionDiv(int div) { FSlowMotionDiv = std::clamp(div, 1, 256); }

void TWAVWheel::SetBorder(bool border) {
  if (FBorder == border) return;
  FBorder = border;
  FitToFrames();
  QuickPaint();
}

void TWAVWheel::FitToFrames() {
  if (!FWheelIL) return;
  const int extra = FBorder ? 1 : 0;
  resize(FWheelIL->Width() + extra, FWheelIL->Height() + extra);
}

int TWAVWheel::FrameIndex() const {
  if (!FWheelIL) return 0;
  return WheelFrameIndex(FWheelIL->Count(), Value(), Min(), Max());
}

void TWAVWheel::Paint(TCanvas& canvas) {
  if (FWheelIL) FWheelIL->Draw(canvas, 0, 0, FrameIndex());
  if (FBorder) {
    canvas.PenColor = ShiftColor(Color(), -64);
    canvas.MoveTo(width() - 1, 1);
    canvas.LineTo(width() - 1, height() - 1);
    canvas.LineTo(0, height() - 1);
  }
}

void TWAVWheel::MouseDown(const TMouseInfo& mouse) {
  TValueControl::MouseDown(mouse);
  if (mouse.Button == Qt::MiddleButton) return;
  if (mouse.Button == Qt::RightButton && PopupMenu) return;
  if ((mouse.Shift & Qt::AltModifier) && HasDefault()) {
    ChangeValue(DefaultValue(), true);
    return;
  }
  AnchorY = mouse.Y;
  StartValue = Value();
  Speed = mouse.Button == MouseButton ? MoveSpeed : MoveSpeed / FSlowMotionDiv;
}

void TWAVWheel::MouseMove(const TMouseInfo& mouse) {
  if (AnchorY != NoAnchor) ChangeValue(WheelDragTarget(StartValue, AnchorY, mouse.Y, Speed), true);
  TValueControl::MouseMove(mouse);
}

void TWAVWheel::MouseUp(const TMouseInfo& mouse) {
  if (mouse.Button != Qt::MiddleButton) AnchorY = NoAnchor;
  TValueControl::MouseUp(mouse);
}

}  // namespace vs
