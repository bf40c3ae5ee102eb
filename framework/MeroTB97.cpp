#include "framework/MeroTB97.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <bit>
#include <memory>

#include "controls/WindowTools.h"
#include "framework/PanelLook.h"

namespace vs {

namespace {

constexpr int CaptionHeight = 15;
constexpr int CloseBoxSize = 11;

TDockRect ToDockRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
QRect ToQRect(const TDockRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

bool ApplicationActive() { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

QPoint GlobalPos(const QMouseEvent* e) { return e->globalPosition().toPoint(); }

}  // namespace

std::vector<TDockRect> ScreenWorkAreas() {
  std::vector<TDockRect> areas;
  for (QScreen* s : QGuiApplication::screens()) areas.push_back(ToDockRect(GetWorkArea(*s)));
  return areas;
}

// ------------------------------------------------------------- the outline

// The drag outline: four thin top-level strips along the edges of the
// rectangle, checkered, so that whatever lies under the middle shows
// through without a compositor.
class TOutlineEdge : public QWidget {
public:
  TOutlineEdge()
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setObjectName("DockOutline");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), look::Accent);
    // The pattern lines up across the four strips.
    p.setBrushOrigin(-pos());
    p.fillRect(rect(), QBrush(look::PanelShadow, Qt::Dense4Pattern));
  }
};

class TDockOutline : public QObject {
public:
  void Place(const QRect& r, int t) {
    const QRect edges[4] = {QRect(r.left(), r.top(), r.width(), t), QRect(r.left(), r.bottom() + 1 - t, r.width(), t),
                            QRect(r.left(), r.top() + t, t, r.height() - 2 * t),
                            QRect(r.right() + 1 - t, r.top() + t, t, r.height() - 2 * t)};
    for (int i = 0; i < 4; ++i) {
      if (!Edges[i]) Edges[i] = std::make_unique<TOutlineEdge>();
      if (Edges[i]->geometry() != edges[i]) Edges[i]->setGeometry(edges[i]);
      Edges[i]->setVisible(edges[i].width() > 0 && edges[i].height() > 0);
      Edges[i]->update();
    }
  }
  void hide() {
    for (auto& e : Edges)
      if (e) e->hide();
  }

private:
  std::unique_ptr<TOutlineEdge> Edges[4];
};

// ------------------------------------------------------ the floating frame

// The top-level a floating tool window sits in: a one-pixel border and a
// caption bar with the window's title (and a close box when the window has
// one). Pressing on the caption drags the window; closing it closes the form.
class TToolFloatFrame : public QWidget {
public:
  TToolFloatFrame(QWidget* form, TMeroCustomToolWindow97* window)
      : QWidget(form, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus), Window(window) {
    setObjectName("FloatingToolFrame");
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
  }
  ~TToolFloatFrame() override {
    // The window it holds goes first, while the frame is still whole; a
    // window docked elsewhere only loses its frame.
    if (TMeroCustomToolWindow97* window = Window) {
      Window = nullptr;
      window->Frame = nullptr;
      if (window->parentWidget() == this) delete window;
    }
  }
  int Border() const { return Window && Window->WindowBorder ? 1 : 0; }
  QPoint ClientOrigin() const { return {Border(), Border() + CaptionHeight}; }
  QRect CloseBox() const {
    return QRect(width() - Border() - CloseBoxSize - 2, Border() + (CaptionHeight - CloseBoxSize) / 2, CloseBoxSize,
                 CloseBoxSize);
  }

