#pragma once
// A paint box that repaints at once: its owner draws it in OnPaint (the
// sync beat lamp, small custom displays) and calls QuickPaint to show a
// change within the same turn.

#include "controls/QuickGraphicControl.h"

namespace vs {

class TQuickPaintBox : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TQuickPaintBox(QWidget* parent = nullptr);

  TPaintEvent OnPaint;

protected:
  void Paint(TCanvas& canvas) override;
};

}  // namespace vs
