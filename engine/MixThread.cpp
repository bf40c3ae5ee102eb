#include "engine/MixThread.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <utility>

#include "model/MixerLock.h"
#include "model/Preferences.h"
#include "engine/EngineState.h"
#include "engine/EngineListener.h"
#include "engine/Mixer.h"
#include "engine/SoundProcs.h"
#include "platform/DeviceBackends.h"
#include "toolbox/ThreadPriority.h"
#include "toolbox/ThreadStart.h"

namespace vs {

namespace {

// The processor time of the calling thread.
int64_t ThreadTimeNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int64_t Mod(int64_t a, int64_t m) { return m <= 0 ? 0 : ((a % m) + m) % m; }

}  // namespace

TAudioOutputState& AudioOutput() { return EngineState().AudioOutput; }

void SetAudioBackend(std::unique_ptr<TAudioBackend> backend) {
  TAudioOutputState& o = AudioOutput();
  if (o.OutputOpen.load()) {
    StopMixThread();
    CloseOutputDevice();
  }
  o.Backend = std::move(backend);
}

TAudioBackend& AudioBackend() {
  TAudioOutputState& o = AudioOutput();
  if (!o.Backend) o.Backend = MakeAudioBackend();
  return *o.Backend;
}

int32_t BlockFrames() { return Mixer().BlockFrames; }
int32_t BlockBytes() { return Mixer().BlockFrames * 8; }

uint32_t OutputPeriodFrames() {
  TAudioOutputState& o = AudioOutput();
  MixerGuard hold;
  return o.OutputOpen.load() && o.Device ? o.Device->PeriodFrames() : 0;
}

std::string OutputDeviceName() {
  TAudioOutputState& o = AudioOutput();
  MixerGuard hold;
  return o.OutputOpen.load() && o.Device ? o.Device->Name() : std::string();
}

int32_t LeastAheadFrames() {
  TAudioOutputState& o = AudioOutput();
  int64_t period = 0, buffer = 0;
  {
    MixerGuard hold;
    if (o.OutputOpen.load() && o.Device) {
      period = o.Device->PeriodFrames();
      buffer = o.Device->BufferFrames();
    }
  }
  if (period == 0) return 0;
  return static_cast<int32_t>(std::min<int64_t>(period + std::max(period, buffer) + LeastAheadMargin, MaxBufferFrames));
}

void SetLatencyOffset(int64_t bytes) {
  const int64_t block = int64_t(BlockFrames()) * 4;
  bytes = std::clamp<int64_t>(bytes, std::min<int64_t>(int64_t(LeastAheadFrames()) * 4, block), block);
  AudioOutput().LatencyOffset = static_cast<int32_t>(bytes - bytes % 4);
}

// --- Suspension ---

void SuspendOutput() {
  LockMixer();
  TAudioOutputState& o = AudioOutput();
  if (o.OutputBuffer != nullptr && o.SuspendDepth == 0) o.OutputBuffer->Stop();
  ++o.SuspendDepth;
}

void ResumeOutput() {
  TAudioOutputState& o = AudioOutput();
  MixerGuard hold;
  if (o.SuspendDepth <= 0) return;  // unbalanced: nothing to resume
  if (--o.SuspendDepth == 0 && o.OutputBuffer != nullptr) {
    ClearStreamBuffer();
    RestartStream();
  }
  UnlockMixer();  // the hold of the matching SuspendOutput
}

// --- Device ---

TCommandResult OpenOutputDevice() {
  TAudioOutputState& o = AudioOutput();
  if (o.OutputOpen.load()) return TCommandResult::Done();
  TAudioBackend& backend = AudioBackend();
  std::string error;
  std::unique_ptr<TAudioDevice> device = backend.OpenDevice(o.SoundDeviceName, &error);
  if (!device && !o.SoundDeviceName.empty()) {
    o.SoundDeviceName.clear();  // the chosen device is forgotten
    device = backend.OpenDevice("", &error);
  }
  if (!device) return TCommandResult::Failed(error.empty() ? "No audio output device" : error);
  MixerGuard hold;
  o.LostEvent.Reset();
  device->SetLostEvent(&o.LostEvent, &o.RestWake);
  o.Device = std::move(device);
  o.OutputOpen.store(true);
  return TCommandResult::Done();
}

void CloseOutputDevice() {
  TAudioOutputState& o = AudioOutput();
  std::unique_ptr<TAudioDevice> device;
  {
    MixerGuard hold;
    if (!o.OutputOpen.load()) return;
    o.OutputOpen.store(false);
    if (o.OutputBuffer != nullptr) o.OutputBuffer->Stop();
    std::lock_guard position(o.PositionLock);
    o.OutputBuffer = nullptr;
    o.OutputBufferMemory = nullptr;
    device = std::move(o.Device);
  }
  device.reset();  // its driver may be a thread: closed outside the lock
}

void CreateStreamBuffer(int32_t frames) {
  TAudioOutputState& o = AudioOutput();
  MixerGuard hold;
  const uint32_t size = static_cast<uint32_t>(std::max(frames, 1)) * 4;
  o.StreamSize = size;
  if (!o.OutputOpen.load() || !o.Device) return;
  TStreamBuffer* buffer;
  {
    std::lock_guard position(o.PositionLock);
    o.OutputBufferMemory = nullptr;
    buffer = o.Device->CreateStreamBuffer(size);
    o.OutputBuffer = buffer;
  }

  const int64_t latency = std::clamp<int64_t>(o.LatencyOffset, 0, size);
  std::array<TNotifyPosition, TStreamBuffer::MaxNotifyPositions> pos;
  int count = 0;
  for (int i = 0; i < 2; ++i)
    pos[count++] = {static_cast<uint32_t>(Mod(int64_t(i) * (size / 2) + size - latency, size)),
                    &o.HalfEvents[i]};
  const int64_t k = int64_t(o.ScopeSample.Length) * 4;
  bool tooMany = false;
  if (k > 0) {  // an empty scope sample has no scope positions
    for (int64_t p = 0; p + k <= size; p += k) {
      if (count == TStreamBuffer::MaxNotifyPositions) {
        tooMany = true;
        break;
      }
      int64_t at = p;
      if ((at >> 4) == (pos[0].Offset >> 4) || (at >> 4) == (pos[1].Offset >> 4)) at += 16;
      pos[count++] = {static_cast<uint32_t>(Mod(at, size)), &o.ScopeEvent};
    }
  }
  bool ok = !tooMany && buffer->SetNotificationPositions(pos.data(), count);
  if (!ok) ok = buffer->SetNotificationPositions(pos.data(), 2);
  if (!ok)
    throw std::runtime_error(
        "Error while setting the DirectSound notifications\rBe sure you're using at least "
        "DirectX 5");
}

void RestartStream() {
  TAudioOutputState& o = AudioOutput();
  MixerGuard hold;
  if (!o.OutputOpen.load() || o.OutputBuffer == nullptr) return;
  o.SecondHalf.store(false);
  const int64_t size = o.OutputBuffer->Size();
  const int64_t latency = std::clamp<int64_t>(o.LatencyOffset, 0, size);
  o.OutputBuffer->SetCurrentPosition(static_cast<uint32_t>(Mod(size - latency, size)));
  o.OutputBuffer->Play();
}

void ClearStreamBuffer() {
  TAudioOutputState& o = AudioOutput();
  MixerGuard hold;
  if (o.OutputBuffer == nullptr) return;
  void *p1, *p2;
  uint32_t n1, n2;
  if (o.OutputBuffer->Lock(0, o.OutputBuffer->Size(), &p1, &n1, &p2, &n2)) {
    std::memset(p1, 0, n1);
    if (p2 != nullptr) std::memset(p2, 0, n2);
    o.OutputBuffer->Unlock();
  }
}

void SetMixLatency(int32_t frames) {
  TAudioOutputState& o = AudioOutput();
  PauseScopeThread();
  SuspendOutput();
  struct TResume {
    ~TResume() {
      ResumeOutput();
      ResumeScopeThread();
    }
  } resume;
  TMixer& mixer = Mixer();
  // A block shorter than the least distance ahead could not be fed in time.
  mixer.SetBlockFrames(std::max({frames, MinBlockFrames, LeastAheadFrames()}));
  const int32_t block = mixer.BlockFrames;
  SetLatencyOffset(o.LatencyOffset);
  const int32_t n = block / 1280;
  o.ScopeSample.Clear();
  o.ScopeSample.SetFrames(std::vector<int16_t>(size_t(n >= 2 ? block / n : block) * 2, 0));
  CreateStreamBuffer(block * 2);
  o.OutputBufferMemory = o.OutputBuffer != nullptr ? o.OutputBuffer->Memory() : nullptr;
  TEchoLine& echo = EchoLine();
  echo.Setup(block, (int64_t(mixer.FramesPerStep) * echo.Time.load()) >> 4);
}

int64_t GetPlayPosition() {
  TAudioOutputState& o = AudioOutput();
  std::lock_guard position(o.PositionLock);
  if (!o.OutputOpen.load() || o.OutputBuffer == nullptr) return 0;
  uint32_t play = 0;
  o.OutputBuffer->GetCurrentPosition(&play, nullptr);
  const int64_t size = o.OutputBuffer->Size();
  const int64_t latency = o.LatencyOffset.load();
  const int64_t p = Mod(int64_t(play) + latency, size);
  const int64_t half = size / 2;
  int64_t q = (half > 0 ? p % half : 0) - latency;
  if ((p >= half) == o.SecondHalf.load()) q -= half;
  return q / 4 + o.BufferBasePosition.load();
}

int ReadHeardOutput(int16_t* frames, int count) {
  TAudioOutputState& o = AudioOutput();
  std::lock_guard position(o.PositionLock);
  if (!o.OutputOpen.load() || o.OutputBuffer == nullptr || count <= 0) return 0;
  uint32_t play = 0;
  o.OutputBuffer->GetCurrentPosition(&play, nullptr);
  const int64_t size = o.OutputBuffer->Size() / 4 * 4;
  count = static_cast<int>(std::min<int64_t>(count, size / 4));
  const uint8_t* memory = o.OutputBuffer->Memory();
  // The frames before the play position, in at most two pieces of the ring.
  const int64_t at = Mod(int64_t(play) - int64_t(count) * 4, size);
  const int64_t first = std::min<int64_t>(int64_t(count) * 4, size - at);
  std::memcpy(frames, memory + at, size_t(first));
  std::memcpy(reinterpret_cast<uint8_t*>(frames) + first, memory, size_t(int64_t(count) * 4 - first));
  return count;
}

// --- Mix thread ---


void MixHalf(int half) {
  TAudioOutputState& o = AudioOutput();
  const bool measure = o.MeasureCPU.load();
  const int64_t started = measure ? ThreadTimeNs() : 0;
  MixerGuard hold;
  o.SecondHalf.store(half == 1);
  TMixer& mixer = Mixer();
  const uint32_t halfBytes = static_cast<uint32_t>(mixer.BlockFrames) * 4;
  const uint32_t writeOffset = half == 1 ? halfBytes : 0;
  o.BufferBasePosition.fetch_add(mixer.BlockFrames);
  mixer.MixBlock();
  TStreamBuffer* buffer = o.OutputBuffer;
  if (buffer != nullptr && halfBytes * 2 == buffer->Size()) {
    void *p1, *p2;
    uint32_t n1, n2;
    if (buffer->Lock(writeOffset, halfBytes, &p1, &n1, &p2, &n2)) {
      mixer.FloatToInt16(static_cast<int16_t*>(p1), n1, 0);
      if (p2 != nullptr) mixer.FloatToInt16(static_cast<int16_t*>(p2), n2, n1 / 4);
      const bool silentNow = mixer.SilentUntilChanged();
      const bool scopeRests = o.ScopeSoundOnly.load(std::memory_order_relaxed);
      const bool zero = (silentNow || scopeRests) && AllZero(static_cast<const int16_t*>(p1), n1 / 2) &&
                        (p2 == nullptr || AllZero(static_cast<const int16_t*>(p2), n2 / 2));
      // A scope resting in silence hears of a block that sounds.
      if (scopeRests && !zero) o.SoundWritten.Set();
      // Two halves of silence from a mixer that stays silent: the thread
      // rests (not while the settings window measures the mix).
      o.SilentHalves = silentNow && zero ? o.SilentHalves + 1 : 0;
      if (o.SilentHalves >= 2 && !measure) {
        o.RestWake.Reset();
        o.MixerResting.store(true);
        buffer->Rest();
      }
      buffer->Unlock();
    } else {
      // The device is playing that half: the block is dropped, and the bus
      // cleared for the next one.
      o.SilentHalves = 0;
      std::fill(mixer.Buses[0].begin(), mixer.Buses[0].end(), 0.0f);
    }
    uint32_t write = 0;
    buffer->GetCurrentPosition(nullptr, &write);
    if (writeOffset < write && write < writeOffset + halfBytes) {
      const int64_t count = o.UnderrunCount.fetch_add(1) + 1;
      PostAsyncUpdate(AsyncUnderrun, count);
    }
  } else {
    // No buffer to write into: the block is dropped, the bus cleared.
    o.SilentHalves = 0;
    std::fill(mixer.Buses[0].begin(), mixer.Buses[0].end(), 0.0f);
  }
  if (measure) {
    o.MixThreadTime = ThreadTimeNs() - started;
    o.MixDeadline = int64_t(mixer.BlockFrames) * 1000000000 / SampleRate;
  }
}

TMixThread::TMixThread() {
  Thread = StartThread([this] {
    SetCurrentThreadPriority(TThreadPriority::Higher);
    Execute();
  });
}

TMixThread::~TMixThread() {
  Terminate();
  AudioOutput().HalfEvents[0].Set();
  AudioOutput().RestWake.Set();
  if (Thread.joinable()) Thread.join();
}

namespace {

void LeaveMixerRest() {
  TAudioOutputState& o = AudioOutput();
  if (!o.MixerResting.exchange(false)) return;
  // The halves the device played meanwhile were not mixed: the play
  // position goes on from the half it plays now, as if that one had just
  // been mixed, and the next half reached is mixed.
  o.HalfEvents[0].Reset();
  o.HalfEvents[1].Reset();
  {
    std::lock_guard position(o.PositionLock);
    if (o.OutputBuffer != nullptr) {
      uint32_t play = 0;
      o.OutputBuffer->GetCurrentPosition(&play, nullptr);
      const int64_t size = o.OutputBuffer->Size();
      o.SecondHalf.store(Mod(int64_t(play) + o.LatencyOffset.load(), size) >= size / 2);
    }
  }
  o.RestWake.Set();
}

}  // namespace

void TMixThread::Execute() {
  TAudioOutputState& o = AudioOutput();
  TAutoResetEvent* events[] = {&o.HalfEvents[0], &o.HalfEvents[1], &o.LostEvent};
  // Another thread leaving MixerLock may have made the mixer sound.
  SetMixerUnlockHook(&LeaveMixerRest);
  while (!Terminated.load()) {
    if (o.MixerResting.load()) {
      // The device plays the silence both halves hold; the next half after
      // the wake is mixed as usual.
      o.RestWake.Wait(-1);
      o.MixerResting.store(false);
      continue;
    }
    const int half = WaitForAny(events, 3, -1);
    if (Terminated.load()) break;
    if (half == 2)
      CloseLostOutput();
    else if (half >= 0)
      MixHalf(half);
  }
  SetMixerUnlockHook(nullptr);
  o.MixerResting.store(false);
}

TCommandResult StartMixThread() {
  TAudioOutputState& o = AudioOutput();
  if (o.OutputOpen.load() && !o.MixThread) {
    o.HalfEvents[0].Reset();
    o.HalfEvents[1].Reset();
    o.MixerResting.store(false);
    o.SilentHalves = 0;
    try {
      o.MixThread = std::make_unique<TMixThread>();
    } catch (const std::system_error& e) {
      return TCommandResult::Failed("The sound output can't play: " + ThreadStartMessage(e));
    }
  }
  return TCommandResult::Done();
}

void StopMixThread() {
  if (MixerLockHeldByThisThread()) {
    std::fprintf(stderr, "StopMixThread called while holding MixerLock\n");
    std::abort();
  }
  TAudioOutputState& o = AudioOutput();
  {
    // The buffer pointer only changes under this lock too; MixerLock may be
    // held by another thread's suspension, which this does not wait for.
    std::lock_guard position(o.PositionLock);
    if (o.OutputBuffer != nullptr) o.OutputBuffer->Stop();
  }
  // The suspension depth belongs to the suspensions still open; it stays.
  std::unique_ptr<TMixThread> thread = std::move(o.MixThread);
  thread.reset();  // asks it to end, wakes it and waits
}

// --- Scope thread ---

TScopeThread::TScopeThread() {
  Thread = StartThread([this] {
    SetCurrentThreadPriority(TThreadPriority::Higher);
    Execute();
  });
}

TScopeThread::~TScopeThread() {
  Terminate();
  AudioOutput().ScopeEvent.Set();
  AudioOutput().SoundWritten.Set();
  AsyncUpdatesReleased(AsyncScope).Set();
  if (Thread.joinable()) Thread.join();
}

void TScopeThread::Execute() {
  TAudioOutputState& o = AudioOutput();
  // Scope positions passed in silence while the scope rests.
  int64_t quiet = 0;
  while (!Terminated.load()) {
    // While no window shows the scope its reports are held: the thread
    // sleeps until one shows it again instead of waking with the output.
    if (AsyncUpdatesHeld(AsyncScope)) {
      AsyncUpdatesReleased(AsyncScope).Wait(-1);
      continue;
    }
    // Silent through the whole buffer: whatever was written sounded no more
    // than that. The thread sleeps until a block that sounds is written,
    // then follows the output until it is heard.
    if (o.ScopeSoundOnly.load() && quiet > PositionsInBuffer()) {
      o.SoundWritten.Wait(-1);
      quiet = 0;
      continue;
    }
    o.ScopeEvent.Wait(-1);
    if (Terminated.load()) break;
    if (Paused()) continue;
    // A scope at rest in silence hears of the output again when it sounds.
    if (o.ScopeSoundOnly.load() && HearsSilence()) {
      ++quiet;
      continue;
    }
    quiet = 0;
    o.ScopeSoundOnly.store(false);
    PostAsyncUpdate(AsyncScope, 0);
  }
}

int64_t TScopeThread::PositionsInBuffer() {
  TAudioOutputState& o = AudioOutput();
  std::lock_guard position(o.PositionLock);
  const int64_t k = std::max<int64_t>(o.ScopeSample.Length, 1) * 4;
  return o.OutputBuffer == nullptr ? 1 : std::max<int64_t>(o.OutputBuffer->Size() / k, 1);
}

void ReportAllScopeOutput() {
  TAudioOutputState& o = AudioOutput();
  o.ScopeSoundOnly.store(false);
  o.SoundWritten.Set();
}

bool TScopeThread::HearsSilence() {
  const int frames = static_cast<int>(std::max<int64_t>(AudioOutput().ScopeSample.Length, 1));
  if (Heard.size() < size_t(frames) * 2) Heard.resize(size_t(frames) * 2);
  const int got = ReadHeardOutput(Heard.data(), frames);
  return AllZero(Heard.data(), int64_t(got) * 2);
}

void StartScopeThread() {
  TAudioOutputState& o = AudioOutput();
  if (o.ScopeThread) return;
  try {
    o.ScopeThread = std::make_unique<TScopeThread>();
  } catch (const std::system_error&) {
    // No thread for it: the scope stays still, the sound plays on.
  }
}

void StopScopeThread() {
  std::unique_ptr<TScopeThread> thread = std::move(AudioOutput().ScopeThread);
  thread.reset();
}

void PauseScopeThread() {
  if (TScopeThread* t = AudioOutput().ScopeThread.get()) t->Pause();
}

void ResumeScopeThread() {
  if (TScopeThread* t = AudioOutput().ScopeThread.get()) t->Resume();
}

// --- Open and close ---

namespace {

std::mutex& LostMessageLock() {
  static std::mutex lock;
  return lock;
}

std::string& LostMessage() {
  static std::string message;
  return message;
}

}  // namespace

bool CloseLostOutput() {
  TAudioOutputState& o = AudioOutput();
  std::string name, reason;
  {
    MixerGuard hold;
    if (!o.Device || !o.Device->Lost()) return false;
    name = o.Device->Name();
    reason = o.Device->LostReason();
  }
  CloseOutputDevice();
  {
    std::lock_guard<std::mutex> hold(LostMessageLock());
    LostMessage() = "The sound device \"" + name + "\" went away" + (reason.empty() ? "" : ": " + reason) + ".";
  }
  CallEngineListener([](TEngineListener& l) { l.OutputLost(); });
  return true;
}

std::string TakeOutputLostMessage() {
  std::lock_guard<std::mutex> hold(LostMessageLock());
  return std::exchange(LostMessage(), std::string());
}

TCommandResult OpenAudioOutput() {
  TAudioOutputState& o = AudioOutput();
  if (o.OutputOpen.load() || !o.UseWAV.load()) return TCommandResult::Done();
  if (TCommandResult opened = OpenOutputDevice(); !opened) return opened;
  // One suspension around the sizing and the thread start: the stream
  // starts once, when the mix thread already waits for its first half.
  SuspendOutput();
  try {
    SetMixLatency(BlockFrames());
  } catch (const std::exception& e) {
    ResumeOutput();
    CloseOutputDevice();
    return TCommandResult::Failed(e.what());
  }
  if (o.OutputOpen.load()) {
    if (TCommandResult started = StartMixThread(); !started) {
      // Nothing would feed the device: it is closed again, the song stays.
      ResumeOutput();
      CloseOutputDevice();
      return started;
    }
  }
  ResumeOutput();  // clears and restarts the stream
  return TCommandResult::Done();
}

void CloseAudioOutput() {
  TAudioOutputState& o = AudioOutput();
  if (!o.OutputOpen.load() || !o.UseWAV.load()) return;
  StopMixThread();
  CloseOutputDevice();
}

bool GetPrimaryFormat(TWaveFormatRecord& format) {
  format = TWaveFormatRecord{};
  return AudioOutput().OutputOpen.load();
}

int CPUUsage() {
  TAudioOutputState& o = AudioOutput();
  MixerGuard hold;
  if (o.MixDeadline <= 0) return -1;
  return static_cast<int>(std::llround(double(o.MixThreadTime) * 100.0 / double(o.MixDeadline)));
}

}  // namespace vs
