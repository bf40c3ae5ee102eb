// The small number controls as a user drives them: the spin edit typed,
// stepped with held arrows and left; the digit display's places; the
// up-down's zones, grip drag and pressed looks.

#include <gtest/gtest.h>

#include <algorithm>

#include "ControlsTestSupport.h"
#include "controls/MeroUpDown.h"
#include "controls/PickNum.h"
#include "controls/RCADigital.h"
#include "controls/TimerSpeedButton.h"
#include "controls/TransImages.h"
#include "controls/WAVScope.h"

namespace vs {
namespace {

using testing::FrameColour;
using testing::FrameStrip;
using testing::PixelAt;
using testing::ShownPanel;

std::unique_ptr<QWidget> ActivePanel() {
  auto panel = ShownPanel();
  panel->activateWindow();
  (void)QTest::qWaitForWindowActive(panel.get());
  return panel;
}

TEST(PickNum, TypedSteppedAndLeftWithinItsRange) {
  auto panel = ActivePanel();
  auto* pick = new TPickNum(panel.get());
  auto* other = new QLineEdit(panel.get());
  other->move(0, 60);
  pick->SetMinValue(-1);
  pick->SetMaxValue(127);
  pick->show();
  other->show();
  int changes = 0;
  pick->OnChange = [&](QWidget*) { ++changes; };

  // Emptied, the box reads as its minimum; leaving it rewrites nothing.
  pick->setFocus();
  pick->clear();
  EXPECT_EQ(pick->Value(), -1);
  other->setFocus();
  EXPECT_EQ(pick->text(), "");
  // Only signs, digits and editing keys are typed; out of range is clamped
  // when the box is left.
  pick->setFocus();
  QTest::keyClicks(pick, "3a0x0");
  EXPECT_EQ(pick->text(), "300");
  other->setFocus();
  EXPECT_EQ(pick->text(), "127");

  // A held arrow steps at once, after 200 ms, then every 50 ms; the box
  // takes the focus.
  pick->SetValue(60);
  TTimerSpeedButton& up = *pick->Button()->UpArrow();
  // The arrows sit on the dark panel as dark keys with light arrows.
  const QImage key = up.grab().toImage();
  int lightest = 0;
  for (int y = 0; y < key.height(); ++y)
    for (int x = 0; x < key.width(); ++x) lightest = std::max(lightest, qGray(key.pixel(x, y)));
  EXPECT_LT(qGray(key.pixel(2, key.height() - 3)), 100);
  EXPECT_GT(lightest, 180);
  QTest::mousePress(&up, Qt::LeftButton, {}, QPoint(4, 3));
  EXPECT_EQ(pick->Value(), 61);
  EXPECT_TRUE(pick->hasFocus());
  EXPECT_EQ(up.Repeat().Interval(), 200);
  up.Repeat().Tick();
  EXPECT_EQ(up.Repeat().Interval(), 50);
  up.Repeat().Tick();
  EXPECT_EQ(pick->Value(), 63);
  QTest::mouseRelease(&up, Qt::LeftButton, {}, QPoint(4, 3));
  EXPECT_FALSE(up.Repeat().Active());
  // Any button steps; the keys step too, and the arrows stop at the range.
  QTest::mouseClick(pick->Button()->DownArrow(), Qt::RightButton, {}, QPoint(4, 3));
  QTest::keyClick(pick, Qt::Key_Down);
  EXPECT_EQ(pick->Value(), 61);
  pick->Increment = 100;
  QTest::keyClick(pick, Qt::Key_Up);
  EXPECT_EQ(pick->Value(), 127);
  EXPECT_GE(changes, 8);

  // The arrows sit inside the frame at the right edge; the text stops short
  // of them.
  pick->resize(60, 5);
  EXPECT_EQ(pick->height(), 8);
  pick->resize(60, 21);
  EXPECT_EQ(pick->Button()->geometry(), QRect(43, 2, 15, 17));
  EXPECT_EQ(pick->textMargins().right(), 19);

  // Without the editor the box is only stepped.
  pick->SetEditorEnabled(false);
  pick->selectAll();
  QTest::keyClicks(pick, "5");
  QTest::keyClick(pick, Qt::Key_Backspace);
  EXPECT_EQ(pick->text(), "127");
  // Equal bounds clamp nothing.
  pick->SetMinValue(0);
  pick->SetMaxValue(0);
  pick->SetValue(5000);
  EXPECT_EQ(pick->Value(), 5000);
}

TEST(RCADigital, ShowsTheLastPlacesWithLeadingBlanks) {
  auto panel = ShownPanel();
  TImageList digits;
  BitmapToImageList(FrameStrip(11, 8), digits, 11);
  auto* display = new TRCADigital(panel.get());
  display->SetImList(&digits);
  display->SetFormatWidth(3);
  display->show();
  EXPECT_EQ(display->size(), QSize(24, 8));
  const auto places = [&] {
    return std::vector<QRgb>{PixelAt(*display, 4, 4), PixelAt(*display, 12, 4), PixelAt(*display, 20, 4)};
  };
  const auto frames = [](int a, int b, int c) {
    return std::vector<QRgb>{FrameColour(a), FrameColour(b), FrameColour(c)};
  };
  display->SetValue(140);
  EXPECT_EQ(places(), frames(2, 5, 1));
  display->SetValue(7);
  EXPECT_EQ(places(), frames(0, 0, 8));  // "  7"
  display->SetValue(0);
  EXPECT_EQ(places(), frames(0, 0, 1));  // "  0"
  display->SetValue(1234);
  EXPECT_EQ(places(), frames(3, 4, 5));  // "234"
  display->SetValue(-3);
  EXPECT_EQ(places(), frames(0, 0, 1));
  // A gap between places widens the display; the places keep to the right.
  display->SetGap(2);
  EXPECT_EQ(display->width(), 30);
  display->SetValue(140);
  EXPECT_EQ(PixelAt(*display, 1, 4), qRgb(0, 0, 0));
  EXPECT_EQ(PixelAt(*display, 2, 4), FrameColour(2));
  EXPECT_EQ(PixelAt(*display, 29, 4), FrameColour(1));
}

TEST(MeroUpDown, ArrowsStepGripDragsAndTheMaximumSendsNothingUpward) {
  auto panel = ShownPanel();
  auto* upDown = new TMeroUpDown(panel.get());
  upDown->show();
  ASSERT_EQ(upDown->size(), QSize(16, 26));
  upDown->SetMin(30);
  upDown->SetMax(999);
  std::vector<int32_t> changes;
  upDown->OnChange = [&](QWidget*) { changes.push_back(upDown->Value()); };
  // The owner's setter reports a change: other controls chain to it.
  upDown->SetValue(2000);
  EXPECT_EQ(changes, std::vector<int32_t>{999});

  // At the maximum the up zone changes nothing and tells nobody; it shows
  // pressed while held.
  EXPECT_EQ(PixelAt(*upDown, 1, 1), qRgb(255, 255, 255));
  QTest::mousePress(upDown, Qt::LeftButton, {}, QPoint(8, 3));
  EXPECT_EQ(upDown->PressedZone(), 0);
  EXPECT_EQ(PixelAt(*upDown, 1, 1), qRgb(0x70, 0x70, 0x70));
  upDown->StepTimer().Tick();
  QTest::mouseRelease(upDown, Qt::LeftButton, {}, QPoint(8, 3));
  EXPECT_EQ(changes.size(), 1u);
  EXPECT_EQ(PixelAt(*upDown, 1, 1), qRgb(255, 255, 255));
  // The down zone steps at once, after 200 ms, then every 50 ms.
  QTest::mousePress(upDown, Qt::LeftButton, {}, QPoint(8, 22));
  EXPECT_EQ(upDown->Value(), 998);
  EXPECT_EQ(upDown->StepTimer().Interval(), 200);
  upDown->StepTimer().Tick();
  EXPECT_EQ(upDown->StepTimer().Interval(), 50);
  upDown->StepTimer().Tick();
  QTest::mouseRelease(upDown, Qt::LeftButton, {}, QPoint(8, 22));
  EXPECT_FALSE(upDown->StepTimer().Active());
  EXPECT_EQ(changes, (std::vector<int32_t>{999, 998, 997, 996}));

  // The grip: 10 pixels down at MoveSpeed 4 is -40 div 16 = -2.
  upDown->MoveSpeed = 4;
  QTest::mouseMove(upDown, QPoint(8, 13));
  EXPECT_EQ(upDown->cursor().shape(), Qt::SplitVCursor);
  QTest::mousePress(upDown, Qt::LeftButton, {}, QPoint(8, 13));
  QTest::mouseMove(upDown, QPoint(8, 23));
  EXPECT_EQ(upDown->Value(), 994);
  QTest::mouseMove(upDown, QPoint(8, 16));  // -12 div 16 = 0: back at the start
  EXPECT_EQ(upDown->Value(), 996);
  QTest::mouseMove(upDown, QPoint(8, -50));
  EXPECT_EQ(upDown->Value(), 999);
  QTest::mouseRelease(upDown, Qt::LeftButton, {}, QPoint(8, 3));
  EXPECT_EQ(upDown->PressedZone(), -1);
  EXPECT_NE(upDown->cursor().shape(), Qt::SplitVCursor);

  // A picture list gives the size and each zone's look.
  TImageList looks;
  BitmapToImageList(FrameStrip(2, 20), looks, 2);
  upDown->SetImList(&looks);
  EXPECT_EQ(upDown->size(), QSize(20, 20));
  QTest::mousePress(upDown, Qt::LeftButton, {}, QPoint(5, 18));
  EXPECT_EQ(PixelAt(*upDown, 5, 18), FrameColour(1));
  EXPECT_EQ(PixelAt(*upDown, 5, 2), FrameColour(0));
  QTest::mouseRelease(upDown, Qt::LeftButton, {}, QPoint(5, 18));
}

TEST(DisplayControls, TheDigitsTheMeterAndTheImageReportADoubleClickBeforeItsPress) {
  auto panel = ShownPanel(300, 100);
  auto* digits = new TRCADigital(panel.get());
  auto* meter = new TWAVVolumeter(panel.get());
  auto* image = new TTransImage(panel.get());
  std::string log;
  int n = 0;
  for (TQuickGraphicControl* c : {static_cast<TQuickGraphicControl*>(digits), static_cast<TQuickGraphicControl*>(meter),
                                  static_cast<TQuickGraphicControl*>(image)}) {
    c->setGeometry(n++ * 80, 0, 60, 40);
    c->show();
    c->OnDblClick = [&log](QWidget*) { log += 'D'; };
    c->OnMouseDown = [&log](QWidget*, const TMouseInfo&) { log += 'p'; };
    log.clear();
    QTest::mouseDClick(c, Qt::LeftButton, {}, QPoint(10, 10));
    // Once, and before the second press's own press handling.
    EXPECT_EQ(std::count(log.begin(), log.end(), 'D'), 1) << log;
    EXPECT_NE(log.find("Dp"), std::string::npos) << log;
    log.clear();
    QTest::mouseDClick(c, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(log.find('D'), std::string::npos) << log;
    EXPECT_NE(log.find('p'), std::string::npos);
  }
}

}  // namespace
}  // namespace vs
