#pragma once
// A silent output device that plays in real time: a thread of its own takes
// a piece of frames from the stream buffer every piece's duration. It can
// write what it plays (while the buffer plays) to a 16-bit stereo WAV file,
// which is put in place when the device closes.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/AudioOutput.h"
#include "toolbox/SafeFile.h"

namespace vs {

class TNullAudioDevice : public TAudioDevice {
public:
  // wavPath empty: nothing is written.
  TNullAudioDevice(std::string name, uint32_t pieceFrames, const std::string& wavPath);
  ~TNullAudioDevice() override;

  uint64_t FramesPlayed() const { return Played.load(); }
  // False when the WAV could not be written completely.
  bool WavOk() const { return WavGood.load(); }

private:
  void Run();
  void CloseWav();

  uint32_t PieceFrames;
  std::atomic<bool> Quit{false};
  std::atomic<uint64_t> Played{0};
  std::string WavPath;
  TSafeFile Wav;  // written by the driver thread, put in place on close
  std::atomic<bool> WavGood{true};
  std::thread Driver;
};

class TNullAudioBackend : public TAudioBackend {
public:
  // pieceFrames: the frames taken per wake-up (256 = 5.8 ms).
  explicit TNullAudioBackend(uint32_t pieceFrames = 256, std::string wavPath = {})
      : PieceFrames(pieceFrames), WavPath(std::move(wavPath)) {}
  std::unique_ptr<TAudioDevice> OpenDevice(const std::string& name, std::string* error) override;
  std::vector<std::string> DeviceNames() override { return {"Null Output"}; }

private:
  uint32_t PieceFrames;
  std::string WavPath;
};

}  // namespace vs
