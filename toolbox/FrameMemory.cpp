#include "toolbox/FrameMemory.h"

#include <sys/mman.h>

#include <mutex>

namespace vs {

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool Sanitized = true;  // every block watched by the sanitizer
#else
constexpr bool Sanitized = false;
#endif

constexpr size_t SmallBlock = size_t(64) << 10;   // below: the ordinary heap
constexpr size_t LargePage = size_t(2) << 20;
constexpr size_t RegionSize = size_t(8) << 20;
constexpr size_t BlockAlign = 64;
constexpr size_t PageSize = 4096;

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

// A mapping at a 2 MB boundary, `size` long (a multiple of 4 KB), that the
// system may back with 2 MB pages; null when there is no room.
char* MapRegion(size_t size) {
  const size_t reserve = size + LargePage;
  void* raw = mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  char* start = static_cast<char*>(raw);
  char* base = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(start), LargePage));
  if (base > start) munmap(start, size_t(base - start));
  char* end = start + reserve;
  if (end > base + size) munmap(base + size, size_t(end - (base + size)));
  madvise(base, size, MADV_HUGEPAGE);  // a system without it keeps 4 KB pages
  return base;
}

struct TRegion {
  char* Base;
  size_t Size;
  size_t Used;    // the next block starts here
  size_t Blocks;  // blocks not given back yet
  bool Shared;    // blocks are cut from it (else it holds one large block)
};

struct TFrameHeap {
  std::mutex Lock;
  std::vector<TRegion> Regions;  // the last one is the one blocks are cut from

  void* Allocate(size_t bytes) {
    const size_t need = RoundUp(bytes, BlockAlign);
    std::lock_guard<std::mutex> hold(Lock);
    if (need > RegionSize / 2) return NewRegion(RoundUp(need, PageSize), need, false);
    if (Regions.empty() || !Regions.back().Shared || Regions.back().Used + need > RegionSize)
      return NewRegion(RegionSize, need, true);
    TRegion& r = Regions.back();
    void* block = r.Base + r.Used;
    r.Used += need;
    ++r.Blocks;
    return block;
  }

  // A region of its own for a large block, or a new one to cut from.
  void* NewRegion(size_t size, size_t need, bool shared) {
    Regions.reserve(Regions.size() + 1);
    char* base = MapRegion(size);
    if (!base) return nullptr;
    const TRegion region{base, size, need, 1, shared};
    if (shared || Regions.empty() || !Regions.back().Shared) {
      Regions.push_back(region);
    } else {
      // Kept before the region blocks are cut from.
      Regions.insert(Regions.end() - 1, region);
    }
    return base;
  }

  // False when the block is not in a region (it came from the heap).
  bool Free(void* block, size_t bytes) {
    char* p = static_cast<char*>(block);
    std::lock_guard<std::mutex> hold(Lock);
    for (size_t i = 0; i < Regions.size(); ++i) {
      TRegion& r = Regions[i];
      if (p < r.Base || p >= r.Base + r.Size) continue;
      if (--r.Blocks == 0) {
        if (i + 1 == Regions.size() && r.Shared) {
          // The region blocks are cut from starts again, its pages given back.
          madvise(r.Base, r.Used, MADV_DONTNEED);
          r.Used = 0;
        } else {
          munmap(r.Base, r.Size);
          Regions.erase(Regions.begin() + std::ptrdiff_t(i));
        }
        return true;
      }
      // The whole pages of the block go back to the system now.
      const uintptr_t from = RoundUp(reinterpret_cast<uintptr_t>(p), PageSize);
      const uintptr_t to = (reinterpret_cast<uintptr_t>(p) + bytes) / PageSize * PageSize;
      if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
      return true;
    }
    return false;
  }
};

TFrameHeap& Heap() {
  // Never destroyed: frames may be freed by objects that outlive it.
  static TFrameHeap& heap = *new TFrameHeap;
  return heap;
}

}  // namespace

void* AllocateFrameMemory(size_t bytes) {
  if (!Sanitized && bytes >= SmallBlock)
    if (void* block = Heap().Allocate(bytes)) return block;
  // Small, or no room for a region (an address-space limit): the heap.
  return ::operator new(bytes);
}

void FreeFrameMemory(void* block, size_t bytes) {
  if (!block) return;
  if (!Sanitized && bytes >= SmallBlock && Heap().Free(block, bytes)) return;
  ::operator delete(block);
}

}  // namespace vs
