// The selector pad (a press chooses a cell, a right drag sweeps, the chosen
// cell shows the right half of the glyph), the paint box that paints at
// once and the bevel that drags its window.

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/MoveBevel.h"
#include "controls/QuickPaintBox.h"
#include "controls/Selector.h"

namespace vs {
namespace {

using testing::PixelAt;

TEST(Selector, PressesAndRightDragsChooseCellsOfThePad) {
  auto panel = testing::ShownPanel();
  QImage glyph(120, 60, QImage::Format_RGB32);
  glyph.fill(qRgb(60, 60, 60));
  QPainter(&glyph).fillRect(60, 0, 60, 60, QColor(255, 0, 0));
  auto* pad = new TSelector(panel.get());
  pad->SetGlyph(glyph);
  pad->show();
  EXPECT_EQ(pad->size(), QSize(60, 60));
  int changes = 0;
  pad->OnChange = [&](QWidget*) { ++changes; };

  const QRgb lit = qRgb(255, 0, 0), plain = qRgb(60, 60, 60);
  EXPECT_EQ(pad->Value(), 4);
  EXPECT_EQ(PixelAt(*pad, 30, 30), lit);
  EXPECT_EQ(PixelAt(*pad, 5, 5), plain);

  QTest::mouseClick(pad, Qt::LeftButton, {}, QPoint(50, 5));
  EXPECT_EQ(pad->Value(), 2);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(PixelAt(*pad, 50, 5), lit);
  EXPECT_EQ(PixelAt(*pad, 30, 30), plain);
  QTest::mouseClick(pad, Qt::LeftButton, {}, QPoint(45, 15));  // same cell: no event
  EXPECT_EQ(changes, 1);

  // A right drag down the first column sweeps 0, 3 and 6.
  QTest::mousePress(pad, Qt::RightButton, {}, QPoint(5, 5));
  for (int y = 5; y <= 55; y += 10) QTest::mouseMove(pad, QPoint(5, y));
  QTest::mouseRelease(pad, Qt::RightButton, {}, QPoint(5, 55));
  EXPECT_EQ(pad->Value(), 6);
  EXPECT_EQ(changes, 4);
  // A left drag does not sweep.
  QTest::mousePress(pad, Qt::LeftButton, {}, QPoint(5, 55));
  QTest::mouseMove(pad, QPoint(55, 55));
  QTest::mouseRelease(pad, Qt::LeftButton, {}, QPoint(55, 55));
  EXPECT_EQ(pad->Value(), 6);

  // From code: no event; a value past the pad shows no cell chosen.
  pad->SetValue(12);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(PixelAt(*pad, 5, 55), plain);

  // One column of four rows (the effect-route picker): row = Y * 4 div H.
  auto* route = new TSelector(panel.get());
  route->SetNumCols(1);
  route->SetNumRows(4);
  route->setGeometry(100, 0, 20, 40);
  route->show();
  QTest::mouseClick(route, Qt::LeftButton, {}, QPoint(10, 29));
  EXPECT_EQ(route->Value(), 2);
  QTest::mouseClick(route, Qt::LeftButton, {}, QPoint(10, 39));
  EXPECT_EQ(route->Value(), 3);
}

TEST(QuickPaintBox, PaintsThroughItsOwnerAtOnce) {
  auto panel = testing::ShownPanel();
  auto* box = new TQuickPaintBox(panel.get());
  box->show();
  TColor lamp = ClBlack;
  int paints = 0;
  box->OnPaint = [&](QWidget* sender, TCanvas& canvas) {
    EXPECT_EQ(sender, box);
    ++paints;
    canvas.FillRect({0, 0, 64, 64}, lamp);
  };
  lamp = RGBColor(255, 160, 0);
  const int before = paints;
  box->QuickPaint();
  EXPECT_EQ(paints, before + 1);  // painted within the call
  EXPECT_EQ(PixelAt(*box, 10, 10), qRgb(255, 160, 0));
  // Without a parent there is nothing to paint on.
  TQuickPaintBox alone;
  alone.OnPaint = box->OnPaint;
  const int shown = paints;
  alone.QuickPaint();
  EXPECT_EQ(paints, shown);
}

TEST(MoveBevel, DraggingItMovesItsWindowByThePointersTravel) {
  auto panel = testing::ShownPanel();
  auto* popup = new QWidget(panel.get());
  popup->setGeometry(40, 30, 100, 60);
  auto* bevel = new TMoveBevel(popup);
  bevel->setGeometry(0, 0, 100, 14);
  popup->show();
  // Sunk in, with a grip of dots across its middle.
  const QImage look = bevel->grab().toImage();
  int marked = 0;
  for (int x = 1; x < 99; ++x) marked += look.pixel(x, 6) != look.pixel(x, 3);
  EXPECT_GE(marked, 12);
  EXPECT_LE(marked, 60);
  int presses = 0;
  bevel->OnMouseDown = [&](QWidget*, const TMouseInfo&) { ++presses; };

  // Without MoveControl nothing moves.
  QTest::mousePress(bevel, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(bevel, QPoint(25, 15));
  QTest::mouseRelease(bevel, Qt::LeftButton, {}, QPoint(25, 15));
  EXPECT_EQ(popup->pos(), QPoint(40, 30));

  bevel->MoveControl = popup;
  QTest::mousePress(bevel, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(bevel, QPoint(25, 15));
  EXPECT_EQ(popup->pos(), QPoint(60, 40));
  // The bevel moved along: the pointer is back over the grabbed point.
  QTest::mouseMove(bevel, QPoint(5, 5));
  EXPECT_EQ(popup->pos(), QPoint(60, 40));
  QTest::mouseMove(bevel, QPoint(2, 9));
  EXPECT_EQ(popup->pos(), QPoint(57, 44));
  QTest::mouseRelease(bevel, Qt::LeftButton, {}, QPoint(2, 9));
  QTest::mouseMove(bevel, QPoint(50, 9));  // no button: no drag
  EXPECT_EQ(popup->pos(), QPoint(57, 44));
  EXPECT_EQ(presses, 2);
}

}  // namespace
}  // namespace vs
