#pragma once
// An engine listener that records what worker threads post.

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "engine/EngineListener.h"

namespace vs::testing {

class EngineRecorder : public TEngineListener {
public:
  void StepPosition() override {
    std::lock_guard<std::mutex> hold(Lock);
    ++Steps;
  }
  void AsyncUpdate(int kind, int64_t value) override {
    std::lock_guard<std::mutex> hold(Lock);
    Async.emplace_back(kind, value);
  }
  int StepCount() {
    std::lock_guard<std::mutex> hold(Lock);
    return Steps;
  }
  std::vector<std::pair<int, int64_t>> AsyncPosts() {
    std::lock_guard<std::mutex> hold(Lock);
    return Async;
  }
  int AsyncCount(int kind) {
    int n = 0;
    for (auto& a : AsyncPosts()) n += a.first == kind;
    return n;
  }

private:
  std::mutex Lock;
  int Steps = 0;
  std::vector<std::pair<int, int64_t>> Async;
};

// Polls until the condition holds or about five seconds passed.
template <class F>
bool WaitFor(F condition) {
  for (int i = 0; i < 5000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return condition();
}

}  // namespace vs::testing
