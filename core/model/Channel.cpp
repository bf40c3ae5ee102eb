#include "core/model/Channel.h"

#include <fstream>

#include "core/model/Channels.h"
#include "core/model/MixerLock.h"
#include "core/model/Song.h"

namespace vs {

TChannel::TChannel(TSong* owner) : Owner(owner), Steps(owner ? &owner->StepContext : nullptr) {
  ControllerStart.fill(255);
  for (auto& l : StepLamps) l.store(0, std::memory_order_relaxed);
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
  if (Owner) Owner->Notify(&SongListener::ChannelChanged, Index());
}

}  // namespace vs
