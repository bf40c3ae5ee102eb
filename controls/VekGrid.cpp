#include "controls/VekGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <utility>
#include <vector>

#include "controls/Canvas.h"

namespace vs {

TVekGrid::TVekGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName("VekGrid");
  setFocusPolicy(Qt::StrongFocus);
  Cols.DefaultSize = 64;
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent, true);
  resize(320, 120);
  UpdateScrollBars();
}

void TVekGrid::Changed() {
  Cols.Fixed = std::clamp(Cols.Fixed, 0, std::max(Cols.Count - 1, 0));
  Rows.Fixed = std::clamp(Rows.Fixed, 0, std::max(Rows.Count - 1, 0));
  FCol = std::clamp(FCol, Cols.Fixed, std::max(Cols.Count - 1, Cols.Fixed));
  FRow = std::clamp(FRow, Rows.Fixed, std::max(Rows.Count - 1, Rows.Fixed));
  Cols.ClampFirst(viewport()->width());
  Rows.ClampFirst(viewport()->height());
  UpdateScrollBars();
  viewport()->update();
}

void TVekGrid::SetColCount(int count) {
  Cols.Count = std::max(count, 1);
  Changed();
}
void TVekGrid::SetRowCount(int count) {
  Rows.Count = std::max(count, 1);
  Changed();
}
void TVekGrid::SetFixedCols(int count) {
  Cols.Fixed = std::max(count, 0);
  Changed();
}
void TVekGrid::SetFixedRows(int count) {
  Rows.Fixed = std::max(count, 0);
  Changed();
}
void TVekGrid::SetDefaultColWidth(int width) {
  Cols.DefaultSize = std::max(width, 0);
  Cols.Sizes.clear();
  Changed();
}
void TVekGrid::SetDefaultRowHeight(int height) {
  Rows.DefaultSize = std::max(height, 0);
  Rows.Sizes.clear();
  Changed();
}

void TVekGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= Cols.Count) return;
  if (static_cast<int>(Cols.Sizes.size()) <= col) Cols.Sizes.resize(col + 1, Cols.DefaultSize);
  Cols.Sizes[col] = std::max(width, 0);
  Changed();
}

void TVekGrid::SetRowHeight(int row, int height) {
  if (row < 0 || row >= Rows.Count) return;
  if (static_cast<int>(Rows.Sizes.size()) <= row) Rows.Sizes.resize(row + 1, Rows.DefaultSize);
  Rows.Sizes[row] = std::max(height, 0);
  Changed();
}

void TVekGrid::SetGridLineWidth(int width) {
  Cols.LineWidth = Rows.LineWidth = std::max(width, 0);
  Changed();
}

void TVekGrid::SetLeftCol(int col) {
  const int old = Cols.First;
  Cols.First = col;
  Cols.ClampFirst(viewport()->width());
  if (Cols.First == old) return;
  UpdateScrollBars();
  viewport()->update();
  if (OnTopLeftChanged) OnTopLeftChanged(*this);
}

void TVekGrid::SetTopRow(int row) {
  const int old = Rows.First;
  Rows.First = row;
  Rows.ClampFirst(viewport()->height());
  if (Rows.First == old) return;
  UpdateScrollBars();
  viewport()->update();
  if (OnTopLeftChanged) OnTopLeftChanged(*this);
}

int TVekGrid::VisibleColCount() const {
  return std::max(0, Cols.LastVisible(viewport()->width()) - Cols.First + 1);
}

int TVekGrid::VisibleRowCount() const {
  return std::max(0, Rows.LastVisible(viewport()->height()) - Rows.First + 1);
}

QRect TVekGrid::CellRect(int col, int row) const {
  const int x = Cols.Start(col);
  const int y = Rows.Start(row);
  if (x < 0 || y < 0) return {};
  return {x, y, Cols.Size(col), Rows.Size(row)};
}

bool TVekGrid::MouseToCell(const QPoint& point, int& col, int& row) const {
  col = Cols.At(point.x());
  row = Rows.At(point.y());
  return col >= 0 && row >= 0;
}

void TVekGrid::FocusCell(int col, int row, bool scrollIntoView) {
  col = std::clamp(col, Cols.Fixed, Cols.Count - 1);
  row = std::clamp(row, Rows.Fixed, Rows.Count - 1);
  if (col != FCol || row != FRow) {
    bool allow = true;
    if (OnSelectCell) OnSelectCell(*this, col, row, allow);
    if (!allow) return;
    const QRect old = CellRect(FCol, FRow);
    FCol = col;
    FRow = row;
    viewport()->update(old);
  }
  if (scrollIntoView) {
    const int oldLeft = Cols.First, oldTop = Rows.First;
    Cols.ScrollInView(FCol, viewport()->width());
    Rows.ScrollInView(FRow, viewport()->height());
    if (oldLeft != Cols.First || oldTop != Rows.First) {
      UpdateScrollBars();
      viewport()->update();
      if (OnTopLeftChanged) OnTopLeftChanged(*this);
    }
  }
  viewport()->update(CellRect(FCol, FRow));
}

