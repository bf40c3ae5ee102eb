#include "controls/PickNum.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <algorithm>

#include "controls/TimerSpeedButton.h"

namespace vs {

namespace {

constexpr int SpinFirstDelay = 200;
// The arrows' face: a raised grey a step above the panel, with light arrows
// (the "PickNum" picture is drawn over the same grey).
constexpr TColor SpinArrowFace = 0x00514B46;
constexpr int SpinMinWidth = 15;
constexpr int EditFrame = 2;

// Characters the box takes: with the editor on, signs, digits and control
// characters but Return; with it off, control characters but Return and
// Backspace. Keys that type nothing always pass.
bool Accepts(const QString& text, bool editorEnabled) {
  if (text.isEmpty()) return true;
  const QChar c = text.front();
  const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
  if (c == '\r') return true;  // the window's default button sees it
  if (editorEnabled) return control || c == '+' || c == '-' || c.isDigit();
  return control && c != '\b';
}

}  // namespace

// ------------------------------------------------------------ spin button

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < 2; ++i) {
    auto* arrow = new TTimerSpeedButton(this, SpinFirstDelay);
    arrow->setObjectName(i == 0 ? "UpArrow" : "DownArrow");
    arrow->SetColor(SpinArrowFace);
    arrow->SetNumGlyphs(1);
    arrow->SetOptions(tbTransparentBitmap | tbShowPressed);
    arrow->SetStyle(TBtnFrameStyle::FS_VekFlat);
    arrow->SetImList(&ResourceImageList("PickNum", 2));
    arrow->SetILIndex(i);
    arrow->StepButtons = Qt::AllButtons;
    arrow->OnMouseDown = [this, i](QWidget*, const TMouseInfo& m) { ArrowPressed(i, m); };
    arrow->OnStep = [this, i](QWidget*) { ClickArrow(i); };
    Arrows[i] = arrow;
  }
  resize(15, 17);
  Arrange();
}

void TSpinButton::SetFocusControl(QWidget* control) {
  disconnect(FocusControlGone);
  FFocusControl = control;
  if (control)
    FocusControlGone = connect(control, &QObject::destroyed, this, [this] { FFocusControl = nullptr; });
}

void TSpinButton::Arrange() {
  if (width() < SpinMinWidth) {
    resize(SpinMinWidth, height());
    return;  // the resize arranges
  }
  const int half = height() / 2;
  Arrows[0]->setGeometry(0, 0, width(), half);
  Arrows[1]->setGeometry(0, half, width(), height() - half);
}

void TSpinButton::resizeEvent(QResizeEvent*) { Arrange(); }

void TSpinButton::ClickArrow(int index) {
  const TNotifyEvent& click = index == 0 ? OnUpClick : OnDownClick;
  if (click) click(this);
}

void TSpinButton::ArrowPressed(int index, const TMouseInfo& mouse) {
  if (mouse.Button != Qt::LeftButton) return;
  if (Focused != index) {
    Focused = index;
    if (hasFocus()) update();
  }
  if (FFocusControl && FFocusControl->focusPolicy() != Qt::NoFocus && FFocusControl->isEnabled()) {
    if (!FFocusControl->hasFocus()) FFocusControl->setFocus(Qt::MouseFocusReason);
  } else if ((focusPolicy() & Qt::TabFocus) && !hasFocus()) {
    setFocus(Qt::MouseFocusReason);
  }
}

void TSpinButton::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space: ClickArrow(Focused); break;
    case Qt::Key_Up:
      Focused = 0;
      ClickArrow(0);
      break;
    case Qt::Key_Down:
      Focused = 1;
      ClickArrow(1);
      break;
    default: QWidget::keyPressEvent(event); return;
  }
  update();
  event->accept();
}

void TSpinButton::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  Arrows[Focused]->update();
}

void TSpinButton::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  Arrows[Focused]->update();
}

// ------------------------------------------------------------- pick number

