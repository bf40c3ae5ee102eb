#pragma once
// A small song built in memory for mixer tests: channels with constant or
// impulse samples, steps set directly in their step stores.

#include <cstdint>
#include <memory>
#include <vector>

#include "model/MB404Params.h"
#include "model/Song.h"
#include "engine/MB404Channels.h"
#include "engine/MixSettings.h"
#include "engine/Mixer.h"

namespace vs::testing {

// n frames of the constant pair (left, right).
inline std::vector<int16_t> ConstantFrames(int n, int16_t left, int16_t right) {
  std::vector<int16_t> f(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    f[2 * i] = left;
    f[2 * i + 1] = right;
  }
  return f;
}

struct TestSong {
  std::unique_ptr<TSong> Song = std::make_unique<TSong>();

  TestSong(int bpm = 120) { Song->BPM = bpm; }

  TChannel& AddChannel(std::vector<int16_t> frames) {
    auto ch = std::make_unique<TChannel>(Song.get());
    const int index = Song->ChannelCount();
    ch->MixTarget = index;
    ch->RandomChoice = {index};
    ch->Sample.SetFrames(std::move(frames));
    ch->Sample.PlayLength = ch->Sample.Length;
    ch->Sample.NominalLength = ch->Sample.Length;
    Song->Channels.push_back(std::move(ch));
    return *Song->Channels.back();
  }

  TChannel& Chan(int i) { return *Song->Channels[i]; }

