#include "ui/SkinPic.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "framework/PanelLook.h"

namespace vs {

TSkinPic::TSkinPic(QWidget* parent, const char* name, TFill fill, bool logo)
    : TWPControl(parent), Fill(fill), Logo(logo) {
  setObjectName(name);
}

void TSkinPic::paintEvent(QPaintEvent* event) {
  if (!Picture().isNull()) {
    TWPControl::paintEvent(event);
    return;
  }
  QPainter p(this);
  PaintBuiltIn(p);
}

void TSkinPic::PaintBuiltIn(QPainter& p) {
  QLinearGradient g(0, 0, Fill == Strip ? width() : 0, Fill == Strip ? 0 : height());
  g.setColorAt(0, QColor(0x33, 0x37, 0x3d));
  g.setColorAt(1, QColor(0x22, 0x25, 0x29));
  p.fillRect(rect(), g);
  p.setPen(look::PanelLight);
  p.drawLine(0, 0, width() - 1, 0);
  p.setPen(look::PanelShadow);
  p.drawLine(0, height() - 1, width() - 1, height() - 1);
  if (!Logo) return;
  // Two screws and the name plate.
  p.setRenderHint(QPainter::Antialiasing);
  for (int x : {10, width() - 11}) {
    const QPointF c(x + 0.5, 10.5);
    QRadialGradient screw(c - QPointF(1.5, 1.5), 5);
    screw.setColorAt(0, QColor(0x9a, 0xa0, 0xa8));
    screw.setColorAt(1, QColor(0x3a, 0x3e, 0x44));
    p.setBrush(screw);
    p.setPen(QPen(look::PanelShadow, 1));
    p.drawEllipse(c, 4, 4);
    p.setPen(QPen(QColor(0x26, 0x29, 0x2e), 1.2));
    p.drawLine(c + QPointF(-2.5, 1.2), c + QPointF(2.5, -1.2));
  }
  QFont f = font();
  f.setPixelSize(16);
  f.setBold(true);
  f.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
  p.setFont(f);
  const QRect plate(24, 0, 200, 22);
  p.setPen(QColor(0x12, 0x13, 0x16));
  p.drawText(plate.translated(0, 1), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("VORBELSTEPS"));
  p.setPen(look::Accent);
  p.drawText(plate, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("VORBELSTEPS"));
}

}  // namespace vs
