#include "framework/DragMaps.h"

#include <cstdlib>

namespace vs {

int AutoScrollDirections(int x, int y, int width, int height, int margin, const TScrollEnds& ends) {
  int dirs = 0;
  if (x < margin && !ends.AtLeft) dirs |= ScrollLeft;
  if (x >= width - margin && !ends.AtRight) dirs |= ScrollRight;
  if (y < margin && !ends.AtTop) dirs |= ScrollUp;
  if (y >= height - margin && !ends.AtBottom) dirs |= ScrollDown;
  return dirs;
}

int AutoScrollMargin(int itemHeight, int fontSize) { return itemHeight >= 1 ? itemHeight / 2 : std::abs(fontSize); }

void AutoScrollTick(int& counter, int& interval) {
  counter += AutoScrollSpeedUp;
  if (counter < AutoScrollFirstInterval) interval = AutoScrollFirstInterval - counter;
}

int AllowedDropEffects(TDragType type) {
  switch (type) {
    case dtcopy:
      return DropEffectCopy;
    case dtmove:
      return DropEffectMove;
    default:
      return DropEffectCopy | DropEffectMove;
  }
}

TDropDecision DecideDrop(int lastEffect, TDragType type) {
  TDropDecision d;
  if (lastEffect & DropEffectCopy) {
    d.Drop = d.IsCopy = true;
  } else if (lastEffect & DropEffectMove) {
    d.Drop = true;
  }
  d.AskHandler = d.Drop && (d.IsCopy ? type != dtmove : type != dtcopy);
  return d;
}

TDragResult DragResultOf(bool dropped, int effect, TDragType type) {
  if (!dropped) return drCancel;
  const int allowed = effect & AllowedDropEffects(type);
  if (allowed == 0) return drCancel;
  return (allowed & DropEffectCopy) ? drCopy : drMove;
}

}  // namespace vs
