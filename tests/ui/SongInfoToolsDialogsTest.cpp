// The song information, the tools and the small dialogs in the running
// program, driven as a user drives them: F10 and the loop information,
// its pop-up on opening a song, a tool started with its arguments, Alt+H
// and the humanize dialog, Ctrl+R and a render cancelled half-way.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "controls/MyTransBtn.h"
#include "controls/TrackSlider.h"
#include "core/ChannelFiles.h"
#include "core/ProgramPaths.h"
#include "core/SongCommands.h"
#include "editors/DialogParts.h"
#include "engine/EngineListener.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "files/SongFile.h"
#include "framework/RichEdEx.h"
#include "framework/RichText.h"
#include "model/Song.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/UrlRecorder.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

// Acts once on the modal dialog of type T when one is up (polling while
// the code that opens it runs its own event loop).
template <class T>
class TWhenModal {
public:
  explicit TWhenModal(std::function<void(T&)> act) : Act(std::move(act)) {
    QObject::connect(&Timer, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (Seen || !dialog) return;
      Seen = true;
      Act(*dialog);
    });
    Timer.start(10);
  }
  bool Seen = false;

private:
  std::function<void(T&)> Act;
  QTimer Timer;
};

class SongInfoToolsDialogsTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::unique_ptr<TProgramRun> Run;
  TVorbelStepsMainForm* Form = nullptr;
  // A tool that writes down what it was started with, one argument a line;
  // the program starts it with itself (flag 8, no arguments).
  std::string Argv, Script;

  void SetUp() override {
    testing::TestApplication();
    const std::string settings = Tmp / "settings.ini";
    setenv("VORBELSTEPS_SETTINGS", settings.c_str(), 1);
    setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
    Argv = Tmp / "argv.txt";
    Script = Tmp.Write("record tool.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + Argv +
                                               ".part\"\nmv \"" + Argv + ".part\" \"" + Argv + "\"\n");
    fs::permissions(Script, fs::perms::owner_all);
    Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\n[ZM TOOL 3]\nName=Logger\nFileName=" + Script + "\nParams=8\n");
    Run = std::make_unique<TProgramRun>(std::vector<std::string>{}, Tmp.Dir());
    Run->StartUp();
    Run->ShowMainWindow();
    Run->FirstActivation();
    Form = Windows().VorbelStepsMainForm;
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form));
  }
  void TearDown() override {
    CurrentSong().SetModified(false);
    Run.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
};

