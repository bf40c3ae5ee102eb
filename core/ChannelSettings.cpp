#include "core/ChannelSettings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "engine/ChannelSample.h"
#include "engine/Mixer.h"
#include "engine/SoundProcs.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "platform/MidiPorts.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"

namespace vs {

bool ChannelFormUpdating = false;

namespace {

using I = TSettingInfo;

const std::vector<TChannelValueSpec> ValueSpecs = {
    // SAMPLE page: the effect chain, rebuilt at every change.
    {"FXWheel", "First effect", 0, 256, 128, &TChannel::FirstEffect, true, I::CentredPercent},
    {"FXSineVolWheel", "Second effect mix", 0, 256, 0, &TChannel::SecondEffectMix, true, I::Percent},
    {"FXSineWheel", "Second effect sine", 0, 256, 128, &TChannel::SecondEffectSine, true, I::Percent},
    {"FX3Wheel", "Third effect (phaser)", 0, 512, 256, &TChannel::Phaser, true, I::CentredPercent},
    {"CutOffWheel", "Cutoff", 0, 1020, 0, &TChannel::Cutoff, true, I::Percent},
    {"ResWheel", "Resonance", 0, 1020, 0, &TChannel::Resonance, true, I::Percent},
    {"PreAmpWheel", "Preamp", 0, 256, 0, &TChannel::PreAmp, true, I::Percent},
    {"AttackWheel", "Attack", 0, 1024, 0, &TChannel::Attack, true, I::Percent},
    {"DecayWheel", "Decay", 0, 1024, 0, &TChannel::Decay, true, I::Percent},
    {"StDelWheel", "Stereo delay", 0, 4096, 2048, &TChannel::StereoDelay, true, I::CentredPercent},
    {"ReverbWheel", "Reverb", 0, 256, 0, &TChannel::Reverb, true, I::Percent},
    // DELAY page: the echo of every note, read by the mixer.
    {"DelayFeedWheel", "Delay feedback", 0, 256, 0, &TChannel::EchoFeedback, false, I::PercentOf128},
    {"DelayPanWheel", "Delay panning", 0, 256, 128, &TChannel::EchoPan, false, I::Pan},
    {"DelayPitchWheel", "Delay pitch", 0, 240, 120, &TChannel::EchoPitch, false, I::Semitones},
    {"DelayResoWheel", "Delay resonance", 0, 256, 128, &TChannel::EchoResonance, false, I::CentredPercent},
    {"DelayCutOffWheel", "Delay cutoff", 0, 256, 128, &TChannel::EchoCutoff, false, I::CentredPercent},
    {"ShiftSlider", "Shift ", 0, 256, 0, &TChannel::Shift, false, I::None},
    {"DelayDelaySlider", "Delay steps", 0, 256, 48, &TChannel::EchoTime, false, I::None},
};

const std::vector<TChannelFlagSpec> FlagSpecs = {
    {"ReverseSampleBox", &TChannel::Reversed, true},
    {"ReverseBox", &TChannel::ReverseStereo, true},
    {"FadeBox", &TChannel::FadeLeftToRight, true},
    {"PitchableBox", &TChannel::Pitchable, false},
    {"ShuffleBox", &TChannel::EchoFollowsSwing, false},
};

using K = TSynthControl;
const std::vector<TSynthSlotSpec> SynthSpecs = {
    {3, "Osc1CoarseWheel", "Osc 1 coarse", K::Wheel, -12, 12, 0},
    {4, "Osc2CoarseWheel", "Osc 2 coarse", K::Wheel, -12, 12, 0},
    {5, "Osc1FineWheel", "Osc 1 fine", K::Wheel, -128, 128, 0},
    {6, "Osc2FineWheel", "Osc 2 fine", K::Wheel, -128, 128, 0},
    {7, "Osc1PWWheel", "Osc 1 pulse width", K::Wheel, 0, 256, 128},
    {8, "Osc2PWWheel", "Osc 2 pulse width", K::Wheel, 0, 256, 128},
    {9, "SelectOscSync", "Synchronize osc 1 && 2", K::Toggle, 0, 1, 0},
    {11, "Osc1TypeSelect", "Osc 1 shape", K::Selector, 0, 4, 0},
    {12, "Osc2TypeSelect", "Osc 2 shape", K::Selector, 0, 4, 0},
    {13, "FilterTypeSelect", "Filter type", K::Selector, 0, 1, 0},
    {14, "OscMixWheel", "Osc mix", K::Wheel, 0, 256, 128},
    {15, "DistTypeSelect", "Distortion type", K::Selector, 0, 2, 0},
    {16, "DistAmountWheel", "Distortion amount", K::Wheel, 0, 128, 0},
    {17, "DistThresWheel", "Distortion threshold", K::Wheel, 0, 10, 0},
    {18, "TSCutOffWheel", "Filter cutoff", K::Wheel, 0, 128, 64},
    {19, "TSResWheel", "Filter resonance", K::Wheel, 0, 128, 64},
    {20, "EnvAmtWheel", "Filter env amount", K::Wheel, 0, 128, 64},
    {21, "LFO1AmountWheel", "LFO amount", K::Wheel, 0, 256, 0},
    {22, "LFO1FreqWheel", "LFO speed", K::Wheel, 0, 100, 0},
    {23, "LFO1TargetSelect", "LFO target", K::Selector, 0, 3, 2},
    {24, "LFO1ShapeSelect", "LFO shape", K::Selector, 0, 3, 0},
    {29, "FMAmountWheel", "FM (1->2)", K::Wheel, 0, 256, 0},
    {30, "RMAmountWheel", "Ring modulation", K::Wheel, 0, 256, 0},
    {31, "TSAttackWheel", "Attack", K::Wheel, 0, 100, 25},
    {32, "TSDecayWheel", "Decay", K::Wheel, 0, 100, 0},
    {33, "TSReleaseWheel", "Release", K::Wheel, 0, 100, 0},
    {34, "TSSustainWheel", "Sustain", K::Wheel, 0, 100, 0},
    {35, "TSSusLevelWheel", "Sustain level", K::Wheel, 0, 100, 0},
    {36, "TSStepGateWheel", "Step gate", K::Wheel, 0, 256, 224},
    {37, "DelayGainWheel", "Delay gain", K::Wheel, 0, 128, 0},
};

constexpr int ResonanceSlot = 19;

uint8_t StoredMidi(int value) { return value < 0 ? MidiNone : uint8_t(value); }

void Changed(TSong& song, int index) {
  song.SetModified();
  song.Notify(&SongListener::ChannelChanged, index);
}

}  // namespace

const std::vector<TChannelValueSpec>& ChannelValueSpecs() { return ValueSpecs; }

const TChannelValueSpec* FindChannelValueSpec(const std::string& name) {
  for (const TChannelValueSpec& s : ValueSpecs)
    if (name == s.Name) return &s;
  return nullptr;
}

const std::vector<TChannelFlagSpec>& ChannelFlagSpecs() { return FlagSpecs; }

void SetChannelValue(TSong& song, int index, const TChannelValueSpec& spec, int value) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  value = std::clamp(value, spec.Min, spec.Max);
  c->*spec.Field = value;
  if (spec.Rebuild)
    RebuildChannelSample(song, index);
  else
    song.SetModified();
}

