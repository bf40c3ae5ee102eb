#include <gtest/gtest.h>

#include <set>

#include "core/CommandLine.h"

namespace vs {
namespace {

using K = TCommandKind;

TCommandLine Parse(const std::vector<std::string>& args, std::set<std::string> files = {}) {
  return ParseCommandLine(args, [files](const std::string& name) { return files.count(name) > 0; });
}

TCommandAction One(const std::string& arg, std::set<std::string> files = {}) {
  const TCommandLine line = Parse({arg}, files);
  EXPECT_EQ(line.Actions.size(), 1u);
  return line.Actions.empty() ? TCommandAction{} : line.Actions[0];
}

TEST(CommandLine, SwitchForms) {
  EXPECT_EQ(One("/B120"), (TCommandAction{K::Tempo, 120, ""}));
  EXPECT_EQ(One("/b90"), (TCommandAction{K::Tempo, 90, ""}));
  EXPECT_EQ(One("/B5000"), (TCommandAction{K::Tempo, 999, ""}));
  // Not a number asks for tempo 0, which the tempo range makes 30.
  EXPECT_EQ(One("/Bfast"), (TCommandAction{K::Tempo, 30, ""}));
  EXPECT_EQ(One("/B"), (TCommandAction{K::Tempo, 30, ""}));
  EXPECT_EQ(One("/M"), (TCommandAction{K::MonoRender, 0, ""}));
  EXPECT_EQ(One("/mono"), (TCommandAction{K::MonoRender, 0, ""}));
  EXPECT_EQ(One("/P3"), (TCommandAction{K::Pitch, 3, ""}));
  EXPECT_EQ(One("/P-5"), (TCommandAction{K::Pitch, -5, ""}));
  EXPECT_EQ(One("/P999"), (TCommandAction{K::Pitch, MaxCommandPitch, ""}));
  EXPECT_EQ(One("/V64"), (TCommandAction{K::Volume, 64, ""}));
  EXPECT_EQ(One("/V200"), (TCommandAction{K::Volume, 128, ""}));
  EXPECT_EQ(One("/V-1"), (TCommandAction{K::Volume, 0, ""}));
  EXPECT_EQ(One("/Rout"), (TCommandAction{K::Render, 0, "out.WAV"}));
  EXPECT_EQ(One("/Rmix.wav"), (TCommandAction{K::Render, 0, "mix.WAV"}));
  EXPECT_EQ(One("/R/tmp/x/beat.zmp"), (TCommandAction{K::Render, 0, "/tmp/x/beat.WAV"}));
  // A letter that is no switch: not a switch form, so a song name.
  EXPECT_EQ(One("/X12").Kind, K::OpenSong);
}

TEST(CommandLine, PatternModeOnlyInCapitals) {
  EXPECT_EQ(One("/PAT").Kind, K::PatternMode);
  // Other letter cases do nothing at all (not even pitch 0).
  EXPECT_EQ(One("/pat").Kind, K::Ignored);
  EXPECT_EQ(One("/Pat").Kind, K::Ignored);
  EXPECT_NE(One("/PATTERN").Kind, K::PatternMode);
}

TEST(CommandLine, WholeArgumentFlags) {
  TCommandLine line = Parse({"/R", "/t", "/nosplash"});
  EXPECT_TRUE(line.RenderAfterSave);
  EXPECT_TRUE(line.Topmost);
  EXPECT_TRUE(line.NoSplash);
  // "/R" alone only sets the flag: it renders nothing.
  EXPECT_FALSE(line.Batch());
  for (const TCommandAction& a : line.Actions) EXPECT_EQ(a.Kind, K::Ignored);
  line = Parse({"/Top", "/Rx"});
  EXPECT_FALSE(line.Topmost);
  EXPECT_FALSE(line.RenderAfterSave);
  EXPECT_TRUE(line.Batch());
}

TEST(CommandLine, AbsolutePathsAreSongs) {
  // Not a switch form: a song, whether it exists or not.
  EXPECT_EQ(One("/home/me/beat.zmp"), (TCommandAction{K::OpenSong, 0, "/home/me/beat.zmp"}));
  EXPECT_EQ(One("beat.zmp"), (TCommandAction{K::OpenSong, 0, "beat.zmp"}));
  // A switch form that names an existing file is that file.
  EXPECT_EQ(One("/Music/beat.zmp", {"/Music/beat.zmp"}).Kind, K::OpenSong);
  EXPECT_EQ(One("/Music/beat.zmp").Kind, K::MonoRender);
  EXPECT_EQ(One("/B", {"/B"}), (TCommandAction{K::OpenSong, 0, "/B"}));
}

struct Recorder : TCommandLineTarget {
  std::vector<std::string> Calls;
  std::set<std::string> BadSongs;
  bool RenderFails = false;
  bool OpenSong(const std::string& f) override {
    Calls.push_back("open " + f);
    return BadSongs.count(f) == 0;
  }
  void SetPatternMode() override { Calls.push_back("pattern"); }
  void SetTempo(int bpm) override { Calls.push_back("tempo " + std::to_string(bpm)); }
  void SetMonoRender() override { Calls.push_back("mono"); }
  void SetMasterPitch(int s) override { Calls.push_back("pitch " + std::to_string(s)); }
  void SetMasterVolume(int v) override { Calls.push_back("volume " + std::to_string(v)); }
  bool RenderToFile(const std::string& f) override {
    Calls.push_back("render " + f);
    return !RenderFails;
  }
};

TEST(CommandLine, AppliedInOrder) {
  Recorder r;
  EXPECT_TRUE(ApplyCommandLine(Parse({"a.zmp", "/B100", "/PAT", "b.zmp", "/V20", "/P2", "/M", "/Rout"}), r));
  EXPECT_EQ(r.Calls, (std::vector<std::string>{"open a.zmp", "tempo 100", "pattern", "open b.zmp",
                                               "volume 20", "pitch 2", "mono", "render out.WAV"}));
}

TEST(CommandLine, ASongBeforeTheFirstRenderIsTheOneHeard) {
  const auto exists = [](const std::string&) { return false; };
  EXPECT_TRUE(ParseCommandLine({"/B99", "a.zmp", "/Rout", "b.zmp"}, exists).OpensSongFirst());
  EXPECT_FALSE(ParseCommandLine({"/B99", "/Rout", "a.zmp"}, exists).OpensSongFirst());
  EXPECT_FALSE(ParseCommandLine({"/B99"}, exists).OpensSongFirst());
}

TEST(CommandLine, BatchStopsAtABadSongOrAFailedRender) {
  Recorder r;
  r.BadSongs = {"missing.zmp"};
  EXPECT_FALSE(ApplyCommandLine(Parse({"missing.zmp", "/Rout"}), r));
  EXPECT_EQ(r.Calls, (std::vector<std::string>{"open missing.zmp"}));

  // Without a render a bad song is reported by the program and the rest goes on.
  Recorder w;
  w.BadSongs = {"missing.zmp"};
  EXPECT_TRUE(ApplyCommandLine(Parse({"missing.zmp", "/B99"}), w));
  EXPECT_EQ(w.Calls.size(), 2u);

  Recorder f;
  f.RenderFails = true;
  EXPECT_FALSE(ApplyCommandLine(Parse({"/Rout", "/B99"}), f));
  EXPECT_EQ(f.Calls, (std::vector<std::string>{"render out.WAV"}));
}

}  // namespace
}  // namespace vs
