#pragma once
// The program on a real sound server, started from its settings as a user
// would (TLiveProgramTest), and what a sound device played against the
// offline render of the same song: a bar of two hits and a quiet one that
// sounds the same every time round, its render, and the live frames aligned
// to it by cross-correlation.

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/Program.h"
#include "core/SettingsCommands.h"
#include "core/Tempo.h"
#include "core/Transport.h"
#include "engine/EngineListener.h"
#include "engine/MixThread.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/RenderOptions.h"
#include "model/Song.h"
#include "platform/SettingsStore.h"
#include "support/TempDir.h"
#include "toolbox/ThreadPriority.h"

namespace vs::testing {

// Waits until done() holds, at most `limit`.
template <class F>
bool WaitFor(F done, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class OutputLostRecorder : public TEngineListener {
public:
  void OutputLost() override { Lost.store(true); }
  std::atomic<bool> Lost{false};
};

// The program with folders and settings of the test's own, opening its
// sound device as it starts; ended with the test.
class TLiveProgramTest : public ::testing::Test {
protected:
  void UseOwnFolders() {
    Options.AppPath = Tmp / "app/";
    Options.SettingsFile = Tmp / "settings.ini";
    Options.OpenAudio = true;
    std::filesystem::create_directories(Tmp / "app/Samples/DrumKits/Basic");
  }
  void TearDown() override {
    if (Program) Program->ShutDown();
    Program.reset();
    SetEngineListener(nullptr);
    Transport() = TTransportState{};
  }
  void Store(const std::map<std::string, std::string>& values) {
    TSettingsStore store(Options.SettingsFile);
    store.Load();
    for (const auto& [name, value] : values) store.WriteString("ZM SETTINGS", name, value);
    ASSERT_TRUE(store.Save());
  }
  std::string Stored(const std::string& name) {
    TSettingsStore store(Options.SettingsFile);
    store.Load();
    return store.ReadString("ZM SETTINGS", name, "(missing)");
  }
  TProgram& Start() {
    Program = std::make_unique<TProgram>();
    Program->Open(Options);
    Program->StartUp();
    return *Program;
  }

  TTestDir Tmp;
  TProgramOptions Options;
  std::unique_ptr<TProgram> Program;
};

// n frames of a decaying tone that starts at full height (so the first frame
// of a hit is never silent).
inline std::vector<int16_t> Hit(int n, double period, int16_t height) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    const double v = height * std::cos(2 * M_PI * i / period) * (1.0 - double(i) / n);
    f[2 * size_t(i)] = int16_t(v);
    f[2 * size_t(i) + 1] = int16_t(-v / 2);
  }
  return f;
}

// Two hits and a quiet one in a bar of 16 steps of 2205 frames (300 BPM);
// every hit ends before the next step, so each bar sounds the same.
constexpr int64_t HitsBarFrames = 16 * 2205;
inline std::unique_ptr<TSong> HitsBar() {
  auto song = std::make_unique<TSong>();
  song->BPM = 300;
  TChannel& kick = AddChannel(*song);
  kick.Sample.SetFrames(Hit(2000, 180.0, 20000));
  TChannel& hat = AddChannel(*song);
  hat.Sample.SetFrames(Hit(700, 9.5, 9000));
  for (TChannel* ch : {&kick, &hat}) {
    ch->Sample.PlayLength = ch->Sample.Length;
    ch->Sample.NominalLength = ch->Sample.Length;
  }
  auto set = [](TChannel& ch, int step, int velocity) {
    ch.Steps.SetStepOn(1, step, true);
    ch.Steps.SetStepValue(1, step, uint8_t(velocity), PlaneVol);
  };
  set(kick, 0, 127);
  set(kick, 8, 90);
  for (int s = 2; s < 16; s += 4) set(hat, s, 40 + 5 * s);
  return song;
}

// Makes the song current at its tempo and renders it into `file` (cut at
// the end of the bar); the render's frames, empty when it failed.
inline std::vector<int16_t> MakeCurrentAndRender(std::unique_ptr<TSong> song, const std::string& file) {
  const int bpm = song->BPM;
  {
    std::unique_ptr<TSong> old;
    MixerGuard hold;
    old = ReplaceCurrentSong(std::move(song));
  }
  SetTempo(bpm);
  RenderOptions().Remainder = RemainderCut;
  if (!RenderSongToFile(file).Ok) return {};
  TWAVSample offline;
  if (LoadWAVSample(file, offline) != 0) return {};
  return {offline.Data.begin(), offline.Data.end()};
}

struct TLiveMatch {
  bool Found = false;   // the live frames hold a sounding bar
  size_t Start = 0;     // the live frame where the render's first frame lies
  int64_t Bars = 0;     // whole bars heard from Start on
  int64_t Differing = 0;  // samples of those bars more than 1 apart from the render
  int PeakLive = 0, PeakRender = 0;
};

