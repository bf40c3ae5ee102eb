// libFuzzer target for the JPEG reader (clang, VS_FUZZ=ON): a picture of the
// size it claims, or the library's error; what was read writes and reads
// back at the same size.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "controls/JPEGImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const vs::TRGBPicture p = vs::DecodeJPEG(std::string_view(reinterpret_cast<const char*>(data), size));
    if (p.Pixels.size() != size_t(p.Width) * size_t(p.Height) * 3) abort();
    if (p.Width <= 256 && p.Height <= 256) {
      const vs::TRGBPicture again = vs::DecodeJPEG(vs::EncodeJPEG(p, 75));
      if (again.Width != p.Width || again.Height != p.Height) abort();
    }
  } catch (const vs::EJPEGError&) {
  }
  return 0;
}
