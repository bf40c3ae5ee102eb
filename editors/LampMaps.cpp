#include "editors/LampMaps.h"

#include <algorithm>

namespace vs {

TLampRect LampRect(int row, int step, int cell) {
  const int h = cell / 2;
  TLampRect r;
  r.Top = row * cell + 1;
  r.Bottom = (row + 1) * cell;
  if (step < 0) {
    r.Left = 1;
    r.Right = h;
  } else {
    r.Left = h + step * cell + 1;
    r.Right = h + (step + 1) * cell;
  }
  return r;
}

int LampWindowWidth(int cell) { return LampSteps * cell + cell / 2 + 1; }
int LampWindowHeight(int channels, int cell) { return std::max(channels, 0) * cell + 1; }

int GrownLampCell(int channels, int areaWidth, int areaHeight) {
  int cell = 24;
  while (cell > 12 && (LampWindowWidth(cell) > areaWidth || LampWindowHeight(channels, cell) > areaHeight)) --cell;
  return cell;
}

int LampRowAt(int y, int cell) { return y < 1 || cell <= 0 ? -1 : (y - 1) / cell; }

TColor LampColour(int level, TColor channelColour) {
  if (level <= 0) return LampDarkColour;
  return BlendColors(std::min(level, LampLevelMax), LampDarkColour, channelColour & 0xFFFFFF);
}

}  // namespace vs
