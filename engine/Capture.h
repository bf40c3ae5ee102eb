#pragma once
// The program's recording capture: one capture device on the default input
// and its buffer of 44100 Hz 16-bit stereo frames, opened by the recording
// window for a given size, started once (no looping) and polled with the
// window's timer. No thread of its own: the device's driver fills the
// buffer. Called from the main thread.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/AudioCapture.h"

namespace vs {

// The message StartCapture raises.
inline constexpr const char* CaptureErrorText = "Error while recording";

class TCaptureError : public std::runtime_error {
public:
  TCaptureError() : std::runtime_error(CaptureErrorText) {}
};

// Chooses the backend capture devices are opened with (closes the capture
// first). The default is RtAudio.
void SetCaptureBackend(std::unique_ptr<TCaptureBackend> backend);
TCaptureBackend& CaptureBackend();

// The capture devices by name ("API: device", the default first), and the
// one OpenCapture opens ("" = the system default, the start).
std::vector<std::string> CaptureDeviceNames();
void SetCaptureDeviceName(const std::string& name);

// When no capture is open and the chosen device opens: a zeroed buffer of
// bytes (whole 16-bit stereo frames). When the buffer can't be made the
// capture is closed again. Returns CaptureOpen().
bool OpenCapture(uint32_t bytes);
// A device and its buffer are there.
bool CaptureOpen();
// Starts the buffer once; throws TCaptureError ("Error while recording")
// when there is no capture or the buffer was started before.
void StartCapture();
// Bytes captured so far (0 without a capture).
uint32_t GetCapturePosition();
// True while the buffer still captures (not yet full, not stopped).
bool StillCapturing();
// The whole buffer: what was captured, zeros after it (empty without a
// capture).
std::vector<uint8_t> ReadCapture();
// Releases the buffer, then the device.
void CloseCapture();
// Why the last OpenCapture failed ("" when it opened).
const std::string& CaptureOpenError();

}  // namespace vs
