#include "platform/AudioOutput.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace vs {

TStreamBuffer::TStreamBuffer(uint32_t size)
    : Data(std::max<uint32_t>(size / OutputFrameBytes, 1) * OutputFrameBytes, 0) {}

bool TStreamBuffer::SetNotificationPositions(const TNotifyPosition* positions, int count) {
  if (IsPlaying.load() || count < 0 || count > MaxNotifyPositions) return false;
  if (count > 0 && positions == nullptr) return false;
  for (int i = 0; i < count; ++i)
    if (positions[i].Offset >= Size() || positions[i].Event == nullptr) return false;
  NotifyCount.store(0);
  for (int i = 0; i < count; ++i) Notify[i] = positions[i];
  NotifyCount.store(count);
  return true;
}

void TStreamBuffer::Play() { IsPlaying.store(true); }

void TStreamBuffer::Stop() {
  IsPlaying.store(false);
  // A pull that began before the stop finishes its piece; wait for it (a few
  // microseconds at most, it never blocks).
  while (InPull.load() != 0) std::this_thread::yield();
}

void TStreamBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
  const uint64_t both = Cursors.load();
  if (play != nullptr) *play = uint32_t(both >> 32);
  if (write != nullptr) *write = uint32_t(both);
}

bool TStreamBuffer::SetCurrentPosition(uint32_t offset) {
  if (offset >= Size()) return false;
  offset -= offset % OutputFrameBytes;
  Cursors.store(uint64_t(offset) << 32 | offset);
  return true;
}

bool TStreamBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                         void** part2, uint32_t* bytes2) {
  if (part1 == nullptr || bytes1 == nullptr) return false;
  if (offset >= Size() || bytes == 0 || bytes > Size()) return false;
  const uint32_t first = std::min(bytes, Size() - offset);
  *part1 = Data.data() + offset;
  *bytes1 = first;
  if (part2 != nullptr) *part2 = first < bytes ? Data.data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = bytes - first;
  return true;
}

void TStreamBuffer::Unlock() { Published.fetch_add(1, std::memory_order_release); }

bool TStreamBuffer::Pull(int16_t* out, uint32_t frames) {
  InPull.fetch_add(1);
  if (!IsPlaying.load()) {
    InPull.fetch_sub(1);
    std::memset(out, 0, size_t(frames) * OutputFrameBytes);
    return false;
  }
  Published.load(std::memory_order_acquire);
  const uint32_t size = Size();
  const int notifyCount = NotifyCount.load();
  uint8_t* dst = reinterpret_cast<uint8_t*>(out);
  uint64_t left = uint64_t(frames) * OutputFrameBytes;
  uint32_t pos = uint32_t(Cursors.load());
  const uint32_t lead = static_cast<uint32_t>(std::min<uint64_t>(left, size));
  // Positions reached; signalled once the cursors show where the device is.
  std::array<bool, MaxNotifyPositions> reached{};
  while (left > 0) {
    const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, size - pos));
    std::memcpy(dst, Data.data() + pos, piece);
    for (int i = 0; i < notifyCount; ++i)
      if (Notify[i].Offset >= pos && Notify[i].Offset < pos + piece) reached[i] = true;
    pos = (pos + piece) % size;
    dst += piece;
    left -= piece;
  }
  // The device now plays the piece it took; it holds it up to the write cursor.
  Cursors.store(uint64_t((pos + size - lead) % size) << 32 | pos);
  for (int i = 0; i < notifyCount; ++i)
    if (reached[i]) Notify[i].Event->Set();
  InPull.fetch_sub(1);
  return true;
}

TAudioDevice::~TAudioDevice() { ReleaseStreamBuffer(); }

TStreamBuffer* TAudioDevice::CreateStreamBuffer(uint32_t bytes) {
  ReleaseStreamBuffer();
  Buffer = std::make_unique<TStreamBuffer>(bytes);
  Active.store(Buffer.get());
  return Buffer.get();
}

void TAudioDevice::ReleaseStreamBuffer() {
  Active.store(nullptr);
  while (Rendering.load() != 0) std::this_thread::yield();
  Buffer.reset();
}

bool TAudioDevice::Render(int16_t* out, uint32_t frames) {
  Rendering.fetch_add(1);
  TStreamBuffer* buffer = Active.load();
  bool played = false;
  if (buffer != nullptr)
    played = buffer->Pull(out, frames);
  else
    std::memset(out, 0, size_t(frames) * OutputFrameBytes);
  Rendering.fetch_sub(1);
  return played;
}

}  // namespace vs
