#include "controls/WindowTools.h"

#include <QWidget>

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

}  // namespace vs
