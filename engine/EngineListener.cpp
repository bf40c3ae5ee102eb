#include "engine/EngineListener.h"

namespace vs {

namespace {
std::atomic<TEngineListener*> Listener{nullptr};
}

std::atomic<bool> StepPositionArmed{true};
std::array<std::atomic<bool>, AsyncUpdateKinds> AsyncUpdateArmed{true, true, true, true};

void SetEngineListener(TEngineListener* listener) {
  Listener.store(listener);
  ArmEnginePosts();
}
TEngineListener* EngineListener() { return Listener.load(); }

void PostStepPosition() {
  if (!StepPositionArmed.exchange(false)) return;
  if (TEngineListener* l = Listener.load()) l->StepPosition();
}

void PostAsyncUpdate(int kind, int64_t value) {
  if (kind < 0 || kind >= AsyncUpdateKinds) return;
  if (!AsyncUpdateArmed[kind].exchange(false)) return;
  if (TEngineListener* l = Listener.load()) l->AsyncUpdate(kind, value);
}

void StepPositionHandled() { StepPositionArmed.store(true); }

void AsyncUpdateHandled(int kind) {
  if (kind >= 0 && kind < AsyncUpdateKinds) AsyncUpdateArmed[kind].store(true);
}

void ArmEnginePosts() {
  StepPositionArmed.store(true);
  for (auto& f : AsyncUpdateArmed) f.store(true);
}

}  // namespace vs
