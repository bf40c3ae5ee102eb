#pragma once
// Starting a thread. The system may refuse a new thread (a process or user
// thread limit, no memory for its stack): std::thread then throws
// std::system_error, and so does StartThread. Callers catch it and go on
// with fewer threads or report the failure.
//
// For tests, LimitThreadStarts lets the next n starts through and makes
// every later one fail as the system would (n < 0: no limit), so that the
// refusal can be tried where a limit doesn't bind (as root).

#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace vs {

void LimitThreadStarts(int starts);
// Throws std::system_error (resource unavailable) when the limit is used up.
void CheckThreadStart();

template <typename F>
std::thread StartThread(F&& body) {
  CheckThreadStart();
  return std::thread(std::forward<F>(body));
}

// The message of a refused thread start, for the user.
std::string ThreadStartMessage(const std::system_error& error);

}  // namespace vs
