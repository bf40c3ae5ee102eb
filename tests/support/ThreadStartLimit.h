#pragma once
// Lets the next n thread starts through and refuses every later one, as a
// thread limit of the system would, until the end of the scope.

#include "toolbox/ThreadStart.h"

namespace vs::testing {

struct TThreadStartLimit {
  explicit TThreadStartLimit(int starts) { LimitThreadStarts(starts); }
  ~TThreadStartLimit() { LimitThreadStarts(-1); }
  TThreadStartLimit(const TThreadStartLimit&) = delete;
  TThreadStartLimit& operator=(const TThreadStartLimit&) = delete;
};

}  // namespace vs::testing
