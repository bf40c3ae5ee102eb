#include "platform/RtAudioStream.h"

#include <exception>

namespace vs {

std::unique_ptr<RtAudio> MakeRtAudio(std::string* error) {
  try {
    auto audio = std::make_unique<RtAudio>();
    audio->showWarnings(false);
    return audio;
  } catch (const std::exception& e) {
    if (error != nullptr) *error = e.what();
  }
  return nullptr;
}

bool StartRtAudioStream(RtAudio& audio, TRtStreamDirection direction, unsigned deviceId, unsigned channels,
                        unsigned rate, unsigned frames, RtAudioCallback callback, void* user, std::string* error) {
  RtAudio::StreamParameters params;
  params.deviceId = deviceId;
  params.nChannels = channels;
  params.firstChannel = 0;
  RtAudio::StreamOptions options;
  options.streamName = "VorbelSteps";
  unsigned bufferFrames = frames;
  const bool output = direction == TRtStreamDirection::Output;
  try {
    audio.openStream(output ? &params : nullptr, output ? nullptr : &params, RTAUDIO_SINT16, rate,
                     &bufferFrames, callback, user, &options, nullptr);
    audio.startStream();
  } catch (const std::exception& e) {
    if (error != nullptr) *error = e.what();
    return false;
  }
  return true;
}

void CloseRtAudioStream(RtAudio& audio) {
  try {
    if (audio.isStreamRunning()) audio.stopStream();
    if (audio.isStreamOpen()) audio.closeStream();
  } catch (const std::exception&) {
  }
}

}  // namespace vs
