// Stereo modes and the post-processing of a rendered preset. Channels are
// unsigned 16-bit values with 32768 as zero.
#pragma once

#include <cstdint>
#include <vector>

namespace vs::vox {

using Channel = std::vector<uint16_t>;

// Derives the right channel from the mono left one (and for some modes
// changes the left one). Unknown modes copy the left channel.
void ApplyStereoMode(int mode, Channel& left, Channel& right);

// Delays a channel by a number of frames, silence before.
Channel Delayed(const Channel& in, int64_t frames);

// v := sin((v - 32768) * 1.5 * pi / 32768) * 32767 + 32768.
void Distort(Channel& values);

// Raises quiet sounds so that their peak is 32512; sounds whose factor would
// be below 1.1, and silence, are left as they are.
void Normalise(Channel& left, Channel& right);

// Linear upsampling by two: every frame is followed by the average of it and
// the next one; the last frame is dropped (n frames become 2 (n - 1)).
Channel HalfSpeed(const Channel& in);

}  // namespace vs::vox
