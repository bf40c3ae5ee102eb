#include "platform/DriverClose.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>

#include "toolbox/ThreadStart.h"

namespace vs {

bool RunWithin(std::function<void()> call, std::chrono::milliseconds bound) {
  struct TState {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
  };
  auto state = std::make_shared<TState>();
  auto shared = std::make_shared<std::function<void()>>(std::move(call));
  // A call that fails (no memory for what it builds) has ended as well;
  // nothing of it may escape a thread or a destructor that closes.
  const auto run = [](const std::function<void()>& f) {
    try {
      f();
    } catch (...) {
    }
  };
  std::thread runner;
  try {
    runner = StartThread([state, shared, run]() mutable {
      run(*shared);
      *shared = nullptr;  // what the call owns goes before it reports
      shared.reset();
      std::lock_guard<std::mutex> hold(state->Lock);
      state->Finished = true;
      state->Done.notify_all();
    });
  } catch (const std::system_error&) {
    // No thread to be had (a thread or memory limit): the call runs here,
    // unbounded, rather than not at all.
    run(*shared);
    return true;
  }
  bool finished;
  {
    std::unique_lock<std::mutex> hold(state->Lock);
    finished = state->Done.wait_for(hold, bound, [&] { return state->Finished; });
  }
  if (finished)
    runner.join();
  else
    runner.detach();
  return finished;
}

}  // namespace vs
