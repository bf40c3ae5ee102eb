// The tool list without windows: each argument of a tool is one argument,
// the menus list only named tools, and the tools editor's choices.

#include <gtest/gtest.h>

#include "core/Tools.h"

namespace vs {
namespace {

TEST(ToolsTest, ArgumentsAreSeparateAndFollowTheFlags) {
  TToolLaunchContext c;
  c.SamplesFolder = "/data/My Samples/";
  c.ChannelSample = "/data/My Samples/Kick 1.wav";
  c.ChannelSelected = true;
  c.RenderFileName = "/songs/last render.wav";
  TToolItem tool{"Editor", "/usr/bin/editor", ToolWithSamplesPath | ToolWithChannelSample};
  // Spaces stay inside their argument; nothing is joined for a shell.
  EXPECT_EQ(ToolArguments(tool, c), (std::vector<std::string>{"/data/My Samples/", "/data/My Samples/Kick 1.wav"}));
  // The channel not selected: the file rendered last.
  c.ChannelSelected = false;
  EXPECT_EQ(ToolArguments(tool, c)[1], "/songs/last render.wav");
  // A recording saved and not yet loaded comes first of all.
  c.PendingRecordedFile = "/data/Recorded_3.wav";
  EXPECT_EQ(ToolArguments(tool, c)[1], "/data/Recorded_3.wav");
  // An empty argument is left out; no flags, no arguments.
  c = {};
  c.SamplesFolder = "/s/";
  EXPECT_EQ(ToolArguments(tool, c), std::vector<std::string>{"/s/"});
  tool.Params = ToolStartAtLoad;
  EXPECT_TRUE(ToolArguments(tool, c).empty());
  // The wave editor, in any letter case, starts with its own switches.
  TToolItem wave{"TINDLE", "/opt/tindle", ToolWithSamplesPath};
  EXPECT_EQ(ToolArguments(wave, c), (std::vector<std::string>{"/T", "/SUBDIR", "/s/"}));
}

TEST(ToolsTest, MenusListNamedToolsAndTheListReorders) {
  std::array<TToolItem, ToolEntryCount> tools;
  tools[0] = {"A", "/a", ToolWithChannelSample};
  tools[1] = {"", "/nameless", ToolWithChannelSample | ToolStartAtLoad};
  tools[3] = {"D", "/d", ToolStartAtLoad};
  EXPECT_EQ(ToolMenuEntries(tools, false), (std::vector<int>{0, 3}));
  EXPECT_EQ(ToolMenuEntries(tools, true), std::vector<int>{0});
  EXPECT_EQ(StartupTools(tools), (std::vector<int>{1, 3}));
  // The editor offers the first free row after the last named tool.
  EXPECT_EQ(ToolEditorStartRow(tools), 4);
  tools[4].Name = "E";
  EXPECT_EQ(ToolEditorStartRow(tools), 4);
  EXPECT_EQ(ToolEditorStartRow({}), 0);

  MoveTool(tools, 0, 3);
  EXPECT_EQ(tools[2].Name, "D");
  EXPECT_EQ(tools[3].Name, "A");
  MoveTool(tools, 4, 0);
  EXPECT_EQ(tools[0].Name, "E");
  EXPECT_EQ(tools[4].Name, "A");
  MoveTool(tools, 0, 9);  // outside: nothing moves
  EXPECT_EQ(tools[0].Name, "E");
}

TEST(ToolsTest, AChosenProgramNamesTheToolAndTicksWhatItTakes) {
  TToolItem tool;
  tool.Params = ToolLinkToMain;
  ChooseToolProgram(tool, "/opt/audacity-3.4/bin/Audacity Portable.AppImage");
  EXPECT_EQ(tool.Name, "Audacity Portable");
  EXPECT_EQ(tool.Params, ToolWithChannelSample);  // a known editor; no link
  TToolItem named{"My synth", "", 0};
  ChooseToolProgram(named, "/usr/bin/yoshimi");
  EXPECT_EQ(named.Name, "My synth");
  EXPECT_EQ(named.FileName, "/usr/bin/yoshimi");
  EXPECT_EQ(named.Params, 0);
  TToolItem wave{"Tindle", "", ToolLinkToMain};
  ChooseToolProgram(wave, "/opt/tindle/tindle");
  EXPECT_EQ(wave.Params, ToolLinkToMain | ToolWithSamplesPath);
  EXPECT_TRUE(IsKnownSampleTool("yoshimi"));
  EXPECT_FALSE(IsKnownSampleTool("yoshimi-extra"));
}

}  // namespace
}  // namespace vs
