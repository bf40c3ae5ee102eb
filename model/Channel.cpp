#include "model/Channel.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/Song.h"
#include "toolbox/AllTools.h"

namespace vs {

TChannel::TChannel(TSong* owner) : Owner(owner), Steps(owner ? &owner->StepContext : nullptr) {
  ControllerStart.fill(255);
  for (auto& l : StepLamps) l.store(0, std::memory_order_relaxed);
  Steps.OnStepOnChanged = [this](int pattern, int step) {
    if (Owner) Owner->Notify(&SongListener::StepOnChanged, Index(), pattern, step);
  };
}

TChannel::~TChannel() = default;

int TChannel::Index() const {
  if (!Owner) return -1;
  for (size_t i = 0; i < Owner->Channels.size(); ++i)
    if (Owner->Channels[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TChannel::MakeMB404(bool rename) {
  if (rename) {
    int others = 0;
    if (Owner)
      for (const auto& c : Owner->Channels)
        if (c.get() != this && c->Kind == 1) ++others;
    const std::string name = "MB404 #" + std::to_string(others + 1);
    if (Owner && Index() >= 0)
      SetChannelName(*Owner, Index(), name);
    else
      Name = name;
    SetColor(0x02F8F8F8);
  }
  std::unique_ptr<MB404Params> params = Synth ? nullptr : NewMB404Params();
  {
    MixerGuard lock;
    Kind = 1;
    if (params) Synth = std::move(params);
    if (Owner) RebuildMB404List(*Owner);
  }
  if (Owner) Owner->Notify(&SongListener::ChannelChanged, Index());
}

bool TChannel::LoadMB404Preset(const std::string& fileName) {
  if (Kind != 1 || !Synth) return false;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  MB404Block bytes{};
  in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return false;
  {
    MixerGuard lock;
    ClearMB404Sequence(*Synth);
    MB404ParamsFromBytes(*Synth, bytes.data(), bytes.size());
  }
  if (Owner) Owner->Notify(&SongListener::ChannelChanged, Index());
  return true;
}

namespace {

// Reads one line of at most MaxLine characters (the rest of a longer line
// is skipped). False at the end of the stream.
bool ReadLine(std::istream& in, std::string& line) {
  constexpr size_t MaxLine = 4096;
  line.clear();
  int c;
  bool any = false;
  while ((c = in.get()) != EOF) {
    any = true;
    if (c == '\n') return true;
    if (line.size() < MaxLine) line.push_back(static_cast<char>(c));
  }
  return any;
}

}  // namespace

bool TChannel::LoadFXText(const std::string& fileName) {
  std::error_code error;
  if (std::filesystem::is_directory(fileName, error)) return false;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;

  // Values are gathered apart and written into the block at the end.
  TStepBlock values;
  std::array<bool, StepPlaneCount * MaxSteps> written{};
  int plane = 0, step = 0;
  std::string line;
  while (ReadLine(in, line)) {
    if (auto v = ParseKeyValueLine(line, "FXNum"); v && !v->empty()) {
      plane = std::clamp(StrToIntDef(*v, 0), 0, StepPlaneCount - 1);
      step = 0;
    }
    if (auto v = ParseKeyValueLine(line, "Val"); v && !v->empty()) {
      const TFXInfo& lane = StepLanes[plane];
      const int value = std::clamp(StrToIntDef(*v, lane.Default), 0, lane.Max);
      values.Set(step, plane, static_cast<uint8_t>(value));
      written[plane * MaxSteps + step] = true;
      if (step < MaxSteps - 1) ++step;
    }
  }
  if (in.bad()) return false;

  const int pattern = Owner ? Owner->CurrentPattern : 1;
  {
    MixerGuard lock;
    Steps.AllocPattern(pattern);
    if (TStepBlock* block = Steps.Block(pattern))
      for (size_t i = 0; i < written.size(); ++i)
        if (written[i]) block->Put(int(i), values.At(int(i)));
  }
  if (Owner) Owner->Notify(&SongListener::StepsChanged, Index());
  return true;
}

void TChannel::SetColor(uint32_t color) {
  Color = color;
  if (Owner) Owner->Notify(&SongListener::ChannelChanged, Index());
}

void TChannel::SetZipped(bool collapsed) {
  Collapsed = collapsed;
  if (collapsed)
    Selected = false;
  else if (!Owner || Owner->SelectOnExpand)
    Selected = true;
  if (!Owner) return;
  Owner->Notify(&SongListener::ChannelChanged, Index());
  Owner->NotifyValue(TSongValue::Selection);
}

}  // namespace vs
