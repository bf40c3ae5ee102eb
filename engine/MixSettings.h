#pragma once
// Program settings that the mixer reads while it mixes. The settings window
// and the transport write them on the main thread; the mix and render threads
// read them once per block. Each value is an atomic so that neither side
// needs a lock to see a whole value.

#include <atomic>

namespace vs {

struct TMixSettings {
  std::atomic<int> Interpolation{1};  // 1 = linear interpolation when resampling
  std::atomic<int> ClickRemoval{1};   // 1 = cut voices fade out over up to 255 frames
  std::atomic<bool> Surround{false};  // the right output channel is inverted
  std::atomic<bool> UseMIDI{false};   // MIDI output on: the mixer does not step the display
};

// The program's settings.
TMixSettings& MixSettings();

}  // namespace vs
