#include "framework/NewCaption.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWhatsThis>

#include "controls/WindowTools.h"
#include "framework/PanelLook.h"

namespace vs {

void ToggleMaximized(QWidget* window) {
  if (!window) return;
  if (window->isMaximized() || window->isMinimized())
    ShowWindowNoAnimation(window, TShowCommand::Restore);
  else
    ShowWindowNoAnimation(window, TShowCommand::ShowMaximized);
}

// ------------------------------------------------------------- caption bar

TNewCaption::TNewCaption(QWidget* form)
    : TQuickGraphicControl(form),
      FForm(form),
      FActiveColor(look::CaptionTop),
      FInactiveColor(look::CaptionInactive),
      FTextActiveColor(look::Text),
      FTextInactiveColor(look::TextDim) {
  if (!form || !form->isWindow()) throw ENewCaptionError("NewCaption needs a form as its owner");
  setObjectName("NewCaption");
  SetCaptionVisible(form, false);
  resize(form->width(), 20);
  FActive = form->isActiveWindow();
  ApplyColors();
  form->installEventFilter(this);
}

TNewCaption::~TNewCaption() {
  if (FForm) FForm->removeEventFilter(this);
}

QColor TNewCaption::CurrentColor() const { return FActive ? FActiveColor : FInactiveColor; }
QColor TNewCaption::CurrentTextColor() const { return FActive ? FTextActiveColor : FTextInactiveColor; }

void TNewCaption::SetActiveColor(const QColor& c) {
  FActiveColor = c;
  ApplyColors();
}
void TNewCaption::SetInactiveColor(const QColor& c) {
  FInactiveColor = c;
  ApplyColors();
}
void TNewCaption::SetTextActiveColor(const QColor& c) {
  FTextActiveColor = c;
  ApplyColors();
}
void TNewCaption::SetTextInactiveColor(const QColor& c) {
  FTextInactiveColor = c;
  ApplyColors();
}

void TNewCaption::SetImList(TImageList* list) {
  FImList = list;
  update();
}

void TNewCaption::SetTextLeft(int left) {
  FTextLeft = left;
  update();
}

void TNewCaption::SetTextRightGap(int gap) {
  FTextRightGap = gap;
  update();
}

void TNewCaption::SetBarHeight(int height) { resize(width(), height); }

QRect TNewCaption::TextRect() const { return QRect(QPoint(FTextLeft, 0), QPoint(width() - FTextRightGap - 1, height() - 1)); }

void TNewCaption::SetActive(bool active) {
  if (FActive == active) return;
  FActive = active;
  ApplyColors();
}

void TNewCaption::ApplyColors() {
  SetColor(FromQColor(CurrentColor()));
  FontColor = FromQColor(CurrentTextColor());
  QuickPaint();
}

void TNewCaption::FitToForm() {
  if (FForm) setGeometry(0, 0, FForm->width(), height());
}

void TNewCaption::Paint(TCanvas& canvas) {
  QPainter& p = canvas.Painter();
  if (Style == TNewCaptionStyle::CS_Normal) {
    const QString title = FForm ? FForm->windowTitle() : QString();
    const QRect text = TextRect();
    p.setFont(font());
    const QString shown = p.fontMetrics().elidedText(title, Qt::ElideRight, std::max(0, text.width()));
    if (FImList && !FImList->Empty()) {
      const int frame = FActive ? 1 : 0;
      for (int x = 0; x < width(); x += std::max(1, FImList->Width())) FImList->Draw(p, x, 0, frame);
    } else {
      p.fillRect(rect(), CurrentColor());
    }
    p.setPen(CurrentTextColor());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  }
  if (OnPaint) OnPaint(*this, p);
}

void TNewCaption::MouseDown(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton && EasyMove && FForm) {
    PressPoint = EventGlobal;
    FormAtPress = FForm->pos();
    Moving = true;
  }
  TQuickGraphicControl::MouseDown(mouse);
}

void TNewCaption::MouseMove(const TMouseInfo& mouse) {
  if (!(mouse.Buttons & Qt::LeftButton)) Moving = false;
  if (Moving && FForm && !FForm->isMaximized()) {
    // The form's place at the press plus the pointer's travel since: the
    // bar moves with the form, so the travel is measured on the screen.
    FForm->move(FormAtPress + (EventGlobal - PressPoint));
  }
  TQuickGraphicControl::MouseMove(mouse);
}

void TNewCaption::mousePressEvent(QMouseEvent* event) {
  EventGlobal = event->globalPosition().toPoint();
  TQuickGraphicControl::mousePressEvent(event);
}

void TNewCaption::mouseMoveEvent(QMouseEvent* event) {
  EventGlobal = event->globalPosition().toPoint();
  TQuickGraphicControl::mouseMoveEvent(event);
}

void TNewCaption::mouseDoubleClickEvent(QMouseEvent*) {
  Moving = false;
  if (FForm && (FForm->windowFlags() & Qt::WindowMaximizeButtonHint)) ToggleMaximized(FForm);
  if (OnDblClick) OnDblClick(*this);
}

