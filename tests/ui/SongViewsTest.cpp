// The windows follow the song's values whatever route set them: the
// command line's tempo and faders, the pattern length menu on the settings
// window's Loop page, the selection on the select buttons and in the piano
// window, the step clipboard on the paste items, the title on the Loop
// page; and the gestures that used to act on stale views.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <filesystem>
#include <memory>

#include "controls/MeroUpDown.h"
#include "controls/MyTransBtn.h"
#include "controls/NumBar.h"
#include "controls/RCADigital.h"
#include "controls/TimerSpeedButton.h"
#include "controls/TrackSlider.h"
#include "controls/VekGrid.h"
#include "core/ChannelCommands.h"
#include "core/PlayPosition.h"
#include "core/Transport.h"
#include "editors/AboutForm.h"
#include "editors/MIDIForm.h"
#include "editors/PianoForm.h"
#include "editors/PlayListForm.h"
#include "files/SongFile.h"
#include "framework/ActionTable.h"
#include "framework/Tab95.h"
#include "model/Song.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

namespace fs = std::filesystem;

class SongViews : public ::testing::Test {
protected:
  TTestDir Tmp;
  std::unique_ptr<TProgramRun> Run;
  TVorbelStepsMainForm* Form = nullptr;

  void SetUp() override {
    testing::TestApplication();
    Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\nSmpList=0\n");
    setenv("VORBELSTEPS_SETTINGS", (Tmp / "settings.ini").c_str(), 1);
    setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
    fs::copy(std::string(VS_DATA_DIR) + "Samples/DrumKits/Basic", Tmp / "Basic", fs::copy_options::recursive);
  }
  void Start(std::vector<std::string> args) {
    Run = std::make_unique<TProgramRun>(std::move(args), Tmp.Dir());
    Run->StartUp();
    Run->ShowMainWindow();
    Form = Windows().VorbelStepsMainForm;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form));
    Run->FirstActivation();
    QApplication::processEvents();
  }
  void TearDown() override {
    CurrentSong().SetModified(false);
    if (Run) Run->ShutDown();
    Run.reset();
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
  QAction* Item(const char* id) { return Form->Actions().Action(id); }
  // A drag of the up-down's grip by dy pixels (down is positive).
  static void DragGrip(TMeroUpDown* upDown, int dy) {
    const TUpDownBands bands = upDown->Bands();
    const QPoint grip(upDown->width() / 2, (bands.GripTop + bands.GripBottom) / 2);
    QTest::mousePress(upDown, Qt::LeftButton, {}, grip);
    QTest::mouseMove(upDown, grip + QPoint(0, dy));
    QTest::mouseRelease(upDown, Qt::LeftButton, {}, grip + QPoint(0, dy));
  }
};

TEST_F(SongViews, CommandLineTempoAndFadersShowAndTheControlsGoOnFromThem) {
  Start({(Tmp / "Basic/Basic.zmp"), "/B200", "/P5", "/V10"});
  TVorbelStepsMainForm& form = *Form;
  EXPECT_EQ(CurrentSong().BPM, 200);
  EXPECT_EQ(form.BPMDig->Value(), 200);
  EXPECT_EQ(form.BPMUpDown->Value(), 200);
  EXPECT_EQ(form.MasterSliders[MainVolSlider]->Position(), 128 - 10);
  EXPECT_EQ(form.MasterSliders[MainPitchSlider]->Position(), -500);
  // A click on the up arrow steps from 200, not from the kit's tempo.
  QTest::mouseClick(form.BPMUpDown, Qt::LeftButton, {}, QPoint(form.BPMUpDown->width() / 2, 2));
  EXPECT_EQ(CurrentSong().BPM, 201);
  EXPECT_EQ(form.BPMDig->Value(), 201);
  // The grip drags at 4 per 16 pixels: 10 pixels down lower it by 2.
  DragGrip(form.BPMUpDown, 10);
  EXPECT_EQ(CurrentSong().BPM, 199);
  EXPECT_EQ(form.BPMDig->Value(), 199);
  // The pattern's up-down too: 16 pixels up are 4 patterns more.
  DragGrip(form.PatUpDown, -16);
  EXPECT_EQ(CurrentSong().CurrentPattern, 5);
  EXPECT_EQ(form.PatNumDig->Value(), 5);
  // A fader moved by the song (a preset elsewhere) shows at once.
  CurrentSong().SetMasterVolume(64);
  EXPECT_EQ(form.MasterSliders[MainVolSlider]->Position(), 64);
}

