// The main window's frame: the caption with its buttons, the side strips
// around the rack, the pattern scroller under it, the height between the
// frame and the full rack, dragging the window by its surfaces ("Easy
// Move"), and the side windows that follow it.

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/WindowTools.h"
#include "core/PatternCommands.h"
#include "engine/MixThread.h"
#include "framework/HintLayout.h"
#include "framework/MeroTB97.h"
#include "framework/Skin.h"
#include "model/Song.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "ui/SkinPic.h"
#include "ui/VorbelStepsMainForm.h"

namespace vs {

namespace {

constexpr int CaptionHeight = 20;
constexpr int PatternScrollerHeight = 17;
// Surfaces whose right-button drag sizes the window (frame parts).
const char* const FramePart = "framePart";

}  // namespace

void TVorbelStepsMainForm::BuildFrame(QWidget* central) {
  auto* layout = static_cast<QVBoxLayout*>(central->layout());
  // The caption: the song's name, minimise and close.
  CaptionPic = new TSkinPic(central, "CaptionPic");
  CaptionPic->setFixedHeight(CaptionHeight);
  layout->addWidget(CaptionPic);
  CaptionLabel = new QLabel(CaptionPic);
  CaptionLabel->setObjectName("CaptionLabel");
  CaptionLabel->setGeometry(132, 3, 300, 14);
  CaptionLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
  MinBtn = new TMyTransButton(CaptionPic);
  MinBtn->setObjectName("MinBtn");
  CloseBtn = new TMyTransButton(CaptionPic);
  CloseBtn->setObjectName("CloseBtn");
  for (TMyTransButton* b : {MinBtn, CloseBtn}) {
    b->SetOptions(tbHasDownGlyph);
    b->StayDown = false;
    b->SetImList(&Skin().MinCloseIL);
    b->SetILIndex(b == MinBtn ? 0 : 2);
    b->resize(13, 13);
  }
  MinBtn->move(width() - 34, 4);
  CloseBtn->move(width() - 17, 4);
  MinBtn->OnClick = [this](QWidget*) { showMinimized(); };
  CloseBtn->OnClick = [this](QWidget*) { close(); };
  CaptionPic->installEventFilter(this);

  // The rack between its side strips, the pattern scroller under it.
  auto* middle = new QWidget(central);
  middle->setObjectName("RackArea");
  auto* row = new QHBoxLayout(middle);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  LeftSide = new TSkinPic(middle, "LeftSide", TSkinPic::Strip);
  RightSide = new TSkinPic(middle, "RightSide", TSkinPic::Strip);
  RackColumn = new QWidget(middle);
  auto* column = new QVBoxLayout(RackColumn);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  ChannelRack = new TChannelRack(Preferences, RackColumn);
  column->addWidget(ChannelRack, 1);
  PatternScroller = new TNumBar(RackColumn);
  PatternScroller->setObjectName("PatternScroller");
  PatternScroller->SetShowNumber(false);
  PatternScroller->SetArrowsWidth(PatternScrollerHeight);
  PatternScroller->setFixedHeight(PatternScrollerHeight);
  PatternScroller->hide();
  StyleMainScroller(*PatternScroller, PatternKnobMinimum, [] {
    return std::pair(PatternView().VisibleSteps, CurrentSong().PatternLength());
  });
  PatternScroller->OnChange = [this](QWidget*) {
    TPatternView& view = PatternView();
    view.FirstVisibleStep = PatternScroller->Position();
    view.ScrollerPosition = view.FirstVisibleStep;
    Rack().ShowPattern();
    if (QWidget* piano = Windows().PianoForm) piano->update();
  };
  column->addWidget(PatternScroller);
  row->addWidget(LeftSide);
  row->addWidget(RackColumn, 1);
  row->addWidget(RightSide);
  layout->addWidget(middle, 1);
  for (TSkinPic* strip : {LeftSide, RightSide}) {
    strip->setFixedWidth(4);
    strip->setProperty(FramePart, true);
    strip->installEventFilter(this);
  }
  ChannelRack->BackWP()->installEventFilter(this);
  ChannelRack->SetLineMenu(LineMenu());
  ChannelRack->OnLineMenu = [this](int channel) { FLineMenuChannel = channel; };
  ChannelRack->OnLayoutChanged = [this] {
    UpdateHeightLimits();
    PlacePianoForm();
  };
  // An expanded row: the height is fitted; a window that showed every row
  // shows the expanded one too.
  ChannelRack->OnRowExpanded = [this](int rowsHeightBefore) {
    const bool wasFull = height() >= ScreenLimits(rowsHeightBefore).Full;
    FitMainWindowHeight();
    if (wasFull) SetFormHeight(FullHeight());
  };
  ChannelRack->OnFrontWheelChange = [this](int, int value, int mode) {
    if (mode >= 1)
      ShowPanInfo(value, 127);
    else
      ShowPercentInfo(LongHint(WordOr("@ChanVolHint0", "|Channel Volume").toStdString()), value, 127);
  };
}

// ---------------------------------------------------------------- height

int TVorbelStepsMainForm::FrameHeight() const {
  int h = CaptionPic->height() + TopDock->height() + BottomDock->height();
  if (!PatternScroller->isHidden()) h += PatternScroller->height();
  return h;
}

int TVorbelStepsMainForm::FullHeight() const { return ScreenLimits(ChannelRack->RowsHeight()).Full; }

THeightLimits TVorbelStepsMainForm::ScreenLimits(int rowsHeight) const {
  // Every row while the screen has room; else the rack scrolls.
  return ScreenHeightLimits(MainHeightLimits(FrameHeight(), rowsHeight, ChannelRack->FirstRowHeight()),
                            GetWorkArea(this).height());
}

void TVorbelStepsMainForm::UpdateHeightLimits() {
  if (!TopDock || !BottomDock || !PatternScroller) return;
  Limits = ScreenLimits(ChannelRack->RowsHeight());
  setMinimumHeight(Limits.Least);
  setMaximumHeight(Limits.Full);
}

void TVorbelStepsMainForm::SetFormHeight(int height) {
  // Growing, the window stops at the screen's bottom ("Stop At Bottom").
  UpdateHeightLimits();
  ApplyFormHeight(GrownFormHeight(ClampFormHeight(height, Limits), this->height(), y(), GetWorkArea(this).bottom() + 1,
                                  Preferences.StopAtBottom));
}

void TVorbelStepsMainForm::ApplyFormHeight(int height) {
  UpdateHeightLimits();
  const int h = ClampFormHeight(height, Limits);
  if (h != this->height()) resize(width(), h);
}

void TVorbelStepsMainForm::ToggleFullHeight() {
  UpdateHeightLimits();
  // As tall as it may grow here, or back.
  const int full = GrownFormHeight(Limits.Full, height(), y(), GetWorkArea(this).bottom() + 1, Preferences.StopAtBottom);
  if (height() < full) {
    PreviousHeight = height();
    SetFormHeight(Limits.Full);
  } else {
    SetFormHeight(PreviousHeight > 0 ? PreviousHeight : Limits.Least);
  }
}

// ---------------------------------------------------------------- place

void TVorbelStepsMainForm::RestorePosition() {
  const QRect work = GetWorkArea(this);
  // Never placed: at the top of the screen, the sample browser's width in
  // from its left edge so that the browser opens on it too.
  const int browserRoom = Preferences.SampleListVisible ? std::max(0, Preferences.SampleListWidth - 1) : 0;
  int32_t left = Preferences.WindowX.value_or(work.left() + std::min(browserRoom, std::max(0, work.width() - width())));
  int32_t top = Preferences.WindowY.value_or(work.top());
  std::vector<TScreenRect> screens;
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect r = GetWorkArea(*s);
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  KeepOnScreen(left, top, width(), height(), screens);
  move(left, top);
}

QRect TVorbelStepsMainForm::CaptionAndMenuArea() const {
  QRect area(CaptionPic->mapToGlobal(QPoint(0, 0)), CaptionPic->size());
  if (MainMenuToolWindow && MainMenuToolWindow->isVisible() && MainMenuToolWindow->window() == this)
    area |= QRect(MainMenuToolWindow->mapToGlobal(QPoint(0, 0)), MainMenuToolWindow->size());
  return area;
}

QRect TVorbelStepsMainForm::CaptionAndPanelArea() const {
  QRect area = CaptionAndMenuArea();
  if (TopDock && TopDock->isVisible() && TopDock->height() > 0)
    area |= QRect(TopDock->mapToGlobal(QPoint(0, 0)), TopDock->size());
  return area;
}

void TVorbelStepsMainForm::StorePosition() {
  Preferences.WindowX = x();
  Preferences.WindowY = y();
}

void TVorbelStepsMainForm::SetSampleBrowser(QWidget* browser) {
  SampleBrowser = browser;
  PlaceSideWindows();
}

void TVorbelStepsMainForm::PlaceSideWindows() {
  if (PlacingSideWindows) return;
  PlacingSideWindows = true;
  // The browser flush against the left edge (one pixel over it), as tall
  // as the window; the piano window keeps its place relative to the window.
  if (SampleBrowser && SampleBrowser->isVisible())
    SampleBrowser->setGeometry(x() - SampleBrowser->width() + 1, y(), SampleBrowser->width(), height());
  const QPoint moved = pos() - LastPos;
  if (QWidget* piano = Windows().PianoForm; piano && piano->isVisible() && !moved.isNull() && !LastPos.isNull())
    piano->move(piano->pos() + moved);
  LastPos = pos();
  PlacingSideWindows = false;
}

void TVorbelStepsMainForm::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  PlaceSideWindows();
}

void TVorbelStepsMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  MinBtn->move(CaptionPic->width() - 34, MinBtn->y());
  CloseBtn->move(CaptionPic->width() - 17, CloseBtn->y());
  if (const TStylePlace* p = Skin().Style.Place("MinBtn"); p && p->Left) ApplyPlaces(CaptionPic, Skin().Style);
  PlaceSideWindows();
}

void TVorbelStepsMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The window opens on every row; without "Always full height" it only
  // shrinks from there (or takes the height a song kept).
  if (!ShownOnce && !event->spontaneous()) {
    ShownOnce = true;
    SetFormHeight(FullHeight());
  }
  // The scope shows again what plays.
  ScopeUpdate();
}

void TVorbelStepsMainForm::hideEvent(QHideEvent* event) {
  QMainWindow::hideEvent(event);
  // The next report lets the scope thread rest.
  ReportAllScopeOutput();
}

void TVorbelStepsMainForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Restored from the task bar: the scope shows again what plays;
  // minimised, the next report lets the scope thread rest.
  if (event->type() == QEvent::WindowStateChange) {
    if (isMinimized())
      ReportAllScopeOutput();
    else
      ScopeUpdate();
    FollowMinimized(isMinimized());
  }
  // The caption shows whether the window is the active one.
  if (event->type() == QEvent::ActivationChange && CaptionPic) {
    const TSkin& skin = Skin();
    CaptionPic->SetPicture(isActiveWindow() || skin.TitleBarOff.isNull() ? skin.TitleBar : skin.TitleBarOff);
  }
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) PlaceSampleBrowserBelow();
}

