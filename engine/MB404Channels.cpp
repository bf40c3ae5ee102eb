#include "engine/MB404Channels.h"

#include <algorithm>
#include <cmath>

#include "outside/mb404/MB404.h"

namespace vs {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Slot k of a channel from step s of a step block; true when the step holds
// anything but defaults.
bool FillSlot(MB404Params& p, int k, const TChannel& ch, const TStepBlock& block, int s,
              int masterPitch) {
  const int c = block.Get(s, PlaneCutoff);
  const int n = block.Get(s, PlaneNote);
  const int pitch = block.Get(s, PlanePitch);
  const int g = block.Get(s, PlaneFlags);
  int64_t v = (int64_t(n) - ch.RootNote + 60) * 100 + (int64_t(pitch) - 120) * 10;
  if (ch.Pitchable) v += masterPitch;
  const int64_t note = v / 100;
  p.Cutoff[k] = static_cast<uint8_t>(c);
  p.Note[k] = static_cast<int16_t>(std::clamp<int64_t>(note, INT16_MIN, INT16_MAX));
  p.On[k] = g & StepFlagOn ? 1 : 0;
  p.Slide[k] = g & StepFlagSlide ? 1 : 0;
  return g != 0 || note != 60 || pitch != 120 || c != 0;
}

void FillEmptySlot(MB404Params& p, int k) {
  p.Cutoff[k] = 0;
  p.Note[k] = p.Note[1];
  p.On[k] = 0;
  p.Slide[k] = 0;
}

void ShiftSlots(MB404Params& p, int k) {
  p.Cutoff[0] = p.Cutoff[k - 2]; p.Cutoff[1] = p.Cutoff[k - 1];
  p.Note[0] = p.Note[k - 2];     p.Note[1] = p.Note[k - 1];
  p.On[0] = p.On[k - 2];         p.On[1] = p.On[k - 1];
  p.Slide[0] = p.Slide[k - 2];   p.Slide[1] = p.Slide[k - 1];
}

}  // namespace

int FillMB404LookAhead(TMixer& mixer, TSong& song) {
  const int patternLength = std::clamp(song.PatternLength(), 1, MaxSteps);
  const int64_t stepFrames = std::max<int32_t>(mixer.FramesPerStep, 1);
  const int64_t end = mixer.MixPosition + mixer.BlockFrames;
  const int masterPitch = song.MasterPitch.load(std::memory_order_relaxed);
  int64_t f = mixer.NextStepFrame - stepFrames;
  int s = mixer.MixStep;
  int bar = mixer.MixBar;
  std::vector<int>& patterns = mixer.LookAheadPatterns;
  patterns.assign(mixer.MixPatterns.begin(), mixer.MixPatterns.end());  // capacity reserved
  int k = 1;
  while (f < end && k < MB404Slots - 1) {
    if (s >= patternLength - 1 && mixer.SongMode) {
      bar += 1;
      song.Playlist.NextPlaylistPosition(bar);
      song.Playlist.PatternsAtBar(bar, patterns);
    }
    s = (s + 1) % patternLength;
    ++k;
    for (TChannel* ch : song.MB404Channels) ch->HasStepData = false;
    // The first pattern of the bar that has something for a channel's step
    // supplies it; without a block in the first pattern the step is off at
    // the sounding note. (An empty list counts as a first pattern without
    // blocks.)
    const size_t count = std::max<size_t>(patterns.size(), 1);
    for (size_t i = 0; i < count; ++i) {
      const int pattern = i < patterns.size() ? patterns[i] : -1;
      for (TChannel* ch : song.MB404Channels) {
        if (!ch->Synth || ch->HasStepData) continue;
        const TStepBlock* block = ch->Steps.Block(pattern);
        if (block)
          ch->HasStepData = FillSlot(*ch->Synth, k, *ch, *block, s, masterPitch);
        else if (i == 0)
          FillEmptySlot(*ch->Synth, k);
      }
    }
    f += stepFrames;
  }
  return k;
}

bool TMB404Render::RenderAhead(TMixer& mixer, TSong& song) {
  const int k = FillMB404LookAhead(mixer, song);
  const int32_t stepFrames = std::max<int32_t>(mixer.FramesPerStep, 1);
  const int32_t frames = mixer.BlockFrames;
  const int64_t played = stepFrames - (mixer.NextStepFrame - mixer.MixPosition);
  bool upperBus = false;
  for (TChannel* ch : song.MB404Channels) {
    MB404Params* p = ch->Synth.get();
    if (!p) continue;
    const float gain = std::clamp(ch->Volume, 0, 127) * MasterGain * 2.0f / 127.0f;
    if (ch->Enabled && gain > 0.0f) {
      const int64_t gate = int64_t(stepFrames - 1) * std::clamp(p->Params[P404StepGate], 0, 256) >> 8;
      p->StepLength = stepFrames;
      p->StepPosition = static_cast<int32_t>(std::clamp<int64_t>(played, 0, stepFrames));
      p->GateLength = static_cast<int32_t>(gate);
      int16_t* temp = mixer.TempBuffer.data();
      Render404(temp, frames, p);
      const double angle = std::clamp(ch->Pan, 0, 127) * Pi / 254.0;
      const int bus = std::clamp(ch->EffectTrack, 0, MixBusCount - 1);
      MixMono16ToStereo(temp, mixer.Bus(bus), frames, static_cast<float>(std::cos(angle) * gain),
                        static_cast<float>(std::sin(angle) * gain));
      if (bus > 0) upperBus = true;
      const int delay = std::clamp(p->Params[P404DelayGain], 0, 128);
      if (delay > 0) mixer.Echo.Feed(temp, frames, gain * delay / 128.0f);
    }
    if (k >= 3) ShiftSlots(*p, k);
  }
  return upperBus;
}

TMB404Render& MB404RenderHook() {
  static TMB404Render hook;
  return hook;
}

}  // namespace vs
