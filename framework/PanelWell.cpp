#include "framework/PanelWell.h"

#include <QPainter>

#include "framework/PanelLook.h"

namespace vs {

void TPanelWell::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  p.setPen(QPen(look::PanelLight, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(r.translated(0, 1), 4, 4);
  p.setPen(QPen(look::PanelShadow, 1));
  p.setBrush(look::PanelDeep);
  p.drawRoundedRect(r.adjusted(0, 0, 0, -1), 4, 4);
}

}  // namespace vs
