// The track slider as a user drives it: keys and the middle, the default on
// the right button, the knob dragged by the pointer's travel, a held press
// paging toward the pointer, its tick marks as drawn, empty ranges and
// tracks; and the red gauge.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/TimerSpeedButton.h"
#include "controls/TrackSlider.h"

namespace vs {
namespace {

using testing::PixelAt;
using testing::ShownPanel;

struct TSliderRig {
  std::unique_ptr<QWidget> Panel = ShownPanel(320, 200);
  TTrackSlider* Slider = new TTrackSlider(Panel.get());
  int Changes = 0;
  int Releases = 0;

  TSliderRig() {
    Panel->activateWindow();
    (void)QTest::qWaitForWindowActive(Panel.get());
    Slider->show();
    Slider->OnChange = [this](QWidget*) { ++Changes; };
    Slider->OnRelease = [this](QWidget*) { ++Releases; };
  }
  // Horizontal, 0..1000 over a 278-pixel track.
  void Horizontal() {
    Slider->SetOrientation(Qt::Horizontal);
    Slider->setGeometry(0, 0, 300, 40);
  }
  void RightClick(QWidget* w, QPoint at) {
    QTest::mouseClick(w, Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &request);
  }
};

TEST(TrackSlider, KeysMoveItInsertCentresItAndEveryKeyEndsWithARelease) {
  TSliderRig rig;
  TTrackSlider& slider = *rig.Slider;
  slider.SetMin(-1200);
  slider.SetMax(1200);
  // Setting a bound fires the change event even when the position stays.
  EXPECT_EQ(rig.Changes, 2);
  EXPECT_EQ(slider.Position(), 0);
  slider.SetPosition(700);
  EXPECT_EQ(rig.Changes, 2);

  QTest::keyClick(&slider, Qt::Key_Insert);
  EXPECT_EQ(slider.Position(), 0);
  EXPECT_EQ(rig.Changes, 3);
  EXPECT_EQ(rig.Releases, 1);
  QTest::keyClick(&slider, Qt::Key_End);
  QTest::keyClick(&slider, Qt::Key_Down);  // stays at Max, reports anyway
  QTest::keyClick(&slider, Qt::Key_PageUp);
  QTest::keyClick(&slider, Qt::Key_Up);
  EXPECT_EQ(slider.Position(), 1090);
  EXPECT_EQ(rig.Changes, 7);
  EXPECT_EQ(rig.Releases, 5);

  // Owners set it from songs with one change and one release, or nothing.
  slider.ChangePositionAndRelease(1090);
  EXPECT_EQ(rig.Releases, 5);
  slider.ChangePositionAndRelease(-300);
  EXPECT_EQ(slider.Position(), -300);
  EXPECT_EQ(rig.Changes, 8);
  EXPECT_EQ(rig.Releases, 6);

  // Without the focus ability the keys pass it by and no focus frame shows.
  slider.SetCanGetFocus(false);
  QTest::keyClick(&slider, Qt::Key_Home);
  EXPECT_EQ(slider.Position(), -300);
  EXPECT_EQ(rig.Releases, 6);
  EXPECT_EQ(slider.focusPolicy(), Qt::NoFocus);
}

TEST(TrackSlider, RightClickReturnsToTheDefaultAndTheKnobFollowsThePointersTravel) {
  TSliderRig rig;
  TTrackSlider& slider = *rig.Slider;
  slider.SetMax(128);
  slider.setGeometry(0, 0, 36, 150);
  ASSERT_EQ(slider.TrackLength(), 128);
  TSliderKnob& knob = *slider.Knob();
  // Min at the top, 128 at the bottom of the track.
  slider.SetPosition(128);
  EXPECT_EQ(knob.geometry().bottom() + 1, 150 - slider.SideGap());
  rig.Changes = 0;

  // No default: the right button changes nothing, on the track or the knob;
  // a gesture on the knob still ends in its release.
  rig.RightClick(&slider, QPoint(18, 20));
  EXPECT_EQ(rig.Releases, 0);
  rig.RightClick(&knob, QPoint(5, 5));
  EXPECT_EQ(slider.Position(), 128);
  EXPECT_EQ(rig.Releases, 1);
  slider.SetDefaultPosition(64);
  rig.RightClick(&slider, QPoint(18, 20));
  EXPECT_EQ(slider.Position(), 64);
  EXPECT_EQ(knob.y(), 5 + 64);
  EXPECT_EQ(rig.Releases, 2);
  rig.RightClick(&knob, QPoint(5, 5));  // at the default already
  EXPECT_EQ(rig.Changes, 1);
  EXPECT_EQ(rig.Releases, 3);

  // The knob moves by the pointer's travel; the pointer hides meanwhile.
  QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(11, 6));
  EXPECT_EQ(knob.cursor().shape(), Qt::BlankCursor);
  EXPECT_TRUE(slider.hasFocus());
  QTest::mouseMove(&knob, QPoint(11, 16));
  EXPECT_EQ(slider.Position(), 74);
  EXPECT_EQ(knob.y(), 5 + 74);
  QTest::mouseMove(&knob, QPoint(11, 6));  // where it was held: no travel
  EXPECT_EQ(slider.Position(), 74);
  QTest::mouseMove(&knob, QPoint(11, -200));
  EXPECT_EQ(slider.Position(), 0);
  QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(11, -200));
  EXPECT_NE(knob.cursor().shape(), Qt::BlankCursor);
  EXPECT_FALSE(knob.Anchored());
  EXPECT_EQ(rig.Releases, 4);

