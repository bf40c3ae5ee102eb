#include "engine/VSTHost.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "model/MixerLock.h"
#include "engine/EngineState.h"
#include "engine/MixThread.h"
#include "toolbox/AllTools.h"
#include "toolbox/PathTools.h"

namespace vs {

namespace {

// A plug-in name from a song or a menu: a bare file name.
bool IsBareName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

uint32_t RGB(double r, double g, double b) {
  auto byte = [](double v) { return uint32_t(std::clamp(std::lround(v * 255.0), 0L, 255L)); };
  return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

// Suspends the output for the life of the object.
struct TSuspended {
  TSuspended() { SuspendOutput(); }
  ~TSuspended() { ResumeOutput(); }
  TSuspended(const TSuspended&) = delete;
  TSuspended& operator=(const TSuspended&) = delete;
};

}  // namespace

const char* const PluginNoneEntry = "(none)";

std::vector<std::string> PluginFileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  if (!folder.empty())
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
      const std::string file = entry.path().filename().string();
      if (file.size() > 3 && HasExtension(file, ".so") && !entry.is_directory(ec)) names.push_back(file.substr(0, file.size() - 3));
    }
  std::sort(names.begin(), names.end());
  names.push_back(PluginNoneEntry);
  return names;
}

std::string PluginTrackName(int track) {
  if (track <= 0) return "Master";
  return "FX Track " + std::to_string(track);
}

uint32_t PluginNameColour(const std::string& name) {
  int64_t sum = 0;
  for (unsigned char ch : name) sum += ch;
  const double hue = double((sum * 4) % 361) / 360.0;
  // Hue, saturation 0.5, lightness 0.6.
  const double s = 0.5, l = 0.6;
  const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
  const double p = 2 * l - q;
  auto channel = [&](double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  return RGB(channel(hue + 1.0 / 3), channel(hue), channel(hue - 1.0 / 3));
}

int32_t PluginBlockFrames(int32_t frames) { return std::clamp<int32_t>(frames, 1, MaxPluginBlockFrames); }

uint32_t LighterShade(uint32_t colour) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t c = (colour >> shift) & 0xFF;
    result |= (c + (255 - c) / 2) << shift;
  }
  return result;
}

uint32_t DarkerShade(uint32_t colour) {
  uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) result |= (((colour >> shift) & 0xFF) / 3) << shift;
  return result;
}

std::string ChannelCountWord(int32_t channels) {
  switch (channels) {
    case 0: return "";
    case 1: return "mono";
    case 2: return "stereo";
    default: return std::to_string(channels) + " channels";
  }
}

void SplitStereo(const float* interleaved, float* left, float* right, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    left[i] = interleaved[2 * i];
    right[i] = interleaved[2 * i + 1];
  }
}

void JoinStereo(const float* left, const float* right, float* interleaved, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    interleaved[2 * i] = left[i];
    interleaved[2 * i + 1] = right[i];
  }
}

void MixToMono(const float* interleaved, float* left, float* right, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    const float mono = (interleaved[2 * i] + interleaved[2 * i + 1]) * 0.5f;
    left[i] = mono;
    right[i] = mono;
  }
}

void MonoToStereo(const float* mono, float* interleaved, int32_t frames) {
  for (int32_t i = 0; i < frames; ++i) {
    interleaved[2 * i] = mono[i];
    interleaved[2 * i + 1] = mono[i];
  }
}

// -------------------------------------------------------------------- strip

TPluginRack::TPluginRack(int track, int slot) : Track(track), Slot(slot) {
  Plugin.SlotNumber = track * PluginSlotsPerTrack + slot;
}

