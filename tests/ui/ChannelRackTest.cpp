// The channel rack driven as a musician drives it: clicking and dragging
// over the step rows of an eight-channel song, checked on the song's step
// store and on the rows' pixels; the rows' heights and lamps; the value
// gesture handed to the floating wheel; and, in the running program,
// clicked steps reaching the saved song file while the lamp walks.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "controls/MyTransBtn.h"
#include "core/PatternCommands.h"
#include "core/PlayPosition.h"
#include "core/ProgramPaths.h"
#include "core/Transport.h"
#include "engine/EngineListener.h"
#include "engine/Mixer.h"
#include "files/SongReader.h"
#include "model/Channels.h"
#include "model/MixerLock.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"
#include "ui/ChannelRack.h"
#include "ui/ProgramRun.h"
#include "ui/ProgramWindows.h"
#include "ui/StepRowMaps.h"

namespace vs {
namespace {

const char* const Names[8] = {"Kick", "Snare", "Clap", "Closed Hat", "Open Hat", "Tom", "Rim", "Crash"};

class ChannelRackTest : public ::testing::Test {
protected:
  TPreferences Prefs;
  std::unique_ptr<QWidget> Window;
  TChannelRack* Rack = nullptr;

  void SetUp() override {
    testing::TestApplication();
    if (ProgramPaths().AppPath.empty()) ProgramPaths().AppPath = VS_DATA_DIR;
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    song->Channels.clear();
    for (int i = 0; i < 8; ++i) {
      song->Channels.push_back(std::make_unique<TChannel>(song.get()));
      song->Channels.back()->Name = Names[i];
    }
    song->SetModified(false);
    ReplaceCurrentSong(std::move(song));
    SetPatternLength(CurrentSong(), 16);
    Window = std::make_unique<QWidget>();
    Window->resize(480, 400);
    Rack = new TChannelRack(Prefs, Window.get());
    Rack->resize(480, 400);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }
  void TearDown() override {
    Window.reset();
    SetPatternLength(CurrentSong(), 16);
  }

