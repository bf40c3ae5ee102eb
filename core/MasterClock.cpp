#include "core/MasterClock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "core/SequencerState.h"
#include "core/PlayPosition.h"
#include "core/Tempo.h"
#include "model/MixerLock.h"
#include "model/Preferences.h"
#include "model/WAVSample.h"
#include "engine/EngineListener.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "platform/MidiPorts.h"
#include "toolbox/ThreadPriority.h"
#include "toolbox/ThreadStart.h"

namespace vs {

namespace {

constexpr uint8_t MidiClock = 0xF8, MidiStart = 0xFA, MidiContinue = 0xFB, MidiStop = 0xFC,
                  MidiSongPosition = 0xF2;

// Guards the thread object (start and stop may come from the main thread
// and the MIDI input thread). Never held while waiting for MixerLock by a
// thread the clock waits for.
std::mutex& ThreadLock() {
  static std::mutex lock;
  return lock;
}

std::unique_ptr<TMasterClockThread>& ClockThread() { return SequencerState().MasterClockThread; }

std::atomic<TSlaveStartHook> SlaveStart{nullptr};

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool MasterMode() { return Sync().Mode.load() == SyncMaster; }

void SendSync(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) {
  if (TMidiOutPort* port = MIDIOutSync()) port->SendShort(status, data1, data2);
}

}  // namespace

TSyncState& Sync() { return SequencerState().Sync; }

std::mutex& MasterClockLock() {
  static std::mutex lock;
  return lock;
}

TMasterClockState& MasterClockState() { return SequencerState().MasterClock; }

int64_t ClockCountAt(const TMasterClockState& state, int64_t playPosition) {
  const int64_t fps = std::max<int32_t>(state.FramesPerStep, 1);
  return FloorDiv((playPosition - state.ClockStartFrame) * 6, fps) + state.ClockOffset;
}

int SongPositionValue(int playlistPosition, int patternLength, int displayStep) {
  const int64_t bar = std::max(playlistPosition, 0);
  const int64_t position = bar * std::max(patternLength, 0) + int64_t(displayStep) + 1;
  return int(std::clamp<int64_t>(position, 0, 16383));
}

void SendSongPosition() {
  if (!MasterMode()) return;
  int position;
  {
    MixerGuard hold;
    const TPlayPosition& pos = PlayPosition();
    position = SongPositionValue(pos.PlaylistPosition, Mixer().Song().PatternLength(),
                                 pos.DisplayStep.load());
  }
  SendSync(MidiSongPosition, uint8_t(position & 0x7F), uint8_t((position >> 7) & 0x7F));
}

int SyncLedForEighth(int64_t n) {
  if (n % 2 != 0) return SyncLedOff;
  return n % 8 == 0 ? SyncLedBar : SyncLedBeat;
}

void SetSyncLed(int state) {
  Sync().Led.store(state);
  PostAsyncUpdate(AsyncSyncLamp, state);
}

void MasterClockPass() {
  TMasterClockState& s = MasterClockState();
  int64_t last, clocks;
  {
    std::lock_guard<std::mutex> hold(MasterClockLock());
    clocks = ClockCountAt(s, GetPlayPosition());
    last = s.LastClock;
  }
  if (clocks <= last) return;
  const bool stepMidi = MixSettings().UseMIDI.load();
  for (int64_t c = last + 1; c <= clocks; ++c) {
    if (MasterMode()) SendSync(MidiClock);
    if (stepMidi && c % 6 == 0) AdvanceStep(true);
  }
  const int64_t n = clocks / 12;
  if (last < 0 || n != last / 12) SetSyncLed(SyncLedForEighth(n));
  std::lock_guard<std::mutex> hold(MasterClockLock());
  s.LastClock = clocks;
}

TMasterClockThread::TMasterClockThread() {
  Thread = StartThread([this] {
    SetCurrentThreadPriority(TThreadPriority::Higher);
    Execute();
  });
}

TMasterClockThread::~TMasterClockThread() {
  Terminate();
  if (Thread.joinable()) Thread.join();
}

void TMasterClockThread::Execute() {
  using namespace std::chrono_literals;
  if (MasterMode()) SendSongPosition();
  TMasterClockState& s = MasterClockState();
  while (!Terminated.load()) {
    std::this_thread::sleep_for(1ms);
    std::lock_guard<std::mutex> hold(MasterClockLock());
    if (GetPlayPosition() - s.ClockStartFrame >= 0) break;
  }
  // Start goes out also when the clock is stopped before it began, so that
  // the Stop that follows has a start to end.
  if (MasterMode()) SendSync(MidiStart);
  while (!Terminated.load()) {
    std::this_thread::sleep_for(1ms);
    if (Terminated.load()) break;
    MasterClockPass();
  }
}

void RebaseMasterClock(int32_t oldFramesPerStep, int32_t newFramesPerStep) {
  // Called under MixerLock: NextStepFrame is steady.
  const int64_t next = Mixer().NextStepFrame;
  TMasterClockState& s = MasterClockState();
  std::lock_guard<std::mutex> hold(MasterClockLock());
  if (!s.Running) return;
  const int64_t d = next - s.ClockTempoBase;
  s.ClockOffset += FloorDiv(d, std::max<int32_t>(oldFramesPerStep, 1)) * 6;
  s.ClockStartFrame += d;
  s.ClockTempoBase = next;
  s.FramesPerStep = std::max<int32_t>(newFramesPerStep, 1);
}

bool StartMasterClock(std::string* error) {
  std::lock_guard<std::mutex> threadHold(ThreadLock());
  std::unique_ptr<TMasterClockThread>& thread = ClockThread();
  if (thread) return true;
  {
    MixerGuard mixer;
    std::lock_guard<std::mutex> hold(MasterClockLock());
    TMasterClockState& s = MasterClockState();
    const int delay = std::clamp(Sync().Delay.load(), 0, int(MaxSyncDelay));
    s.LastClock = -1;
    s.ClockStartFrame = AudioOutput().BufferBasePosition.load() - MsToFrames(delay);
    s.ClockTempoBase = Mixer().MixPosition;
    s.ClockOffset = 0;
    s.FramesPerStep = std::max<int32_t>(Mixer().FramesPerStep, 1);
    s.Running = true;
  }
  SetTempoRebaseHook(&RebaseMasterClock);
  try {
    thread = std::make_unique<TMasterClockThread>();
  } catch (const std::system_error& e) {
    std::lock_guard<std::mutex> hold(MasterClockLock());
    MasterClockState().Running = false;
    if (error) *error = ThreadStartMessage(e);
    return false;
  }
  return true;
}

void StopMasterClock() {
  if (MixerLockHeldByThisThread()) {
    std::fprintf(stderr, "StopMasterClock called while holding MixerLock\n");
    std::abort();
  }
  std::unique_ptr<TMasterClockThread> thread;
  {
    std::lock_guard<std::mutex> threadHold(ThreadLock());
    thread = std::move(ClockThread());
    if (!thread) return;
    thread.reset();  // ends and waits
    std::lock_guard<std::mutex> hold(MasterClockLock());
    MasterClockState().Running = false;
  }
  SetSyncLed(SyncLedOff);
  if (MasterMode()) SendSync(MidiStop);
}

bool MasterClockRunning() {
  std::lock_guard<std::mutex> threadHold(ThreadLock());
  return ClockThread() != nullptr;
}

void SetSlaveStartHook(TSlaveStartHook hook) { SlaveStart.store(hook); }

namespace {

void SlaveStartPlayback(bool fromTheTop) {
  if (TSlaveStartHook hook = SlaveStart.load()) {
    hook();
  } else {
    MixerGuard hold;
    TMixer& mixer = Mixer();
    mixer.MixStep = -1;
    mixer.NextStepFrame = mixer.MixPosition;
    mixer.Playing.store(true);
  }
  {
    MixerGuard hold;
    if (fromTheTop) PlayPosition().DisplayStep.store(-1);
    Sync().SlaveClockCount.store(5);  // the next clock gives a step
    Mixer().Playing.store(true);
  }
  CallEngineListener([](TEngineListener& l) { l.SyncStartStop(true); });
}

}  // namespace

void HandleMidiSyncMessage(uint32_t message) {
  if (Sync().Mode.load() != SyncSlave) return;
  switch (message) {
    case MidiClock: {
      const int64_t count = Sync().SlaveClockCount.fetch_add(1) + 1;
      if (count % 12 == 0) SetSyncLed(SyncLedForEighth(count / 12));
      if (Mixer().Playing.load() && count % 6 == 0) AdvanceStep(true);
      break;
    }
    case MidiStart:
      SlaveStartPlayback(true);
      break;
    case MidiContinue:
      SlaveStartPlayback(false);
      break;
    case MidiStop: {
      Mixer().Playing.store(false);
      EndSoundingMidiNotes(Mixer().Song());
      CallEngineListener([](TEngineListener& l) { l.SyncStartStop(false); });
      break;
    }
    default:
      break;
  }
}

}  // namespace vs
