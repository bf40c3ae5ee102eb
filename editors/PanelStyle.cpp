#include "editors/PanelStyle.h"

#include <QFont>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include "framework/DialogLook.h"
#include "framework/Tab95.h"

namespace vs::panel {

namespace {

const char* const StyleSheet = R"(
QLabel, QCheckBox, QRadioButton, QComboBox, QLineEdit { color: #D9DCE1; }
vs--TPage95Control, vs--TTab95Sheet { background-color: #2B2E33; color: #D9DCE1; }
vs--panel--TPanelGroup { background-color: #24272C; }
QWidget#TrackColumn { background-color: #17191D; }
QLabel[role="caption"] { color: #9AA0A8; font-size: 9px; font-weight: bold; }
QLabel[role="readout"] { color: #F29A2E; font-weight: bold; }
QLabel[role="dim"] { color: #9AA0A8; }
QComboBox, QLineEdit {
  background: #1C1E22; border: 1px solid #3E4249; border-radius: 3px; padding: 2px 6px; min-height: 16px;
  selection-background-color: #F29A2E; selection-color: #17191D;
}
QComboBox:hover, QLineEdit:focus { border-color: #F29A2E; }
QComboBox::drop-down { width: 16px; border: none; }
QComboBox QAbstractItemView {
  background: #1C1E22; border: 1px solid #3E4249; selection-background-color: #F29A2E; selection-color: #17191D;
}
QCheckBox, QRadioButton { spacing: 6px; }
QCheckBox::indicator, QRadioButton::indicator {
  width: 11px; height: 11px; border: 1px solid #101113; background: #1C1E22;
}
QCheckBox::indicator { border-radius: 2px; }
QRadioButton::indicator { border-radius: 6px; }
QCheckBox::indicator:checked, QRadioButton::indicator:checked { background: #F29A2E; border-color: #7A4A12; }
QCheckBox::indicator:hover, QRadioButton::indicator:hover { border-color: #F29A2E; }
QPushButton {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #42464E, stop:1 #2C2F35);
  border: 1px solid #15171A; border-radius: 3px; padding: 3px 10px; color: #D9DCE1;
}
QPushButton:hover { border-color: #F29A2E; }
QPushButton:pressed { background: #1C1E22; }
QTableWidget {
  background: #1C1E22; alternate-background-color: #212328; gridline-color: #2E3137; color: #D9DCE1;
  border: 1px solid #3E4249; selection-background-color: #5A3C16; selection-color: #FFFFFF;
}
QTableCornerButton::section { background: #33373D; border: none; }
QHeaderView { background: #33373D; }
QHeaderView::section {
  background: #33373D; color: #F29A2E; border: none; border-right: 1px solid #1C1E22; padding: 3px 6px;
  font-weight: bold; font-size: 10px;
}
QScrollArea { background: transparent; }
QMenu { background: #24272C; border: 1px solid #3E4249; padding: 3px; }
QMenu::item { padding: 3px 18px 3px 18px; }
QMenu::item:selected { background: #F29A2E; color: #17191D; }
QMenu::item:disabled { color: #5C6068; }
QMenu::separator { height: 1px; background: #3E4249; margin: 3px 6px; }
QToolTip { background: #CCBBBB; color: #000000; border: 1px solid #EEE0E0; }
)";

}  // namespace

void ApplyPanelStyle(QWidget* window) {
  QPalette pal = window->palette();
  pal.setColor(QPalette::Window, Face);
  pal.setColor(QPalette::WindowText, Text);
  pal.setColor(QPalette::Base, Well);
  pal.setColor(QPalette::AlternateBase, Well.lighter(110));
  pal.setColor(QPalette::Text, Text);
  pal.setColor(QPalette::Button, Face.lighter(115));
  pal.setColor(QPalette::ButtonText, Text);
  pal.setColor(QPalette::Highlight, Amber);
  pal.setColor(QPalette::HighlightedText, QColor(0x17, 0x19, 0x1D));
  window->setPalette(pal);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  window->setFont(font);
  window->setAutoFillBackground(true);
  window->setStyleSheet(QString::fromLatin1(StyleSheet) + ScrollBarStyle());
}

QString ScrollBarStyle() { return DarkScrollBarSheet(9); }

void ApplyTabLook(TCustomTab95Control* tabs) {
  tabs->SetTabInactiveColor(InactiveTab);
  tabs->SetTabInactiveFontColor(Label);
  QFont font = tabs->font();
  font.setBold(true);
  tabs->setFont(font);
  tabs->SetTabInactiveFont(font);
}

TPanelGroup::TPanelGroup(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
  setContentsMargins(10, 24, 10, 8);
  setFlat(true);
}

void TPanelGroup::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF well = QRectF(rect()).adjusted(0.5, 17.5, -0.5, -0.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x24, 0x27, 0x2C));
  p.drawRoundedRect(well, 4, 4);
  // Engraved: dark on the upper edge, a light line below.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Edge, 1));
  p.drawRoundedRect(well.adjusted(1, 1, 0, 0), 4, 4);
  p.setPen(QPen(Shadow, 1));
  p.drawRoundedRect(well.adjusted(0, 0, -1, -1), 4, 4);
  // The title.
  QFont f = font();
  f.setPixelSize(10);
  f.setBold(true);
  f.setLetterSpacing(QFont::AbsoluteSpacing, 1.4);
  f.setCapitalization(QFont::AllUppercase);
  p.setFont(f);
  // "&&" is a written "&"; a single one marks a key.
  QString text = title();
  text.replace(QLatin1String("&&"), QString(QChar(0x1)));
  text.remove(QLatin1Char('&'));
  text.replace(QChar(0x1), QLatin1Char('&'));
  const QRect box(2, 0, width() - 4, 14);
  p.setPen(Amber);
  p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
  const int end = box.left() + QFontMetrics(f).horizontalAdvance(text) + 8;
  if (end < box.right()) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Shadow);
    p.drawLine(end, box.center().y(), box.right(), box.center().y());
    p.setPen(Edge);
    p.drawLine(end, box.center().y() + 1, box.right(), box.center().y() + 1);
  }
}

void TPanelCombo::paintEvent(QPaintEvent* event) {
  QComboBox::paintEvent(event);
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(isEnabled() ? Amber : Label);
  const QPointF c(width() - 10.5, height() / 2.0 + 1);
  p.drawPolygon(QPolygonF({c + QPointF(-4, -2.5), c + QPointF(4, -2.5), c + QPointF(0, 2.5)}));
}

}  // namespace vs::panel
