// The program settings window in a whole run of the program, driven as a
// user drives it: the pages its keys open and close, the warning when no
// output is chosen, the buffer sliders, the style and the language, the
// loop page's values, and the plug-in slots with test plug-ins and a real
// Debian VST plug-in on the master track.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QContextMenuEvent>
#include <QTableWidget>
#include <QTimer>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QMenu>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "controls/NumBar.h"
#include "controls/TrackSlider.h"
#include "controls/WAVWheel.h"
#include "core/ProgramPaths.h"
#include "core/Style.h"
#include "editors/PluginSlotsPage.h"
#include "framework/DropSource.h"
#include "engine/EchoLine.h"
#include "engine/MixSettings.h"
#include "engine/MixThread.h"
#include "engine/Mixer.h"
#include "engine/RenderWAV.h"
#include "engine/WAVFiles.h"
#include "framework/MLang.h"
#include "framework/Tab95.h"
#include "model/Song.h"
#include "platform/FileTypes.h"
#include "platform/ManualAudioOutput.h"
#include "support/ProgramStart.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "support/TestPlugins.h"
#include "support/TestApplication.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "toolbox/AllTools.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class SettingsWindowTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::unique_ptr<TProgramRun> Run;
  std::unique_ptr<TRecordingMessageBox> Boxes;  // after the run's own handler

  void SetUp() override {
    // Fresh settings, no sound device in tests.
    Run = testing::StartProgram(Tmp, "[ZM SETTINGS]\nUse WAV=0\n", VS_DATA_DIR);
    Boxes = std::make_unique<TRecordingMessageBox>();
    Run->ShowMainWindow();
  }
  void TearDown() override {
    if (Form()) Form()->close();
    Boxes.reset();
    Run.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
  TVorbelStepsMainForm* Form() { return Windows().VorbelStepsMainForm; }
  TMIDIForm& Settings() { return *Windows().MIDIForm; }
  TPreferences& Prefs() { return Run->Program().Prefs; }
  void Key(QWidget* w, Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i) QTest::keyClick(w, key);
  }
};

TEST_F(SettingsWindowTest, OpensOnItsWAVPageTheKeysToggleItAndClosingWithoutOutputsWarns) {
  // Neither a sound device nor a MIDI output chosen: the WAV page shows.
  TMIDIForm& s = Settings();
  EXPECT_TRUE(s.isVisible());
  EXPECT_EQ(s.SettingsControl->ActivePage(), s.WAVSheet);
  EXPECT_EQ(s.windowTitle(), "Settings");
  s.hide();

  // F7 in the main window shows General; F7 again, pressed in the settings,
  // hides it; F5 then shows the MIDI page.
  Form()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form()));
  QTest::keyClick(Form(), Qt::Key_F7);
  EXPECT_TRUE(s.isVisible());
  EXPECT_EQ(s.SettingsControl->ActivePage(), s.GeneralSheet);
  s.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&s));
  QTest::keyClick(&s, Qt::Key_F7);
  EXPECT_FALSE(s.isVisible());
  Form()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form()));
  QTest::keyClick(Form(), Qt::Key_F5);
  EXPECT_EQ(s.SettingsControl->ActivePage(), s.MIDISheet);
  QTest::keyClick(Form(), Qt::Key_F8);
  EXPECT_EQ(s.SettingsControl->ActivePage(), s.PluginsSheet);
  EXPECT_TRUE(s.isVisible());

  // Closing with both outputs "(none)" warns, once per close.
  const size_t before = Boxes->Count();
  EXPECT_TRUE(s.close());
  ASSERT_EQ(Boxes->Count(), before + 1);
  const TRecordingMessageBox::Box box = Boxes->Boxes().back();
  EXPECT_EQ(box.Caption, "Warning");
  EXPECT_EQ(box.Message,
            "You didn't select any output (MIDI or DirectSound) device.\r\n"
            "Dont be surprised if you don't hear anything...");
  EXPECT_EQ(box.Flags & MbIconMask, uint32_t(MbIconWarning));
  EXPECT_FALSE(s.isVisible());
}

