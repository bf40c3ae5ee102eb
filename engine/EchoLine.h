#pragma once
// The song echo: a mono delay line on the main bus. Synthesizer channels feed
// it while a block is mixed; every block it returns a panned, decaying repeat
// into the main bus.

#include <atomic>
#include <cstdint>
#include <vector>

#include "model/Song.h"

namespace vs {

class TEchoLine {
public:
  TEchoLine() = default;
  TEchoLine(const TEchoLine&) = delete;
  TEchoLine& operator=(const TEchoLine&) = delete;

  // Settings (the loop settings page and the song write them).
  std::atomic<int> Feedback{64};  // 128ths
  std::atomic<int> Pan{64};       // 0..127
  std::atomic<int> Volume{128};   // 128ths
  std::atomic<int> Time{48};      // delay in sixteenths of a step

  // Takes the song's echo settings (a new Time takes effect with the next
  // Setup, which the tempo code calls).
  void Apply(const TSongEcho& settings);

  // Makes a ring of blockFrames + delayFrames values (zeroed) with the write
  // position delayFrames after the read position. Allocates: call it outside
  // the mix, under MixerLock.
  void Setup(int32_t blockFrames, int64_t delayFrames);
  // Zeroes the ring.
  void Clear();
  // Adds each value * gain into the ring from the write position on, wrapping
  // once to the ring start; nothing when gain <= 0. The positions stay.
  void Feed(const int16_t* frames, int64_t count, float gain);
  // Per frame: the read position advances and the value there is taken (and
  // its slot zeroed) and added to the frame with the pan and volume gains; the
  // write position advances and the value * feedback / 128 is added there.
  // A ring known to hold only zeros (nothing fed since every slot was last
  // read as zero) adds nothing and changes nothing: then only the positions
  // move.
  void Process(float* frames, int64_t count);
  bool Silent() const { return Quiet >= RingFrames(); }

  int64_t RingFrames() const { return static_cast<int64_t>(Ring.size()); }
  int64_t DelayFrames() const { return Delay; }

private:
  std::vector<float> Ring;
  int64_t ReadPos = 0;
  int64_t WritePos = 0;
  int64_t Delay = 0;
  int64_t Quiet = 0;  // values read as zero since the last non-zero one or the last feed
};

}  // namespace vs