// Aligns the live frames to the render (which starts sounding at its first
// frame and repeats): the first sounding live frame gives the rough place,
// the best cross-correlation of the first bar within 256 frames of it the
// exact one; then every whole bar from there (at most `bars`) is compared
// with the render sample for sample (1 apart is the rounding of 16 bits).
inline TLiveMatch MatchLive(const std::vector<int16_t>& live, const std::vector<int16_t>& render, int64_t bars) {
  TLiveMatch m;
  const size_t bar = render.size() / 2, frames = live.size() / 2;
  size_t onset = 0;
  while (onset < frames && std::abs(live[2 * onset]) < 64 && std::abs(live[2 * onset + 1]) < 64) ++onset;
  if (bar == 0 || onset >= frames) return m;
  double best = -1;
  const size_t from = onset > 256 ? onset - 256 : 0;
  for (size_t lag = from; lag <= onset + 256 && lag + bar <= frames; ++lag) {
    double sum = 0;
    for (size_t i = 0; i < 2 * bar; ++i) sum += double(live[2 * lag + i]) * render[i];
    if (sum > best) {
      best = sum;
      m.Start = lag;
      m.Found = true;
    }
  }
  if (!m.Found) return m;
  m.Bars = std::min(bars, int64_t((frames - m.Start) / bar));
  for (int64_t b = 0; b < m.Bars; ++b)
    for (size_t i = 0; i < 2 * bar; ++i) {
      const int live_ = live[2 * (m.Start + size_t(b) * bar) + i];
      m.Differing += std::abs(live_ - render[i]) > 1;
      m.PeakLive = std::max(m.PeakLive, std::abs(live_));
    }
  for (int16_t v : render) m.PeakRender = std::max(m.PeakRender, std::abs(int(v)));
  return m;
}

// A signal of values exact in 16 bits for capture paths: the left channel
// climbs 1, 2, ... 1999 and starts again, the right one is its negative.
inline int16_t Climbing(uint64_t frame) { return int16_t(frame % 1999 + 1); }

// "" when the frames hold the climbing signal unbroken after at most
// `silence` frames of silence, else what is wrong.
inline std::string CheckClimbing(const std::vector<int16_t>& f, size_t silence) {
  const size_t frames = f.size() / 2;
  size_t first = 0;
  while (first < frames && f[2 * first] == 0) ++first;
  if (first > silence || first == frames) return std::to_string(first) + " frames of silence first";
  for (size_t i = first; i < frames; ++i) {
    const int16_t a = i > first ? f[2 * (i - 1)] : int16_t(f[2 * i] - 1), b = f[2 * i];
    if (!(b == a + 1 || (a == 1999 && b == 1)) || f[2 * i + 1] != -b)
      return "frame " + std::to_string(i) + ": " + std::to_string(a) + " then " + std::to_string(b) + " " +
             std::to_string(f[2 * i + 1]);
  }
  return "";
}

// Where the machine held up its processors while it watched, and when the
// program's underrun count rose. One thread on each processor, at the mix
// thread's priority, wakes every 2 ms: a processor that runs none of them
// for longer (a virtual machine's processor its host did not run, a kernel
// that did not switch) held up whatever real-time thread was woken on it,
// which a watch on another processor never sees. The first of them awake
// after the count rose notes the time.
class TStallWatch {
public:
  struct TStall {
    int Cpu;
    double FromMs, ToMs;  // since the watch began
  };
  explicit TStallWatch(std::function<int64_t()> count) : Count(std::move(count)), Seen(Count()) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    sched_getaffinity(0, sizeof allowed, &allowed);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
      if (CPU_ISSET(cpu, &allowed)) Threads.emplace_back([this, cpu] { Watch(cpu); });
  }
  ~TStallWatch() {
    Quit.store(true);
    for (std::thread& t : Threads) t.join();
  }
  // Stops watching; what was seen stays.
  void Stop() {
    Quit.store(true);
    for (std::thread& t : Threads) t.join();
    Threads.clear();
  }
  std::vector<TStall> Stalls() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Held;
  }
  std::vector<double> Rises() const {
    std::lock_guard<std::mutex> hold(Lock);
    return Risen;
  }

