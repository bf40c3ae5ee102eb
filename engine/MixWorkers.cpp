#include "engine/MixWorkers.h"

#include <algorithm>

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

// Spins between polls; now and then gives the core to another thread, so
// that a waiting worker on a busy machine does not hold up the one it waits
// for.
class TSpin {
public:
  void Once() {
    if (++Count % 256 == 0)
      std::this_thread::yield();
    else
      CpuRelax();
  }

private:
  unsigned Count = 0;
};

constexpr uint64_t IndexMask = 0xFFFF;

}  // namespace

TMixWorkers::TMixWorkers(int threads) {
  const int workers = std::clamp(threads, 1, MaxMixThreads) - 1;
  Workers.reserve(size_t(workers));
  for (int i = 0; i < workers; ++i) Workers.emplace_back([this] { WorkerLoop(); });
}

TMixWorkers::~TMixWorkers() {
  {
    std::lock_guard<std::mutex> lock(SleepLock);
    Quit.store(true);
  }
  Wake.notify_all();
  for (std::thread& t : Workers) t.join();
}

void TMixWorkers::Hold() {
  {
    std::lock_guard<std::mutex> lock(SleepLock);
    Held.fetch_add(1);
  }
  Wake.notify_all();
}

void TMixWorkers::Release() { Held.fetch_sub(1); }

void TMixWorkers::TakeParts() {
  uint64_t ticket = Ticket.load(std::memory_order_acquire);
  for (;;) {
    const uint64_t next = ticket & IndexMask;
    const uint64_t parts = (ticket >> 16) & IndexMask;
    if (next >= parts) return;
    if (!Ticket.compare_exchange_weak(ticket, ticket + 1, std::memory_order_acq_rel, std::memory_order_acquire))
      continue;
    // The part is ours: its job can't finish (nor the next one start) before
    // it is done, so Part and Context are this job's.
    Part(Context, static_cast<int>(next));
    Finished.fetch_add(1, std::memory_order_release);
    ticket = Ticket.load(std::memory_order_acquire);
  }
}

void TMixWorkers::WorkerLoop() {
  TSpin spin;
  for (;;) {
    if (Quit.load(std::memory_order_relaxed)) return;
    if (Held.load(std::memory_order_acquire) == 0) {
      std::unique_lock<std::mutex> lock(SleepLock);
      Wake.wait(lock, [this] { return Quit.load() || Held.load() > 0; });
      continue;
    }
    const uint64_t ticket = Ticket.load(std::memory_order_acquire);
    if ((ticket & IndexMask) < ((ticket >> 16) & IndexMask))
      TakeParts();
    else
      spin.Once();
  }
}

void TMixWorkers::Run(TPart part, void* context, int parts) {
  if (parts <= 0) return;
  if (Workers.empty() || Held.load(std::memory_order_relaxed) == 0 || parts == 1) {
    for (int k = 0; k < parts; ++k) part(context, k);
    return;
  }
  parts = std::min(parts, int(IndexMask));
  Part = part;
  Context = context;
  Finished.store(0, std::memory_order_relaxed);
  ++Generation;
  Ticket.store((uint64_t(Generation) << 32) | (uint64_t(parts) << 16), std::memory_order_release);
  TakeParts();
  TSpin spin;
  while (Finished.load(std::memory_order_acquire) < parts) spin.Once();
}

int CoreCount() { return std::max(1u, std::thread::hardware_concurrency()); }

TMixWorkers& MixWorkers() {
  static TMixWorkers workers(std::min(CoreCount(), MaxMixThreads));
  return workers;
}

}  // namespace vs
