#pragma once
// Styled hints without widgets: the two parts of a hint text, the margins
// of each style, how far a cursor reaches below its hot spot, and where the
// hint window goes.

#include <functional>
#include <string>
#include <string_view>

#include "framework/DockLayout.h"

namespace vs {

enum THintStyle { hsFlat, hsOffice97, hsWindows95 };

// A hint text is "short|long": the short part shows in the hint window, the
// long part in the info bar. Without a bar both are the whole text.
std::string ShortHint(std::string_view hint);
std::string LongHint(std::string_view hint);

// The space around the text: (dx, dy).
struct THintMargins {
  int Dx = 0, Dy = 0;
};
THintMargins HintMargins(THintStyle style);

// The hint's timing, in milliseconds.
inline constexpr int HintPause = 500;        // before the first hint
inline constexpr int HintShortPause = 25;    // from one hint to the next
inline constexpr int HintHidePause = 20000;  // how long a hint stays

// How far a 32 x 64 two-level cursor mask reaches below its hot spot: the
// lowest of rows 31..0 with a black pixel in the upper (AND) half, minus the
// hot spot's y; else the lowest of rows 63..31 with a white pixel in the
// lower (XOR) half, minus the hot spot's y and 32; else 32. white(x, y)
// tells a pixel of the mask.
int CursorExtentBelowHotSpot(const std::function<bool(int x, int y)>& white, int hotSpotY);

struct THintPlace {
  THintStyle Style = hsWindows95;
  int TextWidth = 0, TextHeight = 0;  // the measured text (word-wrapped)
  int CursorX = 0, CursorY = 0;
  int CursorExtent = 32;  // the cursor's reach below its hot spot
  TDockRect Screen;       // the screen the cursor is on
  bool HasControl = false;
  bool ControlIsWindow = false;  // the hint is over a window's own area
  TDockRect Control;             // the hinted control on the screen
};

// The hint window's rectangle: text plus margins, under the cursor; moved
// left to end at the screen's right edge; past the bottom it goes above the
// cursor (Office 97 style, or over a window's own area) or above the
// hinted control.
TDockRect PlaceHint(const THintPlace& place);

}  // namespace vs
