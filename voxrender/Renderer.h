// Builds the synthesizer of a preset record and renders it into a RIFF WAVE
// image of 16-bit stereo at 44100 Hz.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "voxrender/PresetRecord.h"
#include "voxrender/Unit.h"

namespace vs::vox {

inline constexpr int WAVHeaderBytes = 44;
inline constexpr int WAVHeaderWords = WAVHeaderBytes / 2;

// A rendered sound: the 44-byte header followed by interleaved left/right
// signed 16-bit values.
struct WaveImage {
  std::vector<int16_t> Words;
  int32_t Count() const { return static_cast<int32_t>(Words.size() - WAVHeaderWords); }
  int16_t* Data() { return Words.data() + WAVHeaderWords; }
};

// Writes the 44-byte header for a number of 16-bit stereo values.
void WriteWAVHeader(void* header, uint32_t valueCount);

// The file an oscillator names: as written, else its file name in the folder
// of the preset file (also ignoring case). Empty when none can be found.
std::string ResolveOscillatorFile(const std::string& name, const std::string& presetPath);

class Renderer {
 public:
  // Builds the units; record.Note must already hold the note to play.
  explicit Renderer(const PresetRecord& record);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Frames before half speed: the amplitude envelope's length.
  int64_t Frames() const { return FrameCount; }
  // Renders once; throws std::bad_alloc when memory runs out.
  WaveImage Render();

 private:
  template <class T, class... Args>
  T* Make(Args&&... args);
  Unit* BuildOscillator(const OscillatorRecord& osc, int32_t base);
  void Build();

  const PresetRecord& Record;
  Random15 Random;
  int64_t FrameCount = 0;
  std::vector<std::unique_ptr<Unit>> Units;  // owns all of them
  std::vector<Unit*> Modulators, Generators, Processors;
};

}  // namespace vs::vox
