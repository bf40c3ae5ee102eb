#pragma once
// The piano roll's arithmetic, without a screen: the key under a point of
// the keyboard view, where a step's note block lies, the keyboard's
// scrolling, the graph view's bars and the value under a point, and the
// straight line a right-button graph drag draws.

#include <string>
#include <utility>
#include <vector>

#include "model/StepStore.h"
#include "toolbox/AllTools.h"

namespace vs {

enum TPianoView : int { PianoKeyboardView = 0, PianoGraphView = 1 };

constexpr int PianoStepWidth = 16;
constexpr int PianoOctaveHeight = 56;  // 7 white keys of 8 pixels
constexpr int PianoOctaveImages = 11;
constexpr int KeybBoxWidth = 1024;
constexpr int KeybBoxHeight = 584;
constexpr int KeybBoxFirstTop = -216;
constexpr int KeybPanelHeight = 168;
constexpr int KeybPanelHeightWithSlides = 152;
constexpr int SlideBoxHeight = 16;
constexpr int GraphHeight = 151;  // the graph view's drawing box
constexpr int NoteBlockHeight = 8;
constexpr int KeybScrollStep = 8;

// The key under (x within the step, y in the keyboard box of the given
// height): white keys by their 8-pixel lanes, black keys in the left part
// of a step (x < 9) around the lanes' borders; clamped to 0..124.
int KeyAtY(int x, int y, int boxHeight = KeybBoxHeight);

// Where a key's note block is drawn (its top in the box) and which image
// (state x 4 + shape; state 1 for a step that is on).
struct TNoteBlock {
  int Top = 0;
  int Image = 0;
};
TNoteBlock NoteBlockOf(int key, bool on, int boxHeight = KeybBoxHeight);

// The step under x (x div 16 rounded toward minus infinity, plus the first
// visible step).
int PianoStepAtX(int x, int firstVisibleStep);

// The keyboard box's top after one auto-scroll tick upward (direction -1:
// the keys move down, top + 8, at most 0) or downward (+1: top - 8, at
// least panelHeight - boxHeight).
int ScrollKeybTop(int top, int direction, int panelHeight, int boxHeight = KeybBoxHeight);
// The tick direction for a pointer at y in the panel: -1 above it, +1 below
// it, 0 inside.
int KeybScrollDirection(int yInPanel, int panelHeight);

// The value a graph point stands for: max x (151 - y) div 151, y kept in
// the box.
int GraphValueAt(int y, int max);
// A step's bar in the graph view: rows Top..Bottom-1 in Colour (the hatch's
// lines; its background is Colour shifted by 30). Not centred planes rise
// from the bottom, centred ones from the centre line.
struct TGraphBar {
  int Top = 0;
  int Bottom = 0;
  TColor Colour = 0;
};
TGraphBar GraphBarOf(int value, const TFXInfo& lane);
// The graph's background: hatch lines on the dark ground, and three grid
// lines at 151 x k div 4.
constexpr TColor GraphHatchColour = 0x1A1515;
constexpr TColor GraphGroundColour = 0x353030;
constexpr TColor GraphGridColour = 0x403838;

// The points a right-button drag writes: every step strictly between the
// anchor's and the pointer's, and the pointer's own, each with its y on the
// straight line from the anchor (integer division).
std::vector<std::pair<int, int>> GraphRamp(int anchorStep, int anchorY, int step, int y);

}  // namespace vs

namespace vs {
// A key's name as the info bar shows it: "C5" for key 60, "F#3" for 42.
std::string PianoNoteName(int key);
}  // namespace vs
