#include "core/ChannelCommands.h"

#include <gtest/gtest.h>

#include "core/ChannelFiles.h"
#include "model/Channels.h"
#include "engine/WAVFiles.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

namespace vs {
namespace {

class Recorder : public SongListener {
public:
  int ListChanges = 0;
  std::vector<int> Changed;
  void ChannelListChanged() override { ++ListChanges; }
  void ChannelChanged(int index) override { Changed.push_back(index); }
};

// Loads run without the audio output.
class QuietHost : public TChannelFileHost {
public:
  void SuspendOutput() override {}
  void ResumeOutput() override {}
};

class ChannelCommands : public ::testing::Test {
protected:
  void SetUp() override {
    SetChannelFileHost(&Host);
    for (int i = 0; i < 5; ++i) AddChannel(Song);
    Song.SetModified(false);
    Song.AddListener(&Views);
  }
  void TearDown() override { SetChannelFileHost(nullptr); }
  TChannel& Ch(int i) { return *Song.Channels[i]; }
  std::vector<bool> Selection() {
    std::vector<bool> r;
    for (auto& c : Song.Channels) r.push_back(c->Selected);
    return r;
  }

  QuietHost Host;
  TSong Song;
  Recorder Views;
};

TEST_F(ChannelCommands, SelectingAloneSkipsCollapsedChannels) {
  Ch(3).Collapsed = true;
  EXPECT_TRUE(SelectChannel(Song, 1));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, true, false, false, false}));
  EXPECT_EQ(Views.Changed, std::vector<int>{1});  // only rows whose state changed
  EXPECT_FALSE(SelectChannel(Song, 1));           // already selected
  EXPECT_FALSE(SelectChannel(Song, 3));           // collapsed: nothing
  EXPECT_FALSE(SelectChannel(Song, 7));
  EXPECT_EQ(Selection(), (std::vector<bool>{false, true, false, false, false}));
  SelectAllChannels(Song);
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true, true, false, true}));
  ToggleChannelSelected(Song, 3);
  ToggleChannelSelected(Song, 0);
  EXPECT_EQ(Selection(), (std::vector<bool>{false, true, true, true, true}));
}

TEST_F(ChannelCommands, LeftClickOnTheSelectButtonAlternatesAllAndOne) {
  Ch(4).Collapsed = true;
  SelectChannel(Song, 2);
  SelectButtonLeftClick(Song, 2);  // the only selected one: all expanded ones
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true, true, true, false}));
  SelectButtonLeftClick(Song, 2);  // nothing left to add: only it again
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, true, false, false}));
  SelectButtonLeftClick(Song, 0);  // not selected: only it
  EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false, false, false}));
}

TEST_F(ChannelCommands, NameButtonPreviewsExpandsOrOpens) {
  Ch(1).Collapsed = true;
  EXPECT_EQ(NameButtonMouseDown(Song, 1, true, true), NameClickPreviewed);  // an empty sample plays nothing
  EXPECT_TRUE(Ch(1).Collapsed);
  EXPECT_EQ(NameButtonMouseDown(Song, 1, false, false), NameClickAllowed);
  EXPECT_EQ(NameButtonMouseDown(Song, 1, false, true), NameClickExpanded);
  EXPECT_FALSE(Ch(1).Collapsed);
  EXPECT_TRUE(Ch(1).Selected);
  EXPECT_EQ(NameButtonMouseDown(Song, 1, false, true), NameClickAllowed);
  EXPECT_EQ(NameButtonMouseDown(Song, 9, true, false), NameClickAllowed);
}

TEST_F(ChannelCommands, MuteMarksTheSongAndSoloDoesNot) {
  SetChannelMuted(Song, 1, true);
  EXPECT_FALSE(Ch(1).Enabled);
  EXPECT_TRUE(Song.Modified());
  Song.SetModified(false);
  SoloChannel(Song, 2);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Ch(i).Enabled, i == 2) << i;
  SoloChannel(Song, 2);  // every other channel muted already: all unmuted
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Ch(i).Enabled) << i;
  SoloChannel(Song, 4);
  SoloChannel(Song, 0);  // others are not all muted (4 plays): only 0
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Ch(i).Enabled, i == 0) << i;
  EXPECT_FALSE(Song.Modified());
}