private:
  double Ms(std::chrono::steady_clock::time_point t) const {
    return std::chrono::duration<double, std::milli>(t - Began).count();
  }
  void Watch(int cpu) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    pthread_setaffinity_np(pthread_self(), sizeof one, &one);
    SetCurrentThreadPriority(TThreadPriority::Higher);
    while (!Quit.load()) {
      const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
      std::this_thread::sleep_until(due);
      const auto now = std::chrono::steady_clock::now();
      std::lock_guard<std::mutex> hold(Lock);
      if (now - due > std::chrono::milliseconds(10)) Held.push_back({cpu, Ms(due), Ms(now)});
      for (const int64_t count = Count(); Seen < count; ++Seen) Risen.push_back(Ms(now));
    }
  }

  std::function<int64_t()> Count;
  int64_t Seen;
  const std::chrono::steady_clock::time_point Began = std::chrono::steady_clock::now();
  std::atomic<bool> Quit{false};
  mutable std::mutex Lock;
  std::vector<TStall> Held;
  std::vector<double> Risen;
  std::vector<std::thread> Threads;
};

// Renders the bar into `renderFile`, plays it on the open device until the
// device has played `bars` of it and more (frames() counts what it played,
// played() gives it), stops, and matches what was played from the start.
template <class Frames, class Played>
TLiveMatch PlayBars(const std::string& renderFile, int64_t bars, Frames frames, Played played) {
  const std::vector<int16_t> render = MakeCurrentAndRender(HitsBar(), renderFile);
  if (render.size() != size_t(HitsBarFrames) * 2) return {};
  const size_t before = frames();
  StartButtonClick(true, true);
  const size_t needed = before + size_t(bars + 2) * size_t(HitsBarFrames);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20 + bars);
  while (frames() < needed && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  StartButtonClick(false, true);
  std::vector<int16_t> live = played();
  live.erase(live.begin(), live.begin() + long(std::min(before, live.size() / 2)) * 2);
  return MatchLive(live, render, bars);
}

struct TLeastAheadRun {
  int LeastMs = 0;        // what the settings window offers at the least
  int64_t Underruns = 0;  // the mix's and the device's, while playing
  TLiveMatch Match;
  // Why the underruns say nothing of the program (empty when they may).
  std::string HeldUp;
  // When the underrun count rose and where the machine held a processor up
  // (ms since the run began), for a failure's report.
  std::string Seen;
};

// Pulls both buffer sliders down as far as they go, as the settings window
// does, and plays 30 s of bars at that distance ahead.
template <class Frames, class Played>
TLeastAheadRun PlayAtTheLeastAhead(TPreferences& prefs, const std::string& renderFile, Frames frames,
                                   Played played) {
  TBufferSliders s = AheadMoved(BufferLengthMoved(BufferSlidersNow(), 0), 0);
  ApplyBufferSliders(s, prefs);
  TLeastAheadRun run;
  run.LeastMs = s.AheadMs;
  TAudioOutputState& o = AudioOutput();
  TStreamBuffer* buffer = o.OutputBuffer;
  TStallWatch watch([&o, buffer] { return o.UnderrunCount.load() + int64_t(buffer->Underruns()); });
  const int64_t before = o.UnderrunCount.load() + int64_t(buffer->Underruns());
  run.Match = PlayBars(renderFile, 30 * 44100 / HitsBarFrames + 1, frames, played);
  watch.Stop();
  run.Underruns = o.UnderrunCount.load() + int64_t(buffer->Underruns()) - before;
  // An underrun the program can't help: the processor the mix thread was
  // woken on ran nothing for over 10 ms around the moment the device found
  // the mix late (the watch notes that moment within 2 ms).
  const std::vector<TStallWatch::TStall> stalls = watch.Stalls();
  const std::vector<double> rises = watch.Rises();
  for (const double at : rises) run.Seen += "underrun at " + std::to_string(int(at)) + " ms; ";
  for (const TStallWatch::TStall& h : stalls)
    run.Seen += "processor " + std::to_string(h.Cpu) + " held " + std::to_string(int(h.FromMs)) + "-" +
                std::to_string(int(h.ToMs)) + " ms; ";
  std::string held;
  for (const double at : rises) {
    const auto covering = std::find_if(stalls.begin(), stalls.end(), [at](const TStallWatch::TStall& h) {
      return h.FromMs <= at + 2 && at <= h.ToMs + 5;
    });
    if (covering == stalls.end()) return run;
    held += (held.empty() ? "" : ", ") + std::to_string(int(covering->ToMs - covering->FromMs)) + " ms on processor " +
            std::to_string(covering->Cpu);
  }
  if (!rises.empty() && int64_t(rises.size()) == run.Underruns)
    run.HeldUp = "At each of its " + std::to_string(run.Underruns) + " underruns this machine had held a processor up (" +
                 held + "), longer than the 10 ms the least distance ahead leaves the mix: they say nothing of the " +
                 "device.";
  return run;
}

// Why the run's underruns say nothing of the device (empty when they do).
inline std::string HeldUpReason(const TLeastAheadRun& run) { return run.Underruns == 0 ? "" : run.HeldUp; }

}  // namespace vs::testing
