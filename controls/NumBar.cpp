#include "controls/NumBar.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cstdlib>

#include "controls/BarMaps.h"
#include "controls/BtnFrames.h"
#include "controls/TimerSpeedButton.h"

namespace vs {

namespace {

constexpr int ArrowFirstDelay = 250;
constexpr int MinimumKnob = 23;

// An arrow of a bar: it steps the bar and the bar paints it.
class TBarArrow final : public TTimerSpeedButton {
public:
  TBarArrow(TNumBar* bar, int index) : TTimerSpeedButton(bar, ArrowFirstDelay), Bar(bar), Index(index) {
    SetParentColor(true);
    SetBufferedPaint(true);
  }

protected:
  void Paint(TCanvas& canvas) override { Bar->PaintArrow(canvas, TRect::Sized(0, 0, width(), height()), Index, Down()); }

private:
  TNumBar* Bar;
  int Index;
};

// The default arrows of vertical bars: the shared ones turned to point up
// and down.
const TImageList& VerticalArrows() {
  static TImageList list;
  if (list.Empty()) {
    const QImage strip = LoadResourceBitmap("NumB");
    if (strip.isNull()) return list;
    const int w = strip.width() / 2;
    const QImage first = strip.copy(0, 0, w, strip.height()).transformed(QTransform().rotate(90));
    const QImage second = strip.copy(w, 0, w, strip.height()).transformed(QTransform().rotate(90));
    QImage turned(2 * first.width(), first.height(), QImage::Format_RGB32);
    QPainter p(&turned);
    p.drawImage(0, 0, first);
    p.drawImage(first.width(), 0, second);
    p.end();
    BitmapToImageList(turned, list, 2, PixelColor(strip, 0, 0));
  }
  return list;
}

}  // namespace

void DrawBarButtonFace(TCanvas& canvas, TRect r, TColor color, bool pressed) {
  if (!pressed) {
    canvas.FrameRect(r, ClBlack);
    ++r.Left;
    ++r.Top;
  }
  DrawBtnFrame(TBtnFrameStyle::FS_Vek3D, canvas, r, color, pressed);
}

TKnob::TKnob(TNumBar* bar) : TQuickGraphicControl(bar), Bar(bar) {
  // The bar takes every press: it knows where on the knob it fell.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  SetParentColor(true);
  SetBufferedPaint(true);
}

void TKnob::Paint(TCanvas& canvas) {
  canvas.SetFont(Bar->font());
  Bar->PaintKnob(canvas, TRect::Sized(0, 0, width(), height()));
}

TNumBar::TNumBar(QWidget* parent) : TValueControl(parent) {
  TValueControl::SetMin(0);
  TValueControl::SetMax(100);
  SetBufferedPaint(true);
  // The keyboard reaches it by Tab; of the presses only a left one on the
  // track or an arrow gives it the focus (TakeFocus).
  setFocusPolicy(Qt::TabFocus);
  FKnob = new TKnob(this);
  MakeArrows();
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);
  resize(150, 18);
  Rearrange();
}

TNumBar::~TNumBar() {
  // The arrows outlive the bar's own parts by a moment: they report no more.
  for (TTimerSpeedButton* arrow : FArrows)
    if (arrow) {
      arrow->OnStep = nullptr;
      arrow->OnStepsEnd = nullptr;
      arrow->OnMouseDown = nullptr;
    }
}

void TNumBar::MakeArrows() {
  for (int i = 0; i < 2; ++i) {
    auto* arrow = new TBarArrow(this, i);
    arrow->setObjectName(i == 0 ? "FirstArrow" : "SecondArrow");
    arrow->OnMouseDown = [this](QWidget*, const TMouseInfo& m) {
      if (m.Button == Qt::LeftButton) TakeFocus();
    };
    arrow->OnStep = [this, i](QWidget*) { ChangePosition(int64_t(Position()) + (i == 0 ? -LineSize : LineSize)); };
    arrow->OnStepsEnd = [this](QWidget* sender) {
      if (OnRelease) OnRelease(sender);
    };
    arrow->setVisible(true);
    FArrows[i] = arrow;
  }
}

void TNumBar::SetRange(int32_t a, int32_t b) {
  TValueControl::SetMin(a);
  TValueControl::SetMax(std::max(a, b));
  SetMoveRange(Min(), Max());
}

void TNumBar::SetMoveRange(int32_t a, int32_t b) {
  FMoveMin = std::max(a, Min());
  FMoveMax = std::min(b, Max());
  SizeKnob();
}

