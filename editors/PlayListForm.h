#pragma once
// The playlist window: the song's arrangement as a grid with one column per
// pattern and one row per bar, where a bullet marks that a pattern plays at
// a bar. Column 0 holds the bar numbers (a left press there jumps to the
// bar, a right press moves the marker); row 0 the pattern names, turned on
// their side (a left press makes the pattern the edited one, a right press
// names it). Pattern cells are painted and erased by dragging; Ctrl with
// the left button selects a block of cells (the loop), which the Edit menu
// cuts, copies and pastes; Insert and Delete add and remove bar rows.
//
// The window is a view of the current song: it changes the playlist only
// through the playlist's setter and the playlist commands, and follows the
// song's notifications. Painting goes per cell: a change repaints the cells
// it touched, the playing bar's row and the edited pattern's column.

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "controls/ImageList.h"
#include "controls/VekGrid.h"
#include "core/PlaylistCommands.h"
#include "framework/ActionTable.h"
#include "model/SongListener.h"

#include <QLabel>

class QAction;
class QMenu;

namespace vs {

class TMultiLang;
class TMyTransButton;
class TPlayListForm;
struct TPreferences;
struct TControlBounds;
using TStoredBounds = TControlBounds;

// A panel of the window's status bar: a small recessed readout.
class TStatusPanel : public QLabel {
  Q_OBJECT

public:
  using QLabel::QLabel;

protected:
  void paintEvent(QPaintEvent* event) override;
};

// The grid whose mouse gestures and keys the window handles.
class TPlayListGrid : public TVekGrid {
  Q_OBJECT

public:
  TPlayListGrid(TPlayListForm& form, QWidget* parent);

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

private:
  TPlayListForm& Form;
};

class TPlayListForm : public QWidget, public SongListener {
  Q_OBJECT

public:
  explicit TPlayListForm(TPreferences& prefs, QWidget* parent = nullptr);
  ~TPlayListForm() override;

  TVekGrid& ListGridBit() { return *Grid; }
  // The Edit menu's items and keys.
  const TActionTable& Actions() const { return MenuActions; }
  TMyTransButton* InsBtn = nullptr;
  QMenu* PLMenu = nullptr;
  QAction* CutMenu = nullptr;
  QAction* CopyMenu = nullptr;
  QAction* PasteMenu = nullptr;
  QAction* InsRowMenu = nullptr;
  QAction* DelRowMenu = nullptr;

  // What the window asks of the main window.
  // The info bar shows a text.
  std::function<void(const std::string& text)> OnShowInfo;
  // The pattern selector goes to a pattern (the edited pattern changes);
  // without it the sequencer's selector command runs.
  std::function<void(int pattern)> OnEditPattern;
  // The window's close: the main window's playlist command (its check
  // follows); without it the window hides.
  std::function<void()> OnCloseRequest;

  // The header row as tall as the widest pattern name (at least 22); the
  // window's height changes by as much as the header.
  void FitPlaylistHeader();
  int HeaderHeight() const;
  // Repaints one whole column (pattern) or row (row = bar + 1), a range of
  // cells, or every cell.
  void InvalidatePlaylistColumn(int pattern);
  void InvalidatePlaylistRow(int row);
  void RepaintCells(int col0, int row0, int col1, int row1);
  void RepaintAllCells();
  // The playing bar or the edited pattern moved: their rows and columns
  // repaint (the engine's step reports and the pattern selector call this).
  void FollowPosition();

  // Bounds as the settings keep them; the size is snapped to whole cells.
  void LoadBounds(const TStoredBounds& bounds);
  void StoreBounds(TStoredBounds& bounds) const;
  // The window has a place: stored (other than the one it is made at), or
  // given when it first opened.
  bool Placed = false;
  // The size nearest to (width, height) that shows whole cells.
  QSize SnappedSize(const QSize& size) const;

  // The Edit menu.
  void CutMenuClick();
  void CopyMenuClick();
  void PasteMenuClick();
  void InsRowMenuClick();
  void DelRowMenuClick();
  // Names a pattern through the pattern-name editor placed near at (screen
  // coordinates); the name changes only when the editor is left with OK.
  void EditPatternName(int pattern, const QPoint& at);

  // The grid's gestures.
  void ListGridBitMouseDown(QMouseEvent* event);
  void ListGridBitMouseMove(const QPoint& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  void ListGridBitMouseUp();
  void ListGridBitDblClick(const QPoint& pos);
  int DragState() const { return FDragState; }

  // SongListener.
  void PlaylistCellChanged(int pattern, int bar) override;
  void PlaylistCleared() override;
  void SongReplaced(TSong& song) override;
  // The edited pattern's column follows the song's current pattern, the
  // header the pattern names, the Edit items the loop and the clipboard.
  void SongValueChanged(TSongValue value) override;

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  void DrawCell(TVekGrid& grid, int col, int row, const QRect& rect, unsigned state, QPainter& p);
  // Cut and Copy are enabled while a loop is selected, Paste while the
  // clipboard holds bars: their keys work exactly then.
  void ShowEditItems();
  void ShowInfo(const std::string& text);
  void ShowCellInfo(int col, int row);
  void RepaintSelection(const TPlaylistSelection& selection);
  QString WordOr(std::string_view key, std::string_view english) const;
  void SetHeaderHeight(int height);
  QSize FixedPart() const;

  TPreferences& Prefs;
  TActionTable MenuActions;
  TPlayListGrid* Grid = nullptr;
  QWidget* StatusBar = nullptr;
  TStatusPanel* BarPanel = nullptr;
  TStatusPanel* PatternPanel = nullptr;
  TMultiLang* MultiLang1 = nullptr;
  TImageList PLBulletIL;
  QFont HeaderFont;
  QFont CellFont;
  int FDragState = 0;
  bool PaintFlag = true;
  QPoint LastPainted;  // the cell a painting drag reached last
  TPlaylistSelectDrag SelectDrag;
  // What the grid shows as the playing bar (a copy of the play position)
  // and the edited pattern.
  int ShownBar = -1;
  int ShownPattern = 1;
};

}  // namespace vs
