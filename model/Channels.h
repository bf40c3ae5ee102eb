#pragma once
// The channel collection of a song: adding, inserting and deleting channels
// while keeping every index link (mix targets, random-choice lists) right,
// the list of synthesizer channels, naming and cut groups. Structural
// changes are made under MixerLock; the song's listeners hear of them after
// the lock is released.

#include <cstdint>
#include <functional>
#include <string>

#include "model/Song.h"

namespace vs {

// Appends a channel (expanded, targeting itself, random-choice list [own
// index]) and marks the song modified.
TChannel& AddChannel(TSong& song);

// Inserts a new channel at index (clamped to 0..count); links to channels at
// or after index move up by one.
TChannel& InsertChannel(TSong& song, int index);

// Deletes the channel at index. In every other channel a mix target that
// named it goes back to that channel itself and one beyond it moves down by
// one; every random-choice entry naming it is removed and entries beyond it
// move down. Marks the song modified. False when index names no channel.
bool DeleteChannel(TSong& song, int index);

// MB404Channels := the channels of kind 1, from the last channel to the first.
void RebuildMB404List(TSong& song);

// Stores a channel's name when it differs; the views then redraw the name
// and the channel lists. True when the name changed.
bool SetChannelName(TSong& song, int index, const std::string& name);

// The caption a name button of the given width shows for a name: "SET" for
// an empty name, otherwise the name shortened from its end, one character at
// a time, until textWidth(caption) <= buttonWidth - 7 (possibly to nothing).
std::string ShortenChannelCaption(const std::string& name, int buttonWidth,
                                  const std::function<int(const std::string&)>& textWidth);

// A colour of random hue with the given saturation and lightness 0.6
// ($00BBGGRR).
uint32_t RandomChannelColor(double saturation);

// True when a channel other than the asking one has a sample whose cut group
// or cut-by group equals group.
bool CutGroupInUse(const TSong& song, int group, int askingIndex);
// The smallest group number >= 1 that CutGroupInUse reports free.
int FirstFreeCutGroup(const TSong& song, int askingIndex);

// Called under MixerLock just before a channel leaves its song for good.
// The engine installs it to stop every voice (a voice may still be playing
// the channel's sample); the model alone needs none.
using ChannelFreeHook = void (*)(TSong& song, TChannel& channel);
void SetChannelFreeHook(ChannelFreeHook hook);

}  // namespace vs