TEST_F(SongInfoToolsDialogsTest, LoopInfoIsEditedSavedAndShownOnOpening) {
  // F10: the editor, modal. The title renames the window and marks the song;
  // typing the description while it is shown ticks "Show it on open".
  TWhenModal<TSetInfoForm> edit([this](TSetInfoForm& info) {
    EXPECT_EQ(info.windowTitle(), "Loop info");
    EXPECT_EQ(info.TitleEdit->text(), "Basic");  // the kit's
    QTest::keyClick(info.TitleEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(info.TitleEdit, "Acid Rain");
    EXPECT_EQ(Form->windowTitle(), "Acid Rain - VorbelSteps");
    EXPECT_TRUE(CurrentSong().Modified());
    EXPECT_FALSE(info.ShowInfoBox->isChecked());
    QTest::keyClicks(info.InfoEdit->viewport(), "Wet");
    QTest::keyClicks(info.URLEdit, "www.example.org");
    EXPECT_TRUE(info.ShowInfoBox->isChecked());
    QTest::mouseClick(info.OkBtn, Qt::LeftButton);
  });
  QTest::keyClick(Form, Qt::Key_F10);
  ASSERT_TRUE(edit.Seen);
  EXPECT_FALSE(Windows().SetInfoForm->isVisible());
  TSong& song = CurrentSong();
  EXPECT_EQ(song.Info.Title, "Acid Rain");
  EXPECT_EQ(RTFToPlainText(song.Info.InfoRTF), "Wet\n");
  EXPECT_TRUE(song.Info.ShowOnOpen);

  // A description written elsewhere, with a picture, saved and opened: the
  // same rich text, and the viewer pops up with it.
  const std::string stored =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red200\\green0\\blue0;}\r\n"
      "\\pard\\fs20 Deep \\b\\cf1 acid\\cf0\\b0  line\\par\r\n"
      "{\\pict\\dibitmap0\\picw1\\pich1 28000000010000000100000001001800000000000400000000000000000000000000000000000000"
      "0000ff00}\\par\r\n}";
  song.Info.InfoRTF = stored;
  const std::string first = Tmp / "first.zmp", second = Tmp / "second.zmp";
  ASSERT_TRUE(SaveSong(first, song));
  TSongCommands& commands = Form->Commands();
  ASSERT_TRUE(commands.OpenSong(first));
  TInfoForm& viewer = *Windows().InfoForm;
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_EQ(viewer.TitleLabel->text(), "Acid Rain");
  EXPECT_TRUE(viewer.URLEdit->isVisible());
  EXPECT_TRUE(viewer.BottomLine->isVisible());
  EXPECT_EQ(viewer.InfoEdit->toPlainText(), QString("Deep acid line\n\uFFFC"));
  EXPECT_EQ(viewer.InfoEdit->ObjectCount(), 1);
  EXPECT_EQ(viewer.height(), viewer.InfoEdit->geometry().bottom() + 1 + 28);
  EXPECT_GE(viewer.InfoEdit->height(), 80);
  // Unedited, the description is written back byte for byte.
  EXPECT_EQ(Windows().SetInfoForm->InfoEdit->RTF(), stored);
  ASSERT_TRUE(SaveSong(second, CurrentSong()));
  ASSERT_TRUE(commands.OpenSong(second));
  EXPECT_EQ(CurrentSong().Info.InfoRTF, stored);
  EXPECT_FALSE(CurrentSong().Modified());

  // A click on the address opens it; any key closes the viewer.
  TUrlRecorder browser;
  QDesktopServices::setUrlHandler("http", &browser, "Open");
  QTest::mouseClick(viewer.URLEdit, Qt::LeftButton);
  QDesktopServices::unsetUrlHandler("http");
  ASSERT_EQ(browser.Opened.size(), 1u);
  EXPECT_EQ(browser.Opened[0], QUrl("http://www.example.org"));
  QTest::keyClick(&viewer, Qt::Key_A);
  EXPECT_FALSE(viewer.isVisible());

  // A long description is cut at the screen's height less 100 and scrolls.
  SongInfo longInfo;
  longInfo.InfoRTF = "{\\rtf1 ";
  for (int i = 0; i < 200; ++i) longInfo.InfoRTF += "line\\par ";
  longInfo.InfoRTF += "}";
  viewer.ShowSongInfo(longInfo);
  EXPECT_EQ(viewer.InfoEdit->height(), viewer.screen()->availableGeometry().height() - 100);
  EXPECT_EQ(viewer.InfoEdit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_FALSE(viewer.URLEdit->isVisible());
  EXPECT_EQ(viewer.height(), viewer.InfoEdit->geometry().bottom() + 1 + 4);
  QTest::mouseClick(viewer.InfoEdit->viewport(), Qt::LeftButton);
  EXPECT_FALSE(viewer.isVisible());
}

TEST_F(SongInfoToolsDialogsTest, ToolsAreEditedAndStartedWithTheirArgumentsApart) {
  // The tool flagged to start with the program did, without arguments.
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(Argv); }, 10000));
  EXPECT_EQ(*ReadFileBytes(Argv), "");
  fs::remove(Argv);
  TPreferences& prefs = Run->Program().Prefs;
  prefs.ToolList[0] = {"", "/bin/true", ToolWithChannelSample};  // no name: in no menu

  // The tools dialog offers the row after the last named tool; a name, a
  // program and two boxes make the tool.
  TWhenModal<TAddToolForm> configure([&](TAddToolForm& tools) {
    EXPECT_EQ(tools.ToolsBox->item(3)->text(), "Logger");
    EXPECT_EQ(tools.ToolsBox->currentRow(), 4);
    QTest::keyClicks(tools.TitleEdit, "Recorder");
    tools.FileEdit->setText(QString::fromStdString(Script));
    emit tools.FileEdit->textEdited(tools.FileEdit->text());
    tools.PathBox->click();
    tools.WAVBox->click();
    EXPECT_EQ(tools.ToolsBox->item(4)->text(), "Recorder");
    EXPECT_FALSE(tools.LinkBox->isVisible());
    // A row dragged to the top takes its tool there.
    tools.ToolsBox->model()->moveRow(QModelIndex(), 3, QModelIndex(), 0);
    EXPECT_EQ(prefs.ToolList[0].Name, "Logger");
    EXPECT_EQ(prefs.ToolList[1].FileName, "/bin/true");
    EXPECT_EQ(tools.ToolsBox->item(0)->text(), "Logger");
    EXPECT_EQ(tools.TitleEdit->text(), "Logger");
    QTest::mouseClick(tools.OkBtn, Qt::LeftButton);
  });
  Form->Actions().Action("Configure1")->trigger();
  ASSERT_TRUE(configure.Seen);
  EXPECT_EQ(prefs.ToolList[4].FileName, Script);
  EXPECT_EQ(prefs.ToolList[4].Params, ToolWithSamplesPath | ToolWithChannelSample);

  // Closing rebuilt the Tools menu: the named tools after a shown separator.
  QMenu* menu = Form->Actions().Menu("Tools1");
  QAction* item = menu->findChild<QAction*>("Tool4");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "Recorder");
  EXPECT_NE(menu->findChild<QAction*>("Tool0"), nullptr);
  EXPECT_EQ(menu->findChild<QAction*>("Tool1"), nullptr);
  EXPECT_TRUE(Form->Actions().Action("ToolsSepMenu")->isVisible());

  // Started with the samples folder and the selected channel's sample, as
  // two arguments, whatever spaces they hold.
  TChannel& kick = *CurrentSong().Channel(0);
  ASSERT_TRUE(kick.Selected);
  const std::string sample = ResolveSamplePath(kick.SampleFileName);
  ASSERT_FALSE(sample.empty());
  item->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(Argv); }, 10000));
  EXPECT_EQ(*ReadFileBytes(Argv), SamplesFolder() + "\n" + sample + "\n");

  // The wave editor runs as the program's child with its switches first;
  // Ctrl+F starts it, and again closes it instead of starting another.
  const std::string waveArgv = Tmp / "wave.txt";
  const std::string wave = Tmp.Write("tindle.sh", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + waveArgv +
                                                      ".part\"\nmv \"" + waveArgv + ".part\" \"" + waveArgv +
                                                      "\"\nexec sleep 30\n");
  fs::permissions(wave, fs::perms::owner_all);
  prefs.ToolList[2] = {"Tindle", wave, ToolWithSamplesPath};
  TAddToolForm& tools = *Windows().AddToolForm;
  tools.UpdateToolsMenu();
  EXPECT_EQ(menu->findChild<QAction*>("Tool2")->shortcut(), QKeySequence("Ctrl+F"));
  // The closed tools dialog's own activation can still be on its way on a
  // busy machine: the main window is active once it stays so for a moment.
  ASSERT_TRUE(QTest::qWaitFor([&] {
    if (QApplication::activeWindow() != Form) Form->activateWindow();
    if (!QTest::qWaitForWindowActive(Form, 1000)) return false;
    QTest::qWait(100);
    return QApplication::activeWindow() == Form;
  }, 10000));
  QTest::keyClick(Form, Qt::Key_F, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(waveArgv); }, 10000));
  EXPECT_EQ(*ReadFileBytes(waveArgv), "/T\n/SUBDIR\n" + SamplesFolder() + "\n");
  EXPECT_TRUE(tools.WaveEditorRunning());
  QTest::keyClick(Form, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !tools.WaveEditorRunning(); }, 10000));
}

