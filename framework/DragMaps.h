#pragma once
// The arithmetic of drags, without a screen: which way a tree scrolls while
// something is dragged near its edges and how its scrolling speeds up, and
// how a file drag's outcome is decided from the effects the target reports.

#include <cstdint>

namespace vs {

// --- Automatic scrolling of a tree ---

enum TScrollDirection : int { ScrollLeft = 1, ScrollUp = 2, ScrollRight = 4, ScrollDown = 8 };

// Where the view stands in each direction (true: it can't go further).
struct TScrollEnds {
  bool AtLeft = true, AtTop = true, AtRight = true, AtBottom = true;
};

// The directions wanted for a cursor at (x, y) in a view of width x height:
// a direction whose edge lies within margin of the cursor and whose end the
// view has not reached.
int AutoScrollDirections(int x, int y, int width, int height, int margin, const TScrollEnds& ends);
// The margin: half the item height when that is at least 1, else the font
// size (its absolute value).
int AutoScrollMargin(int itemHeight, int fontSize);

constexpr int AutoScrollFirstInterval = 100;  // ms
constexpr int AutoScrollSpeedUp = 8;
// One tick of the scroll timer: the step counter grows by 8 and, while it
// is below 100, the interval becomes 100 - counter (so 92, 84, ... 4 ms,
// where it stays).
void AutoScrollTick(int& counter, int& interval);

// --- File drags ---

enum TDragType { dteither, dtcopy, dtmove };
enum TDragResult { drCopy = 0, drMove = 1, drCancel = 2, drOutMemory = 3, drUnknown = 4 };

// Drop effects as the drag reports them.
constexpr int DropEffectNone = 0;
constexpr int DropEffectCopy = 1;
constexpr int DropEffectMove = 2;

// The effects a drag of that type allows: copy, move, or both.
int AllowedDropEffects(TDragType type);

// The mouse button came up over a target that reported lastEffect: whether
// the drop goes ahead (before the source's own veto), and whether it is a
// copy. agrees: the effect is one the drag type asks the source's drop
// handler about (a copy unless the type is move-only, a move unless it is
// copy-only).
struct TDropDecision {
  bool Drop = false;
  bool IsCopy = false;
  bool AskHandler = false;
};
TDropDecision DecideDrop(int lastEffect, TDragType type);

// The drag's result from what the drag loop ended with: dropped with an
// effect, or cancelled.
TDragResult DragResultOf(bool dropped, int effect, TDragType type);

}  // namespace vs
