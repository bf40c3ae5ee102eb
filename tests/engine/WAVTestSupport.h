#pragma once
// Fixtures for the WAV tests: a temp folder, RIFF images built chunk by
// chunk, and sox conversions.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace wavtest {

struct TempDir {
  std::string Path;
  TempDir() {
    char tmpl[] = "/tmp/vs-wavtest-XXXXXX";
    Path = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + Path + "'").c_str()); }
  std::string operator/(const std::string& name) const { return Path + "/" + name; }
};

inline std::string Le16(int v) {
  std::string s(2, 0);
  s[0] = char(v & 0xFF);
  s[1] = char((v >> 8) & 0xFF);
  return s;
}

inline std::string Le32(uint32_t v) {
  std::string s(4, 0);
  for (int i = 0; i < 4; ++i) s[i] = char((v >> (8 * i)) & 0xFF);
  return s;
}

// A chunk: id, length and body, with the pad byte after an odd body unless
// `pad` is false.
inline std::string Chunk(const char* id, const std::string& body, bool pad = true) {
  std::string s = std::string(id, 4) + Le32(uint32_t(body.size())) + body;
  if (pad && (body.size() & 1)) s += '\0';
  return s;
}

inline std::string FmtBody(int tag, int channels, uint32_t rate, int bits, int blockAlign = -1) {
  if (blockAlign < 0) blockAlign = channels * bits / 8;
  return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * uint32_t(blockAlign)) + Le16(blockAlign) + Le16(bits);
}

inline std::string Riff(const std::string& chunks) { return "RIFF" + Le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks; }

template <class TValues>
std::string Pcm16(const TValues& v) {
  std::string s;
  for (int16_t x : v) s += Le16(x);
  return s;
}
inline std::string Pcm16(std::initializer_list<int16_t> v) { return Pcm16<std::initializer_list<int16_t>>(v); }

// A "smpl" chunk body with `count` loops of which the first is start..end.
inline std::string SmplBody(uint32_t start, uint32_t end, uint32_t count = 1) {
  std::string s;
  for (int i = 0; i < 7; ++i) s += Le32(0);
  s += Le32(count) + Le32(0);
  if (count > 0) s += Le32(0) + Le32(0) + Le32(start) + Le32(end) + Le32(0) + Le32(0);
  return s;
}

// A plain 16-bit PCM file image.
inline std::string Wav16(const std::vector<int16_t>& samples, int channels, uint32_t rate,
                         const std::string& extra = "") {
  return Riff(Chunk("fmt ", FmtBody(1, channels, rate, 16)) + Chunk("data", Pcm16(samples)) + extra);
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline bool HaveSox() { return std::system("sox --version >/dev/null 2>&1") == 0; }

// Runs a shell command and returns its standard output.
inline std::string RunCommand(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[256];
  while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  pclose(p);
  return out;
}

// A test signal: two tones a channel, different on each channel.
inline std::vector<int16_t> Tones(int frames, int channels, uint32_t rate) {
  std::vector<int16_t> v;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      double t = double(i) / rate;
      double f1 = 220.0 * (c + 1), f2 = 1234.0 / (c + 1);
      v.push_back(int16_t(std::lround(12000 * std::sin(2 * M_PI * f1 * t) + 6000 * std::sin(2 * M_PI * f2 * t))));
    }
  return v;
}

}  // namespace wavtest
