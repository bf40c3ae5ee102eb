#include "platform/AudioCapture.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

namespace vs {

TCaptureBuffer::TCaptureBuffer(uint32_t bytes) : Data(bytes / CaptureFrameBytes * CaptureFrameBytes, 0) {}

bool TCaptureBuffer::Start() {
  if (Started.exchange(true)) return false;
  IsCapturing.store(!Data.empty());
  return true;
}

void TCaptureBuffer::Stop() { IsCapturing.store(false); }

uint32_t TCaptureBuffer::Read(uint32_t offset, void* dest, uint32_t bytes) const {
  const uint32_t size = Size();
  if (offset >= size || dest == nullptr) return 0;
  const uint32_t n = std::min(bytes, size - offset);
  const uint32_t captured = Position();
  const uint32_t fromData = captured > offset ? std::min(n, captured - offset) : 0;
  uint8_t* out = static_cast<uint8_t*>(dest);
  if (fromData > 0) std::memcpy(out, Data.data() + offset, fromData);
  // Bytes the device may be writing right now read as the zeros they were.
  if (n > fromData) std::memset(out + fromData, 0, n - fromData);
  return n;
}

std::vector<uint8_t> TCaptureBuffer::ReadAll() const {
  std::vector<uint8_t> all(Size());
  Read(0, all.data(), Size());
  return all;
}

uint32_t TCaptureBuffer::Push(const int16_t* frames, uint32_t count) {
  if (!IsCapturing.load() || frames == nullptr) return 0;
  const uint32_t pos = CapturePos.load(std::memory_order_relaxed);
  const uint32_t room = (Size() - pos) / CaptureFrameBytes;
  const uint32_t n = std::min(count, room);
  std::memcpy(Data.data() + pos, frames, size_t(n) * CaptureFrameBytes);
  CapturePos.store(pos + n * CaptureFrameBytes, std::memory_order_release);
  if (pos + n * CaptureFrameBytes >= Size()) IsCapturing.store(false);
  return n;
}

TCaptureDevice::~TCaptureDevice() { ReleaseBuffer(); }

TCaptureBuffer* TCaptureDevice::CreateBuffer(uint32_t bytes) {
  ReleaseBuffer();
  if (bytes < CaptureFrameBytes || bytes > MaxCaptureBytes) return nullptr;
  try {
    Buf = std::make_unique<TCaptureBuffer>(bytes);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  Active.store(Buf.get());
  return Buf.get();
}

void TCaptureDevice::ReleaseBuffer() {
  Active.store(nullptr);
  while (Delivering.load() != 0) std::this_thread::yield();
  Buf.reset();
}

uint32_t TCaptureDevice::Deliver(const int16_t* frames, uint32_t count) {
  Delivering.fetch_add(1);
  TCaptureBuffer* buffer = Active.load();
  const uint32_t taken = buffer != nullptr ? buffer->Push(frames, count) : 0;
  Delivering.fetch_sub(1);
  return taken;
}

void TCaptureDevice::DeviceLost() {
  Delivering.fetch_add(1);
  if (TCaptureBuffer* buffer = Active.load()) buffer->Stop();
  Delivering.fetch_sub(1);
}

}  // namespace vs
