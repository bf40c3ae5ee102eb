#include "controls/QuickGraphicControl.h"

#include <QBackingStore>
#include <QContextMenuEvent>
#include <QGraphicsEffect>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QVariant>
#include <QWindow>

namespace vs {

namespace {

constexpr const char* PopupComponentProperty = "vsPopupComponent";

}  // namespace

TMouseInfo MouseInfoOf(const QMouseEvent* e, Qt::MouseButton button) {
  TMouseInfo m;
  m.Button = button;
  m.Buttons = e->buttons();
  m.Shift = e->modifiers();
  const QPoint p = e->position().toPoint();
  m.X = p.x();
  m.Y = p.y();
  return m;
}

QWidget* PopupComponent(const QMenu* menu) {
  if (!menu) return nullptr;
  return qobject_cast<QWidget*>(menu->property(PopupComponentProperty).value<QObject*>());
}

void SetPopupComponent(QMenu* menu, QWidget* control) {
  if (menu) menu->setProperty(PopupComponentProperty, QVariant::fromValue<QObject*>(control));
}

namespace {

TFramePaint* OpenFrame = nullptr;

}  // namespace

TFramePaint::TFramePaint() : Outer(OpenFrame) { OpenFrame = this; }

TFramePaint::~TFramePaint() {
  OpenFrame = Outer;
  // The parts of one window at a time.
  for (size_t first = 0; first < Parts.size(); ++first) {
    if (!Parts[first].Control) continue;
    QWidget* window = Parts[first].Control->nativeParentWidget();
    std::vector<TPart*> parts;
    for (size_t i = first; i < Parts.size(); ++i)
      if (Parts[i].Control && Parts[i].Control->nativeParentWidget() == window) parts.push_back(&Parts[i]);
    if (!PaintNow(window, parts))
      for (TPart* part : parts) part->Control->update(part->Area);
    for (TPart* part : parts) part->Control = nullptr;
  }
}

TFramePaint* TFramePaint::Open() { return OpenFrame; }

void TFramePaint::Add(TQuickGraphicControl* control, const QRegion& area) {
  if (area.isEmpty()) return;
  for (TPart& part : Parts)
    if (part.Control == control) {
      part.Area += area;
      return;
    }
  Parts.push_back({control, area});
}

bool TFramePaint::PaintNow(QWidget* window, const std::vector<TPart*>& parts) {
  for (const TPart* part : parts) {
    const TQuickGraphicControl* control = part->Control;
    if (!control->isVisible() || !control->testAttribute(Qt::WA_OpaquePaintEvent) || control->graphicsEffect())
      return false;
  }
  QWindow* handle = window ? window->windowHandle() : nullptr;
  QBackingStore* store = window ? window->backingStore() : nullptr;
  if (!handle || !store || !handle->isExposed() || window->isMinimized() || store->size() != window->size() ||
      handle->devicePixelRatio() != 1.0)
    return false;
  QRegion all;
  for (TPart* part : parts) {
    // What lies under another control of the window stays its.
    part->Area &= part->Control->visibleRegion();
    all += part->Area.translated(part->Control->mapTo(window, QPoint()));
  }
  if (all.isEmpty()) return true;
  store->beginPaint(all);
  if (QPaintDevice* device = store->paintDevice()) {
    QPainter painter(device);
    for (const TPart* part : parts)
      if (!part->Area.isEmpty()) part->Control->PaintOnto(painter, part->Control->mapTo(window, QPoint()), part->Area);
  }
  store->endPaint();
  store->flush(all, handle);
  return true;
}

TQuickGraphicControl::TQuickGraphicControl(QWidget* parent) : QWidget(parent) {
  // Moves without a button reach the controls too (hover looks, cursors).
  setMouseTracking(true);
}

TQuickGraphicControl::~TQuickGraphicControl() = default;

void TQuickGraphicControl::QuickPaint() {
  if (!parentWidget() || !isVisible()) return;
  repaint();
}

void TQuickGraphicControl::SetBufferedPaint(bool buffered) {
  Buffered = buffered;
  // A buffered control covers its whole rectangle: nothing below needs
  // painting first.
  setAttribute(Qt::WA_OpaquePaintEvent, buffered);
  if (!buffered) BackBuffer = QImage();
}

void TQuickGraphicControl::PaintBuffered(QPainter& target) {
  if (BackBuffer.size() != size()) BackBuffer = QImage(size(), QImage::Format_RGB32);
  if (BackBuffer.isNull()) return;
  BackBuffer.fill(ToQColor(Color()));
  {
    QPainter painter(&BackBuffer);
    painter.setFont(font());
    TCanvas canvas(painter);
    Paint(canvas);
  }
  target.drawImage(0, 0, BackBuffer);
}

void TQuickGraphicControl::Changed(const QRegion& area) {
  if (TFramePaint* frame = TFramePaint::Open())
    frame->Add(this, area);
  else
    update(area);
}

void TQuickGraphicControl::PaintOnto(QPainter& target, QPoint offset, const QRegion& area) {
  target.save();
  target.translate(offset);
  target.setClipRegion(area);
  // What a painter begun on the control starts with.
  const QPalette& colours = palette();
  target.setLayoutDirection(layoutDirection());
  target.setPen(QPen(colours.brush(foregroundRole()), 1));
  target.setBackground(colours.brush(backgroundRole()));
  target.setBrush(Qt::NoBrush);
  target.setFont(font());
  if (Buffered) {
    PaintBuffered(target);
  } else {
    TCanvas canvas(target);
    Paint(canvas);
  }
  target.restore();
}

TColor TQuickGraphicControl::Color() const {
  if (UseParentColor) {
    if (auto* control = qobject_cast<const TQuickGraphicControl*>(parentWidget())) return control->Color();
    if (const QWidget* parent = parentWidget()) return FromQColor(parent->palette().color(parent->backgroundRole()));
  }
  return OwnColor;
}

void TQuickGraphicControl::SetColor(TColor color) {
  const TColor plain = ColorToRGB(color);
  if (plain == OwnColor && !UseParentColor) return;
  OwnColor = plain;
  UseParentColor = false;
  ColorChanged();
}

void TQuickGraphicControl::SetParentColor(bool parentColor) {
  if (UseParentColor == parentColor) return;
  UseParentColor = parentColor;
  ColorChanged();
}

void TQuickGraphicControl::SetHint(const QString& hint) {
  HintText = hint;
  const QString shortText = hint.section('|', 0, 0);
  setAccessibleName(shortText);
  setToolTip(shortText);
}

void TQuickGraphicControl::Click() {
  if (OnClick) OnClick(this);
}

void TQuickGraphicControl::MouseDown(const TMouseInfo& mouse) {
  if (OnMouseDown) OnMouseDown(this, mouse);
}

void TQuickGraphicControl::MouseMove(const TMouseInfo& mouse) {
  if (OnMouseMove) OnMouseMove(this, mouse);
}

void TQuickGraphicControl::MouseUp(const TMouseInfo& mouse) {
  // A handler may delete the control (a button that closes its window).
  QPointer<TQuickGraphicControl> self(this);
  if (OnMouseUp) OnMouseUp(this, mouse);
  if (!self || mouse.Button != Qt::LeftButton || !Clicked) return;
  Clicked = false;
  if (rect().contains(mouse.X, mouse.Y)) Click();
}

void TQuickGraphicControl::MouseEnter() {
  if (OnMouseEnter && isEnabled()) OnMouseEnter(this);
}

void TQuickGraphicControl::MouseLeave() {
  if (OnMouseExit) OnMouseExit(this);
}

void TQuickGraphicControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (Buffered) {
    PaintBuffered(painter);
    return;
  }
  TCanvas canvas(painter);
  Paint(canvas);
}

void TQuickGraphicControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Clicked = true;
  MouseDown(MouseInfoOf(event, event->button()));
}

void TQuickGraphicControl::mouseMoveEvent(QMouseEvent* event) { MouseMove(MouseInfoOf(event, Qt::NoButton)); }

void TQuickGraphicControl::mouseReleaseEvent(QMouseEvent* event) { MouseUp(MouseInfoOf(event, event->button())); }

// The second press of a double click is a press too.
void TQuickGraphicControl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick(this);
  mousePressEvent(event);
}

void TQuickGraphicControl::enterEvent(QEnterEvent*) { MouseEnter(); }

void TQuickGraphicControl::leaveEvent(QEvent*) { MouseLeave(); }

void TQuickGraphicControl::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled()) Clicked = false;
    EnabledChanged();
  }
  QWidget::changeEvent(event);
}

void TQuickGraphicControl::contextMenuEvent(QContextMenuEvent* event) {
  if (!PopupMenu) {
    event->ignore();
    return;
  }
  SetPopupComponent(PopupMenu, this);
  PopupMenu->exec(event->globalPos());
}

}  // namespace vs
