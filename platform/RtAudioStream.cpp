#include "platform/RtAudioStream.h"

#include <atomic>
#include <cstring>
#include <exception>
#include <optional>

#include "platform/JackClient.h"
#include "toolbox/ThreadPriority.h"

namespace vs {

struct TRtStream::TLink {
  explicit TLink(TRtStreamTarget* target, unsigned bytesPerFrame) : Gate(target), FrameBytes(bytesPerFrame) {}
  TCallbackGate<TRtStreamTarget> Gate;
  unsigned FrameBytes;
  bool Output = true;
  bool Pulse = false;
  std::atomic<bool> Lost{false};
};

namespace {

// The link of the stream whose thread this is: RtAudio runs each stream's
// callback and reports the stream's errors on that stream's own thread.
thread_local TRtStream::TLink* ThreadLink = nullptr;

int Callback(void* output, void* input, unsigned frames, double, RtAudioStreamStatus, void* user) {
  auto* link = static_cast<TRtStream::TLink*>(user);
  if (ThreadLink != link) {
    // The device's thread runs above the mix thread that feeds it, as a
    // JACK server's threads do.
    SetCurrentThreadPriority(TThreadPriority::Highest);
    ThreadLink = link;
  }
  if (link->Lost.load()) {
    // The server is gone: RtAudio would come back at once, again and again.
    if (link->Output && output != nullptr) std::memset(output, 0, size_t(frames) * link->FrameBytes);
    return 2;  // stops the stream's thread until the close
  }
  const bool reached = link->Gate.Call([&](TRtStreamTarget& t) { t.StreamFrames(output, input, frames); });
  if (!reached && link->Output && output != nullptr) std::memset(output, 0, size_t(frames) * link->FrameBytes);
  return 0;
}

// A PulseAudio stream reports an error from its thread only when the
// connection to the server failed: the server went away. (ALSA reports its
// underruns this way too; those are not a loss.)
void StreamError(RtAudioError::Type, const std::string& text) {
  TRtStream::TLink* link = ThreadLink;
  if (link == nullptr || !link->Pulse || link->Lost.exchange(true)) return;
  std::string why = "the PulseAudio server went away";
  if (const size_t comma = text.rfind(", "); comma != std::string::npos) {
    std::string detail = text.substr(comma + 2);
    while (!detail.empty() && detail.back() == '.') detail.pop_back();
    if (!detail.empty()) why += " (" + detail + ")";
  }
  link->Gate.Call([&](TRtStreamTarget& t) { t.StreamLost(why); });
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
  const bool pulse = device.Api == TAudioApi::Pulse;
  const RtAudio::Api api = pulse ? RtAudio::LINUX_PULSE : RtAudio::LINUX_ALSA;
  PrepareSoundLibraries();
  std::unique_ptr<TRtStream> stream(new TRtStream());
  stream->Link = std::make_unique<TLink>(target, channels * 2);
  const bool output = direction == TRtStreamDirection::Output;
  stream->Link->Output = output;
  stream->Link->Pulse = pulse;
  RtAudio::StreamParameters params;
  params.deviceId = device.Index;
  params.nChannels = channels;
  params.firstChannel = 0;
  RtAudio::StreamOptions options;
  options.streamName = JackClientName;
  if (output && pulse) frames = PulseCallbackFrames;
  options.numberOfBuffers = output && pulse ? PulseBuffers : AlsaBuffers;
  unsigned bufferFrames = frames;
  try {
    // PulseAudio's own threads (the one that carries the frames to the
    // server), started while the stream opens, run at the device's priority
    // from their start. ALSA's are left as they start: its plug-ins' threads
    // raised too made the program fail under a tight memory limit.
    std::optional<TThreadPriorityScope> raised;
    if (pulse) raised.emplace(TThreadPriority::Highest);
    stream->Audio = std::make_unique<RtAudio>(api);
    stream->Audio->showWarnings(false);
    stream->Audio->openStream(output ? &params : nullptr, output ? nullptr : &params, RTAUDIO_SINT16, rate,
                              &bufferFrames, &Callback, stream->Link.get(), &options, &StreamError);
    stream->Audio->startStream();
    stream->Period = bufferFrames;
    stream->Buffer = bufferFrames * options.numberOfBuffers;
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