bool TPluginRack::LoadPlugin(const std::string& folder, const std::string& name) {
  TSuspended suspended;
  Plugin.Unload();
  Colour = EmptyStripColour;
  LastLoadResult = TPluginLoadResult::NoLibrary;
  if (!IsBareName(name) || folder.empty()) return false;
  const std::string path = FindPathCaseInsensitive(AddBackslash(folder) + name + ".so");
  if (path.empty()) return false;
  LastLoadResult = Plugin.Load(path, PluginBlockFrames(Mixer().BlockFrames));
  if (!Plugin.Loaded()) return false;
  Plugin.ReadProgramNames(Plugin.ProgramNames);
  Colour = PluginNameColour(Plugin.Name);
  Plugin.BuildParamControls(PanelWidth);
  return true;
}

void TPluginRack::UnloadPlugin() {
  if (!Plugin.Loaded()) return;
  TSuspended suspended;
  Plugin.Unload();
  Colour = EmptyStripColour;
}

void TPluginRack::ToggleBypass() {
  MixerGuard lock;
  if (!Plugin.Loaded()) return;
  Plugin.SetActive(!Plugin.Active.load());
}

void TPluginRack::SetProgram(int index) {
  if (!Plugin.Loaded()) return;
  {
    MixerGuard lock;
    Plugin.Dispatch(effSetProgram, 0, index);
  }
  Plugin.RefreshParams();
}

void TPluginRack::ShowEditor() {
  if (!Plugin.Loaded()) return;
  if (!Plugin.EditorForm) {
    Plugin.OpenEditor(Plugin.Name + "  (" + PluginTrackName(Track) + ")");
    return;
  }
  Plugin.EditorForm->SetVisible(!Plugin.EditorForm->Visible());
}

bool TPluginRack::EditorVisible() const { return Plugin.EditorForm && Plugin.EditorForm->Visible(); }

std::string TPluginRack::Caption() const {
  std::string caption = Plugin.Name;
  const TVSTEffect* e = Plugin.Effect;
  if (!e) return caption;
  if (e->NumInputs != 2 || e->NumOutputs != 2)
    caption += " (" + ChannelCountWord(e->NumInputs) + " to " + ChannelCountWord(e->NumOutputs) + ")";
  if (!(e->Flags & VSTFlagCanReplace)) caption += "  (no replacing)";
  return caption;
}

uint32_t TPluginRack::ButtonColour() const { return Plugin.Active.load() ? LighterShade(Colour) : Colour; }
uint32_t TPluginRack::TextColour() const { return DarkerShade(Colour); }

// --------------------------------------------------------------------- host

TPluginHost::TPluginHost() {
  for (int t = 0; t < PluginTracks; ++t)
    for (int s = 0; s < PluginSlotsPerTrack; ++s)
      Racks[size_t(t * PluginSlotsPerTrack + s)] = std::make_unique<TPluginRack>(t, s);
}

TPluginHost::~TPluginHost() = default;

bool TPluginHost::BusPluginsActive() const {
  // Tracks 2..4 run over buses 1..3.
  for (size_t i = 2 * PluginSlotsPerTrack; i < Racks.size(); ++i)
    if (Racks[i]->Plugin.Loaded() && Racks[i]->Plugin.Active.load(std::memory_order_relaxed)) return true;
  return false;
}

bool TPluginHost::PluginsActive() const {
  for (const auto& rack : Racks)
    if (rack->Plugin.Loaded() && rack->Plugin.Active.load(std::memory_order_relaxed)) return true;
  return false;
}

void TPluginHost::SetBlockFrames(int32_t frames) {
  frames = PluginBlockFrames(frames);
  for (int p = 0; p < 2; ++p) {
    std::vector<float>(size_t(frames) * MaxPluginChannels, 0.0f).swap(Memory[size_t(p)]);
    for (int c = 0; c < MaxPluginChannels; ++c)
      Pairs[size_t(p)][size_t(c)] = Memory[size_t(p)].data() + size_t(c) * size_t(frames);
  }
  Frames = frames;
  SendAllPluginsBlockSize(frames);
}

