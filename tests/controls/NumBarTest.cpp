// The number bar as a user drives it: keys, a press on the track, a drag of
// the knob (centred or held where grabbed), held arrows with their repeat,
// a bar too small for its knob, and what the knob paints.

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "ControlsTestSupport.h"
#include "controls/NumBar.h"
#include "controls/TimerSpeedButton.h"

namespace vs {
namespace {

using testing::PixelAt;
using testing::ShownPanel;

struct TBarRig {
  std::unique_ptr<QWidget> Panel = ShownPanel(300, 80);
  TNumBar* Bar = new TNumBar(Panel.get());
  int Changes = 0;
  std::vector<QWidget*> Releases;

  TBarRig() {
    Panel->activateWindow();
    (void)QTest::qWaitForWindowActive(Panel.get());
    Bar->show();
    Bar->OnChange = [this](QWidget*) { ++Changes; };
    Bar->OnRelease = [this](QWidget* sender) { Releases.push_back(sender); };
  }
  // A bar without arrows whose knob has 100 pixels of travel over 0..100.
  void PlainBar() {
    Bar->SetShowNumber(false);
    Bar->SetHideArrows(true);
    Bar->setGeometry(0, 0, 123, 18);
  }
  int KnobX() const { return Bar->Knob()->x(); }
};

TEST(NumBar, KeysStepTheBarAndEachKeyEndsWithARelease) {
  TBarRig rig;
  TNumBar& bar = *rig.Bar;
  bar.setGeometry(10, 10, 200, 18);
  bar.SetRange(1, 64);
  EXPECT_TRUE(bar.isEnabled());
  // The knob is at least as wide as the widest number and 16 pixels.
  EXPECT_EQ(bar.KnobSize(), QFontMetrics(bar.font()).horizontalAdvance("64") + 16);
  EXPECT_EQ(bar.Position(), 1);

  QTest::keyClick(&bar, Qt::Key_Insert);
  EXPECT_EQ(bar.Position(), 32);
  EXPECT_EQ(bar.Text(), "32");
  EXPECT_EQ(rig.Changes, 1);
  EXPECT_EQ(rig.Releases, std::vector<QWidget*>{&bar});
  QTest::keyClick(&bar, Qt::Key_End);
  QTest::keyClick(&bar, Qt::Key_PageUp);
  QTest::keyClick(&bar, Qt::Key_Left);
  EXPECT_EQ(bar.Position(), 53);
  QTest::keyClick(&bar, Qt::Key_Home);
  QTest::keyClick(&bar, Qt::Key_Home);  // unchanged: no change event
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(rig.Changes, 5);
  EXPECT_EQ(rig.Releases.size(), 6u);
  // Up and Down belong to whatever holds the bar.
  QTest::keyClick(&bar, Qt::Key_Down);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(rig.Releases.size(), 6u);

  // A held key repeats; only its last release ends it, or the focus going.
  bar.setFocus();
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
  QKeyEvent repeatUp(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
  QTest::keyPress(&bar, Qt::Key_Right);
  QApplication::sendEvent(&bar, &repeatUp);
  QApplication::sendEvent(&bar, &repeat);
  EXPECT_EQ(bar.Position(), 3);
  EXPECT_EQ(rig.Releases.size(), 6u);
  ASSERT_TRUE(bar.hasFocus());
  bar.clearFocus();
  EXPECT_EQ(rig.Releases.size(), 7u);

  // A range that the knob fills, or Max below Min: the bar is disabled and
  // the knob hidden.
  bar.SetMax(-5);
  EXPECT_EQ(bar.Max(), 1);
  EXPECT_FALSE(bar.isEnabled());
  EXPECT_FALSE(bar.Knob()->isVisible());
  // Changing the range resets the travel to all of it.
  bar.SetRange(0, 100);
  bar.SetMoveRange(20, 500);
  EXPECT_EQ(bar.MoveMin(), 20);
  EXPECT_EQ(bar.MoveMax(), 100);
  bar.SetMin(10);
  EXPECT_EQ(bar.MoveMin(), 10);
  EXPECT_TRUE(bar.Knob()->isVisible());
}

TEST(NumBar, TrackPressCentresTheKnobAndTheKnobDragsFromWhereItWasHeld) {
  TBarRig rig;
  TNumBar& bar = *rig.Bar;
  rig.PlainBar();
  ASSERT_EQ(bar.TrackLength(), 123);
  ASSERT_EQ(bar.KnobSize(), 23);
  const QRgb light = ToQColor(ShiftColor(bar.Color(), 64)).rgb();
  const QRgb dark = ToQColor(ShiftColor(bar.Color(), -64)).rgb();
  EXPECT_EQ(PixelAt(bar, 4, 9), light);  // grip lines at rest

  // A press on the track: the knob's centre comes under the pointer.
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(61, 9));
  EXPECT_EQ(bar.Position(), 50);  // (50 * 101) div 100
  EXPECT_EQ(rig.KnobX(), 50);
  EXPECT_TRUE(bar.Dragging());
  EXPECT_EQ(PixelAt(bar, 54, 9), dark);  // pressed: the dark lines move over
  QTest::mouseMove(&bar, QPoint(71, 9));
  EXPECT_EQ(bar.Position(), 60);
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(71, 9));
  EXPECT_EQ(rig.Changes, 2);
  EXPECT_EQ(rig.Releases, std::vector<QWidget*>{&bar});
  EXPECT_EQ(PixelAt(bar, 64, 9), light);

