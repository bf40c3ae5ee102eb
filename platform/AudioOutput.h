#pragma once
// The sound output layer: a looping stream buffer of 16-bit stereo frames
// that the device plays from while the program writes ahead of it, with play
// and write cursors, notification positions that signal auto-reset events as
// the device reaches them, and a lock of up to two regions. A device owns
// one stream buffer; a backend opens devices by name.
//
// Cursors: the play cursor is the start of the piece the device is playing
// now; the write cursor is the first byte the device has not yet taken (the
// bytes between the two are already committed).
//
// The buffer is two halves, and each half belongs to one side at a time,
// marked by an atomic: the writer's (free, being written), ready (written,
// waiting for the device) or the device's (being played). A lock takes the
// halves it touches for the writer and is refused while the device plays
// one of them; the unlock hands them over as ready. The device takes a
// ready half when it reaches it and gives it back when it leaves it; a half
// that is not ready when the device needs it plays as silence and counts an
// underrun. A new buffer's halves are ready (silence).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/AutoResetEvent.h"

namespace vs {

constexpr int OutputRate = 44100;
constexpr int OutputChannels = 2;
constexpr uint32_t OutputFrameBytes = 4;  // 16-bit stereo

struct TNotifyPosition {
  uint32_t Offset = 0;               // byte offset in the buffer
  TAutoResetEvent* Event = nullptr;  // signalled when the device reaches it
};

class TStreamBuffer {
public:
  static constexpr int MaxNotifyPositions = 256;

  // size: bytes, rounded down to whole frames (at least one frame).
  explicit TStreamBuffer(uint32_t size);
  TStreamBuffer(const TStreamBuffer&) = delete;
  TStreamBuffer& operator=(const TStreamBuffer&) = delete;

  uint32_t Size() const { return static_cast<uint32_t>(Data.size()); }
  // Refused while playing, with more than MaxNotifyPositions positions, or
  // with an offset outside the buffer.
  bool SetNotificationPositions(const TNotifyPosition* positions, int count);
  // Plays looping from the play cursor.
  void Play();
  // Stops; when this returns the device no longer reads the buffer.
  void Stop();
  bool Playing() const { return IsPlaying.load(); }
  void GetCurrentPosition(uint32_t* play, uint32_t* write) const;
  // Moves both cursors to the frame at the offset (rounded down to a frame).
  bool SetCurrentPosition(uint32_t offset);
  // Gives the region of bytes at offset as one or two pieces (the second
  // when it runs past the end) and takes the halves it touches for the
  // writer. Refused for an offset outside the buffer, a size of 0 or above
  // the buffer's size, or while the device plays a half of the region.
  // One writer at a time.
  bool Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
            uint32_t* bytes2);
  // Hands what was written since the lock to the device: the locked halves
  // become ready.
  void Unlock();
  // Times the device reached a half that was not ready (and played silence
  // there until it was).
  uint64_t Underruns() const { return Starved.load(); }
  // The writer rests: what it wrote last is what must sound (its silence),
  // so until the writer locks a half again the device plays it as it
  // stands, round after round. That is no underrun.
  void Rest() {
    for (auto& r : Replay) r.store(true);
  }
  // The buffer's memory (for the output scope).
  const uint8_t* Memory() const { return Data.data(); }

  // Device side: plays frames from the write cursor into out (silence while
  // stopped, and for a half that is not ready), moves the cursors and
  // signals the positions the play cursor has reached (a position inside
  // the piece now played is reached when a later pull moves the play cursor
  // on to it or past it). Returns false when it played silence because the
  // buffer was stopped. Never blocks and allocates nothing.
  bool Pull(int16_t* out, uint32_t frames);

private:
  enum THalfState : int { HalfFree = 0, HalfWriting = 1, HalfReady = 2, HalfPlaying = 3 };
  // The first byte of the second half.
  uint32_t SecondHalf() const { return Size() / 2 / OutputFrameBytes * OutputFrameBytes; }

