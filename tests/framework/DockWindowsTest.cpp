// Docks and tool windows driven with the mouse and keys as a user does:
// dragging out floats, dragging back docks, Ctrl keeps a window floating,
// Escape leaves it where it was, double clicks swap; and the stored layout
// comes back the same after a restart, a far-off floating place comes back
// onto a screen.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <memory>

#include "framework/MeroTB97.h"
#include "framework/PanelLook.h"
#include "framework/ToolWindowLayout.h"
#include "platform/SettingsStore.h"
#include "support/CleanWindows.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

// A form with a top dock of two rows and a bottom dock, as the program's
// main window has them.
struct TDockedForm {
  std::unique_ptr<QWidget> Form = std::make_unique<QWidget>();
  TMeroDock97* Top;
  TMeroDock97* Bottom;
  TMeroToolWindow97* Menu;
  TMeroToolWindow97* Remote;
  TMeroToolWindow97* Info;
  int Changed = 0;

  TDockedForm() {
    Form->setObjectName("Form");
    auto* layout = new QVBoxLayout(Form.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Top = new TMeroDock97(Form.get(), dpTop);
    Top->setObjectName("TopDock");
    Top->SetOnePerRow(true);
    Bottom = new TMeroDock97(Form.get(), dpBottom);
    Bottom->setObjectName("BottomDock");
    layout->addWidget(Top);
    layout->addStretch(1);
    layout->addWidget(Bottom);
    Menu = Make("MenuBarWindow", 360, 20, Top, 0);
    Remote = Make("RemoteWindow", 360, 40, Top, 1);
    Info = Make("InfoWindow", 360, 18, Bottom, 0);
    Form->setGeometry(200, 150, 360, 300);
    Form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  }
  TMeroToolWindow97* Make(const char* name, int w, int h, TMeroDock97* dock, int row) {
    auto* t = new TMeroToolWindow97(Form.get());
    t->setObjectName(name);
    t->setWindowTitle(name);
    t->SetClientSize(w, h);
    t->SetDefaultDock(Top);
    t->SetDockRow(row);
    t->SetDockPos(0);
    t->SetDockedTo(dock);
    t->OnDockChanged = [this](TMeroCustomToolWindow97&) { ++Changed; };
    return t;
  }
};

QPoint In(QWidget* w, QPoint global) { return w->mapFromGlobal(global); }

// Presses on a widget, moves to a global point and releases there.
void Drag(QWidget* from, QPoint press, QPoint globalTo, Qt::KeyboardModifiers releaseKeys = {}) {
  QTest::mousePress(from, Qt::LeftButton, {}, press);
  QTest::mouseMove(from, In(from, globalTo));
  QTest::mouseRelease(from, Qt::LeftButton, releaseKeys, In(from, globalTo));
}

class DockWindowsTest : public ::testing::Test {
protected:
  void SetUp() override { testing::TestApplication(); }
};

TEST_F(DockWindowsTest, DraggingFloatsDocksAndCtrlKeepsItFloating) {
  TDockedForm f;
  EXPECT_EQ(f.Top->height(), 60);
  EXPECT_EQ(f.Bottom->height(), 18);
  EXPECT_EQ(f.Remote->geometry(), QRect(0, 20, 360, 40));

  // The menu window dragged well below the form floats there, grabbed
  // where it was pressed.
  const QPoint far = f.Form->mapToGlobal(QPoint(100, 420));
  Drag(f.Menu, QPoint(30, 10), far);
  EXPECT_FALSE(f.Menu->Docked());
  EXPECT_EQ(f.Changed, 1);
  EXPECT_EQ(f.Top->height(), 40);
  EXPECT_EQ(f.Remote->DockRow(), 0);
  QWidget* frame = f.Menu->FloatingFrame();
  EXPECT_EQ(frame->size(), f.Menu->FloatingSizeFor(QSize(360, 20)));
  EXPECT_EQ(QPoint(f.Menu->FloatLeft, f.Menu->FloatTop), far - QPoint(30, 10 * 36 / 19));
  EXPECT_EQ(f.Menu->size(), QSize(360, 20));

  // Dragged back over the top dock with Ctrl held: it never docks, it
  // only moves.
  const QPoint overDock = f.Top->mapToGlobal(QPoint(40, 30));
  QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(40, 5));
  QTest::mouseMove(frame, In(frame, overDock));
  QTest::keyPress(frame, Qt::Key_Control);
  QTest::mouseRelease(frame, Qt::LeftButton, Qt::ControlModifier, In(frame, overDock));
  QTest::keyRelease(frame, Qt::Key_Control);
  EXPECT_FALSE(f.Menu->Docked());
  EXPECT_EQ(f.Changed, 1);
  EXPECT_EQ(f.Menu->FloatTop, overDock.y() - 5);

