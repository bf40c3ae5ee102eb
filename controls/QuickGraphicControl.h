#pragma once
// The base of every painted control: a widget that paints through a TCanvas
// and can repaint at once when its value changes (QuickPaint), so that a
// wheel, meter or fading button shows a change within the same turn of the
// event loop.
//
// A subclass overrides Paint and, for gestures, the mouse hooks MouseDown,
// MouseMove, MouseUp, MouseEnter and MouseLeave; each hook of this class
// fires the owner's event (OnMouseDown ...), and MouseUp also runs the click
// logic: a left press and release inside the control fire OnClick. An
// override calls the inherited hook where the control's behaviour says.
//
// With BufferedPaint the control paints its whole rectangle into an
// off-screen picture first (filled with its colour), then copies it; without
// it, it paints straight onto the widget over what its parent drew below it.

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>
#include <vector>

#include "controls/Canvas.h"

class QMenu;
class QMouseEvent;

namespace vs {

class TQuickGraphicControl;

// Events of the controls: the sender is the control.
using TNotifyEvent = std::function<void(QWidget* sender)>;

struct TMouseInfo {
  // The button that was pressed or released (Qt::NoButton for a move).
  Qt::MouseButton Button = Qt::NoButton;
  // The buttons held during the event.
  Qt::MouseButtons Buttons;
  Qt::KeyboardModifiers Shift;
  int X = 0;
  int Y = 0;
};
using TMouseEvent = std::function<void(QWidget* sender, const TMouseInfo& mouse)>;
// The mouse event of Qt as the controls see it.
TMouseInfo MouseInfoOf(const QMouseEvent* event, Qt::MouseButton button);
using TPaintEvent = std::function<void(QWidget* sender, TCanvas& canvas)>;

// The control that popped up a menu last (a button or wheel hands it to the
// menu before showing it), so that one menu can serve several controls.
QWidget* PopupComponent(const QMenu* menu);
void SetPopupComponent(QMenu* menu, QWidget* control);

// Gathers what changes in controls during a frame of the display (a scope,
// its meter, the step lamps) and repaints it together when the frame ends:
// painted straight into the window's picture and shown on the screen in one
// go, instead of at the event loop's next turn. Controls add to the frame
// open on the main thread (TQuickGraphicControl::Changed); where a window
// can't take them so (it does not show, its picture does not have its size
// yet, its pixels are scaled, a control is not opaque or has a window of
// its own) they are updated as usual.
class TQuickGraphicControl;

class TFramePaint {
public:
  TFramePaint();
  ~TFramePaint();
  TFramePaint(const TFramePaint&) = delete;
  TFramePaint& operator=(const TFramePaint&) = delete;

  // The frame open now, or null.
  static TFramePaint* Open();
  void Add(TQuickGraphicControl* control, const QRegion& area);

private:
  struct TPart {
    QPointer<TQuickGraphicControl> Control;
    QRegion Area;
  };
  // Paints parts of controls of window; false, painting nothing, where
  // the window can't take them.
  static bool PaintNow(QWidget* window, const std::vector<TPart*>& parts);
  TFramePaint* Outer;
  std::vector<TPart> Parts;
};

class TQuickGraphicControl : public QWidget {
  Q_OBJECT

public:
  explicit TQuickGraphicControl(QWidget* parent = nullptr);
  ~TQuickGraphicControl() override;

  // Repaints now. Does nothing while the control has no parent or is not
  // shown.
  void QuickPaint();

  bool BufferedPaint() const { return Buffered; }
  void SetBufferedPaint(bool buffered);
  // Paints the control into an off-screen picture of its size and copies it
  // to target at (0, 0).
  void PaintBuffered(QPainter& target);
  // Repaints area (in the control's coordinates): with the frame open now,
  // when it ends, else at the event loop's next turn.
  void Changed(const QRegion& area);
  // Paints the control through Paint onto another surface: its (0, 0) at
  // offset there, only inside area (in its own coordinates).
  void PaintOnto(QPainter& target, QPoint offset, const QRegion& area);

  // The control's colour as plain RGB: its own, or its parent's while
  // ParentColor is set (a parent that is no control gives its background).
  TColor Color() const;
  // Sets the own colour (a system colour resolved) and clears ParentColor.
  void SetColor(TColor color);
  bool ParentColor() const { return UseParentColor; }
  void SetParentColor(bool parentColor);

  // "short|long": the short part names the control for screen readers and
  // shows as its tip.
  void SetHint(const QString& hint);
  const QString& Hint() const { return HintText; }

  // The colour of the control's text.
  TColor FontColor = ColorToRGB(ClBtnText);

  // Shown by a right click unless the control handles that button itself.
  QMenu* PopupMenu = nullptr;

  TNotifyEvent OnClick;
  // A double click of the left button, before that press's OnMouseDown.
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;

  // The click of a user: fires OnClick.
  virtual void Click();

protected:
  // Draws the whole control in client coordinates.
  virtual void Paint(TCanvas& canvas) = 0;

  virtual void MouseDown(const TMouseInfo& mouse);
  virtual void MouseMove(const TMouseInfo& mouse);
  virtual void MouseUp(const TMouseInfo& mouse);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // The press in progress ends in no click (a menu took over the mouse).
  void CancelClick() { Clicked = false; }
  // After the control was enabled or disabled.
  virtual void EnabledChanged() { QuickPaint(); }
  // After the own or the parent's colour changed.
  virtual void ColorChanged() { update(); }

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  bool Buffered = false;
  bool UseParentColor = false;
  bool Clicked = false;
  TColor OwnColor = ColorToRGB(ClBtnFace);
  QString HintText;
  QImage BackBuffer;
};

}  // namespace vs
