#include "engine/EngineListener.h"

#include <algorithm>
#include <thread>

namespace vs {

namespace {
std::atomic<TEngineListener*> Listener{nullptr};
}

std::atomic<bool> StepPositionArmed{true};
std::array<std::atomic<bool>, AsyncUpdateKinds> AsyncUpdateArmed{true, true, true, true};

namespace {
std::array<std::atomic<bool>, AsyncUpdateKinds> AsyncUpdateHeld{false, false, false, false};
std::array<TAutoResetEvent, AsyncUpdateKinds> ReleaseEvents;
}

namespace {
// Calls to the listener under way, in all threads and in this one.
std::atomic<int> ListenerCalls{0};
thread_local int OwnListenerCalls = 0;
}  // namespace

TEngineListenerCall::TEngineListenerCall() {
  ListenerCalls.fetch_add(1);
  ++OwnListenerCalls;
}

TEngineListenerCall::~TEngineListenerCall() {
  --OwnListenerCalls;
  ListenerCalls.fetch_sub(1);
}

void SetEngineListener(TEngineListener* listener) {
  Listener.store(listener);
  // A call that read the old listener before the store ends with it; one
  // counted after the store reads the new one. The calls are a few atomic
  // stores each.
  while (ListenerCalls.load() != OwnListenerCalls) std::this_thread::yield();
  ArmEnginePosts();
}
TEngineListener* EngineListener() { return Listener.load(); }

void PostStepPosition() {
  if (!StepPositionArmed.exchange(false)) return;
  CallEngineListener([](TEngineListener& l) { l.StepPosition(); });
}

void PostAsyncUpdate(int kind, int64_t value) {
  if (kind < 0 || kind >= AsyncUpdateKinds) return;
  if (!AsyncUpdateArmed[kind].exchange(false)) return;
  CallEngineListener([&](TEngineListener& l) { l.AsyncUpdate(kind, value); });
}

void StepPositionHandled() { StepPositionArmed.store(true); }

void AsyncUpdateHandled(int kind) {
  if (kind >= 0 && kind < AsyncUpdateKinds && !AsyncUpdateHeld[kind].load()) AsyncUpdateArmed[kind].store(true);
}

void HoldAsyncUpdates(int kind) {
  if (kind >= 0 && kind < AsyncUpdateKinds) AsyncUpdateHeld[kind].store(true);
}

void ReleaseAsyncUpdates(int kind) {
  if (kind < 0 || kind >= AsyncUpdateKinds || !AsyncUpdateHeld[kind].exchange(false)) return;
  AsyncUpdateArmed[kind].store(true);
  ReleaseEvents[size_t(kind)].Set();
}

bool AsyncUpdatesHeld(int kind) { return kind >= 0 && kind < AsyncUpdateKinds && AsyncUpdateHeld[kind].load(); }

TAutoResetEvent& AsyncUpdatesReleased(int kind) {
  return ReleaseEvents[size_t(std::clamp(kind, 0, AsyncUpdateKinds - 1))];
}

void ArmEnginePosts() {
  StepPositionArmed.store(true);
  for (auto& f : AsyncUpdateHeld) f.store(false);
  for (auto& f : AsyncUpdateArmed) f.store(true);
  for (auto& e : ReleaseEvents) e.Set();
}

}  // namespace vs
