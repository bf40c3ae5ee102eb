#pragma once
// Tempo and the step clock the user side shows: the tempo arithmetic, the
// routine that moves the shown step (AdvanceStep), the MIDI notes a step
// sends, and the step timer that drives AdvanceStep when no audio output
// runs.

#include <cstdint>

#include "model/Song.h"
#include "toolbox/ThreadTimer.h"

namespace vs {

// BPM clamped to 30..999 (0 and nonsense included).
int ClampBPM(int bpm);
// 15000 div BPM: the step timer's interval in milliseconds.
int StepMilliseconds(int bpm);

// Under MixerLock: FramesPerStep := 661500 div BPM, the echo delay follows,
// the master clock is re-based; then the step timer's interval and the
// song's tempo. The BPM is clamped to 30..999 first.
void SetTempo(int bpm);
// Under MixerLock: the song echo gets the block length and the delay
// (FramesPerStep x echo time) shr 4.
void UpdateEchoDelay();

// Called by SetTempo under MixerLock with the old and the new FramesPerStep
// while the master clock runs (the clock installs it).
using TTempoRebaseHook = void (*)(int32_t oldFramesPerStep, int32_t newFramesPerStep);
void SetTempoRebaseHook(TTempoRebaseHook hook);

// Moves the shown step by one (and in song mode past the pattern's end to the
// next playlist bar); with MIDI every playing pattern's step is sent. Then
// posts the step position.
void AdvanceStep(bool withMidi);
// The mixer calls AdvanceStep (without MIDI) for every mixed step from now on.
void ConnectStepAdvance();

// Sends the MIDI notes of one channel's step in MidiStepPattern. Notes that
// fall outside 0..127 are not sent (the last note still ends).
void PlayMidiStep(TSong& song, int channelIndex, int step);
// Playback stopped: every channel's step note still sounding is ended
// (note off with release velocity 64) on MIDIOut. Under MixerLock.
void EndSoundingMidiNotes(TSong& song);
// Note on / off of a channel's MIDI channel with its volume (note grid).
void MidiNoteOn(const TChannel& channel, int note);
void MidiNoteOff(const TChannel& channel, int note);

// The step timer (LoopTimer): AdvanceStep with MIDI at every tick, highest
// priority, its interval set by SetTempo.
TThreadTimer& LoopTimer();

}  // namespace vs
