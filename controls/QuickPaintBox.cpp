#include "controls/QuickPaintBox.h"

namespace vs {

TQuickPaintBox::TQuickPaintBox(QWidget* parent) : TQuickGraphicControl(parent) { resize(64, 64); }

void TQuickPaintBox::Paint(TCanvas& canvas) {
  if (OnPaint) OnPaint(this, canvas);
}

}  // namespace vs
