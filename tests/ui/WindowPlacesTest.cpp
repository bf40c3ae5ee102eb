// Where the windows open on the screen: a first start with fresh settings
// puts every window on the screen's usable area and off the main window's
// caption and menu bar, and a rack of more rows than the screen holds keeps
// the main window on the screen and scrolls inside it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <memory>
#include <string>

#include "controls/NumBar.h"
#include "framework/WPControl.h"
#include "editors/SampleListForm.h"
#include "model/Song.h"
#include "support/ProgramStart.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

std::string Text(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height());
}

class WindowPlacesTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::unique_ptr<TProgramRun> Run;

  void SetUp() override {
    // Fresh settings (no sound device in tests).
    Run = testing::StartProgram(Tmp, "[ZM SETTINGS]\nUse WAV=0\n", VS_DATA_DIR);
    Run->ShowMainWindow();
    Run->FirstActivation();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main()));
  }
  void TearDown() override {
    CurrentSong().SetModified(false);
    if (Main()) Main()->close();
    Run.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
  TVorbelStepsMainForm* Main() const { return Windows().VorbelStepsMainForm; }
  QRect Area() const { return Main()->screen()->availableGeometry(); }
};

TEST_F(WindowPlacesTest, FirstStartOpensEveryWindowOnTheScreenOffTheCaptionAndMenuBar) {
  TVorbelStepsMainForm& main = *Main();
  const QRect area = Area();
  EXPECT_TRUE(area.contains(main.frameGeometry())) << Text(main.frameGeometry()) << " on " << Text(area);
  // The settings window (no output chosen), the sample browser, then what
  // a new user opens: a channel's settings, the lamps, the playlist.
  TSampleListForm* browser = Windows().SampleListForm;
  ASSERT_NE(browser, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([browser] { return !browser->AnimTimer.isActive(); }));
  QTest::mouseClick(main.Rack().Rows()[1].Name, Qt::LeftButton, {}, QPoint(20, 8));
  main.VisualMenuClick();
  main.PlayListMenuClick();

  const QRect caption = main.CaptionAndMenuArea();
  EXPECT_EQ(caption.top(), main.y());
  EXPECT_GE(caption.height(), 30);  // the caption and the menu bar under it
  const std::pair<const char*, QWidget*> windows[] = {
      {"settings", Windows().MIDIForm},       {"channel settings", Windows().SettingsForm},
      {"lamps", Windows().VisualForm},        {"playlist", Windows().PlayListForm},
      {"sample browser", browser}};
  for (const auto& [name, window] : windows) {
    ASSERT_TRUE(window->isVisible()) << name;
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << name << " " << Text(frame) << " on " << Text(area);
    if (window != browser) {
      EXPECT_FALSE(frame.intersects(caption)) << name << " " << Text(frame);
    }
  }
  // The browser flush against the window's left edge; "Auto Arrange" puts
  // the channel settings 96 pixels in from it.
  EXPECT_EQ(browser->geometry(), QRect(main.x() - 149, main.y(), 150, main.height()));
  EXPECT_TRUE(Run->Program().Prefs.AutoArrange);
  EXPECT_EQ(Windows().SettingsForm->x(), main.x() + 96);

  // A place the user gives the lamps stays, over the panel too; over the
  // caption it opens below the menu bar.
  QWidget& lamps = *Windows().VisualForm;
  const QPoint overPanel(area.left(), caption.bottom() + 20);
  for (const QPoint& at : {overPanel, QPoint(area.left(), main.y() + 5)}) {
    main.VisualMenuClick();
    lamps.move(at);
    main.VisualMenuClick();
    ASSERT_TRUE(lamps.isVisible());
    EXPECT_EQ(lamps.pos(), at == overPanel ? at : QPoint(at.x(), caption.bottom() + 1)) << Text(lamps.geometry());
  }
}

TEST_F(WindowPlacesTest, WindowsNeverOpenedKeepTheirFirstPlaceForTheNextStart) {
  // A start that never shows the lamps or a channel's settings, then the
  // next: they open beside the window, clear of its caption, menu bar and
  // panel, as on the first start.
  Main()->close();
  Run.reset();
  Run = std::make_unique<TProgramRun>(std::vector<std::string>{}, Tmp.Dir());
  Run->StartUp();
  Run->ShowMainWindow();
  Run->FirstActivation();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Main()));
  Main()->VisualMenuClick();
  const QWidget& lamps = *Windows().VisualForm;
  ASSERT_TRUE(lamps.isVisible());
  EXPECT_FALSE(lamps.frameGeometry().intersects(Main()->CaptionAndPanelArea())) << Text(lamps.frameGeometry());
  EXPECT_TRUE(Area().contains(lamps.frameGeometry())) << Text(lamps.frameGeometry());
  QTest::mouseClick(Main()->Rack().Rows()[1].Name, Qt::LeftButton, {}, QPoint(20, 8));
  const QWidget& channel = *Windows().SettingsForm;
  ASSERT_TRUE(channel.isVisible());
  EXPECT_FALSE(channel.frameGeometry().intersects(Main()->CaptionAndPanelArea())) << Text(channel.frameGeometry());
  EXPECT_EQ(channel.x(), Main()->x() + 96);
}

TEST_F(WindowPlacesTest, ARackTallerThanTheScreenScrollsInsideTheWindow) {
  // A hundred pixels down from the top: growing, the window stops at the
  // screen's bottom.
  TVorbelStepsMainForm& main = *Main();
  main.move(main.x(), Area().top() + 100);
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&main] { return QApplication::activeWindow() == &main; }));
  for (int i = 0; i < 60; ++i) QTest::keyClick(&main, Qt::Key_D, Qt::ControlModifier);
  ASSERT_EQ(CurrentSong().ChannelCount(), 68);
  main.Actions().Action("AddDrumChannel")->trigger();
  ASSERT_EQ(CurrentSong().ChannelCount(), 69);

  // The window is as tall as the screen lets it be, every pixel on it.
  const QRect area = Area();
  EXPECT_TRUE(area.contains(main.frameGeometry())) << Text(main.frameGeometry()) << " on " << Text(area);
  EXPECT_EQ(main.height(), area.bottom() + 1 - main.y());
  TChannelRack& rack = main.Rack();
  EXPECT_TRUE(rack.GridsScroller()->isVisible());

  // The new row shows; Page Up walks back to the first, Page Down to the
  // last.
  QWidget* view = rack.GridsBox()->viewport();
  auto rowShown = [&](int row) {
    const QWidget* name = rack.Rows()[size_t(row)].Name;
    return view->rect().contains(QRect(name->mapTo(view, QPoint(0, 0)), name->size()));
  };
  EXPECT_TRUE(rowShown(68));
  EXPECT_FALSE(rowShown(0));
  TNumBar& scroller = *rack.GridsScroller();
  for (int i = 0; i < 200 && scroller.Position() > 0; ++i) QTest::keyClick(&main, Qt::Key_PageUp);
  EXPECT_EQ(scroller.Position(), 0);
  EXPECT_TRUE(rowShown(0));
  EXPECT_FALSE(rowShown(68));
  for (int i = 0; i < 200 && scroller.Position() < scroller.Max(); ++i) QTest::keyClick(&main, Qt::Key_PageDown);
  EXPECT_EQ(scroller.Position(), scroller.Max());
  EXPECT_TRUE(rowShown(68));
}

}  // namespace
}  // namespace vs
