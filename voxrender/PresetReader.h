// Reading ".SYN" preset files into a PresetRecord.
#pragma once

#include <cstdint>

#include "voxrender/PresetRecord.h"

namespace vs::vox {

struct LoadResult {
  bool Ok = false;
  int32_t Error = 0;  // VoxNoError, VoxCannotOpen, VoxShortBody, VoxNotAPreset
};

// Reads the file at path into record, which holds the defaults beforehand.
// On failure the record may be partly filled.
LoadResult ReadPresetFile(const char* path, PresetRecord& record);

}  // namespace vs::vox