TEST_F(ChannelCommands, VolumeAndPanFromTheFrontWheel) {
  SetChannelVolPan(Song, 0, 90, VolPanVolume);
  SetChannelVolPan(Song, 0, 200, VolPanPan);
  SetChannelVolPan(Song, 1, -5, VolPanVolume);
  EXPECT_EQ(Ch(0).Volume, 90);
  EXPECT_EQ(Ch(0).Pan, 127);
  EXPECT_EQ(Ch(1).Volume, 0);
  EXPECT_TRUE(Song.Modified());
  Ch(2).Collapsed = true;
  FrontWheelChange(Song, 3, 33, VolPanPan);
  EXPECT_EQ(Ch(3).Pan, 33);
  EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false, true, false}));
  TPreferences prefs;
  Views.Changed.clear();
  EXPECT_EQ(ToggleVolPanMode(Song, prefs), 1);
  EXPECT_EQ(Views.Changed.size(), 5u);
  EXPECT_EQ(ToggleVolPanMode(Song, prefs), 0);
}

TEST_F(ChannelCommands, ZipAndUnzip) {
  Ch(1).Selected = Ch(2).Selected = true;
  ZipSelectedChannels(Song);
  EXPECT_TRUE(Ch(1).Collapsed);
  EXPECT_TRUE(Ch(2).Collapsed);
  EXPECT_FALSE(Ch(0).Collapsed);
  UnzipAllChannels(Song);
  for (auto& c : Song.Channels) EXPECT_FALSE(c->Collapsed);
  EXPECT_TRUE(Ch(1).Selected);  // expanding selects
}

TEST_F(ChannelCommands, AddAndInsertOfBothKinds) {
  TChannel& synth = AddChannelOfKind(Song, 1);
  EXPECT_EQ(synth.Kind, 1);
  EXPECT_EQ(synth.Name, "MB404 #1");
  ASSERT_EQ(Song.MB404Channels.size(), 1u);
  Ch(2).Name = "Snare";
  TChannel& drum = InsertChannelOfKind(Song, 2, 0);
  EXPECT_EQ(Song.ChannelCount(), 7);
  EXPECT_EQ(&Ch(2), &drum);
  EXPECT_EQ(Ch(3).Name, "Snare");
  EXPECT_EQ(drum.Kind, 0);
}

TEST_F(ChannelCommands, DeleteAsksAndKeepsAtLeastFourChannels) {
  TRecordingMessageBox box;
  box.Answer(IdCancel);
  SelectAllChannels(Song);
  EXPECT_FALSE(DeleteSelectedChannels(Song));
  EXPECT_EQ(Song.ChannelCount(), 5);
  ASSERT_EQ(box.Count(), 1u);
  EXPECT_EQ(box.Boxes()[0].Caption, "Confirm");
  EXPECT_EQ(box.Boxes()[0].Message, "The selected channels are about to be deleted...");
  EXPECT_EQ(box.Boxes()[0].Flags & MbButtonMask, MbOKCancel);

  box.Answer(IdOK);
  Ch(0).Name = "Kick";
  EXPECT_TRUE(DeleteSelectedChannels(Song));
  ASSERT_EQ(Song.ChannelCount(), 4);  // all deleted, four new empty ones
  for (auto& c : Song.Channels) {
    EXPECT_EQ(c->Name, "");
    EXPECT_FALSE(c->Selected);
  }

  box.Answer(IdOK);
  SelectChannel(Song, 1);
  Ch(0).Name = "A";
  Ch(2).Name = "C";
  AddChannel(Song);
  Ch(4).Name = "E";
  EXPECT_TRUE(DeleteSelectedChannels(Song));
  ASSERT_EQ(Song.ChannelCount(), 4);
  EXPECT_EQ(Ch(0).Name, "A");
  EXPECT_EQ(Ch(1).Name, "C");
  EXPECT_EQ(Ch(3).Name, "E");
}

TEST_F(ChannelCommands, CloneNamesTakeTheNextFreeNumber) {
  Ch(0).Name = "K #3";
  Ch(1).Name = "K #2";
  Ch(2).Name = "S";
  Ch(3).Name = "S #2";
  EXPECT_EQ(CloneName(Song, "K #3"), "K #4");
  EXPECT_EQ(CloneName(Song, "S"), "S #3");
  EXPECT_EQ(CloneName(Song, "Hat"), "Hat #2");
  EXPECT_EQ(CloneName(Song, ""), " #2");
}

