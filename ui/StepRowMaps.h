#pragma once
// The arithmetic of the channel rack, without a screen: which step and lane
// a point of a step row means, which frame a cell, a lamp and a value bar
// show, where the floating value wheel goes, how the rows of the rack are
// laid out, and which step is being heard while the pattern plays. The
// step rows and the rack call these; tests check them without a display.

#include <cstdint>
#include <vector>

namespace vs {

// Every step cell is this wide; a row is 27 pixels high, 46 with its lamp
// row (19 pixels) above or below the cells.
constexpr int StepCellWidth = 16;
constexpr int StepCellHeight = 27;
constexpr int LampRowHeight = 19;
constexpr int RowHeightWithLamps = StepCellHeight + LampRowHeight;
// The value bars of the graph modes: two bars of 14 x 14, the lower one 13
// pixels below the upper.
constexpr int ValueBarSize = 14;
constexpr int ValueLaneHeight = 13;

// What a step row shows: 0 step buttons, 1 Pan and Vol bars, 2 Pitch and
// Mix bars.
enum TStepEditMode : int { EditSteps = 0, EditPanVol = 1, EditPitchMix = 2 };

// The step under x (floor(x / 16) + first visible step, so that a drag left
// of the row never lands on its first step).
int StepAtX(int x, int firstVisibleStep);
// The left edge of a step's cell.
inline int StepLeft(int step, int firstVisibleStep) { return (step - firstVisibleStep) * StepCellWidth; }
// The frame of the step image: 1 when on, + 2 in an odd block.
int StepFrame(bool on, int step, int stepsPerBlock);
// The lane under y of the value gesture: (y - cellTop) div 14, truncated
// toward zero (a point in a lamp row above the cells gives -1 or less).
int ValueLaneAt(int y, int cellTop);

// The frames of the two value bars of a step in a graph mode, for a strip
// of n frames: mode 1 Pan over Vol, mode 2 Pitch over Mix.
struct TBarFrames {
  int Upper = 0;
  int Lower = 0;
};
TBarFrames BarFrames(int mode, int frames, int pan, int vol, int pitch, int mix);
// The planes the upper and lower lanes edit in a mode (lane 0 upper).
int LanePlane(int mode, int lane);

// Where the floating value wheel goes for a step's lane, relative to the
// rack: left = row left - 4 + (step - first) * 16, top = row top + cell top
// - 4 + lane * 13.
struct TWheelPlace {
  int Left = 0;
  int Top = 0;
};
TWheelPlace ValueWheelPlace(int rowLeft, int rowTop, int cellTop, int step, int firstVisibleStep, int lane);

// The step being heard: the shown step started at anchorFrame; playing at
// playFrame, the step heard lies (anchorFrame - playFrame) / framesPerStep
// steps (rounded up) before it, wrapped into the pattern. A play position
// at or past the anchor gives the shown step.
int HeardStep(int shownStep, int64_t anchorFrame, int64_t framesPerStep, int64_t playFrame, int patternLength);
// The frames the play position still has to go until HeardStep changes;
// -1 when it hears the shown step already (the next change comes with the
// next step).
int64_t FramesToNextHeardStep(int64_t anchorFrame, int64_t framesPerStep, int64_t playFrame);

// ---------------------------------------------------------------- layout

// The rack's layout input for one channel.
struct TRackChannel {
  bool Collapsed = false;
  int NameWidth = 0;  // the channel's name button width
};

// The rack's options and the skin's measures.
struct TRackOptions {
  bool AllRowsShowLamps = false;  // the "Position leds" item is checked
  bool LampsOver = false;         // lamps above the cells
  int RackWidth = 0;              // the area collapsed rows wrap in
  int CollapsedHeight = 19;       // an image of the collapsed-row set
};

// One channel row's place, relative to the rack's area.
struct TRackRow {
  int Left = 0;
  int Top = 0;
  int Height = 0;
  bool Collapsed = false;
  bool ShowsLamps = false;
  int CellTop = 0;    // cells' y in the row
  int LampTop = 0;    // lamp row's y in the row
  int ButtonDrop = 0; // the buttons and wheel move down this much (lamps over)
};

struct TRackLayout {
  std::vector<TRackRow> Rows;
  int Height = 0;  // the area's height that holds every row
};

TRackLayout ArrangeRackRows(const std::vector<TRackChannel>& channels, const TRackOptions& options);

}  // namespace vs
