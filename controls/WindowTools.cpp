#include "controls/WindowTools.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QResizeEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QWidget>
#include <QPointer>
#include <QWindow>
#include <algorithm>

#include "controls/Canvas.h"
#include "controls/WindowPlaces.h"

namespace vs {

namespace {

std::function<std::vector<QRect>()>& KeptClear() {
  static std::function<std::vector<QRect>()> areas;
  return areas;
}

// A caption and border as desktops draw them, for a window not framed yet.
constexpr int UsualCaption = 30;
constexpr int UsualBorder = 4;

TScreenRect ScreenRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

const char* const OwnPlace = "ownPlace";

// A window's position is that of its frame. A window that was made but is
// not framed yet (it is about to show) gives the desktop its frame's place
// (moved as a framed window, it would put its client area there).
void MoveFrameTo(QWidget* window, QPoint at) {
  QWindow* handle = window->windowHandle();
  window->move(at);
  if (handle && !window->testAttribute(Qt::WA_Mapped) && !(window->windowFlags() & Qt::FramelessWindowHint))
    handle->setFramePosition(at);
}

// The size the window's layout asks for, now rather than at its next
// layout pass.
void TakeFinalSize(QWidget* window) {
  window->ensurePolished();
  if (QLayout* layout = window->layout()) layout->activate();
}

class TPlaceGuard : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Resize) || !watched->isWidgetType() || Placing) return false;
    auto* window = static_cast<QWidget*>(watched);
    if (!window->isWindow() || window->property(OwnPlace).toBool()) return false;
    switch (window->windowType()) {
      case Qt::Popup:
      case Qt::ToolTip:
      case Qt::SplashScreen:
      case Qt::Desktop:
        return false;
      default:
        break;
    }
    if (type == QEvent::Show) {
      // Shown again by the desktop (restored): it is where it was.
      if (event->spontaneous()) return false;
    } else {
      // A shown window that grows.
      const auto* resize = static_cast<QResizeEvent*>(event);
      if (!window->isVisible() || (resize->size().width() <= resize->oldSize().width() &&
                                   resize->size().height() <= resize->oldSize().height()))
        return false;
    }
    Placing = true;
    QPoint wanted = window->pos();
    if (!window->testAttribute(Qt::WA_Moved)) {
      // Never placed: where the toolkit would open it, centred over the
      // window it belongs to (else on the screen).
      TakeFinalSize(window);
      const QSize size = FramedSize(window);
      const QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
      const QRect over = owner && owner->isVisible() ? owner->frameGeometry() : GetWorkArea(window);
      wanted = over.center() - QPoint(size.width() / 2, size.height() / 2);
    }
    MoveIntoPlace(window, wanted, TKeepClear::Caption);
    Placing = false;
    return false;
  }

private:
  bool Placing = false;
};

}  // namespace

void SetCaptionVisible(QWidget* form, bool visible) {
  if (!form) return;
  const bool framed = !(form->windowFlags() & Qt::FramelessWindowHint);
  if (framed == visible) return;
  const bool shown = form->isVisible();
  const QSize client = form->size();
  // Changing the flags hides the window; show it again at the same place.
  const QPoint place = form->pos();
  form->setWindowFlag(Qt::FramelessWindowHint, !visible);
  form->resize(client);
  form->move(place);
  if (shown) form->show();
}

void ShowWindowNoAnimation(QWidget* window, TShowCommand command) {
  if (!window) return;
  switch (command) {
    case TShowCommand::Hide: window->hide(); break;
    case TShowCommand::ShowMinimized: window->showMinimized(); break;
    case TShowCommand::ShowMaximized: window->showMaximized(); break;
    case TShowCommand::ShowNoActivate:
      window->setAttribute(Qt::WA_ShowWithoutActivating, true);
      window->show();
      window->setAttribute(Qt::WA_ShowWithoutActivating, false);
      break;
    case TShowCommand::ShowNormal:
    case TShowCommand::Restore: window->showNormal(); break;
    case TShowCommand::Show: window->show(); break;
  }
}

