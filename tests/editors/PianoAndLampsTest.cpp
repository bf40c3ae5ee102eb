// The piano roll driven as a musician drives it: keyboard drags that set
// steps on with the key under the pointer (the shown and the selected
// channels), switch them off, transpose the pattern with Ctrl and scroll
// the keys; graph drags that draw values and straight ramps. The lamp
// window's size, its double click and its fade.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "controls/DIB.h"
#include "controls/NumBar.h"
#include "controls/WindowTools.h"
#include "core/PatternCommands.h"
#include "core/ProgramPaths.h"
#include "editors/BackgroundForm.h"
#include "editors/LampMaps.h"
#include "editors/PianoForm.h"
#include "editors/PianoMaps.h"
#include "editors/VisualForm.h"
#include "framework/WPControl.h"
#include "model/Preferences.h"
#include "model/Song.h"
#include "model/SongReset.h"
#include "support/CleanWindows.h"
#include "support/TempDir.h"
#include "support/TestApplication.h"

namespace vs {
namespace {

class PianoAndLampsTest : public ::testing::Test {
protected:
  void SetUp() override {
    testing::TestApplication();
    if (ProgramPaths().AppPath.empty()) ProgramPaths().AppPath = VS_DATA_DIR;
    auto song = std::make_unique<TSong>();
    ResetSongModel(*song);
    song->Channels.clear();
    for (int i = 0; i < 8; ++i) song->Channels.push_back(std::make_unique<TChannel>(song.get()));
    song->SetModified(false);
    ReplaceCurrentSong(std::move(song));
    SetPatternLength(CurrentSong(), 16);
  }
  TStepStore& Steps(int channel) { return CurrentSong().Channel(channel)->Steps; }
  int Key(int channel, int step) { return Steps(channel).GetStepValue(1, step, PlaneNote); }

  static void Move(QWidget* w, const QPoint& p, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = {}) {
    QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, buttons, mods);
    QApplication::sendEvent(w, &move);
  }
  // A drag across steps at one height of a box.
  static void Drag(QWidget* box, Qt::MouseButton button, int from, int to, int y, Qt::KeyboardModifiers mods = {}) {
    auto at = [y](int step) { return QPoint(step * PianoStepWidth + 12, y); };
    QTest::mousePress(box, button, mods, at(from));
    for (int s = from + 1; s <= to; ++s) Move(box, at(s), button, mods);
    QTest::mouseRelease(box, button, mods, at(to));
  }
  // The middle of a white key's lane in the keyboard box (C, D, E ...).
  static int WhiteKeyY(int octave, int white) { return KeybBoxHeight - octave * PianoOctaveHeight - white * 8 - 4; }
};

TEST_F(PianoAndLampsTest, KeyboardDragsSetStepsWithTheKeyUnderThePointer) {
  TPianoForm piano;
  CurrentSong().Channel(3)->Selected = true;
  piano.SetViewMode(PianoKeyboardView);
  piano.ShowForChannel(1, QRect(40, 40, 256, 27));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&piano));
  EXPECT_EQ(piano.size(), QSize(256, 170));
  EXPECT_EQ(piano.KeybBox->y(), KeybBoxFirstTop);

  // A left drag over steps 2..5 on the lane of C5 (key 60) switches them on
  // with that key, in the shown channel and in the selected one; the note
  // blocks show lit.
  Drag(piano.KeybBox, Qt::LeftButton, 2, 5, WhiteKeyY(5, 2));  // E5 = 64
  for (int ch : {1, 3})
    for (int s = 2; s <= 5; ++s) {
      EXPECT_TRUE(Steps(ch).IsStepOn(1, s)) << ch << " " << s;
      EXPECT_EQ(Key(ch, s), 64);
    }
  EXPECT_FALSE(Steps(0).IsStepOn(1, 3));
  EXPECT_TRUE(CurrentSong().Modified());
  const TNoteBlock block = NoteBlockOf(64, true);
  const QImage& lit = piano.KeybNoteIL.Image(block.Image);
  ASSERT_FALSE(lit.isNull());
  EXPECT_EQ(piano.KeybBox->Picture.pixel(3 * 16 + 12, block.Top + 4) | 0xFF000000, lit.pixel(12, 4) | 0xFF000000);

  // In the left part of a step, between the E and D lanes, lies D#.
  QTest::mouseClick(piano.KeybBox, Qt::LeftButton, {}, QPoint(7 * 16 + 4, KeybBoxHeight - 5 * 56 - 13));
  EXPECT_EQ(Key(1, 7), 63);

  // A right drag switches steps off and leaves their keys.
  Drag(piano.KeybBox, Qt::RightButton, 3, 4, WhiteKeyY(5, 2));
  EXPECT_FALSE(Steps(1).IsStepOn(1, 3) || Steps(1).IsStepOn(1, 4));
  EXPECT_EQ(Key(1, 3), 64);

  // Ctrl: moving step 2's key from 64 to 67 (G5) moves every key of the
  // pattern by 3, clamped at 124; the flags stay.
  Steps(1).SetStepValue(1, 9, 123, PlaneNote);
  QTest::mouseClick(piano.KeybBox, Qt::LeftButton, Qt::ControlModifier, QPoint(2 * 16 + 12, WhiteKeyY(5, 4)));
  EXPECT_EQ(Key(1, 2), 67);
  EXPECT_EQ(Key(1, 5), 67);
  EXPECT_EQ(Key(1, 0), 63);  // 60 before
  EXPECT_EQ(Key(1, 9), 124);
  EXPECT_FALSE(Steps(1).IsStepOn(1, 3));

  // Dragging below the visible keys scrolls them 8 pixels a tick until the
  // bottom of the keyboard shows.
  const QPoint below(16 * 12 + 12, KeybPanelHeight - KeybBoxFirstTop + 10);
  QTest::mousePress(piano.KeybBox, Qt::LeftButton, {}, QPoint(16 * 12 + 12, 300));
  Move(piano.KeybBox, below, Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return piano.KeybBox->y() <= KeybBoxFirstTop - 16; }, 10000));
  EXPECT_EQ((KeybBoxFirstTop - piano.KeybBox->y()) % 8, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return piano.KeybBox->y() == KeybPanelHeight - KeybBoxHeight; }, 20000));
  QTest::mouseRelease(piano.KeybBox, Qt::LeftButton, {}, below);
  EXPECT_FALSE(piano.ScrollTimer.isActive());
}

