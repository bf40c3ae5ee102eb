#pragma once
// Bindings to the two renderers that live outside the program and are
// loaded by name on first use: the drum-script renderer, which turns a
// ".DS" script into a WAV file, and the preset library, which renders a
// ".SYN" preset into a sample. A library that can't be loaded, or that lacks
// one of the exports, gives LibraryMissing; loading is tried again on the
// next call. Both run on the main thread.

#include <string>

#include "model/WAVSample.h"

namespace vs {

constexpr int LibraryMissing = -1;
constexpr int PresetLoadFailed = 10;
constexpr int PresetRenderFailed = 11;

constexpr const char* DrumScriptLibraryName = "libds2wav.so";
constexpr const char* PresetLibraryName = "libvoxrender.so";

// The folder searched first (the program's data folder); then the
// executable's folder, then the system's library search.
void SetOutsideLibraryFolder(const std::string& folder);
std::string OutsideLibraryFolder();

// Runs the drum-script renderer: 0 when it wrote the WAV file, 1 and higher
// its failure codes, LibraryMissing without the library.
int RenderDSFile(const std::string& scriptPath, const std::string& wavPath, void* window);

// Renders a preset into sample: 0 done (Text1 := the preset path, the frames
// copied), PresetLoadFailed (sample untouched), PresetRenderFailed (sample
// cleared), LibraryMissing. note -1 keeps the preset's own note.
int LoadSynthPreset(const std::string& presetPath, TWAVSample& sample, int note);

// Frees both libraries (at program exit).
void UnloadOutsideRenderers();

}  // namespace vs
