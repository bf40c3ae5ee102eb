#include "platform/ManualAudioOutput.h"

#include <algorithm>

namespace vs {

uint64_t TManualAudioDevice::Advance(uint64_t frames, uint32_t pieceFrames) {
  pieceFrames = std::max<uint32_t>(pieceFrames, 1);
  std::vector<int16_t> piece(size_t(pieceFrames) * OutputChannels);
  uint64_t played = 0;
  while (frames > 0) {
    const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames, pieceFrames));
    if (Render(piece.data(), n)) {
      played += n;
      if (KeepReceived) {
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(piece.data());
        Received.insert(Received.end(), bytes, bytes + size_t(n) * OutputFrameBytes);
      }
    }
    frames -= n;
  }
  return played;
}

std::unique_ptr<TAudioDevice> TManualAudioBackend::OpenDevice(const std::string& name,
                                                              std::string* error) {
  const bool known = name.empty() || std::find(Names.begin(), Names.end(), name) != Names.end();
  if (!known || FailNames.count(name) != 0 || (name.empty() && FailDefault)) {
    if (error != nullptr) *error = "Cannot open the output device \"" + name + "\"";
    return nullptr;
  }
  auto device = std::make_unique<TManualAudioDevice>(
      !name.empty() ? name : Names.empty() ? std::string("Manual Output") : Names.front());
  device->SetPeriod(PeriodFrames);
  LastDevice = device.get();
  LastOpenedName = name;
  ++OpenCount;
  return device;
}

}  // namespace vs
