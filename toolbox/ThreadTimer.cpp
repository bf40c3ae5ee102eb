#include "toolbox/ThreadTimer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "toolbox/ThreadStart.h"

namespace vs {

using Clock = std::chrono::steady_clock;

namespace {
std::mutex PostLock;
TThreadTimer::TMainThreadPost MainThreadPost;  // guarded by PostLock
}  // namespace

struct TThreadTimer::TState {
  std::mutex Lock;
  std::condition_variable Wake;
  TThreadTimer* Owner = nullptr;  // null once the timer is being destroyed
  std::thread Worker;
  uint32_t Interval = 0;
  TThreadPriority Priority = TThreadPriority::Normal;
  bool Enabled = false;
  bool Synchronized = false;
  bool Quit = false;
  // Raised by every (re)start; the worker then ticks at once and applies the
  // priority. A posted synchronized tick of an older generation is dropped.
  bool Restart = false;
  uint64_t Generation = 0;
  uint64_t SyncPosted = 0, SyncDone = 0;
  uint64_t Ticks = 0;
  TTimerEvent OnTimer;
};

TThreadTimer::TThreadTimer() : State(std::make_shared<TState>()) { State->Owner = this; }

TThreadTimer::~TThreadTimer() {
  std::thread worker;
  {
    std::lock_guard<std::mutex> g(State->Lock);
    State->Quit = true;
    State->Enabled = false;
    State->Owner = nullptr;
    worker = std::move(State->Worker);
  }
  State->Wake.notify_all();
  if (worker.joinable()) {
    // A handler that destroys its own timer can't wait for itself; the
    // worker then ends as soon as the handler returns.
    if (worker.get_id() == std::this_thread::get_id()) worker.detach();
    else worker.join();
  }
}

void TThreadTimer::SetInterval(uint32_t ms) {
  {
    std::lock_guard<std::mutex> g(State->Lock);
    State->Interval = ms;
    if (!State->Enabled) return;
    State->Restart = true;
    ++State->Generation;
    State->Wake.notify_all();
  }
}

uint32_t TThreadTimer::Interval() const {
  std::lock_guard<std::mutex> g(State->Lock);
  return State->Interval;
}

void TThreadTimer::SetEnabled(bool enabled) {
  {
    std::lock_guard<std::mutex> g(State->Lock);
    if (State->Quit || State->Enabled == enabled) return;
    State->Enabled = enabled;
    ++State->Generation;
    if (enabled) {
      State->Restart = true;
      if (!State->Worker.joinable()) {
        try {
          State->Worker = StartThread([state = State] { WorkerLoop(state); });
        } catch (const std::system_error&) {
          State->Enabled = false;  // no thread to be had: the timer stays off
          return;
        }
      }
    }
    // Notified under the lock: once it is released this object may already
    // be gone (a handler may destroy its own timer).
    State->Wake.notify_all();
  }
}

bool TThreadTimer::Enabled() const {
  std::lock_guard<std::mutex> g(State->Lock);
  return State->Enabled;
}

void TThreadTimer::SetThreadPriority(TThreadPriority priority) {
  std::lock_guard<std::mutex> g(State->Lock);
  State->Priority = priority;
}

TThreadPriority TThreadTimer::ThreadPriority() const {
  std::lock_guard<std::mutex> g(State->Lock);
  return State->Priority;
}

void TThreadTimer::SetSynchronized(bool synchronized) {
  std::lock_guard<std::mutex> g(State->Lock);
  State->Synchronized = synchronized;
}

bool TThreadTimer::Synchronized() const {
  std::lock_guard<std::mutex> g(State->Lock);
  return State->Synchronized;
}

void TThreadTimer::SetOnTimer(TTimerEvent handler) {
  std::lock_guard<std::mutex> g(State->Lock);
  State->OnTimer = std::move(handler);
}

void TThreadTimer::SetMainThreadPost(TMainThreadPost post) {
  std::lock_guard<std::mutex> g(PostLock);
  MainThreadPost = std::move(post);
}

uint64_t TThreadTimer::TickCount() const {
  std::lock_guard<std::mutex> g(State->Lock);
  return State->Ticks;
}

void TThreadTimer::WorkerLoop(std::shared_ptr<TState> s) {
  std::unique_lock<std::mutex> lock(s->Lock);
  TThreadPriority applied = TThreadPriority::Normal;
  while (!s->Quit) {
    if (!s->Enabled) {
      s->Wake.wait(lock, [&] { return s->Quit || s->Enabled; });
      continue;
    }
    if (s->Restart) {
      s->Restart = false;
      if (s->Priority != applied) {
        applied = s->Priority;
        lock.unlock();
        SetCurrentThreadPriority(applied);
        lock.lock();
        continue;  // the state may have changed meanwhile
      }
    }

    const Clock::time_point t0 = Clock::now();
    const uint64_t generation = s->Generation;
    TMainThreadPost post;
    if (s->Synchronized) {
      std::lock_guard<std::mutex> g(PostLock);
      post = MainThreadPost;
    }
    if (post) {
      // The main thread runs the tick; the worker waits for it, or for a
      // stop, a restart or the timer's end.
      const uint64_t seq = ++s->SyncPosted;
      lock.unlock();
      post([s, seq, generation] {
        std::unique_lock<std::mutex> l(s->Lock);
        if (!s->Quit && s->Owner && s->Enabled && s->Generation == generation && s->OnTimer) {
          TTimerEvent handler = s->OnTimer;
          TThreadTimer* owner = s->Owner;
          ++s->Ticks;
          l.unlock();
          handler(*owner);
          l.lock();
        }
        if (s->SyncDone < seq) s->SyncDone = seq;
        l.unlock();
        s->Wake.notify_all();
      });
      lock.lock();
      s->Wake.wait(lock, [&] { return s->Quit || s->SyncDone >= seq || s->Generation != generation; });
    } else if (s->OnTimer && s->Owner) {
      TTimerEvent handler = s->OnTimer;
      TThreadTimer* owner = s->Owner;
      ++s->Ticks;
      lock.unlock();
      handler(*owner);
      lock.lock();
    }
    if (s->Quit) break;
    if (s->Generation != generation) continue;  // stopped or restarted

    const auto elapsed = Clock::now() - t0;
    auto pause = std::chrono::milliseconds(s->Interval) - elapsed;
    if (pause < std::chrono::milliseconds(1)) pause = std::chrono::milliseconds(1);
    const Clock::time_point deadline = Clock::now() + pause;
    s->Wake.wait_until(lock, deadline, [&] { return s->Quit || s->Generation != generation; });
  }
}

}  // namespace vs
