#pragma once
// An RtAudio stream of one device, output or input: 16-bit frames at the
// given rate, opened and started at once. Its callback reaches the device
// through a gate, so that closing it cuts the device off at once; the close
// itself (which can wait on a sound server that stopped) takes at most
// DriverCloseBound. Shared by the output and the capture devices.

#include <rtaudio/RtAudio.h>

#include <memory>
#include <string>

#include "platform/AudioDevices.h"
#include "platform/DriverClose.h"

namespace vs {

enum class TRtStreamDirection { Output, Input };

// The shape of the device buffers. ALSA takes the frames asked for per
// callback into a buffer of four of them. PulseAudio's server keeps eight
// callbacks of 1024 frames (186 ms): smaller buffers ran dry whenever the
// server or the program was held up for 50 to 100 ms on a busy machine,
// and the server's own choice (two seconds, asked for in bursts of 140 ms)
// would both delay the sound and hold the distance ahead far up.
constexpr unsigned AlsaBuffers = 4;
constexpr unsigned PulseCallbackFrames = 1024;
constexpr unsigned PulseBuffers = 8;

// What the stream's callback reaches: output is to be filled, input read.
// StreamLost comes once when the sound server went away (PulseAudio); the
// stream then stays silent until it is closed.
class TRtStreamTarget {
public:
  virtual ~TRtStreamTarget() = default;
  virtual void StreamFrames(void* output, const void* input, unsigned frames) = 0;
  virtual void StreamLost(const std::string& reason) = 0;
};

class TRtStream {
public:
  // Opens and starts a stream of `channels` on a PulseAudio or ALSA device
  // of the list; null with RtAudio's message when it can't.
  static std::unique_ptr<TRtStream> Open(const TAudioDeviceEntry& device, TRtStreamDirection direction,
                                         unsigned channels, unsigned rate, unsigned frames,
                                         TRtStreamTarget* target, std::string* error);
  // Cuts the target off, then stops and closes the stream (bounded).
  ~TRtStream();
  // The frames of each callback, as the library settled them.
  unsigned PeriodFrames() const { return Period; }
  // The frames of the device's whole buffer (callbacks of PeriodFrames).
  unsigned BufferFrames() const { return Buffer; }
  TRtStream(const TRtStream&) = delete;
  TRtStream& operator=(const TRtStream&) = delete;

  struct TLink;  // what the callback is given

private:
  TRtStream() = default;
  std::unique_ptr<RtAudio> Audio;
  std::unique_ptr<TLink> Link;
  unsigned Period = 0;
  unsigned Buffer = 0;
};

}  // namespace vs
