#pragma once
// A channel plays a processed copy of the file it loaded: the loaded sample
// is rebuilt with the channel's sample settings (ping-pong loop, stereo
// delay, reversal, the effect chain, the offline reverb, swapped sides, the
// play length) and then handed to the channel's own sample under MixerLock.
//
// Settings outside their controls' ranges count as the nearest end of the
// range (a song file may hold anything).

#include <array>
#include <cstdint>

#include "model/Channel.h"
#include "model/WAVSample.h"

namespace vs {

// sin(i degrees) x 16384, rounded, for i = 0..359.
const std::array<int32_t, 360>& SineTable();

// True when any setting of the effect chain differs from its neutral value.
bool ChannelEffectsOn(const TChannel& channel);

// Rebuilds sample in place as the channel's playable form. Reads only the
// channel's settings (and its sample's ping-pong mark) and the sample;
// sets the sample's NominalLength (the length after the ping-pong unroll,
// before stereo delay and reverb tail) and PlayLength. Nothing for an empty
// sample.
void BuildChannelSample(const TChannel& channel, TWAVSample& sample);

// The hand-over: under MixerLock, voices of the channel's sample are stopped
// when its play length changes or it is looped; the channel's sample takes
// the frames, lengths and loop of built (which is left empty); a sample
// without a loop is marked not looped.
void HandOverSample(TChannel& channel, TWAVSample& built);

// BuildChannelSample and HandOverSample of a freshly loaded sample. Nothing
// happens (the channel's sample stays as it is) when loaded is empty.
void ProcessSample(TChannel& channel, TWAVSample& loaded);

}  // namespace vs
