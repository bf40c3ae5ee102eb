#include "engine/EchoLine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/SoundProcs.h"

namespace vs {

void TEchoLine::Apply(const TSongEcho& settings) {
  Feedback = settings.Feedback;
  Pan = settings.Pan;
  Volume = settings.Volume;
  Time = settings.Time;
}

void TEchoLine::Setup(int32_t blockFrames, int64_t delayFrames) {
  Delay = std::max<int64_t>(0, delayFrames);
  const int64_t size = std::max<int64_t>(1, std::max<int64_t>(0, blockFrames) + Delay);
  std::vector<float>(static_cast<size_t>(size), 0.0f).swap(Ring);
  ReadPos = 0;
  WritePos = Delay % size;
  Quiet = size;
}

void TEchoLine::Clear() {
  std::fill(Ring.begin(), Ring.end(), 0.0f);
  Quiet = RingFrames();
}

void TEchoLine::Feed(const int16_t* frames, int64_t count, float gain) {
  const int64_t size = RingFrames();
  if (!(gain > 0.0f) || size == 0 || count <= 0) return;
  Quiet = 0;
  const int64_t first = std::min(count, size - WritePos);
  MixMono16(frames, Ring.data() + WritePos, first, gain);
  const int64_t rest = std::min(count - first, size);
  if (rest > 0) MixMono16(frames + first, Ring.data(), rest, gain);
}

void TEchoLine::Process(float* frames, int64_t count) {
  const int64_t size = RingFrames();
  if (size == 0 || count <= 0) return;
  if (Silent()) {
    ReadPos = (ReadPos + count) % size;
    WritePos = (WritePos + count) % size;
    return;
  }
  const double gain = Volume.load(std::memory_order_relaxed) / 128.0;
  const double angle = Pan.load(std::memory_order_relaxed) * std::numbers::pi / 254.0;
  const float left = static_cast<float>(std::cos(angle) * gain);
  const float right = static_cast<float>(std::sin(angle) * gain);
  const float k = Feedback.load(std::memory_order_relaxed) / 128.0f;
  float* ring = Ring.data();
  int64_t r = ReadPos, w = WritePos;
  int64_t lastLoud = -1;
  for (int64_t i = 0; i < count; ++i) {
    if (++r == size) r = 0;
    const float v = ring[r];
    if (v != 0.0f) lastLoud = i;
    ring[r] = 0.0f;
    frames[2 * i] += v * left;
    frames[2 * i + 1] += v * right;
    if (++w == size) w = 0;
    ring[w] += v * k;
  }
  ReadPos = r;
  WritePos = w;
  Quiet = lastLoud < 0 ? Quiet + count : count - 1 - lastLoud;
}

}  // namespace vs
