#pragma once
// Best-effort thread priorities. Raising a priority needs rights that a
// normal user often lacks; a refused change leaves the thread as it was.

namespace vs {

enum class TThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

// Applies priority to the calling thread. True when the system accepted it.
bool SetCurrentThreadPriority(TThreadPriority priority);

}  // namespace vs
