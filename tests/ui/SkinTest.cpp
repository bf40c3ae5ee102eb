// Styles reach the running windows: a style need only hold what differs
// from the default one, its window shape cuts the main window, and styles
// switch while the program runs.

#include <gtest/gtest.h>

#include <QBitmap>
#include <QPainter>
#include <algorithm>
#include <filesystem>

#include "core/PatternCommands.h"
#include "controls/WindowTools.h"
#include "core/ProgramPaths.h"
#include "framework/NewMenu.h"
#include "framework/Skin.h"
#include "model/Song.h"
#include "ui/ProgramWindows.h"
#include "ui/SkinPic.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class SkinTest : public ::testing::Test {
protected:
  TTestDir App;
  TPreferences Prefs;
  std::string AppPath;

  void SetUp() override {
    testing::TestApplication();
    AppPath = App.Dir() + "/";
    // The shipped styles, and one that holds nothing but its configuration.
    fs::copy(std::string(VS_DATA_DIR) + "Styles", AppPath + "Styles", fs::copy_options::recursive);
    App.Write("Styles/Eight/config.txt", "' eight steps and a cut corner\r\nnNotesShown=8\r\nDefHole=0,0,40,0,0,40\r\n");
    ProgramPaths() = {};
    ProgramPaths().AppPath = AppPath;
    CreateProgramWindows(Prefs);
  }
  void TearDown() override {
    Skin().ChangeStyle(AppPath, "Default");
    DestroyProgramWindows();
    ProgramPaths() = {};
  }
};

TEST_F(SkinTest, AStyleOfOnlyAConfigurationLooksLikeTheDefaultWithItsNumbers) {
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.show();
  Skin().ChangeStyle(AppPath, "Default");
  const QImage defaultPanel = Skin().MenuPic;
  const QImage defaultKeys = Skin().NoteBtnIL.Image(1);
  ASSERT_FALSE(defaultPanel.isNull());
  EXPECT_EQ(PatternView().VisibleSteps, 16);
  EXPECT_TRUE(form.mask().isEmpty());  // a rectangular window
  // The menu bar sits where the style places it, on its title plates.
  const TStylePlace* bar = Skin().Style.Place("NewMainMenu");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(form.NewMainMenu->geometry(), QRect(*bar->Left, *bar->Top, *bar->Width, *bar->Height));

  Skin().ChangeStyle(AppPath, "Eight");
  EXPECT_EQ(PatternView().MaxVisibleSteps, 8);
  EXPECT_EQ(PatternView().VisibleSteps, 8);  // 16-step pattern, 8-step rows
  EXPECT_EQ(PatternView().ScrollerMax, CurrentSong().PatternLength() - 8);
  // Everything else is the default style's.
  EXPECT_EQ(Skin().MenuPic, defaultPanel);
  EXPECT_EQ(Skin().NoteBtnIL.Count(), 4);
  EXPECT_EQ(Skin().NoteBtnIL.Image(1), defaultKeys);
  EXPECT_EQ(Skin().MiddleWheelIL.Count(), 64);
  EXPECT_EQ(Skin().Style.ChanBtns, CurrentStyle().ChanBtns);
  EXPECT_NE(Skin().Style.Place("StartButton"), nullptr);
  // The window is as wide as the remote panel, its panel shows the picture.
  EXPECT_EQ(form.width(), defaultPanel.width());
  // The three-point hole cuts the top left corner off the window.
  const QRegion shape = form.mask();
  ASSERT_FALSE(shape.isEmpty());
  EXPECT_FALSE(shape.contains(QPoint(3, 3)));
  EXPECT_FALSE(shape.contains(QPoint(30, 5)));
  EXPECT_TRUE(shape.contains(QPoint(30, 30)));
  EXPECT_TRUE(shape.contains(QPoint(200, 3)));

  // Back to the default: the corner is back, so are 16 steps.
  Skin().ChangeStyle(AppPath, "Default");
  EXPECT_TRUE(form.mask().isEmpty());
  EXPECT_EQ(PatternView().VisibleSteps, 16);
}

TEST_F(SkinTest, StylesSwitchTheWindowsPicturesAndFonts) {
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.show();
  Skin().ChangeStyle(AppPath, "Default");
  const QImage dark = form.grab().toImage();
  const QImage darkTitle = Skin().TitleBar;
  const QImage darkWheel = Skin().MiddleWheelIL.Image(10);
  const QColor darkHint = form.findChild<QWidget*>("InfoLabel")->palette().color(QPalette::WindowText);

  Skin().ChangeStyle(AppPath, "Light");
  EXPECT_EQ(Skin().Style.Name, "Light");
  EXPECT_NE(Skin().TitleBar, darkTitle);
  EXPECT_EQ(Skin().MiddleWheelIL.Image(10), darkWheel);  // the light style has none: the default's
  // The remote panel shows the light picture: its pixels are much brighter.
  const QImage light = form.grab().toImage();
  QWidget* panel = form.findChild<QWidget*>("MenuPic");
  ASSERT_NE(panel, nullptr);
  const QPoint at = panel->mapTo(&form, QPoint(60, 4));
  EXPECT_GT(qGray(light.pixel(at)), qGray(dark.pixel(at)) + 80);
  // Menu titles sit on the style's title plates, one every MenuSep.
  const auto& titles = form.NewMainMenu->Items();
  ASSERT_GE(titles.size(), 2u);
  EXPECT_EQ(titles[1].Left, Skin().Style.MenuSep[0]);
  EXPECT_EQ(form.findChild<QWidget*>("InfoLabel")->palette().color(QPalette::WindowText), darkHint);
}

// The caption, the menu lines and the info bar are wallpaper controls: a
// picture narrower than its surface repeats across it.
TEST_F(SkinTest, TheMainWindowsSurfacesTileTheirPictures) {
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.show();
  QImage tile(40, 20, QImage::Format_RGB32);
  tile.fill(Qt::red);
  QPainter(&tile).fillRect(20, 0, 20, 20, Qt::blue);
  fs::create_directories(AppPath + "Styles/Tiles");
  for (const char* file : {"TitleBar.bmp", "TitleBar_Off.bmp", "BottomLine.bmp", "MenuLine.bmp"})
    ASSERT_TRUE(tile.save(QString::fromStdString(AppPath + "Styles/Tiles/" + file), "BMP"));
  Skin().ChangeStyle(AppPath, "Tiles");
  for (const char* name : {"CaptionPic", "BottomPic", "MainMenuPic"}) {
    auto* surface = form.findChild<TSkinPic*>(name);
    ASSERT_NE(surface, nullptr) << name;
    ASSERT_GE(surface->width(), 200) << name;
    // The surface alone, without the texts and buttons on it.
    QImage shot(surface->size(), QImage::Format_RGB32);
    shot.fill(Qt::black);
    {
      QPainter dc(&shot);
      CallPaintWindow(surface, dc);
    }
    const int last = surface->width() - 1, y = std::min(10, surface->height() - 1);
    for (int x : {5, 45, 165})
      EXPECT_EQ(shot.pixelColor(x, y), QColor(Qt::red)) << name << " at " << x;
    for (int x : {25, 65, 185})
      EXPECT_EQ(shot.pixelColor(x, y), QColor(Qt::blue)) << name << " at " << x;
    EXPECT_EQ(shot.pixelColor(last, y), QColor(last % 40 < 20 ? Qt::red : Qt::blue)) << name;
  }
}

}  // namespace
}  // namespace vs