TEST_F(SettingsWindowTest, ABufferShorterThanTheLookAheadPullsItDownAndTheLookAheadPushesTheBufferUp) {
  TMIDIForm& s = Settings();
  s.ShowPage(s.WAVSheet);
  EXPECT_EQ(s.BufLSlider->Position(), 200);
  EXPECT_EQ(s.AheadBufSlider->Position(), 200);
  EXPECT_EQ(s.BufLLabel->text(), "Buffer Length (200ms)");
  // Five steps of 10 ms down on the buffer slider.
  s.BufLSlider->setFocus();
  Key(s.BufLSlider, Qt::Key_Left, 5);
  EXPECT_EQ(s.BufLSlider->Position(), 150);
  EXPECT_EQ(s.AheadBufSlider->Position(), 150);
  EXPECT_EQ(s.AheadBufLabel->text(), "Ahead Duration (150ms)");
  EXPECT_EQ(BlockFrames(), 6615);
  EXPECT_EQ(AudioOutput().LatencyOffset.load(), 6615 * 4);
  EXPECT_EQ(Prefs().BufferLength, 6615);
  EXPECT_EQ(Prefs().AheadLength, 6615);
  // Plug-ins are told the new block.
  EXPECT_EQ(PluginHost().BufferFrames(), 2048);
  // The look-ahead raised past the buffer takes the buffer with it; lowered,
  // it leaves it.
  s.AheadBufSlider->setFocus();
  Key(s.AheadBufSlider, Qt::Key_Right, 3);
  EXPECT_EQ(s.AheadBufSlider->Position(), 180);
  EXPECT_EQ(s.BufLSlider->Position(), 180);
  EXPECT_EQ(BlockFrames(), 7938);
  Key(s.AheadBufSlider, Qt::Key_Left, 8);
  EXPECT_EQ(s.AheadBufSlider->Position(), 100);
  EXPECT_EQ(s.BufLSlider->Position(), 180);
  EXPECT_EQ(AudioOutput().LatencyOffset.load(), 4410 * 4);
}

// On a device that takes 1024 frames at a time the sliders stop at the
// least distance ahead it is fed at (two periods and the mix's margin, 57
// ms): the buffer pulled down to nothing takes the look-ahead with it that
// far and no further.
TEST_F(SettingsWindowTest, TheBuffersGoNoLowerThanTheOpenDeviceIsFedAt) {
  auto backend = std::make_unique<TManualAudioBackend>();
  backend->PeriodFrames = 1024;
  SetAudioBackend(std::move(backend));
  AudioOutput().UseWAV.store(true);
  ASSERT_TRUE(OpenAudioOutput());
  EXPECT_EQ(LeastAheadFrames(), 2 * 1024 + LeastAheadMargin);
  TMIDIForm& s = Settings();
  s.ShowPage(s.WAVSheet);
  s.BufLSlider->setFocus();
  Key(s.BufLSlider, Qt::Key_Left, 30);
  EXPECT_EQ(s.BufLSlider->Position(), 57);
  EXPECT_EQ(s.AheadBufSlider->Position(), 57);
  EXPECT_EQ(s.AheadBufLabel->text(), "Ahead Duration (57ms)");
  s.AheadBufSlider->setFocus();
  Key(s.AheadBufSlider, Qt::Key_Left, 5);
  EXPECT_EQ(s.AheadBufSlider->Position(), 57);
  EXPECT_EQ(BlockFrames(), MsToFrames(57));
  EXPECT_GE(AudioOutput().LatencyOffset.load(), LeastAheadFrames() * 4);
  EXPECT_EQ(Prefs().AheadLength, MsToFrames(57));
  CloseAudioOutput();
  AudioOutput().UseWAV.store(false);
  SetAudioBackend(nullptr);
}

