// The playlist commands and the editors' step edits without a window: a
// block of bars copied, cut and pasted over other patterns, bar rows at the
// grid's ends, the selection drag in the bar column and the header, pattern
// names; the piano roll's key, transpose and slide edits on the shown and
// the selected channels, the step-value wheel's change with and without
// Ctrl, and the note preview's pitch.

#include <gtest/gtest.h>

#include "core/PlaylistCommands.h"
#include "core/StepEdits.h"
#include "engine/Mixer.h"
#include "engine/SoundProcs.h"
#include "model/Channels.h"
#include "model/MixerLock.h"

namespace vs {
namespace {

class PlaylistAndStepEdits : public ::testing::Test {
protected:
  void SetUp() override {
    PlaylistClipboard() = {};
    for (int i = 0; i < 4; ++i) AddChannel(Song);
    Song.SetModified(false);
  }
  void Place(int pattern, int bar) { Song.Playlist.SetPlaylistCell(pattern, bar + 1, true); }
  const std::vector<int>& Bar(int bar) { return Song.Playlist.PlaylistBars[size_t(bar)]; }
  TStepStore& Steps(int i) { return Song.Channels[size_t(i)]->Steps; }
  int Key(int i, int s) { return Steps(i).GetStepValue(1, s, PlaneNote); }

