#pragma once
// A pool of threads that share the voices of a block. A job is cut into a
// fixed number of parts; whoever is free takes the next part, the calling
// thread too, so the result depends only on the parts, never on which
// thread ran one or how many threads there are.
//
// The workers follow the mix path's rules: while the pool is held they wait
// for parts by spinning (they never sleep, allocate or take a lock inside a
// job); the caller waits for the last part the same way. Only outside a hold
// do they sleep, and then Run does every part on the calling thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vs {

class TMixWorkers {
public:
  // threads counts the caller: threads - 1 workers are started.
  explicit TMixWorkers(int threads);
  ~TMixWorkers();  // ends and joins the workers (never under MixerLock)
  TMixWorkers(const TMixWorkers&) = delete;
  TMixWorkers& operator=(const TMixWorkers&) = delete;

  int Threads() const { return static_cast<int>(Workers.size()) + 1; }

  // Keeps the workers awake and ready until the matching Release (counted).
  // Hold and Release are made outside the mix, by the thread that runs jobs.
  void Hold();
  void Release();

  using TPart = void (*)(void* context, int part);
  // Runs part(context, k) for k = 0..parts-1 (at most 65535) and returns when
  // every part has finished. Allocates nothing; never blocks.
  void Run(TPart part, void* context, int parts);

private:
  void WorkerLoop();
  // Takes and runs parts of the current job until none is left.
  void TakeParts();

  std::vector<std::thread> Workers;
  std::mutex SleepLock;
  std::condition_variable Wake;
  std::atomic<int> Held{0};
  std::atomic<bool> Quit{false};
  // The current job: generation (upper 32 bits), parts (16) and the next
  // part to take (16), changed only as a whole.
  std::atomic<uint64_t> Ticket{0};
  std::atomic<int> Finished{0};
  TPart Part = nullptr;
  void* Context = nullptr;
  uint32_t Generation = 0;
};

// The pool of the program's renders, made on first use with a thread for
// every core (at most MaxMixThreads).
constexpr int MaxMixThreads = 64;
TMixWorkers& MixWorkers();

// Processor cores this program may use (at least 1).
int CoreCount();

}  // namespace vs
