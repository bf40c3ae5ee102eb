// The main window as the program starts, on the default drum kit: at rest,
// and while it plays through a sound output (the lamp walking, the scope and
// the level meter showing what is heard).

#include <QAction>
#include <QApplication>
#include <memory>

#include "controls/NumBar.h"
#include "core/Transport.h"
#include "model/Song.h"
#include "engine/MixThread.h"
#include "platform/NullAudioOutput.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

TVorbelStepsMainForm& ActiveMainWindow(TScreenContext& c) {
  c.Program();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.activateWindow();
  form.SetFormHeight(form.FullHeight());
  return form;
}

VS_SCREEN("main-window", [](TScreenContext& c) { return TScreenContext::Grab(&ActiveMainWindow(c)); });

VS_SCREEN("main-window-playing", [](TScreenContext& c) {
  TVorbelStepsMainForm& form = ActiveMainWindow(c);
  // A sound output that plays in real time into nothing.
  SetAudioBackend(std::make_unique<TNullAudioBackend>());
  WAVonlyClick();
  form.ScopeButtonClick();
  form.TogglePlayback();
  TScreenContext::Settle(40);
  const QImage shot = TScreenContext::Grab(&form);
  form.TogglePlayback();
  WAVonlyClick();
  form.ShowTransport();
  return shot;
});

// A 32-step pattern (the pattern scroller under the rack), two channels
// collapsed, the window shorter than its rows (the rack's scroller).
VS_SCREEN("main-window-scrollers", [](TScreenContext& c) {
  TVorbelStepsMainForm& form = ActiveMainWindow(c);
  TSong& song = CurrentSong();
  form.Actions().Action("N16notes2")->trigger();
  for (int i = 0; i < song.ChannelCount(); ++i) song.Channel(i)->Selected = i == 5 || i == 6;
  form.Actions().Action("Zipselected1")->trigger();
  form.Prefs().AlwaysFullHeight = false;
  form.SetFormHeight(form.FullHeight() - 60);
  form.PatternScroller->ChangePosition(6);
  const QImage shot = TScreenContext::Grab(&form);
  // Back as the program started.
  form.PatternScroller->ChangePosition(0);
  form.Actions().Action("Unzipall1")->trigger();
  form.Actions().Action("N16notes1")->trigger();
  form.Prefs().AlwaysFullHeight = true;
  form.FitMainWindowHeight();
  song.SetModified(false);
  return shot;
});

}  // namespace
}  // namespace vs::screens