  TMeroCustomToolWindow97* Window;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const int b = Border();
    const bool inactive = Window && Window->InactiveCaption();
    const QRect caption(b, b, width() - 2 * b, CaptionHeight);
    QLinearGradient g(caption.topLeft(), caption.bottomLeft());
    g.setColorAt(0, inactive ? look::CaptionInactive : look::CaptionTop);
    g.setColorAt(1, inactive ? look::CaptionInactive : look::CaptionBottom);
    p.fillRect(caption, g);
    p.setPen(look::PanelShadow);
    p.drawLine(caption.left(), caption.bottom(), caption.right(), caption.bottom());
    // A row of grip dots before the title.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
      p.setBrush(look::PanelShadow);
      p.drawRect(b + 4 + i * 3, b + 5, 1, CaptionHeight - 10);
      p.setBrush(look::PanelLight);
      p.drawRect(b + 5 + i * 3, b + 5, 1, CaptionHeight - 10);
    }
    QFont f = font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(inactive ? look::TextDim : look::Text);
    QRect text = caption.adjusted(16, 0, -(CloseBoxSize + 6), -1);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
               p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, text.width()));
    if (Window && Window->CloseButton()) {
      const QRect box = CloseBox();
      p.setRenderHint(QPainter::Antialiasing);
      p.setPen(QPen(Pressed ? look::Accent : look::TextDim, 1.6));
      p.drawLine(QPointF(box.left() + 2.5, box.top() + 2.5), QPointF(box.right() - 1.5, box.bottom() - 1.5));
      p.drawLine(QPointF(box.right() - 1.5, box.top() + 2.5), QPointF(box.left() + 2.5, box.bottom() - 1.5));
      p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (b) {
      p.setPen(Qt::black);
      p.setBrush(Qt::NoBrush);
      p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (!Window) return;
    if (Window->CloseButton() && e->button() == Qt::LeftButton && CloseBox().contains(e->position().toPoint())) {
      Pressed = true;
      update();
      return;
    }
    Window->HandlePress(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (!Pressed) return;
    Pressed = false;
    update();
    if (Window && CloseBox().contains(e->position().toPoint())) {
      Window->hide();
      if (Window->OnClose) Window->OnClose(*Window);
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (Window && e->button() == Qt::LeftButton && !CloseBox().contains(e->position().toPoint()))
      Window->DoubleClicked();
  }
  void moveEvent(QMoveEvent*) override {
    if (Window && !Window->Docked() && Window->InternalSetting == 0) {
      Window->FloatLeft = x();
      Window->FloatTop = y();
    }
  }
  void closeEvent(QCloseEvent* e) override {
    // Closing a floating tool window closes its form.
    e->ignore();
    if (Window && Window->Form()) Window->Form()->close();
  }

private:
  bool Pressed = false;
};

// -------------------------------------------------------------- the site

TToolWindowSite::TToolWindowSite(QWidget* form) : QObject(form), Form(form), AppActive(ApplicationActive()) {
  setObjectName("ToolWindowSite");
  form->installEventFilter(this);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    AppActive = state == Qt::ApplicationActive;
    UpdateVisibility();
  });
}

TToolWindowSite& TToolWindowSite::Of(QWidget* form) {
  if (auto* site = form->findChild<TToolWindowSite*>(QString(), Qt::FindDirectChildrenOnly)) return *site;
  return *new TToolWindowSite(form);
}

void TToolWindowSite::UpdateVisibility() {
  const bool formHidden = !Form->isVisible() || Form->isMinimized();
  for (TMeroCustomToolWindow97* w : ToolItems) w->UpdateFloating(formHidden, AppActive);
}

bool TToolWindowSite::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Form) switch (event->type()) {
      case QEvent::Show:
      case QEvent::Hide:
      case QEvent::WindowStateChange:
        UpdateVisibility();
        break;
      default:
        break;
    }
  return false;
}

// -------------------------------------------------------------- the dock

TMeroDock97::TMeroDock97(QWidget* parent, TDockPosition position) : QWidget(parent) {
  if (!parent) throw EInvalidOperation("TMeroDock97 must be owned by a form");
  for (QWidget* w = parent; w; w = w->parentWidget())
    if (qobject_cast<TMeroDock97*>(w) || qobject_cast<TMeroCustomToolWindow97*>(w))
      throw EInvalidOperation("A TMeroDock97 control cannot be placed inside a TToolbar97 or another TMeroDock97");
  Pos = position;
  setAutoFillBackground(false);
  TToolWindowSite::Of(parent->window()).DockItems.push_back(this);
  ArrangeToolbars();
}