TEST_F(PianoAndLampsTest, GraphDragsDrawValuesAndStraightRamps) {
  TPianoForm piano;
  piano.SetViewMode(PianoGraphView);
  piano.SelectLane(PlaneVol);
  piano.ShowForChannel(2, QRect(40, 40, 256, 27));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&piano));
  EXPECT_TRUE(piano.DrawBox->isVisible() && piano.FXSelect->isVisible());
  EXPECT_FALSE(piano.KeybBox->isVisible());
  auto vol = [this](int s) { return Steps(2).GetStepValue(1, s, PlaneVol); };

  // A left drag writes the value under the pointer: 127 x (151 - y) div 151.
  QTest::mouseClick(piano.DrawBox, Qt::LeftButton, {}, QPoint(0 * 16 + 8, 0));
  EXPECT_EQ(vol(0), 127);
  // A right drag from step 2 (high) to step 6 (low) draws a straight ramp
  // over steps 3..6; step 2 keeps the press value.
  QTest::mousePress(piano.DrawBox, Qt::RightButton, {}, QPoint(2 * 16 + 8, 10));
  Move(piano.DrawBox, QPoint(6 * 16 + 8, 140), Qt::RightButton);
  QTest::mouseRelease(piano.DrawBox, Qt::RightButton, {}, QPoint(6 * 16 + 8, 140));
  EXPECT_EQ(vol(2), 118);
  EXPECT_EQ(vol(3), 91);
  EXPECT_EQ(vol(4), 63);
  EXPECT_EQ(vol(5), 37);
  EXPECT_EQ(vol(6), 9);
  EXPECT_EQ(vol(7), 100);  // the lane's default, untouched
  // Dragged past the graph's top or bottom the value stays in the lane's
  // range (never above 127, never below 0 and wrapped).
  QTest::mousePress(piano.DrawBox, Qt::LeftButton, {}, QPoint(8 * 16 + 8, 50));
  Move(piano.DrawBox, QPoint(8 * 16 + 8, -40), Qt::LeftButton);
  EXPECT_EQ(vol(8), 127);
  Move(piano.DrawBox, QPoint(9 * 16 + 8, 400), Qt::LeftButton);
  QTest::mouseRelease(piano.DrawBox, Qt::LeftButton, {}, QPoint(9 * 16 + 8, 400));
  EXPECT_EQ(vol(9), 0);
  // The bar of step 0 fills the column; the ground shows above step 6's.
  const QImage& shot = piano.DrawBox->Picture;
  EXPECT_NE(shot.pixel(8, 20), shot.pixel(6 * 16 + 8, 20));

  // A synthesizer channel offers two lanes: Pitch and Cutoff.
  CurrentSong().Channel(2)->MakeMB404(false);
  piano.ShowForChannel(2, QRect(40, 40, 256, 27));
  EXPECT_EQ(piano.FXSelect->Max(), 1);
  piano.FXSelect->ChangePosition(0);
  EXPECT_EQ(piano.Lane(), PlanePitch);
  piano.FXSelect->ChangePosition(1);
  EXPECT_EQ(piano.Lane(), PlaneCutoff);
}