  TStepStore& Steps(int channel) { return CurrentSong().Channel(channel)->Steps; }
  TTechno16& Row(int channel) { return *Rack->StepRow(channel); }
  static QPoint Cell(const TTechno16& row, int step) {
    return {StepLeft(step, 0) + StepCellWidth / 2, row.CellTop() + StepCellHeight / 2};
  }
  // A drag over the row from one step to another, one move per step.
  void Drag(TTechno16& row, Qt::MouseButton button, int from, int to, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(&row, button, mods, Cell(row, from));
    for (int s = from + 1; s <= to; ++s) {
      QMouseEvent move(QEvent::MouseMove, Cell(row, s), row.mapToGlobal(Cell(row, s)), Qt::NoButton, button, mods);
      QApplication::sendEvent(&row, &move);
    }
    QTest::mouseRelease(&row, button, mods, Cell(row, to));
  }
  std::vector<int> OnSteps(int channel) {
    std::vector<int> on;
    for (int s = 0; s < MaxSteps; ++s)
      if (Steps(channel).IsStepOn(1, s)) on.push_back(s);
    return on;
  }
};

TEST_F(ChannelRackTest, ClicksAndDragsPaintStepsIntoTheStore) {
  ASSERT_EQ(Rack->Rows().size(), 8u);
  Prefs.BothMouseButtons = false;
  Rack->Shared().BothMouseButtons = false;
  TTechno16& row = Row(2);

  // A click in the middle of step 5: on in the store, the row's cell shows
  // the lit odd-block frame, and the channel became the selected one.
  QTest::mouseClick(&row, Qt::LeftButton, {}, Cell(row, 5));
  EXPECT_EQ(OnSteps(2), std::vector<int>({5}));
  EXPECT_TRUE(CurrentSong().Modified());
  EXPECT_TRUE(CurrentSong().Channel(2)->Selected);
  EXPECT_EQ(row.CellFrame(5), 3);
  QApplication::processEvents();
  const QImage shot = row.grab().toImage();
  const QImage& lit = Rack->Shared().Images->Steps.Image(3);
  ASSERT_FALSE(lit.isNull());
  EXPECT_EQ(shot.pixel(Cell(row, 5)) | 0xFF000000, lit.pixel(8, 13) | 0xFF000000);
  EXPECT_NE(shot.pixel(Cell(row, 6)), shot.pixel(Cell(row, 5)));

  // Without both buttons a left drag takes the opposite of its first step
  // for every step it crosses.
  Steps(2).SetStepOn(1, 9, true);
  Drag(row, Qt::LeftButton, 8, 11);
  EXPECT_EQ(OnSteps(2), std::vector<int>({5, 8, 9, 10, 11}));
  Steps(2).SetStepOn(1, 10, false);
  Drag(row, Qt::LeftButton, 8, 11);
  EXPECT_EQ(OnSteps(2), std::vector<int>({5}));
  // The right button opens no paint gesture then (the step is off: no wheel).
  Drag(row, Qt::RightButton, 0, 3);
  EXPECT_EQ(OnSteps(2), std::vector<int>({5}));

  // With both buttons the left paints on and the right clears.
  Rack->Shared().BothMouseButtons = true;
  Drag(row, Qt::LeftButton, 4, 7);
  EXPECT_EQ(OnSteps(2), std::vector<int>({4, 5, 6, 7}));
  Drag(row, Qt::RightButton, 3, 6);
  EXPECT_EQ(OnSteps(2), std::vector<int>({7}));

  // Alt paints with velocity 0.
  Drag(row, Qt::LeftButton, 12, 13, Qt::AltModifier);
  EXPECT_EQ(Steps(2).GetStepValue(1, 12, PlaneVol), 0);
  EXPECT_EQ(Steps(2).GetStepValue(1, 13, PlaneVol), 0);
  EXPECT_EQ(Steps(2).GetStepValue(1, 7, PlaneVol), 100);

  // Other channels never changed.
  for (int c : {0, 1, 3, 7}) EXPECT_TRUE(OnSteps(c).empty()) << c;
}

TEST_F(ChannelRackTest, StepsBeyondThePatternLengthNeverChange) {
  SetPatternLength(CurrentSong(), 8);
  Rack->ShowPattern();
  TTechno16& row = Row(1);
  EXPECT_EQ(row.width(), 8 * StepCellWidth);
  CurrentSong().SetModified(false);
  // A click on step 10 (past the row's end, as a captured drag reaches it)
  // and a drag from step 6 on past the end.
  QTest::mouseClick(&row, Qt::LeftButton, {}, Cell(row, 10));
  EXPECT_TRUE(OnSteps(1).empty());
  EXPECT_FALSE(CurrentSong().Modified());
  Drag(row, Qt::LeftButton, 6, 12);
  EXPECT_EQ(OnSteps(1), std::vector<int>({6, 7}));
  EXPECT_FALSE(Steps(1).HasBlock(2));
}

TEST_F(ChannelRackTest, RowsAreTwentySevenPixelsHighAndFortySixWithLamps) {
  // One row shows the lamps: the last one, lamps under its cells.
  for (int c = 0; c < 7; ++c) EXPECT_EQ(Row(c).height(), 27) << c;
  EXPECT_EQ(Row(7).height(), 46);
  EXPECT_EQ(Row(7).LampTop(), 27);
  EXPECT_EQ(Row(1).y() - Row(0).y(), 27);
  // Every row shows them.
  Rack->SetAllRowsShowLamps(true);
  for (int c = 0; c < 8; ++c) EXPECT_EQ(Row(c).height(), 46) << c;
  EXPECT_EQ(Row(1).y() - Row(0).y(), 46);
  // Lamps over the cells: only the first row, its cells 19 pixels down, and
  // its buttons with them.
  Rack->SetAllRowsShowLamps(false);
  Prefs.LedsOver = true;
  Rack->ArrangeChannels();
  EXPECT_EQ(Row(0).height(), 46);
  EXPECT_EQ(Row(0).CellTop(), 19);
  EXPECT_EQ(Row(0).LampTop(), 0);
  EXPECT_EQ(Row(7).height(), 27);
  EXPECT_EQ(Rack->Rows()[0].Mute->y() - Row(0).y(), Rack->Rows()[1].Mute->y() - Row(1).y() + 19);
  // A click lands on the cells below the lamps.
  QTest::mouseClick(&Row(0), Qt::LeftButton, {}, Cell(Row(0), 3));
  EXPECT_EQ(OnSteps(0), std::vector<int>({3}));
}

TEST_F(ChannelRackTest, OddBlocksFollowStepsPerBlockAndTheLampWalks) {
  TTechno16& row = Row(7);
  for (int s = 0; s < 16; ++s) EXPECT_EQ(row.CellFrame(s), (s >= 4 && s < 8) || s >= 12 ? 2 : 0) << s;
  CurrentSong().StepsPerBlock = 8;
  Rack->ShowPattern();
  for (int s = 0; s < 16; ++s) EXPECT_EQ(row.CellFrame(s), s >= 8 ? 2 : 0) << s;
  CurrentSong().StepsPerBlock = 4;

  // The shown step comes through the engine's report: the lamp of that
  // step is lit in the row that shows lamps, the one before goes dark.
  const QImage& litLamp = Rack->Shared().Images->Lamps.Image(1);
  const QImage& darkLamp = Rack->Shared().Images->Lamps.Image(0);
  ASSERT_FALSE(litLamp.isNull());
  auto lampPixel = [&](int step) {
    QApplication::processEvents();
    return row.grab().toImage().pixel(StepLeft(step, 0) + 8, row.LampTop() + 9) | 0xFF000000;
  };
  {
    MixerGuard hold;
    Mixer().Playing = true;
    PlayPosition().PlayingPatterns.assign(1, CurrentSong().CurrentPattern);
    PlayPosition().DisplayStep = 2;
  }
  Rack->StepPositionChanged();
  EXPECT_EQ(row.PlayStep(), 2);
  EXPECT_EQ(lampPixel(2), litLamp.pixel(8, 9) | 0xFF000000);
  PlayPosition().DisplayStep = 3;
  Rack->StepPositionChanged();
  EXPECT_EQ(lampPixel(3), litLamp.pixel(8, 9) | 0xFF000000);
  EXPECT_EQ(lampPixel(2), darkLamp.pixel(8, 9) | 0xFF000000);
  // Out of sight the rows wait; the first step reported once they show
  // again brings them up to date.
  Rack->window()->showMinimized();
  PlayPosition().DisplayStep = 4;
  Rack->StepPositionChanged();
  EXPECT_EQ(row.PlayStep(), 3);
  Rack->window()->showNormal();
  PlayPosition().DisplayStep = 5;
  Rack->StepPositionChanged();
  EXPECT_EQ(row.PlayStep(), 5);
  // Stopping puts the lamp out.
  Mixer().Playing = false;
  Rack->StepPositionChanged();
  EXPECT_EQ(lampPixel(3), darkLamp.pixel(8, 9) | 0xFF000000);
}

TEST_F(ChannelRackTest, TheValueGestureHandsAnOnStepToTheWheel) {
  std::vector<TValueEditRequest> asked;
  Rack->Shared().OnValueEdit = [&](const TValueEditRequest& r) { asked.push_back(r); };
  Rack->Shared().BothMouseButtons = false;
  TTechno16& row = Row(4);
  Steps(4).SetStepOn(1, 6, true);
  // A right click on an off step in button mode does nothing.
  QTest::mouseClick(&row, Qt::RightButton, {}, Cell(row, 2));
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(Rack->Shared().StepEditMode, EditSteps);
  // On an on step, low in the cell: the Vol lane; the mode turns to bars
  // until the wheel is released.
  QTest::mouseClick(&row, Qt::RightButton, {}, QPoint(6 * 16 + 8, 20));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Row, 4);
  EXPECT_EQ(asked[0].Step, 6);
  EXPECT_EQ(asked[0].Lane, PlaneVol);
  EXPECT_TRUE(asked[0].FromClick);
  EXPECT_EQ(asked[0].Place.Left, row.x() - 4 + 6 * 16);
  EXPECT_EQ(asked[0].Place.Top, row.y() - 4 + 13);
  EXPECT_EQ(Rack->Shared().StepEditMode, EditPanVol);
  EXPECT_TRUE(Rack->Shared().StepEditModeFromClick);
  // In Pitch / Mix mode the upper lane is Pitch, and the steps stay as they
  // were (a value gesture paints nothing).
  Rack->SetStepEditMode(EditPitchMix);
  QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(6 * 16 + 8, 3));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].Lane, PlanePitch);
  EXPECT_FALSE(asked[1].FromClick);
  EXPECT_EQ(OnSteps(4), std::vector<int>({6}));
  // The graph modes draw the bars of a pitch of 120 at the middle frame.
  const int n = Rack->Shared().Images->Bars.Count();
  ASSERT_GT(n, 1);
  EXPECT_EQ(BarFrames(EditPitchMix, n, 64, 100, 120, 0).Upper, n / 2);
  EXPECT_EQ(BarFrames(EditPanVol, n, 64, 127, 120, 0).Lower, n - 1);
  EXPECT_EQ(BarFrames(EditPanVol, n, 64, 0, 120, 0).Lower, 0);
}

