#include "core/Tools.h"

#include <algorithm>

#include "core/ChannelFiles.h"
#include "core/PatternCommands.h"
#include "core/ProgramPaths.h"
#include "core/Recording.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

constexpr int ProductNameKey = 8;  // "ProductName" among the version keys

}  // namespace

bool IsWaveEditorTool(const TToolItem& tool) { return UpperCase(tool.Name) == UpperCase(WaveEditorToolName); }

TToolLaunchContext CurrentToolContext(const std::string& renderFileName) {
  TToolLaunchContext c;
  c.SamplesFolder = SamplesFolder();
  c.PendingRecordedFile = PendingRecordedFile();
  c.RenderFileName = renderFileName;
  const TSong& song = CurrentSong();
  if (const TChannel* channel = song.Channel(SelectedChannelIndex(song))) {
    c.ChannelSelected = channel->Selected;
    if (c.ChannelSelected && !channel->SampleFileName.empty())
      c.ChannelSample = ResolveSamplePath(channel->SampleFileName);
  }
  return c;
}

std::vector<std::string> ToolArguments(const TToolItem& tool, const TToolLaunchContext& context) {
  std::vector<std::string> args;
  auto add = [&args](const std::string& arg) {
    if (!arg.empty()) args.push_back(arg);
  };
  if (IsWaveEditorTool(tool)) {
    add("/T");
    add("/SUBDIR");
  }
  if (tool.Params & ToolWithSamplesPath) add(context.SamplesFolder);
  if (tool.Params & ToolWithChannelSample) {
    if (!context.PendingRecordedFile.empty())
      add(context.PendingRecordedFile);
    else
      add(context.ChannelSelected ? context.ChannelSample : context.RenderFileName);
  }
  return args;
}

std::vector<int> ToolMenuEntries(const std::array<TToolItem, ToolEntryCount>& tools, bool channelSampleOnly) {
  std::vector<int> entries;
  for (int i = 0; i < ToolEntryCount; ++i)
    if (!tools[i].Name.empty() && (!channelSampleOnly || (tools[i].Params & ToolWithChannelSample)))
      entries.push_back(i);
  return entries;
}

std::vector<int> StartupTools(const std::array<TToolItem, ToolEntryCount>& tools) {
  std::vector<int> entries;
  for (int i = 0; i < ToolEntryCount; ++i)
    if (!tools[i].FileName.empty() && (tools[i].Params & ToolStartAtLoad)) entries.push_back(i);
  return entries;
}

void MoveTool(std::array<TToolItem, ToolEntryCount>& tools, int from, int to) {
  if (from < 0 || from >= ToolEntryCount || to < 0 || to >= ToolEntryCount || from == to) return;
  if (from < to)
    std::rotate(tools.begin() + from, tools.begin() + from + 1, tools.begin() + to + 1);
  else
    std::rotate(tools.begin() + to, tools.begin() + from, tools.begin() + from + 1);
}

bool IsKnownSampleTool(const std::string& name) {
  // Two sound editors and two synthesizers that open a sample given to them;
  // the first is matched anywhere in the name ("Audacity 3.4").
  const std::string n = UpperCase(name);
  if (n.find("AUDACITY") != std::string::npos) return true;
  for (const char* known : {"MHWAVEEDIT", "ZYNADDSUBFX", "YOSHIMI"})
    if (n == known) return true;
  return false;
}

void ChooseToolProgram(TToolItem& tool, const std::string& fileName) {
  tool.FileName = fileName;
  if (tool.Name.empty()) {
    tool.Name = GetVersionInfoValue(fileName, ProductNameKey);
    if (tool.Name.empty()) {
      const std::string file = ExtractFileName(fileName);
      tool.Name = file.substr(0, file.size() - ExtractFileExt(file).size());
    }
  }
  if (IsWaveEditorTool(tool)) {
    tool.Params |= ToolWithSamplesPath;
    return;
  }
  if (IsKnownSampleTool(tool.Name)) tool.Params |= ToolWithChannelSample;
  tool.Params &= ~ToolLinkToMain;
}

int ToolEditorStartRow(const std::array<TToolItem, ToolEntryCount>& tools) {
  int row = 0;
  for (int i = 0; i < ToolEntryCount; ++i)
    if (!tools[i].Name.empty()) row = i;
  if (row < ToolEntryCount - 1 && !tools[row].Name.empty()) ++row;
  return row;
}

}  // namespace vs
