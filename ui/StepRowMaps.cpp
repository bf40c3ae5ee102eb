#include "ui/StepRowMaps.h"

#include <algorithm>

#include "model/StepStore.h"

namespace vs {

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// (value * (n - 1) + half) div range: the bar frame of a value.
int BarFrame(int frames, int value, int range) {
  if (frames < 1 || range < 1) return 0;
  const int64_t f = (int64_t(value) * (frames - 1) + range / 2) / range;
  return static_cast<int>(std::clamp<int64_t>(f, 0, frames - 1));
}

}  // namespace

int StepAtX(int x, int firstVisibleStep) { return FloorDiv(x, StepCellWidth) + firstVisibleStep; }

int StepFrame(bool on, int step, int stepsPerBlock) {
  const int block = stepsPerBlock > 0 ? step / stepsPerBlock : 0;
  return (on ? 1 : 0) + 2 * (block & 1);
}

int ValueLaneAt(int y, int cellTop) { return (y - cellTop) / ValueBarSize; }

TBarFrames BarFrames(int mode, int frames, int pan, int vol, int pitch, int mix) {
  if (mode == EditPitchMix) return {BarFrame(frames, pitch, 240), BarFrame(frames, mix, 127)};
  return {BarFrame(frames, pan, 127), BarFrame(frames, vol, 127)};
}

int LanePlane(int mode, int lane) {
  const int base = mode == EditPitchMix ? PlanePitch : PlanePan;
  return base + (lane == 0 ? 0 : 1);
}

TWheelPlace ValueWheelPlace(int rowLeft, int rowTop, int cellTop, int step, int firstVisibleStep, int lane) {
  return {rowLeft - 4 + (step - firstVisibleStep) * StepCellWidth, rowTop + cellTop - 4 + lane * ValueLaneHeight};
}

int HeardStep(int shownStep, int64_t anchorFrame, int64_t framesPerStep, int64_t playFrame, int patternLength) {
  if (shownStep < 0 || framesPerStep <= 0 || patternLength <= 0 || playFrame >= anchorFrame) return shownStep;
  const int64_t back = (anchorFrame - playFrame + framesPerStep - 1) / framesPerStep;
  const int64_t step = (shownStep - back) % patternLength;
  return static_cast<int>(step < 0 ? step + patternLength : step);
}

int64_t FramesToNextHeardStep(int64_t anchorFrame, int64_t framesPerStep, int64_t playFrame) {
  if (framesPerStep <= 0 || playFrame >= anchorFrame) return -1;
  const int64_t left = (anchorFrame - playFrame) % framesPerStep;
  return left == 0 ? framesPerStep : left;
}

TRackLayout ArrangeRackRows(const std::vector<TRackChannel>& channels, const TRackOptions& options) {
  TRackLayout layout;
  const int count = static_cast<int>(channels.size());
  layout.Rows.resize(count);
  // Without "Position leds" only one row shows them: the first expanded row
  // when they lie above the cells, the last when below.
  int lampRow = -1;
  if (!options.AllRowsShowLamps) {
    for (int i = 0; i < count; ++i) {
      const int k = options.LampsOver ? i : count - 1 - i;
      if (!channels[k].Collapsed) {
        lampRow = k;
        break;
      }
    }
  }
  int y = 0;
  int x = 0;
  bool inCollapsedLine = false;
  for (int i = 0; i < count; ++i) {
    const TRackChannel& c = channels[i];
    TRackRow& row = layout.Rows[i];
    row.Collapsed = c.Collapsed;
    if (c.Collapsed) {
      const int width = c.NameWidth + 7;
      if (inCollapsedLine && x + width > options.RackWidth && x > 0) {
        x = 0;
        y += options.CollapsedHeight + 3;
      }
      inCollapsedLine = true;
      row.Left = x;
      row.Top = y;
      row.Height = options.CollapsedHeight;
      x += width;
      continue;
    }
    if (inCollapsedLine) {
      y += options.CollapsedHeight + 3;
      inCollapsedLine = false;
      x = 0;
    }
    row.ShowsLamps = options.AllRowsShowLamps || i == lampRow;
    row.Height = row.ShowsLamps ? RowHeightWithLamps : StepCellHeight;
    if (row.ShowsLamps && options.LampsOver) {
      row.LampTop = 0;
      row.CellTop = LampRowHeight;
      row.ButtonDrop = LampRowHeight;
    } else {
      row.CellTop = 0;
      row.LampTop = StepCellHeight;
    }
    row.Left = 0;
    row.Top = y;
    y += row.Height;
  }
  if (inCollapsedLine) y += options.CollapsedHeight + 3;
  layout.Height = y;
  return layout;
}

}  // namespace vs
