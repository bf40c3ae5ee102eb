#include "controls/MoveBevel.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vs {

TMoveBevel::TMoveBevel(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  resize(50, 50);
}

void TMoveBevel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  TCanvas canvas(painter);
  // Lowered: dark along the top and left, light along the bottom and right.
  DrawFrame3D(canvas, TRect::Sized(0, 0, width(), height()), ClBtnShadow, ClBtnHighlight);
  // A grip of raised dots in the middle, so that it reads as a handle.
  if (width() < 12 || height() < 6) return;
  const int dots = std::min(12, (width() - 8) / 4);
  const int left = (width() - (dots * 4 - 2)) / 2;
  const int top = height() / 2 - 1;
  for (int i = 0; i < dots; ++i) {
    const int x = left + i * 4;
    canvas.FillRect(TRect::Sized(x, top, 1, 1), ClBtnHighlight);
    canvas.FillRect(TRect::Sized(x + 1, top + 1, 1, 1), ClBtnShadow);
  }
}

void TMoveBevel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Anchor = event->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, MouseInfoOf(event, event->button()));
}

void TMoveBevel::mouseReleaseEvent(QMouseEvent*) { Anchor.setX(NoAnchor); }

void TMoveBevel::mouseMoveEvent(QMouseEvent* event) {
  if (!MoveControl) return;
  if (!(event->buttons() & Qt::LeftButton)) {
    Anchor.setX(NoAnchor);
    return;
  }
  if (Anchor.x() == NoAnchor) return;
  const QPoint p = event->position().toPoint();
  MoveControl->move(MoveControl->x() - Anchor.x() + p.x(), MoveControl->y() - Anchor.y() + p.y());
}

}  // namespace vs