TEST_F(ChannelRackTest, RowWidgetsCarryTheChannelNameAndFollowTheSong) {
  const TRackRowWidgets& kick = Rack->Rows()[0];
  EXPECT_EQ(kick.Steps->accessibleName(), QString("Kick steps"));
  EXPECT_EQ(kick.Mute->accessibleName(), QString("Kick mute"));
  EXPECT_EQ(kick.Select->accessibleName(), QString("Kick select"));
  EXPECT_EQ(Rack->Rows()[3].Steps->accessibleName(), QString("Closed Hat steps"));
  // Mute: a click mutes, a second plays again; a right click solos.
  QTest::mouseClick(kick.Mute, Qt::LeftButton);
  EXPECT_FALSE(CurrentSong().Channel(0)->Enabled);
  QTest::mouseClick(kick.Mute, Qt::LeftButton);
  EXPECT_TRUE(CurrentSong().Channel(0)->Enabled);
  QTest::mouseClick(kick.Mute, Qt::RightButton);
  for (int c = 1; c < 8; ++c) EXPECT_FALSE(CurrentSong().Channel(c)->Enabled) << c;
  EXPECT_TRUE(Rack->Rows()[1].Mute->Down());
  // Select: a click selects this channel alone.
  QTest::mouseClick(Rack->Rows()[5].Select, Qt::LeftButton);
  EXPECT_TRUE(CurrentSong().Channel(5)->Selected);
  EXPECT_TRUE(Rack->Rows()[5].Select->Down());
  EXPECT_FALSE(CurrentSong().Channel(0)->Selected);

  // Collapsed channels lie side by side in one line above the next row.
  CurrentSong().Channel(1)->SetZipped(true);
  CurrentSong().Channel(2)->SetZipped(true);
  CurrentSong().Notify(&SongListener::ChannelChanged, 1);
  CurrentSong().Notify(&SongListener::ChannelChanged, 2);
  const TRackRowWidgets& a = Rack->Rows()[1];
  const TRackRowWidgets& b = Rack->Rows()[2];
  EXPECT_FALSE(a.Steps->isVisible());
  EXPECT_EQ(a.Name->y(), b.Name->y());
  EXPECT_EQ(b.Name->x() - a.Name->x(), a.Name->width() + 7);
  EXPECT_EQ(Row(3).y(), a.Name->y() + a.Name->height() + 3);
}

