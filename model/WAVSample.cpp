#include "model/WAVSample.h"

#include <limits>

namespace vs {

TWAVSample::TWAVSample() { SetLoop(-1, NoLoopEnd); }

void TWAVSample::Clear() {
  TFrames().swap(Data);
  Length = 0;
  PlayLength = 0;
  SetLoop(-1, NoLoopEnd);
}

void TWAVSample::AssignData(TWAVSample& other) {
  if (&other == this) return;
  Clear();
  Data = std::move(other.Data);
  other.Data.clear();
  Length = other.Length;
  PlayLength = other.PlayLength;
  FormatWord = other.FormatWord;
  SetLoop(other.LoopStart, other.LoopEnd);
  other.Length = 0;
  other.PlayLength = 0;
  other.SetLoop(-1, NoLoopEnd);
}

void TWAVSample::CopyFrom(const TWAVSample& other) {
  if (&other == this) return;
  Data = other.Data;
  FormatWord = other.FormatWord;
  Length = other.Length;
  RecordingMark = other.RecordingMark;
  PlayLength = other.PlayLength;
  NominalLength = other.NominalLength;
  CutGroup = other.CutGroup;
  CutByGroup = other.CutByGroup;
  Reserved = other.Reserved;
  LoopStart = other.LoopStart;
  LoopEnd = other.LoopEnd;
  LoopLength = other.LoopLength;
  Looped = other.Looped;
  PingPong = other.PingPong;
  Text1 = other.Text1;
  Text2 = other.Text2;
  FileTime = other.FileTime;
}

void TWAVSample::SetFrames(TFrames&& frames) {
  Data = std::move(frames);
  if (Data.size() % 2) Data.pop_back();
  Length = static_cast<int32_t>(Data.size() / 2);
}

void TWAVSample::SetFrames(const std::vector<int16_t>& frames) { SetFrames(TFrames(frames.begin(), frames.end())); }
void TWAVSample::SetFrames(std::initializer_list<int16_t> frames) { SetFrames(TFrames(frames)); }

void TWAVSample::SetLoop(int32_t start, int32_t end) {
  LoopStart = start;
  LoopEnd = end;
  int64_t len = int64_t(end) - int64_t(start) + 1;
  if (len > std::numeric_limits<int32_t>::max()) len = std::numeric_limits<int32_t>::max();
  if (len < std::numeric_limits<int32_t>::min()) len = std::numeric_limits<int32_t>::min();
  LoopLength = static_cast<int32_t>(len);
}

int64_t FramesToMs(int64_t frames) { return frames * 10 / 441; }
int64_t MsToFrames(int64_t ms) { return ms * 441 / 10; }

}  // namespace vs
