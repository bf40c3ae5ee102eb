#include "model/MixerLock.h"

#include <cstdio>
#include <cstdlib>

namespace vs {

namespace {
thread_local int HeldDepth = 0;
}

std::recursive_mutex& MixerLock() {
  static std::recursive_mutex lock;
  return lock;
}

void LockMixer() {
  MixerLock().lock();
  ++HeldDepth;
}

void UnlockMixer() {
  --HeldDepth;
  MixerLock().unlock();
}

bool MixerLockHeldByThisThread() { return HeldDepth > 0; }

void AssertMixerLockHeld(const char* routine) {
  if (HeldDepth > 0) return;
  std::fprintf(stderr, "%s called without holding MixerLock\n", routine);
  std::abort();
}

}  // namespace vs
