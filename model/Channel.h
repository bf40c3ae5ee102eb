#pragma once
// One channel of the rack: an instrument (a sample, or a voice of the bass
// synthesizer, optionally driving a MIDI instrument) with its steps and its
// mixing, echo, filter and sample-effect settings. Views (the step row, the
// name, mute and select buttons and the front wheel) follow it through the
// song's change notifications; the model holds no widget.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/MB404Params.h"
#include "model/StepStore.h"
#include "model/WAVSample.h"

namespace vs {

class TSong;

constexpr uint8_t MidiNone = 255;

class TChannel {
public:
  explicit TChannel(TSong* owner);
  ~TChannel();
  TChannel(const TChannel&) = delete;
  TChannel& operator=(const TChannel&) = delete;

  TSong* Owner;
  TStepStore Steps;  // the step store (the step row views it)

  int32_t Kind = 0;          // 0 sample channel, 1 synthesizer channel
  int32_t Volume = 100;      // 0..127
  int32_t Pan = 64;          // 0..127
  int32_t MidiChannel = 9;   // 0..15
  uint8_t MidiNote = MidiNone;     // 0..127, 255 none
  uint8_t MidiProgram = MidiNone;  // 0..127, 255 none
  uint8_t MidiBank = MidiNone;     // 0..127, 255 none
  uint8_t LastMidiNote = MidiNone; // note last sent on, 255 none
  std::array<uint8_t, 128> ControllerStart{};  // 255 = not sent
  int32_t EchoFeedback = 0;   // 0..256
  int32_t EchoPan = 128;      // 0..256
  int32_t EchoPitch = 120;    // 0..240
  int32_t EchoCount = 4;      // 1..9
  int32_t EchoTime = 48;      // 0..256, 16ths of a step
  int32_t EchoResonance = 128;
  int32_t EchoCutoff = 128;
  int32_t Shift = 0;          // 0..256
  int32_t FirstEffect = 128;  // 0..256
  int32_t SecondEffectMix = 0;
  int32_t SecondEffectSine = 128;
  int32_t Cutoff = 0;         // 0..1020
  int32_t Resonance = 0;      // 0..1020
  int32_t Stretch = 0;        // 0..512 steps, 0 = none
  int32_t PreAmp = 0;         // 0..256
  int32_t Decay = 0;          // 0..1024
  int32_t Attack = 0;         // 0..1024
  int32_t StereoDelay = 2048; // 0..4096, 2048 = none
  int32_t Phaser = 256;       // 0..512
  int32_t Reverb = 0;         // 0..256
  int32_t ReverbType = 1;
  int32_t EffectTrack = 0;    // mixer bus 0..3
  int32_t RootNote = 60;
  int32_t RenderNote = -1;    // -1 = the preset's own
  bool Enabled = true;
  bool ReverseStereo = false;
  bool FadeLeftToRight = false;
  bool Reversed = false;
  bool Pitchable = true;
  bool EchoFollowsSwing = false;
  bool Selected = false;
  bool Collapsed = false;
  bool HasStepData = false;
  std::string Name;
  uint32_t Color = 0xBAC8C8;
  std::array<std::atomic<int32_t>, 64> StepLamps{};  // written by the mixer
  std::atomic<int32_t> TriggerLamp{0};
  int32_t MixTarget = 0;
  std::vector<int32_t> RandomChoice;
  TWAVSample Sample;
  std::string SampleFileName;
  std::unique_ptr<MB404Params> Synth;  // present only for kind 1

  // This channel's number in its song, or -1.
  int Index() const;
  // Makes this a synthesizer channel with default parameters (parameters
  // it already has stay). With rename it is first named "MB404 #n" (n = the
  // number of other synthesizer channels + 1) and coloured $02F8F8F8.
  void MakeMB404(bool rename);
  // Reads a ".404" file (140 bytes: 35 signed 32-bit little-endian values)
  // into the parameters and clears the step sequence. Only for synthesizer
  // channels; a file that is missing or shorter than 140 bytes changes
  // nothing. True when loaded.
  bool LoadMB404Preset(const std::string& fileName);

  // Reads a ".FPR" step-value text into the current pattern's block:
  // "FXNum=n" selects plane n (clamped to 0..8, no number = 0) and restarts
  // at step 0; each "Val=v" stores v clamped to 0..the plane's Max (no
  // number = the plane's default) and moves to the next step, staying at 63.
  // False when the file can't be read (then nothing changes). The caller
  // marks the song modified.
  bool LoadFXText(const std::string& fileName);

  // Colour of the name; the views follow.
  void SetColor(uint32_t color);
  // Collapses or expands the row. Collapsing deselects the channel;
  // expanding selects it when the song's SelectOnExpand is set.
  void SetZipped(bool collapsed);
};

}  // namespace vs