TEST_F(SongInfoToolsDialogsTest, AToolsIconStandsBesideItsRowClearOfTheNameAndTheFields) {
  // A tool whose file is a picture: its icon is the picture itself.
  fs::create_directories(Tmp / "bin");
  QImage picture(32, 32, QImage::Format_RGB32);
  picture.fill(QColor(0xF0, 0xF0, 0xF0));
  ASSERT_TRUE(picture.save(QString::fromStdString(Tmp / "bin/mytool.png")));
  Run->Program().Prefs.ToolList[1] = {"My tool", Tmp / "bin/mytool.png", 0};

  TAddToolForm& tools = *Windows().AddToolForm;
  tools.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&tools));
  tools.ToolsBox->setCurrentRow(1);
  QLabel* icon = tools.ProgIcon;
  ASSERT_TRUE(icon->isVisible());
  for (QWidget* w : std::initializer_list<QWidget*>{tools.ToolsBox, tools.TitleLabel, tools.TitleEdit, tools.FileEdit})
    EXPECT_FALSE(icon->geometry().intersects(w->geometry())) << w->objectName().toStdString();
  const QRect row = tools.ToolsBox->visualItemRect(tools.ToolsBox->item(1));
  EXPECT_NEAR(icon->geometry().center().y(), tools.ToolsBox->mapTo(&tools, row.center()).y(), 1);
  tools.hide();
}

