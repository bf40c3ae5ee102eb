// The skinned main window played as a musician plays it, on a copy of the
// default drum kit: the keyboard map, the window's height between its frame
// and the full rack, the master faders with their info texts, and the logo.

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <thread>

#include "controls/MeroUpDown.h"
#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/RCADigital.h"
#include "controls/Selector.h"
#include "controls/TrackSlider.h"
#include "controls/WAVScope.h"
#include "controls/WAVWheel.h"
#include "core/ChannelCommands.h"
#include "core/PatternCommands.h"
#include "core/WaveEditorLink.h"
#include "engine/Mixer.h"
#include "engine/WAVFiles.h"
#include "framework/ActionTable.h"
#include "framework/Hint95.h"
#include "framework/NewMenu.h"
#include "framework/PanelLook.h"
#include "framework/MLang.h"
#include "framework/Skin.h"
#include "model/Song.h"
#include "support/ProgramStart.h"
#include "support/CleanWindows.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/AllTools.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/SkinPic.h"
#include "ui/WaveEditorServer.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class MainWindowTest : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::unique_ptr<TProgramRun> Run;
  TVorbelStepsMainForm* Form = nullptr;

  std::string Settings = "[ZM SETTINGS]\nUse WAV=0\n";

  void SetUp() override {
    Run = testing::StartProgram(Tmp, Settings, VS_DATA_DIR);
    Run->ShowMainWindow();
    Form = Windows().VorbelStepsMainForm;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form));
    // A copy of the default kit, opened as a song of the user's.
    fs::copy(std::string(VS_DATA_DIR) + "Samples/DrumKits/Basic", Tmp / "Basic", fs::copy_options::recursive);
    ASSERT_TRUE(Form->Commands().OpenSong(Tmp / "Basic/Basic.zmp"));
    Form->activateWindow();
    QApplication::processEvents();
  }
  void TearDown() override {
    if (Form && Form->IsPlaying()) Form->TogglePlayback();
    CurrentSong().SetModified(false);
    Run->ShutDown();
    Run.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }

  std::vector<bool> Enabled() const {
    std::vector<bool> on;
    for (const auto& c : CurrentSong().Channels) on.push_back(c->Enabled);
    return on;
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Form, key, modifiers); }
  // A drag as the window delivers it: the press to the control under the
  // pointer, the moves and the release to the control that holds the mouse
  // then (the floating wheel takes it over from a step row).
  void Drag(QWidget* w, QPoint from, QPoint to, Qt::MouseButton button, Qt::KeyboardModifiers keys = {}) {
    QTest::mousePress(w, button, keys, from);
    QWidget* holder = QWidget::mouseGrabber() ? QWidget::mouseGrabber() : w;
    const QPoint global = w->mapToGlobal(to);
    QMouseEvent move(QEvent::MouseMove, QPointF(holder->mapFromGlobal(global)), QPointF(global), Qt::NoButton,
                     button, keys);
    QApplication::sendEvent(holder, &move);
    QTest::mouseRelease(holder, button, keys, holder->mapFromGlobal(global));
  }
  // A right-button drag on the left side strip, from one height to another.
  void SizeByStrip(int fromY, int toY) {
    QWidget* strip = Form->LeftSide;
    QTest::mousePress(strip, Qt::RightButton, {}, QPoint(2, fromY));
    QMouseEvent move(QEvent::MouseMove, QPointF(2, toY), strip->mapToGlobal(QPointF(2, toY)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(strip, &move);
    QTest::mouseRelease(strip, Qt::RightButton, {}, QPoint(2, toY));
  }
  void SendKey(QEvent::Type type, Qt::Key key, bool autoRepeat) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(Form, &event);
  }
};

