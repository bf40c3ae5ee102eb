#pragma once
// Auto-reset events: an event stays signalled until one wait takes it, which
// resets it. Signalling never blocks (an atomic store and, when a thread
// waits, one futex wake), so the audio device's callback may signal freely.

#include <atomic>
#include <cstdint>

namespace vs {

class TAutoResetEvent {
public:
  TAutoResetEvent() = default;
  TAutoResetEvent(const TAutoResetEvent&) = delete;
  TAutoResetEvent& operator=(const TAutoResetEvent&) = delete;

  // Signals the event; a waiting thread wakes and resets it.
  void Set();
  // Resets the event without waiting.
  void Reset();
  // Takes the signal when set; never waits.
  bool TryWait();
  // Waits for the signal (timeoutMs < 0: without time-out); true when taken.
  bool Wait(int timeoutMs = -1);
  bool IsSet() const { return State.load() != 0; }

private:
  std::atomic<uint32_t> State{0};
};

// Waits until one of the events is signalled and takes that signal. Returns
// the index of the first signalled event in the list, or -1 when the
// time-out passed (timeoutMs < 0: no time-out) or the list is empty.
int WaitForAny(TAutoResetEvent* const* events, int count, int timeoutMs = -1);

}  // namespace vs
