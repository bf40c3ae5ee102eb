#include "controls/TrackSlider.h"

#include <QKeyEvent>
#include <algorithm>

#include "controls/TimerSpeedButton.h"

namespace vs {

namespace {

constexpr int PageInterval = 50;

}  // namespace

// ------------------------------------------------------------------ knob

TSliderKnob::TSliderKnob(TTrackSlider* slider) : TQuickGraphicControl(slider), Slider(slider) {}

void TSliderKnob::Paint(TCanvas& canvas) {
  const TImageList& list = Slider->KnobList();
  int index = 0;
  if (!Slider->isEnabled()) index = 1;
  else if (Anchored() && list.Count() >= 3) index = 2;
  list.Draw(canvas, 0, 0, index);
}

void TSliderKnob::MouseDown(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton) {
    // The value follows the pointer's travel, not its place: the pointer
    // would only stray from the knob.
    setCursor(Qt::BlankCursor);
    PressAlong = Slider->Along(mouse.X, mouse.Y);
    if (Slider->FocusOnClick) Slider->TakeFocus();
    QuickPaint();
  } else if (mouse.Button == Qt::RightButton) {
    Slider->ResetToDefault();
  }
  if (Slider->OnMouseDown) {
    TMouseInfo m = mouse;
    m.X += x();
    m.Y += y();
    Slider->OnMouseDown(Slider, m);
  }
}

void TSliderKnob::MouseMove(const TMouseInfo& mouse) {
  if (Anchored() && (mouse.Buttons & Qt::LeftButton))
    Slider->ChangeToPixel(Slider->KnobEdge() + Slider->Along(mouse.X, mouse.Y) - PressAlong);
}

void TSliderKnob::MouseUp(const TMouseInfo& mouse) {
  // Every gesture on the knob ends in a release: a drag, and a right click
  // that returned the slider to its default.
  const bool wasAnchored = Anchored();
  PressAlong = NoAnchor;
  if (wasAnchored) {
    unsetCursor();
    QuickPaint();
  }
  Slider->EndGesture();
  if (Slider->OnMouseUp) {
    TMouseInfo m = mouse;
    m.X += x();
    m.Y += y();
    Slider->OnMouseUp(Slider, m);
  }
}

// ---------------------------------------------------------------- slider

TTrackSlider::TTrackSlider(QWidget* parent) : TValueControl(parent) {
  TValueControl::SetMin(0);
  TValueControl::SetMax(1000);
  SetNoDefaultMark(NoDefaultPosition);
  NotifyUnchanged = true;
  SetParentColor(true);
  ApplyFocusPolicy();
  FPageTimer = new TRepeatTimer(this, PageInterval, PageInterval);
  FPageTimer->OnStep = [this] { PageToward(LastPoint); };
  FKnob = new TSliderKnob(this);
  resize(36, 150);
  SetKnobIL(nullptr);
}

void TTrackSlider::SetMin(int32_t min) {
  TValueControl::SetMin(min);
  ChangePosition(Position());
}

void TTrackSlider::SetMax(int32_t max) {
  TValueControl::SetMax(max);
  ChangePosition(Position());
}

void TTrackSlider::SetPosition(int64_t position) {
  SetValue(SliderClamp(position, Min(), Max()));
  PlaceKnob();
}

void TTrackSlider::ChangePosition(int64_t position) {
  const int32_t v = SliderClamp(position, Min(), Max());
  // A range change moves the knob even when the value stays.
  if (v == Value()) PlaceKnob();
  ChangeValue(v, true);
}

void TTrackSlider::ChangePositionAndRelease(int64_t position) {
  if (position == Position()) return;
  ChangePosition(position);
  EndGesture();
}

bool TTrackSlider::ResetToDefault() {
  if (!HasDefault() || DefaultPosition() == Position()) return false;
  ChangePosition(DefaultPosition());
  EndGesture();
  return true;
}

void TTrackSlider::SetFrequency(int32_t frequency) {
  FFrequency = frequency;
  update();
}

void TTrackSlider::SetBigTicks(int32_t count) {
  FBigTicks = count;
  update();
}

void TTrackSlider::SetOrientation(Qt::Orientation orientation) {
  FOrientation = orientation;
  SetKnobIL(nullptr);
}

void TTrackSlider::SetTickMarks(TTickMark marks) {
  FTickMarks = marks;
  Rearrange();
  ChangePosition(Position());
  update();
}

void TTrackSlider::SetSideGap(int gap) {
  FSideGap = gap;
  FTrackStart = (FKnobLength >> 1) + FSideGap;
  Rearrange();
}

void TTrackSlider::SetCanGetFocus(bool can) {
  FCanGetFocus = can;
  ApplyFocusPolicy();
  update();
}

