#pragma once
// The song file's view of the effect plug-in slots: what the writer stores
// of each loaded slot and how the reader puts plug-ins back, over a plug-in
// host (the program's by default).

#include "engine/VSTHost.h"
#include "files/SongHost.h"

namespace vs {

class TSongPluginSlots : public SongPluginSlots {
public:
  explicit TSongPluginSlots(TPluginHost& host) : Host(host) {}
  std::vector<SongPluginState> LoadedPlugins() override;
  void UnloadAll() override;
  // Loads from the host's folder; a loaded plug-in gets the stored editor
  // position, its editor when EditorOpen is set, and the stored parameters
  // (values outside 0..1 clamped, NaN left out); then its wheels follow it.
  bool LoadPlugin(const SongPluginState& state) override;
  // HintMessageBox with the warning icon and an OK button.
  void ShowWarning(const std::string& message) override;

private:
  TPluginHost& Host;
};

// Over the program's plug-in host.
TSongPluginSlots& ProgramSongPlugins();

}  // namespace vs
