#pragma once
// The step row: one channel's steps of the current pattern in the channel
// rack, a 16-pixel cell per visible step, a lamp row under (or over) the
// cells for the play position, and in the two graph modes two value bars
// per step that is on. It is a view of the channel's step store: it reads
// the store while painting and writes it only through the store's setters
// from its mouse gestures.
//
// Painting goes in layers: the row keeps a picture of its cells and lamps,
// redrawn whole when the pattern, its length, the mode, the size or the
// pictures change, and per cell when a step or the lamp changes; the widget
// only copies the changed part of that picture to the screen.
//
// Gestures: with the step buttons shown (mode 0), a left drag (or any drag
// with BothMouseButtons) paints steps on or off; otherwise a press starts
// the value gesture, which hands the step and lane to the owner's floating
// value wheel through OnValueEdit.

#include <QImage>
#include <functional>

#include "controls/ImageList.h"
#include "controls/QuickGraphicControl.h"
#include "ui/StepRowMaps.h"

namespace vs {

class TSong;
class TChannel;

// The pictures of the step rows: step cells (four frames: off, on, off in
// an odd block, on in an odd block), lamps (dark, lit) and the value bars
// (the small wheel's frames).
struct TStepRowImages {
  TImageList Steps;
  TImageList Lamps;
  TImageList Bars;
};

// The step a value gesture hands to the floating wheel.
struct TValueEditRequest {
  int Row = -1;      // the channel
  int Step = -1;
  int Lane = 0;      // the step plane's lane: 0 Pan, 1 Vol, 2 Pitch, 3 Mix
  TWheelPlace Place; // the wheel's top-left, relative to the row's parent
  bool FromClick = false;  // opened by a right click in button mode
  // The press that asked, in the row's coordinates: the wheel goes on with
  // it.
  int PressX = 0;
  int PressY = 0;
  Qt::MouseButton Button = Qt::LeftButton;
};

// What every row of a rack shares: the main window's step edit mode, the
// mouse option, whether the current pattern is playing, the value gesture's
// target, and the hooks to the owner.
struct TStepRowShared {
  const TStepRowImages* Images = nullptr;
  int StepEditMode = EditSteps;
  // The mode went to 1 by a right click: releasing the wheel returns to 0.
  bool StepEditModeFromClick = false;
  bool BothMouseButtons = true;
  // The current pattern is one of the patterns playing now.
  bool PatternPlaying = false;
  // The value gesture's target (ValueEditRow, ValueEditStep, ValueEditLane).
  int ValueEditRow = -1;
  int ValueEditStep = -1;
  int ValueEditLane = -1;
  // The owner's floating value wheel takes over.
  std::function<void(const TValueEditRequest&)> OnValueEdit;
  // The owner switches every row to another mode (a right click in button
  // mode asks for mode 1).
  std::function<void(int mode)> SetStepEditMode;
  // A step's values other than its on bit changed (the piano roll repaints).
  std::function<void(int row, int step)> OnStepValuesChanged;
};

class TTechno16 : public TQuickGraphicControl {
  Q_OBJECT

public:
  TTechno16(TStepRowShared& shared, QWidget* parent = nullptr);

  // The channel number.
  int Tag() const { return FTag; }
  void SetTag(int tag) { FTag = tag; }

  // Where the cells and the lamps lie; a row that shows its lamps is 46
  // pixels high, else 27. Sizes the row to the visible steps and repaints.
  void SetRowLayout(bool showsLamps, int cellTop, int lampTop);
  bool ShowsLamps() const { return FShowsLamps; }
  int CellTop() const { return FCellTop; }
  int LampTop() const { return FLampTop; }

  // Redraws every cell and lamp (pattern, length, visible steps, mode or
  // pictures changed) and sizes the row to the visible steps.
  void RedrawAll();
  // Redraws one step's cell.
  void DrawStep(int step);
  // Redraws the bars of the on steps in from..to that are visible, leaving
  // out except (the floating wheel being dragged over the row; in the row's
  // coordinates), when it is not empty.
  void DrawStepValues(int from, int to, const TRect& except = {});
  void DrawLampImage(int step, int frame);
  // Lit when the step is the play step and the current pattern plays.
  void DrawLamp(int step);
  // The play lamp moves to step (redrawn only where it changed).
  void SetPlayStep(int step);
  int PlayStep() const { return FPlayStep; }
  // The lit lamp goes dark.
  void HidePlayStep();

  // The frame a step's cell shows now (for tests and the lamp window).
  int CellFrame(int step) const;

protected:
  void Paint(TCanvas& canvas) override;
  void paintEvent(QPaintEvent* event) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;

private:
  TChannel* Channel() const;
  void PaintCell(QPainter& p, int step);
  void PaintBars(QPainter& p, int x, int step);
  void PaintLamp(QPainter& p, int step, int frame);
  void ValueGesture(const TMouseInfo& mouse);
  bool Visible(int step) const;

  TStepRowShared& Shared;
  int FTag = 0;
  bool Painting = false;
  int PaintState = 2;  // 0 off, 1 on, 2 not decided yet
  int FPlayStep = -1;
  int LampStep = -1;
  int FCellTop = 0;
  int FLampTop = StepCellHeight;
  bool FShowsLamps = false;
  // The row's picture: cells and lamps as last drawn.
  QImage Picture;
};

}  // namespace vs
