#include <gtest/gtest.h>

#include <vector>

#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "model/SongRecorder.h"

using namespace vs;

namespace {

std::vector<int> Targets(const TSong& song) {
  std::vector<int> t;
  for (const auto& c : song.Channels) t.push_back(c->MixTarget);
  return t;
}

void AddChannels(TSong& song, int count) {
  for (int i = 0; i < count; ++i) AddChannel(song);
}

}  // namespace

TEST(Channels, NewChannelHasDefaultsAndTargetsItself) {
  TSong song;
  AddChannels(song, 3);
  const TChannel& c = *song.Channels[2];
  EXPECT_EQ(c.MixTarget, 2);
  EXPECT_EQ(c.RandomChoice, std::vector<int32_t>{2});
  EXPECT_EQ(c.Volume, 100);
  EXPECT_EQ(c.Pan, 64);
  EXPECT_EQ(c.MidiChannel, 9);
  EXPECT_EQ(c.MidiNote, 255);
  EXPECT_EQ(c.MidiProgram, 255);
  EXPECT_EQ(c.MidiBank, 255);
  EXPECT_EQ(c.LastMidiNote, 255);
  for (uint8_t v : c.ControllerStart) EXPECT_EQ(v, 255);
  EXPECT_EQ(c.EchoPitch, 120);
  EXPECT_EQ(c.EchoCount, 4);
  EXPECT_EQ(c.EchoTime, 48);
  EXPECT_EQ(c.StereoDelay, 2048);
  EXPECT_EQ(c.Phaser, 256);
  EXPECT_EQ(c.ReverbType, 1);
  EXPECT_EQ(c.RootNote, 60);
  EXPECT_EQ(c.RenderNote, -1);
  EXPECT_EQ(c.Color, 0xBAC8C8u);
  EXPECT_TRUE(c.Enabled);
  EXPECT_TRUE(c.Pitchable);
  EXPECT_FALSE(c.Collapsed);
  EXPECT_EQ(c.Kind, 0);
  EXPECT_EQ(c.Synth, nullptr);
  EXPECT_EQ(c.Index(), 2);
  EXPECT_TRUE(song.Modified());
}

TEST(Channels, InsertRenumbersTargetsAndRandomLists) {
  TSong song;
  AddChannels(song, 4);
  song.Channels[0]->RandomChoice = {0, 2, 3};
  song.Channels[3]->MixTarget = 1;  // below the insertion point: stays
  TChannel& added = InsertChannel(song, 2);
  ASSERT_EQ(song.ChannelCount(), 5);
  EXPECT_EQ(song.Channels[2].get(), &added);
  EXPECT_EQ(Targets(song), (std::vector<int>{0, 1, 2, 3, 1}));
  EXPECT_EQ(song.Channels[0]->RandomChoice, (std::vector<int32_t>{0, 3, 4}));
  EXPECT_EQ(added.RandomChoice, std::vector<int32_t>{2});
  EXPECT_EQ(song.Channels[4]->RandomChoice, std::vector<int32_t>{4});
}

