#pragma once
// The arithmetic of the bar-shaped controls, without a screen: the number
// bar's knob size, place and pointer mapping; the track slider's knob place,
// pointer mapping, paging and tick marks; the red gauge's fill; the digit
// display's places; the up-down's zones and drag. The widgets call these;
// tests check them without a display.
//
// Integer divisions truncate toward zero, as the controls always have.

#include <cstdint>
#include <vector>

namespace vs {

// ---------------------------------------------------------------- number bar

// The knob's length before its minimum: the track length shared by every
// value of min..max.
int NumBarKnobSize(int trackLength, int32_t min, int32_t max);

// Where the knob's leading edge sits past the track origin for a position:
// position clamped to moveMin..moveMax, spread over the travel (track length
// - size). No travel (an equal move range, or a knob as long as the track or
// longer) keeps the knob at the origin.
int NumBarKnobOffset(int32_t position, int32_t moveMin, int32_t moveMax, int trackLength, int size);

// The position for a point along the bar: along = drag offset + the
// pointer's coordinate - the track origin; the knob's centre follows it over
// the travel, the move range and one more value spread over it (before
// clamping). A knob that leaves no travel maps the pointer over the whole
// track instead, so that a bar too small for its knob can still be dragged.
int64_t NumBarPointToPosition(int along, int size, int trackLength, int32_t moveMin, int32_t moveMax);

// --------------------------------------------------------------- track slider

// A slider's range is empty when Max is not above Min: the knob rests at the
// track start and the track does not page.
inline bool SliderRangeEmpty(int32_t min, int32_t max) { return max <= min; }

// A position clamped as the slider clamps: the larger of min and the
// smaller of max and the value (an inverted range gives min).
int32_t SliderClamp(int64_t value, int32_t min, int32_t max);

// The knob's offset along the track for a position (rounded to the nearest
// pixel); 0 for an empty range or a track of no length.
int SliderKnobOffset(int32_t position, int32_t min, int32_t max, int trackLength);

// The position whose knob has its leading edge at pixel p (rounded to the
// nearest value, before clamping); min for an empty range or no track.
int64_t SliderPixelToPosition(int p, int sideGap, int32_t min, int32_t max, int trackLength);

// What a press on the track does toward a point: page down (toward Min),
// page up, or jump so that the knob centres on it.
enum class TSliderPage { Down, Up, Jump, None };
// p = the point's coordinate - knob length shr 1; edge = the knob's leading
// edge. None for an empty range or no track.
TSliderPage SliderPageToward(int p, int edge, int trackLength, int32_t pageSize, int32_t min, int32_t max);

// The centre line across a slider of cross size (height of a horizontal,
// width of a vertical slider), moved toward the side without ticks.
enum class TTickMark { tmBottomRight, tmTopLeft, tmBoth };
int SliderCentreLine(int crossSize, TTickMark marks);

struct TSliderTick {
  int Place = 0;  // along the axis
  bool Long = false;
  friend bool operator==(const TSliderTick&, const TSliderTick&) = default;
};
// The ticks of a slider: every frequency values, a long one every
// (intervals - 1) div (bigTicks + 1) + 1 ticks and at the far end. A
// frequency below 1 counts as 1 and fewer than 0 long ticks as 0; there are
// never more intervals than pixels of track.
std::vector<TSliderTick> SliderTicks(int32_t min, int32_t max, int32_t frequency, int32_t bigTicks, int trackLength,
                                     int trackStart);

// ------------------------------------------------------------------ red gauge

// The pixels of w that a gauge at position of max fills (a max of 0 counts
// as 1), at most w.
int GaugeFill(int w, int32_t position, int32_t max);
// The gauge's percentage (a max of 0 counts as 1).
int32_t GaugePercent(int32_t position, int32_t max);

// ------------------------------------------------------------- digit display

// The images of a display of places digits, left to right: image 0 a blank
// place, 1..10 the digits 0..9. Leading places are blank, the last place
// shows "0" for 0; a value with more digits loses its leading ones; a
// negative value shows "0".
std::vector<int> DigitImages(int64_t value, int places);

// ------------------------------------------------------------------- up-down

// The grip band of an up-down height pixels high: top := (height - 6) shr 1,
// bottom := top + 6.
struct TUpDownBands {
  int GripTop = 0;
  int GripBottom = 0;
  explicit TUpDownBands(int height) : GripTop((height - 6) >> 1), GripBottom(GripTop + 6) {}
  // 0 up, 1 grip, 2 down.
  int ZoneAt(int y) const { return y < GripTop ? 0 : y <= GripBottom ? 1 : 2; }
};

// The grip's drag: the value at the press plus (anchorY - y) * speed / 16,
// truncated toward zero, before clamping.
int64_t UpDownDragTarget(int32_t startValue, int anchorY, int y, int32_t speed);

}  // namespace vs
