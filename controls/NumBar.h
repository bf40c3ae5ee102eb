#pragma once
// The number bar: the program's scroll bar and number picker. A knob slides
// along a track between two arrow buttons and can carry the number it
// stands for.
//
// - Min..Max is the value range; MoveMin..MoveMax the part of it the knob
//   travels over (any change of the range resets it to the whole range, so
//   owners set the travel after the range).
// - The knob is the track length shared by every value, at least 23 pixels
//   (or the widest number + 16 with ShowNumber); OnSetKnobWidth may change
//   it first. The bar disables itself when the range is empty or the knob
//   would fill the track.
// - Gestures: a press on the track centres the knob on the pointer; a press
//   on the knob drags it (SlideKnob: from where it was grabbed); the arrows
//   step by LineSize at once, after 250 ms and then every 50 ms; keys Page
//   Up/Down (PageSize), Home, End, Left, Right (LineSize) and Insert (the
//   middle). OnRelease ends each drag, arrow press and key.
// - OnPaintKnob lets an owner paint the knob (DrawWhat 0) and the arrows
//   (1, 2) itself; State is 1 while dragged or held.

#include <QImage>
#include <functional>
#include <memory>

#include "controls/ImageList.h"
#include "controls/ValueControl.h"

namespace vs {

class TNumBar;
class TTimerSpeedButton;

// The bar's knob; the bar paints it and takes its presses.
class TKnob : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TKnob(TNumBar* bar);

protected:
  void Paint(TCanvas& canvas) override;

private:
  TNumBar* Bar;
};

using TOnPaintKnobEvent =
    std::function<void(QWidget* sender, TCanvas& canvas, const TRect& rect, int drawWhat, int state)>;
using TSetKnobWidth = std::function<void(QWidget* sender, int& width)>;

class TNumBar : public TValueControl {
  Q_OBJECT

public:
  explicit TNumBar(QWidget* parent = nullptr);
  ~TNumBar() override;

  int32_t LineSize = 1;
  int32_t PageSize = 10;

  // Min := a, Max := the larger of b and a; the travel becomes the whole
  // range; the knob is sized again.
  void SetRange(int32_t a, int32_t b);
  void SetMin(int32_t min) { SetRange(min, Max()); }
  void SetMax(int32_t max) { SetRange(Min(), max); }
  int32_t MoveMin() const { return FMoveMin; }
  int32_t MoveMax() const { return FMoveMax; }
  // MoveMin := the larger of a and Min, MoveMax := the smaller of b and Max.
  void SetMoveRange(int32_t a, int32_t b);
  void SetMoveMin(int32_t a) { SetMoveRange(a, FMoveMax); }
  void SetMoveMax(int32_t b) { SetMoveRange(FMoveMin, b); }

  int32_t Position() const { return Value(); }
  // Clamped; no event.
  void SetPosition(int32_t position) { SetValue(position); }
  // Every gesture: OnChange when the value changed.
  void ChangePosition(int64_t position) { ChangeValue(position, true); }

  // The text on the knob: the number while ShowNumber.
  const QString& Text() const { return FText; }
  void SetText(const QString& text);
  bool ShowNumber() const { return FShowNumber; }
  void SetShowNumber(bool show);

  Qt::Orientation Orientation() const { return FOrientation; }
  void SetOrientation(Qt::Orientation orientation);
  bool HideArrows() const { return FHideArrows; }
  void SetHideArrows(bool hide);
  int ArrowsWidth() const { return FArrowsWidth; }
  void SetArrowsWidth(int width);
  bool SlideKnob = false;

  // The arrows' pictures: a strip of two (first and second arrow); a null
  // picture selects the shared default arrows.
  void SetGlyphs(const QImage& glyphs);

  TSetKnobWidth OnSetKnobWidth;
  TOnPaintKnobEvent OnPaintKnob;

  // The parts, for owners that place things against them and for tests.
  TKnob* Knob() const { return FKnob; }
  TTimerSpeedButton* Arrow(int index) const { return FArrows[index]; }
  int TrackOrigin() const { return FTrackOrigin; }
  int TrackLength() const { return FTrackLength; }
  int KnobSize() const { return FKnobSize; }
  bool Dragging() const { return FDragging; }

  // Drawing of the parts (the knob and the arrows call these).
  void PaintKnob(TCanvas& canvas, const TRect& rect);
  void PaintArrow(TCanvas& canvas, const TRect& rect, int index, bool down);

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;
  void ValueChanged() override;
  void EnabledChanged() override;
  void ColorChanged() override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void MakeArrows();
  void Rearrange();
  void SizeKnob();
  void PlaceKnob();
  void TrackTo(int x, int y);
  void TakeFocus();
  const TImageList& ArrowList() const;
  int Along(int x, int y) const { return FOrientation == Qt::Horizontal ? x : y; }

  TKnob* FKnob = nullptr;
  TTimerSpeedButton* FArrows[2] = {nullptr, nullptr};
  std::unique_ptr<TImageList> OwnArrows;
  QString FText = "0";
  bool FShowNumber = true;
  Qt::Orientation FOrientation = Qt::Horizontal;
  bool FHideArrows = false;
  int FArrowsWidth = 23;
  int32_t FMoveMin = 0;
  int32_t FMoveMax = 100;
  int FTrackOrigin = 0;
  int FTrackLength = 0;
  int FKnobSize = 0;
  bool FDragging = false;
  int FDragOffset = 0;
};

// The face of a bar's knob and arrows: unless pressed a black frame first
// (the rectangle then shrunk by one at the left and top), then the 3-D
// button frame in color.
void DrawBarButtonFace(TCanvas& canvas, TRect r, TColor color, bool pressed);

}  // namespace vs
