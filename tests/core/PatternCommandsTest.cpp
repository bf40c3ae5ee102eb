#include "core/PatternCommands.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/PlayPosition.h"
#include "model/Channels.h"
#include "engine/Mixer.h"

namespace vs {
namespace {

class PatternCommands : public ::testing::Test {
protected:
  void SetUp() override {
    StepClipboard() = TStepClipboard{};
    for (int i = 0; i < 6; ++i) AddChannel(Song);
    Song.SetModified(false);
  }
  void TearDown() override { StepClipboard() = TStepClipboard{}; }

  TChannel& Ch(int i) { return *Song.Channels[i]; }
  // Gives channel i a block for the current pattern whose pan plane holds
  // tag + step (a recognisable fingerprint).
  void Fill(int i, uint8_t tag) {
    Ch(i).Steps.AllocPattern(Song.CurrentPattern);
    for (int s = 0; s < MaxSteps; ++s) Ch(i).Steps.Block(Song.CurrentPattern)->Set(s, PlanePan, tag + s);
  }
  int Tag(int i) {
    const TStepBlock* b = Ch(i).Steps.Block(Song.CurrentPattern);
    return b ? b->Get(0, PlanePan) : -1;
  }
  void SelectOnly(std::vector<int> which) {
    for (auto& c : Song.Channels) c->Selected = false;
    for (int i : which) Ch(i).Selected = true;
  }

  TSong Song;
};

TEST_F(PatternCommands, SelectedChannelIndexFallsBackToTheFirstExpandedThenZero) {
  EXPECT_EQ(SelectedChannelIndex(Song), 0);
  Ch(0).Collapsed = Ch(1).Collapsed = true;
  EXPECT_EQ(SelectedChannelIndex(Song), 2);
  Ch(4).Selected = true;
  Ch(5).Selected = true;
  EXPECT_EQ(SelectedChannelIndex(Song), 4);
  for (auto& c : Song.Channels) c->Collapsed = true, c->Selected = false;
  EXPECT_EQ(SelectedChannelIndex(Song), 0);
  TSong empty;
  EXPECT_EQ(SelectedChannelIndex(empty), 0);
}

TEST_F(PatternCommands, CopyMarksUnselectedChannelsAndPasteSkipsThem) {
  Fill(2, 20);
  Fill(4, 40);
  SelectOnly({2, 4});
  CopySteps(Song);
  const TStepClipboard& clip = StepClipboard();
  ASSERT_EQ(clip.Count(), 4);  // channels 2..5
  EXPECT_TRUE(clip.Filled);
  EXPECT_EQ(clip.Entries[0].Get(0, PlanePan), 20);
  EXPECT_EQ(clip.Entries[1].At(64), ClipEntryUnused);
  EXPECT_EQ(clip.Entries[2].Get(0, PlanePan), 40);
  EXPECT_EQ(clip.Entries[3].At(64), ClipEntryUnused);
  EXPECT_EQ(Tag(2), 20);  // copy leaves the source
  EXPECT_FALSE(Song.Modified());

  Fill(2, 100);
  Fill(4, 120);
  SelectOnly({1});
  EXPECT_EQ(PasteSteps(Song), 4);
  EXPECT_EQ(Tag(1), 20);
  EXPECT_EQ(Tag(2), 100);
  EXPECT_EQ(Tag(3), 40);
  EXPECT_EQ(Tag(4), 120);
  EXPECT_EQ(Ch(1).Steps.Block(Song.CurrentPattern)->Get(63, PlanePan), 20 + 63);
  EXPECT_TRUE(Song.Modified());
}

TEST_F(PatternCommands, SelectedChannelWithoutBlockPastesAsClearAndCutFrees) {
  Fill(0, 10);
  SelectOnly({0, 1});
  CutSteps(Song);
  EXPECT_FALSE(Ch(0).Steps.HasBlock(Song.CurrentPattern));
  ASSERT_EQ(StepClipboard().Count(), 6);
  EXPECT_EQ(StepClipboard().Entries[1].At(64), ClipEntryEmpty);

  Fill(3, 30);
  Fill(4, 40);
  SelectOnly({3});
  PasteSteps(Song);
  EXPECT_EQ(Tag(3), 10);
  EXPECT_EQ(Tag(4), -1);  // cleared by the empty entry

  // Another pattern is untouched.
  Song.CurrentPattern = 2;
  EXPECT_FALSE(Ch(3).Steps.HasBlock(2));
}

TEST_F(PatternCommands, PasteStopsAtTheLastChannelAndNeedsAClipboard) {
  EXPECT_EQ(PasteSteps(Song), -1);
  EXPECT_FALSE(Song.Modified());

  for (int i = 0; i < 6; ++i) Fill(i, static_cast<uint8_t>(i * 10));
  CopyWholePattern(Song);
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Ch(i).Selected);
  ASSERT_EQ(StepClipboard().Count(), 6);
  SelectOnly({4});
  EXPECT_EQ(PasteSteps(Song), 2);
  EXPECT_EQ(Tag(3), 30);
  EXPECT_EQ(Tag(4), 0);
  EXPECT_EQ(Tag(5), 10);

