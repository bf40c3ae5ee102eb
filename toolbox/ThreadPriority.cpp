#include "toolbox/ThreadPriority.h"

#include <pthread.h>
#include <cerrno>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>

#include <system_error>
#include <unistd.h>

namespace vs {

namespace {

id_t ThreadId() { return static_cast<id_t>(::syscall(SYS_gettid)); }

}  // namespace

bool SetCurrentThreadPriority(TThreadPriority priority) {
  const id_t tid = ThreadId();
  int fifo = 0;
  int nice = 0;
  switch (priority) {
    case TThreadPriority::Idle: nice = 19; break;
    case TThreadPriority::Lowest: nice = 10; break;
    case TThreadPriority::Lower: nice = 5; break;
    case TThreadPriority::Normal: nice = 0; break;
    case TThreadPriority::Higher: nice = -5; fifo = 10; break;
    case TThreadPriority::Highest: nice = -10; fifo = 30; break;
    case TThreadPriority::TimeCritical: nice = -20; fifo = 60; break;
  }
  if (fifo > 0) {
    sched_param sp{};
    sp.sched_priority = fifo;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0) return true;
    // No real-time rights: try a better nice value instead.
    return ::setpriority(PRIO_PROCESS, tid, nice) == 0;
  }
  sched_param sp{};
  sp.sched_priority = 0;
  pthread_setschedparam(pthread_self(), SCHED_OTHER, &sp);
  return ::setpriority(PRIO_PROCESS, tid, nice) == 0;
}

TThreadPriorityScope::TThreadPriorityScope(TThreadPriority priority) {
  sched_param sp{};
  errno = 0;
  Nice = ::getpriority(PRIO_PROCESS, ThreadId());
  Known = errno == 0 && pthread_getschedparam(pthread_self(), &Policy, &sp) == 0;
  Priority = sp.sched_priority;
  if (Known) SetCurrentThreadPriority(priority);
}

TThreadPriorityScope::~TThreadPriorityScope() {
  if (!Known) return;
  sched_param sp{};
  sp.sched_priority = Priority;
  pthread_setschedparam(pthread_self(), Policy, &sp);
  ::setpriority(PRIO_PROCESS, ThreadId(), Nice);
}

TInheritingMutex::TInheritingMutex(bool recursive) {
  pthread_mutexattr_t a;
  pthread_mutexattr_init(&a);
  if (recursive) pthread_mutexattr_settype(&a, PTHREAD_MUTEX_RECURSIVE);
  // A system without priority inheritance gets an ordinary mutex.
  if (pthread_mutexattr_setprotocol(&a, PTHREAD_PRIO_INHERIT) != 0 || pthread_mutex_init(&Mutex, &a) != 0) {
    pthread_mutexattr_setprotocol(&a, PTHREAD_PRIO_NONE);
    pthread_mutex_init(&Mutex, &a);
  }
  pthread_mutexattr_destroy(&a);
}

TInheritingMutex::~TInheritingMutex() { pthread_mutex_destroy(&Mutex); }

void TInheritingMutex::lock() {
  if (const int e = pthread_mutex_lock(&Mutex)) throw std::system_error(e, std::generic_category(), "mutex");
}

void TInheritingMutex::unlock() { pthread_mutex_unlock(&Mutex); }

bool TInheritingMutex::try_lock() { return pthread_mutex_trylock(&Mutex) == 0; }

}  // namespace vs