TEST_F(MainWindowTest, TheKeysPlayTheInstrument) {
  TSong& song = CurrentSong();
  ASSERT_EQ(song.ChannelCount(), 8);
  // The panel's controls answer to their names, for screen readers by their
  // hints' short texts.
  QWidget* play = Form->findChild<QWidget*>("StartButton");
  ASSERT_EQ(play, Form->StartButton);
  EXPECT_EQ(play->accessibleName(), "Play / stop");
  EXPECT_EQ(Form->findChild<QWidget*>("MainCutOffSlider")->accessibleName(), "Cutoff");
  const std::vector<bool> allOn(8, true);
  ASSERT_EQ(Enabled(), allOn);

  // Digits mute channels 1..; the row's mute button shows it; a second
  // press unmutes.
  Key(Qt::Key_1);
  EXPECT_FALSE(song.Channel(0)->Enabled);
  EXPECT_TRUE(Form->Rack().Rows()[0].Mute->Down());
  EXPECT_TRUE(song.Modified());
  Key(Qt::Key_1);
  EXPECT_EQ(Enabled(), allOn);
  // With eight channels 9 and 0 do nothing.
  Key(Qt::Key_9);
  Key(Qt::Key_0);
  EXPECT_EQ(Enabled(), allOn);
  // Ctrl: solo, as a right click on the mute button.
  Key(Qt::Key_3, Qt::ControlModifier);
  EXPECT_EQ(Enabled(), std::vector<bool>({false, false, true, false, false, false, false, false}));
  Key(Qt::Key_3, Qt::ControlModifier);  // every other channel muted: all on again
  EXPECT_EQ(Enabled(), allOn);
  // Two more channels from the Channels menu: 0 is the tenth.
  Form->Actions().Action("AddDrumChannel")->trigger();
  Form->Actions().Action("AddDrumChannel")->trigger();
  ASSERT_EQ(song.ChannelCount(), 10);
  Key(Qt::Key_0);
  EXPECT_FALSE(song.Channel(9)->Enabled);
  Key(Qt::Key_9);
  EXPECT_FALSE(song.Channel(8)->Enabled);

  // Space plays and stops; the play key shows it.
  Key(Qt::Key_Space);
  EXPECT_TRUE(Form->IsPlaying());
  EXPECT_TRUE(Form->StartButton->Down());
  Key(Qt::Key_Space);
  EXPECT_FALSE(Form->IsPlaying());
  EXPECT_FALSE(Form->StartButton->Down());
  // L switches song mode and back.
  Key(Qt::Key_L);
  EXPECT_EQ(Mixer().SongMode, 1);
  EXPECT_TRUE(Form->LoopButton->Down());
  Key(Qt::Key_L);
  EXPECT_EQ(Mixer().SongMode, 0);

  // The keypad's digits choose the pattern; + and - step it. The digits and
  // the pad (7, 8, 9 on its top row) follow.
  Key(Qt::Key_7, Qt::KeypadModifier);
  EXPECT_EQ(song.CurrentPattern, 7);
  EXPECT_EQ(Form->PatNumDig->Value(), 7);
  EXPECT_EQ(Form->PatPad->Value(), 0);
  Key(Qt::Key_Plus, Qt::KeypadModifier);
  Key(Qt::Key_Plus, Qt::KeypadModifier);
  Key(Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(song.CurrentPattern, 10);
  EXPECT_LT(Form->PatPad->Value(), 0);  // no pad cell from 10 on
  Key(Qt::Key_Minus, Qt::KeypadModifier);
  EXPECT_EQ(song.CurrentPattern, 9);
  EXPECT_EQ(Form->PatUpDown->Value(), 9);
  Key(Qt::Key_1, Qt::KeypadModifier);
  EXPECT_EQ(song.CurrentPattern, 1);
  EXPECT_EQ(Enabled()[0], true);  // the keypad's 1 is no channel key

  // Up on the first channel selects the last, Down goes back to the first.
  SelectChannel(song, 0);
  Key(Qt::Key_Up);
  EXPECT_EQ(SelectedChannelIndex(song), 9);
  EXPECT_TRUE(Form->Rack().Rows()[9].Select->Down());
  Key(Qt::Key_Down);
  EXPECT_EQ(SelectedChannelIndex(song), 0);

  // V holds the volume / pan mode; its auto-repeat changes nothing, its
  // release ends the mode. P holds pitch / mix.
  SendKey(QEvent::KeyPress, Qt::Key_V, false);
  EXPECT_EQ(Form->StepEditMode(), 1);
  EXPECT_TRUE(Form->FXVolBtn->Down());
  SendKey(QEvent::KeyRelease, Qt::Key_V, true);
  SendKey(QEvent::KeyPress, Qt::Key_V, true);
  EXPECT_EQ(Form->StepEditMode(), 1);
  SendKey(QEvent::KeyRelease, Qt::Key_V, false);
  EXPECT_EQ(Form->StepEditMode(), 0);
  EXPECT_FALSE(Form->FXVolBtn->Down());
  SendKey(QEvent::KeyPress, Qt::Key_P, false);
  EXPECT_EQ(Form->StepEditMode(), 2);
  EXPECT_TRUE(Form->FXPitchBtn->Down());
  SendKey(QEvent::KeyRelease, Qt::Key_P, false);
  EXPECT_EQ(Form->StepEditMode(), 0);
}

TEST_F(MainWindowTest, TheHeightFollowsTheRowsBetweenTheFrameAndTheFullRack) {
  TVorbelStepsMainForm& form = *Form;
  TSong& song = CurrentSong();
  // The style's width, fixed; at start the whole rack shows.
  EXPECT_EQ(form.width(), Skin().MenuPic.width());
  EXPECT_EQ(form.minimumWidth(), form.maximumWidth());
  const int full8 = form.FullHeight();
  EXPECT_EQ(form.height(), full8);
  EXPECT_EQ(full8, form.FrameHeight() + form.Rack().RowsHeight() + RackSpare);
  EXPECT_TRUE(form.Rack().GridsScroller()->isHidden());

  // "Always full height": a new channel grows the window by its row.
  form.Actions().Action("AddDrumChannel")->trigger();
  EXPECT_EQ(form.height(), full8 + 27);
  // Collapsing channels shrinks it.
  SelectChannel(song, 8);
  form.Actions().Action("Zipselected1")->trigger();
  EXPECT_EQ(form.height(), form.FullHeight());
  EXPECT_LT(form.height(), full8 + 27);
  form.Actions().Action("Unzipall1")->trigger();
  EXPECT_EQ(form.height(), full8 + 27);

  // The limits: never below the frame and the first row (the rack's 4-pixel
  // margin and 27 pixels), never past the full rack.
  form.SetFormHeight(10);
  EXPECT_EQ(form.height(), form.FrameHeight() + 4 + 27);
  form.SetFormHeight(5000);
  EXPECT_EQ(form.height(), form.FullHeight());

  // Shorter than the rows: the rack's scroller shows how far they reach,
  // with a knob of at least 31 pixels, rounded to 3k + 1.
  form.Prefs().AlwaysFullHeight = false;
  form.SetFormHeight(form.FullHeight() - 100);
  QApplication::processEvents();
  TNumBar& scroller = *form.Rack().GridsScroller();
  EXPECT_TRUE(scroller.isVisible());
  EXPECT_EQ(scroller.Max(), 100);
  EXPECT_EQ((scroller.KnobSize() - 1) % 3, 0);
  EXPECT_GE(scroller.KnobSize(), 31);
  // Page Down scrolls the rows by 30 pixels.
  QTest::keyClick(&form, Qt::Key_PageDown);
  EXPECT_EQ(scroller.Position(), 30);
  // Without "Always full height" a new channel leaves the height alone.
  const int h = form.height();
  form.Actions().Action("AddDrumChannel")->trigger();
  EXPECT_EQ(form.height(), h);

  // A double click on the rack's background: full height, and back.
  QWidget* back = form.Rack().BackWP();
  const QPoint empty(3, back->height() - 4);
  testing::DoubleClick(back, Qt::LeftButton, empty);
  EXPECT_EQ(form.height(), form.FullHeight());
  testing::DoubleClick(back, Qt::LeftButton, empty);
  EXPECT_EQ(form.height(), h);
  // A right-button drag on a side strip sizes the window by twice the
  // motion.
  SizeByStrip(20, 10);
  EXPECT_EQ(form.height(), h - 20);

  // 32 steps to a pattern with 16 shown: the pattern scroller comes under
  // the rack and the full window grows by it.
  form.Prefs().AlwaysFullHeight = true;
  form.FitMainWindowHeight();
  const int before = form.height();
  form.Actions().Action("N16notes2")->trigger();
  EXPECT_EQ(song.PatternLength(), 32);
  EXPECT_TRUE(form.Actions().Action("N16notes2")->isChecked());
  EXPECT_TRUE(form.PatternScroller->isVisible());
  EXPECT_EQ(form.height(), before + 17);
  EXPECT_EQ(form.PatternScroller->Max(), 16);
  // Right steps the scroller then: the rows show steps 1..16.
  QTest::keyClick(&form, Qt::Key_Right);
  EXPECT_EQ(PatternView().FirstVisibleStep, 1);
  form.Actions().Action("N16notes1")->trigger();
  EXPECT_TRUE(form.PatternScroller->isHidden());
  EXPECT_EQ(form.height(), before);
}

// The song keeps the rack's height (its last event, 133: the window's height
// less its frame); opening it gives the window that height again, unless
// the window shows the whole rack.
TEST_F(MainWindowTest, ASongKeepsTheRackHeightAndOpeningItBringsItBack) {
  TVorbelStepsMainForm& form = *Form;
  form.Prefs().AlwaysFullHeight = false;
  form.SetFormHeight(form.FullHeight() - 54);
  const int kept = form.height();
  const int rack = kept - form.FrameHeight();
  ASSERT_GT(rack, 0);
  CurrentSong().SetModified();
  form.Actions().Action("Save1")->trigger();
  EXPECT_FALSE(CurrentSong().Modified());
  const std::string song = Tmp / "Basic/Basic.zmp";
  const std::string bytes = *ReadFileBytes(song);
  ASSERT_GE(bytes.size(), 5u);
  const std::string last = bytes.substr(bytes.size() - 5);
  EXPECT_EQ(uint8_t(last[0]), 133);
  EXPECT_EQ(uint32_t(uint8_t(last[1]) | uint8_t(last[2]) << 8 | uint8_t(last[3]) << 16 | uint8_t(last[4]) << 24),
            uint32_t(rack));

  // Smaller now: opening the song gives the kept height back.
  form.SetFormHeight(form.FrameHeight() + 20);
  ASSERT_TRUE(form.Commands().OpenSong(song));
  EXPECT_EQ(form.height(), kept);
  // A window that shows the whole rack keeps doing so.
  form.SetFormHeight(form.FullHeight());
  ASSERT_TRUE(form.Commands().OpenSong(song));
  EXPECT_EQ(form.height(), form.FullHeight());
  // So does one with "Always full height", whatever the song kept.
  form.Prefs().AlwaysFullHeight = true;
  form.SetFormHeight(form.FrameHeight() + 20);
  ASSERT_TRUE(form.Commands().OpenSong(song));
  EXPECT_EQ(form.height(), form.FullHeight());
}

// Without "Always full height" the window still shows the rack's first row:
// at start on the kit (whose song keeps no rack height), after a song that
// kept none, after the shortest right-button drag and through double clicks
// on the background, which go to the full height and back to the user's.
class MainWindowNotFullTest : public MainWindowTest {
protected:
  MainWindowNotFullTest() { Settings += "Always Full Height=0\n"; }
  bool FirstRowShows() const {
    QApplication::processEvents();
    const TRackRowWidgets& row = Form->Rack().Rows().at(0);
    QWidget* view = Form->Rack().GridsBox()->viewport();
    QRect shown(row.Steps->mapTo(view, QPoint(0, 0)), row.Steps->size());
    shown |= QRect(row.Name->mapTo(view, QPoint(0, 0)), row.Name->size());
    return view->isVisible() && view->rect().contains(shown);
  }
};

TEST_F(MainWindowNotFullTest, TheWindowAlwaysShowsTheFirstRow) {
  TVorbelStepsMainForm& form = *Form;
  ASSERT_FALSE(form.Prefs().AlwaysFullHeight);
  EXPECT_TRUE(FirstRowShows()) << form.height() << " frame " << form.FrameHeight();
  CurrentSong().SetModified(false);
  form.Actions().Action("New1")->trigger();
  EXPECT_TRUE(FirstRowShows());

  // The shortest a right-button drag on a side strip makes it.
  SizeByStrip(400, 0);
  EXPECT_TRUE(FirstRowShows());
  const int least = form.height();
  EXPECT_GT(least, form.FrameHeight());

  // Double clicks: full, then back to the user's height, never below.
  QWidget* back = form.Rack().BackWP();
  testing::DoubleClick(back, Qt::LeftButton, QPoint(3, back->height() - 4));
  EXPECT_EQ(form.height(), form.FullHeight());
  testing::DoubleClick(back, Qt::LeftButton, QPoint(3, back->height() - 4));
  EXPECT_EQ(form.height(), least);
  EXPECT_TRUE(FirstRowShows());
  form.SetFormHeight(0);
  EXPECT_EQ(form.height(), least);
}

TEST_F(MainWindowTest, TheFadersSetTheMasterValuesWithTheirFormulasAndTexts) {
  TVorbelStepsMainForm& form = *Form;
  TSong& song = CurrentSong();
  auto slider = [&](TMasterSlider s) { return form.MasterSliders[s]; };
  auto info = [&] { return form.InfoLabel->text().toStdString(); };
  // Shown from the song without marking it modified.
  song.MasterVolume.store(96);
  song.MasterSwing.store(0);
  form.ShowMasterValues();
  EXPECT_EQ(slider(MainVolSlider)->Position(), 32);
  EXPECT_EQ(slider(ShuffleSlider)->Position(), 128);
  EXPECT_FALSE(song.Modified());

  // Volume: 128 - position, percent of 128 (the top is loudest). A right
  // click returns the fader to a new song's full volume.
  QTest::mouseClick(slider(MainVolSlider), Qt::RightButton, {}, QPoint(10, 60));
  EXPECT_EQ(slider(MainVolSlider)->Position(), 0);
  EXPECT_EQ(song.MasterVolume.load(), 128);
  EXPECT_EQ(info(), "100% Master volume");
  EXPECT_TRUE(song.Modified());
  slider(MainVolSlider)->ChangePositionAndRelease(28);
  EXPECT_EQ(song.MasterVolume.load(), 100);
  EXPECT_EQ(info(), "78% Master volume");
  // Swing: 128 - position, "%" then the percent of 128 and the hint.
  slider(ShuffleSlider)->ChangePositionAndRelease(96);
  EXPECT_EQ(song.MasterSwing.load(), 32);
  EXPECT_EQ(info(), "%25 swing");
  // Pitch: -position cents.
  slider(MainPitchSlider)->ChangePositionAndRelease(150);
  EXPECT_EQ(song.MasterPitch.load(), -150);
  EXPECT_EQ(info(), "-150 cents");
  // Resonance: off at the maximum, cos((p + 32) pi / 2048) elsewhere.
  slider(MainResoSlider)->ChangePositionAndRelease(0);
  EXPECT_FLOAT_EQ(Mixer().MasterFilter.Reso, static_cast<float>(std::cos(32 * M_PI / 2048)));
  EXPECT_EQ(info(), "0%");
  slider(MainResoSlider)->ChangePositionAndRelease(1024);
  EXPECT_EQ(Mixer().MasterFilter.Reso, 0.0f);
  EXPECT_EQ(info(), "100%");
  // Cutoff: open (1.0) at the maximum, 1 - cos((p + 16) pi / 2048) elsewhere.
  slider(MainCutOffSlider)->ChangePositionAndRelease(512);
  EXPECT_FLOAT_EQ(Mixer().MasterFilter.Cutoff, static_cast<float>(1 - std::cos(528 * M_PI / 2048)));
  EXPECT_EQ(info(), "50%");
  slider(MainCutOffSlider)->ChangePositionAndRelease(1024);
  EXPECT_EQ(Mixer().MasterFilter.Cutoff, 1.0f);
  EXPECT_EQ(song.MasterCutoffPosition, 1024);

  // The front wheels in pan mode: 64 of 127 is the centred word.
  form.Actions().Action("PanWheelsMenu")->trigger();
  TWAVWheel& wheel = *form.Rack().Rows()[2].Wheel;
  wheel.ChangeValue(64, true);
  EXPECT_EQ(song.Channel(2)->Pan, 64);
  EXPECT_EQ(info(), "Centered");
  wheel.ChangeValue(127, true);
  EXPECT_EQ(info(), "100% right");
  form.Actions().Action("PanWheelsMenu")->trigger();

  // The tempo menu sets the tempo through the tempo control.
  form.Actions().Action("N135BPM1")->trigger();
  EXPECT_EQ(song.BPM, 135);
  EXPECT_EQ(form.BPMDig->Value(), 135);
}

TEST_F(MainWindowTest, PopupsAndMenusActOnTheirChannelAndTheScope) {
  TVorbelStepsMainForm& form = *Form;
  TSong& song = CurrentSong();
  // A right click on Tom's name: its line menu; "Fill each 4 notes" fills
  // that row only.
  QAction* fill4 = form.Actions().Action("Add4Dots1");
  bool loadShown = false;
  QTimer::singleShot(50, [&] {
    QMenu* line = form.LineMenu();
    loadShown = form.Actions().Action("Openwave1")->isVisible();
    QTest::mouseClick(line, Qt::LeftButton, {}, line->actionGeometry(fill4).center());
  });
  QWidget* name = form.Rack().Rows()[5].Name;
  QTest::mouseClick(name, Qt::RightButton, {}, QPoint(20, 10));
  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(20, 10), name->mapToGlobal(QPoint(20, 10)));
  QApplication::sendEvent(name, &menu);
  EXPECT_TRUE(loadShown);  // a sample channel
  EXPECT_EQ(form.LineMenuChannel(), 5);
  std::vector<int> on;
  for (int s = 0; s < 16; ++s)
    if (song.Channel(5)->Steps.IsStepOn(1, s)) on.push_back(s);
  EXPECT_EQ(on, std::vector<int>({0, 4, 8, 12}));
  EXPECT_EQ(form.Rack().StepRow(5)->CellFrame(4), 3);  // on, in an odd block
  EXPECT_FALSE(song.Channel(4)->Steps.IsStepOn(1, 4));

  // Every item of the menus has its command, but the hidden "Flatten
  // playlist"; a handler set later replaces an item's command.
  std::vector<std::string> without;
  for (const auto& row : form.Actions().Rows())
    if (row->Kind == TActionKind::Item && !row->Handler) without.push_back(row->Id);
  EXPECT_EQ(without, std::vector<std::string>{"FlattenPlaylist1"});
  bool ran = false;
  EXPECT_TRUE(form.Actions().SetHandler("FlattenPlaylist1", [&] { ran = true; }));
  form.Actions().Action("FlattenPlaylist1")->trigger();
  EXPECT_TRUE(ran);

  // The tempo display pops its presets up.
  QTest::mouseClick(form.BPMDig, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_TRUE(form.TempoMenu()->isVisible());
  form.Actions().Action("N150BPM1")->trigger();
  form.TempoMenu()->hide();
  EXPECT_EQ(song.BPM, 150);
  EXPECT_EQ(form.BPMUpDown->Value(), 150);

  // The scope: a left click draws in the next style, its menu picks one and
  // the shade.
  const int style = form.Prefs().ScopeStyle;
  QTest::mouseClick(form.MixScope, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(form.Prefs().ScopeStyle, (style + 1) % 5);
  form.Actions().Action("ScopeFlower1")->trigger();
  EXPECT_EQ(form.MixScope->Style(), TScopeStyle::Flower);
  form.Actions().Action("ShadeMenu")->trigger();
  EXPECT_EQ(form.MixScope->TrailWeight(), 192);

  // Position leds: every row shows its lamps and the window follows.
  const int before = form.height();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(&form, Qt::Key_Z, Qt::AltModifier);
  EXPECT_TRUE(form.Rack().AllRowsShowLamps())
      << "popup " << QApplication::activePopupWidget() << ", grabber " << QWidget::keyboardGrabber() << ", focus "
      << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none")
      << ", shortcut enabled " << form.Actions().Action("MinimizeMenu")->isEnabled();
  EXPECT_EQ(form.Rack().StepRow(0)->height(), 46);
  EXPECT_EQ(form.height(), before + 7 * 19);
}

// Every popup of the window wears the program's dark look with the amber
// highlight: the line menu of a channel's name, the tempo presets, the
// scope's styles and the menu bar's menus.
TEST_F(MainWindowTest, EveryPopupWearsTheDarkLook) {
  TVorbelStepsMainForm& form = *Form;
  std::vector<std::string> light;
  // The popup as shown: its face beside the first item, and that item lit.
  auto look = [&](const char* what, QMenu* menu) {
    QTimer::singleShot(0, [&light, what, menu] {
      if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 30000))
        light.push_back(what + std::string(" unseen"));
      QAction* first = menu->actions().value(0);
      menu->setActiveAction(first);
      const QRect item = menu->actionGeometry(first);
      const QImage shown = menu->grab().toImage();
      if (QColor(shown.pixel(item.right() - 2, item.bottom() + 2)).lightness() > 64 ||
          QColor(shown.pixel(item.right() - 2, item.center().y())) != look::Accent)
        light.push_back(what);
      menu->close();
    });
  };
  look("line menu", form.LineMenu());
  QWidget* name = form.Rack().Rows()[5].Name;
  QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(20, 10), name->mapToGlobal(QPoint(20, 10)));
  QApplication::sendEvent(name, &context);
  look("tempo presets", form.TempoMenu());
  QTest::mouseClick(form.BPMDig, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::qWaitFor([&] { return !form.TempoMenu()->isVisible(); }, 30000);
  look("scope styles", form.ScopeMenu());
  QContextMenuEvent scope(QContextMenuEvent::Mouse, QPoint(10, 10), form.MixScope->mapToGlobal(QPoint(10, 10)));
  QApplication::sendEvent(form.MixScope, &scope);
  look("file menu", form.Actions().Menu("FileMenu"));
  QTest::mouseClick(form.NewMainMenu, Qt::LeftButton, {}, QPoint(10, form.NewMainMenu->height() / 2));
  QTest::qWaitFor([&] { return !form.Actions().Menu("FileMenu")->isVisible(); }, 30000);
  EXPECT_EQ(light, std::vector<std::string>{});
}

