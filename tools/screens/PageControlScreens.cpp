// The page control with draggable sheets: the master page showing its grip
// along the left side, and an effect page dragged off into its floating
// window beside the control.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>
#include <memory>

#include "editors/PanelStyle.h"
#include "framework/PanelLook.h"
#include "framework/Tab95.h"
#include "tools/screens/Screens.h"

namespace vs::screens {
namespace {

// A sheet holding one group of effect settings.
TTab95Sheet* EffectSheet(TPage95Control* pages, const QString& caption, const QString& effect) {
  auto* sheet = new TTab95Sheet(pages, caption);
  sheet->setObjectName(QString(caption).remove(' ') + "Sheet");
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(12, 10, 12, 10);
  auto* group = new panel::TPanelGroup(caption.toUpper(), sheet);
  auto* inner = new QVBoxLayout(group);
  inner->setSpacing(6);
  auto* label = new QLabel("Effect", group);
  label->setProperty("role", "dim");
  inner->addWidget(label);
  auto* combo = new panel::TPanelCombo(group);
  combo->addItem(effect);
  inner->addWidget(combo);
  auto* bypass = new QCheckBox("Bypass", group);
  inner->addWidget(bypass);
  auto* post = new QCheckBox("After the mixer", group);
  post->setChecked(true);
  inner->addWidget(post);
  inner->addStretch();
  layout->addWidget(group);
  return sheet;
}

// A tool window's caption above its client, as the desktop would draw it.
QImage WithToolCaption(const QImage& client, const QString& title) {
  const int bar = 18;
  QImage framed(client.width() + 2, client.height() + bar + 1, QImage::Format_RGB32);
  QPainter p(&framed);
  p.fillRect(framed.rect(), look::PanelShadow);
  QLinearGradient caption(0, 0, 0, bar);
  caption.setColorAt(0, look::CaptionTop);
  caption.setColorAt(1, look::CaptionBottom);
  p.fillRect(QRect(1, 1, client.width(), bar - 1), caption);
  QFont f("DejaVu Sans");
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(look::Text);
  p.drawText(QRect(8, 1, client.width() - 30, bar - 1), Qt::AlignVCenter | Qt::AlignLeft, title);
  // The close box.
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(look::TextDim, 1.6));
  const QPointF x(client.width() - 10, 1 + (bar - 1) / 2.0);
  p.drawLine(x + QPointF(-3.5, -3.5), x + QPointF(3.5, 3.5));
  p.drawLine(x + QPointF(-3.5, 3.5), x + QPointF(3.5, -3.5));
  p.drawImage(1, bar, client);
  return framed;
}

QImage FloatingSheetsPage(TScreenContext&) {
  auto window = std::make_unique<QWidget>();
  window->resize(420, 260);
  panel::ApplyPanelStyle(window.get());
  // The grip in the panel's own light and shadow.
  QPalette pal = window->palette();
  pal.setColor(QPalette::Light, QColor(0x8a, 0x90, 0x99));
  pal.setColor(QPalette::Dark, QColor(0x0e, 0x0f, 0x12));
  window->setPalette(pal);
  auto* pages = new TPage95Control(window.get());
  pages->setObjectName("FXPageControl");
  pages->setGeometry(10, 10, 400, 240);
  panel::ApplyTabLook(pages);
  TTab95Sheet* master = EffectSheet(pages, "Master", "Stereo delay");
  EffectSheet(pages, "FX Track 1", "Reverb");
  TTab95Sheet* second = EffectSheet(pages, "FX Track 2", "Chorus");
  EffectSheet(pages, "FX Track 3", "Compressor");
  master->SetDragable(true);
  second->SetDragable(true);
  second->SetGripAlign(gaTop);
  window->move(30, 30);
  pages->SetActivePage(second);
  TScreenContext::Grab(window.get());
  // The second track dragged off below and to the right of the window.
  second->FloatAt(window->mapToGlobal(QPoint(250, 200)));
  second->FloatingForm()->resize(260, 190);
  pages->SetActivePage(master);
  const QImage control = TScreenContext::Grab(window.get());
  const QImage floating = WithToolCaption(TScreenContext::Grab(second->FloatingForm()), second->Caption());
  const QPoint floatingAt = second->FloatingForm()->pos() - window->pos() - QPoint(1, 18);

  // Composed on a desktop, the floating window above the control.
  const QPoint margin(30, 30);
  QImage page(std::max(control.width(), floatingAt.x() + floating.width()) + 2 * margin.x(),
              std::max(control.height(), floatingAt.y() + floating.height()) + 2 * margin.y(),
              QImage::Format_RGB32);
  QPainter p(&page);
  PaintDesk(p, page);
  PaintShadowed(p, control, margin);
  PaintShadowed(p, floating, margin + floatingAt);
  second->FloatingForm()->close();
  return page;
}

VS_SCREEN("page-control-floating", FloatingSheetsPage);

}  // namespace
}  // namespace vs::screens
