#pragma once
// What the program settings window does below the windows: the buffer
// sliders' rules, the pattern length and repeat block, the song echo of the
// loop page, the MIDI device choices and the CPU meter's text. The window
// shows the values and calls these; nothing here shows anything.

#include <string>

#include "core/Program.h"
#include "model/Song.h"
#include "toolbox/CommandResult.h"

namespace vs {

// --- Buffer sliders (milliseconds, 0..500) ---

constexpr int MaxBufferSliderMs = 500;

struct TBufferSliders {
  int BufferMs = 200;  // the mix block ("Buffer Length")
  int AheadMs = 200;   // how far ahead of the play position mixing runs
  // The least distance ahead at which the open device is fed in time
  // (LeastAheadFrames, rounded up); neither slider goes below it.
  int LeastMs = 0;
  bool operator==(const TBufferSliders&) const = default;
};
// The sliders for the engine's present block length and distance ahead.
TBufferSliders BufferSlidersNow();
// The buffer slider moved: when the distance ahead passes the new block,
// it comes down to the same milliseconds.
TBufferSliders BufferLengthMoved(TBufferSliders sliders, int bufferMs);
// The ahead slider moved: when it passes the block, the buffer slider is
// raised to it. So the distance ahead never exceeds the buffer length, and
// both stay at LeastMs at the least.
TBufferSliders AheadMoved(TBufferSliders sliders, int aheadMs);
// The engine takes them: the block (at least 64 frames) with the stream
// buffer, the echo and the plug-ins' block size resized, the distance
// ahead, and the preferences.
void ApplyBufferSliders(const TBufferSliders& sliders, TPreferences& prefs);

// --- Loop page ---

// The pattern length (8..64) and the repeat block (1..64) under MixerLock;
// the song is marked modified when either changed.
void ChangePatternLength(TSong& song, int length, int stepsPerBlock);

enum TEchoSetting { EchoFeedback, EchoPan, EchoVolume, EchoTime };
// One of the song echo's values (feedback 0..127, pan and volume 0..128,
// time 0..256 sixteenths of a step): the song and the echo line take it, a
// new time sets the delay again; the song is marked modified.
void ChangeSongEcho(TSong& song, TEchoSetting setting, int value);
// The echo line takes the song's values and delay (after a song is opened).
void ApplySongEcho(const TSong& song);
// The echo time in notes for the info bar: position / 16 with 2 decimals.
std::string EchoDelayNotes(int position);

// --- MIDI devices ---

enum class TMidiList { Input, Output, SyncOutput };
// A list's entry chosen: the program's lists and the preferences keep the
// choice and the transport opens its ports on it. The input is reopened in
// slave sync mode, the note output while MIDI output is on, the sync output
// in master sync mode (playback stopped first). Failed with the port's
// message when it could not be opened.
TCommandResult ChooseMidiDevice(TProgram& program, TMidiList list, int selection);

// The MIDI lists read again from the ports there are now (once they were
// made at start-up), each keeping the port chosen by its name; a chosen port that has come back since is opened
// again as ChooseMidiDevice opens it. Failed when that could not be done.
TCommandResult RelistMidiDevices(TProgram& program);

// Neither a sound device nor a MIDI output is chosen ("(none)" or nothing
// stored): the settings open on their WAV page at start-up and warn when
// closed.
bool NoOutputChosen(const TPreferences& prefs);

// --- CPU meter ---

// The usage padded to two digits and "%"; while the meter is fast, the
// voices playing too: "07% (12 samples)". A usage below 0 (no reading yet)
// shows "--%".
std::string CPUUsageText(int usage, bool fast, int voices);

}  // namespace vs
