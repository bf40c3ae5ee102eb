#pragma once
// A pad of NumCols x NumRows choices (the pattern pad, the effect-route and
// reverb-type pickers). Its glyph holds two pictures side by side, each the
// size of the pad: the left one the normal look, the right one the selected
// look, which shows in the chosen cell. Cells are numbered row by row.
//
// A press (any button) chooses the cell under the pointer; dragging with the
// right button held sweeps the choice. Setting Value from code repaints and
// fires no event.

#include "controls/ValueControl.h"

namespace vs {

class TSelector : public TValueControl {
  Q_OBJECT

public:
  explicit TSelector(QWidget* parent = nullptr);

  int32_t NumCols() const { return FNumCols; }
  int32_t NumRows() const { return FNumRows; }
  // At least 1 each.
  void SetNumCols(int32_t cols);
  void SetNumRows(int32_t rows);

  const QImage& Glyph() const { return FGlyph; }
  // Copies the picture; the pad takes half its width and its height.
  void SetGlyph(const QImage& glyph);

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;

private:
  void ChooseAt(int x, int y);
  int32_t FNumCols = 3;
  int32_t FNumRows = 3;
  QImage FGlyph;
};

}  // namespace vs
