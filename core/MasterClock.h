#pragma once
// MIDI clock: as master, a thread derives 24 clocks a beat (6 a step) from
// the audio play position and sends the song position, Start, the clocks and
// Stop on the sync output (MIDIOutSync); with MIDI output on it also steps
// the sequencer with MIDI notes every 6 clocks, so the notes keep time with
// the audio. As slave, the clocks that come in on the MIDI input step the
// sequencer (HandleMidiSyncMessage).
//
// Locks: MasterClockLock guards the clock state. Order: MixerLock before
// MasterClockLock; the clock thread holds MasterClockLock only around
// reading the play position and computing the clock count, and steps
// (MixerLock) after leaving it. Start and stop the clock outside MixerLock.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vs {

// SyncRender: held while a render runs (neither master nor slave).
enum TSyncMode : int { SyncOff = 0, SyncMaster = 1, SyncSlave = 2, SyncRender = 3 };

// Sync lamp states (the image the lamp shows).
enum TSyncLedState : int { SyncLedOff = 0, SyncLedBeat = 1, SyncLedBar = 2 };

struct TSyncState {
  std::atomic<int> Mode{SyncOff};           // SyncMode
  std::atomic<int> Delay{0};                // master sync delay, ms (0..500)
  std::atomic<int> Led{SyncLedOff};         // what the sync lamp shows
  std::atomic<int64_t> SlaveClockCount{0};  // clocks received as slave
};
TSyncState& Sync();

// The clock state, read and written under MasterClockLock.
struct TMasterClockState {
  bool Running = false;          // a clock thread exists
  int64_t ClockStartFrame = 0;   // play-position frame of clock 0
  int64_t ClockTempoBase = 0;    // mixer frame of the last tempo re-base
  int64_t ClockOffset = 0;       // clocks counted at earlier tempos
  int64_t LastClock = -1;        // last clock handled, -1 before the first
  int32_t FramesPerStep = 4725;  // the tempo the clock counts in
};
std::mutex& MasterClockLock();
TMasterClockState& MasterClockState();

class TMasterClockThread {
public:
  TMasterClockThread();   // starts running, "higher" priority when allowed
  ~TMasterClockThread();  // asks to end and waits
  TMasterClockThread(const TMasterClockThread&) = delete;
  TMasterClockThread& operator=(const TMasterClockThread&) = delete;
  void Terminate() { Terminated.store(true); }

private:
  void Execute();
  std::atomic<bool> Terminated{false};
  std::thread Thread;
};

// When no clock runs: LastClock := -1, ClockStartFrame := BufferBasePosition
// - the sync delay in frames, ClockTempoBase := MixPosition, ClockOffset :=
// 0, and the clock thread starts. Tempo changes re-base it from then on.
// False, with the reason in error, when the system refuses the thread: no
// clock runs then.
bool StartMasterClock(std::string* error = nullptr);
// When a clock runs: the thread ends, the lamp goes off, and in master mode
// Stop goes out. Must not be called while this thread holds MixerLock (the
// clock thread may be waiting for it): that aborts.
void StopMasterClock();
bool MasterClockRunning();

// The clock count at a play position: 6 clocks a step from
// ClockStartFrame, rounded down, plus ClockOffset.
int64_t ClockCountAt(const TMasterClockState& state, int64_t playPosition);
// One pass of the clock thread after the start: counts the clocks due now
// and sends / steps each new one. Exposed for tests; the thread calls it
// every millisecond.
void MasterClockPass();

// The song position in steps (MIDI beats): playlist position x pattern
// length + shown step + 1, a playlist position before the first bar
// counting as bar 0, kept within 0..16383.
int SongPositionValue(int playlistPosition, int patternLength, int displayStep);
// In master mode: $F2 with the song position's low and high 7 bits.
void SendSongPosition();
// The lamp state for the eighth note n (clocks div 12): off on odd ones,
// bar on every 8th, else beat.
int SyncLedForEighth(int64_t n);
// Stores the lamp state and posts a sync-lamp update.
void SetSyncLed(int state);

// SetTempo's re-base of a running clock (under MixerLock): the clocks of
// whole old steps up to NextStepFrame are kept and the clock continues
// from NextStepFrame at the new tempo.
void RebaseMasterClock(int32_t oldFramesPerStep, int32_t newFramesPerStep);

// The slave's handling of a message from the MIDI input (only in slave
// mode): clock $F8 counts and steps with MIDI every 6 clocks while
// playing; Start $FA and Continue $FB start playback (Start from step 0);
// Stop $FC stops it. Start and stop are posted as sync start / stop.
void HandleMidiSyncMessage(uint32_t message);
// What a slave Start or Continue does first: the transport's playback
// start. Unset: the mixer's clock restarts at the mix position.
using TSlaveStartHook = void (*)();
void SetSlaveStartHook(TSlaveStartHook hook);

}  // namespace vs