void SetChannelFlag(TSong& song, int index, const TChannelFlagSpec& spec, bool value) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  c->*spec.Field = value;
  if (spec.Rebuild)
    RebuildChannelSample(song, index);
  else
    song.SetModified();
}

// ------------------------------------------------------------------- texts

std::string PercentInfo(int value, int max) {
  if (max == 0) return "0%";
  return std::to_string(int64_t(value) * 100 / max) + "%";
}

std::string CentredPercentInfo(int value, int max) {
  const int half = max / 2;
  if (half == 0) return "0%";
  return std::to_string(int64_t(value - half) * 100 / half) + "%";
}

std::string PanInfo(int value, int max, const std::string& left, const std::string& right,
                    const std::string& centred) {
  if (max == 0) return centred;
  const int64_t p = (2 * int64_t(value) - max) * 100 / max;
  if (p == 0) return centred;
  return std::to_string(std::llabs(p)) + "% " + (p > 0 ? right : left);
}

std::string FixedInfo(int value, int divisor, int decimals) {
  if (divisor == 0) return "0";
  int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  // Rounded half away from zero, as a fixed-notation float is written.
  const int64_t scaled = int64_t(value) * scale * 2 / divisor;
  const int64_t rounded = (scaled + (scaled >= 0 ? 1 : -1)) / 2;
  const int64_t whole = std::llabs(rounded) / scale;
  std::string text = (rounded < 0 ? "-" : "") + std::to_string(whole);
  if (decimals > 0) {
    std::string frac = std::to_string(std::llabs(rounded) % scale);
    text += "." + std::string(decimals - frac.size(), '0') + frac;
  }
  return text;
}

std::string DecimalInfo(int value, int divisor) {
  std::string text = FixedInfo(value, divisor, 6);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text == "-0" ? "0" : text;
}

std::string ValueInfo(TSettingInfo kind, int value, int max, const std::string& left, const std::string& right,
                      const std::string& centred) {
  switch (kind) {
    case I::Percent: return PercentInfo(value, max);
    case I::CentredPercent: return CentredPercentInfo(value, max);
    case I::PercentOf128: return PercentInfo(value, 128);
    case I::Pan: return PanInfo(value, max, left, right, centred);
    case I::Semitones: return DecimalInfo(value - 120, 10);
    case I::None: break;
  }
  return {};
}

