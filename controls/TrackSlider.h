#pragma once
// The program's fader and its progress bar.
//
// TTrackSlider: a focusable slider whose knob comes from an image list (the
// shared "SKnob"/"SKnobH" knobs unless KnobIL is set), with tick marks
// every Frequency values and nBigTicks long ones between the ends.
// - Min is at the left or the top. Setting Min, Max or TickMarks, and every
//   gesture and key, goes through ChangePosition, which fires OnChange even
//   when the position stays; the Position setter is quiet.
// - Dragging the knob moves it by the pointer's travel (the pointer hidden
//   meanwhile); a press on the track pages toward the pointer every 50 ms
//   while held, then follows it; a right click, or Insert, returns to
//   DefaultPosition (2147483647: none) and to the middle. OnRelease ends
//   every drag, held track press, key and reset.
// - ChangePositionAndRelease is how owners set a slider from loaded songs
//   and settings: a change and its release, or nothing.
//
// TRedGauge: a sunken bar filled to Position of Max in Color, with the
// percentage written across it.

#include <QPoint>

#include "controls/BarMaps.h"
#include "controls/ImageList.h"
#include "controls/ValueControl.h"

namespace vs {

class TTrackSlider;
class TRepeatTimer;

class TSliderKnob : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TSliderKnob(TTrackSlider* slider);
  bool Anchored() const { return PressAlong != NoAnchor; }

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;

private:
  static constexpr int NoAnchor = 2147483647;
  TTrackSlider* Slider;
  int PressAlong = NoAnchor;
};

class TTrackSlider : public TValueControl {
  Q_OBJECT

public:
  static constexpr int32_t NoDefaultPosition = 2147483647;

  explicit TTrackSlider(QWidget* parent = nullptr);

  int32_t LineSize = 10;
  int32_t PageSize = 100;
  bool FocusOnClick = true;

  // Store, then ChangePosition(Position): OnChange fires.
  void SetMin(int32_t min);
  void SetMax(int32_t max);
  int32_t DefaultPosition() const { return DefaultValue(); }
  void SetDefaultPosition(int32_t position) { SetDefaultValue(position); }

  int32_t Position() const { return Value(); }
  // Clamped (an inverted range gives Min), knob placed; no event.
  void SetPosition(int64_t position);
  // SetPosition, then OnChange, changed or not.
  void ChangePosition(int64_t position);
  // Only when position differs from Position: ChangePosition, OnRelease.
  void ChangePositionAndRelease(int64_t position);
  // To DefaultPosition, then OnRelease: when there is one and the slider is
  // elsewhere.
  bool ResetToDefault() override;

  int32_t Frequency() const { return FFrequency; }
  void SetFrequency(int32_t frequency);
  int32_t BigTicks() const { return FBigTicks; }
  void SetBigTicks(int32_t count);
  Qt::Orientation Orientation() const { return FOrientation; }
  void SetOrientation(Qt::Orientation orientation);
  TTickMark TickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark marks);
  int SideGap() const { return FSideGap; }
  void SetSideGap(int gap);
  bool CanGetFocus() const { return FCanGetFocus; }
  void SetCanGetFocus(bool can);

  // The knob's list (not owned); none while the shared default is in use.
  TImageList* KnobIL() const { return FKnobIL; }
  void SetKnobIL(TImageList* list);
  // A list whose first image replaces the whole drawn background (not
  // owned).
  TImageList* BackIL() const { return FBackIL; }
  void SetBackIL(TImageList* list);

  // The parts and measures, for owners and tests.
  TSliderKnob* Knob() const { return FKnob; }
  const TImageList& KnobList() const { return *FKnobList; }
  int TrackLength() const { return FTrackLength; }
  int TrackStart() const { return FTrackStart; }
  int KnobLength() const { return FKnobLength; }
  int CentreLine() const;
  // The knob's leading edge (left or top) along the axis.
  int KnobEdge() const;
  TRepeatTimer& PageTimer() { return *FPageTimer; }

  // The position of a knob whose leading edge is at pixel p, through
  // ChangePosition (nothing on a track of no length).
  void ChangeToPixel(int p);
  int Along(int x, int y) const { return FOrientation == Qt::Horizontal ? x : y; }

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;
  void ValueChanged() override;
  // The larger of Min and the smaller of Max and the value: an inverted
  // range gives Min.
  int32_t Clamped(int64_t value) const override { return SliderClamp(value, Min(), Max()); }
  void KeyChange(int64_t value) override { ChangePosition(value); }
  void EnabledChanged() override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  friend class TSliderKnob;
  void Rearrange();
  void PlaceKnob();
  void PageToward(const QPoint& point);
  void TakeFocus();
  void ApplyFocusPolicy();

  TSliderKnob* FKnob = nullptr;
  TImageList* FKnobIL = nullptr;
  const TImageList* FKnobList = nullptr;
  TImageList* FBackIL = nullptr;
  int32_t FFrequency = 50;
  int32_t FBigTicks = 3;
  Qt::Orientation FOrientation = Qt::Vertical;
  TTickMark FTickMarks = TTickMark::tmBoth;
  int FSideGap = 5;
  bool FCanGetFocus = true;
  int FTrackLength = 0;
  int FTrackStart = 0;
  int FKnobLength = 0;
  TRepeatTimer* FPageTimer = nullptr;
  QPoint LastPoint;
};

class TRedGauge : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TRedGauge(QWidget* parent = nullptr);

  const QString& Text() const { return FText; }
  void SetText(const QString& text);
  int32_t Position() const { return FPosition; }
  // Clamped to 0..Max; with ShowPercentage the text follows; drawn at once.
  void SetPosition(int32_t position);
  int32_t Max() const { return FMax; }
  void SetMax(int32_t max);
  bool ShowPercentage() const { return FShowPercentage; }
  // Stores and empties the text.
  void SetShowPercentage(bool show);

protected:
  void Paint(TCanvas& canvas) override;

private:
  QString FText;
  int32_t FPosition = 0;
  int32_t FMax = 100;
  bool FShowPercentage = true;
};

}  // namespace vs
