#pragma once
// The rotary value control: a knob drawn from a frame strip (an image list
// shared by many wheels), turned by dragging the mouse up and down.
//
// A drag sets the value to the value at the press plus the travel since the
// press: MoveSpeed value units per 16 pixels upward, a SlowMotionDiv-th of
// that with any other button than MouseButton (the right button, normally).
// Alt+click returns to DefaultValue when the wheel has one (-1: none). The
// frame shown is the value's place in Min..Max, rounded to the nearest frame.

#include "controls/ImageList.h"
#include "controls/ValueControl.h"

namespace vs {

class TWAVWheel : public TValueControl {
  Q_OBJECT

public:
  explicit TWAVWheel(QWidget* parent = nullptr);

  TImageList* WheelIL() const { return FWheelIL; }
  // Not owned. Sizes the wheel to the frame size (+1 with a border).
  void SetWheelIL(TImageList* list);

  int32_t MoveSpeed = 32;
  int SlowMotionDiv() const { return FSlowMotionDiv; }
  // Limited to 1..256.
  void SetSlowMotionDiv(int div);
  bool Border() const { return FBorder; }
  void SetBorder(bool border);
  // The button that turns the wheel at full speed.
  Qt::MouseButton MouseButton = Qt::LeftButton;

  // The frame the wheel shows now (0 without frames).
  int FrameIndex() const;

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;

private:
  void FitToFrames();
  static constexpr int NoAnchor = 2147483647;
  TImageList* FWheelIL = nullptr;
  int FSlowMotionDiv = 4;
  bool FBorder = true;
  int AnchorY = NoAnchor;
  int32_t StartValue = 0;
  int32_t Speed = 0;
};

}  // namespace vs
