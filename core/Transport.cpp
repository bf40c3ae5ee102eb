#include "core/Transport.h"

#include <atomic>
#include <exception>
#include <mutex>

#include "core/SequencerState.h"
#include "core/MasterClock.h"
#include "core/PlayPosition.h"
#include "core/Tempo.h"
#include "model/MB404Params.h"
#include "model/MixerLock.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/VSTHost.h"
#include "platform/MidiPorts.h"
#include "toolbox/MessageBox.h"

namespace vs {

const char* const MasterSyncCaption = "S&ync as master";
const char* const SlaveSyncCaption = "S&ync as slave";

namespace {

constexpr uint32_t MidiStartByte = 250;
constexpr uint32_t MidiStopByte = 252;

TTransportHost DefaultHost;
std::atomic<TTransportHost*> Host{&DefaultHost};

std::mutex& ListsLock() {
  static std::mutex lock;
  return lock;
}
TMidiDeviceLists& Lists() {
  static TMidiDeviceLists lists;
  return lists;
}

TSong& Song() { return Mixer().Song(); }

bool UseWAV() { return AudioOutput().UseWAV.load(); }
bool UseMIDI() { return MixSettings().UseMIDI.load(); }

// The top bar of the playlist selection, or 0 without one.
int RangeStart(const TSong& song) {
  const TPlaylistSelection& sel = song.Playlist.PlaylistSelection;
  return sel.Bottom >= 0 ? sel.Top : 0;
}

// What the window is to show, told after the command has left MixerLock: a
// command opens a batch before it takes the lock, the calls it makes are
// kept, and the outermost batch of the thread tells them in order when it
// closes. (A repaint that waited for the main thread under the lock could
// stall the mixer; none is told while the lock is held.)
struct TViewCall {
  enum TKind { Bar, Column, HideSteps, ShowSteps, Pattern } Kind;
  int Value;
};
thread_local std::vector<TViewCall> PendingViewCalls;
thread_local int ViewBatchDepth = 0;

class TViewBatch {
public:
  TViewBatch() { ++ViewBatchDepth; }
  ~TViewBatch() {
    if (--ViewBatchDepth > 0) return;
    std::vector<TViewCall> calls;
    calls.swap(PendingViewCalls);
    TTransportHost& host = TransportHost();
    for (const TViewCall& c : calls) {
      switch (c.Kind) {
        case TViewCall::Bar: host.RepaintPlaylistBar(c.Value); break;
        case TViewCall::Column: host.RepaintPatternColumn(c.Value); break;
        case TViewCall::HideSteps: host.HidePlaySteps(); break;
        case TViewCall::ShowSteps: host.ShowStepPositions(); break;
        case TViewCall::Pattern: host.CurrentPatternChanged(c.Value); break;
      }
    }
  }
  TViewBatch(const TViewBatch&) = delete;
  TViewBatch& operator=(const TViewBatch&) = delete;
};

void TellView(TViewCall::TKind kind, int value = 0) { PendingViewCalls.push_back({kind, value}); }

}  // namespace

void StopPlaying() {
  if (!Mixer().Playing.load()) return;
  StartButtonClick(false, false);
  TransportHost().StartButtonChanged(false);
}

// ---------------------------------------------------------------- host

TCommandResult TTransportHost::OpenAudio() { return OpenAudioOutput(); }

void TTransportHost::CloseAudio() { CloseAudioOutput(); }

bool TTransportHost::MidiOutputOpen() { return MidiDevices().MIDIOut.IsOpen(); }

TCommandResult TTransportHost::OpenMidiOutput() {
  std::lock_guard<std::mutex> hold(ListsLock());
  const TMidiDeviceLists& l = Lists();
  std::string message;
  if (vs::OpenMidiOutput(MidiDevices().MIDIOut, l.Output, l.OutputIndex, message))
    return TCommandResult::Done();
  return TCommandResult::Failed(message);
}

void TTransportHost::CloseMidiOutput() { vs::CloseMidiOutput(MidiDevices().MIDIOut); }

TCommandResult TTransportHost::OpenMidiInput() {
  std::lock_guard<std::mutex> hold(ListsLock());
  const TMidiDeviceLists& l = Lists();
  std::string message;
  if (vs::OpenMidiInput(MidiDevices().MidiIn, l.Input, l.InputIndex, message))
    return TCommandResult::Done();
  return TCommandResult::Failed(message);
}

void TTransportHost::CloseMidiInput() { vs::CloseMidiInput(MidiDevices().MidiIn); }

bool TTransportHost::SyncOutputOpen() { return MidiDevices().MIDIOutSync.IsOpen(); }

TCommandResult TTransportHost::OpenSyncOutput() {
  std::lock_guard<std::mutex> hold(ListsLock());
  const TMidiDeviceLists& l = Lists();
  std::string message;
  if (vs::OpenMidiOutput(MidiDevices().MIDIOutSync, l.SyncOutput, l.SyncOutputIndex, message))
    return TCommandResult::Done();
  return TCommandResult::Failed(message);
}

void TTransportHost::CloseSyncOutput() { vs::CloseMidiOutput(MidiDevices().MIDIOutSync); }

void SetTransportHost(TTransportHost* host) { Host.store(host ? host : &DefaultHost); }
TTransportHost& TransportHost() { return *Host.load(); }

void SetTransportDeviceLists(const TMidiDeviceLists& lists) {
  std::lock_guard<std::mutex> hold(ListsLock());
  Lists() = lists;
}

TTransportState& Transport() { return SequencerState().Transport; }

// ---------------------------------------------------------------- play / stop

void LoopButtonClick(bool down) {
  TViewBatch view;
  MixerGuard hold;
  TMixer& mixer = Mixer();
  TSong& song = Song();
  TPlayPosition& pos = PlayPosition();
  mixer.StopAllVoices();
  mixer.SongMode = down ? 1 : 0;
  song.SetSongModeOn(mixer.SongMode == 1);
  if (mixer.SongMode == 0) {
    SetCurrentPattern(song.CurrentPattern);
    TellView(TViewCall::Bar, pos.PlaylistPosition);
    pos.PlaylistPosition = -1;
    mixer.MixBar = -1;
    mixer.MixPattern = song.CurrentPattern;
  } else {
    MovePlaylistPosition(RangeStart(song));
    pos.DisplayStep.store(-1);
    mixer.MixBar = pos.PlaylistPosition;
    mixer.MixPattern = song.Playlist.PatternsAtBar(mixer.MixBar, mixer.MixPatterns);
    mixer.MixStep = -1;
  }
}

void SetMixPatterns() {
  MixerGuard hold;
  TMixer& mixer = Mixer();
  TSong& song = Song();
  if (mixer.SongMode == 1) {
    mixer.MixPattern = song.Playlist.PatternsAtBar(mixer.MixBar, mixer.MixPatterns);
  } else {
    mixer.MixPatterns.assign(1, song.CurrentPattern);
    mixer.MixPattern = song.CurrentPattern;
  }
}

void StartButtonClick(bool down, bool fromButton) {
  TViewBatch view;
  TMixer& mixer = Mixer();
  TPlayPosition& pos = PlayPosition();
  Transport().StartButtonDown = down;
  if (down) {
    SetMixPatterns();
    if (Sync().Mode.load() == SyncSlave) {
      HandleMidiSyncMessage(MidiStartByte);
      return;
    }
    pos.DisplayStep.store(-1);
    if (!UseWAV()) {
      LoopTimer().Start();
      if (!LoopTimer().Enabled()) {
        // No thread for the step timer: nothing would move the steps.
        Transport().StartButtonDown = false;
        TransportHost().StartButtonChanged(false);
        HintMessageBox("Error|Playback could not start.\rThe system refused a new thread.", MbOK | MbIconError);
        return;
      }
    }
    StartPlayback();
    return;
  }
  StopMasterClock();
  {
    MixerGuard hold;
    if (Sync().Mode.load() == SyncSlave) {
      HandleMidiSyncMessage(MidiStopByte);
    } else {
      mixer.Playing.store(false);
      if (!UseWAV()) LoopTimer().Stop();
      EndSoundingMidiNotes(Song());
      pos.DisplayStep.store(-1);
      TellView(TViewCall::ShowSteps);
    }
    if (fromButton) {
      MovePlaylistPosition(RangeStart(Song()));
      mixer.MixBar = pos.PlaylistPosition;
    }
  }
  mixer.StopLoopedVoices();
}

void StartPlayback() {
  {
    MixerGuard hold;
    TMixer& mixer = Mixer();
    SilenceAll();
    mixer.MixStep = -1;
    mixer.NextStepFrame = mixer.MixPosition;
    mixer.Playing.store(true);
  }
  // A slave is stepped by the clocks it receives: a master clock of its
  // own (both outputs off) would step it a second time.
  const int mode = Sync().Mode.load();
  if (mode == SyncMaster || (mode != SyncSlave && UseWAV() == UseMIDI())) {
    std::string why;
    if (!StartMasterClock(&why))
      HintMessageBox("Error|The MIDI clock could not start.\r" + why, MbOK | MbIconError);
  }
}

void SilenceAll() {
  MixerGuard hold;
  TMixer& mixer = Mixer();
  mixer.StopAllVoices();
  TSong& song = Song();
  for (int i = static_cast<int>(song.MB404Channels.size()) - 1; i >= 0; --i)
    if (song.MB404Channels[i] && song.MB404Channels[i]->Synth)
      ClearMB404Sequence(*song.MB404Channels[i]->Synth);
  mixer.Echo.Clear();
  PluginHost().ResetAllPlugins();
}

void SyncStartStopReceived(bool started) {
  TTransportHost& host = TransportHost();
  Transport().StartButtonDown = started;
  host.StartButtonChanged(started);
  if (started) return;
  {
    MixerGuard hold;
    Mixer().Playing.store(false);
    PlayPosition().DisplayStep.store(-1);
  }
  host.ShowStepPositions();
}

// ---------------------------------------------------------------- outputs and sync

TCommandResult SetOutputModes(bool wav, bool midi) {
  TTransportHost& host = TransportHost();
  TTransportState& t = Transport();
  TCommandResult result;
  StopPlaying();
  const bool syncWasOn = t.SyncChecked;
  if (syncWasOn) result.Add(SyncOptionClick());
  if (UseMIDI() && !midi) host.CloseMidiOutput();
  if (UseWAV() && !wav) host.CloseAudio();
  AudioOutput().UseWAV.store(wav);
  MixSettings().UseMIDI.store(midi);
  if (wav) result.Add(host.OpenAudio());
  if (midi && !host.MidiOutputOpen()) result.Add(host.OpenMidiOutput());
  t.SyncCaption = wav ? MasterSyncCaption : SlaveSyncCaption;
  host.OutputItemsChanged();
  if (syncWasOn) result.Add(SyncOptionClick());
  RefreshSyncLed();
  return result;
}

TCommandResult SyncOptionClick() {
  TTransportHost& host = TransportHost();
  TTransportState& t = Transport();
  TCommandResult result;
  StopPlaying();
  t.SyncChecked = !t.SyncChecked;
  const int mode = t.SyncChecked ? (UseWAV() ? SyncMaster : SyncSlave) : SyncOff;
  SetSlaveStartHook(&StartPlayback);
  Sync().Mode.store(mode);
  if (mode != SyncSlave)
    host.CloseMidiInput();
  else
    result.Add(host.OpenMidiInput());
  if (mode == SyncMaster) {
    if (!host.SyncOutputOpen()) result.Add(host.OpenSyncOutput());
  } else {
    host.CloseSyncOutput();
  }
  host.OutputItemsChanged();
  RefreshSyncLed();
  return result;
}

TCommandResult MidiOnlyClick() {
  if (!UseWAV() && !UseMIDI()) return SetOutputModes(false, true);
  return SetOutputModes(true, !UseMIDI());
}

TCommandResult WAVonlyClick() {
  if (!UseMIDI() && !UseWAV()) return SetOutputModes(true, false);
  return SetOutputModes(!UseWAV(), true);
}

void RefreshSyncLed() {
  TTransportState& t = Transport();
  t.SyncLedTag = SyncLedOff;
  Sync().Led.store(SyncLedOff);
  t.SyncLedVisible = !(Sync().Mode.load() <= SyncOff && UseWAV() != UseMIDI());
  TransportHost().SyncLedChanged(t.SyncLedTag, t.SyncLedVisible);
}

// ---------------------------------------------------------------- positions and patterns

void MovePlaylistPosition(int bar) {
  TViewBatch view;
  MixerGuard hold;
  TPlayPosition& pos = PlayPosition();
  const int old = pos.PlaylistPosition;
  SetPlaylistPosition(Song(), bar);
  if (Mixer().SongMode == 1) TellView(TViewCall::HideSteps);
  if (pos.PlaylistPosition != old) {
    TellView(TViewCall::Bar, old);
    TellView(TViewCall::Bar, pos.PlaylistPosition);
  }
}

void JumpToPlaylistPosition(int bar) {
  TViewBatch view;
  // The panic's MIDI goes out before the lock is taken.
  SendAllSoundOff();
  {
    MixerGuard hold;
    TMixer& mixer = Mixer();
    TPlayPosition& pos = PlayPosition();
    mixer.StopAllVoices();
    MovePlaylistPosition(bar);
    mixer.MixBar = pos.PlaylistPosition;
    if (mixer.SongMode == 1) {
      mixer.MixPattern = pos.PlayingPattern;
      mixer.MixPatterns.assign(pos.PlayingPatterns.begin(), pos.PlayingPatterns.end());
      pos.DisplayStep.store(-1);
      mixer.MixStep = -1;
    }
  }
  SendSongPosition();
}

void SetCurrentPattern(int pattern) {
  TViewBatch view;
  TSong& song = Song();
  if (pattern != song.CurrentPattern) {
    TellView(TViewCall::Column, song.CurrentPattern);
    TellView(TViewCall::Column, pattern);
  }
  {
    MixerGuard hold;
    song.SetCurrentPattern(pattern);  // the mixer reads it
    TMixer& mixer = Mixer();
    if (mixer.SongMode == 0) {
      SetPlayingPattern(pattern);
      mixer.MixPattern = pattern;
      mixer.MixPatterns.assign(1, pattern);
    } else {
      TellView(TViewCall::HideSteps);
    }
  }
  TellView(TViewCall::Pattern, pattern);
}

void SetPlayingPattern(int pattern) {
  TViewBatch view;
  MixerGuard hold;
  TPlayPosition& pos = PlayPosition();
  pos.PlayingPattern = pattern;
  pos.PlayingPatterns.assign(1, pattern);
  TellView(TViewCall::HideSteps);
}

bool IsPatternEmpty(int pattern) { return Song().IsPatternEmpty(pattern); }

void SendAllSoundOff() {
  if (TMidiOutPort* out = MIDIOut())
    for (int channel = 1; channel <= 16; ++channel)
      out->SendShort(static_cast<uint8_t>(0xB0 + channel - 1), 120, 0);
}

void PanicMenuClick() {
  SendAllSoundOff();
  StopAllVoices();
}

}  // namespace vs
