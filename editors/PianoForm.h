#pragma once
// The piano roll and step graph: a borderless strip that opens under one
// channel's step row and edits that channel's steps of the edited pattern
// (and, for keys, on/off and slides, those of every selected channel).
//
// - Keyboard view: a column of octaves per step; a left drag switches the
//   steps it crosses on with the key under the pointer, a right drag
//   switches them off; with Ctrl the drag moves the step's key and
//   transposes the whole pattern with it. Dragging past the visible keys
//   scrolls them. Synthesizer channels also get a row of slide marks.
// - Graph view: one step plane (the lane) as bars; a left drag writes the
//   value under the pointer, a right drag a straight line from where it
//   was pressed.
//
// Each view keeps a picture of its step columns and repaints per step.

#include <QImage>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <climits>
#include <functional>
#include <string>

#include "controls/ImageList.h"
#include "editors/PianoMaps.h"
#include "model/SongListener.h"

namespace vs {

class TChannel;
class TNumBar;
class TMultiLang;

// A box of the piano roll: a picture its owner draws per step, and the
// mouse handed to the owner in the box's coordinates.
class TPianoBox : public QWidget {
  Q_OBJECT

public:
  TPianoBox(const char* name, QWidget* parent);
  QImage Picture;
  std::function<void(QMouseEvent* event)> OnMouseDown;
  std::function<void(QMouseEvent* event)> OnMouseMove;
  std::function<void(QMouseEvent* event)> OnMouseUp;

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TPianoForm : public QWidget, public SongListener {
  Q_OBJECT

public:
  explicit TPianoForm(QWidget* parent = nullptr);
  ~TPianoForm() override;

  QWidget* KeybPanel = nullptr;
  TPianoBox* KeybBox = nullptr;
  TPianoBox* DrawBox = nullptr;
  TPianoBox* SlideBox = nullptr;
  TNumBar* FXSelect = nullptr;
  QTimer ScrollTimer;
  TImageList KeybIL;
  TImageList KeybNoteIL;
  TImageList TSSlideIL;

  // Opens for a channel under its step row (rowOnScreen: the row's place on
  // the screen), without taking the focus.
  void ShowForChannel(int channel, const QRect& rowOnScreen);
  void PlaceUnderChannel(const QRect& rowOnScreen);
  int Channel() const { return FChannel; }
  // 0 keyboard view, 1 graph view; kept while the window hides.
  void SetViewMode(int mode);
  int ViewMode() const { return FViewMode; }
  // The graph's plane (0..6 for sample channels).
  void SelectLane(int plane);
  int Lane() const { return FLane; }
  void FXVolSelectClick(int tag) { SelectLane(tag); }
  // The shown view repaints (pattern, visible steps or channel changed).
  void RepaintPianoForm();
  // One step column of each view.
  void PaintKeybStep(int step);
  void PaintGraphStep(int step);
  void PaintSlideStep(int step);

  std::function<void(const std::string& text)> OnShowInfo;
  // The main window's two view buttons follow the view (-1: the window
  // hid, no view shows).
  std::function<void(int mode)> OnViewModeChanged;
  // Channels came or went around the shown one: it has another number now
  // and the window goes under its row again.
  std::function<void()> OnChannelMoved;

  // SongListener. The window shows one channel: when channels come or go it
  // follows that channel to its new number, and hides when it is deleted.
  void StepOnChanged(int channel, int pattern, int step) override;
  void StepsChanged(int index) override;
  void ChannelListChanged() override;
  void SongReplaced(TSong& song) override;
  // The edited pattern or its length changed: the window repaints.
  void SongValueChanged(TSongValue value) override;

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  bool Synth() const;
  void Arrange();
  void LaneChanged();
  void KeybDrag(QMouseEvent* event);
  void KeybRelease();
  void SlideDrag(QMouseEvent* event);
  void GraphPress(QMouseEvent* event);
  void GraphMove(QMouseEvent* event);
  void WriteGraphValue(int step, int y);
  void ScrollTimerTimer();
  // The shown channel when the step's column lies in the box's picture
  // (x: the column's left edge), else null.
  const TChannel* PaintTarget(const TPianoBox& box, int step, int& x) const;

  int FChannel = 0;
  const TChannel* ShownChannel = nullptr;  // the channel FChannel names
  int FViewMode = PianoKeyboardView;
  int FLane = 1;
  int LastKey = INT_MAX;
  int LastStep = -1;
  int ScrollDirection = 0;
  int AnchorStep = 0;
  int AnchorY = 0;
  bool Capturing = false;
};

}  // namespace vs
