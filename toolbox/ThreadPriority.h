#pragma once
// Best-effort thread priorities. Raising a priority needs rights that a
// normal user often lacks; a refused change leaves the thread as it was.

#include <pthread.h>

namespace vs {

enum class TThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

// Applies priority to the calling thread. True when the system accepted it.
bool SetCurrentThreadPriority(TThreadPriority priority);

// Raises the calling thread to a priority for the life of the object and
// then puts its scheduling back as it was: threads started meanwhile (a
// library's own) begin at the raised priority.
class TThreadPriorityScope {
public:
  explicit TThreadPriorityScope(TThreadPriority priority);
  ~TThreadPriorityScope();
  TThreadPriorityScope(const TThreadPriorityScope&) = delete;
  TThreadPriorityScope& operator=(const TThreadPriorityScope&) = delete;

private:
  int Policy = 0, Priority = 0, Nice = 0;
  bool Known = false;
};

// A mutex whose holder runs at the priority of the most urgent thread
// waiting for it: a sound thread that waits for a lock the window thread
// holds is not held up while the machine's other work keeps that holder
// from a processor. Recursive when asked. Meets std::lock_guard's needs.
class TInheritingMutex {
public:
  explicit TInheritingMutex(bool recursive = false);
  ~TInheritingMutex();
  TInheritingMutex(const TInheritingMutex&) = delete;
  TInheritingMutex& operator=(const TInheritingMutex&) = delete;
  void lock();
  void unlock();
  bool try_lock();

private:
  pthread_mutex_t Mutex;
};

}  // namespace vs
