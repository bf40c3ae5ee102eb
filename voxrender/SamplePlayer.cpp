#include "voxrender/SamplePlayer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace vs::vox {
namespace {

uint32_t U32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Files above this size are not sample material for a preset.
constexpr long MaxWAVBytes = 256L * 1024 * 1024;

}  // namespace

MonoSample DecodeWAV(const std::vector<unsigned char>& image) {
  MonoSample out;
  const size_t size = image.size();
  const unsigned char* p = image.data();
  if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return out;

  bool haveFormat = false;
  uint16_t tag = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  size_t pos = 12;
  while (pos + 8 <= size) {
    const unsigned char* chunk = p + pos;
    uint64_t length = U32(chunk + 4);
    size_t body = pos + 8;
    uint64_t available = size - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16 || available < 16) return out;
      tag = U16(p + body);
      channels = U16(p + body + 2);
      rate = U32(p + body + 4);
      bits = U16(p + body + 14);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) return out;
      uint64_t bytes = length < available ? length : available;
      const unsigned char* d = p + body;
      bool pcm = tag == 1 || tag == 0xFFFE;
      if (!pcm) return out;
      if (bits == 16 && channels == 1) {
        out.Values.resize(bytes / 2);
        for (size_t i = 0; i < out.Values.size(); ++i)
          out.Values[i] = static_cast<uint16_t>(static_cast<int16_t>(U16(d + 2 * i)) + Zero);
      } else if (bits == 8 && channels == 1) {
        out.Values.resize(bytes);
        for (size_t i = 0; i < out.Values.size(); ++i) out.Values[i] = static_cast<uint16_t>(d[i] * 256);
      } else if (bits == 16 && channels == 2) {
        out.Values.resize(bytes / 4);
        for (size_t i = 0; i < out.Values.size(); ++i) {
          uint32_t l = static_cast<int16_t>(U16(d + 4 * i)) + Zero;
          uint32_t r = static_cast<int16_t>(U16(d + 4 * i + 2)) + Zero;
          out.Values[i] = static_cast<uint16_t>((l >> 1) + (r >> 1));
        }
      } else if (bits == 8 && channels == 2) {
        out.Values.resize(bytes / 2);
        for (size_t i = 0; i < out.Values.size(); ++i)
          out.Values[i] = static_cast<uint16_t>(((d[2 * i] + d[2 * i + 1]) & ~1u) * 128);
      } else {
        return out;
      }
      out.Rate = rate;
      return out;
    }
    // Chunks are padded to an even length.
    uint64_t next = uint64_t{body} + length + (length & 1);
    if (next > size) break;
    pos = static_cast<size_t>(next);
  }
  return out;
}

MonoSample ReadWAVFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  std::vector<unsigned char> image;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    long size = std::ftell(f);
    if (size > 0 && size <= MaxWAVBytes && std::fseek(f, 0, SEEK_SET) == 0) {
      image.resize(static_cast<size_t>(size));
      image.resize(std::fread(image.data(), 1, image.size(), f));
    }
  }
  std::fclose(f);
  return DecodeWAV(image);
}

SamplePlayer::SamplePlayer(MonoSample sample, int32_t pitch)
    : Sample(std::move(sample)), BasePitch(pitch) {
  SetPitch(BasePitch);
}

void SamplePlayer::SetPitch(int64_t pitch) {
  double speed = static_cast<double>(Sample.Rate) / SampleRate;
  if (pitch != 0) speed *= 1.0 + static_cast<double>(pitch) / 2400.0;
  Speed = speed > 0.0 ? speed : 0.0;  // at or below -2400 the player stops
}

void SamplePlayer::Modulate(int32_t m) { SetPitch(int64_t{BasePitch} + m); }

uint16_t SamplePlayer::Tick(uint16_t) {
  const size_t n = Sample.Values.size();
  if (n == 0 || Speed <= 0.0) return Zero;
  Position += Speed;
  if (Position >= static_cast<double>(n)) Position = std::fmod(Position, static_cast<double>(n));
  size_t i = static_cast<size_t>(Position);
  if (i >= n) i = 0;  // rounding at the very end
  double frac = Position - static_cast<double>(i);
  double a = Sample.Values[i];
  double b = Sample.Values[i + 1 < n ? i + 1 : 0];
  return ClampSignal(a + (b - a) * frac);
}

}  // namespace vs::vox
