#pragma once
// A sunken bevel that drags a window by its surface: caption-less pop-ups
// put one under their title so that the user can move them. Holding the
// left button on it and moving moves MoveControl (usually the window that
// holds the bevel) by the pointer's travel.

#include <QWidget>

#include "controls/QuickGraphicControl.h"

namespace vs {

class TMoveBevel : public QWidget {
  Q_OBJECT

public:
  explicit TMoveBevel(QWidget* parent = nullptr);

  // The control that moves (not owned).
  QWidget* MoveControl = nullptr;
  // Fired at every press before the drag starts (owners close a pop-up on
  // any click, for example).
  TMouseEvent OnMouseDown;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  static constexpr int NoAnchor = 2147483647;
  QPoint Anchor{NoAnchor, 0};
};

}  // namespace vs
