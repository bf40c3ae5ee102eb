#include "editors/VisualForm.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "controls/HatchBrush.h"
#include "controls/WindowTools.h"
#include "editors/LampMaps.h"
#include "model/Preferences.h"
#include "model/Song.h"

namespace vs {

TVisualForm::TVisualForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("VisualForm");
  setWindowTitle(QStringLiteral("Visual"));
  setAccessibleName(QStringLiteral("Visual"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  FitToChannels();
  CurrentSong().AddListener(this);
}

TVisualForm::~TVisualForm() { CurrentSong().RemoveListener(this); }

void TVisualForm::SetCellSize(int cell) {
  FCellSize = std::clamp(cell, 12, 24);
  FitToChannels();
}

void TVisualForm::FitToChannels() {
  resize(LampWindowWidth(FCellSize), LampWindowHeight(CurrentSong().ChannelCount(), FCellSize));
}

void TVisualForm::PaintLamp(QPainter& p, int row, int step, int level, uint32_t colour) {
  const TLampRect r = LampRect(row, step, FCellSize);
  const TColor lamp = LampColour(level, colour);
  HatchFill(p, QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), LampHatchColour(lamp), lamp);
}

void TVisualForm::RedrawAll() {
  if (Picture.size() != size()) Picture = QImage(size(), QImage::Format_RGB32);
  Picture.fill(Qt::black);
  QPainter p(&Picture);
  const TSong& song = CurrentSong();
  for (int row = 0; row < song.ChannelCount(); ++row) {
    const TChannel& c = *song.Channels[row];
    PaintLamp(p, row, -1, c.TriggerLamp.load(std::memory_order_relaxed), c.Color);
    for (int s = 0; s < LampSteps; ++s) PaintLamp(p, row, s, c.StepLamps[s].load(std::memory_order_relaxed), c.Color);
  }
  update();
}

void TVisualForm::DecayRepaint() {
  if (Picture.size() != size()) {
    RedrawAll();
    return;
  }
  QPainter p(&Picture);
  const TSong& song = CurrentSong();
  for (int row = 0; row < song.ChannelCount(); ++row) {
    TChannel& c = *song.Channels[row];
    auto fade = [&](std::atomic<int32_t>& lamp, int step, int decay) {
      const int level = lamp.load(std::memory_order_relaxed);
      if (level <= 0) return;
      const int next = DecayedLamp(level, decay);
      lamp.store(next, std::memory_order_relaxed);
      PaintLamp(p, row, step, next, c.Color);
      const TLampRect r = LampRect(row, step, FCellSize);
      update(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
    };
    fade(c.TriggerLamp, -1, ChannelLampDecay);
    for (int s = 0; s < LampSteps; ++s) fade(c.StepLamps[s], s, StepLampDecay);
  }
}

void TVisualForm::LightAll() {
  for (auto& c : CurrentSong().Channels) {
    c->TriggerLamp.store(LampLevelMax);
    for (auto& lamp : c->StepLamps) lamp.store(LampLevelMax);
  }
  RedrawAll();
}

void TVisualForm::paintEvent(QPaintEvent* event) {
  if (Picture.size() != size()) RedrawAll();
  QPainter p(this);
  p.drawImage(event->rect(), Picture, event->rect());
}

void TVisualForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RedrawAll();
}

void TVisualForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  LightAll();
  if (OnShownChanged) OnShownChanged(true);
}

void TVisualForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (OnShownChanged) OnShownChanged(false);
}

void TVisualForm::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    if (OnCloseRequest)
      OnCloseRequest();
    else
      hide();
    return;
  }
  if (event->button() == Qt::LeftButton) {
    Dragging = true;
    DragStart = event->globalPosition().toPoint() - pos();
  }
}

void TVisualForm::mouseMoveEvent(QMouseEvent* event) {
  if (Dragging && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - DragStart);
    return;
  }
  const int row = LampRowAt(event->position().toPoint().y(), FCellSize);
  if (const TChannel* c = CurrentSong().Channel(row); c && OnShowInfo) OnShowInfo(c->Name);
}

void TVisualForm::mouseReleaseEvent(QMouseEvent*) { Dragging = false; }

void TVisualForm::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QRect area = GetWorkArea(this);
  SetCellSize(FCellSize == 12 ? GrownLampCell(CurrentSong().ChannelCount(), area.width(), area.height()) : 12);
}

void TVisualForm::LoadBounds(const TStoredBounds& b) {
  // A window closed without ever showing stores the place it was made at:
  // that is no place the user gave it, so it opens in its first place.
  const QPoint made = pos();
  move(b.Left.value_or(x()), b.Top.value_or(y()));
  Placed = b.Left && b.Top && pos() != made;
}

void TVisualForm::StoreBounds(TStoredBounds& b) const {
  b.Left = x();
  b.Top = y();
  b.Width = width();
  b.Height = height();
}

}  // namespace vs