  // Grabbed near its left edge, the knob centres on the pointer...
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(62, 9));
  EXPECT_EQ(bar.Position(), 51);
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(62, 9));
  // ...or, with SlideKnob, keeps the point where it was grabbed.
  bar.SlideKnob = true;
  const int at = rig.KnobX() + 2;
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(at, 9));
  EXPECT_EQ(bar.Position(), 51);
  QTest::mouseMove(&bar, QPoint(at + 10, 9));
  EXPECT_EQ(bar.Position(), 61);
  EXPECT_EQ(rig.KnobX(), at + 8);
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(at + 10, 9));

  // Travel limited to 40..60: the knob spans the track over those values.
  bar.SetMoveRange(40, 60);
  bar.SetPosition(40);
  EXPECT_EQ(rig.KnobX(), 0);
  bar.SetPosition(60);
  EXPECT_EQ(rig.KnobX(), 100);

  // A bar shorter than its knob's minimum stays usable: the pointer spans
  // the track, the knob rests at the origin.
  bar.setGeometry(0, 0, 20, 18);
  bar.SetRange(0, 9);
  ASSERT_TRUE(bar.isEnabled());
  ASSERT_GT(bar.KnobSize(), bar.TrackLength());
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(10, 9));
  EXPECT_EQ(bar.Position(), 5);
  EXPECT_EQ(rig.KnobX(), 0);
  QTest::mouseMove(&bar, QPoint(19, 9));
  EXPECT_EQ(bar.Position(), 9);
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(19, 9));
}

// Only a left press on the track or on an arrow takes the focus; a press
// on the knob or with the right button leaves it where it was. The number
// comes back on the knob when it is switched on again.
TEST(NumBar, OnlyTheTrackOrAnArrowTakesTheFocusAndTheNumberComesBack) {
  TBarRig rig;
  TNumBar& bar = *rig.Bar;
  bar.setGeometry(10, 10, 200, 18);
  bar.SetRange(0, 100);
  bar.SetPosition(7);
  const QPoint knob = bar.Knob()->geometry().center();
  for (auto [button, at] : {std::pair{Qt::RightButton, QPoint(150, 9)}, std::pair{Qt::RightButton, knob},
                            std::pair{Qt::LeftButton, knob}}) {
    QTest::mousePress(&bar, button, {}, at);
    QTest::mouseRelease(&bar, button, {}, at);
    EXPECT_FALSE(bar.hasFocus()) << button << " " << at.x();
  }
  QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(150, 9));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(150, 9));
  EXPECT_TRUE(bar.hasFocus());

  bar.SetPosition(7);
  const QImage shown = bar.Knob()->grab().toImage();
  bar.SetShowNumber(false);
  EXPECT_EQ(bar.Text(), "");
  bar.SetShowNumber(true);
  EXPECT_EQ(bar.Text(), "7");
  EXPECT_EQ(bar.Knob()->grab().toImage(), shown);
}

TEST(NumBar, HeldArrowStepsAtOnceAfter250MsThenEvery50Ms) {
  TBarRig rig;
  TNumBar& bar = *rig.Bar;
  bar.setGeometry(10, 10, 200, 18);
  bar.SetRange(0, 100);
  bar.SetPosition(10);
  TTimerSpeedButton& second = *bar.Arrow(1);
  TRepeatTimer& repeat = second.Repeat();

  QTest::mousePress(&second, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(bar.Position(), 11);  // at once
  EXPECT_TRUE(bar.hasFocus());
  EXPECT_TRUE(second.Down());
  EXPECT_TRUE(repeat.Active());
  EXPECT_EQ(repeat.Interval(), 250);
  repeat.Tick();  // 250 ms
  EXPECT_EQ(bar.Position(), 12);
  EXPECT_EQ(repeat.Interval(), 50);
  repeat.Tick();  // then every 50 ms
  repeat.Tick();
  EXPECT_EQ(bar.Position(), 14);
  EXPECT_EQ(repeat.Interval(), 50);
  EXPECT_TRUE(rig.Releases.empty());
  QTest::mouseRelease(&second, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(repeat.Active());
  EXPECT_FALSE(second.Down());
  EXPECT_EQ(rig.Releases, std::vector<QWidget*>{&second});

  // The first arrow steps down by LineSize; a fresh press waits 250 ms again.
  bar.LineSize = 5;
  TTimerSpeedButton& first = *bar.Arrow(0);
  QTest::mousePress(&first, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(bar.Position(), 9);
  EXPECT_EQ(first.Repeat().Interval(), 250);
  QTest::mouseRelease(&first, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(rig.Changes, 5);

  // An owner that paints the parts itself is asked for each, with their
  // state.
  std::vector<std::pair<int, int>> painted;
  bar.OnPaintKnob = [&](QWidget* sender, TCanvas& canvas, const TRect& r, int what, int state) {
    EXPECT_EQ(sender, &bar);
    canvas.FillRect(r, ClRed);
    painted.emplace_back(what, state);
  };
  QTest::mousePress(&first, Qt::LeftButton, {}, QPoint(5, 5));
  (void)bar.grab();
  QTest::mouseRelease(&first, Qt::LeftButton, {}, QPoint(5, 5));
  using P = std::pair<int, int>;
  EXPECT_NE(std::find(painted.begin(), painted.end(), P{1, 1}), painted.end());
  EXPECT_NE(std::find(painted.begin(), painted.end(), P{2, 0}), painted.end());
  EXPECT_NE(std::find(painted.begin(), painted.end(), P{0, 0}), painted.end());
  EXPECT_EQ(PixelAt(bar, bar.Knob()->x() + 5, 5), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace vs
