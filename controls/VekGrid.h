#pragma once
// The draw grid: ColCount x RowCount cells of which the first FixedCols
// columns and FixedRows rows stay in place while the others scroll; the
// owner paints every cell in OnDrawCell. The current cell (Col, Row) moves
// with clicks and the arrow keys, asking OnSelectCell first; it is drawn
// with the selected state. The playlist window is one.
//
// TVekGrid adds three helpers: MoveTo (focus a cell without scrolling it
// into view), InvalidateCol and InvalidateRow (repaint a column or a row
// over the whole height or width of the view).

#include <QAbstractScrollArea>
#include <functional>

#include "controls/GridMaps.h"
#include "toolbox/AllTools.h"

namespace vs {

// How a cell is drawn.
enum TGridDrawState : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

class TVekGrid : public QAbstractScrollArea {
  Q_OBJECT

public:
  explicit TVekGrid(QWidget* parent = nullptr);

  int ColCount() const { return Cols.Count; }
  int RowCount() const { return Rows.Count; }
  void SetColCount(int count);
  void SetRowCount(int count);
  int FixedCols() const { return Cols.Fixed; }
  int FixedRows() const { return Rows.Fixed; }
  void SetFixedCols(int count);
  void SetFixedRows(int count);
  int DefaultColWidth() const { return Cols.DefaultSize; }
  int DefaultRowHeight() const { return Rows.DefaultSize; }
  void SetDefaultColWidth(int width);
  void SetDefaultRowHeight(int height);
  int ColWidth(int col) const { return Cols.Size(col); }
  int RowHeight(int row) const { return Rows.Size(row); }
  void SetColWidth(int col, int width);
  void SetRowHeight(int row, int height);
  int GridLineWidth() const { return Cols.LineWidth; }
  void SetGridLineWidth(int width);

  // The current cell.
  int Col() const { return FCol; }
  int Row() const { return FRow; }
  // Moves the current cell there (asking OnSelectCell) and scrolls it into
  // view.
  void SetCol(int col) { FocusCell(col, FRow, true); }
  void SetRow(int row) { FocusCell(FCol, row, true); }
  // The first scrolling column and row shown.
  int LeftCol() const { return Cols.First; }
  int TopRow() const { return Rows.First; }
  void SetLeftCol(int col);
  void SetTopRow(int row);
  int VisibleColCount() const;
  int VisibleRowCount() const;

  // The cell's rectangle in the view (empty while it is scrolled away).
  QRect CellRect(int col, int row) const;
  // The cell under a point of the view; false outside every cell.
  bool MouseToCell(const QPoint& point, int& col, int& row) const;

  // Each clamped to the last column and row; when the current cell is not
  // already there, focuses that cell without scrolling it into view.
  void MoveTo(int col, int row);
  // Repaints a column from the top of the view to its bottom (col >= 0),
  // or a row from the left to the right (row >= 0).
  void InvalidateCol(int col);
  void InvalidateRow(int row);

  // The colour of the lines between the cells (and of the area past the
  // last cell).
  TColor LineColor = 0x80000010;  // the scheme's button shadow
  // Each cell is drawn clipped to its rectangle; an owner whose drawing
  // keeps inside its cells turns this off and saves the clip's cost.
  bool ClipCells = true;

  std::function<void(TVekGrid& grid, int col, int row, const QRect& rect, unsigned state, QPainter& painter)>
      OnDrawCell;
  // Asked before the current cell moves; setting allow to false keeps it.
  std::function<void(TVekGrid& grid, int col, int row, bool& allow)> OnSelectCell;
  // The grid scrolled (LeftCol or TopRow changed).
  std::function<void(TVekGrid& grid)> OnTopLeftChanged;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

private:
  void FocusCell(int col, int row, bool scrollIntoView);
  void Changed();
  void UpdateScrollBars();
  TGridAxis Cols;
  TGridAxis Rows;
  int FCol = 1;
  int FRow = 1;
  bool Updating = false;
};

}  // namespace vs