TMeroDock97::~TMeroDock97() {
  Destroying = true;
  for (TMeroCustomToolWindow97* w : findChildren<TMeroCustomToolWindow97*>(Qt::FindDirectChildrenOnly))
    w->Dock = nullptr;
  Bars.clear();
  if (auto* site = window()->findChild<TToolWindowSite*>(QString(), Qt::FindDirectChildrenOnly)) {
    auto& docks = site->DockItems;
    docks.erase(std::remove(docks.begin(), docks.end(), this), docks.end());
  }
  delete FBackground;
}

void TMeroDock97::SetPosition(TDockPosition position) {
  if (position == Pos) return;
  if (!findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).isEmpty())
    throw EInvalidOperation("Cannot change Position of a TMeroDock97 if it already contains controls");
  Pos = position;
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  ArrangeToolbars();
}

void TMeroDock97::setVisible(bool visible) {
  if (!visible && isVisible() && !Destroying) throw EInvalidOperation("Cannot hide a TMeroDock97");
  QWidget::setVisible(visible);
}

void TMeroDock97::SetAllowDrag(bool allow) {
  AllowDragFlag = allow;
  for (TMeroCustomToolWindow97* w : Bars) w->update();
}
void TMeroDock97::SetLimitToOneRow(bool on) {
  OneRow = on;
  ArrangeToolbars();
}
void TMeroDock97::SetOnePerRow(bool on) {
  PerRow = on;
  ArrangeToolbars();
}
void TMeroDock97::SetFixAlign(bool on) {
  Fix = on;
  ArrangeToolbars();
}
void TMeroDock97::SetBoundLines(unsigned lines) {
  Lines = lines;
  ArrangeToolbars();
  update();
}

void TMeroDock97::SetBackgroundOnToolbars(bool on) {
  FBackgroundOnToolbars = on;
  for (TMeroCustomToolWindow97* w : DockList()) w->update();
}

void TMeroDock97::SetBackground(const QPixmap& picture) {
  delete FBackground;
  FBackground = picture.isNull() ? nullptr : new QPixmap(picture);
  update();
  for (TMeroCustomToolWindow97* w : Bars) w->update();
}

void TMeroDock97::EndUpdate() {
  if (ArrangeLock > 0 && --ArrangeLock == 0) ArrangeToolbars();
}

QMargins TMeroDock97::LineMargins() const {
  // A line takes its pixel only while the client area stays above 1 pixel.
  QMargins m;
  if ((Lines & blTop) && height() - m.top() - m.bottom() > 1) m.setTop(1);
  if ((Lines & blBottom) && height() - m.top() - m.bottom() > 1) m.setBottom(1);
  if ((Lines & blLeft) && width() - m.left() - m.right() > 1) m.setLeft(1);
  if ((Lines & blRight) && width() - m.left() - m.right() > 1) m.setRight(1);
  return m;
}

QRect TMeroDock97::DockClientRect() const { return rect().marginsRemoved(LineMargins()); }

int TMeroDock97::ClientLength() const {
  const QRect r = DockClientRect();
  return Vertical() ? r.height() : r.width();
}

void TMeroDock97::InsertBar(TMeroCustomToolWindow97* window) {
  if (std::find(Bars.begin(), Bars.end(), window) != Bars.end()) return;
  Bars.push_back(window);
  ArrangeToolbars();
  window->UpdateSize();
  if (OnInsertRemoveBar) OnInsertRemoveBar(*this, true, *window);
}

void TMeroDock97::RemoveBar(TMeroCustomToolWindow97* window) {
  auto it = std::find(Bars.begin(), Bars.end(), window);
  if (it == Bars.end()) return;
  Bars.erase(it);
  ArrangeToolbars();
  if (OnInsertRemoveBar) OnInsertRemoveBar(*this, false, *window);
}