// The floating wheel edits a step's values: a right click on an on step
// with the buttons shown (not on an off one), or any press while V or P
// holds a value mode; the same drag turns it.
TEST_F(MainWindowTest, TheFloatingWheelTurnsTheStepsValues) {
  TVorbelStepsMainForm& form = *Form;
  TSong& song = CurrentSong();
  auto info = [&] { return form.InfoLabel->text().toStdString(); };
  const int pattern = song.CurrentPattern;
  TChannel& kick = *song.Channel(0);
  int on = -1, off = -1;
  for (int s = 0; s < 16; ++s)
    if (int& first = kick.Steps.IsStepOn(pattern, s) ? on : off; first < 0) first = s;
  ASSERT_GE(on, 0);
  ASSERT_GE(off, 0);
  TTechno16* row = form.Rack().StepRow(0);
  auto at = [&](int step, int lane) { return QPoint(step * 16 + 8, row->CellTop() + lane * 14 + 5); };
  auto vol = [&](const TChannel& c, int step) { return int(c.Steps.GetStepValue(pattern, step, PlaneVol)); };
  TWAVWheel& wheel = *form.DotVolWheel;
  ASSERT_EQ(form.findChild<TWAVWheel*>("DotVolWheel"), &wheel);

  // Buttons shown, one button for painting: a right click on an off step
  // does nothing.
  form.Rack().Shared().BothMouseButtons = false;
  const int kickVol = vol(kick, on);
  Drag(row, at(off, 1), at(off, 1), Qt::RightButton);
  EXPECT_FALSE(kick.Steps.IsStepOn(pattern, off));
  EXPECT_FALSE(wheel.isVisible());
  EXPECT_EQ(form.StepEditMode(), 0);
  EXPECT_FALSE(song.Modified());
  // On an on step the wheel opens on Vol (lower lane) or Pan (upper lane)
  // with the step's value, over its bar, in the volume / pan mode.
  QTest::mousePress(row, Qt::RightButton, {}, at(on, 1));
  EXPECT_TRUE(wheel.isVisible());
  EXPECT_EQ(QWidget::mouseGrabber(), &wheel);
  EXPECT_EQ(form.Rack().Shared().ValueEditLane, PlaneVol);
  EXPECT_EQ(wheel.Value(), kickVol);
  EXPECT_EQ(wheel.Max(), 127);
  EXPECT_EQ(wheel.pos(), row->pos() + QPoint(on * 16 - 4, row->CellTop() - 4 + 13));
  EXPECT_EQ(form.StepEditMode(), 1);
  EXPECT_TRUE(form.FXVolBtn->Down());
  QTest::mouseRelease(&wheel, Qt::RightButton, {}, QPoint(5, 5));
  // Released, it goes and the buttons come back.
  EXPECT_FALSE(wheel.isVisible());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  EXPECT_EQ(form.StepEditMode(), 0);
  EXPECT_FALSE(form.FXVolBtn->Down());
  QTest::mousePress(row, Qt::RightButton, {}, at(on, 0));
  EXPECT_EQ(form.Rack().Shared().ValueEditLane, PlanePan);
  EXPECT_EQ(wheel.Value(), 64);
  QTest::mouseRelease(&wheel, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_FALSE(song.Modified());
  // A right drag turns it at a quarter of its speed.
  Drag(row, at(on, 1), at(on, 1) - QPoint(0, 16), Qt::RightButton);
  EXPECT_EQ(vol(kick, on), kickVol + DotVolSpeed / 4);
  EXPECT_EQ(form.StepEditMode(), 0);

  // V held: a drag up on the lower lane raises Vol by the wheel's speed,
  // on the row and on every selected channel, and names it.
  SelectChannel(song, 0);
  song.Channel(3)->Selected = true;
  const int start = vol(kick, on), other = vol(*song.Channel(3), on);
  SendKey(QEvent::KeyPress, Qt::Key_V, false);
  const QImage before = row->grab().toImage();
  Drag(row, at(on, 1), at(on, 1) - QPoint(0, 10), Qt::LeftButton);
  EXPECT_EQ(vol(kick, on), start + 10 * DotVolSpeed / 16);
  EXPECT_EQ(vol(*song.Channel(3), on), std::min(127, other + 10 * DotVolSpeed / 16));
  EXPECT_EQ(info(), std::to_string(vol(kick, on) * 100 / 127) + "% Vol");
  EXPECT_EQ(form.StepEditMode(), 1);  // V still holds it
  EXPECT_NE(row->grab().toImage(), before);  // the bar shows the new value
  // The upper lane is Pan: 64 of 127 is the centred word.
  Drag(row, at(on, 0), at(on, 0) - QPoint(0, 10), Qt::LeftButton);
  EXPECT_EQ(kick.Steps.GetStepValue(pattern, on, PlanePan), 74);
  EXPECT_EQ(info(), "16% right");
  Drag(row, at(on, 0), at(on, 0) + QPoint(0, 10), Qt::LeftButton);
  EXPECT_EQ(kick.Steps.GetStepValue(pattern, on, PlanePan), 64);
  EXPECT_EQ(info(), "Centered");
  // With Ctrl the line cursor shows and every step of the row moves.
  QTest::keyPress(&form, Qt::Key_Control);
  EXPECT_TRUE(form.LineCursorShown());
  EXPECT_FALSE(form.cursor().pixmap().isNull());  // the program's own, drawn
  EXPECT_EQ(form.cursor().hotSpot(), QPoint(15, 15));
  std::vector<int> vols;
  for (int s = 0; s < MaxSteps; ++s) vols.push_back(vol(kick, s));
  Drag(row, at(on, 1), at(on, 1) + QPoint(0, 7), Qt::LeftButton, Qt::ControlModifier);
  for (int s = 0; s < MaxSteps; ++s) EXPECT_EQ(vol(kick, s), std::max(0, vols[size_t(s)] - 7)) << s;
  QTest::keyRelease(&form, Qt::Key_Control);
  EXPECT_FALSE(form.LineCursorShown());
  SendKey(QEvent::KeyRelease, Qt::Key_V, false);
  EXPECT_EQ(form.StepEditMode(), 0);
  // P: the upper lane is Pitch, named in cents.
  SendKey(QEvent::KeyPress, Qt::Key_P, false);
  Drag(row, at(on, 0), at(on, 0) - QPoint(0, 5), Qt::LeftButton);
  EXPECT_EQ(kick.Steps.GetStepValue(pattern, on, PlanePitch), 125);
  EXPECT_EQ(info(), "Pitch 50 cents");
  SendKey(QEvent::KeyRelease, Qt::Key_P, false);

  // Saved, the song keeps them.
  const int saved = vol(kick, on);
  EXPECT_TRUE(song.Modified());
  form.Actions().Action("Save1")->trigger();
  EXPECT_FALSE(song.Modified());
  ASSERT_TRUE(form.Commands().OpenSong(Tmp / "Basic/Basic.zmp"));
  EXPECT_EQ(vol(*CurrentSong().Channel(0), on), saved);
  EXPECT_EQ(CurrentSong().Channel(0)->Steps.GetStepValue(pattern, on, PlanePitch), 125);
}

TEST_F(MainWindowTest, TheLogoTeasesFromTheThirdClickAndADoubleClickCloses) {
  TVorbelStepsMainForm& form = *Form;
  QWidget* logo = form.LogoZone;
  const QString info = form.InfoLabel->text();
  const QColor caption = form.CaptionLabel->palette().color(QPalette::WindowText);
  // Dragging the window by its logo is no click.
  for (int i = 0; i < 3; ++i) Drag(logo, QPoint(10, 10), QPoint(60, 12), Qt::LeftButton);
  QTest::mouseClick(logo, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseClick(logo, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(form.InfoLabel->text(), info);
  QTest::mouseClick(logo, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(form.InfoLabel->text(), "Yes, that's our logo.");
  for (int i = 4; i <= 6; ++i) QTest::mouseClick(logo, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(form.InfoLabel->text(), "One more and you'll regret it...");
  EXPECT_EQ(form.CaptionLabel->palette().color(QPalette::WindowText), caption);
  QTest::mouseClick(logo, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(form.InfoLabel->text(), "Told you. Now the caption is red.");
  EXPECT_EQ(form.CaptionLabel->palette().color(QPalette::WindowText), QColor(0xE0, 0x20, 0x20));
  // In French, and the last text stays.
  ChooseLanguage(form.Prefs(), 1);
  QTest::mouseClick(logo, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(form.InfoLabel->text(), "Je vous avais prévenu. Le titre est rouge maintenant.");
  ChooseLanguage(form.Prefs(), 0);
  // A double click on the logo closes the window (a double click on the
  // rest of the panel's frame changes its height instead).
  QTest::mouseDClick(logo, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(form.isVisible());
}

// The outside wave editor hands files back on the socket: an edited sample
// loads into the selected channel, also when it is the channel's own file
// again; anything but an existing regular file is refused and changes
// nothing.
TEST_F(MainWindowTest, TheWaveEditorHandsFilesToTheSelectedChannel) {
  TVorbelStepsMainForm& form = *Form;
  const std::string socketPath = Tmp / "wave-editor";
  ASSERT_TRUE(form.ListenForWaveEditor(socketPath));
  // The editor: connects, writes the name and reads the answer.
  auto handOver = [&](const std::string& request) {
    std::string reply;
    std::atomic<bool> done = false;
    std::thread editor([&] {
      const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
      if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
          write(fd, request.data(), request.size()) == ssize_t(request.size())) {
        char c;
        while (read(fd, &c, 1) == 1 && c != '\n') reply += c;
      }
      close(fd);
      done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    editor.join();
    return reply;
  };
  auto wav = [&](const std::string& path, int frames) {
    TWAVSample s;
    s.SetFrames(std::vector<int16_t>(size_t(2 * frames), 1000));
    EXPECT_TRUE(SaveWAVFile(&s, path));
    return path;
  };
  TSong& song = CurrentSong();
  SelectChannel(song, 2);
  const std::string edited = wav(Tmp / "edited.wav", 300);
  EXPECT_EQ(handOver(edited + "\n"), "OK");
  EXPECT_EQ(song.Channel(2)->SampleFileName, edited);
  EXPECT_EQ(song.Channel(2)->Sample.Length, 300);
  EXPECT_EQ(form.InfoLabel->text(), "Received edited.wav");
  // Edited again and handed back under the same name: read again.
  wav(edited, 500);
  EXPECT_EQ(handOver(edited + "\r\n"), "OK");
  EXPECT_EQ(song.Channel(2)->Sample.Length, 500);

  form.InfoLabel->clear();
  const std::string kick = song.Channel(0)->SampleFileName;
  EXPECT_EQ(handOver(Tmp.Dir() + "\n"), "ERROR not a regular file: " + Tmp.Dir());
  EXPECT_EQ(handOver(Tmp / "gone.wav\n"), "ERROR no such file: " + Tmp / "gone.wav");
  EXPECT_EQ(handOver("edited.wav\n"), "ERROR not a full path: edited.wav");
  EXPECT_EQ(handOver(std::string(MaxWaveEditorRequest + 1, 'x')), "ERROR the file name is too long");
  EXPECT_EQ(song.Channel(2)->Sample.Length, 500);
  EXPECT_EQ(song.Channel(0)->SampleFileName, kick);
  EXPECT_EQ(form.InfoLabel->text(), "");
  // Files that hold no sound the program can take are answered with the
  // reason, and the channel keeps its sample and its name.
  const auto frames = song.Channel(2)->Sample.Data;
  std::string xi = "Extended Instrument: ";
  xi.resize(298, '\0');  // no sample in it
  const std::pair<std::string, std::string> unplayable[] = {
      {Tmp.Write("notes.wav", "a text file, named as a sample\n"), "not a WAV file with sound in it"},
      {Tmp.Write("stub.wav", std::string("RIFF\4\0\0\0WAVE", 12)), "not a WAV file with sound in it"},
      {Tmp.Write("empty.xi", xi), "not an instrument with a sample"},
      {Tmp.Write("broken.syn", "no preset"), ""},
      {Tmp.Write("notes.txt", "text"), "not a sample (.wav, .xi or .syn)"}};
  for (const auto& [file, why] : unplayable) {
    SCOPED_TRACE(file);
    const std::string reply = handOver(file + "\n");
    EXPECT_EQ(reply.rfind("ERROR ", 0), 0u) << reply;
    EXPECT_TRUE(reply.ends_with(": " + file)) << reply;
    if (!why.empty()) EXPECT_EQ(reply, "ERROR " + why + ": " + file);
    EXPECT_EQ(song.Channel(2)->SampleFileName, edited);
    EXPECT_EQ(song.Channel(2)->Sample.Data, frames);
  }
  EXPECT_EQ(form.InfoLabel->text(), "");
  // A synthesizer channel takes no sample.
  AddChannelOfKind(song, 1);
  SelectChannel(song, song.ChannelCount() - 1);
  EXPECT_EQ(handOver(edited + "\n"), "ERROR the selected channel takes no sample");

  // A second copy of the program leaves the socket to the one that answers.
  TWaveEditorServer second;
  EXPECT_FALSE(second.Listen(socketPath));
}

// File > DrumKits holds the kit songs under the kit folder: a folder of
// songs only puts them straight into the menu, one with sub-folders gets a
// sub-menu named after it. A kit opens as the new, untitled song, New opens
// it from then on, and the info bar names it.
TEST_F(MainWindowTest, AKitOfTheDrumKitMenuOpensAsTheNewSong) {
  TVorbelStepsMainForm& form = *Form;
  const std::string basic = Tmp / "Basic/Basic.zmp";
  fs::create_directories(Tmp / "Kits/Rock & Roll");
  fs::create_directories(Tmp / "Kits/Electro/808");
  fs::copy_file(basic, Tmp / "Kits/Rock & Roll/Rock & Roll.zmp");
  fs::copy_file(basic, Tmp / "Kits/Electro/Electro.ZMP");
  fs::copy_file(basic, Tmp / "Kits/Electro/808/808.zmp");
  form.BuildDrumKitsMenu(Tmp / "Kits/");
  QMenu* kits = form.Actions().Menu("DrumKitsMenu");
  ASSERT_NE(kits, nullptr);
  std::vector<std::string> top;
  QMenu* electro = nullptr;
  for (QAction* item : kits->actions()) {
    top.push_back(item->text().toStdString());
    if (item->menu()) electro = item->menu();
  }
  std::sort(top.begin(), top.end());
  EXPECT_EQ(top, (std::vector<std::string>{"Electro", "Electro", "Rock && Roll"}));
  ASSERT_NE(electro, nullptr);
  ASSERT_EQ(electro->actions().size(), 1);
  QAction* kit808 = electro->actions()[0];
  EXPECT_EQ(kit808->text(), "808");

  // The kit, after an unmodified song: no question.
  AddChannelOfKind(CurrentSong(), 0);
  CurrentSong().SetModified(false);
  kit808->trigger();
  EXPECT_EQ(CurrentSong().ChannelCount(), 8);
  EXPECT_EQ(fs::path(form.Commands().OpenedFileName).filename(), "untitled.zmp");
  EXPECT_FALSE(CurrentSong().Modified());
  EXPECT_EQ(form.InfoLabel->text(), "808 kit loaded");
  EXPECT_EQ(form.Prefs().DrumKitFileName, Tmp / "Kits/Electro/808/808.zmp");
}

// The caption's minimise and close buttons speak on the info bar only, in
// the language shown; they pop up no hint of their own.
TEST_F(MainWindowTest, TheCaptionButtonsHintOnTheInfoBarOnly) {
  TVorbelStepsMainForm& form = *Form;
  struct TCase {
    TMyTransButton* Button;
    QString English, French;
  };
  for (int language : {0, 1}) {
    ChooseLanguage(form.Prefs(), language);
    for (const TCase& c : {TCase{form.MinBtn, "Minimize", "Réduire"}, TCase{form.CloseBtn, "Close", "Fermer"}}) {
      const QString text = language ? c.French : c.English;
      EXPECT_EQ(c.Button->property("hint").toString(), "|" + text);
      EXPECT_TRUE(c.Button->toolTip().isEmpty());
      EXPECT_EQ(c.Button->accessibleName(), text);
      QTest::mouseMove(form.LogoZone, QPoint(10, 10));
      form.InfoLabel->clear();
      const QPoint middle(c.Button->width() / 2, c.Button->height() / 2);
      QTest::mouseMove(c.Button, middle);
      EXPECT_EQ(form.InfoLabel->text(), text);
      form.Hint95->ShowHintFor(c.Button, c.Button->mapToGlobal(middle));
      EXPECT_FALSE(form.Hint95->HintShowing());
    }
  }
  ChooseLanguage(form.Prefs(), 0);
}

}  // namespace
}  // namespace vs