TEST(Channels, InsertAtTwoIntoFourKeepsEveryChannelOnItself) {
  TSong song;
  AddChannels(song, 4);
  InsertChannel(song, 2);
  EXPECT_EQ(Targets(song), (std::vector<int>{0, 1, 2, 3, 4}));
  // Out-of-range positions clamp to the ends.
  InsertChannel(song, -3);
  InsertChannel(song, 99);
  EXPECT_EQ(Targets(song), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(Channels, DeleteRenumbersAndCleansRandomLists) {
  TSong song;
  AddChannels(song, 4);
  song.Channels[0]->RandomChoice = {0, 1, 3, 1};
  song.Channels[2]->RandomChoice = {2, 1};
  song.Channels[3]->MixTarget = 1;  // targets the deleted channel
  TChannel* keep3 = song.Channels[3].get();
  ASSERT_TRUE(DeleteChannel(song, 1));
  ASSERT_EQ(song.ChannelCount(), 3);
  EXPECT_EQ(song.Channels[2].get(), keep3);
  // The link at the deleted channel moves to the one before it.
  EXPECT_EQ(Targets(song), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(song.Channels[0]->RandomChoice, (std::vector<int32_t>{0, 2}));
  EXPECT_EQ(song.Channels[1]->RandomChoice, std::vector<int32_t>{1});
  EXPECT_EQ(song.Channels[2]->RandomChoice, std::vector<int32_t>{2});
}

TEST(Channels, DeletingTheFirstChannelNeverLeavesMinusOne) {
  TSong song;
  AddChannels(song, 3);
  song.Channels[1]->MixTarget = 0;
  song.Channels[2]->MixTarget = 0;
  ASSERT_TRUE(DeleteChannel(song, 0));
  EXPECT_EQ(Targets(song), (std::vector<int>{0, 1}));
  EXPECT_FALSE(DeleteChannel(song, 2));
  EXPECT_FALSE(DeleteChannel(song, -1));
  ASSERT_TRUE(DeleteChannel(song, 0));
  ASSERT_TRUE(DeleteChannel(song, 0));
  EXPECT_EQ(song.ChannelCount(), 0);
  EXPECT_TRUE(song.MB404Channels.empty());
}

namespace {
int HookCalls = 0;
bool HookHadLock = false;
void CountingHook(TSong&, TChannel&) {
  ++HookCalls;
  HookHadLock = MixerLockHeldByThisThread();
}
}  // namespace

TEST(Channels, DeleteCallsTheFreeHookUnderTheLockAndNotifiesAfter) {
  TSong song;
  AddChannels(song, 2);
  SongRecorder rec;
  song.AddListener(&rec);
  song.SetModified(false);
  HookCalls = 0;
  SetChannelFreeHook(CountingHook);
  DeleteChannel(song, 0);
  SetChannelFreeHook(nullptr);
  EXPECT_EQ(HookCalls, 1);
  EXPECT_TRUE(HookHadLock);
  EXPECT_FALSE(MixerLockHeldByThisThread());
  EXPECT_EQ(rec.Events, std::vector<std::string>{"list"});
  EXPECT_TRUE(song.Modified());
}

TEST(Channels, MB404ListRunsFromLastToFirst) {
  TSong song;
  AddChannels(song, 5);
  song.Channels[1]->Kind = 1;
  song.Channels[3]->Kind = 1;
  RebuildMB404List(song);
  ASSERT_EQ(song.MB404Channels.size(), 2u);
  EXPECT_EQ(song.MB404Channels[0], song.Channels[3].get());
  EXPECT_EQ(song.MB404Channels[1], song.Channels[1].get());
  DeleteChannel(song, 3);
  ASSERT_EQ(song.MB404Channels.size(), 1u);
  EXPECT_EQ(song.MB404Channels[0], song.Channels[1].get());
  InsertChannel(song, 0);
  ASSERT_EQ(song.MB404Channels.size(), 1u);
  EXPECT_EQ(song.MB404Channels[0], song.Channels[2].get());
}

TEST(Channels, NameChangesNotifyOnlyWhenDifferent) {
  TSong song;
  AddChannels(song, 2);
  SongRecorder rec;
  song.AddListener(&rec);
  EXPECT_TRUE(SetChannelName(song, 1, "Kick"));
  EXPECT_FALSE(SetChannelName(song, 1, "Kick"));
  EXPECT_FALSE(SetChannelName(song, 5, "x"));
  EXPECT_EQ(song.Channels[1]->Name, "Kick");
  EXPECT_EQ(rec.Events, (std::vector<std::string>{"list", "channel 1"}));
  song.Channels[0]->SetColor(0x123456);
  EXPECT_EQ(rec.Events.back(), "channel 0");
  song.RemoveListener(&rec);
  SetChannelName(song, 0, "Snare");
  EXPECT_EQ(rec.Events.size(), 3u);
}

TEST(Channels, CaptionShortensFromItsEnd) {
  auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 10; };
  EXPECT_EQ(ShortenChannelCaption("", 100, width), "SET");
  EXPECT_EQ(ShortenChannelCaption("Kick", 100, width), "Kick");
  // 100 - 7 = 93 pixels: nine characters fit.
  EXPECT_EQ(ShortenChannelCaption("Bass drum long", 100, width), "Bass drum");
  // A button narrower than any character: the loop stops at nothing.
  EXPECT_EQ(ShortenChannelCaption("Hat", 5, width), "");
  // A character of several bytes goes as a whole.
  auto chars = [](const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n * 10;
  };
  EXPECT_EQ(ShortenChannelCaption("Caf\xC3\xA9 X", 47, chars), "Caf\xC3\xA9");
  EXPECT_EQ(ShortenChannelCaption("Caf\xC3\xA9", 37, chars), "Caf");
}

TEST(Channels, FirstFreeCutGroupSkipsGroupsOfOtherChannels) {
  TSong song;
  AddChannels(song, 3);
  song.Channels[1]->Sample.CutGroup = 1;
  song.Channels[2]->Sample.CutByGroup = 3;
  EXPECT_EQ(FirstFreeCutGroup(song, 0), 2);
  song.Channels[0]->Sample.CutGroup = 2;  // the asking channel's own group
  EXPECT_EQ(FirstFreeCutGroup(song, 0), 2);
  EXPECT_EQ(FirstFreeCutGroup(song, 1), 1);
  EXPECT_TRUE(CutGroupInUse(song, 3, 0));
  EXPECT_FALSE(CutGroupInUse(song, 3, 2));
}

TEST(Channels, ZippingDeselectsAndExpandingSelects) {
  TSong song;
  TChannel& c = AddChannel(song);
  c.Selected = true;
  c.SetZipped(true);
  EXPECT_TRUE(c.Collapsed);
  EXPECT_FALSE(c.Selected);
  c.SetZipped(false);
  EXPECT_TRUE(c.Selected);
  c.SetZipped(true);
  song.SelectOnExpand = false;
  c.SetZipped(false);
  EXPECT_FALSE(c.Selected);
}

TEST(Channels, ReplacingTheSongMovesItsListeners) {
  SongRecorder rec;
  CurrentSong().AddListener(&rec);
  auto old = ReplaceCurrentSong(std::make_unique<TSong>());
  EXPECT_TRUE(old->Listeners().empty());
  EXPECT_EQ(rec.Events, std::vector<std::string>{"replaced"});
  AddChannel(CurrentSong());
  EXPECT_EQ(rec.Events.back(), "list");
  CurrentSong().RemoveListener(&rec);
}
