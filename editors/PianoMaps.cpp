#include "editors/PianoMaps.h"

#include <algorithm>
#include <cstdlib>

namespace vs {

int KeyAtY(int x, int y, int boxHeight) {
  const int d = boxHeight - y;
  const int octave = d >= 0 ? d / PianoOctaveHeight : -1;
  const int r = d - octave * PianoOctaveHeight;
  const int white = r / 8;
  int key = white * 2 - (white >= 3 ? 1 : 0);
  const int b = r + 3;
  if (x < 9 && b >= 8 && b < PianoOctaveHeight && b % 8 < 6) {
    const int k = b / 8;
    if (b < 24)
      key = k * 2 - 1;
    else if (b >= 32)
      key = k * 2 - 2;
  }
  return std::clamp(octave * 12 + key, 0, 124);
}

TNoteBlock NoteBlockOf(int key, bool on, int boxHeight) {
  // Offset from the octave's bottom and block shape, C to B.
  static constexpr int Offset[12] = {0, 4, 8, 12, 16, 24, 28, 32, 36, 40, 44, 48};
  static constexpr int Shape[12] = {2, 3, 1, 3, 0, 2, 3, 1, 3, 1, 3, 0};
  key = std::clamp(key, 0, 127);
  const int octave = key / 12, note = key % 12;
  return {boxHeight - octave * PianoOctaveHeight - Offset[note] - NoteBlockHeight, (on ? 4 : 0) + Shape[note]};
}

int PianoStepAtX(int x, int firstVisibleStep) {
  const int q = x >= 0 ? x / PianoStepWidth : -((-x + PianoStepWidth - 1) / PianoStepWidth);
  return q + firstVisibleStep;
}

int ScrollKeybTop(int top, int direction, int panelHeight, int boxHeight) {
  if (direction < 0) return std::min(0, top + KeybScrollStep);
  if (direction > 0) return std::max(panelHeight - boxHeight, top - KeybScrollStep);
  return top;
}

int KeybScrollDirection(int yInPanel, int panelHeight) {
  if (yInPanel < 0) return -1;
  if (yInPanel >= panelHeight) return 1;
  return 0;
}

int GraphValueAt(int y, int max) { return max * (GraphHeight - std::clamp(y, 0, GraphHeight)) / GraphHeight; }

TGraphBar GraphBarOf(int value, const TFXInfo& lane) {
  const int max = std::max(lane.Max, 1);
  const int h = value * 152 / max;
  const int top = GraphHeight - h;
  TGraphBar bar;
  if (!lane.Centred) {
    bar.Top = top;
    bar.Bottom = GraphHeight;
    bar.Colour = ShiftColor(lane.Color, 100 - top * 100 / GraphHeight);
  } else {
    bar.Top = std::min(top, 75);
    bar.Bottom = std::max(top, 75);
    bar.Colour = ShiftColor(lane.Color, std::abs(76 - h) * 100 / 75);
  }
  return bar;
}

std::vector<std::pair<int, int>> GraphRamp(int anchorStep, int anchorY, int step, int y) {
  std::vector<std::pair<int, int>> points;
  const int span = step - anchorStep;
  if (span == 0) {
    points.emplace_back(step, y);
    return points;
  }
  const int dir = span > 0 ? 1 : -1;
  for (int s = anchorStep + dir;; s += dir) {
    points.emplace_back(s, anchorY + (y - anchorY) * (s - anchorStep) / span);
    if (s == step) break;
  }
  return points;
}

}  // namespace vs

namespace vs {
std::string PianoNoteName(int key) {
  static const char* const Names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  key = std::clamp(key, 0, 127);
  return std::string(Names[key % 12]) + std::to_string(key / 12);
}
}  // namespace vs
