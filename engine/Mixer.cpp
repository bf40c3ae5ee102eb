#include "engine/Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "model/MixerLock.h"
#include "engine/EngineState.h"
#include "engine/MB404Channels.h"
#include "engine/MixKernels.h"
#include "engine/MixSettings.h"
#include "engine/MixWorkers.h"

namespace vs {

namespace {

TSynthRenderHook NoSynth;
TMixPluginHook NoPlugins;
TStepAdvanceHook NoStepper;

constexpr int64_t Int32Max = std::numeric_limits<int32_t>::max();

// The frames a voice of the sample plays unchanged: PlayLength when it lies
// within the frames, else Length. Read afresh for every block, so a sample
// swapped under a playing voice is never read beyond its own frames.
inline int32_t PlayLengthOf(const TWAVSample& s) {
  const int64_t frames = std::min<int64_t>(s.Length, static_cast<int64_t>(s.Data.size() / 2));
  return static_cast<int32_t>(s.PlayLength >= 1 && s.PlayLength <= frames ? s.PlayLength : frames);
}

// The loop of a voice in its own (stretched) frames, kept inside the sample
// and at least one frame long.
struct TVoiceLoop {
  int64_t Start;
  int64_t Length;
};

TVoiceLoop VoiceLoop(const TWAVSample& s, int32_t playLength, int32_t stretched) {
  const int64_t last = int64_t(playLength) - 1;
  int64_t ls = std::clamp<int64_t>(s.LoopStart, 0, last);
  int64_t le = std::clamp<int64_t>(s.LoopEnd, ls, last);
  int64_t ll = le - ls + 1;
  if (stretched != playLength) {
    ls = ls * stretched / playLength;
    ll = std::max<int64_t>(1, ll * stretched / playLength);
  }
  return {ls, ll};
}

inline int64_t FoldIntoLoop(int64_t pos, const TVoiceLoop& loop) {
  return pos > loop.Start ? (pos - loop.Start) % loop.Length + loop.Start : pos;
}

inline int32_t CutTag(int32_t group) { return static_cast<int32_t>(static_cast<uint32_t>(group) << 9); }

inline float Clamp01(float x) { return std::clamp(x, 0.0f, 1.0f); }

// A voice's frames held back to be mixed with the others tile by tile:
// either frames read in place or a walk of the rate converter.
struct TMixPiece {
  const int16_t* Frames;
  TResampleWalk Walk;
  bool Resampled;
  int Bus;
  int64_t Dst;  // first bus frame
  int64_t Count;
  float GainL, GainR;
};

// Pieces mixed at once by the one-lane mix, and the frames of a tile (its
// bus values stay in the first-level cache while every piece adds into it).
constexpr size_t MaxPieces = 256;
constexpr int64_t TileFrames = 1024;
// Pieces a lane holds for the whole block (more go into its own buses).
constexpr size_t MaxLanePieces = 4096;
// The lanes' pieces are mixed in runs of frames of at least this length.
constexpr int32_t MinFrameRun = 512;

}  // namespace

// What one thread needs to mix voices: its scratch buffers, the pieces held
// back, and the buses its voices go to (lanes above 0 have their own).
struct TMixLane {
  std::vector<int16_t> Temp;  // 16-bit stereo, BlockFrames
  std::array<float, 2 * FadeFrames> Fade{};
  std::vector<TMixPiece> Pieces;
  std::array<std::vector<float>, MixBusCount> OwnBuses;
  std::array<float*, MixBusCount> Out{};
  std::array<bool, MixBusCount> Used{};  // lanes above 0: their buses hold sound
  bool HoldsPieces = false;              // this block: the pieces wait for the mix by frames
};

float MasterResonanceForPosition(int position) {
  if (position >= MasterFilterSliderMax) return 0.0f;
  return static_cast<float>(std::cos((position + 32) * std::numbers::pi / 2048.0));
}

float MasterCutoffForPosition(int position) {
  if (position >= MasterFilterSliderMax) return 1.0f;
  return static_cast<float>(1.0 - std::cos((position + 16) * std::numbers::pi / 2048.0));
}

int32_t FramesPerStepForBPM(int bpm) { return 661500 / std::clamp(bpm, 30, 999); }

TMixer::TMixer() : Synth(&NoSynth), Plugins(&NoPlugins), Stepper(&NoStepper) {
  MixPatterns.reserve(PatternSlots + 1);
  LookAheadPatterns.reserve(PatternSlots + 1);
  SetBlockFrames(DefaultBlockFrames);
}

TMixer::~TMixer() = default;

void TMixer::SetBlockFrames(int32_t frames) {
  BlockFrames = std::max(frames, MinBlockFrames);
  for (auto& bus : Buses) std::vector<float>(size_t(BlockFrames) * 2, 0.0f).swap(bus);
  std::vector<int16_t>(size_t(BlockFrames) * 2, 0).swap(TempBuffer);
  SizeLanes(std::max<size_t>(Lanes.size(), 1));
  Plugins->SetBlockFrames(BlockFrames);
}

void TMixer::SizeLanes(size_t count) {
  Lanes.resize(count);
  for (size_t k = 0; k < count; ++k) {
    if (!Lanes[k]) Lanes[k] = std::make_unique<TMixLane>();
    TMixLane& lane = *Lanes[k];
    std::vector<TMixPiece>().swap(lane.Pieces);
    lane.Pieces.reserve(count > 1 ? MaxLanePieces : MaxPieces);
    lane.Temp.assign(size_t(BlockFrames) * 2, 0);
    for (int b = 0; b < MixBusCount; ++b) {
      if (k == 0) {
        std::vector<float>().swap(lane.OwnBuses[b]);
        lane.Out[b] = Bus(b);
      } else {
        lane.OwnBuses[b].assign(size_t(BlockFrames) * 2, 0.0f);
        lane.Out[b] = lane.OwnBuses[b].data();
      }
    }
  }
}

void TMixer::SetMixLanes(int lanes, TMixWorkers* workers) {
  lanes = std::clamp(lanes, 1, MaxVoices);
  Workers = lanes > 1 ? workers : nullptr;
  if (!Workers) lanes = 1;
  Lanes.resize(std::min(Lanes.size(), size_t(lanes)));  // lanes no longer used are freed
  SizeLanes(size_t(lanes));
}

void TMixer::SetMasterFilter(float cutoff, float reso) {
  MixerGuard lock;
  MasterFilter.Cutoff = cutoff;
  MasterFilter.Reso = reso;
}

void TMixer::SetSynthRenderHook(TSynthRenderHook* hook) { Synth = hook ? hook : &NoSynth; }
void TMixer::SetPluginHook(TMixPluginHook* hook) {
  Plugins = hook ? hook : &NoPlugins;
  Plugins->SetBlockFrames(BlockFrames);
}
void TMixer::SetStepAdvanceHook(TStepAdvanceHook* hook) { Stepper = hook ? hook : &NoStepper; }

void TMixer::CheckLocked(const char* routine) const {
  // A mixer of its own (a test's, an offline one) is nobody else's.
  if (this == &Mixer()) AssertMixerLockHeld(routine);
}

int TMixer::Random(int range) {
  RandSeed = RandSeed * 134775813u + 1u;
  if (range <= 0) return 0;
  return static_cast<int>((uint64_t(RandSeed) * uint32_t(range)) >> 32);
}

// ---------------------------------------------------------------- voices

bool TMixer::AddVoiceUnlocked(const TWAVSample* sample, int64_t start, int pan, int bus, float cutoff,
                              float reso, int64_t length, int32_t tag, int32_t cutGroup, float gain) {
  CheckLocked("AddVoiceUnlocked");
  if (!sample || sample->Empty() || length < 1) return false;
  if (start + sample->Length <= MixPosition || VoiceCount >= MaxVoices) return false;
  TMixChan& v = Voices[VoiceCount];
  v.Sample = sample;
  v.Start = start;
  v.Offset = 0;
  v.LoopOn = sample->Looped ? 1 : 0;
  v.Stretched = static_cast<int32_t>(std::min(length, Int32Max));
  v.EndPos = v.LoopOn ? VoiceForever - start : v.Stretched;
  v.Releasing = 0;
  v.Bus = std::clamp(bus, 0, MixBusCount - 1);
  PanGains(pan, gain, v.GainL, v.GainR);
  v.Filter.Cutoff = cutoff;
  v.Filter.Reso = reso;
  ClearFilterState(v.Filter);
  v.Tag = tag;
  CutVoices(start, cutGroup);
  ++VoiceCount;
  return true;
}

void TMixer::CutVoices(int64_t position, int32_t group) {
  if (group == 0) return;
  for (int i = VoiceCount - 1; i >= 0; --i) {
    TMixChan& v = Voices[i];
    if (v.Tag == group && v.Start < position && position < v.Start + v.EndPos) v.EndPos = position - v.Start;
  }
}

bool TMixer::AddVoice(const TWAVSample* sample, int64_t start, int pan, int64_t length, int32_t tag,
                      int32_t cutGroup, float gain) {
  MixerGuard lock;
  return AddVoiceUnlocked(sample, start, pan, 0, 1.0f, 0.0f, length, tag, cutGroup, gain);
}

void TMixer::StopAllVoices() {
  MixerGuard lock;
  VoiceCount = 0;
}

void TMixer::StopSampleVoices(const TWAVSample* sample) {
  MixerGuard lock;
  for (int i = VoiceCount - 1; i >= 0; --i)
    if (Voices[i].Sample == sample) RemoveVoice(i);
}

void TMixer::StopLoopedVoices() {
  MixerGuard lock;
  for (int i = 0; i < VoiceCount; ++i)
    if (Voices[i].LoopOn) Voices[i].EndPos = MixPosition - Voices[i].Start;
}

void TMixer::StopLoopedPreviews() {
  MixerGuard lock;
  for (int i = 0; i < VoiceCount; ++i)
    if (Voices[i].LoopOn && Voices[i].Tag == -1) Voices[i].EndPos = MixPosition - Voices[i].Start;
}

void TMixer::RemoveVoice(int index) {
  --VoiceCount;
  if (index != VoiceCount) Voices[index] = Voices[VoiceCount];
}

// ---------------------------------------------------------------- steps

void TMixer::TriggerStep(TSong& song) {
  if (MixStep < 0 || MixStep >= MaxSteps) return;
  TStepContext ctx;
  ctx.Step = MixStep;
  ctx.Swing = int64_t(song.MasterSwing.load(std::memory_order_relaxed)) * FramesPerStep >> 8;
  ctx.Start = NextStepFrame + ((MixStep & 1) ? ctx.Swing : 0);
  const int count = song.ChannelCount();
  for (int i = 0; i < count; ++i) {
    const TChannel* ch = song.Channels[i].get();
    if (!ch->Enabled) continue;
    const TStepBlock* block = ch->Steps.Block(MixPattern);
    if (!block || !(block->Get(MixStep, PlaneFlags) & StepFlagOn)) continue;
    ctx.Block = block;
    const int velocity = block->Get(MixStep, PlaneVol);
    const int mix = block->Get(MixStep, PlaneMix);
    const int target = song.Channel(ch->MixTarget) ? ch->MixTarget : i;
    if (target != i && mix != 0) {
      const int share = velocity * mix / 127;
      TriggerNote(song, target, share, ctx);
      if (share < velocity) TriggerNote(song, i, velocity - share, ctx);
    } else {
      TriggerNote(song, i, velocity, ctx);
    }
  }
}

void TMixer::TriggerNote(TSong& song, int k, int velocity, const TStepContext& step) {
  TChannel* ch = song.Channel(k);
  if (!ch || !step.Block || step.Step < 0 || step.Step >= MaxSteps) return;
  if (ch->RandomChoice.size() > 1) {
    const int pick = ch->RandomChoice[Random(static_cast<int>(ch->RandomChoice.size()))];
    if (TChannel* chosen = song.Channel(pick)) ch = chosen;
  }
  const TWAVSample& s = ch->Sample;
  int64_t start = step.Start;
  if (s.Empty()) {
    CutVoices(start, CutTag(s.CutGroup));
    return;
  }
  const TStepBlock& b = *step.Block;
  const int si = step.Step;
  const int64_t fps = FramesPerStep;
  if (ch->Shift > 0) start += int64_t(ch->Shift) * fps >> 8;
  if (const int shift = b.Get(si, PlaneShift)) start += shift * fps / 255;

  float gain = static_cast<float>(ch->Volume * velocity * (1.0 / 12700.0) * MasterGain);
  int pan = std::clamp(b.Get(si, PlanePan) + ch->Pan - 64, 0, 127);

  const int32_t playLength = PlayLengthOf(s);
  int64_t length;
  int cents = 0;
  if (ch->Stretch != 0) {
    length = s.NominalLength > 0 ? fps * ch->Stretch * playLength / s.NominalLength : playLength;
  } else {
    cents = (b.Get(si, PlanePitch) - 120) * 10 + (b.Get(si, PlaneNote) - ch->RootNote) * 100;
    if (ch->Pitchable) cents += song.MasterPitch.load(std::memory_order_relaxed);
    length = PitchedLength(playLength, cents);
  }
  float reso = StepResonance(b.Get(si, PlaneReso));
  float cutoff = StepCutoff(b.Get(si, PlaneCutoff));
  int32_t tag = CutTag(s.CutByGroup);
  int32_t cut = CutTag(s.CutGroup);
  AddVoiceUnlocked(&s, start, pan, ch->EffectTrack, cutoff, reso, length, tag, cut, gain);

  const int feedback = ch->EchoFeedback;
  const int repeats = ch->EchoCount;
  if (feedback > 0 && repeats > 0) {
    const int echoPitch = ch->EchoPitch;
    const int echoReso = ch->EchoResonance;
    const int echoCutoff = ch->EchoCutoff;
    const int64_t echoTime = ch->EchoTime;
    for (int j = 1; j <= repeats; ++j) {
      gain = feedback * gain / 128.0f;
      pan = std::clamp(pan + ch->EchoPan - 128, 0, 127);
      if (echoPitch != 120 && ch->Stretch == 0) {
        cents += (echoPitch - 120) * 10;
        length = PitchedLength(playLength, cents);
      }
      if (echoReso != 128) {
        reso = echoReso > 128 ? 1.0f - (1.0f - reso) * (256 - echoReso) / 128.0f : echoReso * reso / 128.0f;
        reso = Clamp01(reso);
      }
      if (echoCutoff != 128) {
        cutoff = echoCutoff > 128 ? (256 - echoCutoff) * cutoff / 128.0f
                                  : 1.0f - (1.0f - cutoff) * echoCutoff / 128.0f;
        cutoff = Clamp01(cutoff);
      }
      if (cut != 0) ++cut;
      if (tag != 0) ++tag;
      if (ch->EchoFollowsSwing) {
        start = NextStepFrame;
        if ((((echoTime * j) >> 4) + MixStep) & 1) start += step.Swing;
      }
      const int64_t at = start + ((int64_t(j) * fps * echoTime) >> 4);
      AddVoiceUnlocked(&s, at, pan, ch->EffectTrack, cutoff, reso, length, tag, cut, gain);
    }
  }
  ch->StepLamps[si].store(256, std::memory_order_relaxed);
  ch->TriggerLamp.store(256, std::memory_order_relaxed);
}

// ---------------------------------------------------------------- blocks

void TMixer::RunClock(TSong& song, int64_t end) {
  const int patternLength = std::clamp(song.PatternLength(), 1, MaxSteps);
  const int64_t stepFrames = std::max<int32_t>(FramesPerStep, 1);
  const bool useMidi = MixSettings().UseMIDI.load(std::memory_order_relaxed);
  while (NextStepFrame < end) {
    if (MixStep >= patternLength - 1) {
      if (MixBar == MixStopBar) {
        Playing.store(false);
        return;
      }
      if (SongMode) {
        MixBar += 1;
        song.Playlist.NextPlaylistPosition(MixBar);
        MixPattern = song.Playlist.PatternsAtBar(MixBar, MixPatterns);
      }
    }
    MixStep = (MixStep + 1) % patternLength;
    if (!useMidi && !Rendering.load(std::memory_order_relaxed)) Stepper->AdvanceStep();
    for (int p = static_cast<int>(MixPatterns.size()) - 1; p >= 0; --p) {
      MixPattern = MixPatterns[p];
      TriggerStep(song);
    }
    NextStepFrame += stepFrames;
  }
}

void TMixer::MixVoice(TMixChan& v, TMixLane& lane) {
  const TWAVSample& s = *v.Sample;
  int64_t rel = MixPosition - v.Start;
  if (v.EndPos <= rel || v.EndPos < 1) return;
  int64_t dst = 0;
  if (rel < 0) {
    dst = -rel;
    rel = 0;
  }
  const int64_t src = rel + v.Offset;
  int64_t count = std::min(v.EndPos - src, int64_t(BlockFrames) - dst);
  if (v.Releasing) count = std::min<int64_t>(count, FadeFrames);
  const int32_t playLength = PlayLengthOf(s);
  if (!v.LoopOn) count = std::min(count, int64_t(v.Stretched) - src);
  if (count <= 0 || playLength < 1 || v.Stretched < 1) return;

  float* bus = lane.Out[v.Bus];
  const bool filtered = v.Filter.Active();
  const bool stretched = v.Stretched != playLength;
  // Plain and pitched voices are held back as pieces and mixed together
  // tile by tile; a filtered or fading voice is mixed now. On one lane the
  // pieces before it are mixed first, so that every bus value gets its sums
  // in voice order; lanes hold theirs for the mix by frames.
  const bool holdBack = !filtered && !v.Releasing;
  if (!holdBack) {
    lane.Used[v.Bus] = true;
    if (!lane.HoldsPieces) MixPieces(lane);
  }
  float* out = v.Releasing ? lane.Fade.data() : bus + 2 * dst;
  const TMixKernels& kernels = MixKernels();
  const int interpolation = BlockInterpolation;
  // n frames from source position pos (in stretched frames) to bus frame at:
  // read in place, or interpolated straight into the bus; a filtered
  // voice's interpolated frames go through the temporary buffer into its
  // filter.
  auto piece = [&](int64_t pos, int64_t at, int64_t n) {
    TMixPiece p{s.Frames() + 2 * pos, {}, stretched, v.Bus, dst + at, n, v.GainL, v.GainR};
    if (stretched) p.Walk = StartResampleWalk(s.Frames(), playLength, pos, v.Stretched, interpolation);
    if (holdBack) {
      if (lane.Pieces.size() == (lane.HoldsPieces ? MaxLanePieces : MaxPieces)) MixPieces(lane);
      lane.Pieces.push_back(p);
      return;
    }
    float* to = out + 2 * at;
    if (stretched) {
      kernels.Resample16(p.Walk, lane.Temp.data(), n);
      p.Frames = lane.Temp.data();
    }
    if (filtered)
      MixStereo16Filtered(p.Frames, to, n, v.GainL, v.GainR, v.Filter);
    else
      kernels.MixStereo16(p.Frames, to, n, v.GainL, v.GainR);
  };

  if (v.LoopOn) {
    // Pieces that end at the loop's end, each next one from its start.
    const TVoiceLoop loop = VoiceLoop(s, playLength, v.Stretched);
    int64_t pos = FoldIntoLoop(src, loop);
    for (int64_t done = 0; done < count;) {
      const int64_t n = std::min(count - done, loop.Start + loop.Length - pos);
      piece(pos, done, n);
      done += n;
      pos = loop.Start;
    }
  } else {
    piece(src, 0, count);
  }
  if (filtered) SettleFilterState(v.Filter);

  if (v.Releasing) {
    float* to = bus + 2 * dst;
    float* fade = lane.Fade.data();
    for (int64_t k = 0; k < count; ++k) {
      const float g = std::max<int64_t>(0, 255 - rel - k) / 256.0f;
      to[2 * k] += fade[2 * k] * g;
      to[2 * k + 1] += fade[2 * k + 1] * g;
      fade[2 * k] = 0.0f;
      fade[2 * k + 1] = 0.0f;
    }
  }
}

namespace {

// Mixes the pieces over bus frames from..to-1 into the buses, tile by tile.
void MixPiecesOver(const std::vector<TMixPiece>& pieces, const std::array<float*, MixBusCount>& buses, int64_t from,
                   int64_t to) {
  const TMixKernels& kernels = MixKernels();
  const size_t count = pieces.size();
  for (int64_t tile = from; tile < to; tile += TileFrames) {
    const int64_t tileEnd = std::min(tile + TileFrames, to);
    for (size_t i = 0; i < count; ++i) {
      const TMixPiece& p = pieces[i];
      const int64_t first = std::max(p.Dst, tile);
      const int64_t last = std::min(p.Dst + p.Count, tileEnd);
      if (first >= last) continue;
      const int64_t skip = first - p.Dst;
      float* out = buses[p.Bus] + 2 * first;
      if (p.Resampled) {
        kernels.MixResampled16(AdvanceResampleWalk(p.Walk, skip), out, last - first, p.GainL, p.GainR);
        continue;
      }
      // The next piece over the same frames of the same bus goes in the same
      // pass, after this one.
      if (i + 1 < count) {
        const TMixPiece& q = pieces[i + 1];
        if (!q.Resampled && q.Bus == p.Bus && std::max(q.Dst, tile) == first && std::min(q.Dst + q.Count, tileEnd) == last) {
          const float gains[4] = {p.GainL, p.GainR, q.GainL, q.GainR};
          kernels.MixStereo16Pair(p.Frames + 2 * skip, q.Frames + 2 * (first - q.Dst), out, last - first, gains);
          ++i;
          continue;
        }
      }
      kernels.MixStereo16(p.Frames + 2 * skip, out, last - first, p.GainL, p.GainR);
    }
  }
}

}  // namespace

void TMixer::MixPieces(TMixLane& lane) {
  if (lane.Pieces.empty()) return;
  int64_t first = BlockFrames, last = 0;
  for (const TMixPiece& p : lane.Pieces) {
    first = std::min(first, p.Dst);
    last = std::max(last, p.Dst + p.Count);
    lane.Used[p.Bus] = true;
  }
  MixPiecesOver(lane.Pieces, lane.Out, first, last);
  lane.Pieces.clear();
}

TMixer::EndResult TMixer::EndCheck(TMixChan& v, int64_t end, int clickRemoval) {
  const int64_t voiceEnd = v.Start - v.Offset + v.EndPos;
  if (voiceEnd > end) return EndResult::Keep;
  if (v.EndPos < 1) return EndResult::Remove;
  const TWAVSample& s = *v.Sample;
  const int32_t playLength = PlayLengthOf(s);
  if (v.LoopOn && int64_t(s.LoopEnd) < int64_t(s.NominalLength) - 8) {
    // The sample goes on after its loop: play that part out.
    const TVoiceLoop loop = VoiceLoop(s, playLength, v.Stretched);
    v.Tag = 0;
    v.Start = voiceEnd;
    v.Offset = v.EndPos <= loop.Start ? v.EndPos : loop.Start + (v.EndPos - loop.Start) % loop.Length;
    v.EndPos = v.Stretched;
    v.LoopOn = 0;
    return EndResult::Again;
  }
  if (clickRemoval < 1 || v.Releasing) return EndResult::Remove;
  const __int128 played = __int128(v.EndPos) * playLength / std::max<int32_t>(v.Stretched, 1);
  if (!v.LoopOn && played >= playLength) return EndResult::Remove;
  // Cut or stopped early: fade out over up to 255 frames.
  const int64_t fadeEnd = v.LoopOn ? v.EndPos + 255 : std::min<int64_t>(v.Stretched, v.EndPos + 255);
  if (voiceEnd + (fadeEnd - v.EndPos) <= MixPosition) return EndResult::Remove;
  v.Start = voiceEnd;
  v.Offset = v.EndPos;
  v.EndPos = fadeEnd;
  v.Tag = 0;
  v.Releasing = 1;
  return EndResult::Again;
}

void TMixer::MixVoiceRun(TMixLane& lane, int first, int last, int64_t end, bool remove) {
  for (int i = first; i < last;) {
    TMixChan& v = Voices[i];
    if (v.Start >= end) {
      ++i;
      continue;
    }
    MixVoice(v, lane);
    switch (EndCheck(v, end, BlockClickRemoval)) {
      case EndResult::Keep: ++i; break;
      case EndResult::Remove:
        if (remove) {
          RemoveVoice(i);
          --last;
        } else {
          Ended[i] = 1;
          ++i;
        }
        break;
      case EndResult::Again: break;
    }
  }
  if (!lane.HoldsPieces) MixPieces(lane);
}

namespace {

// Blocks with fewer voice frames than this for each lane are mixed on one.
constexpr int64_t MinLaneFrames = 32768;

// Lane work (LaneWork's units) below which the lanes are run on the mixing
// thread alone: about what waking the workers costs.
constexpr int64_t MinSharedLaneWork = 65536;

// The frames a voice mixes in the block, at most.
int64_t VoiceFrames(const TMixChan& v, int64_t mixPosition, int64_t end, int32_t blockFrames) {
  if (v.Start >= end) return 0;
  return std::clamp<int64_t>(v.Start - v.Offset + v.EndPos - mixPosition, 0, blockFrames);
}

// A voice's share of the work of its lane, roughly in plain frames: plain
// and pitched voices only leave pieces there.
int64_t LaneWork(const TMixChan& v, int64_t mixPosition, int64_t end, int32_t blockFrames) {
  if (!v.Filter.Active() && !v.Releasing) return 64;
  return VoiceFrames(v, mixPosition, end, blockFrames) * (v.Filter.Active() ? 30 : 2) + 64;
}

}  // namespace

struct TLaneJob {
  TMixer* Mixer;
  int64_t End;
  int FrameRuns;
  static void Mix(void* context, int part) {
    auto* job = static_cast<TLaneJob*>(context);
    TMixer& m = *job->Mixer;
    TMixLane& lane = *m.Lanes[part];
    lane.Used.fill(false);
    lane.HoldsPieces = true;
    m.MixVoiceRun(lane, m.LaneStart[part], m.LaneStart[part + 1], job->End, false);
  }
  static void Sum(void* context, int part) {
    auto* job = static_cast<TLaneJob*>(context);
    job->Mixer->SumLanes(part, job->FrameRuns);
  }
};

void TMixer::SumLanes(int part, int parts) {
  // Each bus frame gets the lanes' pieces in lane order, then the lanes' own
  // buses in lane order, whoever adds them.
  const int64_t from = int64_t(BlockFrames) * part / parts;
  const int64_t to = int64_t(BlockFrames) * (part + 1) / parts;
  if (from >= to) return;
  std::array<float*, MixBusCount> buses;
  for (int b = 0; b < MixBusCount; ++b) buses[b] = Bus(b);
  for (const auto& lane : Lanes) MixPiecesOver(lane->Pieces, buses, from, to);
  const TMixKernels& kernels = MixKernels();
  for (size_t k = 1; k < Lanes.size(); ++k) {
    TMixLane& lane = *Lanes[k];
    for (int b = 0; b < MixBusCount; ++b)
      if (lane.Used[b]) kernels.AddAndClear(Bus(b) + 2 * from, lane.Out[b] + 2 * from, 2 * (to - from));
  }
}

void TMixer::MixVoicesInLanes(int64_t end, bool& sumBuses) {
  const int lanes = MixLanes();
  int64_t total = 0;
  for (int i = 0; i < VoiceCount; ++i) {
    if (Voices[i].Bus > 0) sumBuses = true;
    total += LaneWork(Voices[i], MixPosition, end, BlockFrames);
  }
  // Runs of the pool of about equal work, one per lane.
  LaneStart[0] = 0;
  int lane = 1;
  int64_t sum = 0;
  for (int i = 0; i < VoiceCount && lane < lanes; ++i) {
    sum += LaneWork(Voices[i], MixPosition, end, BlockFrames);
    while (lane < lanes && sum * lanes >= total * lane) LaneStart[lane++] = i + 1;
  }
  while (lane <= lanes) LaneStart[lane++] = VoiceCount;
  std::fill(Ended.begin(), Ended.begin() + VoiceCount, uint8_t(0));

  ++LaneBlocks;
  // Every bus frame gets its sums in the same order however the frames are
  // cut: one run of frames for each thread, the same every block, so that
  // a thread's frames of the buses stay in its core's cache.
  const int frameRuns = std::clamp(BlockFrames / MinFrameRun, 1, Workers->Threads());
  TLaneJob job{this, end, frameRuns};
  // Voices that only leave pieces take less time than waking the workers:
  // their lanes are run here, one after another.
  if (total < MinSharedLaneWork) {
    for (int k = 0; k < lanes; ++k) TLaneJob::Mix(&job, k);
  } else {
    Workers->Run(&TLaneJob::Mix, &job, lanes);
  }
  Workers->Run(&TLaneJob::Sum, &job, frameRuns);
  for (const auto& l : Lanes) l->Pieces.clear();

  // Ended voices leave the pool as the one-lane mix would have removed them:
  // each in turn takes the last voice's place.
  int count = VoiceCount;
  for (int i = 0; i < count;) {
    if (!Ended[i]) {
      ++i;
      continue;
    }
    --count;
    if (i != count) {
      Voices[i] = Voices[count];
      Ended[i] = Ended[count];
    }
  }
  VoiceCount = count;
}

void TMixer::MixVoices(int64_t end, bool& sumBuses) {
  BlockInterpolation = MixSettings().Interpolation.load(std::memory_order_relaxed);
  BlockClickRemoval = MixSettings().ClickRemoval.load(std::memory_order_relaxed);
  if (MixLanes() > 1) {
    int64_t frames = 0;
    for (int i = 0; i < VoiceCount; ++i) frames += VoiceFrames(Voices[i], MixPosition, end, BlockFrames);
    if (frames >= MinLaneFrames * MixLanes()) {
      MixVoicesInLanes(end, sumBuses);
      return;
    }
  }
  for (int i = 0; i < VoiceCount; ++i)
    if (Voices[i].Bus > 0) sumBuses = true;
  Lanes[0]->HoldsPieces = false;
  MixVoiceRun(*Lanes[0], 0, VoiceCount, end, true);
}

void TMixer::SumBuses() {
  float* main = Bus(0);
  const TMixKernels& kernels = MixKernels();
  for (int b = 1; b < MixBusCount; ++b) kernels.AddAndClear(main, Bus(b), int64_t(BlockFrames) * 2);
}

void TMixer::MixBlock() {
  CheckLocked("MixBlock");
  TSong& song = Song();
  const int64_t end = MixPosition + BlockFrames;
  bool sumBuses = Plugins->BusPluginsActive();
  if (Playing.load(std::memory_order_relaxed) && !song.MB404Channels.empty())
    sumBuses |= Synth->RenderAhead(*this, song);
  if (Playing.load(std::memory_order_relaxed)) RunClock(song, end);
  MixVoices(end, sumBuses);
  for (int b = MixBusCount - 1; b >= 0; --b) Plugins->ProcessTrack(b + 1, Bus(b), BlockFrames);
  if (sumBuses) SumBuses();
  Echo.Process(Bus(0), BlockFrames);
  // The master filter at rest turns a silent block into the same silence.
  if (MasterFilter.Active() && !(MasterFilter.AtRest() && AllZero(Bus(0), int64_t(BlockFrames) * 2))) {
    FilterStereoFloat(Bus(0), BlockFrames, MasterFilter);
    SettleFilterState(MasterFilter);
  }
  Plugins->ProcessTrack(0, Bus(0), BlockFrames);
  MixPosition = end;
}

bool TMixer::SilentUntilChanged() const {
  return !Playing.load(std::memory_order_relaxed) && VoiceCount == 0 && Echo.Silent() &&
         (!MasterFilter.Active() || MasterFilter.AtRest()) && !Plugins->PluginsActive();
}

void TMixer::FloatToInt16(int16_t* dest, int64_t byteCount, int64_t firstFrame) {
  if (!dest || firstFrame < 0 || firstFrame >= BlockFrames) return;
  const int64_t frames = std::clamp<int64_t>(byteCount / 4, 0, BlockFrames - firstFrame);
  if (frames == 0) return;
  vs::FloatToInt16(Bus(0) + 2 * firstFrame, dest, frames * 4, Song().MasterVolume.load(std::memory_order_relaxed),
                   MixSettings().Surround.load(std::memory_order_relaxed));
}

// ---------------------------------------------------------------- program-wide

TMixer& Mixer() { return EngineState().Mixer; }

TEchoLine& EchoLine() { return Mixer().Echo; }

bool AddVoice(const TWAVSample* sample, int64_t start, int pan, int64_t length, int32_t tag,
              int32_t cutGroup, float gain) {
  return Mixer().AddVoice(sample, start, pan, length, tag, cutGroup, gain);
}
void StopAllVoices() { Mixer().StopAllVoices(); }
void StopSampleVoices(const TWAVSample* sample) { Mixer().StopSampleVoices(sample); }
void StopLoopedVoices() { Mixer().StopLoopedVoices(); }
void StopLoopedPreviews() { Mixer().StopLoopedPreviews(); }

}  // namespace vs
