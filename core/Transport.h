#pragma once
// The transport: play / stop, pattern and song mode, the playlist position
// the user side shows and plays, the choice of outputs (audio, MIDI), MIDI
// clock sync as master or slave, and the panic command.
//
// The main window's buttons and menu items call the click routines with
// what the user did (the button's new state) and show what the routines
// hand back and what TTransportState holds; the transport tells the window
// of changes it makes by itself through TTransportHost. Ports and the
// audio output are opened and closed through the host as well, so the rules
// can be exercised without devices. A command that could not do everything
// asked returns why, in the texts below.
//
// Every position and pattern-list change happens under MixerLock; the
// master clock is started and stopped outside it, and neither the window
// (TTransportHost) nor a MIDI port is called while a command holds it.

#include <string>

#include "model/Song.h"
#include "engine/MidiDevices.h"
#include "toolbox/CommandResult.h"

namespace vs {

class TTransportHost {
public:
  virtual ~TTransportHost() = default;

  // --- What the window shows (all optional) ---
  // The playlist row of a bar / the column of a pattern needs repainting.
  virtual void RepaintPlaylistBar(int bar) { (void)bar; }
  virtual void RepaintPatternColumn(int pattern) { (void)pattern; }
  // Every step row puts out its play-position lamp.
  virtual void HidePlaySteps() {}
  // Every step row shows the (reset) position.
  virtual void ShowStepPositions() {}
  // The play button's state changed by a slave start / stop.
  virtual void StartButtonChanged(bool down) { (void)down; }
  // The menu items' checks and the sync item's caption changed.
  virtual void OutputItemsChanged() {}
  // The sync lamp: its image (0 off) and its visibility.
  virtual void SyncLedChanged(int tag, bool visible) { (void)tag, (void)visible; }
  // The piano window follows the current pattern.
  virtual void CurrentPatternChanged(int pattern) { (void)pattern; }

  // --- Devices (the defaults work on the program's ports and output) ---
  // Audio output on / off; failed with the reason when it could not be
  // opened.
  virtual TCommandResult OpenAudio();
  virtual void CloseAudio();
  virtual bool MidiOutputOpen();
  // Opens MIDIOut on the settings window's note output choice.
  virtual TCommandResult OpenMidiOutput();
  virtual void CloseMidiOutput();
  virtual TCommandResult OpenMidiInput();
  virtual void CloseMidiInput();
  virtual bool SyncOutputOpen();
  // Opens MIDIOutSync on the settings window's sync output choice.
  virtual TCommandResult OpenSyncOutput();
  virtual void CloseSyncOutput();
};

// The host the transport talks to (null: a host that shows nothing and uses
// the program's devices).
void SetTransportHost(TTransportHost* host);
TTransportHost& TransportHost();

// The device choices the default host opens the ports on (the settings
// window's lists and selections).
void SetTransportDeviceLists(const TMidiDeviceLists& lists);

// What the transport's controls show, as the transport left them (song or
// pattern mode is the mixer's SongMode). Main thread only.
struct TTransportState {
  bool StartButtonDown = false;  // StartButton
  bool SyncChecked = false;      // SyncOption
  int SyncLedTag = 0;            // MIDISyncLED's image: 0 off, 1 beat, 2 bar
  bool SyncLedVisible = false;
  std::string SyncCaption = "S&ync as master";
};
TTransportState& Transport();

extern const char* const MasterSyncCaption;  // "S&ync as master"
extern const char* const SlaveSyncCaption;   // "S&ync as slave"

// The loop button went down (song mode, SongMode 1) or up (pattern mode,
// 0), with the positions of the new mode (pattern mode: no playlist
// position; song mode: the selection's top bar or bar 0).
void LoopButtonClick(bool down);
// The play button went down (play) or up (stop). fromButton: the click came
// from the play button itself (a stop then rewinds to the start of the
// range); a program's stop keeps the position.
void StartButtonClick(bool down, bool fromButton = false);
// A stop made by the program while playing (the play button shows up; the
// position is kept). Nothing while stopped.
void StopPlaying();
// Silence, rewind the mixer clock, Playing := true, and the master clock
// when sync is master or (not as slave) both outputs are alike.
void StartPlayback();
// Every sound of the engine stops (voices, synthesizer sequences, echo,
// plug-ins switched off and on).
// No MIDI is sent.
void SilenceAll();
// The window's handling of a slave start (true) or stop (false).
void SyncStartStopReceived(bool started);

// Switches the outputs; sync is re-applied in the mode of the new outputs.
// Failed, with the first reason, when a wanted output or port could not be
// opened (the switch is made all the same: the item shows the output on).
TCommandResult SetOutputModes(bool wav, bool midi);
// Toggles sync; failed when a port it needs could not be opened.
TCommandResult SyncOptionClick();
TCommandResult MidiOnlyClick();
TCommandResult WAVonlyClick();
// Lamp off; hidden when no clock runs (sync off and one output only).
void RefreshSyncLed();

// Moves the user-side position (normalised by the playlist); in song mode
// the patterns there become the playing ones.
void MovePlaylistPosition(int bar);
// Moves the user side and the mixer, after a panic; sends the song position.
void JumpToPlaylistPosition(int bar);

void SetCurrentPattern(int pattern);
void SetPlayingPattern(int pattern);
// The mixer's pattern list for a start: the current pattern, or in song
// mode the patterns at MixBar.
void SetMixPatterns();
// True when no channel holds a step in the pattern (and with no channels).
bool IsPatternEmpty(int pattern);

// All Sound Off (controller 120, value 0) on MIDI channels 1..16 of
// MIDIOut, then every voice stops.
void PanicMenuClick();
// The MIDI half of the panic alone.
void SendAllSoundOff();

}  // namespace vs