TEST_F(ChannelRackTest, NameButtonsShowTheNameCutToFitCentredOrSet) {
  TSong& song = CurrentSong();
  song.Channel(0)->SetColor(0x00FF00);
  // The columns of the name's ink (the channel's green) left and right of
  // the button (new names rebuild the rows: the button is looked up anew).
  auto ink = [this] {
    TChannelNameButton* b = Rack->Rows()[0].Name;
    const QImage shot = b->grab().toImage();
    int first = -1, last = -1;
    for (int x = 0; x < shot.width(); ++x)
      for (int y = 0; y < shot.height(); ++y)
        if (const QColor c = shot.pixelColor(x, y); c.green() > 200 && c.red() < 80) last = x, first = first < 0 ? x : first;
    return std::pair{first, b->width() - 1 - last};
  };
  SetChannelName(song, 0, "");
  EXPECT_EQ(Rack->Rows()[0].Name->Caption(), "SET");
  // A long name loses characters at its end until it fits the button less
  // 7 pixels; centred.
  SetChannelName(song, 0, "Bass drum from the long cellar session");
  const TChannelNameButton* b = Rack->Rows()[0].Name;
  const QFontMetrics metrics(b->font());
  EXPECT_TRUE(b->Name().startsWith(b->Caption()) && b->Caption().size() > 3);
  EXPECT_LE(metrics.horizontalAdvance(b->Caption()), b->width() - 7);
  EXPECT_GT(metrics.horizontalAdvance(b->Name().left(b->Caption().size() + 1)), b->width() - 7);
  const auto [left, right] = ink();
  EXPECT_GE(left, 2);
  EXPECT_LE(std::abs(left - right), 2) << left << " " << right;
  // Collapsed: no caption.
  song.Channel(0)->SetZipped(true);
  song.Notify(&SongListener::ChannelChanged, 0);
  EXPECT_EQ(ink().first, -1);
}