void TPluginHost::ProcessTrack(int track, float* frames, int32_t count) {
  if (track < 0 || track >= PluginTracks || !frames || Frames <= 0) return;
  for (int32_t done = 0; done < count; done += Frames)
    RunEffectSlots(frames + 2 * int64_t(done), track, std::min(Frames, count - done));
}

void TPluginHost::RunEffectSlots(float* bus, int track, int32_t frames) {
  frames = std::min(frames, Frames);
  if (frames <= 0) return;
  int cur = 0;
  int32_t c = 0;  // channels of the signal in the current set; 0: it is in the bus
  auto writeBack = [&] {
    float** set = Pairs[size_t(cur)].data();
    if (c == 1)
      MonoToStereo(set[0], bus, frames);
    else
      JoinStereo(set[0], set[1], bus, frames);
  };
  for (int s = 0; s < PluginSlotsPerTrack; ++s) {
    TVSTPlugin& plugin = Racks[size_t(track * PluginSlotsPerTrack + s)]->Plugin;
    TVSTEffect* e = plugin.Effect;
    if (!e || !plugin.Active.load(std::memory_order_relaxed)) continue;
    const int32_t n = e->NumInputs;
    // A plug-in without inputs is fed silence.
    if (n != c || n == 0) {
      if (c > 0) writeBack();
      float** set = Pairs[size_t(cur)].data();
      if (n == 0)
        for (int ch = 0; ch < 2; ++ch) std::fill_n(set[ch], frames, 0.0f);
      else if (n == 1)
        MixToMono(bus, set[0], set[1], frames);
      else
        SplitStereo(bus, set[0], set[1], frames);
      for (int ch = 2; ch < MaxPluginChannels; ++ch) std::fill_n(set[ch], frames, 0.0f);
    }
    // A plug-in without outputs gives nothing back: the signal goes on as
    // it came (in the bus, or in the pair it was read from).
    const bool gives = e->NumOutputs > 0;
    if (e->Flags & VSTFlagCanReplace) {
      float** set = Pairs[size_t(cur)].data();
      e->ProcessReplacing(e, set, set, frames);
    } else {
      const int previous = cur;
      if (gives) cur ^= 1;
      float** out = Pairs[size_t(previous ^ 1)].data();
      for (int ch = 0; ch < MaxPluginChannels; ++ch) std::fill_n(out[ch], frames, 0.0f);
      e->Process(e, Pairs[size_t(previous)].data(), out, frames);
    }
    if (gives) c = e->NumOutputs;
  }
  if (c >= 1) writeBack();
}

void TPluginHost::SwapSlots(int track, int a, int b) {
  if (track < 0 || track >= PluginTracks || a < 0 || b < 0 || a >= PluginSlotsPerTrack || b >= PluginSlotsPerTrack)
    return;
  MixerGuard lock;
  std::swap(Racks[size_t(track * PluginSlotsPerTrack + a)], Racks[size_t(track * PluginSlotsPerTrack + b)]);
  for (int s : {a, b}) {
    TPluginRack& rack = Slot(track, s);
    rack.Slot = s;
    rack.Plugin.SlotNumber = track * PluginSlotsPerTrack + s;
  }
}

void TPluginHost::SendAllPluginsBlockSize(int32_t frames) {
  for (auto& rack : Racks) rack->Plugin.SetBlockSize(frames);
}

void TPluginHost::ResetAllPlugins() {
  MixerGuard lock;
  for (auto& rack : Racks) rack->Plugin.Reset();
}

void TPluginHost::UnloadAll() {
  for (int t = 0; t < PluginTracks; ++t)
    for (int s = PluginSlotsPerTrack - 1; s >= 0; --s) Slot(t, s).UnloadPlugin();
}

TPluginHost& PluginHost() { return EngineState().Plugins; }

TPluginRack& PluginSlot(int track, int slot) { return PluginHost().Slot(track, slot); }

}  // namespace vs
