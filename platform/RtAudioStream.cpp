#include "platform/RtAudioStream.h"

#include <cstring>
#include <exception>

#include "platform/JackClient.h"

namespace vs {

struct TRtStream::TLink {
  explicit TLink(TRtStreamTarget* target, unsigned bytesPerFrame) : Gate(target), FrameBytes(bytesPerFrame) {}
  TCallbackGate<TRtStreamTarget> Gate;
  unsigned FrameBytes;
  bool Output = true;
};

namespace {

int Callback(void* output, void* input, unsigned frames, double, RtAudioStreamStatus, void* user) {
  auto* link = static_cast<TRtStream::TLink*>(user);
  const bool reached = link->Gate.Call([&](TRtStreamTarget& t) { t.StreamFrames(output, input, frames); });
  if (!reached && link->Output && output != nullptr) std::memset(output, 0, size_t(frames) * link->FrameBytes);
  return 0;
}

void CloseRtAudio(RtAudio& audio) {
  try {
    if (audio.isStreamRunning()) audio.abortStream();
  } catch (const std::exception&) {
  }
  try {
    if (audio.isStreamOpen()) audio.closeStream();
  } catch (const std::exception&) {
  }
}

}  // namespace

std::unique_ptr<TRtStream> TRtStream::Open(const TAudioDeviceEntry& device, TRtStreamDirection direction,
                                           unsigned channels, unsigned rate, unsigned frames,
                                           TRtStreamTarget* target, std::string* error) {
  const RtAudio::Api api = device.Api == TAudioApi::Pulse ? RtAudio::LINUX_PULSE : RtAudio::LINUX_ALSA;
  PrepareSoundLibraries();
  std::unique_ptr<TRtStream> stream(new TRtStream());
  stream->Link = std::make_unique<TLink>(target, channels * 2);
  const bool output = direction == TRtStreamDirection::Output;
  stream->Link->Output = output;
  RtAudio::StreamParameters params;
  params.deviceId = device.Index;
  params.nChannels = channels;
  params.firstChannel = 0;
  RtAudio::StreamOptions options;
  options.streamName = JackClientName;
  unsigned bufferFrames = frames;
  try {
    stream->Audio = std::make_unique<RtAudio>(api);
    stream->Audio->showWarnings(false);
    stream->Audio->openStream(output ? &params : nullptr, output ? nullptr : &params, RTAUDIO_SINT16, rate,
                              &bufferFrames, &Callback, stream->Link.get(), &options, nullptr);
    stream->Audio->startStream();
    stream->Period = bufferFrames;
  } catch (const std::exception& e) {
    if (error != nullptr) *error = e.what();
    return nullptr;  // the destructor closes what was opened
  }
  return stream;
}

TRtStream::~TRtStream() {
  if (Link) Link->Gate.Detach();
  if (!Audio) return;
  std::shared_ptr<RtAudio> audio(std::move(Audio));
  std::shared_ptr<TLink> link(std::move(Link));
  RunWithin([audio, link] { CloseRtAudio(*audio); });
}

}  // namespace vs
