#pragma once
// The tool list without windows: what a tool is started with, which tools
// the menus list, and the choices the tools editor makes for a program the
// user picks. Starting the program is the window side's (a process with an
// argument list, never a command line for a shell).
//
// Arguments, each one argument of its own, in this order:
// - the wave editor ("Tindle", in any letter case): "/T" and "/SUBDIR";
// - with ToolWithSamplesPath: the samples folder;
// - with ToolWithChannelSample: the recorded file saved last and not yet
//   loaded, else the sample file of the current channel when that channel
//   is selected, else the file rendered last.
// An argument that would be empty is left out.

#include <array>
#include <string>
#include <vector>

#include "model/Preferences.h"

namespace vs {

constexpr const char* WaveEditorToolName = "Tindle";
bool IsWaveEditorTool(const TToolItem& tool);

// What the arguments are made of.
struct TToolLaunchContext {
  std::string SamplesFolder;
  std::string PendingRecordedFile;
  std::string ChannelSample;     // the current channel's sample file, found
  bool ChannelSelected = false;  // the current channel is a selected one
  std::string RenderFileName;
};
// The program's state now: the samples folder, the pending recording, the
// channel SelectedChannelIndex of the current song with its sample found
// (ResolveSamplePath), and the given render target.
TToolLaunchContext CurrentToolContext(const std::string& renderFileName);

std::vector<std::string> ToolArguments(const TToolItem& tool, const TToolLaunchContext& context);

// The tools a menu lists, by index: every tool with a name, or only those
// that take the channel's sample.
std::vector<int> ToolMenuEntries(const std::array<TToolItem, ToolEntryCount>& tools, bool channelSampleOnly);
// The tools started at start-up.
std::vector<int> StartupTools(const std::array<TToolItem, ToolEntryCount>& tools);

// Moves the tool at from to the place to (the others close up); indexes
// outside the list change nothing.
void MoveTool(std::array<TToolItem, ToolEntryCount>& tools, int from, int to);

// A program chosen in the tools editor: a tool without a name takes the
// file's product name, or else its name without folder and extension. A
// known sound editor or synthesizer takes the channel's sample and no link;
// the wave editor takes the samples folder.
void ChooseToolProgram(TToolItem& tool, const std::string& fileName);
// The sound editors and synthesizers known to take a sample file.
bool IsKnownSampleTool(const std::string& name);

// The row the tools editor offers when shown: after the last named tool
// (the first free entry), or the last row.
int ToolEditorStartRow(const std::array<TToolItem, ToolEntryCount>& tools);

}  // namespace vs
