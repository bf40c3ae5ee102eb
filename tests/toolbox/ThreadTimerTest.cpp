#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "toolbox/ThreadTimer.h"

using namespace vs;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Waits (bounded) until pred holds.
template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = 5000ms) {
  auto end = Clock::now() + limit;
  while (!pred()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

struct TTickLog {
  std::mutex Lock;
  std::vector<Clock::time_point> Starts;
  std::set<std::thread::id> Threads;
  std::atomic<int> Inside{0}, MaxInside{0}, Count{0};

  void Tick() {
    int now = ++Inside;
    int m = MaxInside.load();
    while (now > m && !MaxInside.compare_exchange_weak(m, now)) {}
    {
      std::lock_guard<std::mutex> g(Lock);
      Starts.push_back(Clock::now());
      Threads.insert(std::this_thread::get_id());
    }
    ++Count;
    --Inside;
  }
};

}  // namespace

TEST(ThreadTimer, DefaultsAndNoThreadUntilStarted) {
  TThreadTimer t;
  EXPECT_EQ(t.Interval(), 0u);
  EXPECT_FALSE(t.Enabled());
  EXPECT_FALSE(t.Synchronized());
  EXPECT_EQ(t.ThreadPriority(), TThreadPriority::Normal);
  EXPECT_EQ(t.TickCount(), 0u);
}

TEST(ThreadTimer, IntervalZeroStillPausesOneMillisecond) {
  TTickLog log;
  TThreadTimer t;
  t.SetOnTimer([&](TThreadTimer& sender) {
    EXPECT_EQ(&sender, &t);
    log.Tick();
  });
  t.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Count >= 20; }));
  t.Stop();
  std::lock_guard<std::mutex> g(log.Lock);
  for (size_t i = 1; i < log.Starts.size(); ++i)
    EXPECT_GE(log.Starts[i] - log.Starts[i - 1], 1ms) << i;
}

TEST(ThreadTimer, SlowTickIsFollowedByOneMillisecondPause) {
  TTickLog log;
  TThreadTimer t;
  t.SetInterval(1);
  t.SetOnTimer([&](TThreadTimer&) {
    log.Tick();
    std::this_thread::sleep_for(3ms);  // longer than the interval
  });
  t.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Count >= 5; }));
  t.Stop();
  std::lock_guard<std::mutex> g(log.Lock);
  for (size_t i = 1; i < log.Starts.size(); ++i)
    EXPECT_GE(log.Starts[i] - log.Starts[i - 1], 4ms) << i;
}

TEST(ThreadTimer, NoTickStartsAfterStopReturns) {
  TTickLog log;
  TThreadTimer t;
  t.SetInterval(2);
  t.SetOnTimer([&](TThreadTimer&) { log.Tick(); });
  t.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Count >= 3; }));
  t.Stop();
  EXPECT_FALSE(t.Enabled());
  // A tick already inside the handler may finish; none may begin.
  ASSERT_TRUE(WaitFor([&] { return log.Inside == 0; }));
  int after = log.Count;
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(log.Count.load(), after);
}

TEST(ThreadTimer, RestartsAndIntervalChangesKeepOneWorker) {
  TTickLog log;
  TThreadTimer t;
  t.SetInterval(1);
  t.SetOnTimer([&](TThreadTimer&) {
    log.Tick();
    std::this_thread::sleep_for(200us);
  });
  for (int i = 0; i < 200; ++i) {
    t.Start();
    if (i % 3 == 0) t.SetInterval(1 + i % 4);  // also restarts a running timer
    t.Stop();
    t.Start();
  }
  ASSERT_TRUE(WaitFor([&] { return log.Count >= 10; }));
  t.Stop();
  EXPECT_EQ(log.MaxInside.load(), 1);
  std::lock_guard<std::mutex> g(log.Lock);
  EXPECT_EQ(log.Threads.size(), 1u);
}

TEST(ThreadTimer, IntervalChangeOnARunningTimerTicksAtOnce) {
  std::atomic<int> count{0};
  TThreadTimer t;
  t.SetInterval(60000);
  t.SetOnTimer([&](TThreadTimer&) { ++count; });
  t.Start();
  ASSERT_TRUE(WaitFor([&] { return count == 1; }));  // a start ticks at once
  t.SetInterval(60000);                                // same value: restarts
  ASSERT_TRUE(WaitFor([&] { return count == 2; }));
}

