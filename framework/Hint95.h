#pragma once
// Styled hints: THint95 takes over the program's tooltips. Hints show after
// 500 ms of rest over a control (25 ms when another hint just showed) and
// stay 20 s, in a borderless top-most window just below the visible cursor,
// painted by the owner (OnPaintHint, over a copy of the screen under it) or
// in one of three built-in styles, with the short part of the control's
// hint text centred in it. The control under the mouse also reports its
// whole hint text through OnHint (the info bar shows its long part).
//
// A control's hint is set with SetHint (framework/MLang.h): the whole
// "short|long" text is its "hint" property; a plain toolTip serves too.

#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "framework/HintLayout.h"

namespace vs {

class THint95;

// The hint text of the widget or the nearest of its parents that has one
// (within its window); empty when none.
std::string HintOf(const QWidget* widget, QWidget** owner = nullptr);

struct THintInfo {
  QPointer<QWidget> HintControl;
  QPoint CursorPos;  // global
};

// The hint's window: its picture and the measured text.
class THintWindow95 : public QWidget {
  Q_OBJECT

public:
  explicit THintWindow95(THint95& hint);
  // Measures, places and shows the hint for text at the cursor.
  void ActivateHint(const QString& text, const THintInfo& info);
  const QImage& Picture() const { return Image; }
  QString Text() const { return HintText; }
  int TextWidth() const { return TextW; }
  int TextHeight() const { return TextH; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  void PaintPicture();

  THint95& Owner;
  QImage Image;
  QString HintText;
  int TextW = 0, TextH = 0;
};

class THint95 : public QObject {
  Q_OBJECT

public:
  explicit THint95(QObject* owner);
  ~THint95() override;

  THintStyle HintStyle() const { return Style; }
  void SetHintStyle(THintStyle style);
  // The hint text's font (the system's status-bar font) and colour.
  QFont Font;
  QColor FontColor;

  // Before a hint shows: may change its text, or refuse it.
  std::function<void(std::string& hint, bool& canShow, THintInfo& info)> OnShowHint;
  // Paints background and frame into the picture (which starts as a copy of
  // the screen under the hint); the text is drawn over it after.
  std::function<void(QImage& picture)> OnPaintHint;
  // The hint text of the control under the mouse, when that changes (empty
  // when it has none).
  std::function<void(const std::string& hint)> OnHint;

  // The control whose hint shows (program-wide), and the hint window.
  static QWidget* HintControl();
  THintWindow95* HintWindow() const { return Window; }
  bool HintShowing() const;
  // Shows the control's hint now, as after the pause, at the cursor.
  void ShowHintFor(QWidget* control, QPoint globalCursor);
  void CancelHint();
  // The hint of the control under the mouse as it reads now (after a
  // language switch, say); empty when there is none.
  std::string HoveredHint() const;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void ReadFont();
  void Hover(QWidget* widget, QPoint global);
  void ShowPending();

  THintStyle Style = hsWindows95;
  QPointer<THintWindow95> Window;
  QTimer ShowTimer;
  QTimer HideTimer;
  QTimer RecentTimer;  // a hint showed a moment ago: the next comes quickly
  QPointer<QWidget> Hovered;
  QPoint Cursor;
  bool Suppressed = false;  // a click or key dismissed the hint over this control
};

}  // namespace vs
