#pragma once
// The mixer: the sequencer clock in frames, the pool of 512 voices, step
// triggering and the mixing of one block into four float stereo buses, then
// the song echo, the master filter and the plug-in slots.
//
// Everything here that is not marked otherwise runs with MixerLock held: the
// mix thread and the render thread hold it around MixBlock; other threads
// take it around every change of the clock or the voices. MixBlock and all
// it calls allocate nothing and do no I/O: buffers are made by
// SetBlockFrames, voices come from the fixed pool, pattern lists keep a
// reserved capacity.
//
// Frame positions are 64-bit: 32-bit positions wrap after about 13.5 hours.

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "model/Song.h"
#include "engine/EchoLine.h"
#include "engine/SoundProcs.h"

namespace vs {

constexpr int MaxVoices = 512;
constexpr int MixBusCount = 4;
constexpr int FadeFrames = 256;
constexpr int32_t MinBlockFrames = 64;
constexpr int32_t DefaultBlockFrames = 8820;
constexpr float MasterGain = 1.0f / 32768.0f;
constexpr float PreviewGain = 1.0f / (32768.0f * 127.0f);
// EndPos of a looped voice is "forever" - Start: it sounds until stopped.
constexpr int64_t VoiceForever = int64_t(1) << 62;

// The master filter of the main window's resonance and cutoff sliders
// (positions 0..MasterFilterSliderMax; the maximum opens the filter).
float MasterResonanceForPosition(int position);  // cos((p + 32) * pi / 2048)
float MasterCutoffForPosition(int position);     // 1 - cos((p + 16) * pi / 2048)

// 661500 div BPM for BPM clamped to 30..999 (frames of one 16th-note step).
int32_t FramesPerStepForBPM(int bpm);

// One voice. It sounds from Start to Start - Offset + EndPos; source position
// Offset (in stretched frames) sounds at Start.
class TMixChan {
public:
  const TWAVSample* Sample = nullptr;  // not owned
  int64_t Start = 0;
  int64_t Offset = 0;
  int64_t EndPos = 0;
  int32_t Stretched = 0;  // length after pitch or stretch; = PlayLength when unchanged
  float GainL = 0.0f, GainR = 0.0f;  // include volume, pan and 1/32768
  int32_t Tag = 0;        // cut-by tag; -1 previews, 0 none
  int32_t LoopOn = 0;
  int32_t Releasing = 0;  // fading out after a cut
  int32_t Bus = 0;        // 0..3
  TMixFilter Filter;
};

class TMixer;
class TMixWorkers;
struct TMixLane;

// Render-ahead of the synthesizer channels, run at the start of a playing
// block when the song has synthesizer channels. Returns true when it added
// into a bus above 0.
class TSynthRenderHook {
public:
  virtual ~TSynthRenderHook() = default;
  virtual bool RenderAhead(TMixer& mixer, TSong& song) {
    (void)mixer;
    (void)song;
    return false;
  }
};

// The plug-in slots: effect track 0 is the master, track b + 1 runs over
// bus b.
class TMixPluginHook {
public:
  virtual ~TMixPluginHook() = default;
  // A plug-in is active on bus 1, 2 or 3.
  virtual bool BusPluginsActive() const { return false; }
  // A plug-in is active on any track (it may sound without input).
  virtual bool PluginsActive() const { return false; }
  virtual void ProcessTrack(int track, float* frames, int32_t count) {
    (void)track;
    (void)frames;
    (void)count;
  }
  // The mixer's blocks are now frames long (called when the hook is set and
  // whenever the block length changes; may allocate).
  virtual void SetBlockFrames(int32_t frames) { (void)frames; }
};

// Moves the display clock by one step (called for each mixed step unless
// MIDI output is on or a render runs).
class TStepAdvanceHook {
public:
  virtual ~TStepAdvanceHook() = default;
  virtual void AdvanceStep() {}
};

// What TriggerStep hands to TriggerNote.
struct TStepContext {
  const TStepBlock* Block = nullptr;  // the triggering channel's block
  int Step = 0;
  int64_t Start = 0;  // NextStepFrame plus swing on odd steps
  int64_t Swing = 0;
};

class TMixer {
public:
  TMixer();
  TMixer(const TMixer&) = delete;
  TMixer& operator=(const TMixer&) = delete;

  // --- Clock state (start, stop and jumps set it under MixerLock) ---
  std::atomic<bool> Playing{false};
  int64_t MixPosition = 0;    // end of the last mixed block
  int64_t NextStepFrame = 0;  // where the next step starts
  int32_t FramesPerStep = 4725;
  int32_t MixStep = -1;       // -1 before the first step
  int32_t MixBar = 0;
  int32_t MixStopBar = std::numeric_limits<int32_t>::max();
  std::vector<int> MixPatterns;        // capacity reserved for every pattern
  int32_t MixPattern = 1;              // the entry now being fired
  int32_t SongMode = 0;
  std::vector<int> LookAheadPatterns;  // capacity reserved for every pattern
  std::atomic<bool> Rendering{false};

  // --- Voices ---
  std::array<TMixChan, MaxVoices> Voices;
  int32_t VoiceCount = 0;

  // --- Buffers (SetBlockFrames) ---
  int32_t BlockFrames = 0;
  std::array<std::vector<float>, MixBusCount> Buses;  // float stereo, BlockFrames each
  std::vector<int16_t> TempBuffer;                     // 16-bit stereo, BlockFrames
  std::array<float, 2 * FadeFrames> FadeBuffer{};

  TEchoLine Echo;
  TMixFilter MasterFilter;

