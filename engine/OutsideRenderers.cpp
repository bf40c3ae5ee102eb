#include "engine/OutsideRenderers.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#include "platform/SharedLibrary.h"

namespace vs {

namespace {

using DS2WavFn = int32_t (*)(const char* script, const char* wav, void* window);
using CreatePresetFn = void* (*)();
using DeletePresetFn = void (*)(void* holder);
using LoadPresetFn = int32_t (*)(void* holder, const char* path);
using GenPresetFn = int32_t (*)(void* holder, int16_t** data, int32_t* count, int32_t note);

struct Bindings {
  std::mutex Lock;
  std::string Folder;
  TSharedLibrary DrumScript;
  DS2WavFn DS2Wav = nullptr;
  TSharedLibrary Presets;
  CreatePresetFn CreatePreset = nullptr;
  DeletePresetFn DeletePreset = nullptr;
  LoadPresetFn LoadPreset = nullptr;
  GenPresetFn GenPreset = nullptr;
};

Bindings& B() {
  static Bindings b;
  return b;
}

std::vector<std::string> SearchFolders(const Bindings& b) { return {b.Folder, ExecutableFolder()}; }

bool BindDrumScript(Bindings& b) {
  if (b.DS2Wav) return true;
  if (!b.DrumScript.Open(DrumScriptLibraryName, SearchFolders(b))) return false;
  b.DS2Wav = reinterpret_cast<DS2WavFn>(b.DrumScript.Symbol("ds2wav"));
  if (!b.DS2Wav) b.DrumScript.Close();
  return b.DS2Wav != nullptr;
}

// The preset library's exports under their plain names, in place of the
// decorated ones (_createPreset@0, _deletePreset@4, _loadPreset@8,
// _genPreset@16).
bool BindPresets(Bindings& b) {
  if (b.CreatePreset) return true;
  if (!b.Presets.Open(PresetLibraryName, SearchFolders(b))) return false;
  auto create = reinterpret_cast<CreatePresetFn>(b.Presets.Symbol("createPreset"));
  auto del = reinterpret_cast<DeletePresetFn>(b.Presets.Symbol("deletePreset"));
  auto load = reinterpret_cast<LoadPresetFn>(b.Presets.Symbol("loadPreset"));
  auto gen = reinterpret_cast<GenPresetFn>(b.Presets.Symbol("genPreset"));
  if (!create || !del || !load || !gen) {
    b.Presets.Close();
    return false;
  }
  b.CreatePreset = create;
  b.DeletePreset = del;
  b.LoadPreset = load;
  b.GenPreset = gen;
  return true;
}

// Deletes the holder however the render ends.
struct HolderGuard {
  DeletePresetFn Delete;
  void* Holder;
  ~HolderGuard() {
    if (Holder) Delete(Holder);
  }
};

}  // namespace

void SetOutsideLibraryFolder(const std::string& folder) {
  std::lock_guard lock(B().Lock);
  B().Folder = folder;
}

std::string OutsideLibraryFolder() {
  std::lock_guard lock(B().Lock);
  return B().Folder;
}

int RenderDSFile(const std::string& scriptPath, const std::string& wavPath, void* window) {
  Bindings& b = B();
  std::lock_guard lock(b.Lock);
  if (!BindDrumScript(b)) return LibraryMissing;
  return b.DS2Wav(scriptPath.c_str(), wavPath.c_str(), window);
}

int LoadSynthPreset(const std::string& presetPath, TWAVSample& sample, int note) {
  Bindings& b = B();
  std::lock_guard lock(b.Lock);
  if (!BindPresets(b)) return LibraryMissing;
  HolderGuard holder{b.DeletePreset, b.CreatePreset()};
  // A holder that could not be made loads nothing.
  if (!holder.Holder || !b.LoadPreset(holder.Holder, presetPath.c_str())) return PresetLoadFailed;
  sample.Clear();
  int16_t* data = nullptr;
  int32_t count = 0;
  if (!b.GenPreset(holder.Holder, &data, &count, note)) return PresetRenderFailed;
  // A result without data, or with a negative count, is a failed render too.
  if (!data || count < 0) return PresetRenderFailed;
  const int32_t frames = count >> 1;
  TFrames copy;
  try {
    copy.assign(data, data + static_cast<size_t>(frames) * 2);
  } catch (const std::bad_alloc&) {
    return PresetRenderFailed;
  }
  sample.Text1 = presetPath;
  sample.SetFrames(std::move(copy));
  return 0;
}

void UnloadOutsideRenderers() {
  Bindings& b = B();
  std::lock_guard lock(b.Lock);
  b.DS2Wav = nullptr;
  b.DrumScript.Close();
  b.CreatePreset = nullptr;
  b.DeletePreset = nullptr;
  b.LoadPreset = nullptr;
  b.GenPreset = nullptr;
  b.Presets.Close();
}

}  // namespace vs
