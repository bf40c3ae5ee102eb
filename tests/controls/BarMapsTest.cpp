// The bar controls' arithmetic without a screen: knob sizes and places at
// the ends of their travel, pointer mappings that never divide by zero,
// paging, tick marks, the gauge, digit places and the up-down's drag.

#include <gtest/gtest.h>

#include <climits>

#include "controls/BarMaps.h"

namespace vs {
namespace {

TEST(BarMaps, NumberBarKnobSpreadsOverItsTravelAndSurvivesATooSmallBar) {
  EXPECT_EQ(NumBarKnobSize(100, 0, 10), 9);
  EXPECT_EQ(NumBarKnobSize(100, INT_MIN, INT_MAX), 0);
  // A 100-pixel track with a 20-pixel knob: 80 pixels of travel.
  EXPECT_EQ(NumBarKnobOffset(0, 0, 10, 100, 20), 0);
  EXPECT_EQ(NumBarKnobOffset(5, 0, 10, 100, 20), 40);
  EXPECT_EQ(NumBarKnobOffset(99, 0, 10, 100, 20), 80);  // clamped to the move range
  EXPECT_EQ(NumBarKnobOffset(7, 3, 3, 100, 20), 0);     // no move range
  EXPECT_EQ(NumBarKnobOffset(7, 0, 10, 20, 23), 0);     // no travel: stays at the origin
  // The knob's centre under the pointer: 10 (its half) + 40 is the middle.
  EXPECT_EQ(NumBarPointToPosition(50, 20, 100, 0, 10), 5);
  EXPECT_EQ(NumBarPointToPosition(5, 20, 100, 0, 10), 0);  // -55 div 80, toward zero
  EXPECT_EQ(NumBarPointToPosition(90, 20, 100, 0, 10), 11);  // before clamping
  // A knob as long as the track or longer: the pointer spans the track.
  EXPECT_EQ(NumBarPointToPosition(10, 23, 20, 0, 9), 5);
  EXPECT_EQ(NumBarPointToPosition(10, 30, 0, 0, 9), 100);
}

TEST(BarMaps, SliderPlacesPagesAndTicksAtTheEndsOfItsRange) {
  // 0..128 over 100 pixels: the last position is the far end.
  EXPECT_EQ(SliderKnobOffset(128, 0, 128, 100), 100);
  EXPECT_EQ(SliderKnobOffset(64, 0, 128, 100), 50);
  EXPECT_EQ(SliderKnobOffset(0, -1200, 1200, 200), 100);
  // An empty range or a track of no length: at the start.
  EXPECT_EQ(SliderKnobOffset(5, 5, 5, 100), 0);
  EXPECT_EQ(SliderKnobOffset(5, 0, 10, -3), 0);
  EXPECT_EQ(SliderPixelToPosition(5 + 50, 5, 0, 128, 100), 64);
  EXPECT_EQ(SliderPixelToPosition(5, 5, -1200, 1200, 200), -1200);
  EXPECT_EQ(SliderPixelToPosition(40, 5, 0, 10, 0), 0);
  EXPECT_EQ(SliderClamp(50, 80, 20), 80);  // an inverted range gives Min
  // One page of 100 over 0..1000 on 200 pixels is 20 pixels.
  EXPECT_EQ(SliderPageToward(100, 121, 200, 100, 0, 1000), TSliderPage::Down);
  EXPECT_EQ(SliderPageToward(100, 120, 200, 100, 0, 1000), TSliderPage::Jump);
  EXPECT_EQ(SliderPageToward(100, 79, 200, 100, 0, 1000), TSliderPage::Up);
  EXPECT_EQ(SliderPageToward(100, 0, 200, 100, 7, 7), TSliderPage::None);
  EXPECT_EQ(SliderPageToward(100, 0, 0, 100, 0, 1000), TSliderPage::None);
  EXPECT_EQ(SliderCentreLine(40, TTickMark::tmBoth), 20);
  EXPECT_EQ(SliderCentreLine(40, TTickMark::tmTopLeft), 24);
  EXPECT_EQ(SliderCentreLine(40, TTickMark::tmBottomRight), 17);

  // Frequency 50 on 0..1000: 20 intervals, a long tick every 5.
  const std::vector<TSliderTick> ticks = SliderTicks(0, 1000, 50, 3, 200, 11);
  ASSERT_EQ(ticks.size(), 21u);
  int longTicks = 0;
  for (const TSliderTick& t : ticks) longTicks += t.Long;
  EXPECT_EQ(longTicks, 5);
  EXPECT_EQ(ticks[5], (TSliderTick{61, true}));
  EXPECT_EQ(ticks[6], (TSliderTick{71, false}));
  EXPECT_EQ(ticks[20], (TSliderTick{211, true}));
  // No frequency, no long ticks, a huge range: bounded, no division by zero.
  EXPECT_EQ(SliderTicks(0, 10, 0, -1, 200, 0).size(), 11u);
  EXPECT_EQ(SliderTicks(INT_MIN, INT_MAX, 1, 3, 150, 0).size(), 151u);
  EXPECT_EQ(SliderTicks(3, 3, 50, 3, 0, 0).size(), 2u);
}

TEST(BarMaps, GaugeDigitsAndUpDown) {
  EXPECT_EQ(GaugeFill(100, 50, 0), 100);  // Max 0 counts as 1
  EXPECT_EQ(GaugeFill(100, 1, 3), 33);
  EXPECT_EQ(GaugePercent(1, 0), 100);
  EXPECT_EQ(GaugePercent(2, 3), 66);
  const auto shown = [](int64_t v) { return DigitImages(v, 3); };
  EXPECT_EQ(shown(140), (std::vector<int>{2, 5, 1}));
  EXPECT_EQ(shown(7), (std::vector<int>{0, 0, 8}));
  EXPECT_EQ(shown(0), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(shown(1234), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(shown(-5), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(shown(1005), (std::vector<int>{1, 1, 6}));
  EXPECT_TRUE(DigitImages(5, 0).empty());
  // 16 pixels up at speed 16 is +16; 10 down at speed 4 is -40 div 16.
  EXPECT_EQ(UpDownDragTarget(100, 20, 4, 16), 116);
  EXPECT_EQ(UpDownDragTarget(100, 20, 30, 4), 98);
  EXPECT_EQ(UpDownDragTarget(100, 20, 21, 4), 100);
  const TUpDownBands bands(26);
  EXPECT_EQ(bands.GripTop, 10);
  EXPECT_EQ(bands.ZoneAt(9), 0);
  EXPECT_EQ(bands.ZoneAt(16), 1);
  EXPECT_EQ(bands.ZoneAt(17), 2);
}

}  // namespace
}  // namespace vs