  // Sizes the buses and the temporary buffer for blocks of max(frames, 64)
  // frames, zeroed, and tells the plug-in hook. Allocates: not while mixing.
  void SetBlockFrames(int32_t frames);
  // Mixes the voices of a busy block in lanes parts on the workers (1 = on
  // the mixing thread alone, the default). Each lane takes a fixed run of
  // the pool: its plain and pitched voices leave pieces, which the workers
  // then mix run of frames by run of frames straight into the mixer's buses,
  // lane after lane; its filtered and fading voices go into buses of its
  // own, added after the pieces in lane order. The result depends only on
  // the voices and the lane count, and differs from the one-lane mix only
  // by the order of float sums. Allocates: not while mixing.
  void SetMixLanes(int lanes, TMixWorkers* workers);
  int MixLanes() const { return static_cast<int>(Lanes.size()); }
  // Blocks whose voices were mixed in lanes so far.
  int64_t LaneBlocks = 0;
  // Sets the master filter's cutoff and resonance under MixerLock (its states
  // stay).
  void SetMasterFilter(float cutoff, float reso);
  float* Bus(int bus) { return Buses[bus].data(); }

  // The song mixed: CurrentSong() unless one is set.
  void SetSong(TSong* song) { SongRef = song; }
  TSong& Song() const { return SongRef ? *SongRef : CurrentSong(); }

  void SetSynthRenderHook(TSynthRenderHook* hook);
  void SetPluginHook(TMixPluginHook* hook);
  void SetStepAdvanceHook(TStepAdvanceHook* hook);
  TMixPluginHook& PluginHook() const { return *Plugins; }

  // The program's random generator for random-choice lists.
  void SeedRandom(uint32_t seed) { RandSeed = seed; }
  int Random(int range);

  // --- Voices (the caller holds MixerLock) ---
  // Starts a voice; refused (false) when it would lie wholly before
  // MixPosition, the pool is full, the sample is empty or length < 1.
  bool AddVoiceUnlocked(const TWAVSample* sample, int64_t start, int pan, int bus, float cutoff,
                        float reso, int64_t length, int32_t tag, int32_t cutGroup, float gain);
  // Ends at position every voice tagged group that started before it and
  // still sounds there. Nothing for group 0.
  void CutVoices(int64_t position, int32_t group);

  // --- Voices (take MixerLock themselves) ---
  // AddVoiceUnlocked on bus 0 without filter.
  bool AddVoice(const TWAVSample* sample, int64_t start, int pan, int64_t length, int32_t tag,
                int32_t cutGroup, float gain);
  void StopAllVoices();
  void StopSampleVoices(const TWAVSample* sample);
  void StopLoopedVoices();
  void StopLoopedPreviews();

  // --- Mixing (the caller holds MixerLock) ---
  // Fires step MixStep of pattern MixPattern for every channel.
  void TriggerStep(TSong& song);
  // Turns one step into voices of channel k (or of a random choice of it).
  void TriggerNote(TSong& song, int k, int velocity, const TStepContext& step);
  // Mixes one block into bus 0 and advances MixPosition by BlockFrames.
  void MixBlock();
  // Nothing can sound until another thread changes the mixer's state: it
  // is stopped, without voices, plug-ins or an echo still sounding, and the
  // master filter has settled.
  bool SilentUntilChanged() const;
  // Converts frames of bus 0 from firstFrame on into 16-bit output with the
  // song's master volume and the surround setting; the frames read are
  // zeroed.
  void FloatToInt16(int16_t* dest, int64_t byteCount, int64_t firstFrame = 0);

  ~TMixer();

private:
  // The program's mixer is shared with other threads: its caller must hold
  // MixerLock (the program ends with a message otherwise).
  void CheckLocked(const char* routine) const;
  void RunClock(TSong& song, int64_t end);
  void MixVoices(int64_t end, bool& sumBuses);
  void MixVoicesInLanes(int64_t end, bool& sumBuses);
  // Mixes the voices first..last-1 (and those that take their places) on a
  // lane, removing ended ones when remove is set, else marking them in Ended.
  void MixVoiceRun(TMixLane& lane, int first, int last, int64_t end, bool remove);
  void MixVoice(TMixChan& voice, TMixLane& lane);
  void MixPieces(TMixLane& lane);
  void SumLanes(int part, int parts);
  enum class EndResult { Keep, Remove, Again };
  EndResult EndCheck(TMixChan& voice, int64_t end, int clickRemoval);
  void RemoveVoice(int index);
  void SumBuses();
  void SizeLanes(size_t count);
  friend struct TLaneJob;

  std::vector<std::unique_ptr<TMixLane>> Lanes;  // lane 0 writes the mixer's buses
  TMixWorkers* Workers = nullptr;
  std::array<int32_t, MaxVoices + 1> LaneStart{};
  std::array<uint8_t, MaxVoices> Ended{};
  int BlockInterpolation = 1;
  int BlockClickRemoval = 1;

  TSong* SongRef = nullptr;
  TSynthRenderHook* Synth;
  TMixPluginHook* Plugins;
  TStepAdvanceHook* Stepper;
  uint32_t RandSeed = 0x2545F491u;
};

// The program's mixer.
TMixer& Mixer();
// The song echo of the program's mixer.
TEchoLine& EchoLine();

// Program-wide forms of the voice operations (each takes MixerLock).
bool AddVoice(const TWAVSample* sample, int64_t start, int pan, int64_t length, int32_t tag,
              int32_t cutGroup, float gain);
void StopAllVoices();
void StopSampleVoices(const TWAVSample* sample);
void StopLoopedVoices();
void StopLoopedPreviews();

}  // namespace vs
