#pragma once
// A stand-in capture device for tests: the test feeds the input frames.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioCapture.h"

namespace vs {

class TFedCaptureDevice : public TCaptureDevice {
public:
  using TCaptureDevice::TCaptureDevice;
  // Hands frames to the buffer as the sound card's driver would; returns
  // the frames taken.
  uint32_t Feed(const int16_t* frames, uint32_t count) { return Deliver(frames, count); }
  uint32_t Feed(const std::vector<int16_t>& frames) {
    return Feed(frames.data(), static_cast<uint32_t>(frames.size() / CaptureChannels));
  }
};

class TFedCaptureBackend : public TCaptureBackend {
public:
  bool FailOpen = false;  // no capture device
  // The device opened last (owned by whoever opened it; null before).
  TFedCaptureDevice* LastDevice = nullptr;
  int OpenCount = 0;

  std::unique_ptr<TCaptureDevice> OpenDefaultCapture(std::string* error) override;
};

}  // namespace vs
