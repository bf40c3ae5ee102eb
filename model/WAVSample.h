#pragma once
// The one in-memory form of audio: 16-bit signed stereo, interleaved, 44100
// frames a second. A sample owns its frames; handing them over is a move.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "toolbox/FrameMemory.h"

namespace vs {

constexpr int SampleRate = 44100;
constexpr int32_t NoLoopEnd = 2147483647;

class TWAVSample {
public:
  TWAVSample();
  TWAVSample(const TWAVSample&) = delete;
  TWAVSample& operator=(const TWAVSample&) = delete;

  // Frames: Data.size() == 2 * Length (left, right, left, right ...).
  TFrames Data;
  int32_t FormatWord = 2;
  int32_t Length = 0;
  int32_t RecordingMark = 0;
  int32_t PlayLength = 0;
  int32_t NominalLength = 0;
  int32_t CutGroup = 0;
  int32_t CutByGroup = 0;
  int32_t Reserved = 0;
  int32_t LoopStart = -1;
  int32_t LoopEnd = NoLoopEnd;
  int32_t LoopLength = 0;
  bool Looped = false;
  int32_t PingPong = 0;
  std::string Text1;  // the two texts the channel's rebuild keeps with the sample
  std::string Text2;
  int64_t FileTime = 0;

  bool Empty() const { return Length <= 0 || Data.empty(); }
  int16_t* Frames() { return Data.empty() ? nullptr : Data.data(); }
  const int16_t* Frames() const { return Data.empty() ? nullptr : Data.data(); }

  // Frees the frames; cut groups, NominalLength and Looped stay.
  void Clear();
  // Takes the frames, lengths, format word and loop points of another
  // sample, leaving the other one empty (one owner at a time).
  void AssignData(TWAVSample& other);
  // Makes this sample an independent copy of another one's frames and fields.
  void CopyFrom(const TWAVSample& other);
  // Sets the frames (a move), Length from their count.
  void SetFrames(TFrames&& frames);
  // The same from a plain vector or a list (a copy).
  void SetFrames(const std::vector<int16_t>& frames);
  void SetFrames(std::initializer_list<int16_t> frames);
  // Stores the loop points; LoopLength is computed in 64 bits and saturated.
  void SetLoop(int32_t start, int32_t end);
};

// Integer conversions between frames and milliseconds (truncating).
int64_t FramesToMs(int64_t frames);
int64_t MsToFrames(int64_t ms);

}  // namespace vs
