#include "core/Tempo.h"

#include <algorithm>

#include "core/SequencerState.h"
#include "core/PlayPosition.h"
#include "model/MixerLock.h"
#include "engine/EngineListener.h"
#include "engine/Mixer.h"
#include "platform/MidiPorts.h"

namespace vs {

namespace {

std::atomic<TTempoRebaseHook> RebaseHook{nullptr};

class TDisplayStepper : public TStepAdvanceHook {
public:
  void AdvanceStep() override { vs::AdvanceStep(false); }
};

TDisplayStepper DisplayStepper;

uint8_t MidiChannelOf(const TChannel& channel) { return uint8_t(channel.MidiChannel & 15); }

// One note of a step, to the target channel (or a random choice of it).
void SendStepNote(TSong& song, TMidiOutPort& port, int target, int velocity,
                  const TStepBlock& block, int step) {
  TChannel* t = song.Channel(target);
  if (t == nullptr) return;
  const int choices = static_cast<int>(t->RandomChoice.size());
  if (choices > 1) {
    TChannel* chosen = song.Channel(t->RandomChoice[Mixer().Random(choices)]);
    if (chosen != nullptr) t = chosen;  // entries outside the list: the channel itself
  }
  if (t->MidiNote == MidiNone) return;
  const int64_t v = int64_t(t->Volume) * velocity * song.MasterVolume.load() / 12800;
  const uint8_t vel = uint8_t(std::clamp<int64_t>(v, 0, 127));
  const uint8_t ch = MidiChannelOf(*t);
  if (t->LastMidiNote != MidiNone) port.SendShort(uint8_t(0x80 + ch), t->LastMidiNote & 127, vel);
  int note = int(block.Get(step, PlaneNote)) + t->MidiNote - 60;
  if (t->Pitchable) note += song.MasterPitch.load() / 100;
  const int display = std::clamp(PlayPosition().DisplayStep.load(), 0, MaxSteps - 1);
  t->StepLamps[display].store(256);
  t->TriggerLamp.store(256);
  if (note < 0 || note > 127) {  // no such key: nothing sounds
    t->LastMidiNote = MidiNone;
    return;
  }
  t->LastMidiNote = uint8_t(note);
  const int pan = std::clamp(int(block.Get(step, PlanePan)) + t->Pan - 64, 0, 127);
  port.SendShort(uint8_t(0xB0 + ch), 10, uint8_t(pan));
  port.SendShort(uint8_t(0x90 + ch), uint8_t(note), vel);
}

}  // namespace

int ClampBPM(int bpm) { return std::clamp(bpm, MinBPM, MaxBPM); }

int StepMilliseconds(int bpm) { return 15000 / ClampBPM(bpm); }

void SetTempoRebaseHook(TTempoRebaseHook hook) { RebaseHook.store(hook); }

void UpdateEchoDelay() {
  MixerGuard hold;
  TMixer& mixer = Mixer();
  TEchoLine& echo = EchoLine();
  echo.Setup(mixer.BlockFrames, (int64_t(mixer.FramesPerStep) * echo.Time.load()) >> 4);
}

void SetTempo(int bpm) {
  bpm = ClampBPM(bpm);
  {
    MixerGuard hold;
    TMixer& mixer = Mixer();
    const int32_t old = mixer.FramesPerStep;
    mixer.FramesPerStep = FramesPerStepForBPM(bpm);
    UpdateEchoDelay();
    if (TTempoRebaseHook hook = RebaseHook.load()) hook(old, mixer.FramesPerStep);
    mixer.Song().SetBPM(bpm);  // told once the lock is left
  }
  LoopTimer().SetInterval(static_cast<uint32_t>(StepMilliseconds(bpm)));
}

void PlayMidiStep(TSong& song, int channelIndex, int step) {
  TMidiOutPort* port = MIDIOut();
  TChannel* own = song.Channel(channelIndex);
  if (port == nullptr || own == nullptr || !TStepStore::ValidStep(step)) return;
  const int pattern = PlayPosition().MidiStepPattern;
  if (!own->Enabled || own->MidiNote == MidiNone || !own->Steps.IsStepOn(pattern, step)) return;
  const TStepBlock* block = own->Steps.Block(pattern);
  if (block == nullptr) return;
  const int vel = block->Get(step, PlaneVol);
  const int mix = block->Get(step, PlaneMix);
  int target = own->MixTarget;
  if (song.Channel(target) == nullptr) target = channelIndex;  // outside the list: itself
  if (target == channelIndex || mix == 0) {
    SendStepNote(song, *port, channelIndex, vel, *block, step);
    return;
  }
  const int v = vel * mix / 127;
  SendStepNote(song, *port, target, v, *block, step);
  if (v < vel) SendStepNote(song, *port, channelIndex, vel - v, *block, step);
}

void EndSoundingMidiNotes(TSong& song) {
  MixerGuard hold;
  TMidiOutPort* port = MIDIOut();
  for (int i = 0; i < song.ChannelCount(); ++i) {
    TChannel& c = *song.Channels[size_t(i)];
    if (c.LastMidiNote == MidiNone) continue;
    if (port != nullptr) port->SendShort(uint8_t(0x80 + MidiChannelOf(c)), c.LastMidiNote & 127, 64);
    c.LastMidiNote = MidiNone;
  }
}

void MidiNoteOn(const TChannel& channel, int note) {
  TMidiOutPort* port = MIDIOut();
  if (port == nullptr || note < 0 || note > 127) return;
  port->SendShort(uint8_t(0x90 + MidiChannelOf(channel)), uint8_t(note),
                  uint8_t(std::clamp(channel.Volume, 0, 127)));
}

void MidiNoteOff(const TChannel& channel, int note) {
  TMidiOutPort* port = MIDIOut();
  if (port == nullptr || note < 0 || note > 127) return;
  port->SendShort(uint8_t(0x80 + MidiChannelOf(channel)), uint8_t(note),
                  uint8_t(std::clamp(channel.Volume, 0, 127)));
}

void AdvanceStep(bool withMidi) {
  {
    MixerGuard hold;
    TMixer& mixer = Mixer();
    TSong& song = mixer.Song();
    TPlayPosition& pos = PlayPosition();
    const int length = std::clamp(song.PatternLength(), 1, MaxSteps);
    if (pos.DisplayStep.load() >= length - 1 && mixer.SongMode == 1)
      SetPlaylistPosition(song, pos.PlaylistPosition + 1);
    const int step = (std::max(pos.DisplayStep.load(), -1) + 1) % length;
    pos.DisplayStep.store(step);
    if (withMidi) {
      for (int i = static_cast<int>(pos.PlayingPatterns.size()) - 1; i >= 0; --i) {
        pos.MidiStepPattern = pos.PlayingPatterns[i];
        for (int c = 0; c < song.ChannelCount(); ++c) PlayMidiStep(song, c, step);
      }
    }
  }
  PostStepPosition();
}

void ConnectStepAdvance() {
  MixerGuard hold;
  Mixer().SetStepAdvanceHook(&DisplayStepper);
}

TThreadTimer& LoopTimer() { return SequencerState().LoopTimer; }

}  // namespace vs
