// The value wheel driven with the mouse: the drag speed, slow motion with the
// right button, the reset to the default, the events, and what it paints.

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

#include "ControlsTestSupport.h"
#include "controls/WAVWheel.h"

namespace vs {
namespace {

using testing::FrameColour;
using testing::FrameStrip;
using testing::PixelAt;
using testing::ShownPanel;

struct TWheelRig {
  std::unique_ptr<QWidget> Panel = ShownPanel();
  TImageList Frames;
  TWAVWheel* Wheel = nullptr;
  int Changes = 0;

  TWheelRig() {
    BitmapToImageList(FrameStrip(64, 23), Frames, -23);
    Wheel = new TWAVWheel(Panel.get());
    Wheel->SetWheelIL(&Frames);
    Wheel->show();
    Wheel->OnChange = [this](QWidget* sender) {
      EXPECT_EQ(sender, Wheel);
      ++Changes;
    };
  }
  // Presses at (10, fromY), moves a pixel at a time to toY and releases.
  void Drag(Qt::MouseButton button, int fromY, int toY, Qt::KeyboardModifiers keys = {}) {
    QTest::mousePress(Wheel, button, keys, QPoint(10, fromY));
    const int step = toY < fromY ? -1 : 1;
    for (int y = fromY; y != toY;) {
      y += step;
      QTest::mouseMove(Wheel, QPoint(10, y));
    }
    QTest::mouseRelease(Wheel, button, keys, QPoint(10, toY));
  }
};

TEST(WAVWheel, DragTurnsByTheTravelSinceThePress) {
  TWheelRig rig;
  TWAVWheel& wheel = *rig.Wheel;
  EXPECT_EQ(wheel.size(), QSize(24, 24));  // frame + border
  wheel.SetValue(40);
  wheel.SetValue(500);  // clamped to Max
  EXPECT_EQ(wheel.Value(), 127);
  wheel.SetValue(40);
  EXPECT_EQ(rig.Changes, 0);  // code never fires the event

  // 16 pixels up at MoveSpeed 32: +32, one event per distinct value.
  rig.Drag(Qt::LeftButton, 20, 4);
  EXPECT_EQ(wheel.Value(), 72);
  EXPECT_EQ(rig.Changes, 16);

  // The right button turns at a quarter of the speed.
  rig.Changes = 0;
  rig.Drag(Qt::RightButton, 20, 4);
  EXPECT_EQ(wheel.Value(), 80);
  EXPECT_EQ(rig.Changes, 8);

  // Downward the offset is floored: one pixel down at speed 8 is -1.
  rig.Drag(Qt::RightButton, 4, 5);
  EXPECT_EQ(wheel.Value(), 79);
  rig.Drag(Qt::LeftButton, 4, 5);
  EXPECT_EQ(wheel.Value(), 77);

  // Past Max the value stays there and leaves it only where the offset
  // falls below it again: no re-anchoring at the limit.
  wheel.SetValue(120);
  rig.Changes = 0;
  QTest::mousePress(&wheel, Qt::LeftButton, {}, QPoint(10, 20));
  QTest::mouseMove(&wheel, QPoint(10, 16));  // +8 -> 127
  QTest::mouseMove(&wheel, QPoint(10, -80));
  QTest::mouseMove(&wheel, QPoint(10, 16));
  EXPECT_EQ(wheel.Value(), 127);
  EXPECT_EQ(rig.Changes, 1);
  QTest::mouseMove(&wheel, QPoint(10, 17));  // +6
  EXPECT_EQ(wheel.Value(), 126);
  QTest::mouseRelease(&wheel, Qt::LeftButton, {}, QPoint(10, 17));
  QTest::mouseMove(&wheel, QPoint(10, 2));  // no drag after the release
  EXPECT_EQ(wheel.Value(), 126);
}

TEST(WAVWheel, AltClickResetsOnlyAWheelWithADefault) {
  TWheelRig rig;
  TWAVWheel& wheel = *rig.Wheel;
  wheel.SetValue(10);
  // No default (-1): Alt+click starts an ordinary drag.
  rig.Drag(Qt::LeftButton, 10, 8, Qt::AltModifier);
  EXPECT_EQ(wheel.Value(), 14);

  wheel.SetDefaultValue(64);
  rig.Changes = 0;
  QTest::mouseClick(&wheel, Qt::LeftButton, Qt::AltModifier, QPoint(10, 10));
  EXPECT_EQ(wheel.Value(), 64);
  EXPECT_EQ(rig.Changes, 1);
  // The reset starts no drag.
  QTest::mousePress(&wheel, Qt::LeftButton, Qt::AltModifier, QPoint(10, 10));
  QTest::mouseMove(&wheel, QPoint(10, 2));
  QTest::mouseRelease(&wheel, Qt::LeftButton, Qt::AltModifier, QPoint(10, 2));
  EXPECT_EQ(wheel.Value(), 64);

  // With a pop-up menu the right button shows the menu and turns nothing.
  QMenu menu;
  menu.addAction("Reset");
  wheel.PopupMenu = &menu;
  bool shown = false;
  QTimer::singleShot(50, &menu, [&] {
    shown = menu.isVisible();
    menu.close();
  });
  QTest::mousePress(&wheel, Qt::RightButton, {}, QPoint(10, 20));
  // The window system asks for the context menu after the right press.
  QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(10, 20), wheel.mapToGlobal(QPoint(10, 20)));
  QApplication::sendEvent(&wheel, &request);
  QTest::mouseMove(&wheel, QPoint(10, 4));
  QTest::mouseRelease(&wheel, Qt::RightButton, {}, QPoint(10, 4));
  EXPECT_TRUE(shown);
  EXPECT_EQ(wheel.Value(), 64);
}

TEST(WAVWheel, PaintsTheNearestFrameAndADarkBorder) {
  TWheelRig rig;
  TWAVWheel& wheel = *rig.Wheel;
  EXPECT_EQ(PixelAt(wheel, 5, 5), FrameColour(0));
  wheel.SetValue(64);  // (63 * 64 + 63) div 127 = 32
  EXPECT_EQ(PixelAt(wheel, 5, 5), FrameColour(32));
  wheel.SetValue(127);
  EXPECT_EQ(PixelAt(wheel, 5, 5), FrameColour(63));
  // Right and bottom edges in the colour darkened by 64; the corner pixel
  // at the far left is left out, the line's end point.
  const QRgb edge = ToQColor(ShiftColor(wheel.Color(), -64)).rgb();
  EXPECT_EQ(PixelAt(wheel, 23, 1), edge);
  EXPECT_EQ(PixelAt(wheel, 23, 23), edge);
  EXPECT_EQ(PixelAt(wheel, 1, 23), edge);
  EXPECT_NE(PixelAt(wheel, 0, 23), edge);

  // An empty range shows frame 0 instead of dividing by zero.
  wheel.SetMin(5);
  wheel.SetMax(5);
  wheel.SetValue(9);
  EXPECT_EQ(wheel.Value(), 5);
  EXPECT_EQ(wheel.FrameIndex(), 0);
  EXPECT_EQ(PixelAt(wheel, 5, 5), FrameColour(0));
}

}  // namespace
}  // namespace vs