std::string NoteName(int note) {
  static const char* const Names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  if (note < 0) return {};
  return std::string(Names[note % 12]) + std::to_string(note / 12);
}

// ---------------------------------------------------------------- rebuilds

void RebuildChannelSample(TSong& song, int index) {
  if (ChannelFormUpdating) return;
  TChannel* c = song.Channel(index);
  if (!c) return;
  PrepareChannelSource(*c);
  ProcessSample(*c, LoadedSample);
  song.SetModified();
  song.Notify(&SongListener::ChannelChanged, index);
}

void ReloadChannelSample(TSong& song, int index) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  const std::string file = c->SampleFileName;
  PreviewFileName = file;
  c->SampleFileName.clear();
  LoadFileIntoChannel(song, index, file, false, true);
  PreviewFileName.clear();
}

// ------------------------------------------------------ the other controls

void SetChannelEffectTrack(TSong& song, int index, int track) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  {
    MixerGuard lock;
    c->EffectTrack = std::clamp(track, 0, 3);
  }
  song.SetModified();
}

void SetChannelStretch(TSong& song, int index, int steps) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  {
    MixerGuard lock;
    c->Stretch = std::clamp(steps, 0, 512);
  }
  song.SetModified();
}

int StretchMenuSteps(int item, int patternLength) {
  switch (item) {
    case 1: return 4;
    case 2: return 8;
    case 3: return patternLength;
    case 4: return 2 * patternLength;
    case 5: return 4 * patternLength;
    case 6: return 8 * patternLength;
    default: return 0;
  }
}

void SetChannelCutGroup(TSong& song, int index, int which, int group) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  group = std::clamp(group, 0, 99);
  {
    MixerGuard lock;
    (which == 0 ? c->Sample.CutGroup : c->Sample.CutByGroup) = group;
  }
  song.SetModified();
}

int SetChannelLooped(TSong& song, int index, bool looped) {
  TChannel* c = song.Channel(index);
  if (!c) return 0;
  int group = 0;
  {
    MixerGuard lock;
    StopSampleVoices(&c->Sample);
    c->Sample.Looped = looped;
    if (looped) {
      group = FirstFreeCutGroup(song, index);
      c->Sample.CutGroup = group;
      c->Sample.CutByGroup = group;
    }
  }
  song.SetModified();
  return group;
}

void SetChannelPingPong(TSong& song, int index, bool pingPong) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  c->Sample.PingPong = pingPong ? 1 : 0;
  RebuildChannelSample(song, index);
}

void SetChannelMixTarget(TSong& song, int index, int target) {
  TChannel* c = song.Channel(index);
  if (!c || !song.Channel(target)) return;
  {
    MixerGuard lock;
    c->MixTarget = target;
  }
  song.SetModified();
}

void SetChannelRandomChoice(TSong& song, int index, const std::vector<int>& chosen) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  std::vector<int32_t> list{index};
  for (int i : chosen)
    if (i != index && song.Channel(i)) list.push_back(i);
  {
    MixerGuard lock;
    c->RandomChoice.swap(list);
  }
  song.SetModified();
}

void SetChannelEchoCount(TSong& song, int index, int count) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  {
    MixerGuard lock;
    c->EchoCount = std::clamp(count, 1, 9);
  }
  song.SetModified();
}

void SetChannelMidiChannel(TSong& song, int index, int midiChannel) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  c->MidiChannel = std::clamp(midiChannel, 0, 15);
  song.SetModified();
}

void SetChannelMidiNote(TSong& song, int index, int note) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  if (note >= -1 && note <= 127) c->MidiNote = StoredMidi(note);
  song.SetModified();
}

void SetChannelPatch(TSong& song, int index, int which, int value, int bankSelectMethod) {
  TChannel* c = song.Channel(index);
  if (!c) return;
  if (value >= -1 && value <= 127) (which == 0 ? c->MidiProgram : c->MidiBank) = StoredMidi(value);
  SendChannelPatch(*c, bankSelectMethod);
  song.SetModified();
}

void SetChannelControllerStart(TSong& song, int index, int controller, int value) {
  TChannel* c = song.Channel(index);
  if (!c || controller < 0 || controller > 127) return;
  if (value >= -1 && value <= 127) {
    c->ControllerStart[controller] = StoredMidi(value);
    SendChannelController(*c, controller, value);
  }
  song.SetModified();
}

int ChannelControllerStart(const TChannel& channel, int controller) {
  if (controller < 0 || controller > 127) return -1;
  const uint8_t v = channel.ControllerStart[controller];
  return v < 128 ? v : -1;
}