void TVorbelStepsMainForm::FollowMinimized(bool minimized) {
  if (ClosingFlag || QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  if (minimized) {
    // The windows the desktop does not take along with this one (windows
    // of their own: the sample browser, the backdrop) go too.
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window != this && window->windowType() == Qt::Window && window->isVisible() && !window->isMinimized()) {
        MinimizedWithForm.push_back(window);
        window->showMinimized();
      }
    return;
  }
  // Restored: what went with it comes back (a desktop may activate a
  // window it restores: this one, restored by the user, is the active one
  // again), and the browser lies below this window.
  const std::vector<QPointer<QWidget>> windows = std::move(MinimizedWithForm);
  MinimizedWithForm.clear();
  bool restored = false;
  for (QWidget* window : windows)
    if (window && window->isMinimized()) {
      window->setAttribute(Qt::WA_ShowWithoutActivating, true);
      window->showNormal();
      window->setAttribute(Qt::WA_ShowWithoutActivating, false);
      restored = true;
    }
  if (restored) activateWindow();
  PlaceSampleBrowserBelow();
}

void TVorbelStepsMainForm::PlaceSampleBrowserBelow() {
  if (!SampleBrowser || !SampleBrowser->isVisible() || ClosingFlag) return;
  // Windows without a desktop have no order to keep.
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  // Raised, then this window over it: nothing comes between the two.
  SampleBrowser->raise();
  raise();
}