void TMeroDock97::ArrangeToolbars() {
  if (ArrangeLock > 0 || Arranging || Destroying) return;
  Arranging = true;
  const bool vertical = Vertical();
  std::vector<TDockedBar> bars;
  for (size_t i = 0; i < Bars.size(); ++i) {
    const TMeroCustomToolWindow97* w = Bars[i];
    TDockedBar b;
    b.Tag = static_cast<int>(i);
    b.DockRow = w->Row;
    b.DockPos = w->Pos;
    b.Length = vertical ? w->height() : w->width();
    b.CrossSize = w->CrossSize(vertical);
    bars.push_back(b);
  }
  TDockOptions options;
  options.LimitToOneRow = OneRow;
  options.OnePerRow = PerRow;
  options.FixAlign = Fix;
  options.ClientLength = ClientLength();
  const TDockArrangement arranged = ArrangeDock(options, bars);
  Rows = arranged.RowSizes;
  std::vector<TMeroCustomToolWindow97*> sorted;
  const QPoint origin = DockClientRect().topLeft();
  for (const TDockedBar& b : bars) {
    TMeroCustomToolWindow97* w = Bars[b.Tag];
    sorted.push_back(w);
    w->Row = b.DockRow;
    w->Pos = b.DockPos;
    ++w->InternalSetting;
    if (vertical)
      w->setGeometry(origin.x() + b.Across, origin.y() + b.DockPos, b.AcrossSize, w->height());
    else
      w->setGeometry(origin.x() + b.DockPos, origin.y() + b.Across, w->width(), b.AcrossSize);
    --w->InternalSetting;
  }
  Bars = std::move(sorted);
  ApplyThickness(arranged.Thickness);
  Arranging = false;
}

void TMeroDock97::ApplyThickness(int client) {
  // The lines across take their pixels only from a client area above 1.
  const bool vertical = Vertical();
  const unsigned across = vertical ? (blLeft | blRight) : (blTop | blBottom);
  const int lines = client > 1 ? std::popcount(Lines & across) : 0;
  const int total = client + lines;
  QRect g = geometry();
  if (vertical) {
    if (g.width() == total && minimumWidth() == total && maximumWidth() == total) return;
    setFixedWidth(total);
    if (Pos == dpRight) g.setLeft(g.right() + 1 - total);
    g.setWidth(total);
  } else {
    if (g.height() == total && minimumHeight() == total && maximumHeight() == total) return;
    setFixedHeight(total);
    if (Pos == dpBottom) g.setTop(g.bottom() + 1 - total);
    g.setHeight(total);
  }
  // Outside a layout the dock keeps its own edge in place.
  if (!parentWidget() || !parentWidget()->layout() || parentWidget()->layout()->indexOf(this) < 0) setGeometry(g);
}

void TMeroDock97::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (FBackground)
    p.drawTiledPixmap(DockClientRect(), *FBackground);
  else
    p.fillRect(rect(), look::PanelDeep);
  const QMargins m = LineMargins();
  if (m.top()) {
    p.setPen(look::PanelShadow);
    p.drawLine(0, 0, width() - 1, 0);
  }
  if (m.left()) {
    p.setPen(look::PanelShadow);
    p.drawLine(0, 0, 0, height() - 1);
  }
  if (m.bottom()) {
    p.setPen(look::PanelLight);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
  }
  if (m.right()) {
    p.setPen(look::PanelLight);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
  }
}

void TMeroDock97::resizeEvent(QResizeEvent* event) {
  const bool vertical = Vertical();
  const int before = vertical ? event->oldSize().height() : event->oldSize().width();
  const int now = vertical ? height() : width();
  if (before != now) ArrangeToolbars();
  if (OnResize) OnResize(*this);
}

// ------------------------------------------------------- the tool window