// No device chosen while the output plays on the system's default: closing
// the settings says which device that is, in the program's language, and
// warns of nothing. The buffer pulled to its least (22 ms on a device that
// takes 256 frames at a time) is 22 ms again after a restart.
TEST_F(SettingsWindowTest, ClosingWithoutAChoiceNamesTheDefaultDeviceAndTheLeastBufferComesBack) {
  auto backend = std::make_unique<TManualAudioBackend>();
  backend->Names = {"PulseAudio: default"};
  backend->PeriodFrames = 256;
  SetAudioBackend(std::move(backend));
  AudioOutput().UseWAV.store(true);
  ASSERT_TRUE(OpenAudioOutput());
  TMIDIForm& s = Settings();
  s.ShowPage(s.WAVSheet);
  s.BufLSlider->setFocus();
  Key(s.BufLSlider, Qt::Key_Left, 30);
  EXPECT_EQ(s.BufLSlider->Position(), 22);
  EXPECT_EQ(s.BufLLabel->text(), "Buffer Length (22ms)");
  const size_t boxes = Boxes->Count();
  EXPECT_TRUE(s.close());
  EXPECT_EQ(Boxes->Count(), boxes);
  EXPECT_EQ(Form()->InfoLabel->text(),
            "No sound device chosen: the sound plays on the default one, PulseAudio: default.");
  ChooseLanguage(Prefs(), 1);
  s.ShowPage(s.WAVSheet);
  EXPECT_TRUE(s.close());
  EXPECT_EQ(Form()->InfoLabel->text(), QString::fromUtf8("Aucun périphérique audio choisi : le son passe par celui "
                                                         "par défaut, PulseAudio: default."));
  ChooseLanguage(Prefs(), 0);

  // The restart (the sound was on, and is again).
  Form()->close();
  Boxes.reset();
  Run.reset();
  const std::string text = ReadFileBytes(Tmp / "settings.ini").value_or("");
  ASSERT_NE(text.find("Use WAV=1"), std::string::npos);
  Run = testing::StartProgram(Tmp, text, VS_DATA_DIR);
  Boxes = std::make_unique<TRecordingMessageBox>();
  Run->ShowMainWindow();
  ASSERT_EQ(OutputDeviceName(), "PulseAudio: default");
  Settings().ShowPage(Settings().WAVSheet);
  EXPECT_EQ(Settings().BufLSlider->Position(), 22);
  EXPECT_EQ(Settings().BufLLabel->text(), "Buffer Length (22ms)");
  Settings().hide();
  Form()->close();
  Boxes.reset();
  Run.reset();
  CloseAudioOutput();
  AudioOutput().UseWAV.store(false);
  SetAudioBackend(nullptr);
}

