#pragma once
// The memory that sample frames live in. A block of 64 KB or more is cut
// from regions of 8 MB, one after the other, that the system may back with
// 2 MB pages: a song's samples, decoded one after another, then take a page
// fault (and the zeroing of a new page) per 2 MB rather than per 4 KB,
// which is most of what loading them costs. A freed block gives its pages
// back at once; a region goes when its last block does. Smaller blocks, and
// every block in sanitizer builds, come from the ordinary heap.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace vs {

// Memory for `bytes` bytes (aligned for any frame type); throws
// std::bad_alloc when there is none.
void* AllocateFrameMemory(size_t bytes);
// Gives back a block AllocateFrameMemory made for the same byte count.
void FreeFrameMemory(void* block, size_t bytes);

// The allocator of containers of frames.
template <class T>
struct TFrameAllocator {
  using value_type = T;

  TFrameAllocator() = default;
  template <class U>
  TFrameAllocator(const TFrameAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n > size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateFrameMemory(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) noexcept { FreeFrameMemory(p, n * sizeof(T)); }

  template <class U>
  bool operator==(const TFrameAllocator<U>&) const noexcept {
    return true;
  }
};

// Interleaved 16-bit frames.
using TFrames = std::vector<int16_t, TFrameAllocator<int16_t>>;

// The same values as a plain vector.
inline bool operator==(const TFrames& a, const std::vector<int16_t>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace vs