TMeroCustomToolWindow97::TMeroCustomToolWindow97(QWidget* owner) : QWidget(nullptr) {
  if (!owner) throw EInvalidOperation("Tool windows must be owned by a form");
  OwnerForm = owner->window();
  Frame = new TToolFloatFrame(OwnerForm, this);
  setParent(Frame);
  move(Frame->ClientOrigin());
  QWidget::setVisible(true);  // visible in its frame until hidden
  TToolWindowSite& site = TToolWindowSite::Of(OwnerForm);
  site.ToolItems.push_back(this);
  HiddenFlag = true;
  InactiveCaptionFlag = !ApplicationActive();
}

void TMeroCustomToolWindow97::changeEvent(QEvent* event) {
  // A new caption shows on the floating frame too.
  if (event->type() == QEvent::WindowTitleChange && Frame) {
    Frame->setWindowTitle(windowTitle());
    Frame->update();
  }
  QWidget::changeEvent(event);
}

TMeroCustomToolWindow97::~TMeroCustomToolWindow97() {
  if (DragActive) qApp->removeEventFilter(this);
  delete Outline;
  if (Dock) Dock->RemoveBar(this);
  if (auto* site = OwnerForm->findChild<TToolWindowSite*>(QString(), Qt::FindDirectChildrenOnly)) {
    auto& items = site->ToolItems;
    items.erase(std::remove(items.begin(), items.end(), this), items.end());
  }
  // A frame that goes first has let go of this window (Frame is null then).
  if (TToolFloatFrame* frame = Frame) {
    frame->Window = nullptr;
    if (parentWidget() != frame) {
      delete frame;
    } else {
      // This window is still its child: the empty frame goes once this
      // window has left it.
      frame->hide();
      frame->deleteLater();
    }
  }
}

QWidget* TMeroCustomToolWindow97::FloatingFrame() const { return Frame; }

QSize TMeroCustomToolWindow97::FloatingSizeFor(QSize client) const {
  const int b = WindowBorder ? 1 : 0;
  return {client.width() + 2 * b, client.height() + 2 * b + CaptionHeight};
}

void TMeroCustomToolWindow97::SetDockPos(int pos) {
  Pos = pos;
  if (Dock) Dock->ArrangeToolbars();
}

void TMeroCustomToolWindow97::SetDockRow(int row) {
  Row = row;
  if (Dock) Dock->ArrangeToolbars();
}

void TMeroCustomToolWindow97::SetCloseButton(bool on) {
  CloseButtonFlag = on;
  if (Frame) Frame->update();
}

int TMeroCustomToolWindow97::CrossSize(bool verticalDock) const { return verticalDock ? width() : height(); }

void TMeroCustomToolWindow97::MoveToParent(QWidget* parent) {
  const bool shown = !isHidden();
  if (Dock) Dock->RemoveBar(this);
  Dock = qobject_cast<TMeroDock97*>(parent);
  setParent(parent);
  if (shown) QWidget::setVisible(true);
  if (Dock && shown) Dock->InsertBar(this);
}

void TMeroCustomToolWindow97::SetDockedTo(TMeroDock97* dock) {
  TMeroDock97* old = Dock;
  if (dock != old && OnDockChanging) OnDockChanging(*this);
  ++InternalSetting;
  if (dock) dock->BeginUpdate();
  if (dock) {
    if (parentWidget() != dock) MoveToParent(dock);
    UpdateSize();
    if (dock != old) move(-width(), -height());
  } else {
    if (parentWidget() != Frame) MoveToParent(Frame);
    move(Frame->ClientOrigin());
    UpdateSize();
    PlaceFrame();
    FloatPlaced = true;
  }
  if (dock) dock->EndUpdate();
  --InternalSetting;
  if (dock) dock->ArrangeToolbars();
  TToolWindowSite::Of(OwnerForm).UpdateVisibility();
  if (dock != old && OnDockChanged) OnDockChanged(*this);
}

