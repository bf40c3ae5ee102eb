#include "core/Settings.h"

#include <algorithm>
#include <vector>

#include "platform/SettingsStore.h"
#include "toolbox/AllTools.h"

namespace vs {

const char* const SettingsSection = "ZM SETTINGS";
const char* const DirsSection = "ZM DIRS";
const char* const FavoritesSection = "ZM FAVORITES";

namespace {


// A stored integer, or none when missing or not a number.
std::optional<int32_t> ReadOptional(const TSettingsStore& store, std::string_view section,
                                    std::string_view name) {
  const int32_t a = store.ReadInteger(section, name, 0);
  const int32_t b = store.ReadInteger(section, name, 1);
  if (a != b) return std::nullopt;
  return a;
}

void ReadOptional(const TSettingsStore& store, std::string_view section, std::string_view name,
                  std::optional<int32_t>& value) {
  if (auto v = ReadOptional(store, section, name)) value = v;
}


void WriteOptional(TSettingsStore& store, std::string_view section, std::string_view name,
                   const std::optional<int32_t>& value) {
  if (value) store.WriteInteger(section, name, *value);
}


void ReadDevice(const TSettingsStore& store, const char* name, const std::string& nameValue,
                std::optional<int>& index, std::string& deviceName) {
  ReadOptional(store, SettingsSection, name, index);
  deviceName = store.ReadString(SettingsSection, nameValue, deviceName);
}

void WriteDevice(TSettingsStore& store, const char* name, const std::string& nameValue,
                 const std::optional<int>& index, const std::string& deviceName) {
  WriteOptional(store, SettingsSection, name, index);
  if (index) store.WriteString(SettingsSection, nameValue, deviceName);
}

}  // namespace

bool ReadFavoriteFolders(const TSettingsStore& store, std::string_view section, std::vector<std::string>& favorites,
                         int maxCount) {
  if (!store.ValueExists(section, "Count")) return false;
  favorites.clear();
  const uint32_t count = store.ReadDWORD(section, "Count", 0);
  // The entries below the count are taken from the names that are there, in
  // index order: a damaged count of billions costs no more than the entries.
  std::vector<uint32_t> indexes;
  for (const std::string& name : store.ValueNames(section)) {
    const int32_t i = StrToIntDef(name, -1);
    if (i >= 0 && static_cast<uint32_t>(i) < count && name == std::to_string(i))
      indexes.push_back(static_cast<uint32_t>(i));
  }
  std::sort(indexes.begin(), indexes.end());
  for (uint32_t i : indexes) {
    if (favorites.size() >= static_cast<size_t>(std::max(0, maxCount))) break;
    std::string folder = store.ReadString(section, std::to_string(i), "");
    if (!folder.empty()) favorites.push_back(std::move(folder));
  }
  return true;
}

void WriteFavoriteFolders(TSettingsStore& store, std::string_view section, const std::vector<std::string>& favorites) {
  store.WriteDWORD(section, "Count", static_cast<uint32_t>(favorites.size()));
  for (size_t i = 0; i < favorites.size(); ++i) store.WriteString(section, std::to_string(i), favorites[i]);
}

std::string ToolSection(int index) { return "ZM TOOL " + std::to_string(index); }

void LoadSettings(const TSettingsStore& store, TPreferences& p, const std::string& appPath) {
  const char* s = SettingsSection;
  p.EasyMove = store.ReadBool(s, "Easy Move", p.EasyMove);
  p.AutoArrange = store.ReadBool(s, "Auto Arrange", p.AutoArrange);
  p.AutoMaximize = store.ReadBool(s, "Auto Maximize", p.AutoMaximize);
  p.StopAtBottom = store.ReadBool(s, "Stop At Bottom", p.StopAtBottom);
  p.AlwaysFullHeight = store.ReadBool(s, "Always Full Height", p.AlwaysFullHeight);
  p.AdjustChannelName = store.ReadBool(s, "Adjust Channel Name", p.AdjustChannelName);
  p.Interpolation = store.ReadBool(s, "Interpolation", p.Interpolation);
  p.ClickRemoval = store.ReadBool(s, "Click Removal", p.ClickRemoval);
  p.Surround = store.ReadBool(s, "Surround", p.Surround);
  p.SplashScreen = store.ReadBool(s, "Splash Screen", p.SplashScreen);
  p.Language = store.ReadInteger(s, "Language", p.Language);
  p.CloseDS = store.ReadBool(s, "Close DS", p.CloseDS);
  p.BothMouseButtons = store.ReadBool(s, "Mouse Use", p.BothMouseButtons);
  p.LedsOver = store.ReadBool(s, "LedsOver", p.LedsOver);
  p.PreviewWAV = store.ReadBool(s, "Preview WAV", p.PreviewWAV);
  p.NoDir = store.ReadBool(s, "NoDir", p.NoDir);
  p.BankSelectMethod = store.ReadInteger(s, "Bank Select Method", p.BankSelectMethod);
  p.SyncDelay = store.ReadInteger(s, "Sync Delay", p.SyncDelay);
  // Any stored value but 0 and 1 means wrap (ClampPreferences).
  p.RenderingRemainder =
      static_cast<TRemainderMode>(store.ReadInteger(s, "Rendering Remainder", p.RenderingRemainder));
  p.SaveNFO = store.ReadBool(s, "SaveNFO", p.SaveNFO);
  p.MonoRender = store.ReadBool(s, "MonoRender", p.MonoRender);
  ReadFavoriteFolders(store, FavoritesSection, p.Favorites, MaxFavoriteFolders);
  p.SettingsSheet = store.ReadInteger(s, "Settings sheet", p.SettingsSheet);
  p.BackPicTiled = store.ReadBool(s, "BackPicTiled", p.BackPicTiled);
  p.BackPicFileName = store.ReadString(s, "BackPicFileName", p.BackPicFileName);
  p.BackPicBox = store.ReadBool(s, "BackPicBox", p.BackPicBox);
  LoadControlBounds(store, s, "PlayListForm", p.PlayListBounds);
  LoadControlBounds(store, s, "VisualForm", p.VisualBounds);
  ReadOptional(store, s, "WindowX", p.WindowX);
  ReadOptional(store, s, "WindowY", p.WindowY);
  ReadOptional(store, s, "ChanSetX", p.ChanSetX);
  ReadOptional(store, s, "ChanSetY", p.ChanSetY);
  p.UseWAV = store.ReadBool(s, "Use WAV", p.UseWAV);
  p.UseMIDI = store.ReadBool(s, "Use MIDI", p.UseMIDI);
  p.SyncToInput = store.ReadBool(s, "Sync to Input", p.SyncToInput);
  p.ScopeStyle = store.ReadInteger(s, "Scope Style", p.ScopeStyle);
  p.ScopeStereo = store.ReadBool(s, "Scope Stereo", p.ScopeStereo);
  p.ScopeShade = store.ReadInteger(s, "Scope Shade", p.ScopeShade);
  p.ScopeEnabled = store.ReadBool(s, "Scope Enabled", p.ScopeEnabled);
  p.Minimized = store.ReadBool(s, "Minimized", p.Minimized);
  p.VolPan = store.ReadInteger(s, "VolPan", p.VolPan);
  for (int i = 0; i < RecentFileCount; ++i)
    p.RecentFiles[i] = store.ReadString(s, "Last Opened " + std::to_string(i), p.RecentFiles[i]);
  p.DrumKitFileName = store.ReadString(s, "DrumKit", p.DrumKitFileName);
  if (p.DrumKitFileName.empty() || !CanOpenFile(p.DrumKitFileName))
    p.DrumKitFileName = DefaultDrumKitFileName(appPath);
  p.BufferLength = store.ReadInteger(s, "Buffer Length", p.BufferLength);
  p.AheadLength = store.ReadInteger(s, "Ahead Length", p.AheadLength);
  for (int i = 0; i < ToolEntryCount; ++i) {
    const std::string section = ToolSection(i);
    TToolItem& tool = p.ToolList[i];
    tool.Name = store.ReadString(section, "Name", tool.Name);
    tool.FileName = store.ReadString(section, "FileName", tool.FileName);
    tool.Params = store.ReadInteger(section, "Params", tool.Params);
  }
  ReadOptional(store, s, "Style", p.Style);
  ReadDevice(store, "DS Driver", "DS Driver Name", p.DSDriver, p.DSDriverName);
  ReadDevice(store, "Input Device", "Input Device Name", p.InputDevice, p.InputDeviceName);
  ReadDevice(store, "Output Device", "Output Device Name", p.OutputDevice, p.OutputDeviceName);
  ReadDevice(store, "Sync Output Device", "Sync Output Device Name", p.SyncOutputDevice,
             p.SyncOutputDeviceName);
  for (int i = 0; i < SearchFolderCount; ++i)
    p.SearchFolders[i] = store.ReadString(DirsSection, std::to_string(i), p.SearchFolders[i]);
  p.SampleListVisible = store.ReadBool(s, "SmpList", p.SampleListVisible);
  p.SampleListWidth = store.ReadInteger(s, "SmpList_Width", p.SampleListWidth);
  p.VSTPluginFolder = store.ReadString(s, "VST Plugins", p.VSTPluginFolder);
  if (p.VSTPluginFolder.empty()) p.VSTPluginFolder = DefaultVSTPluginFolder(appPath);
  ClampPreferences(p);
}

void WriteSettings(TSettingsStore& store, const TPreferences& p) {
  const char* s = SettingsSection;
  WriteFavoriteFolders(store, FavoritesSection, p.Favorites);
  SaveControlBounds(store, s, "PlayListForm", p.PlayListBounds);
  SaveControlBounds(store, s, "VisualForm", p.VisualBounds);
  WriteOptional(store, s, "WindowX", p.WindowX);
  WriteOptional(store, s, "WindowY", p.WindowY);
  WriteOptional(store, s, "ChanSetX", p.ChanSetX);
  WriteOptional(store, s, "ChanSetY", p.ChanSetY);
  store.WriteBool(s, "Dots window", p.DotsWindow);
  store.WriteString(s, "BackPicFileName", p.BackPicFileName);
  store.WriteBool(s, "BackPicBox", p.BackPicBox);
  store.WriteBool(s, "BackPicTiled", p.BackPicTiled);
  WriteDevice(store, "Input Device", "Input Device Name", p.InputDevice, p.InputDeviceName);
  WriteDevice(store, "Output Device", "Output Device Name", p.OutputDevice, p.OutputDeviceName);
  WriteDevice(store, "Sync Output Device", "Sync Output Device Name", p.SyncOutputDevice,
              p.SyncOutputDeviceName);
  store.WriteInteger(s, "Sync Delay", p.SyncDelay);
  store.WriteBool(s, "Sync to Input", p.SyncToInput);
  store.WriteInteger(s, "Bank Select Method", p.BankSelectMethod != 0 ? 1 : 0);
  store.WriteBool(s, "Use WAV", p.UseWAV);
  store.WriteBool(s, "Use MIDI", p.UseMIDI);
  WriteDevice(store, "DS Driver", "DS Driver Name", p.DSDriver, p.DSDriverName);
  store.WriteBool(s, "Easy Move", p.EasyMove);
  store.WriteBool(s, "Auto Arrange", p.AutoArrange);
  store.WriteBool(s, "Auto Maximize", p.AutoMaximize);
  store.WriteBool(s, "Stop At Bottom", p.StopAtBottom);
  store.WriteBool(s, "Always Full Height", p.AlwaysFullHeight);
  store.WriteBool(s, "Minimized", p.Minimized);
  store.WriteInteger(s, "VolPan", p.VolPan);
  store.WriteBool(s, "Splash Screen", p.SplashScreen);
  store.WriteInteger(s, "Language", p.Language);
  store.WriteBool(s, "Close DS", p.CloseDS);
  store.WriteBool(s, "Mouse Use", p.BothMouseButtons);
  store.WriteBool(s, "LedsOver", p.LedsOver);
  store.WriteBool(s, "Preview WAV", p.PreviewWAV);
  WriteOptional(store, s, "Style", p.Style);
  store.WriteBool(s, "NoDir", p.NoDir);
  store.WriteBool(s, "Adjust Channel Name", p.AdjustChannelName);
  store.WriteBool(s, "Interpolation", p.Interpolation);
  store.WriteBool(s, "Click Removal", p.ClickRemoval);
  store.WriteBool(s, "Surround", p.Surround);
  store.WriteString(s, "DrumKit", p.DrumKitFileName);
  if (p.SampleBrowserCreated) {
    store.WriteBool(s, "SmpList", p.SampleListVisible);
    store.WriteInteger(s, "SmpList_Width", p.SampleListWidth);
  }
  store.WriteString(s, "VST Plugins", p.VSTPluginFolder);
  for (int i = 0; i < SearchFolderCount; ++i)
    store.WriteString(DirsSection, std::to_string(i), p.SearchFolders[i]);
  store.WriteInteger(s, "Rendering Remainder", p.RenderingRemainder);
  store.WriteBool(s, "SaveNFO", p.SaveNFO);
  store.WriteBool(s, "MonoRender", p.MonoRender);
  store.WriteInteger(s, "Settings sheet", p.SettingsSheet);
  store.WriteInteger(s, "Scope Style", p.ScopeStyle);
  store.WriteBool(s, "Scope Stereo", p.ScopeStereo);
  store.WriteInteger(s, "Scope Shade", p.ScopeShade);
  store.WriteBool(s, "Scope Enabled", p.ScopeEnabled);
  store.WriteInteger(s, "Buffer Length", p.BufferLength);
  store.WriteInteger(s, "Ahead Length", p.AheadLength);
  for (int i = 0; i < RecentFileCount; ++i)
    if (!p.RecentFiles[i].empty())
      store.WriteString(s, "Last Opened " + std::to_string(i), p.RecentFiles[i]);
  for (int i = 0; i < ToolEntryCount; ++i) {
    const std::string section = ToolSection(i);
    store.WriteString(section, "Name", p.ToolList[i].Name);
    store.WriteString(section, "FileName", p.ToolList[i].FileName);
    store.WriteInteger(section, "Params", p.ToolList[i].Params);
  }
}

TWriteResult SaveSettings(TSettingsStore& store, const TPreferences& prefs) {
  WriteSettings(store, prefs);
  return store.Save();
}

}  // namespace vs
