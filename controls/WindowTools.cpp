#include "controls/WindowTools.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QWidget>
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
  const QSize size = FramedSize(window);
  const QScreen* screen = QGuiApplication::screenAt(topLeft + QPoint(size.width() / 2, 12));
  if (!screen) screen = window->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) {
    window->move(topLeft);
    return topLeft;
  }
  std::vector<QRect> areas = KeptClearAreas();
  areas.resize(std::min(areas.size(), size_t(keepClear) + 1));
  std::vector<TScreenRect> keep;
  for (const QRect& r : areas)
    if (r.isValid()) keep.push_back(ScreenRect(r));
  const TScreenRect placed = PlaceWindowRect({topLeft.x(), topLeft.y(), size.width(), size.height()},
                                             ScreenRect(GetWorkArea(*screen)), keep);
  const QPoint at(placed.Left, placed.Top);
  // A window's position is that of its frame.
  window->move(at);
  return at;
}

}  // namespace vs