  // An empty range, or no track at all: the knob rests at the track start
  // and the gestures change nothing.
  slider.SetMin(128);
  EXPECT_EQ(slider.Position(), 128);
  EXPECT_EQ(knob.y(), 5);
  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(18, 120));
  slider.PageTimer().Tick();
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(18, 120));
  EXPECT_EQ(slider.Position(), 128);
  slider.SetMin(0);
  slider.setGeometry(0, 0, 36, 15);
  EXPECT_LE(slider.TrackLength(), 0);
  EXPECT_EQ(knob.y(), 5);
  QTest::mousePress(&knob, Qt::LeftButton, {}, QPoint(11, 6));
  QTest::mouseMove(&knob, QPoint(11, 30));
  QTest::mouseRelease(&knob, Qt::LeftButton, {}, QPoint(11, 30));
  EXPECT_EQ(slider.Position(), 128);
}

TEST(TrackSlider, AHeldPressPagesTowardThePointerThenFollowsIt) {
  TSliderRig rig;
  TTrackSlider& slider = *rig.Slider;
  rig.Horizontal();
  ASSERT_EQ(slider.TrackLength(), 278);
  TRepeatTimer& timer = slider.PageTimer();

  // One page is 28 pixels: pages of 100 every 50 ms until the knob is
  // within a page of the pointer, then it jumps under it.
  QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(250, 30));
  EXPECT_EQ(slider.Position(), 100);
  EXPECT_TRUE(timer.Active());
  EXPECT_EQ(timer.Interval(), 50);
  for (int i = 0; i < 7; ++i) timer.Tick();
  EXPECT_EQ(slider.Position(), 800);
  timer.Tick();
  EXPECT_EQ(slider.Position(), 860);
  timer.Tick();
  EXPECT_EQ(slider.Position(), 860);
  // Back toward the pointer's new place.
  QTest::mouseMove(&slider, QPoint(20, 30));
  timer.Tick();
  EXPECT_EQ(slider.Position(), 760);
  EXPECT_EQ(rig.Releases, 0);
  QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(20, 30));
  EXPECT_FALSE(timer.Active());
  EXPECT_EQ(rig.Releases, 1);
}

