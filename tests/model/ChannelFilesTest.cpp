#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/model/Channels.h"
#include "core/model/Song.h"
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