TEST_F(SettingsWindowTest, TheOtherStyleRestylesTheMainWindowAndFrenchReTextsEveryWindow) {
  TMIDIForm& s = Settings();
  s.ShowPage(s.GeneralSheet);
  TVorbelStepsMainForm& form = *Form();
  const QImage before = form.grab().toImage();
  ASSERT_GE(s.StylesBox->count(), 2);
  ASSERT_EQ(s.StylesBox->currentText(), "Default");
  const int light = s.StylesBox->findText("Light");
  ASSERT_GE(light, 0);
  s.StylesBox->setFocus();
  Key(s.StylesBox, light > s.StylesBox->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
  EXPECT_EQ(s.StylesBox->currentText(), "Light");
  EXPECT_EQ(CurrentStyle().Name, "Light");
  EXPECT_EQ(Prefs().Style, light);
  const QImage after = form.grab().toImage();
  ASSERT_EQ(before.size().width(), after.size().width());
  // The menu line and the remote panel carry the other style's pictures.
  const QPoint panel = form.findChild<QWidget*>("MenuPic")->mapTo(&form, QPoint(40, 10));
  EXPECT_NE(before.pixelColor(panel), after.pixelColor(panel));

  // French: the main window's menus, the settings' caption, tabs and free
  // texts; English again.
  s.LanguageBox->setFocus();
  Key(s.LanguageBox, Qt::Key_Down);
  EXPECT_EQ(Prefs().Language, 1);
  EXPECT_EQ(form.Actions().Menu("FileMenu")->title(), "&Fichier");
  EXPECT_EQ(form.Actions().Action("General1")->text(), "Réglages &généraux");
  EXPECT_EQ(s.windowTitle(), "Réglages");
  EXPECT_EQ(s.GeneralSheet->Caption(), "Général");
  EXPECT_EQ(s.BufLLabel->text(), "Longueur du tampon (200 ms)");
  Key(s.LanguageBox, Qt::Key_Up);
  EXPECT_EQ(form.Actions().Menu("FileMenu")->title(), "&File");
  EXPECT_EQ(s.GeneralSheet->Caption(), "General");
}

TEST_F(SettingsWindowTest, LoopPageChangesMarkTheSongModified) {
  TMIDIForm& s = Settings();
  s.ShowPage(s.LoopSheet);
  TSong& song = CurrentSong();
  song.SetModified(false);
  EXPECT_EQ(s.PatLengthSelect->Position(), 16);
  s.PatLengthSelect->setFocus();
  Key(s.PatLengthSelect, Qt::Key_Right);
  EXPECT_EQ(song.PatternLength(), 17);
  EXPECT_TRUE(song.Modified());
  song.SetModified(false);
  s.RepeatBlockSelect->setFocus();
  Key(s.RepeatBlockSelect, Qt::Key_Right);
  EXPECT_EQ(song.StepsPerBlock, 5);
  EXPECT_TRUE(song.Modified());
  // The echo: a wheel dragged up, the steps slider moved; the info bar says
  // the time in notes.
  song.SetModified(false);
  TWAVWheel* feed = s.DelayFeedWheel;
  const QPoint c(feed->width() / 2, feed->height() / 2);
  QTest::mousePress(feed, Qt::LeftButton, {}, c);
  QTest::mouseMove(feed, c - QPoint(0, 16));
  QTest::mouseRelease(feed, Qt::LeftButton, {}, c - QPoint(0, 16));
  EXPECT_EQ(song.Echo.Feedback, 72);
  EXPECT_EQ(EchoLine().Feedback.load(), 72);
  EXPECT_TRUE(song.Modified());
  s.DelayDelaySlider->setFocus();
  Key(s.DelayDelaySlider, Qt::Key_Right);
  EXPECT_EQ(song.Echo.Time, 49);
  EXPECT_EQ(Form()->findChild<QLabel*>("InfoLabel")->text(), "Delay time (3.06 notes)");
}

// The folder grid and the plug-in folder through the folder dialog; a
// typed folder reaches the sample search only when the window closes; the
// song files' association follows its box; the CPU meter's speed.
TEST_F(SettingsWindowTest, FoldersAssociationAndTheCPUMeter) {
  TMIDIForm& s = Settings();
  s.ShowPage(s.DirsSheet);
  fs::create_directories(Tmp / "Kits/Acoustic");
  std::vector<std::string> asked;
  s.Hooks.ChooseFolder = [&](const std::string& title, const std::string&, const std::string&) {
    asked.push_back(title);
    return std::optional<std::string>(Tmp / "Kits/Acoustic");
  };
  // A right click on row 3 chooses its folder: path with a final "/", the
  // folder's name, the search folders at once.
  QTableWidget* grid = s.SearchDirList;
  const QRect cell = grid->visualItemRect(grid->item(2, 0));
  QContextMenuEvent click(QContextMenuEvent::Mouse, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
  QApplication::sendEvent(grid->viewport(), &click);
  ASSERT_EQ(asked, std::vector<std::string>{"Change browser directory"});
  EXPECT_EQ(grid->item(2, 0)->text().toStdString(), Tmp / "Kits/Acoustic/");
  EXPECT_EQ(grid->item(2, 1)->text(), "Acoustic");
  EXPECT_EQ(Prefs().SearchFolders[2], Tmp / "Kits/Acoustic/");
  const std::vector<std::string>& search = ProgramPaths().SampleSearchPaths;
  EXPECT_EQ(search.back(), Tmp / "Kits/Acoustic/");
  EXPECT_TRUE(s.isVisible());
  // Typed into a cell: nothing until the close.
  grid->item(5, 0)->setText("/typed/folder/");
  EXPECT_TRUE(s.FoldersChanged());
  // The typed path reads light on the dark list, also with another window
  // active.
  grid->clearSelection();
  s.activateWindow();
  for (bool active : {true, false}) {
    if (!active) QApplication::setActiveWindow(nullptr);
    const QImage shot = grid->viewport()->grab(grid->visualItemRect(grid->item(5, 0))).toImage();
    int lightest = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) lightest = std::max(lightest, qGray(shot.pixel(x, y)));
    EXPECT_GT(lightest, 160) << (active ? "active" : "inactive");
  }
  EXPECT_EQ(ProgramPaths().SampleSearchPaths.back(), Tmp / "Kits/Acoustic/");
  s.close();
  EXPECT_EQ(ProgramPaths().SampleSearchPaths.back(), "/typed/folder/");
  EXPECT_FALSE(s.FoldersChanged());

  // The plug-in folder.
  s.ShowPage(s.DirsSheet);
  QTest::mouseClick(s.VSTPathBtn, Qt::LeftButton);
  EXPECT_EQ(asked.back(), "Select a directory");
  EXPECT_EQ(Prefs().VSTPluginFolder, Tmp / "Kits/Acoustic/");
  EXPECT_EQ(PluginHost().Folder, Tmp / "Kits/Acoustic/");
  EXPECT_TRUE(s.isVisible());

  // The association, in a desktop of the test's own.
  setenv("XDG_DATA_HOME", (Tmp / "xdg-data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (Tmp / "xdg-config").c_str(), 1);
  s.ShowPage(s.GeneralSheet);
  EXPECT_FALSE(s.RegisterExtButton->isChecked());
  QTest::mouseClick(s.RegisterExtButton, Qt::LeftButton, {}, QPoint(6, s.RegisterExtButton->height() / 2));
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  EXPECT_TRUE(IsFileTypeRegisteredTo(".ZMP", program));
  s.hide();
  s.ShowPage(s.GeneralSheet);
  EXPECT_TRUE(s.RegisterExtButton->isChecked());
  QTest::mouseClick(s.RegisterExtButton, Qt::LeftButton, {}, QPoint(6, s.RegisterExtButton->height() / 2));
  EXPECT_FALSE(IsFileTypeRegisteredTo(".ZMP", program));
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");

  // The CPU meter runs while the window shows, fast after a click on it.
  s.ShowPage(s.WAVSheet);
  EXPECT_TRUE(AudioOutput().MeasureCPU.load());
  EXPECT_EQ(s.CPUTimer()->interval(), 1000);
  QTest::mouseClick(s.UsageLabel, Qt::LeftButton);
  EXPECT_EQ(s.CPUTimer()->interval(), 10);
  EXPECT_TRUE(s.UsageLabel->text().endsWith(" samples)"));
  s.hide();
  EXPECT_FALSE(AudioOutput().MeasureCPU.load());
  EXPECT_FALSE(s.CPUTimer()->isActive());
}

// Files dropped from the desktop: samples on the rack go into the row hit
// and a new row after it; a song dropped on the window opens.
TEST_F(SettingsWindowTest, FilesDroppedOnTheRackAndOnTheWindow) {
  TVorbelStepsMainForm& form = *Form();
  Settings().hide();
  const std::string kit = std::string(VS_DATA_DIR) + "Samples/DrumKits/Basic/";
  auto drop = [](QWidget* target, const std::vector<std::string>& files, QPoint at) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& f : files) urls << QUrl::fromLocalFile(QString::fromStdString(f));
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return enter.isAccepted() && dropped.isAccepted();
  };
  auto* target = form.findChild<TDragFilesTrg*>("WAVDragTrg");
  ASSERT_NE(target, nullptr);
  QWidget* rack = target->Target();
  ASSERT_EQ(CurrentSong().ChannelCount(), 8);
  QWidget* kick = form.Rack().Rows()[0].Name;
  EXPECT_TRUE(drop(rack, {kit + "Snare.wav", kit + "Clap.wav"}, kick->mapTo(rack, kick->rect().center())));
  ASSERT_EQ(CurrentSong().ChannelCount(), 9);
  EXPECT_EQ(CurrentSong().Channel(0)->Name, "Snare");
  EXPECT_EQ(CurrentSong().Channel(1)->Name, "Clap");
  EXPECT_EQ(CurrentSong().Channel(2)->Name, "Snare");

  // A song on the window, after the save-changes question is answered No.
  const std::string song = Tmp / "dropped.zmp";
  fs::copy_file(kit + "Basic.zmp", song);
  Boxes->Answer(IdNo);
  EXPECT_TRUE(drop(&form, {song}, QPoint(5, form.height() - 5)));
  EXPECT_EQ(CurrentSong().ChannelCount(), 8);
  EXPECT_EQ(form.Commands().OpenedFileName, song);
}

// What the pages change is what the program keeps: the boxes, the buffer
// and the language are in the settings file after the close, and the
// mixer took the boxes at once.
TEST_F(SettingsWindowTest, ChangesAreAppliedAtOnceAndKeptAtTheClose) {
  TMIDIForm& s = Settings();
  s.ShowPage(s.WAVSheet);
  QTest::mouseClick(s.SurroundBox, Qt::LeftButton, {}, QPoint(6, s.SurroundBox->height() / 2));
  EXPECT_TRUE(MixSettings().Surround.load());
  QTest::mouseClick(s.IPBox, Qt::LeftButton, {}, QPoint(6, s.IPBox->height() / 2));
  EXPECT_EQ(MixSettings().Interpolation.load(), 0);
  s.BufLSlider->setFocus();
  Key(s.BufLSlider, Qt::Key_Left, 2);
  s.ShowPage(s.GeneralSheet);
  QTest::mouseClick(s.EasyMoveBox, Qt::LeftButton, {}, QPoint(6, s.EasyMoveBox->height() / 2));
  EXPECT_FALSE(Prefs().EasyMove);
  // The rack follows the mouse-buttons box.
  QTest::mouseClick(s.MouseBtnBox, Qt::LeftButton, {}, QPoint(6, s.MouseBtnBox->height() / 2));
  EXPECT_FALSE(Form()->Rack().Shared().BothMouseButtons);
  s.ShowPage(s.MIDISheet);
  QTest::mouseClick(s.Bank32Button, Qt::LeftButton, {}, QPoint(6, s.Bank32Button->height() / 2));
  EXPECT_EQ(Prefs().BankSelectMethod, 1);
  s.hide();

  Form()->close();
  Boxes.reset();
  Run.reset();
  const std::string text = ReadFileBytes(Tmp / "settings.ini").value_or("");
  for (const char* line : {"Surround=1", "Easy Move=0", "Buffer Length=7938", "Bank Select Method=1"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
}

// A plug-in that moves its own parameter (from any thread) moves the wheel
// on its strip once the main thread has the report; a plug-in with an
// editor shows the editor item checked while its window is up.
class TFakeEditor : public TPluginEditorWindow {
public:
  void* NativeHandle() override { return this; }
  void SetCaption(const std::string& caption) override { Caption = caption; }
  void SetBounds(int, int, int, int) override {}
  void SetVisible(bool visible) override { Shown = visible; }
  bool Visible() const override { return Shown; }
  void Position(int& left, int& top) const override { left = top = 4; }
  std::string Caption;
  bool Shown = false;
};
class TFakeEditors : public TPluginEditorFactory {
public:
  std::unique_ptr<TPluginEditorWindow> CreateEditorWindow() override {
    auto w = std::make_unique<TFakeEditor>();
    Last = w.get();
    return w;
  }
  TFakeEditor* Last = nullptr;
};

TEST_F(SettingsWindowTest, AutomationMovesTheStripsWheelAndTheEditorItemFollowsItsWindow) {
  TFakeEditors editors;
  SetPluginEditorFactory(&editors);
  test::TPluginLog log("TestGain");
  ASSERT_TRUE(log.Ok());
  Prefs().VSTPluginFolder = VS_PLUGINS_DIR;
  PluginHost().Folder = VS_PLUGINS_DIR;
  TMIDIForm& s = Settings();
  s.ShowPage(s.PluginsSheet);
  TPluginSlotsPage& page = *s.PluginSlots;
  page.FXPageControl()->SetActivePage(page.TrackSheet(2));
  TPluginSlotPanel* strip = page.PluginSlot(2, 1);
  page.PreparePluginMenu(*strip);
  page.PluginSelect("TestGain");
  TPluginRack& rack = PluginSlot(2, 1);
  ASSERT_TRUE(rack.Plugin.Loaded());
  // Chosen, its editor opened at once, captioned with the track.
  ASSERT_NE(editors.Last, nullptr);
  EXPECT_EQ(editors.Last->Caption, "TestGain  (FX Track 2)");
  page.PreparePluginMenu(*strip);
  EXPECT_TRUE(page.ViewEditorMenu()->isChecked());
  page.ViewEditorMenu()->trigger();
  EXPECT_FALSE(rack.EditorVisible());
  page.PreparePluginMenu(*strip);
  EXPECT_FALSE(page.ViewEditorMenu()->isChecked());

  std::thread automation([&] { (*log.Host)(rack.Plugin.Effect, audioMasterAutomate, 1, 0, nullptr, 0.75f); });
  automation.join();
  EXPECT_TRUE(QTest::qWaitFor([&] { return strip->Wheels()[1]->Value() == 49152; }, 2000));
  rack.UnloadPlugin();
  SetPluginEditorFactory(nullptr);
}

// The plug-in menu of a strip: what it offers and what its items do.
TEST_F(SettingsWindowTest, PluginSlotsChooseProgramsMoveAndEmpty) {
  TMIDIForm& s = Settings();
  Prefs().VSTPluginFolder = VS_PLUGINS_DIR;
  PluginHost().Folder = VS_PLUGINS_DIR;
  s.ShowPage(s.PluginsSheet);
  TPluginSlotsPage& page = *s.PluginSlots;
  TPluginSlotPanel* first = page.PluginSlot(0, 0);
  page.PreparePluginMenu(*first);
  const QList<QAction*> plugins = page.ChoosePluginMenu()->actions();
  ASSERT_GT(plugins.size(), 3);
  EXPECT_EQ(plugins.back()->text(), "(none)");
  EXPECT_EQ(plugins.front()->text(), "TestAccum");
  EXPECT_FALSE(page.MoveUpMenu()->isEnabled());
  EXPECT_TRUE(page.MoveDownMenu()->isEnabled());
  EXPECT_FALSE(page.ChooseProgramMenu()->isEnabled());
  for (QAction* a : plugins)
    if (a->text() == "TestGain") a->trigger();
  TPluginRack& rack = PluginSlot(0, 0);
  ASSERT_TRUE(rack.Plugin.Loaded());
  EXPECT_EQ(first->NameButton()->Text(), "TestGain");
  EXPECT_GT(first->height(), EmptyStripHeight);
  ASSERT_EQ(first->Wheels().size(), 2u);
  // Offscreen there is no window for a plug-in's editor.
  EXPECT_FALSE(rack.EditorVisible());

  // A wheel turned by the mouse sets its parameter.
  TWAVWheel* gain = first->Wheels()[0];
  const QPoint c(gain->width() / 2, gain->height() / 2);
  QTest::mousePress(gain, Qt::LeftButton, {}, c);
  QTest::mouseMove(gain, c - QPoint(0, 64));
  QTest::mouseRelease(gain, Qt::LeftButton, {}, c - QPoint(0, 64));
  EXPECT_GT(rack.Plugin.GetParameter(0), 0.5f);

  // Its programs, the editor item, the last slot's moves.
  page.PreparePluginMenu(*first);
  const QList<QAction*> programs = page.ChooseProgramMenu()->actions();
  ASSERT_EQ(programs.size(), 3);
  EXPECT_EQ(programs[1]->text(), "Unity");
  EXPECT_TRUE(page.ViewEditorMenu()->isEnabled());
  programs[2]->trigger();
  EXPECT_EQ(gain->Value(), 16384);  // the program's gain 0.25
  // The name button switches it off and on.
  QTest::mouseClick(first->NameButton(), Qt::LeftButton, {}, QPoint(30, 5));
  EXPECT_FALSE(rack.Plugin.Active.load());
  QTest::mouseClick(first->NameButton(), Qt::LeftButton, {}, QPoint(30, 5));
  EXPECT_TRUE(rack.Plugin.Active.load());

  // Down: the plug-in moves to the second slot and the menu follows it.
  page.MoveDownMenu()->trigger();
  EXPECT_FALSE(PluginSlot(0, 0).Plugin.Loaded());
  EXPECT_TRUE(PluginSlot(0, 1).Plugin.Loaded());
  EXPECT_EQ(PluginSlot(0, 1).Slot, 1);
  EXPECT_EQ(page.PluginSlot(0, 1)->NameButton()->Text(), "TestGain");
  EXPECT_EQ(page.PluginSlot(0, 0)->NameButton()->Text(), "(none)");
  EXPECT_EQ(page.PopupPluginSlot(), page.PluginSlot(0, 1));
  TPluginSlotPanel* last = page.PluginSlot(0, 3);
  page.PreparePluginMenu(*last);
  EXPECT_TRUE(page.MoveUpMenu()->isEnabled());
  EXPECT_FALSE(page.MoveDownMenu()->isEnabled());

  // "(none)" empties the slot.
  page.PreparePluginMenu(*page.PluginSlot(0, 1));
  page.ChoosePluginMenu()->actions().back()->trigger();
  EXPECT_FALSE(PluginSlot(0, 1).Plugin.Loaded());
  EXPECT_EQ(page.PluginSlot(0, 1)->height(), EmptyStripHeight);

  // A folder without plug-ins offers "(none)" alone once the folder changes.
  Prefs().VSTPluginFolder = Tmp / "empty/";
  page.InvalidatePluginMenu();
  page.PreparePluginMenu(*first);
  ASSERT_EQ(page.ChoosePluginMenu()->actions().size(), 1);
  EXPECT_EQ(page.ChoosePluginMenu()->actions().front()->text(), "(none)");
}

// Frames of a rendered WAV file.
TFrames Rendered(const std::string& file) {
  TWAVSample sample;
  EXPECT_EQ(LoadWAVSample(file, sample), 0) << file;
  return sample.Data;
}

// A real VST 2 plug-in of the system (Debian's delay compensator): chosen on
// the master track from the plug-in menu, set to delay by its samples
// parameter, heard in a render, saved with the song and back on open.
TEST_F(SettingsWindowTest, ADebianPluginOnTheMasterTrackSoundsIsSavedAndComesBack) {
  const std::string real = "/usr/lib/vst/lsp-plugins/comp-delay-stereo.so";
  if (!fs::exists(real)) GTEST_SKIP() << "lsp-plugins-vst is not installed (scripts/install-deps.sh)";
  // The plug-in and the shared library of the package that it loads keep
  // memory of their own that they never free when let go. Held here to the
  // end of the run, that memory stays reachable from them, where the
  // sanitizers' leak check would otherwise find it with no library left to
  // name.
  static const bool held = [&] {
    dlopen(real.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    for (const auto& entry : fs::directory_iterator(fs::path(real).parent_path()))
      if (entry.path().filename().string().rfind("lsp-plugins-vst2", 0) == 0)
        dlopen(entry.path().c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    return true;
  }();
  (void)held;
  fs::create_directories(Tmp / "vst");
  fs::create_symlink(real, Tmp / "vst/comp-delay-stereo.so");
  Prefs().VSTPluginFolder = Tmp / "vst/";
  PluginHost().Folder = Prefs().VSTPluginFolder;
  const TFrames plain = (RenderSongToFile(Tmp / "plain.wav"), Rendered(Tmp / "plain.wav"));
  ASSERT_GT(plain.size(), 20000u);

  TMIDIForm& s = Settings();
  s.ShowPage(s.PluginsSheet);
  TPluginSlotsPage& page = *s.PluginSlots;
  page.InvalidatePluginMenu();
  page.PreparePluginMenu(*page.PluginSlot(0, 0));
  bool chosen = false;
  for (QAction* a : page.ChoosePluginMenu()->actions())
    if (a->text() == "comp-delay-stereo") {
      a->trigger();
      chosen = true;
    }
  ASSERT_TRUE(chosen);
  TVSTPlugin& plugin = PluginSlot(0, 0).Plugin;
  ASSERT_TRUE(plugin.Loaded());
  // Parameter 3 ("samp") is the delay in samples: a tenth of a thousandth
  // of its range is 100 samples.
  ASSERT_GT(plugin.NumParams(), 3);
  EXPECT_EQ(plugin.ParamControls[3]->Name, "samp");
  plugin.ParamWheelChange(3, 656);
  page.PluginSlot(0, 0)->RefreshParams();
  const int delay = std::atoi(plugin.ParamControls[3]->Display.c_str());
  EXPECT_NEAR(delay, 100, 1);

  ASSERT_TRUE(RenderSongToFile(Tmp / "delayed.wav").Ok);
  const TFrames delayed = Rendered(Tmp / "delayed.wav");
  ASSERT_EQ(delayed.size(), plain.size());
  for (int i = 0; i < 2 * delay; ++i) ASSERT_EQ(delayed[size_t(i)], 0) << i;
  int differences = 0;
  for (size_t i = 0; i + 2 * size_t(delay) < plain.size(); ++i)
    differences += std::abs(delayed[i + 2 * size_t(delay)] - plain[i]) > 1;
  EXPECT_EQ(differences, 0);

  // Saved with the song; a new song empties the slot; opening brings it
  // back with its value, shown on its strip.
  const std::string song = Tmp / "with delay.zmp";
  Form()->Commands().SetSongFileName(song, "with delay");
  ASSERT_TRUE(Form()->Commands().Save());
  Form()->Commands().ResetSong();
  EXPECT_FALSE(PluginSlot(0, 0).Plugin.Loaded());
  ASSERT_TRUE(Form()->Commands().OpenSong(song));
  ASSERT_TRUE(PluginSlot(0, 0).Plugin.Loaded());
  EXPECT_EQ(PluginSlot(0, 0).Plugin.Name, "comp-delay-stereo");
  EXPECT_NEAR(PluginSlot(0, 0).Plugin.GetParameter(3), 656 / 65536.0, 1e-4);
  EXPECT_EQ(page.PluginSlot(0, 0)->NameButton()->Text(), "comp-delay-stereo");
  ASSERT_TRUE(RenderSongToFile(Tmp / "again.wav").Ok);
  EXPECT_EQ(Rendered(Tmp / "again.wav"), delayed);
}

}  // namespace
}  // namespace vs