void TVekGrid::MoveTo(int col, int row) {
  col = std::min(col, Cols.Count - 1);
  row = std::min(row, Rows.Count - 1);
  if (col == FCol && row == FRow) return;
  FocusCell(col, row, false);
}

void TVekGrid::InvalidateCol(int col) {
  if (col < 0) return;
  const int x = Cols.Start(col);
  if (x < 0) return;
  viewport()->update(QRect(x, 0, Cols.Size(col), viewport()->height()));
}

void TVekGrid::InvalidateRow(int row) {
  if (row < 0) return;
  const int y = Rows.Start(row);
  if (y < 0) return;
  viewport()->update(QRect(0, y, viewport()->width(), Rows.Size(row)));
}

void TVekGrid::UpdateScrollBars() {
  if (Updating) return;
  Updating = true;
  horizontalScrollBar()->setRange(Cols.Fixed, std::max(Cols.Fixed, Cols.MaxFirst(viewport()->width())));
  horizontalScrollBar()->setPageStep(std::max(1, VisibleColCount()));
  horizontalScrollBar()->setValue(Cols.First);
  verticalScrollBar()->setRange(Rows.Fixed, std::max(Rows.Fixed, Rows.MaxFirst(viewport()->height())));
  verticalScrollBar()->setPageStep(std::max(1, VisibleRowCount()));
  verticalScrollBar()->setValue(Rows.First);
  Updating = false;
}

void TVekGrid::scrollContentsBy(int, int) {
  if (Updating) return;
  SetLeftCol(horizontalScrollBar()->value());
  SetTopRow(verticalScrollBar()->value());
}

void TVekGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Changed();
}

void TVekGrid::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  const QRect area = event->rect();
  p.fillRect(area, ToQColor(LineColor));
  // The cells in view along each axis with where they start, walked once.
  auto inView = [](const TGridAxis& axis, int extent, int from, int to) {
    std::vector<std::pair<int, int>> cells;
    int at = 0;
    auto take = [&](int i) {
      const int size = axis.Size(i);
      if (at + size > from && at <= to) cells.emplace_back(i, at);
      at += size + axis.LineWidth;
    };
    for (int i = 0; i < std::min(axis.Fixed, axis.Count) && at < extent; ++i) take(i);
    for (int i = std::max(axis.First, axis.Fixed); i < axis.Count && at < extent; ++i) take(i);
    return cells;
  };
  const auto cols = inView(Cols, viewport()->width(), area.left(), area.right());
  const auto rows = inView(Rows, viewport()->height(), area.top(), area.bottom());
  for (const auto& [row, y] : rows) {
    for (const auto& [col, x] : cols) {
      const QRect r(x, y, Cols.Size(col), Rows.Size(row));
      if (r.isEmpty()) continue;
      unsigned state = 0;
      if (col < Cols.Fixed || row < Rows.Fixed) state |= gdFixed;
      else if (col == FCol && row == FRow) state |= gdSelected | (hasFocus() ? gdFocused : 0);
      if (!OnDrawCell) {
        p.fillRect(r, ToQColor((state & gdFixed) ? ClBtnFace : (state & gdSelected) ? ClHighlight : ClWindow));
        continue;
      }
      if (ClipCells) {
        p.save();
        p.setClipRect(r);
      }
      OnDrawCell(*this, col, row, r, state, p);
      if (ClipCells) p.restore();
    }
  }
}

void TVekGrid::mousePressEvent(QMouseEvent* event) {
  setFocus();
  int col, row;
  if (event->button() == Qt::LeftButton && MouseToCell(event->position().toPoint(), col, row) &&
      col >= Cols.Fixed && row >= Rows.Fixed)
    FocusCell(col, row, true);
  QAbstractScrollArea::mousePressEvent(event);
}

void TVekGrid::mouseMoveEvent(QMouseEvent* event) {
  int col, row;
  if ((event->buttons() & Qt::LeftButton) && MouseToCell(event->position().toPoint(), col, row) &&
      col >= Cols.Fixed && row >= Rows.Fixed)
    FocusCell(col, row, true);
  QAbstractScrollArea::mouseMoveEvent(event);
}

void TVekGrid::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left: FocusCell(FCol - 1, FRow, true); break;
    case Qt::Key_Right: FocusCell(FCol + 1, FRow, true); break;
    case Qt::Key_Up: FocusCell(FCol, FRow - 1, true); break;
    case Qt::Key_Down: FocusCell(FCol, FRow + 1, true); break;
    case Qt::Key_PageUp: FocusCell(FCol, FRow - std::max(1, VisibleRowCount()), true); break;
    case Qt::Key_PageDown: FocusCell(FCol, FRow + std::max(1, VisibleRowCount()), true); break;
    case Qt::Key_Home: FocusCell(Cols.Fixed, FRow, true); break;
    case Qt::Key_End: FocusCell(Cols.Count - 1, FRow, true); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
}

}  // namespace vs
