#pragma once
// Closing a driver (a sound stream, a MIDI client) without ever hanging the
// program. A sound server that stops running our callbacks, or that was
// stopped outright, can keep a close call waiting forever; the program must
// go on all the same.
//
// TCallbackGate: the driver's callbacks reach their owner through the gate;
// Detach cuts them off and waits for a call in progress (callbacks never
// block, so that is short), after which the owner may go. The gate itself
// belongs to the driver and lives as long as the driver may call it.
//
// RunWithin runs the close on a thread of its own and waits for it at most
// the bound; a close that does not end in time finishes (and frees what it
// owns) whenever the driver lets it, or never, while the program goes on.
// When the system refuses the thread (a thread or memory limit) the call
// runs on the calling thread instead, without the bound.

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace vs {

// How long a close or a question may take before the program goes on
// without it.
constexpr std::chrono::milliseconds DriverCloseBound{2000};

template <class TOwner>
class TCallbackGate {
public:
  explicit TCallbackGate(TOwner* owner) : Owner(owner) {}
  TCallbackGate(const TCallbackGate&) = delete;
  TCallbackGate& operator=(const TCallbackGate&) = delete;

  // Calls f(owner) while the owner is there; false (f not called) after
  // Detach. Any thread; never blocks.
  template <class F>
  bool Call(F&& f) {
    InCall.fetch_add(1);
    TOwner* owner = Owner.load();
    if (owner != nullptr) f(*owner);
    InCall.fetch_sub(1);
    return owner != nullptr;
  }
  // From now on no call reaches the owner; returns once a call in progress
  // has ended.
  void Detach() {
    Owner.store(nullptr);
    while (InCall.load() != 0) std::this_thread::yield();
  }

private:
  std::atomic<TOwner*> Owner;
  std::atomic<int> InCall{0};
};

// Runs call and returns true when it ended within the bound; false when it
// was left running.
bool RunWithin(std::function<void()> call, std::chrono::milliseconds bound = DriverCloseBound);

}  // namespace vs
