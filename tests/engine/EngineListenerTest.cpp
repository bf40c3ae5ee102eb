// Replacing the engine's listener waits for a call to the old one that is
// under way on another thread, so that the old one may be freed at once
// (the step timer's last tick may still be running when it is stopped).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "engine/EngineListener.h"

namespace vs {
namespace {

struct TSlowListener : TEngineListener {
  std::atomic<bool> Entered{false}, Left{false};
  void StepPosition() override {
    Entered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Left = true;
  }
  // Replaces itself from inside a call: that call is not waited for.
  void AsyncUpdate(int, int64_t) override { SetEngineListener(nullptr); }
};

TEST(EngineListener, ReplacingItWaitsForACallUnderWayOnAnotherThread) {
  auto slow = std::make_unique<TSlowListener>();
  SetEngineListener(slow.get());
  std::thread timer([] { PostStepPosition(); });
  while (!slow->Entered) std::this_thread::yield();
  SetEngineListener(nullptr);
  EXPECT_TRUE(slow->Left);
  timer.join();

  SetEngineListener(slow.get());
  PostAsyncUpdate(AsyncScope, 0);
  EXPECT_EQ(EngineListener(), nullptr);
  slow.reset();
  PostStepPosition();  // no listener: dropped
}

}  // namespace
}  // namespace vs
