// libFuzzer target for the ".SYN" reader and the renderer behind it: each
// input is written to a file, loaded and rendered through the exports.
// Build with clang and -DVS_FUZZ=ON; run build-fuzz/tests/fuzz_preset_file [corpus].
#define VOXRENDER_BUILDING
#include "voxrender/VoxRender.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Offset of the amplitude envelope's durations; they are kept below 200 ms
// so that one input renders quickly.
constexpr size_t Envelope0 = 9 + 880;

// The file each input is written to, removed at exit.
struct InputFile {
  std::string Path = "/tmp/fuzz_preset_" + std::to_string(getpid()) + ".syn";
  ~InputFile() { std::remove(Path.c_str()); }
};

const std::string& InputPath() {
  static const InputFile file;
  return file.Path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  for (size_t i = 0; i < 5 && Envelope0 + 2 * i + 1 < bytes.size(); ++i) {
    bytes[Envelope0 + 2 * i] %= 200;
    bytes[Envelope0 + 2 * i + 1] = 0;
  }
  std::FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);

  VoxPresetHolder* holder = createPreset();
  if (loadPreset(holder, InputPath().c_str())) {
    int16_t* out = nullptr;
    int32_t count = 0;
    if (genPreset(holder, &out, &count, -1) && count > 0) {
      volatile int16_t sink = out[count - 1];
      (void)sink;
    }
  }
  getLastLoadError(holder);
  deletePreset(holder);
  return 0;
}