void PreviewChannelKey(const TChannel& channel, int key, int velocity) {
  const TWAVSample& s = channel.Sample;
  if (s.Empty()) return;
  const int32_t length = PitchedLength(s.PlayLength > 0 ? s.PlayLength : s.Length, (key - channel.RootNote) * 100);
  MixerGuard lock;
  TMixer& mixer = Mixer();
  mixer.AddVoice(&s, mixer.MixPosition, std::clamp(channel.Pan, 0, 127), length, -1, -1,
                 float(std::clamp(velocity, 0, 127)) * PreviewGain);
}

bool SetChannelKey(TSong& song, int index, bool renderTab, int key) {
  TChannel* c = song.Channel(index);
  if (!c) return false;
  int32_t& field = renderTab ? c->RenderNote : c->RootNote;
  key = std::clamp(key, renderTab ? -1 : 0, 127);
  if (field == key) return false;
  field = key;
  Changed(song, index);
  return true;
}

void SendChannelPatch(const TChannel& channel, int bankSelectMethod) {
  TMidiOutPort* port = MIDIOut();
  if (!port) return;
  const uint8_t ch = uint8_t(channel.MidiChannel & 15);
  if (channel.MidiBank < 128) {
    if (bankSelectMethod == 0) {
      port->SendShort(uint8_t(0xB0 + ch), 0, channel.MidiBank);
    } else {
      port->SendShort(uint8_t(0xB0 + ch), 0, 0);
      port->SendShort(uint8_t(0xB0 + ch), 32, channel.MidiBank);
    }
  }
  if (channel.MidiProgram < 128) port->SendShort(uint8_t(0xC0 + ch), channel.MidiProgram, 0);
  if (channel.Pan != 64) port->SendShort(uint8_t(0xB0 + ch), 10, uint8_t(std::clamp(channel.Pan, 0, 127)));
}

void SendChannelControllers(const TChannel& channel) {
  for (int i = 0; i < 128; ++i) SendChannelController(channel, i, ChannelControllerStart(channel, i));
}

void SendChannelController(const TChannel& channel, int controller, int value) {
  TMidiOutPort* port = MIDIOut();
  if (!port || value < 0 || value > 127 || controller < 0 || controller > 127) return;
  port->SendShort(uint8_t(0xB0 + (channel.MidiChannel & 15)), uint8_t(controller), uint8_t(value));
}

// ------------------------------------------------------------ recent files

int TRecentSamples::Add(const std::string& file) {
  const auto found = std::find(List.begin(), List.end(), file);
  if (found != List.end()) return int(found - List.begin());
  List.insert(List.begin(), file);
  if (List.size() > size_t(RecentSampleEntries)) List.erase(List.end() - 2);
  return 0;
}

// ------------------------------------------------------------------ files

std::string ModifiedSampleName(const std::string& resolvedFile) {
  const std::string base = ChangeFileExt(resolvedFile, "");
  for (int n = 2;; ++n) {
    std::string name = base + "_" + std::to_string(n) + ".wav";
    std::error_code ec;
    if (!std::filesystem::exists(name, ec) || n == 2147483647) return name;
  }
}

std::string MB404PresetFolder() {
  const std::string folder = SamplesFolder() + "MB404 Presets/";
  return ForceDirectory(folder) ? folder : std::string();
}

TWriteResult WriteMB404Preset(const MB404Params& params, const std::string& fileName) {
  const MB404Block block = MB404ParamsToBytes(params);
  return WriteFileSafely(fileName, block.data(), block.size());
}

// ---------------------------------------------------- the synthesizer page

const std::vector<TSynthSlotSpec>& SynthSlotSpecs() { return SynthSpecs; }

std::string SynthWheelInfo(const TSynthSlotSpec& spec, int value, const std::string& caption) {
  if (spec.Min < 0) return std::to_string(value) + " " + caption;
  return PercentInfo(value, spec.Max) + " " + caption;
}

int SynthControlValue(const MB404Params& params, const TSynthSlotSpec& spec) {
  const int32_t v = params.Params[spec.Slot - 3];
  if (spec.Slot == ResonanceSlot) return 128 - v;
  if (spec.Kind == K::Toggle) return (v & 0xFF) != 0 ? 1 : 0;
  return v;
}

void SetSynthControl(TSong& song, int index, const TSynthSlotSpec& spec, int value) {
  TChannel* c = song.Channel(index);
  if (!c || !c->Synth) return;
  {
    MixerGuard lock;
    int32_t& slot = c->Synth->Params[spec.Slot - 3];
    if (spec.Slot == ResonanceSlot)
      slot = 128 - value;
    else if (spec.Kind == K::Toggle)
      slot = value != 0 ? 1 : 0;
    else
      slot = value;
  }
  song.SetModified();
}

}  // namespace vs
