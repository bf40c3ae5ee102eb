#pragma once
// Best-effort thread priorities. Raising a priority needs rights that a
// normal user often lacks; a refused change leaves the thread as it was.

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

}  // namespace vs
