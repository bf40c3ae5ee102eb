#include "model/Channels.h"

#include <algorithm>
#include <atomic>
#include <random>
#include <utility>

#include "model/MixerLock.h"
#include "toolbox/AllTools.h"

namespace vs {

namespace {

std::atomic<ChannelFreeHook> FreeHook{nullptr};

// Builds a channel apart from the song (allocation outside the lock).
std::unique_ptr<TChannel> NewChannel(TSong& song) { return std::make_unique<TChannel>(&song); }

// Appends under the caller's MixerLock; the channel targets itself.
TChannel& AppendChannel(TSong& song, std::unique_ptr<TChannel> channel) {
  const int index = song.ChannelCount();
  channel->MixTarget = index;
  channel->RandomChoice.assign(1, index);
  channel->Collapsed = false;
  song.Channels.push_back(std::move(channel));
  return *song.Channels.back();
}

}  // namespace

void SetChannelFreeHook(ChannelFreeHook hook) { FreeHook.store(hook); }

TChannel& AddChannel(TSong& song) {
  auto channel = NewChannel(song);
  TChannel* added;
  {
    MixerGuard lock;
    added = &AppendChannel(song, std::move(channel));
  }
  song.Notify(&SongListener::ChannelListChanged);
  song.SetModified();
  return *added;
}

TChannel& InsertChannel(TSong& song, int index) {
  auto channel = NewChannel(song);
  TChannel* inserted;
  {
    MixerGuard lock;
    index = std::clamp(index, 0, song.ChannelCount());
    for (auto& c : song.Channels) {
      if (c->MixTarget >= index) ++c->MixTarget;
      for (int32_t& r : c->RandomChoice)
        if (r >= index) ++r;
    }
    inserted = &AppendChannel(song, std::move(channel));
    std::rotate(song.Channels.begin() + index, song.Channels.end() - 1, song.Channels.end());
    inserted->MixTarget = index;
    if (inserted->RandomChoice.empty())
      inserted->RandomChoice.push_back(index);
    else
      inserted->RandomChoice.front() = index;
    RebuildMB404List(song);
  }
  song.Notify(&SongListener::ChannelListChanged);
  song.SetModified();
  return *inserted;
}

bool DeleteChannel(TSong& song, int index) {
  std::unique_ptr<TChannel> removed;
  {
    MixerGuard lock;
    if (index < 0 || index >= song.ChannelCount()) return false;
    if (ChannelFreeHook hook = FreeHook.load()) hook(song, *song.Channels[index]);
    removed = std::move(song.Channels[index]);
    song.Channels.erase(song.Channels.begin() + index);
    for (int i = song.ChannelCount() - 1; i >= 0; --i) {
      TChannel& c = *song.Channels[i];
      // A link at the deleted channel moves to the one before it; there is
      // none before the first, so a link at that one stays on its own row.
      if (c.MixTarget == 0 && index == 0)
        c.MixTarget = i;
      else if (c.MixTarget >= index)
        --c.MixTarget;
      auto& list = c.RandomChoice;
      list.erase(std::remove(list.begin(), list.end(), index), list.end());
      for (int32_t& r : list)
        if (r > index) --r;
    }
    RebuildMB404List(song);
  }
  removed.reset();  // freed outside the lock; nothing refers to it any more
  song.Notify(&SongListener::ChannelListChanged);
  song.SetModified();
  return true;
}

void RebuildMB404List(TSong& song) {
  MixerGuard lock;
  song.MB404Channels.clear();
  for (int i = song.ChannelCount() - 1; i >= 0; --i)
    if (song.Channels[i]->Kind == 1) song.MB404Channels.push_back(song.Channels[i].get());
}

bool SetChannelName(TSong& song, int index, const std::string& name) {
  TChannel* channel = song.Channel(index);
  if (!channel || channel->Name == name) return false;
  channel->Name = name;
  song.Notify(&SongListener::ChannelListChanged);
  song.Notify(&SongListener::ChannelChanged, index);
  return true;
}

std::string ShortenChannelCaption(const std::string& name, int buttonWidth,
                                  const std::function<int(const std::string&)>& textWidth) {
  if (name.empty()) return "SET";
  std::string caption = name;
  while (!caption.empty() && textWidth(caption) > buttonWidth - 7) {
    // Drop one whole character (its UTF-8 continuation bytes with it).
    size_t cut = caption.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(caption[cut]) & 0xC0) == 0x80) --cut;
    caption.erase(cut);
  }
  return caption;
}

uint32_t RandomChannelColor(double saturation) {
  thread_local std::mt19937 generator{std::random_device{}()};
  const int hue = std::uniform_int_distribution<int>(0, 360)(generator);
  return HSLToColor(hue / 360.0, saturation, 0.6);
}

bool CutGroupInUse(const TSong& song, int group, int askingIndex) {
  for (int i = 0; i < song.ChannelCount(); ++i) {
    if (i == askingIndex) continue;
    const TWAVSample& s = song.Channels[i]->Sample;
    if (s.CutGroup == group || s.CutByGroup == group) return true;
  }
  return false;
}

int FirstFreeCutGroup(const TSong& song, int askingIndex) {
  int group = 1;
  while (CutGroupInUse(song, group, askingIndex)) ++group;
  return group;
}

}  // namespace vs
