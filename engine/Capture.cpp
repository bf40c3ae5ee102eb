#include "engine/Capture.h"

#include <mutex>

#include "platform/DeviceBackends.h"

namespace vs {

namespace {

struct TCaptureState {
  std::mutex Lock;
  std::unique_ptr<TCaptureBackend> Backend;
  std::unique_ptr<TCaptureDevice> Device;
  TCaptureBuffer* Buffer = nullptr;
  std::string OpenError;
  std::string DeviceName;
};

TCaptureState& State() {
  static TCaptureState state;
  return state;
}

void CloseUnlocked(TCaptureState& s) {
  if (s.Device) s.Device->ReleaseBuffer();
  s.Buffer = nullptr;
  s.Device.reset();
}

}  // namespace

void SetCaptureBackend(std::unique_ptr<TCaptureBackend> backend) {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  CloseUnlocked(s);
  s.Backend = std::move(backend);
}

TCaptureBackend& CaptureBackend() {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  if (!s.Backend) s.Backend = MakeCaptureBackend();
  return *s.Backend;
}

bool OpenCapture(uint32_t bytes) {
  TCaptureBackend& backend = CaptureBackend();
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  if (s.Device) return s.Buffer != nullptr;
  s.OpenError.clear();
  s.Device = backend.OpenDevice(s.DeviceName, &s.OpenError);
  if (!s.Device) return false;
  s.Buffer = s.Device->CreateBuffer(bytes);
  if (s.Buffer == nullptr) {
    s.OpenError = "The capture buffer cannot be made";
    CloseUnlocked(s);
    return false;
  }
  return true;
}

bool CaptureOpen() {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  return s.Buffer != nullptr;
}

void StartCapture() {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  if (s.Buffer == nullptr || !s.Buffer->Start()) throw TCaptureError();
}

uint32_t GetCapturePosition() {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  return s.Buffer != nullptr ? s.Buffer->Position() : 0;
}

bool StillCapturing() {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  return s.Buffer != nullptr && s.Buffer->Capturing();
}

std::vector<uint8_t> ReadCapture() {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  return s.Buffer != nullptr ? s.Buffer->ReadAll() : std::vector<uint8_t>();
}

void CloseCapture() {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  CloseUnlocked(s);
}

const std::string& CaptureOpenError() { return State().OpenError; }

std::vector<std::string> CaptureDeviceNames() { return CaptureBackend().DeviceNames(); }

void SetCaptureDeviceName(const std::string& name) {
  TCaptureState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  s.DeviceName = name;
}

}  // namespace vs
