#include "controls/MoveBevel.h"

#include <QMouseEvent>
#include <QPainter>

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
