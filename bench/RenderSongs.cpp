// The songs bench/render_cpu.py renders with "/R":
//
//   bench_RenderSongs <folder>
//
// writes <folder>/drum/drum.zmp (8 channels of mono 16-bit samples, 2.2 MB
// of them, 12 bars at 125 BPM: 23 s) and <folder>/heavy/heavy.zmp (64
// channels, every channel on every step, 64 bars at 120 BPM), each song's
// samples beside it.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchWAV.h"
#include "files/SongFile.h"
#include "model/Channels.h"
#include "model/Song.h"
#include "toolbox/SafeFile.h"

namespace {

// A mono hit: a decaying tone with a little noise.
bool WriteMonoSample(const std::string& path, int frames, int seed) {
  std::vector<uint8_t> bytes = vs::BenchWAVHeader(1, uint32_t(frames) * 2);
  bytes.resize(44 + size_t(frames) * 2);
  uint32_t noise = 12345u + uint32_t(seed) * 7919u;
  for (int i = 0; i < frames; ++i) {
    noise = noise * 1664525u + 1013904223u;
    const double env = std::exp(-3.0 * i / frames);
    const double v = env * (12000.0 * std::sin(i * (0.01 + 0.004 * seed)) + double(int(noise >> 20) - 2048));
    vs::BenchPut16(bytes, 44 + size_t(i) * 2, uint32_t(int16_t(std::lrint(v))));
  }
  vs::TSafeFile f;
  return f.Open(path) && f.Write(bytes.data(), bytes.size()) && f.Commit();
}

// frames: each channel's sample length; hits: whether a channel plays a
// step of a pattern (the bars play patterns 1 to 4 in turn); pitched: whether its steps are pitched.
bool WriteSong(const std::string& folder, const std::string& name, int channels, int bpm, int bars,
               int (*frames)(int channel), bool (*hits)(int channel, int pattern, int step), bool (*pitched)(int channel)) {
  std::filesystem::create_directories(folder);
  vs::TSong song;
  song.BPM = bpm;
  song.SetPatternLength(16);
  for (int c = 0; c < channels; ++c) {
    const std::string sample = folder + "/" + name + "-" + std::to_string(c + 1) + ".wav";
    if (!WriteMonoSample(sample, frames(c), c)) return false;
    vs::TChannel& ch = vs::AddChannel(song);
    ch.SampleFileName = sample;
    ch.Pan = 16 + (c * 6) % 96;
    for (int pattern = 1; pattern <= 4; ++pattern)
      for (int step = 0; step < 16; ++step) {
        if (!hits(c, pattern, step)) continue;
        ch.Steps.SetStepOn(pattern, step, true);
        ch.Steps.SetStepValue(pattern, step, static_cast<uint8_t>(60 + (step * 7 + c) % 60), vs::PlaneVol);
        if (pitched(c)) ch.Steps.SetStepValue(pattern, step, static_cast<uint8_t>(110 + (step + c) % 20), vs::PlanePitch);
      }
  }
  for (int bar = 0; bar < bars; ++bar) song.Playlist.SetPlaylistCell(bar % 4 + 1, bar + 1, true);
  song.SongModeOn = true;
  return bool(vs::SaveSong(folder + "/" + name + ".zmp", song));
}

int Songs(const std::string& folder) {
  // A kit of 8 samples, 1.1 million frames (2.2 MB): the short ones (0.6 to
  // 2.9 s) play a step in four, the two long ones (cymbals of 6.6 and 8 s)
  // once in four bars; nothing pitched.
  const bool drum = WriteSong(
      folder + "/drum", "drum", 8, 125, 12, [](int c) { return c < 6 ? 26000 + c * 20000 : 290000 + (c - 6) * 64000; },
      [](int c, int pattern, int step) { return c < 6 ? (step + c) % 4 == 0 : pattern == c - 5 && step == 0; }, [](int) { return false; });
  // 64 hits of a quarter to half a second on every step, a third of them
  // pitched.
  const bool heavy = WriteSong(
      folder + "/heavy", "heavy", 64, 120, 64, [](int c) { return 11025 + c * 170; }, [](int, int, int) { return true; },
      [](int c) { return c % 3 == 0; });
  if (drum && heavy) return 0;
  std::fprintf(stderr, "bench_RenderSongs: the songs can't be written in %s\n", folder.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_RenderSongs <folder>\n");
    return 2;
  }
  return Songs(argv[1]);
}