  // Switches a step on with the given velocity (other values at defaults).
  void SetStep(int channel, int pattern, int step, int velocity = 100) {
    auto& steps = Chan(channel).Steps;
    steps.SetStepOn(pattern, step, true);
    steps.SetStepValue(pattern, step, static_cast<uint8_t>(velocity), PlaneVol);
  }
  void SetValue(int channel, int pattern, int step, int plane, int value) {
    Chan(channel).Steps.SetStepValue(pattern, step, static_cast<uint8_t>(value), plane);
  }
};

// Makes a mixer ready to play pattern 1 of the song from frame 0.
inline void StartPattern(TMixer& mixer, TSong& song, int pattern = 1, int32_t blockFrames = 8820) {
  mixer.SetSong(&song);
  mixer.SetBlockFrames(blockFrames);
  mixer.FramesPerStep = FramesPerStepForBPM(song.BPM);
  mixer.MixPatterns.assign(1, pattern);
  mixer.MixPattern = pattern;
  mixer.MixStep = -1;
  mixer.NextStepFrame = mixer.MixPosition;
  mixer.Playing = true;
}

// Mixes blocks and converts them to 16-bit frames with the song's master
// volume; returns the interleaved frames of all blocks.
inline std::vector<int16_t> MixFrames(TMixer& mixer, int blocks) {
  std::vector<int16_t> out(size_t(mixer.BlockFrames) * 2 * blocks);
  for (int b = 0; b < blocks; ++b) {
    mixer.MixBlock();
    mixer.FloatToInt16(out.data() + size_t(b) * mixer.BlockFrames * 2, int64_t(mixer.BlockFrames) * 4);
  }
  return out;
}

// A song that takes every path of the mix: 16 channels on every step with
// echo repeats, pitches, stretches, loops, random choices, mix targets, cut
// groups, all four buses and (with filters) step filters; two synthesizer
// channels; song mode over two bars, swing and master pitch.
constexpr int BusyChannels = 16;
inline void FillBusySong(TestSong& t, bool filters = true) {
  t.Song->BPM = 999;
  t.Song->SetPatternLength(16);
  const int channels = BusyChannels;
  for (int c = 0; c < channels; ++c) {
    std::vector<int16_t> frames(size_t(12000) * 2);
    for (size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<int16_t>((i * 37 + c * 101) % 20000 - 10000);
    auto& ch = t.AddChannel(std::move(frames));
    ch.EffectTrack = c % 4;
    ch.EchoFeedback = 100;
    ch.EchoCount = 1 + c % 9;
    ch.EchoTime = 8 + c;
    ch.EchoPan = 100 + c * 4;
    ch.EchoPitch = 110 + c;
    ch.EchoCutoff = filters ? 64 + c * 8 : 128;
    ch.EchoResonance = filters ? 200 - c * 8 : 128;
    ch.EchoFollowsSwing = c % 2 == 0;
    ch.Shift = c * 8;
    ch.Sample.CutGroup = c % 3;
    ch.Sample.CutByGroup = c % 3;
    if (c % 4 == 1) {
      ch.Sample.SetLoop(500, 5999);
      ch.Sample.Looped = true;
    }
    if (c % 5 == 2) ch.Stretch = 1 + c % 3;
    if (c % 3 == 0) ch.MixTarget = (c + 1) % channels;
    if (c % 4 == 3) ch.RandomChoice = {c, (c + 5) % channels, (c + 9) % channels};
    for (int s = 0; s < 16; ++s) {
      for (int p = 1; p <= 3; ++p) {
        t.SetStep(c, p, s, 60 + s * 4);
        t.SetValue(c, p, s, PlanePitch, 60 + (s * 13 + c * 7) % 180);
        t.SetValue(c, p, s, PlaneNote, 48 + (s + c) % 24);
        t.SetValue(c, p, s, PlaneMix, (s * 17) % 128);
        if (filters) {
          t.SetValue(c, p, s, PlaneReso, (s * 29 + c) % 128);
          t.SetValue(c, p, s, PlaneCutoff, (s * 7 + c * 3) % 128);
        }
        t.SetValue(c, p, s, PlaneShift, (s * 11) % 256);
        t.SetValue(c, p, s, PlanePan, (s * 23 + c) % 128);
      }
    }
  }
  // Two synthesizer channels render through their hook in the same blocks,
  // one of them into an upper bus, both into the song echo.
  for (int c = 0; c < 2; ++c) {
    auto& synth = t.AddChannel({});
    synth.MakeMB404(false);
    synth.EffectTrack = c;
    synth.Synth->Params[P404DelayGain] = 64;
    for (int s = 0; s < 16; s += 2)
      for (int p = 1; p <= 3; ++p) {
        t.SetStep(channels + c, p, s);
        t.SetValue(channels + c, p, s, PlaneNote, 36 + (s * 5 + c * 7) % 36);
      }
  }
  t.Song->Playlist.PlaylistBars[0] = {1, 2};
  t.Song->Playlist.PlaylistBars[1] = {3};
  t.Song->MasterSwing = 40;
  t.Song->MasterPitch = -150;
}

// Makes the mixer ready to play the busy song: small steps, the song echo
// and the master filter, and 480 long looped voices that keep the pool near
// full, so that the song's own voices meet a full pool (stop them half-way
// with StopLoopedVoices to make them fade).
inline void StartBusySong(TMixer& m, TestSong& t) {
  m.SetSong(t.Song.get());
  m.SetSynthRenderHook(&MB404RenderHook());
  m.SetBlockFrames(8820);
  m.FramesPerStep = FramesPerStepForBPM(999);
  m.Echo.Setup(m.BlockFrames, m.FramesPerStep * 3);
  m.MasterFilter.Cutoff = 0.3f;
  m.MasterFilter.Reso = 0.4f;
  m.SongMode = 1;
  m.MixBar = 0;
  m.MixPattern = t.Song->Playlist.PatternsAtBar(0, m.MixPatterns);
  m.MixStep = -1;
  m.NextStepFrame = 0;
  m.Playing = true;
  MixSettings().ClickRemoval = 1;
  for (int i = 0; i < 480; ++i)
    m.AddVoiceUnlocked(&t.Chan(1).Sample, i * 10, 64, i % 4, 1.0f, 0.0f, 12000, 0, 0, MasterGain / 100);
}

}  // namespace vs::testing
