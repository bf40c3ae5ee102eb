// The presentation windows as a user meets them: the splash at start-up
// (or not, with "/NoSplash" or the setting off), a damaged splash picture
// that costs nothing but the splash; Help > Tips with and without its file;
// the about box sliding in with the version, its credits and links; the
// tutorial's pages replacing the song after the save-changes question;
// Help > Products info and Help > Contents.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>

#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/TimerSpeedButton.h"
#include "controls/TransImages.h"
#include "controls/WAVScope.h"
#include "framework/Skin.h"
#include "core/ProgramPaths.h"
#include "core/ProgramVersion.h"
#include "editors/AboutForm.h"
#include "editors/InfoForm.h"
#include "editors/PianoForm.h"
#include "editors/TitleForm.h"
#include "editors/TutorialForm.h"
#include "framework/AMTipDlg.h"
#include "framework/MLang.h"
#include "framework/RichEdEx.h"
#include "model/Song.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "ui/ProgramRun.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramWindows.h"
#include "ui/UrlRecorder.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// Runs check on the next turn of the event loop: inside the modal window
// that the caller opens next.
void WhenModal(std::function<void()> check) { QTimer::singleShot(0, qApp, std::move(check)); }

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

TEST_F(PresentationProgram, HelpTipsShowsARandomTipAndPagesThroughThem) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  const QStringList tips = ReadTipsFile(VS_DATA_DIR "Texts/Tips.txt");
  ASSERT_GE(tips.size(), 10);
  bool checked = false;
  int englishWidth = 0;
  WhenModal([&] {
    TTipForm* tip = form.Tips()->Form();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(tip->windowTitle(), "And now for some annoying tips...");
    // 203 pixels high, as wide as the caption needs beside a close button
    // (no other), at least 225.
    EXPECT_EQ(tip->height(), 203);
    EXPECT_GE(tip->width(), 225);
    englishWidth = tip->width();
    EXPECT_FALSE(tip->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(tip->Bar()->Max(), tips.size() - 1);
    const int first = tip->Bar()->Position();
    EXPECT_EQ(tip->TipLabel()->text(), tips[first]);
    EXPECT_EQ(LastTipIndex(), first);
    // The bar's right arrow shows the next tip (or stays on the last).
    QTest::mouseClick(tip->Bar()->Arrow(1), Qt::LeftButton);
    const int next = std::min<int>(first + 1, tips.size() - 1);
    EXPECT_EQ(tip->TipLabel()->text(), tips[next]);
    checked = true;
    QTest::keyClick(tip, Qt::Key_Return);
  });
  form.Actions().Action("TipsMenu")->trigger();
  EXPECT_TRUE(checked);
  EXPECT_EQ(form.Tips()->Form(), nullptr);

  // In French the French tips, under the French caption.
  ChooseLanguage(form.Prefs(), 1);
  WhenModal([&] {
    TTipForm* tip = form.Tips()->Form();
    EXPECT_EQ(tip->windowTitle(), "Et maintenant, quelques astuces agaçantes...");
    EXPECT_GT(tip->width(), englishWidth);  // the longer caption's room
    EXPECT_TRUE(ReadTipsFile(VS_DATA_DIR "Texts/Tips_1.txt").contains(tip->TipLabel()->text()));
    tip->reject();
  });
  form.Actions().Action("TipsMenu")->trigger();
  ChooseLanguage(form.Prefs(), 0);

  // One tip: the bar's range is 0..0 and that tip shows.
  TAMTipDialog one;
  one.Tips = {"Only this"};
  WhenModal([&] {
    EXPECT_EQ(one.Form()->Bar()->Max(), 0);
    EXPECT_EQ(one.Form()->TipLabel()->text(), "Only this");
    one.Form()->reject();
  });
  EXPECT_FALSE(one.Execute());
}

