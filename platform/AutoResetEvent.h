#pragma once
// Auto-reset events: an event stays signalled until one wait takes it, which
// resets it. Signalling never blocks (an atomic store and, when a thread
// waits, one futex wake), so the audio device's callback may signal freely.
//
// A signal wakes only the threads that wait on that event's wake word: an
// event has a word of its own, or shares one given at construction with the
// other events one thread waits for together. A wait for events of different
// words falls back to a word all signals bump while such a wait runs.

#include <atomic>
#include <cstdint>

namespace vs {

// The futex word a thread sleeps on while it waits for its events.
struct TWakeWord {
  std::atomic<uint32_t> Sequence{0};
  std::atomic<int> Waiters{0};
};

class TAutoResetEvent {
public:
  constexpr TAutoResetEvent() : Word(&OwnWord) {}
  // Wakes the waiters of word, which outlives the event.
  constexpr explicit TAutoResetEvent(TWakeWord& word) : Word(&word) {}
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
  friend int WaitForAny(TAutoResetEvent* const* events, int count, int timeoutMs);
  std::atomic<uint32_t> State{0};
  TWakeWord OwnWord;
  TWakeWord* const Word;
};

// Waits until one of the events is signalled and takes that signal. Returns
// the index of the first signalled event in the list, or -1 when the
// time-out passed (timeoutMs < 0: no time-out) or the list is empty.
int WaitForAny(TAutoResetEvent* const* events, int count, int timeoutMs = -1);

}  // namespace vs
