// Where a window opens: on the work area, off the main window's caption and
// menu bar, then its panel, then the whole window, as far as the screen
// leaves room.

#include <gtest/gtest.h>

#include "controls/WindowPlaces.h"

namespace vs {
namespace {

bool Same(const TScreenRect& a, const TScreenRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height;
}

TEST(WindowPlacesTest, WindowsOpenOnTheScreenAndClearOfTheMainWindowsTop) {
  const TScreenRect work{0, 0, 1280, 1000};
  const TScreenRect caption{149, 0, 512, 38}, panel{149, 0, 512, 142}, main{149, 0, 512, 409};
  // Off the screen's left: moved on; taller than the screen: its top edge.
  EXPECT_TRUE(Same(PlaceWindowRect({-135, 50, 150, 400}, work, {}), {0, 50, 150, 400}));
  EXPECT_TRUE(Same(PlaceWindowRect({10, 10, 300, 1200}, work, {}), {10, 0, 300, 1200}));
  // At (0,0) over the caption: below the panel, the nearest place clear of
  // both; clear of the whole window too when asked: below it.
  EXPECT_TRUE(Same(PlaceWindowRect({245, 0, 468, 336}, work, {caption, panel}), {245, 142, 468, 336}));
  EXPECT_TRUE(Same(PlaceWindowRect({245, 0, 468, 336}, work, {caption, panel, main}), {245, 409, 468, 336}));
  // Right of the window is nearer for a window wanted there.
  EXPECT_TRUE(Same(PlaceWindowRect({600, 0, 500, 518}, work, {caption, panel, main}), {661, 0, 500, 518}));
  // A place that touches nothing stays.
  EXPECT_TRUE(Same(PlaceWindowRect({669, 0, 504, 518}, work, {caption, panel, main}), {669, 0, 504, 518}));
  // Too tall to fit under the panel or beside: the panel is given up, the
  // caption and menu bar stay clear.
  const TScreenRect small{0, 0, 800, 600};
  EXPECT_TRUE(Same(PlaceWindowRect({150, 0, 504, 518}, small, {caption, panel}), {150, 38, 504, 518}));
  // No place keeps even the caption clear: on the screen all the same.
  EXPECT_TRUE(Same(PlaceWindowRect({0, 0, 800, 600}, small, {caption}), {0, 0, 800, 600}));
}

}  // namespace
}  // namespace vs
