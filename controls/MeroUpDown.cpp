#include "controls/MeroUpDown.h"

#include "controls/TimerSpeedButton.h"

namespace vs {

namespace {

constexpr int StepFirstDelay = 200;
constexpr TColor BevelFace = 0x00A0A0A0;
constexpr TColor BevelShade = 0x00707070;
constexpr TColor BevelLight = 0x00E0E0E0;

}  // namespace

void DrawUpDownBevel(TCanvas& canvas, const TRect& r, bool pressed) {
  canvas.FillRect(r.Inflated(1, 1), ClBlack);
  canvas.FillRect({r.Left, r.Top, r.Right - 1, r.Bottom - 1}, BevelFace);
  if (pressed) {
    canvas.PenColor = BevelShade;
    canvas.MoveTo(r.Left, r.Bottom - 2);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - 1, r.Top);
    return;
  }
  canvas.PenColor = BevelLight;
  canvas.MoveTo(r.Left, r.Bottom - 3);
  canvas.LineTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 2, r.Top);
  canvas.SetPixel(r.Left, r.Top, ClWhite);
  canvas.PenColor = BevelShade;
  canvas.MoveTo(r.Left + 1, r.Bottom - 2);
  canvas.LineTo(r.Right - 2, r.Bottom - 2);
  canvas.LineTo(r.Right - 2, r.Top);
  canvas.SetPixel(r.Left, r.Bottom - 1, BevelShade);
  canvas.SetPixel(r.Right - 1, r.Top, BevelShade);
}

TMeroUpDown::TMeroUpDown(QWidget* parent) : TValueControl(parent) {
  TValueControl::SetMin(0);
  TValueControl::SetMax(1000);
  SetParentColor(true);
  FStepTimer = new TRepeatTimer(this, StepFirstDelay);
  FStepTimer->OnStep = [this] { SetValue(int64_t(Value()) + (Pressed == 0 ? 1 : -1)); };
  resize(16, 26);
}

void TMeroUpDown::SetImList(TImageList* list) {
  FImList = list;
  if (list && !list->Empty()) resize(list->Width(), list->Height());
  update();
}

void TMeroUpDown::MouseDown(const TMouseInfo& mouse) {
  TValueControl::MouseDown(mouse);
  if (mouse.Button != Qt::LeftButton || Pressed >= 0) return;
  Pressed = Bands().ZoneAt(mouse.Y);
  QuickPaint();
  if (Pressed == 1) {
    AnchorY = mouse.Y;
    StartValue = Value();
  } else {
    FStepTimer->Press();
  }
}

void TMeroUpDown::MouseMove(const TMouseInfo& mouse) {
  if (!(mouse.Buttons & Qt::LeftButton)) UpdateCursor(mouse.Y);
  else if (Pressed == 1) SetValue(UpDownDragTarget(StartValue, AnchorY, mouse.Y, MoveSpeed));
  TValueControl::MouseMove(mouse);
}

void TMeroUpDown::MouseUp(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton && Pressed >= 0) {
    FStepTimer->Stop();
    Pressed = -1;
    QuickPaint();
    UpdateCursor(mouse.Y);
  }
  TValueControl::MouseUp(mouse);
}

void TMeroUpDown::UpdateCursor(int y) {
  if (Bands().ZoneAt(y) == 1) setCursor(Qt::SplitVCursor);
  else unsetCursor();
}

void TMeroUpDown::Paint(TCanvas& canvas) {
  const TUpDownBands b = Bands();
  const int w = width();
  const int h = height();
  if (FImList) {
    // Down, grip, up: each zone clipped out of the picture of its state.
    const TRect bands[3] = {{0, 0, w, b.GripTop - 1}, {0, b.GripTop - 1, w, b.GripBottom + 1},
                            {0, b.GripBottom + 1, w, h}};
    for (int zone : {2, 1, 0}) {
      canvas.Save();
      canvas.IntersectClip(bands[zone]);
      FImList->Draw(canvas, 0, 0, Pressed == zone ? 1 : 0);
      canvas.Restore();
    }
    return;
  }
  const TRect up{1, 1, w - 1, b.GripTop - 1};
  const TRect grip{1, b.GripTop, w - 1, b.GripBottom};
  const TRect down{1, b.GripBottom + 1, w - 1, h - 1};
  DrawUpDownBevel(canvas, down, Pressed == 2);
  DrawUpDownBevel(canvas, grip, Pressed == 1);
  DrawUpDownBevel(canvas, up, Pressed == 0);
  const TImageList& arrows = ResourceImageList("MeroUpDown", 2);
  const int x = (w - arrows.Width()) >> 1;
  const int y = (b.GripTop - arrows.Height()) / 2;
  const int upShift = Pressed == 0 ? 1 : 0;
  const int downShift = Pressed == 2 ? 1 : 0;
  arrows.Draw(canvas, x + upShift, up.Top + y + upShift, 0);
  arrows.Draw(canvas, x + downShift, down.Top + y + downShift, 1);
}

}  // namespace vs