void TTrackSlider::SetKnobIL(TImageList* list) {
  FKnobIL = list;
  FKnobList = list ? list : &ResourceImageList(FOrientation == Qt::Vertical ? "SKnob" : "SKnobH", 2);
  FKnob->resize(FKnobList->Width(), FKnobList->Height());
  FKnobLength = FOrientation == Qt::Vertical ? FKnobList->Height() : FKnobList->Width();
  FTrackStart = (FKnobLength >> 1) + FSideGap;
  Rearrange();
  update();
  FKnob->update();
}

void TTrackSlider::SetBackIL(TImageList* list) {
  FBackIL = list;
  update();
}

int TTrackSlider::CentreLine() const {
  return SliderCentreLine(FOrientation == Qt::Horizontal ? height() : width(), FTickMarks);
}

int TTrackSlider::KnobEdge() const { return Along(FKnob->x(), FKnob->y()); }

void TTrackSlider::Rearrange() {
  const int length = FOrientation == Qt::Horizontal ? width() : height();
  FTrackLength = length - 2 * FSideGap - FKnobLength;
  PlaceKnob();
}

void TTrackSlider::PlaceKnob() {
  const int edge = FTrackStart - (FKnobLength >> 1) + SliderKnobOffset(Value(), Min(), Max(), FTrackLength);
  if (FOrientation == Qt::Horizontal) FKnob->move(edge, CentreLine() - ((FKnob->height() + 1) >> 1));
  else FKnob->move(CentreLine() - ((FKnob->width() + 1) >> 1), edge);
}

void TTrackSlider::ValueChanged() {
  PlaceKnob();
  FKnob->QuickPaint();
}

void TTrackSlider::EnabledChanged() {
  QuickPaint();
  FKnob->QuickPaint();
}

void TTrackSlider::resizeEvent(QResizeEvent*) { Rearrange(); }

void TTrackSlider::ChangeToPixel(int p) {
  if (FTrackLength <= 0 || SliderRangeEmpty(Min(), Max())) return;
  ChangePosition(SliderPixelToPosition(p, FSideGap, Min(), Max(), FTrackLength));
}

void TTrackSlider::PageToward(const QPoint& point) {
  const int p = Along(point.x(), point.y()) - (FKnobLength >> 1);
  switch (SliderPageToward(p, KnobEdge(), FTrackLength, PageSize, Min(), Max())) {
    case TSliderPage::Down: ChangePosition(int64_t(Position()) - PageSize); break;
    case TSliderPage::Up: ChangePosition(int64_t(Position()) + PageSize); break;
    case TSliderPage::Jump: ChangeToPixel(p); break;
    case TSliderPage::None: break;
  }
}

// A tab stop; a click gives the focus only through TakeFocus, so that
// FocusOnClick decides (Qt's click focus would come before the press).
void TTrackSlider::ApplyFocusPolicy() { setFocusPolicy(FCanGetFocus ? Qt::TabFocus : Qt::NoFocus); }

void TTrackSlider::TakeFocus() {
  if (FCanGetFocus && !hasFocus() && isEnabled()) setFocus(Qt::MouseFocusReason);
}

void TTrackSlider::MouseDown(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton) {
    LastPoint = QPoint(mouse.X, mouse.Y);
    FPageTimer->Press();
    if (FocusOnClick) TakeFocus();
  } else if (mouse.Button == Qt::RightButton) {
    ResetToDefault();
  }
  TValueControl::MouseDown(mouse);
}

void TTrackSlider::MouseMove(const TMouseInfo& mouse) {
  LastPoint = QPoint(mouse.X, mouse.Y);
  TValueControl::MouseMove(mouse);
}

void TTrackSlider::MouseUp(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton) {
    FPageTimer->Stop();
    EndGesture();
  }
  TValueControl::MouseUp(mouse);
}

void TTrackSlider::keyPressEvent(QKeyEvent* event) {
  if (!FCanGetFocus || !StepKeyPress(event, {LineSize, PageSize, true})) TValueControl::keyPressEvent(event);
}

void TTrackSlider::keyReleaseEvent(QKeyEvent* event) {
  if (!FCanGetFocus || !StepKeyRelease(event, {LineSize, PageSize, true})) TValueControl::keyReleaseEvent(event);
}

void TTrackSlider::focusInEvent(QFocusEvent* event) {
  TValueControl::focusInEvent(event);
  StepKeysFocusIn();
  update();
}

void TTrackSlider::focusOutEvent(QFocusEvent* event) {
  TValueControl::focusOutEvent(event);
  StepKeysFocusOut();
  update();
}