void TNumBar::SetText(const QString& text) {
  FText = text;
  FKnob->QuickPaint();
}

void TNumBar::SetShowNumber(bool show) {
  FShowNumber = show;
  // Shown again, the number is there at once.
  FText = show ? QString::number(Value()) : QString();
  SizeKnob();
  FKnob->QuickPaint();
}

void TNumBar::SetOrientation(Qt::Orientation orientation) {
  FOrientation = orientation;
  Rearrange();
  update();
}

void TNumBar::SetHideArrows(bool hide) {
  if (hide != FHideArrows) {
    FHideArrows = hide;
    if (hide) {
      for (TTimerSpeedButton*& arrow : FArrows) {
        delete arrow;
        arrow = nullptr;
      }
    } else {
      MakeArrows();
    }
  }
  Rearrange();
}

void TNumBar::SetArrowsWidth(int width) {
  FArrowsWidth = width;
  Rearrange();
}

void TNumBar::SetGlyphs(const QImage& glyphs) {
  if (glyphs.isNull()) {
    OwnArrows.reset();
  } else {
    OwnArrows = std::make_unique<TImageList>();
    BitmapToImageList(glyphs, *OwnArrows, 2, PixelColor(glyphs, 0, 0));
  }
  for (TTimerSpeedButton* arrow : FArrows)
    if (arrow) arrow->QuickPaint();
}

const TImageList& TNumBar::ArrowList() const {
  if (OwnArrows) return *OwnArrows;
  if (FOrientation == Qt::Vertical) return VerticalArrows();
  return ResourceImageList("NumB", 2);
}

void TNumBar::Rearrange() {
  const bool horizontal = FOrientation == Qt::Horizontal;
  const int length = horizontal ? width() : height();
  const int cross = horizontal ? height() : width();
  if (!FHideArrows && FArrows[0]) {
    const auto place = [&](TTimerSpeedButton* arrow, int along) {
      if (horizontal) arrow->setGeometry(along, 0, FArrowsWidth, cross);
      else arrow->setGeometry(0, along, cross, FArrowsWidth);
    };
    place(FArrows[0], 0);
    place(FArrows[1], length - FArrowsWidth);
    FTrackOrigin = FArrowsWidth - 1;
    FTrackLength = length - 2 * FArrowsWidth + 2;
  } else {
    FTrackOrigin = 0;
    FTrackLength = length;
  }
  SizeKnob();
}

void TNumBar::SizeKnob() {
  int size = NumBarKnobSize(FTrackLength, Min(), Max());
  if (OnSetKnobWidth) OnSetKnobWidth(this, size);
  setEnabled(Min() < Max() && size < FTrackLength);
  const int64_t widest = std::max(std::llabs(int64_t(Max())), std::llabs(int64_t(Min())));
  const int minimum =
      FShowNumber ? QFontMetrics(font()).horizontalAdvance(QString::number(widest)) + 16 : MinimumKnob;
  FKnobSize = std::max(size, minimum);
  // The range may have left the position outside: clamp it quietly.
  SetValue(Value());
  PlaceKnob();
}

void TNumBar::PlaceKnob() {
  const int along = FTrackOrigin + NumBarKnobOffset(Value(), FMoveMin, FMoveMax, FTrackLength, FKnobSize);
  if (FOrientation == Qt::Horizontal) FKnob->setGeometry(along, 0, FKnobSize, height());
  else FKnob->setGeometry(0, along, width(), FKnobSize);
}

void TNumBar::ValueChanged() {
  if (FShowNumber) FText = QString::number(Value());
  PlaceKnob();
  FKnob->QuickPaint();
}

void TNumBar::EnabledChanged() {
  FKnob->setVisible(isEnabled());
  QuickPaint();
}

void TNumBar::ColorChanged() {
  update();
  FKnob->update();
  for (TTimerSpeedButton* arrow : FArrows)
    if (arrow) arrow->update();
}

void TNumBar::changeEvent(QEvent* event) {
  TValueControl::changeEvent(event);
  if (event->type() == QEvent::FontChange) SizeKnob();
}

void TNumBar::resizeEvent(QResizeEvent*) { Rearrange(); }

void TNumBar::TakeFocus() {
  if (!hasFocus() && focusPolicy() != Qt::NoFocus && isEnabled()) setFocus(Qt::MouseFocusReason);
}

void TNumBar::TrackTo(int x, int y) {
  FDragging = true;
  ChangePosition(NumBarPointToPosition(FDragOffset + Along(x, y) - FTrackOrigin, FKnobSize, FTrackLength, FMoveMin,
                                       FMoveMax));
}

