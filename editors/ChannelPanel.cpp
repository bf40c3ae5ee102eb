#include "editors/ChannelPanel.h"

#include "framework/MLang.h"

#include <QPainter>
#include <QRadialGradient>

namespace vs {

TPanelFace::TPanelFace(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The controls on the face (sliders, lists, the note grid) take its
  // colours; the window's style sheet covers only the toolkit's boxes.
  QPalette pal = palette();
  pal.setColor(QPalette::Window, panel::Face);
  pal.setColor(QPalette::WindowText, panel::Text);
  pal.setColor(QPalette::Base, panel::Well);
  pal.setColor(QPalette::AlternateBase, panel::Well.lighter(110));
  pal.setColor(QPalette::Text, panel::Text);
  pal.setColor(QPalette::Button, panel::Face.lighter(115));
  pal.setColor(QPalette::ButtonText, panel::Text);
  pal.setColor(QPalette::Highlight, panel::Amber);
  pal.setColor(QPalette::HighlightedText, QColor(0x17, 0x19, 0x1D));
  setPalette(pal);
}

void TPanelFace::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), panel::Face);
  p.setRenderHint(QPainter::Antialiasing);
  for (const QRect& w : Wells) {
    // A shallow recess: a dark line inside a lit one.
    p.setBrush(QColor(0x27, 0x2A, 0x2F));
    p.setPen(QPen(QColor(0x3E, 0x42, 0x49), 1));
    p.drawRoundedRect(QRectF(w).adjusted(1.5, 1.5, -0.5, -0.5), 4, 4);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x14, 0x15, 0x18), 1));
    p.drawRoundedRect(QRectF(w).adjusted(0.5, 0.5, -1.5, -1.5), 4, 4);
  }
}

QLabel* PanelLabel(QWidget* parent, const char* name, const QString& text, const QRect& box, Qt::Alignment align,
                   bool title) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setProperty("role", title ? "readout" : "caption");
  QFont font("DejaVu Sans");
  font.setPixelSize(title ? 9 : 8);
  font.setBold(true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, title ? 1.2 : 0.5);
  label->setFont(font);
  label->setAlignment(align);
  label->setGeometry(box);
  KeepTextCondensed(label);
  return label;
}

TLampBox::TLampBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
  QFont f("DejaVu Sans");
  f.setPixelSize(10);
  f.setBold(true);
  setFont(f);
  setCursor(Qt::PointingHandCursor);
}

QSize TLampBox::sizeHint() const { return QSize(fontMetrics().horizontalAdvance(text()) + 20, 15); }

void TLampBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const bool on = isChecked();
  const bool enabled = isEnabled();
  const QPointF c(6.5, height() / 2.0);
  p.setPen(QPen(QColor(0x0C, 0x0D, 0x0F), 1));
  p.setBrush(QColor(0x1A, 0x1B, 0x1E));
  p.drawEllipse(c, 5.5, 5.5);
  QRadialGradient lens(c - QPointF(1.2, 1.2), 5);
  if (on && enabled) {
    lens.setColorAt(0, QColor(0xFF, 0xD2, 0x8A));
    lens.setColorAt(0.5, panel::Amber);
    lens.setColorAt(1, panel::Amber.darker(190));
  } else {
    lens.setColorAt(0, QColor(0x4A, 0x3C, 0x2A));
    lens.setColorAt(1, QColor(0x22, 0x1C, 0x15));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(lens);
  p.drawEllipse(c, 4, 4);
  if (hasFocus()) {
    p.setPen(QPen(panel::Amber.darker(130), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 6.5, 6.5);
  }
  p.setFont(font());
  QColor ink = on ? panel::Text : panel::Label;
  if (!enabled) ink = panel::Label.darker(160);
  p.setPen(ink);
  p.drawText(QRect(16, 0, width() - 16, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
}

}  // namespace vs
