// Voices mixed in lanes on worker threads: the same voices live and end as
// in the one-lane mix, in the same pool order; the sound differs by at most
// one step of 16 bits; and it does not depend on how many threads ran the
// lanes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

#include "MixTestSong.h"
#include "model/MixerLock.h"
#include "engine/MixWorkers.h"
#include "engine/RenderWAV.h"

namespace vs {
namespace {

struct TMixRun {
  std::vector<int16_t> Out;
  // Per block, each voice of the pool in order.
  std::vector<std::vector<std::tuple<int64_t, int64_t, int64_t, int32_t, int32_t>>> Pools;
  int64_t LaneBlocks = 0;
};

TMixRun MixBusy(bool filters, TMixWorkers* workers) {
  testing::TestSong t;
  testing::FillBusySong(t, filters);
  t.Song->MasterVolume = 16;  // no clipping to hide differences
  TMixRun run;
  if (workers) workers->Hold();
  {
    MixerGuard lock;
    auto m = std::make_unique<TMixer>();
    testing::StartBusySong(*m, t);
    if (workers) m->SetMixLanes(RenderMixLanes, workers);
    for (int block = 0; block < 24; ++block) {
      const std::vector<int16_t> out = testing::MixFrames(*m, 1);
      run.Out.insert(run.Out.end(), out.begin(), out.end());
      auto& pool = run.Pools.emplace_back();
      for (int i = 0; i < m->VoiceCount; ++i) {
        const TMixChan& v = m->Voices[i];
        pool.emplace_back(v.Start, v.Offset, v.EndPos, v.Stretched, v.Releasing);
      }
      if (block == 11) m->StopLoopedVoices();
    }
    run.LaneBlocks = m->LaneBlocks;
  }
  if (workers) workers->Release();
  return run;
}

TEST(MixLanes, LanesKeepThePoolAndStayWithinOneStepOfTheOneLaneMix) {
  TMixWorkers eight(8), one(1);
  for (bool filters : {true, false}) {
    const TMixRun single = MixBusy(filters, nullptr);
    const TMixRun lanes = MixBusy(filters, &eight);
    EXPECT_EQ(single.LaneBlocks, 0);
    EXPECT_GT(lanes.LaneBlocks, 18);
    EXPECT_TRUE(lanes.Pools == single.Pools);
    ASSERT_EQ(lanes.Out.size(), single.Out.size());
    int most = 0;
    size_t differ = 0, loud = 0;
    for (size_t i = 0; i < single.Out.size(); ++i) {
      most = std::max(most, std::abs(lanes.Out[i] - single.Out[i]));
      differ += lanes.Out[i] != single.Out[i];
      loud += std::abs(single.Out[i]) > 1000;
    }
    EXPECT_LE(most, 1) << "filters " << filters;
    EXPECT_GT(loud, single.Out.size() / 4);
    EXPECT_LT(differ, single.Out.size() / 100);
    // One thread running every lane gives the same sound as eight.
    EXPECT_TRUE(MixBusy(filters, &one).Out == lanes.Out);
  }
}

}  // namespace
}  // namespace vs
