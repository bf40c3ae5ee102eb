#pragma once
// The one recursive lock that guards everything the mixer reads: the voice
// pool, the audio clock, effect slots and every pattern, channel and sample
// datum. Lock order: MixerLock before MasterClockLock.

#include <functional>
#include <mutex>

#include "toolbox/ThreadPriority.h"

namespace vs {

TInheritingMutex& MixerLock();
void LockMixer();
void UnlockMixer();

// Scoped hold of MixerLock.
class MixerGuard {
public:
  MixerGuard() { LockMixer(); }
  ~MixerGuard() { UnlockMixer(); }
  MixerGuard(const MixerGuard&) = delete;
  MixerGuard& operator=(const MixerGuard&) = delete;
};

// Runs call now when the calling thread holds no MixerLock, else once its
// outermost hold ends (after the lock is left), in the order given: views
// are told of a change only outside the lock.
void RunAfterMixerUnlock(std::function<void()> call);

// Called whenever a thread leaves its outermost hold of MixerLock, after
// the lock is left, except on the thread that set it: lets a thread that
// sleeps while the mixer's state stays as it is wake when another thread may
// have changed it. Null: nothing is called.
void SetMixerUnlockHook(void (*hook)());

// True when the calling thread holds MixerLock (for assertions: never wait
// for a worker thread while holding it).
bool MixerLockHeldByThisThread();
// For routines whose caller must hold MixerLock because the mixer reads
// what they change: ends the program with a message naming the routine when
// the calling thread does not hold it (a programming error, never a state
// the user can reach).
void AssertMixerLockHeld(const char* routine);

}  // namespace vs
