// The main window's docked tool windows as a user moves them: a tool window
// dragged out or floated takes its client height from the window, docked
// again it gives it back; the hint panel item does the same; the menu bar
// opens its menus and its hovered item's hint reaches the info bar; a run
// stores the three tool windows' places and the next run brings them back.

#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "core/ProgramPaths.h"
#include "core/Style.h"
#include "framework/Hint95.h"
#include "framework/MLang.h"
#include "framework/MeroTB97.h"
#include "framework/NewMenu.h"
#include "framework/Skin.h"
#include "platform/SettingsStore.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "support/CleanWindows.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

class MainWindowDocksTest : public ::testing::Test {
protected:
  TPreferences Prefs;
  TTestDir Tmp;
  void SetUp() override {
    testing::TestApplication();
    ProgramPaths() = {};
    ProgramPaths().AppPath = Tmp.Dir() + "/";
  }
  void TearDown() override {
    DestroyProgramWindows();
    ProgramPaths() = {};
  }
};

TEST_F(MainWindowDocksTest, ToolWindowsLeavingAndEnteringDocksChangeTheHeight) {
  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.move(300, 200);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const int h0 = form.height();
  TMeroToolWindow97& info = *form.BottomToolWindow;
  TMeroToolWindow97& menu = *form.MainMenuToolWindow;
  const int mh = menu.ClientHeight();
  EXPECT_EQ(form.TopDock->height(), mh + 46);
  EXPECT_EQ(info.width(), form.BottomDock->width());
  EXPECT_EQ(form.NewMainMenu->Items().size(), 7u);

  // The info bar floated by a double click on its panel, docked again by a
  // double click on its caption (in its default dock, the top one).
  testing::DoubleClick(form.findChild<QWidget*>("BottomPic"), Qt::LeftButton, QPoint(200, 10));
  EXPECT_FALSE(info.Docked());
  EXPECT_EQ(form.height(), h0 - 20);
  testing::DoubleClick(info.FloatingFrame(), Qt::LeftButton, QPoint(80, 6));
  EXPECT_EQ(info.DockedTo(), form.TopDock);
  EXPECT_EQ(info.DockRow(), 0);
  EXPECT_EQ(form.height(), h0);
  EXPECT_EQ(form.TopDock->height(), 20 + mh + 46);

  // The menu bar's window dragged away by its panel beside the titles, and
  // dragged back over the top dock with Ctrl held: still floating.
  QWidget* pic = form.findChild<QWidget*>("MainMenuPic");
  const QPoint grab(pic->width() - 20, 8);
  const QPoint away = form.mapToGlobal(QPoint(40, form.height() + 120));
  QTest::mousePress(pic, Qt::LeftButton, {}, grab);
  QTest::mouseMove(pic, pic->mapFromGlobal(away));
  QTest::mouseRelease(pic, Qt::LeftButton, {}, pic->mapFromGlobal(away));
  EXPECT_FALSE(menu.Docked());
  EXPECT_EQ(form.height(), h0 - mh);
  QWidget* frame = menu.FloatingFrame();
  const QPoint overDock = form.TopDock->mapToGlobal(QPoint(60, 10));
  QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(30, 5));
  QTest::keyPress(frame, Qt::Key_Control);
  QTest::mouseMove(frame, frame->mapFromGlobal(overDock));
  QTest::mouseRelease(frame, Qt::LeftButton, Qt::ControlModifier, frame->mapFromGlobal(overDock));
  QTest::keyRelease(frame, Qt::Key_Control);
  EXPECT_FALSE(menu.Docked());
  EXPECT_EQ(form.height(), h0 - mh);

  // The floating menu bar still opens its menus; a hovered item's hint
  // goes to the info bar, its long part shown; an item without a hint
  // clears it, and so does the menu closing.
  bool opened = false;
  QStringList shown;
  auto* infoLabel = form.findChild<QLabel*>("InfoLabel");
  QTimer::singleShot(60, [&] {
    QMenu* help = form.NewMainMenu->OpenMenu();
    opened = help && help->objectName() == "Help1";
    if (!help) return;
    QAction* panic = form.Actions().Action("PanicMenu");
    QTest::mouseMove(help, help->actionGeometry(panic).center());
    shown << infoLabel->text();
    QTest::mouseMove(help, help->actionGeometry(form.Actions().Action("About1")).center());
    shown << infoLabel->text();
    QTest::mouseMove(help, help->actionGeometry(panic).center());
    shown << infoLabel->text();
    QTimer::singleShot(60, [help] { QTest::keyClick(help, Qt::Key_Escape); });
  });
  const TNewMenuItem& title = form.NewMainMenu->Items()[6];
  QTest::mouseClick(form.NewMainMenu, Qt::LeftButton, {}, QPoint(title.Left + 5, 8));
  EXPECT_TRUE(opened);
  EXPECT_EQ(shown, QStringList({"Stop any remaining sound...", "", "Stop any remaining sound..."}));
  EXPECT_EQ(infoLabel->text(), QString());

  // Docked again by a double click; the hint panel item hides and shows
  // the info bar, the height following.
  testing::DoubleClick(frame, Qt::LeftButton, QPoint(30, 5));
  EXPECT_EQ(form.height(), h0);
  QAction* hintPanel = form.Actions().Action("HintpanelMenu");
  hintPanel->trigger();
  EXPECT_TRUE(info.isHidden());
  EXPECT_FALSE(hintPanel->isChecked());
  EXPECT_EQ(form.height(), h0 - 20);
  hintPanel->trigger();
  EXPECT_EQ(form.height(), h0);
  EXPECT_TRUE(hintPanel->isChecked());

  // Hints paint in the program's colour with the brightened bevel.
  form.Hint95->ShowHintFor(form.NewMainMenu, form.NewMainMenu->mapToGlobal(QPoint(5, 5)));
  form.findChild<QWidget*>("MenuPic")->setToolTip("Remote|The remote panel");
  form.Hint95->ShowHintFor(form.findChild<QWidget*>("MenuPic"), form.mapToGlobal(QPoint(50, 40)));
  ASSERT_TRUE(form.Hint95->HintShowing());
  const QImage hint = form.Hint95->HintWindow()->Picture();
  EXPECT_EQ(hint.pixelColor(0, 0), QColor(255, 255, 255));
  EXPECT_EQ(hint.pixelColor(3, hint.height() / 2), QColor(0xcc, 0xbb, 0xbb));
  // An override shows at once, once, in place of the control's own text.
  QWidget* remote = form.findChild<QWidget*>("MenuPic");
  form.SetHintOverride("Now|A word of the moment", remote);
  ASSERT_TRUE(form.Hint95->HintShowing());
  EXPECT_EQ(form.Hint95->HintWindow()->Text(), "Now");
  form.Hint95->ShowHintFor(remote, form.mapToGlobal(QPoint(50, 40)));
  EXPECT_EQ(form.Hint95->HintWindow()->Text(), "Remote");
  form.Hint95->CancelHint();
}