void TMeroCustomToolWindow97::PlaceFrame() {
  if (!Frame) return;
  const QRect wanted(QPoint(FloatLeft, FloatTop), FloatingSizeFor(size()));
  const TDockRect placed = BringOnScreen(ToDockRect(wanted), ScreenWorkAreas());
  FloatLeft = placed.Left;
  FloatTop = placed.Top;
  ++InternalSetting;
  Frame->setGeometry(ToQRect(placed));
  --InternalSetting;
}

void TMeroCustomToolWindow97::UpdateSize() {
  QSize client = BaseClientSize();
  if (Dock && Row >= 0 && Row < static_cast<int>(Dock->Rows.size())) {
    const int row = Dock->Rows[Row];
    if (Dock->Vertical())
      client.setWidth(std::max(client.width(), row));
    else
      client.setHeight(std::max(client.height(), row));
  }
  if (client != size()) {
    ++InternalSetting;
    resize(client);
    --InternalSetting;
  }
  if (!Dock && Frame && parentWidget() == Frame) Frame->resize(FloatingSizeFor(size()));
}

void TMeroCustomToolWindow97::UpdateFloating(bool formHidden, bool appActive) {
  const bool floating = !Dock;
  HiddenFlag = floating && (formHidden || (HideWhenInactive && !appActive));
  InactiveCaptionFlag = floating && !HideWhenInactive && !appActive;
  if (!Frame) return;
  const bool want = floating && !isHidden() && !HiddenFlag;
  Frame->setWindowTitle(windowTitle());
  // A window manager that minimised the form minimised the frame with it
  // before the frame was hidden; shown again minimised, the frame would
  // have the manager minimise the form and its windows once more.
  if (want && Frame->isMinimized()) Frame->setWindowState(Frame->windowState() & ~Qt::WindowMinimized);
  if (Frame->isVisible() != want) Frame->setVisible(want);
  Frame->update();
}

void TMeroCustomToolWindow97::AddDragSurface(QWidget* surface) { surface->installEventFilter(this); }

bool TMeroCustomToolWindow97::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent: {
      const bool shown = e->type() == QEvent::ShowToParent;
      const bool result = QWidget::event(e);
      if (Dock) {
        if (shown)
          Dock->InsertBar(this);
        else
          Dock->RemoveBar(this);
      }
      if (InternalSetting == 0) {
        TToolWindowSite::Of(OwnerForm).UpdateVisibility();
        if (OnVisibleChanged) OnVisibleChanged(*this);
      }
      return result;
    }
    case QEvent::WindowTitleChange:
      if (Frame) {
        Frame->setWindowTitle(windowTitle());
        Frame->update();
      }
      break;
    default:
      break;
  }
  return QWidget::event(e);
}

void TMeroCustomToolWindow97::HandlePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || DragActive) return;
  if (Dock && !Dock->AllowDrag()) return;
  if (!Dock && ActivateParent && OwnerForm && !OwnerForm->isActiveWindow()) OwnerForm->activateWindow();
  BeginDrag(GlobalPos(e));
}

void TMeroCustomToolWindow97::mousePressEvent(QMouseEvent* e) { HandlePress(e); }

void TMeroCustomToolWindow97::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) DoubleClicked();
}


void TMeroCustomToolWindow97::DoubleClicked() {
  if (DragActive) EndDrag(false);
  if (Dock) {
    if (!Dock->AllowDrag()) return;
    const bool first = !FloatPlaced && Frame;
    if (first) {
      const QPoint docked = mapToGlobal(QPoint()) - Frame->ClientOrigin();
      FloatLeft = docked.x();
      FloatTop = docked.y();
    }
    SetDockedTo(nullptr);
    // Floated for the first time: beside the form (which has let go of the
    // window's room by now), clear of it and of what lies flush against it
    // where the screen has room, and on the screen.
    if (first && Frame && !Dock) {
      const QPoint at = MoveIntoPlace(Frame, Frame->pos(), TKeepClear::MainWindow);
      FloatLeft = at.x();
      FloatTop = at.y();
    }
  } else if (DefaultDockPtr) {
    Row = 0;
    Pos = -8;
    SetDockedTo(DefaultDockPtr);
  }
}

