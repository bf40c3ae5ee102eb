// The channel settings window, page by page, on the default drum kit as
// the program starts: the kick's pages, and a synthesizer channel's.

#include <QApplication>

#include "core/ChannelFiles.h"
#include "editors/SettingsForm.h"
#include "framework/Tab95.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

// The window showing a channel, on one of its pages.
QImage Page(TScreenContext& c, int channel, const char* sheet) {
  c.Program();
  TSettingsForm* form = Windows().SettingsForm;
  form->SetButtonClick(channel, true);
  auto* pages = form->findChild<TPage95Control*>("SettingsPageControl");
  pages->SetActivePage(form->findChild<TTab95Sheet*>(sheet));
  QApplication::processEvents();
  QImage shot = TScreenContext::Grab(form);
  return shot;
}

// A synthesizer channel added to the kit (the last row).
int SynthChannel() {
  TSong& song = CurrentSong();
  for (int i = 0; i < song.ChannelCount(); ++i)
    if (song.Channels[size_t(i)]->Kind == 1) return i;
  TChannel& c = AddChannel(song);
  c.MakeMB404(true);
  return c.Index();
}

VS_SCREEN("channel-settings-midi", [](TScreenContext& c) { return Page(c, 0, "MIDISheet"); });
VS_SCREEN("channel-settings-sample", [](TScreenContext& c) {
  // The snare's sample as if the user had loaded it here: the recent
  // samples box shows its file rather than the empty entry.
  c.Program();
  if (const TChannel* snare = CurrentSong().Channel(1))
    Windows().SettingsForm->AddRecentSample(ResolveSamplePath(snare->SampleFileName));
  return Page(c, 1, "SampleSheet");
});
VS_SCREEN("channel-settings-pitch", [](TScreenContext& c) { return Page(c, 2, "PitchSheet"); });
VS_SCREEN("channel-settings-delay", [](TScreenContext& c) { return Page(c, 3, "DelaySheet"); });
VS_SCREEN("channel-settings-mix", [](TScreenContext& c) { return Page(c, 4, "MixSheet"); });
VS_SCREEN("channel-settings-mb404", [](TScreenContext& c) {
  c.Program();
  return Page(c, SynthChannel(), "MB404Sheet");
});

}  // namespace
}  // namespace vs::screens
