// The playlist window driven as a musician drives it: placing and erasing
// patterns with the mouse (checked on the song, on a saved file and on the
// grid's pixels), selecting a loop with Ctrl, cutting, pasting and moving
// bar rows, moving the marker, choosing and naming patterns in the header.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "core/PlayPosition.h"
#include "core/PlaylistCommands.h"
#include "core/ProgramPaths.h"
#include "editors/PatNameForm.h"
#include "editors/PlayListForm.h"
#include "editors/PlaylistMaps.h"
#include "files/SongFile.h"
#include "files/SongReader.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "support/CleanWindows.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "toolbox/MLBase.h"

namespace vs {
namespace {

class PlayListFormTest : public ::testing::Test {
protected:
  TPreferences Prefs;
  std::unique_ptr<TPlayListForm> Form;
  std::string Info;

  void SetUp() override {
    testing::TestApplication();
    if (ProgramPaths().AppPath.empty()) ProgramPaths().AppPath = VS_DATA_DIR;
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    song->SetModified(false);
    ReplaceCurrentSong(std::move(song));
    PlaylistClipboard() = {};
    Prefs.BothMouseButtons = false;
    Form = std::make_unique<TPlayListForm>(Prefs);
    Form->OnShowInfo = [this](const std::string& text) { Info = text; };
    Form->resize(320, 420);
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  }
  void TearDown() override { Form.reset(); }

