// The arithmetic behind docks, hints and the menu bar, without a screen:
// rows and positions of a dock, the drop row, the drag target, bringing a
// floating window back, the hint's place and the title under a point.

#include <gtest/gtest.h>

#include "framework/DockLayout.h"
#include "framework/HintLayout.h"
#include "framework/NewMenu.h"

namespace vs {
namespace {

TDockedBar Bar(int tag, int row, int pos, int length, int cross) {
  TDockedBar b;
  b.Tag = tag;
  b.DockRow = row;
  b.DockPos = pos;
  b.Length = length;
  b.CrossSize = cross;
  return b;
}

const TDockedBar& ByTag(const std::vector<TDockedBar>& bars, int tag) {
  for (const TDockedBar& b : bars)
    if (b.Tag == tag) return b;
  throw std::out_of_range("tag");
}

TEST(DockLayoutTest, RowsPositionsAndThickness) {
  TDockOptions o;
  o.ClientLength = 300;
  // Same row, overlapping: side by side in position order; rows as thick
  // as their thickest bar, never under 8.
  std::vector<TDockedBar> bars = {Bar(0, 0, 50, 100, 20), Bar(1, 0, 40, 80, 30), Bar(2, 3, 10, 40, 4)};
  TDockArrangement a = ArrangeDock(o, bars);
  EXPECT_EQ(ByTag(bars, 1).DockPos, 40);
  EXPECT_EQ(ByTag(bars, 0).DockPos, 120);
  EXPECT_EQ(ByTag(bars, 2).DockRow, 1);  // the blank rows 1 and 2 went
  EXPECT_EQ(a.RowSizes, (std::vector<int>{30, 8}));
  EXPECT_EQ(a.Thickness, 38);
  EXPECT_EQ(ByTag(bars, 2).Across, 30);
  EXPECT_EQ(ByTag(bars, 0).AcrossSize, 30);

  // A row that overruns the dock moves back by the last bar's overrun, and
  // no bar starts before 0.
  bars = {Bar(0, 0, 150, 100, 20), Bar(1, 0, 260, 100, 20)};
  ArrangeDock(o, bars);
  EXPECT_EQ(ByTag(bars, 0).DockPos, 90);
  EXPECT_EQ(ByTag(bars, 1).DockPos, 200);
  bars = {Bar(0, 0, -30, 200, 20), Bar(1, 0, 100, 200, 20)};
  ArrangeDock(o, bars);
  EXPECT_EQ(ByTag(bars, 0).DockPos, 0);
  EXPECT_EQ(ByTag(bars, 1).DockPos, 200);

  // One per row: each bar its own row in row-then-position order; one row:
  // all in row 0.
  o.OnePerRow = true;
  bars = {Bar(0, 2, 0, 50, 20), Bar(1, 0, 60, 50, 12), Bar(2, 0, 0, 50, 16)};
  a = ArrangeDock(o, bars);
  EXPECT_EQ(ByTag(bars, 2).DockRow, 0);
  EXPECT_EQ(ByTag(bars, 1).DockRow, 1);
  EXPECT_EQ(ByTag(bars, 0).DockRow, 2);
  EXPECT_EQ(a.Thickness, 48);
  o.OnePerRow = false;
  o.LimitToOneRow = true;
  bars = {Bar(0, 2, 0, 50, 20), Bar(1, 5, 10, 50, 12)};
  a = ArrangeDock(o, bars);
  EXPECT_EQ(a.RowSizes.size(), 1u);
  EXPECT_EQ(ByTag(bars, 1).DockPos, 50);

  // Empty: 0 thick, 1 with FixAlign.
  bars.clear();
  EXPECT_EQ(ArrangeDock(o, bars).Thickness, 0);
  o.FixAlign = true;
  EXPECT_EQ(ArrangeDock(o, bars).Thickness, 1);
}

TEST(DockLayoutTest, DropRowsAndDragTargets) {
  const std::vector<int> rows = {20, 30};
  EXPECT_EQ(PickDropRow(rows, 3).Row, 0);
  EXPECT_TRUE(PickDropRow(rows, 3).Insert);    // at the top edge: a new row 0
  EXPECT_FALSE(PickDropRow(rows, 10).Insert);  // inside row 0
  EXPECT_EQ(PickDropRow(rows, 24).Row, 1);
  EXPECT_TRUE(PickDropRow(rows, 24).Insert);  // between the rows
  EXPECT_EQ(PickDropRow(rows, 40).Row, 1);
  EXPECT_FALSE(PickDropRow(rows, 40).Insert);
  EXPECT_EQ(PickDropRow(rows, 70).Row, 2);  // past the last row: a new one
  EXPECT_EQ(PickDropRow({}, 0).Row, 0);

  // A top dock 400 wide at y 100..140 and an empty bottom dock at y 300.
  TDockTarget top{{0, 100, 400, 140}, false, false, 200, 20};
  TDockTarget bottom{{0, 300, 400, 300}, false, true, 200, 20};
  const std::vector<TDockTarget> targets = {top, bottom};
  // Grabbed at the middle of a 200 x 40 window.
  EXPECT_EQ(FindDockTarget(targets, 100, 120, 100, 20, 200, 40), 0);
  EXPECT_EQ(FindDockTarget(targets, 100, 160, 100, 20, 200, 40), -1);  // past the slack of 10
  EXPECT_EQ(FindDockTarget(targets, 100, 305, 100, 20, 200, 40), 1);   // the empty dock, widened
  EXPECT_EQ(FindDockTarget(targets, 100, 200, 100, 20, 200, 40), -1);
  // Grabbed at its top, on the empty dock's own line: the widening comes
  // before the ranges, which reach that line only so.
  EXPECT_EQ(FindDockTarget(targets, 100, 300, 100, 0, 200, 40), 1);
  const TDockRect outline = DockedOutline(top, 100, 120, 100, 20, 200, 40);
  EXPECT_EQ(outline, (TDockRect{0, 111, 200, 131}));
  // A 1-pixel window divides by nothing.
  EXPECT_EQ(FindDockTarget(targets, 100, 120, 0, 0, 1, 1), 0);
}

TEST(DockLayoutTest, FloatingPlacesStayOnAScreen) {
  const TDockRect left{0, 0, 1920, 1040}, right{1920, 0, 3200, 1000};
  // Partly visible: stays.
  const TDockRect partly{1800, 500, 2000, 560};
  EXPECT_EQ(BringOnScreen(partly, {left}), partly);
  // Off every screen: onto the nearest one, inside its work area.
  EXPECT_EQ(BringOnScreen({5000, 200, 5200, 260}, {left, right}), (TDockRect{3000, 200, 3200, 260}));
  EXPECT_EQ(BringOnScreen({-900, -500, -700, -440}, {left, right}), (TDockRect{0, 0, 200, 60}));
  EXPECT_EQ(BringOnScreen({2500, 3000, 2700, 3060}, {left, right}), (TDockRect{2500, 940, 2700, 1000}));
  // The floating outline keeps the grab point and stays 5 inside.
  EXPECT_EQ(FloatingOutline(left, 5, 5, 50, 10, 200, 60, 5), (TDockRect{5, 5, 205, 65}));
  EXPECT_EQ(FloatingOutline(left, 500, 500, 50, 10, 200, 60, 5), (TDockRect{450, 490, 650, 550}));
}

TEST(HintLayoutTest, TextsMarginsCursorAndPlace) {
  EXPECT_EQ(ShortHint("Play|Starts the pattern"), "Play");
  EXPECT_EQ(LongHint("Play|Starts the pattern"), "Starts the pattern");
  EXPECT_EQ(ShortHint("Tempo"), "Tempo");
  EXPECT_EQ(LongHint("Tempo"), "Tempo");
  EXPECT_EQ(HintMargins(hsFlat).Dx, 6);
  EXPECT_EQ(HintMargins(hsOffice97).Dy, 6);
  EXPECT_EQ(HintMargins(hsWindows95).Dx, 8);

  // An arrow drawn in rows 0..18 of the upper half; hot spot at row 1.
  EXPECT_EQ(CursorExtentBelowHotSpot([](int x, int y) { return !(y < 19 && x < y); }, 1), 17);
  // Nothing black above: the lower half's lowest white row, less 32.
  EXPECT_EQ(CursorExtentBelowHotSpot([](int, int y) { return y < 32 || y == 50; }, 2), 16);
  EXPECT_EQ(CursorExtentBelowHotSpot([](int, int y) { return y < 32; }, 2), 32);

  THintPlace p;
  p.Style = hsWindows95;
  p.TextWidth = 99;
  p.TextHeight = 13;
  p.CursorX = 100;
  p.CursorY = 200;
  p.CursorExtent = 20;
  p.Screen = {0, 0, 1024, 768};
  EXPECT_EQ(PlaceHint(p), (TDockRect{100, 220, 208, 238}));
  // At the right edge: moved left to end there.
  p.CursorX = 1000;
  EXPECT_EQ(PlaceHint(p), (TDockRect{916, 220, 1024, 238}));
  // At the bottom over a control: above the control; over a window's own
  // area, or in the Office 97 style: 2 pixels above the cursor.
  p.CursorY = 760;
  p.HasControl = true;
  p.Control = {900, 740, 1000, 768};
  EXPECT_EQ(PlaceHint(p), (TDockRect{916, 722, 1024, 740}));
  p.ControlIsWindow = true;
  EXPECT_EQ(PlaceHint(p), (TDockRect{916, 740, 1024, 758}));
  p.ControlIsWindow = false;
  p.Style = hsOffice97;
  EXPECT_EQ(PlaceHint(p).Bottom, 758);
}

TEST(MenuTitlesTest, WidthsLeftsAndTheTitleUnderAPoint) {
  std::vector<TMenuTitleSpan> t = LayoutMenuTitles({20, 30, 16});
  EXPECT_EQ(t[1].Left, 30);
  EXPECT_EQ(t[2].Left, 70);
  EXPECT_EQ(t[2].Width, 26);
  EXPECT_EQ(MenuTitleAt(t, -1), -1);
  EXPECT_EQ(MenuTitleAt(t, 29), 0);
  EXPECT_EQ(MenuTitleAt(t, 30), 1);
  EXPECT_EQ(MenuTitleAt(t, 5000), 2);  // right of the last title: the last
  SetMenuTitleLeft(t, 2, 100);
  EXPECT_EQ(t[1].Width, 70);
  EXPECT_EQ(t[2].Left, 100);
}

TEST(MenuTitlesTest, CaptionsLongerThanTheirPlatesTakeRoomFromTheOthersThenFromTheLine) {
  // Plates of 40, 40, 80 from x = 4: a French caption needs 60 in the first.
  const std::vector<TMenuTitleSpan> plates{{4, 40}, {44, 40}, {84, 80}};
  std::vector<TMenuTitleSpan> t = FitMenuTitles(plates, {60, 30, 50}, 200);
  EXPECT_EQ(t[0].Width, 60);  // 20 more, given by the others as they spare
  EXPECT_EQ(t[1].Width, 35);  // 10 spare: 5
  EXPECT_EQ(t[2].Width, 65);  // 30 spare: 15
  EXPECT_EQ(t[1].Left, 64);
  EXPECT_EQ(t[2].Left, 99);  // the whole still ends at 164
  // More than the others spare: the line beside the bar gives the rest, up
  // to its end.
  t = FitMenuTitles(plates, {100, 40, 80}, 190);
  EXPECT_EQ(t[0].Width, 70);
  EXPECT_EQ(t[2].Left + t[2].Width, 194);
  // Captions that fit leave the plates as the style has them.
  EXPECT_EQ(FitMenuTitles(plates, {30, 30, 30}, 100)[1].Left, 44);
}

}  // namespace
}  // namespace vs
