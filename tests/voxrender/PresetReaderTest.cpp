#include <gtest/gtest.h>

#include "VoxFixture.h"

using namespace voxtest;

namespace {

TEST(VoxLibrary, ExportsAllSixNames) {
  const VoxLibrary& lib = VoxLibrary::Get();
  ASSERT_NE(lib.Handle, nullptr) << dlerror();
  EXPECT_NE(lib.Create, nullptr);
  EXPECT_NE(lib.Delete, nullptr);
  EXPECT_NE(lib.Load, nullptr);
  EXPECT_NE(lib.Gen, nullptr);
  EXPECT_NE(lib.LastError, nullptr);
  EXPECT_NE(lib.Test, nullptr);
}

TEST(VoxLibrary, NullHoldersAreIgnored) {
  const VoxLibrary& lib = VoxLibrary::Get();
  lib.Delete(nullptr);
  EXPECT_EQ(lib.Load(nullptr, "x"), 0);
  EXPECT_EQ(lib.LastError(nullptr), 0);
  int16_t* data = nullptr;
  int32_t count = 0;
  EXPECT_EQ(lib.Gen(nullptr, &data, &count, -1), 0);
  EXPECT_EQ(lib.Test(nullptr), 0);
}

TEST(PresetReader, ErrorCodesOfBadFiles) {
  TempDir dir;
  Holder h;
  EXPECT_FALSE(h.Load(dir.File("missing.syn")));
  EXPECT_EQ(h.LastError(), VoxCannotOpen);
  EXPECT_FALSE(h.Load(dir.Path));  // a folder is no file
  EXPECT_EQ(h.LastError(), VoxCannotOpen);
  EXPECT_EQ(VoxLibrary::Get().Load(h.get(), nullptr), 0);
  EXPECT_EQ(h.LastError(), VoxCannotOpen);

  std::vector<unsigned char> text;
  PutText(text, "Hello, this is plain text\r\nand more of it\r\n");
  EXPECT_FALSE(h.Load(dir.Write("text.syn", text)));
  EXPECT_EQ(h.LastError(), VoxNotAPreset);

  // Ending inside the 9-byte header, or header words out of range: error 0.
  EXPECT_FALSE(h.Load(dir.Write("four.syn", {'S', 'Y', 'N', 'T'})));
  EXPECT_EQ(h.LastError(), VoxNoError);
  std::vector<unsigned char> header = SynFile().Bytes();
  header.resize(8);
  EXPECT_FALSE(h.Load(dir.Write("header.syn", header)));
  EXPECT_EQ(h.LastError(), VoxNoError);
  for (auto [format, version] : {std::pair{2, 3}, std::pair{1, 4}}) {
    SynFile f;
    f.Format = static_cast<int16_t>(format);
    f.Version = static_cast<int16_t>(version);
    EXPECT_FALSE(h.Load(dir.Write("range.syn", f.Bytes())));
    EXPECT_EQ(h.LastError(), VoxNoError) << format << " " << version;
  }
}

TEST(PresetReader, ShortBodiesGiveErrorThree) {
  TempDir dir;
  Holder h;
  const std::vector<unsigned char> full = SynFile().Bytes();
  ASSERT_EQ(full.size(), 989u);
  for (size_t n = 9; n < full.size(); ++n) {
    std::vector<unsigned char> cut(full.begin(), full.begin() + static_cast<long>(n));
    EXPECT_FALSE(h.Load(dir.Write("cut.syn", cut))) << n;
    EXPECT_EQ(h.LastError(), VoxShortBody) << n;
  }
  EXPECT_TRUE(h.Load(dir.Write("full.syn", full)));
  EXPECT_EQ(h.LastError(), VoxNoError);
}

TEST(PresetReader, OptionalWordsFollowTheVersion) {
  TempDir dir;
  Holder h;
  std::vector<int16_t> plain, v;
  ASSERT_TRUE(h.Load(dir.Write("v3.syn", SynFile().Bytes())));
  ASSERT_TRUE(h.Gen(plain));

  // Version 0 ends with the stereo mode (983 bytes); distortion and half speed off, normalise on.
  SynFile v0;
  v0.Version = 0;
  v0.Distortion = v0.HalfSpeed = 1;  // not written for version 0
  v0.Normalise = 0;
  ASSERT_EQ(v0.Bytes().size(), 983u);
  ASSERT_TRUE(h.Load(dir.Write("v0.syn", v0.Bytes())));
  ASSERT_TRUE(h.Gen(v));
  EXPECT_EQ(v, plain);

  // Version 1 carries distortion and half speed; normalise stays on.
  SynFile v1;
  v1.Version = 1;
  v1.HalfSpeed = 1;
  ASSERT_EQ(v1.Bytes().size(), 987u);
  ASSERT_TRUE(h.Load(dir.Write("v1.syn", v1.Bytes())));
  ASSERT_TRUE(h.Gen(v));
  EXPECT_EQ(v.size(), 2 * (2 * (plain.size() / 2 - 1)));
}

TEST(PresetReader, FailedLoadLeavesTheHolderEmpty) {
  TempDir dir;
  Holder h;
  int16_t sentinel = 0;
  int16_t* data = &sentinel;
  int32_t count = 12345;
  // Never loaded.
  EXPECT_EQ(VoxLibrary::Get().Gen(h.get(), &data, &count, -1), 0);
  // Loaded, then a failed load.
  ASSERT_TRUE(h.Load(dir.Write("ok.syn", SynFile().Bytes())));
  EXPECT_FALSE(h.Load(dir.File("gone.syn")));
  EXPECT_EQ(VoxLibrary::Get().Gen(h.get(), &data, &count, 24), 0);
  EXPECT_EQ(data, &sentinel);
  EXPECT_EQ(count, 12345);
  // Loading again works.
  ASSERT_TRUE(h.Load(dir.File("ok.syn")));
  EXPECT_EQ(VoxLibrary::Get().Gen(h.get(), &data, &count, -1), 1);
  EXPECT_EQ(count, 35296);
}

TEST(VoxLibrary, TestPresetPlaysNothing) {
  TempDir dir;
  Holder h;
  ASSERT_TRUE(h.Load(dir.Write("ok.syn", SynFile().Bytes())));
  EXPECT_EQ(VoxLibrary::Get().Test(h.get()), 0);
}

}  // namespace
