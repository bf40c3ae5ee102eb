// libFuzzer target for the archive component's own directory reader (clang,
// VS_FUZZ=ON): any bytes give entries or a message id, never a read outside
// the input, and every entry lies in the directory the end record names.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/ZipMstr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (vs::TZipCodePage cp : {vs::cpAuto, vs::cpNone, vs::cpOEM}) {
    const vs::TZipDirectory dir = vs::ReadZipDirectoryAt(
        size,
        [&](uint64_t at, void* buffer, size_t n) -> size_t {
          if (at >= size) return 0;
          const size_t take = n < size - at ? n : size_t(size - at);
          std::memcpy(buffer, data + at, take);
          return take;
        },
        cp);
    if (dir.Error != 0 && !dir.Entries.empty()) abort();
    for (const vs::TZipDirEntry& e : dir.Entries)
      if (e.Header.size() != 42) abort();
  }
  return 0;
}
