// The editor windows on the default drum kit: the playlist holding an
// arrangement with a loop selected, the piano roll with a phrase in its
// keyboard and graph views, and the lamp window lit by a beat.

#include <QApplication>

#include "core/PatternCommands.h"
#include "core/PlayPosition.h"
#include "editors/PianoForm.h"
#include "editors/PlayListForm.h"
#include "editors/VisualForm.h"
#include "model/Song.h"
#include "tools/screens/Screens.h"
#include "ui/ProgramWindows.h"

namespace vs::screens {
namespace {

void Arrange(TSong& song) {
  TPlaylist& p = song.Playlist;
  p.ClearPlaylist();
  // Intro, verse, chorus, break and fills over 24 bars.
  auto place = [&](int pattern, int from, int to) {
    for (int bar = from; bar <= to; ++bar) p.SetPlaylistCell(pattern, bar + 1, true);
  };
  place(1, 0, 3);
  place(2, 4, 15);
  place(3, 8, 15);
  place(4, 16, 19);
  place(5, 7, 7);
  place(5, 15, 15);
  place(2, 20, 23);
  place(6, 20, 23);
  song.PatternNames[1].Name = "Intro";
  song.PatternNames[2].Name = "Verse";
  song.PatternNames[3].Name = "Chorus";
  song.PatternNames[4].Name = "Break";
  song.PatternNames[5].Name = "Fill";
  p.PlaylistMarker = 4;
  p.PlaylistSelection = {2, 8, 3, 15};
}

VS_SCREEN("playlist-arrangement", [](TScreenContext& c) {
  c.Program();
  TPlayListForm& form = *Windows().PlayListForm;
  Arrange(CurrentSong());
  PlayPosition().PlaylistPosition = 10;
  CurrentSong().CurrentPattern = 2;
  form.FitPlaylistHeader();
  form.resize(form.SnappedSize(QSize(230, 470)));
  form.ListGridBit().SetCol(3);
  form.ListGridBit().SetRow(13);
  form.ListGridBit().SetTopRow(1);
  form.ListGridBit().SetLeftCol(1);
  form.FollowPosition();
  form.RepaintAllCells();
  return TScreenContext::Grab(&form);
});

// A phrase on the kit's first channel: a bass-like line over two octaves.
void Phrase(TSong& song) {
  TChannel& c = *song.Channels[0];
  const int pattern = song.CurrentPattern;
  const int keys[16] = {48, 0, 55, 0, 60, 60, 0, 58, 48, 0, 63, 0, 60, 55, 0, 53};
  const int vols[16] = {120, 40, 90, 30, 110, 70, 30, 95, 127, 40, 80, 25, 100, 85, 20, 60};
  for (int s = 0; s < 16; ++s) {
    c.Steps.SetStepOn(pattern, s, keys[s] != 0);
    c.Steps.SetStepValue(pattern, s, static_cast<uint8_t>(keys[s] ? keys[s] : 60), PlaneNote);
    c.Steps.SetStepValue(pattern, s, static_cast<uint8_t>(vols[s]), PlaneVol);
  }
}

QImage PianoShot(TScreenContext& c, int view) {
  c.Program();
  TSong& song = CurrentSong();
  song.CurrentPattern = 1;
  Phrase(song);
  TPianoForm& piano = *Windows().PianoForm;
  piano.SetViewMode(view);
  piano.SelectLane(PlaneVol);
  piano.ShowForChannel(0, QRect(40, 40, 256, 27));
  QApplication::processEvents();
  QImage shot = TScreenContext::Grab(&piano);
  piano.hide();
  return shot;
}

VS_SCREEN("piano-keys", [](TScreenContext& c) { return PianoShot(c, PianoKeyboardView); });
VS_SCREEN("piano-graph", [](TScreenContext& c) { return PianoShot(c, PianoGraphView); });

VS_SCREEN("lamp-window", [](TScreenContext& c) {
  c.Program();
  TVisualForm& lamps = *Windows().VisualForm;
  lamps.FitToChannels();
  lamps.show();
  // The kit's beat playing in its fourth bar at step 42: the steps it
  // fired fade behind the play position, the channel lamps with them.
  TSong& song = CurrentSong();
  constexpr int Now = 42;
  for (int row = 0; row < song.ChannelCount(); ++row) {
    TChannel& ch = *song.Channels[size_t(row)];
    for (int s = 0; s < 64; ++s) {
      const int age = Now - s;
      const bool fired = ch.Steps.IsStepOn(song.CurrentPattern, s % 16) && age >= 0 && age < 8;
      ch.StepLamps[size_t(s)].store(fired ? 256 - age * 32 : 0);
    }
    int last = -1;
    for (int age = 0; age < 2 && last < 0; ++age)
      if (ch.Steps.IsStepOn(song.CurrentPattern, (Now - age) % 16)) last = age;
    ch.TriggerLamp.store(last < 0 ? 0 : 256 - last * 128);
  }
  lamps.RedrawAll();
  QImage shot = TScreenContext::Grab(&lamps);
  lamps.hide();
  return shot;
});

}  // namespace
}  // namespace vs::screens