TEST_F(PresentationProgram, WithoutTheTipsFileOnlyTheTipsAreGone) {
  // A data folder like the shipped one but without its texts.
  fs::create_directories(Tmp / "data");
  for (const auto& entry : fs::directory_iterator(VS_DATA_DIR))
    if (entry.path().filename() != "Texts")
      fs::create_directory_symlink(entry.path(), fs::path(Tmp / "data") / entry.path().filename());
  setenv("VORBELSTEPS_DATA", (Tmp / "data").c_str(), 1);
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  run.ShowMainWindow();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  EXPECT_GT(CurrentSong().ChannelCount(), 4);  // the kit opened
  bool checked = false;
  WhenModal([&] {
    TTipForm* tip = form.Tips()->Form();
    EXPECT_EQ(tip->TipLabel()->text(), "");
    EXPECT_FALSE(tip->Bar()->isEnabled());
    // Paging does nothing and breaks nothing.
    QTest::keyClick(tip->Bar(), Qt::Key_End);
    EXPECT_EQ(tip->TipLabel()->text(), "");
    checked = true;
    tip->reject();
  });
  form.Actions().Action("TipsMenu")->trigger();
  EXPECT_TRUE(checked);
  EXPECT_TRUE(form.isVisible());
  // The products text and the help live there too: the viewer shows
  // them empty.
  for (const char* item : {"Productsinfo1", "Contents1"}) {
    form.Actions().Action(item)->trigger();
    ASSERT_NE(form.TextViewer(), nullptr);
    EXPECT_TRUE(form.TextViewer()->isVisible());
    EXPECT_TRUE(form.TextViewer()->InfoEdit->toPlainText().trimmed().isEmpty()) << item;
    form.TextViewer()->close();
  }
  QTest::keyClick(&form, Qt::Key_Space);
  EXPECT_TRUE(form.IsPlaying());
  QTest::keyClick(&form, Qt::Key_Space);
  EXPECT_FALSE(form.IsPlaying());
}

TEST_F(PresentationProgram, AboutSlidesInWithTheVersionAndItsCreditsScroll) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  TAboutForm& about = *Windows().AboutForm;
  bool checked = false;
  WhenModal([&] {
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.VersionLabel()->text(), "v" + QString::fromStdString(ProgramVersion()));
    EXPECT_FALSE(about.AboutPic()->Picture().isNull());
    EXPECT_FALSE(about.TitleImage()->Picture().isNull());
    EXPECT_TRUE(about.CreditsEdit()->toPlainText().contains("Independent JPEG Group"));

    // The slide: from the screen's right edge in 18 steps of 16 ms to
    // about the middle.
    const int screen = QGuiApplication::primaryScreen()->geometry().width();
    const int width = about.frameGeometry().width();
    EXPECT_EQ(TAboutForm::SlideLeft(screen, width, 0), screen);
    EXPECT_EQ(about.AnimTimer().interval(), 16);
    for (int k = 1; k <= 20; ++k) about.AnimTimerTimer();
    EXPECT_EQ(about.AnimStep(), 18);
    EXPECT_FALSE(about.AnimTimer().isActive());
    EXPECT_EQ(about.x(), TAboutForm::SlideLeft(screen, width, 18));
    EXPECT_NEAR(about.x() + width / 2, screen / 2, 3);

    // The credits move up a pixel a step and come in again from below; a
    // click on them speeds them up.
    TRichEditEx& credits = *about.CreditsEdit();
    EXPECT_EQ(credits.y(), 0);
    about.ScrollTimerTimer();
    EXPECT_EQ(credits.y(), -1);
    credits.move(0, 121 - credits.height());
    about.ScrollTimerTimer();
    EXPECT_EQ(credits.y(), 120);
    // Text coming in at the lower edge stays off the well's rim.
    credits.move(0, 100);
    const QImage well = about.CreditsPanel()->grab().toImage();
    int lightest = 0;
    for (int y = well.height() - 5; y < well.height() - 2; ++y)
      for (int x = 10; x < well.width() - 10; ++x) lightest = std::max(lightest, qGray(well.pixel(x, y)));
    EXPECT_LT(lightest, 120);
    credits.move(0, 120);
    EXPECT_EQ(about.ScrollTimer().interval(), 150);
    QTest::mouseClick(credits.viewport(), Qt::LeftButton);
    EXPECT_EQ(about.ScrollTimer().interval(), 50);

    // A link opens its address whole.
    TUrlRecorder browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    QLabel* link = about.findChild<QLabel*>("libjpegturboLink");
    ASSERT_NE(link, nullptr);
    emit link->linkActivated("https://libjpeg-turbo.org/");
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(browser.Opened.size(), 1u);
    EXPECT_EQ(browser.Opened[0], QUrl("https://libjpeg-turbo.org/"));
    // The link component: a bare mail address gets "mailto:"; the stored
    // e-mail is never opened, nor an address of another kind.
    QDesktopServices::setUrlHandler("mailto", &browser, "Open");
    TGoToWeb& web = about.WebLink();
    web.Url = "someone@example.org";
    web.EMail = "other@example.org";
    EXPECT_TRUE(web.Execute());
    web.Url = "file:///etc/passwd";
    EXPECT_FALSE(web.Execute());
    QDesktopServices::unsetUrlHandler("mailto");
    ASSERT_EQ(browser.Opened.size(), 2u);
    EXPECT_EQ(browser.Opened[1], QUrl("mailto:someone@example.org"));
    checked = true;
    QTest::mouseClick(about.OkBtn(), Qt::LeftButton);
  });
  form.Actions().Action("About1")->trigger();
  EXPECT_TRUE(checked);
  EXPECT_FALSE(about.isVisible());
  EXPECT_FALSE(about.ScrollTimer().isActive());
  // Closed, it lets the style's picture go; the next showing takes it again.
  EXPECT_TRUE(about.AboutPic()->Picture().isNull());
}

