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
  // The device gives back the half it was in; what it holds stays ready.
  for (auto& half : Halves) {
    int playing = HalfPlaying;
    half.compare_exchange_strong(playing, HalfReady);
  }
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
  NotifyFrom.store(offset);
  return true;
}

bool TStreamBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                         void** part2, uint32_t* bytes2) {
  if (part1 == nullptr || bytes1 == nullptr) return false;
  if (offset >= Size() || bytes == 0 || bytes > Size()) return false;
  const uint32_t first = std::min(bytes, Size() - offset);
  // The halves the region touches: [offset, offset + first) and, past the
  // end, [0, bytes - first).
  const uint32_t mid = SecondHalf();
  bool touches[2] = {offset < mid || first < bytes, offset + first > mid || bytes - first > mid};
  int taken[2] = {-1, -1};
  for (int h = 0; h < 2; ++h) {
    if (!touches[h]) continue;
    int state = Halves[h].load(std::memory_order_acquire);
    while (state != HalfPlaying && !Halves[h].compare_exchange_weak(state, HalfWriting, std::memory_order_acq_rel)) {
    }
    if (state == HalfPlaying) {
      // The device plays it: nothing may be written there now.
      for (int g = 0; g < h; ++g)
        if (taken[g] >= 0) Halves[g].store(taken[g], std::memory_order_release);
      return false;
    }
    taken[h] = state;
  }
  for (int h = 0; h < 2; ++h)
    if (touches[h]) Replay[size_t(h)].store(false, std::memory_order_release);
  *part1 = Data.data() + offset;
  *bytes1 = first;
  if (part2 != nullptr) *part2 = first < bytes ? Data.data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = bytes - first;
  return true;
}

void TStreamBuffer::Unlock() {
  for (auto& half : Halves) {
    int writing = HalfWriting;
    half.compare_exchange_strong(writing, HalfReady, std::memory_order_acq_rel);
  }
}

bool TStreamBuffer::Pull(int16_t* out, uint32_t frames) {
  InPull.fetch_add(1);
  if (!IsPlaying.load()) {
    InPull.fetch_sub(1);
    std::memset(out, 0, size_t(frames) * OutputFrameBytes);
    return false;
  }
  const uint32_t size = Size();
  const uint32_t mid = SecondHalf();
  const int notifyCount = NotifyCount.load();
  uint8_t* dst = reinterpret_cast<uint8_t*>(out);
  uint64_t left = uint64_t(frames) * OutputFrameBytes;
  uint32_t pos = uint32_t(Cursors.load());
  const bool wholeBuffer = left >= size;
  const uint32_t lead = static_cast<uint32_t>(std::min<uint64_t>(left, size));
  while (left > 0) {
    const int h = pos < mid ? 0 : 1;
    const uint32_t halfEnd = h == 0 ? mid : size;
    const uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(left, halfEnd - pos));
    int state = HalfReady;
    if (Halves[h].compare_exchange_strong(state, HalfPlaying, std::memory_order_acq_rel) ||
        (state == HalfFree && Replay[size_t(h)].load(std::memory_order_acquire) &&
         Halves[h].compare_exchange_strong(state, HalfPlaying, std::memory_order_acq_rel)))
      state = HalfPlaying;
    if (state == HalfPlaying) {
      std::memcpy(dst, Data.data() + pos, piece);
    } else {
      std::memset(dst, 0, piece);  // the writer still has this half
      if (StarvedHalf.exchange(h, std::memory_order_relaxed) != h) Starved.fetch_add(1);
    }
    pos += piece;
    if (pos == halfEnd) {
      // Leaving the half: it goes back to the writer.
      int playing = HalfPlaying;
      Halves[h].compare_exchange_strong(playing, HalfFree, std::memory_order_acq_rel);
      StarvedHalf.store(-1, std::memory_order_relaxed);
    }
    pos %= size;
    dst += piece;
    left -= piece;
  }
  // The device now plays the piece it took; it holds it up to the write
  // cursor. The positions the play cursor came to are signalled once the
  // cursors show it: a reader of the play position that is woken by one
  // finds the cursor at or past it.
  const uint32_t play = (pos + size - lead) % size;
  Cursors.store(uint64_t(play) << 32 | pos);
  const uint32_t from = NotifyFrom.load();
  const uint32_t moved = (play + size - from) % size;
  for (int i = 0; i < notifyCount; ++i)
    if (wholeBuffer || (Notify[i].Offset + size - from) % size <= moved) Notify[i].Event->Set();
  NotifyFrom.store((play + OutputFrameBytes) % size);
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

std::string TAudioDevice::LostReason() const {
  std::lock_guard<std::mutex> hold(LostLock);
  return Reason;
}

void TAudioDevice::SetLostEvent(TAutoResetEvent* event, TAutoResetEvent* alsoWake) {
  std::lock_guard<std::mutex> hold(LostLock);
  LostEvent = event;
  LostWake = alsoWake;
  if (!IsLost.load()) return;
  if (event != nullptr) event->Set();
  if (alsoWake != nullptr) alsoWake->Set();
}

void TAudioDevice::DeviceLost(const std::string& reason) {
  std::lock_guard<std::mutex> hold(LostLock);
  if (IsLost.exchange(true)) return;
  Reason = reason;
  if (LostEvent != nullptr) LostEvent->Set();
  if (LostWake != nullptr) LostWake->Set();
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