TPickNum::TPickNum(QWidget* parent) : QLineEdit(parent) {
  // The box draws its own sunken frame around the text and the arrows.
  setFrame(false);
  QPalette p = palette();
  p.setColor(QPalette::Base, ToQColor(ClWindow));
  p.setColor(QPalette::Text, ToQColor(ClWindowText));
  p.setColor(QPalette::Highlight, ToQColor(ClHighlight));
  p.setColor(QPalette::HighlightedText, ToQColor(ClHighlightText));
  setPalette(p);
  setText("0");
  FButton = new TSpinButton(this);
  FButton->SetFocusControl(this);
  FButton->OnUpClick = [this](QWidget*) { UpClick(); };
  FButton->OnDownClick = [this](QWidget*) { DownClick(); };
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (OnChange) OnChange(this);
  });
  resize(60, 21);
}

void TPickNum::SetEditorEnabled(bool enabled) {
  FEditorEnabled = enabled;
  // Dropped text would type past the filter.
  setAcceptDrops(enabled);
}

int32_t TPickNum::Value() const {
  bool ok = false;
  const int v = text().toInt(&ok);
  return ok ? v : FMinValue;
}

int64_t TPickNum::ClampValue(int64_t value) const {
  if (FMinValue == FMaxValue) return value;
  return std::clamp<int64_t>(value, FMinValue, std::max(FMinValue, FMaxValue));
}

int TPickNum::FittingWidth() const {
  ensurePolished();  // the font and padding a style sheet gives
  const QFontMetrics metrics(font());
  const int text = std::max(metrics.horizontalAdvance(QString::number(FMinValue)),
                            metrics.horizontalAdvance(QString::number(FMaxValue)));
  // What the style keeps of the width (border, padding), the text margins
  // of resizeEvent, the edit's own two pixels a side and the caret.
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  const int styled = std::max(0, width() - contents.width());
  const int spinWidth = std::max(FButton->width(), SpinMinWidth);
  return styled + (EditFrame + 1) + text + 2 * 2 + 2 + (spinWidth + 2 + EditFrame);
}

void TPickNum::SetValue(int64_t value) {
  const int64_t v = std::clamp<int64_t>(ClampValue(value), INT32_MIN, INT32_MAX);
  setText(QString::number(v));
}

void TPickNum::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    if (event->key() == Qt::Key_Up) UpClick();
    else DownClick();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)) {
    if (CanCutAndPaste()) QLineEdit::keyPressEvent(event);
    else event->accept();
    return;
  }
  if (!Accepts(event->text(), FEditorEnabled)) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TPickNum::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (!AutoSelect) return;
  if (!(QApplication::mouseButtons() & Qt::LeftButton))
    selectAll();
  else
    // The click that brings the focus places the caret; the number is
    // selected once the button comes up (unless the user dragged a
    // selection), so that a number typed replaces it.
    SelectOnRelease = true;
}

void TPickNum::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (SelectOnRelease && event->button() == Qt::LeftButton) {
    SelectOnRelease = false;
    if (!hasSelectedText()) selectAll();
  }
}

void TPickNum::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  SelectOnRelease = false;
  const int32_t v = Value();
  if (ClampValue(v) != v) SetValue(v);
}

void TPickNum::resizeEvent(QResizeEvent* event) {
  if (height() < 8) {
    resize(width(), 8);
    return;
  }
  QLineEdit::resizeEvent(event);
  const int spinWidth = std::max(FButton->width(), SpinMinWidth);
  FButton->setGeometry(width() - spinWidth - EditFrame, EditFrame, spinWidth, height() - 2 * EditFrame);
  // The text never runs under the arrows.
  setTextMargins(EditFrame + 1, EditFrame, spinWidth + 2 + EditFrame, EditFrame);
}

void TPickNum::contextMenuEvent(QContextMenuEvent* event) {
  QPointer<QMenu> menu = createStandardContextMenu();
  if (!menu) return;
  for (QAction* action : menu->actions())
    if (action->objectName() == "edit-cut" || action->objectName() == "edit-paste")
      action->setEnabled(action->isEnabled() && CanCutAndPaste());
  menu->exec(event->globalPos());
  delete menu;
}

void TPickNum::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  QPainter painter(this);
  TCanvas canvas(painter);
  const TRect all = TRect::Sized(0, 0, width(), height());
  DrawFrame3D(canvas, all, ClBtnShadow, ClBtnHighlight);
  DrawFrame3D(canvas, all.Inflated(-1, -1), Cl3DDkShadow, Cl3DLight);
}

}  // namespace vs