TEST_F(PresentationProgram, TutorialPagesReplaceTheSongOnlyAfterTheQuestion) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  run.ShowMainWindow();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  TRecordingMessageBox boxes;
  // An edit, then the tutorial: Cancel keeps the song and opens nothing.
  CurrentSong().SetModified(true);
  boxes.Answer(IdCancel);
  form.Actions().Action("Tutorial1")->trigger();
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Caption, "Confirm");
  EXPECT_EQ(form.TutorialForm(), nullptr);
  EXPECT_TRUE(CurrentSong().Modified());

  // No: the first page, its song untitled and unmodified.
  boxes.Answer(IdNo);
  form.Actions().Action("Tutorial1")->trigger();
  TTutorialForm* tutorial = form.TutorialForm();
  ASSERT_NE(tutorial, nullptr);
  EXPECT_TRUE(tutorial->isVisible());
  EXPECT_EQ(tutorial->PageCount(), 5);
  EXPECT_EQ(tutorial->windowTitle(), "Tutorial 1/5");
  EXPECT_TRUE(tutorial->InfoEdit()->toPlainText().startsWith("1. Your first beat"));
  EXPECT_EQ(CurrentSong().Info.Title, "1. Your first beat");
  EXPECT_EQ(fs::path(ProgramPaths().SongFileName).filename(), "untitled.zmp");
  EXPECT_FALSE(CurrentSong().Modified());

  // The bar to page 3: unmodified, nothing is asked.
  tutorial->SelBar()->ChangePosition(2);
  tutorial->SelBar()->EndGesture();
  EXPECT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(tutorial->windowTitle(), "Tutorial 3/5");
  EXPECT_EQ(CurrentSong().PatternNames[2].Name, "Fill");

  // Edited, then Cancel: the page and the edit stay.
  CurrentSong().SetModified(true);
  boxes.Answer(IdCancel);
  tutorial->SelBar()->ChangePosition(3);
  tutorial->SelBar()->EndGesture();
  EXPECT_EQ(boxes.Count(), 3u);
  EXPECT_EQ(tutorial->Page(), 2);
  EXPECT_EQ(tutorial->SelBar()->Position(), 2);
  EXPECT_TRUE(CurrentSong().Modified());

  // Closing frees it; the song stays.
  tutorial->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(form.TutorialForm(), nullptr);
  EXPECT_EQ(CurrentSong().PatternNames[2].Name, "Fill");
}