  TSong Song;
};

TEST_F(PlaylistAndStepEdits, CopiedBarsReplaceTheAreaTheyArePastedOver) {
  Place(5, 2), Place(7, 2), Place(9, 2), Place(6, 3), Place(40, 3);
  // Nothing is copied without a selection.
  EXPECT_FALSE(CopyPlaylistSelection(Song));
  EXPECT_TRUE(PlaylistClipboard().Empty());

  Song.Playlist.PlaylistSelection = {5, 2, 7, 3};
  ASSERT_TRUE(CopyPlaylistSelection(Song));
  EXPECT_EQ(PlaylistClipboard().Width, 2);
  EXPECT_EQ(PlaylistClipboard().Bars, (std::vector<std::vector<int>>{{0, 2}, {1}}));
  EXPECT_FALSE(Song.Modified());  // a copy changes nothing

  // Pasted at pattern 6, bar 10 over a bar that holds 1, 6 and 8: the area
  // 6..8 is replaced (8 goes, 6 and 8 come in increasing order), 1 stays
  // first; bar 11 gets 7.
  Place(1, 10), Place(6, 10), Place(8, 10), Place(20, 11);
  const TPlaylistSelection area = PastePlaylist(Song, {6, 10});
  EXPECT_EQ(area.Left, 6);
  EXPECT_EQ(area.Right, 8);
  EXPECT_EQ(area.Top, 10);
  EXPECT_EQ(area.Bottom, 11);
  EXPECT_EQ(Bar(10), std::vector<int>({1, 6, 8}));
  EXPECT_EQ(Bar(11), std::vector<int>({20, 7}));
  EXPECT_TRUE(Song.Modified());

  // Cut takes the patterns of the selected columns and leaves the others.
  ASSERT_TRUE(CopyPlaylistSelection(Song, true));
  EXPECT_EQ(Bar(2), std::vector<int>({9}));
  EXPECT_EQ(Bar(3), std::vector<int>({40}));

  // At the grid's far corner only pattern 999 of bar 511 is written.
  const TPlaylistSelection corner = PastePlaylist(Song, {999, 511});
  EXPECT_EQ(corner.Right, 999);
  EXPECT_EQ(corner.Bottom, 511);
  EXPECT_EQ(Bar(511), std::vector<int>({999}));
}

TEST_F(PlaylistAndStepEdits, BarRowsMarkerAndNames) {
  Place(1, 0), Place(2, 510), Place(3, 511);
  InsertPlaylistRow(Song, 0);
  EXPECT_TRUE(Bar(0).empty());
  EXPECT_EQ(Bar(1), std::vector<int>({1}));
  EXPECT_EQ(Bar(511), std::vector<int>({2}));  // 3 fell off the end
  DeletePlaylistRow(Song, 511);
  EXPECT_TRUE(Bar(511).empty());
  DeletePlaylistRow(Song, 0);
  EXPECT_EQ(Bar(0), std::vector<int>({1}));

  Song.SetModified(false);
  EXPECT_FALSE(SetPlaylistMarker(Song, 0));  // already there
  EXPECT_FALSE(SetPlaylistMarker(Song, 512));
  EXPECT_FALSE(Song.Modified());
  EXPECT_TRUE(SetPlaylistMarker(Song, 7));
  EXPECT_TRUE(Song.Modified());

  Song.SetModified(false);
  EXPECT_FALSE(SetPatternName(Song, 4, ""));  // unchanged: not modified
  EXPECT_FALSE(SetPatternName(Song, 1000, "x"));
  EXPECT_FALSE(Song.Modified());
  EXPECT_TRUE(SetPatternName(Song, 4, "Drop"));
  EXPECT_TRUE(Song.Modified());
}

TEST_F(PlaylistAndStepEdits, SelectionDragsSpanBarsOrPatterns) {
  TPlaylistSelection s;
  TPlaylistSelectDrag drag;
  // From the bar column: whole bars, growing upward from the anchor.
  ASSERT_TRUE(drag.Start(s, 0, 9));
  EXPECT_TRUE(drag.WholeBars());
  drag.Move(s, 0, 6);
  EXPECT_EQ(s.Left, 1);
  EXPECT_EQ(s.Right, 999);
  EXPECT_EQ(s.Top, 5);
  EXPECT_EQ(s.Bottom, 8);
  // In the header: the pattern's column over every bar; the same start
  // again takes the selection away.
  ASSERT_TRUE(drag.Start(s, 12, 0));
  EXPECT_EQ(s.Left, 12);
  EXPECT_EQ(s.Right, 12);
  EXPECT_EQ(s.Top, 0);
  EXPECT_EQ(s.Bottom, 511);
  EXPECT_FALSE(drag.Start(s, 12, 0));
  EXPECT_LT(s.Bottom, 0);
}

TEST_F(PlaylistAndStepEdits, PianoEditsReachTheShownAndTheSelectedChannels) {
  Song.Channels[2]->Selected = true;
  TPianoKeyEdit edit;
  edit.Shown = 1;
  edit.Step = 4;
  edit.Key = 130;  // past the top key
  TPianoEditResult r = PianoKeyEdit(Song, edit);
  EXPECT_TRUE(r.StepChanged);
  for (int ch : {1, 2}) {
    EXPECT_TRUE(Steps(ch).IsStepOn(1, 4));
    EXPECT_EQ(Key(ch, 4), MaxPianoKey);
  }
  EXPECT_FALSE(Steps(0).IsStepOn(1, 4) || Steps(3).IsStepOn(1, 4));
  // The same point again changes nothing; a step past the pattern length
  // is never written.
  EXPECT_FALSE(PianoKeyEdit(Song, edit).StepChanged);
  edit.Step = 16;
  EXPECT_FALSE(PianoKeyEdit(Song, edit).StepChanged);
  EXPECT_FALSE(Steps(1).IsStepOn(1, 16));

  // Transposing: step 4 down from 124 to 100 moves every key by -24,
  // clamped at 0, and switches nothing.
  Steps(1).SetStepValue(1, 0, 10, PlaneNote);
  edit.Step = 4;
  edit.Key = 100;
  edit.Transpose = true;
  r = PianoKeyEdit(Song, edit);
  EXPECT_TRUE(r.AllSteps);
  EXPECT_EQ(Key(1, 4), 100);
  EXPECT_EQ(Key(1, 0), 0);
  EXPECT_EQ(Key(1, 1), 36);
  EXPECT_EQ(Key(1, 16), 60);  // beyond the pattern length: untouched
  EXPECT_FALSE(Steps(1).IsStepOn(1, 1));

  // Slides: bit 6 of the flags, on and off, keeping the on bit.
  EXPECT_TRUE(PianoSlideEdit(Song, 1, 4, true));
  EXPECT_EQ(Steps(2).GetStepValue(1, 4, PlaneFlags), StepFlagOn | StepFlagSlide);
  EXPECT_FALSE(PianoSlideEdit(Song, 1, 4, true));
  EXPECT_TRUE(PianoSlideEdit(Song, 1, 4, false));
  EXPECT_EQ(Steps(1).GetStepValue(1, 4, PlaneFlags), StepFlagOn);
}

TEST_F(PlaylistAndStepEdits, WheelChangesAddTheDifferenceClampedAndCtrlTakesEveryStep) {
  Song.Channels[0]->Selected = true;
  Steps(0).SetStepValue(1, 3, 120, PlaneVol);
  // Row 1, step 3 from the default 100 to 110: +10 on both channels,
  // channel 0 clamped at 127.
  EXPECT_EQ(ChangeStepValue(Song, 1, 3, PlaneVol, 110), 110);
  EXPECT_EQ(Steps(0).GetStepValue(1, 3, PlaneVol), 127);
  EXPECT_EQ(Steps(1).GetStepValue(1, 2, PlaneVol), 100);
  EXPECT_TRUE(Song.Modified());
  // With Ctrl all 64 steps move by the step's difference.
  EXPECT_EQ(ChangeStepValue(Song, 1, 3, PlaneVol, 90, true), 90);
  EXPECT_EQ(Steps(1).GetStepValue(1, 63, PlaneVol), 80);
  EXPECT_EQ(Steps(0).GetStepValue(1, 3, PlaneVol), 107);
  EXPECT_EQ(Steps(2).GetStepValue(1, 3, PlaneVol), 100);  // not selected
}

TEST_F(PlaylistAndStepEdits, PreviewPlaysTheKeyAtItsPitchWithoutTheLoop) {
  TChannel& c = *Song.Channels[0];
  c.Sample.Length = c.Sample.PlayLength = 4410;
  c.Sample.Data.assign(2 * 4410, 1000);
  c.Sample.Looped = true;
  c.RootNote = 60;
  TMixer& mixer = Mixer();
  int before;
  {
    MixerGuard lock;
    before = mixer.VoiceCount;
  }
  PreviewChannelNote(c, 72, 127);  // an octave up: half the length
  MixerGuard lock;
  ASSERT_EQ(mixer.VoiceCount, before + 1);
  const TMixChan& v = mixer.Voices[size_t(mixer.VoiceCount - 1)];
  EXPECT_EQ(v.Stretched, PitchedLength(4410, 1200));
  EXPECT_EQ(v.LoopOn, 0);
  EXPECT_EQ(v.Tag, -1);
  EXPECT_TRUE(c.Sample.Looped);  // the sample keeps its loop
  mixer.VoiceCount = before;
}

}  // namespace
}  // namespace vs
