// The controls' arithmetic without a screen: frame choice over any range,
// the selector's cells at and past the pad's edges, the button's image
// offsets, and where glyphs and captions go.

#include <gtest/gtest.h>

#include <climits>

#include "controls/ControlMaps.h"

namespace vs {
namespace {

TEST(ControlMaps, WheelFramesRoundToTheNearestFrameOverAnyRange) {
  EXPECT_EQ(WheelFrameIndex(64, 0, 0, 127), 0);
  EXPECT_EQ(WheelFrameIndex(64, 1, 0, 127), 0);     // (63 + 63) div 127
  EXPECT_EQ(WheelFrameIndex(64, 2, 0, 127), 1);     // (126 + 63) div 127
  EXPECT_EQ(WheelFrameIndex(64, 127, 0, 127), 63);
  // A plug-in parameter wheel (0..65536) and the widest range: no overflow.
  EXPECT_EQ(WheelFrameIndex(64, 32768, 0, 65536), 32);
  EXPECT_EQ(WheelFrameIndex(64, INT_MAX, INT_MIN, INT_MAX), 63);
  EXPECT_EQ(WheelFrameIndex(64, 0, INT_MIN, INT_MAX), 32);
  // Empty or inverted ranges and empty strips show frame 0.
  EXPECT_EQ(WheelFrameIndex(64, 5, 5, 5), 0);
  EXPECT_EQ(WheelFrameIndex(64, 5, 9, 2), 0);
  EXPECT_EQ(WheelFrameIndex(0, 5, 0, 10), 0);
  // The drag floors a downward offset and never overflows.
  EXPECT_EQ(WheelDragTarget(10, 0, 1, 8), 9);
  EXPECT_EQ(WheelDragTarget(0, 0, -100000, INT_MAX), (int64_t(100000) * INT_MAX) >> 4);
  EXPECT_EQ(ClampValue(WheelDragTarget(0, 0, -100000, INT_MAX), 0, 127), 127);
}

TEST(ControlMaps, SelectorCellsAreClampedIntoThePad) {
  EXPECT_EQ(SelectorCellAt(0, 0, 60, 60, 3, 3), 0);
  EXPECT_EQ(SelectorCellAt(59, 59, 60, 60, 3, 3), 8);
  EXPECT_EQ(SelectorCellAt(-30, 200, 60, 60, 3, 3), 6);  // a drag past the edges
  EXPECT_EQ(SelectorCellAt(10, 10, 0, 0, 3, 3), 0);      // a pad without a size
  EXPECT_EQ(SelectorCellRect(5, 60, 60, 3, 3), TRect::Sized(40, 20, 20, 20));
  EXPECT_TRUE(SelectorCellRect(-1, 60, 60, 3, 3).IsEmpty());
  EXPECT_TRUE(SelectorCellRect(12, 60, 60, 3, 3).Intersected({0, 0, 60, 60}).IsEmpty());
}

TEST(ControlMaps, ImageOffsetsFollowTheListOptions) {
  TImageOffsets o;
  ApplyListOptions(tbHasDownGlyph | tbHasDisabledGlyph | tbHasOnOverGlyph, o);
  EXPECT_EQ(o.Down, 1);
  EXPECT_EQ(o.Disabled, 2);
  EXPECT_EQ(o.Over, 3);
  TImageOffsets over;
  ApplyListOptions(tbHasOnOverGlyph, over);  // no down frame: down shows the over frame
  EXPECT_EQ(over.Over, 1);
  EXPECT_EQ(over.Down, 1);
  EXPECT_EQ(ChooseImage(4, o, false, true, true), 6);  // disabled wins
  EXPECT_EQ(ChooseImage(4, o, true, true, true), 5);   // then down
  EXPECT_EQ(ChooseImage(4, o, true, false, true), 7);  // then over
  EXPECT_EQ(ChooseImage(4, o, true, false, false), 4);
}

TEST(ControlMaps, GlyphAndCaptionPlaces) {
  using enum TTextAlign;
  // A 60 x 40 button, a 16 x 16 glyph, spacing 2, a 20 x 10 caption.
  EXPECT_EQ(GlyphPlace(ttaCenter, 60, 40, 16, 16, 2), (TPoint{22, 12}));
  EXPECT_EQ(GlyphPlace(ttaBottom, 60, 40, 16, 16, 2), (TPoint{22, 2}));   // text below: glyph on top
  EXPECT_EQ(GlyphPlace(ttaTop, 60, 40, 16, 16, 2), (TPoint{22, 22}));     // text above: glyph low
  EXPECT_EQ(GlyphPlace(ttaLeft, 60, 40, 16, 16, 2), (TPoint{42, 12}));    // text left: glyph right
  EXPECT_EQ(GlyphPlace(ttaRight, 60, 40, 16, 16, 2), (TPoint{2, 12}));
  const TRect g = TRect::Sized(22, 2, 16, 16);
  EXPECT_EQ(CaptionPlace(ttaBottom, 60, 40, g, 20, 10, 2), (TPoint{20, 20}));
  EXPECT_EQ(CaptionPlace(ttaTopLeft, 60, 40, g, 20, 10, 2), (TPoint{2, -10}));
  EXPECT_EQ(CaptionPlace(ttaRight, 60, 40, g, 20, 10, 2), (TPoint{38, 15}));
  EXPECT_EQ(CaptionPlace(ttaCenter, 61, 41, g, 21, 11, 2), (TPoint{20, 15}));  // halves truncated
}

}  // namespace
}  // namespace vs
