// A raised priority for a while: threads started meanwhile begin at it, the
// raising thread is itself again afterwards.

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "toolbox/ThreadPriority.h"

namespace vs {
namespace {

int Policy() {
  int policy = -1;
  sched_param sp{};
  pthread_getschedparam(pthread_self(), &policy, &sp);
  return policy;
}

TEST(ThreadPriorityScope, ThreadsStartedWhileRaisedBeginRaisedAndTheRaiserComesBack) {
  int started = -1;
  std::thread([&] {
    const int before = Policy();
    {
      TThreadPriorityScope raised(TThreadPriority::Highest);
      if (Policy() != SCHED_FIFO) return;  // no real-time rights here
      std::thread([&] { started = Policy(); }).join();
    }
    EXPECT_EQ(Policy(), before);
  }).join();
  if (started == -1) GTEST_SKIP() << "This machine gives no real-time priority to the tests.";
  EXPECT_EQ(started, SCHED_FIFO);
}

// The calling thread's priority as the scheduler uses it now: below zero
// for a real-time one.
int EffectivePriority() {
  std::ifstream in("/proc/thread-self/stat");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 18 && fields >> field;) ++i;  // field 18: priority
  return field.empty() ? 0 : std::stoi(field);
}

TEST(InheritingMutex, AnOrdinaryHolderRunsAtTheSoundThreadsPriorityWhileItWaitsAndAgainHoldsRecursively) {
  TInheritingMutex lock(true);
  lock.lock();
  lock.lock();  // recursive: the same thread again
  const int before = EffectivePriority();
  std::atomic<int> state{0};  // 1: waiting, 2: holds it, -1: no real-time rights
  std::thread sound([&] {
    if (!SetCurrentThreadPriority(TThreadPriority::Higher) || Policy() != SCHED_FIFO) {
      state = -1;
      return;
    }
    state = 1;
    lock.lock();
    state = 2;
    lock.unlock();
  });
  while (state == 0) std::this_thread::yield();
  int raised = before;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (state == 1 && raised >= 0 && std::chrono::steady_clock::now() < until) raised = EffectivePriority();
  lock.unlock();
  EXPECT_NE(state.load(), 2);  // still held once
  lock.unlock();
  sound.join();
  if (state == -1) GTEST_SKIP() << "This machine gives no real-time priority to the tests.";
  EXPECT_EQ(state.load(), 2);
  EXPECT_GE(before, 0);
  EXPECT_LT(raised, 0);
  EXPECT_EQ(EffectivePriority(), before);
}

}  // namespace
}  // namespace vs