TEST_F(PianoAndLampsTest, LampWindowSizesDoublesAndFades) {
  TVisualForm lamps;
  bool closed = false;
  lamps.OnCloseRequest = [&] { closed = true; };
  EXPECT_EQ(lamps.size(), QSize(775, 97));
  lamps.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&lamps));
  // Showing lights every lamp: step 5 of row 2 shows the channel's colour.
  TChannel& c = *CurrentSong().Channel(2);
  c.Color = 0x30C0F0;
  lamps.RedrawAll();
  const TLampRect r = LampRect(2, 5, 12);
  auto colourAt = [&](int x, int y) { return lamps.grab().toImage().pixel(x, y) & 0xFFFFFF; };
  QApplication::processEvents();
  EXPECT_EQ(colourAt(r.Left + 2, r.Top + 1), ColorToArgb(0x30C0F0) & 0xFFFFFF);

  // A step lamp is dark after 8 decaying paints, a channel lamp after 2.
  for (int i = 0; i < 2; ++i) lamps.DecayRepaint();
  EXPECT_EQ(c.TriggerLamp.load(), 0);
  EXPECT_EQ(c.StepLamps[5].load(), 192);
  for (int i = 0; i < 6; ++i) lamps.DecayRepaint();
  EXPECT_EQ(c.StepLamps[5].load(), 0);
  QApplication::processEvents();
  EXPECT_EQ(colourAt(r.Left + 2, r.Top + 1), ColorToArgb(LampDarkColour) & 0xFFFFFF);

  // Doubled, the lamps take 24 pixels; a double click doubles them as far
  // as the screen has room (on the 800-pixel test screen not at all), and
  // another halves them.
  lamps.SetCellSize(24);
  EXPECT_EQ(lamps.size(), QSize(1549, 193));
  lamps.SetCellSize(12);
  testing::DoubleClick(&lamps, Qt::LeftButton, QPoint(100, 30));
  EXPECT_LE(lamps.width(), GetWorkArea(&lamps).width());
  testing::DoubleClick(&lamps, Qt::LeftButton, QPoint(100, 30));
  EXPECT_EQ(lamps.size(), QSize(775, 97));
  EXPECT_EQ(GrownLampCell(4, 1600, 1200), 24);
  EXPECT_EQ(GrownLampCell(8, 1280, 1000), 19);  // 1226 pixels wide
  EXPECT_EQ(GrownLampCell(8, 1024, 568), 15);
  EXPECT_EQ(GrownLampCell(40, 1600, 600), 14);  // 561 pixels high
  EXPECT_EQ(GrownLampCell(8, 800, 600), 12);
  // The row under the pointer names its channel; a left drag moves the
  // window.
  std::string info;
  lamps.OnShowInfo = [&](const std::string& text) { info = text; };
  CurrentSong().Channel(3)->Name = "Ride";
  Move(&lamps, QPoint(40, 3 * 12 + 5), Qt::NoButton);
  EXPECT_EQ(info, "Ride");
  const QPoint start = lamps.pos();
  QTest::mousePress(&lamps, Qt::LeftButton, {}, QPoint(40, 40));
  Move(&lamps, QPoint(70, 60), Qt::LeftButton);
  QTest::mouseRelease(&lamps, Qt::LeftButton, {}, QPoint(70, 60));
  EXPECT_EQ(lamps.pos(), start + QPoint(30, 20));
  // A right press runs the main window's lamp-window command.
  QTest::mousePress(&lamps, Qt::RightButton, {}, QPoint(100, 30));
  EXPECT_TRUE(closed);
  QTest::mouseRelease(&lamps, Qt::RightButton, {}, QPoint(100, 30));
}

