#include "controls/BarMaps.h"

#include <algorithm>

namespace vs {

int NumBarKnobSize(int trackLength, int32_t min, int32_t max) {
  const int64_t values = int64_t(max) - min + 1;
  if (values < 1) return trackLength;
  return static_cast<int>(trackLength / values);
}

int NumBarKnobOffset(int32_t position, int32_t moveMin, int32_t moveMax, int trackLength, int size) {
  const int64_t span = int64_t(moveMax) - moveMin;
  const int64_t travel = trackLength - size;
  if (span <= 0 || travel <= 0) return 0;
  const int64_t p = std::clamp<int64_t>(position, moveMin, moveMax);
  return static_cast<int>(((p - moveMin) * travel + span / 2) / span);
}

int64_t NumBarPointToPosition(int along, int size, int trackLength, int32_t moveMin, int32_t moveMax) {
  const int64_t values = int64_t(moveMax) - moveMin + 1;
  const int travel = trackLength - size;
  if (travel >= 1) return (int64_t(along) - size / 2) * values / travel + moveMin;
  return int64_t(along) * values / std::max(trackLength, 1) + moveMin;
}

int32_t SliderClamp(int64_t value, int32_t min, int32_t max) {
  return static_cast<int32_t>(std::max<int64_t>(min, std::min<int64_t>(max, value)));
}

int SliderKnobOffset(int32_t position, int32_t min, int32_t max, int trackLength) {
  if (SliderRangeEmpty(min, max) || trackLength <= 0) return 0;
  const int64_t range = int64_t(max) - min;
  return static_cast<int>(((int64_t(position) - min) * trackLength + (range >> 1)) / range);
}

int64_t SliderPixelToPosition(int p, int sideGap, int32_t min, int32_t max, int trackLength) {
  if (SliderRangeEmpty(min, max) || trackLength <= 0) return min;
  const int64_t range = int64_t(max) - min;
  return ((int64_t(p) - sideGap) * range + (trackLength >> 1)) / trackLength + min;
}

TSliderPage SliderPageToward(int p, int edge, int trackLength, int32_t pageSize, int32_t min, int32_t max) {
  if (SliderRangeEmpty(min, max) || trackLength <= 0) return TSliderPage::None;
  const int64_t range = int64_t(max) - min;
  const int64_t page = (int64_t(trackLength) * pageSize + (range >> 1)) / range;
  const int64_t d = int64_t(edge) - p;
  if (d > page) return TSliderPage::Down;
  if (d < -page) return TSliderPage::Up;
  return TSliderPage::Jump;
}

int SliderCentreLine(int crossSize, TTickMark marks) {
  const int shift = marks == TTickMark::tmTopLeft ? 7 : marks == TTickMark::tmBottomRight ? -7 : 0;
  return (crossSize + shift + 1) / 2;
}

std::vector<TSliderTick> SliderTicks(int32_t min, int32_t max, int32_t frequency, int32_t bigTicks, int trackLength,
                                     int trackStart) {
  frequency = std::max(frequency, 1);
  bigTicks = std::max(bigTicks, 0);
  int64_t n = (int64_t(max) - min - 1) / frequency + 1;
  // An empty or inverted range still shows its two ends.
  n = std::max<int64_t>(n, 1);
  n = std::min<int64_t>(n, std::max(trackLength, 1));
  const int64_t b = (n - 1) / (int64_t(bigTicks) + 1) + 1;
  std::vector<TSliderTick> ticks;
  ticks.reserve(static_cast<size_t>(n + 1));
  for (int64_t i = 0; i <= n; ++i)
    ticks.push_back({static_cast<int>(int64_t(trackLength) * i / n + trackStart), i == n || i % b == 0});
  return ticks;
}

int GaugeFill(int w, int32_t position, int32_t max) {
  if (max == 0) max = 1;
  const int64_t filled = int64_t(w) * position / max;
  return static_cast<int>(std::min<int64_t>(w, filled));
}

int32_t GaugePercent(int32_t position, int32_t max) {
  if (max == 0) max = 1;
  return static_cast<int32_t>(int64_t(position) * 100 / max);
}

std::vector<int> DigitImages(int64_t value, int places) {
  std::vector<int> images(static_cast<size_t>(std::max(places, 0)), 0);
  for (int i = places - 1; i >= 0; --i) {
    if (value >= 1) images[static_cast<size_t>(i)] = static_cast<int>(value % 10) + 1;
    else images[static_cast<size_t>(i)] = i == places - 1 ? 1 : 0;
    value /= 10;
  }
  return images;
}

int64_t UpDownDragTarget(int32_t startValue, int anchorY, int y, int32_t speed) {
  return int64_t(startValue) + (int64_t(anchorY) - y) * speed / 16;
}

}  // namespace vs
