#pragma once
// The lamp window's arithmetic, without a screen: where a channel's lamps
// lie for a cell size, the window's size, a lamp's colour and the fade of a
// decaying paint.

#include <cstdint>

#include "toolbox/AllTools.h"

namespace vs {

constexpr int LampSteps = 64;
constexpr int LampLevelMax = 256;
// A dark lamp.
constexpr TColor LampDarkColour = 0x353030;

// A lamp's rectangle (right and bottom edges excluded): the channel lamp
// (step -1) from x 1 to h = cell / 2, step lamp s from h + s x cell + 1 to
// h + (s + 1) x cell, row r from r x cell + 1 to (r + 1) x cell.
struct TLampRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TLampRect LampRect(int row, int step, int cell);
// The window for a number of channels: 64 x cell + cell / 2 + 1 by
// channels x cell + 1.
int LampWindowWidth(int cell);
int LampWindowHeight(int channels, int cell);
// The lamps doubled: 24 pixels, or the largest size from 12 up whose
// window fits the screen's usable area (a window beyond the screen's edge
// shows lamps nobody sees).
int GrownLampCell(int channels, int areaWidth, int areaHeight);
// The channel row under y (-1 above the first row).
int LampRowAt(int y, int cell);

// A lamp's colour for a level 0..256 in the channel's colour, and the
// hatch's line colour over it.
TColor LampColour(int level, TColor channelColour);
inline TColor LampHatchColour(TColor lamp) { return ShiftColor(lamp, -0x1B); }

// One decaying paint: a step lamp above 0 loses 32, a channel lamp 128,
// never below 0.
constexpr int StepLampDecay = 32;
constexpr int ChannelLampDecay = 128;
inline int DecayedLamp(int level, int decay) { return level > decay ? level - decay : 0; }

}  // namespace vs
