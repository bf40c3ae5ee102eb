#include "files/SongPlugins.h"

#include <algorithm>

#include "model/MixerLock.h"
#include "toolbox/MessageBox.h"

namespace vs {

std::vector<SongPluginState> TSongPluginSlots::LoadedPlugins() {
  std::vector<SongPluginState> list;
  for (int t = 0; t < PluginTracks; ++t) {
    for (int s = PluginSlotsPerTrack - 1; s >= 0; --s) {
      TVSTPlugin& plugin = Host.Slot(t, s).Plugin;
      if (!plugin.Loaded()) continue;
      if (plugin.EditorForm) plugin.EditorForm->Position(plugin.EditorX, plugin.EditorY);
      SongPluginState state;
      state.Track = t;
      state.Slot = s;
      state.Name = plugin.Name;
      state.EditorLeft = plugin.EditorX;
      state.EditorTop = plugin.EditorY;
      state.EditorOpen = plugin.EditorForm && plugin.EditorForm->Visible();
      {
        MixerGuard lock;
        state.Parameters.reserve(size_t(plugin.NumParams()));
        for (int32_t i = 0; i < plugin.NumParams(); ++i) state.Parameters.push_back(plugin.GetParameter(i));
      }
      list.push_back(std::move(state));
    }
  }
  return list;
}

void TSongPluginSlots::UnloadAll() { Host.UnloadAll(); }

bool TSongPluginSlots::LoadPlugin(const SongPluginState& state) {
  if (state.Track < 0 || state.Track >= PluginTracks || state.Slot < 0 || state.Slot >= PluginSlotsPerTrack)
    return false;
  TPluginRack& rack = Host.Slot(state.Track, state.Slot);
  if (!rack.LoadPlugin(Host.Folder, state.Name)) return false;
  TVSTPlugin& plugin = rack.Plugin;
  plugin.EditorX = state.EditorLeft;
  plugin.EditorY = state.EditorTop;
  if (state.EditorOpen) rack.ShowEditor();
  {
    MixerGuard lock;
    const size_t n = std::min(state.Parameters.size(), size_t(std::max(plugin.NumParams(), 0)));
    for (size_t i = 0; i < n; ++i) plugin.SetParameter(int32_t(i), state.Parameters[i]);
  }
  plugin.RefreshParams();
  return true;
}

void TSongPluginSlots::ShowWarning(const std::string& message) { HintMessageBox(message, MbOK | MbIconWarning); }

TSongPluginSlots& ProgramSongPlugins() {
  static TSongPluginSlots slots(PluginHost());
  return slots;
}

}  // namespace vs
