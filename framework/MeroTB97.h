#pragma once
// Docks and dockable tool windows of a form.
//
// A dock (TMeroDock97) is a bar along one edge of a form that holds tool
// windows in rows; the form's layout puts the dock at its edge and the dock
// sets its own thickness (a fixed height, or width on a left or right dock)
// from its rows. A tool window (TMeroToolWindow97) is either docked in a
// dock or floating: then it sits in a frameless tool top-level of its own
// with a caption bar, above the form, hidden while the form is hidden or
// minimised and (with HideWhenInactive) while the program is in the
// background.
//
// The user drags a tool window by pressing on its surface (or on a panel
// given to AddDragSurface, or on the floating caption): a translucent
// outline shows where it would go, docked shape near a dock that takes it,
// floating shape elsewhere; Ctrl held keeps it floating; Escape or another
// button cancels. A double click floats a docked window and docks a
// floating one at the start of row 0 of its DefaultDock.
//
// Misuse (a dock or tool window without a form, a dock inside a dock or
// tool window, hiding a dock, moving a dock that holds windows) throws
// EInvalidOperation with a fixed English text.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <stdexcept>
#include <vector>

#include "framework/DockLayout.h"

class QPixmap;

namespace vs {

class EInvalidOperation : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

class TMeroCustomToolWindow97;
class TToolFloatFrame;
class TDockOutline;

// The one-pixel lines a dock draws along its edges.
enum TDockBoundLine : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };

class TMeroDock97 : public QWidget {
  Q_OBJECT

public:
  // parent: the form or a widget inside it (not a dock or tool window).
  explicit TMeroDock97(QWidget* parent, TDockPosition position = dpTop);
  ~TMeroDock97() override;

  TDockPosition Position() const { return Pos; }
  void SetPosition(TDockPosition position);
  bool Vertical() const { return IsVerticalDock(Pos); }

  bool AllowDrag() const { return AllowDragFlag; }
  void SetAllowDrag(bool allow);
  bool LimitToOneRow() const { return OneRow; }
  void SetLimitToOneRow(bool on);
  bool OnePerRow() const { return PerRow; }
  void SetOnePerRow(bool on);
  bool FixAlign() const { return Fix; }
  void SetFixAlign(bool on);
  unsigned BoundLines() const { return Lines; }
  void SetBoundLines(unsigned lines);
  // Tiled over the dock (and under its windows' own painting).
  void SetBackground(const QPixmap& picture);
  const QPixmap* Background() const { return FBackground; }
  // Docked windows show the dock's background behind them too, lined up
  // with it. Repaints the docked windows.
  bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
  void SetBackgroundOnToolbars(bool on);

  // Arrange lock: while held, arranging waits; the outermost release
  // arranges once.
  void BeginUpdate() { ++ArrangeLock; }
  void EndUpdate();
  void ArrangeToolbars();

  // The visible docked windows in arranged order, and the rows' sizes.
  const std::vector<TMeroCustomToolWindow97*>& DockList() const { return Bars; }
  const std::vector<int>& RowSizes() const { return Rows; }
  // The client area inside the bound lines.
  QRect DockClientRect() const;
  int ClientLength() const;

  std::function<void(TMeroDock97& dock, bool inserting, TMeroCustomToolWindow97& window)> OnInsertRemoveBar;
  std::function<void(TMeroDock97& dock)> OnResize;

  void setVisible(bool visible) override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  friend class TMeroCustomToolWindow97;
  void InsertBar(TMeroCustomToolWindow97* window);
  void RemoveBar(TMeroCustomToolWindow97* window);
  void ApplyThickness(int client);
  QMargins LineMargins() const;

  TDockPosition Pos = dpTop;
  bool AllowDragFlag = true;
  bool OneRow = false;
  bool PerRow = false;
  bool Fix = false;
  unsigned Lines = 0;
  int ArrangeLock = 0;
  bool Arranging = false;
  bool Destroying = false;
  std::vector<TMeroCustomToolWindow97*> Bars;
  std::vector<int> Rows;
  QPixmap* FBackground = nullptr;
  bool FBackgroundOnToolbars = true;
};

class TMeroCustomToolWindow97 : public QWidget {
  Q_OBJECT
  // Its caption (the window title), which the language tables set.
  Q_PROPERTY(QString caption READ windowTitle WRITE setWindowTitle)

public:
  // owner: the form or a widget inside it. The window starts floating and
  // hidden-flagged; dock it or restore a stored layout to place it.
  explicit TMeroCustomToolWindow97(QWidget* owner);
  ~TMeroCustomToolWindow97() override;

  QWidget* Form() const { return OwnerForm; }

  int DockPos() const { return Pos; }
  void SetDockPos(int pos);
  int DockRow() const { return Row; }
  void SetDockRow(int row);
  bool Docked() const { return Dock != nullptr; }
  TMeroDock97* DockedTo() const { return Dock; }
  // The docking operation: a dock, or nullptr to float at FloatLeft,
  // FloatTop (brought onto a screen when it lies off every one).
  void SetDockedTo(TMeroDock97* dock);
  TMeroDock97* DefaultDock() const { return DefaultDockPtr; }
  void SetDefaultDock(TMeroDock97* dock) { DefaultDockPtr = dock; }

  bool ActivateParent = true;
  bool HideWhenInactive = true;
  bool CloseButton() const { return CloseButtonFlag; }
  void SetCloseButton(bool on);
  bool Resizable() const { return ResizableFlag; }
  void SetResizable(bool on) { ResizableFlag = on; }
  TDockPositions DockableTo = AllDockPositions;
  bool WindowBorder = true;

