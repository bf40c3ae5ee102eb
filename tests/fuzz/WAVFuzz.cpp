// libFuzzer target for the WAV chunk walker and decoders (clang, VS_FUZZ=ON).

#include <cstdint>
#include <cstdlib>

#include "engine/WAVFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vs::TWAVSample s;
  const int r = vs::LoadWAVSampleFromMemory(data, size, s);
  if (r != 0 && r != 2 && r != 3) abort();
  if (r == 0) {
    if (s.Length <= 0 || s.Data.size() != size_t(s.Length) * 2) abort();
    if (s.LoopStart >= 0 && (s.LoopStart > s.LoopEnd || s.LoopEnd >= s.Length)) abort();
  }
  return 0;
}
