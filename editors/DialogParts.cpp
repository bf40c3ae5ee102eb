#include "editors/DialogParts.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTextEdit>

#include "controls/MyTransBtn.h"
#include "editors/PanelStyle.h"

namespace vs {

QLabel* CaptionLabel(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(name);
  label->setProperty("role", "dim");
  return label;
}

TMyTransButton* DialogButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new TMyTransButton(parent);
  button->setObjectName(name);
  button->SetStyle(TBtnFrameStyle::FS_VekGradient);
  button->SetOptions(tbShowPressed);
  button->StayDown = false;
  button->SetCaption(QString::fromUtf8(caption));
  button->setFixedSize(76, 24);
  return button;
}

TMyTransButton* CloseButton(QWidget* parent, const char* name) {
  constexpr int W = 18, H = 16;
  QImage strip(2 * W, H, QImage::Format_RGB32);
  strip.fill(panel::Face);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  for (int lit = 0; lit < 2; ++lit) {
    const QRectF key(lit * W + 0.5, 0.5, W - 1.0, H - 1.0);
    QLinearGradient face(key.topLeft(), key.bottomLeft());
    face.setColorAt(0, lit ? QColor(0x22, 0x24, 0x28) : QColor(0x46, 0x4a, 0x52));
    face.setColorAt(1, lit ? QColor(0x2c, 0x2f, 0x35) : QColor(0x2c, 0x2f, 0x35));
    p.setPen(QPen(panel::Shadow, 1));
    p.setBrush(face);
    p.drawRoundedRect(key, 3, 3);
    const QPointF c = key.center() + QPointF(lit ? 0.5 : 0, lit ? 0.5 : 0);
    p.setPen(QPen(lit ? panel::Amber : panel::Text, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-3.5, -3.5), c + QPointF(3.5, 3.5));
    p.drawLine(c + QPointF(-3.5, 3.5), c + QPointF(3.5, -3.5));
  }
  p.end();
  auto* button = new TMyTransButton(parent);
  button->setObjectName(name);
  button->SetStyle(TBtnFrameStyle::FS_Bitmap);
  button->StayDown = false;
  button->SetNumGlyphs(2);
  button->SetGlyph(strip);
  return button;
}

void SetPaperLook(QTextEdit* edit) {
  edit->setStyleSheet(QStringLiteral(
      "QTextEdit { background: #F3EFE4; color: #1A1B1E; border: 1px solid #14151A; border-radius: 2px;"
      " selection-background-color: #F29A2E; selection-color: #17191D; }"));
}

TGroove::TGroove(QWidget* parent, const char* name) : QWidget(parent) {
  setObjectName(name);
  setFixedHeight(2);
}

void TGroove::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(panel::Shadow);
  p.drawLine(0, 0, width() - 1, 0);
  p.setPen(panel::Edge);
  p.drawLine(0, 1, width() - 1, 1);
}

}  // namespace vs
