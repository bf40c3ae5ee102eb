// The value-control base as a new control uses it: a small fader that only
// paints and maps the mouse, with every rule about values, events and the
// default coming from the base.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/ValueControl.h"

namespace vs {
namespace {

// A horizontal fader: the value is the pointer's x; a right click resets;
// the release ends the gesture.
class TTestFader : public TValueControl {
public:
  explicit TTestFader(QWidget* parent) : TValueControl(parent) {
    SetMax(100);
    SetNoDefaultMark(2147483647);
    resize(101, 10);
  }
  int Paints = 0;
  using TValueControl::NotifyUnchanged;

protected:
  void Paint(TCanvas& canvas) override {
    ++Paints;
    canvas.FillRect(TRect::Sized(0, 0, width(), height()), ClBlack);
    canvas.FillRect(TRect::Sized(0, 0, Value(), height()), ClWhite);
  }
  void MouseDown(const TMouseInfo& m) override {
    TValueControl::MouseDown(m);
    if (m.Button == Qt::RightButton) ResetToDefault();
    else ChangeValue(m.X, true);
  }
  void MouseMove(const TMouseInfo& m) override {
    if (m.Buttons & Qt::LeftButton) ChangeValue(m.X, true);
    TValueControl::MouseMove(m);
  }
  void MouseUp(const TMouseInfo& m) override {
    if (m.Button == Qt::LeftButton) EndGesture();
    TValueControl::MouseUp(m);
  }
};

TEST(ValueControl, CodeSetsQuietlyGesturesNotifyAndReleaseResetsToTheDefault) {
  auto panel = testing::ShownPanel();
  auto* fader = new TTestFader(panel.get());
  fader->show();
  int changes = 0, releases = 0;
  fader->OnChange = [&](QWidget*) { ++changes; };
  fader->OnRelease = [&](QWidget*) { ++releases; };

  // Code: clamped, painted at once, no event.
  const int paints = fader->Paints;
  fader->SetValue(250);
  EXPECT_EQ(fader->Value(), 100);
  EXPECT_EQ(fader->Paints, paints + 1);
  fader->SetValue(100);  // unchanged: no paint either
  EXPECT_EQ(fader->Paints, paints + 1);
  EXPECT_EQ(changes, 0);

  // A gesture: one change per distinct value, the release at its end.
  QTest::mousePress(fader, Qt::LeftButton, {}, QPoint(20, 5));
  QTest::mouseMove(fader, QPoint(30, 5));
  QTest::mouseMove(fader, QPoint(30, 5));
  QTest::mouseMove(fader, QPoint(150, 5));  // clamped to 100
  QTest::mouseRelease(fader, Qt::LeftButton, {}, QPoint(150, 5));
  EXPECT_EQ(fader->Value(), 100);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(testing::PixelAt(*fader, 99, 5), qRgb(255, 255, 255));

  // No default yet: the reset gesture does nothing; then it returns there.
  QTest::mouseClick(fader, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(fader->Value(), 100);
  fader->SetDefaultValue(50);
  QTest::mouseClick(fader, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(fader->Value(), 50);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(testing::PixelAt(*fader, 60, 5), qRgb(0, 0, 0));

  // Controls that report every gesture fire even when the value stays.
  fader->NotifyUnchanged = true;
  QTest::mouseClick(fader, Qt::LeftButton, {}, QPoint(50, 5));
  EXPECT_EQ(changes, 5);
  // An inverted range: below Min gives Min, else above Max gives Max.
  fader->SetMin(80);
  fader->SetMax(20);
  fader->SetValue(50);
  EXPECT_EQ(fader->Value(), 80);
  fader->SetValue(90);
  EXPECT_EQ(fader->Value(), 20);
}

}  // namespace
}  // namespace vs