TEST(StepRowMaps, LayoutWrapsCollapsedRowsAndPlacesTheLamps) {
  TRackOptions o;
  o.RackWidth = 100;
  o.CollapsedHeight = 19;
  // Three collapsed rows of 40 + 7: two fit a line of 100, the third wraps.
  const TRackLayout l = ArrangeRackRows({{true, 40}, {true, 40}, {true, 40}, {false, 40}, {false, 40}}, o);
  EXPECT_EQ(l.Rows[1].Left, 47);
  EXPECT_EQ(l.Rows[2].Left, 0);
  EXPECT_EQ(l.Rows[2].Top, 22);
  EXPECT_EQ(l.Rows[3].Top, 44);
  EXPECT_FALSE(l.Rows[3].ShowsLamps);
  EXPECT_TRUE(l.Rows[4].ShowsLamps);
  EXPECT_EQ(l.Height, 44 + 27 + 46);
  o.LampsOver = true;
  const TRackLayout over = ArrangeRackRows({{true, 40}, {false, 40}, {false, 40}}, o);
  EXPECT_TRUE(over.Rows[1].ShowsLamps);
  EXPECT_EQ(over.Rows[1].ButtonDrop, 19);
  EXPECT_FALSE(over.Rows[2].ShowsLamps);
  EXPECT_EQ(over.Rows[2].CellTop, 0);
  // Steps left of the row never land on its first step; the lane above the
  // cells is -1.
  EXPECT_EQ(StepAtX(-3, 0), -1);
  EXPECT_EQ(StepAtX(37, 4), 6);
  EXPECT_EQ(ValueLaneAt(5, 19), -1);
  EXPECT_EQ(ValueLaneAt(19 + 14, 19), 1);
  // The heard step: a play position a step and a half before the shown
  // step's start hears two steps back, wrapped into the pattern.
  EXPECT_EQ(HeardStep(5, 10000, 1000, 10000, 16), 5);
  EXPECT_EQ(HeardStep(5, 10000, 1000, 9999, 16), 4);
  EXPECT_EQ(HeardStep(1, 10000, 1000, 8500, 16), 15);
  // The lamp wakes when the heard step changes next: at the next step start
  // before the anchor, never once the anchor is heard.
  EXPECT_EQ(FramesToNextHeardStep(10000, 1000, 8500), 500);
  EXPECT_EQ(FramesToNextHeardStep(10000, 1000, 9000), 1000);
  EXPECT_EQ(FramesToNextHeardStep(10000, 1000, 9999), 1);
  EXPECT_EQ(FramesToNextHeardStep(10000, 1000, 10000), -1);
  EXPECT_EQ(FramesToNextHeardStep(10000, 0, 500), -1);
}

