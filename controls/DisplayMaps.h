#pragma once
// The arithmetic of the sample scope, the level meter and the on-screen
// keyboard, without a screen. Products of frame counts and pixels are
// computed in 64 bits: a long sample times a wide control passes 2^31.

#include <array>
#include <cstdint>

namespace vs {

// ------------------------------------------------------------------ scope

// The sample view's frame under column x: (length * x) div (width + 1).
int64_t SampleViewFrame(int64_t length, int x, int width);
// The output scope's frame of column x: (x + 1) * length div (width + 1).
int64_t ScopeFrame(int64_t length, int x, int width);
// A loop marker's column: position * width div length (0 for an empty
// sample).
int LoopMarkerX(int64_t position, int width, int64_t length);
// A value's row: half - (value * half) div 65536, truncated toward zero.
int ScopeRow(int64_t value, int half);
// The sample view's grid: the row of horizontal line k (-3..3, not 0) and
// the column of vertical line k (0..32).
int ScopeGridRow(int k, int half);
int ScopeGridColumn(int k, int width);

// ------------------------------------------------------------------ meter

// The lit length of a meter image of side pixels at a level (clamped to
// 0..32767): all of it at 32767, else ((level * side + 32766) div (snap *
// 32767)) * snap.
int MeterLitLength(int level, int side, int snap);

// --------------------------------------------------------------- keyboard

struct TKeyboardShape {
  int Length = 200;     // the run of the keys (width when horizontal)
  int Depth = 50;       // the other side
  int NoteWidth = 10;   // a white key
  int BaseOctave = 3;   // the first drawn C is note BaseOctave * 12
  bool VelocityByPosition = true;

  int BlackLength() const { return Depth * 3 / 5; }
  // NoteWidth * 3 div 5, made odd.
  int BlackWidth() const;
};

// The black key after white key k of an octave (0 C .. 6 B) is shifted by
// this many pixels from the border; E and B have none.
extern const std::array<int, 7> BlackKeyOffset;
bool HasBlackAfter(int whiteKey);
// The semitone (0..11) of white key k.
int WhiteSemitone(int whiteKey);

// Where a note lies relative to the first drawn C.
struct TKeyPlace {
  int Octave = 0;
  int White = 0;      // the white key index, or the one the black key follows
  bool Black = false;
};
TKeyPlace KeyOfNote(int note, int baseOctave);

// The span of a key along the run (left edge and width) and its depth.
struct TKeySpan {
  int Start = 0;
  int Width = 0;
  int Depth = 0;
};
TKeySpan KeySpan(const TKeyboardShape& shape, const TKeyPlace& key);

// The note and velocity under a point given in run and depth coordinates.
struct TKeyHit {
  int Note = 0;
  int Velocity = 127;
};
TKeyHit KeyAt(const TKeyboardShape& shape, int run, int depth);

}  // namespace vs
