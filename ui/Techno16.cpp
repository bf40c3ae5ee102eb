#include "ui/Techno16.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "core/ChannelCommands.h"
#include "core/PatternCommands.h"
#include "model/Song.h"

namespace vs {

namespace {

// Stand-ins while a style lacks a picture: the cell faces and lamp colours.
const QColor FallbackCell[4] = {QColor(0x3A, 0x3E, 0x45), QColor(0xF2, 0x9A, 0x2E), QColor(0x30, 0x33, 0x39),
                                QColor(0xE0, 0x88, 0x24)};
const QColor FallbackLamp[2] = {QColor(0x2A, 0x14, 0x10), QColor(0xFF, 0x50, 0x30)};

}  // namespace

TTechno16::TTechno16(TStepRowShared& shared, QWidget* parent) : TQuickGraphicControl(parent), Shared(shared) {
  setObjectName("Techno16");
  setAttribute(Qt::WA_OpaquePaintEvent, true);
  SetColor(ClBlack);
  resize(PatternView().VisibleSteps * StepCellWidth, StepCellHeight);
}

TChannel* TTechno16::Channel() const { return CurrentSong().Channel(FTag); }

bool TTechno16::Visible(int step) const {
  const TPatternView& view = PatternView();
  return step >= view.FirstVisibleStep && step < view.FirstVisibleStep + view.VisibleSteps;
}

int TTechno16::CellFrame(int step) const {
  const TChannel* c = Channel();
  const TSong& song = CurrentSong();
  return StepFrame(c && c->Steps.IsStepOn(song.CurrentPattern, step), step, song.StepsPerBlock);
}

void TTechno16::SetRowLayout(bool showsLamps, int cellTop, int lampTop) {
  FShowsLamps = showsLamps;
  FCellTop = cellTop;
  FLampTop = lampTop;
  RedrawAll();
}

void TTechno16::RedrawAll() {
  const TPatternView& view = PatternView();
  const QSize want(view.VisibleSteps * StepCellWidth, FShowsLamps ? RowHeightWithLamps : StepCellHeight);
  if (size() != want) resize(want);
  if (Picture.size() != want) Picture = QImage(want, QImage::Format_RGB32);
  Picture.fill(Qt::black);
  {
    QPainter p(&Picture);
    // From the last step to the first, as the row always drew.
    for (int s = view.FirstVisibleStep + view.VisibleSteps - 1; s >= view.FirstVisibleStep; --s) {
      PaintCell(p, s);
      if (FShowsLamps) PaintLamp(p, s, 0);
    }
    if (FShowsLamps && Shared.PatternPlaying && Visible(FPlayStep)) PaintLamp(p, FPlayStep, 1);
  }
  LampStep = FShowsLamps && Shared.PatternPlaying ? FPlayStep : -1;
  update();
}

void TTechno16::PaintCell(QPainter& p, int step) {
  const int x = StepLeft(step, PatternView().FirstVisibleStep);
  const TChannel* c = Channel();
  const TSong& song = CurrentSong();
  const bool on = c && c->Steps.IsStepOn(song.CurrentPattern, step);
  const int frame = StepFrame(on, step, song.StepsPerBlock);
  const QRect cell(x, FCellTop, StepCellWidth, StepCellHeight);
  const TImageList* steps = Shared.Images ? &Shared.Images->Steps : nullptr;
  const bool pictured = steps && frame < steps->Count();
  p.fillRect(cell, Qt::black);
  if (Shared.StepEditMode >= EditPanVol && on) {
    p.save();
    p.setClipRect(cell);
    PaintBars(p, x + 1, step);
    // Only the cell's frame shows around the bars.
    p.setClipRegion(QRegion(cell).subtracted(QRegion(x + 1, FCellTop, StepCellWidth - 2, StepCellHeight)));
    if (pictured) steps->Draw(p, x, FCellTop, frame);
    else p.fillRect(cell, FallbackCell[frame & 3]);
    p.restore();
    return;
  }
  if (pictured) steps->Draw(p, x, FCellTop, frame);
  else p.fillRect(cell.adjusted(1, 1, -1, -1), FallbackCell[frame & 3]);
}

void TTechno16::PaintBars(QPainter& p, int x, int step) {
  const TChannel* c = Channel();
  const TSong& song = CurrentSong();
  const TStepBlock* block = c ? c->Steps.Block(song.CurrentPattern) : nullptr;
  if (!block) return;
  const TImageList* bars = Shared.Images ? &Shared.Images->Bars : nullptr;
  const int n = bars ? bars->Count() : 0;
  const TBarFrames f = BarFrames(Shared.StepEditMode, n, c->Steps.GetStepValue(song.CurrentPattern, step, PlanePan),
                                 c->Steps.GetStepValue(song.CurrentPattern, step, PlaneVol),
                                 c->Steps.GetStepValue(song.CurrentPattern, step, PlanePitch),
                                 c->Steps.GetStepValue(song.CurrentPattern, step, PlaneMix));
  if (n < 1) {
    p.fillRect(x, FCellTop, ValueBarSize, StepCellHeight, FallbackCell[1]);
    return;
  }
  p.save();
  bars->Draw(p, x, FCellTop, f.Upper);
  // The lower bar never paints over the upper one.
  const QRegion base = p.hasClipping() ? p.clipRegion() : QRegion(Picture.rect());
  p.setClipRegion(base.subtracted(QRegion(x, FCellTop, ValueBarSize, ValueBarSize)));
  bars->Draw(p, x, FCellTop + ValueLaneHeight, f.Lower);
  p.restore();
}

void TTechno16::PaintLamp(QPainter& p, int step, int frame) {
  const int x = StepLeft(step, PatternView().FirstVisibleStep);
  const TImageList* lamps = Shared.Images ? &Shared.Images->Lamps : nullptr;
  const QRect r(x, FLampTop, StepCellWidth, LampRowHeight);
  p.fillRect(r, Qt::black);
  if (lamps && frame < lamps->Count())
    lamps->Draw(p, x, FLampTop, frame);
  else
    p.fillRect(r.adjusted(4, 6, -4, -6), FallbackLamp[frame & 1]);
}

void TTechno16::DrawStep(int step) {
  if (!Visible(step) || Picture.isNull()) return;
  {
    QPainter p(&Picture);
    PaintCell(p, step);
  }
  update(StepLeft(step, PatternView().FirstVisibleStep), FCellTop, StepCellWidth, StepCellHeight);
}

void TTechno16::DrawStepValues(int from, int to, const TRect& except) {
  if (Picture.isNull() || Shared.StepEditMode < EditPanVol) return;
  const TChannel* c = Channel();
  if (!c) return;
  const TPatternView& view = PatternView();
  from = std::max(from, view.FirstVisibleStep);
  to = std::min(to, view.FirstVisibleStep + view.VisibleSteps - 1);
  QPainter p(&Picture);
  if (!except.IsEmpty())
    p.setClipRegion(QRegion(Picture.rect()).subtracted(QRect(except.Left, except.Top, except.Width(), except.Height())));
  for (int s = to; s >= from; --s) {
    if (!c->Steps.IsStepOn(CurrentSong().CurrentPattern, s)) continue;
    PaintBars(p, StepLeft(s, view.FirstVisibleStep) + 1, s);
    update(StepLeft(s, view.FirstVisibleStep), FCellTop, StepCellWidth, StepCellHeight);
  }
}

void TTechno16::DrawLampImage(int step, int frame) {
  if (!FShowsLamps || !Visible(step) || Picture.isNull()) return;
  {
    QPainter p(&Picture);
    PaintLamp(p, step, frame);
  }
  Changed(QRect(StepLeft(step, PatternView().FirstVisibleStep), FLampTop, StepCellWidth, LampRowHeight));
}

void TTechno16::DrawLamp(int step) {
  if (step < 0) return;
  DrawLampImage(step, step == FPlayStep && Shared.PatternPlaying ? 1 : 0);
}

void TTechno16::SetPlayStep(int step) {
  FPlayStep = step;
  if (Shared.PatternPlaying && FShowsLamps) {
    if (LampStep != step && LampStep >= 0) DrawLampImage(LampStep, 0);
    if (step >= 0) DrawLampImage(step, 1);
  }
  LampStep = step;
}

void TTechno16::HidePlayStep() {
  if (FShowsLamps && LampStep >= 0) DrawLampImage(LampStep, 0);
}

void TTechno16::Paint(TCanvas& canvas) {
  if (Picture.isNull()) RedrawAll();
  canvas.Draw(0, 0, Picture);
}

void TTechno16::paintEvent(QPaintEvent* event) {
  if (Picture.isNull() || Picture.size() != size()) RedrawAll();
  QPainter p(this);
  const QRect r = event->rect();
  p.drawImage(r, Picture, r);
}

void TTechno16::MouseDown(const TMouseInfo& mouse) {
  TQuickGraphicControl::MouseDown(mouse);
  if (Shared.StepEditMode == EditSteps && (Shared.BothMouseButtons || mouse.Button != Qt::RightButton)) {
    SelectChannel(CurrentSong(), FTag);
    Painting = true;
    PaintState = 2;
    MouseMove(mouse);
    return;
  }
  ValueGesture(mouse);
}

void TTechno16::ValueGesture(const TMouseInfo& mouse) {
  TSong& song = CurrentSong();
  TChannel* c = Channel();
  if (!c) return;
  if (!c->Selected) SelectChannel(song, FTag);
  const int lane = ValueLaneAt(mouse.Y, FCellTop);
  if (lane < 0 || lane > 1) return;
  const TPatternView& view = PatternView();
  const int step = StepAtX(mouse.X, view.FirstVisibleStep);
  Shared.ValueEditRow = FTag;
  Shared.ValueEditLane = lane;
  Shared.ValueEditStep = step;
  if (step < 0 || step >= MaxSteps || !c->Steps.IsStepOn(song.CurrentPattern, step)) return;
  TValueEditRequest request;
  request.FromClick = Shared.StepEditMode == EditSteps;
  if (request.FromClick) {
    if (Shared.SetStepEditMode) Shared.SetStepEditMode(EditPanVol);
    else Shared.StepEditMode = EditPanVol;
    Shared.StepEditModeFromClick = true;
  }
  request.Place = ValueWheelPlace(x(), y(), FCellTop, step, view.FirstVisibleStep, lane);
  if (Shared.StepEditMode == EditPitchMix) Shared.ValueEditLane += 2;
  request.Row = FTag;
  request.Step = step;
  request.Lane = Shared.ValueEditLane;
  request.PressX = mouse.X;
  request.PressY = mouse.Y;
  request.Button = mouse.Button;
  if (Shared.OnValueEdit) Shared.OnValueEdit(request);
}

void TTechno16::MouseMove(const TMouseInfo& mouse) {
  TQuickGraphicControl::MouseMove(mouse);
  const bool left = mouse.Buttons & Qt::LeftButton;
  const bool right = mouse.Buttons & Qt::RightButton;
  if (!Painting || !(left || right)) return;
  TSong& song = CurrentSong();
  TChannel* c = Channel();
  if (!c) return;
  const int step = StepAtX(mouse.X, PatternView().FirstVisibleStep);
  Shared.ValueEditStep = step;
  if (step < 0 || step >= song.PatternLength()) return;
  bool on;
  if (Shared.BothMouseButtons) {
    on = left;
  } else {
    if (!left) return;
    if (PaintState == 2) PaintState = c->Steps.IsStepOn(song.CurrentPattern, step) ? 0 : 1;
    on = PaintState == 1;
  }
  c->Steps.SetStepOn(song.CurrentPattern, step, on);
  DrawStep(step);
  if (on && (mouse.Shift & Qt::AltModifier)) {
    c->Steps.SetStepValue(song.CurrentPattern, step, 0, PlaneVol);
    if (Shared.OnStepValuesChanged) Shared.OnStepValuesChanged(FTag, step);
  }
}

void TTechno16::MouseUp(const TMouseInfo& mouse) {
  Painting = false;
  TQuickGraphicControl::MouseUp(mouse);
}

}  // namespace vs