  // Escape leaves it where it was.
  const QPoint before(f.Menu->FloatLeft, f.Menu->FloatTop);
  QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(40, 5));
  QTest::mouseMove(frame, In(frame, far + QPoint(0, 60)));
  QTest::keyClick(frame, Qt::Key_Escape);
  QTest::mouseRelease(frame, Qt::LeftButton, {}, In(frame, far + QPoint(0, 60)));
  EXPECT_EQ(QPoint(f.Menu->FloatLeft, f.Menu->FloatTop), before);

  // Without Ctrl, dropped just above the dock: a new first row.
  const QPoint topEdge = f.Top->mapToGlobal(QPoint(40, -6));
  Drag(frame, QPoint(40, 5), topEdge);
  ASSERT_TRUE(f.Menu->Docked());
  EXPECT_EQ(f.Menu->DockedTo(), f.Top);
  EXPECT_EQ(f.Changed, 2);
  EXPECT_EQ(f.Menu->DockRow(), 0);
  EXPECT_EQ(f.Remote->DockRow(), 1);
  EXPECT_EQ(f.Top->height(), 60);
  EXPECT_FALSE(frame->isVisible());

  // Dropped into the bottom dock's row: beside the info window, the row
  // pushed back into the dock as far as it goes.
  Drag(f.Menu, QPoint(5, 10), f.Bottom->mapToGlobal(QPoint(200, 9)));
  EXPECT_EQ(f.Menu->DockedTo(), f.Bottom);
  EXPECT_EQ(f.Bottom->RowSizes(), std::vector<int>{20});
  EXPECT_EQ(f.Info->DockPos(), 0);
  EXPECT_EQ(f.Menu->DockPos(), 360);
  EXPECT_EQ(f.Info->height(), 20);  // raised to its row

  // A double click floats a docked window; one on the floating caption
  // docks it at the start of row 0 of its default dock.
  testing::DoubleClick(f.Remote, Qt::LeftButton, QPoint(100, 20));
  EXPECT_FALSE(f.Remote->Docked());
  EXPECT_EQ(f.Top->height(), 0);
  testing::DoubleClick(f.Remote->FloatingFrame(), Qt::LeftButton, QPoint(60, 5));
  EXPECT_EQ(f.Remote->DockedTo(), f.Top);
  EXPECT_EQ(f.Remote->DockRow(), 0);
  EXPECT_EQ(f.Remote->DockPos(), 0);
}

TEST_F(DockWindowsTest, FloatingWindowsFollowTheirForm) {
  TDockedForm f;
  f.Info->HideWhenInactive = false;
  f.Info->FloatLeft = 300;
  f.Info->FloatTop = 100;
  f.Info->SetDockedTo(nullptr);
  QWidget* frame = f.Info->FloatingFrame();
  EXPECT_TRUE(frame->isVisible());
  EXPECT_TRUE(frame->windowFlags() & Qt::Tool);
  EXPECT_TRUE(frame->windowFlags() & Qt::FramelessWindowHint);
  f.Form->showMinimized();
  QCoreApplication::processEvents();
  EXPECT_FALSE(frame->isVisible());
  EXPECT_TRUE(f.Info->FloatingHidden());
  f.Form->showNormal();
  QCoreApplication::processEvents();
  EXPECT_TRUE(frame->isVisible());
  // In the background a floating window hides, unless it is kept shown:
  // then only its caption turns inactive.
  f.Menu->FloatLeft = 300;
  f.Menu->FloatTop = 300;
  f.Menu->SetDockedTo(nullptr);
  QWidget* menuFrame = f.Menu->FloatingFrame();
  EXPECT_TRUE(menuFrame->isVisible());
  const QPoint captionTop(frame->width() - 30, 1);
  const QColor active = frame->grab().toImage().pixelColor(captionTop);
  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_FALSE(menuFrame->isVisible());
  EXPECT_TRUE(frame->isVisible());
  EXPECT_TRUE(f.Info->InactiveCaption());
  EXPECT_EQ(frame->grab().toImage().pixelColor(captionTop), look::CaptionInactive);
  EXPECT_NE(active, look::CaptionInactive);
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
  EXPECT_TRUE(menuFrame->isVisible());
  EXPECT_FALSE(f.Info->InactiveCaption());
  f.Menu->DoubleClicked();
  EXPECT_EQ(f.Menu->DockedTo(), f.Top);
  // Hidden by the program, it stays hidden with its form.
  f.Info->hide();
  EXPECT_FALSE(frame->isVisible());
  f.Info->show();
  EXPECT_TRUE(frame->isVisible());
  // A hidden docked window leaves its dock, and its row goes.
  f.Remote->hide();
  EXPECT_EQ(f.Top->height(), 20);
  f.Remote->show();
  EXPECT_EQ(f.Top->height(), 60);
}