TEST(ThreadTimer, StopAndDestructionDoNotWaitOutALongInterval) {
  std::atomic<int> count{0};
  auto begin = Clock::now();
  {
    TThreadTimer t;
    t.SetInterval(60000);
    t.SetOnTimer([&](TThreadTimer&) { ++count; });
    t.Start();
    ASSERT_TRUE(WaitFor([&] { return count == 1; }));
    t.Stop();
    t.Start();  // ticks again at once, the old pause is abandoned
    ASSERT_TRUE(WaitFor([&] { return count == 2; }));
  }  // destroyed while its worker waits for the next minute
  EXPECT_LT(Clock::now() - begin, 10s);
}

TEST(ThreadTimer, DestructionWaitsForTheTickInProgress) {
  std::atomic<bool> inside{false}, finished{false};
  {
    TThreadTimer t;
    t.SetOnTimer([&](TThreadTimer&) {
      if (finished) return;
      inside = true;
      std::this_thread::sleep_for(50ms);
      finished = true;
    });
    t.Start();
    ASSERT_TRUE(WaitFor([&] { return inside.load(); }));
  }
  EXPECT_TRUE(finished.load());
}

TEST(ThreadTimer, HandlerMayStopOrDestroyItsOwnTimer) {
  std::atomic<int> count{0};
  TThreadTimer t;
  t.SetOnTimer([&](TThreadTimer& sender) {
    ++count;
    sender.Stop();
  });
  t.Start();
  ASSERT_TRUE(WaitFor([&] { return count == 1; }));
  std::this_thread::sleep_for(10ms);
  EXPECT_EQ(count.load(), 1);
  EXPECT_FALSE(t.Enabled());

  std::atomic<bool> gone{false};
  auto* own = new TThreadTimer;
  own->SetOnTimer([&](TThreadTimer& sender) {
    delete &sender;
    gone = true;
  });
  own->Start();
  ASSERT_TRUE(WaitFor([&] { return gone.load(); }));
}

TEST(ThreadTimer, SynchronizedTicksRunOnTheMainThread) {
  std::mutex qLock;
  std::deque<std::function<void()>> queue;
  TThreadTimer::SetMainThreadPost([&](std::function<void()> call) {
    std::lock_guard<std::mutex> g(qLock);
    queue.push_back(std::move(call));
  });
  auto pump = [&] {
    std::deque<std::function<void()>> calls;
    {
      std::lock_guard<std::mutex> g(qLock);
      calls.swap(queue);
    }
    for (auto& c : calls) c();
  };
  const auto mainId = std::this_thread::get_id();
  std::atomic<int> count{0}, offMain{0};
  {
    TThreadTimer t;
    t.SetInterval(1);
    t.SetSynchronized(true);
    t.SetOnTimer([&](TThreadTimer&) {
      ++count;
      if (std::this_thread::get_id() != mainId) ++offMain;
    });
    t.Start();
    ASSERT_TRUE(WaitFor([&] {
      pump();
      return count >= 5;
    }));
    // A posted tick that the main thread reaches only after the stop is
    // dropped.
    ASSERT_TRUE(WaitFor([&] {
      std::lock_guard<std::mutex> g(qLock);
      return !queue.empty();
    }));
    t.Stop();
    int before = count;
    pump();
    EXPECT_EQ(count.load(), before);
    t.Start();
    ASSERT_TRUE(WaitFor([&] {
      std::lock_guard<std::mutex> g(qLock);
      return !queue.empty();
    }));
  }  // destroyed with a tick still posted
  int before = count;
  pump();  // must not touch the destroyed timer
  EXPECT_EQ(count.load(), before);
  EXPECT_EQ(offMain.load(), 0);
  TThreadTimer::SetMainThreadPost(nullptr);
}

TEST(ThreadTimer, PriorityIsBestEffort) {
  std::atomic<int> count{0};
  TThreadTimer t;
  t.SetThreadPriority(TThreadPriority::Highest);
  t.SetOnTimer([&](TThreadTimer&) { ++count; });
  t.Start();
  ASSERT_TRUE(WaitFor([&] { return count >= 2; }));  // runs whether or not it was granted
  EXPECT_EQ(t.ThreadPriority(), TThreadPriority::Highest);
}