TEST(TrackSlider, DrawsEveryTickAndTheLongOnes) {
  TSliderRig rig;
  TTrackSlider& slider = *rig.Slider;
  rig.Horizontal();
  const QImage picture = slider.grab().toImage();
  const int centre = slider.CentreLine();
  ASSERT_EQ(centre, 20);
  const QRgb lit = ToQColor(ClBtnHighlight).rgb();
  const auto count = [&](int y) {
    int n = 0;
    for (int x = 0; x < picture.width(); ++x) n += (picture.pixel(x, y) | 0xFF000000) == lit;
    return n;
  };
  // Short ticks run 4 pixels out from the groove, long ones 7.
  EXPECT_EQ(count(centre - 12), 21);
  EXPECT_EQ(count(centre - 14), 5);
  EXPECT_EQ(count(centre + 11), 21);
  EXPECT_EQ(count(centre + 13), 5);
  EXPECT_EQ(count(centre - 16), 0);
  // The first tick sits at the track start, with its shadow before it.
  EXPECT_EQ(picture.pixel(slider.TrackStart(), centre - 14) | 0xFF000000, lit);
  EXPECT_EQ(picture.pixel(slider.TrackStart() - 1, centre - 14) | 0xFF000000, ToQColor(ClBtnShadow).rgb());
}

TEST(TrackSlider, AClickTakesTheFocusOnlyWithFocusOnClickAndAnInvertedRangeRestsAtMin) {
  TSliderRig rig;
  TTrackSlider& slider = *rig.Slider;
  QWidget* other = new QWidget(rig.Panel.get());
  other->setFocusPolicy(Qt::StrongFocus);
  other->setGeometry(200, 0, 40, 40);
  other->show();
  slider.FocusOnClick = false;
  for (QWidget* target : {static_cast<QWidget*>(&slider), static_cast<QWidget*>(slider.Knob())}) {
    other->setFocus();
    ASSERT_TRUE(other->hasFocus());
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_TRUE(other->hasFocus());
  }
  // Still a tab stop, and the keys work once it has the focus.
  EXPECT_TRUE(slider.focusPolicy() & Qt::TabFocus);
  slider.FocusOnClick = true;
  QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(18, 140));
  EXPECT_TRUE(slider.hasFocus());

  // Min above Max: every position, and the gestures, give Min.
  slider.SetMin(10);
  slider.SetMax(5);
  EXPECT_EQ(slider.Position(), 10);
  slider.ChangePosition(-40);
  EXPECT_EQ(slider.Position(), 10);
  QTest::keyClick(&slider, Qt::Key_End);
  EXPECT_EQ(slider.Position(), 10);
}

TEST(RedGauge, FillsToItsPositionAndCountsAnEmptyMaxAsOne) {
  auto panel = ShownPanel();
  auto* gauge = new TRedGauge(panel.get());
  gauge->setGeometry(0, 0, 100, 20);
  gauge->show();
  gauge->SetPosition(50);
  EXPECT_EQ(gauge->Text(), "50%");
  EXPECT_EQ(PixelAt(*gauge, 4, 16), qRgb(255, 0, 0));
  EXPECT_EQ(PixelAt(*gauge, 49, 16), qRgb(255, 0, 0));  // 94 * 50 div 100 = 47
  EXPECT_EQ(PixelAt(*gauge, 50, 16), qRgb(0, 0, 0));
  EXPECT_EQ(PixelAt(*gauge, 0, 0), ToQColor(ClBtnShadow).rgb());
  gauge->SetPosition(150);
  EXPECT_EQ(gauge->Text(), "100%");
  EXPECT_EQ(PixelAt(*gauge, 95, 16), qRgb(255, 0, 0));
  gauge->SetMax(0);
  gauge->SetPosition(1);
  EXPECT_EQ(gauge->Position(), 0);
  EXPECT_EQ(gauge->Text(), "0%");
  EXPECT_EQ(PixelAt(*gauge, 4, 16), qRgb(0, 0, 0));
  gauge->SetShowPercentage(false);
  EXPECT_TRUE(gauge->Text().isEmpty());
}

}  // namespace
}  // namespace vs
