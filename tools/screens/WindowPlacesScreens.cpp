// A user's first start on the screen: the main window at the top with the
// sample browser on its left, the settings window (no sound device yet),
// and the channel settings, the lamps and the playlist as a new user opens
// them, each where it opens, on the screen's usable area. The page starts
// its own run on fresh settings (this file's pages come last).

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cstdlib>

#include "editors/SampleListForm.h"
#include "model/Song.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

QImage FirstStartPage(TScreenContext& c) {
  if (c.Run) {
    CurrentSong().SetModified(false);
    c.Run->ShutDown();
    c.Run.reset();
  }
  QDir().mkpath(c.WorkDir + "first-start");
  const QString settings = c.WorkDir + "first-start/settings.ini";
  QFile file(settings);
  if (!file.open(QIODevice::WriteOnly) || file.write("[ZM SETTINGS]\nUse WAV=0\n") < 0) return {};
  file.close();
  setenv("VORBELSTEPS_SETTINGS", settings.toLocal8Bit().constData(), 1);
  c.Program();
  TVorbelStepsMainForm& main = *Windows().VorbelStepsMainForm;
  TScreenContext::Settle(20);  // the browser slides open
  Windows().SettingsForm->SetButtonClick(1, true);  // a click on Snare's name
  main.VisualMenuClick();
  main.PlayListMenuClick();
  TScreenContext::Settle(5);

  const QRect area = main.screen()->availableGeometry();
  QImage page(area.size(), QImage::Format_RGB32);
  QPainter p(&page);
  PaintDesk(p, page);
  QWidget* windows[] = {&main,
                        Windows().SampleListForm,
                        Windows().MIDIForm,
                        Windows().PlayListForm,
                        Windows().SettingsForm,
                        Windows().VisualForm};
  for (QWidget* w : windows)
    if (w && w->isVisible()) PaintShadowed(p, w->grab().toImage(), w->frameGeometry().topLeft() - area.topLeft());
  return page;
}

}  // namespace

VS_SCREEN("first-start", FirstStartPage);

}  // namespace vs::screens
