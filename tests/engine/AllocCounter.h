#pragma once
// Counts heap allocations (every form of operator new) made by the calling
// thread while a counter is alive. The replacement operators live in
// AllocCounter.cpp and forward to malloc.

namespace vs::testing {

class AllocCounter {
public:
  AllocCounter();
  ~AllocCounter();
  AllocCounter(const AllocCounter&) = delete;
  AllocCounter& operator=(const AllocCounter&) = delete;
  long Count() const;

private:
  long Before;
};

}  // namespace vs::testing
