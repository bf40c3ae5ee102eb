// The main window's docks and tool windows: the remote panel dragged out to
// float beside the window, the menu bar with its File menu open, and a hint
// in each of the built-in styles and in the program's own colours.

#include <QEventLoop>
#include <algorithm>
#include <QMenu>
#include <QPainter>
#include <QTimer>

#include "framework/Hint95.h"
#include "framework/MLang.h"
#include "framework/MeroTB97.h"
#include "framework/NewMenu.h"
#include "framework/PanelLook.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

// A hint in one style, as its window shows it.
QImage HintPicture(QWidget* control, THintStyle style, bool programColours) {
  TVorbelStepsMainForm* form = Windows().VorbelStepsMainForm;
  if (programColours) {
    form->Hint95->ShowHintFor(control, control->mapToGlobal(QPoint(8, 8)));
    const QImage picture = form->Hint95->HintWindow()->Picture();
    form->Hint95->CancelHint();
    return picture;
  }
  THint95 hint(nullptr);
  hint.SetHintStyle(style);
  hint.ShowHintFor(control, control->mapToGlobal(QPoint(8, 8)));
  const QImage picture = hint.HintWindow() ? hint.HintWindow()->Picture() : QImage();
  hint.CancelHint();
  return picture;
}

QImage ToolWindowsPage(TScreenContext& c) {
  c.Program();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.move(40, 40);
  TMeroToolWindow97& remote = *form.MenuToolWindow;
  remote.HideWhenInactive = false;
  remote.FloatLeft = form.x() + 70;
  remote.FloatTop = form.y() + form.height() + 40;
  remote.SetDockedTo(nullptr);
  TScreenContext::Settle();
  QWidget* frame = remote.FloatingFrame();
  frame->show();

  // The hint of the control under the mouse shows in the info bar.
  QWidget* panel = form.findChild<QWidget*>("MenuPic");
  const std::string panelHint = "Remote panel|Drag it by its surface; a double click docks it";
  SetHint(panel, QString::fromStdString(panelHint));
  form.ShowInfo(panelHint);

  // The File menu open under its title.
  QImage window, menu;
  QPoint menuAt;
  QTimer::singleShot(120, [&] {
    if (QMenu* open = form.NewMainMenu->OpenMenu()) {
      open->setActiveAction(form.Actions().Action("Open1"));
      TScreenContext::Settle();
      window = form.grab().toImage();
      menu = open->grab().toImage();
      menuAt = open->pos();
      open->close();
    }
  });
  form.NewMainMenu->OpenTitle(0);
  const QImage floating = frame->grab().toImage();
  const QPoint floatingAt = frame->pos();

  // The hints: three built-in looks and the program's own.
  const QImage hints[4] = {HintPicture(panel, hsFlat, false), HintPicture(panel, hsOffice97, false),
                           HintPicture(panel, hsWindows95, false), HintPicture(panel, hsWindows95, true)};
  const char* const hintNames[4] = {"Flat", "Office 97", "Windows 95", "Program colours"};

  // Composed on a desktop: the window, the floating panel below it, the
  // hints in a column beside it.
  const QPoint origin(form.x() - 30, form.y() - 30);
  const int hintsLeft = form.width() + 70;
  int hintsWidth = 0, hintsHeight = 0;
  for (const QImage& h : hints) {
    hintsWidth = std::max(hintsWidth, h.width());
    hintsHeight += h.height() + 30;
  }
  const QRect floatingRect(floatingAt - origin, floating.size());
  const int width = std::max(hintsLeft + std::max(hintsWidth, 110) + 30, floatingRect.right() + 40);
  const int height = std::max({floatingRect.bottom() + 40, menuAt.y() - origin.y() + menu.height() + 30,
                               hintsHeight + 60});
  QImage page(width, height, QImage::Format_RGB32);
  QPainter p(&page);
  PaintDesk(p, page);
  PaintShadowed(p, window, form.pos() - origin);
  PaintShadowed(p, floating, floatingRect.topLeft());
  PaintShadowed(p, menu, menuAt - origin);

  int y = 40;
  QFont f = p.font();
  f.setPixelSize(11);
  p.setFont(f);
  for (int i = 0; i < 4; ++i) {
    p.setPen(look::Text);
    p.drawText(QPoint(hintsLeft, y), QString::fromLatin1(hintNames[i]));
    p.drawImage(QPoint(hintsLeft, y + 6), hints[i]);
    y += hints[i].height() + 30;
  }

  // Back in its dock for the pages after this one.
  remote.SetDockRow(1);
  remote.SetDockedTo(form.TopDock);
  form.ShowInfo("");
  return page;
}

VS_SCREEN("tool-windows", ToolWindowsPage);

}  // namespace
}  // namespace vs::screens
