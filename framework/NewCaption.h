#pragma once
// A drawn caption bar in place of a window's frame, and the small image
// buttons that sit on it.
//
// TNewCaption takes the window's frame away (the window keeps its client
// size) and lies across the window's top: it shows the window's title in
// the colours of the window's activation state and moves the window while
// it is dragged (EasyMove), unless the window is maximised. A double click
// maximises or restores a window that offers maximising. With an image list
// it tiles image 1 (active) or 0 (inactive) and writes the title over it;
// without one it fills itself with its colour. CS_OwnerDraw leaves the
// drawing to OnPaint, which in any style runs after the built-in drawing.
//
// TILBtn shows image ImageIndex + k of its list: k = 1 while pressed,
// else 0; a down switch shows 1 - k (two images) or k + 2 (four images:
// up, up pressed, down, down pressed). A click toggles a switch's Down
// before OnClick.
//
// TSysBtn is a TILBtn that gives a frameless window its system commands:
// minimise, maximise / restore (a four-image switch), context help, close,
// or the window's system menu (a menu of those commands, or the button's
// own popup menu), which a double click on the button closes the window.

#include <QColor>
#include <QPoint>
#include <functional>
#include <stdexcept>

#include "controls/ImageList.h"
#include "controls/QuickGraphicControl.h"

class QMenu;

namespace vs {

// Misuse of the framework's components (fixed English texts).
class ENewCaptionError : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

enum class TNewCaptionStyle { CS_Normal, CS_OwnerDraw };

class TNewCaption : public TQuickGraphicControl {
  Q_OBJECT

public:
  // form must be a window ("NewCaption needs a form as its owner"
  // otherwise).
  explicit TNewCaption(QWidget* form);
  ~TNewCaption() override;

  QWidget* Form() const { return FForm; }
  // The activation state as the window system last reported it.
  bool Active() const { return FActive; }

  QColor ActiveColor() const { return FActiveColor; }
  QColor InactiveColor() const { return FInactiveColor; }
  QColor TextActiveColor() const { return FTextActiveColor; }
  QColor TextInactiveColor() const { return FTextInactiveColor; }
  // Each setter applies the colours of the current state at once.
  void SetActiveColor(const QColor& c);
  void SetInactiveColor(const QColor& c);
  void SetTextActiveColor(const QColor& c);
  void SetTextInactiveColor(const QColor& c);
  // The colour the bar paints in now (the state's).
  QColor CurrentColor() const;
  QColor CurrentTextColor() const;

  bool EasyMove = true;
  TImageList* ImList() const { return FImList; }
  void SetImList(TImageList* list);  // not owned
  TNewCaptionStyle Style = TNewCaptionStyle::CS_Normal;
  int TextLeft() const { return FTextLeft; }
  int TextRightGap() const { return FTextRightGap; }
  void SetTextLeft(int left);
  void SetTextRightGap(int gap);
  // The bar's height (its width is the window's).
  void SetBarHeight(int height);

  std::function<void(TNewCaption& sender, QPainter& painter)> OnPaint;
  std::function<void(TNewCaption& sender)> OnDblClick;

  // The title's rectangle: (TextLeft, 0) to (width - TextRightGap, height).
  QRect TextRect() const;

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void SetActive(bool active);
  void ApplyColors();
  void FitToForm();

  QWidget* FForm = nullptr;
  bool FActive = false;
  QColor FActiveColor;
  QColor FInactiveColor;
  QColor FTextActiveColor;
  QColor FTextInactiveColor;
  TImageList* FImList = nullptr;
  int FTextLeft = 20;
  int FTextRightGap = 0;
  QPoint EventGlobal;  // the screen point of the mouse event in hand
  QPoint PressPoint;   // ... of the press
  QPoint FormAtPress;
  bool Moving = false;
};

enum class TILBtnStyle { ILBtn_Btn, ILBtn_Switch2, ILBtn_Switch4 };

class TILBtn : public TQuickGraphicControl {
  Q_OBJECT

public:
  explicit TILBtn(QWidget* parent = nullptr);

  TImageList* ImList() const { return FImList; }
  // Not owned; the button takes the list's frame size.
  void SetImList(TImageList* list);
  bool Down() const { return FDown; }
  void SetDown(bool down);
  bool Pressed() const { return FPressed; }
  void SetPressed(bool pressed);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index);
  TILBtnStyle Style() const { return FStyle; }
  void SetStyle(TILBtnStyle style);
  // The image shown now.
  int ShownImage() const;

  void Click() override;

protected:
  void Paint(TCanvas& canvas) override;
  void MouseDown(const TMouseInfo& mouse) override;
  void MouseMove(const TMouseInfo& mouse) override;
  void MouseUp(const TMouseInfo& mouse) override;

private:
  TImageList* FImList = nullptr;
  bool FDown = false;
  bool FPressed = false;
  int FImageIndex = 0;
  TILBtnStyle FStyle = TILBtnStyle::ILBtn_Btn;
};

enum class TSysCommand { scNone, scSystemMenu, scMinimize, scMaximize, scHelp, scClose };

class TSysBtn : public TILBtn {
  Q_OBJECT

public:
  explicit TSysBtn(QWidget* parent = nullptr);
  ~TSysBtn() override;

  TSysCommand SysCommand() const { return FCommand; }
  void SetSysCommand(TSysCommand command);
  // The menu the button pops up (its own popup menu, else the window's
  // system menu); none but for scSystemMenu.
  QMenu* Menu() const;

  void Click() override;

protected:
  void MouseDown(const TMouseInfo& mouse) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
  QMenu* SystemMenu();
  TSysCommand FCommand = TSysCommand::scNone;
  QMenu* OwnSystemMenu = nullptr;
};

// Maximises a normal window and restores a maximised or minimised one,
// at once.
void ToggleMaximized(QWidget* window);

}  // namespace vs
