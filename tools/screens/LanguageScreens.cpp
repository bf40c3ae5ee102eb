// The main window, the settings window, the channel settings, the playlist
// and a dialog in French and in Dutch, so that cut-off texts show. Each page
// switches the program's language for its picture and back to English.

#include "core/PatternCommands.h"
#include "editors/HumanizeForm.h"
#include "editors/RecordForm.h"
#include "framework/MLang.h"
#include "model/Channels.h"
#include "model/Song.h"
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

QImage ChannelPage(int channel, const char* sheet) {
  TSettingsForm* form = Windows().SettingsForm;
  form->SetButtonClick(channel, true);
  auto* pages = form->findChild<TPage95Control*>("SettingsPageControl");
  pages->SetActivePage(form->findChild<TTab95Sheet*>(sheet));
  QImage shot = TScreenContext::Grab(form);
  form->hide();
  return shot;
}

QImage ChannelSettings(TScreenContext&) { return ChannelPage(0, "SampleSheet"); }

QImage Synthesizer(TScreenContext&) {
  // The kit's synthesizer channel, made when the kit has none.
  TSong& song = CurrentSong();
  int channel = -1;
  for (int i = 0; i < song.ChannelCount(); ++i)
    if (song.Channels[size_t(i)]->Kind == 1) channel = i;
  if (channel < 0) {
    TChannel& c = AddChannel(song);
    c.MakeMB404(true);
    channel = c.Index();
  }
  return ChannelPage(channel, "MB404Sheet");
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

QImage Render(TScreenContext& c) {
  TWAVRenderForm& form = *Windows().WAVRenderForm;
  form.SetRenderFileName(c.WorkDir.toStdString() + "Night Shift Groove.wav");
  QImage shot = TScreenContext::Grab(&form);
  form.hide();
  return shot;
}

QImage Recording(TScreenContext& c) {
  TRecordForm form(c.Program().Program().Prefs, 0, Windows().VorbelStepsMainForm);
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
VS_SCREEN("channel-settings-mb404-fr", InLanguage(LangFrench, Synthesizer));
VS_SCREEN("channel-settings-mb404-nl", InLanguage(LangDutch, Synthesizer));
VS_SCREEN("playlist-fr", InLanguage(LangFrench, Playlist));
VS_SCREEN("playlist-nl", InLanguage(LangDutch, Playlist));
VS_SCREEN("dialog-humanize-fr", InLanguage(LangFrench, Humanize));
VS_SCREEN("dialog-humanize-nl", InLanguage(LangDutch, Humanize));
VS_SCREEN("dialog-render-fr", InLanguage(LangFrench, Render));
VS_SCREEN("dialog-render-nl", InLanguage(LangDutch, Render));
VS_SCREEN("recording-box-fr", InLanguage(LangFrench, Recording));
VS_SCREEN("recording-box-nl", InLanguage(LangDutch, Recording));

}  // namespace
}  // namespace vs::screens