TEST_F(MainWindowDocksTest, TheMenuBarDrawsFromTheStylesMenuPicture) {
  // A style whose menu picture is a blue plate strip, lit red, its plates
  // wide enough for every title.
  QImage strip(2000, 16, QImage::Format_RGB32);
  strip.fill(QColor(0, 0, 200));
  for (int y = 0; y < 16; ++y)
    for (int x = 1000; x < 2000; ++x) strip.setPixelColor(x, y, QColor(200, 0, 0));
  std::filesystem::create_directories(Tmp / "Styles/Default");
  ASSERT_TRUE(strip.save(QString::fromStdString(Tmp / "Styles/Default/MenuItems.bmp"), "BMP"));
  Tmp.Write("Styles/Default/config.txt", "MenuSep=100,200,300,400,500,600,700,800,900,950\n");
  const TStyle saved = CurrentStyle();

  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  Skin().ChangeStyle(Tmp.Dir() + "/", DefaultStyleName);
  form.show();
  TNewMenu& bar = *form.NewMainMenu;
  EXPECT_EQ(bar.size(), QSize(1000, 16));
  EXPECT_EQ(form.MainMenuToolWindow->ClientHeight(), 16);
  const size_t titles = bar.Items().size();
  ASSERT_GE(titles, 3u);
  ASSERT_LE(titles, 9u);
  for (size_t i = 1; i < titles; ++i) EXPECT_EQ(bar.Items()[i].Left, int(100 * i));
  // The separators past the titles are ignored; the last title reaches the
  // bar's end.
  EXPECT_EQ(bar.Items()[titles - 1].Width, 1000 - int(100 * (titles - 1)));
  QImage atRest, open;
  QTimer::singleShot(60, [&] {
    open = bar.grab().toImage();
    QTest::keyClick(bar.OpenMenu(), Qt::Key_Escape);
  });
  atRest = bar.grab().toImage();
  bar.OpenTitle(1);
  EXPECT_EQ(atRest.pixelColor(130, 1), QColor(0, 0, 200));
  EXPECT_EQ(open.pixelColor(130, 1), QColor(200, 0, 0));  // the open title lit
  EXPECT_EQ(open.pixelColor(10, 1), QColor(0, 0, 200));
  ApplyStyle(saved);
  Skin().Load(saved);
}

