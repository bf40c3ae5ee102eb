#include "model/Preferences.h"

#include <algorithm>

#include "toolbox/AllTools.h"

namespace vs {

namespace {

int ClampInt(int value, int low, int high) { return std::min(std::max(value, low), high); }

void ClampIndex(std::optional<int>& index, int low) {
  if (index && *index < low) index.reset();
}

void ClampBounds(TStoredBounds& bounds) {
  if (bounds.Width && *bounds.Width < 1) bounds.Width = 1;
  if (bounds.Height && *bounds.Height < 1) bounds.Height = 1;
}

}  // namespace

void ClampPreferences(TPreferences& p) {
  // A language the program doesn't offer (German, or nonsense) is the
  // default language, English.
  if (p.Language < 0 || p.Language >= LanguageCount) p.Language = 0;
  p.BankSelectMethod = p.BankSelectMethod != 0 ? 1 : 0;
  p.SyncDelay = ClampInt(p.SyncDelay, 0, MaxSyncDelay);
  if (p.RenderingRemainder != RemainderCut && p.RenderingRemainder != RemainderLeave)
    p.RenderingRemainder = RemainderWrap;
  p.SettingsSheet = p.SettingsSheet != 0 ? 1 : 0;
  p.ScopeStyle = ClampInt(p.ScopeStyle, 0, MaxScopeStyle);
  p.ScopeShade = ClampInt(p.ScopeShade, 0, MaxScopeShade);
  p.VolPan = ClampInt(p.VolPan, 0, 1);
  p.BufferLength = ClampInt(p.BufferLength, MinBufferFrames, MaxBufferFrames);
  p.AheadLength = ClampInt(p.AheadLength, MinBufferFrames, p.BufferLength);
  p.SampleListWidth = ClampInt(p.SampleListWidth, MinSampleListWidth, MaxSampleListWidth);
  ClampIndex(p.Style, 0);
  ClampIndex(p.DSDriver, 0);
  ClampIndex(p.InputDevice, 0);
  ClampIndex(p.OutputDevice, -1);
  ClampIndex(p.SyncOutputDevice, 0);
  ClampBounds(p.PlayListBounds);
  ClampBounds(p.VisualBounds);
  if (p.Favorites.size() > static_cast<size_t>(MaxFavoriteFolders)) p.Favorites.resize(MaxFavoriteFolders);
}

std::string DefaultDrumKitFileName(const std::string& appPath) {
  return AddBackslash(appPath) + "Samples/DrumKits/Basic/Basic.zmp";
}

std::string DefaultVSTPluginFolder(const std::string& appPath) {
  return AddBackslash(appPath) + "Plugins/VST/";
}

void AddRecentFile(std::array<std::string, RecentFileCount>& recent, const std::string& shown) {
  int found = RecentFileCount - 1;
  for (int i = 0; i < RecentFileCount - 1; ++i)
    if (recent[i] == shown) {
      found = i;
      break;
    }
  for (int i = found; i > 0; --i) recent[i] = recent[i - 1];
  recent[0] = shown;
}

int ChooseListEntry(const std::vector<std::string>& list, const std::string& storedName,
                    std::optional<int> storedIndex, int def) {
  const int count = static_cast<int>(list.size());
  if (count == 0) return -1;
  if (!storedName.empty())
    for (int i = 0; i < count; ++i)
      if (list[i] == storedName) return i;
  if (storedIndex) return ClampInt(*storedIndex, 0, count - 1);
  return ClampInt(def, 0, count - 1);
}

void KeepOnScreen(int32_t& left, int32_t& top, int32_t width, int32_t height,
                  const std::vector<TScreenRect>& screens) {
  (void)height;
  if (screens.empty()) return;
  constexpr int64_t StripHeight = 24;
  constexpr int64_t MinVisibleWidth = 48;
  const int64_t w = std::max<int64_t>(width, 1);
  for (const TScreenRect& s : screens) {
    const int64_t x0 = std::max<int64_t>(left, s.Left);
    const int64_t x1 = std::min<int64_t>(int64_t(left) + w, int64_t(s.Left) + s.Width);
    const int64_t y0 = std::max<int64_t>(top, s.Top);
    const int64_t y1 = std::min<int64_t>(int64_t(top) + StripHeight, int64_t(s.Top) + s.Height);
    if (x1 - x0 >= std::min(MinVisibleWidth, w) && y1 - y0 >= std::min<int64_t>(StripHeight, s.Height))
      return;
  }
  const TScreenRect& s = screens.front();
  const int64_t maxLeft = int64_t(s.Left) + std::max<int64_t>(0, int64_t(s.Width) - w);
  const int64_t maxTop = int64_t(s.Top) + std::max<int64_t>(0, int64_t(s.Height) - StripHeight);
  left = static_cast<int32_t>(std::clamp<int64_t>(left, s.Left, maxLeft));
  top = static_cast<int32_t>(std::clamp<int64_t>(top, s.Top, maxTop));
}

}  // namespace vs