void TTrackSlider::Paint(TCanvas& canvas) {
  if (FBackIL) {
    FBackIL->Draw(canvas, 0, 0, 0);
    return;
  }
  const bool horizontal = FOrientation == Qt::Horizontal;
  canvas.FillRect(TRect::Sized(0, 0, width(), height()), Color());
  const int c = CentreLine();
  // A tick is an engraved line: shadow one pixel before, highlight on it.
  const auto tick = [&](int place, int from, int to) {
    for (int k = 0; k < 2; ++k) {
      const TColor colour = k == 0 ? ClBtnShadow : ClBtnHighlight;
      const int at = place - 1 + k;
      const TRect r = horizontal ? TRect{at, std::min(from, to), at + 1, std::max(from, to)}
                                 : TRect{std::min(from, to), at, std::max(from, to), at + 1};
      canvas.FillRect(r, colour);
    }
  };
  for (const TSliderTick& t : SliderTicks(Min(), Max(), FFrequency, FBigTicks, FTrackLength, FTrackStart)) {
    const int length = t.Long ? 7 : 4;
    // Toward the top or left from c - 9, toward the bottom or right from
    // c + 8, each the tick's length.
    if (FTickMarks != TTickMark::tmBottomRight) tick(t.Place, c - 9 - length + 1, c - 9 + 1);
    if (FTickMarks != TTickMark::tmTopLeft) tick(t.Place, c + 8, c + 8 + length);
  }
  // The groove, sunk in by a two-pixel bevel.
  const TRect groove = horizontal ? TRect::Sized(FTrackStart - 3, c - 2, FTrackLength + 6, 4)
                                  : TRect::Sized(c - 2, FTrackStart - 3, 4, FTrackLength + 6);
  DrawFrame3D(canvas, groove, ClBtnShadow, ClBtnHighlight);
  DrawFrame3D(canvas, groove.Inflated(-1, -1), Cl3DDkShadow, Cl3DLight);
  if (FCanGetFocus && hasFocus()) {
    QPainter& p = canvas.Painter();
    p.save();
    p.setPen(QPen(ToQColor(ClGrayText), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(1, 0, width() - 3, height() - 1));
    p.restore();
  }
}

// ----------------------------------------------------------------- gauge

TRedGauge::TRedGauge(QWidget* parent) : TQuickGraphicControl(parent) {
  SetColor(ClRed);
  SetBufferedPaint(true);
  QFont f = font();
  f.setPointSize(10);
  f.setBold(true);
  setFont(f);
  resize(150, 20);
  FText = "0%";
}

void TRedGauge::SetText(const QString& text) {
  FText = text;
  QuickPaint();
}

void TRedGauge::SetPosition(int32_t position) {
  FPosition = SliderClamp(position, 0, FMax);
  if (FShowPercentage) FText = QString::number(GaugePercent(FPosition, FMax)) + "%";
  QuickPaint();
}

void TRedGauge::SetMax(int32_t max) {
  FMax = max;
  QuickPaint();
}

void TRedGauge::SetShowPercentage(bool show) {
  FShowPercentage = show;
  FText.clear();
  QuickPaint();
}

void TRedGauge::Paint(TCanvas& canvas) {
  const int w = width();
  const int h = height();
  // Sunk in by two pixels: dark above and left, light below and right.
  for (int k = 0; k < 2; ++k) DrawFrame3D(canvas, TRect{k, k, w - k, h - k}, ClBtnShadow, ClBtnHighlight);
  canvas.FillRect({2, 2, w - 2, h - 2}, ClBlack);
  const int barWidth = w - 6;
  const int barHeight = h - 6;
  const TColor bar = Color();
  const int filled = std::max(0, GaugeFill(barWidth, FPosition, FMax));
  const TRect lit = TRect::Sized(3, 3, filled, barHeight);
  const TRect dark = TRect::Sized(3 + filled, 3, barWidth - filled, barHeight);
  canvas.FillRect(lit, bar);
  canvas.FillRect(dark, ClBlack);
  if (FText.isEmpty()) return;
  canvas.SetFont(font());
  canvas.BrushClear = true;
  const int tx = (w - canvas.TextWidth(FText) + 1) / 2;
  const int ty = (h - canvas.TextHeight(FText)) / 2;
  if (!lit.IsEmpty()) {
    canvas.Save();
    canvas.IntersectClip(lit);
    const auto lighter = [](int c) { return std::min(c + 144, 255); };
    canvas.FontColor = RGBColor(lighter(GetRValue(bar)), lighter(GetGValue(bar)), lighter(GetBValue(bar)));
    canvas.TextOut(tx + 1, ty + 1, FText);
    canvas.FontColor = ClBlack;
    canvas.TextOut(tx, ty, FText);
    canvas.Restore();
  }
  if (!dark.IsEmpty()) {
    canvas.Save();
    canvas.IntersectClip(dark);
    canvas.FontColor = bar;
    canvas.TextOut(tx, ty, FText);
    canvas.Restore();
  }
}

}  // namespace vs
