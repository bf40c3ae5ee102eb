#pragma once
// A pool of threads that share the voices of a block. A job is cut into a
// fixed number of parts; whoever is free takes the next part, the calling
// thread too, so the result depends only on the parts, never on which
// thread ran one or how many threads there are.
//
// Between jobs the workers sleep on the job counter (a futex): waiting costs
// no processor time. Inside a job they never allocate or take a lock; the
// caller, once it has no part left to take, sleeps the same way until the
// last part is done. Outside a hold Run does every part on the calling
// thread.
//
// A worker the system refuses to start is simply missing: the pool has
// fewer threads, down to the calling thread alone, and the parts (and so
// the result) stay the same.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace vs {

class TMixWorkers {
public:
  // threads counts the caller: threads - 1 workers are started (fewer when
  // the system refuses some).
  explicit TMixWorkers(int threads);
  ~TMixWorkers();  // ends and joins the workers (never under MixerLock)
  TMixWorkers(const TMixWorkers&) = delete;
  TMixWorkers& operator=(const TMixWorkers&) = delete;

  int Threads() const { return static_cast<int>(Workers.size()) + 1; }

  // Lets Run share its parts until the matching Release (counted). Hold and
  // Release are made outside the mix, by the thread that runs jobs.
  void Hold();
  void Release();

  using TPart = void (*)(void* context, int part);
  // Runs part(context, k) for k = 0..parts-1 (at most MaxParts) and returns
  // when every part has finished. Allocates nothing.
  static constexpr int MaxParts = 4096;
  void Run(TPart part, void* context, int parts);

private:
  void WorkerLoop(int self);
  // Takes and runs parts of the current job until none is left; self is
  // the thread's number (the caller's is 0).
  void TakeParts(int self);

  std::vector<std::thread> Workers;
  std::atomic<int> Held{0};
  std::atomic<bool> Quit{false};
  // Counts the jobs (and the quit): the workers sleep on it.
  std::atomic<uint32_t> Jobs{0};
  // The current job: generation (upper 48 bits) and parts (16), changed
  // only as a whole.
  std::atomic<uint64_t> Ticket{0};
  // Per part, the generation of the job that took it last.
  std::unique_ptr<std::atomic<uint64_t>[]> Claims;
  // The threads that share parts (set once they are started).
  std::atomic<int> Stride{1};
  std::atomic<int> Finished{0};
  TPart Part = nullptr;
  void* Context = nullptr;
  uint64_t Generation = 0;
};

// The pool of the program's renders, made on first use with a thread for
// every core (at most MaxMixThreads).
constexpr int MaxMixThreads = 64;
TMixWorkers& MixWorkers();

// Processor cores this program may use (at least 1).
int CoreCount();

}  // namespace vs