void TVorbelStepsMainForm::PlaceBehindSampleBrowser() {
  if (!SampleBrowser || !SampleBrowser->isVisible() || ClosingFlag) return;
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  raise();
  SampleBrowser->raise();
}

// ---------------------------------------------------------------- dragging

bool TVorbelStepsMainForm::DragSurfaceEvent(QWidget* surface, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* m = static_cast<QMouseEvent*>(event);
      DragOrigin = true;
      DragLast = m->globalPosition().toPoint();
      PressAt = DragLast;
      DragSurface = surface;
      // Where the desktop moves windows itself, it does so.
      if (m->button() == Qt::LeftButton && Preferences.EasyMove &&
          QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && windowHandle()) {
        DragOrigin = false;
        windowHandle()->startSystemMove();
      }
      return true;
    }
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(event);
      const QPoint at = m->globalPosition().toPoint();
      const bool framePart = surface->property(FramePart).toBool();
      if (!(m->buttons() & Qt::LeftButton)) {
        // A right-button drag on a frame part sizes the window by twice
        // the motion; "Always full height" rests meanwhile.
        const bool sizing = framePart && (m->buttons() & Qt::RightButton);
        if (sizing) {
          const bool alwaysFull = Preferences.AlwaysFullHeight;
          Preferences.AlwaysFullHeight = false;
          UpdateHeightLimits();
          ApplyFormHeight(ProposedFormHeight(y(), height() + 2 * (at.y() - DragLast.y()), height(), Limits,
                                           GetWorkArea(this).bottom() + 1, Preferences.StopAtBottom, false));
          Preferences.AlwaysFullHeight = alwaysFull;
        }
        DragOrigin = false;
        DragLast = at;
        return sizing;
      }
      if (!DragOrigin) return false;
      const QPoint motion = at - DragLast;
      DragLast = at;
      if (!Preferences.EasyMove && !framePart) {
        // Without "Easy Move" the background scrolls the rack instead.
        if (surface == ChannelRack->BackWP()) ChannelRack->ScrollBy(-motion.y());
        return true;
      }
      const QRect work = GetWorkArea(this);
      const int top = DraggedFormTop(y() + motion.y(), CaptionPic->height(), work.top(), work.bottom() + 1);
      // The window may not reach below the work area, unless it keeps its
      // full height.
      UpdateHeightLimits();
      const int h = ProposedFormHeight(top, height(), height(), Limits, work.bottom() + 1, Preferences.StopAtBottom,
                                       Preferences.AlwaysFullHeight);
      move(x() + motion.x(), top);
      ApplyFormHeight(h);
      return true;
    }
    case QEvent::MouseButtonRelease:
      DragOrigin = false;
      // A click on the logo, not the end of a drag by it.
      if (const auto* m = static_cast<QMouseEvent*>(event);
          surface == LogoZone && m->button() == Qt::LeftButton &&
          (m->globalPosition().toPoint() - PressAt).manhattanLength() <= 3)
        LogoClick(++LogoClicks);
      return true;
    case QEvent::MouseButtonDblClick:
      // Full height and back; the logo has its own double click.
      DragOrigin = false;
      if (surface != LogoZone)
        ToggleFullHeight();
      else
        close();
      return true;
    default:
      return false;
  }
}

bool TVorbelStepsMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      // The keyboard map comes first in this window and its key windows.
      auto* widget = qobject_cast<QWidget*>(watched);
      if (!widget || !widget->window()->property("mainFormKeys").toBool()) return false;
      if (widget->window() != this && widget->window()->parentWidget() != this) return false;
      auto* key = static_cast<QKeyEvent*>(event);
      return event->type() == QEvent::KeyPress ? FormKeyDown(key) : FormKeyUp(key);
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget && (widget == CaptionPic || widget == LogoZone || widget == LeftSide || widget == RightSide ||
                     widget == ChannelRack->BackWP()))
        return DragSurfaceEvent(widget, event);
      return false;
    }
    default:
      return QMainWindow::eventFilter(watched, event);
  }
}

}  // namespace vs