TEST_F(PresentationProgram, TheMelodyPageSaysWhatOpensTheTomsPianoRoll) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  run.ShowMainWindow();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  CurrentSong().SetModified(false);
  form.Actions().Action("Tutorial1")->trigger();
  form.TutorialForm()->SelBar()->ChangePosition(3);
  form.TutorialForm()->SelBar()->EndGesture();
  EXPECT_TRUE(form.TutorialForm()->InfoEdit()->toPlainText().contains(
      "Click the tom's select lamp, left of its name, then hold K"));
  // Done so, the piano roll opens on the tom (channel 5 of the kit).
  ASSERT_EQ(CurrentSong().Channel(5)->Name, "Tom");
  QTest::mouseClick(form.Rack().Rows()[5].Select, Qt::LeftButton);
  QTest::keyPress(&form, Qt::Key_K);
  EXPECT_TRUE(Windows().PianoForm->isVisible());
  EXPECT_EQ(Windows().PianoForm->Channel(), 5);
  QTest::keyRelease(&form, Qt::Key_K);
  form.TutorialForm()->close();
}

TEST_F(PresentationProgram, TutorialPagesEndAtTheFirstGapAndWithoutAnyPageZeroIsTried) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  Tmp.Write("gap/Tut_0.zmp", "x");
  Tmp.Write("gap/TUT_1.ZMP", "x");  // in any letter case
  Tmp.Write("gap/Tut_3.zmp", "x");
  EXPECT_EQ(CountTutorialPages(Tmp / "gap/"), 2);

  // No pages at all: page 0 is tried all the same; its song is missing,
  // which is said, and the open song stays as it was.
  const std::string app = ProgramPaths().AppPath;
  ProgramPaths().AppPath = Tmp / "empty/";
  const std::string title = CurrentSong().Info.Title;
  TRecordingMessageBox boxes;
  {
    TTutorialForm tutorial(form.Commands());
    EXPECT_EQ(tutorial.PageCount(), 0);
    tutorial.OpenPage(0);
    EXPECT_EQ(tutorial.windowTitle(), "Tutorial 1/0");
    EXPECT_TRUE(tutorial.InfoEdit()->toPlainText().isEmpty());
  }
  ProgramPaths().AppPath = app;
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].Message, "The file doesn't exist or has been moved.");
  EXPECT_EQ(CurrentSong().Info.Title, title);
}

TEST_F(PresentationProgram, ProductsInfoAndHelpShowInTheirViewerBesideTheSongsOne) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  EXPECT_EQ(form.TextViewer(), nullptr);  // made on first use
  form.Actions().Action("Productsinfo1")->trigger();
  TInfoForm* viewer = form.TextViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_NE(viewer, Windows().InfoForm);  // the song's viewer stays free
  EXPECT_EQ(viewer->TitleLabel->text(), "Other products...");
  const QString text = viewer->InfoEdit->toPlainText();
  EXPECT_TRUE(text.contains("MB404") && text.contains("voxrender")) << text.toStdString();
  EXPECT_FALSE(viewer->URLEdit->isVisible());
  QTest::keyClick(viewer, Qt::Key_Escape);
  EXPECT_FALSE(viewer->isVisible());

  // Help > Contents: the help's topics in the same viewer, under a caption
  // in the program's language.
  ChooseLanguage(form.Prefs(), 1);
  form.Actions().Action("Contents1")->trigger();
  EXPECT_EQ(form.TextViewer(), viewer);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->TitleLabel->text(), "Aide de VorbelSteps");
  const QString aide = viewer->InfoEdit->toPlainText();
  for (const char* topic : {"Jouer", "Canaux", "Valeurs des pas", "Liste de lecture", "Enregistrer et partager"})
    EXPECT_TRUE(aide.contains(QString::fromUtf8(topic))) << topic;
  // A language without its own help reads the English one.
  ChooseLanguage(form.Prefs(), 0);
  form.Actions().Action("Contents1")->trigger();
  const QString help = viewer->InfoEdit->toPlainText();
  EXPECT_TRUE(help.startsWith("Songs")) << help.toStdString();
  fs::path data = Tmp / "data";
  fs::create_directories(data / "Texts");
  for (const auto& e : fs::directory_iterator(VS_DATA_DIR))
    if (e.path().filename() != "Texts") fs::create_directory_symlink(e.path(), data / e.path().filename());
  fs::copy_file(std::string(VS_DATA_DIR) + "Texts/HelpTxt.rtf", data / "Texts/HelpTxt.rtf");
  const std::string app = ProgramPaths().AppPath;
  ProgramPaths().AppPath = data.string() + "/";
  ChooseLanguage(form.Prefs(), 2);
  form.Actions().Action("Contents1")->trigger();
  EXPECT_EQ(viewer->TitleLabel->text(), "VorbelSteps-help");
  EXPECT_EQ(viewer->InfoEdit->toPlainText(), help);
  ChooseLanguage(form.Prefs(), 0);
  ProgramPaths().AppPath = app;
  viewer->close();
}