void TMeroCustomToolWindow97::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (!Dock && Frame && parentWidget() == Frame) Frame->resize(FloatingSizeFor(size()));
}

void TMeroCustomToolWindow97::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const TMeroDock97* dock = Docked() ? DockedTo() : nullptr;
  if (dock && dock->BackgroundOnToolbars() && dock->Background()) {
    // The dock's tiles run on under the window, lined up with the dock's.
    const QPoint at = mapTo(dock, QPoint(0, 0)) - dock->DockClientRect().topLeft();
    p.drawTiledPixmap(rect(), *dock->Background(), at);
    return;
  }
  p.fillRect(rect(), look::Panel);
}

bool TMeroCustomToolWindow97::eventFilter(QObject* watched, QEvent* e) {
  if (DragActive) {
    // The drag owns the mouse and the keys until it ends. Events reach the
    // widgets first through their top-level window, which keeps its own
    // track of the buttons: only the widgets' copies are taken.
    if (!watched->isWidgetType()) return false;
    switch (e->type()) {
      case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        DragMove(GlobalPos(m), m->modifiers() & Qt::ControlModifier);
        return true;
      }
      case QEvent::MouseButtonRelease: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::LeftButton || m->button() == Qt::RightButton) {
          DragMove(GlobalPos(m), m->modifiers() & Qt::ControlModifier);
          EndDrag(true);
        }
        return true;
      }
      case QEvent::MouseButtonPress:
        EndDrag(false);
        return true;
      case QEvent::MouseButtonDblClick:
        // The second press of a double click began a drag of its own.
        EndDrag(false);
        if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) DoubleClicked();
        return true;
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Escape) {
          EndDrag(false);
        } else if (k->key() == Qt::Key_Control && !k->isAutoRepeat()) {
          DragMove(LastCursor, e->type() == QEvent::KeyPress);
        }
        return true;
      }
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
        return true;
      default:
        return false;
    }
  }
  // A drag surface of this window.
  if (watched != qApp && watched->isWidgetType()) {
    if (e->type() == QEvent::MouseButtonPress) {
      HandlePress(static_cast<QMouseEvent*>(e));
      return true;
    }
    if (e->type() == QEvent::MouseButtonDblClick) {
      if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) DoubleClicked();
      return true;
    }
  }
  return false;
}

std::vector<TDockTarget> TMeroCustomToolWindow97::DragTargets(std::vector<TMeroDock97*>& docks) const {
  std::vector<TDockTarget> targets;
  docks.clear();
  const QSize client = BaseClientSize();
  const TToolWindowSite& site = TToolWindowSite::Of(OwnerForm);
  for (TDockPosition position : {dpTop, dpBottom, dpLeft, dpRight}) {
    if (!(DockableTo & DockPositionBit(position))) continue;
    for (TMeroDock97* d : site.Docks()) {
      if (d->Position() != position || !d->AllowDrag() || !d->isVisible()) continue;
      TDockTarget t;
      t.Rect = ToDockRect(QRect(d->mapToGlobal(QPoint()), d->size()));
      t.Vertical = d->Vertical();
      t.Empty = d->DockList().empty();
      t.DockedWidth = client.width();
      t.DockedHeight = client.height();
      targets.push_back(t);
      docks.push_back(d);
    }
  }
  return targets;
}

