// The C interface of libvoxrender.so: plain extern "C" names, looked up with
// dlsym by the program. A holder keeps at most one loaded preset and its
// rendered sound.
//
// Calling order: createPreset, loadPreset, genPreset (any number of times),
// deletePreset. The data that genPreset hands out stays valid until the next
// genPreset, loadPreset or deletePreset on the same holder.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Load error codes (getLastLoadError).
enum {
  VoxNoError = 0,        // also: header words out of range, file ends in the header
  VoxCannotOpen = 2,     // the file cannot be opened
  VoxShortBody = 3,      // the file ends inside the preset body
  VoxNotAPreset = 5      // the file does not begin with "SYNTH"
};

typedef struct VoxPresetHolder VoxPresetHolder;

// An empty holder, or null when memory runs out.
typedef VoxPresetHolder* (*VoxCreatePresetFn)(void);
// Destroys the holder and everything it owns; null is ignored.
typedef void (*VoxDeletePresetFn)(VoxPresetHolder* holder);
// Reads a ".SYN" file into the holder; 1 on success, else 0.
typedef int32_t (*VoxLoadPresetFn)(VoxPresetHolder* holder, const char* path);
// Renders the loaded preset: note >= 0 replaces the preset's note, a negative
// note keeps it. On success *data points at interleaved left/right signed
// 16-bit values, *count is their number (2 per frame) and the result is 1.
// 0 when nothing is loaded (out arguments untouched) or the render failed
// (the preset is dropped).
typedef int32_t (*VoxGenPresetFn)(VoxPresetHolder* holder, int16_t** data,
                                  int32_t* count, int32_t note);
// The load error of the holder's last load.
typedef int32_t (*VoxGetLastLoadErrorFn)(VoxPresetHolder* holder);
// Kept for callers of the old interface; plays nothing and returns 0.
typedef int32_t (*VoxTestPresetFn)(VoxPresetHolder* holder);

#ifdef VOXRENDER_BUILDING
#define VOX_EXPORT __attribute__((visibility("default")))
VOX_EXPORT VoxPresetHolder* createPreset(void);
VOX_EXPORT void deletePreset(VoxPresetHolder* holder);
VOX_EXPORT int32_t loadPreset(VoxPresetHolder* holder, const char* path);
VOX_EXPORT int32_t genPreset(VoxPresetHolder* holder, int16_t** data,
                             int32_t* count, int32_t note);
VOX_EXPORT int32_t getLastLoadError(VoxPresetHolder* holder);
VOX_EXPORT int32_t testPreset(VoxPresetHolder* holder);
#endif

#ifdef __cplusplus
}
#endif
