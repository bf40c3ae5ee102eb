// libFuzzer target for the Extended Instrument reader, followed by the
// channel sample rebuild (ping-pong unroll and the effect chain) of what it
// read (clang, VS_FUZZ=ON).

#include <cstdint>
#include <cstdlib>

#include "engine/ChannelSample.h"
#include "files/XIFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vs::TWAVSample s;
  vs::TXIInfo info;
  const int r = vs::ReadXIImage(data, size, s, &info);
  if (r != vs::XILoaded && r != vs::XINotInstrument) abort();
  if (r != vs::XILoaded) return 0;
  if (s.Data.size() != size_t(s.Length) * 2) abort();
  if (s.LoopStart >= 0 && (s.LoopStart >= s.LoopEnd || s.LoopEnd >= s.Length)) abort();
  if (s.Length > 100000) return 0;
  vs::TChannel channel{nullptr};
  channel.Sample.PingPong = info.LoopKind & 2 ? 1 : 0;
  channel.Decay = size & 1023;
  channel.Phaser = int(size % 513);
  channel.Cutoff = int(size % 1021);
  channel.StereoDelay = 2048 + int(size % 64) - 32;
  vs::BuildChannelSample(channel, s);
  if (s.PlayLength < 0 || s.PlayLength > s.Length) abort();
  return 0;
}
