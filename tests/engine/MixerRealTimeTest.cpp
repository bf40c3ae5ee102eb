// The mix path allocates nothing: a busy song (every channel on every step,
// echo repeats, filters, loops, stretches, pitches, random choices, mix
// targets, cut groups, all four buses, synthesizer channels, song mode, the
// echo line and the master filter) is mixed under a counting allocator.

#include <gtest/gtest.h>

#include <vector>

#include "AllocCounter.h"
#include "MixTestSong.h"
#include "model/MixerLock.h"
#include "engine/MixWorkers.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"

namespace vs {
namespace {

using testing::AllocCounter;
using testing::BusyChannels;
using testing::FillBusySong;
using testing::StartBusySong;
using testing::TestSong;

TEST(MixerRealTimeTest, CountingAllocatorSeesItsOwnAllocations) {
  volatile int size = 100;
  AllocCounter counter;
  std::vector<int> v(size);
  std::vector<int> w(size + 1);
  v[0] = w[1] = 5;
  EXPECT_EQ(counter.Count(), 2);
  EXPECT_EQ(v[0], w[1]);
}

// Mixes 30 blocks of the busy song, each under a counter; the looped voices
// are stopped half-way. Returns the allocations seen.
long MixBusySongCounting(TMixer& m, TestSong& t, AllocCounter::Scope scope) {
  StartBusySong(m, t);
  std::vector<int16_t> out(size_t(m.BlockFrames) * 2);
  long allocations = 0;
  int most = 0;
  int bars = 0;
  for (int block = 0; block < 30; ++block) {
    const int bar = m.MixBar;
    {
      AllocCounter counter(scope);
      m.MixBlock();
      m.FloatToInt16(out.data(), int64_t(m.BlockFrames) * 4);
      allocations += counter.Count();
    }
    most = std::max(most, m.VoiceCount);
    bars += m.MixBar != bar;
    if (block == 15) m.StopLoopedVoices();
  }
  EXPECT_GT(most, 490);  // the pool was (nearly) full
  EXPECT_GT(bars, 4);    // bars changed inside the measured blocks
  for (int c = 0; c < 2; ++c) EXPECT_EQ(t.Chan(BusyChannels + c).Synth->StepLength, m.FramesPerStep);  // rendered
  return allocations;
}

TEST(MixerRealTimeTest, BusySongMixesWithoutAllocating) {
  TestSong t(999);
  FillBusySong(t);
  ASSERT_EQ(t.Song->MB404Channels.size(), 2u);
  MixerGuard lock;
  auto mixer = std::make_unique<TMixer>();
  EXPECT_EQ(MixBusySongCounting(*mixer, t, AllocCounter::ThisThread), 0);
}

TEST(MixerRealTimeTest, WorkerThreadsMixWithoutAllocating) {
  // Without filters more voices go through the tiled pieces.
  for (bool filters : {true, false}) {
    TestSong t(999);
    FillBusySong(t, filters);
    TMixWorkers workers(4);
    workers.Hold();
    {
      MixerGuard lock;
      auto mixer = std::make_unique<TMixer>();
      mixer->SetMixLanes(RenderMixLanes, &workers);
      EXPECT_EQ(MixBusySongCounting(*mixer, t, AllocCounter::AllThreads), 0) << "filters " << filters;
      EXPECT_GT(mixer->LaneBlocks, 20);
    }
    workers.Release();
  }
}

}  // namespace
}  // namespace vs