  // The floating place: the screen position of the floating frame.
  int FloatLeft = 0;
  int FloatTop = 0;
  // The window has floated (or a stored layout floats it): FloatLeft and
  // FloatTop hold its place. Until then a double click floats it beside
  // the form, where it lay in its dock.
  bool FloatPlaced = false;

  // True while floating and hidden because the form is hidden or minimised
  // or the program is in the background.
  bool FloatingHidden() const { return HiddenFlag; }
  // Floating, not hiding when inactive, and the program is in the
  // background: the caption shows inactive.
  bool InactiveCaption() const { return InactiveCaptionFlag; }
  // The floating top-level (exists for the window's whole life).
  QWidget* FloatingFrame() const;
  // The frame's outer size around a client of the given size while floating.
  QSize FloatingSizeFor(QSize client) const;

  // Presses on these (not on their controls) drag the tool window, and
  // double clicks on them float or dock it.
  void AddDragSurface(QWidget* surface);

  std::function<void(TMeroCustomToolWindow97&)> OnDockChanging;
  std::function<void(TMeroCustomToolWindow97&)> OnDockChanged;
  std::function<void(TMeroCustomToolWindow97&)> OnVisibleChanged;
  std::function<void(TMeroCustomToolWindow97&)> OnClose;

  // The sizes the layout works with.
  virtual int CrossSize(bool verticalDock) const;
  virtual QSize MinimumClientSize() const { return {1, 1}; }
  virtual QSize BaseClientSize() const { return size(); }
  // Extra values kept with the stored layout.
  using TReadInt = std::function<int(const char* name, int def)>;
  using TWriteInt = std::function<void(const char* name, int value)>;
  virtual void ReadExtra(const TReadInt&) {}
  virtual void WriteExtra(const TWriteInt&) const {}

  // Recomputes the window's size for where it is (docked: raised across to
  // its row's size).
  void UpdateSize();

  // The drag, as the mouse drives it (global coordinates); public so that
  // panels of other layers can forward presses.
  void BeginDrag(QPoint globalPress);
  bool Dragging() const { return DragActive; }
  void DoubleClicked();

protected:
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  friend class TMeroDock97;
  friend class TToolFloatFrame;
  friend class TToolWindowSite;
  void MoveToParent(QWidget* parent);
  void UpdateFloating(bool formHidden, bool appActive);
  void PlaceFrame();
  void DragMove(QPoint global, bool ctrl);
  void EndDrag(bool accept);
  void HandlePress(QMouseEvent* event);
  std::vector<TDockTarget> DragTargets(std::vector<TMeroDock97*>& docks) const;

  QWidget* OwnerForm = nullptr;
  QPointer<TToolFloatFrame> Frame;
  TMeroDock97* Dock = nullptr;
  QPointer<TMeroDock97> DefaultDockPtr;
  int Pos = -1;
  int Row = 0;
  bool CloseButtonFlag = true;
  bool ResizableFlag = true;
  int InternalSetting = 0;
  int ReDocking = 0;
  bool HiddenFlag = true;
  bool InactiveCaptionFlag = false;

  // The drag in progress.
  bool DragActive = false;
  QPoint GrabPoint;
  QSize DragSize;
  QPoint LastCursor;
  int TargetIndex = -1;
  std::vector<TMeroDock97*> TargetDocks;
  std::vector<TDockTarget> Targets;
  TDockRect OutlineRect;
  QPointer<TDockOutline> Outline;
};

// The tool window of the program: it remembers its client size, which the
// stored layout keeps.
class TMeroToolWindow97 : public TMeroCustomToolWindow97 {
  Q_OBJECT

public:
  explicit TMeroToolWindow97(QWidget* owner);

  int MinClientWidth = 32;
  int MinClientHeight = 32;
  int ClientWidth() const { return RememberedClient.width(); }
  int ClientHeight() const { return RememberedClient.height(); }
  // Sizes the window to a client area of w x h, and remembers it: the size
  // the window has floating, and docked unless its row is thicker. Size the
  // window through this, not with resize().
  void SetClientSize(int w, int h);

  int CrossSize(bool verticalDock) const override;
  QSize MinimumClientSize() const override { return {MinClientWidth, MinClientHeight}; }
  QSize BaseClientSize() const override { return RememberedClient; }
  void ReadExtra(const TReadInt& read) override;
  void WriteExtra(const TWriteInt& write) const override;

private:
  QSize RememberedClient{32, 32};
};

// The docks and tool windows of one form, in the order they were made (the
// order layouts are stored and restored in, and docks tried while
// dragging). Made with the form's first dock or tool window.
class TToolWindowSite : public QObject {
  Q_OBJECT

public:
  static TToolWindowSite& Of(QWidget* form);
  const std::vector<TMeroDock97*>& Docks() const { return DockItems; }
  const std::vector<TMeroCustomToolWindow97*>& ToolWindows() const { return ToolItems; }
  // Shows and hides the floating windows for the form's state and the
  // program's activity.
  void UpdateVisibility();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  friend class TMeroDock97;
  friend class TMeroCustomToolWindow97;
  explicit TToolWindowSite(QWidget* form);
  QWidget* Form;
  bool AppActive;  // as the program's activation notices last said
  std::vector<TMeroDock97*> DockItems;
  std::vector<TMeroCustomToolWindow97*> ToolItems;
};

// The work areas of every screen, as rectangles.
std::vector<TDockRect> ScreenWorkAreas();

}  // namespace vs
