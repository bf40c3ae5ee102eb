#include "engine/MixWorkers.h"

#include <algorithm>

#include "toolbox/ThreadStart.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace vs {

namespace {

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#endif
}

// Polls before sleeping: a job's parts usually end (and the next job of a
// render begins) within a few microseconds, sooner than a sleep and a wake.
constexpr int SpinPolls = 200;

constexpr uint64_t IndexMask = 0xFFFF;

}  // namespace

TMixWorkers::TMixWorkers(int threads) : Claims(std::make_unique<std::atomic<uint64_t>[]>(size_t(MaxParts))) {
  const int workers = std::clamp(threads, 1, MaxMixThreads) - 1;
  Workers.reserve(size_t(workers));
  try {
    for (int i = 0; i < workers; ++i) Workers.push_back(StartThread([this, i] { WorkerLoop(i + 1); }));
  } catch (const std::system_error&) {
    // The system gives no more threads: the pool makes do with those it has.
  }
  Stride.store(Threads());
}

TMixWorkers::~TMixWorkers() {
  Quit.store(true);
  Jobs.fetch_add(1, std::memory_order_release);
  Jobs.notify_all();
  for (std::thread& t : Workers) t.join();
}

void TMixWorkers::Hold() { Held.fetch_add(1); }

void TMixWorkers::Release() { Held.fetch_sub(1); }

void TMixWorkers::TakeParts(int self) {
  const uint64_t ticket = Ticket.load(std::memory_order_acquire);
  const uint64_t generation = ticket >> 16;
  const int parts = static_cast<int>(ticket & IndexMask);
  const int threads = Stride.load(std::memory_order_relaxed);
  auto take = [&](int k) {
    // A part not yet taken in this job holds an older generation; a thread
    // that read the ticket of a job already done finds only its own or
    // newer ones, and takes nothing.
    uint64_t claim = Claims[size_t(k)].load(std::memory_order_relaxed);
    if (claim >= generation ||
        !Claims[size_t(k)].compare_exchange_strong(claim, generation, std::memory_order_acq_rel))
      return;
    // The part is ours: its job can't finish (nor the next one start) before
    // it is done, so Part and Context are this job's.
    Part(Context, k);
    if (Finished.fetch_add(1, std::memory_order_acq_rel) + 1 == parts) Finished.notify_one();
  };
  // Each thread's own parts first, the same ones every job, so that a lane
  // stays in one core's cache from block to block; then any part left.
  for (int k = self; k < parts; k += threads) take(k);
  for (int k = 0; k < parts; ++k) take(k);
}

void TMixWorkers::WorkerLoop(int self) {
  uint32_t seen = Jobs.load(std::memory_order_acquire);
  for (;;) {
    if (Quit.load(std::memory_order_acquire)) return;
    TakeParts(self);
    // A job posted after the count was read changes it: no wake is missed.
    for (int i = 0; i < SpinPolls && Jobs.load(std::memory_order_acquire) == seen; ++i) CpuRelax();
    Jobs.wait(seen, std::memory_order_acquire);
    seen = Jobs.load(std::memory_order_acquire);
  }
}

void TMixWorkers::Run(TPart part, void* context, int parts) {
  if (parts <= 0) return;
  if (Workers.empty() || Held.load(std::memory_order_relaxed) == 0 || parts == 1) {
    for (int k = 0; k < parts; ++k) part(context, k);
    return;
  }
  parts = std::min(parts, MaxParts);
  Part = part;
  Context = context;
  Finished.store(0, std::memory_order_relaxed);
  ++Generation;  // 48 bits: never wraps
  Ticket.store((Generation << 16) | uint64_t(parts), std::memory_order_release);
  Jobs.fetch_add(1, std::memory_order_release);
  Jobs.notify_all();
  TakeParts(0);
  int done = Finished.load(std::memory_order_acquire);
  for (int i = 0; i < SpinPolls && done < parts; ++i) {
    CpuRelax();
    done = Finished.load(std::memory_order_acquire);
  }
  while (done < parts) {
    Finished.wait(done, std::memory_order_acquire);
    done = Finished.load(std::memory_order_acquire);
  }
}

int CoreCount() { return std::max(1u, std::thread::hardware_concurrency()); }

TMixWorkers& MixWorkers() {
  static TMixWorkers workers(std::min(CoreCount(), MaxMixThreads));
  return workers;
}

}  // namespace vs
