#include "model/MixerLock.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vs {

namespace {
thread_local int HeldDepth = 0;
thread_local std::vector<std::function<void()>> AfterUnlock;
std::atomic<void (*)()> UnlockHook{nullptr};
thread_local bool HookOwner = false;
}  // namespace

void SetMixerUnlockHook(void (*hook)()) {
  UnlockHook.store(hook);
  HookOwner = hook != nullptr;
}

TInheritingMutex& MixerLock() {
  // The mix thread takes it for every block; the window thread's edits
  // hold it for a moment.
  static TInheritingMutex lock(true);
  return lock;
}

void LockMixer() {
  MixerLock().lock();
  ++HeldDepth;
}

void UnlockMixer() {
  --HeldDepth;
  MixerLock().unlock();
  if (HeldDepth == 0 && !HookOwner)
    if (void (*hook)() = UnlockHook.load()) hook();
  while (HeldDepth == 0 && !AfterUnlock.empty()) {
    std::vector<std::function<void()>> calls;
    calls.swap(AfterUnlock);
    for (auto& call : calls) call();
  }
}

void RunAfterMixerUnlock(std::function<void()> call) {
  if (!call) return;
  if (HeldDepth == 0) {
    call();
    return;
  }
  AfterUnlock.push_back(std::move(call));
}

bool MixerLockHeldByThisThread() { return HeldDepth > 0; }

void AssertMixerLockHeld(const char* routine) {
  if (HeldDepth > 0) return;
  std::fprintf(stderr, "%s called without holding MixerLock\n", routine);
  std::abort();
}

}  // namespace vs
