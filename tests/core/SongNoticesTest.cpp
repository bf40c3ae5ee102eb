// Every song-wide value tells its views when it is set, whatever command
// set it, and only once MixerLock is left, when the value reads as set.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/ChannelCommands.h"
#include "core/MasterValues.h"
#include "core/PatternCommands.h"
#include "core/SettingsCommands.h"
#include "core/SongCommands.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "model/SongReset.h"

namespace vs {
namespace {

// Writes down each song-wide notice and whether MixerLock was free then.
class ValueRecorder : public SongListener {
public:
  std::vector<TSongValue> Values;
  bool HeardUnderLock = false;
  std::function<void(TSongValue)> OnValue;
  void SongValueChanged(TSongValue value) override {
    Values.push_back(value);
    HeardUnderLock = HeardUnderLock || MixerLockHeldByThisThread();
    if (OnValue) OnValue(value);
  }
  bool Heard(TSongValue value) const {
    for (TSongValue v : Values)
      if (v == value) return true;
    return false;
  }
};

class SongNotices : public ::testing::Test {
protected:
  void SetUp() override {
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    song->SetModified(false);
    ReplaceCurrentSong(std::move(song));
    CurrentSong().AddListener(&Recorder);
    StepClipboard() = TStepClipboard{};
  }
  void TearDown() override {
    CurrentSong().RemoveListener(&Recorder);
    StepClipboard() = TStepClipboard{};
  }
  TSong& Song() { return CurrentSong(); }
  ValueRecorder Recorder;
};

TEST_F(SongNotices, EachSetterRouteSendsItsValuesNotice) {
  TPreferences prefs;
  TSongCommandHost host;
  TSongCommands commands(prefs, host);
  // Each command, and the notice it must send.
  const std::vector<std::pair<TSongValue, std::function<void()>>> routes = {
      {TSongValue::Tempo, [] { SetTempo(200); }},
      {TSongValue::Tempo, [] { ChangeTempo(90); }},
      {TSongValue::PatternLength, [this] { SetPatternLength(Song(), 32); }},
      {TSongValue::PatternLength, [this] { ChangePatternLength(Song(), 48, 8); }},
      {TSongValue::CurrentPattern, [] { SetCurrentPattern(7); }},
      {TSongValue::CurrentPattern, [] { SelectPatternFromSelector(8); }},
      {TSongValue::SongMode, [] { LoopButtonClick(true); }},
      {TSongValue::MasterVolume, [this] { MasterSliderMoved(Song(), MainVolSlider, 20, true); }},
      {TSongValue::MasterSwing, [this] { MasterSliderMoved(Song(), ShuffleSlider, 100, true); }},
      {TSongValue::MasterPitch, [this] { MasterSliderMoved(Song(), MainPitchSlider, -300, false); }},
      {TSongValue::MasterResonance, [this] { MasterSliderMoved(Song(), MainResoSlider, 500, true); }},
      {TSongValue::MasterCutoff, [this] { MasterSliderMoved(Song(), MainCutOffSlider, 600, true); }},
      {TSongValue::Selection, [this] { SelectChannel(Song(), 2); }},
      {TSongValue::Selection, [this] { SelectAllChannels(Song()); }},
      {TSongValue::Selection, [this] { ToggleChannelSelected(Song(), 1); }},
      {TSongValue::Selection, [this] { SelectButtonLeftClick(Song(), 0); }},
      {TSongValue::Selection, [this] { ZipSelectedChannels(Song()); }},
      {TSongValue::StepClipboard, [this] { CopySteps(Song()); }},
      {TSongValue::StepClipboard, [this] { CopyWholePattern(Song()); }},
      {TSongValue::FileName, [&commands] { commands.SetSongFileName("/songs/a.zmp", "/songs/a.zmp"); }},
      {TSongValue::FileName, [&commands] { commands.UpdateSongTitle(); }},
      {TSongValue::Modified, [this] { Song().SetModified(); }},
  };
  for (size_t i = 0; i < routes.size(); ++i) {
    Recorder.Values.clear();
    Song().SetModified(false);
    Recorder.Values.clear();
    routes[i].second();
    EXPECT_TRUE(Recorder.Heard(routes[i].first)) << "route " << i;
  }
  EXPECT_FALSE(Recorder.HeardUnderLock);
  // The values the routes left.
  EXPECT_EQ(Song().BPM, 90);
  EXPECT_EQ(Song().PatternLength(), 48);
  EXPECT_EQ(Song().StepsPerBlock, 8);
  EXPECT_EQ(Song().CurrentPattern, 8);
  EXPECT_TRUE(Song().SongModeOn);
  EXPECT_EQ(Song().MasterVolume.load(), 108);
  EXPECT_EQ(Song().MasterPitch.load(), 300);
  EXPECT_EQ(commands.SongTitle, "a.zmp");
}

TEST_F(SongNotices, UnderTheLockTheNoticeWaitsAndReadsTheNewValue) {
  int bpmHeard = 0;
  Recorder.OnValue = [&](TSongValue v) {
    if (v == TSongValue::Tempo) bpmHeard = Song().BPM;
  };
  {
    MixerGuard outer;
    {
      MixerGuard inner;
      Song().SetBPM(130);
      Song().SetBPM(131);
    }
    EXPECT_TRUE(Recorder.Values.empty());
  }
  // One notice for the two writes, after the outermost hold ended.
  ASSERT_EQ(Recorder.Values.size(), 1u);
  EXPECT_EQ(bpmHeard, 131);
  EXPECT_FALSE(Recorder.HeardUnderLock);
}

TEST_F(SongNotices, TheModifiedFlagIsToldOnlyWhenItChangesAlsoByAStepWrite) {
  Song().SetModified();
  Song().SetModified();
  Song().Channels[0]->Steps.SetStepOn(1, 3, true);  // already modified
  EXPECT_EQ(Recorder.Values.size(), 1u);
  Song().SetModified(false);
  Recorder.Values.clear();
  Song().Channels[0]->Steps.SetStepOn(1, 4, true);
  ASSERT_EQ(Recorder.Values.size(), 1u);
  EXPECT_EQ(Recorder.Values[0], TSongValue::Modified);
  EXPECT_TRUE(Song().Modified());
}

TEST_F(SongNotices, AResetSongTellsEveryMasterValueAndTheSelection) {
  MasterSliderMoved(Song(), MainVolSlider, 40, true);
  Recorder.Values.clear();
  {
    MixerGuard lock;
    ResetSongModel(Song());
  }
  for (TSongValue v : {TSongValue::MasterVolume, TSongValue::MasterSwing, TSongValue::MasterPitch,
                       TSongValue::MasterResonance, TSongValue::MasterCutoff, TSongValue::PatternLength,
                       TSongValue::CurrentPattern, TSongValue::Selection})
    EXPECT_TRUE(Recorder.Heard(v)) << static_cast<int>(v);
  EXPECT_EQ(Song().MasterVolume.load(), 128);
}

}  // namespace
}  // namespace vs
