#include "controls/ValueControl.h"

namespace vs {

TValueControl::TValueControl(QWidget* parent) : TQuickGraphicControl(parent) {}

bool TValueControl::ChangeValue(int64_t value, bool notify) {
  const int32_t clamped = ClampValue(value, FMin, FMax);
  const bool changed = clamped != FValue;
  if (changed) {
    FValue = clamped;
    ValueChanged();
  }
  if (notify && (changed || NotifyUnchanged) && OnChange) OnChange(this);
  return changed;
}

bool TValueControl::ResetToDefault() {
  if (!HasDefault()) return false;
  return ChangeValue(FDefault, true);
}

void TValueControl::EndGesture() {
  if (OnRelease) OnRelease(this);
}

}  // namespace vs
