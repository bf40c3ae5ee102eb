#pragma once
// The offline sample reverbs: two fixed networks of comb and allpass stages
// run over a whole sample when a channel rebuilds it, a half-second tail
// appended and trailing near-silence trimmed afterwards.

#include <cstdint>
#include <vector>

#include "model/WAVSample.h"

namespace vs {

// Which network ApplyReverb runs: 0 = ReverbProc1, 1 = ReverbProc2. The
// channel sets it before each call (main thread only).
extern int ReverbType;

// Frames of silence each network appends before it runs (0.5 s).
constexpr int32_t ReverbTailFrames = 22050;

namespace reverb {

struct TPair {
  int32_t L = 0;
  int32_t R = 0;
};

// A reverb stage: a ring of max(1, length - 1) pairs. Push stores a pair and
// returns the one stored capacity pushes earlier, so a value pushed at frame
// n is the stage's delayed value at frame n + length.
class TDelayLine {
public:
  explicit TDelayLine(int length);
  int Capacity() const { return int(Ring.size()); }
  TPair Push(TPair p);

protected:
  std::vector<TPair> Ring;
  size_t Pos = 0;
  TPair Last;  // d: the pair the last Push returned
};

// A stage with a feedback coefficient: a comb (coefficient = its feedback)
// or an allpass (coefficient 0.7).
class TFilterLine : public TDelayLine {
public:
  TFilterLine(int length, double feedback) : TDelayLine(length), Feedback(feedback) {}
  // y = nearest(x + fb * d); returns y.
  TPair Comb(TPair x);
  // w = nearest(x + fb * d); returns nearest(d - fb * w).
  TPair Allpass(TPair x);

  double Feedback;
};

// The comb feedback that makes a comb of `length` frames fall by 60 dB in
// `time` seconds: 10^(-3 * length / (time * 44100)). A time of 0 or less (or
// not a number) gives 0; the result always stays below 1.
double CombFeedback(int length, double time);

// Rounds to the nearest integer (halves to even), saturated to 32 bits.
int32_t Nearest(double v);

}  // namespace reverb

// Extends the sample by ReverbTailFrames and runs the first network (three
// allpasses into four combs, smoothed) with reverb time `time` seconds.
void ReverbProc1(TWAVSample& sample, double time);
// The same with the second network (six combs, five allpasses, a low-pass).
void ReverbProc2(TWAVSample& sample, double time);
// Drops trailing frames whose two values are both quieter than 128, never
// into the loop (down to LoopEnd + 1 at most), and shrinks the buffer.
void TrimReverbTail(TWAVSample& sample);

// Runs network `type` (0 or 1; other values count as 1), then trims.
void ApplyReverb(TWAVSample& sample, double time, int type);
// Runs the network chosen by ReverbType, then trims.
void ApplyReverb(TWAVSample& sample, double time);

}  // namespace vs
