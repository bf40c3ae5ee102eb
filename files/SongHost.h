#pragma once
// What the song file reaches outside the song model: the effect plug-in
// slots, the main window's frame and the loading of a channel's file. The
// program fills these in with its plug-in host, main window and channel
// loader; tests use fakes. Every pointer of SongHost may be null: the writer
// then writes nothing for plug-ins and a rack height of 0, and the reader
// skips what it would hand over.

#include <cstdint>
#include <string>
#include <vector>

namespace vs {

class TSong;

constexpr int PluginTrackCount = 5;  // 0 = master, 1..4 = effect tracks
constexpr int PluginSlotCount = 4;   // processing order within a track

// One loaded effect plug-in as a song stores it.
struct SongPluginState {
  int32_t Track = 0;  // 0..4
  int32_t Slot = 0;   // 0..3
  std::string Name;   // the plug-in's bare file name without extension
  int32_t EditorLeft = 0;
  int32_t EditorTop = 0;
  bool EditorOpen = false;
  std::vector<float> Parameters;  // in parameter order
};

class SongPluginSlots {
public:
  virtual ~SongPluginSlots() = default;
  // The loaded slots in file order: track 0 to 4, within a track slot 3
  // down to 0. An open editor's screen position is first copied into its
  // slot's stored position, which is what the state carries.
  virtual std::vector<SongPluginState> LoadedPlugins() = 0;
  // Unloads every slot of every track (the song reset).
  virtual void UnloadAll() = 0;
  // Loads the named plug-in into the slot from the plug-in folder. Loaded:
  // stores the editor position, shows the editor when EditorOpen is set and
  // sets as many leading parameters as both the state and the plug-in have.
  // Either way the slot's strip is refreshed. False when the plug-in could
  // not be found or loaded.
  virtual bool LoadPlugin(const SongPluginState& state) = 0;
  // Shows a two-part message ("caption|text") with the warning icon.
  virtual void ShowWarning(const std::string& message) = 0;
};

class SongWindowFrame {
public:
  virtual ~SongWindowFrame() = default;
  // The main window's height minus the height of its frame.
  virtual int32_t RackHeight() = 0;
  // Arranges the channel rack; then, unless the window is at its full
  // height, makes its height frame + height within the allowed heights.
  virtual void ApplyRackHeight(int32_t height) = 0;
};

class ChannelFileLoader {
public:
  virtual ~ChannelFileLoader() = default;
  // Loads a stored sample file name into channel index of the song (by
  // extension, with the sample search folders). False when the file could
  // not be used: missing, unreadable, no sample, or of a kind a channel
  // does not take.
  virtual bool LoadFileIntoChannel(TSong& song, int index, const std::string& name) = 0;
  // Reloads the channel's preview copy and rebuilds its playable sample
  // from it with the channel's settings (after a ping-pong change).
  virtual void RebuildSample(TSong& song, int index) = 0;
};

struct SongHost {
  SongPluginSlots* Plugins = nullptr;
  SongWindowFrame* Frame = nullptr;
  ChannelFileLoader* Loader = nullptr;
  // The program's version text (a.b.c) for event 199; empty, or a version
  // before 1.3.61, writes "1.3.61".
  std::string ProgramVersion;
  // When not empty: the sample name each channel's event stores (by channel
  // index) in place of the channel's own, for a song written elsewhere than
  // its samples were named from (copies beside it, a package).
  std::vector<std::string> SampleNames;
};

}  // namespace vs