  TVekGrid& Grid() { return Form->ListGridBit(); }
  QWidget* View() { return Grid().viewport(); }
  QPoint Cell(int col, int row) { return Grid().CellRect(col, row).center(); }
  TPlaylist& Playlist() { return CurrentSong().Playlist; }
  bool At(int pattern, int bar) {
    const auto& list = Playlist().PlaylistBars[size_t(bar)];
    return std::find(list.begin(), list.end(), pattern) != list.end();
  }
  void Move(const QPoint& p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = {}) {
    QMouseEvent move(QEvent::MouseMove, p, View()->mapToGlobal(p), Qt::NoButton, buttons, mods);
    QApplication::sendEvent(View(), &move);
  }
  // A drag over cells in a line, one move per cell.
  void Drag(Qt::MouseButton button, int col, int row0, int row1, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(View(), button, mods, Cell(col, row0));
    for (int r = row0 + 1; r <= row1; ++r) Move(Cell(col, r), button, mods);
    QTest::mouseRelease(View(), button, mods, Cell(col, row1));
  }
};

TEST_F(PlayListFormTest, ClickPlacesThePatternAndTheSavedSongHoldsIt) {
  // Pattern 3 at bar 4 (row 5): placed, shown as a bullet, the song modified.
  QTest::mouseClick(View(), Qt::LeftButton, {}, Cell(3, 5));
  EXPECT_EQ(Playlist().PlaylistBars[4], std::vector<int>({3}));
  EXPECT_TRUE(CurrentSong().Modified());
  EXPECT_EQ(Info, "Bar 5 pattern 3");
  QApplication::processEvents();
  const QImage shot = Grid().viewport()->grab().toImage();
  const QRect cell = Grid().CellRect(3, 5);
  const QRect empty = Grid().CellRect(4, 2);
  // The bullet's middle differs from the empty cell, whose colour is the
  // Part's white of an even block (not the edited pattern, not playing).
  EXPECT_NE(shot.pixel(cell.center()), shot.pixel(empty.center()));
  PlayPosition().PlaylistPosition = -1;
  Form->FollowPosition();
  QApplication::processEvents();
  EXPECT_EQ(QColor(Grid().viewport()->grab().toImage().pixel(empty.center() + QPoint(3, 3))), QColor(0xFF, 0xFF, 0xFF));
  // The white sheet scrolls with the panel's dark bars, not light ones.
  for (QScrollBar* bar : {Grid().verticalScrollBar(), Grid().horizontalScrollBar()}) {
    const QImage track = bar->grab().toImage();
    EXPECT_LT(qGray(track.pixel(track.width() - 2, track.height() - 2)), 60);
  }

  // Saved and read back: the pattern plays at that bar and nowhere else.
  TTestDir dir;
  ASSERT_TRUE(SaveSong(dir / "arranged.zmp", CurrentSong()));
  TSongFileContent content;
  ASSERT_EQ(ReadSongFile(dir / "arranged.zmp", content), SongLoaded);
  EXPECT_EQ(content.Song->Playlist.PlaylistBars[4], std::vector<int>({3}));
  for (int bar = 0; bar < PlaylistBarCount; ++bar)
    if (bar != 4) EXPECT_TRUE(content.Song->Playlist.PlaylistBars[size_t(bar)].empty()) << bar;
}

TEST_F(PlayListFormTest, DragsPaintFromEmptyCellsAndEraseFromPlacedOnes) {
  // From an empty cell a left drag places along its path.
  Drag(Qt::LeftButton, 2, 1, 4);
  for (int bar = 0; bar <= 3; ++bar) EXPECT_TRUE(At(2, bar)) << bar;
  // From a placed cell it erases, even over a cell that was empty.
  Playlist().SetPlaylistCell(2, 7, true);
  Drag(Qt::LeftButton, 2, 2, 6);
  EXPECT_TRUE(At(2, 0));
  for (int bar = 1; bar <= 5; ++bar) EXPECT_FALSE(At(2, bar)) << bar;
  // With both buttons the right button erases and the left places.
  Prefs.BothMouseButtons = true;
  Drag(Qt::RightButton, 2, 1, 1);
  EXPECT_FALSE(At(2, 0));
  Drag(Qt::LeftButton, 2, 3, 4);
  EXPECT_TRUE(At(2, 2) && At(2, 3));
  // A bar holds any number of patterns, in the order they were placed.
  QTest::mouseClick(View(), Qt::LeftButton, {}, Cell(5, 3));
  EXPECT_EQ(Playlist().PlaylistBars[2], std::vector<int>({2, 5}));
}

TEST_F(PlayListFormTest, InsertAndDeleteRowsMoveTheBars) {
  TPlaylist& p = Playlist();
  for (int bar = 0; bar < PlaylistBarCount; ++bar) p.SetPlaylistCell(bar % 999 + 1, bar + 1, true);
  Grid().SetCol(7);
  Grid().SetRow(11);  // bar 10
  QTest::keyClick(Form.get(), Qt::Key_Insert);
  EXPECT_TRUE(p.PlaylistBars[10].empty());
  EXPECT_EQ(p.PlaylistBars[9], std::vector<int>({10}));
  EXPECT_EQ(p.PlaylistBars[11], std::vector<int>({11}));
  EXPECT_EQ(p.PlaylistBars[511], std::vector<int>({511}));  // bar 511's 512 is lost
  EXPECT_TRUE(CurrentSong().Modified());

  QTest::keyClick(Form.get(), Qt::Key_Delete);
  EXPECT_EQ(p.PlaylistBars[10], std::vector<int>({11}));
  EXPECT_TRUE(p.PlaylistBars[511].empty());

  // From the bar column or the header the target is pattern 1 and bar 0,
  // never pattern 0 or bar -1.
  EXPECT_EQ(PlaylistTargetCell(0, 0).Pattern, 1);
  EXPECT_EQ(PlaylistTargetCell(0, 0).Bar, 0);
  Grid().MoveTo(0, 0);
  Form->InsRowMenuClick();
  EXPECT_TRUE(p.PlaylistBars[0].empty());
  EXPECT_EQ(p.PlaylistBars[1], std::vector<int>({1}));
}

TEST_F(PlayListFormTest, CtrlDragSelectsTheLoopAndPasteClipsAtTheGridsEdges) {
  TPlaylist& p = Playlist();
  p.SetPlaylistCell(2, 1, true);
  p.SetPlaylistCell(4, 2, true);
  p.SetPlaylistCell(3, 3, true);
  // Ctrl + left drag from (2, bar 0) to (4, bar 2): the loop, no painting.
  QTest::mousePress(View(), Qt::LeftButton, Qt::ControlModifier, Cell(2, 1));
  Move(Cell(4, 3), Qt::LeftButton, Qt::ControlModifier);
  QTest::mouseRelease(View(), Qt::LeftButton, Qt::ControlModifier, Cell(4, 3));
  EXPECT_EQ(p.PlaylistSelection.Left, 2);
  EXPECT_EQ(p.PlaylistSelection.Top, 0);
  EXPECT_EQ(p.PlaylistSelection.Right, 4);
  EXPECT_EQ(p.PlaylistSelection.Bottom, 2);
  EXPECT_EQ(Info, "Loop from bar 1 to bar 3");
  EXPECT_EQ(p.PlaylistBars[1], std::vector<int>({4}));
  // The selected cells are shaded $202000 darker.
  QApplication::processEvents();
  EXPECT_EQ(QColor(View()->grab().toImage().pixel(Grid().CellRect(3, 2).center() + QPoint(3, 3))),
            QColor(0xFF, 0xDF, 0xDF));

  QTest::keyClick(Form.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(PlaylistClipboard().Width, 2);
  ASSERT_EQ(PlaylistClipboard().Bars.size(), 3u);

  // Pasted with the current cell at pattern 998, bar 510: clipped at 999
  // and 511; the area it covers is replaced.
  p.SetPlaylistCell(999, 512, true);
  p.SetPlaylistCell(998, 512, true);
  Grid().SetCol(998);
  Grid().SetRow(511);
  QTest::keyClick(Form.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(p.PlaylistBars[510], std::vector<int>({998}));
  EXPECT_TRUE(p.PlaylistBars[511].empty());

  // Cut empties the selection's cells; a Ctrl + click on a one-cell
  // selection removes it (and the loop).
  QTest::keyClick(Form.get(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_TRUE(p.PlaylistBars[0].empty() && p.PlaylistBars[1].empty() && p.PlaylistBars[2].empty());
  Grid().SetLeftCol(1);
  Grid().SetTopRow(1);
  QTest::mouseClick(View(), Qt::LeftButton, Qt::ControlModifier, Cell(6, 9));
  EXPECT_EQ(p.PlaylistSelection.Bottom, 8);
  QTest::mouseClick(View(), Qt::LeftButton, Qt::ControlModifier, Cell(6, 9));
  EXPECT_LT(p.PlaylistSelection.Bottom, 0);
}

TEST_F(PlayListFormTest, HeaderAndBarColumnChooseThePatternTheMarkerAndTheName) {
  TSong& song = CurrentSong();
  // A left press on a header cell makes its pattern the edited one; its
  // column darkens.
  QTest::mouseClick(View(), Qt::LeftButton, {}, Cell(5, 0));
  EXPECT_EQ(song.CurrentPattern, 5);
  // A right press in the bar column moves the marker (drawn as its sign).
  QTest::mouseClick(View(), Qt::RightButton, {}, Cell(0, 7));
  EXPECT_EQ(song.Playlist.PlaylistMarker, 6);
  EXPECT_TRUE(song.Modified());
  // A double click on a bar selects the whole bar.
  testing::DoubleClick(View(), Qt::LeftButton, Cell(0, 4));
  EXPECT_EQ(song.Playlist.PlaylistSelection.Left, 1);
  EXPECT_EQ(song.Playlist.PlaylistSelection.Right, MaxPattern);
  EXPECT_EQ(song.Playlist.PlaylistSelection.Top, 3);
  EXPECT_EQ(song.Playlist.PlaylistSelection.Bottom, 3);

  // A right press on a header cell names the pattern: Cancel keeps the
  // name and the song unmodified; OK applies it, modifies the song and
  // makes the header as tall as the name.
  auto answer = [](const QString& text, bool ok) {
    QTimer::singleShot(0, [text, ok] {
      auto* dialog = qobject_cast<TPatNameForm*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->windowTitle(), "Pattern 9 name");
      dialog->PatNameEdit->setText(text);
      // Enter in the edit ends the dialog with OK.
      if (ok)
        QTest::keyClick(dialog->PatNameEdit, Qt::Key_Return);
      else
        dialog->reject();
    });
  };
  song.SetModified(false);
  answer("Chorus", false);
  QTest::mouseClick(View(), Qt::RightButton, {}, Cell(9, 0));
  EXPECT_EQ(song.PatternNames[9].Name, "");
  EXPECT_FALSE(song.Modified());
  const int height = Form->height();
  answer("A long chorus name", true);
  QTest::mouseClick(View(), Qt::RightButton, {}, Cell(9, 0));
  EXPECT_EQ(song.PatternNames[9].Name, "A long chorus name");
  EXPECT_TRUE(song.Modified());
  EXPECT_GT(Form->HeaderHeight(), PlaylistHeaderMin);
  EXPECT_EQ(Form->height() - height, Form->HeaderHeight() - PlaylistHeaderMin);
  // A new song clears the names: the header is 22 pixels again.
  song.Playlist.ClearPlaylist();
  Form->PlaylistCleared();
  EXPECT_EQ(Form->HeaderHeight(), PlaylistHeaderMin);
}

TEST_F(PlayListFormTest, ThePlayingBarAndTheEditedPatternShadeTheirRowAndColumn) {
  auto colour = [this](int col, int row) {
    QApplication::processEvents();
    return QColor(View()->grab().toImage().pixel(Grid().CellRect(col, row).center() + QPoint(3, 3)));
  };
  Playlist().SetPlaylistCell(1, 6, true);
  // A left press on bar 3's number jumps there: its row darkens by $1010.
  QTest::mouseClick(View(), Qt::LeftButton, {}, Cell(0, 4));
  EXPECT_EQ(PlayPosition().PlaylistPosition, 3);
  EXPECT_EQ(colour(5, 4), QColor(0xEF, 0xEF, 0xFF));
  EXPECT_EQ(colour(5, 3), QColor(0xFF, 0xFF, 0xFF));
  // The edited pattern's column darkens too; where both meet, twice.
  CurrentSong().CurrentPattern = 6;
  Form->FollowPosition();
  EXPECT_EQ(colour(6, 8), QColor(0xE4, 0xE4, 0xF4));  // bar 7, an odd block
  EXPECT_EQ(colour(6, 4), QColor(0xDF, 0xDF, 0xFF));
  // The engine moves on: the old row is plain again.
  PlayPosition().PlaylistPosition = 4;
  Form->FollowPosition();
  EXPECT_EQ(colour(5, 4), QColor(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(colour(5, 5), QColor(0xE4, 0xE4, 0xF4));  // bar 4, an odd block
}

TEST_F(PlayListFormTest, TextsFollowTheLanguage) {
  // The window as the program makes it, with its table.
  SetLangFolder(std::string(VS_DATA_DIR) + "lang/");
  Form = std::make_unique<TPlayListForm>(Prefs);
  Form->OnShowInfo = [this](const std::string& text) { Info = text; };
  Form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
  SetGlobalLanguage(1);
  EXPECT_EQ(Form->windowTitle(), "Playlist");
  EXPECT_EQ(Form->CutMenu->text(), "Co&uper");
  testing::DoubleClick(View(), Qt::LeftButton, Cell(0, 3));
  EXPECT_EQ(Info, "Boucle de la mesure 3 à la mesure 3");
  Move(Cell(4, 3), Qt::NoButton);
  EXPECT_EQ(Info, "Boucle de la mesure 3 à la mesure 3");  // no hover text while a loop is set
  CurrentSong().Playlist.PlaylistSelection.Bottom = -1;
  Move(Cell(4, 3), Qt::NoButton);
  EXPECT_EQ(Info, "Mesure 3 motif 4");
  SetGlobalLanguage(0);
  EXPECT_EQ(Form->CutMenu->text(), "Cu&t");
  SetLangFolder("");
}

TEST_F(PlayListFormTest, AFastDragFillsEveryBarBetweenThePointersSamples) {
  // Down a column from bar 1 to bar 4, the pointer sampled only there.
  QTest::mousePress(View(), Qt::LeftButton, {}, Cell(3, 1));
  Move(Cell(3, 4), Qt::LeftButton);
  QTest::mouseRelease(View(), Qt::LeftButton, {}, Cell(3, 4));
  for (int bar = 0; bar < 4; ++bar) EXPECT_EQ(Playlist().PlaylistBars[size_t(bar)], std::vector<int>({3})) << bar;
  EXPECT_TRUE(Playlist().PlaylistBars[4].empty());
  // Across: one cell for each of the longer side's, on the line between.
  EXPECT_EQ(PlaylistDragPath(3, 4, 5, 1), (std::vector<std::pair<int, int>>{{4, 3}, {4, 2}, {5, 1}}));
}

TEST(PlaylistMapsTest, CellColoursAndWindowSnapping) {
  TPlaylistCellView v;
  v.Col = 3, v.Row = 5, v.CurrentPattern = 1, v.PlayingBar = -1, v.MarkerBar = 0;
  EXPECT_EQ(PlaylistCellColour(v), 0xF4F4F4u);  // bar 4: odd block
  v.CurrentPattern = 3;
  v.PlayingBar = 4;
  EXPECT_EQ(PlaylistCellColour(v), 0xF4D4D4u);
  v.Col = 0, v.MarkerBar = 4;  // the marker's bar label
  EXPECT_EQ(PlaylistCellColour(v), 0x9D8DA5u);
  EXPECT_EQ(PlaylistHeaderHeight(0), 22);
  EXPECT_EQ(PlaylistHeaderHeight(40), 43);
  EXPECT_EQ(SnapToCells(100, 40, 13), 105);
  EXPECT_EQ(SnapToCells(10, 40, 13), 53);  // at least one cell
}

}  // namespace
}  // namespace vs