TEST_F(SongInfoToolsDialogsTest, AltHHumanizesTheSelectedChannelsOnSteps) {
  TSong& song = CurrentSong();
  for (auto& c : song.Channels) c->Selected = false;
  TChannel& target = *song.Channel(1);
  target.Selected = true;
  for (int s = 0; s < 16; ++s) target.Steps.SetStepOn(song.CurrentPattern, s, s % 2 == 0);
  TStepBlock& block = *target.Steps.Block(song.CurrentPattern);
  for (int s = 0; s < 16; ++s) block.Set(s, PlaneVol, 100);
  const TStepBlock before = block;
  const TStepBlock other = *song.Channel(0)->Steps.Block(song.CurrentPattern);

  QString caption;
  TWhenModal<THumanizeForm> humanize([&](THumanizeForm& dialog) {
    caption = dialog.PercentageBox->title();
    EXPECT_TRUE(dialog.VolBox->isChecked());
    EXPECT_TRUE(dialog.PanBox->isChecked());
    EXPECT_FALSE(dialog.PitchBox->isChecked());
    EXPECT_EQ(dialog.HumanizeSlider->Position(), 25);
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
  });
  QTest::keyClick(Form, Qt::Key_H, Qt::AltModifier);
  ASSERT_TRUE(humanize.Seen);
  EXPECT_EQ(caption, "Humanize 25%");
  int moved = 0;
  for (int s = 0; s < 16; ++s) {
    const int v = block.Get(s, PlaneVol);
    if (s % 2) {
      EXPECT_EQ(v, 100) << "an off step stays";
      continue;
    }
    EXPECT_GE(v, 75);
    EXPECT_LT(v, 125);
    moved += v != 100;
    EXPECT_EQ(block.Get(s, PlanePitch), before.Get(s, PlanePitch));
  }
  EXPECT_GE(moved, 4);
  // Values only: no step moves in time (the same steps are on, none shifted).
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(target.Steps.IsStepOn(song.CurrentPattern, s), before.Get(s, PlaneFlags) & 1) << s;
    EXPECT_EQ(block.Get(s, PlaneShift), before.Get(s, PlaneShift)) << s;
  }
  EXPECT_TRUE(*song.Channel(0)->Steps.Block(song.CurrentPattern) == other);
}