// With the default "Use both mouse buttons" a click on a lit step leaves it
// on and a right click clears it; the help and the tutorial's first page say
// so in every language.
TEST_F(PresentationProgram, HelpAndTutorialSayWhatTheMouseButtonsDoToASteps) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  run.ShowMainWindow();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  TSong& song = CurrentSong();
  TTechno16* kick = form.Rack().Rows()[0].Steps;
  const QPoint first(8, kick->CellTop() + 10);
  ASSERT_EQ(song.Channel(0)->Steps.IsStepOn(song.CurrentPattern, 0), 1);
  QTest::mouseClick(kick, Qt::LeftButton, {}, first);
  EXPECT_EQ(song.Channel(0)->Steps.IsStepOn(song.CurrentPattern, 0), 1);
  QTest::mouseClick(kick, Qt::RightButton, {}, first);
  EXPECT_EQ(song.Channel(0)->Steps.IsStepOn(song.CurrentPattern, 0), 0);
  song.SetModified(false);

  const char* const help[] = {
      "Click a step to switch it on and right-click it to switch it off",
      "Cliquez sur un pas pour l'allumer, et du bouton droit pour l'éteindre",
      "Klik op een stap om hem aan te zetten en klik er met rechts op om hem uit te zetten"};
  const char* const tutorial[] = {
      "Click a dark step to switch it on, right-click a lit one to switch it off.",
      "Cliquez sur un pas éteint pour l'allumer, et du bouton droit sur un pas allumé pour l'éteindre.",
      "Klik op een donkere stap om hem aan te zetten, en met rechts op een verlichte om hem uit te zetten."};
  for (int language = 0; language < 3; ++language) {
    SCOPED_TRACE(language);
    ChooseLanguage(form.Prefs(), language);
    form.Actions().Action("Contents1")->trigger();
    ASSERT_NE(form.TextViewer(), nullptr);
    const QString text = form.TextViewer()->InfoEdit->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromUtf8(help[language]))) << text.toStdString();
    form.TextViewer()->close();
    form.Actions().Action("Tutorial1")->trigger();
    ASSERT_NE(form.TutorialForm(), nullptr);
    const QString page = form.TutorialForm()->InfoEdit()->toPlainText();
    EXPECT_TRUE(page.contains(QString::fromUtf8(tutorial[language]))) << page.toStdString();
    form.TutorialForm()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  ChooseLanguage(form.Prefs(), 0);
}

TEST_F(PresentationProgram, TheLightStyleSnowsInTheScopeAndTheDefaultDoesNot) {
  TProgramRun run({"/NoSplash"}, Tmp.Dir());
  run.StartUp();
  TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
  form.show();
  auto* scope = form.findChild<TWAVScope*>("MixScope");
  ASSERT_NE(scope, nullptr);
  auto paleInBottomRow = [scope] {
    for (int i = 0; i < 600; ++i) scope->NextFrame();  // a tick a frame
    const QImage shot = scope->grab().toImage();
    int pale = 0;
    for (int x = 0; x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, shot.height() - 1);
      pale += c.red() > 0xC0 && c.green() > 0xB0 && c.blue() > 0xA0;
    }
    return pale * 100 / shot.width();
  };
  Skin().ChangeStyle(VS_DATA_DIR, "Light");
  EXPECT_TRUE(bool(scope->OnPaint));
  EXPECT_GT(paleInBottomRow(), 90);
  Skin().ChangeStyle(VS_DATA_DIR, "Default");
  EXPECT_FALSE(bool(scope->OnPaint));
  EXPECT_LT(paleInBottomRow(), 10);
}

}  // namespace
}  // namespace vs

