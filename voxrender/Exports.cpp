// The six exported functions and the preset holder behind them.
#define VOXRENDER_BUILDING
#include "voxrender/VoxRender.h"

#include <algorithm>
#include <memory>
#include <new>

#include "voxrender/PresetReader.h"
#include "voxrender/Renderer.h"

// A loaded preset and the sound last rendered from it.
struct VoxPreset {
  vs::vox::PresetRecord Record;
  vs::vox::WaveImage Wave;
};

// What a caller's handle points at.
struct VoxPresetHolder {
  virtual ~VoxPresetHolder() = default;

  std::unique_ptr<VoxPreset> Preset;
  int32_t LastLoadError = 0;
  int32_t Loaded = 0;
};

extern "C" {

VoxPresetHolder* createPreset(void) { return new (std::nothrow) VoxPresetHolder; }

void deletePreset(VoxPresetHolder* holder) { delete holder; }

int32_t loadPreset(VoxPresetHolder* holder, const char* path) {
  if (!holder) return 0;
  holder->Preset.reset();
  holder->Loaded = 0;
  try {
    auto preset = std::make_unique<VoxPreset>();
    vs::vox::LoadResult result = vs::vox::ReadPresetFile(path, preset->Record);
    holder->LastLoadError = result.Error;
    if (!result.Ok) return 0;
    holder->Preset = std::move(preset);
    holder->Loaded = 1;
    return 1;
  } catch (...) {  // out of memory
    holder->LastLoadError = 0;
    return 0;
  }
}

int32_t getLastLoadError(VoxPresetHolder* holder) { return holder ? holder->LastLoadError : 0; }

int32_t genPreset(VoxPresetHolder* holder, int16_t** data, int32_t* count, int32_t note) {
  if (!holder || !holder->Loaded || !holder->Preset) return 0;
  VoxPreset& preset = *holder->Preset;
  if (note >= 0)
    preset.Record.Note = static_cast<int16_t>(std::min<int32_t>(note, INT16_MAX));
  try {
    preset.Wave = {};  // the old sound goes before the new one is made
    vs::vox::Renderer renderer(preset.Record);
    preset.Wave = renderer.Render();
  } catch (...) {  // out of memory: the preset is dropped
    holder->Preset.reset();
    holder->Loaded = 0;
    return 0;
  }
  if (data) *data = preset.Wave.Data();
  if (count) *count = preset.Wave.Count();
  return 1;
}

int32_t testPreset(VoxPresetHolder* holder) {
  (void)holder;
  return 0;  // there is no sound output in the library
}

}  // extern "C"