  // A clipboard longer than the song after channels were deleted.
  DeleteChannel(Song, 5);
  DeleteChannel(Song, 4);
  SelectOnly({3});
  EXPECT_EQ(PasteSteps(Song), 1);
  EXPECT_EQ(Tag(3), 0);

  // A collapsed row is not selected by the whole-pattern copy.
  SelectOnly({});
  Ch(1).Collapsed = true;
  CopyWholePattern(Song);
  EXPECT_FALSE(Ch(1).Selected);
  EXPECT_TRUE(Ch(0).Selected);
  EXPECT_EQ(StepClipboard().Entries[1].At(64), ClipEntryUnused);
}

TEST_F(PatternCommands, FillEveryNStepsInsideThePatternLength) {
  Ch(1).Steps.SetStepOn(Song.CurrentPattern, 1, true);
  Ch(1).Steps.SetStepOn(Song.CurrentPattern, 20, true);
  FillEverySteps(Song, 1, 4);
  for (int s = 0; s < 16; ++s) EXPECT_EQ(Ch(1).Steps.IsStepOn(Song.CurrentPattern, s) != 0, s % 4 == 0) << s;
  EXPECT_NE(Ch(1).Steps.IsStepOn(Song.CurrentPattern, 20), 0);  // beyond the length
  FillEverySteps(Song, 1, 0);                                     // no division by zero
  FillEverySteps(Song, 9, 4);                                     // no such channel
  EXPECT_NE(Ch(1).Steps.IsStepOn(Song.CurrentPattern, 0), 0);
  FillEverySteps(Song, 1, 1);
  for (int s = 0; s < 16; ++s) EXPECT_NE(Ch(1).Steps.IsStepOn(Song.CurrentPattern, s), 0);
}

TEST_F(PatternCommands, ShiftRotatesEveryPlaneInsideTheLength) {
  TStepBlock before;
  Ch(0).Steps.AllocPattern(Song.CurrentPattern);
  TStepBlock* b = Ch(0).Steps.Block(Song.CurrentPattern);
  for (int p = 0; p < StepPlaneCount; ++p)
    for (int s = 0; s < MaxSteps; ++s) b->Set(s, p, static_cast<uint8_t>(p * 64 + s));
  before = *b;
  SelectOnly({0, 1});  // channel 1 has no block: nothing happens there
  ShiftSteps(Song, +1);
  for (int p = 0; p < StepPlaneCount; ++p) {
    EXPECT_EQ(b->Get(0, p), before.Get(15, p));
    EXPECT_EQ(b->Get(1, p), before.Get(0, p));
    EXPECT_EQ(b->Get(15, p), before.Get(14, p));
    for (int s = 16; s < MaxSteps; ++s) EXPECT_EQ(b->Get(s, p), before.Get(s, p));
  }
  EXPECT_FALSE(Ch(1).Steps.HasBlock(Song.CurrentPattern));
  ShiftSteps(Song, -1);
  EXPECT_TRUE(*b == before);
  ShiftSteps(Song, -1);
  EXPECT_EQ(b->Get(15, PlaneFlags), before.Get(0, PlaneFlags));
  EXPECT_EQ(b->Get(0, PlaneFlags), before.Get(1, PlaneFlags));
}

// A random source that hands out scripted answers and records the bounds.
struct ScriptedRandom {
  std::vector<int> Bounds;
  std::function<int(int)> Answer;
  RandomSource Source() {
    return [this](int k) {
      Bounds.push_back(k);
      return Answer(k);
    };
  }
};

TEST_F(PatternCommands, RandomTurnsStepsOnWithOneChanceInFour) {
  ScriptedRandom r;
  r.Answer = [](int) { return 0; };
  SelectOnly({2});
  RandomSteps(Song, r.Source());
  ASSERT_EQ(r.Bounds.size(), 16u);
  EXPECT_EQ(r.Bounds[0], 4);
  for (int s = 0; s < 16; ++s) EXPECT_NE(Ch(2).Steps.IsStepOn(Song.CurrentPattern, s), 0);
  EXPECT_EQ(Ch(2).Steps.IsStepOn(Song.CurrentPattern, 16), 0);
  r.Answer = [](int k) { return k - 1; };
  RandomSteps(Song, r.Source());
  for (int s = 0; s < 16; ++s) EXPECT_EQ(Ch(2).Steps.IsStepOn(Song.CurrentPattern, s), 0);
  EXPECT_TRUE(Ch(3).Steps.IsPatternEmpty(Song.CurrentPattern));
}

TEST_F(PatternCommands, HumanizeMovesLanesOfStepsThatAreOn) {
  const int pat = Song.CurrentPattern;
  TStepStore& st = Ch(0).Steps;
  st.SetStepOn(pat, 0, true);
  st.SetStepOn(pat, 1, true);
  TStepBlock* b = st.Block(pat);
  b->Set(0, PlaneVol, 100);
  b->Set(0, PlanePan, 64);
  b->Set(0, PlanePitch, 230);
  b->Set(0, PlaneMix, 120);
  b->Set(1, PlaneVol, 127);
  b->Set(1, PlanePan, 5);
  b->Set(1, PlanePitch, 0);
  b->Set(1, PlaneMix, 0);
  b->Set(2, PlaneVol, 50);  // off: untouched
  SelectOnly({0});
  HumanizeOptions o;
  o.Percent = 0;
  o.Volume = o.Pan = o.Pitch = o.Mix = true;
  const TStepBlock before = *b;
  HumanizeSteps(Song, o, ProgramRandom);
  EXPECT_TRUE(*b == before);

  ScriptedRandom r;
  r.Answer = [](int k) { return k - 1; };  // the top of each range
  o.Percent = 10;                          // A = 12
  HumanizeSteps(Song, o, r.Source());
  // Step 0: d = 10 -> 100 - 10 + 19; pan 64 - 12 + 23; pitch d = 23 -> min(240, 230 + 22);
  // mix min(127, 120 + 11).
  EXPECT_EQ(b->Get(0, PlaneVol), 109);
  EXPECT_EQ(b->Get(0, PlanePan), 75);
  EXPECT_EQ(b->Get(0, PlanePitch), 240);
  EXPECT_EQ(b->Get(0, PlaneMix), 127);
  // Step 1: d = 12 -> min(127, 127 + 11); pan 5 + 11; pitch 0 (d = 0);
  // mix 0 + 11.
  EXPECT_EQ(b->Get(1, PlaneVol), 127);
  EXPECT_EQ(b->Get(1, PlanePan), 16);
  EXPECT_EQ(b->Get(1, PlanePitch), 0);
  EXPECT_EQ(b->Get(1, PlaneMix), 11);
  EXPECT_EQ(b->Get(2, PlaneVol), 50);
  // Lanes in the order velocity, pan, pitch, mix; a zero range asks for nothing.
  EXPECT_EQ((std::vector<int>(r.Bounds.begin(), r.Bounds.begin() + 4)), (std::vector<int>{20, 24, 46, 24}));
  EXPECT_EQ(r.Bounds.size(), 7u);

  r.Answer = [](int) { return 0; };  // the bottom: pan clamps at 0
  o.Volume = o.Pitch = o.Mix = false;
  b->Set(0, PlanePan, 3);
  HumanizeSteps(Song, o, r.Source());
  EXPECT_EQ(b->Get(0, PlanePan), 0);
  EXPECT_TRUE(Song.Modified());
}

TEST_F(PatternCommands, PatternLengthSetsTheViewAndResetsTheSteps) {
  TPatternView view;
  PlayPosition().DisplayStep = 7;
  Mixer().MixStep = 7;
  SetPatternLength(Song, 32, view);
  EXPECT_EQ(Song.PatternLength(), 32);
  EXPECT_EQ(view.VisibleSteps, 16);
  EXPECT_EQ(view.ScrollerMax, 16);
  EXPECT_TRUE(view.ScrollerShown);
  EXPECT_EQ(view.PianoWidth(), 256);
  EXPECT_EQ(PlayPosition().DisplayStep.load(), -1);
  EXPECT_EQ(Mixer().MixStep, -1);

  view.FirstVisibleStep = 5;
  view.ScrollerPosition = 5;
  SetPatternLength(Song, 16, view);
  EXPECT_EQ(view.FirstVisibleStep, 0);
  EXPECT_EQ(view.ScrollerPosition, 0);
  EXPECT_EQ(view.ScrollerMax, 0);
  EXPECT_FALSE(view.ScrollerShown);

  view.MaxVisibleSteps = 32;
  SetPatternLength(Song, 200, view);  // clamped
  EXPECT_EQ(Song.PatternLength(), 64);
  EXPECT_EQ(view.VisibleSteps, 32);
  EXPECT_EQ(view.ScrollerMax, 32);
  SetPatternLength(Song, 0, view);
  EXPECT_EQ(Song.PatternLength(), 8);
  EXPECT_EQ(view.VisibleSteps, 8);
}

TEST_F(PatternCommands, PatternPadUsesTheKeypadLayout) {
  EXPECT_EQ(PatternPadCell(7), 0);
  EXPECT_EQ(PatternPadCell(9), 2);
  EXPECT_EQ(PatternPadCell(5), 4);
  EXPECT_EQ(PatternPadCell(1), 6);
  EXPECT_EQ(PatternPadCell(3), 8);
  for (int v = 1; v <= 9; ++v) EXPECT_EQ(PatternOfPadCell(PatternPadCell(v)), v);
  const int cell = PatternPadCell(10);
  EXPECT_TRUE(cell < 0 || cell > 8);
}

TEST(PatternSelector, MovesTheMixersSongAndClampsThePattern) {
  TSong& song = Mixer().Song();
  const int kept = song.CurrentPattern;
  EXPECT_EQ(SelectPatternFromSelector(8), 1);
  EXPECT_EQ(song.CurrentPattern, 8);
  EXPECT_EQ(Mixer().MixPattern, 8);
  SelectPatternFromSelector(5000);
  EXPECT_EQ(song.CurrentPattern, MaxPattern);
  SelectPatternFromSelector(-3);
  EXPECT_EQ(song.CurrentPattern, 1);
  SelectPatternFromSelector(kept);
}

TEST(TempoPresets, MenuTagsAndTheTempoControl) {
  EXPECT_EQ(TempoPresetMenu[5].Tag, 145);
  EXPECT_STREQ(TempoPresetMenu[5].Caption, "145 BPM");
  EXPECT_EQ(TempoPresetMenu[6].Tag, 150);
  EXPECT_STREQ(PatternLengthMenu[1].Caption, "&32 notes per pattern");
  TSong& song = Mixer().Song();
  const int kept = song.BPM;
  song.SetModified(false);
  ChangeTempo(125);
  EXPECT_EQ(song.BPM, 125);
  EXPECT_EQ(Mixer().FramesPerStep, 661500 / 125);
  EXPECT_TRUE(song.Modified());
  ChangeTempo(kept);
  song.SetModified(false);
}

TEST_F(PatternCommands, InsertIntoPlaylistGoesAfterTheLastFilledBar) {
  int row = 40;
  Song.CurrentPattern = 3;
  InsertPatternInPlaylist(Song, row, false);  // empty playlist: bar 0
  EXPECT_EQ(Song.Playlist.PlaylistBars[0], std::vector<int>{3});
  EXPECT_EQ(row, 2);
  EXPECT_TRUE(Song.Modified());
  Song.Playlist.PlaylistBars[5] = {1};
  InsertPatternInPlaylist(Song, row, false);
  EXPECT_EQ(Song.Playlist.PlaylistBars[6], std::vector<int>{3});
  EXPECT_EQ(row, 8);
  row = 3;  // visible window: its own row
  InsertPatternInPlaylist(Song, row, true);
  EXPECT_EQ(Song.Playlist.PlaylistBars[2], std::vector<int>{3});
  EXPECT_EQ(row, 4);
  row = PlaylistBarCount;  // the last bar's row stays
  InsertPatternInPlaylist(Song, row, true);
  EXPECT_EQ(Song.Playlist.PlaylistBars[PlaylistBarCount - 1], std::vector<int>{3});
  EXPECT_EQ(row, PlaylistBarCount);
}

}  // namespace
}  // namespace vs
