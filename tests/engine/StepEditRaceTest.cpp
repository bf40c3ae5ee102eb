// The window thread edits steps while the mixer plays them: single step
// values are written without MixerLock, as the step planes have always been
// edited. Under ThreadSanitizer (scripts/test-tsan.sh) this fails at once
// if a step byte is read or written as a plain byte.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "MixTestSong.h"
#include "model/MixerLock.h"
#include "engine/Mixer.h"

namespace vs {
namespace {

using testing::ConstantFrames;
using testing::StartPattern;
using testing::TestSong;

TEST(StepEditRace, StepsEditedWhileTheMixerPlaysThem) {
  TestSong t(999);
  for (int c = 0; c < 4; ++c) t.AddChannel(ConstantFrames(300, 1000, -1000));
  for (int s = 0; s < 16; s += 2) t.SetStep(0, 1, s);
  TMixer mixer;
  {
    MixerGuard lock;
    StartPattern(mixer, *t.Song, 1, 256);
  }
  std::atomic<bool> done{false};
  std::atomic<int> blocks{0};
  std::thread mixing([&] {
    while (!done.load()) {
      MixerGuard lock;
      mixer.MixBlock();
      blocks.fetch_add(1);
    }
  });
  while (blocks.load() == 0) std::this_thread::yield();
  // What a click, a drag and a wheel on the rack do: on, off, values, on
  // channels and steps the mixer is reading, and a pattern that has no
  // block yet (made on the first write); edited while at least 50 blocks
  // are mixed.
  const int start = blocks.load();
  int round = 0;
  for (; round < 2000 || blocks.load() < start + 50; ++round) {
    TStepStore& steps = t.Chan(round % 4).Steps;
    const int step = round % 16;
    steps.SetStepOn(1, step, round % 3 != 0);
    steps.SetStepValue(1, step, uint8_t(round % 128), PlaneVol);
    steps.SetStepValue(1, step, uint8_t((round * 7) % 128), PlanePan);
    steps.SetStepValue(2 + round % 5, step, uint8_t(round % 100), PlanePitch);
  }
  done.store(true);
  mixing.join();
  // The last writes are what the store holds.
  const int last = round - 1;
  EXPECT_EQ(t.Chan(last % 4).Steps.GetStepValue(1, last % 16, PlaneVol), last % 128);
  EXPECT_EQ(t.Chan(last % 4).Steps.IsStepOn(1, last % 16), last % 3 != 0 ? 1 : 0);
}

}  // namespace
}  // namespace vs