void TMeroCustomToolWindow97::BeginDrag(QPoint globalPress) {
  if (DragActive) return;
  const QPoint topLeft = Dock || !Frame ? mapToGlobal(QPoint()) : Frame->pos();
  DragSize = Dock || !Frame ? size() : Frame->size();
  GrabPoint = globalPress - topLeft;
  Targets = DragTargets(TargetDocks);
  TargetIndex = -2;
  DragActive = true;
  if (!Outline) Outline = new TDockOutline;
  qApp->installEventFilter(this);
  DragMove(globalPress, QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
}

void TMeroCustomToolWindow97::DragMove(QPoint global, bool ctrl) {
  if (!DragActive) return;
  LastCursor = global;
  const int w = DragSize.width(), h = DragSize.height();
  const int index =
      ctrl ? -1 : FindDockTarget(Targets, global.x(), global.y(), GrabPoint.x(), GrabPoint.y(), w, h);
  TargetIndex = index;
  if (index >= 0) {
    OutlineRect = DockedOutline(Targets[index], global.x(), global.y(), GrabPoint.x(), GrabPoint.y(), w, h);
    Outline->Place(ToQRect(OutlineRect), 1);
    return;
  }
  const QSize floating = FloatingSizeFor(BaseClientSize());
  const TDockRect work = ToDockRect(GetWorkArea(global));
  const int gx = w > 1 ? static_cast<int>(int64_t(floating.width() - 1) * GrabPoint.x() / (w - 1)) : 0;
  const int gy = h > 1 ? static_cast<int>(int64_t(floating.height() - 1) * GrabPoint.y() / (h - 1)) : 0;
  OutlineRect = FloatingOutline(work, global.x(), global.y(), gx, gy, floating.width(), floating.height(),
                                WindowBorder ? 5 : 4);
  Outline->Place(ToQRect(OutlineRect), 3);
}

void TMeroCustomToolWindow97::EndDrag(bool accept) {
  if (!DragActive) return;
  DragActive = false;
  qApp->removeEventFilter(this);
  if (Outline) Outline->hide();
  if (!accept) return;
  if (TargetIndex >= 0 && TargetIndex < static_cast<int>(TargetDocks.size())) {
    TMeroDock97* dock = TargetDocks[TargetIndex];
    const QPoint local = dock->mapFromGlobal(QPoint(OutlineRect.Left, OutlineRect.Top)) - dock->DockClientRect().topLeft();
    const bool vertical = dock->Vertical();
    const int centre = vertical ? local.x() + OutlineRect.Width() / 2 : local.y() + OutlineRect.Height() / 2;
    const TDropRow drop = PickDropRow(dock->RowSizes(), centre);
    if (drop.Insert)
      for (TMeroCustomToolWindow97* w : dock->DockList())
        if (w != this && w->Row >= drop.Row) ++w->Row;
    Row = drop.Row;
    Pos = vertical ? local.y() : local.x();
    if (Dock == dock)
      dock->ArrangeToolbars();
    else
      SetDockedTo(dock);
  } else {
    FloatLeft = OutlineRect.Left;
    FloatTop = OutlineRect.Top;
    SetDockedTo(nullptr);
  }
}

// ------------------------------------------------ the program's tool window

TMeroToolWindow97::TMeroToolWindow97(QWidget* owner) : TMeroCustomToolWindow97(owner) { SetClientSize(32, 32); }

void TMeroToolWindow97::SetClientSize(int w, int h) {
  RememberedClient = QSize(std::max(w, 1), std::max(h, 1));
  UpdateSize();
  if (Docked()) DockedTo()->ArrangeToolbars();
}

int TMeroToolWindow97::CrossSize(bool verticalDock) const {
  return verticalDock ? RememberedClient.width() : RememberedClient.height();
}

void TMeroToolWindow97::ReadExtra(const TReadInt& read) {
  RememberedClient = QSize(std::max(read("ClientWidth", RememberedClient.width()), 1),
                           std::max(read("ClientHeight", RememberedClient.height()), 1));
  UpdateSize();
}

void TMeroToolWindow97::WriteExtra(const TWriteInt& write) const {
  write("ClientWidth", RememberedClient.width());
  write("ClientHeight", RememberedClient.height());
}

}  // namespace vs
