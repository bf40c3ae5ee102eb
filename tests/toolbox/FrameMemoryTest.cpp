#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <thread>

#include "toolbox/FrameMemory.h"

using namespace vs;

namespace {

// How many of the pages of [p, p + bytes) are in memory; -1 when some of
// them are not mapped at all.
int ResidentPages(const void* p, size_t bytes) {
  const uintptr_t page = uintptr_t(sysconf(_SC_PAGESIZE));
  const uintptr_t from = reinterpret_cast<uintptr_t>(p) / page * page;
  const uintptr_t to = (reinterpret_cast<uintptr_t>(p) + bytes + page - 1) / page * page;
  std::vector<unsigned char> in((to - from) / page);
  if (mincore(reinterpret_cast<void*>(from), to - from, in.data()) != 0) return -1;
  return int(std::count_if(in.begin(), in.end(), [](unsigned char c) { return c & 1; }));
}

}  // namespace

// Blocks of every size class (small, cut from a region, a region of their
// own) hold their values side by side whatever order they are written and
// given back in, from several threads at once.
TEST(FrameMemory, BlocksOfEverySizeKeepTheirValuesWhileOthersComeAndGo) {
  auto work = [](unsigned seed) {
    std::mt19937 random(seed);
    const size_t sizes[] = {100, 70000, 1 << 20, 5 << 20, 9 << 20};
    std::vector<std::pair<int16_t, TFrames>> kept;  // each block's tag and values
    auto value = [](int16_t tag, size_t i) { return int16_t(tag ^ int16_t(i)); };
    for (int round = 0; round < 24; ++round) {
      const int16_t tag = int16_t(seed * 64 + unsigned(round));
      TFrames f(sizes[random() % std::size(sizes)] / 2);
      for (size_t i = 0; i < f.size(); i += 997) f[i] = value(tag, i);
      f.back() = value(tag, f.size() - 1);
      kept.emplace_back(tag, std::move(f));
      if (random() % 3 == 0) kept.erase(kept.begin() + std::ptrdiff_t(random() % kept.size()));
    }
    std::shuffle(kept.begin(), kept.end(), random);
    while (!kept.empty()) {
      const auto& [tag, f] = kept.back();
      for (size_t i = 0; i < f.size(); i += 997) ASSERT_EQ(f[i], value(tag, i));
      ASSERT_EQ(f.back(), value(tag, f.size() - 1));
      kept.pop_back();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < 4; ++t) threads.emplace_back(work, 1000 * t);
  for (std::thread& t : threads) t.join();
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A large block that is given back takes its pages with it at once, and a
// block of a region of its own takes the region.
TEST(FrameMemory, FreedBlocksGiveTheirPagesBack) {
  TFrames first(600000, 1), second(600000, 2);
  ASSERT_GT(ResidentPages(second.data(), second.size() * 2), 250);
  const int16_t* gone = second.data();
  TFrames().swap(second);
  EXPECT_LE(ResidentPages(gone, 600000 * 2), 2) << "only the pages it shares with its neighbours stay";
  EXPECT_EQ(first.front() + first.back(), 2);

  TFrames large(8 << 20, 3);
  const int16_t* alone = large.data();
  EXPECT_EQ(reinterpret_cast<uintptr_t>(alone) % (2 << 20), 0u) << "at a 2 MB boundary";
  TFrames().swap(large);
  EXPECT_EQ(ResidentPages(alone, 16 << 20), -1) << "unmapped";
}
#endif

TEST(FrameMemory, ComparesWithAPlainVector) {
  TFrames f{1, -2, 3};
  EXPECT_EQ(f, (std::vector<int16_t>{1, -2, 3}));
  EXPECT_NE(f, (std::vector<int16_t>{1, -2}));
  EXPECT_NE(f, (std::vector<int16_t>{1, -2, 4}));
}
