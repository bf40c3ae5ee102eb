#include "platform/AutoResetEvent.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <ctime>

namespace vs {

namespace {

// Every signal bumps one sequence word; waiters sleep on that word, so one
// futex serves a wait for any number of events. The wake happens only when
// someone waits.
std::atomic<uint32_t> WakeSequence{0};
std::atomic<int> Waiters{0};

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));

void FutexWait(std::atomic<uint32_t>* word, uint32_t expected, const timespec* timeout) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected, timeout,
          nullptr, 0);
}

void FutexWakeAll(std::atomic<uint32_t>* word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr,
          nullptr, 0);
}

}  // namespace

void TAutoResetEvent::Set() {
  State.store(1);
  WakeSequence.fetch_add(1);
  if (Waiters.load() > 0) FutexWakeAll(&WakeSequence);
}

void TAutoResetEvent::Reset() { State.store(0); }

bool TAutoResetEvent::TryWait() { return State.exchange(0) != 0; }

bool TAutoResetEvent::Wait(int timeoutMs) {
  TAutoResetEvent* self = this;
  return WaitForAny(&self, 1, timeoutMs) == 0;
}

int WaitForAny(TAutoResetEvent* const* events, int count, int timeoutMs) {
  if (events == nullptr || count <= 0) return -1;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  Waiters.fetch_add(1);
  int result = -1;
  for (;;) {
    const uint32_t seq = WakeSequence.load();
    for (int i = 0; i < count && result < 0; ++i)
      if (events[i] != nullptr && events[i]->TryWait()) result = i;
    if (result >= 0) break;
    if (timeoutMs < 0) {
      FutexWait(&WakeSequence, seq, nullptr);
    } else {
      const auto left = deadline - Clock::now();
      if (left <= Clock::duration::zero()) break;
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
      FutexWait(&WakeSequence, seq, &ts);
    }
  }
  Waiters.fetch_sub(1);
  return result;
}

}  // namespace vs
