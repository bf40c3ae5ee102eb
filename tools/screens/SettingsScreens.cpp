// The program settings window, one picture per page, as the program shows
// them after start-up (the plug-ins page with a test-free strip layout: the
// slots as a fresh program has them).

#include "editors/MIDIForm.h"
#include "engine/VSTHost.h"
#include "framework/Tab95.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

QImage SettingsPage(TScreenContext& c, TTab95Sheet* TMIDIForm::*sheet) {
  c.Program();
  TMIDIForm& settings = *Windows().MIDIForm;
  settings.SettingsControl->SetActivePage(settings.*sheet);
  return TScreenContext::Grab(&settings);
}

VS_SCREEN("settings-midi", [](TScreenContext& c) { return SettingsPage(c, &TMIDIForm::MIDISheet); });
VS_SCREEN("settings-wav", [](TScreenContext& c) { return SettingsPage(c, &TMIDIForm::WAVSheet); });
VS_SCREEN("settings-general", [](TScreenContext& c) { return SettingsPage(c, &TMIDIForm::GeneralSheet); });
VS_SCREEN("settings-directories", [](TScreenContext& c) { return SettingsPage(c, &TMIDIForm::DirsSheet); });
// The master track with two test plug-ins: a gain with a few parameters
// and one with a hundred (its wheels wrap into rows).
VS_SCREEN("settings-plugins", [](TScreenContext& c) {
  c.Program();
#ifdef VS_PLUGINS_DIR
  PluginSlot(0, 0).LoadPlugin(VS_PLUGINS_DIR, "TestGain");
  PluginSlot(0, 1).LoadPlugin(VS_PLUGINS_DIR, "TestParams100");
  PluginSlot(0, 1).ToggleBypass();
  Windows().MIDIForm->ShowPluginSlots();
#endif
  QImage shot = SettingsPage(c, &TMIDIForm::PluginsSheet);
  PluginHost().UnloadAll();
  Windows().MIDIForm->ShowPluginSlots();
  return shot;
});
VS_SCREEN("settings-loop", [](TScreenContext& c) { return SettingsPage(c, &TMIDIForm::LoopSheet); });

}  // namespace
}  // namespace vs::screens
