#include <gtest/gtest.h>

#include "model/Song.h"
#include "model/StepStore.h"

using namespace vs;

TEST(StepStore, UnwrittenStepReadsPlaneDefaults) {
  TStepStoreContext ctx;
  TStepStore store(&ctx);
  const int expected[9] = {64, 100, 120, 0, 0, 0, 0, 60, 0};
  for (int p = 0; p < 9; ++p) EXPECT_EQ(store.GetStepValue(1, 5, p), expected[p]) << p;
  EXPECT_FALSE(store.HasBlock(1));
}

TEST(StepStore, WritingDefaultIntoEmptySlotAllocatesNothing) {
  TStepStoreContext ctx;
  TStepStore store(&ctx);
  store.SetStepValue(3, 0, 100, PlaneVol);
  EXPECT_FALSE(store.HasBlock(3));
  EXPECT_FALSE(ctx.SongModified.load());
  store.SetStepValue(3, 0, 99, PlaneVol);
  ASSERT_TRUE(store.HasBlock(3));
  EXPECT_TRUE(ctx.SongModified.load());
  EXPECT_EQ(store.GetStepValue(3, 0, PlaneVol), 99);
  EXPECT_EQ(store.GetStepValue(3, 1, PlaneVol), 100);
  EXPECT_EQ(store.GetStepValue(3, 0, PlanePitch), 120);
  EXPECT_EQ(store.GetStepValue(3, 0, PlaneNote), 60);
}

TEST(StepStore, EmptinessFollowsPatternLength) {
  TStepStoreContext ctx;
  TStepStore store(&ctx);
  store.SetStepValue(7, 20, 2, PlaneFlags);  // a flag byte other than bit 0
  ctx.PatternLength = 16;
  EXPECT_TRUE(store.IsPatternEmpty(7));
  ctx.PatternLength = 32;
  EXPECT_FALSE(store.IsPatternEmpty(7));
}

TEST(StepStore, SlideWithoutOnIsNotEmptyButOff) {
  TStepStoreContext ctx;
  TStepStore store(&ctx);
  store.SetStepValue(1, 2, StepFlagSlide, PlaneFlags);
  EXPECT_FALSE(store.IsPatternEmpty(1));
  EXPECT_EQ(store.IsStepOn(1, 2), 0);
  store.SetStepOn(1, 2, true);
  EXPECT_EQ(store.GetStepValue(1, 2, PlaneFlags), StepFlagSlide | StepFlagOn);
  store.SetStepOn(1, 2, false);
  EXPECT_EQ(store.GetStepValue(1, 2, PlaneFlags), StepFlagSlide);
}

TEST(StepStore, OutOfRangeAccessIsHarmless) {
  TStepStoreContext ctx;
  TStepStore store(&ctx);
  store.SetStepValue(1000, 0, 5, PlaneVol);
  store.SetStepValue(-1, 0, 5, PlaneVol);
  store.SetStepValue(1, 64, 5, PlaneVol);
  store.SetStepValue(1, 0, 5, 9);
  EXPECT_FALSE(ctx.SongModified.load());
  EXPECT_EQ(store.GetStepValue(1000, 0, PlaneVol), 100);
  EXPECT_EQ(store.GetStepValue(1, 70, PlanePan), 64);
  EXPECT_EQ(store.GetStepValue(1, 0, 12), 0);
  EXPECT_TRUE(store.IsPatternEmpty(1000));
}

TEST(StepStore, BlockStaysWhenValuesReturnToDefault) {
  TStepStoreContext ctx;
  TStepStore store(&ctx);
  store.SetStepValue(2, 0, 1, PlaneFlags);
  store.SetStepValue(2, 0, 0, PlaneFlags);
  EXPECT_TRUE(store.HasBlock(2));
  store.FreePattern(2);
  EXPECT_FALSE(store.HasBlock(2));
}

TEST(StepStore, SongPatternEmptinessCoversAllChannels) {
  TSong song;
  song.Channels.push_back(std::make_unique<TChannel>(&song));
  song.Channels.push_back(std::make_unique<TChannel>(&song));
  EXPECT_TRUE(song.IsPatternEmpty(4));
  song.Channels[1]->Steps.SetStepOn(4, 3, true);
  EXPECT_FALSE(song.IsPatternEmpty(4));
  EXPECT_TRUE(song.Modified());
  EXPECT_EQ(song.Channels[1]->Index(), 1);
}

TEST(StepStore, SetStepOnTellsTheViews) {
  TStepStoreContext ctx;
  TStepStore store(&ctx);
  std::vector<std::pair<int, int>> calls;
  store.OnStepOnChanged = [&](int pattern, int step) { calls.emplace_back(pattern, step); };
  store.SetStepOn(5, 3, true);
  store.SetStepOn(5, 3, false);
  store.SetStepValue(5, 4, 1, PlaneFlags);  // plain writes do not call it
  store.SetStepOn(5, 64, true);            // out of range: nothing written, no call
  store.SetStepOn(1000, 0, true);
  EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{5, 3}, {5, 3}}));

  struct TRecorder : SongListener {
    std::vector<std::array<int, 3>> Calls;
    void StepOnChanged(int channel, int pattern, int step) override { Calls.push_back({channel, pattern, step}); }
  } rec;
  TSong song;
  song.Channels.push_back(std::make_unique<TChannel>(&song));
  song.Channels.push_back(std::make_unique<TChannel>(&song));
  song.AddListener(&rec);
  song.Channels[1]->Steps.SetStepOn(7, 2, true);
  song.RemoveListener(&rec);
  EXPECT_EQ(rec.Calls, (std::vector<std::array<int, 3>>{{1, 7, 2}}));
}

TEST(StepStore, CopyFromItselfKeepsTheBlocks) {
  TStepStore store;
  store.SetStepValue(9, 1, 77, PlaneVol);
  store.CopyFrom(store);
  EXPECT_EQ(store.GetStepValue(9, 1, PlaneVol), 77);
  TStepStore other;
  other.CopyFrom(store);
  store.SetStepValue(9, 1, 5, PlaneVol);  // deep copy
  EXPECT_EQ(other.GetStepValue(9, 1, PlaneVol), 77);
}
