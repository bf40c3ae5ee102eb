#include "AllocCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local long Allocations = 0;
thread_local int Counting = 0;
std::atomic<long> AllAllocations{0};
std::atomic<int> CountingAll{0};

void Count() {
  if (Counting) ++Allocations;
  if (CountingAll.load(std::memory_order_relaxed)) AllAllocations.fetch_add(1);
}

void* Allocate(std::size_t size) {
  Count();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
  Count();
  const std::size_t a = static_cast<std::size_t>(align);
  const std::size_t rounded = (size + a - 1) / a * a;
  if (void* p = std::aligned_alloc(a, rounded ? rounded : a)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try { return Allocate(size); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try { return Allocate(size); } catch (...) { return nullptr; }
}
void* operator new(std::size_t size, std::align_val_t align) { return AllocateAligned(size, align); }
void* operator new[](std::size_t size, std::align_val_t align) { return AllocateAligned(size, align); }
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  try { return AllocateAligned(size, align); } catch (...) { return nullptr; }
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  try { return AllocateAligned(size, align); } catch (...) { return nullptr; }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }

namespace vs::testing {

AllocCounter::AllocCounter(Scope scope)
    : Counted(scope), Before(scope == AllThreads ? AllAllocations.load() : Allocations) {
  if (Counted == AllThreads)
    CountingAll.fetch_add(1);
  else
    ++Counting;
}
AllocCounter::~AllocCounter() {
  if (Counted == AllThreads)
    CountingAll.fetch_sub(1);
  else
    --Counting;
}
long AllocCounter::Count() const { return (Counted == AllThreads ? AllAllocations.load() : Allocations) - Before; }

}  // namespace vs::testing