TEST_F(SongViews, TheLoopPageAndTheMenusFollowTheSong) {
  Start({(Tmp / "Basic/Basic.zmp")});
  TVorbelStepsMainForm& form = *Form;
  TMIDIForm& settings = *Windows().MIDIForm;
  settings.ShowPage(settings.LoopSheet);
  ASSERT_TRUE(settings.isVisible());
  // The pattern length menu while the Loop page shows: the page shows 32,
  // and its arrow goes on from there.
  Item("N16notes2")->trigger();
  EXPECT_EQ(CurrentSong().PatternLength(), 32);
  EXPECT_EQ(settings.PatLengthSelect->Position(), 32);
  EXPECT_TRUE(Item("N16notes2")->isChecked());
  QTest::mouseClick(settings.PatLengthSelect->Arrow(1), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(CurrentSong().PatternLength(), 33);
  EXPECT_FALSE(Item("N16notes2")->isChecked());
  EXPECT_TRUE(form.PatternScroller->isVisible());
  // The song's title on the page and in the caption.
  CurrentSong().Info.Title = "Night groove";
  form.Commands().UpdateSongTitle();
  EXPECT_EQ(settings.TitleLabel->text(), QString("Night groove"));
  EXPECT_EQ(form.windowTitle(), QString("Night groove - VorbelSteps"));
  settings.hide();

  // After the line menu's Copy, both paste items are enabled.
  EXPECT_FALSE(Item("PasteMenu")->isEnabled());
  Item("LineCopyMenu")->trigger();
  EXPECT_TRUE(Item("PasteMenu")->isEnabled());
  EXPECT_TRUE(Item("LinePasteMenu")->isEnabled());

  // The loop button and the key L follow the song mode set elsewhere.
  LoopButtonClick(true);
  EXPECT_TRUE(form.LoopButton->Down());
  LoopButtonClick(false);
  EXPECT_FALSE(form.LoopButton->Down());

  // A new empty song plays from bar 0.
  EXPECT_EQ(PlayPosition().PlaylistPosition, -1);  // pattern mode
  form.Commands().ResetSong();
  EXPECT_EQ(PlayPosition().PlaylistPosition, 0);
}

TEST_F(SongViews, SelectButtonsPianoAndCollapsedRowsShowTheSelection) {
  Start({(Tmp / "Basic/Basic.zmp")});
  TVorbelStepsMainForm& form = *Form;
  TSong& song = CurrentSong();
  const auto& rows = form.Rack().Rows();
  // Only Kick selected: a left click on its button selects every channel,
  // Kick's button stays down with the others.
  SelectChannel(song, 0);
  QTest::mouseClick(rows[0].Select, Qt::LeftButton, {}, QPoint(3, 3));
  for (int i = 0; i < song.ChannelCount(); ++i) {
    EXPECT_TRUE(song.Channel(i)->Selected) << i;
    EXPECT_TRUE(rows[size_t(i)].Select->Down()) << i;
  }
  // A second click selects Kick alone again.
  QTest::mouseClick(rows[0].Select, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_TRUE(rows[0].Select->Down());
  EXPECT_FALSE(rows[1].Select->Down());

  // The piano window follows the selection.
  form.ShowPianoForm(PianoKeyboardView);
  TPianoForm& piano = *Windows().PianoForm;
  ASSERT_TRUE(piano.isVisible());
  EXPECT_EQ(piano.Channel(), 0);
  QTest::mouseClick(rows[2].Select, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(piano.Channel(), 2);
  EXPECT_TRUE(piano.isVisible());
  form.ClosePianoForm();

  // A collapsed row expanded by a right click: a window that showed every
  // row shows the expanded one too.
  SelectChannel(song, 1);
  Item("Zipselected1")->trigger();
  ASSERT_TRUE(song.Channel(1)->Collapsed);
  form.SetFormHeight(form.FullHeight());
  const int collapsedFull = form.height();
  QTest::mousePress(form.Rack().Rows()[1].Name, Qt::RightButton, {}, QPoint(5, 5));
  QTest::mouseRelease(form.Rack().Rows()[1].Name, Qt::RightButton, {}, QPoint(5, 5));
  QApplication::processEvents();
  EXPECT_FALSE(song.Channel(1)->Collapsed);
  EXPECT_GT(form.height(), collapsedFull);
  EXPECT_EQ(form.height(), form.FullHeight());
}

TEST_F(SongViews, InsertPatternGoesToThePlaylistGridsRowAndTheAboutLinkTakesTheSongsAddress) {
  Start({(Tmp / "Basic/Basic.zmp")});
  TVorbelStepsMainForm& form = *Form;
  // A song that shows its information on opening, with an address.
  CurrentSong().Info.Title = "Linked";
  CurrentSong().Info.WebAddress = "https://example.org/linked";
  CurrentSong().Info.ShowOnOpen = true;
  ASSERT_TRUE(SaveSong(Tmp / "Linked.zmp", CurrentSong()));
  ASSERT_TRUE(form.Commands().OpenSong(Tmp / "Linked.zmp"));
  EXPECT_EQ(Windows().AboutForm->WebLink().Url, "https://example.org/linked");

  TPlayListForm& playlist = *Windows().PlayListForm;
  form.PlayListMenuClick();
  ASSERT_TRUE(playlist.isVisible());
  form.SelectPattern(3);
  playlist.ListGridBit().SetRow(6);  // bar 5
  Item("InsertpatterninPlayList1")->trigger();
  const TPlaylist& bars = CurrentSong().Playlist;
  ASSERT_EQ(bars.PlaylistBars[5].size(), 1u);
  EXPECT_EQ(bars.PlaylistBars[5][0], 3);
  EXPECT_EQ(playlist.ListGridBit().Row(), 7);
  Item("InsertpatterninPlayList1")->trigger();
  ASSERT_EQ(bars.PlaylistBars[6].size(), 1u);
}

}  // namespace
}  // namespace vs
