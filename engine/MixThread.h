#pragma once
// The audio output: the sound device and its looping stream buffer of two
// halves, the mix thread that refills a half whenever the device has reached
// the other one, the scope thread, and the mixing buffers sized to the
// latency. Every change of the mixer's state by another thread happens under
// MixerLock; SuspendOutput/ResumeOutput bracket changes that must not be
// heard half done.
//
// Sizes: a block is BlockFrames frames (the mixer's, at least 64); the
// stream buffer holds two blocks of 16-bit stereo, 2 x BlockFrames x 4 bytes;
// BlockBytes = BlockFrames x 8 (one float stereo block). LatencyOffset is the
// byte distance by which the half notifications and the play start lie
// ahead; it is kept within 0..BlockFrames x 4 and frame aligned.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/WAVSample.h"
#include "engine/WAVFiles.h"
#include "platform/AudioOutput.h"
#include "platform/AutoResetEvent.h"
#include "toolbox/CommandResult.h"
#include "toolbox/ThreadPriority.h"

namespace vs {

class TMixThread {
public:
  TMixThread();  // starts running, above normal priority when allowed
  ~TMixThread();  // asks to end, wakes and waits (never under MixerLock)
  TMixThread(const TMixThread&) = delete;
  TMixThread& operator=(const TMixThread&) = delete;
  void Terminate() { Terminated.store(true); }

private:
  void Execute();
  std::atomic<bool> Terminated{false};
  std::thread Thread;
};

// Tells the window, through an async update of kind 0, that fresh output can
// be drawn, each time the device reaches a scope position. While paused it
// posts nothing.
class TScopeThread {
public:
  TScopeThread();
  ~TScopeThread();
  TScopeThread(const TScopeThread&) = delete;
  TScopeThread& operator=(const TScopeThread&) = delete;
  void Terminate() { Terminated.store(true); }
  void Pause() { PauseDepth.fetch_add(1); }
  void Resume() { PauseDepth.fetch_sub(1); }
  bool Paused() const { return PauseDepth.load() > 0; }

private:
  void Execute();
  // True when the frames being heard are all zero.
  bool HearsSilence();
  // The scope positions of the stream buffer (at least 1).
  int64_t PositionsInBuffer();
  std::atomic<bool> Terminated{false};
  std::atomic<int> PauseDepth{0};
  std::vector<int16_t> Heard;
  std::thread Thread;
};

struct TAudioOutputState {
  std::atomic<bool> OutputOpen{false};
  std::atomic<bool> UseWAV{true};         // audio output on
  std::unique_ptr<TAudioBackend> Backend;  // RtAudio unless set
  std::unique_ptr<TAudioDevice> Device;
  TStreamBuffer* OutputBuffer = nullptr;  // null when closed
  // Guards OutputBuffer's lifetime for GetPlayPosition, which the master
  // clock calls inside its own lock and so must not take MixerLock.
  TInheritingMutex PositionLock;
  std::string SoundDeviceName;             // "" = the default device
  uint32_t StreamSize = 2 * 8820 * 4;      // bytes
  std::atomic<int32_t> LatencyOffset{35280};  // bytes
  // The mix thread's events share the word it sleeps on; the scope's event
  // wakes only the scope thread.
  TWakeWord MixWake;
  std::array<TAutoResetEvent, 2> HalfEvents{TAutoResetEvent(MixWake), TAutoResetEvent(MixWake)};
  TAutoResetEvent ScopeEvent;
  TAutoResetEvent LostEvent{MixWake};  // the open device went away
  // Both halves hold silence and the mixer can only stay silent: the mix
  // thread sleeps on RestWake, which another thread leaving MixerLock or
  // the device going away signals, instead of waking for every half.
  std::atomic<bool> MixerResting{false};
  TAutoResetEvent RestWake;
  int SilentHalves = 0;  // written in a row (mix thread, under MixerLock)
  std::atomic<bool> SecondHalf{false};
  std::atomic<int64_t> BufferBasePosition{0};
  int SuspendDepth = 0;
  std::atomic<int64_t> UnderrunCount{0};
  std::atomic<bool> MeasureCPU{false};
  // While MeasureCPU is set (under MixerLock): the processor time the mix
  // thread spent on its last block and that block's deadline (the time it
  // plays), both in nanoseconds. 0 before a block was measured.
  int64_t MixThreadTime = 0, MixDeadline = 0;
  const uint8_t* OutputBufferMemory = nullptr;  // the stream buffer, for the scope
  TWAVSample ScopeSample;                       // Length = the scope interval
  // Set by the window while its scope shows silence at rest: the scope
  // thread then reports only output that sounds (ReportAllScopeOutput ends
  // that), and once what it hears has been silent for the whole buffer it
  // sleeps on SoundWritten, which the mix thread signals when it writes a
  // block that sounds.
  std::atomic<bool> ScopeSoundOnly{false};
  TAutoResetEvent SoundWritten;
  std::unique_ptr<TMixThread> MixThread;
  std::unique_ptr<TScopeThread> ScopeThread;
};

TAudioOutputState& AudioOutput();

// Chooses the backend devices are opened with (closes the output first).
void SetAudioBackend(std::unique_ptr<TAudioBackend> backend);
TAudioBackend& AudioBackend();

int32_t BlockFrames();
int32_t BlockBytes();
// The frames the open device takes at a time (0 while the output is closed
// or the device keeps no period of its own).
uint32_t OutputPeriodFrames();
// The name of the device the output plays on; "" while it is closed.
std::string OutputDeviceName();
// The least distance ahead, in frames, at which the open device is fed in
// time: the half's notification comes when the device takes a period, so
// the block must be mixed within what is left of the distance after that
// period and the next take, which may be a period early or, after a
// hold-up, the device's whole buffer (PulseAudio). A period, the larger of
// a period and the buffer, and a margin for the mix itself and the
// thread's wake-up (LeastAheadMargin). 0 while the output is closed or the
// device keeps no period of its own.
constexpr int32_t LeastAheadMargin = 441;  // 10 ms
int32_t LeastAheadFrames();
// Stores LatencyOffset (bytes), frame aligned and within LeastAheadFrames()
// x 4 (at most the block) .. BlockFrames x 4.
void SetLatencyOffset(int64_t bytes);

// Stops the output (once, at the outermost call) and holds MixerLock until
// the matching ResumeOutput; the last resume clears and restarts the buffer.
void SuspendOutput();
void ResumeOutput();

// Opens the chosen device, else the default one (forgetting the choice);
// when neither opens the output stays closed and the result says why.
TCommandResult OpenOutputDevice();
void CloseOutputDevice();
// (Re)creates the stream buffer of frames x 4 bytes and its notifications.
// The size is stored even when the output is closed. Throws
// std::runtime_error with the system's message when the notifications
// cannot be set.
void CreateStreamBuffer(int32_t frames);
// When open: writing starts at the first half; plays looping from
// (size - LatencyOffset) mod size.
void RestartStream();
void ClearStreamBuffer();
// Resizes the blocks (at least 64 frames), the buffers, the scope interval,
// the stream buffer and the song echo.
void SetMixLatency(int32_t frames);
// The mix frame being heard now; 0 when the output is closed.
int64_t GetPlayPosition();
// The output scope's view: copies the last count frames the device has
// taken from the stream buffer (16-bit stereo, ending at the play cursor)
// into frames. Returns the frames copied: 0 while the output is closed, at
// most the buffer's size.
int ReadHeardOutput(int16_t* frames, int count);

// Failed, with the reason, when the system refuses the thread.
TCommandResult StartMixThread();
// Stops the buffer and ends the mix thread. Must not be called while this
// thread holds MixerLock (the mix thread may be waiting for it): that is a
// programming error and aborts.
void StopMixThread();
// A scope thread the system refuses is left out (the scope stays still).
void StartScopeThread();
void StopScopeThread();
// The scope thread's pause (while the buffers are resized).
// The window's scope takes every report of the scope thread again.
void ReportAllScopeOutput();
void PauseScopeThread();
void ResumeScopeThread();

// A device that went away (its sound server shut down) is closed by the mix
// thread, which then tells the window (EngineListener::OutputLost); the
// message says which device and why. The program goes on with the output
// closed. Returns true when a lost device was closed here.
bool CloseLostOutput();
// The message of the last device that went away, once ("" after).
std::string TakeOutputLostMessage();

// When closed and audio output is on: open the device, size the buffers,
// and when open start the mix thread and restart the stream. Done when the
// output is open (or not wanted); failed with the reason when it stays
// closed (never raises).
TCommandResult OpenAudioOutput();
// When open and audio output is on: stop the mix thread, close the device.
void CloseAudioOutput();

// The output's wave format (what the primary buffer reports): PCM, 44100 Hz,
// 16 bits, 2 channels. False when the output is closed.
bool GetPrimaryFormat(TWaveFormatRecord& format);

// The mix thread's load: the processor time it spent on its last block in
// percent of that block's deadline (rounded), or -1 when no block was
// measured yet. It does not depend on when the device woke the thread (two
// halves asked for at once, a late wake-up) nor on other threads taking the
// core meanwhile.
int CPUUsage();

// One pass of the mix thread's body for a half (0 or 1): mix a block, write
// it into the half, count an underrun. Takes MixerLock.
void MixHalf(int half);

}  // namespace vs
