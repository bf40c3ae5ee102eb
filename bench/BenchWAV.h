#pragma once
// The 44-byte header of a 44100 Hz 16-bit PCM WAV, for the render benchmarks'
// own files.

#include <cstdint>
#include <cstring>
#include <vector>

namespace vs {

inline void BenchPut16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

inline void BenchPut32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

inline std::vector<uint8_t> BenchWAVHeader(int channels, uint32_t dataBytes) {
  std::vector<uint8_t> h(44, 0);
  std::memcpy(h.data(), "RIFF", 4);
  BenchPut32(h, 4, 36 + dataBytes);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  BenchPut32(h, 16, 16);
  BenchPut16(h, 20, 1);
  BenchPut16(h, 22, uint32_t(channels));
  BenchPut32(h, 24, 44100);
  BenchPut32(h, 28, 44100u * 2u * uint32_t(channels));
  BenchPut16(h, 32, uint32_t(2 * channels));
  BenchPut16(h, 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  BenchPut32(h, 40, dataBytes);
  return h;
}

}  // namespace vs
