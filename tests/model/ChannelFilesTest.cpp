#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "model/Channels.h"
#include "model/Song.h"
#include "model/SongRecorder.h"

using namespace vs;

namespace {

class ChannelFiles : public ::testing::Test {
protected:
  std::filesystem::path Dir;
  void SetUp() override {
    char tmpl[] = "/tmp/vs-channelfiles-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    Dir = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (Dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
};

// 35 little-endian values: value i = i * 1000 - 3 (negative for i = 0).
std::string Preset404(size_t size = 140) {
  std::string bytes;
  for (int i = 0; i < 35; ++i) {
    const uint32_t v = static_cast<uint32_t>(i * 1000 - 3);
    for (int j = 0; j < 4; ++j) bytes.push_back(static_cast<char>((v >> (8 * j)) & 0xFF));
  }
  bytes.resize(size, '\x7F');
  return bytes;
}

}  // namespace

TEST_F(ChannelFiles, MakeMB404NamesAndListsSynthesizerChannels) {
  TSong song;
  AddChannel(song);
  AddChannel(song);
  AddChannel(song);
  SongRecorder rec;
  song.AddListener(&rec);
  song.Channels[2]->MakeMB404(true);
  song.Channels[0]->MakeMB404(true);
  song.Channels[1]->MakeMB404(false);
  EXPECT_EQ(song.Channels[2]->Name, "MB404 #1");
  EXPECT_EQ(song.Channels[0]->Name, "MB404 #2");
  EXPECT_EQ(song.Channels[1]->Name, "");
  EXPECT_EQ(song.Channels[0]->Color, 0x02F8F8F8u);
  EXPECT_EQ(song.Channels[1]->Color, 0xBAC8C8u);
  for (const auto& c : song.Channels) {
    EXPECT_EQ(c->Kind, 1);
    ASSERT_NE(c->Synth, nullptr);
    EXPECT_EQ(c->Synth->Params[P404Attack], 25);
    EXPECT_EQ(c->Synth->Params[P404StepGate], 224);
  }
  ASSERT_EQ(song.MB404Channels.size(), 3u);
  EXPECT_EQ(song.MB404Channels[0], song.Channels[2].get());
  EXPECT_EQ(song.MB404Channels[2], song.Channels[0].get());
  EXPECT_NE(std::find(rec.Events.begin(), rec.Events.end(), "channel 2"), rec.Events.end());
  // Making it again keeps the parameters it has.
  song.Channels[1]->Synth->Params[P404Cutoff] = 7;
  song.Channels[1]->MakeMB404(false);
  EXPECT_EQ(song.Channels[1]->Synth->Params[P404Cutoff], 7);
}

TEST_F(ChannelFiles, PresetLoadsLittleEndianValuesAndClearsTheSequence) {
  TSong song;
  TChannel& c = AddChannel(song);
  c.MakeMB404(false);
  c.Synth->Note[1] = 72;
  c.Synth->On[0] = 1;
  c.Synth->Sequence[5] = 9;
  ASSERT_TRUE(c.LoadMB404Preset(Write("bass.404", Preset404(150))));
  EXPECT_EQ(c.Synth->Params[0], -3);
  EXPECT_EQ(c.Synth->Params[1], 997);
  EXPECT_EQ(c.Synth->Params[34], 33997);
  EXPECT_EQ(c.Synth->Note[1], 60);
  EXPECT_EQ(c.Synth->On[0], 0);
  EXPECT_EQ(c.Synth->Sequence[5], 0);
}

TEST_F(ChannelFiles, PresetThatCannotApplyChangesNothing) {
  TSong song;
  TChannel& sample = AddChannel(song);
  const std::string good = Write("good.404", Preset404());
  EXPECT_FALSE(sample.LoadMB404Preset(good));
  EXPECT_EQ(sample.Kind, 0);
  EXPECT_EQ(sample.Synth, nullptr);

  TChannel& synth = AddChannel(song);
  synth.MakeMB404(false);
  synth.Synth->Note[1] = 72;
  const auto before = synth.Synth->Params;
  EXPECT_FALSE(synth.LoadMB404Preset(Write("short.404", Preset404(139))));
  EXPECT_FALSE(synth.LoadMB404Preset(Write("empty.404", "")));
  EXPECT_FALSE(synth.LoadMB404Preset((Dir / "missing.404").string()));
  EXPECT_FALSE(synth.LoadMB404Preset(Dir.string()));  // a folder
  EXPECT_EQ(synth.Synth->Params, before);
  EXPECT_EQ(synth.Synth->Note[1], 72);
}

TEST_F(ChannelFiles, StepValuesGoToTheSelectedPlaneOfTheCurrentPattern) {
  TSong song;
  song.CurrentPattern = 4;
  TChannel& c = AddChannel(song);
  SongRecorder rec;
  song.AddListener(&rec);
  std::string text = "'comment\r\nFXNum=12\r\n";
  for (int i = 0; i < 70; ++i) text += "Val=" + std::to_string(i % 2) + "\r\n";
  text += "FXNUM=0\nval=300\nVal=-5\nVal=abc\nVal=\nOther=3\nVal=17";
  ASSERT_TRUE(c.LoadFXText(Write("steps.fpr", text)));
  const TStepBlock* block = c.Steps.Block(4);
  ASSERT_NE(block, nullptr);
  EXPECT_FALSE(c.Steps.HasBlock(1));
  // Plane 8 (FXNum 12 clamped); step 63 took the last seven values.
  EXPECT_EQ(block->Get(62, PlaneFlags), 62 % 2);
  EXPECT_EQ(block->Get(63, PlaneFlags), 69 % 2);
  EXPECT_EQ(block->Get(1, PlaneFlags), 1);
  // Pan: 300 -> 127, -5 -> 0, no number -> the default, empty -> skipped.
  EXPECT_EQ(block->Get(0, PlanePan), 127);
  EXPECT_EQ(block->Get(1, PlanePan), 0);
  EXPECT_EQ(block->Get(2, PlanePan), 64);
  EXPECT_EQ(block->Get(3, PlanePan), 17);
  EXPECT_EQ(block->Get(4, PlanePan), 64);
  EXPECT_EQ(rec.Events, std::vector<std::string>{"steps 0"});
}

TEST_F(ChannelFiles, StepValuesAreClampedToEachPlane) {
  TSong song;
  TChannel& c = AddChannel(song);
  ASSERT_TRUE(c.LoadFXText(Write("a.fpr", "FXNum=2\nVal=999\nVal=-1\nFXNum=-4\nVal=128\nFXNum=x\nVal=5\n"
                                         "FXNum=6\nVal=255\nVal=256\nFXNum=8\nVal=2\n")));
  const TStepBlock* block = c.Steps.Block(1);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->Get(0, PlanePitch), 240);
  EXPECT_EQ(block->Get(1, PlanePitch), 0);
  EXPECT_EQ(block->Get(0, PlanePan), 5);  // "x" counts 0: plane 0 again, step 0
  EXPECT_EQ(block->Get(0, PlaneShift), 255);
  EXPECT_EQ(block->Get(1, PlaneShift), 255);
  EXPECT_EQ(block->Get(0, PlaneFlags), 1);
  // Unwritten steps keep what they had.
  EXPECT_EQ(block->Get(2, PlanePitch), 120);
}

TEST_F(ChannelFiles, UnreadableStepFileChangesNothing) {
  TSong song;
  TChannel& c = AddChannel(song);
  EXPECT_FALSE(c.LoadFXText((Dir / "missing.fpr").string()));
  EXPECT_FALSE(c.LoadFXText(Dir.string()));
  EXPECT_FALSE(c.Steps.HasBlock(1));
  // A file with endless garbage lines and no values still loads cleanly.
  ASSERT_TRUE(c.LoadFXText(Write("junk.fpr", std::string(100000, 'x') + "\n=\n'Val=3\nVal")));
  EXPECT_TRUE(c.Steps.IsPatternEmpty(1));
  EXPECT_EQ(c.Steps.GetStepValue(1, 0, PlaneVol), 100);
}

TEST(ChannelColour, RandomColourHasTheGivenSaturationAndLightness) {
  for (int i = 0; i < 50; ++i) {
    const uint32_t c = RandomChannelColor(0.87);
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    EXPECT_EQ(c >> 24, 0u);
    const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
    EXPECT_NEAR(hi + lo, 306, 2);                        // lightness 0.6
    EXPECT_NEAR(hi - lo, 0.87 * (510 - (hi + lo)), 3);  // saturation 0.87
  }
}