TEST_F(MainWindowDocksTest, AfterALanguageChangeTheBarMeasuresItsTitlesAgain) {
  SetLangFolder(std::string(VS_DATA_DIR) + "lang/");
  ForgetHeadlessTables();
  CreateProgramWindows(Prefs);
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.show();
  TNewMenu& bar = *form.NewMainMenu;
  const QFontMetrics fm(bar.font());
  EXPECT_EQ(bar.Items()[0].Width, fm.horizontalAdvance("&File") + 10);
  ChooseLanguage(Prefs, LangFrench);
  EXPECT_EQ(bar.Items()[0].MenuItem->text(), QString("&Fichier"));
  EXPECT_EQ(bar.Items()[0].Width, fm.horizontalAdvance("&Fichier") + 10);
  EXPECT_EQ(bar.Items()[1].Left, bar.Items()[0].Width);
  EXPECT_EQ(bar.width(), bar.Items().back().Left + bar.Items().back().Width);
  // The keyboard map is the same rows in any language.
  bool panic = false;
  for (const TKeyBinding& k : form.Actions().KeyMap())
    panic |= k.Id == "PanicMenu" && k.Keys == QKeySequence("Ctrl+H");
  EXPECT_TRUE(panic);
  ChooseLanguage(Prefs, LangEnglish);
  EXPECT_EQ(bar.Items()[0].Width, fm.horizontalAdvance("&File") + 10);
  DestroyProgramWindows();
  ForgetHeadlessTables();
  SetLangFolder("");
}

TEST(MainWindowLayoutTest, ARunStoresTheThreeToolWindowsAndTheNextBringsThemBack) {
  testing::TestApplication();
  TTestDir tmp;
  const std::string file = tmp / "settings.ini";
  setenv("VORBELSTEPS_SETTINGS", file.c_str(), 1);
  setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
  tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\n");
  {
    TProgramRun run({}, tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    EXPECT_TRUE(Windows().VorbelStepsMainForm->close());
    run.ShutDown();
  }
  {
    TSettingsStore store(file);
    ASSERT_EQ(store.Load(), TSettingsLoad::Loaded);
    for (const char* w : {"MainMenuToolWindow", "MenuToolWindow", "BottomToolWindow"})
      EXPECT_EQ(store.ReadInteger(w, "Rev", 0), 2) << w;
    EXPECT_EQ(store.ReadString("MainMenuToolWindow", "DockedTo", ""), "TopDock");
    EXPECT_EQ(store.ReadInteger("MainMenuToolWindow", "DockRow", -1), 0);
    EXPECT_EQ(store.ReadString("MenuToolWindow", "DockedTo", ""), "TopDock");
    EXPECT_EQ(store.ReadInteger("MenuToolWindow", "DockRow", -1), 1);
    EXPECT_EQ(store.ReadString("BottomToolWindow", "DockedTo", ""), "BottomDock");
    EXPECT_EQ(store.ReadInteger("BottomToolWindow", "Visible", 0), 1);
    // The user floats the remote panel and hides the info bar.
    store.WriteString("MenuToolWindow", "DockedTo", "+");
    store.WriteInteger("MenuToolWindow", "FloatLeft", 40);
    store.WriteInteger("MenuToolWindow", "FloatTop", 60);
    store.WriteInteger("BottomToolWindow", "Visible", 0);
    ASSERT_TRUE(store.Save());
  }
  TProgramRun run({}, tmp.Dir());
  run.StartUp();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  EXPECT_FALSE(form.MenuToolWindow->Docked());
  EXPECT_EQ(form.MenuToolWindow->FloatLeft, 40);
  EXPECT_EQ(form.MenuToolWindow->FloatTop, 60);
  EXPECT_TRUE(form.BottomToolWindow->isHidden());
  EXPECT_FALSE(form.Actions().Action("HintpanelMenu")->isChecked());
  EXPECT_EQ(form.TopDock->height(), form.MainMenuToolWindow->ClientHeight());
  run.ShutDown();
  unsetenv("VORBELSTEPS_SETTINGS");
  unsetenv("VORBELSTEPS_DATA");
}

}  // namespace
}  // namespace vs
