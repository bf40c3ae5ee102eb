#pragma once
// The base of the value controls (wheels, knobs, sliders, number bars,
// selectors, spin controls): it holds the value, its range and its default
// and keeps the rules they share in one place.
//
// - SetValue (code): clamps to Min..Max, stores, repaints at once; never an
//   event.
// - ChangeValue (every user gesture and key): the same, then OnChange when
//   the value changed (or always, for controls that set NotifyUnchanged).
// - ResetToDefault (the reset gesture): ChangeValue to DefaultValue, when
//   the control has one.
// - EndGesture: the gesture is over; fires OnRelease.
//
// A concrete control paints (Paint) and maps the mouse and keys to
// ChangeValue; ValueChanged runs after every stored change (by default a
// QuickPaint) for controls that place a knob or text first.

#include <cstdint>
#include <optional>

#include "controls/QuickGraphicControl.h"

class QKeyEvent;

namespace vs {

class TValueControl : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TValueControl(QWidget* parent = nullptr);

  int32_t Value() const { return FValue; }
  // The plain setter: clamp, store, repaint; no event.
  void SetValue(int32_t value) { ChangeValue(value, false); }

  int32_t Min() const { return FMin; }
  int32_t Max() const { return FMax; }
  // Plain fields: the value is clamped at its next change.
  void SetMin(int32_t min) { FMin = min; }
  void SetMax(int32_t max) { FMax = max; }

  // The value the reset gesture returns to; NoDefault() when there is none.
  int32_t DefaultValue() const { return FDefault; }
  void SetDefaultValue(int32_t value) { FDefault = value; }
  int32_t NoDefault() const { return FNoDefault; }
  bool HasDefault() const { return FDefault != FNoDefault; }

  // Clamp (below Min gives Min, else above Max gives Max), store, repaint;
  // with notify, OnChange. True when the value changed.
  bool ChangeValue(int64_t value, bool notify);
  // ChangeValue(DefaultValue, notify); false without a default. Controls
  // whose reset also ends a gesture add that.
  virtual bool ResetToDefault();
  // Fires OnRelease.
  void EndGesture();

  TNotifyEvent OnChange;
  TNotifyEvent OnRelease;

protected:
  // The mark of "no default" (the wheels' -1, the sliders' 2147483647); the
  // default value becomes that mark too.
  void SetNoDefaultMark(int32_t mark) { FNoDefault = FDefault = mark; }
  // Gestures fire OnChange even when the value stays.
  bool NotifyUnchanged = false;
  // After a stored change, before OnChange.
  virtual void ValueChanged() { QuickPaint(); }
  // The value a change stores: below Min gives Min, else above Max gives
  // Max. Controls whose range rule differs give their own.
  virtual int32_t Clamped(int64_t value) const;

  // The stepping keys of bars and sliders: Page Up and Page Down by
  // PageSize, Home and End to the ends, Left and Right (and Up and Down with
  // UpDownKeys) by LineSize, Insert to the middle. A press changes the value
  // through KeyChange; the gesture lasts until the key's last release or
  // until the focus goes, and then fires OnRelease. StepKeyPress and
  // StepKeyRelease are true when they took the key.
  struct TStepKeys {
    int32_t LineSize = 1;
    int32_t PageSize = 10;
    bool UpDownKeys = false;
  };
  bool StepKeyPress(QKeyEvent* event, const TStepKeys& keys);
  bool StepKeyRelease(QKeyEvent* event, const TStepKeys& keys);
  // The focus came: no key is held. The focus went: a held key ends.
  void StepKeysFocusIn() { KeyHeld = false; }
  void StepKeysFocusOut();
  virtual void KeyChange(int64_t value) { ChangeValue(value, true); }

private:
  std::optional<int64_t> StepKeyTarget(int key, const TStepKeys& keys) const;
  bool KeyHeld = false;
  int32_t FValue = 0;
  int32_t FMin = 0;
  int32_t FMax = 100;
  int32_t FNoDefault = -1;
  int32_t FDefault = -1;
};

}  // namespace vs
