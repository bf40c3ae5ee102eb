#pragma once
// The RtAudio stream of one device, output or input: 16-bit frames at the
// given rate, opened and started at once, stopped and closed without
// throwing. Shared by the output and the capture devices.

#include <rtaudio/RtAudio.h>

#include <memory>
#include <string>

namespace vs {

enum class TRtStreamDirection { Output, Input };

// A new RtAudio with its warnings off; nullptr (and the message) when the
// library can't start.
std::unique_ptr<RtAudio> MakeRtAudio(std::string* error);

// Opens and starts a stream of `channels` on device `deviceId`; false with
// RtAudio's message when it can't.
bool StartRtAudioStream(RtAudio& audio, TRtStreamDirection direction, unsigned deviceId, unsigned channels,
                        unsigned rate, unsigned frames, RtAudioCallback callback, void* user, std::string* error);

// Stops and closes the stream, if any; errors are ignored.
void CloseRtAudioStream(RtAudio& audio);

}  // namespace vs
