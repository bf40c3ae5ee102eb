// Loading and resampling a 60 s 22050 Hz mono WAV file.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/Resample.h"
#include "engine/WAVFiles.h"

namespace {

constexpr uint32_t Rate = 22050;
constexpr int Seconds = 60;

void Put16(std::string& s, int v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// Writes a mono PCM file of `bits` bits and returns its path.
std::string MakeFile(const std::string& folder, int bits) {
  const uint32_t frames = Rate * Seconds;
  std::string data;
  data.reserve(size_t(frames) * 2);
  for (uint32_t i = 0; i < frames; ++i) {
    const double v = std::sin(i * 0.0313) * 0.6 + std::sin(i * 0.0071) * 0.3;
    if (bits == 8)
      data += char(uint8_t(128 + std::lround(v * 127)));
    else
      Put16(data, int(std::lround(v * 32767)));
  }
  std::string f = "RIFF";
  Put32(f, uint32_t(4 + 24 + 8 + data.size()));
  f += "WAVEfmt ";
  Put32(f, 16);
  Put16(f, 1);
  Put16(f, 1);
  Put32(f, Rate);
  Put32(f, Rate * uint32_t(bits / 8));
  Put16(f, bits / 8);
  Put16(f, bits);
  f += "data";
  Put32(f, uint32_t(data.size()));
  f += data;
  const std::string path = folder + "/mono" + std::to_string(bits) + ".wav";
  std::ofstream(path, std::ios::binary).write(f.data(), std::streamsize(f.size()));
  return path;
}

struct TFolder {
  std::string Path;
  TFolder() {
    char tmpl[] = "/tmp/vs-bench-XXXXXX";
    Path = mkdtemp(tmpl);
  }
  ~TFolder() { std::system(("rm -rf '" + Path + "'").c_str()); }
};

TFolder& Folder() {
  static TFolder f;
  return f;
}

void BM_LoadWAV22050Mono(benchmark::State& state) {
  const int bits = int(state.range(0));
  const std::string path = MakeFile(Folder().Path, bits);
  for (auto _ : state) {
    vs::TWAVSample s;
    if (vs::LoadWAVSample(path, s) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(s.Data.data());
  }
  state.counters["realtime_x"] =
      benchmark::Counter(double(Seconds) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["frames_out"] =
      benchmark::Counter(double(Seconds) * 44100 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadWAV22050Mono)->Arg(16)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_ResampleStereo16(benchmark::State& state) {
  const int interpolation = int(state.range(0));
  const int64_t srcLen = int64_t(Rate) * Seconds, dstLen = int64_t(44100) * Seconds;
  std::vector<int16_t> src(size_t(srcLen) * 2), dst(size_t(dstLen) * 2);
  for (size_t i = 0; i < src.size(); ++i) src[i] = int16_t(i * 37);
  for (auto _ : state) {
    vs::ResampleStereo16(src.data(), dst.data(), srcLen, dstLen, 0, dstLen, interpolation);
    benchmark::DoNotOptimize(dst.data());
  }
  state.counters["frames_out"] = benchmark::Counter(double(dstLen) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ResampleStereo16)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
