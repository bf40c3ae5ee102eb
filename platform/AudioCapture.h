#pragma once
// The sound input layer: a linear capture buffer of 16-bit stereo frames at
// 44100 Hz that the device fills once from its start and then stops (no
// looping), with the capture position and a "still capturing" state; a
// capture device owns at most one buffer; a backend opens the default
// capture device.
//
// The buffer starts zeroed, so bytes not yet captured read as silence.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vs {

constexpr int CaptureRate = 44100;
constexpr int CaptureChannels = 2;
constexpr uint32_t CaptureFrameBytes = 4;  // 16-bit stereo
// Largest capture buffer made (about 25 minutes).
constexpr uint32_t MaxCaptureBytes = 256u << 20;

class TCaptureBuffer {
public:
  // bytes: rounded down to whole frames; zeroed.
  explicit TCaptureBuffer(uint32_t bytes);
  TCaptureBuffer(const TCaptureBuffer&) = delete;
  TCaptureBuffer& operator=(const TCaptureBuffer&) = delete;

  uint32_t Size() const { return static_cast<uint32_t>(Data.size()); }
  // Starts capturing at the buffer's start. A buffer captures once: false
  // when it was started before.
  bool Start();
  // Stops capturing; what was captured stays.
  void Stop();
  // True from Start until the buffer is full or stopped.
  bool Capturing() const { return IsCapturing.load(); }
  // Bytes captured so far.
  uint32_t Position() const { return CapturePos.load(std::memory_order_acquire); }
  // Copies bytes from offset on into dest: what was captured, zeros for the
  // rest (within the buffer). Returns the bytes given (0 past the end).
  uint32_t Read(uint32_t offset, void* dest, uint32_t bytes) const;
  // The whole buffer as Read gives it.
  std::vector<uint8_t> ReadAll() const;

  // Device side: appends frames while capturing and stops once the buffer is
  // full. Returns the frames taken. Never blocks and allocates nothing.
  uint32_t Push(const int16_t* frames, uint32_t count);

private:
  std::vector<uint8_t> Data;
  std::atomic<uint32_t> CapturePos{0};
  std::atomic<bool> IsCapturing{false};
  std::atomic<bool> Started{false};
};

// An open capture device. Its driver (a callback or the test) hands input
// frames to Deliver, which passes them to the buffer.
class TCaptureDevice {
public:
  explicit TCaptureDevice(std::string name) : DeviceName(std::move(name)) {}
  virtual ~TCaptureDevice();
  TCaptureDevice(const TCaptureDevice&) = delete;
  TCaptureDevice& operator=(const TCaptureDevice&) = delete;

  // (Re)creates the buffer of the given bytes (whole frames, zeroed). Null
  // when it can't be made: no whole frame, more than MaxCaptureBytes, or no
  // memory.
  TCaptureBuffer* CreateBuffer(uint32_t bytes);
  // Frees the buffer; the driver no longer writes it on return.
  void ReleaseBuffer();
  TCaptureBuffer* Buffer() const { return Buf.get(); }
  const std::string& Name() const { return DeviceName; }

protected:
  // Driver side: input frames go to the buffer (dropped without one).
  // Returns the frames the buffer took.
  uint32_t Deliver(const int16_t* frames, uint32_t count);
  // Driver side: the device went away; the buffer stops capturing and
  // keeps what it has.
  void DeviceLost();
  // Backends whose driver runs on its own must stop it in their destructor
  // before this base releases the buffer.

private:
  std::string DeviceName;
  std::unique_ptr<TCaptureBuffer> Buf;
  std::atomic<TCaptureBuffer*> Active{nullptr};
  std::atomic<int> Delivering{0};
};

class TCaptureBackend {
public:
  virtual ~TCaptureBackend() = default;
  // Opens the default capture device. Null with a message in *error when
  // there is none or it can't be opened.
  virtual std::unique_ptr<TCaptureDevice> OpenDefaultCapture(std::string* error) = 0;
  // Opens the capture device of that name ("" = the default one).
  virtual std::unique_ptr<TCaptureDevice> OpenDevice(const std::string& name, std::string* error) {
    if (name.empty()) return OpenDefaultCapture(error);
    if (error != nullptr) *error = "No audio capture device named \"" + name + "\"";
    return nullptr;
  }
  // The names of the capture devices, the default one first when known.
  virtual std::vector<std::string> DeviceNames() { return {}; }
};

}  // namespace vs
