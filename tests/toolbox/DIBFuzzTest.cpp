// A bounded random-mutation run over the bitmap reader: files of every depth,
// header and encoding, damaged in many ways, either fail with the picture's
// own error or give a consistent image that decodes, copies and writes back
// unchanged (run it in the sanitizer build too).

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>

#include "support/ByteMutation.h"
#include "toolbox/AllTools.h"
#include "toolbox/DIBTestFiles.h"

namespace vs {
namespace {

using namespace dibtest;

std::vector<std::string> Seeds() {
  std::vector<std::string> seeds;
  for (int bits : {1, 4, 8, 24, 32}) seeds.push_back(WriteDIBFile(*PatternImage(bits, 9, 5, uint32_t(bits))));
  seeds.push_back(WriteDIBFile(*PatternImage(16, 6, 3, 3, DIBFormat565())));
  seeds.push_back(WriteDIBFile(*PatternImage(16, 7, 2, 4, DIBFormat555())));
  seeds.push_back(RunLengthFile(4, 9, 5, RunLength4()));
  seeds.push_back(RunLengthFile(8, 7, 4, RunLength8()));
  // Top-down, and a core header with 3-byte palette entries.
  seeds.push_back(FileOf(Header40(3, -2, 24) + std::string(24, '\x42'), 54));
  std::string core = Le32(12) + Le16(3) + Le16(2) + Le16(1) + Le16(4);
  for (int i = 0; i < 16; ++i) core += Le32(uint32_t(i * 0x111111)).substr(0, 3);
  seeds.push_back(FileOf(core + std::string(8, '\x5C'), 0));
  return seeds;
}

TEST(DIBFuzz, DamagedFilesFailCleanlyOrGiveConsistentImages) {
  const std::vector<std::string> seeds = Seeds();
  for (const std::string& s : seeds) ASSERT_FALSE(ReadDIBFile(s)->Empty());
  std::mt19937 rng(7);
  int read = 0;
  const int iterations = FuzzIterations(20000);
  for (int iter = 0; iter < iterations; ++iter) {
    std::string file = seeds[size_t(iter) % seeds.size()];
    MutateBytes(file, rng, {0, 1, 2, 3, 4, 8, 12, 16, 24, 32, 40, 0x7FFF, 0xFFFF, 0x7FFFFFFF, 0x80000000u,
                            0xFFFFFFFFu, 0xFFFFFFFEu});
    std::shared_ptr<TDIBImage> img;
    try {
      img = ReadDIBFile(file);
    } catch (const EDIBError&) {
      continue;
    }
    ASSERT_TRUE(img || file.empty()) << iter;
    if (!img || img->Empty()) continue;
    ++read;
    ASSERT_EQ(img->Bits.size(), img->ImageSize) << iter;
    if (!img->Compressed) {
      ASSERT_EQ(img->ImageSize, uint64_t(img->RowBytes) * uint64_t(img->Height)) << iter;
    }
    const std::vector<uint32_t> argb = DIBToARGB32(*img);
    ASSERT_EQ(argb.size(), size_t(img->Width) * size_t(img->Height)) << iter;
    ASSERT_EQ(DIBToARGB32(*DuplicateDIBImage(*img)), argb) << iter;
    const std::string written = WriteDIBFile(*img);
    ASSERT_EQ(WriteDIBFile(*ReadDIBFile(written)), written) << iter;
  }
  EXPECT_GT(read, iterations / 10) << "the mutations should leave many files readable";
}

// The fuzz target's seed inputs are pictures the reader takes whole, each
// depth and encoding among them.
TEST(DIBFuzz, TheShippedSeedsAreReadWhole) {
  std::set<std::pair<int, uint32_t>> kinds;
  for (const auto& entry : std::filesystem::directory_iterator(VS_FUZZ_CORPUS "dib")) {
    const std::string bytes = *ReadFileBytes(entry.path().string());
    const bool dataForm = entry.path().extension() == ".dib";
    const std::shared_ptr<TDIBImage> img = dataForm ? ReadDIBData(bytes) : ReadDIBFile(bytes);
    ASSERT_TRUE(img && !img->Empty()) << entry.path();
    EXPECT_EQ(DIBToARGB32(*img).size(), size_t(img->Width) * size_t(img->Height)) << entry.path();
    kinds.insert({img->BitCount, img->Compression()});
  }
  EXPECT_GE(kinds.size(), 8u);
}

}  // namespace
}  // namespace vs
