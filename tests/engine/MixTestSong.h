#pragma once
// A small song built in memory for mixer tests: channels with constant or
// impulse samples, steps set directly in their step stores.

#include <cstdint>
#include <memory>
#include <vector>

#include "model/Song.h"
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

}  // namespace vs::testing
