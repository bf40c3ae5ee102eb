#pragma once
// A timer that calls OnTimer every Interval milliseconds from a thread of its
// own, paced by a steady clock, so that it keeps running while the main
// thread is busy.
//
// One timer has at most one worker thread, made on the first start and kept
// (parked) while the timer is off; stopping, starting and changing the
// interval only tell that worker what to do, so an old worker can never tick
// beside a new one. A stop wakes the worker at once; a tick in progress may
// still finish after Stop returns, but no tick starts after it. Destroying the
// timer waits for the worker to end.

#include <cstdint>
#include <functional>
#include <memory>

#include "toolbox/ThreadPriority.h"

namespace vs {

class TThreadTimer {
public:
  using TTimerEvent = std::function<void(TThreadTimer& sender)>;
  // Runs a call later on the main thread (without waiting for it). The window
  // layer installs one; synchronized ticks go through it.
  using TMainThreadPost = std::function<void(std::function<void()> call)>;

  TThreadTimer();
  ~TThreadTimer();
  TThreadTimer(const TThreadTimer&) = delete;
  TThreadTimer& operator=(const TThreadTimer&) = delete;

  // Period between the starts of two ticks; a tick that takes longer than the
  // period is followed by a pause of 1 ms. Changing it on a running timer
  // restarts the timing: the next tick comes at once.
  void SetInterval(uint32_t ms);
  uint32_t Interval() const;

  void SetEnabled(bool enabled);
  bool Enabled() const;
  void Start() { SetEnabled(true); }
  void Stop() { SetEnabled(false); }

  // Applied by the worker when it (re)starts.
  void SetThreadPriority(TThreadPriority priority);
  TThreadPriority ThreadPriority() const;

  // When set, OnTimer runs on the main thread through the installed poster
  // and the worker waits for it (or for a stop); without a poster the tick
  // runs on the worker.
  void SetSynchronized(bool synchronized);
  bool Synchronized() const;

  void SetOnTimer(TTimerEvent handler);

  static void SetMainThreadPost(TMainThreadPost post);

  // Ticks made so far (for tests and diagnostics).
  uint64_t TickCount() const;

private:
  struct TState;
  static void WorkerLoop(std::shared_ptr<TState> state);
  std::shared_ptr<TState> State;
};

}  // namespace vs
