#pragma once
// The up-down: a narrow control of three zones that steps or drags an
// integer (the main window's pattern number and tempo).
//
// - The up and down zones step by one at the press, after 200 ms and then
//   every 50 ms while held.
// - The grip between them drags: the value at the press plus the travel
//   upward times MoveSpeed / 16 (truncated toward zero).
// - Value is clamped to Min..Max; setting it fires OnChange when it changed,
//   from code too: owners chain other controls to it (the pattern pad sets
//   the pattern up-down, whose change selects the pattern). It shows no
//   number and does not repaint for a value.
// - With ImList each zone is clipped out of image 0 (at rest) or 1
//   (pressed); without it the zones are bevels carrying the shared arrows.

#include "controls/BarMaps.h"
#include "controls/ImageList.h"
#include "controls/ValueControl.h"

namespace vs {

class TRepeatTimer;

class TMeroUpDown : public TValueControl {
  Q_OBJECT

public:
  explicit TMeroUpDown(QWidget* parent = nullptr);

  // Clamped; OnChange when the value changed.
  void SetValue(int64_t value) { ChangeValue(value, true); }
  int32_t MoveSpeed = 16;
  // Not owned; with a list the control takes the image size.
  TImageList* ImList() const { return FImList; }
  void SetImList(TImageList* list);

  // The zone being held (0 up, 1 grip, 2 down), -1 for none.
  int PressedZone() const { return Pressed; }
  TUpDownBands Bands() const { return TUpDownBands(height()); }
  TRepeatTimer& StepTimer() { return *FStepTimer; }

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;
  void ValueChanged() override {}

private:
  void UpdateCursor(int y);
  TImageList* FImList = nullptr;
  int Pressed = -1;
  int AnchorY = 0;
  int32_t StartValue = 0;
  TRepeatTimer* FStepTimer = nullptr;
};

// The up-down's bevel over a zone (L, T, R, B): a black rim, a grey face
// lit at its top-left and shaded at its bottom-right, or shaded at its
// top-left while pressed.
void DrawUpDownBevel(TCanvas& canvas, const TRect& r, bool pressed);

}  // namespace vs