// A tool window and its floating frame go together, whichever goes first;
// under the sanitizers nothing touches either once it is partly gone.
TEST_F(DockWindowsTest, AToolWindowAndItsFrameGoTogether) {
  TDockedForm f;
  // Deleted while floating: the frame hides at once and goes after it.
  f.Info->SetDockedTo(nullptr);
  QPointer<QWidget> frame = f.Info->FloatingFrame();
  ASSERT_TRUE(frame->isVisible());
  delete f.Info;
  EXPECT_FALSE(frame->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(frame.isNull());
  // Deleted while docked: the frame goes with it.
  QPointer<QWidget> menuFrame = f.Menu->FloatingFrame();
  delete f.Menu;
  EXPECT_TRUE(menuFrame.isNull());
  EXPECT_EQ(f.Top->DockList(), std::vector<TMeroCustomToolWindow97*>{f.Remote});
  // The form goes with a floating window in it: the frame takes it along.
  f.Remote->SetDockedTo(nullptr);
  QPointer<QWidget> remote = f.Remote;
  QPointer<QWidget> remoteFrame = f.Remote->FloatingFrame();
  f.Form.reset();
  EXPECT_TRUE(remote.isNull());
  EXPECT_TRUE(remoteFrame.isNull());
}

TEST_F(DockWindowsTest, ALeftDockStacksDownwardsAndTheCloseBoxHides) {
  QWidget form;
  auto* layout = new QHBoxLayout(&form);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* left = new TMeroDock97(&form, dpLeft);
  left->setObjectName("LeftDock");
  left->SetFixAlign(true);
  layout->addWidget(left);
  layout->addStretch(1);
  std::vector<std::pair<bool, QString>> inserts;
  left->OnInsertRemoveBar = [&](TMeroDock97&, bool in, TMeroCustomToolWindow97& w) {
    inserts.push_back({in, w.objectName()});
  };
  form.setGeometry(100, 100, 300, 400);
  form.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(left->width(), 1);  // empty, kept 1 pixel wide

  auto* tools = new TMeroToolWindow97(&form);
  tools->setObjectName("Tools");
  tools->setWindowTitle("Tools");
  tools->SetClientSize(40, 120);
  tools->DockableTo = DockPositionBit(dpLeft);
  tools->SetDefaultDock(left);
  int closed = 0;
  tools->OnClose = [&](TMeroCustomToolWindow97&) { ++closed; };
  tools->SetDockedTo(left);
  left->SetBoundLines(blRight);
  EXPECT_EQ(left->width(), 41);
  EXPECT_EQ(tools->geometry(), QRect(0, 0, 40, 120));
  ASSERT_EQ(inserts.size(), 1u);
  EXPECT_TRUE(inserts[0].first);

  // Out, then back in lower down: its position along the dock is where it
  // was dropped.
  Drag(tools, QPoint(20, 10), form.mapToGlobal(QPoint(200, 200)));
  EXPECT_FALSE(tools->Docked());
  EXPECT_EQ(left->width(), 1);
  QWidget* frame = tools->FloatingFrame();
  Drag(frame, QPoint(20, 5), left->mapToGlobal(QPoint(0, 150)));
  EXPECT_EQ(tools->DockedTo(), left);
  EXPECT_EQ(tools->DockPos(), 150 - 5 * 119 / (frame->height() - 1));
  EXPECT_EQ(tools->y(), tools->DockPos());
  EXPECT_EQ(inserts.size(), 3u);

  // Floating, its close box hides it and says so; closing its frame closes
  // the form.
  tools->DoubleClicked();
  ASSERT_TRUE(frame->isVisible());
  const QPoint box(frame->width() - 7, 7);
  QTest::mouseClick(frame, Qt::LeftButton, {}, box);
  EXPECT_TRUE(tools->isHidden());
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(closed, 1);
  tools->show();
  EXPECT_TRUE(frame->isVisible());
  frame->close();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(frame->isVisible());
}

// A dock's background shows behind its docked windows too, unless
// BackgroundOnToolbars is off.
TEST_F(DockWindowsTest, TheDocksBackgroundRunsOnBehindItsWindows) {
  TDockedForm f;
  QPixmap tiles(8, 8);
  tiles.fill(QColor(0xC0, 0x20, 0xA0));
  f.Bottom->SetBackground(tiles);
  EXPECT_TRUE(f.Bottom->BackgroundOnToolbars());
  // The window's own paint, without its children.
  const auto own = [&] {
    QPixmap shot(f.Info->size());
    f.Info->render(&shot, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return shot.toImage().pixel(0, 0);
  };
  EXPECT_EQ(own(), QColor(0xC0, 0x20, 0xA0).rgb());
  f.Bottom->SetBackgroundOnToolbars(false);
  EXPECT_EQ(own(), look::Panel.rgb());
  f.Bottom->SetBackgroundOnToolbars(true);
  f.Top->SetBackground(QPixmap());
  EXPECT_EQ(QColor(f.Menu->grab().toImage().pixel(0, 0)) == QColor(0xC0, 0x20, 0xA0), false);
}

TEST_F(DockWindowsTest, StoredLayoutComesBackAfterARestart) {
  TTestDir dir;
  const std::string file = dir / "settings.ini";
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen->availableGeometry();
  {
    TDockedForm f;
    f.Menu->FloatLeft = area.left() + 250;
    f.Menu->FloatTop = area.top() + 500;
    f.Menu->SetDockedTo(nullptr);
    f.Remote->SetDockRow(0);
    f.Remote->SetDockPos(0);
    f.Info->SetDockedTo(f.Top);  // below the remote panel
    f.Info->SetDockRow(1);
    f.Info->SetDockPos(40);
    f.Info->hide();
    TSettingsStore store(file);
    SaveToolWindowLayout(f.Form.get(), store, "");
    ASSERT_TRUE(store.Save());
  }
  TSettingsStore store(file);
  store.Load();
  EXPECT_EQ(store.ReadInteger("MenuBarWindow", "Rev", 0), 2);
  EXPECT_EQ(store.ReadString("MenuBarWindow", "DockedTo", ""), "+");
  EXPECT_EQ(store.ReadString("RemoteWindow", "DockedTo", ""), "TopDock");
  EXPECT_EQ(store.ReadInteger("InfoWindow", "Visible", 1), 0);
  EXPECT_EQ(store.ReadInteger("InfoWindow", "ClientHeight", 0), 18);
  {
    TDockedForm f;
    LoadToolWindowLayout(f.Form.get(), store, "");
    EXPECT_FALSE(f.Menu->Docked());
    EXPECT_EQ(f.Menu->FloatingFrame()->pos(), QPoint(area.left() + 250, area.top() + 500));
    EXPECT_EQ(f.Remote->DockedTo(), f.Top);
    EXPECT_EQ(f.Remote->DockRow(), 0);
    EXPECT_EQ(f.Info->DockedTo(), f.Top);
    EXPECT_TRUE(f.Info->isHidden());
    f.Info->show();
    EXPECT_EQ(f.Info->DockRow(), 1);
    EXPECT_EQ(f.Info->DockPos(), 0);  // 40 + 360 passes the dock: moved back
    EXPECT_EQ(f.Top->height(), 40 + 18);
  }

  // A floating place off every screen comes back inside the nearest
  // screen's work area; a dock that can't be dragged to is ignored, and a
  // window docked there is stored without a dock; another revision is
  // ignored.
  store.WriteInteger("MenuBarWindow", "FloatLeft", area.right() + 20000);
  store.WriteInteger("MenuBarWindow", "FloatTop", area.bottom() + 9000);
  store.WriteInteger("MenuBarWindow", "DockRow", 2000000000);  // a damaged file costs no time
  store.WriteInteger("InfoWindow", "Rev", 1);
  TDockedForm f;
  f.Bottom->SetAllowDrag(false);
  store.WriteString("RemoteWindow", "DockedTo", "BottomDock");
  LoadToolWindowLayout(f.Form.get(), store, "");
  const QRect placed = f.Menu->FloatingFrame()->geometry();
  EXPECT_TRUE(area.contains(placed)) << placed.x() << "," << placed.y();
  EXPECT_EQ(placed.right(), area.right());
  EXPECT_EQ(f.Menu->DockRow(), 1000);
  EXPECT_EQ(f.Remote->DockedTo(), f.Top);
  EXPECT_EQ(f.Info->DockedTo(), f.Bottom);
  EXPECT_FALSE(f.Info->isHidden());
  SaveToolWindowLayout(f.Form.get(), store, "ZM LAYOUT");
  EXPECT_EQ(store.ReadString("ZM LAYOUT\\InfoWindow", "DockedTo", "?"), "");

  f.Remote->setObjectName("");
  EXPECT_THROW(
      {
        try {
          SaveToolWindowLayout(f.Form.get(), store, "");
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "Cannot save tool window's position because Name property is not set");
          throw;
        }
      },
      std::runtime_error);
  EXPECT_THROW(new TMeroToolWindow97(nullptr), EInvalidOperation);
  EXPECT_THROW(f.Top->hide(), EInvalidOperation);
  EXPECT_THROW(f.Top->SetPosition(dpLeft), EInvalidOperation);
}

}  // namespace
}  // namespace vs
