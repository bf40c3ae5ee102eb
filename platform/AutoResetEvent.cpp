#include "platform/AutoResetEvent.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <ctime>

namespace vs {

namespace {

// Every signal bumps its event's word; a waiter sleeps on the word its
// events share, so one futex serves a wait for any number of them. Waits for
// events of different words sleep on this one, which every signal bumps
// while such a wait runs. The wake happens only when someone waits.
TWakeWord MixedWord;

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t));

void FutexWait(std::atomic<uint32_t>* word, uint32_t expected, const timespec* timeout) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected, timeout,
          nullptr, 0);
}

void FutexWakeAll(std::atomic<uint32_t>* word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr,
          nullptr, 0);
}

void Bump(TWakeWord& word) {
  word.Sequence.fetch_add(1);
  if (word.Waiters.load() > 0) FutexWakeAll(&word.Sequence);
}

}  // namespace

void TAutoResetEvent::Set() {
  State.store(1);
  Bump(*Word);
  if (MixedWord.Waiters.load() > 0) Bump(MixedWord);
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
  TWakeWord* word = nullptr;
  for (int i = 0; i < count; ++i) {
    if (events[i] == nullptr) continue;
    if (word == nullptr) word = events[i]->Word;
    if (events[i]->Word != word) word = &MixedWord;
  }
  if (word == nullptr) word = &MixedWord;
  word->Waiters.fetch_add(1);
  int result = -1;
  for (;;) {
    const uint32_t seq = word->Sequence.load();
    for (int i = 0; i < count && result < 0; ++i)
      if (events[i] != nullptr && events[i]->TryWait()) result = i;
    if (result >= 0) break;
    if (timeoutMs < 0) {
      FutexWait(&word->Sequence, seq, nullptr);
    } else {
      const auto left = deadline - Clock::now();
      if (left <= Clock::duration::zero()) break;
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
      FutexWait(&word->Sequence, seq, &ts);
    }
  }
  word->Waiters.fetch_sub(1);
  return result;
}

}  // namespace vs
