// The main window, the settings window, the channel settings, the playlist
// and a dialog in French and in Dutch, so that cut-off texts show. Each page
// switches the program's language for its picture and back to English.

#include "core/PatternCommands.h"
#include "editors/HumanizeForm.h"
#include "framework/MLang.h"
#include "framework/Tab95.h"
#include "tools/screens/Screens.h"
#include "toolbox/MLBase.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

template <class Show>
TScreenPainter InLanguage(int language, Show show) {
  return [language, show](TScreenContext& c) {
    c.Program();
    SetGlobalLanguage(language);
    TScreenContext::Settle();
    QImage shot = show(c);
    SetGlobalLanguage(LangEnglish);
    TScreenContext::Settle();
    return shot;
  };
}

QImage MainWindow(TScreenContext&) {
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.SetFormHeight(form.FullHeight());
  return TScreenContext::Grab(&form);
}

QImage SettingsGeneral(TScreenContext&) {
  TMIDIForm& settings = *Windows().MIDIForm;
  settings.SettingsControl->SetActivePage(settings.GeneralSheet);
  QImage shot = TScreenContext::Grab(&settings);
  settings.hide();
  return shot;
}

QImage SettingsWave(TScreenContext&) {
  TMIDIForm& settings = *Windows().MIDIForm;
  settings.SettingsControl->SetActivePage(settings.WAVSheet);
  QImage shot = TScreenContext::Grab(&settings);
  settings.hide();
  return shot;
}

QImage ChannelSettings(TScreenContext&) {
  TSettingsForm* form = Windows().SettingsForm;
  form->SetButtonClick(0, true);
  auto* pages = form->findChild<TPage95Control*>("SettingsPageControl");
  pages->SetActivePage(form->findChild<TTab95Sheet*>("SampleSheet"));
  QImage shot = TScreenContext::Grab(form);
  form->hide();
  return shot;
}

QImage Playlist(TScreenContext&) {
  TPlayListForm& form = *Windows().PlayListForm;
  form.FitPlaylistHeader();
  QImage shot = TScreenContext::Grab(&form);
  form.hide();
  return shot;
}

QImage Humanize(TScreenContext&) {
  THumanizeForm form(ProgramHumanizeOptions(), Windows().VorbelStepsMainForm);
  return TScreenContext::Grab(&form);
}

VS_SCREEN("main-window-fr", InLanguage(LangFrench, MainWindow));
VS_SCREEN("main-window-nl", InLanguage(LangDutch, MainWindow));
VS_SCREEN("settings-general-fr", InLanguage(LangFrench, SettingsGeneral));
VS_SCREEN("settings-general-nl", InLanguage(LangDutch, SettingsGeneral));
VS_SCREEN("settings-wav-fr", InLanguage(LangFrench, SettingsWave));
VS_SCREEN("settings-wav-nl", InLanguage(LangDutch, SettingsWave));
VS_SCREEN("channel-settings-fr", InLanguage(LangFrench, ChannelSettings));
VS_SCREEN("channel-settings-nl", InLanguage(LangDutch, ChannelSettings));
VS_SCREEN("playlist-fr", InLanguage(LangFrench, Playlist));
VS_SCREEN("playlist-nl", InLanguage(LangDutch, Playlist));
VS_SCREEN("dialog-humanize-fr", InLanguage(LangFrench, Humanize));
VS_SCREEN("dialog-humanize-nl", InLanguage(LangDutch, Humanize));

}  // namespace
}  // namespace vs::screens
