#include "platform/DriverClose.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace vs {

bool RunWithin(std::function<void()> call, std::chrono::milliseconds bound) {
  struct TState {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
  };
  auto state = std::make_shared<TState>();
  std::thread runner([state, call = std::move(call)]() mutable {
    call();
    call = nullptr;  // what the call owns goes before it reports
    std::lock_guard<std::mutex> hold(state->Lock);
    state->Finished = true;
    state->Done.notify_all();
  });
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