  std::vector<uint8_t> Data;
  // Play cursor in the high half, write cursor in the low half: read and
  // written together.
  std::atomic<uint64_t> Cursors{0};
  std::atomic<bool> IsPlaying{false};
  std::atomic<int> InPull{0};
  std::array<std::atomic<int>, 2> Halves{HalfReady, HalfReady};
  std::atomic<uint64_t> Starved{0};
  // Per half: it is played as it stands while the writer leaves it free.
  std::array<std::atomic<bool>, 2> Replay{false, false};
  // The half the device last found not ready (-1 none): one underrun per
  // visit, however many pieces it plays there.
  std::atomic<int> StarvedHalf{-1};
  std::array<TNotifyPosition, MaxNotifyPositions> Notify{};
  std::atomic<int> NotifyCount{0};
  // The first offset the play cursor has not passed yet: positions from it
  // up to the play cursor are signalled by the next pull.
  std::atomic<uint32_t> NotifyFrom{0};
};

// An open output device (the sound card, or a stand-in). It owns at most one
// stream buffer; its driver (a callback or a thread) calls Render.
class TAudioDevice {
public:
  explicit TAudioDevice(std::string name) : DeviceName(std::move(name)) {}
  virtual ~TAudioDevice();
  TAudioDevice(const TAudioDevice&) = delete;
  TAudioDevice& operator=(const TAudioDevice&) = delete;

  // (Re)creates the stream buffer of the given bytes (stopped, zeroed).
  TStreamBuffer* CreateStreamBuffer(uint32_t bytes);
  // Frees the stream buffer; the driver no longer reads it on return.
  void ReleaseStreamBuffer();
  TStreamBuffer* StreamBuffer() const { return Buffer.get(); }
  const std::string& Name() const { return DeviceName; }
  // The most frames the driver takes from the stream buffer at once (its
  // period), as the driver settled it when the device opened; 0 when it
  // keeps no period of its own (the stand-ins of tests).
  uint32_t PeriodFrames() const { return Period.load(); }
  // The most frames the driver takes at once after it or its sound server
  // was held up: its whole buffer, refilled in one go (0: a period).
  uint32_t BufferFrames() const { return MostAtOnce.load(); }

  // The device went away (its sound server shut down): true from then on,
  // with the reason as the driver gave it. The event, when one is set, is
  // signalled when that happens (at once when it already has), and so is
  // the second, when given: a thread that sleeps on it alone wakes too.
  bool Lost() const { return IsLost.load(); }
  std::string LostReason() const;
  void SetLostEvent(TAutoResetEvent* event, TAutoResetEvent* alsoWake = nullptr);

protected:
  // Driver side, any thread but the one that renders.
  void DeviceLost(const std::string& reason);

  // Fills frames of 16-bit stereo from the stream buffer (silence without
  // one). Returns what the buffer's Pull returned (false for silence).
  bool Render(int16_t* out, uint32_t frames);
  void SetPeriodFrames(uint32_t frames) { Period.store(frames); }
  void SetBufferFrames(uint32_t frames) { MostAtOnce.store(frames); }
  // Backends whose driver runs on its own must stop it in their destructor
  // before this base releases the buffer.

private:
  std::string DeviceName;
  std::unique_ptr<TStreamBuffer> Buffer;
  std::atomic<TStreamBuffer*> Active{nullptr};
  std::atomic<int> Rendering{0};
  std::atomic<uint32_t> Period{0};
  std::atomic<uint32_t> MostAtOnce{0};
  mutable std::mutex LostLock;
  std::atomic<bool> IsLost{false};
  std::string Reason;
  TAutoResetEvent* LostEvent = nullptr;
  TAutoResetEvent* LostWake = nullptr;
};

// Opens output devices by their stored names.
class TAudioBackend {
public:
  virtual ~TAudioBackend() = default;
  // Opens the device of that name ("" = the default device). Null with a
  // message in *error when it cannot be opened.
  virtual std::unique_ptr<TAudioDevice> OpenDevice(const std::string& name,
                                                   std::string* error) = 0;
  // The names of the output devices, the default one first when known.
  virtual std::vector<std::string> DeviceNames() = 0;
};

}  // namespace vs