void SetCheckedQuiet(QAbstractButton* box, bool checked) {
  if (!box) return;
  const QSignalBlocker quiet(box);
  box->setChecked(checked);
}

void ExcludeRectFromRegion(QRegion& region, const TRect& rect) {
  if (rect.IsEmpty()) return;
  region -= QRegion(ToQRect(rect));
}

namespace {

QRect WorkAreaOf(const QScreen* screen) { return screen ? GetWorkArea(*screen) : QRect(0, 0, 1 << 14, 1 << 14); }

}  // namespace

QRect GetWorkArea(const QScreen& screen) {
  const QRect area = screen.availableGeometry();
  return area.isEmpty() ? screen.geometry() : area;
}

QRect GetWorkArea(const QWidget* window) {
  const QScreen* screen = window ? window->screen() : nullptr;
  return WorkAreaOf(screen ? screen : QGuiApplication::primaryScreen());
}

QRect GetWorkArea(QPoint globalPoint) {
  const QScreen* screen = QGuiApplication::screenAt(globalPoint);
  return WorkAreaOf(screen ? screen : QGuiApplication::primaryScreen());
}

void CallPaintWindow(QWidget* control, QPainter& dc, const QRect& area) {
  if (!control || !dc.isActive()) return;
  const QRect source = area.isEmpty() ? control->rect() : area.intersected(control->rect());
  if (source.isEmpty()) return;
  // render() puts the top left of the painted part at the target offset;
  // the painter's transformation applies.
  control->render(&dc, source.topLeft(), QRegion(source), QWidget::DrawWindowBackground);
}

void SetKeptClearAreas(std::function<std::vector<QRect>()> areas) { KeptClear() = std::move(areas); }

std::vector<QRect> KeptClearAreas() { return KeptClear() ? KeptClear()() : std::vector<QRect>{}; }

QSize FramedSize(const QWidget* window) {
  if (!window) return {};
  const QSize client = window->size();
  if (window->windowFlags() & Qt::FramelessWindowHint) return client;
  const QRect frame = window->frameGeometry();
  if (frame.size() != client) return frame.size();
  return client + QSize(2 * UsualBorder, UsualCaption + UsualBorder);
}

QPoint FrameOffset(const QWidget* window) {
  if (!window || (window->windowFlags() & Qt::FramelessWindowHint)) return {};
  const QPoint offset = window->geometry().topLeft() - window->frameGeometry().topLeft();
  if (!offset.isNull() || window->frameGeometry().size() != window->size()) return offset;
  return {UsualBorder, UsualCaption};
}

QPoint MoveIntoPlace(QWidget* window, QPoint topLeft, TKeepClear keepClear) {
  if (!window) return topLeft;
  TakeFinalSize(window);
  const QSize size = FramedSize(window);
  const QScreen* screen = QGuiApplication::screenAt(topLeft + QPoint(size.width() / 2, 12));
  if (!screen) screen = window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) {
    MoveFrameTo(window, topLeft);
    return topLeft;
  }
  std::vector<QRect> areas = KeptClearAreas();
  if (keepClear != TKeepClear::MainWindow) areas.resize(std::min(areas.size(), size_t(keepClear) + 1));
  // A window shown keeps clear of the others, not of itself.
  const QRect own = window->isVisible() ? window->frameGeometry() : QRect();
  std::vector<TScreenRect> keep;
  for (const QRect& r : areas)
    if (r.isValid() && r != own) keep.push_back(ScreenRect(r));
  const TScreenRect placed = PlaceWindowRect({topLeft.x(), topLeft.y(), size.width(), size.height()},
                                             ScreenRect(GetWorkArea(*screen)), keep);
  const QPoint at(placed.Left, placed.Top);
  MoveFrameTo(window, at);
  return at;
}

void KeepWindowsInPlace() {
  static QPointer<TPlaceGuard> guard;
  if (guard || !qApp) return;
  guard = new TPlaceGuard(qApp);
  qApp->installEventFilter(guard);
}

void SetOwnPlace(QWidget* window) {
  if (window) window->setProperty(OwnPlace, true);
}

}  // namespace vs
