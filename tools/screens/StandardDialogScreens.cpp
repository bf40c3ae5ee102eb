// The standard dialogs as the program opens them: the channel settings'
// sample dialog with its favourites row, the folder dialog of the settings'
// folder list, the song's "Save as" dialog, the channel colour dialog and a
// question box.

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QTimer>

#include "editors/MIDIForm.h"
#include "controls/MyTransBtn.h"
#include "editors/SettingsForm.h"
#include "framework/ActionTable.h"
#include "tools/screens/Screens.h"
#include "toolbox/MessageBox.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs::screens {
namespace {

// Runs open() and grabs the first modal dialog it shows, then cancels it.
QImage GrabModal(const std::function<void()>& open) {
  QImage shot;
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, &shot] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) return;
    timer->stop();
    TScreenContext::Settle(4);
    shot = dialog->grab().toImage();
    dialog->reject();
  });
  timer->start();
  open();
  delete timer;
  return shot;
}

QImage OnDesk(const QImage& window) {
  QImage page(window.width() + 48, window.height() + 48, QImage::Format_RGB32);
  QPainter p(&page);
  PaintDesk(p, page);
  PaintShadowed(p, window, QPoint(24, 24));
  return page;
}

VS_SCREEN("dialog-open-sample", [](TScreenContext& c) {
  c.Program();
  return OnDesk(GrabModal([] { Windows().SettingsForm->OpenSampleForChannel(0); }));
});

VS_SCREEN("dialog-folder", [](TScreenContext& c) {
  c.Program();
  return OnDesk(GrabModal([] { Windows().MIDIForm->ChooseSearchDir(0); }));
});

VS_SCREEN("dialog-save-as", [](TScreenContext& c) {
  c.Program();
  return OnDesk(GrabModal([] { Windows().VorbelStepsMainForm->Commands().SaveAs(); }));
});

VS_SCREEN("dialog-colour", [](TScreenContext& c) {
  c.Program();
  TSettingsForm& channel = *Windows().SettingsForm;
  channel.SetButtonClick(0, true);
  TScreenContext::Settle();
  auto* colour = channel.findChild<TMyTransButton*>("ColorSample");
  const QImage shot = GrabModal([&] { colour->OnClick(colour); });
  channel.hide();
  return OnDesk(shot);
});

VS_SCREEN("dialog-question", [](TScreenContext& c) {
  c.Program();
  TMIDIForm& settings = *Windows().MIDIForm;
  settings.show();
  settings.activateWindow();
  const QImage shot = GrabModal(
      [] { HintMessageBox("Save changes|The song was changed. Save it first?", MbYesNoCancel | MbIconQuestion); });
  settings.hide();
  return OnDesk(shot);
});

}  // namespace
}  // namespace vs::screens
