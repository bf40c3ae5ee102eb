#include "platform/NullAudioOutput.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>

#include "toolbox/ThreadStart.h"

namespace vs {

namespace {

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// The RIFF size field (file size less 8) is 32 bits.
constexpr uint64_t MaxWavFileBytes = 0xFFFFFFFFull + 8;

// The 44-byte header of a 16-bit stereo PCM WAV at 44100 Hz.
void MakeWavHeader(uint8_t* h, uint32_t dataBytes) {
  std::memcpy(h, "RIFF", 4);
  PutLE32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLE32(h + 16, 16);
  h[20] = 1; h[21] = 0;                 // PCM
  h[22] = OutputChannels; h[23] = 0;
  PutLE32(h + 24, OutputRate);
  PutLE32(h + 28, OutputRate * OutputFrameBytes);
  h[32] = OutputFrameBytes; h[33] = 0;  // block align
  h[34] = 16; h[35] = 0;                // bits
  std::memcpy(h + 36, "data", 4);
  PutLE32(h + 40, dataBytes);
}

}  // namespace

TNullAudioDevice::TNullAudioDevice(std::string name, uint32_t pieceFrames,
                                   const std::string& wavPath)
    : TAudioDevice(std::move(name)), PieceFrames(std::max<uint32_t>(pieceFrames, 1)),
      WavPath(wavPath) {
  if (!WavPath.empty()) {
    uint8_t header[44];
    MakeWavHeader(header, 0);
    WavGood.store(Wav.Open(WavPath) && Wav.Write(header, sizeof header));
  }
  Driver = StartThread([this] { Run(); });
}

TNullAudioDevice::~TNullAudioDevice() {
  Quit.store(true);
  if (Driver.joinable()) Driver.join();
  CloseWav();
}

void TNullAudioDevice::Run() {
  using Clock = std::chrono::steady_clock;
  std::vector<int16_t> piece(size_t(PieceFrames) * OutputChannels);
  const auto period = std::chrono::nanoseconds(int64_t(PieceFrames) * 1000000000 / OutputRate);
  auto next = Clock::now();
  while (!Quit.load()) {
    if (Render(piece.data(), PieceFrames)) {
      Played.fetch_add(PieceFrames);
      const size_t bytes = piece.size() * sizeof(int16_t);
      // Past what a RIFF file can hold the writing stops; the file fails.
      if (WavGood.load() && (Wav.Size() + bytes > MaxWavFileBytes || !Wav.Write(piece.data(), bytes)))
        WavGood.store(false);
    }
    next += period;
    std::this_thread::sleep_until(next);
  }
}

void TNullAudioDevice::CloseWav() {
  if (WavPath.empty()) return;
  const uint64_t dataBytes = Wav.Size() >= 44 ? Wav.Size() - 44 : 0;
  if (Wav.Size() > MaxWavFileBytes) WavGood.store(false);
  uint8_t header[44];
  MakeWavHeader(header, static_cast<uint32_t>(dataBytes));
  if (WavGood.load()) WavGood.store(Wav.WriteAt(0, header, sizeof header) && Wav.Commit());
  if (!WavGood.load()) Wav.Abandon();
}

std::unique_ptr<TAudioDevice> TNullAudioBackend::OpenDevice(const std::string& name,
                                                            std::string* error) {
  if (!name.empty() && name != "Null Output") {
    if (error != nullptr) *error = "No output device named \"" + name + "\"";
    return nullptr;
  }
  try {
    return std::make_unique<TNullAudioDevice>("Null Output", PieceFrames, WavPath);
  } catch (const std::system_error& e) {
    // Its driver thread can't be had.
    if (error != nullptr) *error = ThreadStartMessage(e);
    return nullptr;
  }
}

}  // namespace vs
