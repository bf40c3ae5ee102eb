#include "controls/Selector.h"

#include <algorithm>
#include <climits>

namespace vs {

TSelector::TSelector(QWidget* parent) : TValueControl(parent) {
  // A cell number needs no range of its own: a value past the pad (a
  // pattern beyond the pad's nine) simply shows no cell chosen.
  SetMin(INT_MIN);
  SetMax(INT_MAX);
  SetValue(4);
}

void TSelector::SetNumCols(int32_t cols) {
  FNumCols = std::max<int32_t>(cols, 1);
  update();
}

void TSelector::SetNumRows(int32_t rows) {
  FNumRows = std::max<int32_t>(rows, 1);
  update();
}

void TSelector::SetGlyph(const QImage& glyph) {
  FGlyph = glyph;
  if (!FGlyph.isNull()) resize(FGlyph.width() / 2, FGlyph.height());
  update();
}

void TSelector::Paint(TCanvas& canvas) {
  if (FGlyph.isNull()) {
    canvas.FillRect(TRect::Sized(0, 0, width(), height()), Color());
    return;
  }
  const TRect cell = SelectorCellRect(Value(), width(), height(), FNumCols, FNumRows);
  canvas.Save();
  canvas.IntersectClip(cell);
  if (!cell.IsEmpty() && !canvas.ClipEmpty()) canvas.Draw(-width(), 0, FGlyph);
  canvas.Restore();
  canvas.Save();
  canvas.ExcludeClip(cell);
  canvas.Draw(0, 0, FGlyph);
  canvas.Restore();
}

void TSelector::ChooseAt(int x, int y) {
  ChangeValue(SelectorCellAt(x, y, width(), height(), FNumCols, FNumRows), true);
}

void TSelector::MouseDown(const TMouseInfo& mouse) {
  ChooseAt(mouse.X, mouse.Y);
  TValueControl::MouseDown(mouse);
}

void TSelector::MouseMove(const TMouseInfo& mouse) {
  if (mouse.Buttons & Qt::RightButton) ChooseAt(mouse.X, mouse.Y);
  TValueControl::MouseMove(mouse);
}

}  // namespace vs