void TNumBar::MouseDown(const TMouseInfo& mouse) {
  TValueControl::MouseDown(mouse);
  if (mouse.Button != Qt::LeftButton || !isEnabled()) return;
  if (FKnob->isVisible() && FKnob->geometry().contains(mouse.X, mouse.Y)) {
    const int inKnob = Along(mouse.X - FKnob->x(), mouse.Y - FKnob->y());
    FDragOffset = SlideKnob ? FKnobSize / 2 - inKnob : 0;
    TrackTo(mouse.X, mouse.Y);
    FKnob->QuickPaint();
  } else {
    FDragOffset = 0;
    TrackTo(mouse.X, mouse.Y);
    FKnob->QuickPaint();
    TakeFocus();
  }
}

void TNumBar::MouseMove(const TMouseInfo& mouse) {
  if ((mouse.Buttons & Qt::LeftButton) && FDragging) TrackTo(mouse.X, mouse.Y);
  TValueControl::MouseMove(mouse);
}

void TNumBar::MouseUp(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton) {
    FDragging = false;
    FKnob->QuickPaint();
    EndGesture();
  }
  TValueControl::MouseUp(mouse);
}

void TNumBar::keyPressEvent(QKeyEvent* event) {
  if (!StepKeyPress(event, {LineSize, PageSize, false})) TValueControl::keyPressEvent(event);
}

void TNumBar::keyReleaseEvent(QKeyEvent* event) {
  if (!StepKeyRelease(event, {LineSize, PageSize, false})) TValueControl::keyReleaseEvent(event);
}

void TNumBar::focusInEvent(QFocusEvent* event) {
  TValueControl::focusInEvent(event);
  QuickPaint();
}

void TNumBar::focusOutEvent(QFocusEvent* event) {
  TValueControl::focusOutEvent(event);
  StepKeysFocusOut();
  QuickPaint();
}

void TNumBar::Paint(TCanvas& canvas) {
  canvas.PenColor = ClBlack;
  canvas.BrushColor = ShiftColor(Color(), hasFocus() ? -32 : -64);
  canvas.Rectangle(TRect::Sized(0, 0, width(), height()));
}

void TNumBar::PaintKnob(TCanvas& canvas, const TRect& rect) {
  if (OnPaintKnob) {
    OnPaintKnob(this, canvas, rect, 0, FDragging ? 1 : 0);
    return;
  }
  const TColor color = Color();
  DrawBarButtonFace(canvas, rect, color, FDragging);
  const int shift = FDragging ? 1 : 0;
  if (!FText.isEmpty()) {
    canvas.BrushClear = true;
    canvas.FontColor = FontColor;
    const int x = (rect.Width() - canvas.TextWidth(FText) + 1) / 2;
    const int y = (rect.Height() - canvas.TextHeight(FText)) / 2;
    canvas.TextOut(rect.Left + x + shift, rect.Top + y + shift, FText);
    return;
  }
  // Grip lines across the bar's axis, 3 pixels in from the knob's edges.
  const bool horizontal = FOrientation == Qt::Horizontal;
  const int length = horizontal ? rect.Width() : rect.Height();
  const int cross = horizontal ? rect.Height() : rect.Width();
  const auto line = [&](int along, TColor c) {
    if (horizontal) canvas.FillRect({rect.Left + along, rect.Top + 3, rect.Left + along + 1, rect.Top + cross - 3}, c);
    else canvas.FillRect({rect.Left + 3, rect.Top + along, rect.Left + cross - 3, rect.Top + along + 1}, c);
  };
  for (int a = 3; a + 1 < length - 3; a += 3) {
    line(a + shift, ShiftColor(color, -64));
    if (!FDragging) line(a + 1, ShiftColor(color, 64));
  }
}

void TNumBar::PaintArrow(TCanvas& canvas, const TRect& rect, int index, bool down) {
  if (OnPaintKnob) {
    OnPaintKnob(this, canvas, rect, index + 1, down ? 1 : 0);
    return;
  }
  DrawBarButtonFace(canvas, rect, Color(), down);
  const TImageList& arrows = ArrowList();
  const int shift = down ? 1 : 0;
  arrows.Draw(canvas, rect.Left + ((rect.Width() - arrows.Width()) >> 1) + shift,
              rect.Top + ((rect.Height() - arrows.Height()) >> 1) + shift, index);
}

}  // namespace vs
