#pragma once
// The effect plug-in slots and how the mixer runs them: five tracks of four
// slots (track 0 is the master, run over bus 0 after everything else; track
// b + 1 runs over bus b), each slot a strip (TPluginRack) that holds one
// plug-in object. The host is the mixer's plug-in hook: it keeps the two
// plug-in buffer sets sized to the mixer's blocks and runs a track's active
// plug-ins over a bus without allocating.
//
// The strips here are the model of the plug-ins page: what each shows (its
// caption, its colours, its program names and parameter controls) is read
// by the window side, which also makes the editor windows (see
// SetPluginEditorFactory) and handles parameter automation posts by calling
// UpdateParamDisplay.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Mixer.h"
#include "engine/VSTPlugin.h"

namespace vs {

constexpr int PluginTracks = 5;  // 0 = master, 1..4 = effect tracks of buses 0..3
constexpr int PluginSlotsPerTrack = 4;
constexpr int EmptyStripHeight = 21;
constexpr uint32_t EmptyStripColour = 0xC0C0C0;  // silver, 0xRRGGBB
// The longest block a plug-in is handed: longer mix blocks are run through
// the plug-ins in pieces of at most this many frames, and effSetBlockSize
// says so. Real plug-ins keep fixed scratch buffers and some break on
// blocks of several thousand frames.
constexpr int32_t MaxPluginBlockFrames = 2048;
// The block size plug-ins are told for a mix block of frames: 1..2048.
int32_t PluginBlockFrames(int32_t frames);

extern const char* const PluginNoneEntry;  // "(none)"
// The plug-in menu's entries for a folder: the names of its ".so" files (in
// any case) without the extension, sorted, then "(none)". A folder that is
// missing or empty gives "(none)" alone.
std::vector<std::string> PluginFileNames(const std::string& folder);

// "Master", "FX Track 1" .. "FX Track 4".
std::string PluginTrackName(int track);
// The strip colour of a plug-in name (0xRRGGBB): hue (sum of the byte codes
// x 4) mod 361 degrees at a fixed saturation and lightness.
uint32_t PluginNameColour(const std::string& name);
uint32_t LighterShade(uint32_t colour);
uint32_t DarkerShade(uint32_t colour);
// The word for a channel count: 0 "", 1 "mono", 2 "stereo", n "n channels".
std::string ChannelCountWord(int32_t channels);

// Float stereo helpers; counts in frames.
void SplitStereo(const float* interleaved, float* left, float* right, int32_t frames);
void JoinStereo(const float* left, const float* right, float* interleaved, int32_t frames);
// Both halves get (L + R) x 0.5.
void MixToMono(const float* interleaved, float* left, float* right, int32_t frames);
void MonoToStereo(const float* mono, float* interleaved, int32_t frames);

class TPluginRack {
public:
  TPluginRack(int track, int slot);
  TPluginRack(const TPluginRack&) = delete;
  TPluginRack& operator=(const TPluginRack&) = delete;

  int Track, Slot;
  TVSTPlugin Plugin;
  uint32_t Colour = EmptyStripColour;
  // The client width of the parameter panel the controls are laid out in
  // (the window side keeps it up to date).
  int PanelWidth = 380;

  // Unloads, then loads folder + name + ".so" (name a bare file name, found
  // in any case) with the output suspended; when an effect came: its
  // program names, the strip colour and its parameter controls. True when
  // loaded.
  bool LoadPlugin(const std::string& folder, const std::string& name);
  // With the output suspended: unload, strip silver.
  void UnloadPlugin();
  // Under MixerLock: an inactive loaded plug-in is switched on, else off.
  void ToggleBypass();
  // Under MixerLock effSetProgram; then the wheels follow the plug-in.
  void SetProgram(int index);
  // Toggles the editor window; on first use opens it with the caption name +
  // "  (" + the track's name + ")".
  void ShowEditor();
  bool EditorVisible() const;
  // The name button: the name, " (in to out)" when not stereo to stereo,
  // "  (no replacing)" without replacing processing.
  std::string Caption() const;
  // The name button's colour: a lighter shade of the strip while active.
  uint32_t ButtonColour() const;
  uint32_t TextColour() const;
  TPluginLoadResult LastLoadResult = TPluginLoadResult::NoLibrary;
};

// The twenty slots and the mixer's plug-in hook.
class TPluginHost : public TMixPluginHook {
public:
  TPluginHost();
  ~TPluginHost() override;

  // Group track, slot index; track x 4 + slot in the list.
  TPluginRack& Slot(int track, int slot) { return *Racks[size_t(track * PluginSlotsPerTrack + slot)]; }
  // The folder plug-ins load from (AppPath + "Plugins/VST/").
  std::string Folder;

  // TMixPluginHook.
  bool BusPluginsActive() const override;
  bool PluginsActive() const override;
  void ProcessTrack(int track, float* frames, int32_t count) override;
  // Buffers for pieces of a mix block of frames (PluginBlockFrames), and
  // every plug-in told that piece length.
  void SetBlockFrames(int32_t frames) override;

  // Runs a track's active plug-ins over a float stereo block of
  // BufferFrames() frames at most (MixerLock held; no allocation).
  // ProcessTrack runs a whole mix block through it piece by piece.
  void RunEffectSlots(float* bus, int track, int32_t frames);
  int32_t BufferFrames() const { return Frames; }

  // Under MixerLock: slots a and b of a track change places, each taking
  // the other's index (the plug-ins go with their strips).
  void SwapSlots(int track, int a, int b);

  void SendAllPluginsBlockSize(int32_t frames);
  // Every active plug-in switched off and on again.
  void ResetAllPlugins();
  // Every slot unloaded, each track from slot 3 down to 0, with the output
  // suspended.
  void UnloadAll();

private:
  std::array<std::unique_ptr<TPluginRack>, PluginTracks * PluginSlotsPerTrack> Racks;
  // Two buffer sets of MaxPluginChannels channels of Frames floats.
  std::array<std::vector<float>, 2> Memory;
  std::array<std::array<float*, MaxPluginChannels>, 2> Pairs{};
  int32_t Frames = 0;
};

// The program's plug-in host (installed as the mixer's hook at start-up).
TPluginHost& PluginHost();
TPluginRack& PluginSlot(int track, int slot);

}  // namespace vs
