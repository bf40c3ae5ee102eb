// The main window as the program starts, on the default drum kit: at rest,
// and while it plays through a sound output (the lamp walking, the scope and
// the level meter showing what is heard).

#include <QApplication>
#include <memory>

#include "core/Transport.h"
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

}  // namespace
}  // namespace vs::screens
