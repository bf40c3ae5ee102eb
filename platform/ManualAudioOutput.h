#pragma once
// A stand-in output for tests: nothing plays until the test advances the
// device, which then takes frames from the stream buffer exactly as a sound
// card would and keeps every byte it played.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/AudioOutput.h"

namespace vs {

class TManualAudioDevice : public TAudioDevice {
public:
  using TAudioDevice::TAudioDevice;

  // Plays frames in pieces of pieceFrames (the device's fetch size), keeping
  // what it played while the buffer played (silence while stopped is not
  // kept). Returns the frames played from the buffer.
  uint64_t Advance(uint64_t frames, uint32_t pieceFrames = 1);
  // The bytes played so far (16-bit stereo, left first).
  std::vector<uint8_t> Received;
  bool KeepReceived = true;
  // The period a driver of that size would have settled.
  void SetPeriod(uint32_t frames) { SetPeriodFrames(frames); }
};

class TManualAudioBackend : public TAudioBackend {
public:
  // Devices named here (and the default, "", when FailDefault) cannot open.
  std::set<std::string> FailNames;
  bool FailDefault = false;
  std::vector<std::string> Names{"Manual Output"};
  // The device opened last (owned by whoever opened it; null before).
  TManualAudioDevice* LastDevice = nullptr;
  std::string LastOpenedName;
  int OpenCount = 0;
  // The period every device opened gets (0: none, as before).
  uint32_t PeriodFrames = 0;

  std::unique_ptr<TAudioDevice> OpenDevice(const std::string& name, std::string* error) override;
  std::vector<std::string> DeviceNames() override { return Names; }
};

}  // namespace vs
