#include "model/MixerLock.h"

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

}  // namespace vs
