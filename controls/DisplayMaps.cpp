#include "controls/DisplayMaps.h"

#include <algorithm>

namespace vs {

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int FloorMod(int a, int b) { return a - FloorDiv(a, b) * b; }

}  // namespace

int64_t SampleViewFrame(int64_t length, int x, int width) { return length * x / (int64_t(width) + 1); }

int64_t ScopeFrame(int64_t length, int x, int width) { return (int64_t(x) + 1) * length / (int64_t(width) + 1); }

int LoopMarkerX(int64_t position, int width, int64_t length) {
  if (length <= 0) return 0;
  return static_cast<int>(position * width / length);
}

int ScopeRow(int64_t value, int half) { return static_cast<int>(half - value * half / 65536); }

int ScopeGridRow(int k, int half) { return half * k / 4 + half; }

int ScopeGridColumn(int k, int width) { return (width - 1) * k / 32; }

int MeterLitLength(int level, int side, int snap) {
  level = std::clamp(level, 0, 32767);
  if (level == 32767) return side;
  snap = std::max(snap, 1);
  const int64_t steps = (int64_t(level) * side + 32766) / (int64_t(snap) * 32767);
  return static_cast<int>(std::min<int64_t>(steps * snap, side));
}

const std::array<int, 7> BlackKeyOffset = {-1, +1, 0, -1, 0, +1, 0};

bool HasBlackAfter(int whiteKey) { return whiteKey != 2 && whiteKey != 6; }

int WhiteSemitone(int whiteKey) {
  static constexpr int Semitones[7] = {0, 2, 4, 5, 7, 9, 11};
  return Semitones[FloorMod(whiteKey, 7)];
}

int TKeyboardShape::BlackWidth() const {
  int bw = NoteWidth * 3 / 5;
  if (bw % 2 == 0) ++bw;
  return bw;
}

TKeyPlace KeyOfNote(int note, int baseOctave) {
  const int n = note - baseOctave * 12;
  const int s = FloorMod(n, 12);
  const int j = s >= 5 ? s + 1 : s;
  return {FloorDiv(n, 12), j >> 1, (j & 1) != 0};
}

TKeySpan KeySpan(const TKeyboardShape& shape, const TKeyPlace& key) {
  const int whiteLeft = (key.Octave * 7 + key.White) * shape.NoteWidth;
  if (!key.Black) return {whiteLeft, shape.NoteWidth, shape.Depth};
  const int bw = shape.BlackWidth();
  const int border = whiteLeft + shape.NoteWidth;
  return {border - bw / 2 + BlackKeyOffset[key.White], bw, shape.BlackLength()};
}

TKeyHit KeyAt(const TKeyboardShape& shape, int run, int depth) {
  const int nw = std::max(shape.NoteWidth, 1);
  const int w = FloorDiv(run, nw);
  const int rem = run - w * nw;
  const int octave = FloorDiv(w, 7);
  const int k = w - octave * 7;
  const int bw = shape.BlackWidth();
  int semitone = WhiteSemitone(k);
  if (depth < shape.BlackLength()) {
    const int before = (k + 6) % 7;
    if (rem >= nw - bw / 2 + BlackKeyOffset[k] && HasBlackAfter(k))
      semitone = WhiteSemitone(k) + 1;
    else if (rem < bw - bw / 2 + BlackKeyOffset[before] && HasBlackAfter(before))
      semitone = WhiteSemitone(before) + 1;
  }
  TKeyHit hit;
  hit.Note = (octave + shape.BaseOctave) * 12 + semitone;
  if (shape.VelocityByPosition)
    hit.Velocity = shape.Depth > 0 ? std::min(127, std::max(depth, 0) * 127 / shape.Depth) : 127;
  return hit;
}

}  // namespace vs