// Hands the program's listener the render's reports, holding the render
// after its first report until the user has cancelled it (however long the
// machine takes to get there; the deadline only keeps a broken test from
// hanging).
class THoldingListener : public TEngineListener {
public:
  explicit THoldingListener(TEngineListener* next) : Next(next) {}
  void RenderProgress(int percent) override {
    Next->RenderProgress(percent);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (!RenderCancelled.load() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  void RenderDone(bool ok) override { Next->RenderDone(ok); }

private:
  TEngineListener* Next;
};

TEST_F(SongInfoToolsDialogsTest, CtrlRRendersWithAMovingGaugeAndCancelLeavesAShorterWAV) {
  TEngineListener* program = EngineListener();
  ASSERT_NE(program, nullptr);
  THoldingListener holding(program);
  SetEngineListener(&holding);
  const std::string wav = Tmp / "cancelled take.wav";

  TWhenModal<QFileDialog> ask([&](QFileDialog& dialog) {
    // The name typed once the dialog has read its folder.
    dialog.setDirectory(QString::fromStdString(Tmp.Dir()));
    QTest::qWait(100);
    dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(wav));
    QMetaObject::invokeMethod(&dialog, "accept");
  });
  int gauge = 0;
  bool okHidden = false;
  TWhenModal<TWAVRenderForm> render([&](TWAVRenderForm& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Rendering cancelled take.wav");
    // Mono halves the space the file needs, for this render and the next.
    const QString stereo = dialog.SpaceLabel->text();
    dialog.MonoBox->click();
    EXPECT_NE(dialog.SpaceLabel->text(), stereo);
    EXPECT_TRUE(Run->Program().Prefs.MonoRender);
    QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
    okHidden = dialog.OkButton->isHidden();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.RenderGauge->Position() > 0; }, 120000));
    gauge = dialog.RenderGauge->Position();
    // The window's close button only stops the render.
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(RenderCancelled.load());
  });
  QTest::keyClick(Form, Qt::Key_R, Qt::ControlModifier);
  SetEngineListener(program);
  ASSERT_TRUE(ask.Seen);
  ASSERT_TRUE(render.Seen);
  EXPECT_TRUE(okHidden);
  EXPECT_GT(gauge, 0);
  EXPECT_LT(gauge, 100);
  EXPECT_FALSE(Windows().WAVRenderForm->isVisible());
  EXPECT_FALSE(RenderRunning());

  // A valid WAV with what was rendered before the cancel: less than the bar.
  const TRenderResult result = LastRenderResult();
  EXPECT_TRUE(result.Ok);
  EXPECT_TRUE(result.Cancelled);
  TWAVSample sample;
  ASSERT_EQ(LoadWAVSample(wav, sample), 0);
  const TSong& song = CurrentSong();
  const int64_t bar = int64_t(song.PatternLength()) * (661500 / song.BPM);
  EXPECT_GT(sample.Length, 0);
  EXPECT_LT(sample.Length, bar);
  EXPECT_EQ(sample.Length, result.Frames);
  // The info bar says what happened, with what the file holds.
  const int64_t tenths = result.Frames * 10 / 44100;
  EXPECT_EQ(Form->InfoLabel->text().toStdString(), "Render cancelled: cancelled take.wav holds the first " +
                                                       std::to_string(tenths / 10) + "." +
                                                       std::to_string(tenths % 10) + " sec");
  const std::string bytes = *ReadFileBytes(wav);
  EXPECT_EQ(bytes[22], 1);  // one channel
  EXPECT_NE(bytes.find("LIST"), std::string::npos);
  EXPECT_EQ(uint32_t(uint8_t(bytes[4]) | uint8_t(bytes[5]) << 8 | uint8_t(bytes[6]) << 16 | uint32_t(uint8_t(bytes[7])) << 24),
            bytes.size() - 8);
}

// Beside the current tool the dialog shows its program's icon, the one its
// desktop entry names; a program without one shows none.
TEST_F(SongInfoToolsDialogsTest, TheToolsDialogShowsAProgramsOwnIconOrNone) {
  setenv("XDG_DATA_HOME", (Tmp / "share").c_str(), 1);
  setenv("XDG_DATA_DIRS", (Tmp / "none").c_str(), 1);
  const std::string player = Tmp.Write("bin/player", "#!/bin/sh\n");
  Tmp.Write("share/applications/player.desktop", "[Desktop Entry]\nExec=" + player + " %f\nIcon=player\n");
  fs::create_directories(Tmp / "share/icons/hicolor/16x16/apps");
  QImage red(16, 16, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save(QString::fromStdString(Tmp / "share/icons/hicolor/16x16/apps/player.png")));
  TPreferences& prefs = Run->Program().Prefs;
  prefs.ToolList[0] = {"Player", player, 0};
  bool shown = false, hidden = false;
  QColor colour;
  TWhenModal<TAddToolForm> configure([&](TAddToolForm& tools) {
    tools.ToolsBox->setCurrentRow(0);
    shown = tools.ProgIcon->isVisibleTo(&tools);
    colour = tools.ProgIcon->pixmap().toImage().pixelColor(8, 8);
    tools.ToolsBox->setCurrentRow(3);  // the logger script: no entry
    hidden = !tools.ProgIcon->isVisibleTo(&tools);
    QTest::mouseClick(tools.OkBtn, Qt::LeftButton);
  });
  Form->Actions().Action("Configure1")->trigger();
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_DATA_DIRS");
  ASSERT_TRUE(configure.Seen);
  EXPECT_TRUE(shown);
  EXPECT_EQ(colour, QColor(Qt::red));
  EXPECT_TRUE(hidden);
}

}  // namespace
}  // namespace vs