TEST_F(ChannelCommands, CloneInsertsACopyAfterEachSelectedChannel) {
  Ch(0).Name = "Kick";
  Ch(0).Volume = 77;
  Ch(0).Cutoff = 300;
  Ch(0).Enabled = false;
  Ch(0).SampleFileName = "/nowhere/kick.wav";
  Ch(0).Steps.SetStepOn(1, 0, true);
  Ch(1).Name = "Bass";
  Ch(1).MakeMB404(false);
  Ch(1).Synth->Params[P404Cutoff] = 12345;
  Ch(1).Name = "Bass";
  Ch(0).Selected = Ch(1).Selected = true;
  EXPECT_EQ(CloneSelectedChannels(Song), 2);
  ASSERT_EQ(Song.ChannelCount(), 7);
  EXPECT_TRUE(Song.SelectOnExpand);
  EXPECT_EQ(Ch(1).Name, "Kick #2");
  EXPECT_EQ(Ch(1).Volume, 77);
  EXPECT_EQ(Ch(1).Cutoff, 300);
  EXPECT_FALSE(Ch(1).Enabled);
  EXPECT_FALSE(Ch(1).Selected);
  EXPECT_EQ(Ch(1).SampleFileName, "/nowhere/kick.wav");  // a missing file keeps its name
  EXPECT_TRUE(Ch(1).Steps.IsPatternEmpty(1));            // steps are not copied
  EXPECT_EQ(Ch(1).MixTarget, 1);
  EXPECT_EQ(Ch(2).Name, "Bass");
  EXPECT_EQ(Ch(3).Name, "Bass #2");
  EXPECT_EQ(Ch(3).Kind, 1);
  ASSERT_TRUE(Ch(3).Synth);
  EXPECT_EQ(Ch(3).Synth->Params[P404Cutoff], 12345);
  EXPECT_EQ(Song.MB404Channels.size(), 2u);
}

TEST_F(ChannelCommands, CloneLoadsTheSampleFromTheSourcesFile) {
  TTestDir tmp;
  TWAVSample wav;
  wav.SetFrames(std::vector<int16_t>{1, -1, 2, -2, 3, -3});
  const std::string path = tmp / "snare.wav";
  ASSERT_TRUE(SaveWAVFile(&wav, path));
  Ch(3).Name = "Snare";
  Ch(3).SampleFileName = path;
  Ch(3).Selected = true;
  ASSERT_EQ(CloneSelectedChannels(Song), 1);
  EXPECT_EQ(Ch(4).Name, "Snare #2");
  EXPECT_EQ(Ch(4).SampleFileName, path);
  EXPECT_EQ(Ch(4).Sample.Data, (std::vector<int16_t>{1, -1, 2, -2, 3, -3}));
  EXPECT_TRUE(Ch(3).Selected);
  EXPECT_FALSE(Ch(4).Selected);
}

TEST_F(ChannelCommands, LineMenuSampleItemsCutItselfAndStretch) {
  Ch(1).MakeMB404(false);
  Ch(1).Selected = true;
  EXPECT_FALSE(LineMenuShowsLoadSample(Song));
  Ch(1).Selected = false;
  EXPECT_TRUE(LineMenuShowsLoadSample(Song));

  Ch(0).Sample.CutGroup = 1;
  Ch(2).Sample.CutGroup = 3;
  Ch(2).Selected = true;
  ToggleCutItself(Song);  // group 1 is in use elsewhere: first free is 2
  EXPECT_EQ(Ch(2).Sample.CutGroup, 2);
  EXPECT_EQ(Ch(2).Sample.CutByGroup, 2);
  EXPECT_TRUE(Song.Modified());
  ToggleCutItself(Song);
  EXPECT_EQ(Ch(2).Sample.CutGroup, 0);
  EXPECT_EQ(Ch(2).Sample.CutByGroup, 0);

  Song.SetPatternLength(32);
  ToggleStretchToBar(Song);
  EXPECT_EQ(Ch(2).Stretch, 32);
  ToggleStretchToBar(Song);
  EXPECT_EQ(Ch(2).Stretch, 0);
}

}  // namespace
}  // namespace vs
