#pragma once
// Counts heap allocations (every form of operator new) made by the calling
// thread (or, asked for, by every thread) while a counter is alive. The
// replacement operators live in AllocCounter.cpp and forward to malloc.

namespace vs::testing {

class AllocCounter {
public:
  enum Scope { ThisThread, AllThreads };
  explicit AllocCounter(Scope scope = ThisThread);
  ~AllocCounter();
  AllocCounter(const AllocCounter&) = delete;
  AllocCounter& operator=(const AllocCounter&) = delete;
  long Count() const;

private:
  Scope Counted;
  long Before;
};

}  // namespace vs::testing
