#include "ui/MainFormMaps.h"

#include <algorithm>
#include <cstdlib>

#include "core/ChannelSettings.h"
#include "model/StepStore.h"
#include "toolbox/MLBase.h"

namespace vs {

// ---------------------------------------------------------------- height

THeightLimits MainHeightLimits(int frameHeight, int rowsHeight, int firstRowHeight) {
  const int full = frameHeight + std::max(0, rowsHeight) + RackSpare;
  return {frameHeight, std::min(full, frameHeight + std::max(0, firstRowHeight)), full};
}

int ClampFormHeight(int height, const THeightLimits& limits) {
  return std::max(limits.Least, std::min(height, limits.Full));
}

int ProposedFormHeight(int top, int height, int currentHeight, const THeightLimits& limits, int workAreaBottom,
                       bool stopAtBottom, bool alwaysFull) {
  if (stopAtBottom && top + height > workAreaBottom) height = workAreaBottom - top;
  if (alwaysFull && currentHeight >= limits.Full) height = limits.Full;
  return ClampFormHeight(height, limits);
}

THeightLimits ScreenHeightLimits(const THeightLimits& limits, int workHeight) {
  return {limits.Frame, limits.Least, std::max(limits.Least, std::min(limits.Full, workHeight))};
}

int GrownFormHeight(int wanted, int currentHeight, int top, int workAreaBottom, bool stopAtBottom) {
  if (wanted <= currentHeight || !stopAtBottom) return wanted;
  return std::max(currentHeight, std::min(wanted, workAreaBottom - top));
}

int DraggedFormTop(int top, int captionHeight, int workAreaTop, int workAreaBottom) {
  return std::max(workAreaTop, std::min(top, workAreaBottom - captionHeight));
}

// ---------------------------------------------------------------- scrollers

int ScrollerKnobLength(int trackLength, int visible, int total, int minimum) {
  int length = total > 0 ? static_cast<int>(int64_t(trackLength) * std::max(0, visible) / total) : trackLength;
  length = std::max(std::min(length, trackLength), minimum);
  return (length - 1) / 3 * 3 + 1;
}

int ScrollRowIntoView(int position, int visibleHeight, int rowTop, int rowHeight) {
  constexpr int Spare = 3;
  if (rowTop - Spare < position) return std::max(0, rowTop - Spare);
  if (rowTop + rowHeight + Spare > position + visibleHeight)
    return std::max(0, rowTop + rowHeight + Spare - visibleHeight);
  return position;
}

// ---------------------------------------------------------------- info bar

std::string PercentInfo(const std::string& caption, int value, int max) {
  const int percent = max != 0 ? static_cast<int>(int64_t(value) * 100 / max) : 0;
  return std::to_string(percent) + "% " + caption;
}

std::string PanInfo(int value, int max, const TPanWords& words) {
  const int p = max != 0 ? static_cast<int>((2 * int64_t(value) - max) * 100 / max) : 0;
  if (p == 0) return words.Centered;
  return std::to_string(std::abs(p)) + "% " + (p > 0 ? words.Right : words.Left);
}

std::string SliderPercentInfo(int position, int max) {
  return std::to_string(max != 0 ? static_cast<int>(int64_t(position) * 100 / max) : 0) + "%";
}

std::string SwingInfo(int swing, const std::string& hint) {
  return "%" + std::to_string(swing * 100 / 128) + " " + hint;
}

std::string PitchInfo(int cents, const std::string& hint) { return std::to_string(cents) + " " + hint; }

std::string StepValueInfo(int plane, int value, const TStepValueWords& words) {
  switch (plane) {
    case PlanePan: return PanInfo(value, StepLanes[PlanePan].Max, words.Pan);
    case PlanePitch: return "Pitch " + std::to_string((value - 120) * 10) + " cents";
    case PlaneShift: return FormatText(words.ShiftFormat, {FixedInfo(value, 255, 2)});
    case PlaneVol:
    case PlaneMix:
    case PlaneReso:
    case PlaneCutoff: return PercentInfo(StepLanes[size_t(plane)].Name, value, 127);
    default: return std::to_string(value);
  }
}

// ---------------------------------------------------------------- keys

TMainKeyAction MainKeyDown(const TMainKeyInput& key, const TMainKeyContext& context) {
  using C = TMainKeyCommand;
  const int k = key.Key;
  if (key.Keypad) {
    if (k == '+') return {C::PatternStep, 1};
    if (k == '-') return {C::PatternStep, -1};
    if (k == '/') return {C::PlaylistJump, -1};
    if (k == '*') return {C::PlaylistJump, 1};
    if (k >= '1' && k <= '9') return {C::SetPattern, k - '0'};
  }
  // Keys that hold a state or toggle one answer the first press only.
  if (!key.Keypad && k >= '0' && k <= '9') {
    if (key.AutoRepeat) return {};
    const int channel = k == '0' ? 9 : k - '1';
    if (channel >= context.ChannelCount) return {};
    return {key.Ctrl ? C::Solo : C::ToggleMute, channel};
  }
  switch (k) {
    case ' ': return key.AutoRepeat ? TMainKeyAction{} : TMainKeyAction{C::PlayStop};
    case 'L': return key.AutoRepeat ? TMainKeyAction{} : TMainKeyAction{C::ToggleSongMode};
    case 'K': return key.AutoRepeat ? TMainKeyAction{} : TMainKeyAction{C::NoteButton};
    case KeyShift: return key.AutoRepeat ? TMainKeyAction{} : TMainKeyAction{C::DrawButton};
    case 'V': return key.AutoRepeat ? TMainKeyAction{} : TMainKeyAction{C::EditModeHold, 1};
    case 'P': return key.AutoRepeat ? TMainKeyAction{} : TMainKeyAction{C::EditModeHold, 2};
    case 'F': return context.PianoShown && !key.AutoRepeat ? TMainKeyAction{C::NextGraphLane} : TMainKeyAction{};
    case KeyControl: return key.AutoRepeat ? TMainKeyAction{} : TMainKeyAction{C::LineCursor};
    default: break;
  }
  if (!context.MainOrPianoActive) return {};
  switch (k) {
    case KeyPageUp: return {C::RackScroll, -30};
    case KeyPageDown: return {C::RackScroll, 30};
    case KeyRight: return context.PatternScrollerShown ? TMainKeyAction{C::PatternScroll, 1} : TMainKeyAction{C::PatternStep, 1};
    case KeyLeft: return context.PatternScrollerShown ? TMainKeyAction{C::PatternScroll, -1} : TMainKeyAction{C::PatternStep, -1};
    case KeyUp: return {C::SelectChannel, -1};
    case KeyDown: return {C::SelectChannel, 1};
    default: return {};
  }
}

TMainKeyRelease MainKeyUp(const TMainKeyInput& key, bool graphView) {
  if (key.AutoRepeat) return TMainKeyRelease::None;
  switch (key.Key) {
    case 'V': return TMainKeyRelease::EndEditMode1;
    case 'P': return TMainKeyRelease::EndEditMode2;
    case 'K': return TMainKeyRelease::ReleaseNoteButtons;
    case KeyShift: return graphView ? TMainKeyRelease::ReleaseNoteButtons : TMainKeyRelease::None;
    case KeyControl: return TMainKeyRelease::RestoreCursor;
    default: return TMainKeyRelease::None;
  }
}

int NextSelectedChannel(int from, int direction, const std::vector<bool>& collapsed) {
  const int n = static_cast<int>(collapsed.size());
  if (n == 0) return -1;
  const int step = direction < 0 ? -1 : 1;
  int i = std::clamp(from, 0, n - 1);
  for (int tried = 0; tried < n; ++tried) {
    i = ((i + step) % n + n) % n;
    if (!collapsed[static_cast<size_t>(i)]) return i;
  }
  return -1;
}

}  // namespace vs