TEST_F(PianoAndLampsTest, SynthesizerChannelsGetTheSlideRow) {
  TPianoForm piano;
  std::string info;
  piano.OnShowInfo = [&](const std::string& text) { info = text; };
  CurrentSong().Channel(4)->MakeMB404(false);
  CurrentSong().Channel(5)->Selected = true;
  piano.SetViewMode(PianoKeyboardView);
  piano.ShowForChannel(4, QRect(40, 40, 256, 27));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&piano));
  ASSERT_TRUE(piano.SlideBox->isVisible());
  EXPECT_EQ(piano.KeybPanel->height(), KeybPanelHeightWithSlides);
  EXPECT_EQ(piano.SlideBox->y(), KeybPanelHeightWithSlides);

  // A left drag over the slide row marks slides on the shown and the
  // selected channel; a right press takes one away. The mark lights.
  Drag(piano.SlideBox, Qt::LeftButton, 3, 5, 8);
  for (int ch : {4, 5})
    for (int s = 3; s <= 5; ++s) EXPECT_TRUE(Steps(ch).GetStepValue(1, s, PlaneFlags) & StepFlagSlide) << ch << s;
  QTest::mouseClick(piano.SlideBox, Qt::RightButton, {}, QPoint(4 * 16 + 8, 8));
  EXPECT_FALSE(Steps(4).GetStepValue(1, 4, PlaneFlags) & StepFlagSlide);
  EXPECT_EQ(piano.SlideBox->Picture.pixel(3 * 16 + 8, 8) | 0xFF000000,
            piano.TSSlideIL.Image(1).pixel(8, 8) | 0xFF000000);
  EXPECT_EQ(piano.SlideBox->Picture.pixel(4 * 16 + 8, 8) | 0xFF000000,
            piano.TSSlideIL.Image(0).pixel(8, 8) | 0xFF000000);

  // The keys name themselves in the info bar; a sample channel has no
  // slide row and the full keyboard height.
  QTest::mouseClick(piano.KeybBox, Qt::RightButton, {}, QPoint(8 * 16 + 12, WhiteKeyY(4, 0)));
  EXPECT_EQ(info, "C4");
  piano.ShowForChannel(1, QRect(40, 40, 256, 27));
  EXPECT_FALSE(piano.SlideBox->isVisible());
  EXPECT_EQ(piano.KeybPanel->height(), KeybPanelHeight);
}

TEST_F(PianoAndLampsTest, BackdropTilesOrCentresItsPictureAndSurvivesAMissingOne) {
  TTestDir dir;
  TPreferences prefs;
  prefs.BackPicFileName = dir / "missing.bmp";
  TBackgroundForm back(prefs);
  back.resize(400, 300);
  back.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&back));
  EXPECT_FALSE(back.HasPicture());
  EXPECT_FALSE(back.BackImage->isVisible());

  // A device-independent bitmap, at its own size in the middle when not
  // tiled; covering the window when tiled.
  QImage picture(60, 40, QImage::Format_RGB32);
  picture.fill(QColor(200, 40, 40));
  TDIB dib;
  dib.Assign(picture);
  ASSERT_TRUE(dib.SaveToFile(QString::fromStdString(dir / "plate.dib")));
  prefs.BackPicFileName = dir / "plate.dib";
  prefs.BackPicTiled = false;
  back.LoadPicture();
  ASSERT_TRUE(back.HasPicture());
  EXPECT_EQ(back.BackImage->geometry(), QRect(170, 130, 60, 40));
  back.StretchMenu->trigger();
  EXPECT_TRUE(prefs.BackPicTiled);
  EXPECT_EQ(back.BackImage->geometry(), back.rect());
  EXPECT_TRUE(back.StretchMenu->isChecked());
}

TEST(PianoMapsTest, KeysBlocksAndRamps) {
  EXPECT_EQ(KeyAtY(12, 0), 124);    // above the top octave
  EXPECT_EQ(KeyAtY(12, 600), 0);    // below key 0
  EXPECT_EQ(KeyAtY(12, KeybBoxHeight - 5 * 56 - 4), 60);
  EXPECT_EQ(KeyAtY(4, KeybBoxHeight - 5 * 56 - 6), 61);   // C# in the left part
  EXPECT_EQ(KeyAtY(12, KeybBoxHeight - 5 * 56 - 6), 60);  // the same height further right
  EXPECT_EQ(NoteBlockOf(61, true).Image, 7);
  EXPECT_EQ(NoteBlockOf(64, false).Top, KeybBoxHeight - 5 * 56 - 16 - 8);
  EXPECT_EQ(ScrollKeybTop(-4, -1, KeybPanelHeight), 0);
  EXPECT_EQ(ScrollKeybTop(-410, 1, KeybPanelHeight), KeybPanelHeight - KeybBoxHeight);
  EXPECT_EQ(PianoStepAtX(-1, 0), -1);
  EXPECT_EQ(GraphRamp(6, 0, 3, 30), (std::vector<std::pair<int, int>>{{5, 10}, {4, 20}, {3, 30}}));
  EXPECT_EQ(PianoNoteName(61), "C#5");
}

}  // namespace
}  // namespace vs
