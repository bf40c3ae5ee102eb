#pragma once
// The spin edit: an integer edit box (TPickNum) with two stacked arrows
// (TSpinButton) at its right edge, for note, patch, bank, controller and
// cut-group numbers.
//
// - The value lives in the text: a text that is no number reads as
//   MinValue. Setting it writes the value clamped to MinValue..MaxValue
//   (no clamping while the two are equal).
// - An arrow press (any button) steps by Increment at once, after 200 ms
//   and then every 50 ms while held; the Up and Down keys step too.
// - Typing: '+', '-', digits and editing keys while EditorEnabled; without
//   it the box can only be stepped. Leaving the box rewrites a value out of
//   range clamped.
// - Entering it selects the whole number (AutoSelect); entered by a click,
//   once the button comes up without a selection dragged.

#include <QLineEdit>
#include <QWidget>
#include <functional>

#include "controls/QuickGraphicControl.h"

namespace vs {

class TTimerSpeedButton;

class TSpinButton : public QWidget {
  Q_OBJECT

public:
  explicit TSpinButton(QWidget* parent = nullptr);

  // Takes the focus when an arrow is pressed (not owned; forgotten when it
  // is destroyed).
  QWidget* FocusControl() const { return FFocusControl; }
  void SetFocusControl(QWidget* control);

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

  TTimerSpeedButton* UpArrow() const { return Arrows[0]; }
  TTimerSpeedButton* DownArrow() const { return Arrows[1]; }
  // The arrow that Space clicks: 0 up, 1 down.
  int FocusedArrow() const { return Focused; }

protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  void Arrange();
  void ClickArrow(int index);
  void ArrowPressed(int index, const TMouseInfo& mouse);

  TTimerSpeedButton* Arrows[2] = {nullptr, nullptr};
  int Focused = 0;
  QWidget* FFocusControl = nullptr;
  QMetaObject::Connection FocusControlGone;
};

class TPickNum : public QLineEdit {
  Q_OBJECT

public:
  explicit TPickNum(QWidget* parent = nullptr);

  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t value) { FMinValue = value; }
  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t value) { FMaxValue = value; }
  int32_t Increment = 1;
  bool AutoSelect = true;
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool enabled);

  // The text as a number (MinValue when it is none).
  int32_t Value() const;
  // The text := the value clamped by ClampValue.
  void SetValue(int64_t value);
  int64_t ClampValue(int64_t value) const;
  // The width that shows every value of the range whole beside the arrows,
  // in the box's font.
  int FittingWidth() const;

  void UpClick() { SetValue(int64_t(Value()) + Increment); }
  void DownClick() { SetValue(int64_t(Value()) - Increment); }

  // Fired at every change of the text, typed, stepped or set.
  TNotifyEvent OnChange;

  TSpinButton* Button() const { return FButton; }

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  bool CanCutAndPaste() const { return FEditorEnabled && !isReadOnly(); }
  TSpinButton* FButton = nullptr;
  int32_t FMinValue = 0;
  int32_t FMaxValue = 0;
  bool FEditorEnabled = true;
  bool SelectOnRelease = false;  // a click brought the focus in
};

}  // namespace vs