bool TNewCaption::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FForm) {
    switch (event->type()) {
      case QEvent::ActivationChange: SetActive(FForm->isActiveWindow()); break;
      case QEvent::WindowTitleChange: update(TextRect()); break;
      case QEvent::Resize: FitToForm(); break;
      default: break;
    }
  }
  return TQuickGraphicControl::eventFilter(watched, event);
}

// ------------------------------------------------------------ image button

TILBtn::TILBtn(QWidget* parent) : TQuickGraphicControl(parent) { resize(16, 16); }

void TILBtn::SetImList(TImageList* list) {
  FImList = list;
  if (list && !list->Empty()) resize(list->Width(), list->Height());
  QuickPaint();
}

void TILBtn::SetDown(bool down) {
  if (FDown == down) return;
  FDown = down;
  QuickPaint();
}

void TILBtn::SetPressed(bool pressed) {
  if (FPressed == pressed) return;
  FPressed = pressed;
  QuickPaint();
}

void TILBtn::SetImageIndex(int index) {
  if (FImageIndex == index) return;
  FImageIndex = index;
  QuickPaint();
}

void TILBtn::SetStyle(TILBtnStyle style) {
  if (FStyle == style) return;
  FStyle = style;
  QuickPaint();
}

int TILBtn::ShownImage() const {
  int k = FPressed ? 1 : 0;
  if (FDown) k = FStyle == TILBtnStyle::ILBtn_Switch2 ? 1 - k : k + 2;
  return FImageIndex + k;
}

void TILBtn::Paint(TCanvas& canvas) {
  if (FImList) FImList->Draw(canvas.Painter(), 0, 0, ShownImage());
}

void TILBtn::MouseDown(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton) SetPressed(true);
  TQuickGraphicControl::MouseDown(mouse);
}

void TILBtn::MouseMove(const TMouseInfo& mouse) {
  if (mouse.Buttons & Qt::LeftButton) SetPressed(rect().contains(mouse.X, mouse.Y));
  TQuickGraphicControl::MouseMove(mouse);
}

void TILBtn::MouseUp(const TMouseInfo& mouse) {
  if (mouse.Button == Qt::LeftButton) SetPressed(false);
  TQuickGraphicControl::MouseUp(mouse);
}

void TILBtn::Click() {
  if (FStyle != TILBtnStyle::ILBtn_Btn) SetDown(!FDown);
  TQuickGraphicControl::Click();
}

// ------------------------------------------------------------ system button

TSysBtn::TSysBtn(QWidget* parent) : TILBtn(parent) {}

TSysBtn::~TSysBtn() { delete OwnSystemMenu; }

void TSysBtn::SetSysCommand(TSysCommand command) {
  FCommand = command;
  SetStyle(command == TSysCommand::scMaximize ? TILBtnStyle::ILBtn_Switch4 : TILBtnStyle::ILBtn_Btn);
}

QMenu* TSysBtn::Menu() const {
  if (FCommand != TSysCommand::scSystemMenu) return nullptr;
  return PopupMenu ? PopupMenu : const_cast<TSysBtn*>(this)->SystemMenu();
}

QMenu* TSysBtn::SystemMenu() {
  if (OwnSystemMenu) return OwnSystemMenu;
  // The window system keeps no menu for a frameless window: its commands.
  OwnSystemMenu = new QMenu;
  auto add = [this](const char* text, auto action) {
    QObject::connect(OwnSystemMenu->addAction(text), &QAction::triggered, this, [this, action] {
      if (QWidget* w = window()) action(w);
    });
  };
  add("&Restore", [](QWidget* w) { ShowWindowNoAnimation(w, TShowCommand::Restore); });
  add("Mi&nimize", [](QWidget* w) { ShowWindowNoAnimation(w, TShowCommand::ShowMinimized); });
  add("Ma&ximize", [](QWidget* w) { ShowWindowNoAnimation(w, TShowCommand::ShowMaximized); });
  OwnSystemMenu->addSeparator();
  add("&Close", [](QWidget* w) { w->close(); });
  return OwnSystemMenu;
}

void TSysBtn::MouseDown(const TMouseInfo& mouse) {
  TILBtn::MouseDown(mouse);
  QMenu* menu = Menu();
  if (!menu || mouse.Button != Qt::LeftButton) return;
  SetPopupComponent(menu, this);
  // The menu takes the mouse from here: the press ends without a click.
  menu->popup(mapToGlobal(QPoint(0, height())));
  SetPressed(false);
  CancelClick();
}

void TSysBtn::mouseDoubleClickEvent(QMouseEvent* event) {
  if (FCommand != TSysCommand::scSystemMenu) {
    TILBtn::mouseDoubleClickEvent(event);
    return;
  }
  if (QMenu* menu = Menu()) menu->hide();
  if (QWidget* w = window()) w->close();
}

void TSysBtn::Click() {
  QPointer<TSysBtn> self(this);
  QWidget* w = window();
  switch (FCommand) {
    case TSysCommand::scMinimize: ShowWindowNoAnimation(w, TShowCommand::ShowMinimized); break;
    case TSysCommand::scMaximize: ToggleMaximized(w); break;
    case TSysCommand::scHelp: QWhatsThis::enterWhatsThisMode(); break;
    case TSysCommand::scClose: w->close(); break;
    default: break;
  }
  if (self) TILBtn::Click();
}

}  // namespace vs
