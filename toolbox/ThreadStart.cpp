#include "toolbox/ThreadStart.h"

#include <atomic>
#include <cerrno>
#include <string>

namespace vs {

namespace {

std::atomic<int>& StartsLeft() {
  static std::atomic<int> left{-1};
  return left;
}

}  // namespace

void LimitThreadStarts(int starts) { StartsLeft().store(starts < 0 ? -1 : starts); }

void CheckThreadStart() {
  std::atomic<int>& left = StartsLeft();
  int n = left.load();
  while (n >= 0) {
    if (n == 0) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    if (left.compare_exchange_weak(n, n - 1)) return;
  }
}

std::string ThreadStartMessage(const std::system_error& error) {
  return std::string("The system refused a new thread (") + error.code().message() + ").";
}

}  // namespace vs
