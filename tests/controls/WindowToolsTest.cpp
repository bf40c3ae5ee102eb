// The window helpers of the toolbox as the windows use them: a box set by
// code fires nothing, a region loses a rectangle without its right and
// bottom edges, the work area of the screen, and a control painting its
// own surface under a child into a picture.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "controls/ControlsTestSupport.h"
#include "controls/WindowTools.h"

namespace vs {
namespace {

TEST(WindowToolsTest, SetCheckedQuietFiresNoneOfTheBoxEvents) {
  auto panel = testing::ShownPanel();
  QCheckBox box(QStringLiteral("Render to MONO"), panel.get());
  box.show();
  int events = 0;
  QObject::connect(&box, &QCheckBox::clicked, [&] { ++events; });
  QObject::connect(&box, &QCheckBox::toggled, [&] { ++events; });
  QObject::connect(&box, &QCheckBox::stateChanged, [&] { ++events; });
  SetCheckedQuiet(&box, true);
  EXPECT_TRUE(box.isChecked());
  SetCheckedQuiet(&box, true);
  SetCheckedQuiet(nullptr, true);
  EXPECT_EQ(events, 0);
  // The user's click is heard again.
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
  EXPECT_FALSE(box.isChecked());
  EXPECT_EQ(events, 3);
}

TEST(WindowToolsTest, ExcludeRectFromRegionKeepsTheRightAndBottomEdges) {
  // The sample browser's shape: 300 wide without the 12-pixel handle
  // column below y = 24 and the column's rows 0 and 23.
  QRegion shape(0, 0, 300, 32000);
  ExcludeRectFromRegion(shape, {0, 24, 12, 32000});
  ExcludeRectFromRegion(shape, {0, 0, 12, 1});
  ExcludeRectFromRegion(shape, {0, 23, 12, 24});
  ExcludeRectFromRegion(shape, {50, 50, 50, 90});  // empty: nothing goes
  for (QPoint gone : {QPoint(0, 0), QPoint(11, 0), QPoint(5, 23), QPoint(11, 24), QPoint(0, 31999)})
    EXPECT_FALSE(shape.contains(gone)) << gone.x() << "," << gone.y();
  for (QPoint kept : {QPoint(12, 0), QPoint(0, 1), QPoint(11, 22), QPoint(12, 24), QPoint(50, 50), QPoint(299, 5)})
    EXPECT_TRUE(shape.contains(kept)) << kept.x() << "," << kept.y();
}

TEST(WindowToolsTest, GetWorkAreaIsTheScreenWithoutTheDesktopsPanels) {
  auto panel = testing::ShownPanel();
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const QRect work = screen->availableGeometry();
  ASSERT_FALSE(work.isEmpty());
  EXPECT_EQ(GetWorkArea(), work);
  EXPECT_EQ(GetWorkArea(panel.get()), work);
  EXPECT_EQ(GetWorkArea(*screen), work);
  EXPECT_EQ(GetWorkArea(work.center()), work);
  EXPECT_TRUE(screen->geometry().contains(GetWorkArea(QPoint(-100000, -100000))));
}

// A surface that paints red with a blue square at (20, 20).
class TSurface : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::red);
    p.fillRect(20, 20, 10, 10, Qt::blue);
  }
};

TEST(WindowToolsTest, CallPaintWindowPaintsTheSurfaceWithoutItsChildren) {
  auto panel = testing::ShownPanel();
  TSurface surface(panel.get());
  surface.setGeometry(0, 0, 100, 80);
  QWidget child(&surface);
  child.setAutoFillBackground(true);
  child.setPalette(QPalette(Qt::green));
  child.setGeometry(15, 15, 5, 5);
  surface.show();
  // What lies under a 20 x 20 control at (15, 15), into its own picture:
  // the origin moved by (-15, -15) first.
  QImage under(20, 20, QImage::Format_RGB32);
  under.fill(Qt::black);
  {
    QPainter dc(&under);
    dc.translate(-15, -15);
    CallPaintWindow(&surface, dc, QRect(15, 15, 20, 20));
  }
  EXPECT_EQ(under.pixelColor(0, 0), QColor(Qt::red));  // no child
  EXPECT_EQ(under.pixelColor(5, 5), QColor(Qt::blue));
  EXPECT_EQ(under.pixelColor(14, 14), QColor(Qt::blue));
  EXPECT_EQ(under.pixelColor(15, 15), QColor(Qt::red));
  // The whole surface at the picture's origin.
  QImage whole(100, 80, QImage::Format_RGB32);
  whole.fill(Qt::black);
  {
    QPainter dc(&whole);
    CallPaintWindow(&surface, dc);
  }
  EXPECT_EQ(whole.pixelColor(25, 25), QColor(Qt::blue));
  EXPECT_EQ(whole.pixelColor(99, 79), QColor(Qt::red));
}

}  // namespace
}  // namespace vs
