// A raised priority for a while: threads started meanwhile begin at it, the
// raising thread is itself again afterwards.

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

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

}  // namespace
}  // namespace vs
