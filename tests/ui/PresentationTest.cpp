// The presentation windows as a user meets them: the splash at start-up
// (or not, with "/NoSplash" or the setting off), a damaged splash picture
// that costs nothing but the splash.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "controls/TransImages.h"
#include "editors/TitleForm.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

class PresentationProgram : public ::testing::Test {
protected:
  TTestDir Tmp;
  void SetUp() override {
    testing::TestApplication();
    Settings("");
    setenv("VORBELSTEPS_SETTINGS", (Tmp / "settings.ini").c_str(), 1);
    setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
  }
  void TearDown() override {
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
  void Settings(const std::string& more) { Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\n" + more); }
  static int VisibleSplashes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<TTitleForm*>(w) && w->isVisible()) ++n;
    return n;
  }
};

TEST_F(PresentationProgram, SplashShowsWhileStartingUnlessSwitchedOff) {
  for (const auto& [args, setting, shown] :
       {std::tuple{std::vector<std::string>{}, "", true}, std::tuple{std::vector<std::string>{"/nosplash"}, "", false},
        std::tuple{std::vector<std::string>{}, "Splash Screen=0\n", false}}) {
    Settings(setting);
    TProgramRun run(args, Tmp.Dir());
    run.StartUp();
    EXPECT_EQ(run.SplashShown(), shown) << setting;
    // Start-up ends with the splash closed and freed.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(run.TitleForm(), nullptr);
    EXPECT_EQ(VisibleSplashes(), 0);
  }
}

TEST_F(PresentationProgram, SplashIsThePictureInTheMasksShapeAndAnyKeyEndsIt) {
  auto* splash = new TTitleForm(VS_DATA_DIR);
  ASSERT_TRUE(splash->Loaded());
  QPointer<TTitleForm> alive = splash;
  splash->ShowNow();
  EXPECT_EQ(splash->size(), QSize(480, 300));
  // Cut to the plate: the corner is outside the window, the middle inside.
  EXPECT_FALSE(splash->mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(splash->mask().contains(QPoint(240, 150)));
  const QImage shot = splash->grab().toImage();
  // Inside the plate the picture shows as it is (mask 255).
  const QColor mid = shot.pixelColor(240, 150);
  const QColor picture = splash->TitleImage()->Picture().pixelColor(240, 150);
  EXPECT_NEAR(mid.red(), picture.red(), 2);
  EXPECT_NEAR(mid.green(), picture.green(), 2);
  QTest::keyClick(splash, Qt::Key_Space);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());

  // A picture cut short: no splash, and the reason.
  const std::string title = *ReadFileBytes(VS_DATA_DIR "Artwork/Title.jpg");
  Tmp.Write("data/Artwork/Title.jpg", title.substr(0, title.size() / 2));
  TTitleForm damaged(QString::fromStdString(Tmp / "data/"));
  EXPECT_FALSE(damaged.Loaded());
  EXPECT_TRUE(damaged.LoadError().startsWith("JPEG error #"));
}

}  // namespace
}  // namespace vs
