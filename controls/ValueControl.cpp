#include "controls/ValueControl.h"

#include <QKeyEvent>

namespace vs {

TValueControl::TValueControl(QWidget* parent) : TQuickGraphicControl(parent) {}

bool TValueControl::ChangeValue(int64_t value, bool notify) {
  const int32_t clamped = Clamped(value);
  const bool changed = clamped != FValue;
  if (changed) {
    FValue = clamped;
    ValueChanged();
  }
  if (notify && (changed || NotifyUnchanged) && OnChange) OnChange(this);
  return changed;
}

int32_t TValueControl::Clamped(int64_t value) const { return ClampValue(value, FMin, FMax); }

bool TValueControl::ResetToDefault() {
  if (!HasDefault()) return false;
  return ChangeValue(FDefault, true);
}

void TValueControl::EndGesture() {
  if (OnRelease) OnRelease(this);
}

std::optional<int64_t> TValueControl::StepKeyTarget(int key, const TStepKeys& keys) const {
  const int64_t v = FValue;
  switch (key) {
    case Qt::Key_PageUp: return v - keys.PageSize;
    case Qt::Key_PageDown: return v + keys.PageSize;
    case Qt::Key_End: return FMax;
    case Qt::Key_Home: return FMin;
    case Qt::Key_Left: return v - keys.LineSize;
    case Qt::Key_Right: return v + keys.LineSize;
    case Qt::Key_Up:
      if (keys.UpDownKeys) return v - keys.LineSize;
      return std::nullopt;
    case Qt::Key_Down:
      if (keys.UpDownKeys) return v + keys.LineSize;
      return std::nullopt;
    // The middle, truncated toward zero.
    case Qt::Key_Insert: return (int64_t(FMin) + FMax) / 2;
    default: return std::nullopt;
  }
}

bool TValueControl::StepKeyPress(QKeyEvent* event, const TStepKeys& keys) {
  const std::optional<int64_t> target = StepKeyTarget(event->key(), keys);
  if (!target) return false;
  KeyChange(*target);
  KeyHeld = true;
  event->accept();
  return true;
}

bool TValueControl::StepKeyRelease(QKeyEvent* event, const TStepKeys& keys) {
  if (!StepKeyTarget(event->key(), keys)) return false;
  // A held key repeats its presses; only the last release ends it.
  if (!event->isAutoRepeat()) {
    KeyHeld = false;
    EndGesture();
  }
  event->accept();
  return true;
}

void TValueControl::StepKeysFocusOut() {
  if (!KeyHeld) return;
  KeyHeld = false;
  EndGesture();
}

}  // namespace vs