// The program: the rack replaces the channel list; steps clicked in it are
// the steps of the saved song, and while playing the lamp walks.
TEST(ChannelRackProgram, ClickedStepsAreTheSavedSongsStepsAndTheLampWalks) {
  testing::TestApplication();
  TTestDir tmp;
  const std::string settings = tmp / "settings.ini";
  tmp.Write("settings.ini", "[ZM SETTINGS]\nUse WAV=0\n");
  setenv("VORBELSTEPS_SETTINGS", settings.c_str(), 1);
  setenv("VORBELSTEPS_DATA", VS_DATA_DIR, 1);
  {
    TProgramRun run({}, tmp.Dir());
    run.StartUp();
    run.ShowMainWindow();
    TVorbelStepsMainForm& form = *Windows().VorbelStepsMainForm;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    TChannelRack& rack = form.Rack();
    ASSERT_EQ(rack.Rows().size(), 8u);
    // Clear the kit's beat of the tom row, then click a new one.
    TStepStore& tom = CurrentSong().Channel(5)->Steps;
    tom.FreePattern(1);
    rack.ShowPattern();
    TTechno16& row = *rack.StepRow(5);
    for (int s : {0, 3, 6, 10, 14}) QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(s * 16 + 8, 13));
    // With both buttons (the program's default) a right click clears.
    QTest::mouseClick(&row, Qt::RightButton, {}, QPoint(3 * 16 + 8, 13));
    const std::string file = tmp / "clicked.zmp";
    form.Commands().SetSongFileName(file, file);
    ASSERT_TRUE(form.Commands().Save());
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TSongFileContent content;
    ASSERT_EQ(ReadSongImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), content), 0);
    std::vector<int> on;
    for (int s = 0; s < 16; ++s)
      if (content.Song->Channel(5)->Steps.IsStepOn(1, s)) on.push_back(s);
    EXPECT_EQ(on, std::vector<int>({0, 6, 10, 14}));
    EXPECT_TRUE(content.Song->Channel(0)->Steps.IsStepOn(1, 0));

    // Playing (without a sound device the step timer drives the steps):
    // the lamp row walks from step to step through the engine's reports.
    TTechno16& lamps = *rack.StepRow(7);
    ASSERT_TRUE(lamps.ShowsLamps());
    form.TogglePlayback();
    ASSERT_TRUE(form.IsPlaying());
    std::vector<int> seen;
    for (int i = 0; i < 300 && seen.size() < 5; ++i) {
      QTest::qWait(10);
      if (lamps.PlayStep() >= 0 && (seen.empty() || seen.back() != lamps.PlayStep())) seen.push_back(lamps.PlayStep());
    }
    form.TogglePlayback();
    ASSERT_GE(seen.size(), 3u);
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i], (seen[i - 1] + 1) % 16) << i;
    QApplication::processEvents();
    const QImage dark = rack.Shared().Images->Lamps.Image(0);
    const QImage shot = lamps.grab().toImage();
    for (int s = 0; s < 16; ++s)
      EXPECT_EQ(shot.pixel(s * 16 + 8, lamps.LampTop() + 9) | 0xFF000000, dark.pixel(8, 9) | 0xFF000000) << s;
    CurrentSong().SetModified(false);
    form.close();
    run.ShutDown();
  }
  unsetenv("VORBELSTEPS_SETTINGS");
  unsetenv("VORBELSTEPS_DATA");
}

}  // namespace
}  // namespace vs
