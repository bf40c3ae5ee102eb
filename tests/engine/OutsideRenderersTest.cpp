#include "engine/OutsideRenderers.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TempDir.h"
#ifdef VOXRENDER_PATH
#include "voxrender/VoxFixture.h"
#endif

namespace vs {
namespace {

const std::string Fakes = VS_FAKES_DIR;

class OutsideRenderers : public ::testing::Test {
protected:
  void Use(const std::string& folder) {
    UnloadOutsideRenderers();
    SetOutsideLibraryFolder(folder);
  }
  void TearDown() override {
    UnloadOutsideRenderers();
    SetOutsideLibraryFolder("");
  }
  // An export of the fake preset library loaded from the full folder.
  template <class Fn>
  Fn Fake(const char* name) {
    void* h = dlopen((Fakes + "/full/libvoxrender.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(h, nullptr);
    Fn f = h ? reinterpret_cast<Fn>(dlsym(h, name)) : nullptr;
    if (h) dlclose(h);
    return f;
  }
  void Preset(TWAVSample& s) {
    s.SetFrames({5, 6, 7, 8});
    s.Text1 = "old";
  }
  TTestDir Tmp;
};

TEST_F(OutsideRenderers, PresetRendersIntoTheSample) {
  Use(Fakes + "/full");
  const std::string path = Tmp.Write("bass.syn", "GOOD\n");
  TWAVSample s;
  Preset(s);
  ASSERT_EQ(LoadSynthPreset(path, s, 48), 0);
  EXPECT_EQ(s.Text1, path);
  ASSERT_EQ(s.Length, 3);  // count 7 values of interleaved stereo -> 3 frames
  EXPECT_EQ(s.Data, (std::vector<int16_t>{48, -48, 1, 2, 3, 4}));
  // Every created holder is deleted, also when the load fails.
  auto deleted = Fake<int (*)()>("fakeDeleteCount");
  ASSERT_TRUE(deleted);
  const int before = deleted();
  LoadSynthPreset(Tmp.Write("bad.syn", "BADLOAD\n"), s, 48);
  LoadSynthPreset(Tmp.Write("bad2.syn", "BADRENDER\n"), s, 48);
  EXPECT_EQ(deleted(), before + 2);
}

TEST_F(OutsideRenderers, LoadFailureLeavesTheSample) {
  Use(Fakes + "/full");
  TWAVSample s;
  Preset(s);
  EXPECT_EQ(LoadSynthPreset(Tmp.Write("a.syn", "BADLOAD\n"), s, -1), PresetLoadFailed);
  EXPECT_EQ(LoadSynthPreset(Tmp / "missing.syn", s, -1), PresetLoadFailed);
  EXPECT_EQ(s.Length, 2);
  EXPECT_EQ(s.Data, (std::vector<int16_t>{5, 6, 7, 8}));
  EXPECT_EQ(s.Text1, "old");
  // A holder that can't be made is a load failure, not a call with null.
  auto failCreate = Fake<void (*)(int)>("fakeFailCreate");
  ASSERT_TRUE(failCreate);
  failCreate(1);
  EXPECT_EQ(LoadSynthPreset(Tmp.Write("b.syn", "GOOD\n"), s, -1), PresetLoadFailed);
  failCreate(0);
  EXPECT_EQ(s.Length, 2);
}

TEST_F(OutsideRenderers, RenderFailureClearsTheSample) {
  Use(Fakes + "/full");
  for (const char* mode : {"BADRENDER\n", "NEGATIVE\n", "NULLDATA\n"}) {
    TWAVSample s;
    Preset(s);
    EXPECT_EQ(LoadSynthPreset(Tmp.Write("r.syn", mode), s, 60), PresetRenderFailed) << mode;
    EXPECT_TRUE(s.Empty()) << mode;
    EXPECT_EQ(s.Length, 0) << mode;
    EXPECT_EQ(s.Text1, "old") << mode;  // no half-made sample
  }
}

TEST_F(OutsideRenderers, MissingLibraryOrExportIsLibraryMissing) {
  TWAVSample s;
  Preset(s);
  Use(Tmp.Dir());  // nothing here, nor on the system's search path
  EXPECT_EQ(LoadSynthPreset(Tmp.Write("p.syn", "GOOD\n"), s, 60), LibraryMissing);
  EXPECT_EQ(RenderDSFile(Tmp / "a.ds", Tmp / "a.wav", nullptr), LibraryMissing);
  Use(Fakes + "/broken");  // libraries without genPreset and ds2wav
  EXPECT_EQ(LoadSynthPreset(Tmp / "p.syn", s, 60), LibraryMissing);
  EXPECT_EQ(RenderDSFile(Tmp / "a.ds", Tmp / "a.wav", nullptr), LibraryMissing);
  EXPECT_EQ(s.Length, 2);
  // Loading is tried again on the next call: the folder now holds them.
  SetOutsideLibraryFolder(Fakes + "/full");
  EXPECT_EQ(LoadSynthPreset(Tmp / "p.syn", s, 60), 0);
}

TEST_F(OutsideRenderers, DrumScriptPassesItsResult) {
  Use(Fakes + "/full");
  const std::string wav = Tmp / "out.wav";
  EXPECT_EQ(RenderDSFile(Tmp.Write("ok.ds", "0\n"), wav, nullptr), 0);
  std::ifstream in(wav, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), "RIFF");
  EXPECT_EQ(RenderDSFile(Tmp.Write("bad.ds", "3\n"), Tmp / "x.wav", nullptr), 3);
  EXPECT_EQ(RenderDSFile(Tmp / "none.ds", Tmp / "x.wav", nullptr), 2);
}

#ifdef VOXRENDER_PATH
TEST_F(OutsideRenderers, BindsTheRealPresetLibrary) {
  const std::string lib = VOXRENDER_PATH;
  Use(lib.substr(0, lib.rfind('/')));
  const auto bytes = voxtest::SynFile().Bytes();
  const std::string path = Tmp.Write("default.syn", std::string(bytes.begin(), bytes.end()));
  TWAVSample s;
  ASSERT_EQ(LoadSynthPreset(path, s, -1), 0);
  EXPECT_EQ(s.Length, 17648);
  EXPECT_EQ(s.Text1, path);
  TWAVSample t;
  Preset(t);
  EXPECT_EQ(LoadSynthPreset(Tmp.Write("text.syn", "not a preset"), t, -1), PresetLoadFailed);
  EXPECT_EQ(t.Length, 2);
}
#endif

}  // namespace
}  // namespace vs
