// The editor windows in the running program, reached as a user reaches
// them: the View menu's keys open the playlist, the lamp window and the
// backdrop (each item's check follows its window), K and Shift held open
// the piano roll under the selected channel's row, and the playlist and
// lamp windows come back where they were left.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>

#include "core/ProgramPaths.h"
#include "editors/BackgroundForm.h"
#include "editors/PianoMaps.h"
#include "engine/MixThread.h"
#include "framework/WPControl.h"
#include "model/Song.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "controls/MyTransBtn.h"
#include "ui/ProgramWindows.h"

namespace vs {
namespace {

class EditorWindowsProgram : public ::testing::Test {
protected:
  TTestDir Tmp;
  void SetUp() override {
    testing::TestApplication();
    Tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\n");
    setenv("VORBELSTEPS_SETTINGS", (Tmp / "settings.ini").c_str(), 1);
    setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
  }
  void TearDown() override {
    unsetenv("VORBELSTEPS_SETTINGS");
    unsetenv("VORBELSTEPS_DATA");
  }
  static bool Checked(TVorbelStepsMainForm& form, const char* id) { return form.Actions().Action(id)->isChecked(); }
};

TEST_F(EditorWindowsProgram, ViewKeysOpenTheWindowsAndTheirPlacesAreKept) {
  {
    TProgramRun run({}, Tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    TPlayListForm& playlist = *Windows().PlayListForm;
    TVisualForm& lamps = *Windows().VisualForm;

    // Ctrl+L: the playlist shows and the item is checked; its close box
    // runs the same command.
    QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(playlist.isVisible());
    EXPECT_TRUE(Checked(form, "PlayListMenu"));
    // Its header chooses the pattern the rack edits.
    QWidget* grid = playlist.ListGridBit().viewport();
    QTest::mouseClick(grid, Qt::LeftButton, {}, playlist.ListGridBit().CellRect(4, 0).center());
    EXPECT_EQ(CurrentSong().CurrentPattern, 4);
    EXPECT_EQ(form.Rack().StepRow(0)->CellFrame(0), 0);  // pattern 4 of the kit is empty
    playlist.move(130, 90);
    playlist.close();
    EXPECT_FALSE(playlist.isVisible());
    EXPECT_FALSE(Checked(form, "PlayListMenu"));

    // The dots window: lit at once, fading with the scope's updates, which
    // run while it shows (or while the scope's button is down: up here).
    if (form.ScopeButton->Down()) QTest::mouseClick(form.ScopeButton, Qt::LeftButton);
    EXPECT_EQ(AudioOutput().ScopeThread, nullptr);
    form.Actions().Action("VisualMenu")->trigger();
    EXPECT_TRUE(lamps.isVisible() && Checked(form, "VisualMenu"));
    EXPECT_EQ(lamps.size(), QSize(775, 8 * 12 + 1));
    EXPECT_NE(AudioOutput().ScopeThread, nullptr);
    EXPECT_EQ(CurrentSong().Channel(0)->StepLamps[10].load(), 256);
    lamps.move(60, 500);
    QTest::mousePress(&lamps, Qt::RightButton, {}, QPoint(20, 5));
    QTest::mouseRelease(&lamps, Qt::RightButton, {}, QPoint(20, 5));
    EXPECT_FALSE(lamps.isVisible() || Checked(form, "VisualMenu"));
    EXPECT_EQ(AudioOutput().ScopeThread, nullptr);

    // F12: the backdrop behind the program, with the program's own picture
    // tiled over it.
    QTest::keyClick(&form, Qt::Key_F12);
    ASSERT_NE(form.BackgroundForm(), nullptr);
    EXPECT_TRUE(form.BackgroundForm()->isVisible() && Checked(form, "BackgroundMenu"));
    EXPECT_TRUE(form.BackgroundForm()->HasPicture());
    EXPECT_EQ(form.BackgroundForm()->BackImage->size(), form.BackgroundForm()->size());
    QTest::keyClick(&form, Qt::Key_F12);
    EXPECT_FALSE(form.BackgroundForm()->isVisible());

    // K held: the piano roll's keys for the selected channel, right under
    // its step row; Shift held: the graph. Released, it closes.
    for (auto& c : CurrentSong().Channels) c->Selected = false;
    CurrentSong().Channel(2)->Selected = true;
    TPianoForm& piano = *Windows().PianoForm;
    QTest::keyPress(&form, Qt::Key_K);
    EXPECT_TRUE(piano.isVisible());
    EXPECT_EQ(piano.Channel(), 2);
    EXPECT_EQ(piano.ViewMode(), PianoKeyboardView);
    const TTechno16& row = *form.Rack().StepRow(2);
    EXPECT_EQ(piano.pos(), row.mapToGlobal(QPoint(0, row.height() + 27)));
    QTest::keyRelease(&form, Qt::Key_K);
    EXPECT_FALSE(piano.isVisible());
    QTest::keyPress(&form, Qt::Key_Shift);
    EXPECT_TRUE(piano.isVisible());
    EXPECT_EQ(piano.ViewMode(), PianoGraphView);
    const int lane = piano.Lane();
    QTest::keyClick(&form, Qt::Key_F);  // the next lane
    EXPECT_EQ(piano.Lane(), (lane + 1) % 7);
    QTest::keyRelease(&form, Qt::Key_Shift);
    EXPECT_FALSE(piano.isVisible());
    // The panel's view buttons: the one that shows the piano roll's view is
    // down, the other up, and raising it closes the piano roll.
    QTest::mouseClick(form.FXNoteBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(piano.isVisible());
    EXPECT_EQ(piano.ViewMode(), PianoKeyboardView);
    QTest::mouseClick(form.FXDrawBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(piano.ViewMode(), PianoGraphView);
    EXPECT_TRUE(form.FXDrawBtn->Down());
    EXPECT_FALSE(form.FXNoteBtn->Down());
    QTest::mouseClick(form.FXDrawBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(piano.isVisible());
    EXPECT_FALSE(form.FXNoteBtn->Down() || form.FXDrawBtn->Down());
    // Keys the playlist does not use reach the main window's handlers.
    playlist.show();
    QTest::keyPress(playlist.ListGridBit().viewport(), Qt::Key_K);
    EXPECT_TRUE(piano.isVisible());
    QTest::keyRelease(playlist.ListGridBit().viewport(), Qt::Key_K);
    EXPECT_FALSE(piano.isVisible());

    CurrentSong().SetModified(false);
    form.close();
    run.ShutDown();
  }
  // The next run puts the playlist and the lamp window where they were.
  {
    TProgramRun run({}, Tmp.Dir());
    run.StartUp();
    EXPECT_EQ(Windows().PlayListForm->pos(), QPoint(130, 90));
    EXPECT_EQ(Windows().VisualForm->pos(), QPoint(60, 500));
    run.ShutDown();
  }
}

}  // namespace
}  // namespace vs
