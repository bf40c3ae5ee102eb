#include "controls/WindowTools.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QWidget>

#include "controls/Canvas.h"

namespace vs {

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

}  // namespace vs
