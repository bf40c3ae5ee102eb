#include "platform/FedAudioCapture.h"

namespace vs {

std::unique_ptr<TCaptureDevice> TFedCaptureBackend::OpenDefaultCapture(std::string* error) {
  if (FailOpen) {
    if (error != nullptr) *error = "No audio capture device found";
    return nullptr;
  }
  auto device = std::make_unique<TFedCaptureDevice>("Fed Input");
  LastDevice = device.get();
  ++OpenCount;
  return device;
}

}  // namespace vs
